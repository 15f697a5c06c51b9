// Addresses, identifiers, channels and system identifiers.
#include "support.h"

using namespace fields_test;

namespace {

const Doc<P25::SOURCE_ADDRESS> source_address("/Test_fields/Source_address");
const Doc<P25::SOURCE_ID> source_id("/Test_fields/Source_ID");
const Doc<P25::TARGET_ADDRESS> target_address("/Test_fields/Target_address");
const Doc<P25::TARGET_ID> target_id("/Test_fields/Target_ID");
const Doc<P25::UNIT_ADDRESS> unit_address("/Test_fields/Unit_address");
const Doc<P25::UNIT_ID> unit_id("/Test_fields/Unit_ID");
const Doc<P25::GROUP_ADDRESS> group_address("/Test_fields/Group_address");
const Doc<P25::GROUP_ID> group_id("/Test_fields/Group_ID");
const Doc<P25::ANN_GROUP_ADDRESS> ann_group_address("/Test_fields/Ann_group_address");
const Doc<P25::ANN_GROUP_ID> ann_group_id("/Test_fields/Ann_group_ID");
const Doc<P25::LRA> lra("/Test_fields/LRA");
const Doc<P25::CALL_TIMER> call_timer("/Test_fields/Call_timer");
const Doc<P25::CHANNEL> channel("/Test_fields/Channel");
const Doc<P25::ChanGroup> chan_group("/Test_fields/ChanGroup");
const Doc<P25::Group_update> group_update("/Test_fields/Group_update");
const Doc<P25::WACN_SysID> wacn_sysid("/Test_fields/WACN_SysID");
const Doc<P25::WACN_SysID_split1> split1("/Test_fields/Split1");
const Doc<P25::WACN_SysID_split2> split2("/Test_fields/Split2");
const Doc<P25::WACN_only> wacn_only("/Test_fields/WACN_only");
const Doc<P25::System_ID_only> system_id_only("/Test_fields/System_ID_only");
const Doc<P25::SYSID_LRA> sysid_lra("/Test_fields/SYSID_LRA");
const Doc<P25::System_ID_registration> registration("/Test_fields/System_ID_registration");

}  // namespace

TEST(Addresses, TextIsTheNumberUnderTheTypesElementName) {
    Check(source_address, "00 12 AB", "<Source_address>0012AB</Source_address>");
    Check(source_id, "FF FF FE", "<Source_ID>FFFFFE</Source_ID>");
    Check(target_address, "12 34 56", "<Target_address>123456</Target_address>");
    Check(target_id, "65 43 21", "<Target_ID>654321</Target_ID>");
    Check(unit_address, "00 00 01", "<Unit_address>000001</Unit_address>");
    Check(unit_id, "AB CD EF", "<Unit_ID>ABCDEF</Unit_ID>");
    Check(group_address, "BE EF", "<Group_address>BEEF</Group_address>");
    Check(group_id, "00 0A", "<Group_ID>000A</Group_ID>");
    Check(ann_group_address, "12 34", "<Announcement_group>1234</Announcement_group>");
    Check(ann_group_id, "43 21", "<Announcement_group>4321</Announcement_group>");
    Check(lra, "5A", "<LRA>5A</LRA>");
    Check(call_timer, "0F 00", "<Call_Timer>0F00</Call_Timer>");
}

TEST(Addresses, ValueWiderThanTheFieldIsRefused) {
    EXPECT_EQ(unit_id.Read_hex("<Unit_ID>1000000</Unit_ID>"), "refused");
    EXPECT_EQ(group_id.Read_hex("<Group_ID>10000</Group_ID>"), "refused");
}

TEST(Channels, IdentifierAndNumberAsAttributes) {
    Check(channel, "5A BC", "<Channel id=\"5\" number=\"2748\"/>");
    Check(chan_group, "12 34 AB CD", "<Channel id=\"1\" number=\"564\"/><Group_address>ABCD</Group_address>");
    // The second "Channel" fills the receive channel.
    Check(group_update, "10 01 2F FF 00 07",
          "<Channel id=\"1\" number=\"1\"/><Channel id=\"2\" number=\"4095\"/><Group_address>0007</Group_address>");
}

