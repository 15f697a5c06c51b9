// Service options and priority, service type and reason, response values,
// the service class and the system services map.
#include "support.h"

using namespace fields_test;

namespace {

const Doc<P25::Service_options> service_options("/Test_fields/Service_options");
const Doc<P25::Request_priority> request_priority("/Test_fields/Request_priority");
const Doc<P25::Service_type> service_type("/Test_fields/Service_type");
const Doc<P25::Service_type_aiv> service_type_aiv("/Test_fields/Service_type_aiv");
const Doc<P25::Service_additional_info> additional("/Test_fields/Service_additional_info");
const Doc<P25::Registration_value> registration_value("/Test_fields/Registration_value");
const Doc<P25::Affiliate_value> affiliate_value("/Test_fields/Affiliate_value");
const Doc<P25::Group_Affiliate_value> group_affiliate_value("/Test_fields/Group_Affiliate_value");
const Doc<P25::ANSWER_RESP> answer_resp("/Test_fields/Answer_resp");
const Doc<P25::Message_seq_num> message_seq_num("/Test_fields/Message_seq_num");
const Doc<P25::TX_mult> tx_mult("/Test_fields/TX_mult");
const Doc<P25::System_service_class> service_class("/Test_fields/Service_class");
const Doc<P25::System_Services> available("/Test_fields/Available", P25::available_services_info);
const Doc<P25::System_Services> supported("/Test_fields/Supported", P25::supported_services_info);

}  // namespace

TEST(Options, EveryBitHasItsAttribute) {
    Check(service_options, "A5",
          "<Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"true\" packet_mode=\"false\" "
          "Reserved=\"0\" priority=\"5\"/>");
    Check(service_options, "5A",
          "<Service_options emergency=\"false\" protected_flag=\"true\" full_duplex=\"false\" packet_mode=\"true\" "
          "Reserved=\"1\" priority=\"2\"/>");
    Check(request_priority, "3C", "<Request_priority Reserved=\"3\" priority=\"12\"/>");
    // Attributes that are absent leave their bits alone.
    EXPECT_EQ(service_options.Read_hex("<Service_options emergency=\"false\" priority=\"0\"/>"), "78");
}

TEST(ServiceType, TypeReasonAndAdditionalInformation) {
    Check(service_type, "C5", "<Service_type Reserved=\"3\">05</Service_type>");
    // Bit 7 of the aiv form belongs to "Additional_info", not to this element.
    Check(service_type_aiv, "45", "<Service_type Reserved=\"1\">05</Service_type>", "C5");
    Check(additional, "85 10 01 02 03",
          "<Service_type Reserved=\"0\">05</Service_type><Reason>Unit invalid</Reason>"
          "<Additional_info valid=\"true\">01 02 03 </Additional_info>");
    Check(additional, "3F FF 00 00 00",
          "<Service_type Reserved=\"0\">3F</Service_type><Reason>Service unsupported</Reason>"
          "<Additional_info valid=\"false\">00 00 00 </Additional_info>");
    // A reason without a name.
    Check(additional, "00 12 AA BB CC",
          "<Service_type Reserved=\"0\">00</Service_type><Reason>0x12</Reason>"
          "<Additional_info valid=\"false\">AA BB CC </Additional_info>");
}

TEST(ServiceType, EveryReasonNameReadsBackToItsCode) {
    const unsigned codes[] = {0x10, 0x11, 0x20, 0x21, 0x2F, 0x30, 0x31, 0x40, 0x41, 0x42,
                              0x50, 0x51, 0x52, 0x5F, 0x60, 0xF0, 0xF1, 0xF2, 0xF3, 0xFF};
    for (unsigned code : codes) {
        const char* name = P25::reason_map.Lookup(static_cast<std::uint8_t>(code));
        ASSERT_NE(name, nullptr) << code;
        P25::Service_additional_info read{};
        ASSERT_TRUE(additional.Read(std::string("<Reason> ") + name + " </Reason>", read)) << name;
        EXPECT_EQ(read.reason, code) << name;
    }
    // Words of a name may be separated by any blanks; a name cut short is no name.
    EXPECT_EQ(additional.Read_hex("<Reason>Unit \n invalid</Reason>"), "FF 10 FF FF FF");
    EXPECT_EQ(additional.Read_hex("<Reason>Unit</Reason>"), "refused");
}

