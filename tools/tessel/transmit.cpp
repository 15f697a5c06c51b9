// tessel transmit: turns records into a P25 Phase 1 channel recording.  The
// records come from a record script, read a line at a time through the kinds'
// own readers, or from an input document, read through the library's receive
// hooks; either way each record goes straight to the frame layer, exactly as
// given (octets, flags, CRCs and status symbols), and the modem makes C4FM
// samples of the frames, placed in time by the records' timestamps.
//
// A record that has no frame of its own on a Phase 1 channel is refused with
// its line and the reason.  Overhead slots ("P25_Overhead") are broadcast,
// after the records, as an outbound control channel for --seconds.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "commands.h"
#include "progress.h"
#include "script.h"
#include "site.h"
#include "transmit.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

const char transmit_usage[] =
    "Usage: tessel transmit INPUT --out FILE [--format FORMAT] [--rate HZ] [--seconds N]\n"
    "\n"
    "Makes a P25 Phase 1 (C4FM) channel recording of the records of INPUT, a\n"
    "record script (as `tessel log` reads it) or an input document; INPUT \"-\"\n"
    "is standard input.  Each record becomes one frame, its octets, flags, CRCs\n"
    "and status symbols as given: tsbk TSDUs (a TSDU ends at each TSBK with the\n"
    "last-block flag), pdu, or pdu_header and its pdu_cont blocks, a PDU, the\n"
    "voice kinds HDU, LDU1, LDU2, TDU and TDULC frames.  A status line gives the\n"
    "status symbols of the frame after it; status symbols a record leaves open\n"
    "follow its direction: type osp those of a base station (a control channel\n"
    "11 at every sixth, 10 elsewhere; voice 01), isp a subscriber's (00).\n"
    "\n"
    "Timestamps place the frames: the first sync symbol's centre at the\n"
    "record's time, no carrier between transmissions; a record whose time is\n"
    "0 or already past follows the one before directly.  Time lines carry the\n"
    "time on past the wrap of the 32-bit tick count (one on 1970-01-01 counts\n"
    "from the start of the recording, as tessel receive logs it).  Overhead slots\n"
    "(\"P25_Overhead\") are broadcast after the records as an outbound control\n"
    "channel for --seconds, each slot repeated every \"interval\" milliseconds.\n"
    "\n"
    "Records with no frame of their own on a Phase 1 channel (a link-control\n"
    "word alone, TDMA items, channel settings and simulator states, SmartZone\n"
    "words) are refused, with their line and the reason.\n"
    "\n"
    "  --out FILE   the recording (required; \"-\" is standard output)\n"
    "  --format F   audio (16-bit PCM discriminator audio: FLAC for a .flac\n"
    "               FILE, else WAV, streamed to a pipe), raw (the same,\n"
    "               headerless s16le), cf32, cu8, cs16 (complex baseband), or\n"
    "               dibits.  By default from the extension of FILE.\n"
    "  --rate HZ    sample rate (default 48000)\n"
    "  --seconds N  length of a control-channel broadcast (default 10)\n"
    "\n"
    "Discriminator audio is written at 1.0 (full scale) = one radian a sample;\n"
    "the deviation is 600 Hz per level unit (+-1800 Hz for the outer symbols).\n"
    "Exit status: 0 when every record was sent, 1 when a record was refused or\n"
    "the input reported errors, 2 for a file that cannot be read or written,\n"
    "or a bad command line.\n";

namespace {

using tessel_air::Duid;
using tessel_air::Frame_encoder;
using tessel_air::Status_plan;

constexpr double ticks_per_second = P25::Timestamp::ticks_per_second;
constexpr double tick_wrap = 4294967296.0;  // the 32-bit tick count starts again after 85.9 s

// ---- Time -----------------------------------------------------------------------------------

// Timestamps on one line of time: the 32-bit tick count, carried past its
// wrap by the host's time (a time line or "DateTime": the wall clock at a
// tick count), or, without one, by a count that falls back by more than half
// its range.
class Clock {
public:
    // The absolute tick of a record's timestamp.
    double Place(std::uint32_t ticks) {
        if (seen_ && ticks < last_ && last_ - ticks > 0x80000000u) ++epoch_;
        seen_ = true;
        last_ = ticks;
        return double(epoch_) * tick_wrap + ticks;
    }

