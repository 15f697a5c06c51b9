// The records the host and the library exchange: the source information that
// leads every logged record, the data-unit header, the trunking payload, the
// time and synchronisation records, the payload union through which the host
// passes every data unit, the overhead slots, channel settings and simulator
// states.
//
// Host-side fields are little-endian as the host lays them out; the
// air-interface blocks they carry keep air order.  Every record is packed so
// that its layout is the same on the 32-bit target and on x86-64.  Nothing
// here needs the XML side: the air library forms these records too.
#ifndef TESSEL_P25_RECORDS_H
#define TESSEL_P25_RECORDS_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "shared/P25/P25_block_records.h"
#include "shared/P25/P25_field_records.h"
#include "shared/P25/P25_lco.h"
#include "shared/dispatcher.h"

namespace P25 {

#pragma pack(push, 1)

// A tick count of the host's 50 MHz clock (20 ns a tick); it wraps after
// about 85.9 seconds.
struct Timestamp {
    static constexpr double ticks_per_second = 50000000.0;

    std::uint32_t value;

    double Get() const { return value / ticks_per_second; }
    // The seconds a tick count holds: 0 to 85.89934590; a document giving
    // others is refused rather than wrapped.
    static bool Fits(double seconds) {
        return seconds >= 0 && !std::signbit(seconds) && std::trunc(seconds * ticks_per_second + 1e-3) <= 4294967295.0;
    }
    static const char* Range() { return "0\xE2\x80\x93" "85.89934590"; }
    // Seconds to ticks, truncated toward zero; only the low 32 bits of the
    // tick count are kept, so any finite number of seconds is stored.  The
    // product is nudged away from zero by far less than a tick first, so that
    // a count written with its 8 decimals ("38.09231352") reads back whole
    // although the double holding it falls a hair short.
    void Set(double seconds) {
        const double product = seconds * ticks_per_second;
        const double ticks = std::trunc(product + (product < 0 ? -1e-3 : 1e-3));
        if (!std::isfinite(ticks)) {
            value = 0;
            return;
        }
        double low = std::fmod(ticks, 4294967296.0);
        if (low < 0) low += 4294967296.0;
        value = static_cast<std::uint32_t>(low);
    }
};

// The 8 bytes that lead every logged record.
struct Source_info {
    Timestamp timestamp;
    std::uint8_t phys_channel;  // also the channel of every channel-bound log call
    std::uint8_t dir_tx;        // 0 received, 1 transmitted, 2 received from the simulator
    std::uint8_t is_osp;        // 0 inbound (ISP), 1 outbound (OSP)
    std::uint8_t timeslot;
};

// Data unit IDs: the 4-bit DUID of a network identifier.
enum DUID : std::uint32_t {
    HDU = 0,
    TDU = 3,
    LDU1 = 5,
    TSDU = 7,
    LDU2 = 10,
    PDU = 12,
    TDULC = 15,
};

// Network identifier of a data unit.
struct p25_Nid {
    std::uint32_t nac;   // network access code, low 12 bits significant
    std::uint32_t duid;  // data unit ID (DUID)
};

struct Source_info_NID {
    Source_info metadata;
    p25_Nid nid;
};

// The status symbols received with a data unit, one a byte: 0 talk, 1 BUSY,
// 2 repeater, 3 IDLE.
struct Status_symbols {
    static constexpr std::size_t capacity = 24;
    std::uint32_t count;  // valid symbols; at most 24 are meaningful
    std::uint8_t syms[capacity];
};

// Every FDMA data-unit record begins with this header: the Source_info_NID
// fields, then the status symbols.
struct DUID_Header {
    Source_info metadata;
    p25_Nid nid;
    Status_symbols statuses;
};

// A single-block or multi-block trunking data unit: up to 128 blocks.
struct TSBK_PDU_data {
    static constexpr std::size_t max_blocks = 128;
    DUID_Header header;
    P25_TSBK_DATA tsbk[max_blocks];
    std::uint32_t block_count;
};

// The broken-down calendar time of the 32-bit host (its struct tm, 44
// bytes).  The zone name is a host pointer: carried, never followed.
struct Calendar_time {
    std::int32_t tm_sec;
    std::int32_t tm_min;
    std::int32_t tm_hour;
    std::int32_t tm_mday;
    std::int32_t tm_mon;
    std::int32_t tm_year;
    std::int32_t tm_wday;
    std::int32_t tm_yday;
    std::int32_t tm_isdst;
    std::int32_t tm_gmtoff;
    std::uint32_t tm_zone;

