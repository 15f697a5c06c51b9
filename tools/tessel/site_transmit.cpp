// tessel transmit INPUT --center HZ --rate HZ: a simulated site in one
// wideband recording.
//
// Every physical channel of the input is a transmitter at the frequency its
// "Channel_tx_freq" (a script's chan_tx line) gives: the air library's frame
// encoder and modulator at the channel rate, moved to its place in the band
// by the combiner.  A channel's frames go out at their records' timestamps
// (the first sync symbol's centre there), with the carrier off between
// transmissions; a control channel (one that carries TSDUs, PDUs or overhead
// slots) fills its idle time with its overhead slots, so that it never falls
// silent while the site is on the air.
//
// The records arrive in input order and the band is written as they come:
// each record lets every channel run up to its timestamp, so memory stays
// that of the frames in flight.  A record earlier than its channel's air
// time so far goes out as soon as it can, and is counted late.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "progress.h"
#include "script.h"
#include "site.h"
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
    "record's frame at its timestamp on its channel, the carrier off between\n"
    "transmissions; a control channel fills its idle time with its overhead\n"
    "slots.  Each channel is sent at 1/8 of full scale.\n"
    "\n"
    "  --center HZ   the frequency at the centre of the recording\n"
    "  --rate HZ     its sample rate (default 2400000)\n"
    "  --out, --format and --seconds as above.\n";

namespace {

using tessel_air::Complex;
using tessel_air::Duid;

constexpr double default_wide_rate = 2400000;
constexpr float channel_level = 0.125f;
// The modulator's filter spans this many symbols each side of a symbol: so
// long the carrier stays on around a transmission.
constexpr int tail_symbols = tessel_air::Modulator::delay_symbols;

// One frame to send: its record and the symbol at which its sync starts.
struct Scheduled {
    Duid duid;
    std::uint64_t symbol;
    P25::Log_Dispatch_payload payload;
};

struct Slot {
    P25::TSBK_PDU_data blocks;
    double interval;  // symbols
    double due = 0;
};

std::vector<std::uint8_t> Frame_of(tessel_air::Frame_encoder& encoder, Duid duid, const P25::Log_Dispatch_payload& p) {
    switch (duid) {
    case Duid::HDU: return encoder.Hdu(p.voice_header);
    case Duid::LDU1: return encoder.Ldu1(p.ldu1);
    case Duid::LDU2: return encoder.Ldu2(p.ldu2);
    case Duid::TDU: return encoder.Tdu(p.term);
    case Duid::TDULC: return encoder.Tdulc(p.termlc);
    case Duid::PDU: {
        std::array<std::uint8_t, 12> header;
        std::memcpy(header.data(), p.tsbk.tsbk[0].data, 12);
        std::vector<tessel_air::Pdu_block> blocks;
        for (std::uint32_t i = 1; i < p.tsbk.block_count; ++i) {
            tessel_air::Pdu_block b;
            std::memcpy(b.octets.data(), p.tsbk.tsbk[i].data, 12);
            blocks.push_back(b);
        }
        return encoder.Pdu(header, blocks, std::uint16_t(p.tsbk.header.nid.nac & 0xFFF));
    }
    default: return encoder.Tsdu(p.tsbk);
    }
}

// One physical channel: its frames, timed, as channel-rate samples.
class Channel_transmitter {
public:
    // start: the channel sample the band is at when the channel comes on.
    Channel_transmitter(double channel_rate, bool control, std::uint64_t start)
        : encoder_(control ? tessel_air::Status_plan::control_channel : tessel_air::Status_plan::busy),
          modulator_(tessel_air::Signal::iq, channel_rate),
          samples_per_symbol_(channel_rate / tessel_air::symbol_rate),
          control_(control) {
        // Its symbol slots keep the band's time: silence up to the first whole one.
        symbol_ = std::uint64_t(std::ceil(double(start) / samples_per_symbol_));
        samples_.assign(std::size_t(std::llround(double(symbol_) * samples_per_symbol_ - double(start))), Complex(0, 0));
    }

