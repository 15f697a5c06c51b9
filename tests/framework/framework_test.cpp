// The XML binding framework on the tests' own records: writing, the grammar
// dump, reading back through the document reader, and the parse-state
// mechanics (copy-back, conditions, splicing, failed reads).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "records.h"

using namespace XML_routines;
using fw::Gauge;
using fw::Probe;

namespace {

Probe Sample_probe() {
    Probe p;
    std::memset(&p, 0, sizeof p);
    p.id = 0x1234;
    p.channel = 7;
    p.first.bits = 0x95;  // alarm, slow, unit 5
    p.first.level = 100;
    p.second.bits = 0x27;  // fast, unit 7
    p.second.level = 0xBEEF;
    p.reserved[0] = 0xAA;
    p.reserved[1] = 0x55;
    p.samples.count = 2;
    p.samples.value[0] = 1;
    p.samples.value[1] = 2;
    p.samples.value[2] = 3;
    p.samples.value[3] = 4;
    p.flags = 1;
    p.note.text = 42;
    p.note.inner.code = 0x0C;
    p.tag[0] = 0xDE;
    p.tag[1] = 0xAD;
    p.tag[2] = 0x01;
    return p;
}

const char probe_xml[] =
    "<Probe id=\"1234\" channel=\"7\" scale=\"10\" first_alarm=\"true\" tag=\"DEAD01\" has_note=\"true\">"
    "<Gauge alarm=\"true\" mode=\"slow\">0064<Unit>5</Unit></Gauge>"
    "<Gauge alarm=\"false\" mode=\"fast\">BEEF<Unit>7</Unit></Gauge>"
    "<Reserved>AA 55 </Reserved>"
    "<Samples>01 02 </Samples>"
    "<Text>42</Text>"
    "<Code>0C</Code>"
    "</Probe>";

// Reads a document below the test root; returns the status.
struct Reading {
    Read_status status;
    unsigned errors;
    std::string last_error;
};
Reading Read(const std::string& body, bool trace = false) {
    fw::Committed().clear();
    Input_data input;
    input.report_errors = false;
    input.trace = trace;
    const std::string doc = "<Fw_doc>\n" + body + "\n</Fw_doc>\n";
    Read_status s = Read_memory(doc.data(), doc.size(), "test.xml", fw::fw_root, input);
    return {s, input.Error_count(), input.Last_error()};
}

// Writes a record with the canonical descriptor, tag renamed as in the log.
std::string Write_probe(const Probe& p) {
    xmlNode* n = XML_Write(p);
    xmlNodeSetName(n, To_xml("Probe"));
    return Text_of(n);
}

}  // namespace

TEST(Writing, AttributesTextAndChildrenInTableOrder) {
    EXPECT_EQ(Write_probe(Sample_probe()), probe_xml);
}

TEST(Writing, ConditionalChildrenFollowTheirFlag) {
    Probe p = Sample_probe();
    p.flags = 0;  // no note: the notes' leaves go, the IfNot child appears
    const std::string text = Write_probe(p);
    EXPECT_EQ(text.find("<Text>"), std::string::npos);
    EXPECT_EQ(text.find("<Code>"), std::string::npos);
    EXPECT_NE(text.find("<Samples>01 02 </Samples><Alarm alarm=\"true\"/></Probe>"), std::string::npos) << text;
}

TEST(Writing, CountsAboveCapacityAndUnnamedValues) {
    struct Case {
        void (*change)(Probe&);
        const char* shows;
    } cases[] = {
        {[](Probe& p) { p.samples.count = 9; }, "<Samples>01 02 03 04 </Samples>"},  // capacity only
        {[](Probe& p) { p.first.bits = 0x70; }, "mode=\"0x7\""},                     // mode 7 has no name
    };
    for (const Case& c : cases) {
        Probe p = Sample_probe();
        c.change(p);
        EXPECT_NE(Write_probe(p).find(c.shows), std::string::npos) << c.shows;
    }
}

TEST(Writing, RepeatedAttributeNameIsWrittenTwice) {
    Gauge g{0x25, {{0, 0}}};
    EXPECT_EQ(Text_of(fw::gauge_twice.Write(g)), "</Fw_doc/Twice v=\"37\" v=\"fast\"/>");
}

