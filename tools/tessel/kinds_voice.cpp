// Record-script kinds of voice traffic and link control: the FDMA voice data
// units (header, LDU1, LDU2, terminators), the two-slot TDMA voice items, and
// a link-control word logged on its own.  Their keys are the attribute and
// child names the log shows for the record; a message indicator or a
// link-control word is the line's air bytes.
#include <cstring>
#include <iterator>
#include <limits>

#include "LC_handler.h"
#include "script.h"

namespace tessel {

namespace {

// The shared keys of the TDMA items that show only their source, and of the
// TDMA link-control header, which is logged with status symbols too.
constexpr unsigned tdma_keys = source_keys;
constexpr unsigned tdma_status_keys = source_keys | key_status;

// A message indicator (optional: all zero without one) or a link-control word.
constexpr Byte_count optional_mi{0, 9, 9};
constexpr Byte_count nine_octets{9, 9, 1};
// Nine octets of zero as the log prints them, without separators.
constexpr const char* nine_zero_octets = "000000000000000000";

// ---- own keys -----------------------------------------------------------------------------

// A hexadecimal value of the kind's key NAME, with or without 0x, at most max;
// 0 when the line lacks the key.
bool Hex_field(const Record_line& line, const char* name, unsigned long max, unsigned long& out, std::string& error) {
    out = 0;
    const std::string* value = line.Field(name);
    if (!value) return true;
    std::string digits = *value;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
    if (Parse_number(digits, 16, max, out)) return true;
    char range[16];
    std::snprintf(range, sizeof range, "%lX", max);
    error = std::string("bad ") + name + " " + Shown(*value) + ": a hexadecimal number from 0 to " + range +
            " is needed";
    return false;
}

// The octets of the kind's key NAME: exactly N pairs of hexadecimal digits;
// all 0 when the line lacks the key.
template <std::size_t N>
bool Octets_field(const Record_line& line, const char* name, std::uint8_t (&out)[N], std::string& error) {
    std::memset(out, 0, N);
    const std::string* value = line.Field(name);
    if (!value) return true;
    bool hex = value->size() == 2 * N;
    for (std::size_t i = 0; hex && i < value->size(); ++i) hex = Digit_value((*value)[i]) >= 0;
    if (!hex) {
        error = std::string("bad ") + name + " " + Shown(*value) + ": " + std::to_string(N) +
                " octets as " + std::to_string(2 * N) + " hexadecimal digits are needed";
        return false;
    }
    for (std::size_t i = 0; i < N; ++i)
        out[i] = static_cast<std::uint8_t>(Digit_value((*value)[2 * i]) * 16 + Digit_value((*value)[2 * i + 1]));
    return true;
}

// A burst's name, or, as the log writes a burst without one, 0x and
// hexadecimal digits (or decimal) up to the largest the element reads.
bool Burst_field(const Record_line& line, P25::F2V_BURST& out, std::string& error) {
    P25::F2V_BURST burst = P25::F2V_BURST::A;
    const std::string* value = line.Field("burst");
    if (!value || XML_routines::burst_names.Lookup(value->c_str(), burst)) {
        out = burst;
        return true;
    }
    unsigned long n;
    if (Parse_decimal_or_hex(*value, std::numeric_limits<std::int32_t>::max(), n)) {
        out = static_cast<P25::F2V_BURST>(n);
        return true;
    }
    error = "bad burst " + Shown(*value) + ": one of A, B, C, D, E, F, Invalid_burst is needed";
    return false;
}

// ---- records ------------------------------------------------------------------------------

// The line's data unit: its header (source, NID, status symbols), zeros after it.
P25::Log_Dispatch_payload& Voice_payload(const Record_line& line, P25::DUID duid) {
    static P25::Log_Dispatch_payload payload;
    std::memset(&payload, 0, sizeof payload);
    payload.header = Header_of(line);
    payload.header.nid.duid = duid;
    return payload;
}

// The line's nine air bytes at byte 44, where a message indicator or a
// link-control word sits.
void Put_octets(const Record_line& line, std::uint8_t (&octets)[9]) {
    if (line.bytes.size() == sizeof octets) std::memcpy(octets, line.bytes.data(), sizeof octets);
}

bool Log_voice_header_line(const Record_line& line, std::string& error) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::HDU);
    P25::p25_Voice_Hdr& r = p.voice_header;
    unsigned long key_id, tgid, mfid, algid;
    if (!Hex_field(line, "Key_ID", 0xFFFF, key_id, error) || !Hex_field(line, "Group_ID", 0xFFFF, tgid, error) ||
        !Hex_field(line, "mfid", 0xFF, mfid, error) || !Hex_field(line, "Algorithm_ID", 0xFF, algid, error))
        return false;
    r.key_id = static_cast<std::uint16_t>(key_id);
    r.tgid = static_cast<std::uint16_t>(tgid);
    r.mfid = static_cast<std::uint8_t>(mfid);
    r.algid = static_cast<std::uint8_t>(algid);
    Put_octets(line, r.mi.bytes);
    Deliver_element("Voice_Header", &r, [&] { P25::Log_Voice_header(p); });
    return true;
}

