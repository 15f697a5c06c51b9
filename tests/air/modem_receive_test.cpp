// tessel receive end to end on recordings made here: the direction a frame is
// logged with, words beyond correction, timestamps across the 32-bit wrap,
// files that hold no frame, outputs that would overwrite something, and a
// live pipe.  Recordings are dibit files built with the frame encoder (no
// modem in the way, so every position is exact) unless a test is about samples.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"
#include "tool_fixture.h"

namespace tessel_air {
namespace {

using namespace tool_test;

// A TSBK of ten octets (hex) with its CRC-16.
P25::TSBK_PDU_data Tsbk(const char* hex10) {
    P25::TSBK_PDU_data r{};
    r.header.nid.nac = 0x293;
    for (int i = 0; i < 10; ++i) r.tsbk[0].data[i] = static_cast<std::uint8_t>(std::stoul(std::string(hex10 + 2 * i, 2), nullptr, 16));
    const std::uint16_t crc = Crc16(r.tsbk[0].data, 10);
    r.tsbk[0].data[10] = static_cast<std::uint8_t>(crc >> 8);
    r.tsbk[0].data[11] = static_cast<std::uint8_t>(crc);
    r.block_count = 1;
    return r;
}
// Opcode 0: outbound a group voice channel grant, inbound a group voice request.
const char* const grant = "80000000040012345678";

// Idle symbols between frames: +1 -1 alternating, which never looks like a sync.
void Idle(std::vector<std::uint8_t>& stream, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) stream.push_back(k % 2 ? 2 : 0);
}

// Every dibit of a stretch of a frame (data indices) turned into another.
void Hit(std::vector<std::uint8_t>& frame, std::size_t data, std::size_t count) {
    for (std::size_t i = data; i < data + count; ++i) frame[i + i / 35] ^= 2;
}

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
    return n;
}

// A WAV header: PCM (1) or float (3) samples, data_bytes announced.
std::vector<std::uint8_t> Wav_header(int channels, int rate, int bits, int format, std::uint32_t data_bytes) {
    std::vector<std::uint8_t> h;
    auto text = [&](const char* t) { h.insert(h.end(), t, t + 4); };
    auto le = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) h.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const std::uint32_t block = static_cast<std::uint32_t>(channels * bits / 8);
    text("RIFF"), le(36 + data_bytes, 4), text("WAVE"), text("fmt "), le(16, 4), le(format, 2), le(channels, 2);
    le(rate, 4), le(static_cast<std::uint32_t>(rate) * block, 4), le(block, 2), le(bits, 2), text("data"), le(data_bytes, 4);
    return h;
}

using Receive = Tool_fixture;

