// tessel transmit end to end.  The property: for random scripts of every
// kind that has a frame of its own, `tessel receive` of `tessel transmit S`
// gives the log of `tessel log S` byte for byte (records, timestamps,
// direction, status symbols), through IQ, audio and dibits; the log of S
// read back as a document sends the same signal as S.  Then what transmit
// refuses (every other kind, and records no frame can carry as given), and
// its files and pipes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <cstdio>
#include <random>
#include <regex>
#include <set>

#include "crc.h"
#include "script.h"
#include "tool_fixture.h"

namespace {

using tool_test::Read_file;
using tool_test::Result;

// ---- The generator ------------------------------------------------------------------------

std::string Hex(const std::vector<std::uint8_t>& octets) {
    std::string s;
    char pair[3];
    for (std::uint8_t o : octets) std::snprintf(pair, sizeof pair, "%02X", o), s += pair;
    return s;
}

// Status symbols on the air: one after every 35 data dibits.
std::size_t Status_count(std::size_t data_dibits) { return (data_dibits + 34) / 35; }
constexpr std::size_t header_dibits = 56, block_dibits = 98;

struct Generator {
    std::mt19937 rng;
    explicit Generator(unsigned seed) : rng(seed) {}

    unsigned Any(unsigned n) { return unsigned(rng() % n); }
    std::vector<std::uint8_t> Octets(std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (auto& o : v) o = std::uint8_t(rng());
        return v;
    }
    // A 12-octet block with its CRC-16, right or (one time in four) wrong.
    void Crc(std::vector<std::uint8_t>& block, std::size_t at) {
        const std::uint16_t crc = std::uint16_t(~ccitt_16(0, &block[at], 10) ^ (Any(4) == 0 ? 1 + Any(0xFFFF) : 0));
        block[at + 10] = std::uint8_t(crc >> 8), block[at + 11] = std::uint8_t(crc);
    }

    // A line's own part: its keys and bytes, and the data dibits of its frame.
    struct Body {
        std::string text;
        std::size_t data_dibits;
    };
    Body Tsbk() {
        const std::size_t blocks = 1 + Any(3);
        std::vector<std::uint8_t> bytes;
        for (std::size_t b = 0; b < blocks; ++b) {
            auto block = Octets(12);
            block[0] = std::uint8_t((block[0] & 0x7F) | (b + 1 == blocks ? 0x80 : 0));  // the last ends the TSDU
            Crc(block, 0);
            bytes.insert(bytes.end(), block.begin(), block.end());
        }
        return {Hex(bytes), header_dibits + blocks * block_dibits};
    }
    // Unconfirmed, alternate multi-block trunking and response formats, the
    // header's CRC right (a receiver knows a packet's length only from a good
    // header), the packet's CRC-32 right or wrong.
    Body Pdu() {
        static const std::uint8_t formats[] = {0x15, 0x17, 0x03};
        const std::size_t data = 1 + Any(5);
        auto header = Octets(12);
        header[0] = std::uint8_t((header[0] & 0x60) | formats[Any(3)]);
        header[6] = std::uint8_t((header[6] & 0x80) | data);
        const std::uint16_t crc = std::uint16_t(~ccitt_16(0, header.data(), 10));
        header[10] = std::uint8_t(crc >> 8), header[11] = std::uint8_t(crc);
        auto blocks = Octets(12 * data);
        if (Any(2)) {
            const std::uint32_t packet = ~crc_32(0, blocks.data(), blocks.size() - 4);
            for (int i = 0; i < 4; ++i) blocks[blocks.size() - 4 + i] = std::uint8_t(packet >> (24 - 8 * i));
        }
        header.insert(header.end(), blocks.begin(), blocks.end());
        return {Hex(header), header_dibits + (1 + data) * block_dibits};
    }
    std::string Hex16() { return Hex(Octets(2)); }
    Body Voice_header() {
        return {"Key_ID=" + Hex16() + " Group_ID=" + Hex16() + " mfid=" + Hex(Octets(1)) + " Algorithm_ID=" +
                    Hex(Octets(1)) + " " + Hex(Octets(9)),
                header_dibits + 329};
    }
    Body Ldu1() { return {Hex(Octets(9)), header_dibits + 784}; }
    Body Ldu2() {
        return {"Algorithm_ID=" + Hex(Octets(1)) + " Key_ID=" + Hex16() + " " + Hex(Octets(9)), header_dibits + 784};
    }
    Body Term() { return {"", header_dibits + 14}; }
    Body Term_lc() { return {Hex(Octets(9)), header_dibits + 154}; }

