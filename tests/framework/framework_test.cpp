// The XML binding framework on small packed records of the tests' own,
// described with every kind of attribute entry and sub-element link it
// offers: writing through both sinks, the grammar dump, reading back through
// the document reader, and the parse-state mechanics (copy-back, conditions,
// splicing, failed reads).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "golden.h"
#include "shared/XML/XML_info.h"
#include "xml_text.h"

using namespace XML_routines;

namespace fw {

#pragma pack(push, 1)
struct Header { std::uint16_t id; std::uint8_t channel; };
// One gauge: octet 0 bit 7 alarm, bits 6..4 mode, bits 3..0 unit; a level.
struct Gauge { std::uint8_t bits; BE_ushort level; };
struct Samples { std::uint8_t count, value[4]; };
// Spliced into Probe without an element of its own.
struct Note_inner { std::uint8_t code; };
struct Note { std::uint8_t text; Note_inner inner; };
struct Probe : Header {
    Gauge first, second;
    std::uint8_t reserved[2];
    Samples samples;
    std::uint8_t flags;  // bit 0: a note is present
    Note note;
    std::uint8_t tag[3];

    bool Get_has_note() const { return flags & 1; }
    void Set_has_note(bool v) { flags = static_cast<std::uint8_t>((flags & ~1u) | (v ? 1u : 0u)); }
    unsigned Get_scale() const { return first.level.Value() / 10; }
    void Set_scale(unsigned v) { first.level = static_cast<unsigned short>(v * 10); }
    bool Note_read(Input_data&) { return ++notes_committed > 0; }
    static int notes_committed;
};
struct Awkward { std::uint8_t name, text; };  // names that need escaping in attribute values or text
struct Handmade { std::uint8_t value; };      // its children hook writes by hand
#pragma pack(pop)
struct Stamp { std::tm when; };  // not packed: it holds a tm
// Not trivially copyable, so its octets are not its value: beside the value,
// how many times it was set.
struct Tally {
    Tally() = default;
    Tally(const Tally& other) : value(other.value) {}
    Tally& operator=(const Tally& other) { return value = other.value, *this; }
    unsigned Get() const { return value; }
    void Set(unsigned v) { value = static_cast<std::uint8_t>(v), ++sets; }
    std::uint8_t value = 0;
    unsigned sets = 0;
};

// Made by its constructor (level 7, step 3) and counted when it ends.
struct Dial {
    Dial() : level(7), step(3) {}
    ~Dial() { ++ended; }
    std::uint8_t level, step;
    static int ended;
};

int Probe::notes_committed = 0;
int Dial::ended = 0;
std::vector<std::pair<int, int>> dials;  // level and step of every Dial committed
std::vector<Probe> committed;  // every Probe committed by an input document, in order
const Info<void> fw_root("/Fw_doc");

}  // namespace fw

using fw::Gauge;
using fw::Probe;

XML_DECLARE_INFO(fw::Probe);
XML_DECLARE_INFO(fw::Gauge);
XML_DECLARE_INFO(fw::Samples);
XML_DECLARE_INFO(fw::Note);
XML_DECLARE_INFO(fw::Note_inner);
XML_DECLARE_INFO(fw::Dial);

// Untouched bits show.
template <> void Info<Probe>::Start(Probe& record, Input_data&) const { std::memset(&record, 0xFF, sizeof record); }
template <> bool Info<Probe>::Commit(Probe& record, Input_data&) const { return fw::committed.push_back(record), true; }
template <> bool Info<fw::Dial>::Commit(fw::Dial& d, Input_data&) const { return fw::dials.push_back({d.level, d.step}), true; }

XML_BITFIELD_NAME(alarm);
XML_BITFIELD_NAME(mode);
XML_BITFIELD_NAME(unit);
XML_BITFIELD(alarm, fw::Gauge, 0, 7, 7);
XML_BITFIELD(mode, fw::Gauge, 0, 6, 4);
XML_BITFIELD(unit, fw::Gauge, 0, 3, 0);

