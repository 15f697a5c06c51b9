// Fast-convolution filter banks between a wideband capture and its channels.
//
// Analysis, per block b of the capture (step L wide samples, transform size
// N = decimation * Nc):
//   X = FFT_N(wide samples bL - M*D ... bL - M*D + N - 1)
//   for each channel, centred on bin k (plus a residual of under half a bin):
//     Y[j] = H[j] * X[k + j] for the Nc bins j around it
//     y = IFFT_Nc(Y): channel samples M ... M + L/D - 1 are valid (the zero-
//     phase filter reaches M samples each way, and the block's edges hold
//     its wrap-around), and they are wide samples bL, bL + D, ...
//     then the block's phase and the residual are turned away.
// Synthesis runs the same steps backwards and adds the blocks' overlaps.
//
// H is the transform of a Kaiser-windowed low-pass designed at the channel
// rate, 2M + 1 taps, so the same filter shapes a channel both ways.
#include "tessel_air/channelizer.h"

#include <complex>
#include <fftw3.h>
#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tessel_air {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double preferred_channel_rate = 48000.0;
constexpr double lowest_channel_rate = 40000.0, highest_channel_rate = 64000.0;
// The channel filter: -6 dB at 6.6 kHz; at 48 kHz its 129 taps give a
// passband to about 5.8 kHz (a C4FM signal, +-4.7 kHz, a kilohertz off
// tune) and 70 dB from about 7.4 kHz (where a neighbour 12.5 kHz away
// begins).
constexpr double filter_cutoff_hz = 6600.0;
constexpr float filter_attenuation_db = 70.0f;
// The band's power spectrum is summed over one block in this many.
constexpr std::uint64_t power_every = 4;

unsigned Largest_prime_factor(unsigned n) {
    unsigned largest = 1;
    for (unsigned p = 2; p * p <= n; ++p)
        while (n % p == 0) largest = p, n /= p;
    return n > 1 ? std::max(largest, n) : largest;
}

// Transform memory, aligned as the FFT library likes it.
struct Fft_buffer {
    Complex* data;
    explicit Fft_buffer(unsigned n) : data(reinterpret_cast<Complex*>(fftwf_alloc_complex(n))) {
        std::fill(data, data + n, Complex(0.0f, 0.0f));
    }
    ~Fft_buffer() { fftwf_free(data); }
    Fft_buffer(const Fft_buffer&) = delete;
    Fft_buffer& operator=(const Fft_buffer&) = delete;
};

fftwf_complex* As_fftw(Complex* x) { return reinterpret_cast<fftwf_complex*>(x); }

// An out-of-place transform (its input left as it was), planned without
// trial runs: measuring plans would cost seconds at every start for a few
// per cent.  Run_into writes another buffer allocated like `out`.
struct Fft {
    Fft_buffer in, out;
    fftwf_plan plan;
    Fft(unsigned n, int direction)
        : in(n),
          out(n),
          plan(fftwf_plan_dft_1d(int(n), As_fftw(in.data), As_fftw(out.data), direction, FFTW_ESTIMATE)) {}
    ~Fft() { fftwf_destroy_plan(plan); }
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;
    void Run() { fftwf_execute(plan); }
    void Run_into(Complex* to) { fftwf_execute_dft(plan, As_fftw(in.data), As_fftw(to)); }
};

// Synthesis keeps liquid-dsp's transform: transmit's speed is not at stake,
// and a site written before comes out the same to the last bit.
struct Liquid_fft {
    Fft_buffer in, out;
    fftplan plan;
    Liquid_fft(unsigned n, int direction) : in(n), out(n), plan(fft_create_plan(n, in.data, out.data, direction, 0)) {}
    ~Liquid_fft() { fft_destroy_plan(plan); }
    Liquid_fft(const Liquid_fft&) = delete;
    Liquid_fft& operator=(const Liquid_fft&) = delete;
    void Run() { fft_execute(plan); }
};