bool Log_ldu1_line(const Record_line& line, std::string&) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::LDU1);
    Put_octets(line, p.ldu1.lc.bytes);
    Deliver_element("LDU1", &p.ldu1, [&] { P25::Log_voice_LDU1(p); });
    return true;
}

bool Log_ldu2_line(const Record_line& line, std::string& error) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::LDU2);
    P25::p25_Ldu2& r = p.ldu2;
    unsigned long algid, key_id;
    // The record holds the algorithm ID in 16 bits, and the element reads
    // back whatever they hold.
    if (!Hex_field(line, "Algorithm_ID", 0xFFFF, algid, error) || !Hex_field(line, "Key_ID", 0xFFFF, key_id, error))
        return false;
    r.algid = static_cast<std::uint16_t>(algid);
    r.key_id = static_cast<std::uint16_t>(key_id);
    Put_octets(line, r.mi.bytes);
    Deliver_element("LDU2", &r, [&] { P25::Log_voice_LDU2(p); });
    return true;
}

bool Log_term_line(const Record_line& line, std::string&) {
    const P25::Log_Dispatch_payload& p = Voice_payload(line, P25::TDU);
    Deliver_element("Term", &p.term, [&] { P25::Log_voice_term(p); });
    return true;
}

bool Log_term_lc_line(const Record_line& line, std::string&) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::TDULC);
    Put_octets(line, p.termlc.lc.bytes);
    Deliver_element("TermLC", &p.termlc, [&] { P25::Log_voice_term_LC(p); });
    return true;
}

bool Log_f2_voice_sf_line(const Record_line& line, std::string&) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::LDU1);
    Put_octets(line, p.f2voicesf.lc.bytes);
    P25::Log_F2_voice_sf(p);
    return true;
}

bool Log_f2_burst_line(const Record_line& line, std::string& error) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::LDU1);
    P25::F2_Burst& r = p.f2burst;
    r.metadata = line.source;
    P25::F2V_BURST burst;
    if (!Burst_field(line, burst, error) || !Octets_field(line, "cach", r.cach, error) ||
        !Octets_field(line, "protocol", r.protocol, error) || !Octets_field(line, "vc1", r.vc1, error) ||
        !Octets_field(line, "vc2", r.vc2, error) || !Octets_field(line, "vc3", r.vc3, error))
        return false;
    r.burst = burst;
    P25::Log_F2_burst(p);
    return true;
}

bool Log_f2_enc_hdr_line(const Record_line& line, std::string& error) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::HDU);
    P25::F2_Encrypt_Sync_Hdr& r = p.f2_enc_hdr;
    unsigned long key_id, algid;
    if (!Octets_field(line, "mi", r.mi.bytes, error) || !Hex_field(line, "kid", 0xFFFF, key_id, error) ||
        !Hex_field(line, "algid", 0xFF, algid, error))
        return false;
    r.key_id = static_cast<std::uint16_t>(key_id);
    r.algid = static_cast<std::uint8_t>(algid);
    P25::Log_F2_enc_hdr(p);
    return true;
}