namespace fw {

const Value_entry<unsigned> mode_rows[] = {{"off", 0}, {"slow", 1}, {"fast", 2}, {"quick", 2}};  // quick: read only
const Value_hash<unsigned> mode_names(mode_rows);

Attrib::Attrib_Table<Header> header_attr_table[] = {Get_attrib("id", &Header::id, "%04X"), Get_attrib("channel", &Header::channel)};
const Attrib::Attrib_Hash<Header> header_attr(header_attr_table);

// Gauge: alarm (bit field), mode (bit field through names); level as text.
Attrib::Attrib_Table<Gauge> gauge_attr_table[] = {
    Get_attrib("alarm", Get_Access(GetSet_bf_alarm<Gauge, bool>())),
    Get_attrib("mode", Get_Access(GetSet_bf_mode<Gauge, unsigned>(), mode_names)),
};
const Attrib::Attrib_Hash<Gauge> gauge_attr(gauge_attr_table);
Subelement_table<Gauge> gauge_subs[] = {Subelement(GetSet_bf_unit<Gauge, unsigned>(), "Unit", "%1X")};

Attrib::Attrib_Table<Gauge> alarm_only_table[] = {Get_attrib("alarm", Get_Access(GetSet_bf_alarm<Gauge, bool>()))};
const Attrib::Attrib_Hash<Gauge> alarm_only_attr(alarm_only_table);
const Info<Gauge> gauge_alarm_only("Alarm", alarm_only_attr);

// The same name twice: both written, the first read.
Attrib::Attrib_Table<Gauge> twice_table[] = {
    Get_attrib("v", &Gauge::bits),
    Get_attrib("v", Get_Access(GetSet_bf_mode<Gauge, unsigned>(), mode_names)),
};
const Attrib::Attrib_Hash<Gauge> twice_attr(twice_table);
const Info<Gauge> gauge_twice("/Fw_doc/Twice", twice_attr);

Attrib::Attrib_Table<Dial> dial_table[] = {Get_attrib("level", &Dial::level)};
const Attrib::Attrib_Hash<Dial> dial_attr(dial_table);
const Info<void> dial_root("/Dials");

// Note: anonymous, with an anonymous inner record.
Subelement_table<Note_inner> note_inner_subs[] = {Subelement(&Note_inner::code, "Code", "%02X")};
Subelement_table<Note> note_subs[] = {Subelement(&Note::text, "Text", "%d"), Subelement(&Note::inner)};

// Probe: the header's attributes through the base part; a scale read through
// member functions; the alarm of the first gauge; the tag octets; the note flag.
Attrib::Attrib_Table<Probe> probe_attr_table[] = {
    Get_attrib(header_attr).Of<Probe>(),
    Get_attrib("scale", &Probe::Get_scale, &Probe::Set_scale),
    Get_attrib("first_alarm", Get_Access(GetSet_bf_alarm<Gauge, bool>())).Of(&Probe::first),
    Get_attrib("tag", &Probe::tag, "%02X"),
    Get_attrib("has_note", &Probe::Get_has_note, &Probe::Set_has_note),
};
const Attrib::Attrib_Hash<Probe> probe_attr(probe_attr_table);
const auto has_note = Access::GetSet_func<Probe, bool, bool>(&Probe::Get_has_note, &Probe::Set_has_note);
Subelement_table<Probe> probe_subs[] = {
    Subelement(&Probe::first),
    Subelement(&Probe::second),
    Subelement_reserved(&Probe::reserved),
    Subelement(&Probe::samples),
    Subelement(&Probe::note).If(has_note, true).Commit(&Probe::Note_read),
    Subelement(&Probe::first, gauge_alarm_only).IfNot(has_note, true),
};

Subelement_table<Stamp> stamp_subs[] = {
    Subelement(&Stamp::when, "Date", Format::YYMMDD),
    Subelement(&Stamp::when, "Time", Format::HHMMSS),
};

const Value_entry<unsigned char> awkward_rows[] = {
    {"plain", 0},        {"a<b", 1},         {"x&y", 2},         {"q\"uote", 3},   {"apos'", 4},
    {"gt>", 5},          {"tab\there", 6},   {"nl\nhere", 7},    {"cr\rhere", 8},  {"caf\xC3\xA9", 9},
    {"\x01" "ctl", 10},  {"del\x7F", 11},    {"\xE2\x82\xAC", 12}, {"<&>\"\xC3\xA9\"", 13}, {"", 14},
};
const Value_hash<unsigned char> awkward_names(awkward_rows);
Attrib::Attrib_Table<Awkward> awkward_table[] = {Get_attrib("name", &Awkward::name, awkward_names)};
const Attrib::Attrib_Hash<Awkward> awkward_attr(awkward_table);
Subelement_table<Handmade> handmade_subs[] = {Subelement(&Handmade::value, "Value", "%02X")};
Attrib::Attrib_Table<Tally> tally_table[] = {Get_attrib("v", &Tally::Get, &Tally::Set)};
const Attrib::Attrib_Hash<Tally> tally_attr(tally_table);

}  // namespace fw

