// Descriptors of the address and identifier records, the channel and its
// combinations with groups, the request priority, the response values, the
// frequency-plan values and records, and the time and date records.
#include <cmath>
#include <cstdio>

#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;

namespace {

// A record that is a big-endian number (an address, an identifier), as that number.
template <class T, class Number>
Access::Accessor<T>* As_number(const char* format) {
    return Get_Access(Access::GetSet_cast<T, Number>(), format);
}

// A frequency-plan value as its frequency in Hz.  A frequency the value
// cannot hold exactly (no whole number of its steps, beyond the bits of its
// field, a sign it has not) is refused before it is scaled, naming the
// nearest frequencies it holds: nothing is cut to a step or wrapped.
template <class T>
class Hz_accessor : public Access::Accessor<T> {
public:
    bool Read(Format::Scanner& s, T& r) const override {
        double Hz;
        if (!format_.Read(s, Hz)) return false;
        double below = NAN, above = NAN;
        if (!r.Holds(Hz, below, above)) return Refuse(s, Hz, below, above);
        r = Hz;
        return true;
    }
    void Write(Format::Printer& p, const T& r) const override { format_.Write(p, static_cast<double>(r)); }
    void Describe(Value_description& d) const override { format_.Describe(d); }

private:
    static bool Refuse(Format::Scanner& s, double Hz, double below, double above) {
        char why[160];
        if (std::isnan(below) || std::isnan(above) || below == above)
            std::snprintf(why, sizeof why, "cannot be held by the field: the nearest value it holds is %.15g",
                          std::isnan(below) ? above : below);
        else
            std::snprintf(why, sizeof why, "cannot be held by the field: the nearest values it holds are %.15g and %.15g",
                          below, above);
        return s.Not_held(Hz, why);
    }
    Formatter<double> format_;
};

template <class T>
Access::Accessor<T>* In_Hz() {
    return new Hz_accessor<T>;
}

}  // namespace

// ---- value tables ----------------------------------------------------------------------------

namespace P25 {
const Value_hash<TDMA_CHTYPE> tdma_chtype_map(tdma_chtype_names);
const Value_hash<Response_codes> response_map(response_names);
const Value_hash<ANSWER_RESP_CODES> answer_resp_map(answer_resp_names);
}  // namespace P25

namespace {

using namespace P25;

// ---- attribute tables ------------------------------------------------------------------------

Attrib::Attrib_Table<CHANNEL> channel_attr_table[] = {
    Get_attrib("id", &CHANNEL::Get_id, &CHANNEL::Set_id),
    Get_attrib("number", &CHANNEL::Get_ch, &CHANNEL::Set_ch),
};
const Attrib::Attrib_Hash<CHANNEL> channel_attr(channel_attr_table);

Attrib::Attrib_Table<Request_priority> request_priority_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<Request_priority, unsigned>())),
    Get_attrib("priority", Get_Access(GetSet_bf_priority_level<Request_priority, unsigned>())),
};
const Attrib::Attrib_Hash<Request_priority> request_priority_attr(request_priority_attr_table);

Attrib::Attrib_Table<Registration_value> registration_value_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<Registration_value, unsigned>(), "%02X")),
};
const Attrib::Attrib_Hash<Registration_value> registration_value_attr(registration_value_attr_table);

Attrib::Attrib_Table<Message_seq_num> message_seq_num_attr_table[] = {
    Get_attrib("last_message", Get_Access(GetSet_bf_last_message<Message_seq_num, bool>())),
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<Message_seq_num, unsigned>())),
    Get_attrib("number", Get_Access(GetSet_bf_number<Message_seq_num, unsigned>())),
};
const Attrib::Attrib_Hash<Message_seq_num> message_seq_num_attr(message_seq_num_attr_table);

Attrib::Attrib_Table<TX_mult> tx_mult_attr_table[] = {
    Get_attrib("Reserved", &TX_mult::Get_reserved, &TX_mult::Set_reserved, "%04X"),
};
const Attrib::Attrib_Hash<TX_mult> tx_mult_attr(tx_mult_attr_table);

Attrib::Attrib_Table<Time_flags> time_flags_attr_table[] = {
    Get_attrib("valid", Get_Access(GetSet_bf_valid_local<Time_flags, bool>())),
};
const Attrib::Attrib_Hash<Time_flags> time_flags_attr(time_flags_attr_table);

Attrib::Attrib_Table<Date_layout> date_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<Date_layout, unsigned>())),
};
const Attrib::Attrib_Hash<Date_layout> date_attr(date_attr_table);