    operator std::tm() const {
        std::tm t{};
        t.tm_sec = tm_sec;
        t.tm_min = tm_min;
        t.tm_hour = tm_hour;
        t.tm_mday = tm_mday;
        t.tm_mon = tm_mon;
        t.tm_year = tm_year;
        t.tm_wday = tm_wday;
        t.tm_yday = tm_yday;
        t.tm_isdst = tm_isdst;
        return t;
    }
    // Stores the calendar fields; the zone offset and name are left alone.
    Calendar_time& operator=(const std::tm& t) {
        tm_sec = t.tm_sec;
        tm_min = t.tm_min;
        tm_hour = t.tm_hour;
        tm_mday = t.tm_mday;
        tm_mon = t.tm_mon;
        tm_year = t.tm_year;
        tm_wday = t.tm_wday;
        tm_yday = t.tm_yday;
        tm_isdst = t.tm_isdst;
        return *this;
    }
};

// The host's wall-clock time at a tick count.
struct Time_log {
    Source_info metadata;
    Calendar_time real_time;
};

// A synchronisation report of the receiver hardware.
struct HW_sync_payload {
    Timestamp timestamp;
    std::uint32_t state;
};

// ---- Link control and voice ------------------------------------------------------

// A data-unit header followed by a link-control word at byte 44.  The
// link-control log record, and every voice record that carries a word, keep
// it there, so that all of them go through the link-control descriptors
// unchanged.
struct Duid_w_any_link_control {
    DUID_Header header;
    Any_link_control lc;

