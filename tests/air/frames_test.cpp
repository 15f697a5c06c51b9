// Frames: the published frame vectors in both directions, and encoder ->
// decoder round trips through noise, inversion and awkward streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "vectors.h"

using namespace tessel_air;

namespace {

std::vector<std::uint8_t> Digits(const char* s) {
    std::vector<std::uint8_t> d;
    for (; *s; ++s) d.push_back(static_cast<std::uint8_t>(*s - '0'));
    return d;
}

std::vector<std::uint8_t> Octets(const std::string& hex) {
    std::vector<std::uint8_t> o;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) o.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return o;
}

std::vector<float> Levels(const std::vector<std::uint8_t>& dibits, bool inverted = false) {
    static const float level[4] = {1, 3, -1, -3};
    std::vector<float> s;
    for (auto d : dibits) s.push_back(inverted ? -level[d] : level[d]);
    return s;
}

std::vector<Frame> Decode(const std::vector<float>& symbols, std::size_t chunk = 0,
                          Frame_decoder::Stats* stats = nullptr) {
    std::vector<Frame> frames;
    Frame_decoder decoder([&](const Frame& f) { frames.push_back(f); });
    if (!chunk) chunk = symbols.size();
    for (std::size_t at = 0; at < symbols.size(); at += chunk)
        decoder.Push(symbols.data() + at, std::min(chunk, symbols.size() - at));
    decoder.Flush();
    if (stats) *stats = decoder.Statistics();
    return frames;
}

P25::DUID_Header Header(std::uint8_t status, std::size_t count) {
    P25::DUID_Header h{};
    h.nid.nac = 0x293;
    h.statuses.count = static_cast<std::uint32_t>(count);
    for (std::size_t k = 0; k < count; ++k) h.statuses.syms[k] = status;
    return h;
}

const std::array<std::uint32_t, 8> vector_u = {0x123, 0x456, 0x789, 0xABC, 0x2AA, 0x555, 0x1F0, 0x05A};

Ldu_voice Voice(std::uint8_t lsd0, std::uint8_t lsd1) {
    Ldu_voice v;
    v.vc.fill(Imbe_encode(vector_u));
    v.lsd = {lsd0, lsd1};
    return v;
}

// The records of the published frames.
struct Published {
    const char* name;
    const char* dibits;
    Duid duid;
    std::vector<std::uint8_t> (*encode)(Frame_encoder&);
    void (*check)(const Frame&);
};

P25::TSBK_PDU_data Tsbks(const std::vector<std::string>& blocks) {
    P25::TSBK_PDU_data r{};
    r.header = Header(3, blocks.size() == 3 ? 10 : 5);
    for (std::size_t b = 0; b < blocks.size(); ++b) std::memcpy(r.tsbk[b].data, Octets(blocks[b]).data(), 12);
    r.block_count = static_cast<std::uint32_t>(blocks.size());
    return r;
}
const std::vector<std::string> three_tsbks = {"3400E505C06401EE89907FA6", "02000191253101912531742F",
                                              "B9000230057D04057D042508"};

P25::p25_Voice_Hdr Hdu_record() {
    P25::p25_Voice_Hdr r{};
    r.header = Header(0, 11);
    std::memcpy(r.mi.bytes, Octets("001122334455667788").data(), 9);
    r.mfid = 0;
    r.algid = 0x80;
    r.key_id = 0;
    r.tgid = 0x1234;
    return r;
}
P25::p25_Ldu1 Ldu1_record() {
    P25::p25_Ldu1 r{};
    r.header = Header(0, 24);
    std::memcpy(r.lc.bytes, Octets("000000001234ABCDEF").data(), 9);
    return r;
}
P25::p25_Ldu2 Ldu2_record() {
    P25::p25_Ldu2 r{};
    r.header = Header(0, 24);
    std::memcpy(r.mi.bytes, Octets("001122334455667788").data(), 9);
    r.algid = 0x80;
    r.key_id = 0;
    return r;
}
P25::p25_TermLC Tdulc_record() {
    P25::p25_TermLC r{};
    r.header = Header(0, 6);
    std::memcpy(r.lc.bytes, Octets("000000001234ABCDEF").data(), 9);
    return r;
}

void Expect_octets(const std::uint8_t* got, const std::string& hex) {
    const auto want = Octets(hex);
    EXPECT_EQ(std::vector<std::uint8_t>(got, got + want.size()), want);
}

