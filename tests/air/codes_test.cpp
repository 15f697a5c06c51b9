// The codes against published vectors, and their correction capacity.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"

using namespace tessel_air;

namespace {

std::uint32_t Bits(const std::string& s) {
    std::uint32_t v = 0;
    for (char c : s)
        if (c == '0' || c == '1') v = (v << 1) | static_cast<std::uint32_t>(c - '0');
    return v;
}

std::vector<std::uint8_t> Digits(const std::string& s) {
    std::vector<std::uint8_t> d;
    for (char c : s)
        if (c >= '0' && c <= '3') d.push_back(static_cast<std::uint8_t>(c - '0'));
    return d;
}

// Dibits written as bit pairs: "00 10 11" -> 0 2 3.
std::vector<std::uint8_t> Bit_pairs(const std::string& s) {
    std::vector<std::uint8_t> d;
    for (std::size_t i = 0; i + 1 < s.size(); i += 3) d.push_back(static_cast<std::uint8_t>((s[i] - '0') * 2 + (s[i + 1] - '0')));
    return d;
}

std::vector<std::uint8_t> Octets(const std::string& hex) {
    std::vector<std::uint8_t> o;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) o.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return o;
}

std::vector<float> Levels(const std::vector<std::uint8_t>& dibits) {
    static const float level[4] = {1, 3, -1, -3};
    std::vector<float> s;
    for (auto d : dibits) s.push_back(level[d]);
    return s;
}

TEST(Nid, PublishedWords) {
    struct Case { std::uint16_t nac; std::uint8_t duid; std::uint64_t nid; };
    const Case cases[] = {
        {0x001, 0x0, 0x00103185B7E9E224}, {0x293, 0x0, 0x29300F3B5DF801C2}, {0x293, 0x3, 0x29333977728CED6E},
        {0x293, 0x5, 0x293555EF2C653437}, {0x293, 0x7, 0x2937F88514ABAECC}, {0x293, 0xA, 0x293ABA93BEC26A2B},
        {0x293, 0xC, 0x293CD60BE02BB372}, {0x293, 0xF, 0x293FE047CF5F5FDE}, {0xFF0, 0x0, 0xFF009310C2306868},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Nid_encode(c.nac, c.duid), c.nid) << std::hex << c.nac << "/" << int(c.duid);
        std::uint16_t nac = 0;
        std::uint8_t duid = 0;
        int errors = -1;
        ASSERT_TRUE(Nid_decode(c.nid, nac, duid, errors));
        EXPECT_EQ(nac, c.nac);
        EXPECT_EQ(duid, c.duid);
        EXPECT_EQ(errors, 0);
    }
}

TEST(Nid, EverySingleBitError) {
    const std::uint64_t word = Nid_encode(0x293, 0x5);
    for (int bit = 0; bit < 64; ++bit) {
        std::uint16_t nac = 0;
        std::uint8_t duid = 0;
        int errors = 0;
        ASSERT_TRUE(Nid_decode(word ^ (std::uint64_t{1} << bit), nac, duid, errors));
        EXPECT_EQ(nac, 0x293);
        EXPECT_EQ(duid, 0x5);
        EXPECT_EQ(errors, 1);
    }
}

// Up to 11 flipped bits anywhere come back; the NAC heard last does not
// mislead the search when the word says otherwise.
TEST(Nid, CorrectsElevenErrors) {
    std::mt19937 rng(19);
    for (int errors = 1; errors <= 11; ++errors)
        for (int trial = 0; trial < 20; ++trial) {
            const std::uint16_t nac = rng() & 0xFFF;
            const std::uint8_t duids[] = {0, 3, 5, 7, 0xA, 0xC, 0xF};
            const std::uint8_t duid = duids[rng() % 7];
            std::uint64_t word = Nid_encode(nac, duid);
            std::vector<int> positions(64);
            for (int i = 0; i < 64; ++i) positions[i] = i;
            std::shuffle(positions.begin(), positions.end(), rng);
            for (int i = 0; i < errors; ++i) word ^= std::uint64_t{1} << positions[i];
            std::uint16_t got_nac = 0;
            std::uint8_t got_duid = 0;
            int got_errors = 0;
            ASSERT_TRUE(Nid_decode(word, got_nac, got_duid, got_errors, 0x293));
            EXPECT_EQ(got_nac, nac);
            EXPECT_EQ(got_duid, duid);
            EXPECT_EQ(got_errors, errors);
        }
}

