// tessel receive FILE --center HZ: a whole site from one wideband recording.
//
// The channelizer cuts the capture into channels; each channel tuned gets
// the air library's demodulator and frame decoder, as the narrowband receive
// has one.  Channels come from three places:
//   - the band's energy (--channels auto): every few tenths of a second the
//     band's spectrum is searched for C4FM-wide signals; each is tried as a
//     probe and kept once it gives a frame (a frame sync and a NID that
//     decodes), dropped when it gives none;
//   - the command line (--channels F1,F2,...);
//   - the control channels' messages: the channel identifiers make channel
//     numbers into frequencies, and every grant and grant update whose
//     channel lies in the band tunes that channel from the grant on (the
//     channelizer keeps half a second of the past for it).
// The site's own channel, named by its status broadcasts, gives the capture's
// clock error (its measured frequency against the plan's), by which every
// granted frequency is corrected before it is tuned.
//
// Each channel used gets a physical channel number: the control channels
// first, by frequency, then the others in the order they were first used
// (granted or heard).  The log is held back until the plan is known (the
// control channel's identifiers and status broadcast, or a few seconds), so
// that each channel's "Channel_rx_freq" names its frequency in the plan;
// then every record carries its channel's number.  A traffic channel silent
// for a while is parked until the next grant or the next energy on it.
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "frame_log.h"
#include "progress.h"
#include "site.h"
#include "tessel_air/channelizer.h"
#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

const char receive_site_usage[] =
    "Wideband: tessel receive FILE --center HZ [--rate HZ] [--format cf32|cu8|cs16]\n"
    "                         [--channels auto|F1,F2,...] [--out LOG] [--eye HZ:SVG]\n"
    "                         [--direction osp|isp]\n"
    "\n"
    "With --center, FILE is a wideband IQ recording of a whole site (any rate\n"
    "up to 10 MS/s), cut into 12.5 kHz channels.  The control channels'\n"
    "channel identifiers (IDEN_UP, IDEN_UP_VU, IDEN_UP_TDMA) turn channel\n"
    "numbers into frequencies, and every grant and grant update inside the\n"
    "band is followed to its traffic channel from the grant on.  Each channel\n"
    "used gets a physical channel number (control channels first, then in\n"
    "order of first use): its \"Channel_rx_freq\" is logged before its first\n"
    "record and every record carries it.  The summary gives a line per\n"
    "channel: frequency, kind, NAC, direction, frames by type, grants followed.\n"
    "\n"
    "  --center HZ       the frequency at the centre of the recording\n"
    "  --rate HZ         its sample rate (default 2400000)\n"
    "  --channels C      auto (the default): channels found by their frame sync,\n"
    "                    the band searched every 0.2 s; or the channels'\n"
    "                    frequencies in Hz, comma-separated\n"
    "  --eye HZ:SVG      the eye diagram of the channel nearest HZ\n"
    "  --format, --out and --direction as above.\n";

namespace {

using tessel_air::Complex;
using tessel_air::Duid;
using tessel_air::Frame;

constexpr std::size_t block_samples = 1 << 16;
constexpr double default_wide_rate = 2400000;
constexpr double lookback_seconds = 0.5;   // channels opened late start this far back at most
constexpr double scan_seconds = 0.2;       // the band's energy searched this often
constexpr double probe_seconds = 1.5;      // a probe that gives no frame in this time is dropped
constexpr double dropped_seconds = 10;     // and not tried again at that frequency for this long
constexpr double idle_seconds = 2.0;       // a traffic channel parked after this long silent
constexpr double ended_seconds = 0.3;      // or this long after its call's terminator
constexpr double settle_seconds = 3.0;     // the log is held at most this long for the plan
constexpr double detect_db = 4.0;          // energy above the band's median that is tried
constexpr double signal_width_hz = 8000;   // a C4FM signal's width, for the search
constexpr double same_channel_hz = 4000;   // nearer than this is the same channel
constexpr double filter_edge_hz = 7000;    // a channel this close to the band's edge is outside it
constexpr double plan_tolerance_hz = 2000; // a measured frequency this near the plan's is that channel
constexpr double max_clock_error = 50e-6;  // larger estimates are not believed
constexpr double retune_hz = 400;          // a tuned channel this far off after a clock estimate is retuned

enum class Kind : std::uint8_t { unknown, control, traffic, data };
const char* Kind_name(Kind k) {
    switch (k) {
    case Kind::control: return "control";
    case Kind::traffic: return "traffic";
    case Kind::data: return "data";
    default: return "unknown";
    }
}

struct Site_channel {
    explicit Site_channel(int direction) : judge(direction) {}

