// Addresses, identifiers, channels and system identifiers.
#include "support.h"

using namespace fields_test;

TEST(Identifiers, TextIsTheNumberUnderTheTypesElementName) {
    // Source_ID, Target_address and Group_address: the message goldens.
    Check<P25::SOURCE_ADDRESS>("00 12 AB", "<Source_address>0012AB</Source_address>");
    Check<P25::TARGET_ID>("65 43 21", "<Target_ID>654321</Target_ID>");
    Check<P25::UNIT_ADDRESS>("00 00 01", "<Unit_address>000001</Unit_address>");
    Check<P25::UNIT_ID>("AB CD EF", "<Unit_ID>ABCDEF</Unit_ID>");
    Check<P25::GROUP_ID>("00 0A", "<Group_ID>000A</Group_ID>");
    Check<P25::ANN_GROUP_ADDRESS>("12 34", "<Announcement_group>1234</Announcement_group>");
    Check<P25::ANN_GROUP_ID>("43 21", "<Announcement_group>4321</Announcement_group>");
    Check<P25::LRA>("5A", "<LRA>5A</LRA>");
    Check<P25::CALL_TIMER>("0F 00", "<Call_Timer>0F00</Call_Timer>");
    // A value wider than the field is refused.
    EXPECT_EQ(Read_hex<P25::UNIT_ID>("<Unit_ID>1000000</Unit_ID>"), "refused");
    EXPECT_EQ(Read_hex<P25::GROUP_ID>("<Group_ID>10000</Group_ID>"), "refused");
}

TEST(Channels, IdentifierAndNumberAsAttributes) {
    Check<P25::CHANNEL>("5A BC", "<Channel id=\"5\" number=\"2748\"/>");
    Check<P25::ChanGroup>("12 34 AB CD", "<Channel id=\"1\" number=\"564\"/><Group_address>ABCD</Group_address>");
    // The second "Channel" fills the receive channel.
    Check<P25::Group_update>(
        "10 01 2F FF 00 07",
        "<Channel id=\"1\" number=\"1\"/><Channel id=\"2\" number=\"4095\"/><Group_address>0007</Group_address>");
    // A number or identifier wider than its field is refused, not cut.
    EXPECT_EQ(Read_hex<P25::CHANNEL>("<Channel number=\"4097\"/>"), "refused");
    EXPECT_EQ(Read_hex<P25::CHANNEL>("<Channel id=\"16\"/>"), "refused");
}

TEST(SystemIds, EveryFormWritesWacnAndSystemId) {
    Check<P25::WACN_SysID>("BE E0 01 23", "<WACN>BEE00</WACN><System_ID>123</System_ID>");
    // The split forms leave the octets they skip (the header CRC) untouched.
    Check<P25::WACN_SysID_split1>("AB 11 22 CD E1 23", "<WACN>ABCDE</WACN><System_ID>123</System_ID>",
                                  "AB FF FF CD E1 23");
    Check<P25::WACN_SysID_split2>("AB CD 11 22 E1 23", "<WACN>ABCDE</WACN><System_ID>123</System_ID>",
                                  "AB CD FF FF E1 23");
    Check<P25::WACN_only>("BE E0 05", "<WACN Reserved=\"5\">BEE00</WACN>");
    Check<P25::System_ID_only>("A1 23", "<System_ID>123</System_ID>", "F1 23");
    Check<P25::SYSID_LRA>("7F 01 23", "<LRA>7F</LRA><System_ID>123</System_ID>", "7F F1 23");
    Check<P25::System_ID_registration>(
        "A6 54", "<Registration_value Reserved=\"2\">DENY</Registration_value><System_ID>654</System_ID>");
}

TEST(SystemIds, SettersKeepTwentyBitsOfWacnAndTwelveOfSystemId) {
    P25::WACN_SysID w = Record<P25::WACN_SysID>("00 00 00 00");
    w.Set_WACN(0x123456);
    w.Set_SysID(0xFABC);
    EXPECT_EQ(w.Get_WACN(), 0x23456u);
    EXPECT_EQ(Hex(w), "23 45 6A BC");
}
