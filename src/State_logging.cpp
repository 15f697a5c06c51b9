// Channel settings and simulator state: a physical channel enabled, made
// primary or tuned, and the state changes of the host's simulated mobiles,
// control channels and traffic channels, each with up to four data items
// saying what the change concerns.  Everything here is logged under
// Log_Environment; nothing is read back into the host.
#include "P25_processing.h"

using namespace XML_routines;

namespace P25 {

void Log_chan_enable(const Chan_set_enable& record) {
    XML_Log(enable_channel_info, record, record.operation.phys_channel, Log_Environment);
}

void Log_chan_primary(const Chan_operation& record) {
    XML_Log(set_primary_channel_info, record, record.phys_channel, Log_Environment);
}

void Log_chan_rx(const Chan_freq& record) {
    XML_Log(channel_rx_freq_info, record, record.operation.phys_channel, Log_Environment);
}

void Log_chan_tx(const Chan_freq& record) {
    XML_Log(channel_tx_freq_info, record, record.operation.phys_channel, Log_Environment);
}

// Simulator objects are not bound to a channel.
void Log_mobile_state(const Mobile_sim_state& record) { XML_Log(record, Log_Environment); }

void Log_control_state(const Control_sim_state& record) { XML_Log(record, Log_Environment); }

void Log_traffic_state(const Traffic_sim_state& record) { XML_Log(record, Log_Environment); }

}  // namespace P25

namespace {

using namespace P25;

// Data item I of a state record, in place.
template <class Record, std::size_t I>
struct GetSet_item : Access::GetSet_nocopy {
    static_assert(I < Record::items, "a state record has four data items");
    using record_type = Record;
    using value_type = Sim_state_data_type;
    const Sim_state_data_type& Get(const Record& r) const { return r.data[I]; }
    Sim_state_data_type& Ref(Record& r) const { return r.data[I]; }
    void Set(const Sim_state_data_type& v, Record& r) const { r.data[I] = v; }
};

// The four data items of a control or traffic state, in order.
template <class Record, std::size_t I>
Subelement_base<Record>& Item() {
    return Subelement(GetSet_item<Record, I>(), Subelement<Sim_state_data_type>());
}

// The child of a data item's value, written only for its type code; reading
// it sets the code.
Subelement_base<Sim_state_data_type>& For_type(Subelement_base<Sim_state_data>& value, SIM_STATE_TYPES code) {
    using Type = Access::GetSet_member<Sim_state_data_type, std::uint8_t>;
    return value.Of(&Sim_state_data_type::data).If(Type(&Sim_state_data_type::type), static_cast<std::uint8_t>(code));
}

}  // namespace

// ---- Tables and descriptors, in the order they are built --------------------------------

namespace {

Attrib::Table_entry<Timestamp>& timestamp_attr = Get_attrib("timestamp", &Timestamp::Get, &Timestamp::Set, "%11.8d");

Attrib::Attrib_Table<Chan_operation> chan_operation_table[] = {
    Get_attrib("phys_channel", &Chan_operation::phys_channel, "%d"),
    timestamp_attr.Of(&Chan_operation::timestamp),
};
const Attrib::Attrib_Hash<Chan_operation> chan_operation_attr(chan_operation_table);

}  // namespace

const Info<Chan_operation> XML_routines::set_primary_channel_info("/P25_log_data/Set_primary_channel",
                                                                  chan_operation_attr);

namespace {

Attrib::Attrib_Table<Chan_set_enable> chan_enable_table[] = {
    Get_attrib(chan_operation_attr).Of(&Chan_set_enable::operation),
    Get_attrib("enable", &Chan_set_enable::enable, "%d"),
};
const Attrib::Attrib_Hash<Chan_set_enable> chan_enable_attr(chan_enable_table);

}  // namespace

const Info<Chan_set_enable> XML_routines::enable_channel_info("/P25_log_data/Enable_channel", chan_enable_attr);

