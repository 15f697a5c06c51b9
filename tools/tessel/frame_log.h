// Frames heard on the air into the log, as both receive commands log them
// (receive.cpp for one channel, site_receive.cpp for a whole site): which
// direction a frame was sent in, which frames are left out, the log's clock
// (50 MHz ticks in 32 bits, with DateTime past the wrap) and the entry point
// of each data unit.
#ifndef TESSEL_TOOL_FRAME_LOG_H
#define TESSEL_TOOL_FRAME_LOG_H

#include <array>
#include <cstdint>
#include <cstdio>

#include "P25_processing.h"
#include "tessel_air/frames.h"

namespace tessel {

// Ticks from the start of the recording to a position (in input samples at
// rate): the nearest whole symbol period, to the nearest tick.
std::uint64_t Ticks_at(double position, double rate);

// Timestamps past the 32-bit wrap: before the first frame of each wrap of
// the count, and before any frame 2^32 ticks or more after the last
// DateTime, a DateTime tells the time of a whole second at or before that
// frame, counted from 1970-01-01 00:00:00 at the start of the recording.  A
// frame's time is the last DateTime's plus its ticks since that DateTime's
// timestamp, modulo 2^32.
class Log_clock {
public:
    // The timestamp of a record at ticks; logs a DateTime first when needed.
    std::uint32_t Timestamp(std::uint64_t ticks);

private:
    std::uint64_t reference_ = 0, wrap_ = 0;
};

// What one channel's frames came to.
struct Frame_counts {
    unsigned long logged = 0, outbound = 0, inbound = 0;
    unsigned long cut_off = 0;                 // the recording ended inside them
    std::array<unsigned long, 16> left_out{};  // by DUID: a word of the record beyond correction

    Frame_counts& operator+=(const Frame_counts& other);
    unsigned long Left_out() const;
};

// The summary's lines for the frames left out, if any.
void Print_left_out(std::FILE* out, const Frame_counts& counts);

// One channel's frames, in the order heard: the direction of each (a base
// station's status symbols, or as forced), and whether it is logged.
class Frame_judge {
public:
    explicit Frame_judge(int forced_direction) : forced_(forced_direction) {}

    // True, with the direction, when the frame is to be logged; a frame the
    // recording cut off holds guesses where it ends, one whose own words
    // failed holds guesses throughout: both are counted and left out.
    bool Judge(const tessel_air::Frame& frame, bool& osp);
    // A new stream on the same channel (a receiver tuned to it again): the
    // frame before is no longer directly before the next.
    void Restart() { direction_ = {}; }

    int Forced() const { return forced_; }  // 1 osp, 0 isp, -1 by the status symbols
    Frame_counts counts;

private:
    const int forced_;
    tessel_air::Direction_finder direction_;
};

// Logs a frame's record through its data unit's entry point, with its time,
// physical channel and direction.
void Log_frame(const tessel_air::Frame& frame, std::uint32_t timestamp, std::uint8_t phys_channel, bool osp);

}  // namespace tessel

#endif
