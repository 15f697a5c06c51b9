// Frames: the published frame vectors in both directions, encoder -> decoder
// round trips through symbol errors, inversion and awkward streams, and a real
// off-air recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <tuple>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "vectors.h"

using namespace tessel_air;
using namespace air_vectors;

namespace {

std::vector<Frame> Decode(const std::vector<float>& symbols, std::size_t chunk = std::size_t{1} << 30,
                          Frame_decoder::Stats* stats = nullptr) {
    std::vector<Frame> frames;
    Frame_decoder decoder([&](const Frame& f) { frames.push_back(f); });
    for (std::size_t at = 0; at < symbols.size(); at += chunk)
        decoder.Push(symbols.data() + at, std::min(chunk, symbols.size() - at));
    decoder.Flush();
    if (stats) *stats = decoder.Statistics();
    return frames;
}

void Put(std::uint8_t* to, const std::string& hex) {
    const auto octets = Octets(hex);
    std::memcpy(to, octets.data(), octets.size());
}

// A record of NAC 293 with `count` status symbols of one value.
template <class Record> Record With_header(std::size_t count, std::uint8_t status = 0) {
    Record r{};
    r.header.nid.nac = 0x293;
    r.header.statuses.count = static_cast<std::uint32_t>(count);
    for (std::size_t k = 0; k < count; ++k) r.header.statuses.syms[k] = status;
    return r;
}

// The records and voice of the published frames.
const char *const mi = "001122334455667788", *const lc = "000000001234ABCDEF";
const std::vector<std::string> tsbks = {"3400E505C06401EE89907FA6", "02000191253101912531742F",
                                        "B9000230057D04057D042508"};

P25::TSBK_PDU_data Tsbks(const std::vector<std::string>& blocks) {
    auto r = With_header<P25::TSBK_PDU_data>(blocks.size() == 3 ? 10 : 5, 3);
    for (std::size_t b = 0; b < blocks.size(); ++b) Put(r.tsbk[b].data, blocks[b]);
    r.block_count = static_cast<std::uint32_t>(blocks.size());
    return r;
}
// A record with the link-control word, and one with the encryption sync.
template <class Record> Record With_lc(std::size_t statuses) {
    auto r = With_header<Record>(statuses);
    Put(r.lc.bytes, lc);
    return r;
}
template <class Record> Record With_es(std::size_t statuses) {
    auto r = With_header<Record>(statuses);
    Put(r.mi.bytes, mi);
    r.algid = 0x80;
    return r;
}
P25::p25_Voice_Hdr Hdu_record() {
    auto r = With_es<P25::p25_Voice_Hdr>(11);
    r.tgid = 0x1234;
    return r;
}
Ldu_voice Voice(std::uint8_t lsd0, std::uint8_t lsd1) {
    Ldu_voice v;
    v.vc.fill(Imbe_encode({0x123, 0x456, 0x789, 0xABC, 0x2AA, 0x555, 0x1F0, 0x05A}));
    v.lsd = {lsd0, lsd1};
    return v;
}

// Each with where the round trip puts its payload errors: in a coded part
// (and, in an LDU, in a voice codeword at on-air 100).
struct Published { const char *name, *dibits; Duid duid; std::vector<std::size_t> errors;
                   std::vector<std::uint8_t> (*encode)(Frame_encoder&); };
const Published published[] = {
    {"TSDU of 3 TSBKs", tsdu3, Duid::TSDU, {320}, [](Frame_encoder& e) { return e.Tsdu(Tsbks(tsbks)); }},
    {"TSDU of 1 TSBK", tsdu1, Duid::TSDU, {140}, [](Frame_encoder& e) { return e.Tsdu(Tsbks({tsbks[2]})); }},
    {"HDU", hdu, Duid::HDU, {100}, [](Frame_encoder& e) { return e.Hdu(Hdu_record()); }},
    {"LDU1", ldu1, Duid::LDU1, {210, 100}, [](Frame_encoder& e) { return e.Ldu1(With_lc<P25::p25_Ldu1>(24), Voice(0x5A, 0xC3)); }},
    {"LDU2", ldu2, Duid::LDU2, {210, 100}, [](Frame_encoder& e) { return e.Ldu2(With_es<P25::p25_Ldu2>(24), Voice(0x00, 0xFF)); }},
    {"TDULC", tdulc, Duid::TDULC, {100}, [](Frame_encoder& e) { return e.Tdulc(With_lc<P25::p25_TermLC>(6)); }},
    {"TDU", tdu, Duid::TDU, {}, [](Frame_encoder& e) { return e.Tdu(With_header<P25::p25_Term>(2)); }},
};

// A packet header of the given octets, its CRC-16 in the last two.
std::array<std::uint8_t, 12> Pdu_header(const std::string& hex) {
    std::array<std::uint8_t, 12> h{};
    Put(h.data(), hex);
    const std::uint16_t crc = Crc16(h.data(), 10);
    h[10] = static_cast<std::uint8_t>(crc >> 8);
    h[11] = static_cast<std::uint8_t>(crc);
    return h;
}

// The data blocks of a packet: user data counting up, closed by the packet's
// CRC-32; a confirmed block (18 octets) opens with its DBSN (5, 6, ...) and CRC-9.
std::vector<Pdu_block> Packet(std::size_t count, std::uint8_t size) {
    const std::size_t first = size == 18 ? 2 : 0, per_block = size - first;
    std::vector<std::uint8_t> data(count * per_block);
    for (std::size_t i = 0; i + 4 < data.size(); ++i) data[i] = static_cast<std::uint8_t>(0xA0 + i);
    const std::uint32_t crc = Crc32(data.data(), data.size() - 4);
    for (std::size_t i = 0; i < 4; ++i) data[data.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    std::vector<Pdu_block> blocks(count);
    for (std::size_t b = 0; b < count; ++b) {
        blocks[b].size = size;
        std::memcpy(blocks[b].octets.data() + first, data.data() + b * per_block, per_block);
        if (size != 18) continue;
        const std::uint16_t crc9 = Crc9(static_cast<std::uint8_t>(5 + b), blocks[b].octets.data() + 2);
        blocks[b].octets[0] = static_cast<std::uint8_t>((5 + b) << 1 | crc9 >> 8);
        blocks[b].octets[1] = static_cast<std::uint8_t>(crc9);
    }
    return blocks;
}

// The published frames (encoding pinned by the vectors), a TSDU of two TSBKs
// and two packets, with random symbols between them, and in each a sync symbol
// of the wrong sign, a NID bit and a coded payload bit wrong (and one voice bit
// in an LDU); fed in awkward chunks, in both polarities, and scaled and offset
// (a receiver's gain and DC, which the sync's levels undo).  Every frame comes
// back at its index with the errors counted, and re-encodes to what was sent,
// its status symbols included.
TEST(Frames, PublishedVectorsRoundTripThroughErrors) {
    struct Sent { Duid duid; std::vector<std::uint8_t> dibits; std::size_t at; };
    Frame_encoder encoder(Status_plan::from_record);
    std::vector<Sent> sent;
    std::vector<std::uint8_t> stream;
    std::mt19937 rng(25);
    auto add = [&](Duid duid, std::vector<std::uint8_t> dibits, std::vector<std::size_t> errors) {
        static const std::uint8_t neighbour[4] = {2, 0, 0, 2};  // +1 -1, +3 +1, -1 +1, -3 -1: one bit wrong
        for (int k = 0; k < 37; ++k) stream.push_back(static_cast<std::uint8_t>(rng() % 4));
        sent.push_back({duid, dibits, stream.size()});
        errors.push_back(40);  // in the NID
        for (std::size_t j : errors) dibits[j] = neighbour[dibits[j]];
        stream.insert(stream.end(), dibits.begin(), dibits.end());
    };
    for (const Published& p : published) {
        add(p.duid, p.encode(encoder), p.errors);
        EXPECT_EQ(sent.back().dibits, Digits(p.dibits)) << p.name;
    }
    add(Duid::TSDU, encoder.Tsdu(Tsbks({tsbks[0], tsbks[2]})), {248});  // the second ends the TSDU
    // Unconfirmed (format 15, SAP 3D, 2 blocks), then confirmed (format 16, outbound, 1 block).
    add(Duid::PDU, encoder.Pdu(Pdu_header("15FD00000001820000000000"), Packet(2, 12), 0x293), {320});
    add(Duid::PDU, encoder.Pdu(Pdu_header("5600000000018100"), Packet(1, 18), 0x293), {248});
    for (int k = 0; k < 50; ++k) stream.push_back(static_cast<std::uint8_t>(rng() % 4));
    EXPECT_EQ(sent.back().dibits.size(), 36u * 8);  // 56 + 2 x 98 = 252 data dibits, padded: 8 microslots

    struct Levels_seen { bool inverted; float gain, dc; };
    for (const Levels_seen v : {Levels_seen{false, 1, 0}, Levels_seen{true, 1, 0}, Levels_seen{true, 0.37f, 0.2f}}) {
        SCOPED_TRACE(std::string(v.inverted ? "inverted" : "normal") + (v.gain != 1 ? ", scaled" : ""));
        auto symbols = Levels(stream, v.inverted);
        for (const Sent& s : sent) symbols[s.at + 7] = -symbols[s.at + 7];
        for (auto& s : symbols) s = v.gain * s + v.dc;
        Frame_decoder::Stats stats;
        const auto frames = Decode(symbols, 97, &stats);
        ASSERT_EQ(frames.size(), sent.size());
        const std::uint64_t count = sent.size();
        EXPECT_EQ(std::make_tuple(stats.symbols, stats.frames, stats.inverted_frames, stats.nid_corrected),
                  std::make_tuple(std::uint64_t{stream.size()}, count, v.inverted ? count : 0, count));
        // By DUID: HDU, TDU, LDU1 one each, TSDU 3, LDU2 one, PDU 2, TDULC one.
        EXPECT_EQ(stats.frames_by_duid, (std::array<std::uint64_t, 16>{1, 0, 0, 1, 0, 1, 0, 3, 0, 0, 1, 0, 2, 0, 0, 1}));
        // NID, payload and voice errors: one bit each.
        EXPECT_EQ(std::make_tuple(stats.codewords_failed, stats.voice_bits_corrected, stats.channel_bits_corrected),
                  std::make_tuple(0u, 2u, count + (count - 1) + 2));
        // 64 NID bits a frame, the FEC words (HDU 648, LDU 272, TDULC 288, trellis blocks 196) and voice (1233 an LDU).
        EXPECT_EQ(stats.channel_bits, 6742u);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const Frame& f = frames[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(std::make_tuple(f.duid, f.record.header.nid.duid, f.nac, f.symbol_index, f.inverted, f.complete),
                      std::make_tuple(sent[i].duid, std::uint32_t(sent[i].duid), std::uint16_t{0x293},
                                      std::uint64_t{sent[i].at}, v.inverted, true));
            // One NID bit, one payload bit (a TDU has none), nothing beyond correction.
            EXPECT_EQ(std::make_tuple(f.nid_errors, f.fec_corrected, f.fec_failed + f.crc_failed + f.voice_failed),
                      std::make_tuple(1, sent[i].duid == Duid::TDU ? 0 : 1, 0));
            ASSERT_EQ(f.status.size(), sent[i].dibits.size() / 36);
            EXPECT_EQ(f.record.header.statuses.count, std::min<std::size_t>(f.status.size(), 24));
            // Voice is carried as heard: its error is counted, and sent on again.
            auto expected = sent[i].dibits;
            if (f.duid == Duid::LDU1 || f.duid == Duid::LDU2) {
                EXPECT_EQ(f.voice_corrected, 1);
                expected[100] = stream[sent[i].at + 100];
            }
            EXPECT_EQ(Frame_encoder(Status_plan::from_record).Encode(f), expected);
        }
        EXPECT_EQ(frames[8].record.tsbk.block_count, 3u);  // the header and two blocks
        for (std::size_t b = 0; b < 2; ++b) {  // each data block in its own slot after the header
            EXPECT_EQ(std::memcmp(frames[8].record.tsbk.tsbk[1 + b].data, Packet(2, 12)[b].octets.data(), 12), 0) << b;
            EXPECT_EQ(frames[8].pdu_blocks.at(b).size, 12) << b;
        }
        EXPECT_TRUE(frames[8].pdu_packet_crc_ok);
        EXPECT_EQ(frames[9].record.tsbk.block_count, 1u);  // confirmed blocks are in pdu_blocks only
        ASSERT_EQ(frames[9].pdu_blocks.size(), 1u);
        EXPECT_TRUE(frames[9].pdu_blocks[0].crc_ok);
        EXPECT_EQ(frames[9].pdu_blocks[0].size, 18);
        EXPECT_TRUE(frames[9].pdu_packet_crc_ok);
    }
}

// Each frame tells where its first sync symbol lies, from the positions pushed
// with the symbols, also after a sync that led nowhere.  A word of the record
// beyond correction makes the record invalid; a TSBK failing its CRC does not
// (the log shows it raw), and every codeword is counted once: the failed
// block as failed, not also as corrected.
TEST(Frames, PositionsAndWordsBeyondCorrection) {
    struct Case { const char* name; std::vector<std::uint8_t> (*encode)(Frame_encoder&); std::size_t from, count;
                  bool valid; int crc_failed; };
    const Case cases[] = {
        {"clean TSDU", [](Frame_encoder& e) { return e.Tsdu(Tsbks(tsbks)); }, 0, 0, true, 0},
        {"TSDU, third TSBK hit", [](Frame_encoder& e) { return e.Tsdu(Tsbks(tsbks)); }, 270, 60, true, 1},
        {"HDU", [](Frame_encoder& e) { return e.Hdu(Hdu_record()); }, 60, 300, false, 0},
        {"LDU1, link control hit", [](Frame_encoder& e) { return e.Ldu1(With_lc<P25::p25_Ldu1>(24), Voice(1, 2)); },
         0, 0, false, 0},
        {"LDU2, encryption sync hit", [](Frame_encoder& e) { return e.Ldu2(With_es<P25::p25_Ldu2>(24), Voice(1, 2)); },
         0, 0, false, 0},
        {"TDULC", [](Frame_encoder& e) { return e.Tdulc(With_lc<P25::p25_TermLC>(6)); }, 60, 150, false, 0},
    };
    // The link-control and encryption-sync pieces of an LDU (data indices).
    const std::size_t pieces[] = {200, 292, 384, 476, 568, 660};
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame_encoder encoder;
        auto frame = c.encode(encoder);
        auto hit = [&](std::size_t data, std::size_t count) {
            for (std::size_t i = data; i < data + count; ++i) frame[i + i / 35] ^= 1 + rng() % 3;
        };
        if (c.count) hit(c.from, c.count);
        if (frame.size() == 864)
            for (std::size_t at : pieces) hit(at, 20);
        // A sync that leads nowhere, the frame starting inside what it took for
        // a NID; positions 2.5 samples a symbol from 1000.
        std::vector<std::uint8_t> stream = Digits("111113113311333313133333");
        for (int k = 0; k < 10; ++k) stream.push_back(static_cast<std::uint8_t>(rng() % 4));
        const std::size_t at = stream.size();
        stream.insert(stream.end(), frame.begin(), frame.end());
        const auto symbols = Levels(stream);
        std::vector<double> positions(symbols.size());
        for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = 1000 + 2.5 * static_cast<double>(i);

        std::vector<Frame> frames;
        Frame_decoder decoder([&](const Frame& f) { frames.push_back(f); });
        for (std::size_t k = 0; k < symbols.size(); k += 61)
            decoder.Push(symbols.data() + k, positions.data() + k, std::min<std::size_t>(61, symbols.size() - k));
        decoder.Flush();
        ASSERT_EQ(frames.size(), 1u);
        const Frame& f = frames[0];
        const auto& stats = decoder.Statistics();
        EXPECT_EQ(std::make_tuple(f.symbol_index, f.position, f.record_valid, f.crc_failed, stats.records_invalid),
                  std::make_tuple(std::uint64_t{at}, positions[at], c.valid, c.crc_failed, std::uint64_t{!c.valid}));
        EXPECT_LE(stats.codewords_corrected + stats.codewords_failed, stats.codewords);
        EXPECT_EQ(stats.codewords_failed == 0, c.valid && c.crc_failed == 0);
        if (c.crc_failed) {
            EXPECT_EQ(stats.codewords_failed, 1u);
        }
    }
}

// Which way each frame went, by its status symbols, in the order heard: a
// base station's marks (01, 11: one in twelve at least), talk-around (00),
// or 10 alone, which keeps the direction of a frame it directly follows.
TEST(Frames, DirectionFromStatusSymbols) {
    struct Heard { std::uint64_t at; std::vector<std::uint8_t> status; bool outbound; };
    const std::vector<Heard> sequences[] = {
        // A control channel: the grid's 11 lands in the first TSDU, not the second.
        {{0, {3, 2, 2, 2, 2, 2, 3, 2, 2, 2}, true}, {360, {2, 2, 2, 2, 2}, true}, {540, {2, 3, 2, 2, 2}, true}},
        // 10 alone after a gap, or after an inbound frame: inbound.
        {{0, {3, 2, 2, 2, 2}, true}, {200, {2, 2, 2, 2, 2}, false}, {380, {2, 2, 2, 2, 2}, false}},
        // A repeater's busy voice, then a subscriber's talk-around straight after.
        {{0, {1, 1, 1, 1, 1, 1}, true}, {216, {0, 0, 0, 0, 0, 0}, false}},
        // One symbol error (10 heard as 11) in a long inbound frame is no mark; nor is a slip of a symbol a gap.
        {{0, std::vector<std::uint8_t>(23, 2), false}, {828, {2, 2, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
                                                             2, 2, 2, 2, 2, 2}, false},
         {0, {3, 2, 2, 2, 2}, true}, {181, {2, 2, 2, 2, 2}, true}, {361, {2, 2, 0, 2, 2}, false}},
    };
    for (const auto& sequence : sequences) {
        Direction_finder finder;
        for (std::size_t k = 0; k < sequence.size(); ++k) {
            Frame f;
            f.symbol_index = sequence[k].at;
            f.status = sequence[k].status;
            EXPECT_EQ(finder.Outbound(f), sequence[k].outbound) << "frame " << k << " of " << sequence.size();
        }
    }
}

// The plans that fill every status symbol a record leaves open with one value.
TEST(Frames, StatusPlansOfOneSymbol) {
    const struct { Status_plan plan; unsigned status; } plans[] = {
        {Status_plan::talkaround, 0}, {Status_plan::repeater, 2}, {Status_plan::busy, 1}, {Status_plan::from_record, 0}};
    auto run = Tsbks(tsbks);
    run.header.statuses.count = 0;
    for (const auto& p : plans) {
        const auto stream = Frame_encoder(p.plan).Tsdu(run);
        ASSERT_EQ(stream.size(), 360u);
        for (std::size_t k = 0; k < stream.size() / 36u; ++k)
            EXPECT_EQ(stream[36 * k + 35], p.status) << "plan " << int(p.plan) << ", status symbol " << k;
    }
}

// The control-channel grid: 11 on every sixth status symbol, 10 on the others,
// running on from one frame into the next, after the symbols a record gives.
// A TSBK whose CRC fails still reaches the sink, flagged, with its octets as
// heard; a run goes out in TSDUs that end at its own last-block flags, octets
// as given.
TEST(Frames, TsduStatusAndBlocks) {
    Frame_encoder encoder(Status_plan::control_channel);
    auto bad = Tsbks({tsbks[2]});
    bad.tsbk[0].data[11] ^= 1;
    bad.header.statuses = {2, {1, 0}};
    auto grid = Tsbks(tsbks);
    grid.header.statuses.count = 0;
    auto stream = encoder.Tsdu(grid);
    for (std::uint8_t d : encoder.Tsdu(bad)) stream.push_back(d);
    ASSERT_EQ(stream.size(), 360u + 180u);
    const std::uint8_t given[] = {1, 0};
    for (std::size_t k = 0; k < stream.size() / 36u; ++k)
        EXPECT_EQ(stream[36 * k + 35], k == 10 || k == 11 ? given[k - 10] : k % 6 == 0 ? 3u : 2u) << k;
    auto frames = Decode(Levels(stream));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::make_pair(frames[1].crc_failed, frames[1].fec_failed), std::make_pair(1, 1));
    EXPECT_TRUE(Sent_by_base_station(frames[1]));
    EXPECT_EQ(std::memcmp(frames[1].record.tsbk.tsbk[0].data, bad.tsbk[0].data, 12), 0);