namespace {

Attrib::Attrib_Table<Chan_freq> chan_freq_table[] = {
    Get_attrib(chan_operation_attr).Of(&Chan_freq::operation),
};
const Attrib::Attrib_Hash<Chan_freq> chan_freq_attr(chan_freq_table);

Subelement_table<Chan_freq> chan_freq_subs[] = {
    Subelement(&Chan_freq::frequency, "Frequency", "%d"),
};

}  // namespace

// One record and one attribute table: the receive and transmit frequency
// differ only in their tag.
const Info<Chan_freq> XML_routines::channel_rx_freq_info("/P25_log_data/Channel_rx_freq", chan_freq_attr,
                                                         chan_freq_subs);
const Info<Chan_freq> XML_routines::channel_tx_freq_info("/P25_log_data/Channel_tx_freq", chan_freq_attr,
                                                         chan_freq_subs);

namespace {

const Value_entry<Mobile_sim_states> mobile_state_table[] = {
    {"MOBILE_CREATED", MOBILE_CREATED},
    {"MOBILE_FIND_CONTROL_CHANNEL", MOBILE_FIND_CONTROL_CHANNEL},
    {"MOBILE_NO_CONTROL_CHANNEL", MOBILE_NO_CONTROL_CHANNEL},
    {"MOBILE_NOT_CONTROL_CHANNEL", MOBILE_NOT_CONTROL_CHANNEL},
    {"MOBILE_REGISTER_RESPONSE", MOBILE_REGISTER_RESPONSE},
    {"MOBILE_AFFILIATED", MOBILE_AFFILIATED},
    {"MOBILE_UNIT_TO_UNIT_INITIATE", MOBILE_UNIT_TO_UNIT_INITIATE},
    {"MOBILE_UNIT_TO_UNIT_RING", MOBILE_UNIT_TO_UNIT_RING},
    {"MOBILE_UNIT_TO_UNIT_ANSWER", MOBILE_UNIT_TO_UNIT_ANSWER},
    {"MOBILE_UNIT_TO_UNIT_RX", MOBILE_UNIT_TO_UNIT_RX},
    {"MOBILE_UNIT_TO_UNIT_TX", MOBILE_UNIT_TO_UNIT_TX},
    {"MOBILE_UNIT_TO_UNIT_HANG", MOBILE_UNIT_TO_UNIT_HANG},
    {"MOBILE_GROUP_RX", MOBILE_GROUP_RX},
    {"MOBILE_GROUP_TX", MOBILE_GROUP_TX},
    {"MOBILE_GROUP_HANG", MOBILE_GROUP_HANG},
    {"MOBILE_PSTN_RX", MOBILE_PSTN_RX},
    {"MOBILE_PSTN_TX", MOBILE_PSTN_TX},
    {"MOBILE_UNKEY", MOBILE_UNKEY},
    {"MOBILE_NO_TRAFFIC_CHANNEL", MOBILE_NO_TRAFFIC_CHANNEL},
    {"MOBILE_NOT_FOR_ME", MOBILE_NOT_FOR_ME},
    {"MOBILE_FOUND_CC", MOBILE_FOUND_CC},
    {"MOBILE_HW_TIMEOUT", MOBILE_HW_TIMEOUT},
    {"MOBILE_DEAD", MOBILE_DEAD},
    {"MOBILE_FIND_SZ_CONTROL_CHANNEL", MOBILE_FIND_SZ_CONTROL_CHANNEL},
    {"MOBILE_FIND_TRAFFIC_CHANNEL", MOBILE_FIND_TRAFFIC_CHANNEL},
    {"MOBILE_KEY", MOBILE_KEY},
};
const Value_hash<Mobile_sim_states> mobile_state_names(mobile_state_table);

const Value_entry<Control_sim_states> control_state_table[] = {
    {"CC_CREATED", CC_CREATED},
    {"CC_CANNOT_TUNE", CC_CANNOT_TUNE},
    {"CC_MOBILE_REG", CC_MOBILE_REG},
    {"CC_MOBILE_DEREG", CC_MOBILE_DEREG},
    {"CC_MOBILE_GRP_AFF", CC_MOBILE_GRP_AFF},
    {"CC_MOBILE_GRP_REQ", CC_MOBILE_GRP_REQ},
    {"CC_GRP_GRANT", CC_GRP_GRANT},
    {"CC_CALL_TEARDOWN", CC_CALL_TEARDOWN},
    {"CC_DEAD", CC_DEAD},
};
const Value_hash<Control_sim_states> control_state_names(control_state_table);

const Value_entry<Traffic_sim_states> traffic_state_table[] = {
    {"TC_CREATED", TC_CREATED},
    {"TC_CANNOT_TUNE", TC_CANNOT_TUNE},
    {"TC_CALL_TEARDOWN", TC_CALL_TEARDOWN},
    {"TC_DEAD", TC_DEAD},
    {"TC_GROUP_HANG", TC_GROUP_HANG},
    {"TC_GROUP_ACTIVE", TC_GROUP_ACTIVE},
    {"TC_UNIT2UNIT_HANG", TC_UNIT2UNIT_HANG},
    {"TC_UNIT2UNIT_ACTIVE", TC_UNIT2UNIT_ACTIVE},
};
const Value_hash<Traffic_sim_states> traffic_state_names(traffic_state_table);

// The simulator's own copy of the response names.
const Value_entry<Response_codes> sim_response_table[] = {
    {"ACCEPT", RSP_ACCEPT},
    {"FAIL", RSP_FAIL},
    {"DENY", RSP_DENY},
    {"REFUSED", RSP_REFUSED},
};
const Value_hash<Response_codes> sim_response_names(sim_response_table);

const Value_entry<Call_end_reasons> call_end_table[] = {
    {"NO_RADIO_DETECTED", NO_RADIO_DETECTED},
    {"RADIO_TERMINATED", RADIO_TERMINATED},
    {"SYSTEM_TERMINATED", SYSTEM_TERMINATED},
};
const Value_hash<Call_end_reasons> call_end_names(call_end_table);

Attrib::Attrib_Table<Mobile_sim_state> mobile_table[] = {
    Get_attrib("ID", &Mobile_sim_hdr::id, "%d").Of(&Mobile_sim_state::header),
    timestamp_attr.Of(&Mobile_sim_state::timestamp),
};
const Attrib::Attrib_Hash<Mobile_sim_state> mobile_attr(mobile_table);

// At most one child results per item: the codes are distinct.  Types 0
// (no data), 9 (PSTN address) and codes above 15 write nothing.
Subelement_table<Sim_state_data_type> item_subs[] = {
    For_type(Subelement(&Sim_state_data::group_id), SIM_GROUP_ID),
    For_type(Subelement(&Sim_state_data::group_address), SIM_GROUP_ADDRESS),
    For_type(Subelement(&Sim_state_data::target_id), SIM_TARGET_ID),
    For_type(Subelement(&Sim_state_data::target_address), SIM_TARGET_ADDRESS),
    For_type(Subelement(&Sim_state_data::source_id), SIM_SOURCE_ID),
    For_type(Subelement(&Sim_state_data::source_address), SIM_SOURCE_ADDRESS),
    For_type(Subelement(&Sim_state_data::unit_id), SIM_UNIT_ID),
    For_type(Subelement(&Sim_state_data::unit_address), SIM_UNIT_ADDRESS),
    For_type(Subelement(&Sim_state_data::value, "Frequency", "%d"), SIM_FREQ),
    For_type(Subelement(&Sim_state_data::response, "Registration_value", sim_response_names), SIM_RESP),
    For_type(Subelement(&Sim_state_data::call_end_reason, "Call_end_reason", call_end_names),
                               SIM_CALL_END_REASONS),
    For_type(Subelement(&Sim_state_data::service_options), SIM_SERVICE_OPTS),
    For_type(Subelement(&Sim_state_data::value, "WACN", "%05X"), SIM_WACN),
    For_type(Subelement(&Sim_state_data::value, "System_ID", "%03X"), SIM_SYSTEM_ID),
};

}  // namespace