    double offset_hz = 0;      // from the centre, as tuned
    double nominal_hz = 0;     // as logged
    bool nominal_known = false;
    bool measured = false;     // the offset was measured (a probe), not computed
    bool probe = false;        // tuned on energy, no frame yet
    bool dropped = false;      // a probe that gave nothing
    bool used = false;         // granted or heard: it has or gets a number
    int number = -1;
    int bank = -1;             // the channelizer's id while tuned
    Kind kind = Kind::unknown;
    double first_use = 0;      // wide sample of its first grant or frame
    std::uint64_t last_heard = 0, tuned_at = 0, deadline = 0;
    std::uint64_t use_order = 0;  // among channels first used at the same sample
    std::uint64_t heard_until = 0;  // wide samples received before it was last parked
    std::unique_ptr<tessel_air::Demodulator> demodulator;
    std::unique_ptr<tessel_air::Frame_decoder> decoder;
    std::vector<float> symbols;
    std::vector<double> positions;  // of the symbols, in channel samples from tuned_at
    std::vector<tessel_air::Symbol_costs> costs;  // the coherent detector's, for the decoder's soft path
    Frame_judge judge;
    std::uint64_t frames = 0, grants = 0;
    std::array<std::uint64_t, 16> by_duid{};
    int nac = -1;
    bool ended = false;        // its last frame was a terminator
    bool eye = false;          // keeps its demodulator to the end for --eye
    tessel_air::Demodulator_statistics last_statistics{};
};

class Site_receiver {
public:
    Site_receiver(double rate, double center, bool scan, int direction)
        : rate_(rate),
          center_(center),
          scan_(scan),
          direction_(direction),
          bank_(rate, lookback_seconds,
                [this](int bank, const Complex* samples, std::size_t count) { Channel_samples(bank, samples, count); }),
          next_scan_(Seconds_to_samples(scan_seconds)) {}

    // A channel the command line names.
    void Give(double hz) {
        Site_channel& c = New_channel(hz - center_);
        c.nominal_hz = hz;
        c.nominal_known = true;
        Tune(c, 0);
    }

    // The channel nearest hz keeps its demodulator for the eye.
    void Watch(double hz) { eye_hz_ = hz; }

    void Push(const Complex* samples, std::size_t count) {
        bank_.Push(samples, count);
        Housekeeping(false);
    }

    void Finish() {
        bank_.Flush();
        for (auto& c : channels_)
            if (c->bank >= 0) Park(*c);
        Housekeeping(true);
    }