    void Schedule(const Scheduled& s) { queue_.push_back(s); }
    void Add_slot(const Slot& s) { slots_.push_back(s); }
    bool Control() const { return control_; }
    bool Idle() const { return queue_.empty() && dibits_.empty() && tail_ == 0; }
    bool Scheduled_left() const { return !queue_.empty() || scripted_; }
    std::uint64_t Symbol() const { return symbol_; }
    unsigned long Late() const { return late_; }
    unsigned long Frames() const { return frames_; }

    // At least `count` samples ready; broadcast: slots fill idle time.
    void Fill(std::size_t count, bool broadcast) {
        while (samples_.size() < count) Next_symbol(broadcast);
    }
    const Complex* Samples() const { return samples_.data(); }
    void Take(std::size_t count) { samples_.erase(samples_.begin(), samples_.begin() + long(count)); }

private:
    tessel_air::Frame_encoder encoder_;
    tessel_air::Modulator modulator_;
    double samples_per_symbol_;
    bool control_;
    std::deque<Scheduled> queue_;
    std::vector<Slot> slots_;
    std::deque<std::uint8_t> dibits_;  // of the frame on the air
    std::uint64_t symbol_ = 0;         // the next symbol slot
    int tail_ = 0;                     // symbol slots the carrier stays on after the last dibit
    double emitted_ = 0;               // modulator output dropped or kept so far, in samples
    std::vector<Complex> out_, samples_;
    unsigned long late_ = 0, frames_ = 0;
    bool started_ = false;
    bool scripted_ = false;  // the frame on the air is a record's (not overhead)

    // The next frame to begin at this symbol, if one is due.
    void Begin_frame(bool broadcast) {
        if (!queue_.empty() && queue_.front().symbol <= symbol_) {
            const Scheduled s = queue_.front();
            queue_.pop_front();
            if (s.symbol < symbol_) ++late_;
            const std::vector<std::uint8_t> d = Frame_of(encoder_, s.duid, s.payload);
            dibits_.assign(d.begin(), d.end());
            scripted_ = true;
            ++frames_;
            return;
        }
        if (!broadcast || slots_.empty()) return;
        // Overhead: the slots due, earliest first, up to three TSBKs, if they end before the next frame.
        std::sort(slots_.begin(), slots_.end(), [](const Slot& a, const Slot& b) { return a.due < b.due; });
        P25::TSBK_PDU_data unit = slots_.front().blocks;
        unit.block_count = 0;
        std::vector<Slot*> taken;
        for (Slot& s : slots_) {
            if (unit.block_count + s.blocks.block_count > 3) continue;
            if (unit.block_count > 0 && s.due > double(symbol_)) break;
            for (std::uint32_t i = 0; i < s.blocks.block_count; ++i) unit.tsbk[unit.block_count++] = s.blocks.tsbk[i];
            taken.push_back(&s);
        }
        const std::uint64_t length = unit.block_count == 1 ? 180 : unit.block_count == 2 ? 288 : 360;
        if (unit.block_count == 0 || (!queue_.empty() && queue_.front().symbol < symbol_ + length)) return;
        for (Slot* s : taken) s->due = std::max(s->due, double(symbol_)) + s->interval;
        const std::vector<std::uint8_t> d = encoder_.Tsdu(unit);
        dibits_.assign(d.begin(), d.end());
    }

    void Next_symbol(bool broadcast) {
        if (dibits_.empty()) {
            scripted_ = false;
            Begin_frame(broadcast);
        }
        std::uint8_t dibit = 0;
        const bool on = !dibits_.empty();
        if (on) {
            dibit = dibits_.front();
            dibits_.pop_front();
            tail_ = 2 * tail_symbols;
            started_ = true;
        }
        out_.clear();
        modulator_.Push_iq(&dibit, 1, out_);
        // Output of symbol slot k - delay: its own samples, the carrier on
        // while a frame's symbols are within the filter's reach.
        const bool carrier = on || tail_ > 0 || Upcoming();
        if (!on && tail_ > 0) --tail_;
        for (const Complex& z : out_) {
            emitted_ += 1;
            if (emitted_ <= tail_symbols * samples_per_symbol_) continue;  // the filter's delay
            samples_.push_back(carrier && started_ ? z * channel_level : Complex(0, 0));
        }
        ++symbol_;
    }

