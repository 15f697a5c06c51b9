// The records the host and the library exchange: the source information that
// leads every logged record, the data-unit header, the trunking payload, the
// time and synchronisation records and the payload union through which the
// host passes every data unit; the library's exported log entry points and
// receive hooks, and the host's dispatcher.
//
// Host-side fields are little-endian as the host lays them out; the
// air-interface blocks they carry keep air order.  Every record is packed so
// that its layout is the same on the 32-bit target and on x86-64.
#ifndef TESSEL_P25_SHARED_STRUCT_H
#define TESSEL_P25_SHARED_STRUCT_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "shared/P25/P25_messages.h"
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

// Network identifier of a data unit.
struct p25_Nid {
    std::uint32_t nac;   // network access code, low 12 bits significant
    std::uint32_t duid;  // data unit ID
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

// Every data-unit record the host passes to the entry points.  The members
// still held as octets are the link-control, voice, control-channel word and
// TDMA records described elsewhere; each octet member is the size of its
// record.
union Log_Dispatch_payload {
    DUID_Header header;
    std::uint8_t lco[53];           // DUID_Header + 9-octet link-control word
    TSBK_PDU_data tsbk;
    std::uint8_t voice_header[62];  // DUID_Header + MI, padding, key ID, TGID, MFID, ALGID
    std::uint8_t ldu1[53];          // DUID_Header + link-control word
    std::uint8_t ldu2[60];          // DUID_Header + MI, padding, ALGID, key ID
    std::uint8_t termlc[53];        // DUID_Header + link-control word
    std::uint8_t term[44];          // DUID_Header only
    std::uint8_t snsz_data[120];    // Source_info + control-channel word bits
    std::uint8_t tdma_data[48];     // Source_info-led TDMA item
    Time_log time;
    std::uint8_t f2linkcontrolhdr[53];  // DUID_Header + link-control word
    std::uint8_t f2voicesf[53];         // DUID_Header + nine octets
    std::uint8_t f2termnolc[44];        // DUID_Header only
    std::uint8_t f2termlc[53];          // DUID_Header + link-control word
    std::uint8_t f2burst[48];           // Source_info, CACH, 3 codewords, protocol, burst letter
    std::uint8_t f2_enc_hdr[59];        // DUID_Header + MI, padding, key ID, ALGID
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
static_assert(sizeof(Log_Dispatch_payload) == 1584 && alignof(Log_Dispatch_payload) == 1,
              "Log_Dispatch_payload is 1584 bytes");

// Records described by other parts of the library, named here for the
// receive hooks.  Each begins with its Source_info.
struct Trunking_data;
struct p25_LCO;
struct Trunking_Overhead;

// The host's dispatcher, created when the library is loaded.
extern Dispatcher* dispatcher;

// ---- Log entry points -----------------------------------------------------------

// "Status_bits" of the header, on its channel, class Log_protocol_raw.  Every
// FDMA data-unit entry point calls it first.
void Log_Status_syms(const DUID_Header& header);
// "DateTime", without a channel, class Log_Environment.
void Log_time(const Time_log& record);
// Network identifiers are not logged on their own: does nothing.
void Log_NID(const Log_Dispatch_payload& payload);

// Raw trunking data units (one TSBK, a whole PDU, a PDU block by block).
void Log_TSBK(const Log_Dispatch_payload& payload);
void Log_PDU(const Log_Dispatch_payload& payload);
void Log_PDU_header(const Log_Dispatch_payload& payload);
void Log_PDU_cont(const Log_Dispatch_payload& payload);

// Voice data units, FDMA and two-slot TDMA.
void Log_Voice_header(const Log_Dispatch_payload& payload);
void Log_voice_term(const Log_Dispatch_payload& payload);
void Log_voice_term_LC(const Log_Dispatch_payload& payload);
void Log_voice_LDU1(const Log_Dispatch_payload& payload);
void Log_voice_LDU2(const Log_Dispatch_payload& payload);
void Log_F2_voice_sf(const Log_Dispatch_payload& payload);
void Log_F2_burst(const Log_Dispatch_payload& payload);
void Log_F2_enc_hdr(const Log_Dispatch_payload& payload);
void Log_F2_lc_hdr(const Log_Dispatch_payload& payload);

// ---- Receive hooks: records read from input documents, on their way to the host -----

void Receive_Trunk_from_XML(const Trunking_data& record);
void Receive_LCO_from_XML(const p25_LCO& record);
void Receive_TSBK_from_XML(const TSBK_PDU_data& record);
void Receive_PDU_from_XML(const TSBK_PDU_data& record);
void Receive_PDU_header_from_XML(const TSBK_PDU_data& record);
void Receive_PDU_cont_from_XML(const TSBK_PDU_data& record);
void Receive_Overhead_from_XML(const Trunking_Overhead& record);

}  // namespace P25

#endif
