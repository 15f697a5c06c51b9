// What tessel transmit's two forms share (transmit.cpp, site_transmit.cpp):
// the samples of one channel's frames placed in time, the overhead slots a
// control channel broadcasts, and the reading of an input's records into
// frames, one frame a record, exactly as given.  Where the frames go is a
// Frame_out: the one channel of a recording, or a site's physical channels.
#ifndef TESSEL_TOOL_TRANSMIT_H
#define TESSEL_TOOL_TRANSMIT_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <utility>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "commands.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

// Frames -> samples, each frame at its time: to a file, or (a site's
// channel) appended to a vector of IQ samples.  Positions are output samples
// (symbols for dibits) from the first sample; a frame starts a transmission
// of its own unless it follows the one before directly.
class Transmitter {
public:
    Transmitter(tessel_air::Sample_writer& out, tessel_air::Sample_format format, double rate);
    Transmitter(std::vector<tessel_air::Complex>& into, double rate);

    // Whether a frame sent at `seconds` (as Send places it) directly follows
    // what was sent, with no symbol between them.
    bool Directly(double seconds) const { return Gap(seconds) < 0.5; }

    // Sends a frame whose first sync symbol is centred `seconds` from the
    // start, or directly after what was sent when seconds < 0 or that time
    // is past (then late says so).  False when the file cannot be written.
    bool Send(const std::vector<std::uint8_t>& dibits, double seconds, bool& late);

    // Ends the transmission in progress, and the carrier stays off until a
    // frame's first symbol could be centred at `seconds`: the samples up to
    // the carrier's lead-in of such a frame are written.
    bool Quiet_until(double seconds) { return Idle(seconds * rate_); }

    bool Finish();

    // Whether a transmission is in progress (the carrier is up).
    bool On() const { return on_; }

    // Where the next symbol would go, in seconds from the start.
    double Seconds() const { return Next_position() / rate_; }
    // Seconds from a symbol's centre to the end of its pulse: the samples
    // written lag the symbols sent by so much.
    static constexpr double reach_seconds = tessel_air::Modulator::delay_symbols / tessel_air::symbol_rate;
    // The shortest silence between transmissions: the filter's tail of the
    // one and its lead-in of the next, in symbols.
    static constexpr double min_silence = 2 * tessel_air::Modulator::delay_symbols + 1;

private:
    double Next_position() const { return modulator_ ? modulator_->Next_symbol_position() : double(symbols_); }
    // Symbol periods from the next symbol's place to a frame at `seconds`.
    double Gap(double seconds) const {
        return seconds < 0 ? 0 : (seconds * rate_ - Next_position()) / (rate_ / tessel_air::symbol_rate);
    }
    bool Idle(double position);
    bool Push(const std::vector<std::uint8_t>& dibits);
    bool Write_iq();

    tessel_air::Sample_writer* out_ = nullptr;
    std::vector<tessel_air::Complex>* into_ = nullptr;
    tessel_air::Sample_format format_;
    double rate_;
    std::unique_ptr<tessel_air::Modulator> modulator_;
    std::vector<tessel_air::Complex> iq_;
    std::vector<float> audio_;
    std::uint64_t symbols_ = 0;
    bool on_ = false;  // a transmission is in progress: a short gap after it is bridged
};

// An overhead slot: its blocks, sent every interval.
struct Slot {
    P25::TSBK_PDU_data blocks;
    bool pdu;
    double interval;  // seconds
};

// A control channel's overhead slots, back to back.  Slots come due every
// interval; whichever kind is due soonest goes next, and when none is due
// the next go early, so the channel never falls silent.  A packet slot goes
// out as a frame of its own; a TSDU takes the TSBK slots soonest due, one
// TSBK each, up to the TSBK with the last-block flag (three at most), so a
// packet never cuts a TSDU short (a receiver would read the packet's start
// as the TSDU's next block).  Each slot sent costs a step of a heap.
class Overhead {
public:
    void Add(const Slot& slot);
    bool Empty() const { return slots_.empty(); }
    std::size_t Size() const { return slots_.size(); }
    // The next frame at `now` (seconds), when it takes at most `room`
    // symbols; otherwise none, and the slots stay due.
    std::vector<std::uint8_t> Next(double now, tessel_air::Frame_encoder& encoder, double room = 1e18);

private:
    using Due = std::pair<double, std::size_t>;  // when, which slot
    using Queue = std::priority_queue<Due, std::vector<Due>, std::greater<Due>>;
    std::vector<Slot> slots_;
    Queue tsbks_, packets_;
    std::unique_ptr<P25::TSBK_PDU_data> unit_ = std::make_unique<P25::TSBK_PDU_data>();
};

// Where the frames of the records go.
class Frame_out {
public:
    virtual ~Frame_out() = default;
    // The encoder of the channel a record at `seconds` (< 0: directly after
    // the one before), or an overhead slot, goes out on; null, with the
    // reason, when that channel cannot send it.
    virtual tessel_air::Frame_encoder* Encoder(const P25::Source_info& source, double seconds, std::string& why) = 0;
    // Whether a frame at `seconds` on the record's channel directly follows
    // an outbound frame there (the control channel's status grid runs on).
    virtual bool Follows_outbound(const P25::Source_info& source, double seconds) const = 0;
    // Sends a frame on the record's channel at `seconds` from the start of
    // the recording (< 0: directly after the one before; late when that
    // time is past).  False when the output cannot be written.
    virtual bool Send(const P25::Source_info& source, const std::vector<std::uint8_t>& dibits, double seconds,
                      bool& late) = 0;
    // An overhead slot the record's channel broadcasts.
    virtual void Add_slot(const P25::Source_info& source, const Slot& slot) = 0;
    // A channel's transmit frequency ("Channel_tx_freq", a script's chan_tx):
    // a site places its channels by them; elsewhere they have no frame and
    // are refused.  Frequency gives the reason when it refuses one.
    virtual bool Takes_frequencies() const { return false; }
    virtual bool Frequency(const P25::Chan_freq&, std::string&) { return false; }
};

// What the records of an input came to.
struct Records_sent {
    unsigned long sent = 0, late = 0, refused = 0;
    bool written = true;     // the output took every sample
    bool malformed = false;  // a document that is not well-formed
    bool reported = false;   // the input reported errors of its own
};

class Stdin_again;

// The records of an input: a record script (read a line at a time through
// the kinds' own readers) or a document (read through the library's receive
// hooks), told apart by its first octets; "-" is standard input.
class Record_input {
public:
    Record_input();
    ~Record_input();
    // False, with the message, when the input cannot be read.
    bool Open(const std::string& path, std::string& error);
    // Sends every record through out, refusing at its line ("INPUT:LINE:
    // why") what has no frame or cannot be sent as given.
    Records_sent Send(Frame_out& out);

private:
    std::string path_;
    bool document_ = false;
    File file_;
    std::unique_ptr<Stdin_again> stdin_again_;
};

}  // namespace tessel

#endif
