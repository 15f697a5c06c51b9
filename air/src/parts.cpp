// The coded parts of voice frames: the voice header, the link-control and
// encryption-sync pieces of LDUs, the terminator's link control and the
// low-speed data.  Outer Reed-Solomon words over hexbits, each hexbit (or
// hexbit pair) in an inner binary code.
#include <bitset>

#include "layout.h"

namespace tessel_air {
namespace layout {

namespace {

int Bits_differing(const std::uint8_t* a, const std::uint8_t* b, int count) {
    int bits = 0;
    for (int i = 0; i < count; ++i) bits += static_cast<int>(std::bitset<8>(a[i] ^ b[i]).count());
    return bits;
}

// An outer RS word whose symbols came through an inner code: the inner
// failures the RS word then repairs count as corrected, not failed.
void Outer_decode(const Reed_solomon& rs, std::uint8_t* hexbits, int inner_failed, Fec_tally& tally) {
    std::uint8_t before[64];
    for (int i = 0; i < rs.N(); ++i) before[i] = hexbits[i];
    int symbols = 0;
    ++tally.codewords;
    if (rs.Decode(hexbits, symbols)) {
        if (symbols) ++tally.corrected_words;
        tally.bits_corrected += Bits_differing(before, hexbits, rs.N());
        tally.corrected_words += inner_failed;
    } else {
        tally.failed += 1 + inner_failed;
    }
}

// Decodes one inner word into tally; the data as received when it fails.
std::uint32_t Inner_decode(const Block_code& code, std::uint32_t word, Fec_tally& tally, int& failed) {
    std::uint32_t data = 0;
    int bits = 0;
    ++tally.codewords;
    tally.channel_bits += code.N();
    if (code.Decode(word, data, bits)) {
        if (bits) ++tally.corrected_words;
        tally.bits_corrected += bits;
    } else {
        ++failed;
    }
    return data;
}

// Hexbits, each in a (6-data-bit) inner code, then the outer RS word: both directions.
void Hexbit_words_encode(const Reed_solomon& rs, const Block_code& inner, const std::uint8_t* octets,
                         std::uint8_t* dibits) {
    std::uint8_t hexbits[64] = {};
    Octets_to_hexbits(octets, static_cast<std::size_t>(rs.K()) * 6 / 8, hexbits);
    rs.Encode(hexbits);
    Dibit_writer out(dibits);
    for (int i = 0; i < rs.N(); ++i) out.Put(inner.Encode(hexbits[i]), inner.N());
}

void Hexbit_words_decode(const Reed_solomon& rs, const Block_code& inner, const std::uint8_t* dibits,
                         std::uint8_t* octets, Fec_tally& tally) {
    std::uint8_t hexbits[64] = {};
    Dibit_reader in(dibits);
    int inner_failed = 0;
    for (int i = 0; i < rs.N(); ++i)
        hexbits[i] = static_cast<std::uint8_t>(Inner_decode(inner, static_cast<std::uint32_t>(in.Get(inner.N())), tally,
                                                            inner_failed));
    Outer_decode(rs, hexbits, inner_failed, tally);
    Hexbits_to_octets(hexbits, static_cast<std::size_t>(rs.K()) * 6 / 8, octets);
}

}  // namespace

void Octets_to_hexbits(const std::uint8_t* octets, std::size_t octet_count, std::uint8_t* hexbits) {
    for (std::size_t h = 0; h < octet_count * 8 / 6; ++h) {
        unsigned v = 0;
        for (std::size_t b = 6 * h; b < 6 * h + 6; ++b) v = (v << 1) | ((octets[b / 8] >> (7 - b % 8)) & 1u);
        hexbits[h] = static_cast<std::uint8_t>(v);
    }
}

void Hexbits_to_octets(const std::uint8_t* hexbits, std::size_t octet_count, std::uint8_t* octets) {
    for (std::size_t o = 0; o < octet_count; ++o) {
        unsigned v = 0;
        for (std::size_t b = 8 * o; b < 8 * o + 8; ++b) v = (v << 1) | ((hexbits[b / 6] >> (5 - b % 6)) & 1u);
        octets[o] = static_cast<std::uint8_t>(v);
    }
}

void Hdu_encode(const std::uint8_t* word15, std::uint8_t* dibits) {
    Hexbit_words_encode(Rs_36_20(), Golay_18_6(), word15, dibits);
}
void Hdu_decode(const std::uint8_t* dibits, std::uint8_t* word15, Fec_tally& tally) {
    Hexbit_words_decode(Rs_36_20(), Golay_18_6(), dibits, word15, tally);
}

void Lc_pieces_encode(const std::uint8_t* lc9, std::uint8_t* dibits120) {
    Hexbit_words_encode(Rs_24_12(), Hamming_10_6(), lc9, dibits120);
}
void Lc_pieces_decode(const std::uint8_t* dibits120, std::uint8_t* lc9, Fec_tally& tally) {
    Hexbit_words_decode(Rs_24_12(), Hamming_10_6(), dibits120, lc9, tally);
}

void Es_pieces_encode(const std::uint8_t* es12, std::uint8_t* dibits120) {
    Hexbit_words_encode(Rs_24_16(), Hamming_10_6(), es12, dibits120);
}
void Es_pieces_decode(const std::uint8_t* dibits120, std::uint8_t* es12, Fec_tally& tally) {
    Hexbit_words_decode(Rs_24_16(), Hamming_10_6(), dibits120, es12, tally);
}

// The terminator codes hexbit pairs, the first in the high six bits, with Golay(24,12).
void Tdulc_encode(const std::uint8_t* lc9, std::uint8_t* dibits144) {
    std::uint8_t hexbits[24] = {};
    Octets_to_hexbits(lc9, 9, hexbits);
    Rs_24_12().Encode(hexbits);
    Dibit_writer out(dibits144);
    for (int pair = 0; pair < 12; ++pair)
        out.Put(Golay_24_12().Encode(static_cast<std::uint32_t>(hexbits[2 * pair] << 6 | hexbits[2 * pair + 1])), 24);
}

void Tdulc_decode(const std::uint8_t* dibits144, std::uint8_t* lc9, Fec_tally& tally) {
    std::uint8_t hexbits[24] = {};
    Dibit_reader in(dibits144);
    int inner_failed = 0;
    for (int pair = 0; pair < 12; ++pair) {
        const std::uint32_t data =
            Inner_decode(Golay_24_12(), static_cast<std::uint32_t>(in.Get(24)), tally, inner_failed);
        hexbits[2 * pair] = static_cast<std::uint8_t>(data >> 6);
        hexbits[2 * pair + 1] = static_cast<std::uint8_t>(data & 0x3F);
    }
    Outer_decode(Rs_24_12(), hexbits, inner_failed, tally);
    Hexbits_to_octets(hexbits, 9, lc9);
}

void Lsd_encode(const std::uint8_t* lsd2, std::uint8_t* dibits16) {
    Dibit_writer out(dibits16);
    for (int i = 0; i < 2; ++i) out.Put(Cyclic_16_8().Encode(lsd2[i]), 16);
}

void Lsd_decode(const std::uint8_t* dibits16, std::uint8_t* lsd2, Fec_tally& tally) {
    Dibit_reader in(dibits16);
    int failed = 0;
    for (int i = 0; i < 2; ++i)
        lsd2[i] = static_cast<std::uint8_t>(Inner_decode(Cyclic_16_8(), static_cast<std::uint32_t>(in.Get(16)), tally, failed));
    tally.failed += failed;
}

}  // namespace layout
}  // namespace tessel_air
