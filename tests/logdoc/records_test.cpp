// The log document's shared records in process: the source attributes and
// the timestamp, "Status_bits", "Sync", the log filter record,
// the "LogFilter" element read from a document, and the host interface.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "xml_text.h"
#include "P25_processing.h"

using namespace XML_routines;

namespace {

// Writes a record's element, named by its tag as the log file names it.
template <class T, class D>
std::string Element(const D& descriptor, const T& record) {
    xmlNode* node = descriptor.Write(record);
    if (node) xmlNodeSetName(node, To_xml(descriptor.Tag()));
    return Text_of(node);
}

// Reads one attribute of a table into the record.
template <class T>
bool Read_attribute(const Attrib::Attrib_Hash<T>& table, const char* name, const char* text, T& record) {
    const Attrib::Hash_entry<T>* entry = table.Lookup(name);
    Format::Scanner scanner(text);
    return entry && entry->Read(scanner, record);
}

}  // namespace

TEST(StatusBits, WriteTheSourceAttributesInOrderAndTheValidSymbolsByName) {
    std::string all;  // the 24 symbols 0, 1, 2, 3, 0, ... by name
    const char* names[] = {"talk", "BUSY", "repeater", "IDLE"};
    for (unsigned i = 0; i < 24; ++i) all += std::string(i ? " " : "") + names[i % 4];
    const char* const osp4 =
        "timestamp=\" 0.00000000\" phys_channel=\"4\" direction=\"rx\" type=\"osp\" timeslot=\"0\"";
    const struct {
        P25::Source_info source;
        std::uint32_t count;
        const char* attributes;
        std::string text;
    } cases[] = {
        {P25::Source_info{{50000000}, 0, 0, 0, 0}, 0,
         "timestamp=\" 1.00000000\" phys_channel=\"0\" direction=\"rx\" type=\"isp\" timeslot=\"0\"", ""},
        {P25::Source_info{{0xFFFFFFFFu}, 7, 2, 1, 255}, 3,
         "timestamp=\"85.89934590\" phys_channel=\"7\" direction=\"rx_sim\" type=\"osp\" timeslot=\"255\"",
         "talk BUSY repeater"},
        // Values without a name are still written, and read back.
        {P25::Source_info{{1}, 1, 9, 4, 0}, 24,
         "timestamp=\" 0.00000002\" phys_channel=\"1\" direction=\"0x9\" type=\"0x4\" timeslot=\"0\"", all},
        {P25::Source_info{{0}, 4, 0, 1, 0}, 25, osp4, all},
        {P25::Source_info{{0}, 4, 0, 1, 0}, 0xFFFFFFFFu, osp4, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        P25::DUID_Header h{};
        h.metadata = c.source;
        h.statuses.count = c.count;
        for (unsigned i = 0; i < 24; ++i) h.statuses.syms[i] = static_cast<std::uint8_t>(i % 4);
        const std::string head = std::string("<Status_bits ") + c.attributes;
        EXPECT_EQ(Element(status_info, h), c.text.empty() ? head + "/>" : head + ">" + c.text + "</Status_bits>");
    }
}

TEST(SourceInfo, ReadsEachAttributeIntoItsOwnBytesOnly) {
    const unsigned char X = 0xFF;  // poison, left alone
    struct Case {
        const char* name;
        const char* text;
        bool ok;
        unsigned char expected[8];
    } cases[] = {
        {"timestamp", "2.5", true, {0x40, 0x59, 0x73, 0x07, X, X, X, X}},  // 125,000,000 ticks
        {"phys_channel", "3", true, {X, X, X, X, 0x03, X, X, X}},
        {"direction", "rx_sim", true, {X, X, X, X, X, 0x02, X, X}},
        {"type", "isp", true, {X, X, X, X, X, X, 0x00, X}},
        {"timeslot", "1", true, {X, X, X, X, X, X, X, 0x01}},
        {"direction", "up", false, {X, X, X, X, X, X, X, X}},
        {"timestamp", "soon", false, {X, X, X, X, X, X, X, X}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        P25::Source_info s;
        std::memset(&s, 0xFF, sizeof s);
        EXPECT_EQ(Read_attribute(Source_info_attr, c.name, c.text, s), c.ok);
        EXPECT_EQ(std::memcmp(&s, c.expected, sizeof s), 0);
    }
    // The NID table carries the source attributes only.
    P25::Source_info_NID r;
    std::memset(&r, 0xFF, sizeof r);
    ASSERT_TRUE(Read_attribute(Source_info_nid_attr, "phys_channel", "9", r));
    EXPECT_EQ(r.metadata.phys_channel, 9);
    EXPECT_EQ(r.nid.nac, 0xFFFFFFFFu);
    EXPECT_EQ(Source_info_nid_attr.Lookup("NAC"), nullptr);
}

// Only the count and the symbols read change: the rest stays as it was.
TEST(StatusBits, ReadsSymbolsAndTheirCount) {
    P25::DUID_Header h, expected;
    std::memset(&h, 0xFF, sizeof h);
    std::memcpy(&expected, &h, sizeof h);
    expected.statuses.count = 2;
    expected.statuses.syms[0] = 2;
    expected.statuses.syms[1] = 3;
    Format::Scanner s("repeater IDLE");
    ASSERT_TRUE(status_info.Read(s, h));
    EXPECT_EQ(std::memcmp(&h, &expected, sizeof h), 0);
}

TEST(Timestamp, ConvertsSecondsToTicksTruncatingAndWrapping) {
    struct Case {
        double seconds;
        std::uint32_t ticks;
    } cases[] = {
        {2.5, 125000000u},
        {0.000000039, 1u},              // 1.95 ticks, truncated
        {85.9, 32704u},                 // 4,295,000,000 ticks: low 32 bits
        {38.09231352, 1904615676u},     // as logged: the double falls a hair short
        {-0.00000002, 0xFFFFFFFFu},     // -1 tick
        {std::nan(""), 0u},
        {HUGE_VAL, 0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        P25::Timestamp t{12345};
        t.Set(c.seconds);
        EXPECT_EQ(t.value, c.ticks);
    }
    EXPECT_DOUBLE_EQ(P25::Timestamp{50000000u}.Get(), 1.0);
}

// DateTime as logged: the golden log of tool_test.cpp.
TEST(Sync, WritesTimestampAndValue) {
    const P25::HW_sync_payload p{{100000000u}, 3};
    EXPECT_EQ(Element(Info<P25::HW_sync_payload>::info, p), "<Sync timestamp=\" 2.00000000\">3</Sync>");
}

// The echo and channels 3 and 256 end to end: tool_test.cpp.
TEST(LogFilter, SetsTheOutputFilterList) {
    const struct {
        const char* body;
        unsigned channel;
        std::uint32_t mask;    // of the channel after reading
        unsigned long echoed;  // LogFilter elements written
        unsigned errors;
    } cases[] = {
        {"<LogFilter phys_channel=\"3\"><Protocol_Cooked>true</Protocol_Cooked></LogFilter>", 3, 0x80000008u, 0, 0},
        {"<LogFilter phys_channel=\"3\"><Environment>true</Environment><Voice>true</Voice></LogFilter>"
         "<LogFilter phys_channel=\"3\"><Raw>true</Raw></LogFilter>",
         3, 0x80000002u, 1, 0},
        {"<LogFilter phys_channel=\"257\"><Environment>true</Environment></LogFilter>", 256, 0xFFFFFFFFu, 0, 1},
        {"<LogFilter><Parametrics>true</Parametrics><Environment>false</Environment></LogFilter>", 0, 0x80000020u, 0,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        Output_file file{std::tmpfile(), true};
        Output_file::Set_current(&file);
        Input_data input(&file);
        input.report_errors = false;
        const std::string doc = std::string("<P25_log_data>") + c.body + "</P25_log_data>";
        Read_memory(doc.data(), doc.size(), "filters", P25_log_data, input);
        Output_file::Set_current(nullptr);
        EXPECT_EQ(file.Filters()[c.channel], c.mask);
        EXPECT_EQ(file.Elements_written(), c.echoed);
        EXPECT_EQ(input.Error_count(), c.errors);
        EXPECT_EQ(input.Last_error(), c.errors ? "Channel # too big: 257" : "");
        // The input's own list has followed the output file's.
        EXPECT_EQ(input.Filters()[c.channel], c.mask);
    }
    // Without an output file a filter only enables errors.
    Filter_data f;
    f.phys_chan = 999;
    Input_data input(nullptr);
    EXPECT_TRUE(filters.Finalize(f, input));
    EXPECT_EQ(f.filters, 0x80000000u);
}

TEST(HostInterface, TheDispatcherIsTheHostsAndReceiveHooksReportWhatIsNotHandedOn) {
    ASSERT_NE(P25::dispatcher, nullptr);
    EXPECT_EQ(P25::dispatcher, Dispatcher::create());
    // Every record handed to a hook begins with its Source_info.
    alignas(8) unsigned char record[sizeof(P25::Log_Dispatch_payload)] = {};
    for (const auto& c : {std::make_pair(3, "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n"),
                          std::make_pair(4, "")}) {
        record[4] = static_cast<unsigned char>(c.first);
        testing::internal::CaptureStderr();
        P25::Receive_Trunk_from_XML(reinterpret_cast<const P25::Trunking_data&>(record));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.second);
    }
}
