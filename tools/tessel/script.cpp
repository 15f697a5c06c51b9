// Record scripts: reading one line into its shared keys, the kind's own keys
// and its air bytes, and handing it to its kind's logger.  The shared keys
// are the table at the bottom of this file.
#include "script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

namespace tessel {

// The groups of kinds, in the order `tessel log --kinds` lists them.
static const Kind_list* const kind_lists[] = {
    &trunking_kinds,
    &voice_kinds,
    &state_kinds,
    &overhead_kinds,
    &smartzone_kinds,
};

std::vector<const Kind*> All_kinds() {
    std::vector<const Kind*> all;
    for (const Kind_list* list : kind_lists)
        for (std::size_t i = 0; i < list->count; ++i) all.push_back(&list->kinds[i]);
    return all;
}

const Kind* Find_kind(std::string_view name) {
    for (const Kind_list* list : kind_lists)
        for (std::size_t i = 0; i < list->count; ++i)
            if (name == list->kinds[i].name) return &list->kinds[i];
    return nullptr;
}

namespace {
P25::Receive_listener& Sink() {
    static P25::Receive_listener sink;
    return sink;
}
}  // namespace

void Set_record_sink(P25::Receive_listener sink) { Sink() = std::move(sink); }
const P25::Receive_listener& Record_sink() { return Sink(); }

const std::string* Record_line::Field(const std::string& name) const {
    for (const auto& field : fields)
        if (field.first == name) return &field.second;
    return nullptr;
}

namespace {

// Reads the value of one shared key into the line; false with a message
// when it cannot.
using Key_parser = bool (*)(std::string_view value, Record_line& line, std::string& error);

struct Key_entry {
    const char* name;  // the record's XML attribute name
    unsigned bit;
    Key_parser parse;
};

// The table, at the bottom of this file.
extern const Key_entry key_table[];
extern const std::size_t key_count;

const Key_entry* Find_key(std::string_view name) {
    for (std::size_t i = 0; i < key_count; ++i)
        if (name == key_table[i].name) return &key_table[i];
    return nullptr;
}

const Field_key* Find_field(const Kind& kind, std::string_view name) {
    for (const Field_key& field : kind.fields)
        if (name == field.name) return &field;
    return nullptr;
}

}  // namespace

// ---- Values ---------------------------------------------------------------------------------

// A token as it may be shown in a message: printable, and not too long.
std::string Shown(std::string_view token) {
    const std::size_t limit = 40;
    std::string s;
    for (std::size_t i = 0; i < token.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        s += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    if (token.size() > limit) s += "...";
    return "\"" + s + "\"";
}

int Digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

long Days_from_epoch(int year, int month, int day) {
    const int y = year - (month <= 2);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long year_of_era = y - era * 400;
    const long day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

namespace {
// Digits of one base, nothing else, at most max.
bool Parse_digits(std::string_view text, unsigned base, unsigned long max, unsigned long& out) {
    if (text.empty()) return false;
    unsigned long value = 0;
    for (char c : text) {
        const int d = Digit_value(c);
        if (d < 0 || static_cast<unsigned>(d) >= base) return false;
        if (static_cast<unsigned long>(d) > max || value > (max - static_cast<unsigned>(d)) / base) return false;
        value = value * base + static_cast<unsigned>(d);
    }
    out = value;
    return true;
}

bool Parse_decimal_or_hex_digits(std::string_view text, unsigned long max, unsigned long& out) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return Parse_digits(text.substr(2), 16, max, out);
    return Parse_digits(text, 10, max, out);
}

}  // namespace

bool Parse_number(const std::string& text, unsigned base, unsigned long max, unsigned long& out) {
    return Parse_digits(text, base, max, out);
}

bool Parse_decimal_or_hex(const std::string& text, unsigned long max, unsigned long& out) {
    return Parse_decimal_or_hex_digits(text, max, out);
}

namespace {

bool Parse_octet(const char* key, std::string_view value, std::uint8_t& out, std::string& error) {
    unsigned long n;
    if (!Parse_digits(value, 10, 255, n)) {
        error = std::string("bad ") + key + " " + Shown(value) + ": a decimal number from 0 to 255 is needed";
        return false;
    }
    out = static_cast<std::uint8_t>(n);
    return true;
}

// Seconds as decimal digits with an optional fraction, to 50 MHz ticks,
// truncated.  Exact: a tick is 2e-8 s, so the ticks of the fraction are half
// its first eight digits.
bool Parse_timestamp(std::string_view value, Record_line& line, std::string& error) {
    const auto decimal = [](std::string_view digits) {
        for (char c : digits)
            if (c < '0' || c > '9') return false;
        return !digits.empty();
    };
    const std::size_t dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : value.substr(dot + 1);
    if (!decimal(whole) || (dot != std::string_view::npos && !decimal(fraction))) {
        error = "bad timestamp " + Shown(value) + ": seconds as decimal digits are needed";
        return false;
    }
    unsigned long seconds = 0, first_eight = 0;
    const bool fits = Parse_digits(whole, 10, 85, seconds);
    for (std::size_t i = 0; i < 8; ++i)
        first_eight = first_eight * 10 + (i < fraction.size() ? static_cast<unsigned long>(fraction[i] - '0') : 0);
    const unsigned long long ticks = seconds * 50000000ull + first_eight / 2;
    if (!fits || ticks > 0xFFFFFFFFull) {
        error = "timestamp " + Shown(value) + " out of range: the tick count holds at most 85.89934590 seconds";
        return false;
    }
    line.source.timestamp.value = static_cast<std::uint32_t>(ticks);
    return true;
}

bool Parse_phys_channel(std::string_view value, Record_line& line, std::string& error) {
    return Parse_octet("phys_channel", value, line.source.phys_channel, error);
}

bool Parse_timeslot(std::string_view value, Record_line& line, std::string& error) {
    return Parse_octet("timeslot", value, line.source.timeslot, error);
}

// A name of one of the library's enumeration tables, or, as the log
// writes a value without a name, 0x and hexadecimal digits (or decimal).
bool Parse_name(const char* key, const XML_routines::Value_hash<unsigned char>& names, const char* choices,
                std::string_view value, std::uint8_t& out, std::string& error) {
    unsigned char v;
    if (!value.empty() && names.Lookup(std::string(value).c_str(), v)) {
        out = v;
        return true;
    }
    unsigned long n;
    if (Parse_decimal_or_hex_digits(value, 0xFF, n)) {
        out = static_cast<std::uint8_t>(n);
        return true;
    }
    error = std::string("bad ") + key + " " + Shown(value) + ": one of " + choices +
            " (or a number 0-255 without a name, as 0xFF) is needed";
    return false;
}

bool Parse_direction(std::string_view value, Record_line& line, std::string& error) {
    return Parse_name("direction", XML_routines::direction_names, "rx, tx, rx_sim", value, line.source.dir_tx,
                      error);
}

bool Parse_type(std::string_view value, Record_line& line, std::string& error) {
    return Parse_name("type", XML_routines::type_names, "isp, osp", value, line.source.is_osp, error);
}

bool Parse_nac(std::string_view value, Record_line& line, std::string& error) {
    std::string_view digits = value;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
    unsigned long n;
    if (!Parse_digits(digits, 16, 0xFFF, n)) {
        error = "bad NAC " + Shown(value) + ": a hexadecimal number from 0 to FFF is needed";
        return false;
    }
    line.nac = static_cast<std::uint32_t>(n);
    return true;
}

// Symbols by name or as digits 0-3, separated by commas; empty for none.
bool Parse_status(std::string_view value, Record_line& line, std::string& error) {
    P25::Status_symbols statuses{};
    std::size_t start = 0;
    while (!value.empty() && start <= value.size()) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        const std::string symbol(value.substr(start, comma - start));
        unsigned char v = 0;
        unsigned long digit;
        const bool named = !symbol.empty() && XML_routines::status_names.Lookup(symbol.c_str(), v);
        if (!named && !Parse_digits(symbol, 10, 3, digit)) {
            error = "bad status symbol " + Shown(symbol) + ": talk, BUSY, repeater, IDLE or 0-3 is needed";
            return false;
        }
        if (statuses.count == P25::Status_symbols::capacity) {
            error = "more than 24 status symbols";
            return false;
        }
        statuses.syms[statuses.count++] = named ? v : static_cast<std::uint8_t>(digit);
        start = comma + 1;
    }
    line.statuses = statuses;
    return true;
}

// Three numbers of fixed widths joined by one separator: "2024/05/17".
bool Parse_triple(std::string_view value, char separator, const int (&widths)[3], int (&out)[3]) {
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && (pos >= value.size() || value[pos++] != separator)) return false;
        const std::string_view field = value.substr(pos, static_cast<std::size_t>(widths[i]));
        unsigned long n;
        if (field.size() != static_cast<std::size_t>(widths[i]) || !Parse_digits(field, 10, 9999, n)) return false;
        out[i] = static_cast<int>(n);
        pos += field.size();
    }
    return pos == value.size();
}

