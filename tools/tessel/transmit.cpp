// tessel transmit: turns records into a P25 Phase 1 channel recording.  The
// records come from a record script (as `tessel log` reads it) or from an
// input document, both read through the library: a script is logged by the
// kinds' own loggers and the log read back, so each record reaches the air
// exactly as the library builds it.  The frame layer makes frames of them,
// the modem C4FM samples.
//
// A document's overhead slots ("P25_Overhead") are broadcast as an outbound
// control channel: TSDUs back to back for --seconds, up to three TSBKs each,
// every slot repeated at its interval.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "commands.h"
#include "progress.h"
#include "script.h"
#include "site.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

const char transmit_usage[] =
    "Usage: tessel transmit INPUT --out FILE [--format FORMAT] [--rate HZ] [--seconds N]\n"
    "\n"
    "Makes a P25 Phase 1 (C4FM) channel recording of the records of INPUT, a\n"
    "record script (as `tessel log` reads it) or an input document.  Each\n"
    "record becomes a frame: tsbk lines TSDUs, pdu lines PDUs, the voice kinds\n"
    "HDU, LDU1, LDU2, TDU and TDULC frames, in order.  A document's overhead\n"
    "slots (\"P25_Overhead\") are broadcast as an outbound control channel for\n"
    "--seconds: TSDUs back to back, up to three TSBKs each, each slot repeated\n"
    "every \"interval\" milliseconds, status symbols 11 at every sixth status\n"
    "position and 10 elsewhere.\n"
    "\n"
    "  --out FILE   the recording (required)\n"
    "  --format F   audio (16-bit PCM WAV of discriminator audio), raw (the same,\n"
    "               headerless s16le), cf32, cu8, cs16 (complex baseband), or\n"
    "               dibits.  By default from the extension of FILE.\n"
    "  --rate HZ    sample rate (default 48000)\n"
    "  --seconds N  length of a control-channel broadcast (default 10)\n"
    "\n"
    "Discriminator audio is written at 1.0 (full scale) = one radian a sample;\n"
    "the deviation is 600 Hz per level unit (+-1800 Hz for the outer symbols).\n"
    "Exit status: 0 when every record was sent, 1 when the input reported\n"
    "errors, 2 for a file that cannot be read or written, or a bad command line.\n";

namespace {

using tessel_air::Duid;

// One frame's worth of record, in input order.
struct Item {
    Duid duid;
    P25::Log_Dispatch_payload payload;
};

// An overhead slot: its blocks, sent every interval.
struct Slot {
    P25::TSBK_PDU_data blocks;
    bool pdu;
    double interval;  // seconds
    double due = 0;
};

// The records of the voice elements, by tag.
struct Voice_element {
    const char* tag;
    Duid duid;
};
const Voice_element voice_elements[] = {
    {"Voice_Header", Duid::HDU}, {"LDU1", Duid::LDU1}, {"LDU2", Duid::LDU2},
    {"Term", Duid::TDU},         {"TermLC", Duid::TDULC},
};

std::size_t Record_size(Duid duid) {
    switch (duid) {
    case Duid::HDU: return sizeof(P25::p25_Voice_Hdr);
    case Duid::LDU1: return sizeof(P25::p25_Ldu1);
    case Duid::LDU2: return sizeof(P25::p25_Ldu2);
    case Duid::TDU: return sizeof(P25::p25_Term);
    case Duid::TDULC: return sizeof(P25::p25_TermLC);
    default: return sizeof(P25::TSBK_PDU_data);
    }
}

bool Same_blocks(const P25::TSBK_PDU_data& a, const Item& b) {
    return (b.duid == Duid::TSDU || b.duid == Duid::PDU) && a.block_count == b.payload.tsbk.block_count &&
           std::memcmp(a.tsbk, b.payload.tsbk.tsbk, a.block_count * sizeof a.tsbk[0]) == 0;
}

// Whether every block of a is one of b's: a message the library decodes from
// a data unit is handed over after the unit, and is not a frame of its own.
bool Within(const P25::TSBK_PDU_data& a, const Item& b) {
    if (b.duid != Duid::TSDU && b.duid != Duid::PDU) return false;
    for (uint32_t i = 0; i < a.block_count; ++i) {
        bool found = false;
        for (uint32_t j = 0; j < b.payload.tsbk.block_count && !found; ++j)
            found = std::memcmp(&a.tsbk[i], &b.payload.tsbk.tsbk[j], sizeof a.tsbk[i]) == 0;
        if (!found) return false;
    }
    return true;
}

// Collects the records the library reads, in order.
struct Collector {
    std::vector<Item> items;
    std::vector<Slot> slots;

