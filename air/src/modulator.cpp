// C4FM transmitter: dibits -> impulses at the symbol instants, weighted by
// the symbol level -> raised-cosine Nyquist filter H(f) (alpha 0.2) times the
// x/sin x shaping P(f) -> instantaneous frequency -> discriminator audio, or
// FM at complex baseband.
//
// The shaped frequency is computed directly at the output rate: each output
// sample sums the pulses of the symbols within the filter's span, the pulse
// read from a finely sampled table at the sample's exact distance from each
// impulse.  So every rate is served without a resampler, a symbol can be
// placed at any fractional output position, and the FM phase is accumulated
// in double precision and turned into IQ with the full-precision sine and
// cosine: nothing but the pulse's own spectrum reaches the neighbouring
// channels.
//
// A transmission starts and ends with the carrier raised and lowered over a
// raised-cosine ramp where the pulses' tails are negligible, so keying the
// carrier on and off adds no splatter; between transmissions the output is
// carrier off (zero IQ, zero audio).
#include <algorithm>
#include <cmath>
#include <complex>
#include <deque>
#include <type_traits>

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
    const double x = pi * f / symbol_rate;
    return x == 0.0 ? 1.0 : x / std::sin(x);
}

// The pulse table: h(t) at the working rate times `oversampling`, over the
// span of +-delay_symbols symbols, read with cubic interpolation.
constexpr int oversampling = 16;
constexpr int symbol_steps = samples_per_symbol * oversampling;          // table steps a symbol
constexpr int half_span = Modulator::delay_symbols * symbol_steps;

// h(t) = 2 * integral over 0..2880 Hz of H(f) P(f) cos(2 pi f t) df, divided
// by 2 * integral of H(f) (= 4800) so that H alone is 1 at t = 0.  The
// integrand is smooth, so a trapezoid over 1 Hz steps is exact to float
// precision; cos(2 pi f t) is stepped by rotation.
std::vector<double> Pulse(double steps_per_second, int half) {
    constexpr double step = 1.0;
    constexpr int points = int(band_edge_hz / step);
    std::vector<double> weight(points + 1);
    double h_area = 0;
    for (int i = 0; i <= points; ++i) {
        const double trapezoid = (i == 0 || i == points ? 0.5 : 1.0) * step;
        weight[std::size_t(i)] = trapezoid * Nyquist(i * step) * Shaping(i * step);
        h_area += trapezoid * Nyquist(i * step);
    }
    std::vector<double> pulse(std::size_t(2 * half + 1));
    for (int n = 0; n <= half; ++n) {
        const std::complex<double> turn = std::polar(1.0, 2 * pi * step * n / steps_per_second);
        std::complex<double> rotor = 1.0;
        double sum = 0;
        for (int i = 0; i <= points; ++i, rotor *= turn) sum += weight[std::size_t(i)] * rotor.real();
        pulse[std::size_t(half + n)] = pulse[std::size_t(half - n)] = sum / h_area;
    }
    return pulse;
}

const std::vector<float>& Pulse_table() {
    static const std::vector<float> table = [] {
        const std::vector<double> p = Pulse(working_rate * oversampling, half_span);
        // Two zero steps beyond each end for the interpolation.
        std::vector<float> t(p.size() + 4, 0.0f);
        for (std::size_t i = 0; i < p.size(); ++i) t[i + 2] = float(p[i]);
        return t;
    }();
    return table;
}

// The carrier is raised over this many symbols before the first pulse's
// own tail reaches a hundredth of its span, and lowered likewise at the end.
constexpr double ramp_symbols = 2.0;

}  // namespace

std::vector<float> Transmit_filter() {
    const std::vector<double> p = Pulse(working_rate, Modulator::delay_symbols * samples_per_symbol);
    return std::vector<float>(p.begin(), p.end());
}

struct Modulator::State {
    Signal signal;
    double rate;
    double deviation;
    double per_symbol;     // output samples a symbol
    double table_step;     // table steps an output sample
    double reach;          // output samples from an impulse to the end of its pulse

    // The impulses whose pulses reach samples not yet written: their levels,
    // one symbol period apart from the first's position on.
    std::deque<float> live;
    double first = 0;
    double next;               // position of the next impulse
    uint64_t written = 0;      // output samples written
    bool on = false;           // a transmission is in progress
    double start = 0, end = 0; // of the transmission in progress (end: once known)
    double phase = 0;          // FM phase, radians

