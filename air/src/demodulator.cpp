// C4FM receiver: samples -> soft symbols at the nominal levels.
//
//   IQ:    [resample to 48 kHz] -> mixer following the carrier offset ->
//          channel low-pass (+-3.5 kHz) -> FM discriminator
//   audio: [resample to 48 kHz] -> scale to level units
//   then:  one-symbol integrate-and-dump (undoes the x/sin x shaping, leaving
//          the zero-ISI raised cosine) -> symbol timing loop (Gardner) with
//          cubic interpolation -> gain/DC loop (decision-directed).
//   IQ:    then coherent detection of the channel-filtered samples at each
//          symbol's edge and instant -> the symbol's dibit costs.
//
// Both loops run fast while the eye is closed (acquisition, or noise between
// transmissions) and slow once it is open, so that they hold through a long
// transmission and still pull in quickly at its start; a frame sync keeps
// them tracking through the frames that follow it however noisy they are.
// Each symbol goes out with its position in the input (where the transmitter
// centred it), and the eye keeps what it would draw of the last symbols until
// the host says which of them were inside frames.
#include <complex>
#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include "tessel_air/modem.h"

namespace tessel_air {

double Audio_full_scale_hz(double sample_rate) { return sample_rate / (2 * 3.14159265358979323846); }

namespace {

// Channel filter for IQ at the working rate.  The noise of a symbol (the
// carrier's phase step over a symbol period) grows with the filter's
// bandwidth, and the FM signal's distortion grows as the filter narrows:
// +-3.5 kHz over 47 taps lost the fewest TSBKs in white noise.
constexpr unsigned channel_taps = 47;
constexpr float channel_cutoff_hz = 3500.0f;
// The filter takes a little of the deviation with the outer sidebands: a
// nominal signal's symbols come out at 0.952 of their levels (measured),
// which the deviation figure puts back.
constexpr double channel_compression = 0.952;
constexpr float resampler_attenuation_db = 60.0f;
constexpr double pi = 3.14159265358979323846;
// The mixer is retuned every tuning_interval working-rate samples, up to
// +-max_tuning level units (+-2.4 kHz) from the nominal carrier.
constexpr std::size_t tuning_interval = 480;
constexpr double max_tuning = 4.0;
// Carrier off (a transmitter between transmissions, a squelch's zeros)
// leaves the discriminator a constant, which the level loop takes for a
// steady symbol and follows away from the carrier; the mixer keeps its
// tuning through a stretch whose power is this far below the carrier's
// (the strongest recent stretch, forgotten over about a second).
constexpr double carrier_off_ratio = 0.01;
constexpr double carrier_memory = 0.99;  // a tuning interval

// Loop gains.  Timing: fraction of the Gardner error (level units squared)
// applied to the phase and to the period, per symbol.  Levels: LMS step.
struct Loop_gains {
    float timing_phase, timing_period, level;
};
constexpr Loop_gains acquiring = {0.04f, 0.0f, 0.02f};
constexpr Loop_gains tracking = {0.004f, 1e-5f, 0.002f};
constexpr uint64_t pull_in_symbols = 200;
// A frame sync keeps the receiver tracking for this long whatever its slicer
// error says (at low signal-to-noise the error of a signal is that of noise):
// longer than the longest stretch between syncs of a voice or control channel.
constexpr uint64_t sync_hold_symbols = 1200;
constexpr float max_period_error = 0.002f;  // +-0.2 %: ten times the +-100 ppm clock tolerance
// A carrier that comes up this far above the power being followed (the mean
// over about onset_smoothing^-1 symbols) is a new transmission, whatever was
// followed before it (a neighbour's leakage, a weaker station on the same
// channel, noise): the receiver starts again as at the start of a recording.
// 10 dB, not 20: a call starting out of noise at Eb/N0 14 dB rises less
// than 20 dB over it, and such calls lost their voice headers at 20.
constexpr double onset_ratio = 10;
constexpr double onset_smoothing = 1.0 / 64;

// The receiver starts tracking once the mean squared slicer error falls
// below open_eye_mse (RMS 0.45 level units; the half-distance between levels
// is 1) and goes back to acquiring only when it rises above closed_eye_mse
// (RMS 0.77: noise), so a weak signal never has its timing thrown about.
constexpr float open_eye_mse = 0.2f, closed_eye_mse = 0.6f;
constexpr float quality_smoothing = 1.0f / 64;

// Gain and DC measured afresh (eye closed) from this many symbols ahead.
constexpr std::size_t level_window = 24;

// The frame sync, as the signs of its +-3 symbols, in transmit order.
constexpr std::size_t sync_length = 24;
constexpr int8_t sync_sign[sync_length] = {+1, +1, +1, +1, +1, -1, +1, +1, -1, -1, +1, +1,
                                           -1, -1, -1, -1, +1, -1, +1, -1, -1, -1, -1, -1};
constexpr std::size_t Count_plus() {
    std::size_t n = 0;
    for (int8_t v : sync_sign) n += v > 0;
    return n;
}
constexpr std::size_t sync_plus_count = Count_plus();
static_assert(sync_plus_count == 11, "the frame sync has eleven +3 symbols");
constexpr float sync_sign_mean = (2.0f * sync_plus_count - sync_length) / sync_length;
constexpr float sync_sign_power = sync_length - sync_length * sync_sign_mean * sync_sign_mean;
// Correlation that makes the receiver look for the best phase, and that it
// must then reach to take the sync's timing and levels.
constexpr float sync_detect = 0.6f, sync_accept = 0.9f;

// Samples a held symbol needs before its instant: an eye trace's symbol, the
// sync's phase search (half a symbol) and the interpolation's point.
constexpr int reach_back = samples_per_symbol + samples_per_symbol / 2 + 2;
// Samples of history kept before the current symbol: the held symbols, each
// at most a period and an acquisition's half-symbol step after the one
// before, and what the oldest reaches back to.  Samples kept after it: the
// levels' window.
constexpr int history = int(sync_length) * (samples_per_symbol + samples_per_symbol / 2 + 1) + reach_back;
constexpr int lookahead = int(level_window) * samples_per_symbol + 3;

// atan2(y, x) to within 3e-7 radians, without a library call: a
// polynomial for the arctangent on [0, 1] (Abramowitz and Stegun 4.4.49),
// then the octant.  atan2(0, 0) is 0.
float Fast_atan2(float y, float x) {
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float big = std::max(ax, ay), small = std::min(ax, ay);
    const float a = big > 0 ? small / big : 0.0f, a2 = a * a;
    float r = 0.0028662257f;
    for (float c : {-0.0161657367f, 0.0429096138f, -0.0752896400f, 0.1065626393f, -0.1420889944f, 0.1999355085f,
                    -0.3333314528f, 1.0f})
        r = r * a2 + c;
    r *= a;
    if (ay > ax) r = float(pi / 2) - r;
    if (x < 0) r = float(pi) - r;
    return std::copysign(r, y);
}

float Cubic(const float* y, float mu) {
    // Catmull-Rom through y[-1], y[0], y[1], y[2]; mu in [0, 1).
    const float a = y[-1], b = y[0], c = y[1], d = y[2];
    return b + 0.5f * mu * (c - a + mu * (2 * a - 5 * b + 4 * c - d + mu * (3 * (b - c) + d - a)));
}

// The samples, or a copy in buffer with anything not finite (a corrupt
// file) made zero, so that no filter or loop is poisoned for good.
template <class T>
bool Finite(const T& v) {
    if constexpr (std::is_same_v<T, float>)
        return std::isfinite(v);
    else
        return std::isfinite(v.real()) && std::isfinite(v.imag());
}
template <class T>
const T* Cleaned(const T* samples, std::size_t n, std::vector<T>& buffer) {
    if (std::all_of(samples, samples + n, Finite<T>)) return samples;
    buffer.assign(samples, samples + n);
    for (T& v : buffer)
        if (!Finite(v)) v = T(0);
    return buffer.data();
}

// The n samples of a block at the working rate: the block itself when the
// input is at that rate, else the resampler's output in buffer (n becomes
// its count).
template <class T, class Resampler, class Execute>
const T* At_working_rate(Resampler resampler, Execute execute, const T* samples, std::size_t& n, double input_rate,
                         std::vector<T>& buffer) {
    if (!resampler) return samples;
    buffer.resize(std::size_t(double(n) * working_rate / input_rate) + 64);
    unsigned produced = 0;
    execute(resampler, const_cast<T*>(samples), unsigned(n), buffer.data(), &produced);
    n = produced;
    return buffer.data();
}

// The resampler's delay from input to working rate, in working-rate samples,
// measured: the centroid of a smooth pulse through a resampler like the
// receiver's (the delay the resampler reports is not where its output is).
double Resampler_delay(float ratio) {
    msresamp_rrrf q = msresamp_rrrf_create(ratio, resampler_attenuation_db);
    const double input_per_symbol = working_rate / ratio / symbol_rate;
    const std::size_t n = std::size_t(40 * input_per_symbol);
    const double centre = double(n) / 2;
    std::vector<float> in(n), out(std::size_t(double(n) * ratio) + 64);
    for (std::size_t i = 0; i < n; ++i) in[i] = float(std::exp(-std::pow((double(i) - centre) / (2 * input_per_symbol), 2)));
    unsigned produced = 0;
    msresamp_rrrf_execute(q, in.data(), unsigned(n), out.data(), &produced);
    msresamp_rrrf_destroy(q);
    double moment = 0, area = 0;
    for (unsigned i = 0; i < produced; ++i) moment += double(i) * out[i], area += out[i];
    return moment / area - centre * ratio;
}

// Coherent detection of IQ symbols.  At the edges of a symbol (half a symbol
// either side of its instant) the carrier's phase lies on one of eight points
// pi/4 apart, and the symbol moves it by its level's worth of points (+-1,
// +-3); halfway through, it lies halfway along that move.  A forward-backward
// search over the eight points gives each symbol the likelihood of its four
// dibits from the carrier itself, so the noise of the phase at an edge, which
// the discriminator puts into both neighbouring symbols with opposite signs,
// is counted once.
//
// The points turn with the carrier offset and with the transmitter's
// deviation error, both of which the levels measure; a decision-directed loop
// follows what is left.  Every symbol moves the phase by an odd number of
// points, so a slip of the loop by a point would leave the search on the
// wrong half of them for good: an even move is allowed at a small prior, and
// a slip costs a symbol.  The phase at the instant is pulled by the
// neighbouring symbols (the pulse's and the channel filter's intersymbol
// interference), which the receiver's soft symbols estimate.
class Phase_trellis {
public:
    static constexpr int points = 8;
    struct Costed {
        float value;
        double position;
        Symbol_costs costs;
    };