    // A frame starts within the filter's reach ahead.
    bool Upcoming() const {
        return !queue_.empty() && queue_.front().symbol <= symbol_ + 2 * tail_symbols;
    }
};

// The site: channels by physical channel number, the band they make.
class Site_transmitter {
public:
    Site_transmitter(double rate, double center, tessel_air::Sample_writer& out)
        : rate_(rate), center_(center), out_(out), combiner_(rate) {}

    void Frequency(unsigned channel, double hz) {
        if (frequencies_.count(channel)) return;
        frequencies_[channel] = hz;
        if (std::fabs(hz - center_) > rate_ / 2 - 7000) {
            std::fprintf(stderr, "tessel transmit: channel %u at %.0f Hz is outside the band of --center and --rate\n",
                         channel, hz);
            ++refused_;
        }
    }

    void Frame(Duid duid, const P25::Log_Dispatch_payload& p) {
        const P25::Source_info& source = p.header.metadata;
        Channel* c = Find(source.phys_channel, duid == Duid::TSDU || duid == Duid::PDU);
        if (!c) return;
        const double seconds = source.timestamp.Get();
        Run_until(seconds);
        Scheduled s{duid, std::uint64_t(std::llround(seconds * tessel_air::symbol_rate)), p};
        c->tx->Schedule(s);
        ++records_;
    }

    void Overhead(const P25::Trunking_Overhead& o) {
        if (o.duid != P25::TSDU) return;  // a PDU or SmartZone slot has no place in a TSDU
        Channel* c = Find(o.metadata.phys_channel, true);
        if (!c || o.tsbk.block_count == 0 || o.tsbk.block_count > 3) return;
        Slot s;
        s.blocks = o.tsbk;
        s.interval = std::max(o.repeat_time, 1u) / 1000.0 * tessel_air::symbol_rate;
        c->tx->Add_slot(s);
        ++slots_;
    }

    // Runs until every frame is out, and the broadcast for at least `seconds`.
    bool Finish(double seconds) {
        while (ok_ && (Scheduled_left() || Block_seconds(block_) < seconds)) ok_ = Block(true);
        for (;;) {
            bool idle = true;
            for (auto& [number, c] : channels_) idle = idle && c.tx->Idle();
            if (idle || !ok_) break;
            ok_ = Block(false);
        }
        wide_.clear();
        combiner_.Flush(wide_);
        return out_.Write_iq(wide_) && ok_;
    }

    unsigned long Records() const { return records_; }
    unsigned long Slots() const { return slots_; }
    unsigned long Refused() const { return refused_; }
    unsigned long Late() const {
        unsigned long late = 0;
        for (auto& [number, c] : channels_) late += c.tx->Late();
        return late;
    }
    std::size_t Channels() const { return channels_.size(); }
    double Seconds() const { return Block_seconds(block_); }

private:
    struct Channel {
        std::unique_ptr<Channel_transmitter> tx;
        int id = -1;
    };
    double rate_, center_;
    tessel_air::Sample_writer& out_;
    tessel_air::Combiner combiner_;
    std::map<unsigned, double> frequencies_;
    std::map<unsigned, Channel> channels_;
    std::vector<unsigned> unplaced_;
    std::vector<Complex> wide_;
    std::uint64_t block_ = 0;
    unsigned long records_ = 0, slots_ = 0, refused_ = 0;
    bool ok_ = true;

    double Block_seconds(std::uint64_t block) const { return double(block * combiner_.Grid().step) / rate_; }

    Channel* Find(unsigned number, bool control) {
        auto c = channels_.find(number);
        if (c != channels_.end()) return &c->second;
        auto f = frequencies_.find(number);
        if (f == frequencies_.end()) {
            if (std::find(unplaced_.begin(), unplaced_.end(), number) == unplaced_.end()) {
                std::fprintf(stderr, "tessel transmit: channel %u has no chan_tx frequency: its records are not sent\n",
                             number);
                unplaced_.push_back(number);
            }
            ++refused_;
            return nullptr;
        }
        if (std::fabs(f->second - center_) > rate_ / 2 - 7000) return nullptr;
        Channel& n = channels_[number];
        n.tx = std::make_unique<Channel_transmitter>(combiner_.Grid().Channel_rate(), control,
                                                     block_ * combiner_.Grid().Channel_step());
        n.id = combiner_.Add(f->second - center_);
        return &n;
    }