    // Frequency (level units) at output sample n.  The impulses lie whole
    // symbols apart, a symbol being symbol_steps table steps, so one set of
    // interpolation weights serves them all.
    float Frequency(double n) const {
        const std::vector<float>& table = Pulse_table();
        const double x = (n - first) * table_step + half_span;
        const double whole = std::floor(x);
        const float mu = float(x - whole);
        // Catmull-Rom through y[-1], y[0], y[1], y[2].
        const float w0 = mu * (-0.5f + mu * (1.0f - 0.5f * mu)), w1 = 1.0f + mu * mu * (-2.5f + 1.5f * mu),
                    w2 = mu * (0.5f + mu * (2.0f - 1.5f * mu)), w3 = mu * mu * (-0.5f + 0.5f * mu);
        float sum = 0;
        long at = long(whole);
        for (const float level : live) {
            if (at < -1) break;
            if (at <= 2 * half_span) {
                const float* y = &table[std::size_t(at + 2)];
                sum += level * (w0 * y[-1] + w1 * y[0] + w2 * y[1] + w3 * y[2]);
            }
            at -= symbol_steps;
        }
        return sum;
    }

    // Carrier amplitude at sample n: the ramps at the ends of a transmission.
    double Envelope(double n) const {
        const double ramp = ramp_symbols * per_symbol;
        const double from_start = n - start, to_end = on ? ramp : end - n;
        const double x = std::min(from_start, to_end) / ramp;
        return x >= 1 ? 1.0 : 0.5 - 0.5 * std::cos(pi * std::max(x, 0.0));
    }

    // Writes the samples before `limit` (an output position).
    template <class Out>
    void Write(double limit, Out& out) {
        const double radians_per_unit = 2 * pi * deviation / rate;
        const float audio_per_unit = float(deviation / Audio_full_scale_hz(rate));
        for (; double(written) < limit; ++written) {
            const double n = double(written);
            while (!live.empty() && first + reach < n) {
                live.pop_front();
                first += per_symbol;
            }
            const bool carrier = n >= start && (on || n < end);
            const float f = carrier ? Frequency(n) : 0.0f;
            if constexpr (std::is_same_v<typename Out::value_type, float>) {
                out.push_back(f * audio_per_unit);
            } else {
                phase += radians_per_unit * f;  // under pi a sample: one turn brings it back
                if (phase > pi) phase -= 2 * pi;
                if (phase < -pi) phase += 2 * pi;
                const float a = carrier ? float(Envelope(n)) : 0.0f;
                out.push_back(std::polar(a, float(phase)));
            }
        }
    }

    template <class Out>
    void Push(const uint8_t* dibits, std::size_t count, Out& out) {
        if (!on) {
            on = true;
            start = next - reach;
            live.clear();
            first = next;
        }
        for (std::size_t k = 0; k < count; ++k) {
            live.push_back(dibits[k] < 4 ? dibit_level[dibits[k]] : dibit_level[0]);
            next += per_symbol;
            // A sample is final once every impulse that reaches it is known.
            Write(next - reach, out);
        }
    }

    // Ends the transmission in progress: its tails and the carrier's ramp down.
    template <class Out>
    void End(Out& out) {
        if (on) {
            on = false;
            end = next - per_symbol + reach;
            Write(end, out);
        }
        next = std::max(next, double(written) + reach);
    }

    template <class Out>
    void Idle(double next_symbol_position, Out& out) {
        End(out);
        if (std::isfinite(next_symbol_position)) next = std::max(next, next_symbol_position);
        Write(next - reach, out);
    }
};

Modulator::Modulator(Signal signal, double sample_rate, double deviation) : state_(new State) {
    State& s = *state_;
    s.signal = signal;
    s.rate = sample_rate;
    s.deviation = deviation;
    s.per_symbol = sample_rate / symbol_rate;
    s.table_step = working_rate * oversampling / sample_rate;
    s.reach = delay_symbols * s.per_symbol;
    s.next = s.reach;
}

Modulator::~Modulator() = default;

double Modulator::Next_symbol_position() const { return state_->next; }

void Modulator::Push_audio(const uint8_t* dibits, std::size_t count, std::vector<float>& out) {
    if (state_->signal == Signal::audio && count > 0) state_->Push(dibits, count, out);
}

void Modulator::Push_iq(const uint8_t* dibits, std::size_t count, std::vector<Complex>& out) {
    if (state_->signal == Signal::iq && count > 0) state_->Push(dibits, count, out);
}

void Modulator::Flush_audio(std::vector<float>& out) {
    if (state_->signal == Signal::audio) state_->End(out);
}

void Modulator::Flush_iq(std::vector<Complex>& out) {
    if (state_->signal == Signal::iq) state_->End(out);
}

void Modulator::Idle_audio(double next_symbol_position, std::vector<float>& out) {
    if (state_->signal == Signal::audio) state_->Idle(next_symbol_position, out);
}

void Modulator::Idle_iq(double next_symbol_position, std::vector<Complex>& out) {
    if (state_->signal == Signal::iq) state_->Idle(next_symbol_position, out);
}

}  // namespace tessel_air