template <> const Info<Gauge> Info<Gauge>::info("Gauge", fw::gauge_attr, Get_Access(&Gauge::level, "%04X"), fw::gauge_subs);
template <> const Info<fw::Samples> Info<fw::Samples>::info("Samples", Get_Access(&fw::Samples::value, &fw::Samples::count, "%02X "));
template <> const Info<fw::Note_inner> Info<fw::Note_inner>::info("", fw::note_inner_subs);
template <> const Info<fw::Note> Info<fw::Note>::info("", fw::note_subs);
template <> const Info<Probe> Info<Probe>::info("/Fw_doc/Probe", fw::probe_attr, fw::probe_subs);
template <> const Info<fw::Stamp> Info<fw::Stamp>::info("/Fw_doc/Stamp", fw::stamp_subs);
template <>
const Info<fw::Tally> Info<fw::Tally>::info("/Fw_doc/Tally", fw::tally_attr, Get_Access(&fw::Tally::value, "%d"));
template <> const Info<fw::Awkward> Info<fw::Awkward>::info("Awkward", fw::awkward_attr, Get_Access(&fw::Awkward::text, fw::awkward_names));

// Builds by hand on the node it is given: an attribute, a raw child, a
// child tree from a descriptor, the same put together from its header
// (attributes only), text and children, then the value through the usual
// leaf.
template <>
void Info<fw::Handmade>::Write_subs(const fw::Handmade& r, xmlNode* node) const {
    const std::string text = std::to_string(r.value);
    xmlNewProp(node, To_xml("late"), To_xml(text.c_str()));
    xmlNewChild(node, nullptr, To_xml("Raw"), To_xml(text.c_str()));
    const Gauge gauge{r.value, {{0, 0}}};
    Add_children(node, XML_Write(gauge));
    xmlNode* header = Info<Gauge>::info.Write_header(gauge);
    Add_children(node, xmlCopyNode(header, 1));
    Info<Gauge>::info.Text(gauge, header);
    Info<Gauge>::info.Subs(gauge, header);
    Add_children(node, header);
    Subs(r, node);
}
template <> const Info<fw::Handmade> Info<fw::Handmade>::info("/Fw_doc/Handmade", fw::handmade_subs);
template <> const Info<fw::Dial> Info<fw::Dial>::info("/Dials/Dial", fw::dial_attr);

namespace {

// id 1234, channel 7; alarm, slow, unit 5, level 100; fast, unit 7, level BEEF;
// two of four samples; a note; tag DEAD01.
const Probe sample{{0x1234, 7}, {0x95, {{0x00, 0x64}}}, {0x27, {{0xBE, 0xEF}}}, {0xAA, 0x55},
                   {2, {1, 2, 3, 4}},  1, {42, {0x0C}}, {0xDE, 0xAD, 0x01}};

std::tm Calendar(int year, int mon, int mday, int hour, int min, int sec) {
    std::tm t{};
    t.tm_year = year, t.tm_mon = mon, t.tm_mday = mday, t.tm_hour = hour, t.tm_min = min, t.tm_sec = sec;
    return t;
}

struct Reading { Read_status status; std::string last_error; };
// Reads body below the test root.
Reading Read(const std::string& body, bool trace = false) {
    fw::committed.clear();
    Input_data input;
    input.report_errors = false;
    input.trace = trace;
    const std::string doc = "<Fw_doc>\n" + body + "\n</Fw_doc>\n";
    const Read_status s = Read_memory(doc.data(), doc.size(), "test.xml", fw::fw_root, input);
    return {s, input.Last_error()};
}

// What the log holds after write(file, so_far), on a stream in memory;
// so_far() flushes the log and gives what it holds by then.
template <class F>
std::string Logged(F write) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    {
        Output_file file(f);
        write(file, [&] { return file.Flush(), std::string(data, size); });
    }
    std::fclose(f);
    std::string text(data, size);
    std::free(data);
    return text;
}

}  // namespace