TEST(Grammar, DumpListsAttributesTextAndChildren) {
    testing::internal::CaptureStdout();
    Info<Probe>::info.Dump_elements(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "</Fw_doc/Probe id=\"\" channel=\"\" scale=\"\" first_alarm=\"\" tag=\"\" has_note=\"\" >\n"
              "  <Gauge alarm=\"\" mode=\"\" >\n"
              "    Text is allowed\n"
              "    <Unit >\n"
              "  <Gauge alarm=\"\" mode=\"\" >\n"
              "    Text is allowed\n"
              "    <Unit >\n"
              "  <Reserved >\n"
              "  <Samples >\n"
              "    Text is allowed\n"
              "  <Text >\n"
              "  <Code >\n"
              "  <Alarm alarm=\"\" >\n");
}

TEST(Grammar, AnonymousDescriptorPrintsOnlyItsChildrenAtCallersLevel) {
    testing::internal::CaptureStdout();
    Info<fw::Note>::info.Dump_elements(1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "  <Text >\n  <Code >\n");
}

TEST(Grammar, TagCountCountsDistinctTags) {
    // Gauge twice, Reserved, Samples, Text, Code (spliced), Alarm.
    EXPECT_EQ(Info<Probe>::info.Tag_count(), 6u);
    EXPECT_EQ(Info<Probe>::info.Sub_elements()->Count(), 6u);
}

TEST(Reading, RoundTripRestoresEveryShownBit) {
    const Probe p = Sample_probe();
    fw::Probe::notes_committed = 0;
    const Reading r = Read(Write_probe(p));
    ASSERT_EQ(r.status, Read_status::ok) << r.last_error;
    ASSERT_EQ(fw::Committed().size(), 1u);
    Probe expected = p;
    expected.flags |= 0xFE;            // only bit 0 is shown
    expected.samples.value[2] = 0xFF;  // beyond the count: untouched
    expected.samples.value[3] = 0xFF;
    EXPECT_EQ(std::memcmp(&fw::Committed()[0], &expected, sizeof expected), 0);
    // The commit link is spliced with the note's children: one call each.
    EXPECT_EQ(fw::Probe::notes_committed, 2);
    EXPECT_EQ(Write_probe(fw::Committed()[0]), probe_xml);
}

TEST(Reading, ConditionalChildSetsItsCondition) {
    // The note's children alone make has_note true; Alarm makes it false.
    ASSERT_EQ(Read("<Probe has_note=\"false\"><Text>5</Text></Probe>").status, Read_status::ok);
    EXPECT_TRUE(fw::Committed()[0].Get_has_note());
    EXPECT_EQ(fw::Committed()[0].note.text, 5);
    ASSERT_EQ(Read("<Probe has_note=\"true\"><Alarm alarm=\"false\"/></Probe>").status, Read_status::ok);
    EXPECT_FALSE(fw::Committed()[0].Get_has_note());
    EXPECT_EQ(fw::Committed()[0].first.bits & 0x80, 0);
}

TEST(Reading, RepeatedTagsFillSuccessiveEntriesAndAThirdIsRefused) {
    const Reading ok = Read("<Probe><Gauge>0001</Gauge><Gauge>0002</Gauge></Probe>");
    ASSERT_EQ(ok.status, Read_status::ok);
    EXPECT_EQ(fw::Committed()[0].first.level.Value(), 1u);
    EXPECT_EQ(fw::Committed()[0].second.level.Value(), 2u);

    const Reading bad = Read("<Probe><Gauge>0001</Gauge><Gauge>0002</Gauge><Gauge>0003</Gauge></Probe>\n"
                             "<Probe channel=\"9\"/>");
    EXPECT_EQ(bad.status, Read_status::reported);
    EXPECT_NE(bad.last_error.find("Gauge"), std::string::npos) << bad.last_error;
    ASSERT_EQ(fw::Committed().size(), 1u);  // the refused one is not committed
    EXPECT_EQ(fw::Committed()[0].channel, 9);
}

// A bit field takes its bits and leaves its neighbours; a value wider than
// the field is refused, as attribute (through its accessor) or as child
// (through the copy stored back), never cut to its low bits.
TEST(Reading, BitFieldsTakeOnlyValuesThatFit) {
    ASSERT_EQ(Read("<Probe><Gauge alarm=\"true\" mode=\"quick\"><Unit>E</Unit></Gauge></Probe>").status,
              Read_status::ok);
    EXPECT_EQ(fw::Committed()[0].first.bits, 0xAE);  // alarm, mode 2 (second name), unit 14
    const struct { const char *gauge, *report; } refused[] = {
        // The value as written, the range in its base.
        {"<Gauge><Unit>3E</Unit></Gauge>", "Value 3E out of range 0\xE2\x80\x93" "F"},
        {"<Gauge><Unit>10</Unit></Gauge>", "Value 10 out of range 0\xE2\x80\x93" "F"},
        {"<Gauge mode=\"0x8\"/>", "Value 0x8 out of range 0\xE2\x80\x93" "0x7"},
        {"<Gauge mode=\"4294967295\"/>", "Value 4294967295 out of range 0\xE2\x80\x93" "7"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.gauge);
        const Reading result = Read(std::string("<Probe>") + r.gauge + "</Probe>");
        EXPECT_EQ(result.status, Read_status::reported);
        EXPECT_EQ(result.last_error, r.report);
        EXPECT_TRUE(fw::Committed().empty());
    }
}

