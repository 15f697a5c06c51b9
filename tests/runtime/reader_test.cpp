// The document reader: the parse cycle, located reports, recovery between
// top-level elements, documents that are not well-formed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shared/XML/XML_routines.h"

using namespace XML_routines;

namespace {

std::vector<std::string> events;

class Record_hook : public Finalize_hook {
public:
    explicit Record_hook(std::string what) : what_(std::move(what)) {}
    void Hook() override { events.push_back("hook " + what_); }

private:
    std::string what_;
};

// A parse state that records every call.  Its behaviour is driven by the
// document: attribute "bad" reports an error and is refused, "no" is refused
// silently, "hooks" attaches two hooks, finalize="fail" / commit="fail" make
// those steps fail; any tag not starting with "Unknown" has a sub-state.
class Recorder : public Instance_base {
public:
    Recorder(Input_data& input, std::string tag) : Instance_base(input), tag_(std::move(tag)) {
        events.push_back("create " + tag_);
    }
    ~Recorder() override { events.push_back("delete " + tag_); }

    Instance_base* Get_subinstance(const xmlChar* tag) const override {
        if (std::strncmp(From_xml(tag), "Unknown", 7) == 0) return nullptr;
        return new Recorder(input_, From_xml(tag));
    }
    bool Attribute(const xmlChar* name, Format::Scanner& scanner) override {
        const std::string n = From_xml(name);
        events.push_back("attr " + tag_ + " " + n + "=" + scanner.Text());
        if (n == "bad") return scanner.Error("Bad value \"%s\"", scanner.Text());
        if (n == "no") return false;
        if (n == "hooks") {
            (new Record_hook(tag_ + " 1"))->Hook_to(*this);
            (new Record_hook(tag_ + " 2"))->Hook_to(*this);
        }
        const std::string value = scanner.BiteOffString();  // one token: more is left over
        if (n == "finalize") fail_finalize_ = value == "fail";
        if (n == "commit") fail_commit_ = value == "fail";
        return true;
    }
    bool Text(Format::Scanner& scanner) override {
        std::string all;
        for (std::string t = scanner.BiteOffString(); !t.empty(); t = scanner.BiteOffString())
            all += (all.empty() ? "" : " ") + t;
        events.push_back("text " + tag_ + " " + all);
        return true;
    }
    bool Finalize() override {
        events.push_back("finalize " + tag_);
        return !fail_finalize_;
    }
    bool Commit() override {
        events.push_back((fail_commit_ ? "refuse commit " : "commit ") + tag_);
        return !fail_commit_;
    }
    const char* Name() const override { return tag_.c_str(); }

private:
    std::string tag_;
    bool fail_finalize_ = false;
    bool fail_commit_ = false;
};

class Record_info : public Info_base {
public:
    using Info_base::Info_base;
    Instance_base* Get_instance(Input_data& input) const override { return new Recorder(input, Tag()); }
};

// Filed under the root in either order: the children are built first here.
const Record_info top_info("/Test_log/Top");
const Record_info other_info("/Test_log/Other");
const Info<void> test_root("/Test_log");
const Info_base no_instance_info("/Test_log/Inert");  // Get_instance: null

struct Result {
    Read_status status;
    std::string stderr_text;
    unsigned errors;
};

Result Read(const std::string& text, Input_data& input) {
    events.clear();
    testing::internal::CaptureStderr();
    const unsigned before = input.Error_count();
    const Read_status status = Read_memory(text.data(), text.size(), "in.xml", test_root, input);
    return {status, testing::internal::GetCapturedStderr(), input.Error_count() - before};
}

Result Read(const std::string& text) {
    Input_data input;
    return Read(text, input);
}

bool Has(const std::string& event) {
    for (const std::string& e : events)
        if (e == event) return true;
    return false;
}

std::size_t Count(const std::string& prefix) {
    std::size_t n = 0;
    for (const std::string& e : events)
        if (e.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

}  // namespace

TEST(Reader, ParseCycleOrder) {
    const Result r = Read(
        "<?xml version=\"1.0\"?>\n"
        "<Test_log>\n"
        "  <Top a=\"1\" hooks=\"yes\">\n"
        "    hello   world\n"
        "    <Child b=\"2\">inner</Child>\n"
        "    <Leaf/>\n"
        "    tail\n"
        "  </Top>\n"
        "</Test_log>\n");
    EXPECT_EQ(r.status, Read_status::ok);
    EXPECT_EQ(r.stderr_text, "");
    const std::vector<std::string> expected = {
        "create Top",       "attr Top a=1",      "attr Top hooks=yes", "text Top hello world",
        "create Child",     "attr Child b=2",    "text Child inner",   "finalize Child",
        "commit Child",     "delete Child",      "create Leaf",        "finalize Leaf",
        "commit Leaf",      "delete Leaf",       "text Top tail",      "finalize Top",
        "hook Top 1",       "hook Top 2",        "commit Top",         "delete Top",
    };
    EXPECT_EQ(events, expected);
}

TEST(Reader, CharacterData) {
    EXPECT_EQ(Read("<Test_log><Top>a &amp; <![CDATA[<b>]]> &#65;</Top></Test_log>").status, Read_status::ok);
    EXPECT_TRUE(Has("text Top a & <b> A"));
    // Blank text is not handed over.
    EXPECT_EQ(Read("<Test_log>\n <Top>\n  <![CDATA[ ]]>\n </Top>\n</Test_log>").status, Read_status::ok);
    EXPECT_EQ(Count("text "), 0u);
}

// One faulty top-level element among good ones: one located report, and the
// elements after it are processed all the same.
struct Fault {
    const char* name;
    const char* element;  // on line 3 of the document
    const char* report;
};

class Faults : public testing::TestWithParam<Fault> {};

TEST_P(Faults, OneLocatedReportAndRecovery) {
    const Fault& f = GetParam();
    const std::string doc = std::string("<Test_log>\n<Top n=\"1\"/>\n") + f.element +
                            "\n<Top n=\"3\"/>\n<Other/>\n</Test_log>\n";
    Input_data input;
    const Result r = Read(doc, input);
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_EQ(r.errors, 1u);
    EXPECT_EQ(r.stderr_text, std::string(f.report) + "\n");
    EXPECT_TRUE(Has("attr Top n=1"));
    EXPECT_TRUE(Has("attr Top n=3"));
    EXPECT_EQ(Count("commit Top"), 2u);
    EXPECT_TRUE(Has("commit Other"));
    EXPECT_EQ(Count("create"), Count("delete"));
    EXPECT_EQ(input.element, nullptr);
    EXPECT_EQ(input.attribute, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Faults,
    testing::Values(
        Fault{"UnknownTopLevel", "<Unknown x=\"1\"><Top/></Unknown>",
              "in.xml:3: error: Unknown element <Unknown> in <Test_log>"},
        Fault{"NoInstance", "<Inert/>", "in.xml:3: error: Unknown element <Inert> in <Test_log>"},
        Fault{"UnknownNested", "<Top>\n<UnknownSub/></Top>", "in.xml:4: error: Unknown element <UnknownSub> in <Top>"},
        Fault{"ReportedAttribute", "<Top bad=\"x\"/>", "in.xml:3: error: <Top>, attribute \"bad\": Bad value \"x\""},
        Fault{"SilentAttribute", "<Top no=\"x\"/>", "in.xml:3: error: <Top>, attribute \"no\": Bad value \"x\""},
        Fault{"LeftoverAttributeText", "<Top n=\"2 junk\"/>",
              "in.xml:3: error: <Top>, attribute \"n\": Unexpected text \"junk\""},
        Fault{"FailingFinalize", "<Top finalize=\"fail\"/>", "in.xml:3: error: <Top> refused"},
        Fault{"FailingCommit", "<Top commit=\"fail\"/>", "in.xml:3: error: <Top> refused"},
        Fault{"FailingChild", "<Top>\n<Sub finalize=\"fail\"/></Top>", "in.xml:4: error: <Sub> refused"}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

TEST(Reader, FailingFinalizeSkipsHooksAndCommit) {
    const Result r = Read("<Test_log><Top hooks=\"1\" finalize=\"fail\"/></Test_log>");
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_FALSE(Has("hook Top 1"));
    EXPECT_FALSE(Has("commit Top"));
    EXPECT_TRUE(Has("delete Top"));
}

TEST(Reader, FailedChildFailsItsParentWithoutASecondReport) {
    const Result r = Read("<Test_log>\n<Top>\n<Sub>\n<Leaf no=\"1\"/>\n</Sub>\n</Top>\n</Test_log>");
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_EQ(r.errors, 1u);
    EXPECT_EQ(r.stderr_text, "in.xml:4: error: <Leaf>, attribute \"no\": Bad value \"1\"\n");
    EXPECT_FALSE(Has("finalize Sub"));
    EXPECT_FALSE(Has("finalize Top"));
    EXPECT_EQ(Count("create"), 3u);
    EXPECT_EQ(Count("delete"), 3u);
}

TEST(Reader, NotWellFormedKeepsWhatWasCompleted) {
    const Result r = Read(
        "<Test_log>\n"
        "<Top n=\"1\"/>\n"
        "<Top n=\"2\"><Child/>\n"
        "<Leaf></Bad>\n"
        "<Top n=\"3\"/>\n"
        "</Test_log>\n");
    EXPECT_EQ(r.status, Read_status::not_well_formed);
    EXPECT_EQ(r.stderr_text, "in.xml:4: error: Opening and ending tag mismatch: Leaf line 4 and Bad\n");
    EXPECT_TRUE(Has("commit Top"));
    EXPECT_TRUE(Has("commit Child"));
    EXPECT_EQ(Count("commit"), 2u);  // the first Top and the Child
    EXPECT_FALSE(Has("attr Top n=3"));
    // The open state is deleted without being finalised.
    EXPECT_EQ(Count("finalize Top"), 1u);  // the first one only
    EXPECT_EQ(events.back(), "delete Top");
    EXPECT_EQ(Count("create"), Count("delete"));
}

struct Broken {
    const char* name;
    std::string text;
};

class Broken_documents : public testing::TestWithParam<Broken> {};

TEST_P(Broken_documents, AreReportedAndLeakNothing) {
    const Result r = Read(GetParam().text);
    EXPECT_EQ(r.status, Read_status::not_well_formed) << r.stderr_text;
    EXPECT_GE(r.errors, 1u);
    EXPECT_EQ(Count("create"), Count("delete"));
    EXPECT_EQ(Count("commit"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Broken_documents,
    testing::Values(Broken{"Empty", ""}, Broken{"Blank", "  \n"}, Broken{"Truncated", "<Test_log><Top a=\"1\">"},
                    Broken{"TruncatedTag", "<Test_log><Top a=\"1"}, Broken{"TwoRoots", "<Test_log/><Test_log/>"},
                    Broken{"BadAttribute", "<Test_log><Top a=1/></Test_log>"},
                    Broken{"UndefinedEntity", "<Test_log><Top>&nope;</Top></Test_log>"},
                    Broken{"UndefinedPrefix", "<Test_log><q:Top/></Test_log>"},
                    Broken{"BadUtf8", "<Test_log><Top>\xff\xfe</Top></Test_log>"},
                    Broken{"Nul", std::string("<Test_log><Top>\0</Top></Test_log>", 32)}),
    [](const testing::TestParamInfo<Broken>& info) { return info.param.name; });

TEST(Reader, WrongDocumentElement) {
    const Result r = Read("<Other_log>\n<Top/>\n</Other_log>");
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_EQ(r.stderr_text, "in.xml:1: error: Document element is <Other_log>, expected <Test_log>\n");
    EXPECT_TRUE(events.empty());
}

TEST(Reader, EmptyDocumentElementIsOk) {
    EXPECT_EQ(Read("<?xml version=\"1.0\"?><!-- nothing --><Test_log/>").status, Read_status::ok);
    EXPECT_EQ(Read("<Test_log></Test_log>").status, Read_status::ok);
}

TEST(Reader, TextInTheDocumentElementIsReported) {
    const Result r = Read("<Test_log>\nstray\n<Top/></Test_log>");
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_NE(r.stderr_text.find("<Test_log>: Unexpected text \"stray\""), std::string::npos) << r.stderr_text;
    EXPECT_TRUE(Has("commit Top"));
}

TEST(Reader, DeclaredEntityIsRefused) {
    const Result r = Read("<!DOCTYPE Test_log [<!ENTITY e \"x\">]>\n<Test_log>\n<Top>&e;</Top>\n<Top/></Test_log>");
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_EQ(r.errors, 1u);
    EXPECT_NE(r.stderr_text.find("in.xml:3: error: <Top>: Entity reference &e; is not supported"), std::string::npos)
        << r.stderr_text;
    EXPECT_EQ(Count("commit Top"), 1u);
}

TEST(Reader, ReportsCanBeSilenced) {
    Input_data input;
    input.report_errors = false;
    const Result r = Read("<Test_log><Unknown/><Top/></Test_log>", input);
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_EQ(r.stderr_text, "");
    EXPECT_EQ(input.Last_error(), "Unknown element <Unknown> in <Test_log>");
    EXPECT_EQ(Read("<Test_log><Top></Test_log>", input).stderr_text, "");
}

TEST(Reader, LineNumbersInALongDocument) {
    std::string doc = "<Test_log>\n";
    for (int i = 0; i < 70000; ++i) doc += "<Top/>\n";
    doc += "<Top no=\"1\"/>\n</Test_log>\n";
    const Result r = Read(doc);
    EXPECT_EQ(r.stderr_text, "in.xml:70002: error: <Top>, attribute \"no\": Bad value \"1\"\n");
    EXPECT_EQ(Count("commit Top"), 70000u);
}

TEST(Reader, DocumentFromAFile) {
    char path[] = "/tmp/tessel_reader_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "<Test_log>\n<Top a=\"1\"/>\n<Top no=\"1\"/>\n</Test_log>\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);

    Input_data input;
    events.clear();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Read_document(path, test_root, input), Read_status::reported);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(path) + ":3: error: <Top>, attribute \"no\": Bad value \"1\"\n");
    EXPECT_EQ(input.document, path);
    EXPECT_TRUE(Has("commit Top"));
    unlink(path);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Read_document(path, test_root, input), Read_status::not_well_formed);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot open the document"), std::string::npos);
}

TEST(Reader, DocumentFromStandardInput) {
    char path[] = "/tmp/tessel_stdin_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "<Test_log>\n<Unknown/>\n<Top/>\n</Test_log>\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
    const int saved = dup(0);
    ASSERT_GE(saved, 0);
    dup2(fd, 0);
    close(fd);
    unlink(path);

    Input_data input;
    events.clear();
    testing::internal::CaptureStderr();
    const Read_status status = Read_document(nullptr, test_root, input);
    const std::string printed = testing::internal::GetCapturedStderr();
    dup2(saved, 0);
    close(saved);
    EXPECT_EQ(status, Read_status::reported);
    EXPECT_EQ(printed, "-:2: error: Unknown element <Unknown> in <Test_log>\n");
    EXPECT_EQ(input.document, "-");
    EXPECT_TRUE(Has("commit Top"));
}

TEST(Reader, TruncatedDocumentDeletesOpenStatesInnermostFirst) {
    const Result r = Read("<Test_log>\n<Top a=\"1\">\n<Sub>\n<Leaf>text");
    EXPECT_EQ(r.status, Read_status::not_well_formed);
    EXPECT_EQ(r.stderr_text, "in.xml:4: error: Premature end of the document\n");
    const std::vector<std::string> tail(events.end() - 3, events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"delete Leaf", "delete Sub", "delete Top"}));
    EXPECT_EQ(Count("finalize"), 0u);
}

TEST(Reader, EmptyDocument) {
    EXPECT_EQ(Read("").stderr_text, "in.xml:1: error: Document is empty\n");
    Input_data input;
    EXPECT_EQ(Read(" \n\n", input).status, Read_status::not_well_formed);
    EXPECT_EQ(input.Last_error(), "Document is empty");
}