const Published published[] = {
    {"TSDU of 3 TSBKs", air_vectors::tsdu3, Duid::TSDU,
     [](Frame_encoder& e) { return e.Tsdu(Tsbks(three_tsbks)); },
     [](const Frame& f) {
         ASSERT_EQ(f.record.tsbk.block_count, 3u);
         for (int b = 0; b < 3; ++b) Expect_octets(f.record.tsbk.tsbk[b].data, three_tsbks[b]);
     }},
    {"TSDU of 1 TSBK", air_vectors::tsdu1, Duid::TSDU,
     [](Frame_encoder& e) { return e.Tsdu(Tsbks({three_tsbks[2]})); },
     [](const Frame& f) {
         ASSERT_EQ(f.record.tsbk.block_count, 1u);
         Expect_octets(f.record.tsbk.tsbk[0].data, three_tsbks[2]);
     }},
    {"HDU", air_vectors::hdu, Duid::HDU, [](Frame_encoder& e) { return e.Hdu(Hdu_record()); },
     [](const Frame& f) {
         const auto& r = f.record.voice_header;
         Expect_octets(r.mi.bytes, "001122334455667788");
         EXPECT_EQ(r.mfid, 0);
         EXPECT_EQ(r.algid, 0x80);
         EXPECT_EQ(r.key_id, 0);
         EXPECT_EQ(r.tgid, 0x1234);
     }},
    {"LDU1", air_vectors::ldu1, Duid::LDU1, [](Frame_encoder& e) { return e.Ldu1(Ldu1_record(), Voice(0x5A, 0xC3)); },
     [](const Frame& f) {
         Expect_octets(f.record.ldu1.lc.bytes, "000000001234ABCDEF");
         EXPECT_EQ(f.voice.lsd, (std::array<std::uint8_t, 2>{0x5A, 0xC3}));
         for (const auto& vc : f.voice.vc) EXPECT_EQ(vc, Imbe_encode(vector_u));
     }},
    {"LDU2", air_vectors::ldu2, Duid::LDU2, [](Frame_encoder& e) { return e.Ldu2(Ldu2_record(), Voice(0x00, 0xFF)); },
     [](const Frame& f) {
         const auto& r = f.record.ldu2;
         Expect_octets(r.mi.bytes, "001122334455667788");
         EXPECT_EQ(r.algid, 0x80);
         EXPECT_EQ(r.key_id, 0);
         EXPECT_EQ(f.voice.lsd, (std::array<std::uint8_t, 2>{0x00, 0xFF}));
     }},
    {"TDULC", air_vectors::tdulc, Duid::TDULC, [](Frame_encoder& e) { return e.Tdulc(Tdulc_record()); },
     [](const Frame& f) { Expect_octets(f.record.termlc.lc.bytes, "000000001234ABCDEF"); }},
    {"TDU", air_vectors::tdu, Duid::TDU,
     [](Frame_encoder& e) {
         P25::p25_Term r{};
         r.header = Header(0, 2);
         return e.Tdu(r);
     },
     [](const Frame&) {}},
};

TEST(Frames, PublishedVectorsEncode) {
    for (const Published& p : published) {
        Frame_encoder encoder(Status_plan::from_record);
        EXPECT_EQ(p.encode(encoder), Digits(p.dibits)) << p.name;
    }
}

TEST(Frames, PublishedVectorsDecodeInBothPolarities) {
    for (const Published& p : published)
        for (bool inverted : {false, true}) {
            SCOPED_TRACE(std::string(p.name) + (inverted ? " inverted" : ""));
            const auto dibits = Digits(p.dibits);
            const auto frames = Decode(Levels(dibits, inverted));
            ASSERT_EQ(frames.size(), 1u);
            const Frame& f = frames[0];
            EXPECT_EQ(f.duid, p.duid);
            EXPECT_EQ(f.nac, 0x293);
            EXPECT_EQ(f.symbol_index, 0u);
            EXPECT_EQ(f.inverted, inverted);
            EXPECT_TRUE(f.complete);
            EXPECT_EQ(f.nid_errors + f.fec_corrected + f.fec_failed + f.crc_failed + f.voice_corrected + f.voice_failed, 0);
            EXPECT_EQ(f.record.header.nid.nac, 0x293u);
            EXPECT_EQ(f.record.header.nid.duid, static_cast<std::uint32_t>(p.duid));
            ASSERT_EQ(f.status.size(), dibits.size() / 36);
            for (std::size_t k = 0; k < f.status.size(); ++k) EXPECT_EQ(f.status[k], dibits[36 * k + 35]);
            EXPECT_EQ(f.record.header.statuses.count, std::min<std::size_t>(f.status.size(), 24));
            p.check(f);
            Frame_encoder again(Status_plan::from_record);
            EXPECT_EQ(again.Encode(f), dibits);
        }
}