    // Status symbols a receiver tells the direction by: a base station's
    // include 01 or 11, a subscriber's are 00 and 10, mostly 00.
    std::string Status(std::size_t count, bool outbound) {
        std::string s;
        for (std::size_t k = 0; k < std::min<std::size_t>(count, 24); ++k) {
            const unsigned v = outbound ? (k == 0 ? 1 + 2 * Any(2) : Any(4)) : (k < 3 ? 0 : 2 * Any(2));
            s += (k ? "," : "") + std::to_string(v);
        }
        return s;
    }
};

// The kinds with a frame of their own, each with its line's part.
struct Air_kind {
    const char* name;
    Generator::Body (Generator::*body)();
};
const Air_kind air_kinds[] = {
    {"tsbk", &Generator::Tsbk},     {"pdu", &Generator::Pdu},   {"voice_header", &Generator::Voice_header},
    {"ldu1", &Generator::Ldu1},     {"ldu2", &Generator::Ldu2}, {"term", &Generator::Term},
    {"term_lc", &Generator::Term_lc},
};
// Kinds that feed a frame rather than make one: tested apart.
const std::set<std::string> feeding_kinds = {"status", "time", "pdu_header", "pdu_cont", "overhead"};

// A tick count as the script writes it: exact, a tick being 2e-8 s.
std::string Seconds(std::uint64_t ticks) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%08llu", (unsigned long long)(ticks / 50000000),
                  (unsigned long long)(ticks % 50000000 * 2));
    return text;
}

// A script of `records` lines of random air kinds, each frame at a whole
// symbol period, directly after the one before or after a silence; with
// `wrap`, silences past the 32-bit tick count's wrap, each wrap told by a time
// line where tessel receive tells it: before the wrap's first frame, or a
// frame 2^32 ticks or more after the last time, the whole second at or
// before the frame, counted from 1970-01-01 at the start of the recording.
std::string Script(unsigned seed, std::size_t records, bool wrap) {
    Generator g(seed);
    std::string script;
    std::uint64_t symbol = 100;  // of the next frame
    std::uint64_t told_wrap = 0, told = 0;
    constexpr std::uint64_t tick_wrap = 1ull << 32, per_second = 50000000;
    for (std::size_t i = 0; i < records; ++i) {
        const Air_kind& kind = air_kinds[g.Any(std::size(air_kinds))];
        const Generator::Body body = (g.*kind.body)();
        const std::uint64_t ticks = (symbol * 125000 + 6) / 12;  // 50 MHz ticks of `symbol` periods
        if (ticks / tick_wrap != told_wrap || ticks - told >= tick_wrap) {
            const std::uint64_t second = ticks / per_second;
            told = second * per_second, told_wrap = ticks / tick_wrap;
            char clock[16];
            std::snprintf(clock, sizeof clock, "%02llu:%02llu:%02llu", (unsigned long long)(second / 3600),
                          (unsigned long long)(second / 60 % 60), (unsigned long long)(second % 60));
            script += "time timestamp=" + Seconds(told % tick_wrap) + " date=1970/01/01 time=" + clock + "\n";
        }
        const bool outbound = g.Any(2);
        const std::size_t on_air = 36 * Status_count(body.data_dibits);
        // A third leave the status symbols to transmit's plan for the direction.
        const std::string status = g.Any(3) == 0 ? "" : " status=" + g.Status(on_air / 36, outbound);
        script += std::string(kind.name) + " timestamp=" + Seconds(ticks % tick_wrap) + " NAC=" +
                  Hex(g.Octets(2)).substr(1) + (outbound ? " type=osp" : " type=isp") + status + " " + body.text +
                  "\n";
        // Back to back, a few null symbols apart (the carrier held), or a silence.
        const unsigned spacing = g.Any(6);
        symbol += on_air + (spacing == 0 ? 0 : spacing == 1 ? 1 + g.Any(16) : 20 + g.Any(600));
        if (wrap && g.Any(records / 3) == 0) symbol += 60 * 4800;  // a minute's silence
    }
    return script;
}

class Transmit : public tool_test::Tool_fixture {
protected:
    // Transmits a file as FORMAT into a file of that extension, named NAME;
    // the path.  status: the exit status expected.
    std::string Send(const std::string& input, const std::string& format, const std::string& name = "signal",
                     int status = 0, const std::string& rate = "48000") {
        const std::string out = Temp(name.c_str()) + "." + (format == "audio" ? "wav" : format);
        const Result r = Run("transmit " + input + " --out " + out + " --format " + format + " --rate " + rate);
        EXPECT_EQ(r.status, status) << r.err;
        return out;
    }
};