bool Leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int Days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && Leap(year) ? 29 : days[month - 1];
}

bool Parse_date(std::string_view value, Record_line& line, std::string& error) {
    int f[3];
    if (!Parse_triple(value, '/', {4, 2, 2}, f) || f[1] < 1 || f[1] > 12 || f[2] < 1 ||
        f[2] > Days_in_month(f[0], f[1])) {
        error = "bad date " + Shown(value) + ": a calendar date YYYY/MM/DD is needed";
        return false;
    }
    line.date = {f[0], f[1], f[2]};
    return true;
}

bool Parse_crc(std::string_view value, Record_line& line, std::string& error) {
    if (value != "fill") {
        error = "crc takes only \"fill\", got " + Shown(value);
        return false;
    }
    line.fill_crc = true;
    return true;
}

bool Parse_time(std::string_view value, Record_line& line, std::string& error) {
    int f[3];
    if (!Parse_triple(value, ':', {2, 2, 2}, f) || f[0] > 23 || f[1] > 59 || f[2] > 60) {
        error = "bad time " + Shown(value) + ": a time of day HH:MM:SS is needed";
        return false;
    }
    line.time = {f[0], f[1], f[2]};
    return true;
}

// Pairs of hexadecimal digits, appended to the line's bytes.
bool Parse_hex(std::string_view token, Record_line& line, std::string& error) {
    const std::size_t before = line.bytes.size();
    int high = -1;  // the first digit of a pair
    for (char c : token) {
        const int d = Digit_value(c);
        if (d < 0) {
            line.bytes.resize(before);
            error = "bad byte string " + Shown(token) + ": hexadecimal digits are needed";
            return false;
        }
        if (high < 0) {
            high = d;
        } else {
            line.bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0) {
        line.bytes.resize(before);
        error = "odd number of hexadecimal digits in " + Shown(token);
        return false;
    }
    return true;
}

}  // namespace