    auto run = Tsbks({tsbks[0], tsbks[2], tsbks[0], tsbks[1], tsbks[2]});
    run.header.statuses.count = 0;
    frames = Decode(Levels(Frame_encoder().Tsdu(run)));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::make_pair(frames[0].record.tsbk.block_count, frames[1].record.tsbk.block_count),
              std::make_pair(2u, 3u));
    EXPECT_EQ(frames[0].crc_failed + frames[1].crc_failed, 0);
    for (std::size_t b = 0; b < 5; ++b)
        EXPECT_EQ(std::memcmp(frames[b < 2 ? 0 : 1].record.tsbk.tsbk[b < 2 ? b : b - 2].data, run.tsbk[b].data, 12), 0) << b;
    EXPECT_FALSE(Sent_by_base_station(frames[0]));  // talk-around: all 00
    EXPECT_EQ(Tsdu_blocks(Tsbks({tsbks[0], tsbks[1], tsbks[0], tsbks[2]}), 0), 3u);  // three at most
}

// Gaussian noise on a TSDU: the soft decoder recovers more TSBKs (CRC good)
// than the same Viterbi search on hard decisions.
TEST(Frames, SoftDecisionBeatsHard) {
    const auto dibits = Digits(tsdu3);
    std::mt19937 rng(2024);
    std::normal_distribution<float> noise(0.0f, 0.9f);
    int soft_good = 0, hard_good = 0;
    for (int trial = 0; trial < 200; ++trial) {
        auto symbols = Levels(dibits);
        for (auto& s : symbols) s += noise(rng);
        for (std::size_t b = 0; b < 3; ++b) {
            std::vector<float> block;
            for (std::size_t i = 56 + 98 * b; i < 56 + 98 * (b + 1); ++i) block.push_back(symbols[i + i / 35]);
            std::uint8_t soft[12], hard[12];
            Trellis_half_decode(block.data(), soft);
            Trellis_half_decode(block.data(), hard, true);
            soft_good += Crc16(soft, 10) == (soft[10] << 8 | soft[11]);
            hard_good += Crc16(hard, 10) == (hard[10] << 8 | hard[11]);
        }
    }
    EXPECT_GT(soft_good, hard_good + 60) << "soft " << soft_good << " hard " << hard_good;
}

