// A site's frequency plan and the channels its control channel names.
//
// A channel is a 4-bit identifier and a 12-bit number; the identifier's
// broadcast (IDEN_UP, IDEN_UP_VU, IDEN_UP_TDMA) gives the base frequency, the
// spacing and the transmit offset, so that the outbound frequency is
// base + spacing * number (a TDMA carrier holds `slots` numbers).  Grants,
// grant updates and the status broadcasts carry channels at fixed octets,
// listed below in the catalogue's order.
#include <cmath>
#include <cstring>
#include <iterator>

#include "site.h"

namespace tessel {

namespace {

constexpr unsigned mfid_standard = 0x00, mfid_tdma = 0x90;

// Where a message carries the outbound channel it names.
struct Channel_field {
    const char* message;
    unsigned mfid;
    unsigned opcode;
    unsigned blocks;  // 1: a TSBK; more: an alternate multi-block message
    Channel_role role;
    unsigned octets[2];  // the channels' first octets, from block 0; 0 when unused
};
extern const Channel_field channel_fields[];
extern const std::size_t channel_field_count;

// Slots of a TDMA channel type (octet 2 bits 3-0 of IDEN_UP_TDMA); types not
// listed are single-slot FDMA carriers.
struct Tdma_type {
    unsigned type;
    unsigned slots;
};
extern const Tdma_type tdma_types[];
extern const std::size_t tdma_type_count;

template <class Packet>
Channel_identifier Identifier_of(const Packet& p, const char* message) {
    Channel_identifier id;
    id.known = true;
    id.message = message;
    id.base_hz = double(p.base_freq);
    id.spacing_hz = double(p.Get_chan_spacing());
    id.tx_offset_hz = double(p.Get_tx_offset());
    id.bandwidth_hz = double(p.Get_bw());
    return id;
}

}  // namespace

bool Channel_plan::Learn(const std::uint8_t* block) {
    P25::P25_TSBK_header header;
    std::memcpy(&header, block, sizeof header);
    const unsigned opcode = header.Get_opcode();
    if (header.MFID == mfid_standard && opcode == 61) {
        P25::IDEN_UP_packet p;
        std::memcpy(&p, block, sizeof p);
        ids_[p.Get_ident()] = Identifier_of(p, "IDEN_UP");
        return true;
    }
    if (header.MFID == mfid_standard && opcode == 52) {
        P25::IDEN_UP_VU_packet p;
        std::memcpy(&p, block, sizeof p);
        ids_[p.Get_ident()] = Identifier_of(p, "IDEN_UP_VU");
        return true;
    }
    if (header.MFID == mfid_tdma && opcode == 13) {
        P25::IDEN_UP_TDMA_packet p;
        std::memcpy(&p, block, sizeof p);
        Channel_identifier id = Identifier_of(p, "IDEN_UP_TDMA");
        const unsigned type = P25::IDEN_UP_TDMA_packet::Chtype::Get(p);
        for (std::size_t i = 0; i < tdma_type_count; ++i)
            if (tdma_types[i].type == type) id.tdma = true, id.slots = tdma_types[i].slots;
        ids_[p.Get_ident()] = id;
        return true;
    }
    return false;
}

bool Channel_plan::Outbound_hz(const P25::CHANNEL& channel, double& hz) const {
    const Channel_identifier& id = ids_[channel.Get_id()];
    if (!id.known) return false;
    hz = id.base_hz + id.spacing_hz * double(channel.Get_ch() / id.slots);
    return true;
}

bool Channel_plan::Nearest(double hz, double tolerance_hz, double& nominal_hz) const {
    bool found = false;
    for (const Channel_identifier& id : ids_) {
        if (!id.known || id.tdma || id.spacing_hz <= 0) continue;
        const double n = std::round((hz - id.base_hz) / id.spacing_hz);
        if (n < 0 || n > 4095) continue;
        const double candidate = id.base_hz + n * id.spacing_hz;
        if (std::fabs(candidate - hz) <= tolerance_hz && (!found || std::fabs(candidate - hz) < std::fabs(nominal_hz - hz)))
            nominal_hz = candidate, found = true;
    }
    return found;
}

std::vector<Named_channel> Channels_named(const std::uint8_t* octets, std::size_t blocks, bool multi_block) {
    std::vector<Named_channel> named;
    if (blocks == 0) return named;
    unsigned mfid, opcode;
    if (multi_block) {
        P25::Alternate_MBT header;
        std::memcpy(&header, octets, sizeof header);
        if (header.common.Get_format() != P25::Alternate_MBT_format) return named;
        mfid = header.common.MFID;
        opcode = header.Get_opcode();
    } else {
        P25::P25_TSBK_header header;
        std::memcpy(&header, octets, sizeof header);
        mfid = header.MFID;
        opcode = header.Get_opcode();
        blocks = 1;
    }
    for (std::size_t i = 0; i < channel_field_count; ++i) {
        const Channel_field& f = channel_fields[i];
        if (f.mfid != mfid || f.opcode != opcode || f.blocks != blocks || (f.blocks > 1) != multi_block) continue;
        for (unsigned at : f.octets) {
            if (at == 0) continue;
            Named_channel n{f.message, f.role, {}};
            std::memcpy(&n.channel, octets + at, sizeof n.channel);
            named.push_back(n);
        }
    }
    return named;
}

namespace {

constexpr Channel_role grant = Channel_role::grant, own = Channel_role::own, secondary = Channel_role::secondary;

// The outbound channel of an explicit form is its second ("receive") one.
const Channel_field channel_fields[] = {
    // message                       MFID  opcode blocks role       octets
    {"GRP_V_CH_GRANT",               0x00, 0,  1, grant,   {3, 0}},
    {"GRP_V_CH_GRANT_EXP",           0x00, 0,  2, grant,   {16, 0}},
    {"GRP_V_CH_GRANT_UPDT",          0x00, 2,  1, grant,   {2, 6}},
    {"GRP_V_CH_GRANT_UPDT_EXP",      0x00, 3,  1, grant,   {6, 0}},
    {"UU_V_CH_GRANT",                0x00, 4,  1, grant,   {2, 0}},
    {"UU_V_CH_GRANT",                0x00, 4,  3, grant,   {24, 0}},
    {"UU_V_CH_GRANT_UPDT",           0x00, 6,  1, grant,   {2, 0}},
    {"UU_V_CH_GRANT_UPDT",           0x00, 6,  3, grant,   {24, 0}},
    {"TELE_INT_CH_GRANT",            0x00, 8,  1, grant,   {3, 0}},
    {"TELE_INT_CH_GRANT_EXP",        0x00, 8,  2, grant,   {14, 0}},
    {"TELE_INT_CH_GRANT_UPDT",       0x00, 9,  1, grant,   {3, 0}},
    {"TELE_INT_CH_GRANT_UPDT_EXP",   0x00, 9,  2, grant,   {14, 0}},
    {"IND_DATA_CH_GRANT",            0x00, 16, 1, grant,   {2, 0}},
    {"IND_DATA_CH_GRANT",            0x00, 16, 3, grant,   {24, 0}},
    {"GRP_DATA_CH_GRANT",            0x00, 17, 1, grant,   {3, 0}},
    {"GRP_DATA_CH_GRANT_EXP",        0x00, 17, 2, grant,   {14, 0}},
    {"GRP_DATA_CH_ANN",              0x00, 18, 1, grant,   {2, 6}},
    {"GRP_DATA_CH_ANN_EXP",          0x00, 19, 1, grant,   {6, 0}},
    {"SN_DATA_CHN_GNT",              0x00, 20, 1, grant,   {5, 0}},
    {"SN_DATA_CHN_ANN_EXP",          0x00, 22, 1, grant,   {6, 0}},
    {"SCCB_EXP",                     0x00, 41, 1, secondary, {7, 0}},
    {"SCCB",                         0x00, 57, 1, secondary, {4, 7}},
    {"RFSS_STS_BCST",                0x00, 58, 1, own,     {7, 0}},
    {"RFSS_STS_BCST",                0x00, 58, 2, own,     {16, 0}},
    {"NET_STS_BCST",                 0x00, 59, 1, own,     {7, 0}},
    {"NET_STS_BCST",                 0x00, 59, 2, own,     {17, 0}},
};
const std::size_t channel_field_count = std::size(channel_fields);

const Tdma_type tdma_types[] = {
    {0, 2},  // TDMA/12.5kHz/half_rate
    {3, 2},
    {4, 4},
    {5, 2},
};
const std::size_t tdma_type_count = std::size(tdma_types);

}  // namespace

}  // namespace tessel