    // A symbol: its soft value and position (passed through), the IQ at its
    // leading edge and at its instant, and the turn of the points expected
    // over it besides the level's own (offset and deviation error) and the
    // pull of its neighbours on the phase at its instant, in radians.
    void Push(float value, double position, Complex edge, Complex middle, float drift, float middle_isi,
              std::vector<Costed>& out) {
        Entry e{};
        e.value = value;
        e.position = position;
        // The phase error against the nearest point, and the carrier's
        // amplitude there and power, whose ratio scales the likelihoods.
        const Complex r = edge * std::polar(1.0f, -float(theta));
        const float offset = std::arg(r), nearest = std::nearbyint(offset / quarter);
        const float error = offset - quarter * nearest;
        if (std::isfinite(error)) {
            // A plain mean until there are enough symbols to smooth over.
            const float smoothing = std::max(level_smoothing, 1.0f / float(++edges));
            amplitude += smoothing * ((r * rotations[std::size_t(int(nearest) & 7)]).real() - amplitude);
            power += smoothing * (std::norm(edge) - power);
        }
        const float noise = std::max(power - amplitude * amplitude, 1e-3f * power + 1e-12f);
        const float kappa = std::clamp(2 * amplitude / noise, 0.0f, 1e4f);
        Likelihoods(r, kappa, e.edge);
        Likelihoods(middle * std::polar(1.0f, -float(theta) - quarter / 2 - drift / 2 - middle_isi),
                    middle_weight * kappa, e.middle);
        // The loop: the points' phase at the next edge.
        if (std::isfinite(error)) {
            frequency = std::clamp(frequency + frequency_gain * error, -0.5f, 0.5f);
            theta += phase_gain * error + frequency + drift;
        }
        if (std::fabs(theta) > pi) theta -= std::copysign(2 * pi, theta);
        if (!std::isfinite(theta)) theta = 0;
        if (!pending.empty()) {
            // Into point q: from q - a by a = +1, +3, -1, -3 (halfway at the odd
            // eighths q - 1, q - 2, q, q + 1), or a slip from the same half.
            const Entry& last = pending.back();
            const auto& a = last.alpha;
            const auto& m = last.middle;
            const float even = slip_prior * (a[0] + a[2] + a[4] + a[6]), odd = slip_prior * (a[1] + a[3] + a[5] + a[7]);
            float sum = 0;
            for (int q = 0; q < points; ++q) {
                const float into = a[(q - 1) & 7] * m[(q - 1) & 7] + a[(q - 3) & 7] * m[(q - 2) & 7] +
                                   a[(q + 1) & 7] * m[q] + a[(q + 3) & 7] * m[(q + 1) & 7] + (q % 2 ? odd : even);
                e.alpha[q] = into * e.edge[q];
                sum += e.alpha[q];
            }
            for (float& v : e.alpha) v = sum > 0 ? std::max(v / sum, least) : 1.0f / points;
        } else {
            e.alpha = e.edge;
        }
        pending.push_back(e);
        if (pending.size() >= block + lookahead) Release(block, out);
    }