// Streams that are not P25 never crash or hang and yield nothing; a stream
// cut inside a frame yields it incomplete on Flush, its missing symbols
// erasures (a packet promising the most blocks: every one failed).
TEST(Frames, HostileAndCutStreams) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> any(-5.0f, 5.0f);
    std::vector<float> garbage(200000);
    for (auto& s : garbage) s = any(rng);
    garbage[100] = NAN;
    garbage[101] = INFINITY;
    Frame_decoder decoder(nullptr);
    decoder.Push(garbage.data(), garbage.size());
    decoder.Push(nullptr, 10);
    decoder.Flush();
    EXPECT_EQ(decoder.Statistics().symbols, garbage.size());
    EXPECT_EQ(decoder.Statistics().frames, 0u);

    const auto ldu = Digits(ldu1);
    auto frames = Decode(Levels(std::vector<std::uint8_t>(ldu.begin(), ldu.begin() + 500)));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::make_tuple(frames[0].duid, frames[0].complete, frames[0].status.size()),
              std::make_tuple(Duid::LDU1, false, 24u));
    // Cut inside its NID (all but the last dibit): nothing to emit.
    EXPECT_TRUE(Decode(Levels(std::vector<std::uint8_t>(ldu.begin(), ldu.begin() + 56))).empty());

    frames = Decode(Levels(Frame_encoder().Pdu(Pdu_header("150000000000FF"), {}, 0x293)));  // 127 blocks to follow
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::make_tuple(frames[0].complete, frames[0].pdu_blocks.size(), frames[0].record.tsbk.block_count,
                              frames[0].pdu_packet_crc_ok), std::make_tuple(false, 127u, 128u, false));
    EXPECT_GT(frames[0].fec_failed, 0);
}

