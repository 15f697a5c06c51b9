// Record-script kinds of the data-unit header and the trunking channel: the
// status symbols, the host's time, TSBKs and multi-block PDUs whole or block
// by block.
#include <cstring>
#include <iterator>

#include "Trunking_handler.h"
#include "crc.h"
#include "script.h"

namespace tessel {

namespace {

// The host's date and time, with the source.
constexpr unsigned date_and_time = key_date | key_time;
constexpr unsigned time_keys = source_keys | date_and_time;

// Whole 12-octet blocks: one TSBK or PDU block, or a run of up to 127.
constexpr Byte_count one_block{12, 12, 1};
constexpr Byte_count blocks{12, 127 * 12, 12};
// A whole multi-block PDU: its header block and at least one data block.
constexpr Byte_count pdu_blocks{24, 127 * 12, 12};
// TSBKs without their CRC (crc=fill).
constexpr Byte_count tsbks_without_crc{10, 127 * 10, 10};

bool Log_status_line(const Record_line& line, std::string&) {
    const P25::DUID_Header header = Header_of(line);
    Deliver(P25::Received::status, &header, [&] { P25::Log_Status_syms(header); });
    return true;
}

bool Log_time_line(const Record_line& line, std::string&) {
    P25::Time_log record{};
    record.metadata = line.source;
    P25::Calendar_time& t = record.real_time;
    const Calendar_date& d = line.date;
    t.tm_year = d.year - 1900;
    t.tm_mon = d.month - 1;
    t.tm_mday = d.day;
    t.tm_hour = line.time.hour;
    t.tm_min = line.time.minute;
    t.tm_sec = line.time.second;
    const long days = Days_from_epoch(d.year, d.month, d.day);
    t.tm_yday = static_cast<std::int32_t>(days - Days_from_epoch(d.year, 1, 1));
    t.tm_wday = static_cast<std::int32_t>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
    Deliver(P25::Received::time, &record, [&] { P25::Log_time(record); });
    return true;
}

// The trunking data unit of a line: its header and its blocks, CRCs filled
// in for crc=fill.
P25::Log_Dispatch_payload& Trunking_payload(const Record_line& line) {
    static P25::Log_Dispatch_payload payload;
    std::memset(&payload, 0, sizeof payload);
    P25::TSBK_PDU_data& record = payload.tsbk;
    record.header = Header_of(line);
    const std::size_t size = line.fill_crc ? 10 : 12;
    record.block_count = static_cast<std::uint32_t>(line.bytes.size() / size);
    for (std::uint32_t i = 0; i < record.block_count; ++i) {
        std::uint8_t* block = record.tsbk[i].data;
        std::memcpy(block, &line.bytes[i * size], size);
        if (line.fill_crc) {
            const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, block, 10));
            block[10] = static_cast<std::uint8_t>(crc >> 8);
            block[11] = static_cast<std::uint8_t>(crc);
        }
    }
    return payload;
}

bool Log_tsbk_line(const Record_line& line, std::string&) {
    const P25::Log_Dispatch_payload& p = Trunking_payload(line);
    Deliver(P25::Received::tsbk, &p.tsbk, [&] { P25::Log_TSBK(p); });
    return true;
}
bool Log_pdu_line(const Record_line& line, std::string&) {
    const P25::Log_Dispatch_payload& p = Trunking_payload(line);
    Deliver(P25::Received::pdu, &p.tsbk, [&] { P25::Log_PDU(p); });
    return true;
}
bool Log_pdu_header_line(const Record_line& line, std::string&) {
    const P25::Log_Dispatch_payload& p = Trunking_payload(line);
    Deliver(P25::Received::pdu_header, &p.tsbk, [&] { P25::Log_PDU_header(p); });
    return true;
}
bool Log_pdu_cont_line(const Record_line& line, std::string&) {
    const P25::Log_Dispatch_payload& p = Trunking_payload(line);
    Deliver(P25::Received::pdu_cont, &p.tsbk, [&] { P25::Log_PDU_cont(p); });
    return true;
}

// ---- Table --------------------------------------------------------------------------------

const Kind kind_table[] = {
    // name, help, keys accepted, keys required, air bytes, air bytes with crc=fill, logger
    {"status", "Status_bits of a data unit; keys: source, NAC, status", header_keys, 0, no_bytes, no_bytes, Log_status_line},
    {"time", "DateTime of the host; keys: source, date, time (both needed)", time_keys, date_and_time, no_bytes, no_bytes, Log_time_line},
    {"tsbk", "a run of TSBKs, 12-octet blocks (crc=fill: 10-octet blocks, CRC added)", header_keys | key_crc, 0, blocks, tsbks_without_crc, Log_tsbk_line},
    {"pdu", "a whole multi-block PDU, 2 to 127 12-octet blocks", header_keys, 0, pdu_blocks, no_bytes, Log_pdu_line},
    {"pdu_header", "the header block of a PDU fed block by block", header_keys, 0, one_block, no_bytes, Log_pdu_header_line},
    {"pdu_cont", "a continuation block of a PDU fed block by block", header_keys, 0, one_block, no_bytes, Log_pdu_cont_line},
};

}  // namespace

const Kind_list trunking_kinds{kind_table, std::size(kind_table)};

}  // namespace tessel
