// tessel transmit and tessel receive end to end: records -> frames -> C4FM
// -> impairments -> frames -> the library's entry points; and the off-air
// recording through tessel receive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"

namespace tessel_air {
namespace {

constexpr double pi = 3.14159265358979323846;

struct Outcome {
    int status;
    std::string out;  // standard output and standard error
};
Outcome Tool(const std::string& arguments) {
    Outcome r{-1, ""};
    std::FILE* p = popen((std::string(TESSEL_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) r.out.append(buffer, n);
    r.status = pclose(p);
    r.status = WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1;
    return r;
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Temporary(const char* suffix) { return "/tmp/test_air_commands." + std::to_string(getpid()) + suffix; }

// A voice transmission and a control-channel burst, as a record script.
const char script[] =
    "voice_header NAC=293 Group_ID=1234 Algorithm_ID=80 Key_ID=0 mfid=0 001122334455667788\n"
    "ldu1 NAC=293 000000001234ABCDEF\n"
    "ldu2 NAC=293 Algorithm_ID=80 Key_ID=0 001122334455667788\n"
    "ldu1 NAC=293 000000001234ABCDEF\n"
    "ldu2 NAC=293 Algorithm_ID=80 Key_ID=0 001122334455667788\n"
    "term_lc NAC=293 000000001234ABCDEF\n"
    "tsbk NAC=293 3400E505C06401EE89907FA6 02000191253101912531742F B9000230057D04057D042508\n"
    "tsbk NAC=293 3400E505C06401EE89907FA6\n";
constexpr int script_frames = 8;

// The lines of a log that name a data unit's element, in order.
std::vector<std::string> Elements(const std::string& log) {
    std::vector<std::string> out;
    for (const char* tag : {"<Voice_Header", "<LDU1", "<LDU2", "<TermLC", "<TSBK", "<Trunking_message"}) {
        std::size_t at = 0;
        while ((at = log.find(tag, at)) != std::string::npos) out.push_back(tag), ++at;
    }
    return out;
}

struct Channel {
    const char* name;
    const char* format;
    double rate;
    double ebn0_db;   // white noise; infinity: none
    double offset_hz;
    double clock_ppm;
    int min_frames;   // frames that must come back (of script_frames)
    bool inverted = false;  // the receiver's discriminator of the opposite sense
};

constexpr double none = INFINITY;

const Channel channels[] = {
    {"audio WAV", "audio", 48000, none, 0, 0, script_frames},
    {"raw audio", "raw", 48000, none, 0, 0, script_frames},
    {"dibits", "dibits", 48000, none, 0, 0, script_frames},
    {"cf32 clean", "cf32", 48000, none, 0, 0, script_frames},
    {"cu8 at 96 kHz", "cu8", 96000, none, 0, 0, script_frames},
    {"cs16", "cs16", 48000, none, 0, 0, script_frames},
    {"500 Hz above", "cf32", 48000, none, 500, 0, script_frames},
    {"500 Hz below", "cf32", 48000, none, -500, 0, script_frames},
    {"100 ppm fast", "cf32", 48000, none, 0, 100, script_frames},
    {"100 ppm slow", "cf32", 48000, none, 0, -100, script_frames},
    {"Eb/N0 16 dB", "cf32", 48000, 16, 0, 0, script_frames},
    {"Eb/N0 12 dB", "cf32", 48000, 12, 0, 0, script_frames},
    {"Eb/N0 9 dB", "cf32", 48000, 9, 0, 0, 7},  // 99.5 % of frames found at 9 dB
    {"inverted", "cf32", 48000, none, 0, 0, script_frames, true},
};

const char* Suffix(const std::string& format) {
    if (format == "audio") return ".wav";
    if (format == "raw") return ".raw";
    if (format == "dibits") return ".dibits";
    return ".cfile";
}

class Air : public testing::TestWithParam<Channel> {};

TEST_P(Air, TransmitThenReceiveGivesTheRecordsBack) {
    const Channel& c = GetParam();
    const std::string script_path = Temporary(".script"), log_path = Temporary(".log"),
                      expected_path = Temporary(".expected"),
                      signal_path = Temporary(Suffix(c.format));
    std::ofstream(script_path) << script;
    const bool iq = c.format != std::string("audio") && c.format != std::string("raw") &&
                    c.format != std::string("dibits");
    // A clock error is a transmitter running at rate * (1 + ppm) read at rate.
    const double tx_rate = c.rate / (1 + c.clock_ppm * 1e-6);
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.3f", tx_rate);
    Outcome tx = Tool("transmit " + script_path + " --out " + signal_path + " --format " + c.format + " --rate " + rate);
    ASSERT_EQ(tx.status, 0) << tx.out;

    if (iq && (std::isfinite(c.ebn0_db) || c.offset_hz != 0 || c.inverted)) {
        Sample_format format;
        ASSERT_TRUE(Parse_sample_format(c.format, format));
        std::vector<Complex> samples, block;
        {
            Sample_reader reader(signal_path, format, c.rate);
            while (reader.Read_iq(block, 1 << 14) > 0) samples.insert(samples.end(), block.begin(), block.end());
        }
        std::mt19937 rng(11);
        const double sigma2 = (c.rate / symbol_rate_hz) / (2 * std::pow(10.0, c.ebn0_db / 10));
        std::normal_distribution<float> noise(0.0f, float(std::sqrt(sigma2 / 2)));
        for (std::size_t n = 0; n < samples.size(); ++n) {
            samples[n] *= std::polar(1.0f, float(2 * pi * c.offset_hz * double(n) / c.rate));
            if (c.inverted) samples[n] = std::conj(samples[n]);  // every deviation of the other sign
            if (std::isfinite(c.ebn0_db)) samples[n] += Complex(noise(rng), noise(rng));
        }
        Sample_writer writer(signal_path, format, c.rate);
        ASSERT_TRUE(writer.Write_iq(samples) && writer.Close());
    }

    Outcome rx = Tool("receive " + signal_path + " --format " + c.format + " --rate " + std::to_string(int(c.rate)) +
                  " --out " + log_path);
    ASSERT_EQ(rx.status, 0) << rx.out;
    Outcome expected = Tool("log " + script_path + " --out " + expected_path);
    ASSERT_EQ(expected.status, 0) << expected.out;
    const std::vector<std::string> heard = Elements(Read(log_path)), sent = Elements(Read(expected_path));

    int frames = -1;
    const std::size_t at = rx.out.find(": ", rx.out.find(signal_path));
    if (at != std::string::npos) frames = std::atoi(rx.out.c_str() + at + 2);
    RecordProperty("frames_recovered", frames);
    std::printf("%-14s %d/%d frames\n", c.name, frames, script_frames);
    EXPECT_GE(frames, c.min_frames) << rx.out;
    if (c.min_frames == script_frames) {
        EXPECT_EQ(heard, sent) << rx.out;
    }
    for (const std::string& p : {script_path, log_path, expected_path, signal_path}) std::remove(p.c_str());
}

INSTANTIATE_TEST_SUITE_P(Channels, Air, testing::ValuesIn(channels),
                         [](const testing::TestParamInfo<Channel>& info) {
                             std::string name;
                             for (const char* ch = info.param.name; *ch; ++ch)
                                 name += std::isalnum(static_cast<unsigned char>(*ch)) ? *ch : '_';
                             return name;
                         });

TEST(Receive, TheRecordingGivesEveryFrame) {
    const std::string log_path = Temporary(".log"), eye_path = Temporary(".svg");
    Outcome rx = Tool("receive " TESSEL_TEST_DATA "/air/p25_1_48000.raw --out " + log_path + " --eye " + eye_path);
    ASSERT_EQ(rx.status, 0) << rx.out;
    EXPECT_NE(rx.out.find("84 frames: HDU 2, TDU 2, LDU1 41, LDU2 39"), std::string::npos) << rx.out;
    const std::string log = Read(log_path);
    std::size_t ldu1 = 0;
    for (std::size_t at = 0; (at = log.find("<LDU1", at)) != std::string::npos; ++at) ++ldu1;
    EXPECT_EQ(ldu1, 41u);
    const std::string svg = Read(eye_path);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    std::remove(log_path.c_str());
    std::remove(eye_path.c_str());
}

// Bad command lines and unreadable input are refused, never crash.
TEST(Receive, RefusesWhatItCannotRead) {
    const std::string garbage = Temporary(".cu8");
    std::ofstream(garbage) << "x";
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {"receive", 2},
        {"receive /nonexistent.cfile", 2},
        {"receive recording.unknown", 2},
        {"receive " + garbage + " --format nonsense", 2},
        {"receive " + garbage + " --rate 1000", 2},
        {"receive " + garbage + " --out /dev/null", 0},  // one odd byte: nothing heard
        {"transmit " + garbage, 2},                      // no --out
    };
    for (const auto& c : cases) EXPECT_EQ(Tool(c.arguments).status, c.status) << c.arguments;
    std::remove(garbage.c_str());
}

}  // namespace
}  // namespace tessel_air