// The filter's response on the Nc channel bins, in transform order (bin j
// and bin j - Nc are the same), times scale.
std::vector<float> Channel_response(const Channel_grid& g, double scale) {
    const unsigned taps = 2 * g.margin + 1;
    std::vector<float> h(taps);
    liquid_firdes_kaiser(taps, float(filter_cutoff_hz / g.Channel_rate()), filter_attenuation_db, 0.0f, h.data());
    double sum = 0;
    for (float v : h) sum += v;
    std::vector<float> response(g.channel_bins);
    for (unsigned j = 0; j < g.channel_bins; ++j) {
        double r = h[g.margin];
        for (unsigned i = 1; i <= g.margin; ++i) r += 2.0 * h[g.margin + i] * std::cos(2 * pi * double(j) * i / g.channel_bins);
        response[j] = float(r / sum * scale);
    }
    return response;
}

// Where a channel sits: its centre bin and the residual beside it.
struct Tuning {
    double offset_hz = 0;
    long bin = 0;          // -N/2 .. N/2
    double residual = 0;   // Hz, under half a bin
    std::complex<double> nco_step{1, 0};
    std::vector<unsigned> wide_bins;  // the wide bin of each channel bin

    Tuning(const Channel_grid& g, double offset, double sign) : offset_hz(offset), wide_bins(g.channel_bins) {
        bin = std::lround(offset / g.Bin_hz());
        residual = offset - double(bin) * g.Bin_hz();
        nco_step = std::polar(1.0, sign * 2 * pi * residual * g.decimation / g.wide_rate);
        const long n = long(g.fft_size), half = long(g.channel_bins / 2);
        for (long j = 0; j < long(g.channel_bins); ++j) {
            const long signed_j = j < half ? j : j - long(g.channel_bins);
            wide_bins[std::size_t(j)] = unsigned((((bin + signed_j) % n) + n) % n);
        }
    }
    // The residual's rotation at a wide sample.
    std::complex<double> Nco_at(const Channel_grid& g, std::uint64_t wide, double sign) const {
        const double cycles = std::fmod(residual * double(wide) / g.wide_rate, 1.0);
        return std::polar(1.0, sign * 2 * pi * cycles);
    }
    // e^(sign 2 pi i bin s0 / N) for the block that starts at wide sample s0 (may be negative).
    std::complex<float> Block_phase(const Channel_grid& g, std::int64_t s0, double sign) const {
        const std::int64_t n = g.fft_size;
        const std::int64_t k = ((bin % n) + n) % n, s = ((s0 % n) + n) % n;
        return std::complex<float>(std::polar(1.0, sign * 2 * pi * double((k * s) % n) / double(n)));
    }
};

}  // namespace

Channel_grid Channel_grid::For_rate(double wide_rate) {
    Channel_grid g;
    g.wide_rate = wide_rate;
    const double exact = wide_rate / preferred_channel_rate;
    if (exact >= 1 && exact == std::floor(exact) && exact < 1e6) {
        g.decimation = unsigned(exact);
    } else {
        const unsigned low = unsigned(std::max(1.0, std::ceil(wide_rate / highest_channel_rate)));
        const unsigned high = unsigned(std::max(1.0, std::floor(wide_rate / lowest_channel_rate)));
        g.decimation = unsigned(std::max(1.0, std::round(exact)));
        double best = std::numeric_limits<double>::max();
        for (unsigned d = low; d <= high; ++d) {
            // Small prime factors first (a fast transform), then nearness to 48 kHz.
            const double cost = (Largest_prime_factor(d) > 7 ? 1e9 : 0) + std::fabs(wide_rate / d - preferred_channel_rate);
            if (cost < best) best = cost, g.decimation = d;
        }
    }
    g.fft_size = g.decimation * g.channel_bins;
    g.step = g.decimation * (g.channel_bins - 2 * g.margin);
    return g;
}

// ---- analysis --------------------------------------------------------------------------