// Every kind of the script reader is either sent or refused, and the
// generator covers every one that is sent.
TEST_F(Transmit, EveryKindIsSentOrRefused) {
    for (const tessel::Kind* kind : tessel::All_kinds()) {
        const std::string name = kind->name;
        if (feeding_kinds.count(name)) continue;
        bool air = false;
        for (const Air_kind& a : air_kinds) air = air || name == a.name;
        if (air) continue;
        std::ofstream(Temp("one")) << "# a record of no frame\n" << name << " nonsense=1\n";
        const Result r = Run("transmit " + Temp("one") + " --out " + Temp("x.dibits"));
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err.rfind(Temp("one") + ":2: " + name + ": ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(": 0 records,"), std::string::npos) << r.err;
    }
}

// The first line where two logs differ, both ways; empty when they are the
// same.  A record whose status symbols the script left to transmit has an
// empty Status_bits in the script's log: any symbols heard there match it.
std::string Difference(const std::string& heard, const std::string& sent) {
    std::istringstream a(heard), b(sent);
    std::string x, y;
    for (int line = 1; std::getline(a, x) ? true : !std::getline(b, y) ? false : true; ++line) {
        if (!std::getline(b, y)) y = "(end)";
        const std::size_t open = y.rfind("\"/>");
        const bool left_open = y.find("<Status_bits ") != std::string::npos && open != std::string::npos &&
                               x.rfind(y.substr(0, open + 1) + ">", 0) == 0 && x.find("</Status_bits>") != std::string::npos;
        if (x != y && !left_open) return "line " + std::to_string(line) + "\nsent:  " + y + "\nheard: " + x;
    }
    return "";
}

TEST_F(Transmit, ReceivingWhatWasSentGivesTheLogOfTheScript) {
    struct Case {
        const char* format;
        std::size_t records;
        bool wrap;
        const char* rate;
    };
    // Past the wrap through the modem too, at half the rate to keep minutes
    // of signal to a second of test.
    for (const Case c : {Case{"cf32", 150, false, "48000"}, Case{"audio", 60, false, "48000"},
                         Case{"audio", 40, true, "24000"}, Case{"dibits", 200, true, "48000"}}) {
        SCOPED_TRACE(std::string(c.format) + " at " + c.rate);
        const std::string script = Temp("script");
        std::ofstream(script) << Script(25, c.records, c.wrap);
        const std::string signal = Send(script, c.format, "signal", 0, c.rate);
        const Result rx = Run("receive " + signal + " --rate " + c.rate + " --out " + Temp("heard.xml"));
        ASSERT_EQ(rx.status, 0) << rx.err;
        const Result log = Run("log " + script);
        ASSERT_EQ(log.status, 0) << log.err;
        EXPECT_EQ(Difference(Read_file(Temp("heard.xml")), log.out), "") << rx.err;
        // The log read back as a document sends the same signal (a packet
        // whose CRC fails is logged with an error element, a note).
        std::ofstream(Temp("sent.xml")) << log.out;
        EXPECT_EQ(Read_file(Send(Temp("sent.xml"), c.format, "again", 0, c.rate)), Read_file(signal));
    }
}

// What no frame can carry as given is refused at its line, with the reason;
// the other records are still sent.
TEST_F(Transmit, RefusesWhatNoFrameCarries) {
    const std::string good = "tsbk crc=fill 80 00 80 10 F1 0A BC 12 34 56\n";
    const struct {
        const char* what;
        std::string lines;
        const char* says;
    } cases[] = {
        {"a TSBK without the last-block flag", "tsbk crc=fill 00 00 80 10 F1 0A BC 12 34 56",
         "the last TSBK (block 1) has no last-block flag"},
        {"four TSBKs without one", "tsbk crc=fill " + std::string(4 * 20, '0'), "TSBKs 1 to 3 have no last-block flag"},
        {"more status symbols than the frame has", "term status=1,1,1", "the TDU carries 2 status symbols, the record gives 3"},
        {"a header whose count disagrees", "pdu 15FD00000001830000000000 000000000000000000000000",
         "the packet header says 3 blocks follow, the record holds 1"},
        {"a confirmed packet", "pdu 16FD00000001810000000000 000000000000000000000000",
         "a confirmed packet's data blocks are 18 octets"},
        {"a continuation without its header", "pdu_cont 000000000000000000000000",
         "a packet's continuation block with no header before it"},
        {"a header whose blocks never came", "pdu_header 15FD00000001820000000000\npdu_cont 000000000000000000000000",
         "the packet's blocks did not all come"},
        {"status symbols no frame takes", "status status=1,2\ntsbk status=0 crc=fill 80 00 80 10 F1 0A BC 12 34 56",
         "status symbols with no frame after them"},
        {"an algorithm ID wider than the air's", "ldu2 Algorithm_ID=180", "an 8-bit algorithm ID"},
        {"a SmartZone overhead slot", "overhead duid=SMARTZONE_OSW 00000000", "a SmartZone channel word"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(Temp("refused")) << good << c.lines << "\n" << good;
        const Result r = Run("transmit " + Temp("refused") + " --out " + Temp("x.dibits"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind(Temp("refused") + ":", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(std::string(": ") + (c.lines.rfind("status", 0) == 0 ? "3" : "2") + " records,"),
                  std::string::npos) << r.err;
    }
}

// A packet fed block by block goes out as the frame of the whole packet, a
// status line's symbols in the frame after it.
TEST_F(Transmit, BlocksAndStatusLinesMakeTheFramesOfTheirWholeRecords) {
    const char* header = "37FD0012345681000000094A";
    std::ofstream(Temp("whole")) << "pdu status=1,2,3,0,1,2,3,0 " << header << " 000010F110F20ABC6195DD3E\n";
    std::ofstream(Temp("blocks")) << "status status=1,2,3,0,1,2,3,0\npdu_header " << header
                                  << "\ntime date=2024/05/17 time=13:45:09\npdu_cont 000010F110F20ABC6195DD3E\n";
    EXPECT_EQ(Read_file(Send(Temp("blocks"), "dibits", "blocks")), Read_file(Send(Temp("whole"), "dibits", "whole")));
}

// Overhead slots fill the control channel's time, each sent as given with
// its own NAC: TSBK slots and a packet slot come back whole.
TEST_F(Transmit, OverheadSlotsGoOutWithTheirNacs) {
    std::ofstream(Temp("slots")) << "overhead NAC=293 interval=100 3400E505C06401EE89907FA6\n"
                                 << "overhead NAC=0A5 duid=PDU interval=100 37FD0012345681000000094A "
                                    "000010F110F20ABC6195DD3E\n";
    const Result rx = Run("receive " + Send(Temp("slots"), "dibits", "slots") + " --format dibits");
    ASSERT_EQ(rx.status, 0) << rx.err;
    // The TSBK has no last-block flag: its TSDU takes it three times (the
    // packet does not cut it short, or a receiver would read the packet's
    // start as the TSDU's next block).
    const std::regex tsbk("<TSBK [^>]*NAC=\"293\">(34 00 E5 05 C0 64 01 EE 89 90 7F A6 ){3}</TSBK>"),
        pdu("<PDU [^>]*NAC=\"0A5\">37 FD 00 12 34 56 81 00 00 00 09 4A 00 00 10 F1 10 F2 0A BC 61 95 DD 3E </PDU>");
    const auto count = [&rx](const std::regex& r) {
        return std::distance(std::sregex_iterator(rx.out.begin(), rx.out.end(), r), std::sregex_iterator());
    };
    EXPECT_GE(count(tsbk), 3) << rx.out;
    EXPECT_GE(count(pdu), 3) << rx.out;
}

// Status symbols a record leaves open are heard in its direction: a control
// channel's 11 comes every sixth status symbol only, and a frame of 10 alone
// takes the direction of a frame it directly follows, so a control channel's
// frame starts its grid again unless it directly follows an outbound frame.
TEST_F(Transmit, StatusSymbolsLeftOpenAreHeardInTheRecordsDirection) {
    const std::string tsbk = " 80008010F10ABC1234562301\n";
    const struct {
        const char* what;
        std::string script;
        const char* heard;  // the types of the frames
    } cases[] = {
        // 5 + 2 status symbols before it: the running grid's next 11 lies past its 5.
        {"a TSDU starting a transmission", "tsbk timestamp=0.1 type=osp" + tsbk + "term timestamp=0.2 type=osp\n" +
                                               "tsbk timestamp=0.5 type=osp" + tsbk,
         "osp osp osp"},
        {"a TSDU directly after an inbound frame", "tsbk type=isp" + tsbk + "term type=isp\ntsbk type=osp" + tsbk,
         "isp isp osp"},
        {"an inbound frame directly after an outbound one", "tsbk type=osp" + tsbk + "term type=isp\n", "osp isp"},
        {"TSDUs back to back", "tsbk type=osp" + tsbk + "tsbk type=osp" + tsbk + "tsbk type=osp" + tsbk,
         "osp osp osp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(Temp("open")) << c.script;
        const Result rx = Run("receive " + Send(Temp("open"), "dibits") + " --out -");
        std::string heard;
        for (std::size_t at = 0; (at = rx.out.find("<Status_bits ", at)) != std::string::npos; ++at) {
            const std::size_t type = rx.out.find(" type=\"", at) + 7;
            heard += (heard.empty() ? "" : " ") + rx.out.substr(type, 3);
        }
        EXPECT_EQ(heard, c.heard) << rx.out;
    }
}

// Between frames the carrier falls only where there is room for the pulses'
// tails and lead-ins (17 symbols); a shorter gap is held with null symbols.
TEST_F(Transmit, TheCarrierFallsOnlyBetweenFramesFarEnoughApart) {
    const auto low_samples = [&](std::uint64_t gap) {  // of the IQ written, below half the carrier
        const std::uint64_t second = 480 + 72 + gap;     // a TDU is 72 symbols
        std::ofstream(Temp("gap")) << "term timestamp=0.1 type=isp\nterm timestamp="
                                   << Seconds((second * 125000 + 6) / 12) << " type=isp\n";
        const std::string iq = Read_file(Send(Temp("gap"), "cf32"));
        std::size_t low = 0;
        for (std::size_t at = 0; at + 8 <= iq.size(); at += 8) {
            float z[2];
            std::memcpy(z, iq.data() + at, 8);
            low += z[0] * z[0] + z[1] * z[1] < 0.25f;
        }
        return low;
    };
    // The silences before the first and after the last frame are the same
    // but for the sample where the file ends.
    const double back_to_back = double(low_samples(0));
    EXPECT_NEAR(double(low_samples(1)), back_to_back, 1);
    EXPECT_NEAR(double(low_samples(16)), back_to_back, 1);
    EXPECT_GT(double(low_samples(17)), back_to_back + 10);
}

// Standard input and output, a WAV stream to a pipe, FLAC by extension; an
// output that cannot be written or would overwrite the input is an error.
TEST_F(Transmit, FilesAndPipes) {
    const std::string script = Temp("call");
    std::ofstream(script) << "voice_header NAC=293 Group_ID=1234 001122334455667788\nldu1 NAC=293 000000001234ABCDEF\n"
                             "term NAC=293\n";
    const std::string wav = Send(script, "audio");
    // Into a pipe, as a sound tool streams WAV: the sizes unknown.
    const std::string pipe = Temp("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Result r = Run("transmit - --out " + pipe + " --format audio <" + script + " & cat " + pipe);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 44), Read_file(wav).substr(0, 4) + std::string("\xFF\xFF\xFF\xFF", 4) +
                                       Read_file(wav).substr(8, 32) + std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(r.out.substr(44), Read_file(wav).substr(44));
    r = Run("transmit - --out " + Temp("call.flac"), script);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read_file(Temp("call.flac")).substr(0, 4), "fLaC");
    r = Run("receive " + Temp("call.flac") + " --out " + Temp("heard.xml"));
    EXPECT_NE(r.err.find(": 3 frames"), std::string::npos) << r.err;

    const struct {
        std::string arguments;
        const char* says;
    } errors[] = {
        {"transmit " + script + " --out /nonexistent/x.wav", "cannot write /nonexistent/x.wav"},
        {"transmit " + script + " --out /nonexistent/x.cf32", "cannot write /nonexistent/x.cf32"},
        {"transmit " + script + " --out " + script + " --format raw", "would overwrite the input"},
        {"transmit /nonexistent/script --out " + Temp("x.raw"), "cannot read /nonexistent/script"},
    };
    for (const auto& e : errors) {
        r = Run(e.arguments);
        EXPECT_EQ(r.status, 2) << e.arguments;
        EXPECT_NE(r.err.find(e.says), std::string::npos) << e.arguments << "\n" << r.err;
        EXPECT_EQ(r.err.find(" records,"), std::string::npos) << r.err;
        if (std::string(e.says).rfind("cannot", 0) == 0) {  // a file error is no usage error
            EXPECT_EQ(r.err.find("--help"), std::string::npos) << r.err;
        }
    }
}

}  // namespace
