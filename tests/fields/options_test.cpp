// Service options and priority, service type and reason, response values,
// the service class and the system services map.
#include <set>

#include "support.h"

TEST(Options, EveryBitHasItsPlace) {
    Check<P25::Service_options>("A5",
                                "<Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"true\" "
                                "packet_mode=\"false\" Reserved=\"0\" priority=\"5\"/>");
    Check<P25::Service_options>("5A",
                                "<Service_options emergency=\"false\" protected_flag=\"true\" full_duplex=\"false\" "
                                "packet_mode=\"true\" Reserved=\"1\" priority=\"2\"/>");
    Check<P25::Request_priority>("3C", "<Request_priority Reserved=\"3\" priority=\"12\"/>");
    Check<P25::System_service_class>("A5",
                                     "<Service_class auth_service=\"true\" reg_service=\"false\" "
                                     "voice_service=\"true\" data_service=\"false\" Reserved=\"false\" backup=\"true\" "
                                     "update_control_only=\"false\" composite_control=\"true\"/>");
    Check<P25::Service_type>("C5", "<Service_type Reserved=\"3\">05</Service_type>");
    // Bit 7 of the aiv form belongs to "Additional_info", not to this element.
    Check<P25::Service_type_aiv>("45", "<Service_type Reserved=\"1\">05</Service_type>", "C5");
    Check<P25::Service_additional_info>("85 10 01 02 03",
                                        "<Service_type Reserved=\"0\">05</Service_type><Reason>Unit invalid</Reason>"
                                        "<Additional_info valid=\"true\">01 02 03 </Additional_info>");
    Check<P25::Service_additional_info>("00 12 AA BB CC",  // a reason without a name
                                        "<Service_type Reserved=\"0\">00</Service_type><Reason>0x12</Reason>"
                                        "<Additional_info valid=\"false\">AA BB CC </Additional_info>");
    Check<P25::Registration_value>("FD", "<Registration_value Reserved=\"3F\">FAIL</Registration_value>");
    Check<P25::Affiliate_value>("0B",
                                "<Reserved>02</Reserved><Group_affiliation_value>REFUSED</Group_affiliation_value>");
    Check<P25::Group_Affiliate_value>("8A", "<Global_affiliate>true</Global_affiliate><Reserved>02</Reserved>"
                                            "<Group_affiliation_value>DENY</Group_affiliation_value>");
    Check<P25::ANSWER_RESP>("21", "<Answer_resp>DENY</Answer_resp>");
    Check<P25::Message_seq_num>("D7", "<Message_sequence last_message=\"true\" Reserved=\"5\" number=\"7\"/>");
    Check<P25::TX_mult>("AB CD", "<TX_mult Reserved=\"2AF3\">1</TX_mult>");
    // What is absent leaves its bits alone.
    EXPECT_EQ(Read_hex<P25::Service_options>("<Service_options emergency=\"false\" priority=\"0\"/>"), "78");
    EXPECT_EQ(Read_hex<P25::Affiliate_value>("<Group_affiliation_value>ACCEPT</Group_affiliation_value>"), "FC");
    EXPECT_EQ(Read_hex<P25::Group_Affiliate_value>("<Global_affiliate>false</Global_affiliate>"), "7F");
    EXPECT_EQ(Read_hex<P25::ANSWER_RESP>("<Answer_resp>LATER</Answer_resp>"),
              "refused: Bad text \"LATER\": expected PROCEED, DENY or WAIT");
}

// The reason codes that have names, and each name read back to its code.
TEST(Options, NamedReasonCodesReadBack) {
    const std::set<unsigned> named = {0x10, 0x11, 0x20, 0x21, 0x2F, 0x30, 0x31, 0x40, 0x41, 0x42,
                                      0x50, 0x51, 0x52, 0x5F, 0x60, 0xF0, 0xF1, 0xF2, 0xF3, 0xFF};
    const auto& doc = The_doc<P25::Service_additional_info>();
    for (unsigned code = 0; code < 256; ++code) {
        const auto octet = static_cast<std::uint8_t>(code);
        const char* name = P25::reason_map.Lookup(octet);
        EXPECT_EQ(name != nullptr, named.count(code) == 1) << code;
        if (!name) continue;
        EXPECT_EQ(doc.Read_hex(std::string("<Reason> ") + name + " </Reason>"), "FF " + Hex(octet) + " FF FF FF");
    }
    // Words of a name may be separated by any blanks; a name cut short is no name.
    EXPECT_EQ(doc.Read_hex("<Reason>Unit \n invalid</Reason>"), "FF 10 FF FF FF");
    EXPECT_EQ(doc.Read_hex("<Reason>Unit</Reason>"),
              "refused: Bad text \"Unit\": expected Unit invalid, Unit not authorized, Target invalid, Target not "
              "authorized, Target refused, Target group invalid, Target group not authorized, Phone number invalid, "
              "... (20 names)");
}

TEST(Services, FlagChoosesTheAttributeGroup) {
    static const Doc<P25::System_Services> available(P25::available_services_info),
        supported(P25::supported_services_info);
    Check(available, "5A 0F F0",
          "<Available_services type=\"false\" extension_flag=\"true\" network_active=\"false\" reserved1=\"true\" "
          "group_voice=\"true\" individual_voice=\"false\" PSTN_to_unit_voice=\"true\" Unit_to_PSTN_voice=\"false\" "
          "reserved2=\"false\" group_data=\"false\" individual_data=\"false\" reserved3=\"false\" "
          "unit_registration=\"true\" group_affiliation=\"true\" group_affiliation_query=\"true\" "
          "authentication=\"true\" protection_parameters=\"true\" user_status=\"true\" user_message=\"true\" "
          "unit_status=\"true\" user_status_query=\"false\" unit_status_query=\"false\" unit_page=\"false\" "
          "alarm=\"false\"/>");
    // Octet 0 bit 5 belongs to no attribute of the extended form.
    Check(supported, "DF 12 34", "<Supported_services type=\"true\" extension_flag=\"true\" Reserved=\"1F1234 \"/>",
          "FF 12 34");
    Check(supported, "80 00 01", "<Supported_services type=\"true\" extension_flag=\"false\" Reserved=\"01 \"/>",
          "A0 00 01");
    // Reading an attribute sets its group's flag; the reserved value is one
    // of 21 bits, not three octets.
    EXPECT_EQ(available.Read_hex("<Available_services alarm=\"false\"/>"), "7F FF FE");
    EXPECT_EQ(available.Read_hex("<Available_services Reserved=\"00\"/>"), "E0 00 00");
    EXPECT_EQ(available.Read_hex("<Available_services Reserved=\"123456 \"/>"), "F2 34 56");
    P25::Extended_System_Sevices e = Record<P25::Extended_System_Sevices>("E0 00 00");
    e.Set_reserved(0xFFFFFFFF);
    EXPECT_EQ(Hex(e), "FF FF FF");
}
