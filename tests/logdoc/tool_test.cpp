// The log document end to end through the tessel program: `tessel log` of
// record scripts against golden files and the lines it refuses, and `tessel
// replay` of LogFilter elements.  (Its command-line mistakes: tool/.)
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "tool_fixture.h"

namespace tool_test {
namespace {

const std::string data_dir = TESSEL_TEST_DATA "/logdoc/";

using LogTool = Tool_fixture;

TEST_F(LogTool, ScriptGivesTheGoldenLogAndReportsItsBadLine) {
    const std::string script = data_dir + "script.log", golden = Read_file(data_dir + "script.out.xml");
    ASSERT_FALSE(golden.empty());
    const struct { std::string args, input, err; } runs[] = {
        {"log", script, Read_file(data_dir + "script.err")},
        {"log " + Quote(script), "/dev/null", script + ":7: unknown key \"bogus\"\n"},
        {"log --out " + Quote(Temp("log.xml")), script, Read_file(data_dir + "script.err")},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.args);
        const Result r = Run(run.args, run.input);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, run.err);
        EXPECT_EQ(r.out, run.args.find("--out") == std::string::npos ? golden : "");
    }
    EXPECT_EQ(Read_file(Temp("log.xml")), golden);
}

// One script of all the lines: each good line logs its element, in order;
// each refused line is reported under its number and the rest still logged.
TEST_F(LogTool, EachLineLogsItsElementOrIsReported) {
    const std::string attributes = "phys_channel=\"0\" direction=\"rx\" type=\"osp\" timeslot=\"0\"";
    struct Case {
        const char* line;
        std::string result;  // the element logged, or the report; nothing for a comment
    } cases[] = {
        // A byte-order mark opens the first line only; lines may end in CR LF.
        {"\xEF\xBB\xBFstatus\tstatus=0,1,2,3 NAC=0xfff\r",
         "<Status_bits timestamp=\" 0.00000000\" " + attributes + ">talk BUSY repeater IDLE</Status_bits>"},
        // The tick count holds up to 4294967295 ticks; the fraction is truncated to ticks.
        {"status timestamp=85.89934590999", "<Status_bits timestamp=\"85.89934590\" " + attributes + "/>"},
        {"status timestamp=0.000000039", "<Status_bits timestamp=\" 0.00000002\" " + attributes + "/>"},
        {"# a comment", ""},
        {"Status", "unknown kind \"Status\" ('tessel log --kinds' lists them)"},
        {"status colour=red", "unknown key \"colour\""},
        {"status phys_channel=1 phys_channel=2", "key \"phys_channel\" given twice"},
        {"time NAC=1 date=2024/01/01 time=00:00:00", "key \"NAC\" does not apply to time"},
        {"status phys_channel=256", "bad phys_channel \"256\": a decimal number from 0 to 255 is needed"},
        {"status direction=RX", "bad direction \"RX\": one of rx, tx, rx_sim (or a number 0-255 without a name, as 0xFF) is needed"},
        {"status NAC=1000", "bad NAC \"1000\": a hexadecimal number from 0 to FFF is needed"},
        {"status timestamp=1e3", "bad timestamp \"1e3\": seconds as decimal digits are needed"},
        {"status timestamp=85.8993460",
         "timestamp \"85.8993460\" out of range: the tick count holds at most 85.89934590 seconds"},
        {"status status=0,1,2,3,0,1,2,3,0,1,2,3,0,1,2,3,0,1,2,3,0,1,2,3,0", "more than 24 status symbols"},
        {"status status=4", "bad status symbol \"4\": talk, BUSY, repeater, IDLE or 0-3 is needed"},
        {"status 0A", "status takes no bytes, got 1"},
        {"status 0A0", "odd number of hexadecimal digits in \"0A0\""},
        {"time time=12:00:00", "time needs key \"date\""},
        {"time date=2023/02/29 time=00:00:00", "bad date \"2023/02/29\": a calendar date YYYY/MM/DD is needed"},
        {"status \x01\xff", "bad byte string \"??\": hexadecimal digits are needed"},
        // What the entry point cannot take: a packet of one block.
        {"pdu 37 FD 00 12 34 56 81 00 00 00 09 4A", "pdu takes 24 to 1524 bytes in steps of 12, got 12"},
        {"status", "<Status_bits timestamp=\" 0.00000000\" " + attributes + "/>"},
    };
    std::string script, out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n", err;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        script += std::string(cases[i].line) + "\n";
        const std::string& result = cases[i].result;
        if (result.empty()) continue;
        if (result[0] == '<')
            out += "  " + result + "\n";
        else
            err += "-:" + std::to_string(i + 1) + ": " + result + "\n";
    }
    const Result r = Log_text(script);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
    EXPECT_EQ(r.out, out + "</P25_log_data>\n");
}

// Replayed filters take effect in document order, on the elements after
// them: raw trunking elements stand for any element logged while a document
// is read, each logged only while its channel's filter records raw protocol.
TEST_F(LogTool, ReplayedFiltersGiveTheGoldenLog) {
    const struct { const char *document, *err; } cases[] = {
        {"filters", "filters.xml:25: error: <LogFilter>: Channel # too big: 257\n"},
        {"filter_later", ""},  // neither filter records the environment: no echo
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        const Result r = Run("replay " + Quote(data_dir + c.document + ".xml"));
        EXPECT_EQ(r.status, *c.err ? 1 : 0);
        EXPECT_EQ(r.err, *c.err ? data_dir + c.err : "");
        EXPECT_EQ(r.out, Read_file(data_dir + c.document + ".out.xml"));
    }
}

}  // namespace
}  // namespace tool_test
