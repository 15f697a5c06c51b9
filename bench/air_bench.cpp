// The air interface's sensitivity, emissions and speed.
//
// Before the benchmarks, three tables:
//  * Sensitivity: the TSBK error rate against Eb/N0 of random TSBKs (three
//    to a TSDU, back to back) sent as 48 kHz IQ through white noise -- as
//    sent, with the carrier 1 kHz off either way, with the symbol clock
//    200 ppm off either way -- and as the discriminator audio of a radio with
//    a 12.5 kHz channel filter; beside them the ideal receivers simulated over
//    the same trellis: the exact symbol levels plus the noise a matched filter
//    leaves, decoded with soft and with hard decisions.  The last row is the
//    Eb/N0 where 1 % of TSBKs are lost.  --frames N sends N TSDUs a point.
//  * Emissions: the power of the transmitted IQ in the adjacent and the
//    alternate channel (+-12.5 and +-25 kHz, 6 kHz wide) at 192 kHz.
//  * Speed: receive (demodulator and frame decoder) of 48 kHz IQ and audio as
//    a multiple of real time, beside the bare FM discriminator over the same
//    samples as the floor, measured in the same run.
// Then Google Benchmark's own runs of receive and transmit ("x_realtime":
// seconds of signal per second of CPU).
#include <benchmark/benchmark.h>

#include <complex>
#include <liquid/liquid.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../tests/air/channel_model.h"
#include "air_bench_main.h"
#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"

namespace {

using namespace channel_model;
using tessel_air::Signal;
constexpr double rate = tessel_air::working_rate;

// The TSBKs the frame decoder gives back with a good CRC, of those sent.
std::size_t Heard(const Traffic& traffic, const std::vector<float>& symbols,
                  const std::vector<tessel_air::Symbol_costs>& costs) {
    return std::size_t(std::lround((1 - Tsbks_lost(traffic.tsbks, symbols, costs)) * double(traffic.tsbks.size())));
}

// How the signal reaches the receiver.
struct Channel {
    const char* name;
    bool audio;        // through a radio's discriminator
    double offset_hz;  // carrier offset
    double clock_ppm;  // transmitter's symbol clock
};
const Channel channels[] = {
    {"IQ", false, 0, 0},          {"IQ +1 kHz", false, 1000, 0},  {"IQ -1 kHz", false, -1000, 0},
    {"IQ +200 ppm", false, 0, 200}, {"IQ -200 ppm", false, 0, -200}, {"audio", true, 0, 0},
};

double Receiver_loss(const Traffic& traffic, const Channel& c, double ebn0_db, unsigned seed) {
    tessel_air::Modulator modulator(Signal::iq, rate / (1 + c.clock_ppm * 1e-6));
    std::vector<Complex> iq;
    modulator.Push_iq(traffic.dibits.data(), traffic.dibits.size(), iq);
    modulator.Flush_iq(iq);
    Impair(iq, rate, ebn0_db, c.offset_hz, seed);
    std::vector<float> symbols;
    std::vector<tessel_air::Symbol_costs> costs;
    tessel_air::Demodulator demodulator(c.audio ? Signal::audio : Signal::iq, rate);
    if (c.audio) {
        const std::vector<float> audio = Radio_audio(iq, rate);
        demodulator.Push_audio(audio.data(), audio.size(), symbols);
    } else {
        demodulator.Push_iq(iq.data(), iq.size(), symbols, nullptr, &costs);
    }
    demodulator.Flush(symbols, nullptr, &costs);
    return Tsbks_lost(traffic.tsbks, symbols, costs);
}

// The ideal receivers: the coded symbols at their exact levels plus the
// noise of a matched filter at the symbol instants (4-level PAM, Es = 5
// level units squared, so N0/2 = 1.25 / (Eb/N0)), decoded over the trellis.
double Ideal_loss(const std::vector<Tsbk>& tsbks, bool hard, double ebn0_db, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, float(std::sqrt(1.25 / std::pow(10.0, ebn0_db / 10))));
    std::size_t lost = 0;
    for (const Tsbk& t : tsbks) {
        const auto dibits = tessel_air::Trellis_half_encode(t.data());
        float symbols[tessel_air::block_dibits];
        for (std::size_t i = 0; i < dibits.size(); ++i) symbols[i] = tessel_air::dibit_level[dibits[i]] + noise(rng);
        Tsbk out;
        tessel_air::Trellis_half_decode(symbols, out.data(),
                                        hard ? tessel_air::Trellis_metric::hard : tessel_air::Trellis_metric::euclidean);
        lost += out != t;
    }
    return double(lost) / double(tsbks.size());
}

