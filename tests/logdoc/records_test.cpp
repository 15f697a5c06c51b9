// The log document's shared records in process: the source attributes and
// the timestamp, "Status_bits", "DateTime", the log filter record, the
// "LogFilter" element read from a document, and the receive hooks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "P25_processing.h"

using namespace XML_routines;

namespace {

std::string Dump(xmlNode* node) {
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, nullptr, node, 0, 0);
    std::string s(reinterpret_cast<const char*>(xmlBufferContent(buffer)));
    xmlBufferFree(buffer);
    return s;
}

// Writes a record's element, named by its tag as the log file names it, and
// frees it.
template <class T, class D>
std::string Element(const D& descriptor, const T& record) {
    xmlNode* node = descriptor.Write(record);
    if (node) xmlNodeSetName(node, To_xml(descriptor.Tag()));
    const std::string s = node ? Dump(node) : "(null)";
    xmlFreeNode(node);
    return s;
}

template <class T>
void Poison(T& record) {
    std::memset(&record, 0xFF, sizeof record);
}

// Reads one attribute of a table into the record.
template <class T>
bool Read_attribute(const Attrib::Attrib_Hash<T>& table, const char* name, const char* text, T& record) {
    const Attrib::Hash_entry<T>* entry = table.Lookup(name);
    if (!entry) return false;
    Format::Scanner scanner(text);
    return entry->Read(scanner, record);
}

// A log that XML_Log writes to while it exists.
struct Current_log {
    Output_file file{std::tmpfile(), true};
    Current_log() { Output_file::Set_current(&file); }
    ~Current_log() { Output_file::Set_current(nullptr); }
};

P25::Source_info Source(std::uint32_t ticks, unsigned channel, unsigned dir, unsigned osp, unsigned slot) {
    P25::Source_info s;
    s.timestamp.value = ticks;
    s.phys_channel = static_cast<std::uint8_t>(channel);
    s.dir_tx = static_cast<std::uint8_t>(dir);
    s.is_osp = static_cast<std::uint8_t>(osp);
    s.timeslot = static_cast<std::uint8_t>(slot);
    return s;
}

// ---- Source attributes and the timestamp --------------------------------------------------

