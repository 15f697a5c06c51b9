// tessel log: reads a record script, one binary record a line, and hands
// each record to the library's log entry point for its kind, as a host's
// receivers and transmitters would.  The elements the library logs make up
// the log document.
//
// A line is "KIND [KEY=VALUE]... [HEX]...".  The kinds and the keys are the
// two tables at the bottom of this file: a new kind is one more entry in the
// kind table plus the function that builds its record and calls its entry
// point.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"
#include "commands.h"

namespace tessel {

const char log_usage[] =
    "Usage: tessel log [FILE] [--out FILE]\n"
    "       tessel log --kinds\n"
    "\n"
    "Reads a record script (standard input when FILE is absent or \"-\") and\n"
    "hands each record to the library's log entry point for its kind; the\n"
    "elements logged make up the log document.\n"
    "\n"
    "  --out FILE  write the log document to FILE instead of standard output\n"
    "  --kinds     list the kinds of record a script can hold, and stop\n"
    "\n"
    "One record a line: KIND [KEY=VALUE]... [HEX]...  Blank lines and lines\n"
    "starting with # are ignored.  Keys: timestamp (seconds), phys_channel,\n"
    "direction (rx, tx, rx_sim), type (isp, osp), timeslot, NAC (hexadecimal),\n"
    "status (talk, BUSY, repeater, IDLE or 0-3, comma-separated), and, for\n"
    "time, date=YYYY/MM/DD and time=HH:MM:SS.  HEX: the record's air bytes.\n"
    "\n"
    "A line that cannot be read is reported on standard error as FILE:LINE:\n"
    "message and nothing is logged for it; the other lines are still logged.\n"
    "Exit status: 0 when every line was logged, 1 when a line was refused,\n"
    "2 for an unreadable file or a bad command line.\n";

namespace {

// ---- One line of a script, as read --------------------------------------------------------

// The keys a line can give, one bit each.
enum Key : unsigned {
    key_timestamp = 1u << 0,
    key_phys_channel = 1u << 1,
    key_direction = 1u << 2,
    key_type = 1u << 3,
    key_timeslot = 1u << 4,
    key_nac = 1u << 5,
    key_status = 1u << 6,
    key_date = 1u << 7,
    key_time = 1u << 8,
    key_crc = 1u << 9,
};
// The source fields every record carries.
constexpr unsigned source_keys = key_timestamp | key_phys_channel | key_direction | key_type | key_timeslot;
// The source, NID and status symbols of a data-unit header.
constexpr unsigned header_keys = source_keys | key_nac | key_status;
// The host's date and time, and with the source.
constexpr unsigned date_and_time = key_date | key_time;
constexpr unsigned time_keys = source_keys | date_and_time;

struct Calendar_date {
    int year = 0, month = 0, day = 0;
};
struct Clock_time {
    int hour = 0, minute = 0, second = 0;
};

struct Record_line {
    P25::Source_info source{};  // until the keys say otherwise: 0 s, channel 0, rx, osp, timeslot 0
    std::uint32_t nac = 0;
    P25::Status_symbols statuses{};
    Calendar_date date;
    Clock_time time;
    std::vector<std::uint8_t> bytes;
    unsigned keys = 0;  // the keys the line gave
    bool fill_crc = false;  // crc=fill: 10-octet TSBKs, each completed with its CRC

