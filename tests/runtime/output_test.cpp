// The log output: filter lists, the streamed log file, XML_Log,
// Add_children; and the parse context's reports and filters.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "shared/XML/XML_routines.h"

using namespace XML_routines;

namespace {

// An Output_file over a memory stream; Text() closes it and returns all.
class Memory_log {
public:
    Memory_log() : stream_(open_memstream(&data_, &size_)), file_(new Output_file(stream_)) {}
    ~Memory_log() {
        file_.reset();
        std::fclose(stream_);
        std::free(data_);
    }
    Output_file& File() { return *file_; }
    std::string Text() {
        file_->Close();
        return std::string(data_, size_);
    }
    std::string So_far() {
        std::fflush(stream_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
    std::unique_ptr<Output_file> file_;
};

xmlNode* Element(const char* name, const char* attr = nullptr, const char* value = nullptr) {
    xmlNode* node = xmlNewNode(nullptr, To_xml(name));
    if (attr) xmlNewProp(node, To_xml(attr), To_xml(value));
    return node;
}

const char* const Header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n";

// Makes a log current for the length of a test.
class Current_log {
public:
    explicit Current_log(Output_file* file) { Output_file::Set_current(file); }
    ~Current_log() { Output_file::Set_current(nullptr); }
};

}  // namespace

TEST(FilterList, EverythingEnabledAtStart) {
    const FilterList list;
    for (unsigned ch = 0; ch < FilterList::Channels; ++ch) EXPECT_EQ(list[ch], 0xFFFFFFFFu);
    EXPECT_TRUE(list.Check(Log_Voice, 0));
    EXPECT_TRUE(list.Check(Log_Errors, 256));
    EXPECT_TRUE(list.Check_any(Log_RAW));
}

TEST(FilterList, CheckAndCheckAny) {
    FilterList list;
    for (unsigned ch = 0; ch < FilterList::Channels; ++ch) list[ch] = 0;
    list[7] = Log_Voice | Log_RAW;
    struct Case {
        unsigned long log_class;
        unsigned channel;
        bool kept;
    } const cases[] = {
        {Log_Voice, 7, true},      {Log_RAW, 7, true},         {Log_Voice | Log_Errors, 7, true},
        {Log_Errors, 7, false},    {Log_Voice, 6, false},      {Log_Voice, 256, false},
        {Log_Voice, 257, true},    {Log_Errors, 257, false},   {Log_Voice, 100000, true},
    };
    for (const Case& c : cases) EXPECT_EQ(list.Check(c.log_class, c.channel), c.kept) << c.log_class << "@" << c.channel;
    EXPECT_TRUE(list.Check_any(Log_Voice));
    EXPECT_FALSE(list.Check_any(Log_Environment));
    EXPECT_THROW(list[257], std::out_of_range);
}

TEST(FilterList, GenerationCounts) {
    const unsigned long before = FilterList::Generation();
    FilterList::Changed();
    EXPECT_EQ(FilterList::Generation(), before + 1);
}

TEST(OutputFile, StreamsEachElementAsItIsLogged) {
    Memory_log log;
    EXPECT_EQ(log.So_far(), Header);

    xmlNode* a = Element("A", "x", "1");
    xmlNewTextChild(a, nullptr, To_xml("B"), To_xml("t & u"));
    xmlAddChild(a, Element("C"));
    log.File().Write_node(a);
    EXPECT_EQ(log.So_far(), std::string(Header) +
                                "  <A x=\"1\">\n"
                                "    <B>t &amp; u</B>\n"
                                "    <C/>\n"
                                "  </A>\n");

    log.File().Write_node(Element("/P25_log_data/Renamed", "y", "2"));
    xmlNode* nameless = Element("");
    xmlAddChild(nameless, Element("First"));
    xmlAddChild(nameless, Element("/Root/Second"));
    log.File().Write_node(nameless);
    log.File().Write_node(nullptr);
    EXPECT_EQ(log.File().Elements_written(), 4u);
    EXPECT_EQ(log.Text(), std::string(Header) +
                              "  <A x=\"1\">\n"
                              "    <B>t &amp; u</B>\n"
                              "    <C/>\n"
                              "  </A>\n"
                              "  <Renamed y=\"2\"/>\n"
                              "  <First/>\n"
                              "  <Second/>\n"
                              "</P25_log_data>\n");
}

TEST(OutputFile, CloseIsIdempotentAndLaterNodesAreDropped) {
    Memory_log log;
    log.File().Close();
    log.File().Close();
    log.File().Write_node(Element("Late"));
    EXPECT_EQ(log.Text(), std::string(Header) + "</P25_log_data>\n");
    EXPECT_EQ(log.File().Elements_written(), 0u);
}

TEST(OutputFile, OpenWritesAFile) {
    EXPECT_EQ(Output_file::Open("/nonexistent/dir/log.xml"), nullptr);
    char path[] = "/tmp/tessel_output_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::unique_ptr<Output_file> file = Output_file::Open(path);
        ASSERT_NE(file, nullptr);
        file->Write_node(Element("X"));
        Output_file::Set_current(file.get());
    }  // the destructor closes the document, and the log is no longer current
    EXPECT_EQ(Output_file::Current(), nullptr);
    std::FILE* in = std::fopen(path, "r");
    ASSERT_NE(in, nullptr);
    char buffer[256] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, in);
    std::fclose(in);
    unlink(path);
    EXPECT_EQ(std::string(buffer, n), std::string(Header) + "  <X/>\n</P25_log_data>\n");
}

