// Addresses, identifiers, channels and system identifiers.
#include "support.h"

TEST(Identifiers, NumbersChannelsAndSystemIds) {
    // The addresses, channels and system identifiers of the message and
    // link-control goldens are left to them.
    Check<P25::UNIT_ID>("AB CD EF", "<Unit_ID>ABCDEF</Unit_ID>");
    Check<P25::ANN_GROUP_ID>("43 21", "<Announcement_group>4321</Announcement_group>");
    Check<P25::CALL_TIMER>("0F 00", "<Call_Timer>0F00</Call_Timer>");
    // The second "Channel" fills the receive channel; 15 and 4095 fit.
    Check<P25::Group_update>(
        "F0 01 2F FF 00 07",
        "<Channel id=\"15\" number=\"1\"/><Channel id=\"2\" number=\"4095\"/><Group_address>0007</Group_address>");
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
    // A value wider than its field is refused, not cut.
    EXPECT_EQ(Read_hex<P25::UNIT_ID>("<Unit_ID>1000000</Unit_ID>"), "refused: Value 1000000 out of range 0–FFFFFF");
    EXPECT_EQ(Read_hex<P25::GROUP_ID>("<Group_ID>10000</Group_ID>"), "refused: Value 10000 out of range 0–FFFF");
    EXPECT_EQ(Read_hex<P25::CHANNEL>("<Channel number=\"4096\"/>"), "refused: Value 4096 out of range 0–4095");
    EXPECT_EQ(Read_hex<P25::CHANNEL>("<Channel id=\"16\"/>"), "refused: Value 16 out of range 0–15");
    EXPECT_EQ(Read_hex<P25::WACN_SysID>("<WACN>100000</WACN>"), "refused: Value 100000 out of range 0–FFFFF");
    EXPECT_EQ(Read_hex<P25::WACN_SysID>("<System_ID>1000</System_ID>"), "refused: Value 1000 out of range 0–FFF");
    // Setters keep twenty bits of WACN and twelve of system identifier.
    P25::WACN_SysID w = Record<P25::WACN_SysID>("00 00 00 00");
    w.Set_WACN(0x123456);
    w.Set_SysID(0xFABC);
    EXPECT_EQ(Hex(w), "23 45 6A BC");
}