Attrib::Attrib_Table<Time_layout> time_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<Time_layout, unsigned>(), "%02X")),
};
const Attrib::Attrib_Hash<Time_layout> time_attr(time_attr_table);

Attrib::Attrib_Table<SYNC_BCAST_data> sync_local_offset_attr_table[] = {
    Get_attrib("valid", &SYNC_BCAST_data::Get_valid, &SYNC_BCAST_data::Set_valid),
};
const Attrib::Attrib_Hash<SYNC_BCAST_data> sync_local_offset_attr(sync_local_offset_attr_table);

// ---- sub-element tables ----------------------------------------------------------------------

Subelement_table<ChanGroup> chan_group_subs[] = {
    Subelement(&ChanGroup::channel),
    Subelement(&ChanGroup::group),
};

Subelement_table<Group_update> group_update_subs[] = {
    Subelement(&Group_update::channel_t),
    Subelement(&Group_update::channel_r),
    Subelement(&Group_update::group),
};

Subelement_table<Affiliate_value> affiliate_value_subs[] = {
    Subelement(GetSet_bf_reserved<Affiliate_value, unsigned>(), "Reserved", "%02X"),
    Subelement(GetSet_bf_group_affiliation_value<Affiliate_value, Response_codes>(), "Group_affiliation_value",
               response_map),
};

Subelement_table<Group_Affiliate_value> group_affiliate_value_subs[] = {
    Subelement(XML_routines::GetSet_bf_global_affiliate<Group_Affiliate_value, bool>(), "Global_affiliate"),
    Subelement(GetSet_bf_reserved<Group_Affiliate_value, unsigned>(), "Reserved", "%02X"),
    Subelement(GetSet_bf_group_affiliation_value<Group_Affiliate_value, Response_codes>(), "Group_affiliation_value",
               response_map),
};

Subelement_table<IDEN_UP_packet> iden_up_subs[] = {
    Subelement(&IDEN_UP_packet::Get_ident, &IDEN_UP_packet::Set_ident),
    Subelement(&IDEN_UP_packet::Get_bw, &IDEN_UP_packet::Set_bw),
    Subelement(&IDEN_UP_packet::Get_chan_spacing, &IDEN_UP_packet::Set_chan_spacing),
    Subelement(&IDEN_UP_packet::Get_tx_offset, &IDEN_UP_packet::Set_tx_offset),
    Subelement(&IDEN_UP_packet::base_freq),
};

Subelement_table<IDEN_UP_VU_packet> iden_up_vu_subs[] = {
    Subelement(&IDEN_UP_VU_packet::Get_ident, &IDEN_UP_VU_packet::Set_ident),
    Subelement(&IDEN_UP_VU_packet::Get_bw, &IDEN_UP_VU_packet::Set_bw),
    Subelement(&IDEN_UP_VU_packet::Get_chan_spacing, &IDEN_UP_VU_packet::Set_chan_spacing),
    Subelement(&IDEN_UP_VU_packet::Get_tx_offset, &IDEN_UP_VU_packet::Set_tx_offset),
    Subelement(&IDEN_UP_VU_packet::base_freq),
};

Subelement_table<IDEN_UP_TDMA_packet> iden_up_tdma_subs[] = {
    Subelement(&IDEN_UP_TDMA_packet::Get_ident, &IDEN_UP_TDMA_packet::Set_ident),
    Subelement(&IDEN_UP_TDMA_packet::Get_bw, &IDEN_UP_TDMA_packet::Set_bw),
    Subelement(&IDEN_UP_TDMA_packet::Get_chan_spacing, &IDEN_UP_TDMA_packet::Set_chan_spacing),
    Subelement(&IDEN_UP_TDMA_packet::Get_tx_offset, &IDEN_UP_TDMA_packet::Set_tx_offset),
    Subelement(&IDEN_UP_TDMA_packet::base_freq),
    Subelement(&IDEN_UP_TDMA_packet::Get_chtype, &IDEN_UP_TDMA_packet::Set_chtype, "TDMA_chan_type", tdma_chtype_map),
};

Subelement_table<LC_chan_id> lc_chan_id_subs[] = {
    Subelement(&LC_chan_id::Get_chid, &LC_chan_id::Set_chid),
    Subelement(&LC_chan_id::Get_bw, &LC_chan_id::Set_bw),
    Subelement(&LC_chan_id::Get_ch_spacing, &LC_chan_id::Set_ch_spacing),
    Subelement(&LC_chan_id::Get_tx_offset, &LC_chan_id::Set_tx_offset),
};