    std::uint64_t Frames() const { return frames_; }
    unsigned long Logged() const {
        unsigned long n = 0;
        for (auto& c : channels_) n += c->judge.counts.logged;
        return n;
    }
    bool Write_eye(const std::string& path) const;
    void Summary(const std::string& path) const;

private:
    double rate_, center_;
    bool scan_;
    int direction_;  // 1 osp, 0 isp, -1 by each channel's status symbols
    tessel_air::Channelizer bank_;
    Log_clock clock_;
    std::vector<std::unique_ptr<Site_channel>> channels_;
    std::vector<Site_channel*> by_bank_;
    Channel_plan plan_;
    double clock_error_ = 0;  // the capture's clock runs fast by this fraction
    bool clock_known_ = false, clock_changed_ = false;
    bool settled_ = false;
    int next_number_ = 0;
    struct Held {
        Site_channel* channel;
        Frame frame;
        double at;
        bool osp;
    };
    std::vector<Held> held_;
    struct Pending {
        Named_channel named;
        Site_channel* source;
        double at;
    };
    std::vector<Pending> pending_;
    std::uint64_t next_scan_, last_scan_ = 0;
    double eye_hz_ = NAN;
    std::uint64_t uses_ = 0;
    std::uint64_t frames_ = 0, grants_outside_ = 0, grants_tdma_ = 0, grants_unknown_ = 0, probes_dropped_ = 0;

    std::uint64_t Seconds_to_samples(double s) const { return std::uint64_t(s * rate_); }
    std::uint64_t Now() const { return bank_.Samples(); }

    // Where a frequency of the plan appears in the capture, the clock error allowed for.
    double Apparent_offset(double hz) const { return hz * (1 - clock_error_) - center_; }
    double Corrected_hz(double offset) const { return (offset + center_) / (1 - clock_error_); }
    bool Inside_band(double offset) const { return std::fabs(offset) <= rate_ / 2 - filter_edge_hz; }

    Site_channel& New_channel(double offset) {
        channels_.push_back(std::make_unique<Site_channel>(direction_));
        Site_channel& c = *channels_.back();
        c.offset_hz = offset;
        return c;
    }

    Site_channel* Find(double offset) {
        Site_channel* best = nullptr;
        for (auto& c : channels_)
            if (!c->dropped && std::fabs(c->offset_hz - offset) < same_channel_hz &&
                (!best || std::fabs(c->offset_hz - offset) < std::fabs(best->offset_hz - offset)))
                best = c.get();
        return best;
    }

    void Tune(Site_channel& c, std::uint64_t from) {
        if (c.bank >= 0) return;
        c.bank = bank_.Open(c.offset_hz, std::max(from, c.heard_until));
        if (by_bank_.size() <= std::size_t(c.bank)) by_bank_.resize(std::size_t(c.bank) + 1, nullptr);
        by_bank_[std::size_t(c.bank)] = &c;
        c.tuned_at = bank_.First_sample(c.bank);
        c.last_heard = std::max(c.last_heard, c.tuned_at);
        c.demodulator = std::make_unique<tessel_air::Demodulator>(tessel_air::Signal::iq, bank_.Grid().Channel_rate());
        c.judge.Restart();
        Site_channel* p = &c;
        c.decoder = std::make_unique<tessel_air::Frame_decoder>([this, p](const Frame& f) { On_frame(*p, f); });
        if (!std::isnan(eye_hz_) && std::fabs(c.offset_hz + center_ - eye_hz_) < same_channel_hz) c.eye = true;
    }

    // Untunes a channel: what its decoder still holds comes out first.
    void Park(Site_channel& c) {
        if (c.bank < 0) return;
        c.demodulator->Flush(c.symbols, &c.positions, &c.costs);
        Decode(c);
        c.decoder->Flush();
        bank_.Close(c.bank);
        c.heard_until = Now();
        by_bank_[std::size_t(c.bank)] = nullptr;
        c.bank = -1;
        c.last_statistics = c.demodulator->Statistics();
        if (!c.eye) c.demodulator.reset();
        c.decoder.reset();
    }

    void Channel_samples(int bank, const Complex* samples, std::size_t count) {
        Site_channel* c = std::size_t(bank) < by_bank_.size() ? by_bank_[std::size_t(bank)] : nullptr;
        if (!c) return;
        c->demodulator->Push_iq(samples, count, c->symbols, &c->positions, &c->costs);
        Decode(*c);
    }

