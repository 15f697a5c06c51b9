// tessel receive: demodulates a recording of a P25 channel (IQ, discriminator
// audio or dibits), decodes its frames and hands every frame heard to the
// library's log entry points, as `tessel log` hands the records of a script:
// TSBKs and PDUs with the frame's status symbols, the voice data units as
// Log_voice_... records.  The elements logged make up the log document; a
// summary of what was heard goes to standard error.
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "commands.h"
#include "frame_log.h"
#include "progress.h"
#include "site.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

const char receive_usage[] =
    "Usage: tessel receive FILE [--format FORMAT] [--rate HZ] [--out LOG] [--eye FILE.svg]\n"
    "                      [--direction osp|isp]\n"
    "\n"
    "Demodulates a recording of a P25 Phase 1 (C4FM) channel (\"-\": standard\n"
    "input), decodes its frames and hands each one to the library's log entry\n"
    "points; the elements logged make up the log document.  A summary goes to\n"
    "standard error: frames by type, the direction, NIDs corrected, codewords\n"
    "corrected and failed, CRCs failed, frames left out, the measured deviation\n"
    "and the symbol-error estimate.\n"
    "\n"
    "  --format F     cf32 (complex float32), cu8 (complex unsigned 8-bit),\n"
    "                 cs16 (complex signed 16-bit), audio (discriminator audio,\n"
    "                 WAV or FLAC), raw (discriminator audio, headerless s16le),\n"
    "                 dibits (one dibit 0-3 a byte).  By default from the\n"
    "                 extension: .cfile/.cf32 .cu8 .cs16 .wav/.flac .raw .dibits.\n"
    "                 An IQ format with a .wav or .flac file reads its two\n"
    "                 channels as I and Q.\n"
    "  --rate HZ      sample rate of a headerless file (default 48000)\n"
    "  --out LOG      write the log document to LOG (\"-\": standard output, the\n"
    "                 default)\n"
    "  --eye SVG      draw the eye diagram and the symbol histogram of the\n"
    "                 frames' symbols to SVG (\"-\": standard output)\n"
    "  --direction D  log every frame as osp (outbound) or isp (inbound)\n"
    "\n"
    "Discriminator audio is read at 1.0 (full scale) = one radian a sample.\n"
    "A frame is logged outbound (type=\"osp\") when its status symbols are a\n"
    "base station's (01 inbound busy, 11 inbound idle; 10 alone directly after\n"
    "such a frame), inbound otherwise.  Its timestamp is the centre of its first\n"
    "sync symbol, a whole number of symbol periods from the start of the\n"
    "recording, in 50 MHz ticks; where the 32-bit count wraps (every 85.9 s) a\n"
    "DateTime element gives the time, counted from 1970-01-01 00:00:00 at the\n"
    "start of the recording.  A voice header, link control or encryption sync\n"
    "beyond correction is not logged (the summary counts it); a TSBK or packet\n"
    "is logged raw whatever its CRC, and decoded only when the CRC holds.\n"
    "From a pipe, each frame is written as soon as it is decoded.\n"
    "Exit status: 0 when frames were logged, 1 when none was (the reason and\n"
    "what to try on standard error), 2 for a file that cannot be read or\n"
    "written, or a bad command line.\n";

namespace {

using tessel_air::Duid;
using tessel_air::Frame;

// Samples read at a time from a file; from a pipe 10 ms, so that a frame is
// logged as soon as its last samples arrive.
constexpr std::size_t file_block = 1 << 15;
constexpr double live_block_seconds = 0.01;

struct Receiver {
    explicit Receiver(int direction) : judge(direction) {}

    Frame_judge judge;
    double rate = tessel_air::symbol_rate;  // of the positions
    tessel_air::Frame_decoder frames{[this](const Frame& f) { Hear(f); }};
    Log_clock clock;
    std::unique_ptr<tessel_air::Demodulator> demodulator;
    std::vector<float> symbols;
    std::vector<double> positions;
    std::vector<tessel_air::Symbol_costs> costs;  // IQ: the coherent detector's
    bool unflushed = false;