// Six one-TSBK TSDUs back to back with a control channel's status symbols
// (11 at every sixth: the sixth TSDU holds none) decode as the outbound grants
// they are; a subscriber's talk-around as inbound requests; --direction rules.
TEST_F(Receive, DirectionFromTheStatusSymbols) {
    const struct { Status_plan plan; const char *option, *type, *says, *message; } cases[] = {
        {Status_plan::control_channel, "", "osp", "direction: osp, by the status symbols (a base station's)",
         "<GRP_V_CH_GRANT"},
        {Status_plan::talkaround, "", "isp", "direction: isp, by the status symbols (a subscriber's)", "<GRP_V_REQ"},
        {Status_plan::control_channel, " --direction isp", "isp", "direction: isp, as --direction gives",
         "<GRP_V_REQ"},
        {Status_plan::talkaround, " --direction=osp", "osp", "direction: osp, as --direction gives",
         "<GRP_V_CH_GRANT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.message) + c.option);
        Frame_encoder encoder(c.plan);
        std::vector<std::uint8_t> stream;
        for (int k = 0; k < 6; ++k) {
            const auto frame = encoder.Tsdu(Tsbk(grant));
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        Write(Temp("cc.dibits"), stream);
        const Result r = Run("receive " + Temp("cc.dibits") + c.option);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(Count(r.out, c.message), 6u) << r.out;
        EXPECT_EQ(Count(r.out, std::string("type=\"") + c.type + "\""), Count(r.out, "type="));
    }
    EXPECT_EQ(Run("receive x.dibits --direction up").err,
              "tessel receive: bad --direction \"up\": osp or isp\nTry 'tessel receive --help'.\n");
}

// A voice header, link control or encryption sync beyond correction leaves
// its frame out, counted, and so does a frame the recording cuts off; a TSBK
// failing its CRC is logged raw, undecoded.  Every codeword is counted once.
TEST_F(Receive, WordsBeyondCorrectionAreNotPassedOff) {
    P25::p25_Ldu1 ldu1{};
    ldu1.header.nid.nac = 0x293;
    ldu1.lc.bytes[3] = 0x12;
    P25::p25_Ldu2 ldu2{};
    ldu2.header.nid.nac = 0x293;
    ldu2.algid = 0x80;
    P25::p25_Voice_Hdr hdu{};
    hdu.header.nid.nac = 0x293;
    hdu.algid = 0x80;
    Frame_encoder encoder;
    std::vector<std::uint8_t> stream;
    auto add = [&](std::vector<std::uint8_t> frame, std::size_t from, std::size_t count) {
        if (count) Hit(frame, from, count);
        stream.insert(stream.end(), frame.begin(), frame.end());
    };
    add(encoder.Hdu(hdu), 0, 0);
    add(encoder.Ldu1(ldu1), 0, 0);
    add(encoder.Ldu2(ldu2), 0, 0);
    auto broken = encoder.Ldu1(ldu1);
    for (std::size_t piece : {200, 292, 384, 476, 568, 660}) Hit(broken, piece, 20);  // the link control
    add(broken, 0, 0);
    broken = encoder.Ldu2(ldu2);
    for (std::size_t piece : {476, 568}) Hit(broken, piece, 20);  // eight hexbits of the encryption sync
    add(broken, 0, 0);
    add(encoder.Hdu(hdu), 56, 324);
    add(encoder.Tsdu(Tsbk(grant)), 60, 80);
    Idle(stream, 100);
    const auto cut = encoder.Tsdu(Tsbk(grant));
    stream.insert(stream.end(), cut.begin(), cut.begin() + 100);
    Write(Temp("hit.dibits"), stream);

    const Result r = Run("receive " + Temp("hit.dibits"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::pair<const char*, std::size_t> elements[] = {
        {"<Voice_Header", 1}, {"<LDU1", 1}, {"<LCF", 1}, {"<LDU2", 1}, {"<TSBK", 1}, {"<Trunking_message", 0}};
    for (const auto& [element, count] : elements) EXPECT_EQ(Count(r.out, element), count) << element;
    EXPECT_NE(r.err.find(": 8 frames: HDU 2, LDU1 2, TSDU 2, LDU2 2\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("CRC failed: 2 TSBK, 0 PDU\n  left out, cut off by the end of the recording: 1 frames\n"
                         "  left out, a word beyond correction: 3 frames (HDU 1, LDU1 1, LDU2 1)\n"),
              std::string::npos)
        << r.err;
    unsigned long codewords = 0, corrected = 0, failed = 0;
    ASSERT_EQ(std::sscanf(r.err.c_str() + r.err.find("FEC: "), "FEC: %lu codewords, %lu corrected, %lu failed",
                          &codewords, &corrected, &failed),
              3);
    EXPECT_LE(corrected + failed, codewords);
    EXPECT_GE(failed, 4u);
}

// Timestamps are the first sync symbol's place to the symbol, however long the
// recording: past the 32-bit wrap of the tick count (85.9 s) a DateTime gives
// the time from the start of the recording (1970-01-01 00:00:00).
TEST_F(Receive, TimestampsAcrossTheWrap) {
    Frame_encoder encoder;
    P25::p25_Term term{};
    term.header.nid.nac = 0x293;
    const std::uint64_t at[] = {1001, 10 * 4800 + 7, 90 * 4800 + 3, 200 * 4800};
    std::vector<std::uint8_t> stream;
    for (std::uint64_t k : at) {
        Idle(stream, k - stream.size());
        const auto frame = encoder.Tdu(term);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    Idle(stream, 10);
    Write(Temp("long.dibits"), stream);
    const Result r = Run("receive " + Temp("long.dibits"));
    ASSERT_EQ(r.status, 0) << r.err;

    std::vector<std::string> heard;
    for (std::size_t p = 0; (p = r.out.find("\n  <", p)) != std::string::npos; ++p) {
        const std::size_t tag = p + 4, stamp = r.out.find("timestamp=\"", tag);
        std::string line = r.out.substr(tag, r.out.find_first_of(" >", tag) - tag);
        if (line == "Term") {
            char text[32];
            const double seconds = std::atof(r.out.c_str() + stamp + 11);
            std::snprintf(text, sizeof text, " %.0f", seconds * 50e6);
            line += text;
        } else if (line == "DateTime") {
            const std::size_t time = r.out.find("<Time>", tag);
            line += " " + r.out.substr(time + 6, r.out.find('<', time + 6) - time - 6);
        }
        if (line.rfind("Term ", 0) == 0 || line.rfind("DateTime", 0) == 0) heard.push_back(line);
    }
    // Ticks: k x 50,000,000 / 4,800 to the nearest tick, modulo 2^32.
    auto ticks = [](std::uint64_t k) { return " " + std::to_string(((k * 125000 + 6) / 12) % (1ull << 32)); };
    EXPECT_EQ(heard, (std::vector<std::string>{"Term" + ticks(at[0]), "Term" + ticks(at[1]), "DateTime 00:01:30",
                                               "Term" + ticks(at[2]), "DateTime 00:03:20", "Term" + ticks(at[3])}));
}

// On IQ each timestamp is the nearest whole symbol period to where the frame
// was sent, over the whole recording, after noise (no carrier) and with it.
TEST_F(Receive, TimestampsOnSamples) {
    std::mt19937 rng(9);
    std::normal_distribution<float> noise(0.0f, 0.1f);  // about 20 dB Eb/N0 on the signal
    Modulator modulator(Signal::iq, 48000);
    Frame_encoder encoder;
    std::vector<double> sent;  // where each frame's first sync symbol's centre lies, in samples
    const std::size_t silence = 48000 + 7;  // samples of noise before the carrier
    std::vector<Complex> iq;
    modulator.Idle_iq(double(silence), iq);
    for (int k = 0; k < 6; ++k) {
        std::vector<std::uint8_t> dibits;
        Idle(dibits, k == 0 ? 100 : 3000 + 17 * k);
        modulator.Push_iq(dibits.data(), dibits.size(), iq);
        sent.push_back(modulator.Next_symbol_position());
        const auto frame = encoder.Tsdu(Tsbk(grant));
        modulator.Push_iq(frame.data(), frame.size(), iq);
    }
    modulator.Flush_iq(iq);
    std::vector<std::uint8_t> bytes(iq.size() * 8);
    for (std::size_t n = 0; n < iq.size(); ++n) {
        const float v[2] = {iq[n].real() + noise(rng), iq[n].imag() + noise(rng)};
        std::memcpy(&bytes[8 * n], v, 8);
    }
    Write(Temp("frames.cf32"), bytes);
    const Result r = Run("receive " + Temp("frames.cf32"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<double> heard;
    for (std::size_t at = 0; (at = r.out.find("<TSBK timestamp=\"", at)) != std::string::npos; ++at)
        heard.push_back(std::atof(r.out.c_str() + at + 17) * 48000);
    ASSERT_EQ(heard.size(), sent.size()) << r.err;
    // Whole symbol periods from the start: 10 samples.  The frames lie 0.7 of
    // one past a whole period, well clear of a rounding either way.
    for (std::size_t k = 0; k < sent.size(); ++k)
        EXPECT_NEAR(heard[k], std::round(sent[k] / 10) * 10, 0.01) << "frame " << k << " sent at " << sent[k];
}

// Every format reads back what was written, in reads of any size: IQ and
// audio to their quantisation, dibits exactly.
TEST_F(Receive, SampleFormatsReadBack) {
    std::vector<Complex> iq;
    std::vector<float> audio;
    std::vector<std::uint8_t> dibits;
    for (int n = 0; n < 1000; ++n) {
        iq.emplace_back(std::sin(0.01f * float(n)) * 0.9f, std::cos(0.013f * float(n)) * -0.7f);
        audio.push_back(std::sin(0.02f * float(n)) * 0.6f);
        dibits.push_back(static_cast<std::uint8_t>(n * 7 % 4));
    }
    const struct { Sample_format format; const char* name; float step; } formats[] = {
        {Sample_format::cf32, "s.cf32", 0.0f}, {Sample_format::cs16, "s.cs16", 1.0f / 32768},
        {Sample_format::cu8, "s.cu8", 1.0f / 127.5f}, {Sample_format::raw, "s.raw", 1.0f / 32768},
        {Sample_format::audio, "s.wav", 1.0f / 32768}, {Sample_format::dibits, "s.dibits", 0.0f},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        {
            Sample_writer writer(Temp(f.name), f.format, 48000);
            ASSERT_TRUE((Is_iq(f.format) ? writer.Write_iq(iq)
                         : f.format == Sample_format::dibits ? writer.Write_dibits(dibits)
                                                              : writer.Write_audio(audio)) &&
                        writer.Close());
        }
        Sample_reader reader(Temp(f.name), f.format, 48000);
        ASSERT_TRUE(reader.Ok()) << reader.Error();
        std::vector<Complex> iq_in, iq_block;
        std::vector<float> audio_in, audio_block;
        std::vector<std::uint8_t> dibits_in, dibit_block;
        for (std::size_t got = 1; got > 0;) {
            if (Is_iq(f.format)) {
                got = reader.Read_iq(iq_block, 7);
                iq_in.insert(iq_in.end(), iq_block.begin(), iq_block.end());
            } else if (f.format == Sample_format::dibits) {
                got = reader.Read_dibits(dibit_block, 7);
                dibits_in.insert(dibits_in.end(), dibit_block.begin(), dibit_block.end());
            } else {
                got = reader.Read_audio(audio_block, 7);
                audio_in.insert(audio_in.end(), audio_block.begin(), audio_block.end());
            }
        }
        EXPECT_EQ(reader.Samples_read(), 1000u);
        EXPECT_EQ(reader.Announced() + reader.Leftover_bytes() + reader.Not_dibits(), 0u);
        EXPECT_EQ(dibits_in, f.format == Sample_format::dibits ? dibits : std::vector<std::uint8_t>());
        for (std::size_t n = 0; n < iq_in.size() && n < iq.size(); ++n)
            EXPECT_LE(std::abs(iq_in[n] - iq[n]), f.step) << n;
        for (std::size_t n = 0; n < audio_in.size() && n < audio.size(); ++n)
            EXPECT_NEAR(audio_in[n], audio[n], f.step) << n;
    }
}

// What holds no frame, or not as read, is said on standard error with what
// to try, and exit 1; read the right way, the same samples decode.
TEST_F(Receive, FilesThatHoldNoFrame) {
    std::mt19937 rng(5);
    std::vector<std::uint8_t> noise(96000 * 4);
    for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
    Write(Temp("noise.cs16"), noise);
    Write(Temp("text.dibits"), std::vector<std::uint8_t>(300, 'x'));
    Write(Temp("odd.cu8"), {1});
    auto truncated = Wav_header(1, 48000, 16, 1, 200000);
    truncated.insert(truncated.end(), noise.begin(), noise.begin() + 2000);
    Write(Temp("truncated.wav"), truncated);
    // IQ in a two-channel float WAV, as SDR programs write it.
    const std::string script = Temp("grant.script");
    std::ofstream(script) << "tsbk NAC=293 type=osp " << grant << " crc=fill\n";
    ASSERT_EQ(Run("transmit " + script + " --out " + Temp("grant.cf32")).status, 0);
    std::ifstream in(Temp("grant.cf32"), std::ios::binary);
    const std::vector<std::uint8_t> iq((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto stereo = Wav_header(2, 48000, 32, 3, static_cast<std::uint32_t>(iq.size()));
    stereo.insert(stereo.end(), iq.begin(), iq.end());
    Write(Temp("iq.wav"), stereo);

    const struct { std::string arguments; int status; const char* says; } cases[] = {
        {"noise.cs16", 1, "no frame found (read as cs16 at 48000 Hz): noise, silence, or another format or rate"},
        {"text.dibits", 1, "300 of 300 bytes are no dibits (0-3): for samples, give their --format"},
        {"odd.cu8", 1, "ends inside a sample (1 bytes left over): truncated, or not cu8"},
        {"truncated.wav", 1, "the header announces 100000 samples, the file holds 1000: it is truncated"},
        {"iq.wav", 1, "two channels, read as discriminator audio (the first); if they are I and Q, try --format cs16"},
        {"iq.wav --format cs16", 0, ": 1 frames: TSDU 1\n"},
        {"noise.cs16 --format audio", 2, "cannot read"},
    };
    for (const auto& c : cases) {
        const Result r = Run("receive " + Temp("") + c.arguments + " --out " + Temp("log"));
        EXPECT_EQ(r.status, c.status) << c.arguments << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.arguments << "\n" << r.err;
    }
}

// --out and --eye never overwrite the recording or each other, the eye is
// SVG, a file that cannot be written is refused before anything is read, and
// "-" is standard input or output.
TEST_F(Receive, OutputsAndStandardStreams) {
    Frame_encoder encoder;
    Write(Temp("one.dibits"), encoder.Tsdu(Tsbk(grant)));
    Write(Temp("odd.svg"), {0, 0});
    const std::string rec = Temp("one.dibits"), raw = TESSEL_TEST_DATA "/air/p25_1_48000.raw";
    const struct { std::string arguments; int status; const char* says; } cases[] = {
        {rec + " --out " + rec, 2, "would overwrite the recording"},
        {Temp("odd.svg") + " --format raw --eye " + Temp("odd.svg"), 2, "--eye would overwrite the recording"},
        {raw + " --out " + Temp("e.svg") + " --eye " + Temp("e.svg"), 2, "--eye and --out name the same file"},
        {raw + " --eye -", 2, "--eye and --out name the same file"},
        {raw + " --eye " + Temp("eye.png"), 2, "the eye is drawn as SVG; give a FILE.svg"},
        {raw + " --eye /nonexistent/eye.svg --out " + Temp("never"), 2, "cannot write /nonexistent/eye.svg"},
        {rec + " --out /nonexistent/log", 2, "cannot write /nonexistent/log"},
        {"ab", 2, "cannot tell the format of ab: give --format"},  // a name shorter than any extension
        {".cu8", 2, "cannot read .cu8: No such file"},             // a name that is all extension
    };
    for (const auto& c : cases) {
        const Result r = Run("receive " + c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.arguments << "\n" << r.err;
    }
    EXPECT_FALSE(fs::exists(Temp("never")));

    Result r = Run("receive - --format dibits --out -", rec);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Count(r.out, "<TSBK"), 1u) << r.out;
    r = Run("receive " + raw + " --out " + Temp("voice.log") + " --eye -");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(r.out.find("</svg>"), std::string::npos);
    double unit = 0, full = 0;
    ASSERT_EQ(std::sscanf(r.err.c_str() + r.err.find("deviation "), "deviation %lf Hz per level unit (+-3: %lf Hz)",
                          &unit, &full),
              2) << r.err;
    EXPECT_NEAR(full, 3 * unit, 1.0);
}

// Fed through a pipe that stays open, receive writes each frame's elements
// as the frame ends, and log each line's as the line arrives: neither waits
// for more input or for a buffer to fill.
TEST_F(Receive, LivePipesWriteAsTheyGo) {
    Frame_encoder encoder;
    const auto frame = encoder.Tsdu(Tsbk(grant));
    const std::string line = std::string("tsbk NAC=293 type=osp ") + grant + " crc=fill\n";
    const struct { std::string command; std::string input; } cases[] = {
        {"receive - --format dibits", std::string(frame.begin(), frame.end())},
        {"log -", line},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string log = Temp("live.log");
        fs::remove(log);
        std::FILE* pipe = popen((Quote(TESSEL_TOOL) + " " + c.command + " --out " + Quote(log) + " 2>/dev/null").c_str(), "w");
        ASSERT_NE(pipe, nullptr);
        std::fwrite(c.input.data(), 1, c.input.size(), pipe);
        std::fflush(pipe);
        bool seen = false;
        for (int wait = 0; wait < 400 && !seen; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            seen = Read_file(log).find("<TSBK") != std::string::npos;
        }
        EXPECT_TRUE(seen) << "nothing written while the pipe was open";
        pclose(pipe);
    }
}

}  // namespace
}  // namespace tessel_air