    void Decode(Site_channel& c) {
        c.decoder->Push(c.symbols.data(), c.positions.data(), c.symbols.size(),
                        c.costs.size() == c.symbols.size() ? c.costs.data() : nullptr);
        c.symbols.clear();
        c.positions.clear();
        c.costs.clear();
    }

    // The wide sample where a frame's first sync symbol is centred: channel
    // sample j is wide sample tuned_at + j * decimation.
    double Wide_position(const Site_channel& c, const Frame& f) const {
        return double(c.tuned_at) + f.position * bank_.Grid().decimation;
    }

    void On_frame(Site_channel& c, const Frame& f) {
        const double at = Wide_position(c, f);
        if (c.eye) c.demodulator->Eye_keep(f.symbol_index, tessel_air::On_air_symbols(f));
        ++frames_;
        ++c.frames;
        ++c.by_duid[unsigned(f.duid) & 15u];
        c.nac = f.nac;
        c.last_heard = std::max(c.last_heard, std::uint64_t(at));
        c.probe = false;
        c.ended = f.duid == Duid::TDU || f.duid == Duid::TDULC;
        if (c.kind == Kind::unknown || c.kind == Kind::data) {
            if (f.duid == Duid::TSDU) c.kind = Kind::control;
            else if (f.duid == Duid::PDU) c.kind = Kind::data;
            else c.kind = Kind::traffic;
        }
        // Every TSBK and packet read checks its own CRC.
        Read_messages(c, f, at);
        bool osp;
        if (!c.judge.Judge(f, osp)) return;
        if (!c.used) Use(c, at);
        if (settled_) Log(c, f, at, osp);
        else held_.push_back({&c, f, at, osp});
    }

    void Read_messages(Site_channel& c, const Frame& f, double at) {
        const P25::TSBK_PDU_data& unit = f.record.tsbk;
        if (f.duid == Duid::TSDU) {
            for (std::uint32_t b = 0; b < unit.block_count && b < 3; ++b) {
                const std::uint8_t* block = unit.tsbk[b].data;
                if (tessel_air::Crc16(block, 10) != (unsigned(block[10]) << 8 | block[11])) continue;
                if (plan_.Learn(block)) Resolve_pending();
                for (const Named_channel& n : Channels_named(block, 1, false)) Act(c, n, at);
            }
        } else if (f.duid == Duid::PDU && f.crc_failed == 0 && unit.block_count > 1 && unit.block_count <= 128) {
            std::vector<std::uint8_t> octets(unit.block_count * 12);
            for (std::uint32_t b = 0; b < unit.block_count; ++b) std::memcpy(&octets[b * 12], unit.tsbk[b].data, 12);
            for (const Named_channel& n : Channels_named(octets.data(), unit.block_count, true)) Act(c, n, at);
        }
    }

    void Resolve_pending() {
        std::vector<Pending> waiting;
        waiting.swap(pending_);
        for (const Pending& p : waiting) Act(*p.source, p.named, p.at);
    }

    // What a message naming a channel makes the receiver do.
    void Act(Site_channel& source, const Named_channel& n, double at) {
        double hz;
        if (!plan_.Outbound_hz(n.channel, hz)) {
            if (pending_.size() < 256) pending_.push_back({n, &source, at});
            else ++grants_unknown_;
            return;
        }
        if (n.role == Channel_role::own) {
            // The channel this broadcast came on: its place in the plan, and the clock's error.
            if (source.nominal_known) return;
            source.nominal_hz = hz;
            source.nominal_known = true;
            source.kind = Kind::control;
            if (source.measured && !clock_known_) {
                const double error = 1 - Corrected_hz(source.offset_hz) / hz;
                if (std::fabs(error) <= max_clock_error) clock_error_ = error, clock_changed_ = true;
                clock_known_ = true;
            }
            return;
        }
        if (plan_.Identifier(n.channel.Get_id()).tdma) {
            ++grants_tdma_;
            return;
        }
        const double offset = Apparent_offset(hz);
        if (!Inside_band(offset)) {
            ++grants_outside_;
            return;
        }
        Site_channel* t = Find(offset);
        if (!t) t = &New_channel(offset);
        if (!t->nominal_known) t->nominal_hz = hz, t->nominal_known = true;
        if (n.role == Channel_role::grant) {
            ++t->grants;
            if (t->kind == Kind::unknown) t->kind = Kind::traffic;
        } else if (t->kind == Kind::unknown) {
            t->kind = Kind::control;
        }
        t->last_heard = std::max(t->last_heard, std::uint64_t(at));
        t->ended = false;
        if (t->dropped) t->dropped = false;
        t->probe = false;
        Tune(*t, std::uint64_t(at));
        Use(*t, at);
    }

