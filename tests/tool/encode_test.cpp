// tessel encode: the log of every bundled script encodes back to a script
// whose log is the same document; a hand-written message becomes a TSBK
// whose CRC checks; errors are located and the rest is still encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "Trunking_handler.h"
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
        // Error elements of bad CRCs are what was heard: a note each, no error.
        EXPECT_EQ(encoded.status, 0) << encoded.err;
        EXPECT_EQ(encoded.err.find("error:"), std::string::npos) << encoded.err;
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
         "ldu1 phys_channel=2 00 00 00 00 00 00 00 00 00\nlc phys_channel=3 4F 00 00 00 00 00 12 34 56\n"
         "term phys_channel=2\n"},
        {"<Status_bits phys_channel=\"4\" type=\"osp\">BUSY</Status_bits><Term phys_channel=\"2\" type=\"osp\"/>",
         "status phys_channel=4 status=BUSY\nterm phys_channel=2\n"},
        {"<Traffic_state phys_channel=\"2\"><State>TC_GROUP_ACTIVE</State><Group_address>0101</Group_address>"
         "<Source_address>000011</Source_address></Traffic_state>",
         "traffic_state phys_channel=2 State=TC_GROUP_ACTIVE item=Group_address:0101 item=Source_address:000011\n"},
        {"<Smartzone_crc_err phys_channel=\"1\" type=\"osp\" ch_type=\"Control\" baud=\"3600\" bits=\"27\" "
         "bit_errs=\"3\" crc=\"1D0F\">12 34 56 78</Smartzone_crc_err>",
         "sz_crc_err phys_channel=1 bit_errs=3 crc=1D0F 12 34 56 78\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elements);
        const Result r =
            Run("encode " + Quote(Write(dir_ / "join.xml", std::string("<P25_log_data>") + c.elements + "</P25_log_data>")));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.script);
    }
}

// The message of a definition, framed from the given octets, as the air
// bytes of a line.
std::string Framed(const char* name, std::uint8_t fill) {
    for (const P25::Trunking_handler_base* h : P25::MFID_record::Handlers()) {
        if (std::string(h->Name()) != name) continue;
        std::vector<P25::P25_TSBK_DATA> m(h->BlockCount() + 1);
        for (P25::P25_TSBK_DATA& b : m)
            for (std::uint8_t& o : b.data) o = fill;
        h->Frame(m.data());
        std::string hex;
        char pair[4];
        for (unsigned i = 0; i < h->BlockCount(); ++i)
            for (std::uint8_t o : m[i].data) std::snprintf(pair, sizeof pair, " %02X", o), hex += pair;
        return hex;
    }
    ADD_FAILURE() << "no definition " << name;
    return "";
}

std::string Blocks(unsigned count, const std::string& block) {
    std::string hex;
    for (unsigned i = 0; i < count; ++i) hex += " " + block;
    return hex;
}

// Each row is logged (a record script) or read (a document), encoded, and the
// encoded script logged again: encode and log must both take it, encode
// must write the lines the row expects (or as many), and a script's log
// must come back the same.
TEST_F(Encode, EveryLineItWritesLogsBackToTheSameRecords) {
    const struct {
        const char* what;
        std::string input;  // a record script, or a document ("<...")
        std::string script;  // the lines encode writes; "" to skip
        std::size_t lines;   // or how many
    } rows[] = {
        // A decoded element that follows its raw form gives no line, however
        // many bits its element hides.
        {"dial request", "pdu type=isp" + Framed("TELE_INT_DIAL_REQ", 0x5A) + "\n", "", 1},
        {"channel identifier word with a hidden bandwidth code", "lc 59 03 12 34 56 78 9A BC DE\n",
         "lc 59 03 12 34 56 78 9A BC DE\n", 1},
        {"undecodable word", "lc FF FF FF FF FF FF FF FF FF\n", "lc FF FF FF FF FF FF FF FF FF\n", 1},
        {"undecodable word of a data unit", "ldu1 NAC=293 3F 00 00 00 00 00 00 00 01\n",
         "ldu1 NAC=293 3F 00 00 00 00 00 00 00 01\n", 1},
        // Overhead slots keep their handle, interval and NAC.
        {"TSDU slot",
         "overhead direction=tx phys_channel=4 NAC=293 handle=0000002A interval=5000" + Framed("IDEN_UP", 0x11) + "\n",
         "overhead phys_channel=4 direction=tx NAC=293 handle=0000002A interval=5000" + Framed("IDEN_UP", 0x11) + "\n",
         1},
        {"OSW slot", "overhead direction=tx phys_channel=1 duid=SMARTZONE_OSW handle=00000007 0A 1B 32 20\n",
         "overhead phys_channel=1 direction=tx duid=SMARTZONE_OSW handle=00000007 0A 1B 32 20\n", 1},
        {"control channel example", tool_test::Read_file("../examples/control-channel.xml"), "", 7},
        // Lines that log refused: odd SmartZone values, an LDU1 without its
        // word, 128 blocks, a channel above 255, a 16-bit algorithm ID.
        {"odd baud and channel type", "sz_raw baud=9600 ch_type=7 12 34\n", "sz_raw ch_type=0x7 baud=0x2580 12 34\n", 1},
        {"LDU1 without its word", "<P25_log_data><LDU1 phys_channel=\"2\"/></P25_log_data>",
         "ldu1 phys_channel=2 type=isp 00 00 00 00 00 00 00 00 00\n", 1},
        {"128 blocks", "<P25_log_data><TSBK>" + Blocks(128, "00 00 00 00 00 00 00 00 00 00 00 00") + "</TSBK></P25_log_data>",
         "", 0},
        {"channel setting of channel 300",
         "<P25_log_data><Enable_channel phys_channel=\"300\" enable=\"1\"/></P25_log_data>",
         "chan_enable phys_channel=300 enable=1\n", 1},
        {"16-bit algorithm ID", "<P25_log_data><LDU2><Algorithm_ID>100</Algorithm_ID></LDU2></P25_log_data>",
         "ldu2 type=isp Algorithm_ID=100 00 00 00 00 00 00 00 00 00\n", 1},
        // Keys at their defaults are left out.
        {"word at its defaults", "osw phys_channel=1 address=0A1B cmd=401\n",
         "sz_raw phys_channel=1 0A 1B 32 20\nsz_cooked phys_channel=1 0A 1B 32 20\n", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const bool document = row.input[0] == '<';
        const std::string input = Write(dir_ / (document ? "in.xml" : "in.log"), row.input);
        if (!document) {
            const Result logged = Run("log " + Quote(input) + " --out " + Quote(Temp("in.xml")));
            ASSERT_EQ(logged.status, 0) << logged.err;
        }
        const Result encoded = Run("encode " + Quote(Temp("in.xml")));
        EXPECT_EQ(encoded.status, 0) << encoded.err;
        if (!row.script.empty()) {
            EXPECT_EQ(encoded.out, row.script);
        }
        EXPECT_EQ(std::count(encoded.out.begin(), encoded.out.end(), '\n'), static_cast<long>(row.lines)) << encoded.out;
        const Result again = Log_text(encoded.out);
        EXPECT_EQ(again.status, 0) << again.err;
        if (!document) {
            EXPECT_EQ(again.out, Read_file(Temp("in.xml")));
        }
    }
}

TEST_F(Encode, WriteErrorSaysWhy) {
    const Result r = Run("encode " + Quote(Write(dir_ / "t.xml", "<P25_log_data><Term/></P25_log_data>")) +
                         " --out /dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("error writing /dev/full: No space left on device"), std::string::npos) << r.err;
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
