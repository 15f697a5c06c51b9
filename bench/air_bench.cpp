// The air interface's speed and sensitivity.
//
// Receive and transmit speed as a multiple of real time (counter
// "x_realtime": seconds of signal per second of CPU), beside the bare FM
// discriminator (liquid's freqdem over the same IQ) as the floor, so the
// ratio of the two shows what the rest of the receiver costs.  Then the frame
// error rate of 3-TSBK TSDUs against Eb/N0, soft symbols and hard decisions
// given to the same frame decoder (counters "fer_soft", "fer_hard").
#include <benchmark/benchmark.h>

#include <complex>
#include <liquid/liquid.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tessel_air/frames.h"
#include "tessel_air/modem.h"

namespace {

using tessel_air::Complex;

constexpr double signal_seconds = 10.0;

std::vector<uint8_t> Random_dibits(std::size_t n) {
    std::mt19937 rng(5);
    std::vector<uint8_t> d(n);
    for (uint8_t& v : d) v = uint8_t(rng() & 3);
    return d;
}

const std::vector<uint8_t>& Dibits() {
    static const std::vector<uint8_t> d = Random_dibits(std::size_t(signal_seconds * tessel_air::symbol_rate_hz));
    return d;
}

const std::vector<Complex>& Iq() {
    static const std::vector<Complex> iq = [] {
        std::vector<Complex> out;
        tessel_air::Modulator m(tessel_air::Signal::iq, tessel_air::working_rate);
        m.Push_iq(Dibits().data(), Dibits().size(), out);
        return out;
    }();
    return iq;
}

const std::vector<float>& Audio() {
    static const std::vector<float> audio = [] {
        std::vector<float> out;
        tessel_air::Modulator m(tessel_air::Signal::audio, tessel_air::working_rate);
        m.Push_audio(Dibits().data(), Dibits().size(), out);
        return out;
    }();
    return audio;
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
    symbols.reserve(Dibits().size() + 1024);
    for (auto _ : state) {
        tessel_air::Demodulator d(tessel_air::Signal::iq, tessel_air::working_rate);
        symbols.clear();
        for (std::size_t at = 0; at < iq.size(); at += block) d.Push_iq(&iq[at], std::min(block, iq.size() - at), symbols);
        benchmark::DoNotOptimize(symbols.data());
    }
    Realtime(state);
}
BENCHMARK(BM_Receive_iq_48k)->Unit(benchmark::kMillisecond);

void BM_Receive_audio_48k(benchmark::State& state) {
    const std::vector<float>& audio = Audio();
    std::vector<float> symbols;
    symbols.reserve(Dibits().size() + 1024);
    for (auto _ : state) {
        tessel_air::Demodulator d(tessel_air::Signal::audio, tessel_air::working_rate);
        symbols.clear();
        for (std::size_t at = 0; at < audio.size(); at += block)
            d.Push_audio(&audio[at], std::min(block, audio.size() - at), symbols);
        benchmark::DoNotOptimize(symbols.data());
    }
    Realtime(state);
}
BENCHMARK(BM_Receive_audio_48k)->Unit(benchmark::kMillisecond);

void BM_Transmit_iq_48k(benchmark::State& state) {
    const std::vector<uint8_t>& dibits = Dibits();
    std::vector<Complex> out;
    out.reserve(dibits.size() * 10 + 4096);
    for (auto _ : state) {
        tessel_air::Modulator m(tessel_air::Signal::iq, tessel_air::working_rate);
        out.clear();
        for (std::size_t at = 0; at < dibits.size(); at += 864)
            m.Push_iq(&dibits[at], std::min<std::size_t>(864, dibits.size() - at), out);
        benchmark::DoNotOptimize(out.data());
    }
    Realtime(state);
}
BENCHMARK(BM_Transmit_iq_48k)->Unit(benchmark::kMillisecond);

void BM_Transmit_audio_48k(benchmark::State& state) {
    const std::vector<uint8_t>& dibits = Dibits();
    std::vector<float> out;
    out.reserve(dibits.size() * 10 + 4096);
    for (auto _ : state) {
        tessel_air::Modulator m(tessel_air::Signal::audio, tessel_air::working_rate);
        out.clear();
        for (std::size_t at = 0; at < dibits.size(); at += 864)
            m.Push_audio(&dibits[at], std::min<std::size_t>(864, dibits.size() - at), out);
        benchmark::DoNotOptimize(out.data());
    }
    Realtime(state);
}
BENCHMARK(BM_Transmit_audio_48k)->Unit(benchmark::kMillisecond);

// Three TSBKs with their CRCs (the published TSBK vectors).
P25::TSBK_PDU_data Tsdu() {
    static const uint8_t blocks[3][12] = {
        {0x34, 0x00, 0xE5, 0x05, 0xC0, 0x64, 0x01, 0xEE, 0x89, 0x90, 0x7F, 0xA6},
        {0x02, 0x00, 0x01, 0x91, 0x25, 0x31, 0x01, 0x91, 0x25, 0x31, 0x74, 0x2F},
        {0xB9, 0x00, 0x02, 0x30, 0x05, 0x7D, 0x04, 0x05, 0x7D, 0x04, 0x25, 0x08},
    };
    P25::TSBK_PDU_data unit;
    std::memset(&unit, 0, sizeof unit);
    unit.header.nid.nac = 0x293;
    unit.header.nid.duid = 7;
    unit.block_count = 3;
    for (int i = 0; i < 3; ++i) std::memcpy(unit.tsbk[i].data, blocks[i], 12);
    return unit;
}

// Frames whose every block came through (CRC and FEC), of those sent.
double Good_fraction(const std::vector<float>& symbols, std::size_t sent) {
    std::size_t good = 0;
    tessel_air::Frame_decoder decoder([&](const tessel_air::Frame& f) {
        good += f.duid == tessel_air::Duid::TSDU && f.crc_failed == 0 && f.fec_failed == 0 && f.complete;
    });
    decoder.Push(symbols.data(), symbols.size());
    decoder.Flush();
    return double(std::min(good, sent)) / double(sent);
}

void BM_Frame_error_rate(benchmark::State& state) {
    const double ebn0_db = double(state.range(0));
    constexpr std::size_t frames = 200;
    tessel_air::Frame_encoder encoder(tessel_air::Status_plan::control_channel);
    std::vector<uint8_t> dibits;
    const P25::TSBK_PDU_data unit = Tsdu();
    for (std::size_t i = 0; i < frames; ++i) {
        const std::vector<uint8_t> f = encoder.Tsdu(unit);
        dibits.insert(dibits.end(), f.begin(), f.end());
    }
    std::vector<Complex> iq;
    tessel_air::Modulator m(tessel_air::Signal::iq, tessel_air::working_rate);
    m.Push_iq(dibits.data(), dibits.size(), iq);
    m.Flush_iq(iq);
    std::mt19937 rng(3);
    const double sigma2 = (tessel_air::working_rate / tessel_air::symbol_rate_hz) / (2 * std::pow(10.0, ebn0_db / 10));
    std::normal_distribution<float> noise(0.0f, float(std::sqrt(sigma2 / 2)));
    for (Complex& z : iq) z += Complex(noise(rng), noise(rng));
    double soft_fer = 0, hard_fer = 0;
    for (auto _ : state) {
        tessel_air::Demodulator d(tessel_air::Signal::iq, tessel_air::working_rate);
        std::vector<float> soft;
        d.Push_iq(iq.data(), iq.size(), soft);
        d.Flush(soft);
        std::vector<float> hard(soft.size());
        for (std::size_t k = 0; k < soft.size(); ++k) hard[k] = tessel_air::dibit_level[tessel_air::Slice(soft[k])];
        soft_fer = 1 - Good_fraction(soft, frames);
        hard_fer = 1 - Good_fraction(hard, frames);
    }
    state.counters["EbN0_dB"] = ebn0_db;
    state.counters["fer_soft"] = soft_fer;
    state.counters["fer_hard"] = hard_fer;
}
BENCHMARK(BM_Frame_error_rate)->DenseRange(4, 14, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