    // A channel's first use is its first grant or frame on the air, whichever
    // came first: a channel heard before its grant could be read (its
    // channel identifier not yet broadcast) takes the grant's time, as long as
    // it has no number yet.
    void Use(Site_channel& c, double at) {
        if (c.used) {
            if (c.number < 0 && at < c.first_use) c.first_use = at, c.use_order = ++uses_;
            return;
        }
        c.used = true;
        c.first_use = at;
        c.use_order = ++uses_;
        if (settled_) Number(c);
    }

    void Number(Site_channel& c) {
        if (!c.nominal_known) {
            double hz = Corrected_hz(c.offset_hz);
            if (!plan_.Nearest(hz, plan_tolerance_hz, c.nominal_hz)) c.nominal_hz = std::round(hz / 100) * 100;
            c.nominal_known = true;
        }
        c.number = next_number_++;
        P25::Chan_freq record{};
        record.operation.phys_channel = std::uint32_t(c.number);
        record.operation.timestamp.value = clock_.Timestamp(Ticks_at(c.first_use, rate_));
        record.frequency = std::uint32_t(std::llround(c.nominal_hz));
        P25::Log_chan_rx(record);
    }

    void Log(const Site_channel& c, const Frame& f, double at, bool osp) {
        Log_frame(f, clock_.Timestamp(Ticks_at(at, rate_)), std::uint8_t(c.number), osp);
    }

    // Numbers the channels used so far (control channels first) and lets the held log out.
    void Settle() {
        settled_ = true;
        std::vector<Site_channel*> order;
        for (auto& c : channels_)
            if (c->used && c->number < 0) order.push_back(c.get());
        for (Site_channel* c : order)
            if (!c->nominal_known) {
                double hz = Corrected_hz(c->offset_hz);
                if (!plan_.Nearest(hz, plan_tolerance_hz, c->nominal_hz)) c->nominal_hz = std::round(hz / 100) * 100;
                c->nominal_known = true;
            }
        std::stable_sort(order.begin(), order.end(), [](const Site_channel* a, const Site_channel* b) {
            const bool ca = a->kind == Kind::control, cb = b->kind == Kind::control;
            if (ca != cb) return ca;
            if (ca) return a->nominal_hz < b->nominal_hz;
            return a->first_use != b->first_use ? a->first_use < b->first_use : a->use_order < b->use_order;
        });
        for (Site_channel* c : order) Number(*c);
        for (const Held& h : held_) Log(*h.channel, h.frame, h.at, h.osp);
        held_.clear();
        held_.shrink_to_fit();
    }

    bool Plan_ready() const {
        for (auto& c : channels_)
            if (c->kind == Kind::control && c->nominal_known && c->measured) return true;
        return false;
    }

