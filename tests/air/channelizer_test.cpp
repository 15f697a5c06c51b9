// The filter banks: the block geometry, a channel's passband and its
// neighbour's rejection, exact time alignment through synthesis and analysis
// (channels opened late, from the kept past, and at the end of the stream).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>
#include <random>
#include <vector>

#include "tessel_air/channelizer.h"

using namespace tessel_air;

namespace {

constexpr double pi = 3.14159265358979323846;

std::vector<Complex> Tone(double rate, double hz, std::size_t count, double amplitude = 1.0) {
    std::vector<Complex> x(count);
    for (std::size_t n = 0; n < count; ++n)
        x[n] = Complex(std::polar(amplitude, 2 * pi * std::fmod(hz * double(n) / rate, 1.0)));
    return x;
}

// The whole stream, in chunks of an awkward size.
void Analyse(Channelizer& c, const std::vector<Complex>& wide, std::size_t chunk = 7777) {
    for (std::size_t at = 0; at < wide.size(); at += chunk)
        c.Push(wide.data() + at, std::min(chunk, wide.size() - at));
    c.Flush();
}

double Power(const std::vector<Complex>& x, std::size_t from, std::size_t to) {
    double p = 0;
    for (std::size_t i = from; i < to; ++i) p += std::norm(x[i]);
    return p / double(to - from);
}

TEST(Channelizer, Grid) {
    struct Row {
        double rate;
        unsigned decimation;
    };
    const Row rows[] = {{2.4e6, 50}, {48000, 1}, {250000, 5}, {1e7, 210}, {2.048e6, 42}, {30000, 1}, {96000, 2}};
    for (const Row& r : rows) {
        const Channel_grid g = Channel_grid::For_rate(r.rate);
        EXPECT_EQ(g.decimation, r.decimation) << r.rate;
        EXPECT_EQ(g.fft_size, g.decimation * g.channel_bins);
        EXPECT_EQ(g.step, g.decimation * (g.channel_bins - 2 * g.margin));
        if (r.rate >= 80000) {
            EXPECT_GE(g.Channel_rate(), 40000) << r.rate;
            EXPECT_LE(g.Channel_rate(), 64000) << r.rate;
        }
    }
}

// A tone inside the channel comes out at its offset from the channel's
// centre and at its level; one in the next 12.5 kHz channel is stopped.
TEST(Channelizer, PassbandAndNeighbour) {
    const double rate = 250000;
    struct Row {
        double channel, tone, gain_db_min, gain_db_max;
    };
    const Row rows[] = {
        {30000, 30000 + 37, -0.1, 0.1},     {-61250, -61250 - 4000, -0.1, 0.1}, {30000, 30000 + 5500, -0.5, 0.1},
        {30000, 30000 + 12500, -200, -65},  {30000, 30000 - 12500, -200, -65},  {0, 9000, -200, -60},
        {-100000, -100000 + 1000, -0.1, 0.1},
    };
    for (const Row& r : rows) {
        std::vector<Complex> got;
        Channelizer c(rate, 0, [&](int, const Complex* s, std::size_t n) { got.insert(got.end(), s, s + n); });
        c.Open(r.channel, 0);
        Analyse(c, Tone(rate, r.tone, 60000));
        const double rate_out = c.Grid().Channel_rate();
        ASSERT_EQ(got.size(), (60000 + c.Grid().decimation - 1) / c.Grid().decimation);
        const double gain_db = 10 * std::log10(Power(got, 200, got.size() - 200));
        EXPECT_GE(gain_db, r.gain_db_min) << r.channel << " " << r.tone;
        EXPECT_LE(gain_db, r.gain_db_max) << r.channel << " " << r.tone;
        if (r.gain_db_min > -1) {
            // The tone sits at its offset from the channel's centre.
            const std::size_t i = 1000;
            const double turn = std::arg(got[i + 1] * std::conj(got[i])) * rate_out / (2 * pi);
            EXPECT_NEAR(turn, r.tone - r.channel, 1.0) << r.channel << " " << r.tone;
        }
    }
}

// Channel-rate signals combined and taken apart again come back sample for
// sample, in time: from the start, opened late from the kept past, and
// opened later than the past reaches.
TEST(Channelizer, CombineThenAnalyse) {
    const double rate = 240000;
    const Channel_grid g = Channel_grid::For_rate(rate);
    const std::size_t blocks = 40, step = g.Channel_step();
    const double offsets[] = {-87500, 12500, 25000, 100031.25};
    std::mt19937 random(7);
        // Band-limited signals: a few tones of random frequency, level and phase inside +-5 kHz.
    std::uniform_real_distribution<double> uniform(-1, 1);
    std::vector<std::vector<Complex>> sent(std::size(offsets));
    for (auto& s : sent) {
        s.assign(blocks * step, Complex(0, 0));
        for (int tone = 0; tone < 5; ++tone) {
            const double hz = 5000 * uniform(random), level = 0.5 + 0.5 * uniform(random), phase = pi * uniform(random);
            for (std::size_t i = 0; i < s.size(); ++i)
                s[i] += Complex(std::polar(level, phase + 2 * pi * std::fmod(hz * double(i) / g.Channel_rate(), 1.0)));
        }
    }
    Combiner combiner(rate);
    std::vector<int> ids;
    for (double f : offsets) ids.push_back(combiner.Add(f));
    std::vector<Complex> wide;
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t k = 0; k < ids.size(); ++k)
            if (!(k == 3 && b % 7 == 3)) combiner.Put(ids[k], sent[k].data() + b * step);  // a silent block
            else std::fill(sent[k].begin() + long(b * step), sent[k].begin() + long((b + 1) * step), Complex(0, 0));
        combiner.Emit(wide);
    }
    combiner.Flush(wide);
    ASSERT_GE(wide.size(), blocks * g.step);

    std::map<int, std::vector<Complex>> got;
    std::map<int, std::size_t> first;
    Channelizer c(rate, 0.1, [&](int id, const Complex* s, std::size_t n) { got[id].insert(got[id].end(), s, s + n); });
    for (std::size_t k = 0; k < 3; ++k) first[c.Open(offsets[k], 0)] = k;
    int late = -1, too_late = -1;
    for (std::size_t at = 0; at < blocks * g.step; at += 5000) {
        c.Push(wide.data() + at, std::min<std::size_t>(5000, blocks * g.step - at));
        if (late < 0 && at > 20 * g.step) late = c.Open(offsets[3], 15 * g.step + 10);
        if (too_late < 0 && at > 30 * g.step) too_late = c.Open(offsets[0], 0);
    }
    c.Flush();
    EXPECT_EQ(c.First_sample(late), 15 * g.step);
    // Opened past 30 blocks, from further back than the 0.1 s kept.
    EXPECT_GE(c.First_sample(too_late) + 0.1 * rate + g.step, 30 * g.step);
    EXPECT_GT(c.First_sample(too_late), 0u);
    EXPECT_EQ(c.First_sample(too_late) % g.step, 0u);
    first[late] = 3;
    first[too_late] = 0;
    for (auto& [id, k] : first) {
        const std::vector<Complex>& out = got[id];
        const std::size_t skip = c.First_sample(id) / g.decimation;
        ASSERT_EQ(out.size() + skip, blocks * step) << id;
        double error = 0, power = 0;
        for (std::size_t i = 100; i + 100 < out.size(); ++i) {
            // Next to a silent block the signal starts and stops abruptly: its splatter is filtered off.
            const std::size_t at = skip + i, block = at / step;
            if (k == 3 && (block % 7 == 3 || (at % step < 2 * g.margin && block % 7 == 4) ||
                           (at % step >= step - 2 * g.margin && block % 7 == 2)))
                continue;
            error += std::norm(out[i] - sent[k][skip + i]);
            power += std::norm(sent[k][skip + i]);
        }
        EXPECT_LT(10 * std::log10(error / power), -45) << "channel " << k;
    }
}

TEST(Channelizer, Spectrum) {
    const double rate = 96000;
    Channelizer c(rate, 0, [](int, const Complex*, std::size_t) {});
    std::vector<float> power;
    EXPECT_EQ(c.Take_spectrum(power), 0u);
    EXPECT_TRUE(power.empty());
    const std::vector<Complex> x = Tone(rate, -30000, 20000);
    c.Push(x.data(), x.size());
    EXPECT_GT(c.Take_spectrum(power), 0u);
    ASSERT_EQ(power.size(), c.Grid().fft_size);
    const std::size_t peak = std::size_t(std::max_element(power.begin(), power.end()) - power.begin());
    EXPECT_NEAR(-rate / 2 + double(peak) * c.Grid().Bin_hz(), -30000, c.Grid().Bin_hz());
}

}  // namespace
