// The two sinks of element writing give the same bytes: the stream sink
// writes what libxml2 dumps of the tree the same descriptor builds, for the
// framework's records (every kind of entry, anonymous descriptors, empty
// elements, text beside children), for values that need escaping, and for
// writing hooks that build by hand.  What the stream cannot write exactly
// goes through the tree in the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "records.h"

using namespace XML_routines;

namespace {

// Enumeration names that need escaping in attribute values or text.
#pragma pack(push, 1)
struct Awkward {
    std::uint8_t name;
    std::uint8_t text;
};
// A record whose children hook writes by hand.
struct Handmade {
    std::uint8_t value;
};
#pragma pack(pop)

const Value_entry<unsigned char> awkward_rows[] = {
    {"plain", 0},        {"a<b", 1},         {"x&y", 2},         {"q\"uote", 3},   {"apos'", 4},
    {"gt>", 5},          {"tab\there", 6},   {"nl\nhere", 7},    {"cr\rhere", 8},  {"caf\xC3\xA9", 9},
    {"\x01" "ctl", 10},  {"del\x7F", 11},    {"\xE2\x82\xAC", 12}, {"<&>\"\xC3\xA9\"", 13}, {"", 14},
};
const Value_hash<unsigned char> awkward_names(awkward_rows);

Attrib::Attrib_Table<Awkward> awkward_table[] = {
    Get_attrib("name", &Awkward::name, awkward_names),
};
const Attrib::Attrib_Hash<Awkward> awkward_attr(awkward_table);

}  // namespace

template <>
const Info<Awkward> Info<Awkward>::info("Awkward", awkward_attr, Get_Access(&Awkward::text, awkward_names));

// Builds by hand on the node it is given: an attribute, a raw child, a
// child tree from a descriptor, then the value through the usual leaf.
template <>
void Info<Handmade>::Write_subs(const Handmade& r, xmlNode* node) const {
    char text[8];
    std::snprintf(text, sizeof text, "%u", r.value);
    xmlNewProp(node, To_xml("late"), To_xml(text));
    xmlNewChild(node, nullptr, To_xml("Raw"), To_xml(text));
    fw::Gauge g{};
    g.bits = r.value;
    Add_children(node, XML_Write(g));
    Subs(r, node);
}

namespace {
Subelement_table<Handmade> handmade_subs[] = {
    Subelement(&Handmade::value, "Value", "%02X"),
};
}  // namespace

template <>
const Info<Handmade> Info<Handmade>::info("/Fw_doc/Handmade", handmade_subs);

