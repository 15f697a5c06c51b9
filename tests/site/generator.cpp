#include "generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "shared/P25/P25_shared_struct.h"

namespace site_test {

namespace {

using Rng = std::mt19937;

// Symbols of each frame on the air.
constexpr unsigned tsdu_symbols = 360, hdu_symbols = 396, ldu_symbols = 864, tdu_symbols = 72;

unsigned Pick(Rng& rng, unsigned from, unsigned to) { return std::uniform_int_distribution<unsigned>(from, to)(rng); }

// A timestamp the log prints exactly: the tick of a whole symbol, rounded.
std::string Timestamp(std::uint64_t symbol) {
    const double ticks = std::round(double(symbol) * P25::Timestamp::ticks_per_second / 4800.0);
    char text[40];
    std::snprintf(text, sizeof text, "%.8f", ticks / P25::Timestamp::ticks_per_second);
    return text;
}

std::string Hex(const std::uint8_t* octets, std::size_t count) {
    std::string s;
    char text[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, " %02X", octets[i]);
        s += text;
    }
    return s;
}

// A TSBK's ten octets before its CRC.
using Tsbk = std::array<std::uint8_t, 10>;

Tsbk Header(unsigned opcode) { return Tsbk{std::uint8_t(opcode), 0x00}; }

void Put_channel(Tsbk& t, std::size_t at, unsigned id, unsigned number) {
    P25::CHANNEL c{};
    c.Set_id(id);
    c.Set_ch(number);
    std::memcpy(&t[at], &c, sizeof c);
}

struct Plan {
    unsigned id = 1;
    bool vu = false;
    double base = 0, spacing = 12500;
    double Hz(unsigned number) const { return base + spacing * number; }
};

Tsbk Iden_up(const Plan& p) {
    Tsbk t{};
    std::array<std::uint8_t, 12> octets{};
    if (p.vu) {
        P25::IDEN_UP_VU_packet packet{};
        packet.header.lb_p_opcode = 52;
        packet.Set_ident(p.id);
        packet.Set_bw(P25::BANDWIDTH_VU(unsigned(P25::BANDWIDTH_VU::code_12500_Hz)));
        packet.Set_chan_spacing(P25::CHAN_SPACING(unsigned(p.spacing / 125)));
        packet.Set_tx_offset(P25::TX_OFFSET(false, 0, p.spacing) = 5000000.0);
        packet.base_freq = p.base;
        std::memcpy(octets.data(), &packet, sizeof packet);
    } else {
        P25::IDEN_UP_packet packet{};
        packet.header.lb_p_opcode = 61;
        packet.Set_ident(p.id);
        packet.Set_bw(P25::BANDWIDTH(12500.0));
        packet.Set_chan_spacing(P25::CHAN_SPACING(unsigned(p.spacing / 125)));
        packet.Set_tx_offset(P25::TX_OFFSET(false, 0, 250000.0) = -45000000.0);
        packet.base_freq = p.base;
        std::memcpy(octets.data(), &packet, sizeof packet);
    }
    std::copy(octets.begin(), octets.begin() + 10, t.begin());
    return t;
}

// NET_STS_BCST (59) and RFSS_STS_BCST (58): the control channel's own channel.
Tsbk Net_status(const Plan& p, unsigned channel) {
    Tsbk t = Header(59);
    const std::uint8_t body[] = {0x01, 0xBE, 0xE0, 0x01, 0x23};  // LRA, WACN BEE00, system 123
    std::memcpy(&t[2], body, sizeof body);
    Put_channel(t, 7, p.id, channel);
    t[9] = 0x70;
    return t;
}
Tsbk Rfss_status(const Plan& p, unsigned channel) {
    Tsbk t = Header(58);
    const std::uint8_t body[] = {0x01, 0x01, 0x23, 0x02, 0x05};  // LRA, system 123, RFSS 2, site 5
    std::memcpy(&t[2], body, sizeof body);
    Put_channel(t, 7, p.id, channel);
    t[9] = 0x70;
    return t;
}

// GRP_V_CH_GRANT (0): service options, channel, group, source.
Tsbk Grant(const Plan& p, unsigned channel, unsigned group, unsigned source) {
    Tsbk t = Header(0);
    Put_channel(t, 3, p.id, channel);
    t[5] = std::uint8_t(group >> 8), t[6] = std::uint8_t(group);
    t[7] = std::uint8_t(source >> 16), t[8] = std::uint8_t(source >> 8), t[9] = std::uint8_t(source);
    return t;
}

// GRP_V_CH_GRANT_UPDT (2): two channels and their groups.
Tsbk Grant_update(const Plan& p, unsigned channel, unsigned group) {
    Tsbk t = Header(2);
    Put_channel(t, 2, p.id, channel);
    t[4] = std::uint8_t(group >> 8), t[5] = std::uint8_t(group);
    Put_channel(t, 6, p.id, channel);
    t[8] = std::uint8_t(group >> 8), t[9] = std::uint8_t(group);
    return t;
}

struct Call {
    unsigned channel;       // index into the traffic channels
    std::uint64_t grant;    // the TSDU that grants it (symbol), or none for a running call
    bool granted;
    std::uint64_t start;    // symbol of its header
    unsigned ldus;
    unsigned group, source;
    std::uint64_t End() const { return start + hdu_symbols + std::uint64_t(ldus) * ldu_symbols + tdu_symbols; }
};

struct Line {
    std::uint64_t symbol;
    std::string text;
};

}  // namespace

