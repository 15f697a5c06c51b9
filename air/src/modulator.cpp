// C4FM transmitter: dibits -> impulses at the symbol instants, weighted by
// the symbol level -> raised-cosine Nyquist filter H(f) (alpha 0.2) times the
// x/sin x shaping P(f) -> instantaneous frequency -> discriminator audio, or
// FM at complex baseband.
#include <complex>
#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>

#include "tessel_air/modem.h"

namespace tessel_air {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double rolloff_start_hz = 1920.0, band_edge_hz = 2880.0;

// H(f): flat to 1920 Hz, raised-cosine roll-off to zero at 2880 Hz.
double Nyquist(double f) {
    if (f < rolloff_start_hz) return 1.0;
    if (f > band_edge_hz) return 0.0;
    return 0.5 + 0.5 * std::cos(pi * (f - rolloff_start_hz) / (band_edge_hz - rolloff_start_hz));
}

// P(f) = (pi f / 4800) / sin(pi f / 4800): the inverse of a one-symbol
// integrate-and-dump, so that the reference receiver sees H alone.
double Shaping(double f) {
    const double x = pi * f / symbol_rate_hz;
    return x == 0.0 ? 1.0 : x / std::sin(x);
}

constexpr float resampler_attenuation_db = 60.0f;
constexpr int interpolation = samples_per_symbol;

}  // namespace

std::vector<float> Transmit_filter() {
    // h(t) = 2 * integral over 0..2880 Hz of H(f) P(f) cos(2 pi f t) df,
    // divided by 2 * integral of H(f) (= 4800) so that H alone is 1 at t = 0.
    constexpr double step = 0.5;  // Hz
    constexpr int points = int(band_edge_hz / step);
    const int half = Modulator::delay_symbols * samples_per_symbol;
    std::vector<float> taps(std::size_t(2 * half + 1));
    double h_area = 0;
    for (int i = 0; i <= points; ++i) h_area += (i == 0 || i == points ? 0.5 : 1.0) * Nyquist(i * step) * step;
    for (int n = -half; n <= half; ++n) {
        const double t = n / working_rate;
        double sum = 0;
        for (int i = 0; i <= points; ++i) {
            const double f = i * step;
            sum += (i == 0 || i == points ? 0.5 : 1.0) * Nyquist(f) * Shaping(f) * std::cos(2 * pi * f * t) * step;
        }
        taps[std::size_t(n + half)] = float(sum / h_area);
    }
    return taps;
}

struct Modulator::State {
    Signal signal;
    double rate;
    double deviation;
    firinterp_rrrf shaping = nullptr;
    msresamp_rrrf resampler = nullptr;
    freqmod fm = nullptr;
    std::vector<float> levels, shaped, resampled;
    std::uint64_t written = 0;      // output samples so far
    double transmission_start = 0;  // output sample where the transmission's filters started
    std::uint64_t pushed = 0;       // impulses of the transmission so far

    ~State() {
        if (shaping) firinterp_rrrf_destroy(shaping);
        if (resampler) msresamp_rrrf_destroy(resampler);
        if (fm) freqmod_destroy(fm);
    }

    // Levels (units) -> instantaneous frequency in level units at the output rate.
    const std::vector<float>& Frequency(const float* level, std::size_t count) {
        shaped.resize(count * interpolation);
        firinterp_rrrf_execute_block(shaping, const_cast<float*>(level), unsigned(count), shaped.data());
        if (!resampler) return shaped;
        resampled.resize(std::size_t(double(shaped.size()) * rate / working_rate) + 64);
        unsigned produced = 0;
        msresamp_rrrf_execute(resampler, shaped.data(), unsigned(shaped.size()), resampled.data(), &produced);
        resampled.resize(produced);
        return resampled;
    }

    const std::vector<float>& Dibits(const uint8_t* dibits, std::size_t count) {
        pushed += count;
        levels.resize(count);
        for (std::size_t i = 0; i < count; ++i) levels[i] = dibits[i] < 4 ? dibit_level[dibits[i]] : dibit_level[0];
        return Frequency(levels.data(), count);
    }