Subelement_table<CH_ID_UP_data> ch_id_up_vu_subs[] = {
    Subelement(&CH_ID_UP_data::Get_ident, &CH_ID_UP_data::Set_ident),
    Subelement(&CH_ID_UP_data::Get_bw, &CH_ID_UP_data::Set_bw),
    Subelement(&CH_ID_UP_data::Get_chan_spacing, &CH_ID_UP_data::Set_chan_spacing),
    Subelement(&CH_ID_UP_data::Get_tx_offset, &CH_ID_UP_data::Set_tx_offset),
    Subelement(&CH_ID_UP_data::base_freq),
};

Subelement_table<CH_ID_UP_data> ch_id_up_tdma_subs[] = {
    Subelement(&CH_ID_UP_data::Get_ident, &CH_ID_UP_data::Set_ident),
    Subelement(&CH_ID_UP_data::Get_chtype, &CH_ID_UP_data::Set_chtype, "TDMA_chan_type", tdma_chtype_map),
    Subelement(&CH_ID_UP_data::Get_chan_spacing, &CH_ID_UP_data::Set_chan_spacing),
    Subelement(&CH_ID_UP_data::Get_tx_offset, &CH_ID_UP_data::Set_tx_offset),
    Subelement(&CH_ID_UP_data::base_freq),
};

extern const Info<SYNC_BCAST_data> sync_local_offset;
extern const Info_primative<SYNC_BCAST_data> sync_date;
extern const Info_primative<SYNC_BCAST_data> sync_time;

Subelement_table<SYNC_BCAST_data> sync_subs[] = {
    Subelement(&SYNC_BCAST_data::Get_reserved, &SYNC_BCAST_data::Set_reserved, "Reserved", "%04X"),
    Subelement(&SYNC_BCAST_data::Get_minute_correction_ms, &SYNC_BCAST_data::Set_minute_correction_ms,
               "Minute_correction", "%0.1d"),
    Subelement(sync_local_offset),
    Subelement(sync_date),
    Subelement(sync_time),
    Subelement(&SYNC_BCAST_data::Get_microslots, &SYNC_BCAST_data::Set_microslots, "Microslots"),
};

// ---- descriptors -----------------------------------------------------------------------------

const Info<SYNC_BCAST_data> sync_local_offset(
    "Local_offset", sync_local_offset_attr,
    Get_Access(&SYNC_BCAST_data::Get_local_offset, &SYNC_BCAST_data::Set_local_offset));
const Info_primative<SYNC_BCAST_data> sync_date("Date", Format::YYMMDD);
const Info_primative<SYNC_BCAST_data> sync_time("Time", Format::HHMM);

}  // namespace

