// The codes against published vectors, and their correction capacity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <sstream>
#include <tuple>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "vectors.h"

using namespace tessel_air;
using namespace air_vectors;

namespace {

// A binary word written MSB first, spaces ignored.
std::uint32_t Bits(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return static_cast<std::uint32_t>(std::stoul(s, nullptr, 2));
}

std::string Nid_text(unsigned nac, unsigned duid, int errors) {
    char s[32];
    std::snprintf(s, sizeof s, "%03X/%X/%d", nac, duid, errors);
    return s;
}

// A NID word decoded, as "NAC/DUID/errors", or "refused".
std::string Nid(std::uint64_t word, std::uint16_t likely_nac = 0) {
    std::uint16_t nac = 0;
    std::uint8_t duid = 0;
    int errors = -1;
    return Nid_decode(word, nac, duid, errors, likely_nac) ? Nid_text(nac, duid, errors) : "refused";
}

TEST(Nid, PublishedWordsAndElevenErrors) {
    struct Case { std::uint16_t nac; std::uint8_t duid; std::uint64_t word; };
    const Case cases[] = {
        {0x001, 0x0, 0x00103185B7E9E224}, {0x293, 0x0, 0x29300F3B5DF801C2}, {0x293, 0x3, 0x29333977728CED6E},
        {0x293, 0x5, 0x293555EF2C653437}, {0x293, 0x7, 0x2937F88514ABAECC}, {0x293, 0xA, 0x293ABA93BEC26A2B},
        {0x293, 0xC, 0x293CD60BE02BB372}, {0x293, 0xF, 0x293FE047CF5F5FDE}, {0xFF0, 0x0, 0xFF009310C2306868},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Nid_encode(c.nac, c.duid), c.word) << Nid_text(c.nac, c.duid, 0);
        EXPECT_EQ(Nid(c.word), Nid_text(c.nac, c.duid, 0));
    }
    // A codeword of a reserved DUID is 23 bits or more from every defined one.
    EXPECT_EQ(Nid(Nid_encode(0x293, 0x1)), "refused");
    // Every single flipped bit, then up to 11 anywhere, come back; the NAC
    // heard last does not mislead the search when the word says otherwise.
    std::mt19937 rng(19);
    const std::uint8_t duids[] = {0, 3, 5, 7, 0xA, 0xC, 0xF};
    for (int errors = 1; errors <= 11; ++errors)
        for (int trial = 0; trial < (errors == 1 ? 64 : 20); ++trial) {
            const std::uint16_t nac = errors == 1 ? 0x293 : rng() & 0xFFF;
            const std::uint8_t duid = errors == 1 ? 5 : duids[rng() % 7];
            std::vector<int> at(64);
            std::iota(at.begin(), at.end(), trial);
            if (errors > 1) std::shuffle(at.begin(), at.end(), rng);
            std::uint64_t word = Nid_encode(nac, duid);
            for (int i = 0; i < errors; ++i) word ^= std::uint64_t{1} << (at[i] % 64);
            EXPECT_EQ(Nid(word, 0x293), Nid_text(nac, duid, errors));
        }
}