Site Generate_site(std::uint32_t seed, const Site_shape& shape) {
    Rng rng(seed);
    Site site;
    Plan plan;
    plan.vu = Pick(rng, 0, 1) == 1;
    plan.id = Pick(rng, 0, 15);
    // The plan's channels: every other spacing step of the band, so that signals never overlap.
    const double low = shape.center_hz - shape.rate / 2 + 8000, high = shape.center_hz + shape.rate / 2 - 8000;
    plan.base = std::floor(low / plan.spacing) * plan.spacing - plan.spacing * Pick(rng, 20, 200);
    std::vector<unsigned> numbers;
    for (unsigned n = 0; n < 4096; n += 2)
        if (plan.Hz(n) >= low && plan.Hz(n) <= high) numbers.push_back(n);
    std::shuffle(numbers.begin(), numbers.end(), rng);
    const unsigned traffic = std::min<unsigned>(shape.traffic_channels, unsigned(numbers.size()) - 1);
    const unsigned control = numbers[0];
    const unsigned nac = Pick(rng, 1, 0xF7D);
    char nac_text[16];
    std::snprintf(nac_text, sizeof nac_text, " NAC=%03X", nac);

    const std::uint64_t end = std::uint64_t(shape.seconds * 4800);
    const std::uint64_t tsdus = end / tsdu_symbols;
    // Calls: one or two a traffic channel, each granted on the control channel first.
    std::vector<Call> calls;
    site.running_call = Pick(rng, 0, 1) == 1;
    for (unsigned c = 0; c < traffic; ++c) {
        std::uint64_t free = 0;
        for (unsigned k = 0; k < 2; ++k) {
            Call call{c, 0, true, 0, Pick(rng, 1, 4), Pick(rng, 1, 0xFFFE), Pick(rng, 1, 0xFFFFFE)};
            if (c == 0 && k == 0 && site.running_call) {
                call.granted = false;
                call.start = 120;
            } else {
                const std::uint64_t first = std::max<std::uint64_t>(2, (free + tsdu_symbols - 1) / tsdu_symbols);
                if (first + 2 >= tsdus) break;
                call.grant = tsdu_symbols * (first + Pick(rng, 0, 4));
                call.start = call.grant + tsdu_symbols + Pick(rng, 0, 600);
            }
            if (call.End() + 960 > end) break;
            free = call.End() + 1440;
            calls.push_back(call);
        }
    }
    // Numbers: the control channel 0, then traffic channels by first use.
    std::vector<std::pair<std::uint64_t, unsigned>> first_use(traffic, {UINT64_MAX, 0});
    for (unsigned c = 0; c < traffic; ++c) first_use[c].second = c;
    for (const Call& call : calls) {
        const std::uint64_t use = call.granted ? call.grant : call.start;
        first_use[call.channel].first = std::min(first_use[call.channel].first, use);
    }
    std::sort(first_use.begin(), first_use.end());
    std::vector<unsigned> physical(traffic, 0);
    unsigned next = 1;
    for (auto& [use, c] : first_use)
        if (use != UINT64_MAX) physical[c] = next++;

    std::vector<Line> lines;
    site.frequency[0] = std::uint32_t(plan.Hz(control));
    for (unsigned c = 0; c < traffic; ++c)
        if (physical[c]) site.frequency[physical[c]] = std::uint32_t(plan.Hz(numbers[1 + c]));
    for (auto& [ch, hz] : site.frequency)
        lines.push_back({0, "chan_tx phys_channel=" + std::to_string(ch) + " Frequency=" + std::to_string(hz)});

    // The control channel: three TSBKs a TSDU, back to back; grants where due,
    // an update of each call in progress now and then, the broadcasts between.
    const Tsbk broadcasts[] = {Iden_up(plan), Net_status(plan, control), Rfss_status(plan, control)};
    unsigned rotation = 0;
    for (std::uint64_t k = 0; k < tsdus; ++k) {
        const std::uint64_t at = k * tsdu_symbols;
        std::vector<Tsbk> blocks;
        for (const Call& call : calls)
            if (call.granted && call.grant == at && blocks.size() < 3) {
                blocks.push_back(Grant(plan, numbers[1 + call.channel], call.group, call.source));
                ++site.grants;
            }
        for (const Call& call : calls)
            if (call.start < at && at + tsdu_symbols < call.End() && k % 8 == 3 && blocks.size() < 3) {
                blocks.push_back(Grant_update(plan, numbers[1 + call.channel], call.group));
                ++site.grants;
            }
        // Before the plan is broadcast, the status broadcasts alone (their channel unknown until then).
        while (blocks.size() < 3) blocks.push_back(broadcasts[k < shape.plan_after ? 1 + rotation++ % 2 : rotation++ % 3]);
        std::string text = "tsbk timestamp=" + Timestamp(at) + " phys_channel=0" + nac_text + " crc=fill";
        for (std::size_t b = 0; b < 3; ++b) {
            if (b == 2) blocks[b][0] |= 0x80;
            text += Hex(blocks[b].data(), 10);
        }
        lines.push_back({at, text});
    }
    // The calls: header, LDU1 and LDU2 in turn, terminator.
    for (const Call& call : calls) {
        ++site.calls;
        const std::string channel = " phys_channel=" + std::to_string(physical[call.channel]) + nac_text;
        char group[8], source[8];
        std::snprintf(group, sizeof group, "%04X", call.group);
        std::snprintf(source, sizeof source, "%06X", call.source);
        std::uint64_t at = call.start;
        lines.push_back({at, "voice_header timestamp=" + Timestamp(at) + channel + " Group_ID=" + group +
                                 " mfid=00 Algorithm_ID=80"});
        at += hdu_symbols;
        for (unsigned i = 0; i < call.ldus; ++i, at += ldu_symbols) {
            if (i % 2 == 0) {
                const std::string g(group), s(source);
                lines.push_back({at, "ldu1 timestamp=" + Timestamp(at) + channel + " 00 00 00 00 " + g.substr(0, 2) +
                                         " " + g.substr(2) + " " + s.substr(0, 2) + " " + s.substr(2, 2) + " " +
                                         s.substr(4)});
            } else {
                lines.push_back({at, "ldu2 timestamp=" + Timestamp(at) + channel + " Algorithm_ID=80 Key_ID=0"});
            }
        }
        lines.push_back({at, "term timestamp=" + Timestamp(at) + channel});
        site.voice_frames += 2 + call.ldus;
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.symbol < b.symbol; });
    char header[160];
    std::snprintf(header, sizeof header,
                  "# A generated site (seed %u): control channel %.4f MHz, %u traffic channels, %u calls, %.1f s\n",
                  seed, plan.Hz(control) / 1e6, traffic, site.calls, shape.seconds);
    site.script = header;
    for (const Line& l : lines) site.script += l.text + "\n";
    return site;
}

}  // namespace site_test
