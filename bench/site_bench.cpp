// A whole site's sensitivity and speed.
//
// Before the benchmarks, a table: the TSBK error rate against Eb/N0 of random
// TSBKs received alone (48 kHz IQ, as `tessel receive` takes it) and inside
// a wideband capture (combined at 240 kS/s between two busy neighbours
// 12.5 kHz either side, cut out again by the channelizer), through white
// noise of the same density; the last rows give the Eb/N0 where 1 % of TSBKs
// are lost and what the channelizer costs.  The channel filter is designed at
// the channel rate, so it is the same at any wide rate.  --frames N sends N
// TSDUs a point.
//
// Then the speed: a 2.4 MS/s capture of a control channel and eight busy
// traffic channels.
// The floor is a bare FFT of the same samples (the transform the
// channelizer uses, FFTW's at its size, blocks side by side); beside it the channelizer with the
// nine channels open, and `tessel receive --center` on the capture written as
// cu8 (reading, channelizing, nine demodulators and frame decoders, the
// log).  Counter "x_realtime": seconds of capture per second of CPU.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <complex>
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/air/channel_model.h"
#include "air_bench_main.h"

#include "tessel_air/channelizer.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"

namespace {

using tessel_air::Complex;

constexpr double wide_rate = 2.4e6;
constexpr double capture_seconds = 4.0;
constexpr int traffic_channels = 8;

// The channels' offsets: 12.5 kHz apart around a quarter of the band.
double Offset(int channel) { return -400000 + 37500.0 * channel; }

// ---- sensitivity -----------------------------------------------------------------------

constexpr double channel_rate = 48000;
constexpr double sensitivity_wide_rate = 240000;
constexpr double channel_offset = 50000, neighbour_spacing = 12500;

// The symbols of one channel received alone: its 48 kHz IQ through the noise.
// What the demodulator gives the frame decoder.
struct Heard {
    std::vector<float> symbols;
    std::vector<tessel_air::Symbol_costs> costs;
};

Heard Alone(std::vector<Complex> iq, double ebn0_db, unsigned seed) {
    channel_model::Impair(iq, channel_rate, ebn0_db, 0, seed);
    tessel_air::Demodulator demodulator(tessel_air::Signal::iq, channel_rate);
    Heard heard;
    demodulator.Push_iq(iq.data(), iq.size(), heard.symbols, nullptr, &heard.costs);
    demodulator.Flush(heard.symbols, nullptr, &heard.costs);
    return heard;
}

// The same channel inside a wideband capture, busy neighbours either side,
// through noise of the same density, cut out by the channelizer.
Heard Inside(const std::vector<Complex>& iq, const std::vector<Complex>& neighbour, double ebn0_db,
                          unsigned seed) {
    tessel_air::Combiner combiner(sensitivity_wide_rate);
    const tessel_air::Channel_grid& g = combiner.Grid();
    const double offsets[] = {channel_offset, channel_offset - neighbour_spacing, channel_offset + neighbour_spacing};
    const std::vector<Complex>* sources[] = {&iq, &neighbour, &neighbour};
    for (double offset : offsets) combiner.Add(offset);
    std::vector<Complex> wide;
    for (std::size_t at = 0; at < iq.size(); at += g.Channel_step()) {
        for (int c = 0; c < 3; ++c) combiner.Put(c, sources[c]->data() + at);
        combiner.Emit(wide);
    }
    combiner.Flush(wide);
    channel_model::Impair(wide, sensitivity_wide_rate, ebn0_db, 0, seed);
    tessel_air::Demodulator demodulator(tessel_air::Signal::iq, g.Channel_rate());
    Heard heard;
    tessel_air::Channelizer bank(sensitivity_wide_rate, 0, [&](int, const Complex* x, std::size_t n) {
        demodulator.Push_iq(x, n, heard.symbols, nullptr, &heard.costs);
    });
    bank.Open(channel_offset, 0);
    bank.Push(wide.data(), wide.size());
    bank.Flush();
    demodulator.Flush(heard.symbols, nullptr, &heard.costs);
    return heard;
}

void Sensitivity(std::size_t tsdus) {
    const channel_model::Traffic traffic = channel_model::Random_tsdus(tsdus, 1);
    const channel_model::Traffic busy = channel_model::Random_tsdus(tsdus, 2);
    const auto modulate = [](const channel_model::Traffic& t) {
        tessel_air::Modulator modulator(tessel_air::Signal::iq, channel_rate);
        std::vector<Complex> iq;
        modulator.Push_iq(t.dibits.data(), t.dibits.size(), iq);
        modulator.Flush_iq(iq);
        return iq;
    };
    std::vector<Complex> iq = modulate(traffic);
    // Both padded with silence to whole blocks of the combiner.
    const std::size_t step = tessel_air::Channel_grid::For_rate(sensitivity_wide_rate).Channel_step();
    iq.resize((iq.size() / step + 1) * step);
    std::vector<Complex> neighbour = modulate(busy);
    neighbour.resize(iq.size());
    std::vector<double> ebn0, alone, inside;
    for (double e = 3; e <= 10; e += 0.5) {
        const unsigned seed = unsigned(e * 10);
        ebn0.push_back(e);
        const Heard a = Alone(iq, e, seed), b = Inside(iq, neighbour, e, seed);
        alone.push_back(channel_model::Tsbks_lost(traffic.tsbks, a.symbols, a.costs));
        inside.push_back(channel_model::Tsbks_lost(traffic.tsbks, b.symbols, b.costs));
    }
    std::printf("TSBK error rate, %zu TSBKs a point: one channel alone (48 kHz IQ) and inside a %.0f kS/s capture\n\n"
                "| Eb/N0 | alone | inside |\n| --- | --- | --- |\n",
                traffic.tsbks.size(), sensitivity_wide_rate / 1000);
    for (std::size_t i = 0; i < ebn0.size(); ++i) std::printf("| %.1f dB | %.4f | %.4f |\n", ebn0[i], alone[i], inside[i]);
    const double a = One_percent(ebn0, alone, traffic.tsbks.size()), b = One_percent(ebn0, inside, traffic.tsbks.size());
    std::printf("| 1 %% lost at | %.2f dB | %.2f dB |\n\nthe channelizer costs %.2f dB\n\n", a, b, b - a);
}

// ---- speed -------------------------------------------------------------------------------

// Every channel busy all the time: the control channel TSDUs, the others LDUs.
const std::vector<Complex>& Capture() {
    static const std::vector<Complex> wide = [] {
        tessel_air::Combiner combiner(wide_rate);
        const tessel_air::Channel_grid& g = combiner.Grid();
        std::vector<std::vector<Complex>> channels;
        for (int c = 0; c <= traffic_channels; ++c) {
            tessel_air::Frame_encoder encoder(c == 0 ? tessel_air::Status_plan::control_channel
                                                     : tessel_air::Status_plan::busy);
            tessel_air::Modulator modulator(tessel_air::Signal::iq, g.Channel_rate());
            std::vector<Complex> iq;
            P25::Log_Dispatch_payload p{};
            p.tsbk.block_count = 3;
            p.ldu1.header.nid.nac = p.tsbk.header.nid.nac = 0x293;
            const std::size_t wanted = std::size_t(capture_seconds * g.Channel_rate()) + 4 * g.Channel_step();
            for (unsigned n = 0; iq.size() < wanted; ++n) {
                const std::vector<std::uint8_t> d = c == 0 ? encoder.Tsdu(p.tsbk) : n % 2 ? encoder.Ldu2(p.ldu2) : encoder.Ldu1(p.ldu1);
                modulator.Push_iq(d.data(), d.size(), iq);
            }
            for (Complex& z : iq) z *= 0.1f;
            channels.push_back(std::move(iq));
            combiner.Add(Offset(c));
        }
        std::vector<Complex> out;
        for (std::size_t b = 0; out.size() < std::size_t(capture_seconds * wide_rate); ++b) {
            for (int c = 0; c <= traffic_channels; ++c) combiner.Put(c, channels[std::size_t(c)].data() + b * g.Channel_step());
            combiner.Emit(out);
        }
        out.resize(std::size_t(capture_seconds * wide_rate));
        return out;
    }();
    return wide;
}

void Realtime(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(capture_seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Fft_floor(benchmark::State& state) {
    const std::vector<Complex>& x = Capture();
    const unsigned n = tessel_air::Channel_grid::For_rate(wide_rate).fft_size;
    fftwf_complex* in = fftwf_alloc_complex(n);
    fftwf_complex* out = fftwf_alloc_complex(n);
    // Planned as the channelizer plans its transforms.
    fftwf_plan plan = fftwf_plan_dft_1d(int(n), in, out, FFTW_FORWARD, FFTW_ESTIMATE);
    for (auto _ : state) {
        for (std::size_t at = 0; at + n <= x.size(); at += n) {
            std::copy(x.begin() + long(at), x.begin() + long(at + n), reinterpret_cast<Complex*>(in));
            fftwf_execute(plan);
        }
        benchmark::DoNotOptimize(out);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
    Realtime(state);
}
BENCHMARK(BM_Fft_floor)->Unit(benchmark::kMillisecond);

void BM_Channelizer(benchmark::State& state) {
    const std::vector<Complex>& x = Capture();
    for (auto _ : state) {
        std::size_t samples = 0;
        tessel_air::Channelizer bank(wide_rate, 0.5, [&](int, const Complex*, std::size_t n) { samples += n; });
        for (int c = 0; c <= traffic_channels; ++c) bank.Open(Offset(c), 0);
        for (std::size_t at = 0; at < x.size(); at += 65536) bank.Push(&x[at], std::min<std::size_t>(65536, x.size() - at));
        bank.Flush();
        benchmark::DoNotOptimize(samples);
    }
    Realtime(state);
}
BENCHMARK(BM_Channelizer)->Unit(benchmark::kMillisecond);

// CPU time of the children waited for.
double Children_cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

void BM_Receive_site(benchmark::State& state) {
    const std::string path = "/tmp/tessel-site-bench.cu8";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::vector<std::uint8_t> bytes;
        for (const Complex& z : Capture())
            for (float v : {z.real(), z.imag()})
                bytes.push_back(std::uint8_t(std::lrint(std::min(255.0f, std::max(0.0f, v * 127.5f + 127.5f)))));
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const std::string command = std::string(TESSEL_TOOL) + " receive " + path +
                                " --center 851000000 --rate 2400000 --out /dev/null 2>/dev/null";
    for (auto _ : state) {
        const double start = Children_cpu_seconds();
        if (std::system(command.c_str()) != 0) state.SkipWithError("tessel receive failed");
        state.SetIterationTime(Children_cpu_seconds() - start);
    }
    std::remove(path.c_str());
    Realtime(state);
}
BENCHMARK(BM_Receive_site)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return Air_bench_main(argc, argv, 300, [](std::size_t tsdus) {
        Sensitivity(tsdus);
    });
}