    operator Any_link_control&() { return lc; }
    operator const Any_link_control&() const { return lc; }
};

// The link-control log record.
struct p25_LCO : Duid_w_any_link_control {};

// A message indicator (encryption synchronisation), in air order.
struct MI_vector {
    std::uint8_t bytes[9];
};

// Header data unit: the encryption parameters and talk group of a call.
struct p25_Voice_Hdr {
    DUID_Header header;
    MI_vector mi;
    std::uint8_t pad[3];
    std::uint16_t key_id;
    std::uint16_t tgid;
    std::uint8_t mfid;
    std::uint8_t algid;
};

// Logical data unit 1: voice with a link-control word.
struct p25_Ldu1 : Duid_w_any_link_control {};

// Logical data unit 2: voice with the encryption parameters.
struct p25_Ldu2 {
    DUID_Header header;
    MI_vector mi;
    std::uint8_t pad[3];
    std::uint16_t algid;  // the value fits in 8 bits
    std::uint16_t key_id;
};

// Terminator without and with link control.
struct p25_Term {
    DUID_Header header;
};
struct p25_TermLC : Duid_w_any_link_control {};

// Two-slot TDMA voice: the superframe (nine octets at the link-control
// position), the terminators, the encryption sync header and the
// link-control header.
struct F2_Voice_SF : Duid_w_any_link_control {};
struct F2_Term_no_LC {
    DUID_Header header;
};
struct F2_Term_LC : Duid_w_any_link_control {};
struct F2_Encrypt_Sync_Hdr {
    DUID_Header header;
    MI_vector mi;
    std::uint8_t pad[3];
    std::uint16_t key_id;
    std::uint8_t algid;
};
struct F2_Link_Control_Hdr : Duid_w_any_link_control {};

// The burst of a TDMA voice item.
enum class F2V_BURST : std::int32_t { INVALID_BURST = -1, A = 0, B = 1, C = 2, D = 3, E = 4, F = 5 };

// One TDMA voice burst; it carries no data-unit header.
struct F2_Burst {
    Source_info metadata;
    std::uint8_t cach[3];
    std::uint8_t vc1[9];
    std::uint8_t vc2[9];
    std::uint8_t vc3[9];
    std::uint8_t protocol[6];
    F2V_BURST burst;
};

// The bits of one SmartZone/SmartNet control-channel word as the host's
// decoder received or sent them.  Host byte order except the CRC; the word
// starts at the first data byte, most significant bit first.
struct SZ_bits {
    static constexpr std::size_t capacity = 84;
    std::uint32_t baud;            // 150, 300 or 3600
    std::uint8_t reserved_4[8];    // not interpreted
    std::uint8_t ch_type;          // 5 control channel, 4 traffic channel
    std::uint8_t bits;             // bits received
    std::uint8_t count;            // valid data bytes, 0-84
    std::uint8_t bit_errs;         // corrected bit errors
    std::uint8_t reserved_16[8];   // not interpreted
    BE_ushort crc;
    std::uint8_t reserved_26[2];   // not interpreted
    std::uint8_t data[capacity];
};

// One control-channel word with its source.
struct Smartnet_data_log {
    Source_info metadata;
    SZ_bits bits;
};

// Every data-unit record the host passes to the entry points.  The members
// still held as octets are the control-channel word and TDMA records
// described elsewhere; each octet member is the size of its record.
union Log_Dispatch_payload {
    DUID_Header header;
    p25_LCO lco;
    TSBK_PDU_data tsbk;
    p25_Voice_Hdr voice_header;
    p25_Ldu1 ldu1;
    p25_Ldu2 ldu2;
    p25_TermLC termlc;
    p25_Term term;
    Smartnet_data_log snsz_data;
    std::uint8_t tdma_data[48];     // Source_info-led TDMA item
    Time_log time;
    F2_Link_Control_Hdr f2linkcontrolhdr;
    F2_Voice_SF f2voicesf;
    F2_Term_no_LC f2termnolc;
    F2_Term_LC f2termlc;
    F2_Burst f2burst;
    F2_Encrypt_Sync_Hdr f2_enc_hdr;
};

#pragma pack(pop)

static_assert(sizeof(Timestamp) == 4 && offsetof(Timestamp, value) == 0, "Timestamp layout");
static_assert(sizeof(Source_info) == 8, "Source_info is 8 bytes");
static_assert(offsetof(Source_info, timestamp) == 0 && offsetof(Source_info, phys_channel) == 4 &&
                  offsetof(Source_info, dir_tx) == 5 && offsetof(Source_info, is_osp) == 6 &&
                  offsetof(Source_info, timeslot) == 7,
              "Source_info layout");
static_assert(sizeof(p25_Nid) == 8 && offsetof(p25_Nid, nac) == 0 && offsetof(p25_Nid, duid) == 4, "p25_Nid layout");
static_assert(sizeof(Source_info_NID) == 16 && offsetof(Source_info_NID, metadata) == 0 &&
                  offsetof(Source_info_NID, nid) == 8,
              "Source_info_NID layout");
static_assert(sizeof(Status_symbols) == 28 && offsetof(Status_symbols, count) == 0 &&
                  offsetof(Status_symbols, syms) == 4,
              "Status_symbols layout");
static_assert(sizeof(DUID_Header) == 44 && offsetof(DUID_Header, metadata) == 0 && offsetof(DUID_Header, nid) == 8 &&
                  offsetof(DUID_Header, statuses) == 16,
              "DUID_Header layout");
static_assert(sizeof(TSBK_PDU_data) == 1584 && offsetof(TSBK_PDU_data, header) == 0 &&
                  offsetof(TSBK_PDU_data, tsbk) == 44 && offsetof(TSBK_PDU_data, block_count) == 1580,
              "TSBK_PDU_data layout");
static_assert(sizeof(Calendar_time) == 44 && offsetof(Calendar_time, tm_sec) == 0 &&
                  offsetof(Calendar_time, tm_min) == 4 && offsetof(Calendar_time, tm_hour) == 8 &&
                  offsetof(Calendar_time, tm_mday) == 12 && offsetof(Calendar_time, tm_mon) == 16 &&
                  offsetof(Calendar_time, tm_year) == 20 && offsetof(Calendar_time, tm_wday) == 24 &&
                  offsetof(Calendar_time, tm_yday) == 28 && offsetof(Calendar_time, tm_isdst) == 32 &&
                  offsetof(Calendar_time, tm_gmtoff) == 36 && offsetof(Calendar_time, tm_zone) == 40,
              "Calendar_time is the 32-bit host's struct tm");
static_assert(sizeof(Time_log) == 52 && offsetof(Time_log, metadata) == 0 && offsetof(Time_log, real_time) == 8,
              "Time_log layout");
static_assert(sizeof(HW_sync_payload) == 8 && offsetof(HW_sync_payload, timestamp) == 0 &&
                  offsetof(HW_sync_payload, state) == 4,
              "HW_sync_payload layout");
static_assert(sizeof(Duid_w_any_link_control) == 53 && offsetof(Duid_w_any_link_control, lc) == 44 &&
                  sizeof(p25_LCO) == 53,
              "the link-control word sits at byte 44");
static_assert(sizeof(MI_vector) == 9, "MI_vector is 9 octets");
static_assert(sizeof(p25_Voice_Hdr) == 62 && offsetof(p25_Voice_Hdr, mi) == 44 && offsetof(p25_Voice_Hdr, pad) == 53 &&
                  offsetof(p25_Voice_Hdr, key_id) == 56 && offsetof(p25_Voice_Hdr, tgid) == 58 &&
                  offsetof(p25_Voice_Hdr, mfid) == 60 && offsetof(p25_Voice_Hdr, algid) == 61,
              "p25_Voice_Hdr layout");
static_assert(sizeof(p25_Ldu1) == 53 && sizeof(p25_TermLC) == 53 && sizeof(p25_Term) == 44, "FDMA voice records");
static_assert(sizeof(p25_Ldu2) == 60 && offsetof(p25_Ldu2, mi) == 44 && offsetof(p25_Ldu2, pad) == 53 &&
                  offsetof(p25_Ldu2, algid) == 56 && offsetof(p25_Ldu2, key_id) == 58,
              "p25_Ldu2 layout");
static_assert(sizeof(F2_Voice_SF) == 53 && sizeof(F2_Link_Control_Hdr) == 53 && sizeof(F2_Term_LC) == 53 &&
                  sizeof(F2_Term_no_LC) == 44,
              "TDMA voice records");
static_assert(sizeof(F2_Encrypt_Sync_Hdr) == 59 && offsetof(F2_Encrypt_Sync_Hdr, mi) == 44 &&
                  offsetof(F2_Encrypt_Sync_Hdr, pad) == 53 && offsetof(F2_Encrypt_Sync_Hdr, key_id) == 56 &&
                  offsetof(F2_Encrypt_Sync_Hdr, algid) == 58,
              "F2_Encrypt_Sync_Hdr layout");
static_assert(sizeof(F2V_BURST) == 4, "F2V_BURST is 32 bits");
static_assert(sizeof(F2_Burst) == 48 && offsetof(F2_Burst, cach) == 8 && offsetof(F2_Burst, vc1) == 11 &&
                  offsetof(F2_Burst, vc2) == 20 && offsetof(F2_Burst, vc3) == 29 &&
                  offsetof(F2_Burst, protocol) == 38 && offsetof(F2_Burst, burst) == 44,
              "F2_Burst layout");
static_assert(sizeof(SZ_bits) == 112 && offsetof(SZ_bits, baud) == 0 && offsetof(SZ_bits, reserved_4) == 4 &&
                  offsetof(SZ_bits, ch_type) == 12 && offsetof(SZ_bits, bits) == 13 && offsetof(SZ_bits, count) == 14 &&
                  offsetof(SZ_bits, bit_errs) == 15 && offsetof(SZ_bits, reserved_16) == 16 &&
                  offsetof(SZ_bits, crc) == 24 && offsetof(SZ_bits, reserved_26) == 26 && offsetof(SZ_bits, data) == 28,
              "SZ_bits layout");
static_assert(sizeof(Smartnet_data_log) == 120 && offsetof(Smartnet_data_log, metadata) == 0 &&
                  offsetof(Smartnet_data_log, bits) == 8,
              "Smartnet_data_log layout");
static_assert(sizeof(Log_Dispatch_payload) == 1584 && alignof(Log_Dispatch_payload) == 1,
              "Log_Dispatch_payload is 1584 bytes");

#pragma pack(push, 1)

// ---- Overhead slots ---------------------------------------------------------------------

// The kinds of SmartZone control-channel word an overhead slot (or the
// SmartZone overhead element) holds in place of a data unit.
enum Smartzone_word_kind : std::uint32_t {
    SMARTZONE_OSW = 128,
    SMARTZONE_ISW = 129,
    SMARTZONE_RAW = 130,
    SMARTZONE_COOKED = 131,
};

// One overhead slot of a simulated control channel: what the host repeats
// every repeat_time under handle.  A TSDU or PDU slot holds trunking blocks;
// the SmartZone kinds (duid 128-130) hold control-channel words.
struct Trunking_Overhead {
    Source_info metadata;
    std::uint32_t duid;  // TSDU, PDU, or a SmartZone word kind 128-130
    std::uint32_t handle;
    std::uint32_t repeat_time;
    union {
        TSBK_PDU_data tsbk;  // TSDU and PDU slots
        // The other records a slot can carry.
        p25_Voice_Hdr voice_header;
        p25_Ldu1 ldu1;
        p25_Ldu2 ldu2;
        p25_TermLC termlc;
        p25_Term term;
        F2_Link_Control_Hdr f2linkcontrolhdr;
        F2_Voice_SF f2voicesf;
        F2_Term_no_LC f2termnolc;
        F2_Term_LC f2termlc;
        Smartnet_data_log sz_bits;  // a whole control-channel data record (kind 130)
        // The SmartZone word slots (Smartzone::Overhead_record views them):
        std::uint8_t snsz_osw[24];  // Source_info, word count, 3 four-octet words (kind 128)
        std::uint8_t snsz_isw[21];  // Source_info, word count, 3 three-octet words (kind 129)
    };
};

// The dispatcher message that loads an overhead slot into the host.
struct Overhead_MBMessage {
    static constexpr std::uint8_t destination = 2;
    static constexpr std::uint32_t system = 9;
    static constexpr std::uint32_t command = 0xC00001;