    void Time(const P25::Time_log& record) {
        const P25::Calendar_time& t = record.real_time;
        const double wall = double(Days_from_epoch(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday)) * 86400 +
                            t.tm_hour * 3600.0 + t.tm_min * 60.0 + t.tm_sec;
        const std::uint32_t ticks = record.metadata.timestamp.value;
        if (!based_) {
            based_ = true;
            // A time on 1970-01-01 counts from the start of the recording,
            // as tessel receive logs it; any other is a wall clock whose
            // first reading lies in the records' current epoch.
            if (t.tm_year != 70 || t.tm_mon != 0 || t.tm_mday != 1) {
                base_wall_ = wall;
                base_ticks_ = Place(ticks);
                return;
            }
        }
        // The epoch whose tick count lies nearest the wall clock's; the wall
        // clock's second is far finer than the 85.9 s of an epoch.
        const double expected = base_ticks_ + (wall - base_wall_) * ticks_per_second;
        epoch_ = static_cast<std::uint64_t>(std::max(0.0, std::round((expected - ticks) / tick_wrap)));
        seen_ = true;
        last_ = ticks;
    }

private:
    std::uint64_t epoch_ = 0;
    std::uint32_t last_ = 0;
    bool seen_ = false;
    bool based_ = false;
    double base_wall_ = 0, base_ticks_ = 0;
};

}  // namespace

// ---- Samples --------------------------------------------------------------------------------

Transmitter::Transmitter(tessel_air::Sample_writer& out, tessel_air::Sample_format format, double rate)
    : out_(&out), format_(format), rate_(format == tessel_air::Sample_format::dibits ? tessel_air::symbol_rate : rate) {
    if (format != tessel_air::Sample_format::dibits)
        modulator_ = std::make_unique<tessel_air::Modulator>(
            tessel_air::Is_iq(format) ? tessel_air::Signal::iq : tessel_air::Signal::audio, rate);
}

Transmitter::Transmitter(std::vector<tessel_air::Complex>& into, double rate)
    : into_(&into), format_(tessel_air::Sample_format::cf32), rate_(rate),
      modulator_(std::make_unique<tessel_air::Modulator>(tessel_air::Signal::iq, rate)) {}

bool Transmitter::Send(const std::vector<std::uint8_t>& dibits, double seconds, bool& late) {
    const double gap = Gap(seconds);
    late = gap < -0.5;
    bool ok = true;
    // Within half a symbol, as a tick count rounds a time.  With the carrier
    // off, the frame starts a transmission of its own exactly at its time.
    if (gap >= min_silence - 0.5 || (!on_ && gap >= 0.5)) {
        ok = Idle(seconds * rate_);
    } else if (gap >= 0.5) {
        // Too short for the carrier to fall: null symbols keep it up.
        ok = Push(std::vector<std::uint8_t>(static_cast<std::size_t>(std::lround(gap)), 0));
    }
    return ok && Push(dibits);
}

bool Transmitter::Finish() {
    if (!modulator_) return true;
    if (tessel_air::Is_iq(format_)) {
        iq_.clear();
        modulator_->Flush_iq(iq_);
        return Write_iq();
    }
    audio_.clear();
    modulator_->Flush_audio(audio_);
    return out_->Write_audio(audio_);
}

bool Transmitter::Idle(double position) {
    on_ = false;
    if (!modulator_) {
        // A dibit file has no silence: nulls hold the frames' places.
        const auto nulls = static_cast<std::size_t>(std::max(0.0, std::round(position - double(symbols_))));
        return Push(std::vector<std::uint8_t>(nulls, 0));
    }
    if (tessel_air::Is_iq(format_)) {
        iq_.clear();
        modulator_->Idle_iq(position, iq_);
        return Write_iq();
    }
    audio_.clear();
    modulator_->Idle_audio(position, audio_);
    return out_->Write_audio(audio_);
}

bool Transmitter::Push(const std::vector<std::uint8_t>& dibits) {
    symbols_ += dibits.size();
    on_ = on_ || !dibits.empty();
    if (!modulator_) return out_->Write_dibits(dibits);
    if (tessel_air::Is_iq(format_)) {
        iq_.clear();
        modulator_->Push_iq(dibits.data(), dibits.size(), iq_);
        return Write_iq();
    }
    audio_.clear();
    modulator_->Push_audio(dibits.data(), dibits.size(), audio_);
    return out_->Write_audio(audio_);
}

bool Transmitter::Write_iq() {
    if (!into_) return out_->Write_iq(iq_);
    into_->insert(into_->end(), iq_.begin(), iq_.end());
    return true;
}

