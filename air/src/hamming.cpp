// The Hamming codes (15,11,3) of the voice vectors and (10,6,3) of the
// link-control and encryption-sync hexbits, and the (16,8,5) shortened
// cyclic code of the low-speed data (g(x) = 0x139, corrects 2).
#include "tessel_air/codes.h"

namespace tessel_air {

namespace {

constexpr std::uint32_t hamming_15_rows[11] = {
    0x400F, 0x200E, 0x100D, 0x080C, 0x040B, 0x020A, 0x0109, 0x0087, 0x0046, 0x0025, 0x0013,
};
constexpr std::uint32_t hamming_10_rows[6] = {0x20E, 0x10D, 0x08B, 0x047, 0x023, 0x01C};
constexpr std::uint32_t cyclic_16_rows[8] = {0x804E, 0x4027, 0x208F, 0x10DB, 0x08F1, 0x04E4, 0x0272, 0x0139};

// Row r of the cyclic code is x^(15-r) reduced by g(x), with the data bit kept.
constexpr bool Cyclic_rows_agree() {
    for (int r = 0; r < 8; ++r) {
        std::uint32_t rem = 1u << (15 - r);
        for (int bit = 15; bit >= 8; --bit)
            if (rem & (1u << bit)) rem ^= 0x139u << (bit - 8);
        if (cyclic_16_rows[r] != ((1u << (15 - r)) | rem)) return false;
    }
    return true;
}
static_assert(Cyclic_rows_agree(), "low-speed data rows disagree with g(x)");

}  // namespace

const Block_code& Hamming_15_11() {
    static const Block_code code(15, 11, 1, hamming_15_rows);
    return code;
}
const Block_code& Hamming_10_6() {
    static const Block_code code(10, 6, 1, hamming_10_rows);
    return code;
}
const Block_code& Cyclic_16_8() {
    static const Block_code code(16, 8, 2, cyclic_16_rows);
    return code;
}

}  // namespace tessel_air