    // The rest, the last symbol without its trailing edge.
    void Flush(std::vector<Costed>& out) { Release(pending.size(), out); }

    // A new carrier: its phase, frequency and amplitude are measured afresh
    // (the symbols still pending keep what was measured for them).
    void Restart() {
        theta = 0;
        frequency = amplitude = power = 0;
        edges = 0;
    }

private:
    static constexpr float quarter = float(pi / 4);
    // Loop gains (per symbol) and the smoothing of the carrier's amplitude
    // and power, from which the likelihoods' scale comes.
    static constexpr float phase_gain = 0.02f, frequency_gain = 1e-4f, level_smoothing = 1.0f / 256;
    // The phase at a symbol's instant is less certain than at its edges (what
    // is left of the intersymbol interference): it counts this much.
    static constexpr float middle_weight = 0.5f;
    static constexpr float slip_prior = 1e-3f;
    // Floors for a point's likelihood and for its normalised probability: a
    // product of three stays clear of the denormal floats, whose arithmetic
    // is a hundred times slower, and what is that unlikely matters nothing.
    static constexpr float least_likely = 1e-12f, least = 1e-10f;
    // Symbols given out a time, and symbols of the future that decide them.
    static constexpr std::size_t block = 32, lookahead = 32;

    struct Entry {
        float value;
        double position;
        std::array<float, points> edge;    // the leading edge at each point
        std::array<float, points> middle;  // the instant at each odd eighth (pi/8 + k pi/4)
        std::array<float, points> alpha;   // the leading edge's point, from all before
    };
    std::vector<Entry> pending;
    double theta = 0;
    float frequency = 0, amplitude = 0, power = 0;
    uint64_t edges = 0;

    // exp(kappa Re(r e^-jk pi/4)) for the IQ r against the points' phase,
    // scaled to a largest of 1.
    static void Likelihoods(Complex r, float kappa, std::array<float, points>& out) {
        std::array<float, points> v;
        float most = -std::numeric_limits<float>::infinity();
        for (int k = 0; k < points; ++k) {
            v[k] = kappa * (r * rotations[k]).real();
            most = std::max(most, v[k]);
        }
        for (int k = 0; k < points; ++k)
            out[k] = std::isfinite(most) ? std::max(std::exp(v[k] - most), least_likely) : 1.0f;
    }
    static inline const std::array<Complex, points> rotations = [] {
        std::array<Complex, points> r;
        for (int k = 0; k < points; ++k) r[k] = std::polar(1.0f, -quarter * k);
        return r;
    }();

    // The instant's likelihood of a move by a points (a level) from point p:
    // halfway, at the odd eighth 2p + a, i.e. middle[(2p + a - 1) / 2].
    static float Move(const Entry& e, int p, int a) { return e.middle[((2 * p + a - 1) / 2) & 7]; }