TEST(BlockCodes, PublishedVectorsAndCapacity) {
    struct Case { const Block_code& code; const char* data; const char* word; };
    const Case cases[] = {
        {Golay_24_12(), "000000111111", "000000111111 001100101110"},
        {Golay_18_6(), "111111", "111111 001100101110"},
        {Golay_18_6(), "000111", "000111 101101000010"},
        {Golay_18_6(), "111000", "111000 100001101100"},
        {Golay_18_6(), "100001", "100001 111000100110"},
        {Golay_18_6(), "101010", "101010 001000110101"},
        {Hamming_10_6(), "101010", "101010 0110"},
        {Hamming_10_6(), "111111", "111111 0000"},
        {Hamming_15_11(), "10101010101", "10101010101 0101"},
        {Hamming_15_11(), "11111111111", "11111111111 1111"},
        {Cyclic_16_8(), "10101011", "1010101101111011"},  // 0xAB -> AB7B
    };
    for (const Case& c : cases) EXPECT_EQ(c.code.Encode(Bits(c.data)), Bits(c.word)) << c.word;
    // Clean words, every single error and a sample of the heavier patterns
    // within each code's capacity are corrected, on a sample of codewords;
    // four errors in the (24,12) code are detected rather than miscorrected.
    struct Capacity { const char* name; const Block_code& code; int t; };
    const Capacity capacities[] = {
        {"Golay(23,12)", Golay_23_12(), 3}, {"Golay(24,12)", Golay_24_12(), 3}, {"Golay(18,6)", Golay_18_6(), 3},
        {"Hamming(15,11)", Hamming_15_11(), 1}, {"Hamming(10,6)", Hamming_10_6(), 1}, {"cyclic(16,8)", Cyclic_16_8(), 2},
    };
    auto decode = [](const Block_code& code, std::uint32_t word) {
        std::uint32_t data = 0;
        int corrected = -1;
        const bool ok = code.Decode(word, data, corrected);
        return std::make_tuple(ok, data, corrected);
    };
    std::mt19937 rng(7);
    for (const Capacity& c : capacities) {
        const int n = c.code.N(), k = c.code.K();
        for (int sample = 0; sample < 24; ++sample) {
            const std::uint32_t data = rng() & ((1u << k) - 1);
            for (int weight = 0; weight <= c.t; ++weight)
                for (int trial = 0; trial < (weight == 0 ? 1 : weight == 1 ? n : 40); ++trial) {
                    std::uint32_t error = weight == 1 ? 1u << trial : 0;
                    while (static_cast<int>(__builtin_popcount(error)) < weight) error |= 1u << (rng() % n);
                    EXPECT_EQ(decode(c.code, c.code.Encode(data) ^ error), std::make_tuple(true, data, weight))
                        << c.name << " error " << std::hex << error;
                }
        }
    }
    EXPECT_FALSE(std::get<0>(decode(Golay_24_12(), Golay_24_12().Encode(0x5A5) ^ 0xF00000)));
}

// Hexbits written as octal pairs; other characters ignored.
std::vector<std::uint8_t> Octal_hexbits(const std::string& s) {
    std::vector<std::uint8_t> h;
    std::istringstream in(s);
    for (std::string w; in >> w;)
        if (w != "|") h.push_back(static_cast<std::uint8_t>(std::stoul(w, nullptr, 8)));
    return h;
}

// The published generators and codewords; every single-symbol error at every
// place with every value, then every error count up to the capacity at random
// places and values; one more than the capacity is refused (word untouched) or
// (rarely) lands on another codeword, never on the sent one.
TEST(ReedSolomon, PublishedCodewordsAndCorrection) {
    struct Case { const Reed_solomon& code; const char* generator; const char* octal; };
    const Case cases[] = {
        {Rs_24_12(), "01 71 05 55 03 71 34 60 11 74 02 41 50",
         "00 00 00 00 00 01 10 64 52 74 67 57 | 07 01 32 34 33 76 10 74 50 66 41 26"},
        {Rs_24_16(), "01 67 75 45 60 57 24 06 26", "00 01 04 42 14 64 21 25 31 47 36 10 40 00 00 00 | 54 54 40 30 41 54 64 25"},
        {Rs_36_20(), "01 34 35 02 23 21 27 22 33 64 42 05 73 51 46 73 60",
         "00 01 04 42 14 64 21 25 31 47 36 10 00 10 00 00 00 01 10 64 | 40 45 62 26 47 20 34 23 77 01 25 67 10 04 23 67"},
    };
    // The field's powers begin 01 02 04 10 20 40 03 and end 41.
    EXPECT_EQ(Gf64_exp(6), 003);
    EXPECT_EQ(Gf64_exp(62), 041);
    std::mt19937 rng(36);
    for (const Case& c : cases) {
        const int n = c.code.N(), t = (n - c.code.K()) / 2;
        EXPECT_EQ(c.code.Generator(), Octal_hexbits(c.generator)) << n;
        const auto expected = Octal_hexbits(c.octal);
        std::vector<std::uint8_t> word(expected.begin(), expected.begin() + c.code.K());
        word.resize(n);
        c.code.Encode(word.data());
        ASSERT_EQ(word, expected);
        for (int errors = 1; errors <= t + 1; ++errors)
            for (int trial = 0; trial < (errors == 1 ? 63 * n : 50); ++trial) {
                auto received = expected;
                std::vector<int> at(n);
                std::iota(at.begin(), at.end(), 0);
                std::shuffle(at.begin(), at.end(), rng);
                if (errors == 1) received[trial / 63] ^= static_cast<std::uint8_t>(1 + trial % 63);
                for (int e = 0; e < errors && errors > 1; ++e) received[at[e]] ^= std::uint8_t(1 + rng() % 63);
                const auto before = received;
                int corrected = 0;
                const bool ok = c.code.Decode(received.data(), corrected);
                if (errors <= t) {
                    ASSERT_TRUE(ok) << n << ": " << errors << " errors, trial " << trial;
                    ASSERT_EQ(received, expected);
                    EXPECT_EQ(corrected, errors);
                } else {
                    EXPECT_NE(received, expected);
                    EXPECT_TRUE(ok || received == before) << "a word refused was changed";
                }
            }
    }
}