    // Symbols to the frame decoder, with where the demodulator found each in
    // the input (dibits: their index), and the dibits' costs (IQ).
    void Push() {
        frames.Push(symbols.data(), demodulator ? positions.data() : nullptr, symbols.size(),
                    costs.size() == symbols.size() ? costs.data() : nullptr);
        symbols.clear();
        positions.clear();
        costs.clear();
    }

    void Hear(const Frame& frame) {
        // The eye draws the symbols of frames only.
        if (demodulator) demodulator->Eye_keep(frame.symbol_index, tessel_air::On_air_symbols(frame));
        bool osp;
        if (!judge.Judge(frame, osp)) return;
        Log_frame(frame, clock.Timestamp(Ticks_at(frame.position, rate)), 0, osp);
        unflushed = true;
    }
};

void Summary(const Receiver& r, const std::string& path) {
    const tessel_air::Frame_decoder::Stats& f = r.frames.Statistics();
    std::fprintf(stderr, "tessel receive: %s: %" PRIu64 " frames", path.c_str(), f.frames);
    const char* separator = ": ";
    for (unsigned duid = 0; duid < f.frames_by_duid.size(); ++duid) {
        if (f.frames_by_duid[duid] == 0) continue;
        std::fprintf(stderr, "%s%s %" PRIu64, separator, tessel_air::Duid_name(Duid(duid)), f.frames_by_duid[duid]);
        separator = ", ";
    }
    const Frame_counts& counts = r.judge.counts;
    if (r.judge.Forced() >= 0)
        std::fprintf(stderr, "\n  direction: %s, as --direction gives", r.judge.Forced() ? "osp" : "isp");
    else if (counts.outbound && counts.inbound)
        std::fprintf(stderr,
                     "\n  direction by the status symbols: osp %lu frames (a base station's), isp %lu (a subscriber's)",
                     counts.outbound, counts.inbound);
    else if (counts.logged)
        std::fprintf(stderr, "\n  direction: %s, by the status symbols (%s)", counts.outbound ? "osp" : "isp",
                     counts.outbound ? "a base station's" : "a subscriber's");
    std::fprintf(stderr, "\n  %" PRIu64 " inverted, %" PRIu64 " NIDs corrected (%" PRIu64 " bits)\n", f.inverted_frames,
                 f.nid_corrected, f.nid_bits_corrected);
    std::fprintf(stderr,
                 "  FEC: %" PRIu64 " codewords, %" PRIu64 " corrected, %" PRIu64 " failed; voice vectors failed %" PRIu64
                 "\n  CRC failed: %" PRIu64 " TSBK, %" PRIu64 " PDU\n",
                 f.codewords, f.codewords_corrected, f.codewords_failed, f.voice_vectors_failed, f.tsbk_crc_failed,
                 f.pdu_crc_failed);
    Print_left_out(stderr, counts);
    std::fprintf(stderr, "  channel bit errors corrected: %.2e", f.Bit_error_rate());
    if (r.demodulator && f.frames) {  // the levels of noise mean nothing
        const tessel_air::Demodulator_statistics d = r.demodulator->Statistics();
        std::fprintf(stderr,
                     "\n  deviation %.0f Hz per level unit (+-3: %.0f Hz); slicer noise %.3f, symbol errors "
                     "estimated %.1e",
                     d.deviation_hz, 3 * d.deviation_hz, d.noise_rms, d.symbol_error_estimate);
    }
    std::fputc('\n', stderr);
}

// What was wrong with the input, and what to try: a truncated file and bytes
// that are no dibits always; when nothing was logged, why.
void Diagnose(const Receiver& r, const tessel_air::Sample_reader& reader, const std::string& path) {
    const char* const format = tessel_air::Name(reader.Format());
    auto say = [&](const std::string& message) {
        std::fprintf(stderr, "tessel receive: %s: %s\n", path.c_str(), message.c_str());
    };
    if (reader.Announced())
        say("the header announces " + std::to_string(reader.Announced()) + " samples, the file holds " +
            std::to_string(reader.Samples_read()) + ": it is truncated");
    if (reader.Leftover_bytes())
        say("ends inside a sample (" + std::to_string(reader.Leftover_bytes()) + " bytes left over): truncated, or not " +
            format);
    if (reader.Not_dibits())
        say(std::to_string(reader.Not_dibits()) + " of " + std::to_string(reader.Samples_read()) +
            " bytes are no dibits (0-3): for samples, give their --format (cf32, cu8, cs16, audio, raw)");
    if (reader.Format() == tessel_air::Sample_format::audio && reader.Channels() == 2)
        say("two channels, read as discriminator audio (the first); if they are I and Q, try --format cs16");
    if (r.judge.counts.logged) return;
    const tessel_air::Frame_decoder::Stats& f = r.frames.Statistics();
    if (f.frames) {
        say("nothing logged: every frame found was left out (words beyond correction, or cut off): too weak a signal?");
        return;
    }
    std::string others;
    for (const char* name : {"cs16", "cu8", "cf32", "audio", "raw"})
        if (std::strcmp(name, format) != 0) others += std::string(others.empty() ? "" : ", ") + name;
    char read_as[96];
    std::snprintf(read_as, sizeof read_as, "%s at %.0f Hz", format, reader.Rate());
    say(std::string("no frame found (read as ") + read_as + "): noise, silence, or another format or rate; try --format " +
        others + ", or --rate");
}

// Two outputs, or an output and the input, that are one file.
bool Same_path(const std::string& a, const std::string& b) {
    if (a == b || Same_file(a, b)) return true;
    std::error_code ea, eb;
    const std::filesystem::path pa = std::filesystem::weakly_canonical(a, ea), pb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
}

bool Has_extension(const std::string& path, const char* extension) {
    std::string e = std::filesystem::path(path).extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == extension;
}

}  // namespace