    // Decides the first count pending symbols from all that are pending.
    void Release(std::size_t count, std::vector<Costed>& out) {
        const std::size_t n = pending.size();
        if (n == 0) return;
        std::array<float, points> beta;  // of the edge after the symbol being decided
        beta.fill(1.0f);
        std::vector<std::array<float, points>>& betas = beta_store;
        betas.resize(n);
        for (std::size_t i = n; i-- > 1;) {
            // betas[i - 1]: symbol i - 1's trailing edge (symbol i's leading edge) onwards.
            std::array<float, points> b;
            float sum = 0;
            for (int q = 0; q < points; ++q) {
                b[q] = pending[i].edge[q] * beta[q];
                sum += b[q];
            }
            for (float& v : b) v = sum > 0 ? std::max(v / sum, least) : 1.0f / points;
            betas[i - 1] = b;
            // Out of point p: to p + a (halfway at p, p + 1, p - 1, p - 2), or a
            // slip within the same half.
            const auto& m = pending[i - 1].middle;
            const float even = slip_prior * (b[0] + b[2] + b[4] + b[6]), odd = slip_prior * (b[1] + b[3] + b[5] + b[7]);
            for (int p = 0; p < points; ++p)
                beta[p] = m[p] * b[(p + 1) & 7] + m[(p + 1) & 7] * b[(p + 3) & 7] + m[(p - 1) & 7] * b[(p - 1) & 7] +
                          m[(p - 2) & 7] * b[(p - 3) & 7] + (p % 2 ? odd : even);
        }
        // The last symbol pending, when decided now, has no trailing edge.
        betas[n - 1].fill(1.0f);
        for (std::size_t i = 0; i < count && i < n; ++i) {
            const Entry& e = pending[i];
            std::array<float, 4> p{};
            float total = 0;
            for (int k = 0; k < 4; ++k) {
                const int a = int(dibit_level[k]);
                for (int q = 0; q < points; ++q) p[k] += e.alpha[q] * Move(e, q, a) * betas[i][(q + a) & 7];
                total += p[k];
            }
            Costed c{e.value, e.position, {}};
            for (int k = 0; k < 4; ++k) c.costs[k] = total > 0 ? -std::log(std::max(p[k] / total, 1e-12f)) : 0.0f;
            out.push_back(c);
        }
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(std::min(count, n)));
    }
    std::vector<std::array<float, points>> beta_store;
};

}  // namespace

struct Demodulator::State {
    Signal signal;
    double input_rate;
    double hz_per_unit_in;  // Hz of one working-rate unit (before gain)
    double delay = 0;       // working-rate samples from an impulse to its symbol instant in y
    double resampler_delay = 0;  // of those, the input resampler's

    msresamp_crcf iq_resampler = nullptr;
    msresamp_rrrf audio_resampler = nullptr;
    // IQ: the channel filter's taps and the samples it holds (the last
    // taps - 1 mixed samples, then a block's), and the discriminator's last
    // filtered sample.
    std::vector<float> channel;
    std::vector<Complex> channel_window;
    Complex discriminated = 0;

    std::vector<Complex> iq, iq2, iq_clean;

    // IQ: the carrier is brought to the centre of the channel filter by a
    // mixer following the offset measured (tuning, in level units: 600 Hz).
    // The discriminator's output gets the tuning back, as it was when its
    // samples passed the mixer (the filter's delay later), so the symbols
    // see the signal as received whatever the tuning does.
    double tuning = 0;
    double carrier_power = 0;          // mean power of the strongest recent stretch
    std::size_t interval_samples = 0;  // samples into the current tuning interval
    double interval_power = 0;         // their summed power

    // The power of the last symbol periods, followed over about
    // onset_smoothing^-1 of them: a carrier far above it is a new
    // transmission.  The mixer goes back to the nominal carrier before the
    // new carrier passes it (a tuning left from what was followed would push
    // the start of the transmission out of the channel filter), and the
    // symbols start again from where it came up.
    double followed_power = 0;
    std::size_t period_samples = 0;  // samples into the current symbol period
    double period_power = 0;
    bool retune = false;  // to the nominal carrier, before the next samples are mixed
    // Of the n samples at x, how many to take before the mixer is retuned for
    // a new carrier (n when none comes up among them); the power of those
    // taken goes into the tuning interval's too.
    std::size_t Watch_onset(const Complex* x, std::size_t n) {
        if (retune) tuning = 0, retune = false;
        for (std::size_t i = 0; i < n; ++i) {
            const double sample_power = std::norm(x[i]);
            interval_power += sample_power;
            period_power += sample_power;
            if (++period_samples < std::size_t(samples_per_symbol)) continue;
            const double power = period_power / samples_per_symbol;
            period_samples = 0;
            period_power = 0;
            if (power > onset_ratio * followed_power) {
                followed_power = power;
                onset = y_base + y.size() + i + 1;
                onset_pending = retune = true;
                return i + 1;
            }
            followed_power += onset_smoothing * (power - followed_power);
        }
        return n;
    }
    Complex rotor = 1;
    std::array<float, channel_taps / 2 + 1> tuned{};  // tuning of the samples in the filter
    std::size_t tuned_at = 0;

    void Tune(const Complex* in, std::size_t n, Complex* filtered, float* frequency) {
        const float step_radians = float(2 * pi * tuning * nominal_deviation / working_rate);
        const Complex step = std::polar(1.0f, -step_radians);
        for (std::size_t i = 0; i < n; ++i) {
            filtered[i] = in[i] * rotor;
            rotor *= step;
        }
        rotor = std::isfinite(std::abs(rotor)) ? rotor / std::abs(rotor) : Complex(1);
        Channel_filter(filtered, n);
        // The discriminator: the phase step from the last sample, in level units.
        constexpr float per_radian = float(working_rate / (2 * pi * nominal_deviation));
        for (std::size_t i = 0; i < n; ++i) {
            const Complex step_phase = filtered[i] * std::conj(discriminated);
            discriminated = filtered[i];
            frequency[i] = Fast_atan2(step_phase.imag(), step_phase.real()) * per_radian;
        }
        for (std::size_t i = 0; i < n; ++i) {
            frequency[i] += tuned[tuned_at];
            tuned[tuned_at] = float(tuning);
            if (++tuned_at == tuned.size()) tuned_at = 0;
        }
    }
    // The n mixed samples at x through the channel filter, in place.  The
    // taps are symmetric, so output i is the taps' dot product with the
    // window from i on: taken tap by tap over the whole block, straight
    // loops over its floats.
    void Channel_filter(Complex* x, std::size_t n) {
        const std::size_t kept = channel_taps - 1;
        channel_window.resize(kept + n);
        std::copy(x, x + n, channel_window.begin() + std::ptrdiff_t(kept));
        float* out = reinterpret_cast<float*>(x);
        const float* in = reinterpret_cast<const float*>(channel_window.data());
        std::fill(out, out + 2 * n, 0.0f);
        for (std::size_t k = 0; k < channel_taps; ++k) {
            const float h = channel[k];
            const float* from = in + 2 * k;
            for (std::size_t i = 0; i < 2 * n; ++i) out[i] += h * from[i];
        }
        std::copy(channel_window.end() - std::ptrdiff_t(kept), channel_window.end(), channel_window.begin());
        channel_window.resize(kept);
    }
    std::vector<float> audio, audio2, audio_clean;

