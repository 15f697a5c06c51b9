// The document reader: the parse cycle, located reports, recovery between
// top-level elements, documents that are not well-formed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shared/XML/XML_routines.h"

using namespace XML_routines;

namespace {

std::vector<std::string> events;

struct Record_hook : Finalize_hook {
    explicit Record_hook(std::string what) : what(std::move(what)) {}
    void Hook() override { events.push_back("hook " + what); }
    std::string what;
};

// A parse state that records every call.  Its behaviour is driven by the
// document: attribute "bad" reports an error and is refused, "no" is refused
// silently, "hooks" attaches two hooks, finalize="fail" / commit="fail" make
// those steps fail; any tag but "Refused" (refused with a report) or one
// starting with "Unknown" (refused silently) has a sub-state.
class Recorder : public Instance_base {
public:
    Recorder(Input_data& input, std::string tag) : Instance_base(input), tag_(std::move(tag)) { events.push_back("create " + tag_); }
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
        if (n == "hooks")
            for (const char* i : {" 1", " 2"}) (new Record_hook(tag_ + i))->Hook_to(*this);
        const std::string value = scanner.BiteOffString();  // one token: more is left over
        fail_finalize_ |= n == "finalize" && value == "fail";
        fail_commit_ |= n == "commit" && value == "fail";
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
    bool Finalize() override { return events.push_back("finalize " + tag_), !fail_finalize_; }
    bool Commit() override { return events.push_back((fail_commit_ ? "refuse commit " : "commit ") + tag_), !fail_commit_; }
    const char* Name() const override { return tag_.c_str(); }

private:
    std::string tag_;
    bool fail_finalize_ = false, fail_commit_ = false;
};

struct Record_info : Info_base {
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
    // Entities, CDATA and character references joined; blank text not handed over.
    const std::pair<const char*, std::size_t> docs[] = {
        {"<Test_log><Top>a &amp; <![CDATA[<b>]]> &#65;</Top></Test_log>", 1},
        {"<Test_log>\n <Top>\n  <![CDATA[ ]]>\n </Top>\n</Test_log>", 0},
        {"<?xml version=\"1.0\"?><!-- nothing --><Test_log/>", 0},
        {"<Test_log></Test_log>", 0},
    };
    for (const auto& d : docs) {
        EXPECT_EQ(Read(d.first).status, Read_status::ok) << d.first;
        EXPECT_EQ(Count("text "), d.second) << d.first;
        EXPECT_EQ(Count("text Top a & <b> A"), d.second) << d.first;
    }
}

// A faulty element among good ones gives one located report, and the
// elements after it are processed all the same.  A document that is not
// well-formed keeps every element complete before the fault, nothing after
// it; its open states are deleted innermost first without being finalised.
TEST(Reader, FaultsAreReportedWhereTheyAreAndLoseNothingComplete) {
    // The faulty element on line 3, between good ones.
    const auto among_good = [](const char* element, const char* declarations = "") {
        return std::string(declarations) + "<Test_log>\n<Top n=\"1\"/>\n" + element +
               "\n<Top n=\"3\"/>\n<Other/>\n</Test_log>\n";
    };
    const std::string good = "<Test_log>\n<Top n=\"1\"/>\n<Top n=\"2\">x</Top>\n";
    const std::string comment = "<!--" + std::string(8000, 'c') + "-->\n";
    const Read_status bad = Read_status::not_well_formed, reported = Read_status::reported;
    const char* const all = "Top Top Other";
    // report: the whole of standard error (null: any); committed: the tags
    // committed in order; last: the last event, when it matters.
    const struct {
        std::string text;
        const char *report, *committed;
        Read_status status = Read_status::not_well_formed;
        const char* last = nullptr;
        unsigned errors = 1;
    } docs[] = {
        {among_good("<Unknown x=\"1\"><Top/></Unknown>"), "in.xml:3: error: Unknown element <Unknown> in <Test_log>", all, reported},
        {among_good("<Inert/>"), "in.xml:3: error: Unknown element <Inert> in <Test_log>", all, reported},  // no parse state
        {among_good("<Top>\n<UnknownSub/></Top>"), "in.xml:4: error: Unknown element <UnknownSub> in <Top>", all, reported},
        {among_good("<Top>\n<Refused/></Top>"), "in.xml:4: error: <Refused>: Not here", all, reported},
        {among_good("<Top bad=\"x\"/>"), "in.xml:3: error: <Top>, attribute \"bad\": Bad value \"x\"", all, reported},
        {among_good("<Top no=\"x\"/>"), "in.xml:3: error: <Top>, attribute \"no\": Bad value \"x\"", all, reported},
        {among_good("<Top n=\"2 junk\"/>"), "in.xml:3: error: <Top>, attribute \"n\": Unexpected text \"junk\"", all, reported},
        {among_good("stray<Other/>"), "in.xml:3: error: <Test_log>: Unexpected text \"stray\"", "Top Other Top Other", reported},
        // An entity is refused where it is declared and where it is used.
        {among_good("<Top>&e;</Top>", "<!DOCTYPE Test_log [<!ENTITY e \"x\">]>"),
         "in.xml:1: error: Entity declaration e is not supported\n"
         "in.xml:3: error: <Top>: Entity reference &e; is not supported",
         all, reported, nullptr, 2},
        // Nor hooks after a failed step.
        {among_good("<Top hooks=\"1\" finalize=\"fail\"/>"), "in.xml:3: error: <Top> refused", all, reported},
        {among_good("<Top commit=\"fail\"/>"), "in.xml:3: error: <Top> refused", all, reported},
        {among_good("<Top>\n<Sub finalize=\"fail\"/></Top>"), "in.xml:4: error: <Sub> refused", all, reported},
        // Line numbers past 16 bits.
        {"<Test_log>" + std::string(65540, '\n') + "<Top no=\"1\"/></Test_log>",
         "in.xml:65541: error: <Top>, attribute \"no\": Bad value \"1\"", "", reported},
        // A log cut off while it was being written.
        {good, "in.xml:3: error: Premature end of the document: <Test_log> of line 1 is not closed", "Top Top"},
        {good + comment, "in.xml:4: error: Premature end of the document: <Test_log> of line 1 is not closed", "Top Top"},
        {good + "<Top n=\"3\">ab", "in.xml:4: error: Premature end of the document: <Top> of line 4 is not closed", "Top Top"},
        {good + "<Top n=\"3\"", "in.xml:4: error: Premature end of the document: <Test_log> of line 1 is not closed", "Top Top"},
        {"<Test_log>\n<Top a=\"1\">\n<Sub>\n<Leaf>text",
         "in.xml:4: error: Premature end of the document: <Leaf> of line 4 is not closed", "", bad, "delete Top"},
        // Junk after the root, a second root.
        {good + "</Test_log>\njunk\n", "in.xml:5: error: Extra content at the end of the document", "Top Top"},
        {good + "</Test_log>\n" + comment + "<Test_log/>", "in.xml:6: error: Extra content at the end of the document", "Top Top"},
        {"<Test_log/><Test_log/>", nullptr, ""},
        // Mismatched end tags, after a buffer's worth of text and within an element.
        {good + comment + "<Top n=\"3\"></Other>", "in.xml:5: error: Opening and ending tag mismatch: Top line 5 and Other", "Top Top"},
        {"<Test_log>\n<Top n=\"1\"/>\n<Top n=\"2\"><Child/>\n<Leaf></Bad>\n<Top n=\"3\"/>\n</Test_log>\n",
         "in.xml:4: error: Opening and ending tag mismatch: Leaf line 4 and Bad", "Top Child", bad, "delete Top"},
        // Nothing to read, the wrong root.
        {"", "in.xml:1: error: Document is empty", ""},
        {" \n\n", "in.xml:1: error: Document is empty", ""},
        {"hello\nworld\n", "in.xml:1: error: Not an XML document: it holds no element, only text", ""},
        {"<Other_log>\n<Top/>\n</Other_log>", "in.xml:1: error: Document element is <Other_log>, expected <Test_log>", "", reported},
        // Undeclared entity and prefix, bytes that are not UTF-8, a NUL.
        {"<Test_log><Top>&nope;</Top></Test_log>", nullptr, ""},
        {"<Test_log><q:Top/></Test_log>", nullptr, ""},
        {"<Test_log><Top>\xff\xfe</Top></Test_log>", nullptr, ""},
        {std::string("<Test_log><Top>\0</Top></Test_log>", 32), nullptr, ""},
        // Octets of an encoding the parser cannot read, told by the first four.
        {std::string("\0\0<\0\0\0T\0", 8), nullptr, ""},
        {std::string("\0<\0\0\0T\0\0", 8), nullptr, ""},
    };
    for (const auto& d : docs) {
        SCOPED_TRACE(d.text.substr(0, 80));
        Input_data input;
        const Result r = Read(d.text, &input);
        EXPECT_EQ(r.status, d.status);
        EXPECT_GE(r.errors, 1u);
        if (d.report) { EXPECT_EQ(r.stderr_text + std::to_string(r.errors), d.report + ("\n" + std::to_string(d.errors))); }
        std::string committed;
        for (const std::string& e : events) {
            if (e.rfind("commit ", 0) == 0) committed += (committed.empty() ? "" : " ") + e.substr(7);
        }
        EXPECT_EQ(committed, d.committed);
        if (d.status == bad) { EXPECT_EQ(Count("finalize"), Count("commit")); }
        EXPECT_EQ(Count("hook "), 0u);
        EXPECT_EQ(Count("create"), Count("delete"));
        EXPECT_EQ(input.element, nullptr);
        EXPECT_EQ(input.attribute, nullptr);
        if (d.last) { EXPECT_EQ(events.back(), d.last); }
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
    EXPECT_EQ(r.errors, 5u);  // the declaration, three references, the rest counted
    EXPECT_EQ(std::count(r.stderr_text.begin(), r.stderr_text.end(), '\n'), 5);
    EXPECT_NE(r.stderr_text.find("in.xml:2: error: <Top>: 19997 more entity references are not supported\n"),
              std::string::npos);
    EXPECT_EQ(Count("commit Top"), 1u);
}

namespace {
// A new temporary file holding text, open at its start (-1: none was made);
// path, a mkstemp template, receives its name.
int Temporary_document(char* path, const std::string& text) {
    const int fd = mkstemp(path);
    if (fd < 0) return -1;
    if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && lseek(fd, 0, SEEK_SET) == 0)
        return fd;
    close(fd);
    return -1;
}
}  // namespace

TEST(Reader, DocumentsFromAFileAndStandardInput) {
    char path[] = "/tmp/tessel_reader_XXXXXX";
    const int fd = Temporary_document(path, "<Test_log>\n<Top a=\"1\"/>\n<Top no=\"1\"/>\n</Test_log>\n");
    ASSERT_GE(fd, 0);
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

// A host without standard input (a daemon, say) is given descriptor 0 for
// the document it names: that one is closed after reading like any other.
TEST(Reader, ClosesADocumentOpenedOnDescriptorZero) {
    char path[] = "/tmp/tessel_reader_XXXXXX";
    const int fd = Temporary_document(path, "<Test_log><Top a=\"1\"/></Test_log>\n");
    ASSERT_GE(fd, 0);
    close(fd);
    const int saved = dup(0);
    close(0);
    Input_data input;
    const Read_status status = Read_document(path, test_root, input);
    const bool left_open = fcntl(0, F_GETFD) != -1;
    dup2(saved, 0);
    close(saved);
    unlink(path);
    EXPECT_EQ(status, Read_status::ok);
    EXPECT_FALSE(left_open);
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
    // No element (none found, or a text node): nothing to read, nothing refused.
    xmlNode* text = xmlNewText(To_xml("a=\"1\""));
    for (xmlNode* none : {static_cast<xmlNode*>(nullptr), text}) EXPECT_TRUE(state.Read_attribs(none));
    EXPECT_EQ(Count("attr Elem"), 3u);
    xmlFreeNode(text);
    xmlFreeNode(node);
}

// A carriage return alone ends a line wherever it stands: in text, between
// attributes, in either kind of quoted value, in an end tag.  A document
// type (quoted literals and an internal subset that hold '>', ']' and tags),
// a comment, a CDATA section (a quote, a '>') and a processing instruction
// do not hide the start tags after them from the attribute cap.
TEST(Reader, LineEndsAndTheCapAfterEveryKindOfMarkup) {
    std::string capped = "<Top";
    for (int i = 0; i < 260; ++i) capped += " a" + std::to_string(i) + "=\"1>\"";
    capped += "/>";
    const std::pair<std::string, const char*> docs[] = {
        {"<Test_log>\r<Top a='\r1'\rb=\"2\r\"\r/>\r<Top>x</Top\r>\r<Top bad=\"1\"/>\r</Test_log>\r",
         "in.xml:9: error: <Top>, attribute \"bad\": Bad value \"1\"\n"},
        {"<!DOCTYPE Test_log [\n<!ELEMENT Test_log ANY>\n<!ENTITY e \"]><Top a='>'>\">\n]>\n<!-- it's > -->\n"
         "<Test_log>\n<Top><![CDATA[ it's > ]]></Top>\n" + capped + "\n</Test_log>\n",
         "in.xml:3: error: Entity declaration e is not supported\nin.xml:8: error: <Top>: \xE2\x80\xA6 and 4 more\n"},
        // A processing instruction ends at its "?>", not at a '>' alone.
        {"<?xml version=\"1.0\"?>\n<Test_log>\n<?note x?>" + capped + "\n</Test_log>\n",
         "in.xml:3: error: <Top>: \xE2\x80\xA6 and 4 more\n"},
    };
    for (const auto& d : docs) EXPECT_EQ(Read(d.first).stderr_text, d.second) << d.first;
}

// The document reaches the parser in pieces of 64 kB, and the pass that
// ends lines at carriage returns and caps a start tag's attributes carries
// its state from one piece to the next: wherever the boundary falls (inside
// a line end, a quoted value, a name, the "/>" of a tag that lost
// attributes), the document reads as it does in one piece.
TEST(Reader, LineEndsAndLostAttributesAcrossPieces) {
    std::string tag = "<Top";
    for (int i = 0; i < 300; ++i) tag += " a" + std::to_string(i) + "='v>/\"'";
    tag += " />";
    const std::string head = "<Test_log>\r\n<!--", tail = "-->\r\n" + tag + "\r\n<Top bad=\"1\"/>\r\n</Test_log>\r";
    const std::size_t piece = 64 * 1024, crlf = piece - head.size() - 4;  // padding that splits the first "\r\n"
    const auto read = [&](std::size_t padding) { return Read(head + std::string(padding, 'x') + tail); };
    const Result whole = read(10);
    EXPECT_EQ(whole.stderr_text, "in.xml:3: error: <Top>: … and 44 more\n"
                                 "in.xml:4: error: <Top>, attribute \"bad\": Bad value \"1\"\n");
    for (std::size_t into_tag : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{2000},
                                 tag.size() - 40, tag.size(), tag.size() + 1, tag.size() + 2, tag.size() + 3}) {
        const Result split = read(crlf - into_tag);
        EXPECT_EQ(split.stderr_text, whole.stderr_text) << into_tag;
        EXPECT_EQ(split.errors, whole.errors) << into_tag;
    }
}
