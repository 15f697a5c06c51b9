// The modem on its own: dibits -> modulate -> impairments -> demodulate must
// give the dibits back.  Then tessel transmit and tessel receive end to end:
// records -> frames -> C4FM -> a sample file -> impairments -> frames -> the
// library's entry points; and the off-air recording through tessel receive.
#include <gtest/gtest.h>

#include <complex>
#include <liquid/liquid.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <set>

#include "air/channel_model.h"
#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"
#include "tool_fixture.h"

namespace tessel_air {
namespace {

using namespace tool_test;
using namespace channel_model;

constexpr double none = INFINITY;

// The symbol error rate of received against sent at the receiver delay (0..128
// symbols) that fits best, after the loops' pull-in; -1 when symbols were lost.
double Symbol_error_rate(const std::vector<uint8_t>& sent, const std::vector<float>& received, bool inverted) {
    double best = -1;
    for (std::size_t delay = 0; delay <= 128; ++delay) {
        std::size_t errors = 0, compared = 0;
        for (std::size_t k = 600; k + delay < received.size() && k < sent.size(); ++k, ++compared)
            errors += (Slice(received[k + delay]) ^ (inverted ? 2 : 0)) != sent[k];
        const double rate = double(errors) / double(compared);
        if (compared + 700 > sent.size() && (best < 0 || rate < best)) best = rate;
    }
    return best;
}

// A clock error (ppm) is the transmitter's; inverted, the discriminator's
// polarity; the symbol error rates allowed are those measured, with margin.
// 4-level FSK with this receiver needs about 12 dB Eb/N0 for a rate of 1e-3.
struct Impairment { const char* name; Signal signal; double rate, ebn0_db, offset_hz, clock_ppm;
                    bool inverted; double max_ser; };
const Impairment impairments[] = {
    {"clean_audio", Signal::audio, 48000, none, 0, 0, false, 0},
    {"clean_IQ", Signal::iq, 48000, none, 0, 0, false, 0},
    {"IQ_at_250_kHz", Signal::iq, 250000, none, 0, 0, false, 0},
    {"audio_at_44_1_kHz", Signal::audio, 44100, none, 0, 0, false, 0},
    {"audio_at_8_kHz", Signal::audio, 8000, none, 0, 0, false, 0},
    {"inverted_audio", Signal::audio, 48000, none, 0, 0, true, 0},
    {"Eb_N0_20_dB", Signal::iq, 48000, 20, 0, 0, false, 1e-4},
    {"Eb_N0_14_dB", Signal::iq, 48000, 14, 0, 0, false, 2e-3},
    {"Eb_N0_10_dB", Signal::iq, 48000, 10, 0, 0, false, 4e-2},
    {"500_Hz_above", Signal::iq, 48000, none, +500, 0, false, 0},
    {"500_Hz_below", Signal::iq, 48000, none, -500, 0, false, 0},
    {"100_ppm_fast", Signal::iq, 48000, none, 0, +100, false, 0},
    {"100_ppm_slow_audio", Signal::audio, 48000, none, 0, -100, false, 0},
    {"500_Hz_below_100_ppm_fast_16_dB", Signal::iq, 48000, 16, -500, +100, false, 1e-3},
};

class Round_trip : public testing::TestWithParam<Impairment> {};

TEST_P(Round_trip, GivesTheDibitsBack) {
    const Impairment& p = GetParam();
    std::mt19937 rng(19);
    std::vector<uint8_t> sent(24000);  // 5 s
    for (uint8_t& d : sent) d = uint8_t(rng() & 3);
    // A clock error is a transmitter running at rate * (1 + ppm) read at rate.
    Modulator modulator(p.signal, p.rate / (1 + p.clock_ppm * 1e-6));
    Demodulator demodulator(p.signal, p.rate);
    std::vector<float> received;
    if (p.signal == Signal::iq) {
        std::vector<Complex> iq;
        modulator.Push_iq(sent.data(), sent.size(), iq);
        modulator.Flush_iq(iq);
        Impair(iq, p.rate, p.ebn0_db, p.offset_hz, 7);
        for (std::size_t at = 0; at < iq.size(); at += 5000)
            demodulator.Push_iq(&iq[at], std::min<std::size_t>(5000, iq.size() - at), received);
    } else {
        std::vector<float> audio;
        modulator.Push_audio(sent.data(), sent.size(), audio);
        modulator.Flush_audio(audio);
        for (float& v : audio) v = p.inverted ? -v : v;
        for (std::size_t at = 0; at < audio.size(); at += 5000)
            demodulator.Push_audio(&audio[at], std::min<std::size_t>(5000, audio.size() - at), received);
    }
    demodulator.Flush(received);
    const double ser = Symbol_error_rate(sent, received, p.inverted);
    const Demodulator_statistics stats = demodulator.Statistics();
    ASSERT_GE(ser, 0) << "symbols lost: " << received.size() << " of " << sent.size();
    EXPECT_LE(ser, p.max_ser) << "noise " << stats.noise_rms << ", estimate " << stats.symbol_error_estimate;
    EXPECT_NEAR(stats.deviation_hz, nominal_deviation, 15);
}

INSTANTIATE_TEST_SUITE_P(Impairments, Round_trip, testing::ValuesIn(impairments),
                         [](const testing::TestParamInfo<Impairment>& info) { return std::string(info.param.name); });

// Random dibits with a frame sync every 360 symbols, as on a control channel.
std::vector<uint8_t> Channel_dibits(std::size_t count, unsigned seed) {
    static const uint8_t sync[24] = {1, 1, 1, 1, 1, 3, 1, 1, 3, 3, 1, 1, 3, 3, 3, 3, 1, 3, 1, 3, 3, 3, 3, 3};
    std::mt19937 rng(seed);
    std::vector<uint8_t> d(count);
    for (std::size_t k = 0; k < count; ++k) d[k] = k % 360 < 24 ? sync[k % 360] : uint8_t(rng() & 3);
    return d;
}

// Each symbol's position: where the transmitter centred it, in the samples
// of the stream as received, whatever came before the transmission.
struct Placement { const char* name; Signal signal; double rate, lead_seconds, ebn0_db, clock_ppm; bool silence; };
const Placement placements[] = {
    {"IQ", Signal::iq, 48000, 0, none, 0, false},
    {"IQ_at_250_kHz", Signal::iq, 250000, 0, none, 0, false},
    {"audio_at_44_1_kHz", Signal::audio, 44100, 0, none, 0, false},
    {"audio_at_8_kHz", Signal::audio, 8000, 0, none, 0, false},
    {"after_silence", Signal::iq, 48000, 1.3, none, 0, true},
    {"after_silence_audio", Signal::audio, 48000, 0.7, none, 0, true},
    {"in_noise_12_dB", Signal::iq, 48000, 1.1, 12, 0, true},
    {"clock_200_ppm_fast", Signal::iq, 48000, 0, none, 200, false},
    {"clock_200_ppm_slow_in_noise", Signal::iq, 48000, 0.5, 14, -200, true},
};

class Positions : public testing::TestWithParam<Placement> {};

TEST_P(Positions, AreWhereTheTransmitterPutTheSymbols) {
    const Placement& p = GetParam();
    const std::vector<uint8_t> sent = Channel_dibits(7200, 3);
    Modulator modulator(p.signal, p.rate / (1 + p.clock_ppm * 1e-6));
    std::vector<Complex> iq;
    std::vector<float> audio;
    if (p.silence) {
        modulator.Idle_iq(p.lead_seconds * p.rate, iq);
        modulator.Idle_audio(p.lead_seconds * p.rate, audio);
    }
    const double first = modulator.Next_symbol_position(), spacing = p.rate / (1 + p.clock_ppm * 1e-6) / symbol_rate;
    modulator.Push_iq(sent.data(), sent.size(), iq);
    modulator.Push_audio(sent.data(), sent.size(), audio);
    modulator.Flush_iq(iq);
    modulator.Flush_audio(audio);
    EXPECT_NEAR(modulator.Next_symbol_position(), first + double(sent.size() - 1 + 2 * Modulator::delay_symbols) * spacing,
                1.0);

    Demodulator demodulator(p.signal, p.rate);
    std::vector<float> symbols;
    std::vector<double> positions;
    Impair(iq, p.rate, p.ebn0_db, 0, 3);
    for (std::size_t at = 0; at < std::max(iq.size(), audio.size()); at += 3000) {
        if (p.signal == Signal::iq)
            demodulator.Push_iq(&iq[at], std::min<std::size_t>(3000, iq.size() - at), symbols, &positions);
        else
            demodulator.Push_audio(&audio[at], std::min<std::size_t>(3000, audio.size() - at), symbols, &positions);
    }
    demodulator.Flush(symbols, &positions);
    ASSERT_EQ(positions.size(), symbols.size());
    // After the first frame, every symbol sent comes out once, in order, at
    // its place within a tenth of a symbol.
    std::vector<long> placed;
    double worst = 0, mean = 0;
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const double k = (positions[i] - first) / spacing;
        if (k < 359.5 || k > double(sent.size()) - 0.5) continue;
        placed.push_back(std::lround(k));
        worst = std::max(worst, std::fabs(k - double(placed.back())));
        mean += k - double(placed.back());
        wrong += Slice(symbols[i]) != sent[std::size_t(placed.back())];
    }
    std::vector<long> expected(sent.size() - 360);
    std::iota(expected.begin(), expected.end(), 360L);
    const auto differ = std::mismatch(placed.begin(), placed.end(), expected.begin(), expected.end());
    EXPECT_TRUE(differ.first == placed.end() && differ.second == expected.end())
        << "symbol " << (differ.second - expected.begin() + 360) << " placed as " << (differ.first == placed.end() ? -1 : *differ.first);
    EXPECT_LE(worst, 0.1) << "mean " << mean / double(placed.size());
    EXPECT_LE(wrong, std::isfinite(p.ebn0_db) ? sent.size() / 500 : 0u);
}

INSTANTIATE_TEST_SUITE_P(Placements, Positions, testing::ValuesIn(placements),
                         [](const testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

// The transmitter places each symbol where it says it will, writes every
// sample before the next symbol's reach, and between transmissions sends
// exact silence: zero IQ, zero audio.
TEST(Modulator, PlacesSymbolsAndKeysTheCarrier) {
    for (const double rate : {48000.0, 192000.0, 44100.0}) {
        SCOPED_TRACE(rate);
        const double spacing = rate / symbol_rate, reach = Modulator::delay_symbols * spacing;
        const std::vector<uint8_t> dibits = Channel_dibits(500, 5);
        Modulator iq_modulator(Signal::iq, rate), audio_modulator(Signal::audio, rate);
        std::vector<Complex> iq;
        std::vector<float> audio;
        EXPECT_DOUBLE_EQ(iq_modulator.Next_symbol_position(), reach);
        iq_modulator.Push_iq(dibits.data(), dibits.size(), iq);
        audio_modulator.Push_audio(dibits.data(), dibits.size(), audio);
        const double next = reach + 500 * spacing;
        EXPECT_NEAR(iq_modulator.Next_symbol_position(), next, 1e-6);
        EXPECT_EQ(iq.size(), std::size_t(std::ceil(next - reach)));
        EXPECT_EQ(audio.size(), iq.size());

        // Asked for a gap, the tail goes out, then silence up to the next
        // transmission's rise; asked for a place inside the tail, the next
        // symbol goes as soon after it as a transmission can start.
        const double far = next + 1000.5 * spacing;
        iq_modulator.Idle_iq(far, iq);
        audio_modulator.Idle_audio(far, audio);
        EXPECT_DOUBLE_EQ(iq_modulator.Next_symbol_position(), far);
        ASSERT_EQ(iq.size(), std::size_t(std::ceil(far - reach)));
        ASSERT_EQ(audio.size(), iq.size());
        const std::size_t tail_end = std::size_t(std::ceil(next - spacing + reach));
        for (std::size_t n = tail_end; n < iq.size(); ++n) {
            ASSERT_EQ(iq[n], Complex(0, 0)) << n;
            ASSERT_EQ(audio[n], 0.0f) << n;
        }
        EXPECT_GT(std::abs(iq[tail_end - 2 * std::size_t(spacing)]), 0.1f);  // the carrier falls over the tail's end
        iq_modulator.Push_iq(dibits.data(), 1, iq);
        iq_modulator.Idle_iq(INFINITY, iq);  // no place: as soon as can be
        EXPECT_NEAR(iq_modulator.Next_symbol_position(), far + 2 * reach, 1.0);
        for (const Complex& z : iq) ASSERT_LE(std::abs(z), 1.0f + 1e-6f);
    }
}

// The receiver's output does not depend on how the samples are split into
// calls (a pipe delivers what it holds): symbols, positions and costs come
// out the same for any blocks, with the carrier off tune and gaps in it.
TEST(Demodulator, AnySplitGivesTheSameSymbols) {
    const std::vector<uint8_t> sent = Channel_dibits(3600, 5);
    Modulator modulator(Signal::iq, 48000);
    std::vector<Complex> iq;
    modulator.Push_iq(sent.data(), 1800, iq);
    modulator.Flush_iq(iq);
    modulator.Idle_iq(5000, iq);
    modulator.Push_iq(sent.data() + 1800, 1800, iq);
    modulator.Flush_iq(iq);
    Impair(iq, 48000, 12, 700, 4);
    struct Heard { std::vector<float> symbols; std::vector<double> positions; std::vector<Symbol_costs> costs; };
    const auto hear = [&iq](std::initializer_list<std::size_t> blocks) {
        Demodulator demodulator(Signal::iq, 48000);
        Heard h;
        std::size_t at = 0;
        for (auto size = blocks.begin(); at < iq.size(); size = std::next(size) == blocks.end() ? blocks.begin() : std::next(size)) {
            const std::size_t n = std::min(*size, iq.size() - at);
            demodulator.Push_iq(&iq[at], n, h.symbols, &h.positions, &h.costs);
            at += n;
        }
        demodulator.Flush(h.symbols, &h.positions, &h.costs);
        return h;
    };
    const Heard whole = hear({iq.size()});
    ASSERT_GE(whole.symbols.size(), sent.size());
    // Rounding may differ in the last bits with the block boundaries (the
    // carrier loop then settles a hair apart), no more.
    for (const auto& blocks : {std::initializer_list<std::size_t>{896}, {137, 4096, 1}, {480}}) {
        const Heard split = hear(blocks);
        ASSERT_EQ(split.symbols.size(), whole.symbols.size()) << *blocks.begin();
        ASSERT_EQ(split.costs.size(), whole.costs.size()) << *blocks.begin();
        double symbol_error = 0, position_error = 0, cost_error = 0;
        for (std::size_t i = 0; i < whole.symbols.size(); ++i) {
            symbol_error = std::max(symbol_error, double(std::fabs(split.symbols[i] - whole.symbols[i])));
            position_error = std::max(position_error, std::fabs(split.positions[i] - whole.positions[i]));
        }
        for (std::size_t i = 0; i < whole.costs.size(); ++i)
            for (int d = 0; d < 4; ++d) cost_error = std::max(cost_error, double(std::fabs(split.costs[i][d] - whole.costs[i][d])));
        EXPECT_LE(symbol_error, 1e-3) << *blocks.begin();
        EXPECT_LE(position_error, 1e-3) << *blocks.begin();
        EXPECT_LE(cost_error, 1.0) << *blocks.begin();  // of costs about 25 a symbol
    }
}

// Samples that are no numbers, silence, or blocks of one sample at a time
// never poison the receiver: the signal after them is heard as sent.
TEST(Demodulator, RecoversFromBadSamples) {
    const std::vector<uint8_t> sent = Channel_dibits(9600, 9);
    const struct { const char* name; float value; std::size_t block; } cases[] = {
        {"NaN", NAN, 4096}, {"infinity", INFINITY, 4096}, {"huge", 1e30f, 4096}, {"zeros", 0.0f, 1},
    };
    for (const auto& c : cases) {
        for (const Signal signal : {Signal::iq, Signal::audio}) {
            Modulator modulator(signal, 48000);
            Demodulator demodulator(signal, 48000);
            std::vector<Complex> iq;
            std::vector<float> audio, symbols;
            modulator.Push_iq(sent.data(), sent.size(), iq);
            modulator.Push_audio(sent.data(), sent.size(), audio);
            for (std::size_t n = 20000; n < 20500; ++n) {
                if (signal == Signal::iq) iq[n] = Complex(c.value, -c.value);
                else audio[n] = c.value;
            }
            const std::size_t length = std::max(iq.size(), audio.size());
            for (std::size_t at = 0; at < length; at += c.block) {
                const std::size_t n = std::min(c.block, length - at);
                if (signal == Signal::iq)
                    demodulator.Push_iq(&iq[at], n, symbols);
                else
                    demodulator.Push_audio(&audio[at], n, symbols);
            }
            demodulator.Flush(symbols);
            ASSERT_GE(symbols.size(), sent.size() - 30) << c.name;
            EXPECT_TRUE(std::all_of(symbols.begin(), symbols.end(), [](float s) { return std::isfinite(s); })) << c.name;
            // From a frame after the bad stretch on, every symbol, at some delay.
            std::size_t fewest = sent.size();
            for (std::size_t delay = 0; delay < 64; ++delay) {
                std::size_t errors = 0;
                for (std::size_t k = 3600; k < sent.size() && k + delay < symbols.size(); ++k)
                    errors += Slice(symbols[k + delay]) != sent[k];
                fewest = std::min(fewest, errors);
            }
            EXPECT_EQ(fewest, 0u) << c.name << (signal == Signal::iq ? " IQ" : " audio");
        }
    }
}

// Three bursts keyed on and off: the alternate channels (+-25 kHz, 6 kHz
// wide) stay 90 dB below the carrier.
TEST(Modulator, CleanEmissions) {
    constexpr double rate = 192000;
    Modulator modulator(Signal::iq, rate);
    std::vector<Complex> iq;
    for (unsigned burst = 0; burst < 3; ++burst) {
        const std::vector<uint8_t> dibits = Channel_dibits(1200, burst);
        modulator.Push_iq(dibits.data(), dibits.size(), iq);
        modulator.Idle_iq(modulator.Next_symbol_position() + 0.05 * rate, iq);
    }
    EXPECT_LE(Band_power_db(iq, rate, 22000, 28000), -90);
    EXPECT_LE(Band_power_db(iq, rate, -28000, -22000), -90);
}

// Only the symbols the host confirms reach the eye, each once; confirmations
// older than the receiver's memory or beyond what it gave out change nothing.
TEST(Demodulator, EyeDrawsOnlyConfirmedSymbols) {
    const std::vector<uint8_t> sent = Channel_dibits(12000, 7);
    Modulator modulator(Signal::audio, 48000);
    std::vector<float> audio, symbols;
    modulator.Push_audio(sent.data(), sent.size(), audio);
    Demodulator demodulator(Signal::audio, 48000);
    demodulator.Push_audio(audio.data(), audio.size(), symbols);
    const uint64_t given = symbols.size(), oldest = given - Demodulator::eye_memory;
    const auto drawn = [&] {
        const Eye& eye = demodulator.Eye_data();
        return std::accumulate(eye.histogram.begin(), eye.histogram.end(), uint64_t{0});
    };
    const struct { uint64_t first, count, drawn; } keeps[] = {
        {0, 100, 0},                          // forgotten
        {given, 100, 0},                      // not yet given out
        {oldest - 50, 100, 50},               // half remembered
        {oldest + 20, 100, 120},              // overlapping: the new ones only
        {given - 360, 360, 480},              // the last frame
        {given - 1, ~uint64_t{0}, 480},       // no overflow at the end of the range
        {oldest + 1000, 0, 480},
    };
    std::set<uint64_t> kept;
    std::vector<uint64_t> traced;  // a trace every seventh symbol, in the order drawn
    for (const auto& k : keeps) {
        demodulator.Eye_keep(k.first, k.count);
        EXPECT_EQ(drawn(), k.drawn) << k.first << " + " << k.count;
        for (uint64_t i = std::max(k.first, oldest); i < given && i - k.first < k.count; ++i)
            if (kept.insert(i).second && i % 7 == 0) traced.push_back(i);
    }
    // Each trace two symbols long, centred on its symbol.
    const Eye& eye = demodulator.Eye_data();
    ASSERT_EQ(eye.traces.size(), traced.size());
    for (std::size_t j = 0; j < traced.size(); ++j) {
        const auto& trace = eye.traces[j];
        EXPECT_NEAR(trace.front(), symbols[traced[j] - 1], 0.1);
        EXPECT_NEAR(trace[samples_per_symbol], symbols[traced[j]], 0.05);
        if (traced[j] + 1 < given) {
            EXPECT_NEAR(trace.back(), symbols[traced[j] + 1], 0.1);
        }
    }
    // Drawn: every point of every trace, the symbol instant in their middle,
    // +3 above -3, a bar for each bin that counted symbols.
    char path[] = "/tmp/tessel-eye-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(Write_eye_svg(eye, demodulator.Statistics(), path));
    const std::string svg = tool_test::Read_file(path);
    std::remove(path);
    const auto number_after = [&](const std::string& text, std::size_t from = 0) {
        const std::size_t at = svg.find(text, from);
        return at == std::string::npos ? NAN : std::atof(svg.c_str() + at + text.size());
    };
    const double instant = number_after("<line x1=\"", svg.rfind("<line x1=\"", svg.find("stroke=\"#333\"")));
    std::size_t polylines = 0;
    for (std::size_t at = 0; (at = svg.find("<polyline points=\"", at)) != std::string::npos; ++polylines) {
        at += 18;
        const std::size_t end = svg.find('"', at);
        EXPECT_EQ(std::count(svg.begin() + long(at), svg.begin() + long(end), ','), Eye::trace_length);
        std::size_t point = at;
        for (int k = 0; k < samples_per_symbol; ++k) point = svg.find(' ', point) + 1;
        EXPECT_NEAR(std::atof(svg.c_str() + point), instant, 0.2);
    }
    EXPECT_EQ(polylines, eye.traces.size());
    const std::size_t plus3 = svg.find(">+3</text>"), minus3 = svg.find(">-3</text>");
    ASSERT_NE(plus3, std::string::npos);
    ASSERT_NE(minus3, std::string::npos);
    EXPECT_LT(number_after(" y=\"", svg.rfind("<text", plus3)), number_after(" y=\"", svg.rfind("<text", minus3)));
    // The slicer's thresholds, dashed: 0 and +-2 and nothing else.
    std::string thresholds;
    for (std::size_t at = 0; (at = svg.find("stroke-dasharray=\"4 4\"", at + 1)) != std::string::npos;) {
        const std::size_t label = svg.find("text-anchor=\"end\">", at) + 18;
        thresholds += svg.substr(label, svg.find('<', label) - label) + " ";
    }
    EXPECT_EQ(thresholds, "-2 +0 +2 ");
    const std::size_t bins = std::size_t(std::count_if(eye.histogram.begin(), eye.histogram.end(), [](uint64_t n) { return n > 0; }));
    std::size_t bars = 0;
    for (std::size_t at = svg.find("<g fill=\"#1f5fa8\">"); (at = svg.find("<rect", at + 1)) != std::string::npos;) ++bars;
    EXPECT_EQ(bars, bins);
}

// Random TSBKs, three to a TSDU, through white noise: at most max_lost of
// the 120 sent are lost at an Eb/N0 where the receiver loses well under 1 %.
// IQ is decoded from the coherent detector's dibit costs, or (soft) from the
// soft symbols alone, as a host that takes no costs gets it.
struct Weak_signal { const char* name; bool audio, soft; double ebn0_db, offset_hz, clock_ppm; int max_lost; };
const Weak_signal weak_signals[] = {
    {"IQ_6_dB", false, false, 6, 0, 0, 3},
    {"IQ_1_kHz_off_200_ppm_6_5_dB", false, false, 6.5, 1000, 200, 2},
    {"IQ_1_kHz_below_200_ppm_slow_6_5_dB", false, false, 6.5, -1000, -200, 2},
    {"IQ_soft_7_dB", false, true, 7, 0, 0, 3},
    {"IQ_soft_1_kHz_off_200_ppm_7_5_dB", false, true, 7.5, 1000, 200, 2},
    {"audio_9_dB", true, true, 9, 0, 0, 2},
};

class Sensitivity : public testing::TestWithParam<Weak_signal> {};

TEST_P(Sensitivity, FewTsbksLost) {
    const Weak_signal& w = GetParam();
    const Traffic traffic = Random_tsdus(40, 11);
    Modulator modulator(Signal::iq, 48000 / (1 + w.clock_ppm * 1e-6));
    std::vector<Complex> iq;
    modulator.Push_iq(traffic.dibits.data(), traffic.dibits.size(), iq);
    modulator.Flush_iq(iq);
    Impair(iq, 48000, w.ebn0_db, w.offset_hz, 5);
    Demodulator demodulator(w.audio ? Signal::audio : Signal::iq, 48000);
    std::vector<float> symbols;
    std::vector<Symbol_costs> costs;
    if (w.audio) {
        const std::vector<float> audio = Radio_audio(iq, 48000);
        demodulator.Push_audio(audio.data(), audio.size(), symbols);
    } else {
        demodulator.Push_iq(iq.data(), iq.size(), symbols, nullptr, &costs);
    }
    demodulator.Flush(symbols, nullptr, &costs);
    ASSERT_EQ(costs.size(), w.audio ? 0 : symbols.size());
    if (w.soft) costs.clear();
    EXPECT_LE(Tsbks_lost(traffic.tsbks, symbols, costs) * double(traffic.tsbks.size()), w.max_lost + 0.5);
}

INSTANTIATE_TEST_SUITE_P(WhiteNoise, Sensitivity, testing::ValuesIn(weak_signals),
                         [](const testing::TestParamInfo<Weak_signal>& info) { return std::string(info.param.name); });

// The trellis decoder's soft distance: clicks (a whole turn, 8 level units,
// on one symbol) and the anticorrelated noise of neighbouring symbols are
// what the receiver's symbols carry; a block still decodes exactly with some
// of each on top of Gaussian noise.
TEST(Trellis, SoftDecodingOutlastsClicks) {
    const uint8_t tsbk[12] = {0x34, 0x00, 0xE5, 0x05, 0xC0, 0x64, 0x01, 0xEE, 0x89, 0x90, 0x7F, 0xA6};
    const auto coded = Trellis_half_encode(tsbk);
    std::mt19937 rng(8);
    std::normal_distribution<float> noise(0.0f, 0.35f);
    const struct { const char* name; std::vector<int> clicks; float shared; } cases[] = {
        {"three clicks", {5, 40, 77}, 0},
        {"one click a quarter", {3, 30, 55, 90}, 0},
        {"anticorrelated neighbours", {}, 0.6f},
        {"both", {10, 60}, 0.5f},
    };
    for (const auto& c : cases) {
        int exact = 0;
        for (int trial = 0; trial < 20; ++trial) {
            float symbols[block_dibits];
            float previous = noise(rng);
            for (std::size_t i = 0; i < block_dibits; ++i) {
                // Each symbol's noise: its own, plus the phase noise at its
                // start taken away and at its end added.
                const float next = noise(rng);
                symbols[i] = dibit_level[coded[i]] + noise(rng) * 0.5f + c.shared * (next - previous);
                previous = next;
            }
            for (int k : c.clicks) symbols[k] += symbols[k] > 0 ? -8.0f : 8.0f;
            uint8_t out[12];
            Trellis_half_decode(symbols, out);
            exact += std::equal(out, out + 12, tsbk);
        }
        EXPECT_GE(exact, 19) << c.name;
    }
}

// The frame decoder takes the trellis blocks from the dibit costs when every
// symbol has them: a TSDU whose block symbols say nothing (0) decodes from
// costs alone, inverted too (each dibit heard as its opposite, d ^ 2); one
// symbol without costs sends the block back to the soft symbols.
TEST(Frame_decoder, DecodesTrellisBlocksFromCosts) {
    const Traffic traffic = Random_tsdus(1, 4);
    const std::size_t blocks_from = 57;  // the sync, NID and the status symbol among them
    const struct { const char* name; bool inverted; std::size_t uncosted; bool heard; } cases[] = {
        {"costs", false, ~std::size_t{0}, true},
        {"inverted", true, ~std::size_t{0}, true},
        {"a symbol without costs", false, 100, false},
    };
    for (const auto& c : cases) {
        std::vector<float> symbols;
        std::vector<Symbol_costs> costs;
        for (std::size_t i = 0; i < traffic.dibits.size(); ++i) {
            const uint8_t sent = traffic.dibits[i] ^ (c.inverted ? 2 : 0);
            symbols.push_back(i < blocks_from ? dibit_level[sent] : 0.0f);
            Symbol_costs cost;
            for (uint8_t d = 0; d < 4; ++d) cost[d] = d == sent ? 0.0f : 6.0f;
            if (i == c.uncosted) cost.fill(NAN);
            costs.push_back(cost);
        }
        EXPECT_EQ(Tsbks_lost(traffic.tsbks, symbols, costs) == 0.0, c.heard) << c.name;
    }
}

// A voice transmission and a control-channel burst, as a record script.
const char script[] =
    "voice_header NAC=293 Group_ID=1234 Algorithm_ID=80 Key_ID=0 mfid=0 001122334455667788\n"
    "ldu1 NAC=293 000000001234ABCDEF\n"
    "ldu2 NAC=293 Algorithm_ID=80 Key_ID=0 001122334455667788\n"
    "ldu1 NAC=293 000000001234ABCDEF\n"
    "ldu2 NAC=293 Algorithm_ID=80 Key_ID=0 001122334455667788\n"
    "term_lc NAC=293 000000001234ABCDEF\n"
    "tsbk NAC=293 3400E505C06401EE89907FA6 02000191253101912531742F B9000230057D04057D042508\n"
    "tsbk NAC=293 B400E505C06401EE89909B92\n";  // a TSDU of its own: the last-block flag set
constexpr int script_frames = 8;

// The tags of a log's data-unit elements, kind by kind.
std::vector<std::string> Elements(const std::string& log) {
    std::vector<std::string> out;
    for (const char* tag : {"<Voice_Header", "<LDU1", "<LDU2", "<TermLC", "<TSBK", "<Trunking_message"})
        for (std::size_t at = 0; (at = log.find(tag, at)) != std::string::npos; ++at) out.push_back(tag);
    return out;
}

// The format is also the file's extension, but "audio" is a WAV file (its rate
// in its header); min_frames: how many of the script's must come back;
// inverted: the receiver's discriminator of the opposite sense.
struct Channel { const char *name, *format; double rate, ebn0_db, offset_hz, clock_ppm;
                 int min_frames; bool inverted; };

const Channel channels[] = {
    {"audio_WAV_at_44_1_kHz", "audio", 44100, none, 0, 0, script_frames, false},
    {"raw_audio", "raw", 48000, none, 0, 0, script_frames, false},
    {"dibits", "dibits", 48000, none, 0, 0, script_frames, false},
    {"cf32_clean", "cf32", 48000, none, 0, 0, script_frames, false},
    {"cu8_at_96_kHz", "cu8", 96000, none, 0, 0, script_frames, false},
    {"cs16", "cs16", 48000, none, 0, 0, script_frames, false},
    {"500_Hz_above", "cf32", 48000, none, 500, 0, script_frames, false},
    {"500_Hz_below", "cf32", 48000, none, -500, 0, script_frames, false},
    {"100_ppm_fast", "cf32", 48000, none, 0, 100, script_frames, false},
    {"100_ppm_slow", "cf32", 48000, none, 0, -100, script_frames, false},
    {"Eb_N0_16_dB", "cf32", 48000, 16, 0, 0, script_frames, false},
    {"Eb_N0_12_dB", "cf32", 48000, 12, 0, 0, script_frames, false},
    {"Eb_N0_9_dB", "cf32", 48000, 9, 0, 0, 7, false},  // 99.5 % of frames found at 9 dB
    {"inverted", "cf32", 48000, none, 0, 0, script_frames, true},
};

class Air : public tool_test::Tool_fixture, public testing::WithParamInterface<Channel> {};

TEST_P(Air, TransmitThenReceiveGivesTheRecordsBack) {
    const Channel& c = GetParam();
    const std::string script_path = Temp("script"), sent = Temp("sent.xml"), heard = Temp("heard.xml"),
                      signal = Temp("signal.") + (c.format == std::string("audio") ? "wav" : c.format);
    std::ofstream(script_path) << script;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.3f", c.rate / (1 + c.clock_ppm * 1e-6));
    const Result tx = Run("transmit " + script_path + " --out " + signal + " --format " + c.format + " --rate " + rate);
    ASSERT_EQ(tx.status, 0) << tx.err;

    Sample_format format;
    ASSERT_TRUE(Sample_format_of_path(signal, format));
    if (Is_iq(format) && (std::isfinite(c.ebn0_db) || c.offset_hz != 0 || c.inverted)) {
        std::vector<Complex> samples, block;
        {
            Sample_reader reader(signal, format, c.rate);
            while (reader.Read_iq(block, 1 << 14) > 0) samples.insert(samples.end(), block.begin(), block.end());
        }
        if (c.inverted)
            for (Complex& s : samples) s = std::conj(s);  // every deviation of the other sign
        Impair(samples, c.rate, c.ebn0_db, c.offset_hz, 11);
        Sample_writer writer(signal, format, c.rate);
        ASSERT_TRUE(writer.Write_iq(samples) && writer.Close());
    }

    // The format from the extension.
    const std::string rx_rate = format == Sample_format::audio ? "" : " --rate " + std::to_string(int(c.rate));
    const Result rx = Run("receive " + signal + rx_rate + " --out " + heard);
    ASSERT_EQ(rx.status, 0) << rx.err;
    ASSERT_EQ(Run("log " + script_path + " --out " + sent).status, 0);
    const std::size_t at = rx.err.find(": ", rx.err.find(signal));
    EXPECT_GE(at == std::string::npos ? -1 : std::atoi(rx.err.c_str() + at + 2), c.min_frames) << rx.err;
    if (c.min_frames == script_frames) {
        EXPECT_EQ(Elements(Read_file(heard)), Elements(Read_file(sent))) << rx.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Channels, Air, testing::ValuesIn(channels),
                         [](const testing::TestParamInfo<Channel>& info) { return std::string(info.param.name); });

using Receive = tool_test::Tool_fixture;

// Every frame of the off-air recording, every word clean, at the deviation it was sent with.
TEST_F(Receive, TheRecordingGivesEveryFrame) {
    const Result rx =
        Run("receive " TESSEL_TEST_DATA "/air/p25_1_48000.raw --out " + Temp("log") + " --eye " + Temp("eye.svg"));
    ASSERT_EQ(rx.status, 0) << rx.err;
    for (const char* line : {": 84 frames: HDU 2, TDU 2, LDU1 41, LDU2 39\n", " 0 NIDs corrected",
                             " 0 corrected, 0 failed; voice vectors failed 0\n  CRC failed: 0 TSBK, 0 PDU"})
        EXPECT_NE(rx.err.find(line), std::string::npos) << line << "\n" << rx.err;
    const std::size_t deviation = rx.err.find("deviation ");
    ASSERT_NE(deviation, std::string::npos) << rx.err;
    EXPECT_NEAR(std::atof(rx.err.c_str() + deviation + 10), 600, 30) << rx.err;
    const std::string svg = Read_file(Temp("eye.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("Eye: 600 traces"), std::string::npos);  // the frames' symbols fill the diagram
}

// Bad command lines and unreadable input are refused, never crash.
TEST_F(Receive, RefusesWhatItCannotRead) {
    const std::string odd = Temp("odd.cu8");
    std::ofstream(odd) << "x";
    const struct { std::string arguments; int status; const char* says; } cases[] = {
        {"receive", 2, "tessel receive: no recording\n"},
        {"receive /nonexistent.cfile", 2, "cannot read /nonexistent.cfile: No such file or directory\n"},
        {"receive recording.unknown", 2, "cannot tell the format of recording.unknown: give --format\n"},
        {"receive " + odd + " --format nonsense", 2, "unknown format \"nonsense\"\n"},
        {"receive " + odd + " --rate 1000", 2, "bad --rate \"1000\": a rate of 8000 Hz or more is needed\n"},
        {"receive " + odd + " --rate 20000", 2, "IQ needs a rate of 24000 Hz or more\n"},
        {"receive " + odd + " --out /dev/null", 1, "odd.cu8: 0 frames\n"},  // one odd byte: nothing heard
        {"transmit " + odd, 2, "tessel transmit: --out FILE is needed\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.arguments << "\n" << r.err;
    }
}

}  // namespace
}  // namespace tessel_air