namespace {

struct Analysis_channel {
    Tuning tuning;
    bool open = true;
    std::uint64_t first_sample = 0;  // wide sample of output 0
    std::uint64_t next_block = 0;    // the block whose outputs it gets next
    std::uint64_t produced = 0;      // outputs so far
    std::complex<double> nco{1, 0};
};

}  // namespace

struct Channelizer::State {
    Channel_grid grid;
    Sink sink;
    Fft wide;     // forward, N
    Fft narrow;   // backward, Nc
    std::vector<float> response;
    // The next block's N wide samples fill the wide transform's input.
    std::size_t filled = 0;
    std::uint64_t pushed = 0;     // wide samples pushed
    std::uint64_t blocks = 0;     // blocks made
    std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();  // after Flush: wide samples that exist
    // The spectra of the last blocks, block b in slot b % kept.
    std::vector<std::unique_ptr<Fft_buffer>> kept;
    std::vector<Analysis_channel> channels;
    std::vector<Complex> output;
    std::vector<double> power;
    std::size_t power_blocks = 0;

    State(double rate, double lookback, Sink s)
        : grid(Channel_grid::For_rate(rate)),
          sink(std::move(s)),
          wide(grid.fft_size, FFTW_FORWARD),
          narrow(grid.channel_bins, FFTW_BACKWARD),
          response(Channel_response(grid, 1.0 / grid.fft_size)),
          power(grid.fft_size) {
        // The first block reaches M channel samples before wide sample 0.
        filled = std::size_t(grid.margin) * grid.decimation;
        const std::size_t blocks_kept = 1 + std::size_t(std::ceil(std::max(0.0, lookback) * rate / grid.step));
        for (std::size_t b = 0; b < blocks_kept; ++b) kept.push_back(std::make_unique<Fft_buffer>(grid.fft_size));
        output.resize(grid.Channel_step());
    }

    const Complex* Spectrum(std::uint64_t block) const { return kept[block % kept.size()]->data; }
    std::uint64_t Oldest_kept() const { return blocks > kept.size() ? blocks - kept.size() : 0; }

    // One block of one channel from its spectrum.
    void Extract(int id, std::uint64_t block) {
        Analysis_channel& c = channels[std::size_t(id)];
        const Complex* x = Spectrum(block);
        const Channel_grid& g = grid;
        for (unsigned j = 0; j < g.channel_bins; ++j) narrow.in.data[j] = x[c.tuning.wide_bins[j]] * response[j];
        narrow.Run();
        const std::int64_t s0 = std::int64_t(block * g.step) - std::int64_t(g.margin) * g.decimation;
        const Complex phase = c.tuning.Block_phase(g, s0, -1);
        std::size_t count = g.Channel_step();
        const std::uint64_t start = block * g.step;
        if (limit != std::numeric_limits<std::uint64_t>::max()) {
            const std::uint64_t remaining = limit > start ? (limit - start + g.decimation - 1) / g.decimation : 0;
            count = std::size_t(std::min<std::uint64_t>(count, remaining));
        }
        for (std::size_t i = 0; i < count; ++i) {
            output[i] = narrow.out.data[g.margin + i] * phase * Complex(c.nco);
            c.nco *= c.tuning.nco_step;
        }
        c.nco /= std::abs(c.nco);
        c.next_block = block + 1;
        c.produced += count;
        if (count > 0) sink(id, output.data(), count);
    }

    // Channels behind the newest block (opened late) catch up from the kept spectra.
    void Catch_up() {
        for (bool again = true; again;) {
            again = false;
            for (std::size_t id = 0; id < channels.size(); ++id)
                while (channels[id].open && channels[id].next_block < blocks) {
                    Extract(int(id), channels[id].next_block);
                    again = true;
                }
        }
    }