    // Every channel runs up to (not into) the block that holds `seconds`.
    // (A channel runs a filter's delay and a symbol ahead of its block, and
    // must not have passed the carrier's lead-in of a frame yet to come.)
    void Run_until(double seconds) {
        const double margin = (3.0 * tail_symbols + 2) / tessel_air::symbol_rate;
        while (ok_ && Block_seconds(block_ + 1) <= seconds - margin) ok_ = Block(true);
    }

    bool Scheduled_left() const {
        for (auto& [number, c] : channels_)
            if (c.tx->Scheduled_left()) return true;
        return false;
    }

    bool Block(bool broadcast) {
        const std::size_t step = combiner_.Grid().Channel_step();
        for (auto& [number, c] : channels_) {
            c.tx->Fill(step, broadcast);
            combiner_.Put(c.id, c.tx->Samples());
            c.tx->Take(step);
        }
        wide_.clear();
        combiner_.Emit(wide_);
        ++block_;
        return out_.Write_iq(wide_);
    }
};

// Hands the records a document holds to the site, in order.
struct Site_reader {
    Site_transmitter& site;
    P25::TSBK_PDU_data last{};
    bool have_last = false;

    void Unit(Duid duid, const P25::TSBK_PDU_data& unit) {
        if (unit.block_count == 0 || unit.block_count > 127) return;
        P25::Log_Dispatch_payload p;
        std::memset(&p, 0, sizeof p);
        p.tsbk = unit;
        last = unit;
        have_last = true;
        site.Frame(duid, p);
    }

    // A message decoded from the unit just read is that unit again.
    bool Within_last(const P25::Trunking_data& m) const {
        if (!have_last) return false;
        for (std::uint32_t i = 0; i < m.block_count; ++i) {
            bool found = false;
            for (std::uint32_t j = 0; j < last.block_count && !found; ++j)
                found = std::memcmp(&m.tsbk[i], &last.tsbk[j], sizeof m.tsbk[i]) == 0;
            if (!found) return false;
        }
        return true;
    }

    void operator()(P25::Received what, const void* record) {
        switch (what) {
        case P25::Received::tsbk: Unit(Duid::TSDU, *static_cast<const P25::TSBK_PDU_data*>(record)); break;
        case P25::Received::pdu: Unit(Duid::PDU, *static_cast<const P25::TSBK_PDU_data*>(record)); break;
        case P25::Received::trunking_message: {
            const P25::Trunking_data& m = *static_cast<const P25::Trunking_data*>(record);
            if (m.block_count == 0 || m.block_count > 127 || Within_last(m)) return;
            P25::TSBK_PDU_data unit;
            std::memset(&unit, 0, sizeof unit);
            unit.header.metadata = m.metadata;
            unit.header.nid.nac = m.nac;
            unit.header.nid.duid = m.duid;
            unit.block_count = m.block_count;
            std::memcpy(unit.tsbk, m.tsbk, m.block_count * sizeof m.tsbk[0]);
            Unit(m.duid == P25::PDU ? Duid::PDU : Duid::TSDU, unit);
            break;
        }
        case P25::Received::overhead: site.Overhead(*static_cast<const P25::Trunking_Overhead*>(record)); break;
        case P25::Received::element: Element(*static_cast<const P25::Received_element*>(record)); break;
        default: break;
        }
    }

