// The modem on its own: dibits -> modulate -> impairments -> demodulate must
// give the dibits back; the real recording must show its 84 frame syncs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>

#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel_air {
namespace {

constexpr double pi = 3.14159265358979323846;

// The frame sync as dibits, in transmit order.
constexpr uint8_t frame_sync[24] = {1, 1, 1, 1, 1, 3, 1, 1, 3, 3, 1, 1, 3, 3, 3, 3, 1, 3, 1, 3, 3, 3, 3, 3};

std::vector<uint8_t> Random_dibits(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> d(n);
    for (uint8_t& v : d) v = uint8_t(rng() & 3);
    return d;
}

// Symbol errors of received against sent, at the alignment (receiver delay
// of 0..128 symbols) that fits best, after skipping the loops' pull-in.
struct Comparison {
    std::size_t errors = 0, compared = 0;
    int delay = -1;
};
Comparison Compare(const std::vector<uint8_t>& sent, const std::vector<float>& received, bool inverted,
                   std::size_t skip) {
    Comparison best;
    for (int delay = 0; delay <= 128; ++delay) {
        Comparison c;
        c.delay = delay;
        for (std::size_t k = skip; k + delay < received.size() && k < sent.size(); ++k) {
            const uint8_t d = Slice(received[k + std::size_t(delay)]) ^ (inverted ? 2 : 0);
            c.errors += d != sent[k];
            ++c.compared;
        }
        if (c.compared > 0 && (best.delay < 0 || c.errors < best.errors)) best = c;
    }
    return best;
}

struct Impairment {
    const char* name;
    Signal signal;
    double rate;           // of the samples
    double ebn0_db;        // white noise; infinity: none
    double offset_hz;      // carrier offset (IQ)
    double clock_ppm;      // transmitter symbol clock error
    bool inverted;         // discriminator polarity
    Sample_format through; // a file format the samples pass through, or raw = none
    double max_ser;        // symbol error rate allowed
};

constexpr double none = INFINITY;

// max_ser: measured rates, with margin.  4-level FSK with this receiver needs
// about 12 dB Eb/N0 for a symbol error rate of 1e-3.
const Impairment impairments[] = {
    {"clean audio", Signal::audio, 48000, none, 0, 0, false, Sample_format::raw, 0},
    {"clean IQ", Signal::iq, 48000, none, 0, 0, false, Sample_format::raw, 0},
    {"IQ at 250 kHz", Signal::iq, 250000, none, 0, 0, false, Sample_format::raw, 0},
    {"audio at 44.1 kHz", Signal::audio, 44100, none, 0, 0, false, Sample_format::raw, 0},
    {"audio at 8 kHz", Signal::audio, 8000, none, 0, 0, false, Sample_format::raw, 0},
    {"inverted audio", Signal::audio, 48000, none, 0, 0, true, Sample_format::raw, 0},
    {"Eb/N0 20 dB", Signal::iq, 48000, 20, 0, 0, false, Sample_format::raw, 1e-4},
    {"Eb/N0 14 dB", Signal::iq, 48000, 14, 0, 0, false, Sample_format::raw, 2e-3},
    {"Eb/N0 10 dB", Signal::iq, 48000, 10, 0, 0, false, Sample_format::raw, 4e-2},
    {"500 Hz above", Signal::iq, 48000, none, +500, 0, false, Sample_format::raw, 0},
    {"500 Hz below", Signal::iq, 48000, none, -500, 0, false, Sample_format::raw, 0},
    {"100 ppm fast", Signal::iq, 48000, none, 0, +100, false, Sample_format::raw, 0},
    {"100 ppm slow audio", Signal::audio, 48000, none, 0, -100, false, Sample_format::raw, 0},
    {"500 Hz below, 100 ppm fast, 16 dB", Signal::iq, 48000, 16, -500, +100, false, Sample_format::raw, 1e-3},
    {"cu8", Signal::iq, 48000, none, 0, 0, false, Sample_format::cu8, 0},
    {"cs16", Signal::iq, 96000, none, 0, 0, false, Sample_format::cs16, 0},
    {"cf32", Signal::iq, 48000, none, +300, 0, false, Sample_format::cf32, 0},
    {"WAV", Signal::audio, 48000, none, 0, 0, true, Sample_format::audio, 0},
};

std::string Temporary(const char* suffix) {
    return "/tmp/test_air_modem." + std::to_string(getpid()) + suffix;
}

class Round_trip : public testing::TestWithParam<Impairment> {};

TEST_P(Round_trip, GivesTheDibitsBack) {
    const Impairment& p = GetParam();
    const std::vector<uint8_t> sent = Random_dibits(24000, 19);  // 5 s
    // A clock error is a transmitter running at rate * (1 + ppm) read at rate.
    const double tx_rate = p.rate / (1 + p.clock_ppm * 1e-6);
    Modulator modulator(p.signal, tx_rate);
    std::mt19937 rng(7);
    std::vector<float> received;
    Demodulator demodulator(p.signal, p.rate);
    if (p.signal == Signal::iq) {
        std::vector<Complex> iq;
        modulator.Push_iq(sent.data(), sent.size(), iq);
        modulator.Flush_iq(iq);
        // Es/N0 = (1 / sigma^2) * (samples per symbol); Eb = Es / 2.
        const double sigma2 = (p.rate / symbol_rate_hz) / (2 * std::pow(10.0, p.ebn0_db / 10));
        std::normal_distribution<float> noise(0.0f, float(std::sqrt(sigma2 / 2)));
        for (std::size_t n = 0; n < iq.size(); ++n) {
            iq[n] *= std::polar(1.0f, float(2 * pi * p.offset_hz * double(n) / p.rate));
            if (std::isfinite(p.ebn0_db)) iq[n] += Complex(noise(rng), noise(rng));
            if (p.through != Sample_format::raw) iq[n] *= 0.7f;  // headroom for the integer formats
        }
        if (p.through != Sample_format::raw) {
            const std::string path = Temporary(".iq");
            Sample_writer writer(path, p.through, p.rate);
            ASSERT_TRUE(writer.Write_iq(iq) && writer.Close()) << writer.Error();
            Sample_reader reader(path, p.through, p.rate);
            ASSERT_TRUE(reader.Ok()) << reader.Error();
            std::vector<Complex> back;
            iq.clear();
            while (reader.Read_iq(back, 4096) > 0) iq.insert(iq.end(), back.begin(), back.end());
            std::remove(path.c_str());
        }
        for (std::size_t at = 0; at < iq.size(); at += 5000)
            demodulator.Push_iq(&iq[at], std::min<std::size_t>(5000, iq.size() - at), received);
        demodulator.Flush(received);
    } else {
        std::vector<float> audio;
        modulator.Push_audio(sent.data(), sent.size(), audio);
        modulator.Flush_audio(audio);
        if (p.inverted)
            for (float& v : audio) v = -v;
        if (p.through != Sample_format::raw) {
            const std::string path = Temporary(".wav");
            Sample_writer writer(path, p.through, p.rate);
            ASSERT_TRUE(writer.Write_audio(audio) && writer.Close()) << writer.Error();
            Sample_reader reader(path, p.through, 0);
            ASSERT_TRUE(reader.Ok()) << reader.Error();
            EXPECT_EQ(reader.Rate(), p.rate);
            std::vector<float> back;
            audio.clear();
            while (reader.Read_audio(back, 4096) > 0) audio.insert(audio.end(), back.begin(), back.end());
            std::remove(path.c_str());
        }
        for (std::size_t at = 0; at < audio.size(); at += 5000)
            demodulator.Push_audio(&audio[at], std::min<std::size_t>(5000, audio.size() - at), received);
        demodulator.Flush(received);
    }
    const Comparison c = Compare(sent, received, p.inverted, 600);
    ASSERT_GT(c.compared, sent.size() - 700) << "symbols lost: " << received.size() << " delay " << c.delay;
    const double ser = double(c.errors) / double(c.compared);
    const Demodulator_statistics stats = demodulator.Statistics();
    RecordProperty("symbol_errors", int(c.errors));
    std::printf("%-28s SER %.2e  deviation %.0f Hz  noise %.3f  estimate %.2e\n", p.name, ser, stats.deviation_hz,
                stats.noise_rms, stats.symbol_error_estimate);
    EXPECT_LE(ser, p.max_ser);
    if (p.signal == Signal::iq) {
        EXPECT_NEAR(stats.deviation_hz, nominal_deviation, 15);
    }
}

INSTANTIATE_TEST_SUITE_P(Impairments, Round_trip, testing::ValuesIn(impairments),
                         [](const testing::TestParamInfo<Impairment>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

// The shared off-air recording: 84 frames, each opening with the frame sync.
TEST(Recording, EveryFrameSyncIsHeard) {
    Sample_reader reader(TESSEL_TEST_DATA "/air/p25_1_48000.raw", Sample_format::raw, 48000);
    ASSERT_TRUE(reader.Ok()) << reader.Error();
    Demodulator demodulator(Signal::audio, reader.Rate());
    std::vector<float> samples, symbols;
    while (reader.Read_audio(samples, 8192) > 0) demodulator.Push_audio(samples.data(), samples.size(), symbols);
    demodulator.Flush(symbols);
    EXPECT_EQ(reader.Samples_read(), 937562u);
    int syncs = 0;
    for (std::size_t k = 0; k + 24 <= symbols.size(); ++k) {
        bool match = true;
        for (std::size_t i = 0; i < 24 && match; ++i) match = Slice(symbols[k + i]) == frame_sync[i];
        syncs += match;
    }
    EXPECT_EQ(syncs, 84);
    const Demodulator_statistics stats = demodulator.Statistics();
    std::printf("recording: %llu symbols, deviation %.1f Hz, noise %.3f\n", (unsigned long long)stats.symbols,
                stats.deviation_hz, stats.noise_rms);
    EXPECT_NEAR(stats.deviation_hz, 600, 30);
}

}  // namespace
}  // namespace tessel_air