    Record_line() { source.is_osp = 1; }
};

// Reads the value of one key into the line; false with a message when it
// cannot.
using Key_parser = bool (*)(const std::string& value, Record_line& line, std::string& error);

struct Key_entry {
    const char* name;  // the record's XML attribute name
    unsigned bit;
    Key_parser parse;
};

// How many air bytes a kind takes: min to max, in steps of step.
struct Byte_count {
    std::size_t min, max, step;
};
constexpr Byte_count no_bytes{0, 0, 1};
// Whole 12-octet blocks: one TSBK or PDU block, or a run of up to 127.
constexpr Byte_count one_block{12, 12, 1};
constexpr Byte_count blocks{12, 127 * 12, 12};
// TSBKs without their CRC (crc=fill).
constexpr Byte_count tsbks_without_crc{10, 127 * 10, 10};

// Builds the kind's record from the line and calls its entry point; false
// with a message, and nothing logged, when the record cannot be built.
using Kind_logger = bool (*)(const Record_line& line, std::string& error);

struct Kind {
    const char* name;
    const char* help;   // the line in `tessel log --kinds`
    unsigned keys;      // the keys it accepts
    unsigned required;  // the keys it cannot do without
    Byte_count bytes;
    Byte_count bytes_without_crc;  // with crc=fill; no_bytes when the kind has no such key
    Kind_logger log;
};

// The tables, at the bottom of this file.
extern const Key_entry key_table[];
extern const std::size_t key_count;
extern const Kind kind_table[];
extern const std::size_t kind_count;

const Kind* Find_kind(const std::string& name) {
    for (std::size_t i = 0; i < kind_count; ++i)
        if (name == kind_table[i].name) return &kind_table[i];
    return nullptr;
}

const Key_entry* Find_key(const std::string& name) {
    for (std::size_t i = 0; i < key_count; ++i)
        if (name == key_table[i].name) return &key_table[i];
    return nullptr;
}

// ---- Values ---------------------------------------------------------------------------------

// A token as it may be shown in a message: printable, and not too long.
std::string Shown(const std::string& token) {
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

// Digits of one base, nothing else, at most max.
bool Parse_number(const std::string& text, unsigned base, unsigned long max, unsigned long& out) {
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

bool Parse_octet(const char* key, const std::string& value, std::uint8_t& out, std::string& error) {
    unsigned long n;
    if (!Parse_number(value, 10, 255, n)) {
        error = std::string("bad ") + key + " " + Shown(value) + ": a decimal number from 0 to 255 is needed";
        return false;
    }
    out = static_cast<std::uint8_t>(n);
    return true;
}

// Seconds as decimal digits with an optional fraction, to 50 MHz ticks,
// truncated.  Exact: a tick is 2e-8 s, so the ticks of the fraction are half
// its first eight digits.
bool Parse_timestamp(const std::string& value, Record_line& line, std::string& error) {
    const char* digits = "0123456789";
    const std::size_t dot = value.find('.');
    const std::string whole = value.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : value.substr(dot + 1);
    if (whole.empty() || whole.find_first_not_of(digits) != std::string::npos ||
        (dot != std::string::npos && (fraction.empty() || fraction.find_first_not_of(digits) != std::string::npos))) {
        error = "bad timestamp " + Shown(value) + ": seconds as decimal digits are needed";
        return false;
    }
    unsigned long seconds = 0, first_eight = 0;
    const bool fits = Parse_number(whole, 10, 85, seconds);
    if (!fraction.empty()) Parse_number((fraction + "0000000").substr(0, 8), 10, 99999999, first_eight);
    const unsigned long long ticks = seconds * 50000000ull + first_eight / 2;
    if (!fits || ticks > 0xFFFFFFFFull) {
        error = "timestamp " + Shown(value) + " out of range: the tick count holds at most 85.89934590 seconds";
        return false;
    }
    line.source.timestamp.value = static_cast<std::uint32_t>(ticks);
    return true;
}

bool Parse_phys_channel(const std::string& value, Record_line& line, std::string& error) {
    return Parse_octet("phys_channel", value, line.source.phys_channel, error);
}

bool Parse_timeslot(const std::string& value, Record_line& line, std::string& error) {
    return Parse_octet("timeslot", value, line.source.timeslot, error);
}

// A name of one of the library's enumeration tables.
bool Parse_name(const char* key, const XML_routines::Value_hash<unsigned char>& names, const char* choices,
                const std::string& value, std::uint8_t& out, std::string& error) {
    unsigned char v;
    if (value.empty() || !names.Lookup(value.c_str(), v)) {
        error = std::string("bad ") + key + " " + Shown(value) + ": one of " + choices + " is needed";
        return false;
    }
    out = v;
    return true;
}

bool Parse_direction(const std::string& value, Record_line& line, std::string& error) {
    return Parse_name("direction", XML_routines::direction_names, "rx, tx, rx_sim", value, line.source.dir_tx,
                      error);
}

bool Parse_type(const std::string& value, Record_line& line, std::string& error) {
    return Parse_name("type", XML_routines::type_names, "isp, osp", value, line.source.is_osp, error);
}

bool Parse_nac(const std::string& value, Record_line& line, std::string& error) {
    std::string digits = value;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
    unsigned long n;
    if (!Parse_number(digits, 16, 0xFFF, n)) {
        error = "bad NAC " + Shown(value) + ": a hexadecimal number from 0 to FFF is needed";
        return false;
    }
    line.nac = static_cast<std::uint32_t>(n);
    return true;
}

// Symbols by name or as digits 0-3, separated by commas; empty for none.
bool Parse_status(const std::string& value, Record_line& line, std::string& error) {
    P25::Status_symbols statuses{};
    std::size_t start = 0;
    while (!value.empty() && start <= value.size()) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        const std::string symbol = value.substr(start, comma - start);
        unsigned char v = 0;
        unsigned long digit;
        const bool named = !symbol.empty() && XML_routines::status_names.Lookup(symbol.c_str(), v);
        if (!named && !Parse_number(symbol, 10, 3, digit)) {
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
bool Parse_triple(const std::string& value, char separator, const int (&widths)[3], int (&out)[3]) {
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && (pos >= value.size() || value[pos++] != separator)) return false;
        const std::string field = value.substr(pos, static_cast<std::size_t>(widths[i]));
        unsigned long n;
        if (field.size() != static_cast<std::size_t>(widths[i]) || !Parse_number(field, 10, 9999, n)) return false;
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

bool Parse_date(const std::string& value, Record_line& line, std::string& error) {
    int f[3];
    if (!Parse_triple(value, '/', {4, 2, 2}, f) || f[1] < 1 || f[1] > 12 || f[2] < 1 ||
        f[2] > Days_in_month(f[0], f[1])) {
        error = "bad date " + Shown(value) + ": a calendar date YYYY/MM/DD is needed";
        return false;
    }
    line.date = {f[0], f[1], f[2]};
    return true;
}

bool Parse_crc(const std::string& value, Record_line& line, std::string& error) {
    if (value != "fill") {
        error = "crc takes only \"fill\", got " + Shown(value);
        return false;
    }
    line.fill_crc = true;
    return true;
}

bool Parse_time(const std::string& value, Record_line& line, std::string& error) {
    int f[3];
    if (!Parse_triple(value, ':', {2, 2, 2}, f) || f[0] > 23 || f[1] > 59 || f[2] > 60) {
        error = "bad time " + Shown(value) + ": a time of day HH:MM:SS is needed";
        return false;
    }
    line.time = {f[0], f[1], f[2]};
    return true;
}

// Pairs of hexadecimal digits, appended to the line's bytes.
bool Parse_hex(const std::string& token, Record_line& line, std::string& error) {
    for (char c : token)
        if (Digit_value(c) < 0) {
            error = "bad byte string " + Shown(token) + ": hexadecimal digits are needed";
            return false;
        }
    if (token.size() % 2) {
        error = "odd number of hexadecimal digits in " + Shown(token);
        return false;
    }
    for (std::size_t i = 0; i < token.size(); i += 2)
        line.bytes.push_back(static_cast<std::uint8_t>(Digit_value(token[i]) * 16 + Digit_value(token[i + 1])));
    return true;
}

// ---- Records of each kind -------------------------------------------------------------

P25::DUID_Header Header_of(const Record_line& line) {
    P25::DUID_Header header{};
    header.metadata = line.source;
    header.nid.nac = line.nac;
    header.statuses = line.statuses;
    return header;
}

bool Log_status_line(const Record_line& line, std::string&) {
    P25::Log_Status_syms(Header_of(line));
    return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long Days_from_epoch(int year, int month, int day) {
    const int y = year - (month <= 2);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long year_of_era = y - era * 400;
    const long day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
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
    P25::Log_time(record);
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
    P25::Log_TSBK(Trunking_payload(line));
    return true;
}
bool Log_pdu_line(const Record_line& line, std::string&) {
    P25::Log_PDU(Trunking_payload(line));
    return true;
}
bool Log_pdu_header_line(const Record_line& line, std::string&) {
    P25::Log_PDU_header(Trunking_payload(line));
    return true;
}
bool Log_pdu_cont_line(const Record_line& line, std::string&) {
    P25::Log_PDU_cont(Trunking_payload(line));
    return true;
}

// ---- Lines ------------------------------------------------------------------------------

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    const char* blanks = " \t\r\v\f";
    while ((pos = text.find_first_not_of(blanks, pos)) != std::string::npos) {
        const std::size_t end = text.find_first_of(blanks, pos);
        tokens.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

std::string Byte_count_text(const Byte_count& b) {
    if (b.max == 0) return "no bytes";
    if (b.min == b.max) return std::to_string(b.min) + " bytes";
    std::string s = std::to_string(b.min) + " to " + std::to_string(b.max) + " bytes";
    if (b.step > 1) s += " in steps of " + std::to_string(b.step);
    return s;
}

// Reads one line and logs its record.  False, with a message, for a line
// that cannot be read: nothing is logged for it.
bool Log_line(const std::string& text, std::string& error) {
    const std::vector<std::string> tokens = Tokens(text);
    if (tokens.empty() || tokens[0][0] == '#') return true;

    const Kind* kind = Find_kind(tokens[0]);
    if (!kind) {
        error = "unknown kind " + Shown(tokens[0]) + " ('tessel log --kinds' lists them)";
        return false;
    }
    Record_line line;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        const std::size_t eq = token.find('=');
        if (eq == std::string::npos) {
            if (!Parse_hex(token, line, error)) return false;
            continue;
        }
        const std::string name = token.substr(0, eq);
        const Key_entry* key = Find_key(name);
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
    const Byte_count& b = line.fill_crc ? kind->bytes_without_crc : kind->bytes;
    const std::size_t n = line.bytes.size();
    if (n < b.min || n > b.max || (b.step > 1 && (n - b.min) % b.step)) {
        error = std::string(kind->name) + " takes " + Byte_count_text(b) + ", got " + std::to_string(n);
        return false;
    }
    return kind->log(line, error);
}

void List_kinds(std::FILE* out) {
    for (std::size_t i = 0; i < kind_count; ++i) std::fprintf(out, "%-11s %s\n", kind_table[i].name, kind_table[i].help);
}

// Logs every line of the script; counts the lines refused.  False when the
// script could not be read to its end.
bool Log_script(std::FILE* in, const std::string& name, unsigned long& refused) {
    char* buffer = nullptr;
    std::size_t capacity = 0;
    unsigned long number = 0;
    ssize_t length;
    while ((length = getline(&buffer, &capacity, in)) >= 0) {
        std::string text(buffer, static_cast<std::size_t>(length));
        ++number;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (number == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        std::string error;
        if (!Log_line(text, error)) {
            std::fprintf(stderr, "%s:%lu: %s\n", name.c_str(), number, error.c_str());
            ++refused;
        }
    }
    std::free(buffer);
    return !std::ferror(in);
}

}  // namespace

int Log(const Arguments& args) {
    std::string out_path;
    bool kinds = false;
    std::vector<std::string> files;
    if (!Parse_options("log", args, {{"--out", &out_path, nullptr}, {"--kinds", nullptr, &kinds}}, files))
        return exit_usage;
    if (kinds) {
        if (!files.empty() || !out_path.empty()) return Usage_error("log", "--kinds takes no other argument");
        List_kinds(stdout);
        return exit_ok;
    }
    if (files.size() > 1) return Usage_error("log", "more than one record script");
    const std::string input_path = files.empty() ? "-" : files[0];
    const bool from_stdin = input_path == "-";

    File script;
    if (!from_stdin) {
        errno = 0;
        script.reset(std::fopen(input_path.c_str(), "r"));
        // A directory opens but cannot be read: find out before writing anything.
        int c = EOF;
        if (script && ((c = std::getc(script.get())) != EOF || !std::ferror(script.get()))) {
            if (c != EOF) std::ungetc(c, script.get());
        } else {
            return Usage_error("log", "cannot read " + input_path + ": " + std::strerror(errno ? errno : EIO));
        }
        if (!out_path.empty() && Same_file(out_path, input_path))
            return Usage_error("log", "would overwrite the record script " + input_path);
    }

    std::unique_ptr<XML_routines::Output_file> log;
    if (out_path.empty()) {
        log = std::make_unique<XML_routines::Output_file>(stdout);
    } else {
        log = XML_routines::Output_file::Open(out_path.c_str());
        if (!log) return Usage_error("log", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    XML_routines::Output_file::Set_current(log.get());
    unsigned long refused = 0;
    const bool read = Log_script(from_stdin ? stdin : script.get(), input_path, refused);
    XML_routines::Output_file::Set_current(nullptr);
    log->Close();

    if (!read) {
        std::fprintf(stderr, "tessel log: error reading %s\n", input_path.c_str());
        return exit_usage;
    }
    return refused ? exit_reported : exit_ok;
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

const Kind kind_table[] = {
    // name, help, keys accepted, keys required, air bytes, air bytes with crc=fill, logger
    {"status", "Status_bits of a data unit; keys: source, NAC, status", header_keys, 0, no_bytes, no_bytes, Log_status_line},
    {"time", "DateTime of the host; keys: source, date, time (both needed)", time_keys, date_and_time, no_bytes, no_bytes, Log_time_line},
    {"tsbk", "a run of TSBKs, 12-octet blocks (crc=fill: 10-octet blocks, CRC added)", header_keys | key_crc, 0, blocks, tsbks_without_crc, Log_tsbk_line},
    {"pdu", "a whole multi-block PDU, 12-octet blocks", header_keys, 0, blocks, no_bytes, Log_pdu_line},
    {"pdu_header", "the header block of a PDU fed block by block", header_keys, 0, one_block, no_bytes, Log_pdu_header_line},
    {"pdu_cont", "a continuation block of a PDU fed block by block", header_keys, 0, one_block, no_bytes, Log_pdu_cont_line},
};
const std::size_t kind_count = std::size(kind_table);

}  // namespace

}  // namespace tessel
