// The log document's shared parts: the root "/P25_log_data", the source
// attributes every logged record carries, and the elements that belong to no
// message family: "Status_bits", "DateTime" and "Sync", with the entry
// points that log them.
#include "P25_processing.h"

namespace P25 {

void Log_Status_syms(const DUID_Header& header) {
    XML_routines::XML_Log(XML_routines::status_info, header, header.metadata.phys_channel,
                          XML_routines::Log_protocol_raw);
}

void Log_time(const Time_log& record) { XML_routines::XML_Log(record, XML_routines::Log_Environment); }

void Log_NID(const Log_Dispatch_payload&) {}

}  // namespace P25

namespace XML_routines {

namespace {

using P25::DUID_Header;
using P25::HW_sync_payload;
using P25::Source_info;
using P25::Source_info_NID;
using P25::Status_symbols;
using P25::Time_log;
using P25::Timestamp;

// The valid status symbols of a header, by name, as the element's text.
Access::Accessor<DUID_Header>* Status_text() {
    using G = Access::GetSet_member<DUID_Header, Status_symbols>;
    return new Access::Shim<Status_symbols, DUID_Header, G>(
        new G(&DUID_Header::statuses), Get_Access(&Status_symbols::syms, &Status_symbols::count, status_names));
}

}  // namespace

// ---- Tables and descriptors, in the order they are built -----------------------------
// (file-local ones in unnamed namespaces; the order of definition is the
// order of construction)

namespace {
enum Direction : unsigned char { DIR_RX = 0, DIR_TX = 1, DIR_RX_SIM = 2 };
const Value_entry<unsigned char> direction_table[] = {
    {"rx", DIR_RX},
    {"tx", DIR_TX},
    {"rx_sim", DIR_RX_SIM},
};
}  // namespace
const Value_hash<unsigned char> direction_names(direction_table);

namespace {
enum Packet_type : unsigned char { TYPE_ISP = 0, TYPE_OSP = 1 };
const Value_entry<unsigned char> type_table[] = {
    {"isp", TYPE_ISP},
    {"osp", TYPE_OSP},
};
}  // namespace
const Value_hash<unsigned char> type_names(type_table);

namespace {
Attrib::Table_entry<Timestamp>& timestamp_attr = Get_attrib("timestamp", &Timestamp::Get, &Timestamp::Set, "%11.8d");

Attrib::Attrib_Table<Source_info> source_info_table[] = {
    timestamp_attr.Of(&Source_info::timestamp),
    Get_attrib("phys_channel", &Source_info::phys_channel),
    Get_attrib("direction", &Source_info::dir_tx, direction_names),
    Get_attrib("type", &Source_info::is_osp, type_names),
    Get_attrib("timeslot", &Source_info::timeslot),
};
}  // namespace
const Attrib::Attrib_Hash<Source_info> Source_info_attr(source_info_table);

namespace {
Attrib::Attrib_Table<Source_info_NID> source_info_nid_table[] = {
    Get_attrib(Source_info_attr).Of(&Source_info_NID::metadata),
};
}  // namespace
const Attrib::Attrib_Hash<Source_info_NID> Source_info_nid_attr(source_info_nid_table);

namespace {
Attrib::Attrib_Table<Time_log> time_log_table[] = {
    timestamp_attr.Of(&Source_info::timestamp).Of(&Time_log::metadata),
};
const Attrib::Attrib_Hash<Time_log> time_log_attr(time_log_table);

Subelement_table<Time_log> time_log_subs[] = {
    Subelement(&Time_log::real_time, "Date", Format::YYMMDD).Required(),
    Subelement(&Time_log::real_time, "Time", Format::HHMMSS).Required(),
};
}  // namespace

template <>
const Info<Time_log> Info<Time_log>::info("/P25_log_data/DateTime", time_log_attr, time_log_subs);

const Info<void> P25_log_data("/P25_log_data");

namespace {
enum Status_symbol : unsigned char { SYM_TALK = 0, SYM_BUSY = 1, SYM_REPEATER = 2, SYM_IDLE = 3 };
const Value_entry<unsigned char> status_table[] = {
    {"talk", SYM_TALK},
    {"BUSY", SYM_BUSY},
    {"repeater", SYM_REPEATER},
    {"IDLE", SYM_IDLE},
};
}  // namespace
const Value_hash<unsigned char> status_names(status_table);

namespace {
Attrib::Attrib_Table<DUID_Header> status_info_table[] = {
    Get_attrib(Source_info_attr).Of(&DUID_Header::metadata),
};
const Attrib::Attrib_Hash<DUID_Header> status_info_attr(status_info_table);
}  // namespace

const Info<DUID_Header> status_info("/P25_log_data/Status_bits", status_info_attr, Status_text());

namespace {
Attrib::Attrib_Table<HW_sync_payload> sync_table[] = {
    timestamp_attr.Of(&HW_sync_payload::timestamp),
};
const Attrib::Attrib_Hash<HW_sync_payload> sync_attr(sync_table);
}  // namespace

template <>
const Info<HW_sync_payload> Info<HW_sync_payload>::info("/P25_log_data/Sync", sync_attr,
                                                       Get_Access(&HW_sync_payload::state, "%d"));

}  // namespace XML_routines

// Read from an input document, the status symbols and the host's time are
// handed to the host's receive listener; nothing else is done with them.
template <>
bool XML_routines::Info<P25::DUID_Header>::Commit(P25::DUID_Header& header, Input_data&) const {
    if (this == &status_info) P25::Tell_receive_listener(P25::Received::status, &header);
    return true;
}

template <>
bool XML_routines::Info<P25::Time_log>::Commit(P25::Time_log& record, Input_data&) const {
    P25::Tell_receive_listener(P25::Received::time, &record);
    return true;
}
