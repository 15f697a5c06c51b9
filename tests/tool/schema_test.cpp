// tessel schema: every golden log and example validates; the schema, the
// document reader and the record-script reader agree on what they take, and
// each refuses a mistake at its line.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace tool_test {
namespace {

class Schema : public Tool_fixture {
protected:
    void SetUp() override {
        Tool_fixture::SetUp();
        static const Result schema = Run("schema");
        ASSERT_EQ(schema.status, 0) << schema.err;
        std::ofstream(Temp("tessel.xsd")) << schema.out;
    }
    // xmllint's verdict: its exit status and its report.
    Result Validate(const std::string& document) {
        const std::string command = "xmllint --noout --schema " + Quote(Temp("tessel.xsd")) + " " + Quote(document) +
                                    " >" + Quote(Temp("lint")) + " 2>&1";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", Read_file(Temp("lint"))};
    }
};

TEST_F(Schema, EveryGoldenLogAndExampleValidates) {
    std::vector<std::string> documents = {"../examples/demo.xml", "data/tool/grants.xml", "data/tool/refusals.log",
                                          "data/tool/unknown.log", "data/logdoc/filters.xml",
                                          "data/logdoc/filters.out.xml", "data/logdoc/script.out.xml",
                                          "data/logdoc/filter_later.xml"};
    for (const auto& entry : fs::directory_iterator("../examples"))
        if (entry.path().extension() == ".log") {
            const std::string log = Temp((entry.path().stem().string() + ".xml").c_str());
            ASSERT_EQ(Run("log " + Quote(entry.path().string()) + " --out " + Quote(log)).status, 0);
            documents.push_back(log);
        }
    // The golden elements of the trunking tests, under a root of their own.
    for (const auto& entry : fs::directory_iterator("data/trunking")) {
        const std::string wrapped = Temp(entry.path().filename().string().c_str());
        std::ofstream(wrapped) << "<P25_log_data>\n" << Read_file(entry.path()) << "</P25_log_data>\n";
        documents.push_back(wrapped);
    }
    // A message element whose fields an error replaced is the one form the
    // schema leaves out; such a document fails at that error.
    int errors_in_place = 0;
    for (const std::string& d : documents) {
        const Result r = Validate(d);
        const std::string text = Read_file(d);
        const char* error = text.find("<Illegal_block_count>") != std::string::npos ? "Illegal_block_count"
                            : text.find("<INVALID_FORMAT>") != std::string::npos ? "INVALID_FORMAT"
                                                                                   : nullptr;
        errors_in_place += error != nullptr;
        EXPECT_EQ(r.status == 0, !error) << d << "\n" << r.err;
        EXPECT_EQ(error && r.err.find(error) != std::string::npos, error != nullptr) << r.err;
    }
    EXPECT_GE(documents.size(), 20u);
    EXPECT_EQ(errors_in_place, 2);
}

// The lines that "PREFIX:LINE:" reports name.
std::set<int> Reported_lines(const std::string& err, const std::string& prefix) {
    std::set<int> lines;
    for (std::size_t at = 0; (at = err.find(prefix, at)) != std::string::npos; at += prefix.size())
        lines.insert(std::stoi(err.substr(at + prefix.size())));
    return lines;
}

// Each value as a TSBK attribute (or its octets, a DateTime part, a kind of
// its own, a child of a LogFilter) in a script, in a document replayed and
// in a document validated.  Each reader reads the values it takes without a
// report and refuses each other one at its own line.  The schema cannot see
// a calendar or a tick count's range.
TEST_F(Schema, ScriptsDocumentsAndTheSchemaAgree) {
    const struct {
        const char *key, *value;
        const char* verdicts;  // script, replay, schema: '+' takes it, '-' refuses it, ' ' no form
    } cases[] = {
        {"phys_chanel", "1", "---"},      {"direction", "sideways", "---"},    {"NAC", "2G3", "---"},
        {"octets", "80 0Z", "---"},       {"child", "Loud", " --"},
        {"timestamp", "1.5", "+++"},      {"timestamp", "85.89934590", "+++"}, {"timestamp", "85.8993460", "--+"},
        {"timestamp", "-1", "---"},       {"timestamp", "nan", "---"},         {"timestamp", "inf", "---"},
        {"timestamp", "1e1", "---"},      {"timestamp", "0x10", "---"},        {"timestamp", "+1", "---"},
        {"timestamp", "-0", "---"},       {"timestamp", ".5", "---"},          {"timestamp", "1.", "---"},
        {"NAC", "fff", "+++"},            {"NAC", "1000", "---"},              {"NAC", "FFFFF", "---"},
        {"phys_channel", "255", "+++"},   {"phys_channel", "256", "---"},      {"phys_channel", "-1", "---"},
        {"direction", "rx_sim", "+++"},   {"direction", "0x2", "+++"},         {"direction", "257", "---"},
        {"octets", "8 0 85 12 34 56 78 AB CD EF EE E4", "---"},
        {"date", "2024/02/29", "+++"},    {"date", "2024/13/45", "--+"},       {"date", "2023/02/29", "--+"},
        {"time", "23:59:60", "+++"},      {"time", "25:61:99", "--+"},
        // Last: past an element it does not know, xmllint checks no further.
        {"kind", "TSBK_run", "---"},
    };
    // The largest values the fields of a channel grant hold.
    const std::string grant =
        "<Trunking_message phys_channel=\"1\"><P25_TSBK_header/><GRP_V_CH_GRANT><Service_options emergency=\"true\" "
        "protected_flag=\"false\" full_duplex=\"false\" packet_mode=\"false\" Reserved=\"0\" priority=\"7\"/>"
        "<Channel id=\"15\" number=\"4095\"/><Group_address>5678</Group_address><Source_address>ABCDEF</Source_address>"
        "</GRP_V_CH_GRANT></Trunking_message>\n";
    // A value in the form of each reader: a script line, an element.
    auto form = [](int reader, const std::string& key, const std::string& value) -> std::string {
        const std::string octets = "80 00 85 12 34 56 78 AB CD EF EE E4";
        if (key == "date" || key == "time") {
            const std::string date = key == "date" ? value : "2024/05/17", time = key == "time" ? value : "12:00:00";
            return reader ? "<DateTime><Date>" + date + "</Date><Time>" + time + "</Time></DateTime>"
                          : "time date=" + date + " time=" + time;
        }
        if (key == "kind") return reader ? "<" + value + " phys_channel=\"1\"/>" : value + " phys_channel=1";
        if (key == "child") return "<LogFilter phys_channel=\"1\"><" + value + ">true</" + value + "></LogFilter>";
        if (key == "octets") return reader ? "<TSBK>" + value + "</TSBK>" : "tsbk " + value;
        return reader ? "<TSBK " + key + "=\"" + value + "\">" + octets + "</TSBK>" : "tsbk " + key + "=" + value + " " + octets;
    };
    for (const int reader : {0, 1, 2}) {  // log, replay, xmllint
        for (const char verdict : {'+', '-'}) {
            SCOPED_TRACE(std::to_string(reader) + verdict);
            std::string input = reader ? "<P25_log_data>\n" : "";
            std::set<int> refused;
            int line = reader ? 2 : 1;
            for (const auto& c : cases) {
                if (c.verdicts[reader] != verdict) continue;
                if (verdict == '-') refused.insert(line);
                input += form(reader, c.key, c.value) + "\n";
                ++line;
            }
            if (reader && verdict == '+') input += grant;
            if (reader) input += "</P25_log_data>\n";
            const std::string path = Temp(reader ? "in.xml" : "in.log");
            std::ofstream(path) << input;
            const Result r = reader == 2 ? Validate(path) : Run((reader ? "replay " : "log ") + Quote(path));
            EXPECT_EQ(r.status == 0, verdict == '+') << input << r.err;
            EXPECT_EQ(Reported_lines(r.err, path + ":"), refused) << input << r.err;
        }
    }
}

}  // namespace
}  // namespace tool_test