namespace {

// ---- Records -> frames ------------------------------------------------------------------

// Refusals, as `tessel log` reports a line: "FILE:LINE: message".
class Reporter {
public:
    explicit Reporter(std::string input) : input_(std::move(input)) {}
    void Refuse(unsigned long line, const std::string& why) {
        std::fprintf(stderr, "%s:%lu: %s\n", input_.c_str(), line, why.c_str());
        ++refused_;
    }
    unsigned long Refused() const { return refused_; }

private:
    std::string input_;
    unsigned long refused_ = 0;
};

// The elements of a document, and the kinds of a script, that have no frame
// on a Phase 1 channel, by the start of their element's tag or kind's name.
struct No_frame {
    const char* tag;
    const char* kind;
    const char* why;
};
extern const No_frame no_frame[];
extern const std::size_t no_frame_count;

const char* No_frame_reason(const char* name, bool kind) {
    for (std::size_t i = 0; i < no_frame_count; ++i) {
        const char* prefix = kind ? no_frame[i].kind : no_frame[i].tag;
        if (prefix && std::strncmp(name, prefix, std::strlen(prefix)) == 0) return no_frame[i].why;
    }
    return nullptr;
}

// The voice data units, by their element's tag.
struct Voice_unit {
    const char* tag;
    Duid duid;
};
const Voice_unit voice_units[] = {
    {"Voice_Header", Duid::HDU}, {"LDU1", Duid::LDU1}, {"LDU2", Duid::LDU2},
    {"Term", Duid::TDU},         {"TermLC", Duid::TDULC},
};

std::string Block_text(std::size_t block) { return "block " + std::to_string(block); }

// Why the TSDUs of a run of TSBKs cannot carry it as given: each ends at the
// TSBK whose last-block flag is set, and holds three at most.
std::string Tsdu_fault(const P25::TSBK_PDU_data& run) {
    if (run.block_count == 0) return "no TSBK to send";
    for (std::size_t first = 0, n; first < run.block_count; first += n) {
        n = tessel_air::Tsdu_blocks(run, first);
        if (run.tsbk[first + n - 1].data[0] & 0x80u) continue;
        if (n == 3)
            return "TSBKs " + std::to_string(first + 1) + " to " + std::to_string(first + 3) +
                   " have no last-block flag: a TSDU holds three at most";
        return "the last TSBK (" + Block_text(first + n) + ") has no last-block flag: its TSDU would not end there";
    }
    return "";
}

// Why a packet of a header and its data blocks cannot be sent as given.
std::string Packet_fault(const P25::P25_TSBK_DATA& header, std::size_t data_blocks) {
    const unsigned follow = header.data[6] & 0x7Fu;
    const bool confirmed = (header.data[0] & 0x1Fu) == unsigned(tessel_air::Pdu_format::confirmed);
    if (follow != data_blocks)
        return "the packet header says " + std::to_string(follow) + " blocks follow, the record holds " +
               std::to_string(data_blocks);
    if (confirmed && follow > 0)
        return "a confirmed packet's data blocks are 18 octets, which a PDU record does not carry";
    return "";
}

// The frame of a packet: the first of `count` blocks is its header, the
// rest its data blocks, sent as given.
std::vector<std::uint8_t> Packet_frame(const P25::TSBK_PDU_data& pdu, std::size_t count, Frame_encoder& encoder,
                                       const P25::Status_symbols* statuses = nullptr) {
    std::array<std::uint8_t, 12> header;
    std::memcpy(header.data(), pdu.tsbk[0].data, header.size());
    std::vector<tessel_air::Pdu_block> blocks(count - 1);
    for (std::size_t b = 0; b < blocks.size(); ++b) std::memcpy(blocks[b].octets.data(), pdu.tsbk[b + 1].data, 12);
    return encoder.Pdu(header, blocks, std::uint16_t(pdu.header.nid.nac & 0xFFFu), statuses);
}

// The records of the input, in order, as frames on one channel.  Some
// records wait for the next: an LDU1 read from a document for the word after
// it, a message without its raw form for an overhead slot that holds it,
// status symbols for their frame, a packet fed block by block for its blocks.
class Channel {
public:
    Channel(Frame_out& out, Reporter& report) : out_(out), report_(report) {}
    bool Takes_frequencies() const { return out_.Takes_frequencies(); }

    void Take(P25::Received what, const void* record, unsigned long line) {
        using P25::Received;
        switch (what) {
        case Received::trunking_message:
        case Received::decoded_link_control:
            // The decoded form of the raw one before it adds nothing.
            if (decoded_follow_) return;
            break;
        case Received::link_control:
            if (held_ == Held::ldu1) {
                // The word of the LDU1 before it.
                std::memcpy(ldu1_.lc.bytes, static_cast<const P25::p25_LCO*>(record)->lc.bytes, sizeof ldu1_.lc.bytes);
                Release();
                decoded_follow_ = true;
                return;
            }
            break;
        case Received::overhead: {
            // A message handed over before its slot is the slot's.
            const auto& slot = *static_cast<const P25::Trunking_Overhead*>(record);
            if (held_ == Held::message && slot.tsbk.block_count == message_.block_count &&
                std::memcmp(slot.tsbk.tsbk, message_.tsbk, message_.block_count * sizeof message_.tsbk[0]) == 0)
                held_ = Held::none;
            break;
        }
        default:
            break;
        }
        Release();
        decoded_follow_ = false;
        if (collecting_ && what != Received::pdu_cont && what != Received::status && what != Received::time) {
            report_.Refuse(packet_line_, "the packet's blocks did not all come before the next record");
            collecting_ = false;
        }
        switch (what) {
        case Received::status: Status(*static_cast<const P25::DUID_Header*>(record), line); break;
        case Received::time: clock_.Time(*static_cast<const P25::Time_log*>(record)); break;
        case Received::tsbk: Tsdu(*static_cast<const P25::TSBK_PDU_data*>(record), line); break;
        case Received::pdu: Packet(*static_cast<const P25::TSBK_PDU_data*>(record), line); break;
        case Received::pdu_header: Packet_header(*static_cast<const P25::TSBK_PDU_data*>(record), line); break;
        case Received::pdu_cont: Packet_block(*static_cast<const P25::TSBK_PDU_data*>(record), line); break;
        case Received::trunking_message: Message(*static_cast<const P25::Trunking_data*>(record), line); break;
        case Received::overhead: Overhead(*static_cast<const P25::Trunking_Overhead*>(record), line); break;
        case Received::element: Element(*static_cast<const P25::Received_element*>(record), line); break;
        case Received::link_control:
        case Received::decoded_link_control:
            Refuse(line, No_frame_reason("Link_Control", false));
            break;
        }
        // A raw form's decoded elements follow it.
        decoded_follow_ = decoded_follow_ || what == Received::tsbk || what == Received::pdu ||
                          what == Received::pdu_header || what == Received::pdu_cont ||
                          what == Received::link_control;
    }

