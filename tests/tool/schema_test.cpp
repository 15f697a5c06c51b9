// tessel schema: every golden log and example validates; each kind of
// mistake fails validation at its line.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace tool_test {
namespace {

class Schema : public Tool_fixture {
protected:
    void SetUp() override {
        Tool_fixture::SetUp();
        const Result r = Run("schema --help");
        ASSERT_EQ(r.status, 0);
        const Result schema = Run("schema");
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
    std::vector<std::string> documents = {"../examples/demo.xml", "data/tool/grants.xml", "data/tool/empty.xml",
                                          "data/logdoc/filters.xml", "data/logdoc/filters.out.xml",
                                          "data/logdoc/script.out.xml", "data/logdoc/filter_later.xml"};
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
        bool error_in_place = false;
        for (const char* error : {"Illegal_block_count", "INVALID_FORMAT"})
            if (text.find(std::string("<") + error + ">") != std::string::npos) {
                error_in_place = true;
                EXPECT_NE(r.err.find(error), std::string::npos) << r.err;
            }
        if (error_in_place) ++errors_in_place;
        else EXPECT_EQ(r.status, 0) << d << "\n" << r.err;
    }
    EXPECT_GE(documents.size(), 20u);
    EXPECT_LE(errors_in_place, 1);
}

TEST_F(Schema, EachKindOfMistakeFailsAtItsLine) {
    const struct {
        const char* what;
        const char* line2;
        const char* report;
    } cases[] = {
        {"misspelt attribute", "<TSBK phys_chanel=\"1\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>", "phys_chanel"},
        {"unknown element", "<TSBK_run phys_channel=\"1\"/>", "TSBK_run"},
        {"bad enumeration name", "<TSBK direction=\"sideways\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>",
         "sideways"},
        {"malformed number", "<TSBK NAC=\"2G3\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>", "2G3"},
        {"malformed octets", "<TSBK>80 0Z</TSBK>", "80 0Z"},
        {"unknown child", "<LogFilter phys_channel=\"1\"><Loud>true</Loud></LogFilter>", "Loud"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string doc = Temp("bad.xml");
        std::ofstream(doc) << "<P25_log_data>\n  " << c.line2 << "\n</P25_log_data>\n";
        const Result r = Validate(doc);
        EXPECT_NE(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("bad.xml:2:"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.report), std::string::npos) << r.err;
    }
}

// The schema takes a value exactly when replay does: octets of two digits,
// timestamps in the form they are printed, numbers in their field's range.
TEST_F(Schema, AcceptsWhatReplayAccepts) {
    const std::string tsbk = "<TSBK phys_channel=\"1\" NAC=\"293\">80 00 85 12 34 56 78 AB CD EF EE E4</TSBK>";
    auto with = [&](const std::string& from, const std::string& to) {
        std::string s = tsbk;
        return s.replace(s.find(from), from.size(), to);
    };
    const struct {
        std::string element;
        bool valid;
    } cases[] = {
        {tsbk, true},
        {with("phys_channel=\"1\"", "phys_channel=\"255\""), true},
        {with("phys_channel=\"1\"", "phys_channel=\"256\""), false},
        {with("phys_channel=\"1\"", "phys_channel=\"-1\""), false},
        {with("phys_channel=\"1\"", "timestamp=\"85.5\""), true},
        {with("phys_channel=\"1\"", "timestamp=\"-1\""), false},
        {with("phys_channel=\"1\"", "timestamp=\"1.\""), false},
        {with("NAC=\"293\"", "NAC=\"fff\""), true},
        {with("NAC=\"293\"", "NAC=\"1000\""), false},
        {with("80 00", "8 0"), false},
        {with("phys_channel=\"1\"", "direction=\"257\""), false},
        {with("phys_channel=\"1\"", "direction=\"0x2\""), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        const std::string doc = Temp("one.xml");
        std::ofstream(doc) << "<P25_log_data>\n  " << c.element << "\n</P25_log_data>\n";
        EXPECT_EQ(Validate(doc).status == 0, c.valid) << "schema";
        EXPECT_EQ(Run("replay " + Quote(doc)).status == 0, c.valid) << "replay";
    }
}

// The registry's messages are choices of "Trunking_message", the value
// tables enumerations.
TEST_F(Schema, DescribesRegistryAndTables) {
    const std::string xsd = Read_file(Temp("tessel.xsd"));
    for (const char* part : {"<xs:element name=\"P25_log_data\"", "name=\"GRP_V_CH_GRANT\"", "name=\"Trunking_message\"",
                             "<xs:enumeration value=\"rx_sim\"/>", "<xs:attribute name=\"timestamp\""})
        EXPECT_NE(xsd.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace tool_test
