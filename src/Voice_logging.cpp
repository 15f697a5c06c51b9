// Voice logging: the header data unit, LDU1, LDU2 and the terminators of
// FDMA voice, and the superframe, burst, encryption sync header and
// link-control header of two-slot TDMA voice.  Each entry point writes a
// fixed sequence of elements; the link-control word an LDU1 or a TDMA
// link-control header carries is logged raw and decoded exactly as a word
// logged on its own.  Voice elements are log-only: read back from a
// document they dispatch nothing.
#include "LC_handler.h"
#include "P25_processing.h"

using namespace XML_routines;

namespace {

using P25::DUID_Header;
using P25::F2_Burst;
using P25::F2_Encrypt_Sync_Hdr;
using P25::F2_Link_Control_Hdr;
using P25::F2_Voice_SF;
using P25::F2V_BURST;
using P25::MI_vector;
using P25::p25_Ldu1;
using P25::p25_Ldu2;
using P25::p25_Term;
using P25::p25_TermLC;
using P25::p25_Voice_Hdr;

// ---- Tables and descriptors, in the order they are built -----------------------------

const Info<MI_vector> mi_word("MI_word", Get_Access(&MI_vector::bytes, "%02X "));

// The source attributes and the network access code of a data-unit header.
Attrib::Attrib_Table<DUID_Header> voice_header_table[] = {
    Get_attrib(Source_info_attr).Of(&DUID_Header::metadata),
    Get_attrib("NAC", Get_Access(Access::Low_bits<12>(&P25::p25_Nid::nac), "%03X")).Of(&DUID_Header::nid),
};
const Attrib::Attrib_Hash<DUID_Header> voice_attr(voice_header_table);
// The source attributes alone.
Attrib::Attrib_Table<DUID_Header> tdma_header_table[] = {
    Get_attrib(Source_info_attr).Of(&DUID_Header::metadata),
};
const Attrib::Attrib_Hash<DUID_Header> tdma_attr(tdma_header_table);

Attrib::Attrib_Table<p25_Voice_Hdr> voice_hdr_table[] = {
    Get_attrib(voice_attr).Of(&p25_Voice_Hdr::header),
};
const Attrib::Attrib_Hash<p25_Voice_Hdr> voice_hdr_attr(voice_hdr_table);
Subelement_table<p25_Voice_Hdr> voice_hdr_subs[] = {
    Subelement(&p25_Voice_Hdr::key_id, "Key_ID", "%04X"),
    Subelement(&p25_Voice_Hdr::tgid, "Group_ID", "%04X"),
    Subelement(&p25_Voice_Hdr::mfid, "mfid", "%02X"),
    Subelement(&p25_Voice_Hdr::algid, "Algorithm_ID", "%02X"),
    Subelement(&p25_Voice_Hdr::mi, mi_word),
};
const Info<p25_Voice_Hdr> voice_hdr_info("/P25_log_data/Voice_Header", voice_hdr_attr, voice_hdr_subs);

Attrib::Attrib_Table<p25_Ldu1> ldu1_table[] = {
    Get_attrib(voice_attr).Of<p25_Ldu1>(&p25_Ldu1::header),
};
const Attrib::Attrib_Hash<p25_Ldu1> ldu1_attr(ldu1_table);
const Info<p25_Ldu1> ldu1_info("/P25_log_data/LDU1", ldu1_attr);

Attrib::Attrib_Table<p25_Ldu2> ldu2_table[] = {
    Get_attrib(voice_attr).Of(&p25_Ldu2::header),
};
const Attrib::Attrib_Hash<p25_Ldu2> ldu2_attr(ldu2_table);
Subelement_table<p25_Ldu2> ldu2_subs[] = {
    Subelement(&p25_Ldu2::mi, mi_word),
    Subelement(&p25_Ldu2::algid, "Algorithm_ID", "%02X"),
    Subelement(&p25_Ldu2::key_id, "Key_ID", "%04X"),
};
const Info<p25_Ldu2> ldu2_info("/P25_log_data/LDU2", ldu2_attr, ldu2_subs);

// The terminator's word, raw then decoded.
Attrib::Attrib_Table<p25_TermLC> term_lc_table[] = {
    Get_attrib(voice_attr).Of<p25_TermLC>(&p25_TermLC::header),
};
const Attrib::Attrib_Hash<p25_TermLC> term_lc_attr(term_lc_table);
Subelement_table<p25_TermLC> term_lc_subs[] = {
    Subelement<p25_TermLC, P25::Any_link_control>(&p25_TermLC::lc, lc_raw).Content(),
    Subelement<p25_TermLC, P25::Any_link_control>(&p25_TermLC::lc, lc_cooked).Decoded(),
};
const Info<p25_TermLC> term_lc_info("/P25_log_data/TermLC", term_lc_attr, term_lc_subs);

Attrib::Attrib_Table<p25_Term> term_table[] = {
    Get_attrib(voice_attr).Of(&p25_Term::header),
};
const Attrib::Attrib_Hash<p25_Term> term_attr(term_table);
const Info<p25_Term> term_info("/P25_log_data/Term", term_attr);

// The TDMA items.
const Value_entry<F2V_BURST> burst_table[] = {
    {"Invalid_burst", F2V_BURST::INVALID_BURST},
    {"A", F2V_BURST::A},
    {"B", F2V_BURST::B},
    {"C", F2V_BURST::C},
    {"D", F2V_BURST::D},
    {"E", F2V_BURST::E},
    {"F", F2V_BURST::F},
};
}  // namespace
const Value_hash<F2V_BURST> XML_routines::burst_names(burst_table);
namespace {

Attrib::Attrib_Table<F2_Burst> burst_attr_table[] = {
    Get_attrib(Source_info_attr).Of(&F2_Burst::metadata),
    Get_attrib("burst", &F2_Burst::burst, burst_names),
    Get_attrib("cach", &F2_Burst::cach, "%02X"),
    Get_attrib("protocol", &F2_Burst::protocol, "%02X"),
    Get_attrib("vc1", &F2_Burst::vc1, "%02X"),
    Get_attrib("vc2", &F2_Burst::vc2, "%02X"),
    Get_attrib("vc3", &F2_Burst::vc3, "%02X"),
};
const Attrib::Attrib_Hash<F2_Burst> burst_attr(burst_attr_table);
const Info<F2_Burst> burst_info("/P25_log_data/X2TMDA_Burst", burst_attr);

Attrib::Attrib_Table<MI_vector> mi_attr_table[] = {
    Get_attrib("mi", &MI_vector::bytes, "%02X"),
};
Attrib::Attrib_Table<F2_Encrypt_Sync_Hdr> enc_hdr_table[] = {
    Get_attrib(tdma_attr).Of(&F2_Encrypt_Sync_Hdr::header),
    Get_attrib(mi_attr_table).Of(&F2_Encrypt_Sync_Hdr::mi),
    Get_attrib("kid", &F2_Encrypt_Sync_Hdr::key_id, "%04X"),
    Get_attrib("algid", &F2_Encrypt_Sync_Hdr::algid, "%02X"),
};
const Attrib::Attrib_Hash<F2_Encrypt_Sync_Hdr> enc_hdr_attr(enc_hdr_table);
const Info<F2_Encrypt_Sync_Hdr> enc_hdr_info("/P25_log_data/X2TDMA_Encrypt_Sync_Hdr", enc_hdr_attr);

// The superframe's nine octets sit where a link-control word would.
Attrib::Attrib_Table<P25::Any_link_control> sf_bytes_table[] = {
    Get_attrib("bytes", &P25::Any_link_control::bytes, "%02X"),
};
Attrib::Attrib_Table<F2_Voice_SF> voice_sf_table[] = {
    Get_attrib(tdma_attr).Of<F2_Voice_SF>(&F2_Voice_SF::header),
    Get_attrib(sf_bytes_table).Of<F2_Voice_SF>(&F2_Voice_SF::lc),
};
const Attrib::Attrib_Hash<F2_Voice_SF> voice_sf_attr(voice_sf_table);
const Info<F2_Voice_SF> voice_sf_info("/P25_log_data/X2TMDA_Voice_SF", voice_sf_attr);

Attrib::Attrib_Table<F2_Link_Control_Hdr> lc_hdr_table[] = {
    Get_attrib(tdma_attr).Of<F2_Link_Control_Hdr>(&F2_Link_Control_Hdr::header),
};
const Attrib::Attrib_Hash<F2_Link_Control_Hdr> lc_hdr_attr(lc_hdr_table);
const Info<F2_Link_Control_Hdr> lc_hdr_info("/P25_log_data/X2TDMA_Link_Control_Hdr", lc_hdr_attr);

// ---- writing ---------------------------------------------------------------------------

unsigned Channel_of(const P25::Log_Dispatch_payload& payload) { return payload.header.metadata.phys_channel; }

// The word of the payload, raw then decoded, on the payload's channel.
void Log_link_control(const P25::Log_Dispatch_payload& payload) {
    XML_Log(lc_raw_top, payload.lco, Channel_of(payload), Log_protocol_raw);
    XML_Log(lc_cooked_top, payload.lco, Channel_of(payload), Log_protocol_cooked);
}

// A TDMA item as raw protocol, without a channel.
template <class T>
void Log_unbound(const Info<T>& info, const T& record) {
    xmlNode* node = info.Write(record);
    XML_Log(node, Log_protocol_raw);
}

}  // namespace