    // The input has ended: what still waits is sent or refused.
    void End() {
        Release();
        if (collecting_) report_.Refuse(packet_line_, "the packet's blocks did not all come");
        collecting_ = false;
        Unused_status();
    }

    bool Ok() const { return ok_; }
    unsigned long Sent() const { return sent_; }
    unsigned long Late() const { return late_; }

private:
    enum class Held { none, ldu1, message };

    // A record refused: the status symbols before it were its own.
    void Refuse(unsigned long line, const std::string& why) {
        report_.Refuse(line, why);
        status_held_ = false;
    }

    // ---- status symbols
    void Status(const P25::DUID_Header& header, unsigned long line) {
        Unused_status();
        status_ = header.statuses;
        status_line_ = line;
        status_held_ = true;
    }
    void Unused_status() {
        if (status_held_ && status_.count > 0) report_.Refuse(status_line_, "status symbols with no frame after them");
        status_held_ = false;
    }
    // A record's status symbols: its own, else those of the status line before it.
    void Take_status(P25::Status_symbols& statuses) {
        if (status_held_ && statuses.count == 0) {
            statuses = status_;
            status_held_ = false;
        }
        if (statuses.count > 0) Unused_status();
    }

    // ---- frames
    // Where a record's frame goes (seconds from the start, or -1: directly
    // after the frame before), and the plan of the status symbols it leaves
    // open.  A receiver tells a base station by its 01 and 11; a control
    // channel's frames carry 11 at every sixth status symbol only, the grid
    // running on while frames follow back to back, and a frame with 10 alone
    // keeps the direction of the frame it directly follows.  So a control
    // channel's frame that does not directly follow an outbound one starts
    // the grid again, with an 11.  The encoder is that of the record's
    // channel; false, the record refused, when its channel cannot send it.
    bool Place(const P25::Source_info& source, bool trunking, unsigned long line, double& at) {
        at = source.timestamp.value == 0 ? -1 : clock_.Place(source.timestamp.value) / ticks_per_second;
        std::string why;
        encoder_ = out_.Encoder(source, at, why);
        if (!encoder_) {
            Refuse(line, why);
            return false;
        }
        encoder_->Plan(!source.is_osp ? Status_plan::talkaround
                       : trunking     ? Status_plan::control_channel
                                      : Status_plan::busy);
        if (source.is_osp && trunking && !out_.Follows_outbound(source, at)) encoder_->Start_grid();
        return true;
    }

    // Sends a frame of a record at its place: its status symbols must fit the frame.
    void Send(const std::vector<std::uint8_t>& dibits, double at, const P25::Source_info& source,
              std::size_t given_status, const char* what, unsigned long line) {
        const std::size_t carried = dibits.size() / 36;
        if (given_status > carried) {
            Refuse(line, std::string(what) + " carries " + std::to_string(carried) +
                                     " status symbols, the record gives " + std::to_string(given_status));
            return;
        }
        bool late = false;
        ok_ = ok_ && out_.Send(source, dibits, at, late);
        late_ += late;
        ++sent_;
    }

    void Tsdu(const P25::TSBK_PDU_data& record, unsigned long line) {
        const std::string fault = Tsdu_fault(record);
        if (!fault.empty()) return Refuse(line, fault);
        run_ = record;
        Take_status(run_.header.statuses);
        double at;
        if (!Place(run_.header.metadata, true, line, at)) return;
        Send(encoder_->Tsdu(run_), at, run_.header.metadata, run_.header.statuses.count, "the TSDU", line);
    }