TEST(Crc, PublishedValues) {
    for (const char* hex : {"3400E505C06401EE89907FA6", "02000191253101912531742F", "B9000230057D04057D042508"}) {
        const auto tsbk = Octets(hex);
        EXPECT_EQ(Crc16(tsbk.data(), 10), tsbk[10] << 8 | tsbk[11]) << hex;
    }
    const std::uint8_t one = 0x0A;
    EXPECT_EQ(Crc32(&one, 1), 0xD0752929u);
    // The 9-bit check: any single flipped data bit changes it.
    std::uint8_t data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::uint16_t crc = Crc9(0x15, data);
    EXPECT_LE(crc, 0x1FF);
    for (int bit = 0; bit < 128; ++bit) {
        data[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
        EXPECT_NE(Crc9(0x15, data), crc) << bit;
        data[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
    }
}

// A block through its trellis (12 octets at 1/2 rate, 18 at 3/4), as sent,
// and the coded dibits of a block as sent, before the interleave.
std::array<std::uint8_t, block_dibits> Trellis_encode(const std::vector<std::uint8_t>& block) {
    return block.size() == 12 ? Trellis_half_encode(block.data()) : Trellis_three_quarter_encode(block.data());
}
std::array<std::uint8_t, block_dibits> Deinterleaved(const std::array<std::uint8_t, block_dibits>& sent) {
    std::array<std::uint8_t, block_dibits> coded{};
    for (std::size_t j = 0; j < coded.size(); ++j) coded[Block_interleave()[j]] = sent[j];
    return coded;
}

// Published blocks, coded and interleaved: TSBKs at 1/2 rate, then a block at
// 3/4 rate.  Their decoding is the frames' round trip.
TEST(Trellis, PublishedVectors) {
    struct Case { const char* octets; const char* dibits; };
    const Case cases[] = {
        {"3400E505C06401EE89907FA6", "02023332033002032231301221330212021131021221130322230213300213021001322013320200000232301213022031"},
        {"02000191253101912531742F", "02210231323232313232000211020202130133021301330301020202321311023213112310010230300030303000303220"},
        {"B9000230057D04057D042508", "01320221020032020032023202100202330203020203020102120202113020303020301301130201020023320023320021"},
        {"00112233445566778899AABBCCDDEEFF1021", "02321103113113002233013232021323112122122210012002022212132320103021011313310302002132333110332000"},
    };
    for (const Case& c : cases) {
        const auto coded = Trellis_encode(Octets(c.octets));
        EXPECT_EQ(std::vector<std::uint8_t>(coded.begin(), coded.end()), Digits(c.dibits)) << c.octets;
    }
    // Published before the interleave: 00 FF 00 FF ... at both rates, the
    // first dibits the trellis gives (one digit a dibit).
    const Case before[] = {
        {"00FF00FF00FF00FF00FF00FF", "0202020233202020"},
        {"00FF00FF00FF00FF00FF00FF00FF00FF00FF", "02023131203233"},
    };
    for (const Case& c : before) {
        const auto coded = Deinterleaved(Trellis_encode(Octets(c.octets)));
        const std::vector<std::uint8_t> expected = Digits(c.dibits);
        EXPECT_EQ(std::vector<std::uint8_t>(coded.begin(), coded.begin() + long(expected.size())), expected) << c.octets;
    }
}

// Every transition of both trellises against the published tables: a block
// whose first inputs are s, x shows point T[s][x] at its second step, as its
// published dibit pair (a nibble, the first dibit high).
TEST(Trellis, EveryTransitionAsPublished) {
    static const int half[4][4] = {{0, 15, 12, 3}, {4, 11, 8, 7}, {13, 2, 1, 14}, {9, 6, 5, 10}};
    static const int three_quarter[8][8] = {
        {0, 8, 4, 12, 2, 10, 6, 14}, {4, 12, 2, 10, 6, 14, 0, 8}, {1, 9, 5, 13, 3, 11, 7, 15},
        {5, 13, 3, 11, 7, 15, 1, 9}, {3, 11, 7, 15, 1, 9, 5, 13}, {7, 15, 1, 9, 5, 13, 3, 11},
        {2, 10, 6, 14, 0, 8, 4, 12}, {6, 14, 0, 8, 4, 12, 2, 10},
    };
    static const unsigned nibble[16] = {0x2, 0xA, 0x7, 0xF, 0xE, 0x6, 0xB, 0x3, 0xD, 0x5, 0x8, 0x0, 0x1, 0x9, 0x4, 0xC};
    const auto second_point = [](const std::array<std::uint8_t, block_dibits>& sent) {
        const auto coded = Deinterleaved(sent);
        return unsigned(coded[2] << 2 | coded[3]);
    };
    for (int state = 0; state < 8; ++state)
        for (int x = 0; x < 8; ++x) {
            std::array<std::uint8_t, 18> block{};
            block[0] = std::uint8_t(state << 5 | x << 2);  // tribits 0 and 1
            EXPECT_EQ(second_point(Trellis_three_quarter_encode(block.data())), nibble[three_quarter[state][x]])
                << "3/4 rate, state " << state << ", input " << x;
            if (state >= 4 || x >= 4) continue;
            block[0] = std::uint8_t(state << 6 | x << 4);  // dibits 0 and 1
            EXPECT_EQ(second_point(Trellis_half_encode(block.data())), nibble[half[state][x]])
                << "1/2 rate, state " << state << ", input " << x;
        }
}

// A wrong placement or scrambler shows in the published voice codeword.
TEST(Voice, PublishedCodeword) {
    const std::array<std::uint32_t, 8> u = {0x123, 0x456, 0x789, 0xABC, 0x2AA, 0x555, 0x1F0, 0x05A};
    const std::array<std::uint32_t, 8> masks = {0, 0x5F2CC1, 0x23E89F, 0x14A452, 0x0059BC, 0x0030E2, 0x00637D, 0};
    const std::array<std::uint32_t, 8> c = {0x091856, 0x7D9977, 0x1FA497, 0x41454C, 0x007316, 0x0065B7, 0x007C74, 0x00005A};
    EXPECT_EQ(Imbe_pn_masks(u[0]), masks);
    // The PN scrambling bits of seed 0xABC begin 001101001100011.
    EXPECT_EQ(Imbe_pn_masks(0xABC)[1] >> 8, 0x1A63u);
    EXPECT_EQ(Imbe_encode(u).c, c);
    std::uint8_t dibits[72];
    Imbe_place(c.data(), dibits);
    EXPECT_EQ(std::vector<std::uint8_t>(dibits, dibits + 72),
              Digits("121213123332021232303010002221321123003230001201330223222212333331011101"));
    std::array<std::uint32_t, 8> back{};
    Imbe_gather(dibits, back.data());
    EXPECT_EQ(back, c);
    int corrected = -1, failed = -1;
    Imbe_check(back.data(), corrected, failed);
    EXPECT_EQ(std::make_pair(corrected, failed), std::make_pair(0, 0));
    back[2] ^= 0x400;  // one bit in a scrambled Golay vector
    back[5] ^= 0x1;    // one in a Hamming vector
    Imbe_check(back.data(), corrected, failed);
    EXPECT_EQ(std::make_pair(corrected, failed), std::make_pair(2, 0));
}

}  // namespace
