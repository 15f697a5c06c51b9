// The Golay codes: (23,12,7) cyclic with g(x) = 0xC75, (24,12,8) the same
// with an even overall-parity bit, and (18,6,8) the (24,12) code with its
// first six data bits fixed at zero and not sent.  All correct 3 errors.
#include "tessel_air/codes.h"

namespace tessel_air {

namespace {

constexpr std::uint32_t golay_23_rows[12] = {
    0x40063A, 0x20031D, 0x1007B4, 0x0803DA, 0x0401ED, 0x0206CC,
    0x010366, 0x0081B3, 0x0046E3, 0x00254B, 0x00149F, 0x000C75,
};
constexpr std::uint32_t golay_24_rows[12] = {
    0x800C75, 0x40063B, 0x200F68, 0x1007B4, 0x0803DA, 0x040D99,
    0x0206CD, 0x010367, 0x008DC6, 0x004A97, 0x00293E, 0x0018EB,
};
constexpr std::uint32_t golay_18_rows[6] = {0x206CD, 0x10367, 0x08DC6, 0x04A97, 0x0293E, 0x018EB};

// The (24,12) rows are the (23,12) rows with the parity bit appended, and the
// (18,6) rows are the last six (24,12) rows.
constexpr bool Rows_agree() {
    for (int r = 0; r < 12; ++r) {
        std::uint32_t w = golay_23_rows[r], ones = 0;
        for (std::uint32_t v = w; v; v >>= 1) ones += v & 1u;
        if (golay_24_rows[r] != ((w << 1) | (ones & 1u))) return false;
    }
    for (int r = 0; r < 6; ++r)
        if (golay_18_rows[r] != (golay_24_rows[6 + r] & 0x3FFFF)) return false;
    return true;
}
static_assert(Rows_agree(), "Golay generator rows disagree");

}  // namespace

const Block_code& Golay_23_12() {
    static const Block_code code(23, 12, 3, golay_23_rows);
    return code;
}
const Block_code& Golay_24_12() {
    static const Block_code code(24, 12, 3, golay_24_rows);
    return code;
}
const Block_code& Golay_18_6() {
    static const Block_code code(18, 6, 3, golay_18_rows);
    return code;
}

}  // namespace tessel_air
