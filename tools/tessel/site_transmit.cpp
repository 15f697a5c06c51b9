// tessel transmit INPUT --center HZ --rate HZ: a simulated site in one
// wideband recording.
//
// Every physical channel of the input is a transmitter at the frequency its
// "Channel_tx_freq" (a script's chan_tx line) gives: transmit's frame
// encoder and modulator at the channel rate, moved to its place in the band
// by the combiner.  The records reach the channels as single-channel
// transmit reads them (transmit.h), one frame a record, exactly as given, at
// their timestamps (the first sync symbol's centre there), with the carrier
// off between transmissions; a channel with overhead slots fills its idle
// time with them, so that it never falls silent while the site is on the air.
//
// The records arrive in input order and the band is written as they come:
// each record lets every channel run up to its timestamp, so memory stays
// that of the frames in flight.  A record earlier than its channel's air
// time so far goes out as soon as it can, and is counted late.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "site.h"
#include "transmit.h"
#include "tessel_air/channelizer.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

const char transmit_site_usage[] =
    "Wideband: tessel transmit INPUT --center HZ --out FILE [--rate HZ]\n"
    "                          [--format cf32|cu8|cs16] [--seconds N]\n"
    "\n"
    "With --center, every physical channel of INPUT goes out at its\n"
    "\"Channel_tx_freq\" (a script's chan_tx line) in one IQ recording: each\n"
    "record's frame, as above, at its timestamp on its channel, the carrier\n"
    "off between transmissions; a channel with overhead slots fills its idle\n"
    "time with them.  Each channel is sent at 1/8 of full scale.  A record\n"
    "for a channel with no chan_tx before it, or one outside the band, is\n"
    "refused at its line.\n"
    "\n"
    "  --center HZ   the frequency at the centre of the recording\n"
    "  --rate HZ     its sample rate (default 2400000)\n"
    "  --out, --format and --seconds as above.\n";

namespace {

using tessel_air::Complex;
using tessel_air::Frame_encoder;

constexpr double default_wide_rate = 2400000;
constexpr float channel_level = 0.125f;
// How far short of a record's time every channel's samples may run without
// keeping its frame from going out exactly there: a channel whose carrier
// falls in between needs its tail, the shortest silence and the next
// frame's lead-in (a frame closer than that follows on the same carrier).
constexpr double record_margin = Transmitter::reach_seconds + (Transmitter::min_silence + 1) / tessel_air::symbol_rate;

// One physical channel on the air: transmit's frame encoder and modulator at
// the channel rate, its samples kept until the band takes them.  It comes on
// at the band's channel sample `first`; its own clock starts a modulator's
// reach earlier, so that a frame can start right there (at the start of the
// band, a record at time 0), and the samples before `first` are dropped.
struct Site_channel {
    Site_channel(int combiner_id, std::uint64_t first, double rate)
        : id(combiner_id),
          lead(std::size_t(std::ceil(Transmitter::reach_seconds * rate - 1e-6))),
          first_sample(first),
          start((double(first) - double(lead)) / rate),
          drop(lead),
          tx(samples, rate) {}
    int id;
    std::size_t lead;              // channel samples its clock starts before `first`
    std::uint64_t first_sample;
    double start;                  // seconds of the band at its clock's start
    std::size_t drop;              // samples before `first` still to drop
    std::vector<Complex> samples;  // made, from the band's next block on
    Transmitter tx;              // into samples
    Frame_encoder encoder{tessel_air::Status_plan::control_channel};
    Overhead overhead;
    bool last_outbound = false;  // the direction of its last frame
    bool finished = false;       // every frame is out: silence from here

    // A record's time on the channel's own clock (< 0 stays: directly after the frame before).
    double Local(double seconds) const { return seconds < 0 ? seconds : std::max(0.0, seconds - start); }
};

// The site: each physical channel at its "Channel_tx_freq", the band they
// make written block by block as the records come.  A record at time t lets
// every channel run up to t (less the modulator's reach): then no channel has
// gone past where a later record starts, and memory holds the frames in
// flight only.
class Site_out : public Frame_out {
public:
    Site_out(double rate, double center, tessel_air::Sample_writer& out)
        : rate_(rate), center_(center), out_(out), combiner_(rate) {}