TEST(BlockCodes, PublishedVectors) {
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
    for (const Case& c : cases) {
        EXPECT_EQ(c.code.Encode(Bits(c.data)), Bits(c.word)) << c.word;
        std::uint32_t data = 0;
        int corrected = -1;
        EXPECT_TRUE(c.code.Decode(Bits(c.word), data, corrected));
        EXPECT_EQ(data, Bits(c.data));
        EXPECT_EQ(corrected, 0);
    }
}

// Every single error and a sample of the heavier patterns within each code's
// capacity are corrected, on a sample of codewords; four errors in the
// (24,12) code are detected rather than miscorrected.
TEST(BlockCodes, CorrectEveryPatternWithinCapacity) {
    struct Case { const char* name; const Block_code& code; int t; };
    const Case cases[] = {
        {"Golay(23,12)", Golay_23_12(), 3}, {"Golay(24,12)", Golay_24_12(), 3}, {"Golay(18,6)", Golay_18_6(), 3},
        {"Hamming(15,11)", Hamming_15_11(), 1}, {"Hamming(10,6)", Hamming_10_6(), 1}, {"cyclic(16,8)", Cyclic_16_8(), 2},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        const int n = c.code.N(), k = c.code.K();
        for (int sample = 0; sample < 24; ++sample) {
            const std::uint32_t data = rng() & ((1u << k) - 1);
            const std::uint32_t word = c.code.Encode(data);
            for (int weight = 1; weight <= c.t; ++weight)
                for (int trial = 0; trial < (weight == 1 ? n : 40); ++trial) {
                    std::uint32_t error = 0;
                    if (weight == 1) error = 1u << trial;
                    while (static_cast<int>(__builtin_popcount(error)) < weight) error |= 1u << (rng() % n);
                    std::uint32_t got = 0;
                    int corrected = 0;
                    ASSERT_TRUE(c.code.Decode(word ^ error, got, corrected)) << c.name;
                    EXPECT_EQ(got, data) << c.name << " error " << std::hex << error;
                    EXPECT_EQ(corrected, weight) << c.name;
                }
        }
    }
    std::uint32_t data = 0;
    int corrected = 0;
    EXPECT_FALSE(Golay_24_12().Decode(Golay_24_12().Encode(0x5A5) ^ 0xF00000, data, corrected));
}

TEST(ReedSolomon, GeneratorsAsPublished) {
    struct Case { const Reed_solomon& code; std::vector<int> octal; };
    const Case cases[] = {
        {Rs_24_12(), {001, 071, 005, 055, 003, 071, 034, 060, 011, 074, 002, 041, 050}},
        {Rs_24_16(), {001, 067, 075, 045, 060, 057, 024, 006, 026}},
        {Rs_36_20(), {001, 034, 035, 002, 023, 021, 027, 022, 033, 064, 042, 005, 073, 051, 046, 073, 060}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.code.Generator().size(), c.octal.size());
        for (std::size_t i = 0; i < c.octal.size(); ++i) EXPECT_EQ(c.code.Generator()[i], c.octal[i]) << i;
    }
    // The field's powers begin 01 02 04 10 20 40 03 and end 41.
    EXPECT_EQ(Gf64_exp(6), 003);
    EXPECT_EQ(Gf64_exp(62), 041);
}

std::vector<std::uint8_t> Octal_hexbits(const std::string& s) {
    std::vector<std::uint8_t> h;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] >= '0' && s[i] <= '7') {
            h.push_back(static_cast<std::uint8_t>((s[i] - '0') * 8 + (s[i + 1] - '0')));
            i += 2;
        } else {
            ++i;
        }
    }
    return h;
}

