// Descriptors of the framework tests' records: one of each kind of entry.
#include "records.h"

#include <cstring>

using namespace XML_routines;

namespace fw {

int Probe::notes_committed = 0;

std::vector<Probe>& Committed() {
    static std::vector<Probe> committed;
    return committed;
}


const Info<void> fw_root("/Fw_doc");

}  // namespace fw

XML_BITFIELD_NAME(alarm);
XML_BITFIELD_NAME(mode);
XML_BITFIELD_NAME(unit);
XML_BITFIELD(alarm, fw::Gauge, 0, 7, 7);
XML_BITFIELD(mode, fw::Gauge, 0, 6, 4);
XML_BITFIELD(unit, fw::Gauge, 0, 3, 0);

template <>
void Info<fw::Probe>::Start(fw::Probe& record, Input_data&) const {
    std::memset(&record, 0xFF, sizeof record);  // untouched bits show
}
template <>
bool Info<fw::Probe>::Commit(fw::Probe& record, Input_data&) const {
    fw::Committed().push_back(record);
    return true;
}

namespace fw {

static const Value_entry<unsigned> mode_rows[] = {
    {"off", 0},
    {"slow", 1},
    {"fast", 2},
    {"quick", 2},  // a second name for fast: read, never written
};
const Value_hash<unsigned> mode_names(mode_rows);

// Header: id, channel.
static Attrib::Attrib_Table<Header> header_attr_table[] = {
    Get_attrib("id", &Header::id, "%04X"),
    Get_attrib("channel", &Header::channel),
};
static const Attrib::Attrib_Hash<Header> header_attr(header_attr_table);

// Gauge: alarm (bit field), mode (bit field through names); level as text.
static Attrib::Attrib_Table<Gauge> gauge_attr_table[] = {
    Get_attrib("alarm", Get_Access(GetSet_bf_alarm<Gauge, bool>())),
    Get_attrib("mode", Get_Access(GetSet_bf_mode<Gauge, unsigned>(), mode_names)),
};
static const Attrib::Attrib_Hash<Gauge> gauge_attr(gauge_attr_table);

static Subelement_table<Gauge> gauge_subs[] = {
    Subelement(GetSet_bf_unit<Gauge, unsigned>(), "Unit", "%1X"),
};

static Attrib::Attrib_Table<Gauge> alarm_only_table[] = {
    Get_attrib("alarm", Get_Access(GetSet_bf_alarm<Gauge, bool>())),
};
static const Attrib::Attrib_Hash<Gauge> alarm_only_attr(alarm_only_table);
const Info<Gauge> gauge_alarm_only("Alarm", alarm_only_attr);

// The same name twice: both written, the first read.
static Attrib::Attrib_Table<Gauge> twice_table[] = {
    Get_attrib("v", &Gauge::bits),
    Get_attrib("v", Get_Access(GetSet_bf_mode<Gauge, unsigned>(), mode_names)),
};
static const Attrib::Attrib_Hash<Gauge> twice_attr(twice_table);
const Info<Gauge> gauge_twice("/Fw_doc/Twice", twice_attr);

// Samples: the first `count` values as text.
// Note: anonymous, with an anonymous inner record.
static Subelement_table<Note_inner> note_inner_subs[] = {
    Subelement(&Note_inner::code, "Code", "%02X"),
};
static Subelement_table<Note> note_subs[] = {
    Subelement(&Note::text, "Text", "%d"),
    Subelement(&Note::inner),
};

// Probe: the header's attributes through the base part; a scale read through
// member functions; the alarm of the first gauge; the tag octets; the note flag.
static Attrib::Attrib_Table<Probe> probe_attr_table[] = {
    Get_attrib(header_attr).Of<Probe>(),
    Get_attrib("scale", &Probe::Get_scale, &Probe::Set_scale),
    Get_attrib("first_alarm", Get_Access(GetSet_bf_alarm<Gauge, bool>())).Of(&Probe::first),
    Get_attrib("tag", &Probe::tag, "%02X"),
    Get_attrib("has_note", &Probe::Get_has_note, &Probe::Set_has_note),
};
static const Attrib::Attrib_Hash<Probe> probe_attr(probe_attr_table);

static Subelement_table<Probe> probe_subs[] = {
    Subelement(&Probe::first),
    Subelement(&Probe::second),
    Subelement_reserved(&Probe::reserved),
    Subelement(&Probe::samples),
    Subelement(&Probe::note).If(Access::GetSet_func<Probe, bool, bool>(&Probe::Get_has_note, &Probe::Set_has_note), true).Commit(&Probe::Note_read),
    Subelement(&Probe::first, gauge_alarm_only).IfNot(Access::GetSet_func<Probe, bool, bool>(&Probe::Get_has_note, &Probe::Set_has_note), true),
};

static Subelement_table<Stamp> stamp_subs[] = {
    Subelement(&Stamp::when, "Date", Format::YYMMDD),
    Subelement(&Stamp::when, "Time", Format::HHMMSS),
};

}  // namespace fw

template <>
const Info<fw::Gauge> Info<fw::Gauge>::info("Gauge", fw::gauge_attr, Get_Access(&fw::Gauge::level, "%04X"), fw::gauge_subs);
template <>
const Info<fw::Samples> Info<fw::Samples>::info("Samples", Get_Access(&fw::Samples::value, &fw::Samples::count, "%02X "));
template <>
const Info<fw::Note_inner> Info<fw::Note_inner>::info("", fw::note_inner_subs);
template <>
const Info<fw::Note> Info<fw::Note>::info("", fw::note_subs);
template <>
const Info<fw::Probe> Info<fw::Probe>::info("/Fw_doc/Probe", fw::probe_attr, fw::probe_subs);
template <>
const Info<fw::Stamp> Info<fw::Stamp>::info("/Fw_doc/Stamp", fw::stamp_subs);