    Frame_encoder* Encoder(const P25::Source_info& source, double seconds, std::string& why) override {
        Site_channel* c = Channel(source.phys_channel, why);
        if (!c) return nullptr;
        if (seconds >= 0) Run_until(seconds);
        return &c->encoder;
    }
    bool Follows_outbound(const P25::Source_info& source, double seconds) const override {
        const auto c = channels_.find(source.phys_channel);
        return c != channels_.end() && c->second->tx.On() && c->second->last_outbound &&
               c->second->tx.Directly(c->second->Local(seconds));
    }
    bool Send(const P25::Source_info& source, const std::vector<std::uint8_t>& dibits, double seconds,
              bool& late) override {
        Site_channel& c = *channels_.at(source.phys_channel);
        c.last_outbound = source.is_osp;
        return ok_ = ok_ && c.tx.Send(dibits, c.Local(seconds), late);
    }
    void Add_slot(const P25::Source_info& source, const Slot& slot) override {
        channels_.at(source.phys_channel)->overhead.Add(slot);
        ++slots_;
    }
    bool Takes_frequencies() const override { return true; }
    bool Frequency(const P25::Chan_freq& f, std::string& why) override {
        const unsigned number = f.operation.phys_channel;
        const auto on = channels_.find(number);
        if (on != channels_.end() && frequencies_[number] != f.frequency) {
            why = "channel " + std::to_string(number) + " is on the air at " + std::to_string(frequencies_[number]) +
                  " Hz already: it cannot move";
            return false;
        }
        frequencies_[number] = f.frequency;
        return Inside(number, why);
    }

    // Runs until every frame is out, and a control channel's broadcast for at least `seconds`.
    bool Finish(double seconds) {
        double end = seconds;
        for (auto& [number, c] : channels_) end = std::max(end, c->start + c->tx.Seconds());
        while (ok_ && Block_seconds(block_) < end) ok_ = Block(end);
        bool left = false;
        for (auto& [number, c] : channels_) {
            c->finished = true;
            ok_ = ok_ && c->tx.Finish();
            left = left || !c->samples.empty();
        }
        for (; ok_ && left; left = Samples_left()) ok_ = Block(end);
        wide_.clear();
        combiner_.Flush(wide_);
        return out_.Write_iq(wide_) && ok_;
    }

    unsigned long Slots() const { return slots_; }
    std::size_t Channels() const { return channels_.size(); }
    double Seconds() const { return Block_seconds(block_); }

private:
    double rate_, center_;
    tessel_air::Sample_writer& out_;
    tessel_air::Combiner combiner_;
    std::map<unsigned, std::uint32_t> frequencies_;
    std::map<unsigned, std::unique_ptr<Site_channel>> channels_;
    std::vector<Complex> wide_;
    std::uint64_t block_ = 0;
    unsigned long slots_ = 0;
    bool ok_ = true;

    double Block_seconds(std::uint64_t block) const { return double(block * combiner_.Grid().step) / rate_; }

    bool Inside(unsigned number, std::string& why) const {
        const double hz = frequencies_.at(number);
        if (std::fabs(hz - center_) <= rate_ / 2 - 7000) return true;
        why = "channel " + std::to_string(number) + " at " + std::to_string(frequencies_.at(number)) +
              " Hz is outside the band of --center and --rate";
        return false;
    }

    // The channel of a number, on the air from the band's next block.
    Site_channel* Channel(unsigned number, std::string& why) {
        auto c = channels_.find(number);
        if (c != channels_.end()) return c->second.get();
        if (!frequencies_.count(number)) {
            why = "channel " + std::to_string(number) + " has no transmit frequency: no chan_tx (Channel_tx_freq)" +
                  " for it before this record";
            return nullptr;
        }
        if (!Inside(number, why)) return nullptr;
        const tessel_air::Channel_grid& grid = combiner_.Grid();
        auto made = std::make_unique<Site_channel>(combiner_.Add(double(frequencies_[number]) - center_),
                                                   block_ * grid.Channel_step(), grid.Channel_rate());
        return (channels_[number] = std::move(made)).get();
    }

    bool Samples_left() const {
        for (auto& [number, c] : channels_)
            if (!c->samples.empty()) return true;
        return false;
    }

    // Every channel runs up to (not into) the block that holds `seconds`.
    void Run_until(double seconds) {
        while (ok_ && Block_seconds(block_ + 1) <= seconds - record_margin) ok_ = Block(seconds);
    }

    // One block of the band: each channel's samples for it, then the
    // combiner's.  No record comes before `horizon` (seconds).
    bool Block(double horizon) {
        const std::size_t step = combiner_.Grid().Channel_step();
        for (auto& [number, c] : channels_) {
            Fill(*c, horizon);
            for (std::size_t n = 0; n < step; ++n) c->samples[n] *= channel_level;
            combiner_.Put(c->id, c->samples.data());
            c->samples.erase(c->samples.begin(), c->samples.begin() + long(step));
        }
        wide_.clear();
        combiner_.Emit(wide_);
        ++block_;
        return out_.Write_iq(wide_);
    }

