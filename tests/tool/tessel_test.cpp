// End-to-end tests of the tessel program: run the built binary, compare its
// log document with the golden files under data/tool/ and check the exit
// status and the reports on standard error.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace {

using namespace tool_test;

const std::string data_dir = TESSEL_TEST_DATA "/tool/";

using Tool = Tool_fixture;

// Every way of naming the input and the output gives the empty log document.
TEST_F(Tool, EmptyDocumentGivesTheEmptyLogDocument) {
    const std::string golden = Read_file(data_dir + "empty.log"), file = Quote(data_dir + "empty.xml");
    ASSERT_FALSE(golden.empty());
    const struct {
        std::string args, stdin_path;
    } cases[] = {
        {"replay " + file, "/dev/null"},
        {"replay", data_dir + "empty.xml"},
        {"replay -", data_dir + "empty.xml"},
        {"replay --trace " + file, "/dev/null"},
        {"replay " + file + " --dispatch " + Quote(Temp("messages")), "/dev/null"},
        {"replay " + file + " --out=" + Quote(Temp("log.xml")), "/dev/null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Result r = Run(c.args, c.stdin_path);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.args.find("--out") == std::string::npos ? golden : "");
    }
    EXPECT_EQ(Read_file(Temp("log.xml")), golden);
    // No message was sent, yet the message file exists and is empty.
    ASSERT_TRUE(fs::exists(Temp("messages")));
    EXPECT_EQ(Read_file(Temp("messages")), "");
    // The bundled demo document is accepted silently.
    const Result demo = Run("replay " + Quote(TESSEL_TEST_DATA "/../../examples/demo.xml"));
    EXPECT_EQ(demo.status, 0) << demo.err;
    EXPECT_EQ(demo.err, "");
}

// Each document mixes elements that are refused with elements that are
// accepted: the refusals are reported where they happen, the exit status is
// 1, and the accepted elements after them are still logged (their golden
// .log file).
TEST_F(Tool, RefusedElementsAreReportedAndReadingGoesOn) {
    struct Case {
        const char* document;
        std::vector<std::string> reported;  // in stderr, in this order
        const char* not_reported;           // absent from stderr
    } cases[] = {
        {"unknown",
         {"unknown.xml:3: error: Unknown element <No_such_element> in <P25_log_data>",
          "unknown.xml:9: error: Unknown element <Another_unknown> in <P25_log_data>"},
         "Inner"},  // skipped with its parent's subtree
        {"refused",
         {"refused.xml:3: error: <LogFilter>", "refused.xml:6: error: <LogFilter>",
          "refused.xml:10: error: <Environment>"},
         "refused.xml:12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        const std::string base = data_dir + c.document;
        const Result r = Run("replay " + Quote(base + ".xml"));
        EXPECT_EQ(r.status, 1);
        std::size_t at = 0;
        for (const std::string& report : c.reported) {
            at = r.err.find(report, at);
            ASSERT_NE(at, std::string::npos) << report << "\n" << r.err;
        }
        EXPECT_EQ(r.err.find(c.not_reported), std::string::npos) << r.err;
        EXPECT_EQ(r.out, Read_file(base + ".log"));
    }
}

TEST_F(Tool, CommandLine) {
    const std::string file = Quote(data_dir + "empty.xml"), copy = Temp("doc.xml");
    fs::copy_file(data_dir + "empty.xml", copy);
    struct Case {
        std::string args;
        int status;
        const char* out;  // expected in stdout ("" : stdout must be empty)
        const char* err;  // expected in stderr
    } cases[] = {
        {"--help", 0, "replay", ""},
        {"help", 0, "Commands:", ""},
        {"help replay", 0, "--dispatch FILE", ""},
        {"replay --help", 0, "Usage: tessel replay", ""},
        {"replay " + file + " --help", 0, "Usage: tessel replay", ""},
        {"", 2, "", "Usage: tessel"},
        {"frobnicate", 2, "", "unknown command \"frobnicate\""},
        {"--frobnicate", 2, "", "unknown option \"--frobnicate\""},
        {"replay --bogus " + file, 2, "", "unknown option \"--bogus\""},
        {"replay " + file + " --out", 2, "", "--out needs an argument"},
        {"replay " + file + " --out=", 2, "", "--out needs a non-empty argument"},
        {"replay --trace=yes " + file, 2, "", "--trace takes no value"},
        {"replay " + file + " " + file, 2, "", "more than one input document"},
        {"replay " + Quote(data_dir + "no_such_file.xml"), 2, "", "cannot read"},
        {"replay " + Quote(data_dir), 2, "", "cannot read"},
        {"replay " + file + " --out " + Quote(data_dir + "no_such_dir/log.xml"), 2, "", "cannot write"},
        {"replay " + Quote(copy) + " --out " + Quote(copy), 2, "", "would overwrite the input document"},
        {"replay " + Quote(copy) + " --dispatch " + Quote(copy), 2, "", "would overwrite the input document"},
        {"grammar extra", 2, "", "unexpected argument \"extra\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("tessel " + c.args);
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (*c.out)
            EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        else
            EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    EXPECT_EQ(Read_file(copy), Read_file(data_dir + "empty.xml"));
    // Not well formed: the end tag that does not match <Unclosed> is on line 4.
    const Result r = Run("replay " + Quote(data_dir + "not_well_formed.xml"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not_well_formed.xml:4"), std::string::npos) << r.err;
}

// The hint to --help follows mistakes on the command line only: a file that
// cannot be read or written is no misuse of the command.
TEST_F(Tool, HintToHelpOnlyAfterUsageErrors) {
    const std::string file = Quote(data_dir + "empty.xml"), copy = Temp("doc.xml");
    fs::copy_file(data_dir + "empty.xml", copy);
    const struct {
        std::string args;
        bool hint;
    } cases[] = {
        {"replay --bogus " + file, true},
        {"help frobnicate", true},
        {"log a.log b.log", true},
        {"replay " + Quote(copy) + " --out " + Quote(copy), true},
        {"replay " + Quote(data_dir + "no_such_file.xml"), false},
        {"replay " + file + " --out " + Quote(data_dir + "no_such_dir/log.xml"), false},
        {"replay " + file + " --dispatch " + Quote(data_dir + "no_such_dir/m.txt"), false},
        {"log " + Quote(data_dir + "no_such_file.log"), false},
        {"log " + Quote(data_dir + "../../examples/grants.log") + " --out " + Quote(data_dir + "no_such_dir/l.xml"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("tessel " + c.args);
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.find("Try 'tessel") != std::string::npos, c.hint) << r.err;
    }
}

TEST_F(Tool, VersionIsTheProjectVersion) {
    const Result r = Run("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_match(r.out, std::regex("tessel [0-9]+\\.[0-9]+(\\.[0-9]+)*\n"))) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST_F(Tool, GrammarStartsWithTheRoot) {
    const Result r = Run("grammar");
    EXPECT_EQ(r.status, 0) << r.err;
    // The root comes first, unindented; the elements filed under it follow,
    // one level in.
    const std::string root = r.out.substr(0, r.out.find('\n'));
    EXPECT_EQ(root.rfind("<", 0), 0u) << root;
    EXPECT_NE(root.find("P25_log_data"), std::string::npos) << root;
    EXPECT_NE(r.out.find("\n  <"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LogFilter"), std::string::npos) << r.out;
}

}  // namespace
