// Record-script kinds of the SmartZone/SmartNet control channel: channel
// words as the host's decoder reports them (logged raw, decoded, lost to a
// CRC error or a time-out), and the shorthands "osw" and "isw" for one
// 3600-baud control-channel word written the way receivers print them.
#include <algorithm>
#include <iterator>
#include <limits>

#include "Smartzone_processing.h"
#include "script.h"

namespace tessel {

namespace {

constexpr std::uint8_t control_channel = 5;
constexpr std::uint8_t traffic_channel = 4;
constexpr std::uint32_t words_baud = 3600;
constexpr std::uint8_t osw_bits = 27;  // address, flag, command
constexpr std::uint8_t isw_bits = 21;  // ID, type

// The data bytes of a channel word record: none to all 84.
constexpr Byte_count data_bytes{0, P25::SZ_bits::capacity, 1};
// One outbound (4 bytes) or inbound (3 bytes) word, or none when keys give it.
constexpr Byte_count osw_word{0, 4, 4};
constexpr Byte_count isw_word{0, 3, 3};

constexpr unsigned word_keys = key_timestamp | key_phys_channel | key_direction | key_timeslot;

// Hexadecimal digits, with or without "0x".
bool Parse_hex_value(const std::string& text, unsigned long max, unsigned long& out) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
    return Parse_number(digits, 16, max, out);
}

// Reads a kind's own key, when the line gives it.
struct Field_reader {
    const Record_line& line;
    std::string& error;
    bool ok = true;

