// Logged trunking data units through the host entry points: the raw
// elements, the decoded "Trunking_message" elements and their error
// elements, against golden logs.
#include "support.h"

using namespace trk;

namespace {

// Octets 8 onward of a GRP_V_CH_GRANT_EXP: protected, reserved AA BB,
// channels 2-001 and 2-002, group 0BAD.
const std::vector<std::uint8_t> grp_v_exp_body = {0x40, 0x00, 0, 0, 0xAA, 0xBB, 0x20, 0x01, 0x20, 0x02, 0x0B, 0xAD};

// A grant TSBK (last block, emergency, priority 5, channel 1-564, group
// 5678, source ABCDEF), and three grants for runs.
const char* const grp_v_grant = "80 00 85 12 34 56 78 AB CD EF";
const char* const uu_v_grant = "04 00 30 10 00 00 01 00 00 02";
const char* const ind_data_grant = "90 00 30 11 00 00 03 00 00 04";
const char* const grp_data_grant = "91 00 10 30 12 00 22 00 00 05";

Blocks Bad_crc_in(Blocks m, unsigned block) {
    m[block].data[11] ^= 0x01;
    return m;
}

// A multi-block header block of another format over a good message.
Blocks Reformat(std::uint8_t octet0, std::uint8_t sap, std::uint8_t octet8) {
    Blocks m = Mbt(0, 2, 0x00ABCD, grp_v_exp_body);
    m[0].data[0] = octet0;
    m[0].data[1] = sap;
    m[0].data[7] = 0x05;
    m[0].data[8] = octet8;
    m[0].data[9] = 0x02;
    Seal(m);
    return m;
}

// An unconfirmed-format packet, whose opcode is block 1's first octet:
// opcode 0 there, the octet after it another opcode's.
Blocks Unconfirmed() {
    Blocks m = Reformat(0x75, 0xFD, 0x00);
    m[1].data[0] = 0x00;
    Seal(m);
    return m;
}

// The header block through Log_PDU_header, then the continuation.
void Blockwise(const P25::Log_Dispatch_payload& p) {
    P25::Log_PDU_header(Payload(p.tsbk.header.metadata, {p.tsbk.tsbk[0]}));
    P25::Log_PDU_cont(Payload(p.tsbk.header.metadata, {p.tsbk.tsbk[1]}));
}

}  // namespace

// The manufacturer of an unconfirmed-format packet is octet 2 of its
// header, whatever the logical link ID after it holds (here 90, another
// manufacturer's number).
TEST(Decoding, AnUnconfirmedPacketsManufacturerIsItsOctet2) {
    Blocks m = Mbt(0, 2, 0x90ABCD, grp_v_exp_body);
    m[0].data[0] = 0x75, m[0].data[1] = 0xFD, m[0].data[7] = 0x05, m[0].data[8] = 0x00, m[0].data[9] = 0x02;
    m[1].data[0] = 0x00;
    Seal(m);
    Idle_assemblers();
    Log_capture capture;
    P25::Log_PDU(Payload(Source(1, 0, 1), m));
    EXPECT_NE(capture.Body().find("<Source_address>90ABCD</Source_address>\n    <GRP_V_CH_GRANT_EXP>"),
              std::string::npos)
        << capture.Body();
}

TEST(Decoding, EntryPointsLogRawAndDecodedElements) {
    const Blocks mbt = Mbt(0, 2, 0x123456, grp_v_exp_body);
    const Blocks run = {Tsbk(uu_v_grant), Tsbk(uu_v_grant), Tsbk(grp_data_grant)};
    const struct {
        const char* golden;  // null: nothing is logged
        void (*entry)(const P25::Log_Dispatch_payload&);
        Blocks blocks;
        std::uint32_t nac = 0, count = ~0u;
        std::uint8_t osp = 1;
        const char* errors = "";
    } cases[] = {
        {"tsbk_grant.xml", P25::Log_TSBK, {Tsbk(grp_v_grant)}, 0x293},
        // Cut at the last-block flag of the second.
        {"tsbk_run_last_block.xml", P25::Log_TSBK, {Tsbk(uu_v_grant), Tsbk(ind_data_grant), Tsbk(grp_data_grant)}},
        // The second fails its CRC: first and third.
        {"tsbk_run_bad_crc.xml", P25::Log_TSBK, Bad_crc_in(run, 1)},
        // Inbound: the opcode has OSP handlers only, so no message element.
        {"tsbk_inbound.xml", P25::Log_TSBK, {Tsbk("86 00 30 13 00 00 05 00 00 06")}, 0, ~0u, 0},
        {"tsbk_none.xml", P25::Log_TSBK, {}},
        {"mbt_whole.xml", P25::Log_PDU, mbt},
        // Logged once, after the continuation; the first header flushes an
        // idle assembler silently.
        {"mbt_blockwise.xml", Blockwise, mbt},
        {"mbt_packet_crc.xml", P25::Log_PDU, Bad_crc_in(mbt, 1)},
        // A bad header CRC drops the packet.
        {"mbt_header_crc.xml", P25::Log_PDU, Bad_crc_in(mbt, 0)},
        // Opcode 0 has 1- and 2-block handlers: the 2-block one writes it.
        {"mbt_three_blocks.xml", P25::Log_PDU, Mbt(0, 3, 0x000001, grp_v_exp_body)},
        {"unknown_format.xml", P25::Log_PDU, Reformat(0x29, 0x3D, 0x00)},
        {"confirmed_header.xml", P25::Log_PDU, Reformat(0x76, 0xC2, 0xD3)},
        {"unconfirmed.xml", P25::Log_PDU, Unconfirmed()},
        {nullptr, P25::Log_TSBK, {Tsbk(grp_v_grant)}, 0, 128, 1, "System_interface Log_TSBK block_count=128\n"},
        {nullptr, P25::Log_PDU, Mbt(0, 2, 1, {}), 0, 200, 1, "System_interface Log_PDU block_count=200\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden ? c.golden : c.errors);
        Idle_assemblers();
        Log_capture capture;
        c.entry(Payload(Source(1, 0, c.osp), c.blocks, c.nac, c.count));
        if (c.golden)
            Expect_golden(c.golden, capture.Body());
        else
            EXPECT_EQ(capture.Body(), "");
        EXPECT_EQ(capture.Errors(), c.errors);
    }
}
