// The registration, mobility and broadcast definitions as a whole: each is
// filed under its manufacturer, direction, opcode and block count with its
// name and link element (the round trip of every definition is in
// roundtrip_test.cpp).
#include "mobility_support.h"
#include "xml_text.h"

using namespace mobility;

namespace {

enum Link { none, source, target, sysid };

struct Definition {
    const char* name;
    bool outbound;
    unsigned mfid, opcode, blocks;
    Link link;
};

const Definition catalogue[] = {
    {"U_REG_REQ", false, 0x00, 44, 1, none},
    {"U_REG_RSP", true, 0x00, 44, 1, none},
    {"U_REG_RSP", true, 0x00, 44, 3, source},
    {"P_PARM_REQ", false, 0x00, 48, 1, none},
    {"U_DE_REG_REQ", false, 0x00, 43, 1, none},
    {"U_DE_REG_ACK", true, 0x00, 47, 1, none},
    {"LOC_REG_REQ", false, 0x00, 45, 1, none},
    {"LOC_REG_REQ", false, 0x00, 45, 2, source},
    {"LOC_REG_RSP", true, 0x00, 43, 1, none},
    {"GRP_AFF_REQ", false, 0x00, 40, 1, none},
    {"GRP_AFF_REQ_EXP", false, 0x00, 40, 2, source},
    {"GRP_AFF_Q_RSP", false, 0x00, 41, 1, none},
    {"GRP_AFF_RSP", true, 0x00, 40, 1, none},
    {"GRP_AFF_RSP", true, 0x00, 40, 3, target},
    {"AUTH_CMD", true, 0x00, 46, 1, none},
    {"AUTH_RSP", false, 0x00, 47, 3, none},
    {"ROAM_ADDR_CMD", true, 0x00, 54, 1, none},
    {"ROAM_ADDR_RSP", false, 0x00, 55, 1, none},
    {"ROAM_ADDR_RSP", false, 0x00, 55, 2, target},
    {"ROAM_ADDR_RSP", false, 0x00, 55, 3, target},
    {"ROAM_ADDR_RSP", false, 0x00, 55, 4, target},
    {"ROAM_ADDR_UPDT", true, 0x00, 55, 2, none},
    {"ROAM_ADDR_UPDT", true, 0x00, 55, 3, none},
    {"ROAM_ADDR_UPDT", true, 0x00, 55, 4, none},
    {"IDEN_UP", true, 0x00, 61, 1, none},
    {"IDEN_UP_VU", true, 0x00, 52, 1, none},
    {"IDEN_UP_TDMA", true, 0x90, 13, 1, none},
    {"IDEN_UP_REQ", false, 0x00, 50, 1, none},
    {"ADJ_STS_BCST", true, 0x00, 60, 1, none},
    {"ADJ_STS_BCST", true, 0x00, 60, 2, sysid},
    {"RFSS_STS_BCST", true, 0x00, 58, 1, none},
    {"RFSS_STS_BCST", true, 0x00, 58, 2, sysid},
    {"NET_STS_BCST", true, 0x00, 59, 1, none},
    {"NET_STS_BCST", true, 0x00, 59, 2, sysid},
    {"SCCB", true, 0x00, 57, 1, none},
    {"SCCB_EXP", true, 0x00, 41, 1, none},
    {"SYS_SRV_BCST", true, 0x00, 56, 1, none},
    {"SYNC_BCST", true, 0x00, 48, 1, none},
    {"TIME_DATE_ANN", true, 0x00, 53, 1, none},
    {"P_PARM_BCST", true, 0x00, 62, 3, target},
    {"P_PARM_UPDT", true, 0x00, 63, 1, none},
};

std::string Param_name(const testing::TestParamInfo<Definition>& info) {
    return std::string(info.param.name) + "_" + std::to_string(info.param.blocks);
}

}  // namespace

class Mobility_catalogue : public testing::TestWithParam<Definition> {};