    // A number in its form (decimal, hex, decimal or 0x-hex), at most max.
    template <class V>
    void Number(const char* key, bool (*parse)(const std::string&, unsigned long, unsigned long&), unsigned long max,
                const char* wanted, V& out) {
        const std::string* value = line.Field(key);
        if (!ok || !value) return;
        unsigned long n;
        if (!parse(*value, max, n)) {
            error = std::string("bad ") + key + " " + Shown(*value) + ": " + wanted + " is needed";
            ok = false;
            return;
        }
        out = static_cast<V>(n);
    }
    void Flag(const char* key, bool& out) {
        const std::string* value = line.Field(key);
        if (!ok || !value) return;
        if (*value != "true" && *value != "false") {
            error = std::string("bad ") + key + " " + Shown(*value) + ": true or false is needed";
            ok = false;
            return;
        }
        out = *value == "true";
    }
    // One of the names of a table, or any value of the field as a number
    // (decimal or 0x-hex, the form the log prints a value without a name in).
    template <class V, std::size_t N>
    void Name(const char* key, const char* const (&names)[N], const V (&values)[N], V& out) {
        const std::string* value = line.Field(key);
        if (!ok || !value) return;
        std::string choices;
        for (std::size_t i = 0; i < N; ++i) {
            if (*value == names[i]) {
                out = values[i];
                return;
            }
            choices += names[i] + std::string(", ");
        }
        unsigned long n;
        if (Parse_decimal_or_hex(*value, std::numeric_limits<V>::max(), n)) {
            out = static_cast<V>(n);
            return;
        }
        error = std::string("bad ") + key + " " + Shown(*value) + ": " + choices + "or a number from 0 to " +
                std::to_string(std::numeric_limits<V>::max()) + " is needed";
        ok = false;
    }
};

bool Decimal(const std::string& text, unsigned long max, unsigned long& out) { return Parse_number(text, 10, max, out); }
bool Hex(const std::string& text, unsigned long max, unsigned long& out) { return Parse_hex_value(text, max, out); }

// The record of a channel-word line: source, baud, channel type, bits, bit
// errors, CRC and data bytes.
bool Data_record(const Record_line& line, std::string& error, P25::Smartnet_data_log& r) {
    r = P25::Smartnet_data_log{};
    r.metadata = line.source;
    P25::SZ_bits& b = r.bits;
    b.baud = words_baud;
    b.ch_type = control_channel;
    b.count = static_cast<std::uint8_t>(line.bytes.size());
    std::copy(line.bytes.begin(), line.bytes.end(), b.data);
    Field_reader read{line, error};
    static const char* const baud_names[] = {"150", "300", "3600"};
    static const std::uint32_t baud_values[] = {150, 300, words_baud};
    read.Name("baud", baud_names, baud_values, b.baud);
    static const char* const ch_names[2] = {"Control", "Traffic"};
    static const std::uint8_t ch_values[2] = {control_channel, traffic_channel};
    read.Name("ch_type", ch_names, ch_values, b.ch_type);
    b.bits = Default_word_bits(b.baud, r.metadata.is_osp != 0, line.bytes.size());
    read.Number("bits", Decimal, 255, "a decimal number from 0 to 255", b.bits);
    read.Number("bit_errs", Decimal, 255, "a decimal number from 0 to 255", b.bit_errs);
    unsigned crc = 0;
    read.Number("crc", Hex, 0xFFFF, "a hexadecimal number from 0 to FFFF", crc);
    b.crc = static_cast<unsigned short>(crc);
    return read.ok;
}

template <void (*Entry)(const P25::Smartnet_data_log&)>
bool Log_data_line(const Record_line& line, std::string& error) {
    P25::Smartnet_data_log r;
    if (!Data_record(line, error, r)) return false;
    Entry(r);
    return true;
}

// A 3600-baud control-channel word of the given bytes, logged raw and then
// decoded.
void Log_word(const Record_line& line, bool outbound, const std::uint8_t* word, std::size_t size) {
    P25::Smartnet_data_log r{};
    r.metadata = line.source;
    r.metadata.is_osp = outbound ? 1 : 0;
    r.bits.baud = words_baud;
    r.bits.ch_type = control_channel;
    r.bits.bits = outbound ? osw_bits : isw_bits;
    r.bits.count = static_cast<std::uint8_t>(size);
    std::copy(word, word + size, r.bits.data);
    Smartzone::Log_raw(r);
    Smartzone::Log_cooked(r);
}

bool Keys_or_bytes(const Record_line& line, std::string& error, const char* kind) {
    if (line.fields.empty() || line.bytes.empty()) return true;
    error = std::string(kind) + ": give the word as keys or as bytes, not both";
    return false;
}

bool Log_osw_line(const Record_line& line, std::string& error) {
    if (!Keys_or_bytes(line, error, "osw")) return false;
    if (!line.bytes.empty()) {
        Log_word(line, true, line.bytes.data(), 4);
        return true;
    }
    unsigned address = 0, cmd = 0;
    bool i_bit = false;
    Field_reader read{line, error};
    read.Number("address", Hex, 0xFFFF, "a hexadecimal number from 0 to FFFF", address);
    read.Flag("i_bit", i_bit);
    read.Number("cmd", Parse_decimal_or_hex, 1023, "a command from 0 to 1023 (decimal or 0x-hex)", cmd);
    if (!read.ok) return false;
    Smartzone::OSW_generic word{};
    word.address = static_cast<unsigned short>(address);
    if (i_bit) word.tail.octets[0] = 0x80;
    word.Set_command(cmd);
    Log_word(line, true, reinterpret_cast<const std::uint8_t*>(&word), sizeof word);
    return true;
}

bool Log_isw_line(const Record_line& line, std::string& error) {
    if (!Keys_or_bytes(line, error, "isw")) return false;
    if (!line.bytes.empty()) {
        Log_word(line, false, line.bytes.data(), 3);
        return true;
    }
    unsigned id = 0, type = 0;
    Field_reader read{line, error};
    read.Number("id", Hex, 0xFFFF, "a hexadecimal number from 0 to FFFF", id);
    read.Number("type", Parse_decimal_or_hex, 31, "a type from 0 to 31 (decimal or 0x-hex)", type);
    if (!read.ok) return false;
    Smartzone::ISW_first word{};
    word.id = static_cast<unsigned short>(id);
    word.Set_type(type);
    Log_word(line, false, reinterpret_cast<const std::uint8_t*>(&word), sizeof word);
    return true;
}

// ---- Table --------------------------------------------------------------------------------

// Own keys with the values a line leaves out; the default of "bits" depends
// on the rest of the line (Default_word_bits).
const std::initializer_list<Field_key> data_fields = {
    {"baud", false, false, "3600"}, {"ch_type", false, false, "Control"}, {"bits"},
    {"bit_errs", false, false, "0"}, {"crc", false, false, "0"},
};

const Kind kind_table[] = {
    // name, help, keys accepted, keys required, air bytes, air bytes with crc=fill, logger, own keys
    {"sz_raw", "a channel word logged raw (Smartzone_raw); keys: source, baud, ch_type, bits", source_keys, 0,
     data_bytes, no_bytes, Log_data_line<Smartzone::Log_raw>, data_fields},
    {"sz_cooked", "a channel word decoded (Smartzone_cooked), 3600-baud words assembled", source_keys, 0, data_bytes,
     no_bytes, Log_data_line<Smartzone::Log_cooked>, data_fields},
    {"sz_crc_err", "a 3600-baud word lost to a CRC error: the held message, then Smartzone_crc_err", source_keys, 0,
     data_bytes, no_bytes, Log_data_line<Smartzone::Log_crc_err>, data_fields},
    {"sz_timeout", "a 3600-baud word that timed out: the held message, then Smartzone_tout", source_keys, 0,
     data_bytes, no_bytes, Log_data_line<Smartzone::Log_timeout>, data_fields},
    {"osw", "an outbound control-channel word: address=HHHH i_bit=true|false cmd=N, or its 4 bytes", word_keys, 0,
     osw_word, no_bytes, Log_osw_line, {{"address"}, {"i_bit"}, {"cmd"}}},
    {"isw", "an inbound control-channel word: id=HHHH type=N, or its 3 bytes", word_keys, 0, isw_word, no_bytes,
     Log_isw_line, {{"id"}, {"type"}}},
};

}  // namespace

std::uint8_t Default_word_bits(std::uint32_t baud, bool outbound, std::size_t bytes) {
    if (baud == words_baud) return outbound ? osw_bits : isw_bits;
    return static_cast<std::uint8_t>(8 * std::min<std::size_t>(bytes, 31));
}

const Kind_list smartzone_kinds{kind_table, std::size(kind_table)};

}  // namespace tessel