// The published codewords, then every error count up to the capacity at random
// places and values; one more than the capacity is refused or (rarely) lands
// on another codeword, never corrupts the word silently while claiming success
// at the sent one.
TEST(ReedSolomon, CodewordsAndCorrection) {
    struct Case { const Reed_solomon& code; const char* octal; };
    const Case cases[] = {
        {Rs_24_12(), "00 00 00 00 00 01 10 64 52 74 67 57 | 07 01 32 34 33 76 10 74 50 66 41 26"},
        {Rs_24_16(), "00 01 04 42 14 64 21 25 31 47 36 10 40 00 00 00 | 54 54 40 30 41 54 64 25"},
        {Rs_36_20(), "00 01 04 42 14 64 21 25 31 47 36 10 00 10 00 00 00 01 10 64 | "
                     "40 45 62 26 47 20 34 23 77 01 25 67 10 04 23 67"},
    };
    std::mt19937 rng(36);
    for (const Case& c : cases) {
        const auto expected = Octal_hexbits(c.octal);
        std::vector<std::uint8_t> word(expected.begin(), expected.begin() + c.code.K());
        word.resize(c.code.N());
        c.code.Encode(word.data());
        ASSERT_EQ(word, expected);
        const int t = (c.code.N() - c.code.K()) / 2;
        for (int errors = 1; errors <= t + 1; ++errors)
            for (int trial = 0; trial < 50; ++trial) {
                auto received = expected;
                std::vector<int> at(c.code.N());
                for (int i = 0; i < c.code.N(); ++i) at[i] = i;
                std::shuffle(at.begin(), at.end(), rng);
                for (int e = 0; e < errors; ++e) received[at[e]] ^= static_cast<std::uint8_t>(1 + rng() % 63);
                int corrected = 0;
                const bool ok = c.code.Decode(received.data(), corrected);
                if (errors <= t) {
                    ASSERT_TRUE(ok) << errors;
                    EXPECT_EQ(received, expected);
                    EXPECT_EQ(corrected, errors);
                } else if (ok) {
                    EXPECT_NE(received, expected);
                }
            }
    }
}

// Every single-symbol error, at every position with every value, on each code.
TEST(ReedSolomon, EverySingleError) {
    for (const Reed_solomon* code : {&Rs_24_12(), &Rs_24_16(), &Rs_36_20()}) {
        std::vector<std::uint8_t> word(code->N());
        for (int i = 0; i < code->K(); ++i) word[i] = static_cast<std::uint8_t>((7 * i + 3) & 0x3F);
        code->Encode(word.data());
        for (int at = 0; at < code->N(); ++at)
            for (std::uint8_t e = 1; e < 64; ++e) {
                auto received = word;
                received[at] ^= e;
                int corrected = 0;
                ASSERT_TRUE(code->Decode(received.data(), corrected)) << code->N() << " at " << at;
                ASSERT_EQ(received, word);
                ASSERT_EQ(corrected, 1);
            }
    }
}