    void Packet(const P25::TSBK_PDU_data& record, unsigned long line) {
        const std::size_t count = std::min<std::size_t>(record.block_count, P25::TSBK_PDU_data::max_blocks);
        if (count == 0) return Refuse(line, "no packet header to send");
        const std::string fault = Packet_fault(record.tsbk[0], count - 1);
        if (!fault.empty()) return Refuse(line, fault);
        P25::Status_symbols statuses = record.header.statuses;
        Take_status(statuses);
        double at;
        if (!Place(record.header.metadata, true, line, at)) return;
        Send(Packet_frame(record, count, *encoder_, &statuses), at, record.header.metadata, statuses.count, "the PDU",
             line);
    }

    void Packet_header(const P25::TSBK_PDU_data& record, unsigned long line) {
        packet_ = record;
        packet_.block_count = 1;
        Take_status(packet_.header.statuses);
        const unsigned follow = record.tsbk[0].data[6] & 0x7Fu;
        const std::string fault = Packet_fault(record.tsbk[0], follow);
        if (!fault.empty()) return Refuse(line, fault);
        collecting_ = true;
        packet_line_ = line;
        if (follow == 0) Packet_complete();
    }

    void Packet_block(const P25::TSBK_PDU_data& record, unsigned long line) {
        P25::Status_symbols ignored = record.header.statuses;  // the header's are the packet's
        Take_status(ignored);
        if (!collecting_) return Refuse(line, "a packet's continuation block with no header before it");
        packet_.tsbk[packet_.block_count++] = record.tsbk[0];
        if (packet_.block_count == (packet_.tsbk[0].data[6] & 0x7Fu) + 1u) Packet_complete();
    }

    void Packet_complete() {
        collecting_ = false;
        Packet(packet_, packet_line_);
    }

    // A message read without its raw form: its blocks are its data unit.
    void Message(const P25::Trunking_data& m, unsigned long line) {
        std::memset(&message_, 0, sizeof message_);
        message_.header.metadata = m.metadata;
        message_.header.nid.nac = m.nac;
        message_.header.nid.duid = m.duid;
        message_.block_count = std::min<std::uint32_t>(m.block_count, P25::TSBK_PDU_data::max_blocks);
        std::memcpy(message_.tsbk, m.tsbk, message_.block_count * sizeof m.tsbk[0]);
        Take_status(message_.header.statuses);
        held_ = Held::message;
        held_line_ = line;
    }

    void Overhead(const P25::Trunking_Overhead& o, unsigned long line) {
        if (o.duid >= P25::SMARTZONE_OSW && o.duid <= P25::SMARTZONE_RAW)
            return Refuse(line, No_frame_reason("Smartzone", false));
        if (o.duid != P25::TSDU && o.duid != P25::PDU)
            return Refuse(line, "an overhead slot of duid " + std::to_string(o.duid) + " holds no data unit");
        const std::size_t count = std::min<std::size_t>(o.tsbk.block_count, P25::TSBK_PDU_data::max_blocks);
        if (count == 0) return Refuse(line, "an overhead slot with no blocks");
        const std::string fault = o.duid == P25::PDU ? Packet_fault(o.tsbk.tsbk[0], count - 1) : "";
        if (!fault.empty()) return Refuse(line, fault);
        std::string why;
        if (!out_.Encoder(o.metadata, -1, why)) return Refuse(line, why);
        out_.Add_slot(o.metadata, {o.tsbk, o.duid == P25::PDU, std::max(o.repeat_time, 1u) / 1000.0});
    }

    void Element(const P25::Received_element& e, unsigned long line) {
        const Voice_unit* unit = nullptr;
        for (const Voice_unit& v : voice_units)
            if (std::strcmp(v.tag, e.tag) == 0) unit = &v;
        if (!unit && out_.Takes_frequencies() && std::strcmp(e.tag, "Channel_tx_freq") == 0) {
            std::string why;
            if (!out_.Frequency(*static_cast<const P25::Chan_freq*>(e.record), why)) Refuse(line, why);
            return;
        }
        if (!unit) {
            const char* why = No_frame_reason(e.tag, false);
            return Refuse(line, why ? why : std::string("a \"") + e.tag + "\" has no frame");
        }
        switch (unit->duid) {
        case Duid::HDU: {
            auto r = *static_cast<const P25::p25_Voice_Hdr*>(e.record);
            Voice(r.header, line, [&] { return encoder_->Hdu(r); }, "the HDU");
            break;
        }
        case Duid::LDU1:
            // Read from a document, its word is the element after it.
            ldu1_ = *static_cast<const P25::p25_Ldu1*>(e.record);
            Take_status(ldu1_.header.statuses);
            held_ = Held::ldu1;
            held_line_ = line;
            break;
        case Duid::LDU2: {
            auto r = *static_cast<const P25::p25_Ldu2*>(e.record);
            if (r.algid > 0xFF) return Refuse(line, "the LDU2's encryption sync carries an 8-bit algorithm ID");
            Voice(r.header, line, [&] { return encoder_->Ldu2(r); }, "the LDU2");
            break;
        }
        case Duid::TDU: {
            auto r = *static_cast<const P25::p25_Term*>(e.record);
            Voice(r.header, line, [&] { return encoder_->Tdu(r); }, "the TDU");
            break;
        }
        default: {
            auto r = *static_cast<const P25::p25_TermLC*>(e.record);
            Voice(r.header, line, [&] { return encoder_->Tdulc(r); }, "the TDULC");
            decoded_follow_ = true;
            break;
        }
        }
    }

