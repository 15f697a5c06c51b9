// Small packed records of the tests' own, described with every kind of
// attribute entry and sub-element link the framework offers.  Shared by the
// framework tests; the descriptors live in records.cpp.
#ifndef TESSEL_TESTS_FRAMEWORK_RECORDS_H
#define TESSEL_TESTS_FRAMEWORK_RECORDS_H

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "shared/XML/XML_info.h"
#include "xml_text.h"

namespace fw {

#pragma pack(push, 1)
struct Header {
    std::uint16_t id;
    std::uint8_t channel;
};

// One gauge: octet 0 bit 7 alarm, bits 6..4 mode, bits 3..0 unit; a level.
struct Gauge {
    std::uint8_t bits;
    BE_ushort level;
};

struct Samples {
    std::uint8_t count;
    std::uint8_t value[4];
};

// Spliced into Probe without an element of its own.
struct Note_inner {
    std::uint8_t code;
};
struct Note {
    std::uint8_t text;
    Note_inner inner;
};

struct Probe : Header {
    Gauge first;
    Gauge second;
    std::uint8_t reserved[2];
    Samples samples;
    std::uint8_t flags;  // bit 0: a note is present
    Note note;
    std::uint8_t tag[3];

    bool Get_has_note() const { return flags & 1; }
    void Set_has_note(bool v) { flags = static_cast<std::uint8_t>((flags & ~1u) | (v ? 1u : 0u)); }
    unsigned Get_scale() const { return first.level.Value() / 10; }
    void Set_scale(unsigned v) { first.level = static_cast<unsigned short>(v * 10); }
    bool Note_read(XML_routines::Input_data&) {
        ++notes_committed;
        return true;
    }
    static int notes_committed;
};
#pragma pack(pop)

static_assert(sizeof(Header) == 3 && sizeof(Gauge) == 3 && sizeof(Samples) == 5, "test record sizes");
static_assert(sizeof(Probe) == 3 + 3 + 3 + 2 + 5 + 1 + 2 + 3, "Probe is packed");

// Calendar record (not packed: it holds a tm).
struct Stamp {
    std::tm when;
};

// Every Probe committed by an input document, in order.
std::vector<Probe>& Committed();


extern const XML_routines::Info<void> fw_root;
extern const XML_routines::Info<Gauge> gauge_alarm_only;
extern const XML_routines::Info<Gauge> gauge_twice;
extern const XML_routines::Value_hash<unsigned> mode_names;

}  // namespace fw

XML_DECLARE_INFO(fw::Probe);
XML_DECLARE_INFO(fw::Gauge);
XML_DECLARE_INFO(fw::Samples);
XML_DECLARE_INFO(fw::Note);
XML_DECLARE_INFO(fw::Note_inner);
XML_DECLARE_INFO(fw::Stamp);

template <>
void XML_routines::Info<fw::Probe>::Start(fw::Probe&, XML_routines::Input_data&) const;
template <>
bool XML_routines::Info<fw::Probe>::Commit(fw::Probe&, XML_routines::Input_data&) const;

#endif
