// C4FM receiver: samples -> soft symbols at the nominal levels.
//
//   IQ:    [resample to 48 kHz] -> channel low-pass -> FM discriminator
//   audio: [resample to 48 kHz] -> scale to level units
//   then:  one-symbol integrate-and-dump (undoes the x/sin x shaping, leaving
//          the zero-ISI raised cosine) -> symbol timing loop (Gardner) with
//          cubic interpolation -> gain/DC loop (decision-directed).
//
// Both loops run fast while the eye is closed (acquisition, or noise between
// transmissions) and slow once it is open, so that they hold through a long
// transmission and still pull in quickly at its start.
#include <complex>
#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>

#include "tessel_air/modem.h"

namespace tessel_air {

double Audio_full_scale_hz(double sample_rate) { return sample_rate / (2 * 3.14159265358979323846); }

uint8_t Slice(float symbol) {
    if (symbol >= 2.0f) return 1;
    if (symbol >= 0.0f) return 0;
    if (symbol >= -2.0f) return 2;
    return 3;
}

namespace {

// Channel filter for IQ at the working rate: passes the C4FM spectrum
// (about +-5.8 kHz by Carson's rule) plus a carrier offset of some hundred Hz.
constexpr unsigned channel_taps = 31;
constexpr float channel_cutoff_hz = 7000.0f;
constexpr float resampler_attenuation_db = 60.0f;

// Loop gains.  Timing: fraction of the Gardner error (level units squared)
// applied to the phase and to the period, per symbol.  Levels: LMS step.
struct Loop_gains {
    float timing_phase, timing_period, level;
};
constexpr Loop_gains acquiring = {0.04f, 0.0f, 0.02f};
constexpr Loop_gains tracking = {0.008f, 1e-5f, 0.002f};
constexpr uint64_t pull_in_symbols = 200;
constexpr float max_period_error = 0.002f;  // +-0.2 %: ten times the +-100 ppm clock tolerance

// The receiver starts tracking once the mean squared slicer error falls
// below open_eye_mse (RMS 0.45 level units; the half-distance between levels
// is 1) and goes back to acquiring only when it rises above closed_eye_mse
// (RMS 0.77: noise), so a weak signal never has its timing thrown about.
constexpr float open_eye_mse = 0.2f, closed_eye_mse = 0.6f;
constexpr float quality_smoothing = 1.0f / 32;

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

// Samples of history kept before the current symbol (for the mid-symbol point,
// cubic interpolation and the eye trace) and after it.
constexpr int history = int(sync_length + 2) * samples_per_symbol;
constexpr int lookahead = int(level_window) * samples_per_symbol + 3;

float Cubic(const float* y, float mu) {
    // Catmull-Rom through y[-1], y[0], y[1], y[2]; mu in [0, 1).
    const float a = y[-1], b = y[0], c = y[1], d = y[2];
    return b + 0.5f * mu * (c - a + mu * (2 * a - 5 * b + 4 * c - d + mu * (3 * (b - c) + d - a)));
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

}  // namespace

struct Demodulator::State {
    Signal signal;
    double input_rate;
    double hz_per_unit_in;  // Hz of one working-rate unit (before gain)

    msresamp_crcf iq_resampler = nullptr;
    msresamp_rrrf audio_resampler = nullptr;
    firfilt_crcf channel = nullptr;
    freqdem discriminator = nullptr;

    std::vector<Complex> iq, iq2;
    std::vector<float> audio, audio2;

    // Integrate-and-dump: running sum over the last samples_per_symbol samples.
    std::array<float, samples_per_symbol> dump{};
    unsigned dump_at = 0;
    double dump_sum = 0;

    std::vector<float> y;  // filtered samples, history + not yet used
    double t = samples_per_symbol + 2;  // position of the next symbol centre in y
    double period = samples_per_symbol;
    float previous = 0;    // last symbol, normalised

    float dc = 0, unit = 1;  // y = dc + unit * level
    float quality = 4;       // mean squared slicer error
    bool locked = false;     // tracking, rather than acquiring
    uint64_t since_lock = 0;
    uint64_t symbol_count = 0;

    Demodulator_statistics stats;
    double deviation_sum = 0, error_sum = 0;
    Eye eye;

    ~State() {
        if (iq_resampler) msresamp_crcf_destroy(iq_resampler);
        if (audio_resampler) msresamp_rrrf_destroy(audio_resampler);
        if (channel) firfilt_crcf_destroy(channel);
        if (discriminator) freqdem_destroy(discriminator);
    }