TEST(XmlLog, TakesEveryNodeOver) {
    Memory_log log;
    Current_log current(&log.File());
    for (unsigned ch = 0; ch < FilterList::Channels; ++ch) log.File().Filters()[ch] = Log_Voice;
    log.File().Filters()[3] = Log_Voice | Log_RAW;

    xmlNode* node = nullptr;
    XML_Log(node, 3, Log_RAW);  // null: nothing
    EXPECT_EQ(node, nullptr);

    struct Case {
        const char* tag;
        int channel;  // -1: the channel-less form
        unsigned long log_class;
    } const cases[] = {
        {"Kept_raw", 3, Log_RAW},      {"Dropped_raw", 4, Log_RAW}, {"Kept_voice", 4, Log_Voice},
        {"Dropped_env", -1, Log_Environment}, {"Kept_any", -1, Log_RAW},
    };
    for (const Case& c : cases) {
        node = Element(c.tag);
        if (c.channel < 0)
            XML_Log(node, c.log_class);
        else
            XML_Log(node, static_cast<unsigned>(c.channel), c.log_class);
        EXPECT_EQ(node, nullptr) << c.tag;
    }
    EXPECT_EQ(log.Text(), std::string(Header) + "  <Kept_raw/>\n  <Kept_voice/>\n  <Kept_any/>\n</P25_log_data>\n");
}

TEST(XmlLog, NoCurrentLogFreesTheNode) {
    ASSERT_EQ(Output_file::Current(), nullptr);
    xmlNode* parent = Element("Parent");
    xmlNode* node = xmlNewChild(parent, nullptr, To_xml("Child"), nullptr);
    XML_Log(node, Log_RAW);  // unlinked from its parent before it is freed
    EXPECT_EQ(node, nullptr);
    EXPECT_EQ(parent->children, nullptr);
    xmlFreeNode(parent);
}

TEST(AddChildren, NamedNamelessAndNull) {
    xmlNode* parent = Element("P");
    Add_children(parent, nullptr);
    Add_children(parent, Element("A"));
    xmlNode* nameless = Element("", "attr", "v");
    xmlAddChild(nameless, Element("B"));
    xmlNode* inner = Element("");
    xmlAddChild(inner, Element("C"));
    xmlAddChild(nameless, inner);
    xmlAddChild(nameless, Element("D"));
    Add_children(parent, nameless);
    Add_children(nullptr, Element("Orphan"));  // freed

    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, nullptr, parent, 0, 0);
    EXPECT_EQ(std::string(From_xml(xmlBufferContent(buffer))), "<P attr=\"v\"><A/><B/><C/><D/></P>");
    xmlBufferFree(buffer);
    xmlFreeNode(parent);
}

// ---------------------------------------------------------------------------
// Input_data

struct Report_case {
    const char* element;
    const char* attribute;
    const char* message;
    const char* printed;
};

class Reports : public testing::TestWithParam<Report_case> {};

TEST_P(Reports, OneLinePerReport) {
    const Report_case& c = GetParam();
    Input_data input;
    input.document = "in.xml";
    input.line = 12;
    input.element = c.element;
    input.attribute = c.attribute;
    testing::internal::CaptureStderr();
    input.Error_handler("%s", 4, nullptr, c.message);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.printed);
    EXPECT_EQ(input.Error_count(), 1u);
    EXPECT_EQ(input.Last_error(), std::string(c.message).substr(0, std::string(c.message).find('\n')));
}

INSTANTIATE_TEST_SUITE_P(
    Input, Reports,
    testing::Values(
        Report_case{"LogFilter", "phys_channel", "Bad number \"x\"",
                    "in.xml:12: error: <LogFilter>, attribute \"phys_channel\": Bad number \"x\"\n"},
        Report_case{"LogFilter", nullptr, "No text\n", "in.xml:12: error: <LogFilter>: No text\n"},
        Report_case{nullptr, nullptr, "Plain", "in.xml:12: error: Plain\n"}));

TEST(Input, FormatsLongMessagesAndCanBeSilent) {
    Input_data input;
    input.report_errors = false;
    const std::string long_text(1000, 'x');
    testing::internal::CaptureStderr();
    input.Error_handler("%s-%d", 4, nullptr, long_text.c_str(), 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(input.Last_error(), long_text + "-7");
    EXPECT_EQ(input.Error_count(), 1u);
}

TEST(Input, FiltersFollowTheOutputFile) {
    Memory_log log;
    Input_data alone;
    alone.Filters()[5] = 0;
    EXPECT_EQ(alone.Filters()[5], 0u);  // no output file: its own list

    Input_data input(&log.File());
    EXPECT_EQ(input.Output(), &log.File());
    log.File().Filters()[5] = Log_Voice;
    EXPECT_EQ(input.Filters()[5], static_cast<std::uint32_t>(Log_Voice));  // first use copies
    log.File().Filters()[5] = Log_RAW;
    EXPECT_EQ(input.Filters()[5], static_cast<std::uint32_t>(Log_Voice));  // no change announced
    FilterList::Changed();
    EXPECT_EQ(input.Filters()[5], static_cast<std::uint32_t>(Log_RAW));
}