    // The channel's samples for the next block: a channel with overhead
    // slots broadcasts them while each ends by the horizon; otherwise its
    // carrier is off.
    void Fill(Site_channel& c, double horizon) {
        const tessel_air::Channel_grid& grid = combiner_.Grid();
        const std::size_t step = grid.Channel_step();
        // The block's end on the channel's own clock, in its samples.
        const double end = double((block_ + 1) * step - c.first_sample + c.lead);
        for (;;) {
            const std::size_t dropped = std::min(c.drop, c.samples.size());
            c.samples.erase(c.samples.begin(), c.samples.begin() + long(dropped));
            c.drop -= dropped;
            if (c.samples.size() >= step) break;
            if (c.finished) {
                c.samples.resize(step, Complex(0, 0));
                break;
            }
            const double next = c.start + c.tx.Seconds();
            if (!c.overhead.Empty()) {
                c.encoder.Plan(tessel_air::Status_plan::control_channel);
                if (!(c.tx.On() && c.last_outbound)) c.encoder.Start_grid();
                const std::vector<std::uint8_t> frame =
                    c.overhead.Next(next, c.encoder, (horizon - next) * tessel_air::symbol_rate);
                bool late;
                if (!frame.empty() && c.tx.Send(frame, -1, late)) {
                    c.last_outbound = true;
                    continue;
                }
            }
            c.tx.Quiet_until((end + 0.5) / grid.Channel_rate() + Transmitter::reach_seconds);
        }
    }
};

}  // namespace

int Transmit_site(const Arguments& args) {
    std::string center_text, rate_text, format_name, out_path, seconds_text;
    std::vector<std::string> files;
    if (!Parse_options("transmit", args,
                       {{"--center", &center_text, nullptr},
                        {"--rate", &rate_text, nullptr},
                        {"--format", &format_name, nullptr},
                        {"--out", &out_path, nullptr},
                        {"--seconds", &seconds_text, nullptr}},
                       files))
        return exit_usage;
    if (files.size() != 1) return Usage_error("transmit", files.empty() ? "no input" : "more than one input");
    if (out_path.empty()) return Usage_error("transmit", "--out FILE is needed");
    const std::string& input_path = files[0];
    double center, rate = default_wide_rate, seconds = 0;
    if (!Parse_number(center_text, center) || center <= 0)
        return Usage_error("transmit", "bad --center \"" + center_text + "\": a frequency in Hz is needed");
    if (!rate_text.empty() && (!Parse_number(rate_text, rate) || rate < 24000 || rate > 2e7))
        return Usage_error("transmit", "bad --rate \"" + rate_text + "\": 24000 to 20000000 samples a second");
    if (!seconds_text.empty() && (!Parse_number(seconds_text, seconds) || seconds <= 0 || seconds > 86400))
        return Usage_error("transmit", "bad --seconds \"" + seconds_text + "\"");
    tessel_air::Sample_format format;
    if (const int status = Choose_sample_format("transmit", format_name, out_path, format)) return status;
    if (!tessel_air::Is_iq(format))
        return Usage_error("transmit", std::string("--center writes IQ samples (cf32, cu8, cs16), not ") +
                                           tessel_air::Name(format));
    if (input_path != "-" && out_path != "-" && Same_file(out_path, input_path))
        return Usage_error("transmit", "would overwrite the input " + input_path);

    Record_input input;
    std::string error;
    if (!input.Open(input_path, error)) return File_error("transmit", error);
    tessel_air::Sample_writer writer(out_path, format, rate);
    if (!writer.Ok()) return File_error("transmit", "cannot write " + out_path + ": " + writer.Error());
    Site_out site(rate, center, writer);
    const Records_sent sent = input.Send(site);
    const bool written = sent.written && site.Finish(seconds > 0 ? seconds : sent.sent ? 0 : 10) && writer.Close();
    if (!written) return Write_error("transmit", out_path, errno);
    if (sent.malformed) return exit_usage;
    std::fprintf(stderr, "tessel transmit: %s: %lu records, %lu overhead slots on %zu channels, %.2f s at %.0f samples/s\n",
                 out_path == "-" ? "standard output" : out_path.c_str(), sent.sent, site.Slots(), site.Channels(),
                 site.Seconds(), rate);
    if (sent.late > 0)
        std::fprintf(stderr, "  %lu records sent after their timestamps: their channel was still busy\n", sent.late);
    return sent.refused > 0 || sent.reported ? exit_reported : exit_ok;
}

}  // namespace tessel
