// Records -> dibits: sync, NID, the coded payload, nulls to the status grid,
// and a status symbol after every 35 data dibits.
#include <algorithm>
#include <cstring>

#include "layout.h"

namespace tessel_air {

using namespace layout;

namespace {

std::uint16_t Nac_of(const P25::DUID_Header& header) { return static_cast<std::uint16_t>(header.nid.nac & 0xFFFu); }

void Put_ldu_parts(const std::uint8_t* pieces120, const Ldu_voice& voice, std::uint8_t* payload) {
    for (const Ldu_slot& slot : ldu_slots) {
        std::uint8_t* at = payload + (slot.start - header_dibits);
        switch (slot.part) {
        case Ldu_part::voice:
            Imbe_place(voice.vc[slot.number].c.data(), at);
            break;
        case Ldu_part::piece:
            std::memcpy(at, pieces120 + piece_dibits * slot.number, piece_dibits);
            break;
        case Ldu_part::lsd:
            Lsd_encode(voice.lsd.data(), at);
            break;
        }
    }
}

}  // namespace

Frame_encoder::Frame_encoder(Status_plan plan) : plan_(plan) {}

std::size_t Tsdu_blocks(const P25::TSBK_PDU_data& run, std::size_t first) {
    const std::size_t count = std::min<std::size_t>(run.block_count, P25::TSBK_PDU_data::max_blocks);
    std::size_t n = 0;
    while (first + n < count && n < max_tsbks)
        if (run.tsbk[first + n++].data[0] & 0x80u) break;
    return n;
}

std::uint8_t Frame_encoder::Next_status(std::size_t index) {
    const std::uint64_t grid = status_count_++;
    if (frame_status_) return index < frame_status_->size() ? (*frame_status_)[index] & 3 : 0;
    const std::size_t given = status_offset_ + index;
    if (record_status_ && given < record_status_->count && given < P25::Status_symbols::capacity)
        return record_status_->syms[given] & 3;
    switch (plan_) {
    case Status_plan::talkaround:
    case Status_plan::from_record:
        return 0;
    case Status_plan::repeater:
        return 2;
    case Status_plan::busy:
        return 1;
    case Status_plan::control_channel:
        return grid % 6 == 0 ? 3 : 2;
    }
    return 0;
}

std::vector<std::uint8_t> Frame_encoder::Assemble(std::uint16_t nac, Duid duid, const std::vector<std::uint8_t>& payload,
                                                  std::size_t data_dibits) {
    const std::size_t on_air = On_air_length(data_dibits);
    std::vector<std::uint8_t> data(on_air / status_period * data_per_status, 0);
    Dibit_writer head(data.data());
    head.Put(sync_word, 48);
    head.Put(Nid_encode(nac, static_cast<std::uint8_t>(duid)), 64);
    if (!payload.empty())
        std::memcpy(data.data() + header_dibits, payload.data(), std::min(payload.size(), data.size() - header_dibits));

    std::vector<std::uint8_t> frame(on_air);
    std::size_t next = 0, statuses = 0;
    for (std::size_t j = 0; j < on_air; ++j) frame[j] = Is_status(j) ? Next_status(statuses++) : data[next++];
    record_status_ = nullptr;
    frame_status_ = nullptr;
    status_offset_ = 0;
    return frame;
}

std::vector<std::uint8_t> Frame_encoder::Hdu(const P25::p25_Voice_Hdr& r) {
    std::uint8_t word[15];
    std::memcpy(word, r.mi.bytes, 9);
    word[9] = r.mfid;
    word[10] = r.algid;
    word[11] = static_cast<std::uint8_t>(r.key_id >> 8);
    word[12] = static_cast<std::uint8_t>(r.key_id);
    word[13] = static_cast<std::uint8_t>(r.tgid >> 8);
    word[14] = static_cast<std::uint8_t>(r.tgid);
    std::vector<std::uint8_t> payload(hdu_data - header_dibits, 0);
    Hdu_encode(word, payload.data());
    record_status_ = &r.header.statuses;
    return Assemble(Nac_of(r.header), Duid::HDU, payload, hdu_data);
}

std::vector<std::uint8_t> Frame_encoder::Ldu1(const P25::p25_Ldu1& r, const Ldu_voice& voice) {
    std::uint8_t pieces[6 * piece_dibits];
    Lc_pieces_encode(r.lc.bytes, pieces);
    std::vector<std::uint8_t> payload(ldu_data - header_dibits, 0);
    Put_ldu_parts(pieces, voice, payload.data());
    record_status_ = &r.header.statuses;
    return Assemble(Nac_of(r.header), Duid::LDU1, payload, ldu_data);
}

std::vector<std::uint8_t> Frame_encoder::Ldu2(const P25::p25_Ldu2& r, const Ldu_voice& voice) {
    std::uint8_t es[12];
    std::memcpy(es, r.mi.bytes, 9);
    es[9] = static_cast<std::uint8_t>(r.algid);
    es[10] = static_cast<std::uint8_t>(r.key_id >> 8);
    es[11] = static_cast<std::uint8_t>(r.key_id);
    std::uint8_t pieces[6 * piece_dibits];
    Es_pieces_encode(es, pieces);
    std::vector<std::uint8_t> payload(ldu_data - header_dibits, 0);
    Put_ldu_parts(pieces, voice, payload.data());
    record_status_ = &r.header.statuses;
    return Assemble(Nac_of(r.header), Duid::LDU2, payload, ldu_data);
}

std::vector<std::uint8_t> Frame_encoder::Tdu(const P25::p25_Term& r) {
    record_status_ = &r.header.statuses;
    return Assemble(Nac_of(r.header), Duid::TDU, {}, tdu_data);
}

std::vector<std::uint8_t> Frame_encoder::Tdulc(const P25::p25_TermLC& r) {
    std::vector<std::uint8_t> payload(144, 0);
    Tdulc_encode(r.lc.bytes, payload.data());
    record_status_ = &r.header.statuses;
    return Assemble(Nac_of(r.header), Duid::TDULC, payload, tdulc_data);
}

std::vector<std::uint8_t> Frame_encoder::Tsdu(const P25::TSBK_PDU_data& r) {
    std::vector<std::uint8_t> out;
    const std::vector<std::uint8_t>* frame_status = frame_status_;
    std::size_t sent_status = 0;
    for (std::size_t first = 0, blocks; (blocks = Tsdu_blocks(r, first)) > 0; first += blocks) {
        std::vector<std::uint8_t> payload(blocks * block_dibits);
        for (std::size_t b = 0; b < blocks; ++b) {
            const auto coded = Trellis_half_encode(r.tsbk[first + b].data);
            std::memcpy(payload.data() + b * block_dibits, coded.data(), block_dibits);
        }
        record_status_ = &r.header.statuses;
        frame_status_ = frame_status;
        status_offset_ = sent_status;
        const auto frame = Assemble(Nac_of(r.header), Duid::TSDU, payload, header_dibits + blocks * block_dibits);
        sent_status += frame.size() / status_period;
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

std::vector<std::uint8_t> Frame_encoder::Pdu(const std::array<std::uint8_t, 12>& header,
                                             const std::vector<Pdu_block>& blocks, std::uint16_t nac,
                                             const P25::Status_symbols* statuses) {
    const std::size_t count = std::min(blocks.size(), max_pdu_blocks - 1);
    std::vector<std::uint8_t> payload((count + 1) * block_dibits);
    auto coded = Trellis_half_encode(header.data());
    std::memcpy(payload.data(), coded.data(), block_dibits);
    for (std::size_t b = 0; b < count; ++b) {
        coded = blocks[b].size == 18 ? Trellis_three_quarter_encode(blocks[b].octets.data())
                                     : Trellis_half_encode(blocks[b].octets.data());
        std::memcpy(payload.data() + (b + 1) * block_dibits, coded.data(), block_dibits);
    }
    if (!frame_status_) record_status_ = statuses;
    return Assemble(nac, Duid::PDU, payload, header_dibits + payload.size());
}

std::vector<std::uint8_t> Frame_encoder::Encode(const Frame& f) {
    if (plan_ == Status_plan::from_record) frame_status_ = &f.status;
    std::vector<std::uint8_t> out;
    switch (f.duid) {
    case Duid::HDU:
        out = Hdu(f.record.voice_header);
        break;
    case Duid::LDU1:
        out = Ldu1(f.record.ldu1, f.voice);
        break;
    case Duid::LDU2:
        out = Ldu2(f.record.ldu2, f.voice);
        break;
    case Duid::TDU:
        out = Tdu(f.record.term);
        break;
    case Duid::TDULC:
        out = Tdulc(f.record.termlc);
        break;
    case Duid::TSDU:
        out = Tsdu(f.record.tsbk);
        break;
    case Duid::PDU: {
        std::array<std::uint8_t, 12> header{};
        std::memcpy(header.data(), f.record.tsbk.tsbk[0].data, 12);
        out = Pdu(header, f.pdu_blocks, f.nac);
        break;
    }
    }
    frame_status_ = nullptr;
    record_status_ = nullptr;
    return out;
}

}  // namespace tessel_air
