// tessel encode: the log of every bundled script encodes back to a script
// whose log is the same document; a hand-written message becomes a TSBK
// whose CRC checks; errors are located and the rest is still encoded.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "crc.h"
#include "tool_fixture.h"

namespace tool_test {
namespace {

using Encode = Tool_fixture;

std::string Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST_F(Encode, LogOfEveryBundledScriptEncodesBackToItsRecords) {
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator("../examples")) {
        if (entry.path().extension() != ".log") continue;
        ++scripts;
        SCOPED_TRACE(entry.path().string());
        const Result log = Run("log " + Quote(entry.path().string()) + " --out " + Quote(Temp("a.xml")));
        ASSERT_EQ(log.status, 0) << log.err;
        const Result encoded = Run("encode " + Quote(Temp("a.xml")) + " --out " + Quote(Temp("a.script")));
        // Error elements of bad CRCs are refused as in replay, nothing else.
        const bool has_errors = Read_file(Temp("a.xml")).find("DATA_CRC_ERROR") != std::string::npos;
        EXPECT_EQ(encoded.status, has_errors ? 1 : 0) << encoded.err;
        for (std::size_t at = encoded.err.find("error:"); at != std::string::npos; at = encoded.err.find("error:", at + 1))
            EXPECT_EQ(encoded.err.compare(at, 29, "error: <DATA_CRC_ERROR>: Unkn"), 0) << encoded.err;
        const Result again = Run("log " + Quote(Temp("a.script")) + " --out " + Quote(Temp("b.xml")));
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(Read_file(Temp("b.xml")), Read_file(Temp("a.xml")));
    }
    EXPECT_GE(scripts, 2);
}

// Only the message's fields (and an empty header, which makes it a TSBK):
// the library fills opcode, manufacturer and CRC.
TEST_F(Encode, HandWrittenMessageBecomesATsbkWhoseCrcChecks) {
    const std::string doc = Write(dir_ / "hand.xml",
                                  "<P25_log_data>\n"
                                  "  <Trunking_message phys_channel=\"3\" timestamp=\"1.25\" type=\"osp\">\n"
                                  "    <P25_TSBK_header/>\n"
                                  "    <GRP_V_CH_GRANT>\n"
                                  "      <Channel id=\"1\" number=\"241\"/>\n"
                                  "      <Group_address>0ABC</Group_address>\n"
                                  "      <Source_address>123456</Source_address>\n"
                                  "    </GRP_V_CH_GRANT>\n"
                                  "  </Trunking_message>\n"
                                  "</P25_log_data>\n");
    const Result r = Run("encode " + Quote(doc));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string prefix = "tsbk timestamp=1.25 phys_channel=3 ";
    ASSERT_EQ(r.out.compare(0, prefix.size(), prefix), 0) << r.out;
    std::uint8_t block[12];
    const std::string hex = r.out.substr(prefix.size());
    ASSERT_EQ(hex.size(), 12u * 3) << r.out;  // "HH " eleven times, then "HH\n"
    for (int i = 0; i < 12; ++i) block[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(3 * i, 2), nullptr, 16));
    EXPECT_EQ(block[0] & 0x3F, 0x00);  // GRP_V_CH_GRANT
    EXPECT_EQ(block[1], 0x00);         // standard manufacturer
    EXPECT_EQ(static_cast<std::uint16_t>(~ccitt_16(0, block, 10)), (block[10] << 8) | block[11]);
    // And the line logs the message back.
    const Result logged = Log_text(r.out);
    EXPECT_EQ(logged.status, 0) << logged.err;
    EXPECT_NE(logged.out.find("<Group_address>0ABC</Group_address>"), std::string::npos) << logged.out;
}