    void Make_block() {
        Complex* spectrum = kept[blocks % kept.size()]->data;
        wide.Run_into(spectrum);
        if (blocks % power_every == 0) {
            for (unsigned k = 0; k < grid.fft_size; ++k) power[k] += std::norm(spectrum[k]);
            ++power_blocks;
        }
        ++blocks;
        Catch_up();
        // The next block overlaps this one by N - L samples.
        std::copy(wide.in.data + grid.step, wide.in.data + grid.fft_size, wide.in.data);
        filled = grid.fft_size - grid.step;
    }
};

Channelizer::Channelizer(double wide_rate, double lookback_seconds, Sink sink)
    : state_(std::make_unique<State>(wide_rate, lookback_seconds, std::move(sink))) {}
Channelizer::~Channelizer() = default;

const Channel_grid& Channelizer::Grid() const { return state_->grid; }

int Channelizer::Open(double offset_hz, std::uint64_t from) {
    State& s = *state_;
    Analysis_channel c{Tuning(s.grid, offset_hz, -1)};
    c.next_block = std::clamp<std::uint64_t>(from / s.grid.step, s.Oldest_kept(), s.blocks);
    c.first_sample = c.next_block * s.grid.step;
    c.nco = c.tuning.Nco_at(s.grid, c.first_sample, -1);
    s.channels.push_back(c);
    return int(s.channels.size() - 1);
}

void Channelizer::Close(int channel) {
    if (Is_open(channel)) state_->channels[std::size_t(channel)].open = false;
}

bool Channelizer::Is_open(int channel) const {
    return channel >= 0 && std::size_t(channel) < state_->channels.size() && state_->channels[std::size_t(channel)].open;
}

std::uint64_t Channelizer::First_sample(int channel) const { return state_->channels.at(std::size_t(channel)).first_sample; }
double Channelizer::Offset_hz(int channel) const { return state_->channels.at(std::size_t(channel)).tuning.offset_hz; }
std::uint64_t Channelizer::Samples() const { return state_->pushed; }

void Channelizer::Push(const Complex* samples, std::size_t count) {
    State& s = *state_;
    s.Catch_up();
    s.pushed += count;
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, s.grid.fft_size - s.filled);
        std::copy(samples, samples + n, s.wide.in.data + s.filled);
        s.filled += n;
        samples += n;
        count -= n;
        if (s.filled == s.grid.fft_size) s.Make_block();
    }
}

void Channelizer::Flush() {
    State& s = *state_;
    s.Catch_up();
    if (s.limit != std::numeric_limits<std::uint64_t>::max()) return;
    s.limit = s.pushed;
    // Silence until the block holding the last sample is made.
    const std::uint64_t last_block = s.pushed == 0 ? 0 : (s.pushed - 1) / s.grid.step;
    while (s.pushed > 0 && s.blocks <= last_block) {
        std::fill(s.wide.in.data + s.filled, s.wide.in.data + s.grid.fft_size, Complex(0.0f, 0.0f));
        s.filled = s.grid.fft_size;
        s.Make_block();
    }
}

std::size_t Channelizer::Take_spectrum(std::vector<float>& power) {
    State& s = *state_;
    const unsigned n = s.grid.fft_size;
    power.assign(s.power_blocks ? n : 0, 0.0f);
    for (unsigned i = 0; i < power.size(); ++i) power[i] = float(s.power[(i + n / 2) % n] / s.power_blocks);
    const std::size_t blocks = s.power_blocks;
    std::fill(s.power.begin(), s.power.end(), 0.0);
    s.power_blocks = 0;
    return blocks;
}

// ---- synthesis ---------------------------------------------------------------------------

namespace {

struct Synthesis_channel {
    Tuning tuning;
    std::vector<Complex> samples;  // this block's
    bool given = false;
    std::complex<double> nco{1, 0};
};

}  // namespace

struct Combiner::State {
    Channel_grid grid;
    Liquid_fft narrow;  // forward, Nc
    Liquid_fft wide;    // backward, N
    std::vector<float> response;
    std::vector<Complex> sum;  // overlap-add of the blocks' wide samples, from the current block's start
    std::uint64_t blocks = 0;
    std::vector<Synthesis_channel> channels;