TEST(Responses, ValuesAndTheirReservedBits) {
    Check(registration_value, "FD", "<Registration_value Reserved=\"3F\">FAIL</Registration_value>");
    Check(registration_value, "00", "<Registration_value Reserved=\"00\">ACCEPT</Registration_value>");
    Check(affiliate_value, "0B", "<Reserved>02</Reserved><Group_affiliation_value>REFUSED</Group_affiliation_value>");
    Check(group_affiliate_value, "8A",
          "<Global_affiliate>true</Global_affiliate><Reserved>02</Reserved>"
          "<Group_affiliation_value>DENY</Group_affiliation_value>");
    Check(answer_resp, "21", "<Answer_resp>DENY</Answer_resp>");
    Check(answer_resp, "23", "<Answer_resp>0x23</Answer_resp>");
    Check(message_seq_num, "D7", "<Message_sequence last_message=\"true\" Reserved=\"5\" number=\"7\"/>");
    Check(tx_mult, "AB CD", "<TX_mult Reserved=\"2AF3\">1</TX_mult>");
}

TEST(Responses, ValueChildOnlyTouchesItsBits) {
    EXPECT_EQ(affiliate_value.Read_hex("<Group_affiliation_value>ACCEPT</Group_affiliation_value>"), "FC");
    EXPECT_EQ(group_affiliate_value.Read_hex("<Global_affiliate>false</Global_affiliate>"), "7F");
    EXPECT_EQ(answer_resp.Read_hex("<Answer_resp>WAIT</Answer_resp>"), "22");
    EXPECT_EQ(answer_resp.Read_hex("<Answer_resp>LATER</Answer_resp>"), "refused");
}

TEST(Services, ServiceClass) {
    Check(service_class, "A5",
          "<Service_class auth_service=\"true\" reg_service=\"false\" voice_service=\"true\" data_service=\"false\" "
          "Reserved=\"false\" backup=\"true\" update_control_only=\"false\" composite_control=\"true\"/>");
}

TEST(Services, FlagChoosesTheAttributeGroup) {
    Check(available, "5A 0F F0",
          "<Available_services type=\"false\" extension_flag=\"true\" network_active=\"false\" reserved1=\"true\" "
          "group_voice=\"true\" individual_voice=\"false\" PSTN_to_unit_voice=\"true\" Unit_to_PSTN_voice=\"false\" "
          "reserved2=\"false\" group_data=\"false\" individual_data=\"false\" reserved3=\"false\" "
          "unit_registration=\"true\" group_affiliation=\"true\" group_affiliation_query=\"true\" "
          "authentication=\"true\" protection_parameters=\"true\" user_status=\"true\" user_message=\"true\" "
          "unit_status=\"true\" user_status_query=\"false\" unit_status_query=\"false\" unit_page=\"false\" "
          "alarm=\"false\"/>");
    // Octet 0 bit 5 belongs to no attribute of the extended form.
    Check(supported, "DF 12 34", "<Supported_services type=\"true\" extension_flag=\"true\" Reserved=\"1F 12 34 \"/>",
          "FF 12 34");
    Check(supported, "80 00 01", "<Supported_services type=\"true\" extension_flag=\"false\" Reserved=\"00 00 01 \"/>",
          "A0 00 01");
}

TEST(Services, ReadingAnAttributeSetsItsGroupsFlag) {
    EXPECT_EQ(available.Read_hex("<Available_services alarm=\"false\"/>"), "7F FF FE");
    EXPECT_EQ(available.Read_hex("<Available_services Reserved=\"00 00 00\"/>"), "E0 00 00");
    P25::Extended_System_Sevices e = Record<P25::Extended_System_Sevices>("E0 00 00");
    e.Set_reserved(0xFFFFFFFF);
    EXPECT_EQ(Hex(e), "FF FF FF");
    EXPECT_EQ(e.Reserved(), 0x1FFFFFul);
}
