// A whole site: the frequency plan and the channels messages name, and the
// property — a generated site, sent wideband and received wideband, gives
// back every record of every channel on its channel number and frequency,
// clean and with noise and a clock error.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <complex>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>

#include "generator.h"
#include "site.h"
#include "tool_fixture.h"

namespace {

std::vector<std::uint8_t> Octets(const std::string& hex) {
    std::vector<std::uint8_t> out;
    std::istringstream in(hex);
    unsigned v;
    while (in >> std::hex >> v) out.push_back(std::uint8_t(v));
    return out;
}

// Channel identifiers as broadcast, and the frequencies of their channels.
TEST(Site, Plan) {
    struct Row {
        const char* iden;  // the TSBK's ten octets
        unsigned id, number;
        double outbound_hz, tx_offset_hz;
        bool tdma;
    };
    const Row rows[] = {
        // IDEN_UP: 12.5 kHz steps from 851.000 MHz, 45 MHz below for the subscriber.
        {"3D 00 13 22 D0 64 0A 25 0B C0", 1, 1, 851012500, -45e6, false},
        {"3D 00 13 22 D0 64 0A 25 0B C0", 1, 0x0F1, 851000000 + 12500.0 * 0xF1, -45e6, false},
        // IDEN_UP_VU: identifier 2, 6.25 kHz steps from 460.000 MHz, +5 MHz (800 spacings, sign set).
        {"34 00 24 8C 80 32 05 7B CF 00", 2, 10, 460062500, 5e6, false},
        // IDEN_UP_TDMA (manufacturer 90), identifier 3, two-slot: numbers 6 and 7 are one carrier.
        {"0D 90 30 00 00 64 0A 25 0B C0", 3, 7, 851037500, 0, true},
    };
    for (const Row& r : rows) {
        tessel::Channel_plan plan;
        const auto block = Octets(r.iden);
        ASSERT_TRUE(plan.Learn(block.data())) << r.iden;
        P25::CHANNEL channel{};
        channel.Set_id(r.id);
        channel.Set_ch(r.number);
        double hz = 0;
        ASSERT_TRUE(plan.Outbound_hz(channel, hz)) << r.iden;
        EXPECT_DOUBLE_EQ(hz, r.outbound_hz) << r.iden;
        EXPECT_DOUBLE_EQ(plan.Identifier(r.id).tx_offset_hz, r.tx_offset_hz) << r.iden;
        EXPECT_EQ(plan.Identifier(r.id).tdma, r.tdma) << r.iden;
        channel.Set_id((r.id + 1) & 15);
        EXPECT_FALSE(plan.Outbound_hz(channel, hz)) << "an identifier not broadcast";
        double nominal = 0;
        EXPECT_EQ(plan.Nearest(r.outbound_hz + 900, 2000, nominal), !r.tdma) << r.iden;
        if (!r.tdma) {
            EXPECT_DOUBLE_EQ(nominal, r.outbound_hz);
        }
        EXPECT_FALSE(plan.Nearest(r.outbound_hz + 3000, 1000, nominal) && nominal == r.outbound_hz);
    }
    tessel::Channel_plan plan;
    EXPECT_FALSE(plan.Learn(Octets("00 00 00 10 F1 0A BC 12 34 56").data())) << "a grant is no identifier";
}

// The outbound channel of every grant form, as the control channel sends it.
TEST(Site, ChannelsNamed) {
    struct Row {
        const char* octets;
        bool multi_block;
        std::vector<std::string> named;  // "message role id-number"
    };
    const Row rows[] = {
        {"80 00 80 10 F1 0A BC 12 34 56", false, {"GRP_V_CH_GRANT grant 1-241"}},
        {"02 00 10 05 0A BC 20 06 0A BD", false, {"GRP_V_CH_GRANT_UPDT grant 1-5", "GRP_V_CH_GRANT_UPDT grant 2-6"}},
        {"03 00 00 00 10 01 10 02 0A BC", false, {"GRP_V_CH_GRANT_UPDT_EXP grant 1-2"}},
        {"04 00 10 22 0A BD 00 00 42 64", false, {"UU_V_CH_GRANT grant 1-34"}},
        {"14 00 00 10 30 10 31 00 12 34", false, {"SN_DATA_CHN_GNT grant 1-49"}},
        {"3B 00 01 BE E0 01 23 10 01 70", false, {"NET_STS_BCST own 1-1"}},
        {"3A 00 01 01 23 02 05 10 01 70", false, {"RFSS_STS_BCST own 1-1"}},
        {"39 00 02 05 10 07 70 10 08 70", false, {"SCCB secondary 1-7", "SCCB secondary 1-8"}},
        {"3C 00 01 01 23 02 05 10 01 70", false, {}},  // ADJ_STS_BCST: another site's channel
        {"00 90 00 10 F1 0A BC 12 34 56", false, {}},  // opcode 0 of another manufacturer
        // GRP_V_CH_GRANT_EXP, header and one data block: transmit 1-241, receive 1-242.
        {"37 FD 00 12 34 56 81 00 00 00 09 4A 00 00 10 F1 10 F2 0A BC 61 95 DD 3E", true,
         {"GRP_V_CH_GRANT_EXP grant 1-242"}},
        // UU_V_CH_GRANT, three blocks: receive channel 1-49 at octets 24-25.
        {"37 FD 00 00 00 42 82 04 00 00 BD BF BE E0 02 93 00 00 42 00 56 78 10 30 10 31 00 00 00 00 00 00 D5 C0 84 E0",
         true, {"UU_V_CH_GRANT grant 1-49"}},
        // An unconfirmed data header is no trunking message.
        {"15 FD 00 12 34 56 81 00 00 00 09 4A 00 00 10 F1 10 F2 0A BC 61 95 DD 3E", true, {}},
    };
    const char* roles[] = {"grant", "own", "secondary"};
    for (const Row& r : rows) {
        const auto octets = Octets(r.octets);
        std::vector<std::string> got;
        for (const tessel::Named_channel& n : tessel::Channels_named(octets.data(), r.multi_block ? octets.size() / 12 : 1, r.multi_block))
            got.push_back(std::string(n.message) + " " + roles[unsigned(n.role)] + " " +
                          std::to_string(unsigned(n.channel.Get_id())) + "-" + std::to_string(n.channel.Get_ch()));
        EXPECT_EQ(got, r.named) << r.octets;
    }
}

// What the wideband commands refuse, and a band with nothing in it.
class Site_commands : public tool_test::Tool_fixture {};

TEST_F(Site_commands, RefusedOrEmpty) {
    const std::string silence = Temp("silence.cf32"), script = Temp("site.script"), bad = Temp("bad.script");
    std::ofstream(silence, std::ios::binary) << std::string(8 * 240000, '\0');
    std::ofstream(script) << "chan_tx phys_channel=0 Frequency=851000000\n";
    // Each line after the first refused at its line; the TSBKs of channel 0 are sent.
    std::ofstream(bad) << "chan_tx phys_channel=0 Frequency=851000000\n"
                          "chan_tx phys_channel=1 Frequency=853000000\n"
                          "tsbk timestamp=0.1 phys_channel=2 NAC=293 crc=fill 80 00 80 10 F1 0A BC 12 34 56\n"
                          "tsbk timestamp=0.2 phys_channel=1 NAC=293 crc=fill 80 00 80 10 F1 0A BC 12 34 56\n"
                          "tsbk timestamp=0.3 phys_channel=0 NAC=293 crc=fill 80 00 80 10 F1 0A BC 12 34 56\n"
                          "lc phys_channel=0 00 00 00 00 98 55 19 76 FA\n"
                          "chan_tx phys_channel=0 Frequency=851012500\n"
                          "tsbk timestamp=0.4 phys_channel=0 NAC=293 crc=fill 00 00 80 10 F1 0A BC 12 34 56\n";
    const std::string send_bad = "transmit " + bad + " --center 851000000 --rate 240000 --out " + Temp("bad.cf32");
    struct Row {
        std::string args;
        int status;
        const char* says;
    };
    const Row rows[] = {
        {"receive " + silence + " --center 851000000 --rate 240000", 1, "nothing logged: no P25 channel found"},
        {"receive " + silence + " --center 851000000 --format audio", 2, "--center needs IQ samples"},
        {"receive " + silence + " --center 851000000 --direction up", 2, "bad --direction \"up\""},
        {"receive " + silence + " --center 851000000 --channels 851000000,x", 2, "bad --channels frequency \"x\""},
        {"receive " + silence + " --center 851000000 --rate 240000 --channels 852000000", 2, "inside the band"},
        {"transmit " + script + " --center 851000000", 2, "--out FILE is needed"},
        {"transmit " + script + " --center 0 --out " + Temp("x.cf32"), 2, "bad --center"},
        {send_bad, 1, "bad.script:2: channel 1 at 853000000 Hz is outside the band of --center and --rate\n"},
        {send_bad, 1, "bad.script:3: channel 2 has no transmit frequency"},
        {send_bad, 1, "bad.script:4: channel 1 at 853000000 Hz is outside the band"},
        {send_bad, 1, "bad.script:6: lc: a link-control word alone has no frame"},
        {send_bad, 1, "bad.script:7: channel 0 is on the air at 851000000 Hz already"},
        {send_bad, 1, "bad.script:8: the last TSBK (block 1) has no last-block flag"},
        {send_bad, 1, ": 1 records, 0 overhead slots on 1 channels"},
    };
    for (const Row& r : rows) {
        const tool_test::Result got = Run(r.args);
        EXPECT_EQ(got.status, r.status) << r.args << "\n" << got.err;
        EXPECT_NE(got.err.find(r.says), std::string::npos) << r.args << "\n" << got.err;
    }
}

// A document sends its records and "Channel_tx_freq" elements as the
// script it was logged from does: the same band, sample for sample.
TEST_F(Site_commands, DocumentSendsAsItsScript) {
    site_test::Site_shape shape;
    shape.seconds = 1;
    const std::string script = Temp("site.script"), document = Temp("site.xml");
    std::ofstream(script) << site_test::Generate_site(5, shape).script;
    const tool_test::Result logged = Run("log " + script + " --out " + document);
    ASSERT_EQ(logged.status, 0) << logged.err;
    const std::string band = " --center 851100000 --rate 200000 --out ";
    const tool_test::Result a = Run("transmit " + script + band + Temp("script.cf32"));
    const tool_test::Result b = Run("transmit " + document + band + Temp("document.cf32"));
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    std::ifstream x(Temp("script.cf32"), std::ios::binary), y(Temp("document.cf32"), std::ios::binary);
    const std::string from_script{std::istreambuf_iterator<char>(x), {}}, from_document{std::istreambuf_iterator<char>(y), {}};
    EXPECT_GT(from_script.size(), 200000u * 8 * 9 / 10);  // 0.9 s of cf32
    EXPECT_TRUE(from_script == from_document);
}

// A channel's overhead slots fill its time around its records, which go
// out at their own times, and on for --seconds.
TEST_F(Site_commands, OverheadFillsAroundRecords) {
    const std::string script = Temp("overhead.script"), iq = Temp("overhead.cf32");
    std::ofstream(script) << "chan_tx phys_channel=0 Frequency=851037500\n"
                             "overhead phys_channel=0 NAC=293 interval=100 3400E505C06401EE89907FA6\n"
                             "tsbk timestamp=0.5 phys_channel=0 NAC=293 crc=fill 80 00 80 10 F1 0A BC 12 34 56\n"
                             "tsbk timestamp=0.83 phys_channel=0 NAC=293 crc=fill 80 00 80 10 F1 0A BC 12 34 57\n";
    const std::string band = " --center 851100000 --rate 200000";
    const tool_test::Result sent = Run("transmit " + script + band + " --seconds 1.5 --out " + iq);
    ASSERT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(sent.err.find("after their timestamps"), std::string::npos) << sent.err;
    const tool_test::Result heard = Run("receive " + iq + band);
    std::map<std::string, std::vector<double>> at;  // the TSBK's first octets -> its timestamps
    static const std::regex tsbk(R"re(<TSBK timestamp="\s*([0-9.]+)"[^>]*>(\w\w \w\w \w\w \w\w \w\w \w\w))re");
    for (std::sregex_iterator m(heard.out.begin(), heard.out.end(), tsbk), end; m != end; ++m)
        at[(*m)[2]].push_back(std::stod((*m)[1]));
    EXPECT_EQ(at["80 00 80 10 F1 0A"], (std::vector<double>{0.5, 0.83})) << heard.out;
    const std::vector<double>& slots = at["34 00 E5 05 C0 64"];
    ASSERT_GE(slots.size(), 15u) << heard.out;
    EXPECT_EQ(slots.front(), 0.0);
    EXPECT_GT(slots.back(), 1.3);
}

// ---- the property --------------------------------------------------------------------

// A log's records: each top-level element but the channel settings, keyed by
// its text without the timestamp (a Status_bits element by its channel
// only), with the timestamps it was seen at.
struct Records {
    std::map<std::string, std::vector<double>> by_text;
    std::map<unsigned, std::uint32_t> frequencies;  // Channel_rx_freq or Channel_tx_freq
};

Records Read_log(const std::string& log) {
    Records r;
    static const std::regex stamp(R"( timestamp="\s*([0-9.]+)\")"), channel(R"(phys_channel="([0-9]+)\")"),
        frequency(R"(<Frequency>([0-9]+)</Frequency>)");
    std::istringstream in(log);
    std::string line, element;
    auto finish = [&] {
        if (element.empty()) return;
        std::smatch m;
        double at = -1;
        if (std::regex_search(element, m, stamp)) at = std::stod(m[1]);
        if (element.rfind("  <Channel_", 0) == 0) {
            std::smatch c, f;
            if (std::regex_search(element, c, channel) && std::regex_search(element, f, frequency))
                r.frequencies[unsigned(std::stoul(c[1]))] = std::uint32_t(std::stoul(f[1]));
        } else {
            std::string key = std::regex_replace(element, stamp, "");
            if (key.rfind("  <Status_bits", 0) == 0) key = key.substr(0, key.find_first_of("/>"));
            r.by_text[key].push_back(at);
        }
        element.clear();
    };
    while (std::getline(in, line)) {
        if (line.rfind("  <", 0) == 0 && line.rfind("  </", 0) != 0) finish();
        if (line.rfind("  ", 0) == 0) element += line + "\n";
    }
    finish();
    return r;
}

class Site_property : public tool_test::Tool_fixture {
protected:
    // Adds complex white noise (Eb/N0 of each channel, at the transmitter's
    // channel level) and moves the band as a receiver whose clock runs fast
    // by ppm sees it: every frequency (1 - ppm) times lower.
    void Impair(const std::string& path, double rate, double center, double ebn0_db, double ppm) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::complex<float>> x;
        std::complex<float> z;
        while (in.read(reinterpret_cast<char*>(&z), sizeof z)) x.push_back(z);
        const double level = 0.125, bit_rate = 9600;
        const double n0 = level * level / bit_rate / std::pow(10.0, ebn0_db / 10);
        std::mt19937 rng(11);
        std::normal_distribution<float> noise(0.0f, float(std::sqrt(n0 * rate / 2)));
        const double shift = -center * ppm * 1e-6;
        for (std::size_t n = 0; n < x.size(); ++n) {
            const double turns = std::fmod(shift * double(n) / rate, 1.0);
            x[n] = x[n] * std::complex<float>(std::polar(1.0, 2 * 3.14159265358979323846 * turns)) +
                   std::complex<float>(noise(rng), noise(rng));
        }
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(x.data()), std::streamsize(x.size() * sizeof z));
    }

    // Sends a generated site, receives it, and compares.
    void Round_trip(std::uint32_t seed, const site_test::Site_shape& shape, double ebn0_db, double ppm) {
        const site_test::Site site = site_test::Generate_site(seed, shape);
        const std::string script = Temp("site.script"), iq = Temp("site.cf32");
        std::ofstream(script) << site.script;
        const std::string band = " --center " + std::to_string(std::llround(shape.center_hz)) + " --rate " +
                                 std::to_string(std::llround(shape.rate));
        const tool_test::Result sent = Run("transmit " + script + band + " --out " + iq);
        ASSERT_EQ(sent.status, 0) << sent.err;
        if (ebn0_db > 0 || ppm != 0) Impair(iq, shape.rate, shape.center_hz, ebn0_db, ppm);
        const tool_test::Result heard = Run("receive " + iq + band);
        ASSERT_EQ(heard.status, 0) << heard.err;
        const tool_test::Result logged = Run("log " + script);
        ASSERT_EQ(logged.status, 0) << logged.err;

        const Records want = Read_log(logged.out), got = Read_log(heard.out);
        EXPECT_EQ(got.frequencies, site.frequency) << heard.err << site.script;
        unsigned missing = 0;
        for (const auto& [text, times] : want.by_text) {
            auto g = got.by_text.find(text);
            const std::size_t have = g == got.by_text.end() ? 0 : g->second.size();
            if (have != times.size()) {
                ADD_FAILURE() << "seed " << seed << ": sent " << times.size() << ", received " << have << ":\n" << text;
                if (++missing > 5) break;
                continue;
            }
            std::vector<double> a = times, b = g->second;
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
            EXPECT_EQ(b, a) << "seed " << seed << ": timestamps of\n" << text;
        }
        for (const auto& [text, times] : got.by_text)
            if (!want.by_text.count(text)) ADD_FAILURE() << "seed " << seed << ": received, never sent:\n" << text;
        EXPECT_NE(heard.err.find(std::to_string(site.frequency.size()) + " channels"), std::string::npos) << heard.err;
    }
};

