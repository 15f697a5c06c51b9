// The two CRCs of P25 trunking blocks: the CRC-16 closing every TSBK and
// multi-block header block, and the packet CRC-32 over the data blocks of a
// multi-block message, in the last four octets of its last block.
#ifndef TESSEL_CRC_H
#define TESSEL_CRC_H

#include <cstddef>
#include <cstdint>

#include "shared/P25/P25_messages.h"

// CRC-16, generator 0x1021, most significant bit first, no reflection, no
// final XOR: the register after `length` octets, starting from `initial`.
// A block carries the complement of ccitt_16(0, octets 0-9).
std::uint16_t ccitt_16(std::uint16_t initial, const std::uint8_t* data, std::size_t length);

// CRC-32, generator 0x04C11DB7, most significant bit first, no reflection,
// no final XOR.  A packet carries the complement of crc_32(0, data blocks).
std::uint32_t crc_32(std::uint32_t initial, const std::uint8_t* data, std::size_t length);

namespace P25 {

enum CRC_STATES : std::int32_t {
    CRC_VALID = 1,
    DATA_CRC_BAD = -1,
    HEADER_CRC_BAD = -2,
};

// Outcome of a check.  The 32-bit pair stays 0 unless the packet CRC was
// checked (a message of 2 to 127 blocks with a good header CRC).
struct CRC_RESULTS {
    std::int16_t header_crc_sent = 0;      // octets 10-11 of block 0
    std::int16_t header_crc_computed = 0;  // complement of ccitt_16 over octets 0-9
    std::int32_t data_crc_sent = 0;        // last four octets of the message
    std::int32_t data_crc_computed = 0;    // crc_32 register over the data blocks, not complemented
    CRC_STATES state = CRC_VALID;

    explicit operator bool() const { return state == CRC_VALID; }
    bool operator!() const { return state != CRC_VALID; }
};
static_assert(sizeof(CRC_RESULTS) == 16 && offsetof(CRC_RESULTS, header_crc_sent) == 0 &&
                  offsetof(CRC_RESULTS, header_crc_computed) == 2 && offsetof(CRC_RESULTS, data_crc_sent) == 4 &&
                  offsetof(CRC_RESULTS, data_crc_computed) == 8 && offsetof(CRC_RESULTS, state) == 12,
              "CRC results");

// The CRC-16 of one block (a TSBK or a header block).
CRC_RESULTS Check_CRC(const P25_TSBK_DATA& block);
// A message of `block_count` blocks: the header CRC-16, then, for 2 to 127
// blocks, the packet CRC-32 over blocks 1 onward.  128 blocks or more print
// the block-count line on stderr and give DATA_CRC_BAD.
CRC_RESULTS Check_CRC(const P25_TSBK_DATA blocks[128], unsigned block_count);

}  // namespace P25

#endif
