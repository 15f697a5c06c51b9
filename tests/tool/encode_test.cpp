// tessel encode: the log of every bundled script encodes back to a script
// whose log is the same document, and replay --quiet-relog gives that log
// back; elements join into the lines of their kinds; errors are located and
// the rest is still encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "Trunking_handler.h"
#include "tool_fixture.h"

namespace tool_test {
namespace {

using Encode = Tool_fixture;

// Per bundled script: encoding its log gives a script whose log is the same
// (an error element of a bad CRC is what was heard: a note, no error); and
// replaying the log with --quiet-relog writes each of its elements back
// unchanged, once, and nothing else: the log less the elements refused.
TEST_F(Encode, EveryBundledScriptComesBackThroughEncodeAndQuietRelog) {
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator("../examples")) {
        if (entry.path().extension() != ".log") continue;
        ++scripts;
        SCOPED_TRACE(entry.path().string());
        const std::string a = Temp("a.xml"), script = Temp("a.script"), b = Temp("b.xml");
        const Result logged = Run("log " + Quote(entry.path().string()) + " --out " + Quote(a));
        ASSERT_EQ(logged.status, 0) << logged.err;
        EXPECT_EQ(logged.err, "");
        const Result encoded = Run("encode " + Quote(a) + " --out " + Quote(script));
        EXPECT_EQ(encoded.status, 0) << encoded.err;
        EXPECT_EQ(encoded.err.find("error:"), std::string::npos) << encoded.err;
        ASSERT_EQ(Run("log " + Quote(script) + " --out " + Quote(b)).status, 0);
        const std::string log = Read_file(a);
        EXPECT_EQ(Read_file(b), log);

        const Result quiet = Run("replay --quiet-relog " + Quote(a));
        // No placeholder reports, and no progress line: standard error is a file.
        EXPECT_EQ(quiet.err.find("UNIMPLEMENTED"), std::string::npos) << quiet.err;
        EXPECT_EQ(quiet.err.find('\r'), std::string::npos) << quiet.err;
        std::set<int> reported;
        std::istringstream reports(quiet.err);
        for (std::string report; std::getline(reports, report);)
            if (report.rfind(a + ":", 0) == 0 && report.find(": error: ") != std::string::npos)
                reported.insert(std::stoi(report.substr(a.size() + 1)));
        // Top-level elements run from a line "  <" to the next line that is
        // not inside one; each holding a reported line is left out.
        std::istringstream in(log);
        std::string line, element, expected;
        int number = 0, elements = 0, refused = 0;
        bool refusing = false;
        while (std::getline(in, line)) {
            if (line.rfind("    ", 0) != 0 && line.rfind("  </", 0) != 0) {
                if (refusing) ++refused; else expected += element;
                element.clear();
                refusing = false;
                elements += line.rfind("  <", 0) == 0;
            }
            element += line + "\n";
            refusing = refusing || reported.count(++number);
        }
        EXPECT_EQ(quiet.out, expected + element);
        EXPECT_EQ(quiet.status, refused ? 1 : 0) << quiet.err;
        // A decoded message shown as an error element is a note, not a refusal.
        EXPECT_EQ(refused, 0);
        EXPECT_GE(elements, 5);
    }
    EXPECT_GE(scripts, 5);
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
// Each row is logged (a record script) or read (a document, "<..."),
// encoded, and what encode wrote logged again: encode must write the lines
// the row expects (or as many), or report the error and encode the rest;
// its lines must log, and a script's log must come back the same.
TEST_F(Encode, EveryLineItWritesLogsBackToTheSameRecords) {
    const std::string blocks_128 = [] {
        std::string blocks;
        for (int i = 0; i < 128; ++i) blocks += " 00 00 00 00 00 00 00 00 00 00 00 00";
        return blocks;
    }();
    const struct {
        std::string input, script;
        int lines = -1;        // the lines written, when the script is not given
        const char* err = "";  // the start of the report, after "FILE:"
    } rows[] = {
        // Only the message's fields (and an empty header, which makes it a
        // TSBK): the library fills opcode, manufacturer and CRC.
        {"<P25_log_data><Trunking_message phys_channel=\"3\" timestamp=\"1.25\" type=\"osp\"><P25_TSBK_header/>"
         "<GRP_V_CH_GRANT><Channel id=\"1\" number=\"241\"/><Group_address>0ABC</Group_address>"
         "<Source_address>123456</Source_address></GRP_V_CH_GRANT></Trunking_message></P25_log_data>",
         "tsbk timestamp=1.25 phys_channel=3 00 00 00 10 F1 0A BC 12 34 56 3A B4\n"},  // CRC-CCITT 3AB4
        {"<P25_log_data>\n<TSBK phys_channel=\"x\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>\n"
         "<Status_bits timestamp=\"2\" phys_channel=\"1\">IDLE talk</Status_bits>\n</P25_log_data>\n",
         "status timestamp=2 phys_channel=1 type=isp status=IDLE,talk\n", -1, "2: error: <TSBK>, attribute \"phys_channel\""},
        // How elements join: a decoded word alone is its word; an LDU1 takes
        // the word after it on its source, and the LCF of that word gives
        // nothing more; a word on another source is a word of its own;
        // status symbols go into the voice item of their source; a state's
        // children are its keys and items.
        {"<P25_log_data><LCF phys_channel=\"1\" type=\"osp\"><LC_GRP_V_CH_USR><Group_address>0BAD</Group_address>"
         "<Source_address>123456</Source_address></LC_GRP_V_CH_USR></LCF></P25_log_data>",
         "lc phys_channel=1 00 00 00 00 0B AD 12 34 56\n"},
        {"<P25_log_data><Status_bits phys_channel=\"2\" type=\"osp\">talk</Status_bits>"
         "<LDU1 phys_channel=\"2\" type=\"osp\" NAC=\"293\"/>"
         "<Link_Control phys_channel=\"2\" type=\"osp\">00 00 80 00 0B AD 12 34 56</Link_Control>"
         "<LCF phys_channel=\"2\" type=\"osp\"><LC_GRP_V_CH_USR><Service_options emergency=\"true\"/>"
         "<Group_address>0BAD</Group_address><Source_address>123456</Source_address></LC_GRP_V_CH_USR></LCF></P25_log_data>",
         "ldu1 phys_channel=2 NAC=293 status=talk 00 00 80 00 0B AD 12 34 56\n"},
        {"<P25_log_data><LDU1 phys_channel=\"2\" type=\"osp\"/><Link_Control phys_channel=\"3\" type=\"osp\">"
         "4F 00 00 00 00 00 12 34 56</Link_Control><Term phys_channel=\"2\" type=\"osp\"/></P25_log_data>",
         "ldu1 phys_channel=2 00 00 00 00 00 00 00 00 00\nlc phys_channel=3 4F 00 00 00 00 00 12 34 56\n"
         "term phys_channel=2\n"},
        {"<P25_log_data><Status_bits phys_channel=\"4\" type=\"osp\">BUSY</Status_bits>"
         "<Term phys_channel=\"2\" type=\"osp\"/></P25_log_data>",
         "status phys_channel=4 status=BUSY\nterm phys_channel=2\n"},
        {"<P25_log_data><Traffic_state phys_channel=\"2\"><State>TC_GROUP_ACTIVE</State>"
         "<Group_address>0101</Group_address><Source_address>000011</Source_address></Traffic_state></P25_log_data>",
         "traffic_state phys_channel=2 State=TC_GROUP_ACTIVE item=Group_address:0101 item=Source_address:000011\n"},
        {"<P25_log_data><Smartzone_crc_err phys_channel=\"1\" type=\"osp\" ch_type=\"Control\" baud=\"3600\" "
         "bits=\"27\" bit_errs=\"3\" crc=\"1D0F\">12 34 56 78</Smartzone_crc_err></P25_log_data>",
         "sz_crc_err phys_channel=1 bit_errs=3 crc=1D0F 12 34 56 78\n"},
        // A decoded element that follows its raw form gives no line, however
        // many bits its element hides.
        {"pdu type=isp" + Framed("TELE_INT_DIAL_REQ", 0x5A) + "\n", "", 1},
        {"lc 59 03 12 34 56 78 9A BC DE\n", "lc 59 03 12 34 56 78 9A BC DE\n"},  // hidden bandwidth code
        // ... and a terminator's word whose decoded form shows no bandwidth
        // for code 1 still reads back: its octets stand.
        {"term_lc 59 01 10 05 0A 0B 10 06 B3\n", "term_lc 59 01 10 05 0A 0B 10 06 B3\n"},
        // An offset counted in a spacing of 0 Hz is 0 Hz, whatever its sign.
        {"term_lc 59 01 10 A0 00 5B 10 06 B3\n", "term_lc 59 01 10 A0 00 5B 10 06 B3\n"},
        {"lc FF FF FF FF FF FF FF FF FF\n", "lc FF FF FF FF FF FF FF FF FF\n"},  // undecodable
        {"ldu1 NAC=293 3F 00 00 00 00 00 00 00 01\n", "ldu1 NAC=293 3F 00 00 00 00 00 00 00 01\n"},
        // Overhead slots keep their handle, interval and NAC.
        {"overhead direction=tx phys_channel=4 NAC=293 handle=0000002A interval=5000" + Framed("IDEN_UP", 0x11) + "\n",
         "overhead phys_channel=4 direction=tx NAC=293 handle=0000002A interval=5000" + Framed("IDEN_UP", 0x11) + "\n"},
        {"overhead direction=tx phys_channel=1 duid=SMARTZONE_OSW handle=00000007 0A 1B 32 20\n",
         "overhead phys_channel=1 direction=tx duid=SMARTZONE_OSW handle=00000007 0A 1B 32 20\n"},
        // ... and its words as their "Smartzone_cooked" lines show them, with
        // the bits past the word that the slot's element does not show.
        {"overhead direction=tx phys_channel=1 duid=SMARTZONE_OSW 0A 1B 32 3F 22 22 64 1F 62 5A 61 7F\n",
         "overhead phys_channel=1 direction=tx duid=SMARTZONE_OSW 0A 1B 32 3F 22 22 64 1F 62 5A 61 7F\n"},
        {"overhead direction=tx phys_channel=1 duid=SMARTZONE_ISW 0A 1B 33\n",
         "overhead phys_channel=1 direction=tx duid=SMARTZONE_ISW 0A 1B 33\n"},
        {Read_file("../examples/control-channel.xml"), "", 7},
        // Lines that log refused: odd SmartZone values, an LDU1 without its
        // word, 128 blocks, a channel above 255 (a setting's; a state's
        // channel and timeslot), a 16-bit algorithm ID.
        {"sz_raw baud=9600 ch_type=7 12 34\n", "sz_raw ch_type=0x7 baud=0x2580 12 34\n"},
        {"<P25_log_data><LDU1 phys_channel=\"2\"/></P25_log_data>",
         "ldu1 phys_channel=2 type=isp 00 00 00 00 00 00 00 00 00\n"},
        {"<P25_log_data><TSBK>" + blocks_128 + "</TSBK></P25_log_data>", "", -1, "1: error: <TSBK>: 128 blocks"},
        {"<P25_log_data><Enable_channel phys_channel=\"300\" enable=\"1\"/></P25_log_data>",
         "chan_enable phys_channel=300 enable=1\n"},
        {"<P25_log_data><Control_state phys_channel=\"1501\" timeslot=\"70000\" timestamp=\"0.2\">"
         "<State>CC_CREATED</State></Control_state></P25_log_data>",
         "control_state timestamp=0.2 phys_channel=1501 timeslot=70000 State=CC_CREATED\n"},
        {"<P25_log_data><LDU2><Algorithm_ID>100</Algorithm_ID></LDU2></P25_log_data>",
         "ldu2 type=isp Algorithm_ID=100 00 00 00 00 00 00 00 00 00\n"},
        // Hostile documents: what encode accepts, log takes back; a data
        // unit without whole blocks is refused, never a line without octets.
        {"<P25_log_data><TSBK direction=\"0x3\" type=\"0x2\">80 00 85 12 34 56 78 AB CD EF EE E4</TSBK></P25_log_data>",
         "tsbk direction=3 type=2 80 00 85 12 34 56 78 AB CD EF EE E4\n"},
        {"<P25_log_data><TSBK NAC=\"293\"></TSBK></P25_log_data>", "", -1, "1: error: <TSBK>: 0 blocks"},
        {"<P25_log_data><PDU></PDU></P25_log_data>", "", -1, "1: error: <PDU>: 0 blocks"},
        {"<P25_log_data><TSBK>34 00</TSBK></P25_log_data>", "", -1, "1: error: <TSBK>: 2 octets"},
        // Keys at their defaults are left out.
        {"osw phys_channel=1 address=0A1B cmd=401\n",
         "sz_raw phys_channel=1 0A 1B 32 20\nsz_cooked phys_channel=1 0A 1B 32 20\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        const bool document = row.input[0] == '<';
        std::ofstream(Temp(document ? "in.xml" : "in.log"), std::ios::binary) << row.input;
        if (!document) {
            ASSERT_EQ(Run("log " + Quote(Temp("in.log")) + " --out " + Quote(Temp("in.xml"))).status, 0);
        }
        const Result encoded = Run("encode " + Quote(Temp("in.xml")));
        EXPECT_EQ(encoded.status, *row.err ? 1 : 0) << encoded.err;
        if (*row.err) {
            EXPECT_EQ(encoded.err.rfind(Temp("in.xml") + ":" + row.err, 0), 0u) << encoded.err;
        }
        if (row.lines < 0)
            EXPECT_EQ(encoded.out, row.script);
        else
            EXPECT_EQ(std::count(encoded.out.begin(), encoded.out.end(), '\n'), row.lines) << encoded.out;
        const Result again = Log_text(encoded.out);
        EXPECT_EQ(again.status, 0) << again.err;
        if (!document) {
            EXPECT_EQ(again.out, Read_file(Temp("in.xml")));
        }
    }
}

// Hostile documents (the refusal documents: values their fields cannot
// hold, empty values, entities, contradictions, unknown elements): whatever
// encode accepts of them, it writes as lines `tessel log` takes back.
TEST_F(Encode, WhatItTakesOfHostileDocumentsLogsBack) {
    int documents = 0;
    for (const auto& entry : fs::directory_iterator("data/tool")) {
        if (entry.path().extension() != ".xml") continue;
        ++documents;
        SCOPED_TRACE(entry.path().string());
        const Result encoded = Run("encode --quiet " + Quote(entry.path().string()));
        EXPECT_NE(encoded.status, -1) << encoded.err;  // it ran to its end, whatever it refused
        const Result again = Log_text(encoded.out);
        EXPECT_EQ(again.status, 0) << encoded.out << again.err;
    }
    EXPECT_GE(documents, 8);
}

}  // namespace
}  // namespace tool_test
