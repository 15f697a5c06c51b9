// CRC-16 and CRC-32 of trunking blocks, and the checks of one block and of
// a whole multi-block message.
#include "crc.h"

#include <array>
#include <cstdio>

namespace {

// table[i] is the CRC of the single octet i with a zero register: the octet
// at the top of the register, divided by the generator bit by bit.
template <class Reg>
constexpr std::array<Reg, 256> Crc_table(Reg generator) {
    constexpr unsigned top = 8 * sizeof(Reg) - 8;
    constexpr Reg msb = static_cast<Reg>(Reg{1} << (8 * sizeof(Reg) - 1));
    std::array<Reg, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        Reg r = static_cast<Reg>(Reg(i) << top);
        for (int bit = 0; bit < 8; ++bit) r = static_cast<Reg>((r & msb) ? (r << 1) ^ generator : r << 1);
        table[i] = r;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> ccitt_table = Crc_table<std::uint16_t>(0x1021);
constexpr std::array<std::uint32_t, 256> crc32_table = Crc_table<std::uint32_t>(0x04C11DB7);

static_assert(ccitt_table[1] == 0x1021 && ccitt_table[0x80] == 0x9188, "CRC-16 table");
static_assert(crc32_table[1] == 0x04C11DB7 && crc32_table[0xFF] == 0xB1F740B4, "CRC-32 table");

std::uint32_t Load_be(const std::uint8_t* p, unsigned octets) {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < octets; ++i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

std::uint16_t ccitt_16(std::uint16_t initial, const std::uint8_t* data, std::size_t length) {
    std::uint16_t r = initial;
    for (std::size_t i = 0; i < length; ++i) r = static_cast<std::uint16_t>(ccitt_table[(r >> 8) ^ data[i]] ^ (r << 8));
    return r;
}

std::uint32_t crc_32(std::uint32_t initial, const std::uint8_t* data, std::size_t length) {
    std::uint32_t r = initial;
    for (std::size_t i = 0; i < length; ++i) r = crc32_table[(r >> 24) ^ data[i]] ^ (r << 8);
    return r;
}

namespace P25 {

CRC_RESULTS Check_CRC(const P25_TSBK_DATA& block) {
    CRC_RESULTS result;
    result.header_crc_computed = static_cast<std::int16_t>(static_cast<std::uint16_t>(~ccitt_16(0, block.data, 10)));
    result.header_crc_sent = static_cast<std::int16_t>(Load_be(block.data + 10, 2));
    result.state = result.header_crc_sent == result.header_crc_computed ? CRC_VALID : HEADER_CRC_BAD;
    return result;
}

CRC_RESULTS Check_CRC(const P25_TSBK_DATA blocks[128], unsigned block_count) {
    CRC_RESULTS result = Check_CRC(blocks[0]);
    if (!result || block_count <= 1) return result;
    if (block_count >= 128) {
        std::fprintf(stderr, "%s %s block_count=%u\n", "System_interface", "Check_CRC", block_count);
        result.state = DATA_CRC_BAD;
        return result;
    }
    // The data blocks run from block 1 to the packet CRC itself, the last
    // four octets of the last block.
    const auto* data = reinterpret_cast<const std::uint8_t*>(blocks + 1);
    const std::uint32_t computed = crc_32(0, data, 12u * block_count - 16u);
    const std::uint32_t sent = Load_be(blocks[block_count - 1].data + 8, 4);
    result.data_crc_computed = static_cast<std::int32_t>(computed);
    result.data_crc_sent = static_cast<std::int32_t>(sent);
    if (static_cast<std::uint32_t>(~computed) != sent) result.state = DATA_CRC_BAD;
    return result;
}

}  // namespace P25