    void Blocks(Duid duid, const P25::TSBK_PDU_data& unit) {
        if (unit.block_count == 0 || unit.block_count > 127) return;
        Item item{duid, {}};
        std::memset(&item.payload, 0, sizeof item.payload);
        item.payload.tsbk = unit;
        items.push_back(item);
    }

    void Message(const P25::Trunking_data& m) {
        if (m.block_count == 0 || m.block_count > 127) return;
        // A message of the data unit just read is that unit decoded.
        P25::TSBK_PDU_data unit;
        std::memset(&unit, 0, sizeof unit);
        unit.header.metadata = m.metadata;
        unit.header.nid.nac = m.nac;
        unit.header.nid.duid = m.duid;
        unit.block_count = m.block_count;
        std::memcpy(unit.tsbk, m.tsbk, m.block_count * sizeof m.tsbk[0]);
        if (!items.empty() && Within(unit, items.back())) return;
        Blocks(m.duid == P25::PDU ? Duid::PDU : Duid::TSDU, unit);
    }

    void Overhead(const P25::Trunking_Overhead& o) {
        if (o.duid != P25::TSDU && o.duid != P25::PDU) return;  // SmartZone words have no P25 frame
        if (o.tsbk.block_count == 0 || o.tsbk.block_count > 127) return;
        // The slot's message was also handed over on its own: it is the slot's.
        if (!items.empty() && Same_blocks(o.tsbk, items.back())) items.pop_back();
        Slot slot;
        slot.blocks = o.tsbk;
        slot.pdu = o.duid == P25::PDU;
        slot.interval = std::max(o.repeat_time, 1u) / 1000.0;
        slots.push_back(slot);
    }

    void Element(const P25::Received_element& e) {
        for (const Voice_element& v : voice_elements)
            if (std::strcmp(v.tag, e.tag) == 0) {
                Item item{v.duid, {}};
                std::memset(&item.payload, 0, sizeof item.payload);
                std::memcpy(&item.payload, e.record, Record_size(v.duid));
                items.push_back(item);
            }
    }