void Sensitivity(std::size_t tsdus) {
    const Traffic traffic = Random_tsdus(tsdus, 1);
    std::vector<double> ebn0;
    for (double e = 1; e <= 12; e += 1) ebn0.push_back(e);
    std::vector<std::string> names = {"ideal soft", "ideal hard"};
    for (const Channel& c : channels) names.push_back(c.name);
    std::vector<std::vector<double>> loss(names.size());
    for (std::size_t i = 0; i < ebn0.size(); ++i) {
        loss[0].push_back(Ideal_loss(traffic.tsbks, false, ebn0[i], unsigned(i)));
        loss[1].push_back(Ideal_loss(traffic.tsbks, true, ebn0[i], unsigned(i)));
        for (std::size_t c = 0; c < std::size(channels); ++c)
            loss[c + 2].push_back(Receiver_loss(traffic, channels[c], ebn0[i], unsigned(100 + i)));
    }
    std::printf("TSBK error rate, %zu TSBKs a point (random TSBKs in TSDUs, white noise, 48 kHz)\n\n| Eb/N0 |",
                traffic.tsbks.size());
    for (const std::string& n : names) std::printf(" %s |", n.c_str());
    std::printf("\n| --- |");
    for (std::size_t c = 0; c < names.size(); ++c) std::printf(" --- |");
    for (std::size_t i = 0; i < ebn0.size(); ++i) {
        std::printf("\n| %.0f dB |", ebn0[i]);
        for (const auto& column : loss) std::printf(" %.4f |", column[i]);
    }
    std::printf("\n| 1 %% lost at |");
    for (const auto& column : loss) std::printf(" %.2f dB |", One_percent(ebn0, column, traffic.tsbks.size()));
    std::printf("\n\n");
}

void Emissions() {
    constexpr double out_rate = 192000;
    std::mt19937 rng(2);
    std::vector<uint8_t> dibits(4800 * 4);
    for (uint8_t& d : dibits) d = uint8_t(rng() & 3);
    tessel_air::Modulator modulator(Signal::iq, out_rate);
    std::vector<Complex> iq;
    modulator.Push_iq(dibits.data(), dibits.size(), iq);
    std::printf("Emissions, 4 s of random symbols as IQ at 192 kHz (power in 6 kHz, dBc)\n\n"
                "| channel | below | above |\n| --- | --- | --- |\n");
    for (double spacing : {12500.0, 25000.0})
        std::printf("| %s (%.1f kHz) | %.1f | %.1f |\n", spacing < 20000 ? "adjacent" : "alternate", spacing / 1000,
                    Band_power_db(iq, out_rate, -spacing - 3000, -spacing + 3000),
                    Band_power_db(iq, out_rate, spacing - 3000, spacing + 3000));
    std::printf("\n");
}

// Seconds of CPU for the best of a few runs.
template <class F>
double Cpu_seconds(F run) {
    double best = INFINITY;
    for (int i = 0; i < 5; ++i) {
        const std::clock_t start = std::clock();
        run();
        best = std::min(best, double(std::clock() - start) / CLOCKS_PER_SEC);
    }
    return best;
}

void Speed() {
    const Traffic traffic = Random_tsdus(200, 3);
    tessel_air::Modulator iq_modulator(Signal::iq, rate), audio_modulator(Signal::audio, rate);
    std::vector<Complex> iq;
    std::vector<float> audio;
    iq_modulator.Push_iq(traffic.dibits.data(), traffic.dibits.size(), iq);
    audio_modulator.Push_audio(traffic.dibits.data(), traffic.dibits.size(), audio);
    Impair(iq, rate, 20, 0, 4);
    const double seconds = double(iq.size()) / rate;
    std::vector<float> out(iq.size());
    const double floor = Cpu_seconds([&] {
        freqdem q = freqdem_create(float(tessel_air::nominal_deviation / rate));
        freqdem_demodulate_block(q, iq.data(), unsigned(iq.size()), out.data());
        freqdem_destroy(q);
        benchmark::DoNotOptimize(out.data());
    });
    std::size_t heard = 0;
    const auto receive = [&](Signal signal) {
        std::vector<float> symbols;
        std::vector<tessel_air::Symbol_costs> costs;
        tessel_air::Demodulator d(signal, rate);
        for (std::size_t at = 0; at < iq.size(); at += 8192) {
            const std::size_t n = std::min<std::size_t>(8192, iq.size() - at);
            if (signal == Signal::iq)
                d.Push_iq(&iq[at], n, symbols, nullptr, &costs);
            else
                d.Push_audio(&audio[at], n, symbols);
        }
        d.Flush(symbols, nullptr, &costs);
        heard = Heard(traffic, symbols, costs);
    };
    const double iq_seconds = Cpu_seconds([&] { receive(Signal::iq); });
    const std::size_t iq_heard = heard;
    const double audio_seconds = Cpu_seconds([&] { receive(Signal::audio); });
    std::printf("Speed, %.1f s of TSDUs at 48 kHz (multiples of real time on one core)\n\n"
                "| | real time | CPU against the floor |\n| --- | --- | --- |\n"
                "| FM discriminator alone (floor) | %.0f x | 1 |\n"
                "| receive IQ (%zu of %zu TSBKs) | %.0f x | %.1f |\n"
                "| receive audio (%zu TSBKs) | %.0f x | %.1f |\n\n",
                seconds, seconds / floor, iq_heard, traffic.tsbks.size(), seconds / iq_seconds, iq_seconds / floor,
                heard, seconds / audio_seconds, audio_seconds / floor);
}