// A stream of frames with idle symbols between them, symbol errors in each,
// fed in awkward chunks, in both polarities: every frame comes back with its
// index, the errors counted, and re-encodes to what was sent.
// Where the round trip puts its payload errors: in a coded part of each frame
// type (and, for an LDU, one in a voice codeword at on-air 100).
std::vector<std::size_t> Payload_errors(Duid duid, std::size_t size) {
    switch (duid) {
    case Duid::LDU1:
    case Duid::LDU2: return {210, 100};
    case Duid::HDU:
    case Duid::TDULC: return {100};
    case Duid::TDU: return {};
    default: return {size - 40};
    }
}

std::uint8_t Slice_back(float s, bool inverted) {
    if (inverted) s = -s;
    return s >= 2 ? 1 : s >= 0 ? 0 : s >= -2 ? 2 : 3;
}

TEST(Frames, RoundTripThroughErrors) {
    struct Sent { Duid duid; std::vector<std::uint8_t> dibits; std::size_t at; };
    Frame_encoder encoder(Status_plan::talkaround);
    std::vector<Sent> sent;
    std::vector<std::uint8_t> stream;
    std::mt19937 rng(25);
    auto add = [&](Duid duid, std::vector<std::uint8_t> dibits) {
        for (int k = 0; k < 37; ++k) stream.push_back(static_cast<std::uint8_t>(rng() % 4));
        sent.push_back({duid, dibits, stream.size()});
        stream.insert(stream.end(), dibits.begin(), dibits.end());
    };
    add(Duid::HDU, encoder.Hdu(Hdu_record()));
    add(Duid::LDU1, encoder.Ldu1(Ldu1_record(), Voice(1, 2)));
    add(Duid::LDU2, encoder.Ldu2(Ldu2_record(), Voice(3, 4)));
    add(Duid::TDULC, encoder.Tdulc(Tdulc_record()));
    P25::p25_Term term{};
    term.header = Header(0, 2);
    add(Duid::TDU, encoder.Tdu(term));
    add(Duid::TSDU, encoder.Tsdu(Tsbks(three_tsbks)));
    add(Duid::TSDU, encoder.Tsdu(Tsbks({three_tsbks[0], three_tsbks[1]})));
    std::array<std::uint8_t, 12> header{};
    const auto unconfirmed = Octets("15FD00000001820000000000");  // format 0x15, SAP 0x3D, 2 blocks
    std::memcpy(header.data(), unconfirmed.data(), 12);
    const std::uint16_t crc = Crc16(header.data(), 10);
    header[10] = static_cast<std::uint8_t>(crc >> 8);
    header[11] = static_cast<std::uint8_t>(crc);
    std::vector<Pdu_block> blocks(2);
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 12; ++i) blocks[b].octets[i] = static_cast<std::uint8_t>(16 * b + i);
    std::uint8_t user[24];
    for (int i = 0; i < 20; ++i) user[i] = blocks[i / 12].octets[i % 12];
    const std::uint32_t packet_crc = Crc32(user, 20);
    for (int i = 0; i < 4; ++i) blocks[1].octets[8 + i] = static_cast<std::uint8_t>(packet_crc >> (24 - 8 * i));
    add(Duid::PDU, encoder.Pdu(header, blocks, 0x293));
    for (int k = 0; k < 50; ++k) stream.push_back(static_cast<std::uint8_t>(rng() % 4));

    for (bool inverted : {false, true}) {
        SCOPED_TRACE(inverted ? "inverted" : "normal");
        auto symbols = Levels(stream, inverted);
        // A symbol error in C4FM is a neighbouring level: +3 <-> +1, +1 <-> -1, -1 <-> -3 (one bit).
        auto neighbour = [&](std::size_t at) {
            float& s = symbols[at];
            const float sign = inverted ? -1.0f : 1.0f;
            const float level = s * sign;
            s = sign * (level == 3 ? 1.0f : level == -3 ? -1.0f : -level);
        };
        for (const Sent& s : sent) {
            symbols[s.at + 7] = -symbols[s.at + 7];  // a sync symbol of the wrong sign
            neighbour(s.at + 40);                    // a NID bit
            for (std::size_t j : Payload_errors(s.duid, s.dibits.size())) neighbour(s.at + j);
        }
        Frame_decoder::Stats stats;
        const auto frames = Decode(symbols, 97, &stats);
        ASSERT_EQ(frames.size(), sent.size());
        EXPECT_EQ(stats.symbols, stream.size());
        EXPECT_EQ(stats.frames, sent.size());
        EXPECT_EQ(stats.frames_by_duid[static_cast<int>(Duid::TSDU)], 2u);
        EXPECT_EQ(stats.frames_by_duid[static_cast<int>(Duid::LDU1)], 1u);
        EXPECT_EQ(stats.inverted_frames, inverted ? sent.size() : 0u);
        EXPECT_EQ(stats.nid_corrected, sent.size());
        EXPECT_EQ(stats.codewords_failed, 0u);
        EXPECT_EQ(stats.voice_bits_corrected, 2u);
        // NID, payload and voice errors: one bit each.
        EXPECT_EQ(stats.channel_bits_corrected, sent.size() + (sent.size() - 1) + 2);
        EXPECT_GT(stats.Bit_error_rate(), 0.0);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const Frame& f = frames[i];
            SCOPED_TRACE(Duid_name(sent[i].duid));
            EXPECT_EQ(f.duid, sent[i].duid);
            EXPECT_EQ(f.nac, 0x293);
            EXPECT_EQ(f.symbol_index, sent[i].at);
            EXPECT_EQ(f.inverted, inverted);
            EXPECT_EQ(f.nid_errors, 1);
            EXPECT_EQ(f.fec_failed, 0);
            EXPECT_EQ(f.fec_corrected, sent[i].duid == Duid::TDU ? 0 : 1);
            // Voice is carried as heard: its error is counted, and sent on again.
            auto expected = sent[i].dibits;
            if (f.duid == Duid::LDU1 || f.duid == Duid::LDU2) {
                EXPECT_EQ(f.voice_corrected, 1);
                expected[100] = Slice_back(symbols[sent[i].at + 100], inverted);
            }
            Frame_encoder again(Status_plan::from_record);
            EXPECT_EQ(again.Encode(f), expected);
        }
        EXPECT_EQ(frames[7].record.tsbk.block_count, 3u);  // the PDU: header and two blocks
        EXPECT_TRUE(frames[7].pdu_packet_crc_ok);
    }
}

