// Test harness of the field records: each record under test is wrapped in a
// top-level test element "/Test_fields/<tag>", written from packed octets and
// read back through the document reader into octets poisoned with 0xFF, so
// that bits the descriptor does not touch show.
#ifndef TESSEL_TESTS_FIELDS_SUPPORT_H
#define TESSEL_TESTS_FIELDS_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shared/P25/P25_message_parts.h"

namespace fields_test {

using Bytes = std::vector<std::uint8_t>;

// "BE E0 01 23" <-> octets.
Bytes Octets(const char* hex);
std::string Hex(const void* data, std::size_t size);
template <class F>
std::string Hex(const F& f) {
    return Hex(&f, sizeof f);
}
template <class F>
F Record(const char* hex) {
    const Bytes b = Octets(hex);
    F f;
    EXPECT_EQ(b.size(), sizeof f) << hex;
    std::memset(&f, 0, sizeof f);
    std::memcpy(&f, b.data(), b.size() < sizeof f ? b.size() : sizeof f);
    return f;
}

// The children of a node as compact XML text; frees the node.
std::string Children_text(xmlNode* node);

extern const XML_routines::Info<void> root;  // "/Test_fields"

#pragma pack(push, 1)
template <class F>
struct Holder {
    F field;
};
#pragma pack(pop)

template <class F>
struct Doc_table {
    explicit Doc_table(XML_routines::Subelement_base<Holder<F>>& entry) : subs{entry} {}
    XML_routines::Subelement_table<Holder<F>> subs[1];
};

// The test element holding one F, through its canonical descriptor or the one given.
template <class F>
class Doc : private Doc_table<F>, public XML_routines::Info<Holder<F>> {
public:
    explicit Doc(const char* path)
        : Doc_table<F>(XML_routines::Subelement(&Holder<F>::field)), XML_routines::Info<Holder<F>>(path, this->subs) {}
    template <class I>
    Doc(const char* path, const I& info)
        : Doc_table<F>(XML_routines::Subelement(&Holder<F>::field, info)),
          XML_routines::Info<Holder<F>>(path, this->subs) {}

    void Start(Holder<F>& r, XML_routines::Input_data&) const override { std::memset(&r, 0xFF, sizeof r); }
    bool Commit(Holder<F>& r, XML_routines::Input_data&) const override {
        last = r.field;
        ++commits;
        return true;
    }

    // The XML of f: the test element's children.
    std::string Write(const F& f) const { return Children_text(XML_routines::Info<Holder<F>>::Write(Holder<F>{f})); }
    // Reads the children xml; true when the element was committed, the
    // record in read.
    bool Read(const std::string& xml, F& read, std::string* error = nullptr) const {
        const std::string tag = this->Tag();
        const std::string doc = "<Test_fields><" + tag + ">" + xml + "</" + tag + "></Test_fields>";
        XML_routines::Input_data input;
        input.report_errors = false;
        commits = 0;
        const auto status = XML_routines::Read_memory(doc.data(), doc.size(), "fields.xml", root, input);
        if (error) *error = input.Last_error();
        if (status != XML_routines::Read_status::ok || commits != 1) return false;
        read = last;
        return true;
    }
    // Octets of the record read from xml, "refused" when it was not committed.
    std::string Read_hex(const std::string& xml) const {
        F f;
        return Read(xml, f) ? Hex(f) : "refused";
    }

private:
    mutable F last{};
    mutable int commits = 0;
};

// Writes the record given in hex, compares the XML, reads it back and
// compares the octets (back: what reading gives over 0xFF octets; null when
// it is the record itself).
template <class F>
void Check(const Doc<F>& doc, const char* hex, const std::string& xml, const char* back = nullptr) {
    SCOPED_TRACE(hex);
    EXPECT_EQ(doc.Write(Record<F>(hex)), xml);
    EXPECT_EQ(doc.Read_hex(xml), back ? back : hex);
}

}  // namespace fields_test

#endif