TEST(Channels, SettersCutToTheFieldWidth) {
    P25::CHANNEL c = Record<P25::CHANNEL>("00 00");
    c.Set_ch(0x1FFF);
    EXPECT_EQ(Hex(c), "0F FF");
    c.Set_id(0x13);
    EXPECT_EQ(Hex(c), "3F FF");
    EXPECT_EQ(channel.Read_hex("<Channel number=\"4097\"/>"), "F0 01");
}

TEST(SystemIds, EveryFormWritesWacnAndSystemId) {
    Check(wacn_sysid, "BE E0 01 23", "<WACN>BEE00</WACN><System_ID>123</System_ID>");
    // The split forms leave the octets they skip (the header CRC) untouched.
    Check(split1, "AB 11 22 CD E1 23", "<WACN>ABCDE</WACN><System_ID>123</System_ID>", "AB FF FF CD E1 23");
    Check(split2, "AB CD 11 22 E1 23", "<WACN>ABCDE</WACN><System_ID>123</System_ID>", "AB CD FF FF E1 23");
    Check(wacn_only, "BE E0 05", "<WACN Reserved=\"5\">BEE00</WACN>");
    Check(system_id_only, "A1 23", "<System_ID>123</System_ID>", "F1 23");
    Check(sysid_lra, "7F 01 23", "<LRA>7F</LRA><System_ID>123</System_ID>", "7F F1 23");
    Check(registration, "A6 54",
          "<Registration_value Reserved=\"2\">DENY</Registration_value><System_ID>654</System_ID>");
}

TEST(SystemIds, WacnKeepsTwentyBitsAndSystemIdTwelve) {
    P25::WACN_SysID w = Record<P25::WACN_SysID>("00 00 00 00");
    w.Set_WACN(0x123456);
    w.Set_SysID(0xFABC);
    EXPECT_EQ(w.Get_WACN(), 0x23456u);
    EXPECT_EQ(Hex(w), "23 45 6A BC");
    P25::WACN_SysID_split1 s1 = Record<P25::WACN_SysID_split1>("00 77 77 00 00 00");
    s1.Set_WACN(0x123456);
    EXPECT_EQ(Hex(s1), "23 77 77 45 60 00");
    P25::WACN_SysID_split2 s2 = Record<P25::WACN_SysID_split2>("00 00 77 77 0F 00");
    s2.Set_WACN(0x123456);
    EXPECT_EQ(Hex(s2), "23 45 77 77 6F 00");
}

TEST(SystemIds, UpperNibbleViewsOfSystemIdOnly) {
    struct Row {
        const char* hex;
        unsigned res4, res2;
        bool conv_channel, failure, valid, network_active;
    } rows[] = {
        {"A1 23", 0xA, 2, true, false, true, false},
        {"51 23", 0x5, 1, false, true, false, true},
    };
    for (const Row& r : rows) {
        const P25::System_ID_only s = Record<P25::System_ID_only>(r.hex);
        EXPECT_EQ(s.Get_SysID(), 0x123u) << r.hex;
        EXPECT_EQ(s.Get_res4(), r.res4) << r.hex;
        EXPECT_EQ(s.Get_res2(), r.res2) << r.hex;
        EXPECT_EQ(s.Get_conv_channel(), r.conv_channel) << r.hex;
        EXPECT_EQ(s.Get_failure(), r.failure) << r.hex;
        EXPECT_EQ(s.Get_valid(), r.valid) << r.hex;
        EXPECT_EQ(s.Get_roamer(), r.valid) << r.hex;
        EXPECT_EQ(s.Get_network_active(), r.network_active) << r.hex;
    }
    P25::System_ID_only s = Record<P25::System_ID_only>("00 00");
    s.Set_roamer(true);
    s.Set_network_active(true);
    EXPECT_EQ(Hex(s), "30 00");
}
