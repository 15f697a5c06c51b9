// The CRCs of P25 trunking and data blocks, all computed most significant
// bit first without reflection, each register starting at 0 and each CRC
// sent inverted:
//   CRC-16, generator 0x1021: TSBKs and PDU header blocks (octets 0-9);
//   CRC-9, x^9 + x^6 + x^4 + x^3 + 1: a confirmed data block's serial
//     number (7 bits) and its 16 data octets;
//   CRC-32, generator 0x04C11DB7: a packet's data blocks.
// Header-only, for the library and the air library alike.
#ifndef TESSEL_P25_CRC_H
#define TESSEL_P25_CRC_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace P25 {

namespace crc_detail {

// table[i] is the register after the octet i from a zero register: the
// octet at the top of the register, divided by the generator bit by bit.
template <class Reg>
constexpr std::array<Reg, 256> Table(Reg generator) {
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

inline constexpr std::array<std::uint16_t, 256> crc16_table = Table<std::uint16_t>(0x1021);
inline constexpr std::array<std::uint32_t, 256> crc32_table = Table<std::uint32_t>(0x04C11DB7);
static_assert(crc16_table[1] == 0x1021 && crc16_table[0x80] == 0x9188, "CRC-16 table");
static_assert(crc32_table[1] == 0x04C11DB7 && crc32_table[0xFF] == 0xB1F740B4, "CRC-32 table");

template <class Reg>
constexpr Reg Run(const std::array<Reg, 256>& table, Reg reg, const std::uint8_t* octets, std::size_t count) {
    constexpr unsigned top = 8 * sizeof(Reg) - 8;
    for (std::size_t i = 0; i < count; ++i) reg = static_cast<Reg>(table[(reg >> top) ^ octets[i]] ^ (reg << 8));
    return reg;
}

}  // namespace crc_detail

// The CRC-16 register after `count` octets, starting from `reg`; a block
// carries its complement over octets 0-9.
constexpr std::uint16_t Crc16_register(std::uint16_t reg, const std::uint8_t* octets, std::size_t count) {
    return crc_detail::Run(crc_detail::crc16_table, reg, octets, count);
}

// The CRC-32 register after `count` octets, starting from `reg`; a packet
// carries its complement over the data blocks.
constexpr std::uint32_t Crc32_register(std::uint32_t reg, const std::uint8_t* octets, std::size_t count) {
    return crc_detail::Run(crc_detail::crc32_table, reg, octets, count);
}

// The CRC-9 register after the low `bits` bits of `value`, MSB first.
constexpr std::uint16_t Crc9_register(std::uint16_t reg, std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        const bool feedback = ((reg >> 8) & 1u) != ((value >> i) & 1u);
        reg = static_cast<std::uint16_t>((reg << 1) & 0x1FFu);
        if (feedback) reg ^= 0x059u;
    }
    return reg;
}

// The CRCs as sent.
constexpr std::uint16_t Crc16(const std::uint8_t* octets, std::size_t count) {
    return static_cast<std::uint16_t>(~Crc16_register(0, octets, count));
}
constexpr std::uint32_t Crc32(const std::uint8_t* octets, std::size_t count) {
    return ~Crc32_register(0, octets, count);
}
// A confirmed block's: its serial number (low 7 bits of dbsn), then its 16
// data octets.
constexpr std::uint16_t Crc9(std::uint8_t dbsn, const std::uint8_t* data16) {
    std::uint16_t reg = Crc9_register(0, dbsn & 0x7Fu, 7);
    for (int i = 0; i < 16; ++i) reg = Crc9_register(reg, data16[i], 8);
    return static_cast<std::uint16_t>(reg ^ 0x1FFu);
}

}  // namespace P25

#endif