    void Filter(const float* x, std::size_t n) {
        const std::size_t base = y.size();
        y.resize(base + n);
        for (std::size_t i = 0; i < n; ++i) {
            dump_sum += x[i] - dump[dump_at];
            dump[dump_at] = x[i];
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
        locked = quality < open_eye_mse;
        since_lock = 0;
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

    void Symbols(std::vector<float>& out) {
        while (t + lookahead < double(y.size())) {
            if (!locked) Acquire();
            float s = (At(t) - dc) / unit;
            const float mid = (At(t - period / 2) - dc) / unit;
            ++symbol_count;
            if (Delay(s, out)) s = pending[Newest()].value;

            const float level = dibit_level[Slice(s)];
            const float error = std::clamp(s - level, -2.0f, 2.0f);
            quality += quality_smoothing * (error * error - quality);
            if (!locked && quality < open_eye_mse) locked = true, since_lock = 0;
            if (quality > closed_eye_mse) locked = false;
            const bool open = locked;
            // Fast for a while after locking, to pull in what is left.
            const Loop_gains& gains = open && ++since_lock > pull_in_symbols ? tracking : acquiring;
            if (open) Record(s, error);

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
    };
    std::array<Held, sync_length> pending{};
    std::size_t held = 0, oldest = 0;
    uint64_t since_sync = sync_length;

    std::size_t Newest() const { return (oldest + held - 1) % sync_length; }

    // Holds s (sampled at t); emits the oldest held symbol.  True when the
    // held symbols were sampled again.
    bool Delay(float s, std::vector<float>& out) {
        if (held == sync_length) {
            out.push_back(pending[oldest].value);
            pending[oldest] = {s, t};
            oldest = (oldest + 1) % sync_length;
        } else {
            pending[(oldest + held++) % sync_length] = {s, t};
        }
        if (held < sync_length || ++since_sync < sync_length) return false;
        if (std::fabs(Correlation(0.0)) < sync_detect) return false;
        // Tracking, the timing can only be a little off; a wider search would
        // let data that happens to resemble the sync pull the timing away.
        const double reach = locked && since_lock > pull_in_symbols ? 2.0 : samples_per_symbol / 2.0;
        double best_shift = 0;
        float best = 0;
        for (double shift = -reach; shift <= reach; shift += 0.5) {
            const float c = std::fabs(Correlation(shift));
            if (c > best) best = c, best_shift = shift;
        }
        if (best < sync_accept) return false;
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
            h.value = (At(h.position) - dc) / unit;
        }
        t += best_shift;
        quality = 0;
        locked = true;
        since_sync = 0;
        return true;
    }

    // Normalised correlation (mean removed) of the held symbols, each
    // sampled `shift` samples later, with the frame sync.
    float Correlation(double shift) const {
        std::array<float, sync_length> v;
        float mean = 0;
        for (std::size_t i = 0; i < sync_length; ++i) {
            v[i] = At(pending[(oldest + i) % sync_length].position + shift);
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

    void Record(float s, float error) {
        ++stats.locked_symbols;
        deviation_sum += double(unit) * hz_per_unit_in;
        error_sum += double(error) * error;
        const float position = (s - Eye::histogram_low) / (Eye::histogram_high - Eye::histogram_low);
        const int bin = int(position * Eye::histogram_bins);
        if (bin >= 0 && bin < Eye::histogram_bins) ++eye.histogram[std::size_t(bin)];
        // Every seventh open symbol, until the diagram is full.
        if (stats.locked_symbols % 7 == 0 && eye.traces.size() < std::size_t(Eye::max_traces)) {
            std::array<float, Eye::trace_length> trace;
            for (int k = 0; k < Eye::trace_length; ++k)
                trace[std::size_t(k)] = (At(t + k - samples_per_symbol) - dc) / unit;
            eye.traces.push_back(trace);
        }
    }
};

Demodulator::Demodulator(Signal signal, double sample_rate) : state_(new State) {
    State& s = *state_;
    s.signal = signal;
    s.input_rate = sample_rate;
    const float ratio = float(working_rate / sample_rate);
    const bool resample = std::fabs(sample_rate - working_rate) > 0.5;
    if (signal == Signal::iq) {
        if (resample) s.iq_resampler = msresamp_crcf_create(ratio, resampler_attenuation_db);
        s.channel = firfilt_crcf_create_kaiser(channel_taps, channel_cutoff_hz / float(working_rate),
                                               resampler_attenuation_db, 0.0f);
        // Output in units of the nominal deviation: f / 600 Hz.
        s.discriminator = freqdem_create(float(nominal_deviation / working_rate));
        s.hz_per_unit_in = nominal_deviation;
    } else {
        if (resample) s.audio_resampler = msresamp_rrrf_create(ratio, resampler_attenuation_db);
        s.hz_per_unit_in = Audio_full_scale_hz(sample_rate);
    }
    s.eye.traces.reserve(Eye::max_traces);
}

Demodulator::~Demodulator() = default;

void Demodulator::Push_iq(const Complex* samples, std::size_t count, std::vector<float>& out) {
    State& s = *state_;
    if (s.signal != Signal::iq || count == 0) return;
    s.stats.samples += count;
    std::size_t n = count;
    const Complex* x = At_working_rate(s.iq_resampler, msresamp_crcf_execute, samples, n, s.input_rate, s.iq2);
    s.iq.resize(n);
    firfilt_crcf_execute_block(s.channel, const_cast<Complex*>(x), unsigned(n), s.iq.data());
    s.audio.resize(n);
    freqdem_demodulate_block(s.discriminator, s.iq.data(), unsigned(n), s.audio.data());
    s.Filter(s.audio.data(), n);
    s.Symbols(out);
}

void Demodulator::Push_audio(const float* samples, std::size_t count, std::vector<float>& out) {
    State& s = *state_;
    if (s.signal != Signal::audio || count == 0) return;
    s.stats.samples += count;
    std::size_t n = count;
    const float* x = At_working_rate(s.audio_resampler, msresamp_rrrf_execute, samples, n, s.input_rate, s.audio2);
    s.Filter(x, n);
    s.Symbols(out);
}

void Demodulator::Flush(std::vector<float>& out) {
    State& s = *state_;
    // Silence after the end lets the receiver reach the last symbols.
    s.y.resize(s.y.size() + lookahead, s.dc);
    s.Symbols(out);
    for (; s.held > 0; --s.held, s.oldest = (s.oldest + 1) % sync_length) out.push_back(s.pending[s.oldest].value);
}

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