TEST(Reading, ErrorsNameTheProblem) {
    struct Case {
        const char* body;
        const char* message;
    } cases[] = {
        {"<Probe colour=\"red\"/>", "unknown attribute \"colour\""},
        {"<Probe>text</Probe>", "No text allowed"},
        {"<Probe><Text who=\"x\">1</Text></Probe>", "No attributes for Text"},
        {"<Probe><Gauge mode=\"warp\"/></Probe>", "warp"},
        {"<Probe><Nothing/></Probe>", "Nothing"},
    };
    for (const Case& c : cases) {
        const Reading r = Read(c.body);
        EXPECT_EQ(r.status, Read_status::reported) << c.body;
        EXPECT_NE(r.last_error.find(c.message), std::string::npos) << c.body << " -> " << r.last_error;
    }
}

TEST(Reading, AttributeOnLeafIsReportedButTheValueIsRead) {
    Read("<Probe><Text who=\"x\">17</Text></Probe>");
    ASSERT_EQ(fw::Committed().size(), 1u);
    EXPECT_EQ(fw::Committed()[0].note.text, 17);
}

TEST(Reading, EmptyCountedArrayReadsNothing) {
    Format::Scanner s("");
    fw::Samples samples{};
    samples.count = 3;
    EXPECT_TRUE(Info<fw::Samples>::info.Read(s, samples));
    EXPECT_EQ(samples.count, 0);
    Format::Scanner more("01 02 03 04 05");
    EXPECT_TRUE(Info<fw::Samples>::info.Read(more, samples));
    EXPECT_EQ(samples.count, 4);
    EXPECT_STREQ(more.Rest(), "05");
}

TEST(Reading, TraceLinesPairUpPerElement) {
    testing::internal::CaptureStderr();
    Read("<Probe><Gauge><Unit>1</Unit></Gauge></Probe>", true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "/Fw_doc/Probe Start processing\n"
              "Gauge Start processing\n"
              "Unit Start processing\n"
              "Unit End processing\n"
              "Gauge End processing\n"
              "/Fw_doc/Probe End processing\n");
}

// Parse states driven by hand, as the reader drives them.
class States : public testing::Test {
protected:
    Input_data input;
    void SetUp() override { input.report_errors = false; }
    static bool Attr(Instance_base& st, const char* name, const char* text) {
        Format::Scanner s(text);
        return st.Attribute(To_xml(name), s);
    }
};

TEST_F(States, ValueChildReachesParentOnlyWhenFinalised) {
    Gauge g{0x00, {{0, 0}}};
    Instance<Gauge, Info<Gauge>> parent(input, Info<Gauge>::info, g);
    std::unique_ptr<Instance_base> unit(parent.Get_subinstance(To_xml("Unit")));
    ASSERT_TRUE(unit);
    Format::Scanner s("9");
    ASSERT_TRUE(unit->Text(s));
    EXPECT_EQ(g.bits, 0x00);
    ASSERT_TRUE(unit->Finalize());
    unit->Run_hooks();
    EXPECT_EQ(g.bits, 0x09);
}

TEST_F(States, FailedReadsLeaveTheRecordAlone) {
    Probe p;
    Instance<Probe, Info<Probe>> st(input, Info<Probe>::info, p);  // starts poisoned
    p = Sample_probe();
    const Probe before = p;
    struct Case {
        const char* name;
        const char* text;
    } cases[] = {
        {"id", "XYZ"},            // bad number
        {"channel", "300"},       // out of range for the octet
        {"scale", "-1"},          // getter/setter with a bad value
        {"first_alarm", "maybe"}, // child chain: the sub-record stays
        {"tag", "DEAD"},          // three octets wanted
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Attr(st, c.name, c.text)) << c.name;
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << c.name;
    }
}