TEST_F(Encode, RefusedElementIsLocatedAndTheRestEncoded) {
    const std::string doc = Write(dir_ / "bad.xml",
                                  "<P25_log_data>\n"
                                  "  <TSBK phys_channel=\"x\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>\n"
                                  "  <Status_bits timestamp=\"2\" phys_channel=\"1\">IDLE talk</Status_bits>\n"
                                  "</P25_log_data>\n");
    const Result r = Run("encode " + Quote(doc));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.xml:2: error: <TSBK>, attribute \"phys_channel\""), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "status timestamp=2 phys_channel=1 type=isp status=IDLE,talk\n");
}

// How elements join into lines: a decoded word alone is its word; an LDU1
// takes the word after it on its source, and the "LCF" of that word gives
// nothing more; a word on another source is a word of its own; status
// symbols go into the voice item of their source; a state's children are
// its keys and items.
TEST_F(Encode, ElementsJoinIntoTheLinesOfTheirKinds) {
    const struct {
        const char* elements;
        const char* script;
    } cases[] = {
        {"<LCF phys_channel=\"1\" type=\"osp\"><LC_GRP_V_CH_USR><Group_address>0BAD</Group_address>"
         "<Source_address>123456</Source_address></LC_GRP_V_CH_USR></LCF>",
         "lc phys_channel=1 00 00 00 00 0B AD 12 34 56\n"},
        {"<Status_bits phys_channel=\"2\" type=\"osp\">talk</Status_bits><LDU1 phys_channel=\"2\" type=\"osp\" NAC=\"293\"/>"
         "<Link_Control phys_channel=\"2\" type=\"osp\">00 00 80 00 0B AD 12 34 56</Link_Control>"
         "<LCF phys_channel=\"2\" type=\"osp\"><LC_GRP_V_CH_USR><Service_options emergency=\"true\"/>"
         "<Group_address>0BAD</Group_address><Source_address>123456</Source_address></LC_GRP_V_CH_USR></LCF>",
         "ldu1 phys_channel=2 NAC=293 status=talk 00 00 80 00 0B AD 12 34 56\n"},
        {"<LDU1 phys_channel=\"2\" type=\"osp\"/><Link_Control phys_channel=\"3\" type=\"osp\">"
         "4F 00 00 00 00 00 12 34 56</Link_Control><Term phys_channel=\"2\" type=\"osp\"/>",
         "ldu1 phys_channel=2\nlc phys_channel=3 4F 00 00 00 00 00 12 34 56\nterm phys_channel=2\n"},
        {"<Status_bits phys_channel=\"4\" type=\"osp\">BUSY</Status_bits><Term phys_channel=\"2\" type=\"osp\"/>",
         "status phys_channel=4 status=BUSY\nterm phys_channel=2\n"},
        {"<Traffic_state phys_channel=\"2\"><State>TC_GROUP_ACTIVE</State><Group_address>0101</Group_address>"
         "<Source_address>000011</Source_address></Traffic_state>",
         "traffic_state phys_channel=2 State=TC_GROUP_ACTIVE item=Group_address:0101 item=Source_address:000011\n"},
        {"<Smartzone_crc_err phys_channel=\"1\" type=\"osp\" ch_type=\"Control\" baud=\"3600\" bits=\"27\" "
         "bit_errs=\"3\" crc=\"1D0F\">12 34 56 78</Smartzone_crc_err>",
         "sz_crc_err phys_channel=1 ch_type=Control baud=3600 bits=27 bit_errs=3 crc=1D0F 12 34 56 78\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elements);
        const Result r =
            Run("encode " + Quote(Write(dir_ / "join.xml", std::string("<P25_log_data>") + c.elements + "</P25_log_data>")));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.script);
    }
}

TEST_F(Encode, CommandLineAndDocumentFaults) {
    const std::string broken = Write(dir_ / "broken.xml", "<P25_log_data><TSBK>\n");
    const struct {
        std::string args;
        int status;
    } cases[] = {
        {"encode " + Quote(broken), 2},
        {"encode " + Quote(Temp("missing.xml")), 2},
        {"encode a.xml b.xml", 2},
        {"encode --bogus", 2},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    }
}

}  // namespace
}  // namespace tool_test