// Every record written through both sinks: the same bytes, as the log holds
// them, pinned in a golden file with the grammar dump and a trace.
TEST(Writing, BothSinksWriteTheSameWholeElements) {
    std::string out;
    auto add = [&](const std::string& what, const Both_ways& w) {
        EXPECT_FALSE(w.irregular) << what;
        EXPECT_EQ(w.stream, w.tree) << what;
        out += "== " + what + "\n" + w.tree;
    };
    const struct { const char* what; void (*change)(Probe&); } probes[] = {
        {"probe", [](Probe&) {}},
        {"no note: the note's leaves go, the IfNot child appears", [](Probe& p) { p.flags = 0; }},
        {"no samples: an empty element", [](Probe& p) { p.samples.count = 0; }},
        {"more samples than room: capacity only", [](Probe& p) { p.samples.count = 200; }},
        {"modes without a name", [](Probe& p) { p.first.bits = 0x70, p.second.bits = 0x7F; }},
    };
    for (const auto& p : probes) {
        Probe probe = sample;
        p.change(probe);
        add(p.what, Write_both_ways(probe, Info<Probe>::info));
    }
    const Gauge gauge{0x2A, {{0x12, 0x34}}};
    add("text and a child", Write_both_ways(gauge, Info<Gauge>::info));
    add("attributes only", Write_both_ways(gauge, fw::gauge_alarm_only));
    add("one attribute twice", Write_both_ways(gauge, fw::gauge_twice));
    add("calendar leaves", Write_both_ways(fw::Stamp{Calendar(99, 11, 31, 23, 59, 58)}, Info<fw::Stamp>::info));
    add("a leaf", Write_both_ways(gauge.level, Info_primative<BE_ushort>("Level", "%04X")));
    add("a hook that builds by hand", Write_both_ways(fw::Handmade{0x5A}, Info<fw::Handmade>::info));
    for (const auto& row : fw::awkward_rows)  // names that need escaping, in attribute and text
        add("escaped", Write_both_ways(fw::Awkward{row.value, row.value}, Info<fw::Awkward>::info));
    add("a value without a name", Write_both_ways(fw::Awkward{99, 13}, Info<fw::Awkward>::info));

    testing::internal::CaptureStdout();
    Info<Probe>::info.Dump_elements(0);
    Info<fw::Note>::info.Dump_elements(1);  // anonymous: only its children, at the caller's level
    out += "== grammar\n" + testing::internal::GetCapturedStdout();
    testing::internal::CaptureStderr();
    Read("<Probe><Gauge><Unit>1</Unit></Gauge></Probe>", true);
    out += "== trace\n" + testing::internal::GetCapturedStderr();
    Expect_golden_file("framework", "written.txt", out);
    // Gauge twice, Reserved, Samples, Text, Code (spliced), Alarm.
    EXPECT_EQ(Info<Probe>::info.Tag_count(), 6u);
    EXPECT_EQ(Info<Probe>::info.Sub_elements()->Count(), 6u);
}

// Links, leaf descriptors and indexes are carved out of shared blocks:
// each is aligned for the widest member any of them has.
TEST(Writing, TableObjectsAreAlignedForTheirMembers) {
    const auto* subs = Info<Probe>::info.Sub_elements();
    std::vector<const void*> objects{subs};
    for (unsigned i = 0; i < subs->Count(); ++i) {
        objects.push_back((*subs)[i]);
        objects.push_back(&(*subs)[i]->Info());
    }
    for (const void* object : objects) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(object) % alignof(long long), 0u);
}

// One child as the record writes it: the first of its tag, through a
// spliced descriptor too; nothing for a tag not filed, or no children at all.
TEST(Writing, OneChildAsText) {
    const std::pair<std::string, const char*> rows[] = {
        {Info<Probe>::info.Child_text("Gauge", sample),
         "  <Gauge alarm=\"true\" mode=\"slow\">0064<Unit>5</Unit></Gauge>\n"},
        {Info<Probe>::info.Child_text("Code", sample), "  <Code>0C</Code>\n"},
        {Info<Probe>::info.Child_text("Nothing", sample), ""},
        {Info<fw::Samples>::info.Child_text("Samples", sample.samples), ""},
    };
    for (const auto& r : rows) EXPECT_EQ(r.first, r.second);
}