int Choose_sample_format(const char* command, const std::string& format_name, const std::string& path,
                         tessel_air::Sample_format& format) {
    if (format_name.empty() ? tessel_air::Sample_format_of_path(path, format)
                            : tessel_air::Parse_sample_format(format_name, format))
        return 0;
    return Usage_error(command, format_name.empty() ? "cannot tell the format of " + path + ": give --format"
                                                    : "unknown format \"" + format_name + "\"");
}

int Receive(const Arguments& args) {
    if (Has_option(args, "--center")) return Receive_site(args);
    std::string format_name, rate_text, out_path, eye_path, direction_name;
    std::vector<std::string> files;
    if (!Parse_options("receive", args,
                       {{"--format", &format_name, nullptr},
                        {"--rate", &rate_text, nullptr},
                        {"--out", &out_path, nullptr},
                        {"--eye", &eye_path, nullptr},
                        {"--direction", &direction_name, nullptr}},
                       files))
        return exit_usage;
    if (files.size() != 1) return Usage_error("receive", files.empty() ? "no recording" : "more than one recording");
    const std::string& path = files[0];
    tessel_air::Sample_format format;
    if (const int status = Choose_sample_format("receive", format_name, path, format)) return status;
    double rate = 48000;
    if (!rate_text.empty()) {
        if (!Parse_number(rate_text, rate) || !(rate >= 8000 && rate <= 1e8))
            return Usage_error("receive", "bad --rate \"" + rate_text + "\": a rate of 8000 Hz or more is needed");
    }
    int direction = -1;
    if (direction_name == "osp" || direction_name == "isp")
        direction = direction_name == "osp";
    else if (!direction_name.empty())
        return Usage_error("receive", "bad --direction \"" + direction_name + "\": osp or isp");
    if (Is_stdout(out_path)) out_path.clear();
    const bool eye_to_stdout = eye_path == "-";
    if (!eye_path.empty()) {
        if (format == tessel_air::Sample_format::dibits) return Usage_error("receive", "--eye needs samples, not dibits");
        if (!eye_to_stdout && !Has_extension(eye_path, ".svg"))
            return Usage_error("receive", "--eye " + eye_path + ": the eye is drawn as SVG; give a FILE.svg");
        if (eye_to_stdout ? out_path.empty() : !out_path.empty() && Same_path(eye_path, out_path))
            return Usage_error("receive", "--eye and --out name the same file");
        if (!eye_to_stdout && path != "-" && Same_path(eye_path, path))
            return Usage_error("receive", "--eye would overwrite the recording " + path);
    }
    if (!out_path.empty() && path != "-" && Same_path(out_path, path))
        return Usage_error("receive", "would overwrite the recording " + path);

    tessel_air::Sample_reader reader(path, format, rate);
    if (!reader.Ok()) return File_error("receive", "cannot read " + path + ": " + reader.Error());
    rate = reader.Rate();
    const bool iq = tessel_air::Is_iq(format);
    if (iq && rate < 24000) return Usage_error("receive", "IQ needs a rate of 24000 Hz or more");
    if (rate < 8000) return Usage_error("receive", path + ": a rate of 8000 Hz or more is needed");
    // A file the eye cannot be written to is refused before the recording is read.
    if (!eye_path.empty() && !eye_to_stdout) {
        File probe(std::fopen(eye_path.c_str(), "a"));
        if (!probe) return File_error("receive", "cannot write " + eye_path + ": " + std::strerror(errno));
    }

    std::unique_ptr<XML_routines::Output_file> log;
    if (out_path.empty()) {
        log = std::make_unique<XML_routines::Output_file>(stdout);
    } else {
        log = XML_routines::Output_file::Open(out_path.c_str());
        if (!log) return File_error("receive", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    XML_routines::Output_file::Set_current(log.get());

    Receiver r(direction);
    if (format != tessel_air::Sample_format::dibits) {
        r.demodulator = std::make_unique<tessel_air::Demodulator>(iq ? tessel_air::Signal::iq : tessel_air::Signal::audio,
                                                                  rate);
        r.rate = rate;
    }
    const std::size_t block =
        reader.Live() ? std::max<std::size_t>(64, static_cast<std::size_t>(rate * live_block_seconds)) : file_block;
    {
        Progress progress(path, "frames");
        std::vector<tessel_air::Complex> iq_block;
        std::vector<float> audio_block;
        std::vector<uint8_t> dibit_block;
        for (;;) {
            std::size_t n;
            if (iq) {
                n = reader.Read_iq(iq_block, block);
                r.demodulator->Push_iq(iq_block.data(), n, r.symbols, &r.positions, &r.costs);
            } else if (r.demodulator) {
                n = reader.Read_audio(audio_block, block);
                r.demodulator->Push_audio(audio_block.data(), n, r.symbols, &r.positions);
            } else {
                n = reader.Read_dibits(dibit_block, block);
                for (uint8_t d : dibit_block) r.symbols.push_back(d < 4 ? tessel_air::dibit_level[d] : 0.0f);
            }
            if (n == 0) break;
            r.Push();
            if (reader.Live() && r.unflushed) {
                log->Flush();
                r.unflushed = false;
            }
            progress.Update(r.judge.counts.logged, reader.Bytes_read());
        }
        if (r.demodulator) r.demodulator->Flush(r.symbols, &r.positions, iq ? &r.costs : nullptr);
        r.Push();
        r.frames.Flush();
    }
    XML_routines::Output_file::Set_current(nullptr);
    const bool written = log->Close();
    if (!reader.Ok()) {
        std::fprintf(stderr, "tessel receive: error reading %s: %s\n", path.c_str(), reader.Error().c_str());
        return exit_usage;
    }
    if (!written) return Write_error("receive", out_path.empty() ? "-" : out_path, log->Error());
    Summary(r, path);
    Diagnose(r, reader, path);
    if (!eye_path.empty() && !tessel_air::Write_eye_svg(r.demodulator->Eye_data(), r.demodulator->Statistics(),
                                                        eye_to_stdout ? "/dev/stdout" : eye_path.c_str()))
        return Write_error("receive", eye_path, errno ? errno : EIO);
    return r.judge.counts.logged ? exit_ok : exit_reported;
}

}  // namespace tessel