TEST(Crc, PublishedValues) {
    const auto tsbk = Octets("3400E505C06401EE8990");
    EXPECT_EQ(Crc16(tsbk.data(), tsbk.size()), 0x7FA6);
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

TEST(Trellis, PublishedVectors) {
    std::vector<std::uint8_t> octets;
    for (int i = 0; i < 18; ++i) octets.push_back(i % 2 ? 0xFF : 0x00);
    // Before the interleave: coded pair p sits at on-air pair k with ORDER[k] = p.
    const auto& order = Block_interleave();
    auto deinterleave = [&](const std::array<std::uint8_t, block_dibits>& on_air) {
        std::vector<std::uint8_t> coded(block_dibits);
        for (std::size_t j = 0; j < block_dibits; ++j) coded[order[j]] = on_air[j];
        return coded;
    };
    const auto half = deinterleave(Trellis_half_encode(octets.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(half.begin(), half.begin() + 16), Bit_pairs("00 10 00 10 00 10 00 10 11 11 10 00 10 00 10 00"));
    const auto three = deinterleave(Trellis_three_quarter_encode(octets.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(three.begin(), three.begin() + 14), Bit_pairs("00 10 00 10 11 01 11 01 10 00 11 10 11 11"));

    const auto block = Octets("00112233445566778899AABBCCDDEEFF1021");
    const auto coded = Trellis_three_quarter_encode(block.data());
    EXPECT_EQ(std::vector<std::uint8_t>(coded.begin(), coded.end()),
              Digits("02321103113113002233013232021323112122122210012002022212132320103021011313310302002132333110332000"));
    std::uint8_t back[18];
    const auto levels = Levels(Digits("02321103113113002233013232021323112122122210012002022212132320103021011313310302002132333110332000"));
    const auto result = Trellis_three_quarter_decode(levels.data(), back);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.bits_corrected, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 18), block);
}

TEST(Trellis, TsbkBlocks) {
    struct Case { const char* octets; const char* dibits; };
    const Case cases[] = {
        {"3400E505C06401EE89907FA6", "02023332033002032231301221330212021131021221130322230213300213021001322013320200000232301213022031"},
        {"02000191253101912531742F", "02210231323232313232000211020202130133021301330301020202321311023213112310010230300030303000303220"},
        {"B9000230057D04057D042508", "01320221020032020032023202100202330203020203020102120202113020303020301301130201020023320023320021"},
    };
    for (const Case& c : cases) {
        const auto block = Octets(c.octets);
        const auto coded = Trellis_half_encode(block.data());
        EXPECT_EQ(std::vector<std::uint8_t>(coded.begin(), coded.end()), Digits(c.dibits)) << c.octets;
        std::uint8_t back[12];
        const auto levels = Levels(Digits(c.dibits));
        EXPECT_TRUE(Trellis_half_decode(levels.data(), back).ok);
        EXPECT_EQ(std::vector<std::uint8_t>(back, back + 12), block);
        EXPECT_EQ(Crc16(back, 10), back[10] << 8 | back[11]);
    }
}

// A wrong placement or scrambler shows in the published voice codeword.
TEST(Voice, PublishedCodeword) {
    const std::array<std::uint32_t, 8> u = {0x123, 0x456, 0x789, 0xABC, 0x2AA, 0x555, 0x1F0, 0x05A};
    const std::array<std::uint32_t, 8> masks = {0, 0x5F2CC1, 0x23E89F, 0x14A452, 0x0059BC, 0x0030E2, 0x00637D, 0};
    const std::array<std::uint32_t, 8> c = {0x091856, 0x7D9977, 0x1FA497, 0x41454C, 0x007316, 0x0065B7, 0x007C74, 0x00005A};
    EXPECT_EQ(Imbe_pn_masks(u[0]), masks);
    EXPECT_EQ(Imbe_encode(u).c, c);
    std::uint8_t dibits[72];
    Imbe_place(c.data(), dibits);
    EXPECT_EQ(std::vector<std::uint8_t>(dibits, dibits + 72),
              Digits("121213123332021232303010002221321123003230001201330223222212333331011101"));
    std::uint32_t back[8];
    Imbe_gather(dibits, back);
    EXPECT_EQ(std::vector<std::uint32_t>(back, back + 8), std::vector<std::uint32_t>(c.begin(), c.end()));
    int corrected = -1, failed = -1;
    Imbe_check(back, corrected, failed);
    EXPECT_EQ(corrected, 0);
    EXPECT_EQ(failed, 0);
    back[2] ^= 0x400;  // one bit in a scrambled Golay vector
    back[5] ^= 0x1;    // one in a Hamming vector
    Imbe_check(back, corrected, failed);
    EXPECT_EQ(corrected, 2);
    EXPECT_EQ(failed, 0);
    // The PN scrambling bits of seed 0xABC begin 001101001100011.
    EXPECT_EQ(Imbe_pn_masks(0xABC)[1] >> 8, 0x1A63u);
}

}  // namespace