// Sites a case: two in the test run; TESSEL_SITE_SITES=N for a longer run.
std::uint32_t Sites() {
    const char* n = std::getenv("TESSEL_SITE_SITES");
    return n && std::atoi(n) > 0 ? std::uint32_t(std::atoi(n)) : 2;
}

// A clean band: exact silence between and around the transmissions.
TEST_F(Site_property, Strong) {
    site_test::Site_shape shape;
    for (std::uint32_t seed = 1; seed <= Sites(); ++seed) {
        shape.traffic_channels = 2 + seed % 5;
        Round_trip(seed, shape, 0, 0);
    }
}

// The channel identifier broadcast only after six TSDUs: calls granted, and
// heard, before their grants can be read are numbered by their grants all
// the same.
TEST_F(Site_property, PlanLate) {
    site_test::Site_shape shape;
    shape.plan_after = 6;
    for (std::uint32_t seed = 2005; seed < 2005 + Sites(); ++seed) {
        shape.traffic_channels = 3 + seed % 4;
        Round_trip(seed, shape, 0, 0);
    }
}

// White noise (Eb/N0 14 dB) and a receiver's clock a few ppm off either way.
TEST_F(Site_property, NoiseAndClockError) {
    site_test::Site_shape shape;
    for (std::uint32_t n = 0; n < Sites(); ++n) {
        shape.traffic_channels = 2 + n % 5;
        Round_trip(1000 + n, shape, 14, n % 2 ? -3 : 2.5);
    }
}

}  // namespace
