// Soft symbols -> frames.  The search keeps the signs of the last 24
// symbols in a register and compares them with the frame sync (which holds
// only +3 and -3 symbols) in both polarities, so each symbol costs a shift
// and a popcount.  On a match the frame is collected in stages: the NID
// (which gives the DUID, hence the length), then for a TSDU each trellis
// block until the last-block flag, for a PDU the header block (whose
// blocks-to-follow gives the rest).  The levels of the sync symbols scale
// the frame to nominal +-3 before anything is decided.
#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstring>
#include <limits>

#include "layout.h"

namespace tessel_air {

using namespace layout;

namespace {

// The sync's symbol signs, first symbol in bit 23: 1 for +3 (dibit 01), 0 for -3 (dibit 11).
constexpr std::uint32_t Sync_signs() {
    std::uint32_t signs = 0;
    for (int k = 0; k < 24; ++k) signs = (signs << 1) | (((sync_word >> (46 - 2 * k)) & 3u) == 1 ? 1u : 0u);
    return signs;
}
constexpr std::uint32_t sync_signs = Sync_signs();
constexpr std::uint32_t sign_mask = 0xFFFFFF;
constexpr int sync_tolerance = 2;  // symbols of the sync allowed to be wrong

enum class Stage { nid, tsbk, pdu_header, body };

// A packet's header and its data blocks (at most 127 follow) fit the record.
static_assert(max_pdu_blocks <= P25::TSBK_PDU_data::max_blocks, "a PDU's blocks fit the record");

}  // namespace

struct Frame_decoder::Impl {
    Sink sink;
    Stats stats;
    Frame frame;

    // Search.
    std::uint32_t signs = 0;
    int filled = 0;  // symbols in the register, up to 24
    std::array<float, 24> recent{};
    std::array<double, 24> recent_positions{};
    std::array<Symbol_costs, 24> recent_costs{};

    // The frame being collected: raw symbols from its first sync symbol.
    bool collecting = false;
    Stage stage = Stage::nid;
    std::vector<float> raw;
    std::vector<double> raw_positions;  // where each of raw lies in the input
    std::vector<Symbol_costs> raw_costs;  // each of raw's dibit costs, when the receiver gives them
    std::size_t needed = 0;
    std::size_t erased_from = ~std::size_t{0};  // Flush: symbols from here on are unknown
    float polarity = 1, offset = 0, scale = 1;
    std::uint16_t last_nac = 0;
    std::size_t tsbks = 0;
    std::size_t pdu_blocks = 0;
    bool pdu_confirmed = false;
    layout::Fec_tally tally;
    std::vector<std::uint8_t> packet;  // a PDU's user data, pad and CRC-32
    std::vector<Trellis_result> block_results;  // a PDU's data blocks, counted once the packet CRC is known

    Impl(Sink s) : sink(std::move(s)) {
        raw.reserve(max_frame_on_air);
        raw_positions.reserve(max_frame_on_air);
        raw_costs.reserve(max_frame_on_air);
        frame.status.reserve(max_frame_on_air / status_period);
        frame.pdu_blocks.reserve(max_pdu_blocks);
        packet.reserve(max_pdu_blocks * 16);
        block_results.reserve(max_pdu_blocks);
    }

    // The frame's on-air symbol j, scaled to nominal levels and polarity.
    float Symbol(std::size_t j) const {
        if (j >= erased_from || j >= raw.size()) return 0.0f;
        return (polarity * raw[j] - offset) * scale;
    }
    void Soft(std::size_t first_data, std::size_t count, float* out) const {
        for (std::size_t i = 0; i < count; ++i) out[i] = Symbol(On_air_index(first_data + i));
    }
    void Hard(std::size_t first_data, std::size_t count, std::uint8_t* out) const {
        for (std::size_t i = 0; i < count; ++i) out[i] = Slice(Symbol(On_air_index(first_data + i)));
    }
    // A trellis block from its dibit costs when every symbol has them (an
    // erased symbol costs nothing either way), else from its soft symbols.
    Trellis_result Trellis_block(std::size_t first_data, bool three_quarter, std::uint8_t* octets) const {
        Symbol_costs costs[block_dibits];
        bool costed = true;
        for (std::size_t i = 0; i < block_dibits && costed; ++i) {
            const std::size_t j = On_air_index(first_data + i);
            costs[i] = {};
            if (j >= erased_from || j >= raw.size()) continue;
            costed = !std::isnan(raw_costs[j][0]);
            // Inverted, each level is heard as its opposite: dibit d as d ^ 2.
            for (unsigned d = 0; d < 4; ++d) costs[i][d] = raw_costs[j][polarity > 0 ? d : d ^ 2u];
        }
        if (costed)
            return three_quarter ? Trellis_three_quarter_decode(costs, octets) : Trellis_half_decode(costs, octets);
        float soft[block_dibits];
        Soft(first_data, block_dibits, soft);
        return three_quarter ? Trellis_three_quarter_decode(soft, octets) : Trellis_half_decode(soft, octets);
    }

