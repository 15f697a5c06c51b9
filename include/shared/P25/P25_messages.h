// Trunking blocks and headers: the 12-octet block every trunking message is
// made of, the single-block TSBK header and the multi-block headers.
#ifndef TESSEL_P25_MESSAGES_H
#define TESSEL_P25_MESSAGES_H

#include <cstdint>

#include "shared/endian.h"

namespace P25 {

// One 12-octet trunking block, in air order.
struct P25_TSBK_DATA {
    std::uint8_t data[12];
};
static_assert(sizeof(P25_TSBK_DATA) == 12 && alignof(P25_TSBK_DATA) == 1, "a trunking block is 12 octets");

}  // namespace P25

#endif