P25::DUID_Header Header_of(const Record_line& line) {
    P25::DUID_Header header{};
    header.metadata = line.source;
    header.nid.nac = line.nac;
    header.statuses = line.statuses;
    return header;
}

// ---- Lines ------------------------------------------------------------------------------

namespace {

bool Is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The blank-separated tokens of a line, one at a time, as views into it.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}
    // The next token; false at the end of the line.
    bool Next(std::string_view& token) {
        while (pos_ < text_.size() && Is_blank(text_[pos_])) ++pos_;
        if (pos_ == text_.size()) return false;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !Is_blank(text_[pos_])) ++pos_;
        token = text_.substr(start, pos_ - start);
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string Byte_count_text(const Byte_count& b) {
    if (b.max == 0) return "no bytes";
    if (b.min == b.max) return std::to_string(b.min) + " bytes";
    std::string s = std::to_string(b.min) + " to " + std::to_string(b.max) + " bytes";
    if (b.step > 1) s += " in steps of " + std::to_string(b.step);
    return s;
}

}  // namespace

bool Read_line(const std::string& text, const Kind*& kind, Record_line& line, std::string& error) {
    kind = nullptr;
    Tokens tokens(text);
    std::string_view token;
    if (!tokens.Next(token) || token[0] == '#') return true;

    kind = Find_kind(token);
    if (!kind) {
        error = "unknown kind " + Shown(token) + " ('tessel log --kinds' lists them)";
        return false;
    }
    // At most a byte for every three characters of the line.
    line.bytes.reserve(line.bytes.size() + text.size() / 3);
    while (tokens.Next(token)) {
        const std::size_t eq = token.find('=');
        if (eq == std::string_view::npos) {
            if (!Parse_hex(token, line, error)) return false;
            continue;
        }
        const std::string_view name = token.substr(0, eq);
        const Key_entry* key = Find_key(name);
        // A kind's own key may share its name with a shared key the kind does not take.
        if (const Field_key* field = key && (kind->keys & key->bit) ? nullptr : Find_field(*kind, name)) {
            if (!field->repeatable && line.Field(std::string(name))) {
                error = "key " + Shown(name) + " given twice";
                return false;
            }
            line.fields.emplace_back(name, token.substr(eq + 1));
            continue;
        }
        if (!key) {
            error = "unknown key " + Shown(name);
            return false;
        }
        if (!(kind->keys & key->bit)) {
            error = "key " + Shown(name) + " does not apply to " + kind->name;
            return false;
        }
        if (line.keys & key->bit) {
            error = "key " + Shown(name) + " given twice";
            return false;
        }
        if (!key->parse(token.substr(eq + 1), line, error)) return false;
        line.keys |= key->bit;
    }
    for (std::size_t i = 0; i < key_count; ++i)
        if ((kind->required & key_table[i].bit) && !(line.keys & key_table[i].bit)) {
            error = std::string(kind->name) + " needs key \"" + key_table[i].name + "\"";
            return false;
        }
    for (const Field_key& field : kind->fields)
        if (field.required && !line.Field(field.name)) {
            error = std::string(kind->name) + " needs key \"" + field.name + "\"";
            return false;
        }
    const Byte_count& b = line.fill_crc ? kind->bytes_without_crc : kind->bytes;
    const std::size_t n = line.bytes.size();
    if (n < b.min || n > b.max || (b.step > 1 && (n - b.min) % b.step)) {
        error = std::string(kind->name) + " takes " + Byte_count_text(b) + ", got " + std::to_string(n);
        return false;
    }
    return true;
}

