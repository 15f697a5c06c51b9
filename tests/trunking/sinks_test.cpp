// The trunking elements written both ways: what the stream sink writes into
// the log is what libxml2 dumps of the tree the same descriptors build, for
// messages, multi-block forms, their error elements and the raw elements.
#include <xml_text.h>

#include "support.h"

using namespace XML_routines;

namespace {

P25::Trunking_data Message(const trk::Blocks& blocks, std::uint32_t duid, std::uint32_t count = 0) {
    P25::Trunking_data m;
    m.metadata = trk::Source(2, 0, 1, 123456789);
    for (std::size_t i = 0; i < blocks.size(); ++i) m.tsbk[i] = blocks[i];
    m.block_count = count ? count : static_cast<std::uint32_t>(blocks.size());
    m.duid = duid;
    return m;
}

trk::Blocks With_format(trk::Blocks m, unsigned format) {
    m[0].data[0] = static_cast<std::uint8_t>((m[0].data[0] & 0xE0) | format);
    trk::Seal(m);
    return m;
}

trk::Blocks Packet_crc_broken(trk::Blocks m) {
    m.back().data[11] ^= 0x01;
    return m;
}

trk::Blocks Header_crc_broken(trk::Blocks m) {
    m[0].data[11] ^= 0x01;
    return m;
}

TEST(Sinks, TrunkingElementsWriteTheSameBytes) {
    const trk::Blocks grant = {trk::Tsbk("80 00 85 12 34 56 78 AB CD EF")};
    const trk::Blocks inbound = {trk::Tsbk("84 00 12 34 56 78 9A BC")};
    const trk::Blocks unknown_opcode = {trk::Tsbk("BF 00 01 02 03 04 05 06 07 08")};
    const trk::Blocks other_mfid = {trk::Tsbk("80 55 01 02 03 04 05 06 07 08")};
    const trk::Blocks explicit_grant = trk::Grant_exp(0x123456);
    const trk::Blocks too_long = trk::Mbt(P25::GRP_V_CH_GRANT, 3, 0xABCDEF, {0x80, 0, 0, 0, 0, 0, 0x10, 0x01});
    const struct {
        const char* what;
        P25::Trunking_data message;
    } messages[] = {
        {"TSBK grant", Message(grant, P25::TSDU)},
        {"inbound TSBK", Message(inbound, P25::TSDU)},
        {"unknown opcode", Message(unknown_opcode, P25::TSDU)},
        {"unknown manufacturer", Message(other_mfid, P25::TSDU)},
        {"explicit grant", Message(explicit_grant, P25::PDU)},
        {"illegal block count", Message(too_long, P25::PDU)},
        {"unknown format", Message(With_format(explicit_grant, 5), P25::PDU)},
        {"response header", Message(With_format(explicit_grant, 3), P25::PDU)},
        {"confirmed header", Message(With_format(explicit_grant, 22), P25::PDU)},
        {"unconfirmed header", Message(With_format(explicit_grant, 21), P25::PDU)},
        {"bad packet CRC", Message(Packet_crc_broken(explicit_grant), P25::PDU)},
        {"bad header CRC", Message(Header_crc_broken(explicit_grant), P25::PDU)},
        {"no blocks", Message(grant, P25::TSDU, 0)},
        {"another data unit", Message(grant, P25::LDU1)},
    };
    for (const auto& c : messages) {
        SCOPED_TRACE(c.what);
        const Both_ways w = Write_both_ways(c.message, Trunking_info);
        EXPECT_FALSE(w.irregular);
        EXPECT_EQ(w.stream, w.tree);
    }

    P25::Log_Dispatch_payload raw = trk::Payload(trk::Source(1), explicit_grant, 0x293);
    raw.tsbk.header.statuses.count = 30;  // more than the 24 there are
    for (int i = 0; i < 24; ++i) raw.tsbk.header.statuses.syms[i] = static_cast<std::uint8_t>(i % 5);
    const struct {
        const char* what;
        const Info<P25::TSBK_PDU_data>& info;
    } raw_elements[] = {
        {"TSBK", tsbk_info},
        {"PDU", pdu_info},
        {"PDU_Header", pdu_header_info},
        {"PDU_Continuation", pdu_cont_info},
    };
    for (const auto& c : raw_elements) {
        SCOPED_TRACE(c.what);
        const Both_ways w = Write_both_ways(raw.tsbk, c.info);
        EXPECT_FALSE(w.irregular);
        EXPECT_EQ(w.stream, w.tree);
    }
    const Both_ways status = Write_both_ways(raw.tsbk.header, status_info);
    EXPECT_EQ(status.stream, status.tree);
    EXPECT_NE(status.stream.find(">talk BUSY repeater IDLE 0x4 talk"), std::string::npos);
}

// The error elements a definition writes by hand, through both sinks.
TEST(Sinks, ErrorElementsWriteTheSameBytes) {
    const Info_base& definition = Trunking_info;
    const struct {
        const char* what;
        void (*write)(Sink&, const Info_base&);
    } cases[] = {
        {"bad CRC", [](Sink& s, const Info_base&) { P25::Bad_CRC(s, 0xDEADBEEF, 0x1234); }},
        {"unknown format", [](Sink& s, const Info_base&) { P25::Unknown_fmt(s, 31); }},
        {"invalid format", [](Sink& s, const Info_base& i) { P25::Illegal_fmt(s, i, -2); }},
        {"illegal block count", [](Sink& s, const Info_base& i) { P25::Illegal_blockcount(s, i, 129); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Tree_sink tree;
        c.write(tree, definition);
        Stream_sink stream;
        c.write(stream, definition);
        EXPECT_EQ(stream.Output(), Log_text(tree.Take()));
    }
    EXPECT_EQ(Text_of(P25::Illegal_blockcount(definition, 129)),
              "<Trunking_message><Illegal_block_count>129</Illegal_block_count></Trunking_message>");
}

}  // namespace
