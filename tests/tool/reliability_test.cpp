// Faults that must never pass silently: write errors of the log, values a
// record field cannot hold, records an entry point cannot take.  The
// document reader and the record-script reader agree on what is valid.
#include <string>

#include "tool_fixture.h"

using namespace tool_test;

namespace {

class Reliability : public Tool_fixture {
protected:
    Result Replay_text(const std::string& body) {
        const std::string path = Temp("in.xml");
        std::ofstream(path, std::ios::binary) << "<P25_log_data>\n" << body << "\n</P25_log_data>\n";
        return Run("replay " + Quote(path));
    }
    // Runs tessel with its standard output on /dev/full.
    Result Run_to_full(const std::string& args) {
        const std::string err = Temp("stderr");
        const int raw = std::system((Quote(TESSEL_TOOL) + " " + args + " </dev/null >/dev/full 2>" + Quote(err)).c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", Read_file(err)};
    }
};

const std::string examples = TESSEL_TEST_DATA "/../../examples/";
const std::string full = "No space left on device\n";

const std::string grant_body =
    "  <P25_TSBK_header last_block=\"true\" protected_flag=\"false\" opcode=\"0\" mfid=\"00\"/>\n"
    "  <GRP_V_CH_GRANT>\n"
    "    <Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" packet_mode=\"false\""
    " Reserved=\"0\" priority=\"PRIORITY\"/>\n"
    "    <Channel id=\"ID\" number=\"NUMBER\"/>\n"
    "    <Group_address>5678</Group_address>\n"
    "    <Source_address>ABCDEF</Source_address>\n"
    "  </GRP_V_CH_GRANT>\n"
    "</Trunking_message>";

// A channel grant with its fields replaced.
std::string Grant(const std::string& priority, const std::string& id, const std::string& number) {
    std::string body = "<Trunking_message phys_channel=\"1\">\n" + grant_body;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"PRIORITY", priority}, {"ID", id},
                                     {"NUMBER", number}})
        body.replace(body.find(key), key.size(), value);
    return body;
}

}  // namespace