    // IQ: the channel-filtered samples with the mixer's tuning taken back out
    // (as received, so their carrier turns with the offset the levels
    // measure), aligned with y, for the coherent detector.
    std::vector<Complex> w;
    Complex unmix = 1;
    double mixed_tuning = 0;  // the tuning of the last block through the mixer
    Phase_trellis coherent;
    std::vector<Phase_trellis::Costed> costed;
    std::vector<Symbol_costs>* costs_out = nullptr;

    // Appends the n filtered samples of a block mixed with `tuning`, the
    // previous block's still in the filter's first half.
    void Unmix(const Complex* filtered, std::size_t n, double tuning) {
        const auto step = [](double units) {
            return std::polar(1.0f, float(2 * pi * units * nominal_deviation / working_rate));
        };
        const Complex old_step = step(mixed_tuning), new_step = step(tuning);
        const std::size_t base = w.size();
        w.resize(base + n);
        for (std::size_t i = 0; i < n; ++i) {
            w[base + i] = filtered[i] * unmix;
            unmix *= i < channel_taps / 2 ? old_step : new_step;
        }
        unmix = std::isfinite(std::abs(unmix)) && std::abs(unmix) > 0 ? unmix / std::abs(unmix) : Complex(1);
        mixed_tuning = tuning;
    }
    Complex W_at(double position) const {
        const double whole = std::floor(position);
        const std::size_t i = std::size_t(std::max(whole, 0.0));
        if (i + 1 >= w.size()) return 0;
        const float mu = float(position - whole);
        return w[i] * (1 - mu) + w[i + 1] * mu;
    }

    // Integrate-and-dump: running sum over the last samples_per_symbol samples.
    std::array<float, samples_per_symbol> dump{};
    unsigned dump_at = 0;
    double dump_sum = 0;

    std::vector<float> y;  // filtered samples, history + not yet used

    uint64_t y_base = 0;   // working-rate index of y[0]
    double t = reach_back + samples_per_symbol / 2;  // position of the next symbol centre in y
    double period = samples_per_symbol;
    float previous = 0;    // last symbol, normalised

    float dc = 0, unit = 1;  // y = dc + unit * level
    float quality = 4;       // mean squared slicer error
    bool locked = false;     // tracking, rather than acquiring
    uint64_t since_lock = 0;
    uint64_t symbol_count = 0;

    Demodulator_statistics stats;
    double deviation_sum = 0, error_sum = 0;

    // Symbols given out, and what the eye would draw of the last eye_memory
    // of them, until the host says which were inside frames.
    uint64_t emitted = 0;
    struct Candidate {
        uint64_t index = ~uint64_t{0};
        float value = 0;
        bool traced = false;
        std::array<float, Eye::trace_length> trace;
    };
    std::vector<Candidate> candidates = std::vector<Candidate>(eye_memory);
    Eye eye;

    ~State() {
        if (iq_resampler) msresamp_crcf_destroy(iq_resampler);
        if (audio_resampler) msresamp_rrrf_destroy(audio_resampler);
    }

    void Filter(const float* x, std::size_t n) {
        const std::size_t base = y.size();
        y.resize(base + n);
        for (std::size_t i = 0; i < n; ++i) {
            // Finite but absurd input can overflow the filters: such a sample counts as none.
            const float v = std::isfinite(x[i]) ? x[i] : 0.0f;
            dump_sum += v - dump[dump_at];
            dump[dump_at] = v;
            if (++dump_at == samples_per_symbol) {
                dump_at = 0;
                // Recompute now and then so rounding never accumulates.
                double s = 0;
                for (float v : dump) s += v;
                dump_sum = s;
            }
            y[base + i] = float(dump_sum / samples_per_symbol);
        }
    }

    // While the eye is closed: for each whole-sample phase, the levels of
    // the symbols ahead (mean of their highest and lowest quarter: holds for
    // the frame sync, only +-3, as for random data and for a signal that
    // has just begun) and the slicer error with those levels.  The best phase
    // wins; if its eye is open the loops start tracking at once, so a frame
    // sync right after silence is heard whole.
    void Acquire() {
        Phase best = Try(0);
        for (int shift = -samples_per_symbol / 2; shift < samples_per_symbol / 2; ++shift) {
            if (shift == 0) continue;
            const Phase p = Try(shift);
            if (p.mse < best.mse * 0.9f) best = p;  // move only for a clearly better phase
        }
        t += best.shift;
        dc = best.dc;
        unit = best.unit;
        quality = std::min(quality, best.mse);
        if (quality < open_eye_mse) Lock();
    }

    void Lock() {
        locked = true;
        since_lock = 0;
    }

    // IQ: where a new carrier came up (working-rate index of y), when the
    // symbols have yet to reach it.
    uint64_t onset = 0;
    bool onset_pending = false;

