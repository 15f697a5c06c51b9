// The trunking elements written both ways: what the stream sink writes into
// the log is what libxml2 dumps of the tree the same descriptors build, for
// messages, multi-block forms, their error elements and the raw elements.
#include <xml_text.h>

#include "support.h"

using namespace XML_routines;

namespace {

P25::Trunking_data Message(const trk::Blocks& blocks, std::uint32_t duid, std::uint32_t count = ~0u) {
    P25::Trunking_data m;
    m.metadata = trk::Source(2, 0, 1, 123456789);
    for (std::size_t i = 0; i < blocks.size(); ++i) m.tsbk[i] = blocks[i];
    m.block_count = count == ~0u ? static_cast<std::uint32_t>(blocks.size()) : count;
    m.duid = duid;
    return m;
}

// The explicit grant with octet `at` changed: XORed with `flip`, then the
// CRCs set again unless told not to.
trk::Blocks Changed(std::size_t at, std::uint8_t flip, bool seal = true) {
    trk::Blocks m = trk::Grant_exp(0x123456);
    reinterpret_cast<std::uint8_t*>(m.data())[at] ^= flip;
    if (seal) trk::Seal(m);
    return m;
}

TEST(Sinks, TrunkingElementsWriteTheSameBytes) {
    const trk::Blocks grant = {trk::Tsbk("80 00 85 12 34 56 78 AB CD EF")};
    const trk::Blocks too_long = trk::Mbt(P25::GRP_V_CH_GRANT, 3, 0xABCDEF, {0x80, 0, 0, 0, 0, 0, 0x10, 0x01});
    const struct {
        const char* what;
        P25::Trunking_data message;
    } messages[] = {
        {"TSBK grant", Message(grant, P25::TSDU)},
        {"inbound TSBK", Message({trk::Tsbk("84 00 12 34 56 78 9A BC")}, P25::TSDU)},
        {"unknown opcode", Message({trk::Tsbk("BF 00 01 02 03 04 05 06 07 08")}, P25::TSDU)},
        {"unknown manufacturer", Message({trk::Tsbk("80 55 01 02 03 04 05 06 07 08")}, P25::TSDU)},
        {"explicit grant", Message(trk::Grant_exp(0x123456), P25::PDU)},
        {"illegal block count", Message(too_long, P25::PDU)},
        {"unknown format", Message(Changed(0, 0x17 ^ 5), P25::PDU)},
        {"response header", Message(Changed(0, 0x17 ^ 3), P25::PDU)},
        {"confirmed header", Message(Changed(0, 0x17 ^ 22), P25::PDU)},
        {"unconfirmed header", Message(Changed(0, 0x17 ^ 21), P25::PDU)},
        {"bad packet CRC", Message(Changed(23, 0x01, false), P25::PDU)},
        {"bad header CRC", Message(Changed(11, 0x01, false), P25::PDU)},
        {"no blocks", Message(grant, P25::TSDU, 0)},
        {"another data unit", Message(grant, P25::LDU1)},
    };
    for (const auto& c : messages) {
        SCOPED_TRACE(c.what);
        const Both_ways w = Write_both_ways(c.message, Trunking_info);
        EXPECT_FALSE(w.irregular);
        EXPECT_EQ(w.stream, w.tree);
    }

    P25::Log_Dispatch_payload raw = trk::Payload(trk::Source(1), trk::Grant_exp(0x123456), 0x293);
    raw.tsbk.header.statuses.count = 30;  // more than the 24 there are
    for (int i = 0; i < 24; ++i) raw.tsbk.header.statuses.syms[i] = static_cast<std::uint8_t>(i % 5);
    for (const Info<P25::TSBK_PDU_data>* info : {&tsbk_info, &pdu_info, &pdu_header_info, &pdu_cont_info}) {
        SCOPED_TRACE(info->Name());
        const Both_ways w = Write_both_ways(raw.tsbk, *info);
        EXPECT_FALSE(w.irregular);
        EXPECT_EQ(w.stream, w.tree);
    }
    const Both_ways status = Write_both_ways(raw.tsbk.header, status_info);
    EXPECT_EQ(status.stream, status.tree);
    EXPECT_NE(status.stream.find(">talk BUSY repeater IDLE 0x4 talk"), std::string::npos);
}

}  // namespace