TEST(SourceInfo, WritesItsAttributesInOrder) {
    struct Case {
        P25::Source_info source;
        const char* attributes;
    } cases[] = {
        {Source(50000000, 0, 0, 0, 0),
         "timestamp=\" 1.00000000\" phys_channel=\"0\" direction=\"rx\" type=\"isp\" timeslot=\"0\""},
        {Source(0xFFFFFFFFu, 7, 2, 1, 255),
         "timestamp=\"85.89934590\" phys_channel=\"7\" direction=\"rx_sim\" type=\"osp\" timeslot=\"255\""},
        // Values without a name are still written, and read back.
        {Source(1, 1, 9, 4, 0),
         "timestamp=\" 0.00000002\" phys_channel=\"1\" direction=\"0x9\" type=\"0x4\" timeslot=\"0\""},
    };
    for (const Case& c : cases) {
        P25::DUID_Header header{};
        header.metadata = c.source;
        EXPECT_EQ(Element(status_info, header), std::string("<Status_bits ") + c.attributes + "/>");
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
        {"timestamp", "1", true, {0x80, 0xF0, 0xFA, 0x02, X, X, X, X}},
        {"phys_channel", "3", true, {X, X, X, X, 0x03, X, X, X}},
        {"direction", "rx_sim", true, {X, X, X, X, X, 0x02, X, X}},
        {"direction", "tx", true, {X, X, X, X, X, 0x01, X, X}},
        {"type", "isp", true, {X, X, X, X, X, X, 0x00, X}},
        {"timeslot", "1", true, {X, X, X, X, X, X, X, 0x01}},
        {"direction", "up", false, {X, X, X, X, X, X, X, X}},
        {"type", "both", false, {X, X, X, X, X, X, X, X}},
        {"timestamp", "soon", false, {X, X, X, X, X, X, X, X}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        P25::Source_info s;
        Poison(s);
        EXPECT_EQ(Read_attribute(Source_info_attr, c.name, c.text, s), c.ok);
        EXPECT_EQ(std::memcmp(&s, c.expected, sizeof s), 0);
    }
}

TEST(SourceInfo, TheNidTableCarriesTheSourceAttributesOnly) {
    P25::Source_info_NID r;
    Poison(r);
    ASSERT_TRUE(Read_attribute(Source_info_nid_attr, "phys_channel", "9", r));
    EXPECT_EQ(r.metadata.phys_channel, 9);
    EXPECT_EQ(r.nid.nac, 0xFFFFFFFFu);
    EXPECT_EQ(Source_info_nid_attr.Lookup("NAC"), nullptr);
}

TEST(Timestamp, ConvertsSecondsToTicksTruncatingAndWrapping) {
    struct Case {
        double seconds;
        std::uint32_t ticks;
    } cases[] = {
        {1.0, 50000000u},
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
        P25::Timestamp t;
        t.value = 12345;
        t.Set(c.seconds);
        EXPECT_EQ(t.value, c.ticks);
    }
    P25::Timestamp t{50000000u};
    EXPECT_DOUBLE_EQ(t.Get(), 1.0);
}

// ---- Status_bits, DateTime, Sync -----------------------------------------------------------

TEST(StatusBits, WritesTheValidSymbolsByName) {
    std::string all;  // the 24 symbols 0, 1, 2, 3, 0, ... by name
    const char* names[] = {"talk", "BUSY", "repeater", "IDLE"};
    for (unsigned i = 0; i < 24; ++i) all += std::string(i ? " " : "") + names[i % 4];
    const struct {
        std::uint32_t count;
        std::string text;
    } cases[] = {{0, ""}, {3, "talk BUSY repeater"}, {24, all}, {25, all}, {0xFFFFFFFFu, all}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        P25::DUID_Header h{};
        h.metadata = Source(0, 4, 0, 1, 0);
        h.statuses.count = c.count;
        for (unsigned i = 0; i < 24; ++i) h.statuses.syms[i] = static_cast<std::uint8_t>(i % 4);
        const std::string head =
            "<Status_bits timestamp=\" 0.00000000\" phys_channel=\"4\" direction=\"rx\" type=\"osp\" timeslot=\"0\"";
        EXPECT_EQ(Element(status_info, h), c.text.empty() ? head + "/>" : head + ">" + c.text + "</Status_bits>");
    }
}

TEST(StatusBits, ReadsSymbolsAndTheirCount) {
    P25::DUID_Header h;
    Poison(h);
    Format::Scanner s("repeater IDLE");
    ASSERT_TRUE(status_info.Read(s, h));
    EXPECT_EQ(h.statuses.count, 2u);
    EXPECT_EQ(h.statuses.syms[0], 2);
    EXPECT_EQ(h.statuses.syms[1], 3);
    for (unsigned i = 2; i < 24; ++i) EXPECT_EQ(h.statuses.syms[i], 0xFF);
    EXPECT_EQ(h.metadata.phys_channel, 0xFF);
    EXPECT_EQ(h.nid.nac, 0xFFFFFFFFu);
}

TEST(DateTime, WritesTimestampDateAndTime) {
    P25::Time_log t{};
    t.metadata = Source(50000000, 9, 0, 0, 0);
    t.real_time.tm_year = 124;
    t.real_time.tm_mon = 4;
    t.real_time.tm_mday = 17;
    t.real_time.tm_hour = 13;
    t.real_time.tm_min = 45;
    t.real_time.tm_sec = 9;
    EXPECT_EQ(Element(Info<P25::Time_log>::info, t),
              "<DateTime timestamp=\" 1.00000000\"><Date>2024/05/17</Date><Time>13:45:09</Time></DateTime>");
}

TEST(Sync, WritesTimestampAndState) {
    P25::HW_sync_payload p{{100000000u}, 3};
    EXPECT_EQ(Element(Info<P25::HW_sync_payload>::info, p), "<Sync timestamp=\" 2.00000000\">3</Sync>");
}

// ---- Entry points and the filter list -----------------------------------------------------

struct Filter_case {
    const char* body;
    unsigned channel;
    std::uint32_t mask;       // of the channel after reading
    unsigned long echoed;     // LogFilter elements written
    unsigned errors;
};

TEST(LogFilter, SetsTheOutputFilterList) {
    const Filter_case cases[] = {
        {"<LogFilter phys_channel=\"3\"><Protocol_Cooked>true</Protocol_Cooked></LogFilter>", 3, 0x80000008u, 0, 0},
        {"<LogFilter phys_channel=\"3\"><Environment>true</Environment></LogFilter>", 3, 0x80000001u, 1, 0},
        {"<LogFilter phys_channel=\"3\"><Environment>true</Environment><Voice>true</Voice></LogFilter>"
         "<LogFilter phys_channel=\"3\"><Raw>true</Raw></LogFilter>",
         3, 0x80000002u, 1, 0},
        {"<LogFilter phys_channel=\"256\"><Environment>true</Environment></LogFilter>", 256, 0x80000001u, 1, 0},
        {"<LogFilter phys_channel=\"257\"><Environment>true</Environment></LogFilter>", 256, 0xFFFFFFFFu, 0, 1},
        {"<LogFilter><Parametrics>true</Parametrics><Environment>false</Environment></LogFilter>", 0, 0x80000020u, 0,
         0},
    };
    for (const Filter_case& c : cases) {
        SCOPED_TRACE(c.body);
        Current_log log;
        Input_data input(&log.file);
        input.report_errors = false;
        const std::string doc = std::string("<P25_log_data>") + c.body + "</P25_log_data>";
        Read_memory(doc.data(), doc.size(), "filters", P25_log_data, input);
        EXPECT_EQ(log.file.Filters()[c.channel], c.mask);
        EXPECT_EQ(log.file.Elements_written(), c.echoed);
        EXPECT_EQ(input.Error_count(), c.errors);
        if (c.errors) {
            EXPECT_EQ(input.Last_error(), "Channel # too big: 257");
        }
        // The input's own list has followed the output file's.
        EXPECT_EQ(input.Filters()[c.channel], c.mask);
    }
}

TEST(LogFilter, WithoutAnOutputFileOnlyEnablesErrors) {
    Filter_data f;
    f.phys_chan = 999;
    Input_data input(nullptr);
    EXPECT_TRUE(filters.Finalize(f, input));
    EXPECT_EQ(f.filters, 0x80000000u);
}

// ---- Host interface -------------------------------------------------------------------

TEST(HostInterface, TheDispatcherIsTheHosts) {
    ASSERT_NE(P25::dispatcher, nullptr);
    EXPECT_EQ(P25::dispatcher, Dispatcher::create());
}

TEST(HostInterface, ReceiveHooksReportWhatIsNotHandedOn) {
    // Every record handed to a hook begins with its Source_info.
    alignas(8) unsigned char record[sizeof(P25::Log_Dispatch_payload)] = {};
    const struct {
        unsigned channel;
        const char* line;
    } cases[] = {{3, "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n"}, {4, ""}};
    for (const auto& c : cases) {
        record[4] = static_cast<unsigned char>(c.channel);
        testing::internal::CaptureStderr();
        P25::Receive_Trunk_from_XML(reinterpret_cast<const P25::Trunking_data&>(record));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    }
}

}  // namespace
