// Link-control words decoded through the registry: explicit and implicit
// formats, the manufacturer octet, words whose format flag does not fit
// their definition, unknown manufacturers and opcodes.
#include "support.h"

using namespace lc_test;

namespace {

const char* const grp_v_ch_usr_fields =
    "<Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" packet_mode=\"false\" "
    "Reserved=\"0\" priority=\"0\"/><Reserved>00 </Reserved><Group_address>0001</Group_address>"
    "<Source_address>000002</Source_address>";

std::string Lcf(const char* attributes, const std::string& children) {
    if (children.empty()) return std::string("<LCF ") + attributes + "/>";
    return std::string("<LCF ") + attributes + ">" + children + "</LCF>";
}

}  // namespace

TEST(Decoding, TheWordElementFollowsFormatManufacturerAndOpcode) {
    const std::string grp_v_ch_usr = std::string("<LC_GRP_V_CH_USR>") + grp_v_ch_usr_fields + "</LC_GRP_V_CH_USR>";
    const std::string invalid_usr = "<LC_GRP_V_CH_USR><INVALID_FORMAT/></LC_GRP_V_CH_USR>";
    const std::string invalid_updt = "<LC_GRP_V_CH_UPDT><INVALID_FORMAT/></LC_GRP_V_CH_UPDT>";
    const std::string explicit_0 = "p=\"false\" sf=\"false\" opcode=\"0\"";
    struct Case {
        const char* word;
        std::string decoded;  // the "LCF" element
    } cases[] = {
        // Explicit, manufacturer 0x00.
        {"00 00 80 00 00 01 00 00 02", Lcf(explicit_0.c_str(), "<Mfid>00</Mfid>" + grp_v_ch_usr)},
        // The same octets for manufacturer 0x90: its own definition, the same element.
        {"00 90 80 00 00 01 00 00 02", Lcf(explicit_0.c_str(), "<Mfid>90</Mfid>" + grp_v_ch_usr)},
        // Implicit flag on an explicit word.
        {"40 00 80 00 00 01 00 00 02", Lcf("p=\"false\" sf=\"true\" opcode=\"0\"", invalid_usr)},
        {"C2 01 23 0B AD 30 01 0B AE",
         Lcf("p=\"true\" sf=\"true\" opcode=\"2\"",
             "<LC_GRP_V_CH_UPDT><Channel id=\"0\" number=\"291\"/><Group_address>0BAD</Group_address>"
             "<Channel id=\"3\" number=\"1\"/><Group_address>0BAE</Group_address></LC_GRP_V_CH_UPDT>")},
        // Explicit flag on an implicit word.
        {"02 00 01 23 0B AD 30 01 0B", Lcf("p=\"false\" sf=\"false\" opcode=\"2\"", "<Mfid>00</Mfid>" + invalid_updt)},
        // Opcode 8 has no definition; manufacturer 0x55 has no record.
        {"48 11 22 33 44 55 66 77 88", Lcf("p=\"false\" sf=\"true\" opcode=\"8\"", "")},
        {"03 55 80 00 00 01 00 00 02", Lcf("p=\"false\" sf=\"false\" opcode=\"3\"", "<Mfid>55</Mfid>")},
        // Manufacturer 0x90 defines only opcode 0.
        {"03 90 80 00 00 01 00 00 02", Lcf("p=\"false\" sf=\"false\" opcode=\"3\"", "<Mfid>90</Mfid>")},
        // The reserved nibble of the site status: upper case for adjacent
        // sites, lower case for this site.
        {"62 01 C1 23 0A 0B 10 05 F0",
         Lcf("p=\"false\" sf=\"true\" opcode=\"34\"",
             "<LC_ADJ_STS_BCST Reserved=\"C\"><LRA>01</LRA><System_ID>123</System_ID><RF_subsys_ID>0A</RF_subsys_ID>"
             "<Site_ID>0B</Site_ID><Channel id=\"1\" number=\"5\"/><Service_class auth_service=\"true\" "
             "reg_service=\"true\" voice_service=\"true\" data_service=\"true\" Reserved=\"false\" backup=\"false\" "
             "update_control_only=\"false\" composite_control=\"false\"/></LC_ADJ_STS_BCST>")},
        {"63 01 C1 23 0A 0B 10 05 F0",
         Lcf("p=\"false\" sf=\"true\" opcode=\"35\"",
             "<LC_RFSS_STS_BCST Reserved=\"c\"><LRA>01</LRA><System_ID>123</System_ID><RF_subsys_ID>0A</RF_subsys_ID>"
             "<Site_ID>0B</Site_ID><Channel id=\"1\" number=\"5\"/><Service_class auth_service=\"true\" "
             "reg_service=\"true\" voice_service=\"true\" data_service=\"true\" Reserved=\"false\" backup=\"false\" "
             "update_control_only=\"false\" composite_control=\"false\"/></LC_RFSS_STS_BCST>")},
        // The site flags of the explicit adjacent status are attributes.
        {"67 01 10 05 0A 0B 10 06 B3",
         Lcf("p=\"false\" sf=\"true\" opcode=\"39\"",
             "<LC_ADJ_STS_BCST_EXP network_active=\"true\" conv_chan=\"true\" failure=\"false\" valid=\"true\" "
             "reserved=\"3\"><LRA>01</LRA><Channel id=\"1\" number=\"5\"/><RF_subsys_ID>0A</RF_subsys_ID>"
             "<Site_ID>0B</Site_ID><Channel id=\"1\" number=\"6\"/></LC_ADJ_STS_BCST_EXP>")},
        {"47 12 34 56 78 F3 00 00 07",
         Lcf("p=\"false\" sf=\"true\" opcode=\"7\"",
             "<LC_TELE_INT_ANS_REQ><Digits>1 2 3 4 5 6 7 8 escape D </Digits>"
             "<Target_address>000007</Target_address></LC_TELE_INT_ANS_REQ>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(Decoded(Word(c.word)), c.decoded);
    }
}

TEST(Decoding, TheRawWordIsItsHeaderAndOctets) {
    EXPECT_EQ(Raw(Word("C2 01 23 0B AD 30 01 0B AE")),
              "<Link_Control p=\"true\" sf=\"true\" opcode=\"2\">C2 01 23 0B AD 30 01 0B AE </Link_Control>");
}

// A link-control record logged raw and decoded, with its source.
TEST(Decoding, TopLevelElementsCarryTheSource) {
    const P25::p25_LCO r = Record(Word("00 00 80 00 00 01 00 00 02"), 3);
    trk::Log_capture log;
    XML_routines::XML_Log(XML_routines::lc_raw_top, r, 3, XML_routines::Log_protocol_raw);
    XML_routines::XML_Log(XML_routines::lc_cooked_top, r, 3, XML_routines::Log_protocol_cooked);
    const std::string source =
        "timestamp=\" 1.00000000\" phys_channel=\"3\" direction=\"rx\" type=\"osp\" timeslot=\"0\" "
        "p=\"false\" sf=\"false\" opcode=\"0\"";
    EXPECT_EQ(log.Body(), "  <Link_Control " + source + ">00 00 80 00 00 01 00 00 02 </Link_Control>\n"
                          "  <LCF " + source + ">\n"
                          "    <Mfid>00</Mfid>\n"
                          "    <LC_GRP_V_CH_USR>\n"
                          "      <Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" "
                          "packet_mode=\"false\" Reserved=\"0\" priority=\"0\"/>\n"
                          "      <Reserved>00 </Reserved>\n"
                          "      <Group_address>0001</Group_address>\n"
                          "      <Source_address>000002</Source_address>\n"
                          "    </LC_GRP_V_CH_USR>\n"
                          "  </LCF>\n");
}
