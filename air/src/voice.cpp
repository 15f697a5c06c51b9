// IMBE voice codewords: their placement on 72 dibits, their scrambling, and
// a check of their Golay and Hamming protection.  The voice itself is carried
// as it is; nothing here decodes speech.
#include "tessel_air/codes.h"
#include "tessel_air/frames.h"

namespace tessel_air {

namespace {

constexpr int vector_bits[8] = {23, 23, 23, 23, 15, 15, 15, 7};
constexpr int parameter_bits[8] = {12, 12, 12, 12, 11, 11, 11, 7};

// Each vector is read in one or two zig-zag runs: from a start dibit and bit
// (hi or lo), 3 dibits further for each bit, alternating hi and lo.
struct Run {
    std::uint8_t dibit;
    bool hi;
    std::uint8_t count;
};
struct Vector_runs {
    Run first, second;
};
constexpr Vector_runs runs[8] = {
    {{0, true, 23}, {0, false, 0}},    // c0
    {{69, false, 1}, {0, false, 22}},  // c1
    {{66, false, 2}, {1, true, 21}},   // c2
    {{64, false, 3}, {1, false, 20}},  // c3
    {{61, false, 4}, {2, true, 11}},   // c4
    {{35, false, 13}, {2, false, 2}},  // c5
    {{8, false, 15}, {0, false, 0}},   // c6
    {{53, true, 7}, {0, false, 0}},    // c7
};

// Bit position (2 * dibit + 0 for hi, 1 for lo) of every vector bit, in vector order.
struct Placement {
    std::uint8_t at[8][23]{};
    constexpr Placement() {
        for (int v = 0; v < 8; ++v) {
            int k = 0;
            for (const Run& run : {runs[v].first, runs[v].second}) {
                int dibit = run.dibit;
                bool hi = run.hi;
                for (int i = 0; i < run.count; ++i, ++k) {
                    at[v][k] = static_cast<std::uint8_t>(2 * dibit + (hi ? 0 : 1));
                    dibit += 3;
                    hi = !hi;
                }
            }
        }
    }
};
constexpr Placement placement;

constexpr bool Runs_cover_every_bit() {
    bool used[144] = {};
    for (int v = 0; v < 8; ++v) {
        if (runs[v].first.count + runs[v].second.count != vector_bits[v]) return false;
        for (int k = 0; k < vector_bits[v]; ++k) {
            const int bit = placement.at[v][k];
            if (bit >= 144 || used[bit]) return false;
            used[bit] = true;
        }
    }
    return true;
}
static_assert(Runs_cover_every_bit(), "voice placement runs must cover the 144 bits once each");

const Block_code& Vector_code(int v) { return v < 4 ? Golay_23_12() : Hamming_15_11(); }

}  // namespace

std::array<std::uint32_t, 8> Imbe_pn_masks(std::uint32_t u0) {
    std::array<std::uint32_t, 8> masks{};
    std::uint32_t p = 16 * (u0 & 0xFFFu);
    for (int v = 1; v <= 6; ++v)
        for (int k = 0; k < vector_bits[v]; ++k) {
            p = (173 * p + 13849) & 0xFFFF;
            masks[v] = (masks[v] << 1) | (p >> 15);
        }
    return masks;
}

void Imbe_place(const std::uint32_t* c, std::uint8_t* dibits72) {
    for (std::size_t d = 0; d < voice_dibits; ++d) dibits72[d] = 0;
    for (int v = 0; v < 8; ++v)
        for (int k = 0; k < vector_bits[v]; ++k)
            if ((c[v] >> (vector_bits[v] - 1 - k)) & 1u) {
                const int bit = placement.at[v][k];
                dibits72[bit / 2] |= static_cast<std::uint8_t>(bit % 2 ? 1 : 2);
            }
}

void Imbe_gather(const std::uint8_t* dibits72, std::uint32_t* c) {
    for (int v = 0; v < 8; ++v) {
        std::uint32_t value = 0;
        for (int k = 0; k < vector_bits[v]; ++k) {
            const int bit = placement.at[v][k];
            value = (value << 1) | ((dibits72[bit / 2] >> (bit % 2 ? 0 : 1)) & 1u);
        }
        c[v] = value;
    }
}

void Imbe_check(const std::uint32_t* c, int& corrected, int& failed) {
    corrected = failed = 0;
    std::uint32_t u0 = 0;
    int bits = 0;
    if (!Golay_23_12().Decode(c[0], u0, bits)) ++failed;
    corrected += bits;
    const auto masks = Imbe_pn_masks(u0);
    for (int v = 1; v <= 6; ++v) {
        std::uint32_t data = 0;
        if (!Vector_code(v).Decode(c[v] ^ masks[v], data, bits)) ++failed;
        corrected += bits;
    }
}

Imbe_codeword Imbe_encode(const std::array<std::uint32_t, 8>& u) {
    Imbe_codeword word;
    for (int v = 0; v < 8; ++v) {
        const std::uint32_t param = u[v] & ((1u << parameter_bits[v]) - 1);
        word.c[v] = v < 7 ? Vector_code(v).Encode(param) : param;
    }
    const auto masks = Imbe_pn_masks(u[0]);
    for (int v = 1; v <= 6; ++v) word.c[v] ^= masks[v];
    return word;
}

const Imbe_codeword& Imbe_silence() {
    static const Imbe_codeword silence = Imbe_encode({});
    return silence;
}

Ldu_voice::Ldu_voice() { vc.fill(Imbe_silence()); }

}  // namespace tessel_air