// What the stream cannot write exactly goes through the tree in the log:
// a nameless element at the top, and sink events the descriptors never
// produce in this order; streamed and tree elements keep their order.
TEST(Writing, TheLogFallsBackToTheTree) {
    const fw::Note note{7, {0x21}};
    Stream_sink sink;
    Info<fw::Note>::info.Write(note, sink);
    EXPECT_TRUE(sink.Irregular());
    const std::string nameless = Logged([&](Output_file& f, auto) { f.Write(note, Info<fw::Note>::info); });
    EXPECT_EQ(nameless, Logged([&](Output_file& f, auto) { f.Write_node(Info<fw::Note>::info.Write(note)); }));
    EXPECT_NE(nameless.find("  <Text>7</Text>\n  <Code>21</Code>\n"), std::string::npos);
    EXPECT_EQ(Logged([&](Output_file& f, auto) { f.Write(sample, Info<Probe>::info); }),
              Logged([&](Output_file& f, auto) { f.Write_node(Info<Probe>::info.Write(sample)); }));

    const struct { const char* what; void (*events)(Sink&); } cases[] = {
        {"attribute after text", [](Sink& s) { s.Start("A"), s.Text("t", 1), s.Attribute("x", "1"), s.End(); }},
        {"text after a child", [](Sink& s) { s.Start("A"), s.Start("B"), s.End(), s.Text("t", 1), s.End(); }},
        {"attribute of a nameless child",
         [](Sink& s) { s.Start("A"), s.Start(""), s.Attribute("x", "1"), s.End(), s.End(); }},
        {"text with a NUL", [](Sink& s) { s.Start("A"), s.Text("a\0b", 3), s.End(); }},
    };
    for (const auto& c : cases) {
        Stream_sink s;
        c.events(s);
        EXPECT_TRUE(s.Irregular()) << c.what;
    }

    // Streamed elements wait in the sink's buffer; a tree element, a flush or
    // the end of the log hands them over first.
    const Gauge g{0, {{0xAB, 0xCD}}};
    const std::string text = Logged([&](Output_file& f, auto so_far) {
        f.Write(g, Info<Gauge>::info);
        f.Write_node(xmlNewNode(nullptr, To_xml("Between")));
        f.Write(g, Info<Gauge>::info);
        EXPECT_EQ(f.Elements_written(), 3u);
        const std::string now = so_far();  // the last one too
        EXPECT_NE(now.find("ABCD", now.find("<Between/>")), std::string::npos);
    });
    const std::size_t first = text.find("<Gauge"), between = text.find("<Between/>"), second = text.rfind("<Gauge");
    EXPECT_LT(first, between);
    EXPECT_LT(between, second);
    EXPECT_NE(second, std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 16), "</P25_log_data>\n");
}

TEST(Reading, RoundTripRestoresEveryShownBit) {
    Probe::notes_committed = 0;
    const Reading r = Read(Log_text(XML_Write(sample)));
    ASSERT_EQ(r.status, Read_status::ok) << r.last_error;
    ASSERT_EQ(fw::committed.size(), 1u);
    Probe expected = sample;
    expected.flags |= 0xFE;                                        // only bit 0 is shown
    expected.samples.value[2] = expected.samples.value[3] = 0xFF;  // beyond the count: untouched
    EXPECT_EQ(std::memcmp(&fw::committed[0], &expected, sizeof expected), 0);
    // The commit link is spliced with the note's children: one call each.
    EXPECT_EQ(Probe::notes_committed, 2);
}