TEST(Frames, ConfirmedPduRoundTrip) {
    std::array<std::uint8_t, 12> header{};
    const auto octets = Octets("5600000000018100");  // confirmed, outbound, 1 block to follow
    std::memcpy(header.data(), octets.data(), octets.size());
    const std::uint16_t crc = Crc16(header.data(), 10);
    header[10] = static_cast<std::uint8_t>(crc >> 8);
    header[11] = static_cast<std::uint8_t>(crc);
    std::vector<Pdu_block> blocks(1);
    blocks[0].size = 18;
    for (int i = 0; i < 12; ++i) blocks[0].octets[2 + i] = static_cast<std::uint8_t>(0xA0 + i);
    const std::uint32_t packet_crc = Crc32(blocks[0].octets.data() + 2, 12);
    for (int i = 0; i < 4; ++i) blocks[0].octets[14 + i] = static_cast<std::uint8_t>(packet_crc >> (24 - 8 * i));
    const std::uint16_t crc9 = Crc9(0x05, blocks[0].octets.data() + 2);
    blocks[0].octets[0] = static_cast<std::uint8_t>(0x05 << 1 | crc9 >> 8);
    blocks[0].octets[1] = static_cast<std::uint8_t>(crc9);

    Frame_encoder encoder;
    const auto dibits = encoder.Pdu(header, blocks, 0x123);
    EXPECT_EQ(dibits.size(), 36u * 8);  // 56 + 2 x 98 = 252 data dibits: 8 microslots
    const auto frames = Decode(Levels(dibits));
    ASSERT_EQ(frames.size(), 1u);
    const Frame& f = frames[0];
    EXPECT_EQ(f.duid, Duid::PDU);
    EXPECT_EQ(f.nac, 0x123);
    ASSERT_EQ(f.pdu_blocks.size(), 1u);
    EXPECT_EQ(f.pdu_blocks[0].octets, blocks[0].octets);
    EXPECT_TRUE(f.pdu_blocks[0].crc_ok);
    EXPECT_TRUE(f.pdu_packet_crc_ok);
    EXPECT_EQ(f.record.tsbk.block_count, 1u);
    EXPECT_EQ(Frame_encoder(Status_plan::from_record).Encode(f), dibits);
}

