// The checks of one trunking block and of a whole multi-block message; the
// CRCs themselves are those of shared/P25/P25_crc.h.
#include "crc.h"

#include <cstdio>

#include "shared/P25/P25_crc.h"

namespace {

std::uint32_t Load_be(const std::uint8_t* p, unsigned octets) {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < octets; ++i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

std::uint16_t ccitt_16(std::uint16_t initial, const std::uint8_t* data, std::size_t length) {
    return P25::Crc16_register(initial, data, length);
}

std::uint32_t crc_32(std::uint32_t initial, const std::uint8_t* data, std::size_t length) {
    return P25::Crc32_register(initial, data, length);
}

namespace P25 {

CRC_RESULTS Check_CRC(const P25_TSBK_DATA& block) {
    CRC_RESULTS result;
    result.header_crc_computed = static_cast<std::int16_t>(Crc16(block.data, 10));
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
    const std::uint32_t computed = Crc32_register(0, data, 12u * block_count - 16u);
    const std::uint32_t sent = Load_be(blocks[block_count - 1].data + 8, 4);
    result.data_crc_computed = static_cast<std::int32_t>(computed);
    result.data_crc_sent = static_cast<std::int32_t>(sent);
    if (static_cast<std::uint32_t>(~computed) != sent) result.state = DATA_CRC_BAD;
    return result;
}

}  // namespace P25