// Every write error is reported once, with the file, and gives status 2.
TEST_F(Reliability, WriteErrorsAreReportedOnce) {
    const struct { std::string args, report; bool to_full; } cases[] = {
        {"log " + Quote(examples + "grants.log") + " --out /dev/full", "tessel log: cannot write /dev/full: ", false},
        {"replay " + Quote(examples + "demo.xml") + " --out /dev/full", "tessel replay: cannot write /dev/full: ",
         false},
        {"log " + Quote(examples + "grants.log"), "tessel log: cannot write standard output: ", true},
        {"replay " + Quote(examples + "demo.xml"), "tessel replay: cannot write standard output: ", true},
        {"grammar", "tessel grammar: cannot write standard output: ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Result r = c.to_full ? Run_to_full(c.args) : Run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.substr(r.err.find("tessel ")), c.report + full);
    }
}

// Values a field cannot hold are refused where they stand, never stored cut
// or wrapped.
TEST_F(Reliability, ValuesThatDoNotFitAreRefused) {
    const std::string tsbk = "<TSBK phys_channel=\"1\" NAC=\"293\">80 00 85 12 34 56 78 AB CD EF EE E4</TSBK>";
    auto with = [&](const std::string& from, const std::string& to) {
        std::string s = tsbk;
        return s.replace(s.find(from), from.size(), to);
    };
    const std::string dash = "\xE2\x80\x93";
    // The line of the element refused, and the report.
    const struct { std::string element, report; int line = 2; } cases[] = {
        {Grant("5", "99", "564"), "<Channel>, attribute \"id\": Value 99 out of range 0" + dash + "15", 6},
        {Grant("5", "1", "99999"), "<Channel>, attribute \"number\": Value 99999 out of range 0" + dash + "4095", 6},
        {Grant("99", "1", "564"), "<Service_options>, attribute \"priority\": Value 99 out of range 0" + dash + "7", 5},
        {with("NAC=\"293\"", "NAC=\"FFFFF\""), "<TSBK>, attribute \"NAC\": Value FFFFF out of range 0" + dash + "FFF"},
        {with("phys_channel=\"1\"", "timestamp=\"-1\""),
         "<TSBK>, attribute \"timestamp\": Value -1 out of range 0" + dash + "85.89934590"},
        {with("phys_channel=\"1\"", "timestamp=\"1e300\""), "<TSBK>, attribute \"timestamp\": Bad value \"1e300\""},
        {with("phys_channel=\"1\"", "timestamp=\"nan\""), "<TSBK>, attribute \"timestamp\": Bad value \"nan\""},
        {with("phys_channel=\"1\"", "timestamp=\"0x1p3\""), "<TSBK>, attribute \"timestamp\": Bad value \"0x1p3\""},
        {with("80 00", "8 0"), "<TSBK>: Bad text \"8 0 85 12 34 56 78 AB CD EF EE E4\""},
        {"<DateTime><Date>2024/13/45</Date><Time>12:00:00</Time></DateTime>", "<Date>: No such date 2024/13/45"},
        {"<DateTime><Date>2023/02/29</Date><Time>12:00:00</Time></DateTime>", "<Date>: No such date 2023/02/29"},
        {"<DateTime><Date>2024/02/29</Date><Time>25:61:99</Time></DateTime>", "<Time>: No such time 25:61:99"},
        {"<LogFilter phys_channel=\"4294967295\"/>", "<LogFilter>: Channel # too big: -1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        const Result r = Replay_text(c.element);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
                  Temp("in.xml") + ":" + std::to_string(c.line) + ": error: " + c.report + "\n");
        EXPECT_EQ(r.out.find("<Trunking_message"), std::string::npos);
    }
    // The same grant with values that fit is read.
    EXPECT_EQ(Replay_text(Grant("7", "15", "4095")).status, 0);
}

// A timestamp, an NAC, a date and a time are valid in a script exactly when
// they are valid in a document.
TEST_F(Reliability, ScriptsAndDocumentsAgree) {
    const struct { const char *key, *value; bool valid; } cases[] = {
        {"timestamp", "1.5", true},   {"timestamp", "85.89934590", true}, {"timestamp", "85.8993460", false},
        {"timestamp", "-1", false},   {"timestamp", "nan", false},        {"timestamp", "inf", false},
        {"timestamp", "1e1", false},  {"timestamp", "0x10", false},       {"timestamp", "+1", false},
        {"timestamp", "-0", false},   {"timestamp", ".5", false},         {"timestamp", "1.", false},
        {"NAC", "FFF", true},
        {"NAC", "FFFFF", false},      {"date", "2024/02/29", true},       {"date", "2024/13/45", false},
        {"date", "2023/02/29", false}, {"time", "23:59:60", true},        {"time", "25:61:99", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        const std::string key = c.key;
        std::string line, element;
        if (key == "date" || key == "time") {
            const std::string date = key == "date" ? c.value : "2024/05/17", time = key == "time" ? c.value : "12:00:00";
            line = "time date=" + date + " time=" + time;
            element = "<DateTime><Date>" + date + "</Date><Time>" + time + "</Time></DateTime>";
        } else {
            line = std::string("tsbk ") + c.key + "=" + c.value + " 80 00 85 12 34 56 78 AB CD EF EE E4";
            element = std::string("<TSBK ") + c.key + "=\"" + c.value + "\">80 00 85 12 34 56 78 AB CD EF EE E4</TSBK>";
        }
        EXPECT_EQ(Log_text(line + "\n").status, c.valid ? 0 : 1);
        EXPECT_EQ(Replay_text(element).status, c.valid ? 0 : 1);
    }
}

// The script reader refuses what the entry point cannot take.
TEST_F(Reliability, ScriptsRefuseWhatTheEntryPointsCannotTake) {
    const struct { const char *line, *report; } cases[] = {
        {"pdu 37 FD 00 12 34 56 81 00 00 00 09 4A", "pdu takes 24 to 1524 bytes in steps of 12, got 12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Result r = Log_text(std::string(c.line) + "\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "-:1: " + std::string(c.report) + "\n");
    }
}
