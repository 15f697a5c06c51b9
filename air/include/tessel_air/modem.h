// The C4FM modem: samples <-> soft symbols.
//
// Receive: complex baseband (IQ) or FM-discriminator audio at any rate is
// brought to 48 kHz, frequency-demodulated (IQ), passed through the
// one-symbol integrate-and-dump filter that undoes the transmitter's x/sin x
// shaping, and sampled once a symbol at 4800 symbols/s by a timing loop.
// A decision-directed level loop removes gain and DC so that the symbols come
// out at the nominal levels +3, +1, -1, -3 (dibits 01, 00, 10, 11).
// IQ symbols come with their dibits' costs too, from coherent detection of
// the carrier's phase, which the frame decoder's trellis blocks prefer.
//
// Transmit: dibits -> impulses -> raised-cosine (alpha 0.2) times x/sin x
// shaping -> instantaneous frequency (600 Hz per level unit) -> discriminator
// audio or FM-modulated IQ at the chosen rate, computed at that rate; the
// carrier is keyed on and off with ramps, and is off between transmissions.
#ifndef TESSEL_AIR_MODEM_H
#define TESSEL_AIR_MODEM_H

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tessel_air/codes.h"
#include "tessel_air/symbols.h"

namespace tessel_air {

constexpr double working_rate = 48000.0;                  // the modem's internal rate
constexpr int samples_per_symbol = 10;                    // at the working rate
constexpr double nominal_deviation = 600.0;               // Hz per level unit
static_assert(working_rate == symbol_rate * samples_per_symbol, "whole samples per symbol");

// Discriminator audio carries frequency as amplitude.  Its scale is that of
// a quadrature discriminator with unit gain: 1.0 (32768 in 16-bit PCM) is a
// phase step of one radian per sample, i.e. rate / 2 pi Hz (7639 Hz at 48 kHz),
// both when reading and when writing.
double Audio_full_scale_hz(double sample_rate);

using Complex = std::complex<float>;

enum class Signal { iq, audio };

// What the receiver keeps for an eye diagram: overlaid traces two symbol
// periods long (centred on a symbol, in level units after gain and DC
// removal) and the histogram of the soft symbols.
struct Eye {
    static constexpr int trace_length = 2 * samples_per_symbol + 1;
    static constexpr int max_traces = 600;
    static constexpr float histogram_low = -5.0f, histogram_high = 5.0f;
    static constexpr int histogram_bins = 200;
    std::vector<std::array<float, trace_length>> traces;
    std::array<uint64_t, histogram_bins> histogram{};
};

struct Demodulator_statistics {
    uint64_t samples = 0;       // input samples
    uint64_t symbols = 0;       // soft symbols produced
    uint64_t locked_symbols = 0;  // of those, with the eye open
    double deviation_hz = 0;    // measured Hz per level unit (mean over locked symbols)
    double noise_rms = 0;       // slicer error, RMS level units, over locked symbols
    double symbol_error_estimate = 0;  // from noise_rms, Gaussian assumption
};

class Demodulator {
public:
    // sample_rate: of the input, in Hz (at least 8 kHz for audio, 24 kHz for IQ).
    Demodulator(Signal signal, double sample_rate);
    ~Demodulator();
    Demodulator(const Demodulator&) = delete;
    Demodulator& operator=(const Demodulator&) = delete;

    // Append one soft symbol per symbol period to out.  The block may be any
    // length; state carries over from one call to the next.  With positions,
    // each symbol's position is appended there too: where the transmitter
    // centred that symbol's impulse, in input samples (fractional; 0 is the
    // stream's first sample), the receiver's own delays removed.  With costs
    // (IQ only), each symbol's dibit costs from coherent detection are
    // appended there too: the frame decoder's trellis blocks do better with
    // them than with the soft symbols.
    void Push_iq(const Complex* samples, std::size_t count, std::vector<float>& out,
                 std::vector<double>* positions = nullptr, std::vector<Symbol_costs>* costs = nullptr);
    void Push_audio(const float* samples, std::size_t count, std::vector<float>& out,
                    std::vector<double>* positions = nullptr);
    // The receiver holds the last 24 symbols back (to resample them at the
    // timing of a frame sync found in them), and IQ another 64 for coherent
    // detection; at the end, let them out.
    void Flush(std::vector<float>& out, std::vector<double>* positions = nullptr,
               std::vector<Symbol_costs>* costs = nullptr);

    // The eye draws only the symbols the host confirms, by their index in the
    // output stream (0 is the first symbol appended): those inside frames.
    // The receiver remembers the last eye_memory symbols for this.
    void Eye_keep(std::uint64_t first_symbol, std::uint64_t count);
    static constexpr std::size_t eye_memory = 4096;

    Demodulator_statistics Statistics() const;
    const Eye& Eye_data() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

class Modulator {
public:
    // sample_rate: of the output, in Hz.  deviation: Hz per level unit.
    Modulator(Signal signal, double sample_rate, double deviation = nominal_deviation);
    ~Modulator();
    Modulator(const Modulator&) = delete;
    Modulator& operator=(const Modulator&) = delete;

    // Dibits (0-3; other values are sent as 00) to samples, appended.
    // Audio samples are in full-scale units (see Audio_full_scale_hz).
    void Push_audio(const uint8_t* dibits, std::size_t count, std::vector<float>& out);
    void Push_iq(const uint8_t* dibits, std::size_t count, std::vector<Complex>& out);
    // Ends the transmission in progress: the pulses' tails go out and the
    // carrier is lowered.  The next Push starts a new transmission.
    void Flush_audio(std::vector<float>& out);
    void Flush_iq(std::vector<Complex>& out);

    // The output sample position (fractional; 0 is the first sample written)
    // where the impulse of the next dibit pushed will be centred.  The first
    // transmission's first symbol is at delay_symbols symbol periods.
    double Next_symbol_position() const;
    // Ends the transmission in progress (as Flush), writes carrier-off
    // samples (zero IQ, zero audio) and places the next dibit pushed at
    // next_symbol_position, or as soon after the tail as a new transmission
    // can start when that is earlier.
    void Idle_audio(double next_symbol_position, std::vector<float>& out);
    void Idle_iq(double next_symbol_position, std::vector<Complex>& out);

    // The pulse's reach on either side of its impulse, in symbol periods: a
    // transmission's carrier rises this long before its first symbol and
    // falls this long after its last.
    static constexpr int delay_symbols = 8;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The transmit filter H(f)P(f) at the working rate, scaled so that H alone
// gives 1 at a symbol instant; span 2*delay_symbols+1 symbols.
std::vector<float> Transmit_filter();

// Writes the eye diagram and the symbol histogram as a self-contained SVG.
// Returns false when the file cannot be written.
bool Write_eye_svg(const Eye& eye, const Demodulator_statistics& stats, const char* path);

}  // namespace tessel_air

#endif
