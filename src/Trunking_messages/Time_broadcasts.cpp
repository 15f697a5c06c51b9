// Time broadcasts: the control channel announces the date, the time and the
// local offset from UTC, each with its own valid flag, and broadcasts the
// synchronisation of its TDMA microslots to the minute.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Synchronisation broadcast (TSBK).
struct SYNC_BCST_packet {
    P25_TSBK_header header;
    SYNC_BCAST_data sync;  // 2-9
    CRC_short crc;         // 10-11
};

// Time and date announcement (TSBK): octet 2 holds the valid flags of the
// date (bit 7), the time (bit 6) and the local offset (bit 5).
struct TIME_DATE_ANN_packet {
    P25_TSBK_header header;
    Time_flags flags;  // 2-3
    Date_layout date;  // 4-6
    Time_layout time;  // 7-9
    CRC_short crc;     // 10-11

    unsigned Get_date_reserved() const { return GetSet_bf_reserved<Date_layout, unsigned>().Get(date); }
    void Set_date_reserved(unsigned v) { GetSet_bf_reserved<Date_layout, unsigned>().Set(v, date); }
    unsigned Get_time_reserved() const { return GetSet_bf_reserved<Time_layout, unsigned>().Get(time); }
    void Set_time_reserved(unsigned v) { GetSet_bf_reserved<Time_layout, unsigned>().Set(v, time); }
    bool Get_date_valid() const { return GetSet_bf_valid_date<Time_flags, bool>().Get(flags); }
    void Set_date_valid(bool v) { GetSet_bf_valid_date<Time_flags, bool>().Set(v, flags); }
    bool Get_time_valid() const { return GetSet_bf_valid_time<Time_flags, bool>().Get(flags); }
    void Set_time_valid(bool v) { GetSet_bf_valid_time<Time_flags, bool>().Set(v, flags); }
};

#pragma pack(pop)

static_assert(sizeof(SYNC_BCST_packet) == 12 && offsetof(SYNC_BCST_packet, sync) == 2 &&
                  offsetof(SYNC_BCST_packet, crc) == 10,
              "SYNC_BCST_packet layout");
static_assert(sizeof(TIME_DATE_ANN_packet) == 12 && offsetof(TIME_DATE_ANN_packet, flags) == 2 &&
                  offsetof(TIME_DATE_ANN_packet, date) == 4 && offsetof(TIME_DATE_ANN_packet, time) == 7 &&
                  offsetof(TIME_DATE_ANN_packet, crc) == 10,
              "TIME_DATE_ANN_packet layout");

// ---- attribute tables ----------------------------------------------------------------

static Attrib::Attrib_Table<TIME_DATE_ANN_packet> date_attr_table[] = {
    Get_attrib("Reserved", &TIME_DATE_ANN_packet::Get_date_reserved, &TIME_DATE_ANN_packet::Set_date_reserved),
    Get_attrib("valid", &TIME_DATE_ANN_packet::Get_date_valid, &TIME_DATE_ANN_packet::Set_date_valid),
};
static const Attrib::Attrib_Hash<TIME_DATE_ANN_packet> date_attr(date_attr_table);

static Attrib::Attrib_Table<TIME_DATE_ANN_packet> time_attr_table[] = {
    Get_attrib("Reserved", &TIME_DATE_ANN_packet::Get_time_reserved, &TIME_DATE_ANN_packet::Set_time_reserved, "%02X"),
    Get_attrib("valid", &TIME_DATE_ANN_packet::Get_time_valid, &TIME_DATE_ANN_packet::Set_time_valid),
};
static const Attrib::Attrib_Hash<TIME_DATE_ANN_packet> time_attr(time_attr_table);

// ---- descriptors -----------------------------------------------------------------------
//
// The announced date and time, each with the valid flag that octet 2 holds for it.

static const Info<TIME_DATE_ANN_packet> announced_date("Date", date_attr, Get_Access(&TIME_DATE_ANN_packet::date, Format::YYMMDD));
static const Info<TIME_DATE_ANN_packet> announced_time("Time", time_attr, Get_Access(&TIME_DATE_ANN_packet::time, Format::HHMMSS));

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<SYNC_BCST_packet> sync_bcst_fields[] = {
    // "Reserved", "Minute_correction", "Local_offset", "Date", "Time", "Microslots"
    Subelement(&SYNC_BCST_packet::sync, sync_info),
};

static Subelement_table<TIME_DATE_ANN_packet> time_date_ann_fields[] = {
    Subelement(GetSet_bf_reserved1<Time_flags, bool>(), "Reserved").Of(&TIME_DATE_ANN_packet::flags),
    Subelement(&TIME_DATE_ANN_packet::flags),  // "Local_offset"
    Subelement(announced_date),                // "Date"
    Subelement(announced_time),                // "Time"
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<SYNC_BCST_packet> sync_bcst("SYNC_BCST", SYNC_BCST, sync_bcst_fields);
static const Trunking_handler<TIME_DATE_ANN_packet> time_date_ann("TIME_DATE_ANN", TIME_DATE_ANN, time_date_ann_fields);

}  // namespace P25