    void Feed(float s, double position, const Symbol_costs& costs, std::uint64_t index);
    void Start(bool inverted, std::uint64_t last_index);
    void Advance();
    void Abandon();
    bool Decode_nid();
    void Decode_tsbk(std::size_t b);
    void Decode_pdu_header();
    void Finish();
    void Decode_body();
    void Decode_ldu(bool ldu1);

    // Decodes a word the record is made of; the record is invalid when it fails.
    void Record_word(void (*decode)(const std::uint8_t*, std::uint8_t*, Fec_tally&), const std::uint8_t* dibits,
                     std::uint8_t* octets) {
        Fec_tally word;
        decode(dibits, octets, word);
        if (word.failed) frame.record_valid = false;
        tally.Add(word);
    }
};

void Frame_decoder::Impl::Feed(float s, double position, const Symbol_costs& costs, std::uint64_t index) {
    if (!std::isfinite(s)) s = 0.0f;
    if (collecting) {
        raw.push_back(s);
        raw_positions.push_back(position);
        raw_costs.push_back(costs);
        if (raw.size() >= needed) Advance();
        return;
    }
    signs = ((signs << 1) | (s > 0 ? 1u : 0u)) & sign_mask;
    recent[index % 24] = s;
    recent_positions[index % 24] = position;
    recent_costs[index % 24] = costs;
    if (filled < 24) ++filled;
    if (filled < 24) return;
    const int differing = static_cast<int>(std::bitset<24>(signs ^ sync_signs).count());
    if (differing <= sync_tolerance)
        Start(false, index);
    else if (differing >= 24 - sync_tolerance)
        Start(true, index);
}

void Frame_decoder::Impl::Start(bool inverted, std::uint64_t last_index) {
    const std::uint64_t first = last_index - 23;
    polarity = inverted ? -1.0f : 1.0f;
    raw.clear();
    raw_positions.clear();
    raw_costs.clear();
    for (int k = 0; k < 24; ++k) raw_positions.push_back(recent_positions[(first + k) % 24]);
    for (int k = 0; k < 24; ++k) raw_costs.push_back(recent_costs[(first + k) % 24]);
    // The levels of +3 and -3 from the sync symbols of the right sign (a
    // wrong one is an error the search tolerated, not a level).
    float high = 0, low = 0;
    int highs = 0, lows = 0;
    for (int k = 0; k < 24; ++k) {
        const float s = recent[(first + k) % 24];
        raw.push_back(s);
        const float v = polarity * s;
        if ((sync_signs >> (23 - k)) & 1u) {
            if (v > 0) {
                high += v;
                ++highs;
            }
        } else if (v <= 0) {
            low += v;
            ++lows;
        }
    }
    high = highs ? high / highs : 3.0f;
    low = lows ? low / lows : -3.0f;
    offset = (high + low) / 2;
    scale = high - low > 1e-6f ? 6.0f / (high - low) : 1.0f;
    collecting = true;
    stage = Stage::nid;
    needed = On_air_index(header_dibits - 1) + 1;
    erased_from = ~std::size_t{0};

    frame.symbol_index = first;
    frame.position = raw_positions[0];
    frame.inverted = inverted;
    frame.complete = true;
    frame.record_valid = true;
    frame.nid_errors = frame.fec_corrected = frame.fec_failed = frame.crc_failed = 0;
    frame.voice_corrected = frame.voice_failed = 0;
    frame.pdu_packet_crc_ok = true;
    frame.pdu_blocks.clear();
    frame.status.clear();
    static const Ldu_voice no_voice;
    frame.voice = no_voice;
    std::memset(&frame.record, 0, sizeof frame.record);
    tally = {};
    tsbks = pdu_blocks = 0;
}

// The match was not a frame: search again through what was collected after its first symbol.
void Frame_decoder::Impl::Abandon() {
    const std::vector<float> again(raw.begin() + 1, raw.end());
    const std::vector<double> again_positions(raw_positions.begin() + 1, raw_positions.end());
    const std::vector<Symbol_costs> again_costs(raw_costs.begin() + 1, raw_costs.end());
    const std::uint64_t first = frame.symbol_index + 1;
    collecting = false;
    filled = 0;
    signs = 0;
    for (std::size_t k = 0; k < again.size(); ++k) Feed(again[k], again_positions[k], again_costs[k], first + k);
}

void Frame_decoder::Impl::Advance() {
    while (collecting && raw.size() >= needed) {
        switch (stage) {
        case Stage::nid:
            if (!Decode_nid()) {
                Abandon();
                return;
            }
            break;
        case Stage::tsbk:
            Decode_tsbk(tsbks++);
            if ((frame.record.tsbk.tsbk[tsbks - 1].data[0] & 0x80) || tsbks == max_tsbks) {
                frame.record.tsbk.block_count = static_cast<std::uint32_t>(tsbks);
                stage = Stage::body;
                needed = On_air_length(header_dibits + tsbks * block_dibits);
            } else {
                needed = On_air_index(header_dibits + (tsbks + 1) * block_dibits - 1) + 1;
            }
            break;
        case Stage::pdu_header:
            Decode_pdu_header();
            stage = Stage::body;
            needed = On_air_length(header_dibits + (1 + pdu_blocks) * block_dibits);
            break;
        case Stage::body:
            Finish();
            return;
        }
    }
}

bool Frame_decoder::Impl::Decode_nid() {
    std::uint8_t dibits[nid_dibits];
    Hard(sync_dibits, nid_dibits, dibits);
    Dibit_reader in(dibits);
    const std::uint64_t word = in.Get(64);
    std::uint16_t nac = 0;
    std::uint8_t duid = 0;
    int errors = 0;
    if (!Nid_decode(word, nac, duid, errors, last_nac)) return false;
    last_nac = nac;
    frame.nac = nac;
    frame.duid = static_cast<Duid>(duid);
    frame.nid_errors = errors;
    switch (frame.duid) {
    case Duid::HDU: needed = On_air_length(hdu_data); stage = Stage::body; break;
    case Duid::LDU1:
    case Duid::LDU2: needed = On_air_length(ldu_data); stage = Stage::body; break;
    case Duid::TDU: needed = On_air_length(tdu_data); stage = Stage::body; break;
    case Duid::TDULC: needed = On_air_length(tdulc_data); stage = Stage::body; break;
    case Duid::TSDU:
    case Duid::PDU:
        stage = frame.duid == Duid::TSDU ? Stage::tsbk : Stage::pdu_header;
        needed = On_air_index(header_dibits + block_dibits - 1) + 1;
        break;
    }
    return true;
}

namespace {

// A trellis block is failed when the check that covers it fails (its CRC, or
// the packet's), else corrected when the path left a channel bit, else clean.
void Count_block(const Trellis_result& r, bool checked_ok, layout::Fec_tally& tally) {
    ++tally.codewords;
    tally.channel_bits += 2 * static_cast<int>(block_dibits);
    tally.bits_corrected += r.bits_corrected;
    if (!r.ok || !checked_ok)
        ++tally.failed;
    else if (r.bits_corrected)
        ++tally.corrected_words;
}

bool Crc16_ok(const std::uint8_t* block) { return Crc16(block, 10) == (block[10] << 8 | block[11]); }

}  // namespace

void Frame_decoder::Impl::Decode_tsbk(std::size_t b) {
    std::uint8_t* block = frame.record.tsbk.tsbk[b].data;
    const Trellis_result r = Trellis_block(header_dibits + b * block_dibits, false, block);
    const bool crc_ok = Crc16_ok(block);
    Count_block(r, crc_ok, tally);
    if (!crc_ok) {
        ++frame.crc_failed;
        ++stats.tsbk_crc_failed;
    }
}

void Frame_decoder::Impl::Decode_pdu_header() {
    std::uint8_t* header = frame.record.tsbk.tsbk[0].data;
    const Trellis_result r = Trellis_block(header_dibits, false, header);
    const bool crc_ok = Crc16_ok(header);
    Count_block(r, crc_ok, tally);
    frame.record.tsbk.block_count = 1;
    if (!crc_ok) {
        // Without a sound header the block count is unknown: the frame ends here.
        ++frame.crc_failed;
        ++stats.pdu_crc_failed;
        pdu_blocks = 0;
        return;
    }
    pdu_blocks = header[6] & 0x7Fu;
    pdu_confirmed = (header[0] & 0x1Fu) == static_cast<unsigned>(Pdu_format::confirmed);
}

void Frame_decoder::Impl::Decode_body() {
    switch (frame.duid) {
    case Duid::HDU: {
        std::uint8_t dibits[324], word[15];
        Hard(header_dibits, sizeof dibits, dibits);
        Record_word(Hdu_decode, dibits, word);
        P25::p25_Voice_Hdr& r = frame.record.voice_header;
        std::memcpy(r.mi.bytes, word, 9);
        r.mfid = word[9];
        r.algid = word[10];
        r.key_id = static_cast<std::uint16_t>(word[11] << 8 | word[12]);
        r.tgid = static_cast<std::uint16_t>(word[13] << 8 | word[14]);
        break;
    }
    case Duid::LDU1:
    case Duid::LDU2:
        Decode_ldu(frame.duid == Duid::LDU1);
        break;
    case Duid::TDULC: {
        std::uint8_t dibits[144];
        Hard(header_dibits, sizeof dibits, dibits);
        Record_word(Tdulc_decode, dibits, frame.record.termlc.lc.bytes);
        break;
    }
    case Duid::TDU:
    case Duid::TSDU:
        break;
    case Duid::PDU: {
        std::vector<std::uint8_t>& user = packet;
        user.clear();
        block_results.clear();
        for (std::size_t b = 0; b < pdu_blocks; ++b) {
            const std::size_t first_data = header_dibits + (1 + b) * block_dibits;
            Pdu_block block;
            if (pdu_confirmed) {
                block.size = 18;
                block_results.push_back(Trellis_block(first_data, true, block.octets.data()));
                const std::uint16_t sent = static_cast<std::uint16_t>((block.octets[0] & 1u) << 8 | block.octets[1]);
                block.crc_ok = Crc9(block.octets[0] >> 1, block.octets.data() + 2) == sent;
                user.insert(user.end(), block.octets.begin() + 2, block.octets.end());
            } else {
                block.size = 12;
                block_results.push_back(Trellis_block(first_data, false, block.octets.data()));
                user.insert(user.end(), block.octets.begin(), block.octets.begin() + 12);
                P25::P25_TSBK_DATA& slot = frame.record.tsbk.tsbk[b + 1];
                std::memcpy(slot.data, block.octets.data(), sizeof slot.data);
            }
            if (!block.crc_ok) {
                ++frame.crc_failed;
                ++stats.pdu_crc_failed;
            }
            frame.pdu_blocks.push_back(block);
        }
        if (!pdu_confirmed) frame.record.tsbk.block_count = static_cast<std::uint32_t>(1 + pdu_blocks);
        if (user.size() >= 4) {
            const std::size_t n = user.size() - 4;
            const std::uint32_t sent = static_cast<std::uint32_t>(user[n]) << 24 | user[n + 1] << 16 | user[n + 2] << 8 | user[n + 3];
            frame.pdu_packet_crc_ok = Crc32(user.data(), n) == sent;
            if (!frame.pdu_packet_crc_ok) {
                ++frame.crc_failed;
                ++stats.pdu_crc_failed;
            }
        }
        // A confirmed block has its own CRC; the blocks of an unconfirmed
        // packet have only the packet's.
        for (std::size_t b = 0; b < block_results.size(); ++b)
            Count_block(block_results[b], pdu_confirmed ? frame.pdu_blocks[b].crc_ok : frame.pdu_packet_crc_ok, tally);
        break;
    }
    }
}

void Frame_decoder::Impl::Decode_ldu(bool ldu1) {
    std::uint8_t pieces[6 * piece_dibits];
    for (const Ldu_slot& slot : ldu_slots) {
        switch (slot.part) {
        case Ldu_part::voice: {
            std::uint8_t dibits[voice_dibits];
            Hard(slot.start, voice_dibits, dibits);
            std::uint32_t* c = frame.voice.vc[slot.number].c.data();
            Imbe_gather(dibits, c);
            int corrected = 0, failed = 0;
            Imbe_check(c, corrected, failed);
            frame.voice_corrected += corrected;
            frame.voice_failed += failed;
            break;
        }
        case Ldu_part::piece:
            Hard(slot.start, piece_dibits, pieces + piece_dibits * slot.number);
            break;
        case Ldu_part::lsd: {
            std::uint8_t dibits[lsd_dibits];
            Hard(slot.start, lsd_dibits, dibits);
            Lsd_decode(dibits, frame.voice.lsd.data(), tally);
            break;
        }
        }
    }
    if (ldu1) {
        Record_word(Lc_pieces_decode, pieces, frame.record.ldu1.lc.bytes);
    } else {
        std::uint8_t es[12];
        Record_word(Es_pieces_decode, pieces, es);
        P25::p25_Ldu2& r = frame.record.ldu2;
        std::memcpy(r.mi.bytes, es, 9);
        r.algid = es[9];
        r.key_id = static_cast<std::uint16_t>(es[10] << 8 | es[11]);
    }
}

void Frame_decoder::Impl::Finish() {
    Decode_body();
    for (std::size_t j = status_period - 1; j < needed; j += status_period) frame.status.push_back(Slice(Symbol(j)));

    P25::DUID_Header& header = frame.record.header;
    header.nid.nac = frame.nac;
    header.nid.duid = static_cast<std::uint32_t>(frame.duid);
    header.statuses.count = static_cast<std::uint32_t>(std::min(frame.status.size(), P25::Status_symbols::capacity));
    for (std::size_t k = 0; k < header.statuses.count; ++k) header.statuses.syms[k] = frame.status[k];

    frame.fec_corrected = tally.bits_corrected;
    frame.fec_failed = tally.failed;

    ++stats.frames;
    ++stats.frames_by_duid[static_cast<std::size_t>(frame.duid) & 0xF];
    if (frame.inverted) ++stats.inverted_frames;
    if (!frame.record_valid) ++stats.records_invalid;
    if (frame.nid_errors) ++stats.nid_corrected;
    stats.nid_bits_corrected += static_cast<std::uint64_t>(frame.nid_errors);
    stats.codewords += static_cast<std::uint64_t>(tally.codewords);
    stats.codewords_corrected += static_cast<std::uint64_t>(tally.corrected_words);
    stats.codewords_failed += static_cast<std::uint64_t>(tally.failed);
    stats.voice_bits_corrected += static_cast<std::uint64_t>(frame.voice_corrected);
    stats.voice_vectors_failed += static_cast<std::uint64_t>(frame.voice_failed);
    const bool ldu = frame.duid == Duid::LDU1 || frame.duid == Duid::LDU2;
    stats.channel_bits += 64 + static_cast<std::uint64_t>(tally.channel_bits) + (ldu ? 9 * (4 * 23 + 3 * 15) : 0);
    stats.channel_bits_corrected += static_cast<std::uint64_t>(frame.nid_errors + tally.bits_corrected +
                                                               frame.voice_corrected);

    collecting = false;
    filled = 0;
    signs = 0;
    if (sink) sink(frame);
}

Frame_decoder::Frame_decoder(Sink sink) : impl_(new Impl(std::move(sink))) {}
Frame_decoder::~Frame_decoder() = default;

void Frame_decoder::Push(const float* symbols, const double* positions, std::size_t count,
                         const Symbol_costs* costs) {
    if (!symbols) return;
    Impl& d = *impl_;
    constexpr float none = std::numeric_limits<float>::quiet_NaN();
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint64_t index = d.stats.symbols++;
        d.Feed(symbols[k], positions ? positions[k] : static_cast<double>(index),
               costs ? costs[k] : Symbol_costs{none, none, none, none}, index);
    }
}

void Frame_decoder::Flush() {
    Impl& d = *impl_;
    if (d.collecting && d.stage != Stage::nid) {
        d.erased_from = d.raw.size();
        d.frame.complete = false;
        while (d.collecting) {
            d.raw.resize(d.needed, 0.0f);
            d.raw_positions.resize(d.needed, d.raw_positions.back());
            d.raw_costs.resize(d.needed);
            d.Advance();
        }
    }
    d.collecting = false;
    d.filled = 0;
    d.signs = 0;
}

const Frame_decoder::Stats& Frame_decoder::Statistics() const { return impl_->stats; }

}  // namespace tessel_air
