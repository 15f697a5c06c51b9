// A wideband capture <-> its narrow channels.
//
// Analysis (Channelizer) takes complex baseband at the capture's rate and
// gives, for each channel opened on it, complex baseband centred on that
// channel at the channel rate (the capture's rate divided by a whole
// decimation, near 48 kHz), filtered to one C4FM channel (flat to about
// +-6 kHz, stopped beyond about +-7.5 kHz).  Synthesis (Combiner) does the
// reverse: channel-rate baseband of several channels, each moved to its
// offset, summed into one wideband stream.
//
// Both are fast-convolution filter banks: one FFT of the whole band a block,
// shared by every channel, and per channel a short transform over the bins
// of its band.  The filter is zero-phase: channel sample j is wide sample
// First_sample() + j * decimation, exactly, in both directions.
#ifndef TESSEL_AIR_CHANNELIZER_H
#define TESSEL_AIR_CHANNELIZER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tessel_air/modem.h"

namespace tessel_air {

// The block geometry of a filter bank at one wide rate.
struct Channel_grid {
    double wide_rate = 0;          // Hz
    unsigned decimation = 1;       // wide samples per channel sample
    unsigned channel_bins = 512;   // short transform, over the channel rate
    unsigned margin = 64;          // channel samples of filter each side of a block
    unsigned fft_size = 512;       // decimation * channel_bins
    unsigned step = 384;           // wide samples a block moves on: decimation * (channel_bins - 2 * margin)

    double Channel_rate() const { return wide_rate / decimation; }
    double Bin_hz() const { return wide_rate / fft_size; }
    unsigned Channel_step() const { return step / decimation; }

    // The geometry for a wide rate of at least 24 kHz: a channel rate of
    // 48 kHz when the wide rate is a whole multiple of it, otherwise the
    // nearest one between 40 and 64 kHz whose transform size has small
    // prime factors only.
    static Channel_grid For_rate(double wide_rate);
};

// Wideband in, channels out.
class Channelizer {
public:
    // Called after each block for each open channel, in the order opened:
    // the channel's next samples.
    using Sink = std::function<void(int channel, const Complex* samples, std::size_t count)>;

    // lookback: seconds of the past kept, so that a channel opened late can
    // start where something was heard (a grant) before the moment it opens.
    Channelizer(double wide_rate, double lookback_seconds, Sink sink);
    ~Channelizer();
    Channelizer(const Channelizer&) = delete;
    Channelizer& operator=(const Channelizer&) = delete;

    const Channel_grid& Grid() const;

    // Opens a channel offset_hz from the capture's centre (|offset| below
    // half the wide rate).  Its output starts at the block that holds wide
    // sample `from` (the oldest block kept when that is older, the next block
    // when it is not yet read); a channel opened from inside the sink gets
    // its first samples after the current block's.  Returns its id (>= 0).
    int Open(double offset_hz, std::uint64_t from);
    // Closes a channel: no more samples for it.
    void Close(int channel);
    bool Is_open(int channel) const;
    // The wide sample of the channel's first output sample.
    std::uint64_t First_sample(int channel) const;
    double Offset_hz(int channel) const;

    void Push(const Complex* samples, std::size_t count);
    // Ends the stream: the samples still held are filtered as if silence
    // followed, and each open channel gets outputs up to the last wide sample.
    void Flush();
    std::uint64_t Samples() const;  // wide samples pushed

    // Mean power of each transform bin over the blocks since the last call
    // (every fourth block counted: a search of the band needs no more),
    // lowest frequency (-wide_rate / 2) first; empty when none was counted.
    // Also says how many blocks the mean is over.
    std::size_t Take_spectrum(std::vector<float>& power);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Channels in, wideband out.
class Combiner {
public:
    explicit Combiner(double wide_rate);
    ~Combiner();
    Combiner(const Combiner&) = delete;
    Combiner& operator=(const Combiner&) = delete;

    const Channel_grid& Grid() const;

    // A channel offset_hz from the centre; returns its id.
    int Add(double offset_hz);
    // The channel's samples for the block being built: Grid().Channel_step()
    // of them.  A channel given nothing for a block is silent in it.
    void Put(int channel, const Complex* samples);
    // Ends the block: appends its wide samples (Grid().step of them, less
    // the filter's lead-in on the first block) to out.
    void Emit(std::vector<Complex>& out);
    // Appends the filters' tails after the last block.
    void Flush(std::vector<Complex>& out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tessel_air

#endif