// The frame layer on a real off-air recording: FM-discriminator audio at
// exactly 10 samples a symbol.  A deliberately plain receiver stands in for
// the demodulator: a one-symbol integrate-and-dump at each of the 10 sample
// phases, every phase decoded, and where several phases yield the same frame
// the cleanest is kept.
constexpr int samples_per_symbol = 10;

// Dibits where a frame, re-encoded, differs from the symbols it came from,
// sliced at levels scaled from its sync.
int Differing(const Frame& f, const float* s, std::size_t available) {
    const auto dibits = Frame_encoder(Status_plan::from_record).Encode(f);
    if (dibits.size() > available) return static_cast<int>(dibits.size());
    float magnitude = 0;
    for (int k = 0; k < 24; ++k) magnitude += std::fabs(s[k]) / 24;
    int differing = 0;
    for (std::size_t j = 0; j < dibits.size(); ++j) {
        const float v = s[j] * 3 / magnitude;
        differing += (v >= 2 ? 1 : v >= 0 ? 0 : v >= -2 ? 2 : 3) != dibits[j];
    }
    return differing;
}

struct Heard {
    Frame frame;
    int blemishes, differing;  // NID, FEC and voice corrections and failures; Differing()
    bool operator<(const Heard& o) const { return std::tie(blemishes, differing) < std::tie(o.blemishes, o.differing); }
};