TEST_P(Mobility_catalogue, FiledByOpcodeBlockCountAndName) {
    const Definition& d = GetParam();
    P25::MFID_record* record = P25::MFID_record::Find(static_cast<std::uint8_t>(d.mfid));
    ASSERT_NE(record, nullptr);
    P25::Opcode_record& opcode = record->Find_trunking_handler(d.outbound, static_cast<std::uint8_t>(d.opcode));
    const P25::Trunking_handler_base* h = opcode.slot[d.blocks - 1];
    ASSERT_NE(h, nullptr);
    EXPECT_STREQ(h->Name(), d.name);
    EXPECT_EQ(h->BlockCount(), d.blocks);
    EXPECT_EQ(h->MFID(), d.mfid);
    EXPECT_EQ(h->Outbound(), d.outbound);
    EXPECT_EQ(record->Find_trunking_handler(d.outbound, reinterpret_cast<const xmlChar*>(d.name)), &opcode);
    // The other manufacturer and the other direction do not know it.
    P25::MFID_record* other = P25::MFID_record::Find(d.mfid == 0x00 ? 0x90 : 0x00);
    EXPECT_EQ(other->Find_trunking_handler(d.outbound, static_cast<std::uint8_t>(d.opcode)).slot[d.blocks - 1], nullptr);
    EXPECT_EQ(record->Find_trunking_handler(!d.outbound, reinterpret_cast<const xmlChar*>(d.name)), nullptr);
    // The link ID element(s) of a multi-block form.
    const std::uint8_t link_id[3] = {0x12, 0x34, 0x56};
    const std::string link = Text_of(h->Write_link(*reinterpret_cast<const P25::Local_link_ID*>(link_id)));
    const char* const expected_link[] = {"(null)", "<Source_address>123456</Source_address>",
                                         "<Target_address>123456</Target_address>",
                                         "<><LRA>12</LRA><System_ID>456</System_ID></>"};
    if (d.link != sysid) {
        EXPECT_EQ(link, expected_link[d.link]);
    } else {
        EXPECT_NE(link.find("<LRA>12</LRA><System_ID>456</System_ID>"), std::string::npos) << link;
    }
}

INSTANTIATE_TEST_SUITE_P(Registration_mobility_broadcasts, Mobility_catalogue, testing::ValuesIn(catalogue), Param_name);

// The channel identifiers and the time broadcasts show every bit but the
// sign of a zero offset (and, in the VHF/UHF and TDMA plans, an offset
// counted in a channel spacing of zero), the services broadcast every bit
// but octet 0 bit 5 of an extended map: with those avoided, their blocks
// come back too.
TEST(Mobility_catalogue_lossy, BlocksComeBackWhenOffsetsAreNotZero) {
    struct Case {
        const char* hex;
        bool outbound;
    } cases[] = {
        {"3D 00 E5 04 12 64 01 EE 89 90", true},  // IDEN_UP, sign 1 magnitude 4
        {"34 00 E5 05 C0 64 01 EE 89 90", true},  // IDEN_UP_VU, from the air
        {"0D 90 E0 85 C1 64 01 EE 89 90", true},  // IDEN_UP_TDMA, channel type 0
        {"0D 90 E7 05 C2 64 01 EE 89 90", true},  // IDEN_UP_TDMA, a channel type without a name
        {"30 00 81 FB 6D 32 8A 3A 17 FF", true},  // SYNC_BCST, offset -390
        {"35 00 F8 3C 56 00 D4 9B B6 00", true},  // TIME_DATE_ANN, offset -60
        {"38 00 00 DA BC DE 5A 0F F0 3C", true},  // SYS_SRV_BCST, extended and normal maps
    };
    const char* const unimplemented = "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const std::string logged = Log_message(Tsbk_of(c.hex), c.outbound);
        const std::vector<std::string> raw = Only(logged, "TSBK"), message = Only(logged, "Trunking_message");
        ASSERT_EQ(message.size(), 1u);
        Log_capture again;
        EXPECT_EQ(Replay(message[0], again), XML_routines::Read_status::ok);
        const std::string body = again.Body();
        EXPECT_EQ(Only(body, "TSBK"), raw);
        EXPECT_EQ(Only(body, "Trunking_message"), message);
        EXPECT_EQ(again.Errors(), std::string(unimplemented) + unimplemented);
    }
}