// Google Benchmark's runs: receive and transmit, 10 s of random symbols.
constexpr double signal_seconds = 10.0;

const std::vector<uint8_t>& Dibits() {
    static const std::vector<uint8_t> d = [] {
        std::mt19937 rng(5);
        std::vector<uint8_t> v(std::size_t(signal_seconds * tessel_air::symbol_rate));
        for (uint8_t& x : v) x = uint8_t(rng() & 3);
        return v;
    }();
    return d;
}

const std::vector<Complex>& Iq() {
    static const std::vector<Complex> iq = [] {
        std::vector<Complex> out;
        tessel_air::Modulator m(Signal::iq, rate);
        m.Push_iq(Dibits().data(), Dibits().size(), out);
        return out;
    }();
    return iq;
}

void Realtime(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(signal_seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

constexpr std::size_t block = 8192;

void BM_Freqdem_floor(benchmark::State& state) {
    const std::vector<Complex>& iq = Iq();
    std::vector<float> out(block);
    freqdem q = freqdem_create(0.0125f);
    for (auto _ : state) {
        for (std::size_t at = 0; at < iq.size(); at += block) {
            const std::size_t n = std::min(block, iq.size() - at);
            freqdem_demodulate_block(q, const_cast<Complex*>(&iq[at]), unsigned(n), out.data());
        }
        benchmark::DoNotOptimize(out.data());
    }
    freqdem_destroy(q);
    Realtime(state);
}
BENCHMARK(BM_Freqdem_floor)->Unit(benchmark::kMillisecond);

void BM_Receive_iq_48k(benchmark::State& state) {
    const std::vector<Complex>& iq = Iq();
    std::vector<float> symbols;
    std::vector<tessel_air::Symbol_costs> costs;
    symbols.reserve(Dibits().size() + 1024);
    costs.reserve(Dibits().size() + 1024);
    for (auto _ : state) {
        tessel_air::Demodulator d(Signal::iq, rate);
        symbols.clear();
        costs.clear();
        for (std::size_t at = 0; at < iq.size(); at += block)
            d.Push_iq(&iq[at], std::min(block, iq.size() - at), symbols, nullptr, &costs);
        benchmark::DoNotOptimize(symbols.data());
    }
    Realtime(state);
}
BENCHMARK(BM_Receive_iq_48k)->Unit(benchmark::kMillisecond);

template <Signal signal>
void BM_Transmit(benchmark::State& state) {
    const std::vector<uint8_t>& dibits = Dibits();
    const double out_rate = state.range(0);
    std::vector<Complex> iq;
    std::vector<float> audio;
    for (auto _ : state) {
        tessel_air::Modulator m(signal, out_rate);
        iq.clear(), audio.clear();
        for (std::size_t at = 0; at < dibits.size(); at += 864) {
            const std::size_t n = std::min<std::size_t>(864, dibits.size() - at);
            if (signal == Signal::iq)
                m.Push_iq(&dibits[at], n, iq);
            else
                m.Push_audio(&dibits[at], n, audio);
        }
        benchmark::DoNotOptimize(iq.data());
        benchmark::DoNotOptimize(audio.data());
    }
    Realtime(state);
}
BENCHMARK(BM_Transmit<Signal::iq>)->Arg(48000)->Arg(192000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Transmit<Signal::audio>)->Arg(48000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return Air_bench_main(argc, argv, 400, [](std::size_t tsdus) {
        Sensitivity(tsdus);
        Emissions();
        Speed();
    });
}
