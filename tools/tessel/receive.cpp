// tessel receive: demodulates a recording of a P25 channel (IQ, discriminator
// audio or dibits), decodes its frames and hands every frame heard to the
// library's log entry points, as `tessel log` hands the records of a script:
// TSBKs and PDUs with the frame's status symbols, the voice data units as
// Log_voice_... records.  The elements logged make up the log document; a
// summary of what was heard goes to standard error.
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "commands.h"
#include "progress.h"
#include "site.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel {

const char receive_usage[] =
    "Usage: tessel receive FILE [--format FORMAT] [--rate HZ] [--out LOG] [--eye FILE.svg]\n"
    "\n"
    "Demodulates a recording of a P25 Phase 1 (C4FM) channel, decodes its\n"
    "frames and hands each one to the library's log entry points; the elements\n"
    "logged make up the log document.  A summary goes to standard error:\n"
    "frames by type, NIDs corrected, blocks failing FEC or CRC, the measured\n"
    "deviation and the symbol-error estimate.\n"
    "\n"
    "  --format F   cf32 (complex float32), cu8 (complex unsigned 8-bit),\n"
    "               cs16 (complex signed 16-bit), audio (discriminator audio,\n"
    "               WAV or FLAC), raw (discriminator audio, headerless s16le),\n"
    "               dibits (one dibit 0-3 a byte).  By default from the\n"
    "               extension: .cfile/.cf32 .cu8 .cs16 .wav/.flac .raw .dibits\n"
    "  --rate HZ    sample rate of a headerless file (default 48000)\n"
    "  --out LOG    write the log document to LOG instead of standard output\n"
    "  --eye SVG    draw the eye diagram and the symbol histogram to SVG\n"
    "\n"
    "Discriminator audio is read at 1.0 (full scale) = one radian a sample.\n"
    "Timestamps are the frame's position in the recording (its first sync\n"
    "symbol), in 50 MHz ticks, wrapping after 85.9 s.\n"
    "Exit status: 0 when the recording was read, 2 for a file that cannot be\n"
    "read or written, or a bad command line.\n";

namespace {

using tessel_air::Duid;
using tessel_air::Frame;

constexpr std::size_t block_samples = 1 << 15;

// The entry point of each data unit.
struct Frame_logger {
    Duid duid;
    void (*log)(const P25::Log_Dispatch_payload& payload);
};
const Frame_logger frame_loggers[] = {
    {Duid::HDU, P25::Log_Voice_header}, {Duid::TDU, P25::Log_voice_term}, {Duid::LDU1, P25::Log_voice_LDU1},
    {Duid::TSDU, P25::Log_TSBK},        {Duid::LDU2, P25::Log_voice_LDU2}, {Duid::PDU, P25::Log_PDU},
    {Duid::TDULC, P25::Log_voice_term_LC},
};

void Log_frame(const Frame& frame) {
    static P25::Log_Dispatch_payload payload;
    payload = frame.record;
    P25::Source_info& source = payload.header.metadata;
    const double seconds = double(frame.symbol_index) / tessel_air::symbol_rate;
    source.timestamp.value = uint32_t(uint64_t(seconds * P25::Timestamp::ticks_per_second) & 0xFFFFFFFFu);
    source.phys_channel = 0;
    source.dir_tx = 0;
    source.timeslot = 0;
    for (const Frame_logger& l : frame_loggers)
        if (l.duid == frame.duid) l.log(payload);
}

struct Receiver {
    tessel_air::Frame_decoder frames{[this](const Frame& f) {
        Log_frame(f);
        ++heard;
    }};
    std::unique_ptr<tessel_air::Demodulator> demodulator;
    std::vector<float> symbols;
    unsigned long heard = 0;