    // As at the start of a recording: levels and timing acquired afresh from
    // the symbols ahead, no sync held, the mixer at the nominal carrier and
    // the coherent detector's carrier measured anew.
    void Restart() {
        locked = false;
        since_sync = sync_hold_symbols + 1;
        quality = 4;
        period = samples_per_symbol;
        previous = 0;
        dc = 0, unit = 1;
        coherent.Restart();
    }

    struct Phase {
        int shift;
        float dc, unit, mse;
    };
    Phase Try(int shift) const {
        std::array<float, level_window> ahead;
        const std::size_t at = std::size_t(std::lround(t) + shift);
        for (std::size_t k = 0; k < level_window; ++k) ahead[k] = y[at + k * samples_per_symbol];
        std::array<float, level_window> sorted = ahead;
        std::sort(sorted.begin(), sorted.end());
        constexpr std::size_t quarter = level_window / 4;
        float low = 0, high = 0;
        for (std::size_t k = 0; k < quarter; ++k) low += sorted[k], high += sorted[level_window - 1 - k];
        low /= quarter, high /= quarter;
        Phase p{shift, (high + low) / 2, std::max((high - low) / 6, 1e-9f), 0};
        for (float v : ahead) {
            const float s = (v - p.dc) / p.unit, e = s - dibit_level[Slice(s)];
            p.mse += e * e;
        }
        p.mse /= level_window;
        return p;
    }

    float At(double position) const {
        const double whole = std::floor(position);
        return Cubic(&y[std::size_t(whole)], float(position - whole));
    }

    void Symbols(std::vector<float>& out, std::vector<double>* positions) {
        while (t + lookahead < double(y.size())) {
            if (onset_pending && double(y_base) + t >= double(onset)) {
                onset_pending = false;
                Restart();
            }
            if (!locked) Acquire();
            if (!std::isfinite(dc) || !std::isfinite(unit)) dc = 0, unit = 1;
            const float sampled = At(t);
            float s = (sampled - dc) / unit;
            float mid = (At(t - period / 2) - dc) / unit;
            if (!std::isfinite(s) || !std::isfinite(mid)) s = mid = 0;
            ++symbol_count;
            Delay({s, t, sampled}, out, positions);

            const float level = dibit_level[Slice(s)];
            const float error = std::clamp(s - level, -2.0f, 2.0f);
            quality += quality_smoothing * (error * error - quality);
            if (!locked && quality < open_eye_mse) Lock();
            if (quality > closed_eye_mse && since_sync > sync_hold_symbols) locked = false;
            const bool open = locked;
            // Fast for a while after locking, to pull in what is left.
            const Loop_gains& gains = open && ++since_lock > pull_in_symbols ? tracking : acquiring;
            if (open) Record(error);

            // Gain and DC.  Once the eye is open, least squares on
            // y = dc + unit * level; while it is closed (acquisition, noise,
            // a silent stretch), measured afresh from the symbols ahead.
            if (open) {
                dc += gains.level * unit * error;
                unit += gains.level * unit * error * level / 5;
            }
            unit = std::max(unit, 1e-9f);

            // Gardner: positive when the symbol was sampled late.
            const float timing = std::clamp((s - previous) * mid, -8.0f, 8.0f);
            previous = s;
            if (open) period -= gains.timing_period * timing;
            period = std::clamp(period, samples_per_symbol * (1.0 - max_period_error),
                                samples_per_symbol * (1.0 + max_period_error));
            t += period - gains.timing_phase * timing;
        }
        // Keep only the history the next symbol and the held ones need.
        const std::size_t drop = std::size_t(std::max(0.0, std::floor(t) - history));
        if (drop > 0) {
            y.erase(y.begin(), y.begin() + std::ptrdiff_t(std::min(drop, y.size())));
            w.erase(w.begin(), w.begin() + std::ptrdiff_t(std::min(drop, w.size())));
            y_base += drop;
            t -= double(drop);
            for (Held& h : pending) h.position -= double(drop);
        }
    }

    // The last sync_length symbols are held back.  When they match the frame
    // sync (normalised correlation, either polarity), the sync fixes the
    // symbol phase (best correlation over +-half a symbol) and the levels
    // (its symbols are all +-3), and the held symbols are sampled again with
    // both.  This pulls the receiver in on the first frame of a transmission
    // even after a preamble that leaves the timing loop no information (a
    // tone of four symbols' period looks alike at every phase).
    struct Held {
        float value;      // normalised
        double position;  // in y
        float sampled;    // y there (the sync search's correlation at no shift)
    };
    std::array<Held, sync_length> pending{};
    std::size_t held = 0, oldest = 0;
    uint64_t since_sync = sync_hold_symbols + 1;

    // Gives out the oldest held symbol with its position in input samples,
    // and keeps what the eye would draw of it.
    void Emit(std::vector<float>& out, std::vector<double>* positions) {
        const Held& h = pending[oldest];
        const double position = (double(y_base) + h.position - delay) * input_rate / working_rate;
        if (signal == Signal::iq) {
            Detect(h, position);
            Deliver(out, positions);
        } else {
            out.push_back(h.value);
            if (positions) positions->push_back(position);
        }
        Candidate& c = candidates[emitted % eye_memory];
        c.index = emitted++;
        c.value = h.value;
        // A trace every seventh symbol is plenty for a diagram of max_traces.
        c.traced = c.index % 7 == 0 && eye.traces.size() < std::size_t(Eye::max_traces);
        if (c.traced)
            for (int k = 0; k < Eye::trace_length; ++k)
                c.trace[std::size_t(k)] = (At(h.position + k - samples_per_symbol) - dc) / unit;
    }

