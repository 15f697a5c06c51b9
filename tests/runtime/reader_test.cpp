// The document reader: the parse cycle, located reports, recovery between
// top-level elements, documents that are not well-formed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
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
// those steps fail; any tag but "Refused" (refused with a report) or one
// starting with "Unknown" (refused silently) has a sub-state.
class Recorder : public Instance_base {
public:
    Recorder(Input_data& input, std::string tag) : Instance_base(input), tag_(std::move(tag)) {
        events.push_back("create " + tag_);
    }
    ~Recorder() override { events.push_back("delete " + tag_); }

    Instance_base* Get_subinstance(const xmlChar* tag) const override {
        const std::string t = From_xml(tag);
        if (t == "Refused") input_.Error_handler("Not here", 2, nullptr);
        if (t == "Refused" || t.compare(0, 7, "Unknown") == 0) return nullptr;
        return new Recorder(input_, t);
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
        if (tag_ == "Bad_text") return false;
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

struct Result { Read_status status; std::string stderr_text; unsigned errors; };

Result Read(const std::string& text, Input_data* in = nullptr) {
    Input_data local;
    Input_data& input = in ? *in : local;
    events.clear();
    testing::internal::CaptureStderr();
    const unsigned before = input.Error_count();
    const Read_status status = Read_memory(text.data(), text.size(), "in.xml", test_root, input);
    return {status, testing::internal::GetCapturedStderr(), input.Error_count() - before};
}

std::size_t Count(const std::string& prefix) {
    return std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

}  // namespace

TEST(Reader, ParseCycleOrder) {
    const Result r = Read("<Test_log>\n  <Top a=\"1\" xmlns:q=\"urn:q\" hooks=\"yes\">\n    hello   world\n"
                          "    <Child b=\"2\">inner</Child>\n    <Leaf/>\n    tail\n  </Top>\n</Test_log>\n");
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

TEST(Reader, CharacterDataAndEmptyDocumentElements) {
    EXPECT_EQ(Read("<Test_log><Top>a &amp; <![CDATA[<b>]]> &#65;</Top></Test_log>").status, Read_status::ok);
    EXPECT_GT(Count("text Top a & <b> A"), 0u);
    // Blank text is not handed over.
    EXPECT_EQ(Read("<Test_log>\n <Top>\n  <![CDATA[ ]]>\n </Top>\n</Test_log>").status, Read_status::ok);
    EXPECT_EQ(Count("text "), 0u);
    EXPECT_EQ(Read("<?xml version=\"1.0\"?><!-- nothing --><Test_log/>").status, Read_status::ok);
    EXPECT_EQ(Read("<Test_log></Test_log>").status, Read_status::ok);
}

// One faulty top-level element among good ones: one located report, and the
// elements after it are processed all the same.
TEST(Reader, OneLocatedReportAndRecovery) {
    // The faulty element stands on line 3 of the document.
    const struct { const char *element, *report; } faults[] = {
        {"<Unknown x=\"1\"><Top/></Unknown>", "in.xml:3: error: Unknown element <Unknown> in <Test_log>"},
        {"<Inert/>", "in.xml:3: error: Unknown element <Inert> in <Test_log>"},  // no parse state
        {"<Top>\n<UnknownSub/></Top>", "in.xml:4: error: Unknown element <UnknownSub> in <Top>"},
        {"<Top>\n<Refused/></Top>", "in.xml:4: error: <Refused>: Not here"},
        {"<Top bad=\"x\"/>", "in.xml:3: error: <Top>, attribute \"bad\": Bad value \"x\""},
        {"<Top no=\"x\"/>", "in.xml:3: error: <Top>, attribute \"no\": Bad value \"x\""},
        {"<Top n=\"2 junk\"/>", "in.xml:3: error: <Top>, attribute \"n\": Unexpected text \"junk\""},
        {"stray<Other/>", "in.xml:3: error: <Test_log>: Unexpected text \"stray\""},
        {"<Top>&e;</Top>", "in.xml:3: error: <Top>: Entity reference &e; is not supported"},
        {"<Top hooks=\"1\" finalize=\"fail\"/>", "in.xml:3: error: <Top> refused"},
        {"<Top commit=\"fail\"/>", "in.xml:3: error: <Top> refused"},
        {"<Top>\n<Sub finalize=\"fail\"/></Top>", "in.xml:4: error: <Sub> refused"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.element);
        Input_data input;
        const Result r = Read(std::string("<!DOCTYPE Test_log [<!ENTITY e \"x\">]><Test_log>\n<Top n=\"1\"/>\n") +
                                  f.element + "\n<Top n=\"3\"/>\n<Other/>\n</Test_log>\n",
                              &input);
        EXPECT_EQ(r.status, Read_status::reported);
        EXPECT_EQ(r.errors, 1u);
        EXPECT_EQ(r.stderr_text, std::string(f.report) + "\n");
        EXPECT_EQ(Count("commit Top"), 2u);
        EXPECT_GT(Count("commit Other"), 0u);
        EXPECT_EQ(Count("hook "), 0u);  // nor hooks after a failed step
        EXPECT_EQ(Count("create"), Count("delete"));
        EXPECT_EQ(input.element, nullptr);
        EXPECT_EQ(input.attribute, nullptr);
    }
}

TEST(Reader, NotWellFormedKeepsWhatWasCompleted) {
    const Result r =
        Read("<Test_log>\n<Top n=\"1\"/>\n<Top n=\"2\"><Child/>\n<Leaf></Bad>\n<Top n=\"3\"/>\n</Test_log>\n");
    EXPECT_EQ(r.status, Read_status::not_well_formed);
    EXPECT_EQ(r.stderr_text, "in.xml:4: error: Opening and ending tag mismatch: Leaf line 4 and Bad\n");
    EXPECT_EQ(Count("commit"), 2u);  // the first Top and the Child
    EXPECT_EQ(Count("attr Top n=3"), 0u);
    EXPECT_EQ(Count("finalize Top"), 1u);
    EXPECT_EQ(events.back(), "delete Top");
    // The open states are deleted innermost first, without being finalised.
    EXPECT_EQ(Read("<Test_log>\n<Top a=\"1\">\n<Sub>\n<Leaf>text").stderr_text,
              "in.xml:4: error: Premature end of the document: <Leaf> of line 4 is not closed\n");
    EXPECT_EQ(Count("finalize"), 0u);
    const std::vector<std::string> tail(events.end() - 3, events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"delete Leaf", "delete Sub", "delete Top"}));
}

// A document that goes wrong after some complete elements: every one of
// them is processed, and the report says what is wrong and where.
TEST(Reader, FaultsLoseNothingCompleteBeforeThem) {
    const std::string comment = "<!--" + std::string(8000, 'c') + "-->\n";
    const struct { std::string tail, report; } faults[] = {
        // A log cut off while it was being written.
        {"", "in.xml:3: error: Premature end of the document: <Test_log> of line 1 is not closed"},
        {comment, "in.xml:4: error: Premature end of the document: <Test_log> of line 1 is not closed"},
        {"<Top n=\"3\">ab", "in.xml:4: error: Premature end of the document: <Top> of line 4 is not closed"},
        {"<Top n=\"3\"", "in.xml:4: error: Premature end of the document: <Test_log> of line 1 is not closed"},
        // Junk after the root, a second root.
        {"</Test_log>\njunk\n", "in.xml:5: error: Extra content at the end of the document"},
        {"</Test_log>\n" + comment + "<Test_log/>", "in.xml:6: error: Extra content at the end of the document"},
        // A mismatched end tag.
        {comment + "<Top n=\"3\"></Other>",
         "in.xml:5: error: Opening and ending tag mismatch: Top line 5 and Other"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.report);
        const Result r = Read("<Test_log>\n<Top n=\"1\"/>\n<Top n=\"2\">x</Top>\n" + f.tail);
        EXPECT_EQ(r.status, Read_status::not_well_formed);
        EXPECT_EQ(r.stderr_text, f.report + "\n");
        EXPECT_EQ(Count("commit Top"), 2u);
        EXPECT_EQ(Count("create"), Count("delete"));
    }
}

// Reports quote text on one line at the element's first line, and count
// what repeats.
TEST(Reader, ReportsStayShort) {
    Result r = Read("<Test_log>\n<Top>\n<Bad_text>\n  80 00\n  81\t01\n</Bad_text></Top>\n</Test_log>\n");
    EXPECT_EQ(r.stderr_text, "in.xml:3: error: <Bad_text>: Bad text \"80 00 81 01\"\n");
    std::string refs;
    for (int i = 0; i < 20000; ++i) refs += "&e;";
    r = Read("<!DOCTYPE Test_log [<!ENTITY e \"x\">]><Test_log>\n<Top>" + refs + "</Top>\n<Top/></Test_log>\n");
    EXPECT_EQ(r.status, Read_status::reported);
    EXPECT_EQ(r.errors, 4u);
    EXPECT_EQ(std::count(r.stderr_text.begin(), r.stderr_text.end(), '\n'), 4);
    EXPECT_NE(r.stderr_text.find("in.xml:2: error: <Top>: 19997 more entity references are not supported\n"),
              std::string::npos);
    EXPECT_EQ(Count("commit Top"), 1u);
}

TEST(Reader, BrokenDocumentsAreReportedAndLeakNothing) {
    // A null report: any.
    const struct { std::string text; const char* report; Read_status status = Read_status::not_well_formed; } docs[] = {
        {"", "in.xml:1: error: Document is empty\n"},
        {" \n\n", "in.xml:1: error: Document is empty\n"},
        {"hello\nworld\n", "in.xml:1: error: Not an XML document: it holds no element, only text\n"},
        {"<Other_log>\n<Top/>\n</Other_log>", "in.xml:1: error: Document element is <Other_log>, expected <Test_log>\n",
         Read_status::reported},
        {"<Test_log/><Test_log/>", nullptr},
        {"<Test_log><Top>&nope;</Top></Test_log>", nullptr},
        {"<Test_log><q:Top/></Test_log>", nullptr},
        {"<Test_log><Top>\xff\xfe</Top></Test_log>", nullptr},
        {std::string("<Test_log><Top>\0</Top></Test_log>", 32), nullptr},
    };
    for (const auto& d : docs) {
        SCOPED_TRACE(d.text);
        const Result r = Read(d.text);
        EXPECT_EQ(r.status, d.status);
        EXPECT_GE(r.errors, 1u);
        if (d.report) {
            EXPECT_EQ(r.stderr_text, d.report);
        }
        EXPECT_EQ(Count("create"), Count("delete"));
        EXPECT_EQ(Count("commit"), 0u);
        EXPECT_EQ(Count("finalize"), 0u);
    }
}

TEST(Reader, LineNumbersBeyond65535) {
    const Result r = Read("<Test_log>" + std::string(65540, '\n') + "<Top no=\"1\"/></Test_log>");
    EXPECT_EQ(r.stderr_text, "in.xml:65541: error: <Top>, attribute \"no\": Bad value \"1\"\n");
}

TEST(Reader, DocumentsFromAFileAndStandardInput) {
    char path[] = "/tmp/tessel_reader_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "<Test_log>\n<Top a=\"1\"/>\n<Top no=\"1\"/>\n</Test_log>\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
    const int saved = dup(0);
    dup2(fd, 0);
    close(fd);

    Input_data input;
    events.clear();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Read_document(path, test_root, input), Read_status::reported);
    EXPECT_EQ(Read_document(nullptr, test_root, input), Read_status::reported);
    unlink(path);
    EXPECT_EQ(Read_document(path, test_root, input), Read_status::not_well_formed);
    const std::string printed = testing::internal::GetCapturedStderr();
    dup2(saved, 0);
    close(saved);
    const std::string report = ":3: error: <Top>, attribute \"no\": Bad value \"1\"\n";
    EXPECT_EQ(printed.substr(0, printed.find("Cannot open")), path + report + "-" + report + path + ":0: error: ");
    EXPECT_EQ(Count("commit Top"), 2u);
}

TEST(Reader, ReadAttribsOfATreeNode) {
    xmlNode* node = xmlNewNode(nullptr, To_xml("Elem"));
    for (const char* name : {"a", "bad", "c"}) xmlNewProp(node, To_xml(name), To_xml("x"));
    Input_data input;
    events.clear();
    Recorder state(input, "Elem");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(state.Read_attribs(node));  // a refusal does not stop the others
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "-:0: error: <Elem>, attribute \"bad\": Bad value \"x\"\n");
    EXPECT_EQ(Count("attr Elem"), 3u);
    EXPECT_EQ(input.element, nullptr);
    EXPECT_EQ(input.attribute, nullptr);
    xmlFreeNode(node);
}