    template <class Encode>
    void Voice(P25::DUID_Header& header, unsigned long line, Encode encode, const char* what) {
        Take_status(header.statuses);
        double at;
        if (!Place(header.metadata, false, line, at)) return;
        Send(encode(), at, header.metadata, header.statuses.count, what, line);
    }

    // Sends the record that waited for this one.
    void Release() {
        const Held held = held_;
        held_ = Held::none;
        if (held == Held::ldu1) {
            Voice(ldu1_.header, held_line_, [&] { return encoder_->Ldu1(ldu1_); }, "the LDU1");
            decoded_follow_ = true;
        } else if (held == Held::message) {
            if (message_.header.nid.duid == P25::PDU)
                Packet(message_, held_line_);
            else
                Tsdu(message_, held_line_);
        }
    }

    Frame_out& out_;
    Reporter& report_;
    Frame_encoder* encoder_ = nullptr;  // of the record's channel
    Clock clock_;
    unsigned long sent_ = 0, late_ = 0;
    bool ok_ = true;

    bool decoded_follow_ = false;  // the record before was a raw form whose decoded elements follow
    Held held_ = Held::none;
    unsigned long held_line_ = 0;
    P25::p25_Ldu1 ldu1_{};
    P25::TSBK_PDU_data message_{};
    P25::TSBK_PDU_data run_{};
    P25::Status_symbols status_{};
    bool status_held_ = false;
    unsigned long status_line_ = 0;
    P25::TSBK_PDU_data packet_{};
    bool collecting_ = false;
    unsigned long packet_line_ = 0;
};

// ---- The control channel --------------------------------------------------------------------

// The overhead slots, back to back for `seconds`, after the records.
bool Broadcast(Overhead& overhead, double seconds, Transmitter& tx) {
    Frame_encoder encoder(Status_plan::control_channel);
    const double start = tx.Seconds();
    bool ok = true, late;
    while (ok && !overhead.Empty() && tx.Seconds() - start < seconds)
        ok = tx.Send(overhead.Next(tx.Seconds() - start, encoder), -1, late);
    return ok;
}

}  // namespace

void Overhead::Add(const Slot& slot) {
    slots_.push_back(slot);
    (slot.pdu ? packets_ : tsbks_).push({0.0, slots_.size() - 1});
}

std::vector<std::uint8_t> Overhead::Next(double now, Frame_encoder& encoder, double room) {
    // The slot soonest due of a queue, due again an interval later.
    const auto take = [this, now](Queue& queue) -> const Slot& {
        const Due next = queue.top();
        queue.pop();
        queue.push({std::max(next.first, now) + slots_[next.second].interval, next.second});
        return slots_[next.second];
    };
    if (!packets_.empty() && (tsbks_.empty() || packets_.top() < tsbks_.top())) {
        Frame_encoder trial = encoder;
        const P25::TSBK_PDU_data& packet = slots_[packets_.top().second].blocks;
        std::vector<std::uint8_t> frame = Packet_frame(packet, packet.block_count, trial);
        if (double(frame.size()) > room) return {};
        take(packets_);
        encoder = trial;
        return frame;
    }
    constexpr double longest_tsdu = 360;  // symbols: three TSBKs
    if (tsbks_.empty() || room < longest_tsdu) return {};
    P25::TSBK_PDU_data& unit = *unit_;
    unit = slots_[tsbks_.top().second].blocks;
    unit.block_count = 0;
    unit.header.statuses.count = 0;
    do unit.tsbk[unit.block_count++] = take(tsbks_).blocks.tsbk[0];
    while (!(unit.tsbk[unit.block_count - 1].data[0] & 0x80u) && unit.block_count < 3);
    return encoder.Tsdu(unit);
}

// ---- Inputs ---------------------------------------------------------------------------------