    explicit State(double rate)
        : grid(Channel_grid::For_rate(rate)),
          narrow(grid.channel_bins, LIQUID_FFT_FORWARD),
          wide(grid.fft_size, LIQUID_FFT_BACKWARD),
          response(Channel_response(grid, 1.0 / grid.channel_bins)),
          sum(grid.fft_size) {}

    // Appends sum[from, to) to out, leaving out samples before wide sample 0.
    void Emit_range(std::size_t from, std::size_t to, std::vector<Complex>& out) const {
        const std::int64_t s0 = std::int64_t(blocks * grid.step) - std::int64_t(grid.margin) * grid.decimation;
        for (std::size_t i = from; i < to; ++i)
            if (s0 + std::int64_t(i) >= 0) out.push_back(sum[i]);
    }
};

Combiner::Combiner(double wide_rate) : state_(std::make_unique<State>(wide_rate)) {}
Combiner::~Combiner() = default;

const Channel_grid& Combiner::Grid() const { return state_->grid; }

int Combiner::Add(double offset_hz) {
    State& s = *state_;
    Synthesis_channel c{Tuning(s.grid, offset_hz, +1), {}};
    c.samples.resize(s.grid.Channel_step());
    c.nco = c.tuning.Nco_at(s.grid, s.blocks * s.grid.step, +1);
    s.channels.push_back(std::move(c));
    return int(s.channels.size() - 1);
}

void Combiner::Put(int channel, const Complex* samples) {
    Synthesis_channel& c = state_->channels.at(std::size_t(channel));
    std::copy(samples, samples + c.samples.size(), c.samples.begin());
    c.given = true;
}

void Combiner::Emit(std::vector<Complex>& out) {
    State& s = *state_;
    const Channel_grid& g = s.grid;
    const std::int64_t s0 = std::int64_t(s.blocks * g.step) - std::int64_t(g.margin) * g.decimation;
    bool any = false;
    std::fill(s.wide.in.data, s.wide.in.data + g.fft_size, Complex(0.0f, 0.0f));
    for (Synthesis_channel& c : s.channels) {
        const std::complex<double> step = c.tuning.nco_step;
        if (!c.given) {
            // Keep the residual's rotation running through the silence.
            for (std::size_t i = 0; i < c.samples.size(); ++i) c.nco *= step;
            c.nco /= std::abs(c.nco);
            continue;
        }
        any = true;
        std::fill(s.narrow.in.data, s.narrow.in.data + g.channel_bins, Complex(0.0f, 0.0f));
        for (std::size_t i = 0; i < c.samples.size(); ++i) {
            s.narrow.in.data[g.margin + i] = c.samples[i] * Complex(c.nco);
            c.nco *= step;
        }
        c.nco /= std::abs(c.nco);
        s.narrow.Run();
        const Complex phase = c.tuning.Block_phase(g, s0, +1);
        for (unsigned j = 0; j < g.channel_bins; ++j)
            s.wide.in.data[c.tuning.wide_bins[j]] += s.narrow.out.data[j] * (s.response[j] * phase);
        c.given = false;
    }
    if (any) {
        s.wide.Run();
        for (unsigned n = 0; n < g.fft_size; ++n) s.sum[n] += s.wide.out.data[n];
    }
    s.Emit_range(0, g.step, out);
    std::copy(s.sum.begin() + g.step, s.sum.end(), s.sum.begin());
    std::fill(s.sum.end() - g.step, s.sum.end(), Complex(0.0f, 0.0f));
    ++s.blocks;
}

void Combiner::Flush(std::vector<Complex>& out) {
    State& s = *state_;
    s.Emit_range(0, s.grid.fft_size - s.grid.step, out);
    std::fill(s.sum.begin(), s.sum.end(), Complex(0.0f, 0.0f));
}

}  // namespace tessel_air
