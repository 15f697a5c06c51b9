// The modem on its own: dibits -> modulate -> impairments -> demodulate must
// give the dibits back.  Then tessel transmit and tessel receive end to end:
// records -> frames -> C4FM -> a sample file -> impairments -> frames -> the
// library's entry points; and the off-air recording through tessel receive.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tessel_air/modem.h"
#include "tessel_air/sample_file.h"
#include "tool_fixture.h"

namespace tessel_air {
namespace {

using namespace tool_test;

constexpr double pi = 3.14159265358979323846;
constexpr double none = INFINITY;

// White noise at an Eb/N0 (Es/N0 = samples a symbol / sigma^2, Eb = Es / 2)
// and a carrier offset, on FM-modulated IQ of unit amplitude.
void Impair(std::vector<Complex>& iq, double rate, double ebn0_db, double offset_hz, unsigned seed) {
    std::mt19937 rng(seed);
    const double sigma2 = (rate / symbol_rate_hz) / (2 * std::pow(10.0, ebn0_db / 10));
    std::normal_distribution<float> noise(0.0f, float(std::sqrt(sigma2 / 2)));
    for (std::size_t n = 0; n < iq.size(); ++n) {
        iq[n] *= std::polar(1.0f, float(2 * pi * offset_hz * double(n) / rate));
        if (std::isfinite(ebn0_db)) iq[n] += Complex(noise(rng), noise(rng));
    }
}

// The symbol error rate of received against sent at the receiver delay (0..128
// symbols) that fits best, after the loops' pull-in; -1 when symbols were lost.
double Symbol_error_rate(const std::vector<uint8_t>& sent, const std::vector<float>& received, bool inverted) {
    double best = -1;
    for (std::size_t delay = 0; delay <= 128; ++delay) {
        std::size_t errors = 0, compared = 0;
        for (std::size_t k = 600; k + delay < received.size() && k < sent.size(); ++k, ++compared)
            errors += (Slice(received[k + delay]) ^ (inverted ? 2 : 0)) != sent[k];
        const double rate = double(errors) / double(compared);
        if (compared + 700 > sent.size() && (best < 0 || rate < best)) best = rate;
    }
    return best;
}

// A clock error (ppm) is the transmitter's; inverted, the discriminator's
// polarity; the symbol error rates allowed are those measured, with margin.
// 4-level FSK with this receiver needs about 12 dB Eb/N0 for a rate of 1e-3.
struct Impairment { const char* name; Signal signal; double rate, ebn0_db, offset_hz, clock_ppm;
                    bool inverted; double max_ser; };
const Impairment impairments[] = {
    {"clean_audio", Signal::audio, 48000, none, 0, 0, false, 0},
    {"clean_IQ", Signal::iq, 48000, none, 0, 0, false, 0},
    {"IQ_at_250_kHz", Signal::iq, 250000, none, 0, 0, false, 0},
    {"audio_at_44_1_kHz", Signal::audio, 44100, none, 0, 0, false, 0},
    {"audio_at_8_kHz", Signal::audio, 8000, none, 0, 0, false, 0},
    {"inverted_audio", Signal::audio, 48000, none, 0, 0, true, 0},
    {"Eb_N0_20_dB", Signal::iq, 48000, 20, 0, 0, false, 1e-4},
    {"Eb_N0_14_dB", Signal::iq, 48000, 14, 0, 0, false, 2e-3},
    {"Eb_N0_10_dB", Signal::iq, 48000, 10, 0, 0, false, 4e-2},
    {"500_Hz_above", Signal::iq, 48000, none, +500, 0, false, 0},
    {"500_Hz_below", Signal::iq, 48000, none, -500, 0, false, 0},
    {"100_ppm_fast", Signal::iq, 48000, none, 0, +100, false, 0},
    {"100_ppm_slow_audio", Signal::audio, 48000, none, 0, -100, false, 0},
    {"500_Hz_below_100_ppm_fast_16_dB", Signal::iq, 48000, 16, -500, +100, false, 1e-3},
};

class Round_trip : public testing::TestWithParam<Impairment> {};

TEST_P(Round_trip, GivesTheDibitsBack) {
    const Impairment& p = GetParam();
    std::mt19937 rng(19);
    std::vector<uint8_t> sent(24000);  // 5 s
    for (uint8_t& d : sent) d = uint8_t(rng() & 3);
    // A clock error is a transmitter running at rate * (1 + ppm) read at rate.
    Modulator modulator(p.signal, p.rate / (1 + p.clock_ppm * 1e-6));
    Demodulator demodulator(p.signal, p.rate);
    std::vector<float> received;
    if (p.signal == Signal::iq) {
        std::vector<Complex> iq;
        modulator.Push_iq(sent.data(), sent.size(), iq);
        modulator.Flush_iq(iq);
        Impair(iq, p.rate, p.ebn0_db, p.offset_hz, 7);
        for (std::size_t at = 0; at < iq.size(); at += 5000)
            demodulator.Push_iq(&iq[at], std::min<std::size_t>(5000, iq.size() - at), received);
    } else {
        std::vector<float> audio;
        modulator.Push_audio(sent.data(), sent.size(), audio);
        modulator.Flush_audio(audio);
        for (float& v : audio) v = p.inverted ? -v : v;
        for (std::size_t at = 0; at < audio.size(); at += 5000)
            demodulator.Push_audio(&audio[at], std::min<std::size_t>(5000, audio.size() - at), received);
    }
    demodulator.Flush(received);
    const double ser = Symbol_error_rate(sent, received, p.inverted);
    const Demodulator_statistics stats = demodulator.Statistics();
    ASSERT_GE(ser, 0) << "symbols lost: " << received.size() << " of " << sent.size();
    EXPECT_LE(ser, p.max_ser) << "noise " << stats.noise_rms << ", estimate " << stats.symbol_error_estimate;
    EXPECT_NEAR(stats.deviation_hz, nominal_deviation, 15);
}

INSTANTIATE_TEST_SUITE_P(Impairments, Round_trip, testing::ValuesIn(impairments),
                         [](const testing::TestParamInfo<Impairment>& info) { return std::string(info.param.name); });

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

// The tags of a log's data-unit elements, kind by kind.
std::vector<std::string> Elements(const std::string& log) {
    std::vector<std::string> out;
    for (const char* tag : {"<Voice_Header", "<LDU1", "<LDU2", "<TermLC", "<TSBK", "<Trunking_message"})
        for (std::size_t at = 0; (at = log.find(tag, at)) != std::string::npos; ++at) out.push_back(tag);
    return out;
}

// The format is also the file's extension, but "audio" is a WAV file (its rate
// in its header); min_frames: how many of the script's must come back;
// inverted: the receiver's discriminator of the opposite sense.
struct Channel { const char *name, *format; double rate, ebn0_db, offset_hz, clock_ppm;
                 int min_frames; bool inverted; };

const Channel channels[] = {
    {"audio_WAV_at_44_1_kHz", "audio", 44100, none, 0, 0, script_frames, false},
    {"raw_audio", "raw", 48000, none, 0, 0, script_frames, false},
    {"dibits", "dibits", 48000, none, 0, 0, script_frames, false},
    {"cf32_clean", "cf32", 48000, none, 0, 0, script_frames, false},
    {"cu8_at_96_kHz", "cu8", 96000, none, 0, 0, script_frames, false},
    {"cs16", "cs16", 48000, none, 0, 0, script_frames, false},
    {"500_Hz_above", "cf32", 48000, none, 500, 0, script_frames, false},
    {"500_Hz_below", "cf32", 48000, none, -500, 0, script_frames, false},
    {"100_ppm_fast", "cf32", 48000, none, 0, 100, script_frames, false},
    {"100_ppm_slow", "cf32", 48000, none, 0, -100, script_frames, false},
    {"Eb_N0_16_dB", "cf32", 48000, 16, 0, 0, script_frames, false},
    {"Eb_N0_12_dB", "cf32", 48000, 12, 0, 0, script_frames, false},
    {"Eb_N0_9_dB", "cf32", 48000, 9, 0, 0, 7, false},  // 99.5 % of frames found at 9 dB
    {"inverted", "cf32", 48000, none, 0, 0, script_frames, true},
};

class Air : public tool_test::Tool_fixture, public testing::WithParamInterface<Channel> {};

TEST_P(Air, TransmitThenReceiveGivesTheRecordsBack) {
    const Channel& c = GetParam();
    const std::string script_path = Temp("script"), sent = Temp("sent.xml"), heard = Temp("heard.xml"),
                      signal = Temp("signal.") + (c.format == std::string("audio") ? "wav" : c.format);
    std::ofstream(script_path) << script;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.3f", c.rate / (1 + c.clock_ppm * 1e-6));
    const Result tx = Run("transmit " + script_path + " --out " + signal + " --format " + c.format + " --rate " + rate);
    ASSERT_EQ(tx.status, 0) << tx.err;

    Sample_format format;
    ASSERT_TRUE(Sample_format_of_path(signal, format));
    if (Is_iq(format) && (std::isfinite(c.ebn0_db) || c.offset_hz != 0 || c.inverted)) {
        std::vector<Complex> samples, block;
        {
            Sample_reader reader(signal, format, c.rate);
            while (reader.Read_iq(block, 1 << 14) > 0) samples.insert(samples.end(), block.begin(), block.end());
        }
        if (c.inverted)
            for (Complex& s : samples) s = std::conj(s);  // every deviation of the other sign
        Impair(samples, c.rate, c.ebn0_db, c.offset_hz, 11);
        Sample_writer writer(signal, format, c.rate);
        ASSERT_TRUE(writer.Write_iq(samples) && writer.Close());
    }

    // The format from the extension.
    const std::string rx_rate = format == Sample_format::audio ? "" : " --rate " + std::to_string(int(c.rate));
    const Result rx = Run("receive " + signal + rx_rate + " --out " + heard);
    ASSERT_EQ(rx.status, 0) << rx.err;
    ASSERT_EQ(Run("log " + script_path + " --out " + sent).status, 0);
    const std::size_t at = rx.err.find(": ", rx.err.find(signal));
    EXPECT_GE(at == std::string::npos ? -1 : std::atoi(rx.err.c_str() + at + 2), c.min_frames) << rx.err;
    if (c.min_frames == script_frames) {
        EXPECT_EQ(Elements(Read_file(heard)), Elements(Read_file(sent))) << rx.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Channels, Air, testing::ValuesIn(channels),
                         [](const testing::TestParamInfo<Channel>& info) { return std::string(info.param.name); });

using Receive = tool_test::Tool_fixture;

// Every frame of the off-air recording, every word clean, at the deviation it was sent with.
TEST_F(Receive, TheRecordingGivesEveryFrame) {
    const Result rx =
        Run("receive " TESSEL_TEST_DATA "/air/p25_1_48000.raw --out " + Temp("log") + " --eye " + Temp("eye.svg"));
    ASSERT_EQ(rx.status, 0) << rx.err;
    for (const char* line : {": 84 frames: HDU 2, TDU 2, LDU1 41, LDU2 39\n", " 0 NIDs corrected",
                             " 0 corrected, 0 failed; voice vectors failed 0\n  CRC failed: 0 TSBK, 0 PDU"})
        EXPECT_NE(rx.err.find(line), std::string::npos) << line << "\n" << rx.err;
    const std::size_t deviation = rx.err.find("deviation ");
    ASSERT_NE(deviation, std::string::npos) << rx.err;
    EXPECT_NEAR(std::atof(rx.err.c_str() + deviation + 10), 600, 30) << rx.err;
    const std::string svg = Read_file(Temp("eye.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

// Bad command lines and unreadable input are refused, never crash.
TEST_F(Receive, RefusesWhatItCannotRead) {
    const std::string odd = Temp("odd.cu8");
    std::ofstream(odd) << "x";
    const struct { std::string arguments; int status; const char* says; } cases[] = {
        {"receive", 2, "tessel receive: no recording\n"},
        {"receive /nonexistent.cfile", 2, "cannot read /nonexistent.cfile: No such file or directory\n"},
        {"receive recording.unknown", 2, "cannot tell the format of recording.unknown: give --format\n"},
        {"receive " + odd + " --format nonsense", 2, "unknown format \"nonsense\"\n"},
        {"receive " + odd + " --rate 1000", 2, "bad --rate \"1000\": a rate of 8000 Hz or more is needed\n"},
        {"receive " + odd + " --rate 20000", 2, "IQ needs a rate of 24000 Hz or more\n"},
        {"receive " + odd + " --out /dev/null", 1, "odd.cu8: 0 frames\n"},  // one odd byte: nothing heard
        {"transmit " + odd, 2, "tessel transmit: --out FILE is needed\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.arguments << "\n" << r.err;
    }
}

}  // namespace
}  // namespace tessel_air