// A data item has no element of its own: its child appears in the state element.
template <>
const Info<Sim_state_data_type> Info<Sim_state_data_type>::info("", item_subs);

namespace {

Subelement_table<Mobile_sim_state> mobile_subs[] = {
    Subelement(&Mobile_sim_state::state, "State", mobile_state_names),
    Subelement(&Mobile_sim_state::data).Content(),  // one item
};

Attrib::Attrib_Table<Control_sim_state> control_table[] = {
    Get_attrib("phys_channel", &Control_channel_hdr::phys_channel, "%d").Of(&Control_sim_state::header),
    Get_attrib("timeslot", &Control_channel_hdr::timeslot, "%d").Of(&Control_sim_state::header),
    timestamp_attr.Of(&Control_sim_state::timestamp),
};
const Attrib::Attrib_Hash<Control_sim_state> control_attr(control_table);

Subelement_table<Control_sim_state> control_subs[] = {
    Subelement(&Control_sim_state::state, "State", control_state_names),
    Item<Control_sim_state, 0>(),
    Item<Control_sim_state, 1>(),
    Item<Control_sim_state, 2>(),
    Item<Control_sim_state, 3>(),
};

Attrib::Attrib_Table<Traffic_sim_state> traffic_table[] = {
    Get_attrib("phys_channel", &Voice_channel_hdr::phys_channel, "%d").Of(&Traffic_sim_state::header),
    Get_attrib("timeslot", &Voice_channel_hdr::timeslot, "%d").Of(&Traffic_sim_state::header),
    timestamp_attr.Of(&Traffic_sim_state::timestamp),
};
const Attrib::Attrib_Hash<Traffic_sim_state> traffic_attr(traffic_table);

Subelement_table<Traffic_sim_state> traffic_subs[] = {
    Subelement(&Traffic_sim_state::state, "State", traffic_state_names),
    Item<Traffic_sim_state, 0>(),
    Item<Traffic_sim_state, 1>(),
    Item<Traffic_sim_state, 2>(),
    Item<Traffic_sim_state, 3>(),
};

}  // namespace