bool Log_line(const std::string& text, std::string& error) {
    const Kind* kind = nullptr;
    Record_line line;
    if (!Read_line(text, kind, line, error)) return false;
    return !kind || kind->log(line, error);
}

void List_kinds(std::FILE* out) {
    int width = 0;
    for (const Kind_list* list : kind_lists)
        for (std::size_t i = 0; i < list->count; ++i)
            width = std::max(width, static_cast<int>(std::strlen(list->kinds[i].name)));
    for (const Kind_list* list : kind_lists)
        for (std::size_t i = 0; i < list->count; ++i)
            std::fprintf(out, "%-*s %s\n", width, list->kinds[i].name, list->kinds[i].help);
}

namespace {

// ---- Tables ---------------------------------------------------------------------------------

// Keys under the record's XML attribute names.
const Key_entry key_table[] = {
    {"timestamp", key_timestamp, Parse_timestamp},
    {"phys_channel", key_phys_channel, Parse_phys_channel},
    {"direction", key_direction, Parse_direction},
    {"type", key_type, Parse_type},
    {"timeslot", key_timeslot, Parse_timeslot},
    {"NAC", key_nac, Parse_nac},
    {"status", key_status, Parse_status},
    {"date", key_date, Parse_date},
    {"time", key_time, Parse_time},
    {"crc", key_crc, Parse_crc},
};
const std::size_t key_count = std::size(key_table);

}  // namespace

}  // namespace tessel