    void Push() {
        frames.Push(symbols.data(), symbols.size());
        symbols.clear();
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
    std::fprintf(stderr, "\n  %" PRIu64 " inverted, %" PRIu64 " NIDs corrected (%" PRIu64 " bits)\n", f.inverted_frames,
                 f.nid_corrected, f.nid_bits_corrected);
    std::fprintf(stderr,
                 "  FEC: %" PRIu64 " codewords, %" PRIu64 " corrected, %" PRIu64 " failed; voice vectors failed %" PRIu64
                 "\n  CRC failed: %" PRIu64 " TSBK, %" PRIu64 " PDU\n",
                 f.codewords, f.codewords_corrected, f.codewords_failed, f.voice_vectors_failed, f.tsbk_crc_failed,
                 f.pdu_crc_failed);
    std::fprintf(stderr, "  channel bit errors corrected: %.2e", f.Bit_error_rate());
    if (r.demodulator) {
        const tessel_air::Demodulator_statistics d = r.demodulator->Statistics();
        std::fprintf(stderr,
                     "\n  deviation %.0f Hz per level unit (+-3: %.0f Hz); slicer noise %.3f, symbol errors "
                     "estimated %.1e",
                     d.deviation_hz, 3 * d.deviation_hz, d.noise_rms, d.symbol_error_estimate);
    }
    std::fputc('\n', stderr);
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
    std::string format_name, rate_text, out_path, eye_path;
    std::vector<std::string> files;
    if (!Parse_options("receive", args,
                       {{"--format", &format_name, nullptr},
                        {"--rate", &rate_text, nullptr},
                        {"--out", &out_path, nullptr},
                        {"--eye", &eye_path, nullptr}},
                       files))
        return exit_usage;
    if (files.size() != 1) return Usage_error("receive", files.empty() ? "no recording" : "more than one recording");
    const std::string& path = files[0];
    tessel_air::Sample_format format;
    if (const int status = Choose_sample_format("receive", format_name, path, format)) return status;
    double rate = 48000;
    if (!rate_text.empty()) {
        char* end = nullptr;
        rate = std::strtod(rate_text.c_str(), &end);
        if (*end != '\0' || !(rate >= 8000 && rate <= 1e8))
            return Usage_error("receive", "bad --rate \"" + rate_text + "\": a rate of 8000 Hz or more is needed");
    }
    if (!eye_path.empty() && format == tessel_air::Sample_format::dibits)
        return Usage_error("receive", "--eye needs samples, not dibits");
    if (!out_path.empty() && Same_file(out_path, path))
        return Usage_error("receive", "would overwrite the recording " + path);

    tessel_air::Sample_reader reader(path, format, rate);
    if (!reader.Ok()) return Usage_error("receive", "cannot read " + path + ": " + reader.Error());
    rate = reader.Rate();
    const bool iq = tessel_air::Is_iq(format);
    if (iq && rate < 24000) return Usage_error("receive", "IQ needs a rate of 24000 Hz or more");
    if (rate < 8000) return Usage_error("receive", path + ": a rate of 8000 Hz or more is needed");

    std::unique_ptr<XML_routines::Output_file> log;
    if (out_path.empty()) {
        log = std::make_unique<XML_routines::Output_file>(stdout);
    } else {
        log = XML_routines::Output_file::Open(out_path.c_str());
        if (!log) return Usage_error("receive", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    XML_routines::Output_file::Set_current(log.get());

    Receiver r;
    if (format != tessel_air::Sample_format::dibits)
        r.demodulator = std::make_unique<tessel_air::Demodulator>(iq ? tessel_air::Signal::iq : tessel_air::Signal::audio,
                                                                  rate);
    {
        Progress progress(path, "frames");
        std::vector<tessel_air::Complex> iq_block;
        std::vector<float> audio_block;
        std::vector<uint8_t> dibit_block;
        for (;;) {
            std::size_t n;
            if (iq) {
                n = reader.Read_iq(iq_block, block_samples);
                r.demodulator->Push_iq(iq_block.data(), n, r.symbols);
            } else if (r.demodulator) {
                n = reader.Read_audio(audio_block, block_samples);
                r.demodulator->Push_audio(audio_block.data(), n, r.symbols);
            } else {
                n = reader.Read_dibits(dibit_block, block_samples);
                for (uint8_t d : dibit_block) r.symbols.push_back(d < 4 ? tessel_air::dibit_level[d] : 0.0f);
            }
            if (n == 0) break;
            r.Push();
            progress.Update(r.heard, reader.Bytes_read());
        }
        if (r.demodulator) r.demodulator->Flush(r.symbols);
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
    if (!eye_path.empty() && !tessel_air::Write_eye_svg(r.demodulator->Eye_data(), r.demodulator->Statistics(),
                                                        eye_path.c_str())) {
        std::fprintf(stderr, "tessel receive: cannot write %s: %s\n", eye_path.c_str(), std::strerror(errno));
        return exit_usage;
    }
    return exit_ok;
}

}  // namespace tessel
