// Test harness of the field records: the record under test is the one child
// of a test element of its own, written from packed octets and read back
// through the document reader into octets poisoned with 0xFF, so that bits
// the descriptor does not touch show.
#ifndef TESSEL_TESTS_FIELDS_SUPPORT_H
#define TESSEL_TESTS_FIELDS_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "xml_text.h"
#include "shared/P25/P25_message_parts.h"

inline const XML_routines::Info<void> test_root("/Test_fields");
inline int docs = 0;

// Octets as "BE E0 01 23", and a record from that text.
inline std::string Hex(const void* data, std::size_t size) {
    std::string s(3 * size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        std::snprintf(&s[3 * i], 4, "%02X ", static_cast<const std::uint8_t*>(data)[i]);
    return s.substr(0, size ? s.size() - 1 : 0);
}
template <class F>
std::string Hex(const F& f) { return Hex(&f, sizeof f); }
template <class F>
F Record(const char* hex) {
    F f;
    std::memset(&f, 0, sizeof f);
    std::istringstream in(hex);
    std::size_t n = 0;
    for (unsigned v; in >> std::hex >> v; ++n)
        if (n < sizeof f) reinterpret_cast<std::uint8_t*>(&f)[n] = static_cast<std::uint8_t>(v);
    EXPECT_EQ(n, sizeof f) << hex;
    return f;
}

template <class F>
struct Holder { F field; };
template <class F>
struct Doc_table {
    explicit Doc_table(XML_routines::Subelement_base<Holder<F>>& entry) : subs{entry} {}
    XML_routines::Subelement_table<Holder<F>> subs[1];
    const std::string path = "/Test_fields/Field" + std::to_string(++docs);
};

// A test element holding one F, through its canonical descriptor or the
// one given.  The descriptor tables are never freed: keep each Doc static.
template <class F>
struct Doc : private Doc_table<F>, public XML_routines::Info<Holder<F>> {
    using Base = XML_routines::Info<Holder<F>>;
    Doc() : Doc_table<F>(XML_routines::Subelement(&Holder<F>::field)), Base(this->path.c_str(), this->subs) {}
    // fill: the octet the record starts from before it is read.
    template <class I>
    explicit Doc(const I& info, unsigned char fill = 0xFF)
        : Doc_table<F>(XML_routines::Subelement(&Holder<F>::field, info)), Base(this->path.c_str(), this->subs),
          fill_(fill) {}

    void Start(Holder<F>& r, XML_routines::Input_data&) const override {
        std::memset(static_cast<void*>(&r), fill_, sizeof r);  // records are plain octets
    }
    bool Commit(Holder<F>& r, XML_routines::Input_data&) const override {
        read_ += read_.empty() ? Hex(r.field) : "twice";
        record_ = r.field;
        return true;
    }

    // The XML of f: the test element's children.
    std::string Write(const F& f) const {
        xmlNode* node = Base::Write(Holder<F>{f});
        std::string text = node ? "" : "(null)";
        for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) text += Dump(child);
        xmlFreeNode(node);
        return text;
    }
    // Reads the children xml into out; false, with the reader's report in
    // error, when the record was not committed.
    bool Read(const std::string& xml, F& out, std::string* error = nullptr) const {
        const std::string tag = this->Tag(), doc = "<Test_fields><" + tag + ">" + xml + "</" + tag + "></Test_fields>";
        XML_routines::Input_data input;
        input.report_errors = false;
        read_.clear();
        const auto status = XML_routines::Read_memory(doc.data(), doc.size(), "fields.xml", test_root, input);
        const bool ok = status == XML_routines::Read_status::ok && !read_.empty();
        if (ok) out = record_;
        else if (error) *error = input.Last_error();
        return ok;
    }
    // Octets of the record read from the children xml; "refused: " and the
    // reader's report when it was not committed.
    std::string Read_hex(const std::string& xml) const {
        F record;
        std::string error;
        return Read(xml, record, &error) ? read_ : "refused: " + error;
    }
    const unsigned char fill_ = 0xFF;
    mutable std::string read_;
    mutable F record_;
};

// The element of F's canonical descriptor.
template <class F>
const Doc<F>& The_doc() {
    static const Doc<F> doc;
    return doc;
}
template <class F>
std::string Read_hex(const std::string& xml) { return The_doc<F>().Read_hex(xml); }

// Writes the record given in hex, compares the XML, reads it back and
// compares the octets (back: what reading gives over 0xFF octets; null when
// it is the record itself).
template <class F>
void Check(const Doc<F>& doc, const char* hex, const std::string& xml, const char* back = nullptr) {
    SCOPED_TRACE(hex);
    EXPECT_EQ(doc.Write(Record<F>(hex)), xml);
    EXPECT_EQ(doc.Read_hex(xml), back ? back : hex);
}
template <class F>
void Check(const char* hex, const std::string& xml, const char* back = nullptr) { Check(The_doc<F>(), hex, xml, back); }

#endif