TEST(Recording, EveryFrameOfTheSharedFile) {
    std::ifstream in(TESSEL_TEST_DATA "/air/p25_1_48000.raw", std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 2 * 937562u);
    const auto sample = [&](std::size_t i) { return static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8); };
    const std::size_t samples = bytes.size() / 2;

    std::map<std::uint64_t, Heard> best;  // by sample position of the sync, to the symbol
    for (int phase = 0; phase < samples_per_symbol; ++phase) {
        std::vector<float> symbols;
        for (std::size_t i = phase; i + samples_per_symbol <= samples; i += samples_per_symbol) {
            float sum = 0;
            for (std::size_t k = 0; k < samples_per_symbol; ++k) sum += sample(i + k);
            symbols.push_back(sum / samples_per_symbol);  // the decoder scales each frame from its sync
        }
        Frame_decoder decoder([&](const Frame& f) {
            const std::uint64_t at = f.symbol_index * samples_per_symbol + static_cast<std::uint64_t>(phase);
            const Heard heard{f, f.nid_errors + f.fec_corrected + f.fec_failed + f.voice_corrected + f.voice_failed,
                              Differing(f, symbols.data() + f.symbol_index, symbols.size() - f.symbol_index)};
            // The same frame at another phase lies within a couple of symbols; frames are 72 apart at least.
            const auto near = best.lower_bound(at >= 20 ? at - 20 : 0);
            if (near != best.end() && near->first <= at + 20) {
                if (!(heard < near->second)) return;
                best.erase(near);
            }
            best.emplace(at, heard);
        });
        decoder.Push(symbols.data(), symbols.size());
        decoder.Flush();
    }

    std::map<Duid, int> counts;
    int statuses = 0, ldu_spacings = 0;
    std::uint64_t previous_ldu = 0;
    for (const auto& [at, heard] : best) {
        const Frame& f = heard.frame;
        SCOPED_TRACE(std::string(Duid_name(f.duid)) + " at sample " + std::to_string(at));
        ++counts[f.duid];
        EXPECT_EQ(f.nac, 0x293);
        EXPECT_FALSE(f.inverted);
        EXPECT_TRUE(f.complete);
        EXPECT_EQ(heard.blemishes, 0);
        EXPECT_EQ(heard.differing, 0);  // the frame re-encodes bit for bit
        EXPECT_EQ(std::count(f.status.begin(), f.status.end(), 0), static_cast<long>(f.status.size()));
        statuses += static_cast<int>(f.status.size());
        // LDU starts are exactly 864 symbols apart within a transmission.
        const bool ldu = f.duid == Duid::LDU1 || f.duid == Duid::LDU2;
        if (ldu && previous_ldu && at - previous_ldu < 900 * samples_per_symbol) {
            EXPECT_NEAR(static_cast<double>(at - previous_ldu), 8640.0, 5.0);
            ++ldu_spacings;
        }
        previous_ldu = ldu ? at : 0;
    }
    EXPECT_EQ(best.size(), 84u);
    EXPECT_EQ(counts, (std::map<Duid, int>{{Duid::HDU, 2}, {Duid::TDU, 2}, {Duid::LDU1, 41}, {Duid::LDU2, 39}}));
    EXPECT_EQ(statuses, 1946);
    EXPECT_EQ(ldu_spacings, 78);
}

}  // namespace
