// Raw trunking entries: the blocks of a trunking data unit as the host
// handed them over ("TSBK", "PDU"), or one PDU block at a time
// ("PDU_Header", "PDU_Continuation"), logged before the decoded messages;
// and the same elements read from input documents.
#include <cstdio>

#include "P25_processing.h"
#include "Trunking_handler.h"

using namespace XML_routines;
using P25::TSBK_PDU_data;

namespace {

void Block_count_line(const char* operation, unsigned count) {
    std::fprintf(stderr, "%s %s block_count=%u\n", "System_interface", operation, count);
}

// Text of "PDU_Header" and "PDU_Continuation": the host's whole block array
// is written; reading takes the blocks the text holds and carries the first
// on (the count becomes 1, or 0 when the text holds none).
class Carried_block : public Access::Accessor<TSBK_PDU_data> {
public:
    bool Read(Format::Scanner& s, TSBK_PDU_data& r) const override {
        const long n = blocks_.Read_some(s, r.tsbk);
        if (n < 0) return false;
        r.block_count = n > 0 ? 1 : 0;
        return true;
    }
    void Write(Format::Printer& p, const TSBK_PDU_data& r) const override { blocks_.Write(p, r.tsbk); }

private:
    Access::DataArray<P25::P25_TSBK_DATA, TSBK_PDU_data::max_blocks> blocks_{"%02X "};
};

bool Is_block_element(const Info<TSBK_PDU_data>* info) { return info == &pdu_header_info || info == &pdu_cont_info; }

}  // namespace

template <>
bool Info<TSBK_PDU_data>::Finalize(TSBK_PDU_data& r, Input_data& input) const {
    if (Is_block_element(this) && r.block_count != 1) {
        input.Error_handler("Only 1 TSBK allowed\n", 2, nullptr);
        return false;
    }
    return true;
}

template <>
bool Info<TSBK_PDU_data>::Commit(TSBK_PDU_data& r, Input_data& input) const {
    const P25::Source_info& source = r.header.metadata;
    if (!input.Filters().Check(Log_protocol_raw, source.phys_channel)) return true;
    const bool received = source.dir_tx != 1;
    if (received) XML_Log(*this, r, source.phys_channel, Log_protocol_raw);
    if (this == &tsbk_info) {
        if (received) P25::Log_TSBKs(source, r.tsbk, r.block_count);
        P25::Receive_TSBK_from_XML(r);
    } else if (this == &pdu_info) {
        if (received) P25::Log_PDUs(source, r.tsbk, r.block_count);
        P25::Receive_PDU_from_XML(r);
    } else if (this == &pdu_cont_info) {
        P25::Receive_PDU_cont_from_XML(r);
    } else if (this == &pdu_header_info) {
        P25::Receive_PDU_header_from_XML(r);
    }
    return true;
}

namespace P25 {

namespace {

// A whole data unit: refused above 127 blocks; else the status symbols, the
// raw element, then the decoded messages.
void Log_whole(const Log_Dispatch_payload& payload, const char* operation, const Info<TSBK_PDU_data>& raw,
               void (*decode)(Source_info, const P25_TSBK_DATA*, unsigned)) {
    const TSBK_PDU_data& r = payload.tsbk;
    if (r.block_count > 127) return Block_count_line(operation, r.block_count);
    Log_Status_syms(r.header);
    XML_Log(raw, r, r.header.metadata.phys_channel, Log_protocol_raw);
    decode(r.header.metadata, r.tsbk, r.block_count);
}

// One block of a PDU fed block by block: the status symbols, the raw
// element, then the block to the channel's assembler (channels 0-3).
template <class Feed>
void Log_block(const Log_Dispatch_payload& payload, const Info<TSBK_PDU_data>& raw, Feed feed) {
    const TSBK_PDU_data& r = payload.tsbk;
    Log_Status_syms(r.header);
    XML_Log(raw, r, r.header.metadata.phys_channel, Log_protocol_raw);
    if (TDMA_PDU_assembler* a = Select(rf_rx_parsers, rf_tx_parsers, r.header.metadata)) feed(*a, r);
}

}  // namespace

void Log_TSBK(const Log_Dispatch_payload& payload) { Log_whole(payload, "Log_TSBK", tsbk_info, Log_TSBKs); }

void Log_PDU(const Log_Dispatch_payload& payload) { Log_whole(payload, "Log_PDU", pdu_info, Log_PDUs); }

void Log_PDU_header(const Log_Dispatch_payload& payload) {
    Log_block(payload, pdu_header_info, [](TDMA_PDU_assembler& a, const TSBK_PDU_data& r) {
        a.Parse_Multiblock_Header(r.tsbk[0], r.header.metadata);
    });
}

void Log_PDU_cont(const Log_Dispatch_payload& payload) {
    Log_block(payload, pdu_cont_info,
              [](TDMA_PDU_assembler& a, const TSBK_PDU_data& r) { a.Parse_Multiblock_Continuation(r.tsbk[0]); });
}

}  // namespace P25

namespace XML_routines {
namespace {

// The source attributes, then the network access code.
Attrib::Attrib_Table<TSBK_PDU_data> raw_attr_table[] = {
    Get_attrib(Source_info_attr).Of(&P25::DUID_Header::metadata).Of(&TSBK_PDU_data::header),
    Get_attrib("NAC", Get_Access(Access::Low_bits<12>(&P25::p25_Nid::nac), "%03X")).Of(&P25::DUID_Header::nid).Of(&TSBK_PDU_data::header),
};
const Attrib::Attrib_Hash<TSBK_PDU_data> raw_attr(raw_attr_table);

}  // namespace

const Info<TSBK_PDU_data> tsbk_info("/P25_log_data/TSBK", raw_attr,
                                    Get_Access(&TSBK_PDU_data::tsbk, &TSBK_PDU_data::block_count, "%02X "));
const Info<TSBK_PDU_data> pdu_info("/P25_log_data/PDU", raw_attr,
                                   Get_Access(&TSBK_PDU_data::tsbk, &TSBK_PDU_data::block_count, "%02X "));
const Info<TSBK_PDU_data> pdu_header_info("/P25_log_data/PDU_Header", raw_attr, new Carried_block);
const Info<TSBK_PDU_data> pdu_cont_info("/P25_log_data/PDU_Continuation", raw_attr, new Carried_block);

}  // namespace XML_routines