// Standard input, given back whole after its first octets were read to tell
// a document from a script: a pipe on descriptor 0, fed by a thread with
// those octets and then the rest.
class Stdin_again {
public:
    explicit Stdin_again(std::string head) {
        int ends[2];
        const int original = dup(STDIN_FILENO);
        if (original < 0 || pipe(ends) != 0) return;
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        // A reader that stops early closes the pipe: the feeder's write fails, and it ends.
        signal(SIGPIPE, SIG_IGN);
        feeder_ = std::thread([head = std::move(head), original, to = ends[1]] {
            bool ok = Write_all(to, head.data(), head.size());
            char buffer[1 << 16];
            for (ssize_t n; ok && (n = read(original, buffer, sizeof buffer)) != 0;)
                ok = n > 0 ? Write_all(to, buffer, std::size_t(n)) : errno == EINTR;
            close(to);
            close(original);
        });
    }
    // The feeder stops at the end of the input, or at its next write once
    // the pipe is closed.
    ~Stdin_again() {
        close(STDIN_FILENO);
        if (feeder_.joinable()) feeder_.detach();
    }

private:
    static bool Write_all(int fd, const char* p, std::size_t n) {
        while (n > 0) {
            const ssize_t w = write(fd, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            p += w;
            n -= std::size_t(w);
        }
        return true;
    }
    std::thread feeder_;
};

namespace {

// A script, a line at a time: each line read by its kind and its record
// handed to the channel through the record sink.
void Read_script(std::FILE* in, Channel& channel, Reporter& report, Progress& progress) {
    unsigned long number = 0;
    Set_record_sink([&](P25::Received what, const void* record) { channel.Take(what, record, number); });
    char* buffer = nullptr;
    std::size_t capacity = 0;
    for (ssize_t length; (length = getline(&buffer, &capacity, in)) >= 0;) {
        std::string text(buffer, std::size_t(length));
        ++number;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        // A kind with no frame is refused for what it is, whatever its keys.
        const std::size_t start = text.find_first_not_of(" \t"), end = text.find_first_of(" \t\r", start);
        const std::string name = start == std::string::npos ? "" : text.substr(start, end - start);
        const bool taken = name == "chan_tx" && channel.Takes_frequencies();
        const char* why = Find_kind(name) && !taken ? No_frame_reason(name.c_str(), true) : nullptr;
        const Kind* kind = nullptr;
        Record_line line;
        std::string error;
        if (why)
            report.Refuse(number, name + ": " + why);
        else if (!Read_line(text, kind, line, error) || (kind && !kind->log(line, error)))
            report.Refuse(number, error);
        progress.Update(channel.Sent());
    }
    std::free(buffer);
    Set_record_sink(nullptr);
}

// A document, through the library's receive hooks.
XML_routines::Read_status Read_document(const char* path, Channel& channel, XML_routines::Input_data& input) {
    P25::Set_receive_listener(
        [&](P25::Received what, const void* record) { channel.Take(what, record, (unsigned long)input.line); });
    XML_routines::Output_file::Set_current(nullptr);
    const XML_routines::Read_status status = XML_routines::Read_document(path, XML_routines::P25_log_data, input);
    P25::Set_receive_listener(nullptr);
    return status;
}

// ---- Tables ---------------------------------------------------------------------------------

const No_frame no_frame[] = {
    // element tag, script kind, why
    {"Link_Control", "lc", "a link-control word alone has no frame: it goes on the air in an LDU1 or a TDULC"},
    {"LCF", nullptr, "a link-control word alone has no frame: it goes on the air in an LDU1 or a TDULC"},
    {"X2T", "f2_", "a two-slot TDMA item has no frame on a Phase 1 channel"},
    {"Set_primary_channel", "chan_", "a channel setting of the host is not sent on the air"},
    {"Enable_channel", nullptr, "a channel setting of the host is not sent on the air"},
    {"Channel_", nullptr, "a channel setting of the host is not sent on the air"},
    {"Mobile_state", "mobile_state", "a simulator state of the host is not sent on the air"},
    {"Control_state", "control_state", "a simulator state of the host is not sent on the air"},
    {"Traffic_state", "traffic_state", "a simulator state of the host is not sent on the air"},
    {"Smartzone", "sz_", "a SmartZone channel word has no frame on a P25 channel"},
    {nullptr, "osw", "a SmartZone channel word has no frame on a P25 channel"},
    {nullptr, "isw", "a SmartZone channel word has no frame on a P25 channel"},
};
const std::size_t no_frame_count = std::size(no_frame);

}  // namespace

Record_input::Record_input() = default;
Record_input::~Record_input() = default;

bool Record_input::Open(const std::string& path, std::string& error) {
    path_ = path;
    // What the input is, from its first octets.
    std::string head(512, '\0');
    if (path == "-") {
        ssize_t n;
        while ((n = read(STDIN_FILENO, &head[0], head.size())) < 0 && errno == EINTR) {
        }
        head.resize(std::size_t(std::max<ssize_t>(n, 0)));
        stdin_again_ = std::make_unique<Stdin_again>(head);
    } else {
        file_.reset(std::fopen(path.c_str(), "rb"));
        if (!file_) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        head.resize(std::fread(&head[0], 1, head.size(), file_.get()));
        std::rewind(file_.get());
    }
    document_ = Starts_document(head);
    return true;
}

Records_sent Record_input::Send(Frame_out& out) {
    const bool from_stdin = path_ == "-";
    Reporter report(path_);
    Channel channel(out, report);
    XML_routines::Input_data input;
    XML_routines::Read_status status = XML_routines::Read_status::ok;
    {
        Progress progress(path_, "records");
        if (document_) {
            file_.reset();
            status = Read_document(from_stdin ? nullptr : path_.c_str(), channel, input);
        } else {
            Read_script(from_stdin ? stdin : file_.get(), channel, report, progress);
        }
        channel.End();
        stdin_again_.reset();
    }
    Records_sent sent;
    sent.sent = channel.Sent();
    sent.late = channel.Late();
    sent.refused = report.Refused();
    sent.written = channel.Ok();
    sent.malformed = status == XML_routines::Read_status::not_well_formed;
    sent.reported = status == XML_routines::Read_status::reported || input.Error_count() > 0;
    return sent;
}

namespace {

// One channel's recording: every frame on the one channel, in input order;
// the overhead slots broadcast after the records.
class One_channel : public Frame_out {
public:
    explicit One_channel(Transmitter& tx) : tx_(tx) {}
    Frame_encoder* Encoder(const P25::Source_info&, double, std::string&) override { return &encoder_; }
    bool Follows_outbound(const P25::Source_info&, double seconds) const override {
        return last_outbound_ && tx_.Directly(seconds);
    }
    bool Send(const P25::Source_info& source, const std::vector<std::uint8_t>& dibits, double seconds,
              bool& late) override {
        last_outbound_ = source.is_osp;
        return tx_.Send(dibits, seconds, late);
    }
    void Add_slot(const P25::Source_info&, const Slot& slot) override { overhead_.Add(slot); }
    Overhead& Slots() { return overhead_; }

private:
    Transmitter& tx_;
    Frame_encoder encoder_;
    bool last_outbound_ = false;  // the direction of the last frame sent
    Overhead overhead_;
};

}  // namespace

int Transmit(const Arguments& args) {
    if (Has_option(args, "--center")) return Transmit_site(args);
    std::string out_path, format_name, rate_text, seconds_text;
    std::vector<std::string> files;
    if (!Parse_options("transmit", args,
                       {{"--out", &out_path, nullptr},
                        {"--format", &format_name, nullptr},
                        {"--rate", &rate_text, nullptr},
                        {"--seconds", &seconds_text, nullptr}},
                       files))
        return exit_usage;
    if (files.size() != 1) return Usage_error("transmit", files.empty() ? "no input" : "more than one input");
    if (out_path.empty()) return Usage_error("transmit", "--out FILE is needed");
    const std::string& input_path = files[0];
    const bool from_stdin = input_path == "-";
    tessel_air::Sample_format format;
    if (const int status = Choose_sample_format("transmit", format_name, out_path, format)) return status;
    double rate = 48000, seconds = 10;
    if (!rate_text.empty()) {
        const double least = tessel_air::Is_iq(format) ? 24000 : 8000;
        if (!Parse_number(rate_text, rate) || !(rate >= least && rate <= 1e7))
            return Usage_error("transmit", "bad --rate \"" + rate_text + "\": " + std::to_string(int(least)) +
                                               " Hz or more is needed for " + tessel_air::Name(format));
    }
    if (!seconds_text.empty()) {
        if (!Parse_number(seconds_text, seconds) || !(seconds > 0 && seconds <= 86400))
            return Usage_error("transmit", "bad --seconds \"" + seconds_text + "\"");
    }
    if (!from_stdin && out_path != "-" && Same_file(out_path, input_path))
        return Usage_error("transmit", "would overwrite the input " + input_path);

    Record_input input;
    std::string error;
    if (!input.Open(input_path, error)) return File_error("transmit", error);

    tessel_air::Sample_writer writer(out_path, format, rate);
    if (!writer.Ok()) return File_error("transmit", "cannot write " + out_path + ": " + writer.Error());
    Transmitter tx(writer, format, rate);
    One_channel channel(tx);
    const Records_sent sent = input.Send(channel);
    bool ok = sent.written;
    if (ok && !channel.Slots().Empty()) ok = Broadcast(channel.Slots(), seconds, tx);
    ok = ok && tx.Finish();
    if (!writer.Close() || !ok)
        return File_error("transmit", "cannot write " + (out_path == "-" ? std::string("standard output") : out_path) +
                                          ": " + (writer.Error().empty() ? std::strerror(EIO) : writer.Error()));
    if (sent.malformed) return exit_usage;
    std::fprintf(stderr, "tessel transmit: %s: %lu records, %zu overhead slots, %.2f s\n",
                 out_path == "-" ? "standard output" : out_path.c_str(), sent.sent, channel.Slots().Size(),
                 tx.Seconds());
    if (sent.late > 0)
        std::fprintf(stderr, "  %lu records sent after their timestamps: the channel was still busy\n", sent.late);
    return sent.refused > 0 || sent.reported ? exit_reported : exit_ok;
}

}  // namespace tessel