    void Housekeeping(bool end) {
        const std::uint64_t now = Now();
        if (clock_changed_) {
            clock_changed_ = false;
            // Channels tuned from the plan before the clock was known move to where the plan's frequency appears.
            for (auto& c : channels_)
                if (!c->measured && c->nominal_known && c->bank >= 0 &&
                    std::fabs(Apparent_offset(c->nominal_hz) - c->offset_hz) > retune_hz) {
                    Park(*c);
                    c->offset_hz = Apparent_offset(c->nominal_hz);
                    Tune(*c, now);
                }
        }
        if (!settled_ && (end || Plan_ready() || now >= Seconds_to_samples(settle_seconds))) Settle();
        for (auto& c : channels_) {
            Site_channel& ch = *c;
            if (ch.bank < 0) continue;
            if (ch.probe && now >= ch.deadline) {
                Park(ch);
                ch.probe = false;
                ch.dropped = true;
                ch.deadline = now + Seconds_to_samples(dropped_seconds);
                ++probes_dropped_;
            } else if (ch.kind != Kind::control && !ch.probe && !ch.eye &&
                       now > ch.last_heard + Seconds_to_samples(ch.ended ? ended_seconds : idle_seconds)) {
                // Each call is received afresh from its grant, as a receiver that follows it tunes anew.
                Park(ch);
            }
        }
        if (scan_ && !end && now >= next_scan_) {
            next_scan_ = now + Seconds_to_samples(scan_seconds);
            Scan(now, last_scan_);
            last_scan_ = now;
        }
    }

    // Tries every C4FM-wide signal of the band's spectrum since `from` not yet
    // tuned, from then on.
    void Scan(std::uint64_t now, std::uint64_t from) {
        std::vector<float> power;
        if (bank_.Take_spectrum(power) == 0) return;
        const double bin = bank_.Grid().Bin_hz();
        const std::size_t n = power.size();
        const std::size_t width = std::max<std::size_t>(1, std::size_t(signal_width_hz / bin));
        // The power over a signal's width around each bin.
        std::vector<double> prefix(n + 1, 0.0), smooth(n);
        for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + power[i];
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t from = i >= width / 2 ? i - width / 2 : 0, to = std::min(n, from + width);
            smooth[i] = (prefix[to] - prefix[from]) / double(to - from);
        }
        std::vector<double> sorted(smooth);
        std::nth_element(sorted.begin(), sorted.begin() + long(n / 2), sorted.end());
        const double floor = sorted[n / 2];
        const double threshold = floor * std::pow(10.0, detect_db / 10);
        const long apart = long(same_channel_hz * 2 / bin);
        for (std::size_t i = 0; i < n; ++i) {
            if (smooth[i] <= threshold) continue;
            bool peak = true;
            for (long j = std::max(0L, long(i) - apart); j <= std::min(long(n) - 1, long(i) + apart) && peak; ++j)
                peak = smooth[std::size_t(j)] < smooth[i] || (smooth[std::size_t(j)] == smooth[i] && std::size_t(j) >= i);
            if (!peak) continue;
            // The signal's centre: the power-weighted mean over its width.
            double weight = 0, moment = 0;
            const long half = long(signal_width_hz * 0.75 / bin);
            for (long j = std::max(0L, long(i) - half); j <= std::min(long(n) - 1, long(i) + half); ++j) {
                const double p = std::max(0.0, double(power[std::size_t(j)]) - floor);
                weight += p;
                moment += p * double(j);
            }
            if (weight <= 0) continue;
            const double offset = -rate_ / 2 + moment / weight * bin;
            if (!Inside_band(offset)) continue;
            Site_channel* c = Find(offset);
            if (c && (c->bank >= 0 || (c->dropped && now < c->deadline))) continue;
            if (c && c->used) {
                Tune(*c, from);  // a parked channel speaks again
                continue;
            }
            if (!c) c = &New_channel(offset);
            c->dropped = false;
            c->offset_hz = offset;
            c->measured = true;
            c->probe = true;
            c->deadline = now + Seconds_to_samples(probe_seconds);
            Tune(*c, from);
        }
    }
};