// Each document with its last report ("" for none); the probes it committed
// (the read starts from all bits set) are pinned in a golden file.
TEST(Reading, DocumentsAndTheirReports) {
    const std::string range = "out of range 0\xE2\x80\x93";
    const std::pair<const char*, std::string> docs[] = {
        // The note's children alone make has_note true; Alarm makes it false.
        {"<Probe has_note=\"false\"><Text>5</Text></Probe>", ""},
        {"<Probe has_note=\"true\"><Alarm alarm=\"false\"/></Probe>", ""},
        // Repeated tags fill successive entries; a third is refused, and the probe with it.
        {"<Probe><Gauge>0001</Gauge><Gauge>0002</Gauge></Probe>", ""},
        {"<Probe><Gauge>0001</Gauge><Gauge>0002</Gauge><Gauge>0003</Gauge></Probe>\n<Probe channel=\"9\"/>", "repeated <Gauge> in <Probe>"},
        // A bit field takes its bits and leaves its neighbours: mode 2 by its
        // second name, mode 3 by its number.
        {"<Probe><Gauge alarm=\"false\" mode=\"quick\"><Unit>E</Unit></Gauge><Gauge mode=\"0x3\">FFFF</Gauge></Probe>", ""},
        // A value that is its element's text is not left out.
        {"<Probe><Gauge mode=\"0x3\"/></Probe>", "Empty text: expected up to 4 hexadecimal digits"},
        // A value wider than the field is refused as attribute (through its
        // accessor) or as child (through the copy stored back), never cut to
        // its low bits; the value as written, the range in its base.
        {"<Probe><Gauge><Unit>3E</Unit></Gauge></Probe>", "Value 3E " + range + "F"},
        {"<Probe><Gauge><Unit>10</Unit></Gauge></Probe>", "Value 10 " + range + "F"},
        {"<Probe><Gauge mode=\"0x8\"/></Probe>", "Value 0x8 " + range + "0x7"},
        {"<Probe><Gauge mode=\"4294967295\"/></Probe>", "Value 4294967295 " + range + "7"},
        {"<Probe colour=\"red\"/>", "unknown attribute \"colour\""},
        {"<Probe>text</Probe>", "No text allowed"},
        {"<Probe><Gauge mode=\"warp\">FFFF</Gauge></Probe>", "Bad value \"warp\": expected off, slow, fast or quick"},
        {"<Probe><Nothing/></Probe>", "Unknown element <Nothing> in <Probe>"},
        {"<Probe><Text who=\"x\">17</Text></Probe>", "No attributes for Text"},  // the value is read
        // An attribute that agrees with the text, on a record whose octets
        // are not its value (the attribute is not read again to compare).
        {"<Tally v=\"5\">5</Tally>", ""},
        // A counted array takes up to its capacity; what is left over is reported.
        {"<Probe><Samples>01 02 03 04 05</Samples></Probe>", "Unexpected text \"05\""},
    };
    std::string out;
    for (const auto& d : docs) {
        const Reading r = Read(d.first);
        EXPECT_EQ(r.status, d.second.empty() ? Read_status::ok : Read_status::reported) << d.first;
        EXPECT_EQ(r.last_error, d.second) << d.first;
        out += std::string("== ") + d.first + "\n";
        for (const Probe& p : fw::committed) out += Log_text(XML_Write(p));
    }
    Expect_golden_file("framework", "read.txt", out);
}

// The grammar behind a report is kept from document to document: a
// descriptor filed in between, or gone, is in the next report, or no longer.
TEST(Reading, ReportsFollowDescriptorsFiledBetweenDocuments) {
    const std::string unknown = "Unknown element <Fw_latecomer> in <Fw_doc>";
    EXPECT_EQ(Read("<Fw_latecomer/>").last_error, unknown);
    {
        const Info<void> late("/Fw_doc/Fw_latecomers");
        EXPECT_EQ(Read("<Fw_latecomer/>").last_error, unknown + " (did you mean <Fw_latecomers>?)");
    }
    EXPECT_EQ(Read("<Fw_latecomer/>").last_error, unknown);
}

// A top-level element reads into a record of its own: made by the record's
// constructor before the element's values go into it, ended once after.
TEST(Reading, ARecordOfItsOwnIsConstructedAndEnded) {
    fw::dials.clear();
    fw::Dial::ended = 0;
    Input_data input;
    input.report_errors = false;
    const std::string doc = "<Dials>\n<Dial level=\"9\"/>\n<Dial/>\n</Dials>\n";
    ASSERT_EQ(Read_memory(doc.data(), doc.size(), "dials.xml", fw::dial_root, input), Read_status::ok);
    EXPECT_EQ(fw::dials, (std::vector<std::pair<int, int>>{{9, 3}, {7, 3}}));
    EXPECT_EQ(fw::Dial::ended, 2);
}