namespace {

fw::Probe Probe_with(std::uint8_t flags, std::uint8_t samples) {
    fw::Probe p;
    std::memset(&p, 0, sizeof p);
    p.id = 0xBEEF;
    p.channel = 3;
    p.first.bits = 0x95;
    p.first.level = 100;
    p.second.bits = 0x7F;
    p.second.level = 0xFFFF;
    p.reserved[0] = 0xAA;
    p.samples.count = samples;
    for (int i = 0; i < 4; ++i) p.samples.value[i] = static_cast<std::uint8_t>(0x10 + i);
    p.flags = flags;
    p.note.text = 200;
    p.note.inner.code = 0xC;
    return p;
}

TEST(Sinks, FrameworkRecordsWriteTheSameBytes) {
    fw::Stamp stamp{};
    stamp.when.tm_year = 124;
    stamp.when.tm_mon = 4;
    stamp.when.tm_mday = 17;
    stamp.when.tm_hour = 13;
    fw::Gauge gauge{};
    gauge.bits = 0x2A;
    gauge.level = 0x1234;
    const struct {
        const char* what;
        Both_ways written;
    } cases[] = {
        {"probe with its note", Write_both_ways(Probe_with(1, 2), Info<fw::Probe>::info)},
        {"probe without a note", Write_both_ways(Probe_with(0, 4), Info<fw::Probe>::info)},
        {"no samples: an empty element", Write_both_ways(Probe_with(1, 0), Info<fw::Probe>::info)},
        {"more samples than room", Write_both_ways(Probe_with(0, 200), Info<fw::Probe>::info)},
        {"text and a child", Write_both_ways(gauge, Info<fw::Gauge>::info)},
        {"attributes only", Write_both_ways(gauge, fw::gauge_alarm_only)},
        {"one attribute twice", Write_both_ways(gauge, fw::gauge_twice)},
        {"calendar leaves", Write_both_ways(stamp, Info<fw::Stamp>::info)},
        {"a leaf", Write_both_ways(gauge.level, Info_primative<BE_ushort>("Level", "%04X"))},
        {"a hook that builds by hand", Write_both_ways(Handmade{0x5A}, Info<Handmade>::info)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.written.irregular);
        EXPECT_EQ(c.written.stream, c.written.tree);
    }
}

TEST(Sinks, EscapedValuesAreTheSameBytes) {
    for (const auto& row : awkward_rows) {
        SCOPED_TRACE(row.name);
        const Both_ways w = Write_both_ways(Awkward{row.value, row.value}, Info<Awkward>::info);
        EXPECT_FALSE(w.irregular);
        EXPECT_EQ(w.stream, w.tree);
    }
    // A value without a name, and one name in both places.
    EXPECT_EQ(Write_both_ways(Awkward{99, 13}, Info<Awkward>::info).stream,
              "  <Awkward name=\"0x63\">&lt;&amp;&gt;\"\xC3\xA9\"</Awkward>\n");
}

// What the log holds after writing through Output_file::Write, and after
// appending the tree of the same record.
template <class T, class D>
std::pair<std::string, std::string> Logged_both_ways(const T& record, const D& descriptor) {
    auto logged = [](auto write) {
        char* data = nullptr;
        std::size_t size = 0;
        std::FILE* f = open_memstream(&data, &size);
        {
            Output_file file(f);
            write(file);
        }
        std::fclose(f);
        std::string text(data, size);
        std::free(data);
        return text;
    };
    return {logged([&](Output_file& f) { f.Write(record, descriptor); }),
            logged([&](Output_file& f) { f.Write_node(descriptor.Write(record)); })};
}

TEST(Sinks, WhatTheStreamCannotWriteGoesThroughTheTree) {
    fw::Note note{};
    note.text = 7;
    note.inner.code = 0x21;
    Stream_sink sink;
    Info<fw::Note>::info.Write(note, sink);  // nameless at the top
    EXPECT_TRUE(sink.Irregular());

    const auto nameless = Logged_both_ways(note, Info<fw::Note>::info);
    EXPECT_EQ(nameless.first, nameless.second);
    EXPECT_NE(nameless.first.find("  <Text>7</Text>\n  <Code>21</Code>\n"), std::string::npos);

    const auto probe = Logged_both_ways(Probe_with(1, 2), Info<fw::Probe>::info);
    EXPECT_EQ(probe.first, probe.second);
}

// Streamed elements wait in the sink's buffer; a tree element, a flush or
// the end of the log hands them over first, so the order holds.
TEST(Sinks, StreamedAndTreeElementsKeepTheirOrder) {
    fw::Gauge g{};
    g.level = 0xABCD;
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    {
        Output_file file(f);
        file.Write(g, Info<fw::Gauge>::info);
        file.Write_node(xmlNewNode(nullptr, To_xml("Between")));
        file.Write(g, Info<fw::Gauge>::info);
        EXPECT_EQ(file.Elements_written(), 3u);
        file.Flush();
        EXPECT_NE(std::string(data, size).find("ABCD"), std::string::npos);
    }
    std::fclose(f);
    const std::string text(data, size);
    std::free(data);
    const std::size_t first = text.find("<Gauge"), between = text.find("<Between/>"), second = text.rfind("<Gauge");
    EXPECT_LT(first, between);
    EXPECT_LT(between, second);
    EXPECT_NE(second, std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 16), "</P25_log_data>\n");
}

// Sink events the descriptors never produce in this order still end up as
// libxml2 would place them, through the tree.
TEST(Sinks, LateAttributesAndTextAfterChildrenAreIrregular) {
    const struct {
        const char* what;
        void (*events)(Sink&);
    } cases[] = {
        {"attribute after text", [](Sink& s) { s.Start("A"), s.Text("t", 1), s.Attribute("x", "1"), s.End(); }},
        {"text after a child",
         [](Sink& s) { s.Start("A"), s.Start("B"), s.End(), s.Text("t", 1), s.End(); }},
        {"attribute of a nameless child",
         [](Sink& s) { s.Start("A"), s.Start(""), s.Attribute("x", "1"), s.End(), s.End(); }},
        {"text with a NUL", [](Sink& s) { s.Start("A"), s.Text("a\0b", 3), s.End(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Stream_sink sink;
        c.events(sink);
        EXPECT_TRUE(sink.Irregular());
    }
}

}  // namespace
