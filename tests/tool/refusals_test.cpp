// What an input document may not say: values their fields cannot hold, two
// contents in one record, a missing or contradicting part.  Each is refused
// at its line with a report that says what is wrong, and nothing of the
// element reaches the host.
#include <string>

#include "tool_fixture.h"

using namespace tool_test;

namespace {

const std::string dash = "\xE2\x80\x93";

class Refusals : public Tool_fixture {
protected:
    // Replays the body under the root, from line 2, handing messages to a file.
    Result Replay_body(const std::string& body) {
        const std::string path = Temp("in.xml");
        std::ofstream(path, std::ios::binary) << "<P25_log_data>\n" << body << "\n</P25_log_data>\n";
        return Run("replay " + Quote(path) + " --dispatch " + Quote(Temp("dispatch")));
    }
};

const std::string tsbk_header = "<P25_TSBK_header last_block=\"true\" protected_flag=\"false\"/>\n";
const std::string grant =
    "<GRP_V_CH_GRANT>\n"
    "<Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" packet_mode=\"false\""
    " Reserved=\"0\" priority=\"5\"/>\n"
    "<Channel id=\"1\" number=\"564\"/>\n<Group_address>5678</Group_address>\n"
    "<Source_address>ABCDEF</Source_address>\n</GRP_V_CH_GRANT>\n";
const std::string uu_grant =
    "<UU_V_CH_GRANT>\n<Channel id=\"1\" number=\"564\"/>\n<Target_address>000001</Target_address>\n"
    "<Source_address>ABCDEF</Source_address>\n</UU_V_CH_GRANT>\n";
const std::string word_usr =
    "<LC_GRP_V_CH_USR><Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" "
    "packet_mode=\"false\" Reserved=\"0\" priority=\"0\"/><Reserved>00 </Reserved>"
    "<Group_address>0BAD</Group_address><Source_address>123456</Source_address></LC_GRP_V_CH_USR>\n";
const std::string iden_up_vu =
    "<Trunking_message phys_channel=\"1\">\n" + tsbk_header +
    "<IDEN_UP_VU>\n<Identifier>14</Identifier>\n<Bandwidth>BW</Bandwidth>\n"
    "<Channel_spacing>12500.000000</Channel_spacing>\n<Transmit_offset>-4600000.000000</Transmit_offset>\n"
    "<Base_freq>BASE</Base_freq>\n</IDEN_UP_VU>\n</Trunking_message>";

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.find(from), from.size(), to);
}

}  // namespace