    void Element(const P25::Received_element& e) {
        struct Voice {
            const char* tag;
            Duid duid;
            std::size_t size;
        };
        static const Voice voice[] = {
            {"Voice_Header", Duid::HDU, sizeof(P25::p25_Voice_Hdr)}, {"LDU1", Duid::LDU1, sizeof(P25::p25_Ldu1)},
            {"LDU2", Duid::LDU2, sizeof(P25::p25_Ldu2)},            {"Term", Duid::TDU, sizeof(P25::p25_Term)},
            {"TermLC", Duid::TDULC, sizeof(P25::p25_TermLC)},
        };
        if (std::strcmp(e.tag, "Channel_tx_freq") == 0) {
            const P25::Chan_freq& f = *static_cast<const P25::Chan_freq*>(e.record);
            site.Frequency(f.operation.phys_channel, f.frequency);
            return;
        }
        for (const Voice& v : voice)
            if (std::strcmp(v.tag, e.tag) == 0) {
                P25::Log_Dispatch_payload p;
                std::memset(&p, 0, sizeof p);
                std::memcpy(&p, e.record, v.size);
                site.Frame(v.duid, p);
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
    if (Same_file(out_path, input_path)) return Usage_error("transmit", "would overwrite the input " + input_path);
    // What the input is, from its first octets.
    std::string head(512, '\0');
    {
        File in(std::fopen(input_path.c_str(), "rb"));
        if (!in) return File_error("transmit", "cannot read " + input_path + ": " + std::strerror(errno));
        head.resize(std::fread(&head[0], 1, head.size(), in.get()));
    }

    // A script is logged into a document first, so that its records reach
    // the air as the library builds them.
    std::string document = input_path, scratch;
    unsigned long refused = 0;
    if (!Starts_document(head)) {
        const char* folder = std::getenv("TMPDIR");
        std::string name = std::string(folder && *folder ? folder : "/tmp") + "/tessel-site.XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd < 0) return File_error("transmit", std::string("cannot make a scratch file: ") + std::strerror(errno));
        close(fd);
        scratch = document = name;
        std::unique_ptr<XML_routines::Output_file> log = XML_routines::Output_file::Open(scratch.c_str());
        File in(std::fopen(input_path.c_str(), "r"));
        if (!log || !in) {
            std::remove(scratch.c_str());
            return File_error("transmit", "cannot log " + input_path);
        }
        XML_routines::Output_file::Set_current(log.get());
        char* line = nullptr;
        std::size_t capacity = 0;
        unsigned long number = 0;
        ssize_t length;
        while ((length = getline(&line, &capacity, in.get())) >= 0) {
            std::string text(line, std::size_t(length)), message;
            ++number;
            if (!text.empty() && text.back() == '\n') text.pop_back();
            if (!Log_line(text, message)) {
                std::fprintf(stderr, "%s:%lu: %s\n", input_path.c_str(), number, message.c_str());
                ++refused;
            }
        }
        std::free(line);
        XML_routines::Output_file::Set_current(nullptr);
        log->Close();
    }

    tessel_air::Sample_writer writer(out_path, format, rate);
    if (!writer.Ok()) {
        if (!scratch.empty()) std::remove(scratch.c_str());
        return File_error("transmit", "cannot write " + out_path + ": " + writer.Error());
    }
    Site_transmitter site(rate, center, writer);
    Site_reader reader{site};
    P25::Set_receive_listener([&reader](P25::Received what, const void* record) { reader(what, record); });
    XML_routines::Output_file::Set_current(nullptr);
    XML_routines::Input_data input;
    const XML_routines::Read_status status = XML_routines::Read_document(document.c_str(), XML_routines::P25_log_data, input);
    P25::Set_receive_listener(nullptr);
    if (!scratch.empty()) std::remove(scratch.c_str());
    if (status == XML_routines::Read_status::not_well_formed) return exit_usage;
    const bool written = site.Finish(seconds > 0 ? seconds : site.Records() ? 0 : 10) && writer.Close();
    if (!written) return Write_error("transmit", out_path, errno);
    std::fprintf(stderr, "tessel transmit: %s: %lu records, %lu overhead slots on %zu channels, %.2f s at %.0f samples/s\n",
                 out_path.c_str(), site.Records(), site.Slots(), site.Channels(), site.Seconds(), rate);
    if (site.Late())
        std::fprintf(stderr, "tessel transmit: %lu frames went out after their timestamps (their channel was busy)\n",
                     site.Late());
    const bool reported = refused > 0 || site.Refused() > 0 || status == XML_routines::Read_status::reported ||
                          input.Error_count() > 0;
    return reported ? exit_reported : exit_ok;
}

}  // namespace tessel