// A value's expected text names its digits in the singular when there is
// one: a 4-bit field printed "%X" takes up to 1 hexadecimal digit.
TEST(Reading, ExpectedTextOfOneDigit) {
    const Info<Gauge> nibble("/Fw_doc/Fw_nibble", Get_Access(GetSet_bf_unit<Gauge, unsigned>(), "%X"));
    EXPECT_EQ(Read("<Fw_nibble/>").last_error, "Empty text: expected up to 1 hexadecimal digit");
    EXPECT_EQ(Read("<Fw_nibble>10</Fw_nibble>").last_error,
              "Value 10 out of range 0\xE2\x80\x93" "F");
}

namespace fw_mismatch {
struct Left {
    std::uint8_t a;
};
struct Right {
    std::uint8_t b;
};
}  // namespace fw_mismatch

// An anonymous descriptor spliced into a table of another record type is a
// mistake of the tables: it stops the load, naming both record types.
TEST(TablesDeathTest, AnAnonymousDescriptorOfAnotherRecordTypeStopsTheLoad) {
    using fw_mismatch::Left;
    using fw_mismatch::Right;
    static Subelement_table<Right> right_fields[] = {Subelement(&Right::b, "B")};
    static const Info<Right> right("", right_fields);
    static Subelement_table<Left> left_fields[] = {Subelement_base<Left>::Entry(right)};
    EXPECT_DEATH(Info<Left>("Left", left_fields).Tag_count(),
                 "Mismatch: wanted fw_mismatch::Left, got fw_mismatch::Right\n");
}

// Parse states driven by hand, as the reader drives them.
TEST(States, FailedReadsLeaveTheRecordAlone) {
    Input_data input;
    input.report_errors = false;
    const auto Attr = [](Instance_base& st, const char* name, const char* text) {
        Format::Scanner s(text);
        return st.Attribute(To_xml(name), s);
    };
    Probe p;
    Instance<Probe, Info<Probe>> st(input, Info<Probe>::info, p);  // starts poisoned
    p = sample;
    // A bad number, out of range for the octet, a bad value through a
    // setter, a child chain (the sub-record stays), three octets wanted.
    const std::pair<const char*, const char*> cases[] = {
        {"id", "XYZ"}, {"channel", "300"}, {"scale", "-1"}, {"first_alarm", "maybe"}, {"tag", "DEAD"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Attr(st, c.first, c.second)) << c.first;
        EXPECT_EQ(std::memcmp(&p, &sample, sizeof p), 0) << c.first;
    }
    // Of an attribute name filed twice, the first is read.
    std::unique_ptr<Instance_base> twice(fw::gauge_twice.Get_instance(input));
    ASSERT_TRUE(Attr(*twice, "v", "3"));
    EXPECT_EQ((static_cast<Instance<Gauge, Info<Gauge>>&>(*twice).Record().bits), 3);
}

// Each mode writes its fields and reads them back into a record that keeps
// the others (shown in full); a failed read changes nothing.
TEST(Formats, EveryDateModeWritesAndReadsItsFields) {
    const auto text = [](Format::TIME_MODE mode, const std::tm& t) {
        Format::Printer p(0);
        Format::Date<std::tm>(mode).Write(p, t);
        return std::string(p);
    };
    const char* const untouched = "1900/01/01 00:00:59";
    const struct { Format::TIME_MODE mode; const char *text, *back; } cases[] = {
        {Format::YYDDMM_HHMMSS, "2024/05/17 13:45:09", "2024/05/17 13:45:09"},
        {Format::HHMMSS, "13:45:09", "1900/01/01 13:45:09"},
        {Format::YYMMDD, "2024/05/17", "2024/05/17 00:00:59"},
        {Format::HHMM, "13:45", "1900/01/01 13:45:59"},
        {Format::YYMMDD, "2024/05/xx", untouched},
    };
    for (const auto& c : cases) {
        const bool ok = c.back != untouched;
        EXPECT_TRUE(!ok || text(c.mode, Calendar(124, 4, 17, 13, 45, 9)) == c.text) << c.text;
        std::tm back = Calendar(0, 0, 1, 0, 0, 59);
        Format::Scanner s(c.text);
        EXPECT_EQ(Format::Date<std::tm>(c.mode).Read(s, back), ok) << c.text;
        EXPECT_EQ(text(Format::YYDDMM_HHMMSS, back), c.back);
    }
}

