// Record scripts: one binary record a line, "KIND [KEY=VALUE]... [HEX]...".
// The line reader (script.cpp) splits a line into the shared keys every
// record starts with, the kind's own keys and its air bytes; each kind's
// logger builds the kind's record from them and calls its entry point.
//
// Kinds are grouped by the area of the library they feed, one file a group
// (kinds_trunking.cpp, ...); a group is a Kind_list named in script.cpp's list
// of groups.
#ifndef TESSEL_TOOL_SCRIPT_H
#define TESSEL_TOOL_SCRIPT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "P25_processing.h"

namespace tessel {

// The shared keys a line can give, one bit each.
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
    unsigned keys = 0;      // the shared keys the line gave
    bool fill_crc = false;  // crc=fill: 10-octet TSBKs, each completed with its CRC
    // The kind's own keys, name and value as written, in line order.
    std::vector<std::pair<std::string, std::string>> fields;

    Record_line() { source.is_osp = 1; }

    // The value of the kind's own key NAME, or null when the line lacks it
    // (the first one for a repeatable key).
    const std::string* Field(const std::string& name) const;
};

// How many air bytes a kind takes: min to max, in steps of step.
struct Byte_count {
    std::size_t min, max, step;
};
constexpr Byte_count no_bytes{0, 0, 1};

// Builds the kind's record from the line and calls its entry point; false
// with a message, and nothing logged, when the record cannot be built.
using Kind_logger = bool (*)(const Record_line& line, std::string& error);

// A key of one kind's own, beside the shared ones.
struct Field_key {
    const char* name;  // the XML attribute or child name it fills
    bool required = false;
    bool repeatable = false;  // may be given more than once
    // The value the key has when a line leaves it out, written as the log
    // prints it (encode leaves such keys out); null when it has none or
    // when it depends on the rest of the line.
    const char* default_value = nullptr;
};

struct Kind {
    const char* name;
    const char* help;   // the line in `tessel log --kinds`
    unsigned keys;      // the shared keys it accepts
    unsigned required;  // the shared keys it cannot do without
    Byte_count bytes;
    Byte_count bytes_without_crc;  // with crc=fill; no_bytes when the kind has no such key
    Kind_logger log;
    // Its own keys: a list written in place in the kind's row (its array
    // lives as long as the table, made when the program is built).
    std::initializer_list<Field_key> fields = {};
};

// One area's kinds.
struct Kind_list {
    const Kind* kinds;
    std::size_t count;
};
extern const Kind_list trunking_kinds;   // kinds_trunking.cpp
extern const Kind_list voice_kinds;      // kinds_voice.cpp
extern const Kind_list state_kinds;      // kinds_state.cpp
extern const Kind_list overhead_kinds;   // kinds_overhead.cpp
extern const Kind_list smartzone_kinds;  // kinds_smartzone.cpp

// The bits a SmartZone channel-word line without "bits" gives its record:
// a 3600-baud word's (27 outbound, 21 inbound), else 8 a data byte.
std::uint8_t Default_word_bits(std::uint32_t baud, bool outbound, std::size_t bytes);

// ---- Where the records of the air go ---------------------------------------------------

// The kinds of the air (the data units, their status symbols and the host's
// time) hand the record they build to the record sink when one is set, in
// place of their entry point: the same calls with the same records as the
// library's receive listener gets for the elements of a document
// (P25_receive.h), so that one consumer takes both.  A data unit that feeds
// no hook of its own comes as a Received_element with its tag and no element.
// Without a sink the record is logged.  The other kinds always log.
void Set_record_sink(P25::Receive_listener sink);
const P25::Receive_listener& Record_sink();

// Hands the record to the sink, or, without one, calls log.
template <class Log>
void Deliver(P25::Received what, const void* record, Log&& log) {
    if (const P25::Receive_listener& sink = Record_sink())
        sink(what, record);
    else
        log();
}
// The same for a data unit that feeds no hook of its own, by its element's tag.
template <class Log>
void Deliver_element(const char* tag, const void* record, Log&& log) {
    const P25::Received_element element{tag, record, nullptr};
    Deliver(P25::Received::element, &element, log);
}

// ---- Helpers for the kinds' loggers ---------------------------------------------------

// A token as it may be shown in a message: printable, and not too long.
std::string Shown(std::string_view token);
// The value of a hexadecimal digit, or -1.
int Digit_value(char c);
// Digits of one base, nothing else, at most max.
bool Parse_number(const std::string& text, unsigned base, unsigned long max, unsigned long& out);
// Days since 1970-01-01 of a proleptic Gregorian date.
long Days_from_epoch(int year, int month, int day);
// "0x" then hexadecimal digits, or decimal digits, at most max.
bool Parse_decimal_or_hex(const std::string& text, unsigned long max, unsigned long& out);
// The source, NID and status symbols of the line as a data-unit header.
P25::DUID_Header Header_of(const Record_line& line);

// Reads one line into its kind and its record, without logging it: false,
// with a message, for a line that cannot be read; kind stays null for a
// blank line or a comment.
bool Read_line(const std::string& text, const Kind*& kind, Record_line& line, std::string& error);
// The kind of that name, or null.
const Kind* Find_kind(std::string_view name);
// Every kind, in the order `tessel log --kinds` lists them.
std::vector<const Kind*> All_kinds();
// Reads one line and logs its record.  False, with a message, for a line
// that cannot be read: nothing is logged for it.
bool Log_line(const std::string& text, std::string& error);
// Prints one line a kind: its name and its help.
void List_kinds(std::FILE* out);

}  // namespace tessel

#endif