bool Log_f2_lc_hdr_line(const Record_line& line, std::string&) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::LDU1);
    Put_octets(line, p.f2linkcontrolhdr.lc.bytes);
    P25::Log_F2_lc_hdr(p);
    return true;
}

// A word received on its own: raw, then decoded.
bool Log_lc_line(const Record_line& line, std::string&) {
    P25::Log_Dispatch_payload& p = Voice_payload(line, P25::LDU1);
    Put_octets(line, p.lco.lc.bytes);
    const unsigned channel = line.source.phys_channel;
    XML_routines::XML_Log(XML_routines::lc_raw_top, p.lco, channel, XML_routines::Log_protocol_raw);
    XML_routines::XML_Log(XML_routines::lc_cooked_top, p.lco, channel, XML_routines::Log_protocol_cooked);
    return true;
}

// ---- Table --------------------------------------------------------------------------------

const Kind kind_table[] = {
    // name, help, keys accepted, keys required, air bytes, air bytes with crc=fill, logger, own keys
    {"voice_header", "Status_bits, Voice_Header; keys: source, NAC, status, Key_ID, Group_ID, mfid, Algorithm_ID; the MI, 9 octets (or none)",
     header_keys, 0, optional_mi, no_bytes, Log_voice_header_line,
     {{"Key_ID", false, false, "0000"}, {"Group_ID", false, false, "0000"}, {"mfid", false, false, "00"},
      {"Algorithm_ID", false, false, "00"}}},
    {"ldu1", "Status_bits, LDU1, Link_Control, LCF; keys: source, NAC, status; the link-control word, 9 octets",
     header_keys, 0, nine_octets, no_bytes, Log_ldu1_line},
    {"ldu2", "Status_bits, LDU2; keys: source, NAC, status, Algorithm_ID, Key_ID; the MI, 9 octets (or none)",
     header_keys, 0, optional_mi, no_bytes, Log_ldu2_line,
     {{"Algorithm_ID", false, false, "00"}, {"Key_ID", false, false, "0000"}}},
    {"term", "Status_bits, Term; keys: source, NAC, status", header_keys, 0, no_bytes, no_bytes, Log_term_line},
    {"term_lc", "Status_bits, TermLC; keys: source, NAC, status; the link-control word, 9 octets",
     header_keys, 0, nine_octets, no_bytes, Log_term_lc_line},
    {"f2_voice_sf", "X2TMDA_Voice_SF; keys: source; its bytes, 9 octets",
     tdma_keys, 0, nine_octets, no_bytes, Log_f2_voice_sf_line},
    {"f2_burst", "X2TMDA_Burst; keys: source, burst, cach, protocol, vc1, vc2, vc3",
     tdma_keys, 0, no_bytes, no_bytes, Log_f2_burst_line,
     {{"burst", false, false, "A"}, {"cach", false, false, "000000"}, {"protocol", false, false, "000000000000"},
      {"vc1", false, false, nine_zero_octets}, {"vc2", false, false, nine_zero_octets},
      {"vc3", false, false, nine_zero_octets}}},
    {"f2_enc_hdr", "X2TDMA_Encrypt_Sync_Hdr; keys: source, mi, kid, algid",
     tdma_keys, 0, no_bytes, no_bytes, Log_f2_enc_hdr_line,
     {{"mi", false, false, nine_zero_octets}, {"kid", false, false, "0000"}, {"algid", false, false, "00"}}},
    {"f2_lc_hdr", "X2TDMA_Link_Control_Hdr, Status_bits, X2TDMA_Link_Control_Hdr, Link_Control, LCF; keys: source, status; the word, 9 octets",
     tdma_status_keys, 0, nine_octets, no_bytes, Log_f2_lc_hdr_line},
    {"lc", "Link_Control, LCF: a link-control word on its own; keys: source; the word, 9 octets",
     source_keys, 0, nine_octets, no_bytes, Log_lc_line},
};

}  // namespace

const Kind_list voice_kinds{kind_table, std::size(kind_table)};

}  // namespace tessel