// A name table visits its names in filing order whatever is done to it: a
// name filed twice keeps its first entry and place, a replaced entry keeps
// the place, a removed name leaves it, and a name filed during a visit is
// visited too.
TEST(Names, TablesKeepTheirFilingOrder) {
    static const char* const names[] = {"b", "a", "c", "d"};
    int entries[5] = {0, 1, 2, 3, 4};
    Hash<int> table(4);
    const auto order = [&] {
        std::string s;
        table.Each([&](const xmlChar* name, const int& e) { s += From_xml(name) + std::to_string(e) + " "; });
        return s;
    };
    const struct { const char* step; std::function<void()> act; const char* then; } steps[] = {
        {"filed", [&] { for (int i = 0; i < 4; ++i) table.Add(entries[i], To_xml(names[i])); }, "b0 a1 c2 d3 "},
        {"filed twice", [&] { table.Add(entries[4], To_xml("a")); }, "b0 a1 c2 d3 "},
        {"replaced", [&] { table.Change(entries[4], To_xml("c")); }, "b0 a1 c4 d3 "},
        {"removed", [&] { table.Remove(To_xml("b")); }, "a1 c4 d3 "},
        {"filed while visiting",
         [&] { table.Each([&](const xmlChar*, const int&) { table.Add(entries[0], To_xml("e")); }); },
         "a1 c4 d3 e0 "},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(order(), s.then) << s.step;
    }
    EXPECT_EQ(table.Lookup("c"), &entries[4]);
    EXPECT_EQ(table.Lookup("b"), nullptr);
    EXPECT_EQ(table.Count(), 4u);  // the size it was made for
}

namespace fw {
// Made at compile time: a table of value names needs nothing run at load.
constexpr Value_entry<int> number_rows[] = {{"one", 1}, {"uno", 1}, {"two", 2}, {"one", 3}, {"", 4}};
constexpr Value_hash<int> number_names(number_rows);
static_assert(std::is_trivially_destructible_v<Value_hash<int>>, "a value table runs nothing at exit");
}  // namespace fw

// A value table reads every name of a value, a name given twice as its first
// row, and writes the first row's name of a value.
TEST(Names, ValueTablesReadAndWriteTheirFirstRow) {
    const struct { const char* name; bool found; int value; } reads[] = {
        {"one", true, 1}, {"uno", true, 1}, {"two", true, 2}, {"", true, 4}, {"One", false, -1}, {"on", false, -1},
    };
    for (const auto& c : reads) {
        int value = -1;
        EXPECT_EQ(fw::number_names.Lookup(c.name, value), c.found) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    const struct { int value; const char* name; } writes[] = {{1, "one"}, {2, "two"}, {3, "one"}, {4, ""}, {5, "-"}};
    for (const auto& c : writes) {
        const char* name = fw::number_names.Lookup(c.value);
        EXPECT_STREQ(name ? name : "-", c.name) << c.value;
    }
}

// Fields printing with one format text share one format, whatever the
// address of the text; formats beyond the shared table's room are shared
// too and still read their own text.
TEST(Formats, FieldsShareAFormatByItsText) {
    const std::string copy = "%06X";
    EXPECT_EQ(&Format::Shared_format("%06X"), &Format::Shared_format(copy.c_str()));
    EXPECT_NE(&Format::Shared_format("%06X"), &Format::Shared_format("%06x"));
    EXPECT_STREQ(Format::Shared_format(nullptr).Format(), "");
    for (int i = 1; i <= 600; ++i) {
        const std::string text = "%" + std::to_string(i) + "d";
        const Format::format_info& f = Format::Shared_format(text.c_str());
        ASSERT_STREQ(f.Format(), text.c_str());
        ASSERT_EQ(f.Width(), i);
        ASSERT_EQ(&Format::Shared_format(text.c_str()), &f);
    }
}