    // The pull of symbols n-2 .. n+2 on the phase at symbol n's instant,
    // radians a level unit, measured on a clean signal through the channel
    // filter (least squares: 0.33 rad RMS before, 0.09 after).
    static constexpr float isi_middle[5] = {-0.0403f, 0.0834f, 0, -0.0909f, 0.0405f};
    float before[2] = {0, 0};  // the last two symbols given to the coherent detector

    // Gives the oldest held symbol to the coherent detector, with the IQ at
    // its leading edge and instant (y's position is the end of the dump's
    // window: the instant lies half a symbol before it, the edge a symbol),
    // the turn of the carrier the levels measure over it, and its neighbours'
    // pull on its instant.
    void Detect(const Held& h, double position) {
        const double instant = h.position - samples_per_symbol / 2.0;
        const float deviation_error = unit / float(channel_compression) - 1;
        const float drift = float(pi / 4) * (dc + deviation_error * std::clamp(h.value, -4.0f, 4.0f));
        const auto level = [&](int k) {
            float v = 0;
            if (k < 0)
                v = before[-k - 1];
            else if (std::size_t(k) < held)
                v = pending[(oldest + std::size_t(k)) % sync_length].value;
            return std::clamp(v, -3.0f, 3.0f);
        };
        float middle_isi = 0;
        for (int k = -2; k <= 2; ++k) middle_isi += isi_middle[k + 2] * level(k);
        before[1] = before[0];
        before[0] = h.value;
        coherent.Push(h.value, position, W_at(instant - samples_per_symbol / 2.0), W_at(instant), drift, middle_isi,
                      costed);
    }

    void Deliver(std::vector<float>& out, std::vector<double>* positions) {
        for (const Phase_trellis::Costed& c : costed) {
            out.push_back(c.value);
            if (positions) positions->push_back(c.position);
            if (costs_out) costs_out->push_back(c.costs);
        }
        costed.clear();
    }

    // Holds s (sampled at t); emits the oldest held symbol.  On a sync the
    // held symbols are sampled again, and the loops go on from the sync's
    // timing and levels.
    void Delay(const Held& s, std::vector<float>& out, std::vector<double>* positions) {
        if (held == sync_length) {
            Emit(out, positions);
            pending[oldest] = s;
            oldest = (oldest + 1) % sync_length;
        } else {
            pending[(oldest + held++) % sync_length] = s;
        }
        ++since_sync;
        if (held < sync_length || since_sync < sync_length) return;
        if (std::fabs(Correlation(0.0)) < sync_detect) return;
        // Tracking, the timing can only be a little off; a wider search would
        // let data that happens to resemble the sync pull the timing away.
        const bool tracking_well = locked && since_lock > pull_in_symbols;
        const double reach = tracking_well ? 2.0 : samples_per_symbol / 2.0;
        double best_shift = 0;
        float best = 0;
        for (double shift = -reach; shift <= reach; shift += 0.5) {
            const float c = std::fabs(Correlation(shift));
            if (c > best) best = c, best_shift = shift;
        }
        if (best < sync_accept) return;
        // Levels from the sync: the mean of its +3 and of its -3 samples.
        double plus = 0, minus = 0;
        for (std::size_t i = 0; i < sync_length; ++i) {
            const float v = At(pending[(oldest + i) % sync_length].position + best_shift);
            (sync_sign[i] > 0 ? plus : minus) += v;
        }
        plus /= sync_plus_count, minus /= sync_length - sync_plus_count;
        dc = float((plus + minus) / 2);
        unit = std::max(float(std::fabs(plus - minus) / 6), 1e-9f);
        for (std::size_t i = 0; i < sync_length; ++i) {
            Held& h = pending[(oldest + i) % sync_length];
            h.position += best_shift;
            h.sampled = At(h.position);
            h.value = (h.sampled - dc) / unit;
        }
        t += best_shift;
        quality = 0;
        if (!tracking_well) Lock();
        since_sync = 0;
    }

    // Normalised correlation (mean removed) of the held symbols, each
    // sampled `shift` samples later, with the frame sync.
    float Correlation(double shift) const {
        std::array<float, sync_length> v;
        float mean = 0;
        for (std::size_t i = 0; i < sync_length; ++i) {
            const Held& h = pending[(oldest + i) % sync_length];
            v[i] = shift == 0 ? h.sampled : At(h.position + shift);
            mean += v[i];
        }
        mean /= sync_length;
        float dot = 0, power = 0;
        for (std::size_t i = 0; i < sync_length; ++i) {
            const float d = v[i] - mean;
            dot += d * (sync_sign[i] - sync_sign_mean);
            power += d * d;
        }
        return power > 0 ? dot / std::sqrt(power * sync_sign_power) : 0.0f;
    }

    void Record(float error) {
        ++stats.locked_symbols;
        deviation_sum += double(unit) * hz_per_unit_in;
        error_sum += double(error) * error;
    }

    void Keep(uint64_t first, uint64_t count) {
        // Only what is still remembered: the last eye_memory symbols given out.
        const uint64_t oldest_kept = emitted > eye_memory ? emitted - eye_memory : 0;
        const uint64_t from = std::max(first, oldest_kept);
        const uint64_t to = first >= emitted ? first : first + std::min(count, emitted - first);
        for (uint64_t i = from; i < to; ++i) {
            Candidate& c = candidates[i % eye_memory];
            if (c.index != i) continue;
            c.index = ~uint64_t{0};  // drawn once however often it is confirmed
            const float at = (c.value - Eye::histogram_low) / (Eye::histogram_high - Eye::histogram_low);
            const int bin = int(at * Eye::histogram_bins);
            if (bin >= 0 && bin < Eye::histogram_bins) ++eye.histogram[std::size_t(bin)];
            if (c.traced && eye.traces.size() < std::size_t(Eye::max_traces)) eye.traces.push_back(c.trace);
        }
    }
};

