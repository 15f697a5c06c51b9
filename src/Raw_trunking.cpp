// Raw trunking entries: the blocks of a trunking data unit as the host
// handed them over ("TSBK", "PDU"), or one PDU block at a time
// ("PDU_Header", "PDU_Continuation"), logged before the decoded messages;
// and the same elements read from input documents.
#include <cctype>
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

// Text of "TSBK" and "PDU": whole blocks of 12 octets, as many as the text
// holds.  A text of octets that are no whole number of blocks is refused
// with its count, so that the report says what is missing.
class Whole_blocks : public Access::Accessor<TSBK_PDU_data> {
public:
    bool Read(Format::Scanner& s, TSBK_PDU_data& r) const override {
        const std::size_t start = s.Save();
        const long n = blocks_.Read_some(s, r.tsbk);
        if (n >= 0) {
            r.block_count = static_cast<std::uint32_t>(n);
            return true;
        }
        s.Reset(start);
        const long octets = Octets(s.Text());
        if (octets < 0) return false;
        return s.Error("%ld octet%s: the blocks of a data unit are 12 octets each", octets, octets == 1 ? "" : "s");
    }
    void Write(Format::Printer& p, const TSBK_PDU_data& r) const override {
        blocks_.Write(p, r.tsbk, r.block_count);
    }
    void Describe(Value_description& d) const override { blocks_.Describe(d, false); }

private:
    // The octets of a text of hexadecimal pairs (blanks between pairs
    // allowed); -1 for any other text.
    static long Octets(const char* text) {
        long digits = 0;
        for (const char* c = text; *c; ++c) {
            if (*c == ' ' || *c == '\t' || *c == '\n' || *c == '\r') {
                if (digits % 2) return -1;
                continue;
            }
            if (!std::isxdigit(static_cast<unsigned char>(*c))) return -1;
            ++digits;
        }
        return digits % 2 ? -1 : digits / 2;
    }
    Access::DataArray<P25::P25_TSBK_DATA, TSBK_PDU_data::max_blocks> blocks_{"%02X "};
};

bool Is_block_element(const Info<TSBK_PDU_data>* info) { return info == &pdu_header_info || info == &pdu_cont_info; }

}  // namespace

template <>
bool Info<TSBK_PDU_data>::Finalize(TSBK_PDU_data& r, Input_data& input) const {
    if (Is_block_element(this) && r.block_count != 1) {
        input.Error("Only 1 TSBK allowed\n");
        return false;
    }
    // What the entry points take: a TSBK run of 1 to 127 blocks, a PDU of a
    // header and its data, 2 to 127.
    const unsigned least = this == &tsbk_info ? 1 : this == &pdu_info ? 2 : 0;
    if (least && (r.block_count < least || r.block_count > 127)) {
        input.Error("%u block%s: a %s is %u to 127 blocks of 12 octets", static_cast<unsigned>(r.block_count),
                    r.block_count == 1 ? "" : "s", this == &tsbk_info ? "TSBK data unit" : "PDU", least);
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

const Info<TSBK_PDU_data> tsbk_info("/P25_log_data/TSBK", raw_attr, new Whole_blocks);
const Info<TSBK_PDU_data> pdu_info("/P25_log_data/PDU", raw_attr, new Whole_blocks);
const Info<TSBK_PDU_data> pdu_header_info("/P25_log_data/PDU_Header", raw_attr, new Carried_block);
const Info<TSBK_PDU_data> pdu_cont_info("/P25_log_data/PDU_Continuation", raw_attr, new Carried_block);

}  // namespace XML_routines