    void operator()(P25::Received what, const void* record) {
        switch (what) {
        case P25::Received::tsbk: Blocks(Duid::TSDU, *static_cast<const P25::TSBK_PDU_data*>(record)); break;
        case P25::Received::pdu: Blocks(Duid::PDU, *static_cast<const P25::TSBK_PDU_data*>(record)); break;
        case P25::Received::trunking_message: Message(*static_cast<const P25::Trunking_data*>(record)); break;
        case P25::Received::overhead: Overhead(*static_cast<const P25::Trunking_Overhead*>(record)); break;
        case P25::Received::element: Element(*static_cast<const P25::Received_element*>(record)); break;
        default: break;
        }
    }
};

// A document starts with '<' (after blanks and a byte-order mark).
bool Is_document(std::FILE* f) {
    int c;
    while ((c = std::getc(f)) != EOF && (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xEF || c == 0xBB ||
                                         c == 0xBF)) {
    }
    return c == '<';
}

// Logs a record script into a log document at log_path; false with a message.
bool Log_script(const std::string& path, const std::string& log_path, unsigned long& refused, std::string& error) {
    File in(std::fopen(path.c_str(), "r"));
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::unique_ptr<XML_routines::Output_file> log = XML_routines::Output_file::Open(log_path.c_str());
    if (!log) {
        error = "cannot write " + log_path + ": " + std::strerror(errno);
        return false;
    }
    XML_routines::Output_file::Set_current(log.get());
    char* buffer = nullptr;
    std::size_t capacity = 0;
    unsigned long number = 0;
    ssize_t length;
    while ((length = getline(&buffer, &capacity, in.get())) >= 0) {
        std::string text(buffer, std::size_t(length));
        ++number;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        std::string message;
        if (!Log_line(text, message)) {
            std::fprintf(stderr, "%s:%lu: %s\n", path.c_str(), number, message.c_str());
            ++refused;
        }
    }
    std::free(buffer);
    XML_routines::Output_file::Set_current(nullptr);
    if (!log->Close()) {
        error = "cannot write " + log_path;
        return false;
    }
    return true;
}

// Frames -> samples -> file.
class Transmitter {
public:
    Transmitter(tessel_air::Sample_writer& out, tessel_air::Sample_format format, double rate)
        : out_(out), format_(format) {
        if (format != tessel_air::Sample_format::dibits)
            modulator_ = std::make_unique<tessel_air::Modulator>(
                tessel_air::Is_iq(format) ? tessel_air::Signal::iq : tessel_air::Signal::audio, rate);
    }
    bool Send(const std::vector<uint8_t>& dibits) {
        symbols_ += dibits.size();
        if (!modulator_) return out_.Write_dibits(dibits);
        if (tessel_air::Is_iq(format_)) {
            iq_.clear();
            modulator_->Push_iq(dibits.data(), dibits.size(), iq_);
            return out_.Write_iq(iq_);
        }
        audio_.clear();
        modulator_->Push_audio(dibits.data(), dibits.size(), audio_);
        return out_.Write_audio(audio_);
    }
    bool Finish() {
        if (!modulator_) return true;
        if (tessel_air::Is_iq(format_)) {
            iq_.clear();
            modulator_->Flush_iq(iq_);
            return out_.Write_iq(iq_);
        }
        audio_.clear();
        modulator_->Flush_audio(audio_);
        return out_.Write_audio(audio_);
    }
    double Seconds() const { return double(symbols_) / tessel_air::symbol_rate; }

private:
    tessel_air::Sample_writer& out_;
    tessel_air::Sample_format format_;
    std::unique_ptr<tessel_air::Modulator> modulator_;
    std::vector<tessel_air::Complex> iq_;
    std::vector<float> audio_;
    uint64_t symbols_ = 0;
};

std::vector<uint8_t> Frame_of(tessel_air::Frame_encoder& encoder, const Item& item) {
    const P25::Log_Dispatch_payload& p = item.payload;
    switch (item.duid) {
    case Duid::HDU: return encoder.Hdu(p.voice_header);
    case Duid::LDU1: return encoder.Ldu1(p.ldu1);
    case Duid::LDU2: return encoder.Ldu2(p.ldu2);
    case Duid::TDU: return encoder.Tdu(p.term);
    case Duid::TDULC: return encoder.Tdulc(p.termlc);
    case Duid::PDU: {
        std::array<uint8_t, 12> header;
        std::memcpy(header.data(), p.tsbk.tsbk[0].data, 12);
        std::vector<tessel_air::Pdu_block> blocks;
        for (uint32_t i = 1; i < p.tsbk.block_count; ++i) {
            tessel_air::Pdu_block b;
            std::memcpy(b.octets.data(), p.tsbk.tsbk[i].data, 12);
            blocks.push_back(b);
        }
        return encoder.Pdu(header, blocks, uint16_t(p.tsbk.header.nid.nac & 0xFFF));
    }
    default: return encoder.Tsdu(p.tsbk);
    }
}

// The control channel: at each TSDU, the slots due (earliest first), up to
// three; when none is due, the next ones early, so the channel never falls
// silent.  A PDU slot goes out as a frame of its own.
bool Broadcast(std::vector<Slot>& slots, double seconds, tessel_air::Frame_encoder& encoder, Transmitter& tx,
               Progress& progress) {
    const double start = tx.Seconds();
    unsigned long frames = 0;
    while (tx.Seconds() - start < seconds) {
        std::sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) { return a.due < b.due; });
        const double now = tx.Seconds() - start;
        if (slots.front().pdu) {
            Item item{Duid::PDU, {}};
            std::memset(&item.payload, 0, sizeof item.payload);
            item.payload.tsbk = slots.front().blocks;
            if (!tx.Send(Frame_of(encoder, item))) return false;
            slots.front().due = std::max(slots.front().due, now) + slots.front().interval;
        } else {
            P25::TSBK_PDU_data unit = slots.front().blocks;
            unit.block_count = 0;
            for (Slot& s : slots) {
                if (s.pdu || unit.block_count + s.blocks.block_count > 3) continue;
                if (unit.block_count > 0 && s.due > now) break;
                for (uint32_t i = 0; i < s.blocks.block_count; ++i) unit.tsbk[unit.block_count++] = s.blocks.tsbk[i];
                s.due = std::max(s.due, now) + s.interval;
            }
            if (unit.block_count == 0) break;
            if (!tx.Send(encoder.Tsdu(unit))) return false;
        }
        progress.Update(++frames);
    }
    return true;
}

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
    tessel_air::Sample_format format;
    if (const int status = Choose_sample_format("transmit", format_name, out_path, format)) return status;
    double rate = 48000, seconds = 10;
    char* end = nullptr;
    if (!rate_text.empty()) {
        rate = std::strtod(rate_text.c_str(), &end);
        const double least = tessel_air::Is_iq(format) ? 24000 : 8000;
        if (*end != '\0' || !(rate >= least && rate <= 1e7))
            return Usage_error("transmit", "bad --rate \"" + rate_text + "\": " + std::to_string(int(least)) +
                                               " Hz or more is needed for " + tessel_air::Name(format));
    }
    if (!seconds_text.empty()) {
        seconds = std::strtod(seconds_text.c_str(), &end);
        if (*end != '\0' || !(seconds > 0 && seconds <= 86400))
            return Usage_error("transmit", "bad --seconds \"" + seconds_text + "\"");
    }
    if (Same_file(out_path, input_path)) return Usage_error("transmit", "would overwrite the input " + input_path);

    bool document;
    {
        File in(std::fopen(input_path.c_str(), "rb"));
        if (!in) return Usage_error("transmit", "cannot read " + input_path + ": " + std::strerror(errno));
        document = Is_document(in.get());
    }

    // The records, through the library.
    Collector collector;
    unsigned long refused = 0;
    std::string log_path;
    if (!document) {
        char name[] = "/tmp/tessel-transmit.XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) return Usage_error("transmit", std::string("cannot make a temporary file: ") + std::strerror(errno));
        close(fd);
        log_path = name;
        std::string error;
        if (!Log_script(input_path, log_path, refused, error)) {
            std::remove(log_path.c_str());
            return Usage_error("transmit", error);
        }
    }
    P25::Set_receive_listener([&collector](P25::Received what, const void* record) { collector(what, record); });
    XML_routines::Output_file::Set_current(nullptr);
    XML_routines::Input_data input;
    const XML_routines::Read_status status =
        XML_routines::Read_document(document ? input_path.c_str() : log_path.c_str(), XML_routines::P25_log_data, input);
    P25::Set_receive_listener(nullptr);
    if (!log_path.empty()) std::remove(log_path.c_str());
    if (status == XML_routines::Read_status::not_well_formed) return exit_usage;

    tessel_air::Sample_writer writer(out_path, format, rate);
    if (!writer.Ok()) return Usage_error("transmit", "cannot write " + out_path + ": " + writer.Error());
    bool control = !collector.slots.empty();
    for (const Item& item : collector.items) control = control || item.duid == Duid::TSDU || item.duid == Duid::PDU;
    tessel_air::Frame_encoder encoder(control ? tessel_air::Status_plan::control_channel
                                              : tessel_air::Status_plan::talkaround);
    Transmitter tx(writer, format, rate);
    bool ok = true;
    {
        Progress progress(input_path, "frames");
        unsigned long frames = 0;
        for (const Item& item : collector.items) {
            ok = ok && tx.Send(Frame_of(encoder, item));
            progress.Update(++frames);
        }
        if (ok && !collector.slots.empty()) ok = Broadcast(collector.slots, seconds, encoder, tx, progress);
        ok = ok && tx.Finish();
    }
    if (!ok || !writer.Close())
        return Write_error("transmit", out_path, errno);
    std::fprintf(stderr, "tessel transmit: %s: %zu records, %zu overhead slots, %.2f s\n", out_path.c_str(),
                 collector.items.size(), collector.slots.size(), tx.Seconds());
    const bool reported = refused > 0 || status == XML_routines::Read_status::reported || input.Error_count() > 0;
    return reported ? exit_reported : exit_ok;
}

}  // namespace tessel