bool Site_receiver::Write_eye(const std::string& path) const {
    const Site_channel* best = nullptr;
    for (auto& c : channels_)
        if (c->eye && c->demodulator) best = c.get();
    if (!best) {
        std::fprintf(stderr, "tessel receive: no channel near %.0f Hz was tuned: no eye diagram\n", eye_hz_);
        return true;
    }
    return tessel_air::Write_eye_svg(best->demodulator->Eye_data(), best->demodulator->Statistics(), path.c_str());
}

void Site_receiver::Summary(const std::string& path) const {
    std::fprintf(stderr, "tessel receive: %s: %" PRIu64 " frames on %d channels, %.0f Hz centre, %.0f samples/s",
                 path.c_str(), frames_, next_number_, center_, rate_);
    // To a tenth of a ppm: the measure is no finer (tens of hertz at 850 MHz).
    if (clock_known_) std::fprintf(stderr, ", clock error %+.1f ppm", clock_error_ * 1e6);
    std::fputc('\n', stderr);
    std::vector<const Site_channel*> used;
    for (auto& c : channels_)
        if (c->number >= 0) used.push_back(c.get());
    std::sort(used.begin(), used.end(), [](auto* a, auto* b) { return a->number < b->number; });
    for (const Site_channel* c : used) {
        std::fprintf(stderr, "  channel %d: %.6f MHz %s", c->number, c->nominal_hz / 1e6, Kind_name(c->kind));
        if (c->nac >= 0) std::fprintf(stderr, ", NAC %03X", unsigned(c->nac));
        const Frame_counts& n = c->judge.counts;
        if (n.outbound && n.inbound)
            std::fprintf(stderr, ", osp %lu and isp %lu", n.outbound, n.inbound);
        else if (n.logged)
            std::fprintf(stderr, ", %s", n.outbound ? "osp" : "isp");
        std::fprintf(stderr, ", %" PRIu64 " frames", c->frames);
        const char* separator = " (";
        for (unsigned d = 0; d < 16; ++d)
            if (c->by_duid[d]) {
                std::fprintf(stderr, "%s%s %" PRIu64, separator, tessel_air::Duid_name(Duid(d)), c->by_duid[d]);
                separator = ", ";
            }
        if (*separator == ',') std::fputc(')', stderr);
        if (c->grants) std::fprintf(stderr, ", %" PRIu64 " grants followed", c->grants);
        std::fputc('\n', stderr);
    }
    if (grants_outside_ || grants_tdma_ || grants_unknown_)
        std::fprintf(stderr,
                     "  not followed: %" PRIu64 " grants outside the band, %" PRIu64 " to TDMA channels, %" PRIu64
                     " to channels of no known identifier\n",
                     grants_outside_, grants_tdma_, grants_unknown_ + pending_.size());
    if (probes_dropped_) std::fprintf(stderr, "  %" PRIu64 " signals tried gave no frame\n", probes_dropped_);
    Frame_counts total;
    for (auto& c : channels_) total += c->judge.counts;
    Print_left_out(stderr, total);
}

bool Parse_hz(const std::string& text, double& hz) { return Parse_number(text, hz) && hz >= 0 && hz < 1e11; }

}  // namespace

