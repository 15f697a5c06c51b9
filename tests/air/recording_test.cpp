// The frame layer on a real off-air recording: FM-discriminator audio at
// exactly 10 samples a symbol.  A deliberately plain receiver stands in for
// the demodulator: a one-symbol integrate-and-dump at each of the 10 sample
// phases, every phase decoded, and where several phases yield the same frame
// the cleanest is kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <vector>

#include "tessel_air/frames.h"

using namespace tessel_air;

namespace {

constexpr int samples_per_symbol = 10;

std::vector<std::int16_t> Read_recording() {
    std::ifstream in(TESSEL_TEST_DATA "/air/p25_1_48000.raw", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

int Blemishes(const Frame& f) { return f.nid_errors + f.fec_corrected + f.fec_failed + f.voice_corrected + f.voice_failed; }

// Normalised correlation of 24 symbols with the frame sync (+3 -3 only).
double Sync_correlation(const float* s) {
    static const int sync[24] = {1, 1, 1, 1, 1, -1, 1, 1, -1, -1, 1, 1, -1, -1, -1, -1, 1, -1, 1, -1, -1, -1, -1, -1};
    double mean = 0, dot = 0, energy = 0;
    for (int k = 0; k < 24; ++k) mean += s[k] / 24.0;
    for (int k = 0; k < 24; ++k) {
        dot += (s[k] - mean) * sync[k];
        energy += (s[k] - mean) * (s[k] - mean);
    }
    return energy > 0 ? dot / std::sqrt(energy * 24) : 0;
}

// Re-encodes a frame and compares it with the symbols it came from, sliced
// at levels scaled from its sync.
int Differing(const Frame& f, const float* s, std::size_t available) {
    const auto dibits = Frame_encoder(Status_plan::from_record).Encode(f);
    if (dibits.size() > available) return static_cast<int>(dibits.size());
    float magnitude = 0;
    for (int k = 0; k < 24; ++k) magnitude += std::fabs(s[k]) / 24;
    int differing = 0;
    for (std::size_t j = 0; j < dibits.size(); ++j) {
        const float v = s[j] * 3 / magnitude;
        const std::uint8_t sliced = v >= 2 ? 1 : v >= 0 ? 0 : v >= -2 ? 2 : 3;
        differing += sliced != dibits[j];
    }
    return differing;
}

struct Heard {
    Frame frame;
    int blemishes;
    double sync;  // the phase's correlation at the sync
    int differing;  // dibits where the re-encoded frame and the sliced symbols differ
    bool operator<(const Heard& o) const { return blemishes != o.blemishes ? blemishes < o.blemishes : sync > o.sync; }
};

TEST(Recording, EveryFrameOfTheSharedFile) {
    const auto samples = Read_recording();
    ASSERT_EQ(samples.size(), 937562u);
    // The loudest symbols set the scale: +-3 at the 99th percentile of |sample|.
    std::vector<std::int16_t> magnitudes;
    for (std::size_t i = 0; i < samples.size(); i += 7) magnitudes.push_back(static_cast<std::int16_t>(std::abs(samples[i])));
    std::nth_element(magnitudes.begin(), magnitudes.begin() + magnitudes.size() * 99 / 100, magnitudes.end());
    const float scale = 3.0f / std::max<float>(1, magnitudes[magnitudes.size() * 99 / 100]);

    std::map<std::uint64_t, Heard> best;  // by sample position of the sync, to the symbol
    for (int phase = 0; phase < samples_per_symbol; ++phase) {
        std::vector<float> symbols;
        for (std::size_t i = static_cast<std::size_t>(phase); i + samples_per_symbol <= samples.size();
             i += samples_per_symbol) {
            float sum = 0;
            for (int k = 0; k < samples_per_symbol; ++k) sum += samples[i + static_cast<std::size_t>(k)];
            symbols.push_back(sum / samples_per_symbol * scale);
        }
        Frame_decoder decoder([&](const Frame& f) {
            const std::uint64_t sample = f.symbol_index * samples_per_symbol + static_cast<std::uint64_t>(phase);
            const Heard heard{f, Blemishes(f), std::fabs(Sync_correlation(symbols.data() + f.symbol_index)),
                              Differing(f, symbols.data() + f.symbol_index, symbols.size() - f.symbol_index)};
            // The same frame at another phase lies within a couple of symbols; frames are 72 apart at least.
            auto near = best.lower_bound(sample >= 20 ? sample - 20 : 0);
            if (near != best.end() && near->first <= sample + 20) {
                if (heard < near->second) {
                    best.erase(near);
                    best.emplace(sample, heard);
                }
                return;
            }
            best.emplace(sample, heard);
        });
        decoder.Push(symbols.data(), symbols.size());
        decoder.Flush();
    }

    std::map<Duid, int> counts;
    int statuses = 0;
    for (const auto& [sample, heard] : best) {
        const Frame& f = heard.frame;
        SCOPED_TRACE(std::string(Duid_name(f.duid)) + " at sample " + std::to_string(sample));
        ++counts[f.duid];
        EXPECT_EQ(f.nac, 0x293);
        EXPECT_FALSE(f.inverted);
        EXPECT_TRUE(f.complete);
        EXPECT_EQ(f.nid_errors, 0);
        EXPECT_EQ(f.fec_corrected, 0);
        EXPECT_EQ(f.fec_failed, 0);
        EXPECT_EQ(f.voice_corrected, 0);
        EXPECT_EQ(f.voice_failed, 0);
        for (std::size_t k = 0; k < f.status.size(); ++k) EXPECT_EQ(f.status[k], 0) << k;
        statuses += static_cast<int>(f.status.size());
        EXPECT_EQ(heard.differing, 0);  // the frame re-encodes bit for bit
    }
    EXPECT_EQ(best.size(), 84u);
    EXPECT_EQ(counts[Duid::HDU], 2);
    EXPECT_EQ(counts[Duid::LDU1], 41);
    EXPECT_EQ(counts[Duid::LDU2], 39);
    EXPECT_EQ(counts[Duid::TDU], 2);
    EXPECT_EQ(statuses, 1946);
    // LDU starts are exactly 864 symbols apart within a transmission.
    std::uint64_t previous = 0;
    int ldu_spacings = 0;
    for (const auto& [sample, heard] : best) {
        const Frame& f = heard.frame;
        if ((f.duid == Duid::LDU1 || f.duid == Duid::LDU2) && previous && sample - previous < 900 * samples_per_symbol) {
            EXPECT_NEAR(static_cast<double>(sample - previous), 8640.0, 5.0);
            ++ldu_spacings;
        }
        previous = (f.duid == Duid::LDU1 || f.duid == Duid::LDU2) ? sample : 0;
    }
    EXPECT_EQ(ldu_spacings, 78);
}

}  // namespace