template <>
const Info<Mobile_sim_state> Info<Mobile_sim_state>::info("/P25_log_data/Mobile_state", mobile_attr, mobile_subs);
template <>
const Info<Control_sim_state> Info<Control_sim_state>::info("/P25_log_data/Control_state", control_attr,
                                                            control_subs);
template <>
const Info<Traffic_sim_state> Info<Traffic_sim_state>::info("/P25_log_data/Traffic_state", traffic_attr,
                                                            traffic_subs);

// A data item read from a document goes into the first item still free,
// whatever its child's tag, so that items of different kinds do not land
// in the same one.
namespace {
template <class Record>
Instance_base* Item_lookup(const Subelement_hash<Record>* subs, const xmlChar* tag, unsigned* counters,
                           Input_data& input, Record& r) {
    if (!subs) return nullptr;
    const auto* list = subs->Lookup(tag);
    if (list && list->Count() == Record::items) {
        for (unsigned i = 0; i < Record::items; ++i)
            if (r.data[i].type == SIM_NO_DATA) return (*list)[i]->Get_instance(input, r);
        return nullptr;
    }
    Subelement_base<Record>* entry = subs->Lookup(tag, counters);
    return entry ? entry->Get_instance(input, r) : nullptr;
}
}  // namespace

template <>
Instance_base* Info<Control_sim_state>::Lookup(const xmlChar* tag, unsigned* counters, Input_data& input,
                                               Control_sim_state& r) const {
    return Item_lookup(subs_.get(), tag, counters, input, r);
}

template <>
Instance_base* Info<Traffic_sim_state>::Lookup(const xmlChar* tag, unsigned* counters, Input_data& input,
                                               Traffic_sim_state& r) const {
    return Item_lookup(subs_.get(), tag, counters, input, r);
}