    DispatcherHdr header;
    Trunking_Overhead payload;
};

// ---- Channel settings and simulator state --------------------------------------------------

// A physical channel made primary.
struct Chan_operation {
    std::uint32_t phys_channel;
    Timestamp timestamp;
};

// A physical channel switched on or off.
struct Chan_set_enable {
    Chan_operation operation;
    std::uint32_t enable;
};

// A physical channel tuned to a receive or transmit frequency (Hz).
struct Chan_freq {
    Chan_operation operation;
    std::uint32_t frequency;
};

// What a data item of a simulator state says.
enum SIM_STATE_TYPES : std::uint8_t {
    SIM_NO_DATA = 0,
    SIM_GROUP_ID = 1,
    SIM_GROUP_ADDRESS = 2,
    SIM_SOURCE_ID = 3,
    SIM_SOURCE_ADDRESS = 4,
    SIM_TARGET_ID = 5,
    SIM_TARGET_ADDRESS = 6,
    SIM_UNIT_ID = 7,
    SIM_UNIT_ADDRESS = 8,
    SIM_PSTN_ADDRESS = 9,
    SIM_FREQ = 10,
    SIM_SERVICE_OPTS = 11,
    SIM_WACN = 12,
    SIM_SYSTEM_ID = 13,
    SIM_RESP = 14,
    SIM_CALL_END_REASONS = 15,
};

// Why a call ended.
enum Call_end_reasons : std::uint32_t {
    NO_RADIO_DETECTED = 0,
    RADIO_TERMINATED = 1,
    SYSTEM_TERMINATED = 2,
};

// The value of a data item, read as its type says: an identifier or address
// in air order, service options, or a 32-bit host-order number.
union Sim_state_data {
    GROUP_ID group_id;
    GROUP_ADDRESS group_address;
    SOURCE_ID source_id;
    SOURCE_ADDRESS source_address;
    TARGET_ID target_id;
    TARGET_ADDRESS target_address;
    UNIT_ID unit_id;
    UNIT_ADDRESS unit_address;
    Service_options service_options;
    std::uint32_t value;  // frequency, WACN, system ID
    Response_codes response;
    Call_end_reasons call_end_reason;
};

// One data item: its value and its SIM_STATE_TYPES code.
struct Sim_state_data_type {
    Sim_state_data data;
    std::uint8_t type;
    std::uint8_t padding[3];
};

enum Mobile_sim_states : std::uint32_t {
    MOBILE_CREATED = 0,
    MOBILE_FIND_CONTROL_CHANNEL = 1,
    MOBILE_NO_CONTROL_CHANNEL = 2,
    MOBILE_NOT_CONTROL_CHANNEL = 3,
    MOBILE_REGISTER_RESPONSE = 4,
    MOBILE_AFFILIATED = 5,
    MOBILE_UNIT_TO_UNIT_INITIATE = 6,
    MOBILE_UNIT_TO_UNIT_RING = 7,
    MOBILE_UNIT_TO_UNIT_ANSWER = 8,
    MOBILE_UNIT_TO_UNIT_RX = 9,
    MOBILE_UNIT_TO_UNIT_TX = 10,
    MOBILE_UNIT_TO_UNIT_HANG = 11,
    MOBILE_GROUP_RX = 12,
    MOBILE_GROUP_TX = 13,
    MOBILE_GROUP_HANG = 14,
    MOBILE_PSTN_RX = 15,
    MOBILE_PSTN_TX = 16,
    MOBILE_UNKEY = 17,
    MOBILE_NO_TRAFFIC_CHANNEL = 18,
    MOBILE_NOT_FOR_ME = 19,
    MOBILE_FOUND_CC = 20,
    MOBILE_HW_TIMEOUT = 21,
    MOBILE_DEAD = 22,
    MOBILE_FIND_SZ_CONTROL_CHANNEL = 23,
    MOBILE_FIND_TRAFFIC_CHANNEL = 24,
    MOBILE_KEY = 25,
};

enum Control_sim_states : std::uint32_t {
    CC_CREATED = 0,
    CC_CANNOT_TUNE = 1,
    CC_MOBILE_REG = 2,
    CC_MOBILE_DEREG = 3,
    CC_MOBILE_GRP_AFF = 4,
    CC_MOBILE_GRP_REQ = 5,
    CC_GRP_GRANT = 6,
    CC_CALL_TEARDOWN = 7,
    CC_DEAD = 8,
};

enum Traffic_sim_states : std::uint32_t {
    TC_CREATED = 0,
    TC_CANNOT_TUNE = 1,
    TC_CALL_TEARDOWN = 2,
    TC_DEAD = 3,
    TC_GROUP_HANG = 4,
    TC_GROUP_ACTIVE = 5,
    TC_UNIT2UNIT_HANG = 6,
    TC_UNIT2UNIT_ACTIVE = 7,
};

struct Mobile_sim_hdr {
    std::uint32_t id;
};

// A simulated mobile changed state.
struct Mobile_sim_state {
    Mobile_sim_hdr header;
    Timestamp timestamp;
    Mobile_sim_states state;
    Sim_state_data_type data;
};

struct Control_channel_hdr {
    std::uint32_t phys_channel;
    std::uint32_t timeslot;
};

// A simulated control channel changed state.
struct Control_sim_state {
    static constexpr std::size_t items = 4;
    Control_channel_hdr header;
    Timestamp timestamp;
    Control_sim_states state;
    Sim_state_data_type data[items];
};

struct Voice_channel_hdr {
    std::uint32_t phys_channel;
    std::uint32_t timeslot;
};

// A simulated traffic channel changed state.
struct Traffic_sim_state {
    static constexpr std::size_t items = 4;
    Voice_channel_hdr header;
    Timestamp timestamp;
    Traffic_sim_states state;
    Sim_state_data_type data[items];
};

#pragma pack(pop)

static_assert(sizeof(Trunking_Overhead) == 1604 && offsetof(Trunking_Overhead, metadata) == 0 &&
                  offsetof(Trunking_Overhead, duid) == 8 && offsetof(Trunking_Overhead, handle) == 12 &&
                  offsetof(Trunking_Overhead, repeat_time) == 16 && offsetof(Trunking_Overhead, tsbk) == 20 &&
                  offsetof(Trunking_Overhead, tsbk.tsbk) == 64 && offsetof(Trunking_Overhead, tsbk.block_count) == 1600,
              "Trunking_Overhead layout");
static_assert(sizeof(Overhead_MBMessage) == 1620 && sizeof(Overhead_MBMessage) % 4 == 0 &&
                  offsetof(Overhead_MBMessage, payload) == 16,
              "Overhead_MBMessage is a dispatcher header and a whole overhead slot");
static_assert(sizeof(Chan_operation) == 8 && offsetof(Chan_operation, phys_channel) == 0 &&
                  offsetof(Chan_operation, timestamp) == 4,
              "Chan_operation layout");
static_assert(sizeof(Chan_set_enable) == 12 && offsetof(Chan_set_enable, enable) == 8, "Chan_set_enable layout");
static_assert(sizeof(Chan_freq) == 12 && offsetof(Chan_freq, frequency) == 8, "Chan_freq layout");
static_assert(sizeof(Sim_state_data) == 4 && sizeof(Sim_state_data_type) == 8 &&
                  offsetof(Sim_state_data_type, data) == 0 && offsetof(Sim_state_data_type, type) == 4,
              "a simulator data item is 8 bytes, its type at 4");
static_assert(sizeof(Mobile_sim_hdr) == 4 && sizeof(Mobile_sim_state) == 20 &&
                  offsetof(Mobile_sim_state, timestamp) == 4 && offsetof(Mobile_sim_state, state) == 8 &&
                  offsetof(Mobile_sim_state, data) == 12,
              "Mobile_sim_state layout");
static_assert(sizeof(Control_channel_hdr) == 8 && offsetof(Control_channel_hdr, timeslot) == 4 &&
                  sizeof(Control_sim_state) == 48 && offsetof(Control_sim_state, timestamp) == 8 &&
                  offsetof(Control_sim_state, state) == 12 && offsetof(Control_sim_state, data) == 16,
              "Control_sim_state layout");
static_assert(sizeof(Voice_channel_hdr) == 8 && offsetof(Voice_channel_hdr, timeslot) == 4 &&
                  sizeof(Traffic_sim_state) == 48 && offsetof(Traffic_sim_state, timestamp) == 8 &&
                  offsetof(Traffic_sim_state, state) == 12 && offsetof(Traffic_sim_state, data) == 16,
              "Traffic_sim_state layout");

}  // namespace P25

#endif