Demodulator::Demodulator(Signal signal, double sample_rate) : state_(new State) {
    State& s = *state_;
    s.signal = signal;
    s.input_rate = sample_rate;
    const float ratio = float(working_rate / sample_rate);
    const bool resample = std::fabs(sample_rate - working_rate) > 0.5;
    // The integrate-and-dump's output at sample n covers the phase steps of
    // samples n-9..n: a symbol's instant lies half a symbol before it.
    s.resampler_delay = resample ? Resampler_delay(ratio) : 0.0;
    s.delay = (samples_per_symbol - 1) / 2.0 + s.resampler_delay;
    if (signal == Signal::iq) {
        if (resample) s.iq_resampler = msresamp_crcf_create(ratio, resampler_attenuation_db);
        s.channel.resize(channel_taps);
        liquid_firdes_kaiser(channel_taps, channel_cutoff_hz / float(working_rate), resampler_attenuation_db, 0.0f,
                             s.channel.data());
        s.channel_window.assign(channel_taps - 1, Complex(0));
        s.delay += (channel_taps - 1) / 2.0;
        s.hz_per_unit_in = nominal_deviation / channel_compression;
    } else {
        if (resample) s.audio_resampler = msresamp_rrrf_create(ratio, resampler_attenuation_db);
        s.hz_per_unit_in = Audio_full_scale_hz(sample_rate);
    }
    s.eye.traces.reserve(Eye::max_traces);
}

Demodulator::~Demodulator() = default;

void Demodulator::Push_iq(const Complex* samples, std::size_t count, std::vector<float>& out,
                          std::vector<double>* positions, std::vector<Symbol_costs>* costs) {
    State& s = *state_;
    if (s.signal != Signal::iq || count == 0) return;
    s.costs_out = costs;
    s.stats.samples += count;
    std::size_t n = count;
    const Complex* x = At_working_rate(s.iq_resampler, msresamp_crcf_execute, Cleaned(samples, count, s.iq_clean), n,
                                       s.input_rate, s.iq2);
    s.iq.resize(n);
    s.audio.resize(n);
    // The tuning moves every tuning_interval samples of the signal, however
    // the samples are split into calls.
    for (std::size_t at = 0, chunk; at < n; at += chunk) {
        chunk = std::min<std::size_t>(tuning_interval - s.interval_samples, n - at);
        chunk = s.Watch_onset(x + at, chunk);
        s.Tune(x + at, chunk, s.iq.data() + at, s.audio.data() + at);
        s.Unmix(s.iq.data() + at, chunk, s.tuning);
        s.Filter(s.audio.data() + at, chunk);
        s.Symbols(out, positions);
        s.interval_samples += chunk;
        if (s.interval_samples < tuning_interval) continue;
        // Follow the carrier with the offset the levels measure, while there is one.
        const double power = s.interval_power / double(tuning_interval);
        s.interval_samples = 0;
        s.interval_power = 0;
        s.carrier_power = std::max(power, s.carrier_power * carrier_memory);
        const bool carrier = power > carrier_off_ratio * s.carrier_power;
        if (carrier && s.locked && !s.onset_pending && std::isfinite(s.dc))
            s.tuning = std::clamp(double(s.dc), -max_tuning, max_tuning);
    }
}

void Demodulator::Push_audio(const float* samples, std::size_t count, std::vector<float>& out,
                             std::vector<double>* positions) {
    State& s = *state_;
    if (s.signal != Signal::audio || count == 0) return;
    s.stats.samples += count;
    std::size_t n = count;
    const float* x = At_working_rate(s.audio_resampler, msresamp_rrrf_execute, Cleaned(samples, count, s.audio_clean),
                                     n, s.input_rate, s.audio2);
    s.Filter(x, n);
    s.Symbols(out, positions);
}

void Demodulator::Flush(std::vector<float>& out, std::vector<double>* positions, std::vector<Symbol_costs>* costs) {
    State& s = *state_;
    // The resampler's last samples out, then silence after the end lets the
    // receiver reach the last symbols.
    if (s.resampler_delay > 0) {
        const uint64_t samples = s.stats.samples;
        const std::size_t n = std::size_t(std::ceil((s.resampler_delay + 2) * s.input_rate / working_rate));
        if (s.signal == Signal::iq) {
            const std::vector<Complex> zeros(n);
            Push_iq(zeros.data(), n, out, positions, costs);
        } else {
            const std::vector<float> zeros(n);
            Push_audio(zeros.data(), n, out, positions);
        }
        s.stats.samples = samples;
    }
    s.costs_out = costs;
    s.y.resize(s.y.size() + lookahead, s.dc);
    if (s.signal == Signal::iq) s.w.resize(s.y.size());
    s.Symbols(out, positions);
    for (; s.held > 0; --s.held, s.oldest = (s.oldest + 1) % sync_length) s.Emit(out, positions);
    s.coherent.Flush(s.costed);
    s.Deliver(out, positions);
}

void Demodulator::Eye_keep(std::uint64_t first_symbol, std::uint64_t count) { state_->Keep(first_symbol, count); }

Demodulator_statistics Demodulator::Statistics() const {
    const State& s = *state_;
    Demodulator_statistics stats = s.stats;
    stats.symbols = s.symbol_count;
    if (stats.locked_symbols > 0) {
        stats.deviation_hz = s.deviation_sum / double(stats.locked_symbols);
        stats.noise_rms = std::sqrt(s.error_sum / double(stats.locked_symbols));
        // Four levels, half-distance 1: SER = 1.5 erfc(1 / (sigma sqrt 2)).
        if (stats.noise_rms > 0) stats.symbol_error_estimate = 1.5 * std::erfc(1.0 / (stats.noise_rms * std::sqrt(2.0)));
    }
    return stats;
}

const Eye& Demodulator::Eye_data() const { return state_->eye; }

}  // namespace tessel_air