int Receive_site(const Arguments& args) {
    std::string center_text, rate_text, format_name, channels_text, out_path, eye_text, direction_name;
    std::vector<std::string> files;
    if (!Parse_options("receive", args,
                       {{"--center", &center_text, nullptr},
                        {"--rate", &rate_text, nullptr},
                        {"--format", &format_name, nullptr},
                        {"--channels", &channels_text, nullptr},
                        {"--out", &out_path, nullptr},
                        {"--eye", &eye_text, nullptr},
                        {"--direction", &direction_name, nullptr}},
                       files))
        return exit_usage;
    if (files.size() != 1) return Usage_error("receive", files.empty() ? "no recording" : "more than one recording");
    const std::string& path = files[0];
    double center, rate = default_wide_rate;
    if (!Parse_hz(center_text, center) || center <= 0)
        return Usage_error("receive", "bad --center \"" + center_text + "\": a frequency in Hz is needed");
    if (!rate_text.empty() && (!Parse_hz(rate_text, rate) || rate < 24000 || rate > 2e7))
        return Usage_error("receive", "bad --rate \"" + rate_text + "\": 24000 to 20000000 samples a second");
    tessel_air::Sample_format format;
    if (const int status = Choose_sample_format("receive", format_name, path, format)) return status;
    if (!tessel_air::Is_iq(format))
        return Usage_error("receive", std::string("--center needs IQ samples (cf32, cu8, cs16), not ") +
                                          tessel_air::Name(format));
    int direction = -1;
    if (direction_name == "osp" || direction_name == "isp")
        direction = direction_name == "osp";
    else if (!direction_name.empty())
        return Usage_error("receive", "bad --direction \"" + direction_name + "\": osp or isp");
    std::vector<double> given;
    if (!channels_text.empty() && channels_text != "auto") {
        std::size_t at = 0;
        while (at <= channels_text.size()) {
            const std::size_t comma = std::min(channels_text.find(',', at), channels_text.size());
            double hz;
            const std::string item = channels_text.substr(at, comma - at);
            if (!Parse_hz(item, hz) || std::fabs(hz - center) > rate / 2 - filter_edge_hz)
                return Usage_error("receive", "bad --channels frequency \"" + item + "\": a frequency in Hz inside " +
                                                  "the band of --center and --rate is needed");
            given.push_back(hz);
            at = comma + 1;
        }
    }
    double eye_hz = NAN;
    std::string eye_path;
    if (!eye_text.empty()) {
        const std::size_t colon = eye_text.find(':');
        if (colon == std::string::npos || !Parse_hz(eye_text.substr(0, colon), eye_hz) || colon + 1 == eye_text.size())
            return Usage_error("receive", "bad --eye \"" + eye_text + "\": HZ:FILE.svg is needed with --center");
        eye_path = eye_text.substr(colon + 1);
        if (Same_file(eye_path, path)) return Usage_error("receive", "would overwrite the recording " + path);
    }
    if (!out_path.empty() && Same_file(out_path, path))
        return Usage_error("receive", "would overwrite the recording " + path);

    tessel_air::Sample_reader reader(path, format, rate);
    if (!reader.Ok()) return File_error("receive", "cannot read " + path + ": " + reader.Error());

    std::unique_ptr<XML_routines::Output_file> log;
    if (out_path.empty() || out_path == "-") {
        log = std::make_unique<XML_routines::Output_file>(stdout);
    } else {
        log = XML_routines::Output_file::Open(out_path.c_str());
        if (!log) return File_error("receive", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    XML_routines::Output_file::Set_current(log.get());
    Site_receiver site(rate, center, given.empty(), direction);
    if (!std::isnan(eye_hz)) site.Watch(eye_hz);
    for (double hz : given) site.Give(hz);
    {
        Progress progress(path, "frames");
        std::vector<Complex> block;
        while (const std::size_t n = reader.Read_iq(block, block_samples)) {
            site.Push(block.data(), n);
            progress.Update(site.Frames(), reader.Bytes_read());
        }
        site.Finish();
    }
    XML_routines::Output_file::Set_current(nullptr);
    const bool written = log->Close();
    if (!reader.Ok()) return File_error("receive", "error reading " + path + ": " + reader.Error());
    if (!written) return Write_error("receive", out_path.empty() ? "-" : out_path, log->Error());
    site.Summary(path);
    if (!eye_path.empty() && !site.Write_eye(eye_path))
        return File_error("receive", "cannot write " + eye_path + ": " + std::strerror(errno));
    if (site.Logged()) return exit_ok;
    std::fprintf(stderr,
                 "tessel receive: %s: nothing logged: no P25 channel found in the band; check --center, --rate and "
                 "--format, or name the channels with --channels\n",
                 path.c_str());
    return exit_reported;
}

}  // namespace tessel