namespace XML_routines {

template <> const Info<P25::SOURCE_ADDRESS> Info<P25::SOURCE_ADDRESS>::info("Source_address", As_number<P25::SOURCE_ADDRESS, BE_24bit>("%06X"));
template <> const Info<P25::SOURCE_ID> Info<P25::SOURCE_ID>::info("Source_ID", As_number<P25::SOURCE_ID, BE_24bit>("%06X"));
template <> const Info<P25::TARGET_ADDRESS> Info<P25::TARGET_ADDRESS>::info("Target_address", As_number<P25::TARGET_ADDRESS, BE_24bit>("%06X"));
template <> const Info<P25::TARGET_ID> Info<P25::TARGET_ID>::info("Target_ID", As_number<P25::TARGET_ID, BE_24bit>("%06X"));
template <> const Info<P25::UNIT_ADDRESS> Info<P25::UNIT_ADDRESS>::info("Unit_address", As_number<P25::UNIT_ADDRESS, BE_24bit>("%06X"));
template <> const Info<P25::UNIT_ID> Info<P25::UNIT_ID>::info("Unit_ID", As_number<P25::UNIT_ID, BE_24bit>("%06X"));
template <> const Info<P25::GROUP_ADDRESS> Info<P25::GROUP_ADDRESS>::info("Group_address", As_number<P25::GROUP_ADDRESS, BE_ushort>("%04X"));
template <> const Info<P25::GROUP_ID> Info<P25::GROUP_ID>::info("Group_ID", As_number<P25::GROUP_ID, BE_ushort>("%04X"));
template <> const Info<P25::ANN_GROUP_ADDRESS> Info<P25::ANN_GROUP_ADDRESS>::info("Announcement_group", As_number<P25::ANN_GROUP_ADDRESS, BE_ushort>("%04X"));
template <> const Info<P25::ANN_GROUP_ID> Info<P25::ANN_GROUP_ID>::info("Announcement_group", As_number<P25::ANN_GROUP_ID, BE_ushort>("%04X"));
template <> const Info<P25::LRA> Info<P25::LRA>::info("LRA", Get_Access(&P25::LRA::value, "%02X"));
template <> const Info<P25::CALL_TIMER> Info<P25::CALL_TIMER>::info("Call_Timer", As_number<P25::CALL_TIMER, BE_ushort>("%04X"));

template <> const Info<P25::CHANNEL> Info<P25::CHANNEL>::info("Channel", channel_attr);
template <> const Info<P25::ChanGroup> Info<P25::ChanGroup>::info("", chan_group_subs);
template <> const Info<P25::Group_update> Info<P25::Group_update>::info("", group_update_subs);

template <> const Info<P25::Request_priority> Info<P25::Request_priority>::info("Request_priority", request_priority_attr);

template <> const Info<P25::Registration_value> Info<P25::Registration_value>::info(
    "Registration_value", registration_value_attr,
    Get_Access(GetSet_bf_registration_value<P25::Registration_value, P25::Response_codes>(), P25::response_map));
template <> const Info<P25::Affiliate_value> Info<P25::Affiliate_value>::info("", affiliate_value_subs);
template <> const Info<P25::Group_Affiliate_value> Info<P25::Group_Affiliate_value>::info("", group_affiliate_value_subs);
template <> const Info<P25::ANSWER_RESP> Info<P25::ANSWER_RESP>::info("Answer_resp", Get_Access(&P25::ANSWER_RESP::code, P25::answer_resp_map));
template <> const Info<P25::Message_seq_num> Info<P25::Message_seq_num>::info("Message_sequence", message_seq_num_attr);
template <> const Info<P25::TX_mult> Info<P25::TX_mult>::info("TX_mult", tx_mult_attr, Get_Access(GetSet_bf_mult<P25::TX_mult, unsigned>(), "%1X"));

template <> const Info<P25::CHAN_ID> Info<P25::CHAN_ID>::info("Identifier", Get_Access(Access::GetSet_conv<unsigned, P25::CHAN_ID>()));
template <> const Info<P25::BANDWIDTH> Info<P25::BANDWIDTH>::info("Bandwidth", In_Hz<P25::BANDWIDTH>());
template <> const Info<P25::BANDWIDTH_VU> Info<P25::BANDWIDTH_VU>::info("Bandwidth", In_Hz<P25::BANDWIDTH_VU>());
template <> const Info<P25::CHAN_SPACING> Info<P25::CHAN_SPACING>::info("Channel_spacing", In_Hz<P25::CHAN_SPACING>());
template <> const Info<P25::TX_OFFSET> Info<P25::TX_OFFSET>::info("Transmit_offset", In_Hz<P25::TX_OFFSET>());
template <> const Info<P25::BASE_FREQ> Info<P25::BASE_FREQ>::info("Base_freq", In_Hz<P25::BASE_FREQ>());

template <> const Info<P25::IDEN_UP_packet> Info<P25::IDEN_UP_packet>::info("", iden_up_subs);
template <> const Info<P25::IDEN_UP_VU_packet> Info<P25::IDEN_UP_VU_packet>::info("", iden_up_vu_subs);
template <> const Info<P25::IDEN_UP_TDMA_packet> Info<P25::IDEN_UP_TDMA_packet>::info("", iden_up_tdma_subs);
template <> const Info<P25::LC_chan_id> Info<P25::LC_chan_id>::info("", lc_chan_id_subs);
template <> const Info<P25::CH_ID_UP_data> Info<P25::CH_ID_UP_data>::info("", ch_id_up_vu_subs);

template <> const Info<P25::Time_flags> Info<P25::Time_flags>::info(
    "Local_offset", time_flags_attr, Get_Access(&P25::Time_flags::Get_minutes_from_UTC, &P25::Time_flags::Set_minutes_from_utc));
template <> const Info<P25::Date_layout> Info<P25::Date_layout>::info("Date", date_attr, Get_Access<P25::Date_layout>(Format::YYMMDD));
template <> const Info<P25::Time_layout> Info<P25::Time_layout>::info("Time", time_attr, Get_Access<P25::Time_layout>(Format::HHMMSS));

}  // namespace XML_routines

namespace P25 {
const XML_routines::Info<CH_ID_UP_data> ch_id_up_tdma_info("", ch_id_up_tdma_subs);
const XML_routines::Info<SYNC_BCAST_data> sync_info("", sync_subs);
}  // namespace P25
