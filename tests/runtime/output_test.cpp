// The log output: filter lists, the streamed log file, XML_Log,
// Add_children; and the parse context's reports and filters.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "xml_text.h"
#include "shared/XML/XML_routines.h"

using namespace XML_routines;

namespace {

// A log on a stream in memory; Text() gives what was written so far.
struct Memory_log {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&data, &size);
    std::unique_ptr<Output_file> file{new Output_file(stream)};
    std::string Text() {
        if (file) file->Flush();
        return std::fflush(stream), std::string(data, size);
    }
    ~Memory_log() { file.reset(), std::fclose(stream), std::free(data); }
};

xmlNode* Element(const char* name, const char* attr = nullptr, const char* value = nullptr) {
    xmlNode* node = xmlNewNode(nullptr, To_xml(name));
    if (attr) xmlNewProp(node, To_xml(attr), To_xml(value));
    return node;
}

// A nameless element holding children: they stand for it.
xmlNode* Nameless(std::initializer_list<xmlNode*> children, const char* attr = nullptr) {
    xmlNode* node = Element("", attr, "v");
    for (xmlNode* child : children) xmlAddChild(node, child);
    return node;
}

const std::string Header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n";

}  // namespace

TEST(OutputFile, StreamsEachElementAsItIsLogged) {
    EXPECT_EQ(Output_file::Open("/nonexistent/dir/log.xml"), nullptr);
    Memory_log log;
    EXPECT_EQ(log.Text(), Header);
    xmlNode* a = Element("A", "x", "1");
    xmlNewTextChild(a, nullptr, To_xml("B"), To_xml("t & u"));
    log.file->Write_node(a);
    const std::string first = Header + "  <A x=\"1\">\n    <B>t &amp; u</B>\n  </A>\n";
    EXPECT_EQ(log.Text(), first);

    log.file->Write_node(Element("/P25_log_data/Renamed", "y", "2"));
    log.file->Write_node(Nameless({Element("First"), Element("/Root/Second")}));
    log.file->Write_node(nullptr);
    EXPECT_EQ(log.file->Elements_written(), 4u);
    Output_file::Set_current(log.file.get());
    log.file.reset();  // closes the document, and the log is no longer current
    EXPECT_EQ(Output_file::Current(), nullptr);
    EXPECT_EQ(log.Text(), first + "  <Renamed y=\"2\"/>\n  <First/>\n  <Second/>\n</P25_log_data>\n");
}

TEST(XmlLog, TakesEveryNodeOverAndKeepsWhatTheFilterEnables) {
    xmlNode* parent = Element("Parent");
    xmlNode* node = xmlNewChild(parent, nullptr, To_xml("Child"), nullptr);
    XML_Log(node, Log_RAW);  // no current log: unlinked from its parent and freed
    EXPECT_EQ(node, nullptr);
    EXPECT_EQ(parent->children, nullptr);
    xmlFreeNode(parent);

    FilterList all;
    EXPECT_TRUE(all.Check(Log_Errors, 256));  // everything enabled at start
    EXPECT_THROW(all[257], std::out_of_range);
    Memory_log log;
    Output_file::Set_current(log.file.get());
    for (unsigned ch = 0; ch < FilterList::Channels; ++ch) log.file->Filters()[ch] = Log_Voice;
    log.file->Filters()[3] = Log_Voice | Log_RAW;
    XML_Log(node, 3, Log_RAW);  // null: nothing
    // Channel -1: the channel-less form; 257 and above: any channel.
    const struct { const char* tag; int channel; unsigned long log_class; } cases[] = {
        {"Kept_raw", 3, Log_RAW}, {"Dropped_raw", 4, Log_RAW}, {"Kept_either", 4, Log_Voice | Log_RAW},
        {"Kept_far", 300, Log_RAW}, {"Dropped_env", -1, Log_Environment}, {"Kept_any", -1, Log_RAW}};
    for (const auto& c : cases) {
        node = Element(c.tag);
        c.channel < 0 ? XML_Log(node, c.log_class) : XML_Log(node, static_cast<unsigned>(c.channel), c.log_class);
        EXPECT_EQ(node, nullptr) << c.tag;
    }
    log.file->Close();
    log.file->Close();
    node = Element("Late");
    XML_Log(node, Log_Voice);  // after Close: dropped
    Output_file::Set_current(nullptr);
    EXPECT_EQ(log.Text(), Header + "  <Kept_raw/>\n  <Kept_either/>\n  <Kept_far/>\n  <Kept_any/>\n</P25_log_data>\n");
}

TEST(AddChildren, NamedNamelessAndNull) {
    xmlNode* parent = Element("P");
    Add_children(parent, nullptr);
    Add_children(parent, Element("A"));
    Add_children(parent, Nameless({Nameless({Element("B")}), Element("C")}, "attr"));
    Add_children(nullptr, Element("Orphan"));  // freed
    EXPECT_EQ(Text_of(parent), "<P attr=\"v\"><A/><B/><C/></P>");
}

TEST(Input, ReportsAndFilters) {
    Memory_log log;
    Input_data input(log.file.get());
    input.report_errors = false;
    const std::string long_text(1000, 'x');
    testing::internal::CaptureStderr();
    input.Error_handler("%s-%d\n", 4, nullptr, long_text.c_str(), 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(input.Last_error(), long_text + "-7");
    EXPECT_EQ(input.Error_count(), 1u);
    // Messages of 255 and 256 characters, either side of the first buffer's room.
    for (std::size_t size : {std::size_t{255}, std::size_t{256}}) {
        const std::string text(size, 'y');
        input.Error_handler("%s\n", 4, nullptr, text.c_str());
        EXPECT_EQ(input.Last_error(), text);
    }
    EXPECT_EQ(input.Error_count(), 3u);

    log.file->Filters()[5] = Log_Voice;
    EXPECT_EQ(input.Filters()[5], static_cast<std::uint32_t>(Log_Voice));  // first use copies
    log.file->Filters()[5] = Log_RAW;
    EXPECT_EQ(input.Filters()[5], static_cast<std::uint32_t>(Log_Voice));  // no change announced
    FilterList::Changed();
    EXPECT_EQ(input.Filters()[5], static_cast<std::uint32_t>(Log_RAW));
}

// A log that cannot be written says so at Close, with the first error, and
// writes nothing more once it failed; a good one closes clean.
TEST(Output, CloseReportsTheFirstWriteError) {
    for (const auto& c : {std::make_pair("/dev/full", ENOSPC), std::make_pair("/dev/null", 0)}) {
        std::unique_ptr<Output_file> log = Output_file::Open(c.first);
        ASSERT_TRUE(log);
        for (int i = 0; i < 2000; ++i) log->Write_node(xmlNewNode(nullptr, To_xml("Element")));
        for (int close = 0; close < 2; ++close) EXPECT_EQ(log->Close(), c.second == 0) << c.first;  // twice: the same
        EXPECT_EQ(log->Error(), c.second) << c.first;
    }
}
