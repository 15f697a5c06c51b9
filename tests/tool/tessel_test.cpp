// End-to-end tests of the tessel program: the ways of naming the input and
// the output, the command line and its mistakes, and the bundled script of
// channel grants logged and replayed.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "golden.h"
#include "tool_fixture.h"

namespace tool_test {
namespace {

const std::string data_dir = "data/tool/";

using Tool = Tool_fixture;

// Every way of naming the input and the output gives the empty log document.
TEST_F(Tool, EmptyDocumentGivesTheEmptyLogDocument) {
    const std::string golden = Read_file(data_dir + "empty.log"), file = data_dir + "empty.xml";
    ASSERT_FALSE(golden.empty());
    const struct { std::string args, stdin_path; } cases[] = {
        {"replay " + file, "/dev/null"},
        {"replay", file},
        {"replay -", file},
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
}

// Each row: the arguments, the exit status, a pattern of standard output
// ("": nothing written), a part of standard error ("": nothing written), and
// whether the hint to --help follows (-1: not looked at).  The hint follows
// mistakes on the command line only: a file that cannot be read or written
// is no misuse of the command.
TEST_F(Tool, CommandLine) {
    const std::string file = data_dir + "empty.xml", copy = Temp("doc.xml"), grants = "../examples/grants.log";
    const std::string no_dir = data_dir + "no_such_dir/";
    fs::copy_file(file, copy);
    const struct {
        std::string args;
        int status;
        const char *out, *err;
        int hint;
    } cases[] = {
        {"--help", 0, "replay", "", 0},
        {"help replay", 0, "--dispatch FILE", "", 0},
        {"replay --help", 0, "Usage: tessel replay", "", 0},
        {"--version", 0, "^tessel [0-9]+\\.[0-9]+(\\.[0-9]+)*\n$", "", 0},
        // The root comes first, unindented; the elements under it one level in.
        {"grammar", 0, "^<[^\n]*P25_log_data[^\n]*\n  <[^\n]*LogFilter", "", 0},
        {"registry", 0, "\n   4: +UU_V_CH_GRANT  0 2\n", "", 0},
        {"log --kinds", 0, "^status +Status_bits[^\n]*\ntime +DateTime", "", 0},
        {"replay ../examples/demo.xml", 0, "\n  <LogFilter phys_channel=\"1\">\n", "", 0},
        {"", 2, "", "Usage: tessel", 0},
        {"frobnicate", 2, "", "tessel: unknown command \"frobnicate\"", 1},
        {"--frobnicate", 2, "", "tessel: unknown option \"--frobnicate\"", 1},
        {"help frobnicate", 2, "", "tessel help: unknown command \"frobnicate\"", 1},
        {"grammar extra", 2, "", "tessel grammar: unexpected argument \"extra\"", 1},
        {"replay --bogus " + file, 2, "", "unknown option \"--bogus\"", 1},
        {"replay " + file + " --out", 2, "", "--out needs an argument", 1},
        {"replay --trace=yes " + file, 2, "", "--trace takes no value", 1},
        // Several documents are read in turn into one log; "-" is standard
        // input, or standard output after --out.
        {"replay " + file + " " + file + " --out -", 0, "^<\\?xml[^\n]*\n<P25_log_data>\n</P25_log_data>\n$", "", 0},
        {"replay - " + file + " -", 2, "", "standard input named more than once", 1},
        {"log -q " + grants + " --out -", 0, "^<\\?xml[^\n]*\n<P25_log_data>\n  <Status_bits", "", 0},
        {"log -v " + grants + " --out " + Quote(Temp("g.xml")), 0, "", "tessel log: ../examples/grants.log: 18 lines, 0 refused\n", 0},
        {"replay -v " + file, 0, "^<\\?xml", "tessel replay: data/tool/empty.xml: 0 records handed on, 0 reports\n", 0},
        {"encode " + data_dir + "grants.xml", 0, "^tsbk ", "note: <DATA_CRC_ERROR>", 0},
        {"encode --quiet " + data_dir + "grants.xml --out -", 0, "^tsbk ", "", 0},
        {"replay " + Quote(copy) + " --out " + Quote(copy), 2, "", "would overwrite the input document", 1},
        {"replay " + Quote(copy) + " --dispatch " + Quote(copy), 2, "", "would overwrite the input document", 1},
        {"replay " + data_dir + "no_such_file.xml", 2, "", "tessel replay: cannot read", 0},
        {"replay " + data_dir, 2, "", "cannot read data/tool/: Is a directory", 0},
        {"replay " + file + " --out " + no_dir + "log.xml", 2, "", "cannot write", 0},
        {"log a.log b.log", 2, "", "tessel log: more than one record script", 1},
        {"log --kinds x", 2, "", "tessel log: --kinds takes no other argument", 1},
        {"log --out", 2, "", "tessel log: option --out needs an argument", 1},
        {"log " + Quote(copy) + " --out " + Quote(copy), 2, "", "would overwrite the record script", 1},
        {"log /", 2, "", "tessel log: cannot read /: Is a directory", 0},
        {"log " + grants + " --out " + no_dir + "l.xml", 2, "", "tessel log: cannot write", 0},
        {"encode a.xml b.xml", 2, "", "tessel encode: more than one input document", 1},
        // What came before the cut is still encoded.
        {"encode " + data_dir + "cut.xml", 2, "^time type=isp date=2024/01/01 time=00:00:00\n$",
         "cut.xml:3: error: Premature end of the document", -1},
        {"encode missing.xml", 2, "", "tessel encode: cannot read missing.xml", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("tessel " + c.args);
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (*c.out)
            EXPECT_TRUE(std::regex_search(r.out, std::regex(c.out))) << r.out;
        else
            EXPECT_EQ(r.out, "");
        if (*c.err)
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err, "");
        if (c.hint >= 0) {
            EXPECT_EQ(r.err.find("Try 'tessel") != std::string::npos, c.hint == 1) << r.err;
        }
    }
    EXPECT_EQ(Read_file(copy), Read_file(file));
}

// Every bundled record script logs cleanly into its golden log.
TEST_F(Tool, BundledScriptsGiveTheirGoldenLogs) {
    const struct { std::string script, area; } scripts[] = {
        {"grants", "tool"}, {"voice", "voice"}, {"simulator", "examples"}, {"smartzone", "examples"}, {"demo", "examples"},
    };
    for (const auto& s : scripts) {
        SCOPED_TRACE(s.script);
        const Result r = Run("log ../examples/" + s.script + ".log");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        Expect_golden_file(s.area, s.script + ".xml", r.out);
    }
}

// What the descriptors tell of the documents they take: the grammar (every
// element with its attributes, each definition under its header) and the
// schema, pinned whole.
TEST_F(Tool, GrammarAndSchemaGiveTheirGoldenText) {
    const struct { const char *command, *golden; } outputs[] = {{"grammar", "grammar.txt"}, {"schema", "schema.xsd"}};
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.command);
        const Result r = Run(o.command);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        Expect_golden_file("tool", o.golden, r.out);
    }
}

// Replaying the log of the grants decodes every message back from its blocks.
TEST_F(Tool, ReplayDecodesTheGrantsLogsMessages) {
    const std::string golden = Read_file(data_dir + "grants.xml");
    const Result r = Run("replay " + data_dir + "grants.xml");
    // The one message shown as a CRC error is a note: its PDU, logged
    // before it, is read back instead.
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, data_dir + "grants.xml:94: note: <DATA_CRC_ERROR>: records a message that was not decoded: "
                                "nothing of it is read back\n");
    int messages = 0;
    const std::string open = "  <Trunking_message ", close = "</Trunking_message>\n";
    for (std::size_t at = golden.find(open); at != std::string::npos; at = golden.find(open, at + 1), ++messages) {
        const std::string message = golden.substr(at, golden.find(close, at) + close.size() - at);
        EXPECT_NE(r.out.find(message), std::string::npos) << message;
    }
    EXPECT_EQ(messages, 8);
}

}  // namespace
}  // namespace tool_test