namespace P25 {

void Log_Voice_header(const Log_Dispatch_payload& payload) {
    Log_Status_syms(payload.header);
    XML_Log(voice_hdr_info, payload.voice_header, Channel_of(payload), Log_Voice);
}

void Log_voice_LDU1(const Log_Dispatch_payload& payload) {
    Log_Status_syms(payload.header);
    XML_Log(ldu1_info, payload.ldu1, Channel_of(payload), Log_Voice);
    Log_link_control(payload);
}

void Log_voice_LDU2(const Log_Dispatch_payload& payload) {
    Log_Status_syms(payload.header);
    XML_Log(ldu2_info, payload.ldu2, Channel_of(payload), Log_Voice);
}

void Log_voice_term(const Log_Dispatch_payload& payload) {
    Log_Status_syms(payload.header);
    XML_Log(term_info, payload.term, Channel_of(payload), Log_Voice);
}

void Log_voice_term_LC(const Log_Dispatch_payload& payload) {
    Log_Status_syms(payload.header);
    XML_Log(term_lc_info, payload.termlc, Channel_of(payload), Log_Voice);
}

void Log_F2_voice_sf(const Log_Dispatch_payload& payload) { Log_unbound(voice_sf_info, payload.f2voicesf); }

void Log_F2_burst(const Log_Dispatch_payload& payload) { Log_unbound(burst_info, payload.f2burst); }

void Log_F2_enc_hdr(const Log_Dispatch_payload& payload) { Log_unbound(enc_hdr_info, payload.f2_enc_hdr); }

// The header twice: raw without a channel, then as voice on its channel
// after the status symbols; then its word.
void Log_F2_lc_hdr(const Log_Dispatch_payload& payload) {
    Log_unbound(lc_hdr_info, payload.f2linkcontrolhdr);
    Log_Status_syms(payload.header);
    XML_Log(lc_hdr_info, payload.f2linkcontrolhdr, Channel_of(payload), Log_Voice);
    Log_link_control(payload);
}

}  // namespace P25
