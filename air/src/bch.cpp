// The NID code: BCH(63,16,23) over NAC (12 bits) and DUID (4 bits), and a
// 64th bit, the parity of the DUID's last two bits.
#include <bitset>
#include <vector>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"

namespace tessel_air {

namespace {

// Row r: the 47 parity bits and the 64th bit of info bit r alone (r = 0 the NAC MSB).
constexpr std::uint64_t nid_rows[16] = {
    0xCD930BDD3B2A, 0xAB5A8E33A6BE, 0x983E4CC4E874, 0x4C1F2662743A,
    0xEB9C98EC0136, 0xB85D47AB3BB0, 0x5C2EA3D59DD8, 0x2E1751EACEEC,
    0x170BA8F56776, 0xC616DFA78890, 0x630B6FD3C448, 0x3185B7E9E224,
    0x18C2DBF4F112, 0xC1F2662743A2, 0xAD6A38CE9AFB, 0x9B2617BA7657,
};

// g(x) of degree 47.
constexpr std::uint64_t nid_generator = 0xCD930BDD3B2B;

// Each row's parity is x^(62-r) mod g(x), and its 64th bit is set only for
// the two last DUID bits.
constexpr bool Rows_follow_generator() {
    for (int r = 0; r < 16; ++r) {
        std::uint64_t rem = std::uint64_t{1} << (62 - r);
        for (int bit = 62; bit >= 47; --bit)
            if (rem & (std::uint64_t{1} << bit)) rem ^= nid_generator << (bit - 47);
        const std::uint64_t extra = (r >= 14) ? 1 : 0;
        if (nid_rows[r] != ((rem << 1) | extra)) return false;
    }
    return true;
}
static_assert(Rows_follow_generator(), "NID generator rows disagree with g(x)");

constexpr Duid defined_duids[] = {Duid::HDU, Duid::TDU, Duid::LDU1, Duid::TSDU, Duid::LDU2, Duid::PDU, Duid::TDULC};

int Distance(std::uint64_t a, std::uint64_t b) { return static_cast<int>(std::bitset<64>(a ^ b).count()); }

}  // namespace

std::uint64_t Nid_encode(std::uint16_t nac, std::uint8_t duid) {
    const std::uint32_t info = ((nac & 0xFFFu) << 4) | (duid & 0xFu);
    std::uint64_t word = std::uint64_t{info} << 48;
    for (int r = 0; r < 16; ++r)
        if ((info >> (15 - r)) & 1u) word ^= nid_rows[r];
    return word;
}

bool Nid_decode(std::uint64_t word, std::uint16_t& nac, std::uint8_t& duid, int& errors, std::uint16_t likely_nac) {
    constexpr int capacity = 11;
    // The code is linear: a NID is the word of its NAC XOR the word of its DUID.
    static const std::vector<std::uint64_t> nac_words = [] {
        std::vector<std::uint64_t> words(0x1000);
        for (std::uint16_t n = 0; n < 0x1000; ++n) words[n] = Nid_encode(n, 0);
        return words;
    }();
    // A codeword within 11 bits is the only one that close (distance 23), so
    // the first found is the answer: the NAC as received, the NAC last heard,
    // then every NAC.
    auto try_nac = [&](std::uint16_t candidate) {
        for (std::uint8_t d : defined_duids) {
            const int distance = Distance(word, nac_words[candidate] ^ Nid_encode(0, d));
            if (distance <= capacity) {
                nac = candidate;
                duid = d;
                errors = distance;
                return true;
            }
        }
        return false;
    };
    const auto heard = static_cast<std::uint16_t>(word >> 52);
    if (try_nac(heard) || try_nac(likely_nac & 0xFFFu)) return true;
    for (std::uint16_t candidate = 0; candidate < 0x1000; ++candidate)
        if (try_nac(candidate)) return true;
    return false;
}

}  // namespace tessel_air
