// The record-script kind of an overhead slot: the host's Trunking_Overhead,
// logged through P25::Log_Overhead.  A TSDU or PDU slot holds trunking
// blocks; a SmartZone slot control-channel words, or one data record's
// bytes.
#include <cstring>
#include <iterator>

#include "Trunking_handler.h"
#include "script.h"

namespace tessel {

namespace {

struct Duid_name {
    const char* name;
    std::uint32_t duid;
};

// Data units a slot can hold, by name; any other as a number.
const Duid_name duid_names[] = {
    {"TSDU", P25::TSDU},
    {"PDU", P25::PDU},
    {"SMARTZONE_OSW", P25::SMARTZONE_OSW},
    {"SMARTZONE_ISW", P25::SMARTZONE_ISW},
    {"SMARTZONE_RAW", P25::SMARTZONE_RAW},
};

bool Parse_duid(const std::string& value, std::uint32_t& duid, std::string& error) {
    for (const Duid_name& d : duid_names)
        if (value == d.name) return duid = d.duid, true;
    unsigned long n;
    if (!Parse_number(value, 10, 0xFFFFFFFFul, n)) {
        error = "bad duid " + Shown(value) +
                ": TSDU, PDU, SMARTZONE_OSW, SMARTZONE_ISW, SMARTZONE_RAW or a number is needed";
        return false;
    }
    duid = static_cast<std::uint32_t>(n);
    return true;
}

// The handle as the log prints it, hexadecimal ("0000002A"), with or without 0x.
bool Parse_handle(const std::string& value, std::uint32_t& handle, std::string& error) {
    std::string digits = value;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
    unsigned long n;
    if (!Parse_number(digits, 16, 0xFFFFFFFFul, n)) {
        error = "bad handle " + Shown(value) + ": a hexadecimal number from 0 to FFFFFFFF is needed";
        return false;
    }
    handle = static_cast<std::uint32_t>(n);
    return true;
}

bool Parse_interval(const std::string& value, std::uint32_t& interval, std::string& error) {
    unsigned long n;
    if (!Parse_number(value, 10, 0xFFFFFFFFul, n)) {
        error = "bad interval " + Shown(value) + ": a decimal number from 0 to 4294967295 is needed";
        return false;
    }
    interval = static_cast<std::uint32_t>(n);
    return true;
}

// What a slot of each data unit holds: its bytes in units of `unit`, from
// min to max units, and where they go.
struct Slot_content {
    std::uint32_t duid;
    std::size_t unit, min, max;
    const char* what;
};
const Slot_content contents[] = {
    {P25::TSDU, 12, 1, 1, "one 12-byte block"},
    {P25::PDU, 12, 0, P25::TSBK_PDU_data::max_blocks, "12-byte blocks, 0 to 128"},
    {P25::SMARTZONE_OSW, 4, 1, 3, "4-byte words, 1 to 3"},
    {P25::SMARTZONE_ISW, 3, 1, 3, "3-byte words, 1 to 3"},
    {P25::SMARTZONE_RAW, 1, 0, 84, "0 to 84 data bytes"},
};

// Control-channel words: the words' source, their count, then the words.
void Put_words(P25::Trunking_Overhead& slot, const Record_line& line, std::size_t count) {
    std::uint8_t* content = reinterpret_cast<std::uint8_t*>(&slot.tsbk);
    std::memcpy(content, &line.source, sizeof line.source);
    const std::uint32_t words = static_cast<std::uint32_t>(count);
    std::memcpy(content + 8, &words, sizeof words);
    std::memcpy(content + 12, line.bytes.data(), line.bytes.size());
}

// One control-channel data record: its source, 3600 baud, the number of
// valid data bytes, then the bytes.
void Put_data_record(P25::Trunking_Overhead& slot, const Record_line& line) {
    std::uint8_t* record = reinterpret_cast<std::uint8_t*>(&slot.tsbk);
    std::memcpy(record, &line.source, sizeof line.source);
    const std::uint32_t baud = 3600;
    std::memcpy(record + 8, &baud, sizeof baud);
    record[22] = static_cast<std::uint8_t>(line.bytes.size());
    std::memcpy(record + 36, line.bytes.data(), line.bytes.size());
}

bool Log_overhead_line(const Record_line& line, std::string& error) {
    static P25::Trunking_Overhead slot;
    std::memset(&slot, 0, sizeof slot);
    slot.metadata = line.source;
    // A slot is what the host itself repeats on its control channel: it is
    // transmitted, and an input document loads only transmitted slots.
    if (!(line.keys & key_direction)) slot.metadata.dir_tx = 1;
    if (slot.metadata.dir_tx != 1) {
        error = "overhead is a slot the host transmits: direction tx is needed";
        return false;
    }
    slot.duid = P25::TSDU;
    for (const auto& field : line.fields) {
        const bool ok = field.first == "duid"       ? Parse_duid(field.second, slot.duid, error)
                        : field.first == "handle"   ? Parse_handle(field.second, slot.handle, error)
                                                    : Parse_interval(field.second, slot.repeat_time, error);
        if (!ok) return false;
    }
    const std::size_t n = line.bytes.size();
    const Slot_content* content = nullptr;
    for (const Slot_content& c : contents)
        if (c.duid == slot.duid) content = &c;
    if (!content) {
        if (n == 0) return Deliver(P25::Received::overhead, &slot, [] { P25::Log_Overhead(slot); }), true;
        error = "overhead of duid " + std::to_string(slot.duid) + " takes no bytes, got " + std::to_string(n);
        return false;
    }
    const std::size_t units = n / content->unit;
    if (n % content->unit || units < content->min || units > content->max) {
        error = std::string("overhead ") + duid_names[content - contents].name + " takes " + content->what + ", got " +
                std::to_string(n) + " bytes";
        return false;
    }
    if (slot.duid == P25::TSDU || slot.duid == P25::PDU) {
        slot.tsbk.header = Header_of(line);
        slot.tsbk.header.nid.duid = slot.duid;
        slot.tsbk.block_count = static_cast<std::uint32_t>(units);
        if (n) std::memcpy(slot.tsbk.tsbk, line.bytes.data(), n);
    } else if (slot.duid == P25::SMARTZONE_RAW) {
        Put_data_record(slot, line);
    } else {
        Put_words(slot, line, units);
    }
    Deliver(P25::Received::overhead, &slot, [] { P25::Log_Overhead(slot); });
    return true;
}

// ---- Table --------------------------------------------------------------------------------

constexpr Byte_count slot_bytes{0, P25::TSBK_PDU_data::max_blocks * 12, 1};

const Kind kind_table[] = {
    // name, help, keys accepted, keys required, air bytes, air bytes with crc=fill, logger, own keys
    {"overhead", "P25_Overhead: a slot's duid (TSDU, PDU, SMARTZONE_*), handle, interval; its blocks or words",
     source_keys | key_nac, 0, slot_bytes, no_bytes, Log_overhead_line, {{"duid"}, {"handle"}, {"interval"}}},
};

}  // namespace

const Kind_list overhead_kinds{kind_table, std::size(kind_table)};

}  // namespace tessel