// A TSBK whose CRC fails still reaches the sink, flagged, with its octets as heard.
TEST(Frames, BadTsbkCrcIsKept) {
    auto record = Tsbks({three_tsbks[0]});
    record.tsbk[0].data[11] ^= 1;
    Frame_encoder encoder(Status_plan::control_channel);
    const auto frames = Decode(Levels(encoder.Tsdu(record)));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].crc_failed, 1);
    EXPECT_EQ(frames[0].fec_failed, 1);
    EXPECT_TRUE(Sent_by_base_station(frames[0]));
    record.tsbk[0].data[0] |= 0x80;  // the encoder marks the last block; the CRC, wrong already, stays as given
    EXPECT_EQ(std::memcmp(frames[0].record.tsbk.tsbk[0].data, record.tsbk[0].data, 12), 0);
}

// The control-channel grid: 11 on every sixth status symbol, 10 on the
// others, running on from one frame into the next.
TEST(Frames, ControlChannelStatusGrid) {
    Frame_encoder encoder(Status_plan::control_channel);
    auto stream = encoder.Tsdu(Tsbks(three_tsbks));
    const auto second = encoder.Tsdu(Tsbks({three_tsbks[2]}));
    stream.insert(stream.end(), second.begin(), second.end());
    ASSERT_EQ(stream.size(), 360u + 180u);
    for (std::size_t k = 0; k < stream.size() / 36u; ++k) EXPECT_EQ(stream[36 * k + 35], k % 6 == 0 ? 3u : 2u) << k;
    // Four blocks go out as a TSDU of three and one of one, each with its last-block flag.
    auto four = Tsbks({three_tsbks[0], three_tsbks[1], three_tsbks[0], three_tsbks[1]});
    const auto frames = Decode(Levels(Frame_encoder().Tsdu(four)));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].record.tsbk.block_count, 3u);
    EXPECT_EQ(frames[1].record.tsbk.block_count, 1u);
    EXPECT_EQ(frames[0].crc_failed + frames[1].crc_failed, 0);
    EXPECT_TRUE(frames[1].record.tsbk.tsbk[0].data[0] & 0x80);
    EXPECT_FALSE(frames[0].record.tsbk.tsbk[1].data[0] & 0x80);
}

// Gaussian noise on a TSDU: the soft decoder recovers more TSBKs (CRC good)
// than the same Viterbi search on hard decisions.
TEST(Frames, SoftDecisionBeatsHard) {
    const auto dibits = Digits(air_vectors::tsdu3);
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

// Streams that are not P25 never crash or hang and yield nothing, and a
// stream cut inside a frame yields it incomplete on Flush.
TEST(Frames, HostileStreams) {
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

    const auto ldu = Digits(air_vectors::ldu1);
    const auto cut = Levels(std::vector<std::uint8_t>(ldu.begin(), ldu.begin() + 500));
    const auto frames = Decode(cut);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FALSE(frames[0].complete);
    EXPECT_EQ(frames[0].duid, Duid::LDU1);
    EXPECT_EQ(frames[0].status.size(), 24u);
    // Only sync and a few NID dibits: nothing to emit.
    const auto short_cut = Levels(std::vector<std::uint8_t>(ldu.begin(), ldu.begin() + 40));
    EXPECT_TRUE(Decode(short_cut).empty());
}

// A packet header promising the most blocks, then the stream ends: the
// missing blocks are erasures, and the frame comes out incomplete and failed.
TEST(Frames, PacketCutShort) {
    std::array<std::uint8_t, 12> header{};
    header[0] = 0x15;
    header[6] = 0xFF;  // full message, 127 blocks to follow
    const std::uint16_t crc = Crc16(header.data(), 10);
    header[10] = static_cast<std::uint8_t>(crc >> 8);
    header[11] = static_cast<std::uint8_t>(crc);
    const auto frames = Decode(Levels(Frame_encoder().Pdu(header, {}, 0x293)));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FALSE(frames[0].complete);
    EXPECT_EQ(frames[0].pdu_blocks.size(), 127u);
    EXPECT_EQ(frames[0].record.tsbk.block_count, 128u);
    EXPECT_FALSE(frames[0].pdu_packet_crc_ok);
    EXPECT_GT(frames[0].fec_failed, 0);
}

// Scaled and offset symbols (a receiver's gain and DC) decode the same.
TEST(Frames, LevelsFromTheSync) {
    auto symbols = Levels(Digits(air_vectors::hdu));
    for (auto& s : symbols) s = 0.37f * s + 0.2f;
    const auto frames = Decode(symbols);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].fec_corrected, 0);
    EXPECT_EQ(frames[0].record.voice_header.tgid, 0x1234);
}

}  // namespace
