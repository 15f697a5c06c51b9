// The CRCs of trunking and data blocks, all computed MSB first with no
// reflection: CRC-16 (0x1021) of TSBKs and PDU headers, CRC-9 (x^9 + x^6 +
// x^4 + x^3 + 1) of confirmed data blocks and CRC-32 (0x04C11DB7) of
// packets; each starts at 0 and is sent inverted.
#include "tessel_air/codes.h"

namespace tessel_air {

namespace {

// Shifts `bits` message bits (MSB first) through a `width`-bit register.
std::uint32_t Shift(std::uint32_t crc, std::uint32_t value, int bits, int width, std::uint32_t poly) {
    const std::uint32_t top = 1u << (width - 1);
    const std::uint32_t mask = width == 32 ? ~0u : (1u << width) - 1;
    for (int i = bits - 1; i >= 0; --i) {
        const bool feedback = ((crc & top) != 0) != (((value >> i) & 1u) != 0);
        crc = (crc << 1) & mask;
        if (feedback) crc ^= poly;
    }
    return crc;
}

}  // namespace

std::uint16_t Crc16(const std::uint8_t* octets, std::size_t count) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) crc = Shift(crc, octets[i], 8, 16, 0x1021);
    return static_cast<std::uint16_t>(crc ^ 0xFFFF);
}

std::uint16_t Crc9(std::uint8_t dbsn, const std::uint8_t* data16) {
    std::uint32_t crc = Shift(0, dbsn & 0x7Fu, 7, 9, 0x059);
    for (int i = 0; i < 16; ++i) crc = Shift(crc, data16[i], 8, 9, 0x059);
    return static_cast<std::uint16_t>(crc ^ 0x1FF);
}

std::uint32_t Crc32(const std::uint8_t* octets, std::size_t count) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) crc = Shift(crc, octets[i], 8, 32, 0x04C11DB7);
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace tessel_air