// Each fault: the element (from line 2), the line and text of the first
// report.
TEST_F(Refusals, AtTheirLineWithWhatIsWrong) {
    const struct {
        std::string element;
        int line;
        std::string report;
    } cases[] = {
        // Numbers without a name, and scaled values, that their fields cannot hold.
        {"<TSBK phys_channel=\"1\" direction=\"257\">80 00 85 12 34 56 78 AB CD EF EE E4</TSBK>", 2,
         "<TSBK>, attribute \"direction\": Value 257 out of range 0" + dash + "255"},
        {"<Mobile_state ID=\"17\">\n<State>4294967301</State>\n</Mobile_state>", 3,
         "<State>: Value 4294967301 out of range 0" + dash + "4294967295"},
        {"<Trunking_message phys_channel=\"1\">\n" + tsbk_header +
             "<DENY_RSP>\n<Service_type Reserved=\"0\">00</Service_type>\n<Reason>256</Reason>\n"
             "<Target_address>000001</Target_address>\n</DENY_RSP>\n</Trunking_message>",
         6, "<Reason>: Value 256 out of range 0" + dash + "255"},
        {"<Smartzone_raw phys_channel=\"1\" ch_type=\"261\" baud=\"3600\" bits=\"27\">12 34 56 78 </Smartzone_raw>", 2,
         "<Smartzone_raw>, attribute \"ch_type\": Value 261 out of range 0" + dash + "255"},
        {Replace(Replace(iden_up_vu, "BW", "12500"), "BASE", "99999999999"), 9,
         "<Base_freq>: Value 99999999999 cannot be held by the field"},
        {Replace(Replace(iden_up_vu, "BW", "-12500"), "BASE", "162050000"), 6,
         "<Bandwidth>: Value -12500 cannot be held by the field"},
        {"<Term phys_channel=\"1\" NAC=\"FFFFFFFF\"/>", 2,
         "<Term>, attribute \"NAC\": Value FFFFFFFF out of range 0" + dash + "FFF"},
        {"<LDU1 phys_channel=\"1\" NAC=\"1000\"/>", 2, "<LDU1>, attribute \"NAC\": Value 1000 out of range 0" + dash + "FFF"},
        {"<LDU2 NAC=\"FFFFFFFF\"><Algorithm_ID>80</Algorithm_ID></LDU2>", 2,
         "<LDU2>, attribute \"NAC\": Value FFFFFFFF out of range 0" + dash + "FFF"},
        {"<Voice_Header NAC=\"FFFFFFFF\"/>", 2,
         "<Voice_Header>, attribute \"NAC\": Value FFFFFFFF out of range 0" + dash + "FFF"},
        {"<TermLC NAC=\"FFFFFFFF\"/>", 2, "<TermLC>, attribute \"NAC\": Value FFFFFFFF out of range 0" + dash + "FFF"},
        // The value as written, the attribute's own name and line.
        {"<Trunking_message phys_channel=\"1\">\n" + tsbk_header +
             "<RFSS_STS_BCST network_active=\"true\" roamer=\"false\">\n<LRA>01</LRA>\n<System_ID>1A5</System_ID>\n"
             "<RF_subsys_ID>01</RF_subsys_ID>\n<Site_ID>100</Site_ID>\n<Channel id=\"1\" number=\"10\"/>\n"
             "<Service_class reg_service=\"true\" voice_service=\"true\" data_service=\"true\"/>\n"
             "</RFSS_STS_BCST>\n</Trunking_message>",
         8, "<Site_ID>: Value 100 out of range 0" + dash + "FF"},
        {"<Trunking_message phys_channel=\"1\">\n<Unconfirmed_data_header blocks_to_follow=\"127\"/>\n</Trunking_message>",
         3, "<Unconfirmed_data_header>, attribute \"blocks_to_follow\": Value 127 out of range 0" + dash + "126"},
        {"<Smartzone_osw phys_channel=\"1\">\n<OSW>\n<payload>BE EF </payload>\n<i_bit>true</i_bit>\n"
         "<Command>0x10000</Command>\n</OSW>\n</Smartzone_osw>",
         6, "<Command>: Value 0x10000 out of range 0" + dash + "0x3FF"},
        {"<DateTime date=\"2024/01/01\"/>", 2, "<DateTime>: unknown attribute \"date\""},
        // Two contents in one record: the second is refused at its line.
        {"<Trunking_message phys_channel=\"1\">\n" + tsbk_header + grant + uu_grant + "</Trunking_message>", 10,
         "<UU_V_CH_GRANT> after <GRP_V_CH_GRANT> in <Trunking_message>"},
        {"<LCF p=\"false\" sf=\"false\" opcode=\"0\">\n<Mfid>00</Mfid>\n" + word_usr + word_usr + "</LCF>", 5,
         "repeated <LC_GRP_V_CH_USR> in <LCF>"},
        {"<LCF p=\"false\" sf=\"true\" opcode=\"15\">\n<LC_CALL_TRM_CAN><Reserved>00 00 00 00 00 </Reserved>"
         "<Unit_address>123456</Unit_address></LC_CALL_TRM_CAN>\n" + Replace(word_usr, "</LC_", "</LC_") + "</LCF>",
         4, "<LC_GRP_V_CH_USR> after <LC_CALL_TRM_CAN> in <LCF>"},
        {"<P25_Overhead interval=\"1000\" handle=\"00000001\">\n"
         "<PDU phys_channel=\"4\">37 FD 00 12 34 56 81 00 40 00 04 86 AA BB 20 01 20 02 0B AD EB 50 89 E3 </PDU>\n"
         "<TSBK phys_channel=\"4\">80 00 85 12 34 56 78 AB CD EF EE E4</TSBK>\n</P25_Overhead>",
         4, "<TSBK> after <PDU> in <P25_Overhead>"},
        {"<Mobile_state ID=\"17\">\n<State>MOBILE_AFFILIATED</State>\n<Group_ID>0101</Group_ID>\n"
         "<Frequency>851006250</Frequency>\n</Mobile_state>",
         5, "<Frequency> after <Group_ID> in <Mobile_state>"},
        {"<TermLC phys_channel=\"1\" NAC=\"293\">\n"
         "<Link_Control p=\"false\" sf=\"true\" opcode=\"15\">4F 00 00 00 00 00 12 34 56 </Link_Control>\n"
         "<LCF p=\"false\" sf=\"false\" opcode=\"0\">\n<Mfid>00</Mfid>\n" + word_usr + "</LCF>\n</TermLC>",
         2, "<LCF> does not describe the octets of <Link_Control> in <TermLC>"},
        // Missing or contradicting parts.
        {"<DateTime/>", 2, "no <Date> in <DateTime>"},
        {"<DateTime>\n<Date>2024/01/01</Date>\n<Date>2024/01/02</Date>\n<Time>00:00:00</Time>\n</DateTime>", 4,
         "repeated <Date> in <DateTime>"},
        {"<Trunking_message phys_channel=\"1\">\n" + tsbk_header + tsbk_header + grant + "</Trunking_message>", 4,
         "repeated <P25_TSBK_header> in <Trunking_message>"},
        {"<Link_Control phys_channel=\"1\" opcode=\"0\">63 01 C1 23 0A 0B 10 05 F0 </Link_Control>",
         2, "<Link_Control>, attribute \"opcode\": Value 0 contradicts the element's text"},
        {"<Trunking_message phys_channel=\"1\">\n" + grant + "</Trunking_message>", 3,
         "<GRP_V_CH_GRANT>: no header before it: <P25_TSBK_header/> or a PDU header must come first"},
        // Over-long numbers: the whole number, not its last digits.
        {"<Trunking_message phys_channel=\"1\">\n" + tsbk_header +
             Replace(grant, "<Group_address>5678", "<Group_address>10000") + "</Trunking_message>",
         7, "<Group_address>: Value 10000 out of range 0" + dash + "FFFF"},
        {"<Trunking_message phys_channel=\"1\">\n" + tsbk_header +
             "<RFSS_STS_BCST network_active=\"true\" roamer=\"false\">\n<LRA>001</LRA>\n</RFSS_STS_BCST>\n"
             "</Trunking_message>",
         5, "<LRA>: Value 001 has more digits than its field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        const Result r = Replay_body(c.element);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
                  Temp("in.xml") + ":" + std::to_string(c.line) + ": error: " + c.report + "\n");
        EXPECT_EQ(Read_file(Temp("dispatch")), "");
    }
}