TEST_F(States, FirstFiledAttributeWinsOnReading) {
    std::unique_ptr<Instance_base> st(fw::gauge_twice.Get_instance(input));
    ASSERT_TRUE(Attr(*st, "v", "3"));
    auto& g = static_cast<Instance<Gauge, Info<Gauge>>&>(*st).Record();
    EXPECT_EQ(g.bits, 3);
}

TEST(Enumerations, EveryValueRoundTripsNamedOrNot) {
    Format::Enum<unsigned> e(fw::mode_names);
    for (unsigned v = 0; v < 40; ++v) {
        Format::Printer p(0);
        e.Write(p, v);
        Format::Scanner s(p);
        unsigned back = 999;
        EXPECT_TRUE(e.Read(s, back)) << p.c_str();
        EXPECT_EQ(back, v) << p.c_str();
    }
    Format::Scanner s("quick");
    unsigned v = 0;
    EXPECT_TRUE(e.Read(s, v));
    EXPECT_EQ(v, 2u);
}

TEST(Dates, EveryModeWritesAndReadsItsFields) {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 4;
    t.tm_mday = 17;
    t.tm_hour = 13;
    t.tm_min = 45;
    t.tm_sec = 9;
    struct Case {
        Format::TIME_MODE mode;
        const char* text;
    } cases[] = {
        {Format::YYDDMM_HHMMSS, "2024/05/17 13:45:09"},
        {Format::HHMMSS, "13:45:09"},
        {Format::YYMMDD, "2024/05/17"},
        {Format::HHMM, "13:45"},
    };
    for (const Case& c : cases) {
        Format::Date<std::tm> d(c.mode);
        Format::Printer p(0);
        d.Write(p, t);
        EXPECT_STREQ(p.c_str(), c.text);
        std::tm back{};
        back.tm_sec = 59;  // kept unless the mode reads it
        Format::Scanner s(c.text);
        ASSERT_TRUE(d.Read(s, back)) << c.text;
        EXPECT_EQ(back.tm_sec, (c.mode & Format::SECOND) ? 9 : 59) << c.text;
        EXPECT_EQ(back.tm_min, (c.mode & Format::MINUTE) ? 45 : 0) << c.text;
        EXPECT_EQ(back.tm_year, (c.mode & Format::YEAR) ? 124 : 0) << c.text;
    }
    std::tm kept{};
    kept.tm_hour = 3;
    Format::Scanner bad("2024/05/xx");
    EXPECT_FALSE(Format::Date<std::tm>(Format::YYMMDD).Read(bad, kept));
    EXPECT_EQ(kept.tm_hour, 3);
    EXPECT_EQ(kept.tm_year, 0);
}

TEST(Dates, DescriptorWithDateAndTimeChildren) {
    fw::Stamp st{};
    st.when.tm_year = 99;
    st.when.tm_mon = 11;
    st.when.tm_mday = 31;
    st.when.tm_hour = 23;
    st.when.tm_min = 59;
    st.when.tm_sec = 58;
    EXPECT_EQ(Text_of(XML_Write(st)),
              "</Fw_doc/Stamp><Date>1999/12/31</Date><Time>23:59:58</Time><//Fw_doc/Stamp>");
}

TEST(Hashes, FirstNameWinsAndCountIsTheHint) {
    static const Value_entry<int> rows[] = {{"a", 1}, {"b", 2}, {"a", 3}};
    Value_hash<int> h(rows);
    EXPECT_EQ(h.Count(), 3u);
    int v = 0;
    EXPECT_TRUE(h.Lookup("a", v));
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(h.Lookup("c", v));
    EXPECT_EQ(v, 1);
    EXPECT_STREQ(h.Lookup(3), "a");
    EXPECT_EQ(h.Lookup(4), nullptr);
    std::string order;
    h.Each([&](const xmlChar* name, const Value_entry<int>&) { order += From_xml(name); });
    EXPECT_EQ(order, "ab");
}

TEST(Hashes, ChangeHandsTheOldEntryToTheDeallocator) {
    struct Item {
        const char* Name() const { return "k"; }
    };
    static int freed;
    freed = 0;
    Hash<Item> h(4, [](void* p, const xmlChar*) {
        ++freed;
        delete static_cast<Item*>(p);
    });
    h.Add(*new Item);
    h.Change(*new Item, To_xml("k"));
    EXPECT_EQ(freed, 1);
    h.Remove(To_xml("k"));
    EXPECT_EQ(freed, 2);
    int calls = 0;
    h.Each([&](const xmlChar*, const Item&) { ++calls; });
    EXPECT_EQ(calls, 0);
}