    const std::vector<float>& Tail() {
        // Zero-weight impulses: the filters empty at the carrier frequency.
        levels.assign(2 * delay_symbols, 0.0f);
        return Frequency(levels.data(), levels.size());
    }

    // Output samples from a transmission's start to the centre of its first impulse.
    double Lead() const {
        const double half_filter = double(delay_symbols * samples_per_symbol);
        return resampler ? (half_filter + double(msresamp_rrrf_get_delay(resampler))) * rate / working_rate : half_filter;
    }

    double Next_position() const {
        return transmission_start + Lead() + double(pushed * samples_per_symbol) * rate / working_rate;
    }

    // The samples of the silence before a transmission whose first impulse is centred at position.
    std::size_t Silence(double position) {
        const double samples = std::round(position - Lead() - double(written));
        firinterp_rrrf_reset(shaping);
        if (resampler) msresamp_rrrf_reset(resampler);
        if (fm) freqmod_reset(fm);
        const std::size_t n = samples > 0 ? std::size_t(samples) : 0;
        written += n;
        transmission_start = double(written);
        pushed = 0;
        return n;
    }

    void Audio(const std::vector<float>& frequency, std::vector<float>& out) {
        written += frequency.size();
        const float scale = float(deviation / Audio_full_scale_hz(rate));
        for (float f : frequency) out.push_back(f * scale);
    }

    void Iq(const std::vector<float>& frequency, std::vector<Complex>& out) {
        written += frequency.size();
        const std::size_t base = out.size();
        out.resize(base + frequency.size());
        freqmod_modulate_block(fm, const_cast<float*>(frequency.data()), unsigned(frequency.size()), &out[base]);
    }
};

Modulator::Modulator(Signal signal, double sample_rate, double deviation) : state_(new State) {
    State& s = *state_;
    s.signal = signal;
    s.rate = sample_rate;
    s.deviation = deviation;
    static const std::vector<float> taps = Transmit_filter();  // the same for every modulator
    s.shaping = firinterp_rrrf_create(interpolation, const_cast<float*>(taps.data()), unsigned(taps.size()));
    if (std::fabs(sample_rate - working_rate) > 0.5)
        s.resampler = msresamp_rrrf_create(float(sample_rate / working_rate), resampler_attenuation_db);
    // One level unit is `deviation` Hz: kf in cycles per sample per unit.
    if (signal == Signal::iq) s.fm = freqmod_create(float(deviation / sample_rate));
}

Modulator::~Modulator() = default;

void Modulator::Push_audio(const uint8_t* dibits, std::size_t count, std::vector<float>& out) {
    if (state_->signal == Signal::audio && count > 0) state_->Audio(state_->Dibits(dibits, count), out);
}

void Modulator::Push_iq(const uint8_t* dibits, std::size_t count, std::vector<Complex>& out) {
    if (state_->signal == Signal::iq && count > 0) state_->Iq(state_->Dibits(dibits, count), out);
}

void Modulator::Flush_audio(std::vector<float>& out) {
    if (state_->signal == Signal::audio) state_->Audio(state_->Tail(), out);
}

void Modulator::Flush_iq(std::vector<Complex>& out) {
    if (state_->signal == Signal::iq) state_->Iq(state_->Tail(), out);
}

double Modulator::Next_symbol_position() const { return state_->Next_position(); }

void Modulator::Idle_iq(double next_symbol_position, std::vector<Complex>& out) {
    if (state_->signal != Signal::iq) return;
    if (state_->pushed > 0) state_->Iq(state_->Tail(), out);
    out.resize(out.size() + state_->Silence(next_symbol_position), Complex(0, 0));
}

void Modulator::Idle_audio(double next_symbol_position, std::vector<float>& out) {
    if (state_->signal != Signal::audio) return;
    if (state_->pushed > 0) state_->Audio(state_->Tail(), out);
    out.resize(out.size() + state_->Silence(next_symbol_position), 0.0f);
}

}  // namespace tessel_air