// A document cut inside a tag name ends with one report, about the cut, and
// no element stands for the name's first letters; a long comment or a long
// run of blanks is no reason to refuse a document.
TEST_F(Refusals, DocumentsOfAnySizeAHostMayWrite) {
    const std::string date = "<DateTime><Date>2024/01/01</Date><Time>00:00:00</Time></DateTime>\n";
    const std::string cut = Temp("cut.xml");
    std::ofstream(cut, std::ios::binary) << "<P25_log_data>\n" << date << "<Trunk";
    Result r = Run("replay " + Quote(cut));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, cut + ":3: error: Premature end of the document: <P25_log_data> of line 1 is not closed\n");

    const std::string big = Temp("big.xml");
    std::ofstream(big, std::ios::binary) << "<P25_log_data>\n<!--" << std::string(10'500'000, 'c') << "-->\n"
                                         << std::string(10'500'000, ' ') << "\n" << date << "</P25_log_data>\n";
    r = Run("replay " + Quote(big));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Entities are still not expanded, however they are nested.
    const std::string laughs = Temp("laughs.xml");
    std::ofstream(laughs, std::ios::binary)
        << "<!DOCTYPE P25_log_data [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
           "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>\n"
           "<P25_log_data>\n<DateTime><Date>&d;</Date></DateTime>\n</P25_log_data>\n";
    r = Run("replay " + Quote(laughs));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Entity reference &d; is not supported"), std::string::npos) << r.err;
}
