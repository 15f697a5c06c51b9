// Record-script kinds of the host's channel settings and simulator states.
// A kind's own keys are the element's attributes and children, read through
// the element's descriptor exactly as an input document would give them, so
// a value is written the way the log prints it: "State=MOBILE_AFFILIATED"
// (or a number), "item=Group_ID:0101", "item=Registration_value:DENY",
// "item=Service_options:emergency=true,priority=3" for a child that has
// attributes only.
#include <iterator>
#include <memory>

#include "script.h"

namespace tessel {

namespace {

using XML_routines::Info;
using XML_routines::Input_data;
using XML_routines::Instance_base;

// A parse context that keeps its reports for the line's message.
struct Quiet_input : Input_data {
    Quiet_input() : Input_data(nullptr) { report_errors = false; }
};

bool Refused(const std::string& name, const std::string& value, const Input_data& input, std::string& error) {
    error = "bad " + name + " " + Shown(value);
    if (!input.Last_error().empty()) error += ": " + input.Last_error();
    return false;
}

// A child element's value: its text, or "NAME=VALUE,..." for its attributes.
bool Read_child(Instance_base& state, const std::string& value, Input_data& input) {
    if (value.find('=') == std::string::npos) {
        XML_routines::Format::Scanner s(value.c_str(), &input);
        if (!state.Text(s) || s.More()) return false;
    } else {
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            const std::string pair = value.substr(start, comma - start);
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos) return false;
            XML_routines::Format::Scanner s(pair.c_str() + eq + 1, &input);
            if (!state.Attribute(XML_routines::To_xml(pair.substr(0, eq).c_str()), s) || s.More()) return false;
            start = comma + 1;
        }
    }
    if (!state.Finalize()) return false;
    state.Run_hooks();
    return state.Commit();
}

// Reads one key into the record: the descriptor's attribute NAME, or its
// child NAME; false with a message for a value the descriptor refuses.
template <class T>
bool Read_field(const Info<T>& info, T& record, const std::string& name, const std::string& value,
                std::string& error) {
    Quiet_input input;
    const xmlChar* tag = XML_routines::To_xml(name.c_str());
    if (info.Attributes() && info.Attributes()->Lookup(tag)) {
        XML_routines::Format::Scanner s(value.c_str(), &input);
        if (!info.Attribute(tag, s, record) || s.More()) return Refused(name, value, input, error);
        return true;
    }
    std::unique_ptr<Instance_base> state(info.Lookup(tag, nullptr, input, record));
    if (!state || !Read_child(*state, value, input)) return Refused(name, value, input, error);
    return true;
}

// The names a data item can carry, for the message that refuses another.
std::string Item_names() {
    const auto* subs = Info<P25::Sim_state_data_type>::info.Sub_elements();
    std::string names;
    for (unsigned i = 0; subs && i < subs->Count(); ++i) names += std::string(i ? ", " : "") + (*subs)[i]->Name();
    return names;
}

// "item=NAME:VALUE" into the next free data item.
bool Read_item(const std::string& text, P25::Sim_state_data_type* items, std::size_t capacity, std::size_t& used,
               std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        error = "bad item " + Shown(text) + ": NAME:VALUE is needed";
        return false;
    }
    if (used == capacity) {
        error = "more than " + std::to_string(capacity) + (capacity == 1 ? " item" : " items");
        return false;
    }
    const std::string name = text.substr(0, colon), value = text.substr(colon + 1);
    const auto& info = Info<P25::Sim_state_data_type>::info;
    const auto* subs = info.Sub_elements();
    if (name.empty() || !subs || !subs->Lookup(XML_routines::To_xml(name.c_str()))) {
        error = "unknown item " + Shown(name) + ": one of " + Item_names() + " is needed";
        return false;
    }
    P25::Sim_state_data_type& item = items[used];
    item = P25::Sim_state_data_type{};
    if (!Read_field(info, item, name, value, error)) return false;
    ++used;
    return true;
}

// Every own key of the line, in line order: data items into items, the
// rest through the record's descriptor.
template <class T>
bool Read_fields(const Info<T>& info, T& record, const Record_line& line, std::string& error,
                 P25::Sim_state_data_type* items = nullptr, std::size_t capacity = 0) {
    std::size_t used = 0;
    for (const auto& field : line.fields) {
        const bool ok = field.first == "item" ? Read_item(field.second, items, capacity, used, error)
                                              : Read_field(info, record, field.first, field.second, error);
        if (!ok) return false;
    }
    return true;
}

P25::Chan_operation Operation(const Record_line& line) { return {line.source.phys_channel, line.source.timestamp}; }

bool Log_enable_line(const Record_line& line, std::string& error) {
    P25::Chan_set_enable record{Operation(line), 0};
    if (!Read_fields(XML_routines::enable_channel_info, record, line, error)) return false;
    P25::Log_chan_enable(record);
    return true;
}

bool Log_primary_line(const Record_line& line, std::string& error) {
    P25::Chan_operation record = Operation(line);
    if (!Read_fields(XML_routines::set_primary_channel_info, record, line, error)) return false;
    P25::Log_chan_primary(record);
    return true;
}

template <void (*Entry)(const P25::Chan_freq&)>
bool Log_freq_line(const Record_line& line, std::string& error) {
    P25::Chan_freq record{Operation(line), 0};
    if (!Read_fields(XML_routines::channel_rx_freq_info, record, line, error)) return false;
    // A channel's transmit frequency places it on the air: it goes to the
    // record sink as the air kinds' records do.
    if (Entry == P25::Log_chan_tx)
        Deliver_element("Channel_tx_freq", &record, [&] { Entry(record); });
    else
        Entry(record);
    return true;
}

bool Log_mobile_line(const Record_line& line, std::string& error) {
    P25::Mobile_sim_state record{};
    record.timestamp = line.source.timestamp;
    if (!Read_fields(Info<P25::Mobile_sim_state>::info, record, line, error, &record.data, 1)) return false;
    P25::Log_mobile_state(record);
    return true;
}

template <class Record, void (*Entry)(const Record&)>
bool Log_channel_state_line(const Record_line& line, std::string& error) {
    Record record{};
    record.timestamp = line.source.timestamp;
    if (!Read_fields(Info<Record>::info, record, line, error, record.data, Record::items)) return false;
    Entry(record);
    return true;
}

// ---- Table --------------------------------------------------------------------------------

const Field_key item{"item", false, true};
// A channel setting, and a simulated channel's state, names its channel (and
// the state its timeslot) in 32 bits, so these are own keys read through the
// element's description, not the one-octet fields of a record's source.
const Field_key setting_channel{"phys_channel", false, false, "0"};
const Field_key state_timeslot{"timeslot", false, false, "0"};

const Kind kind_table[] = {
    // name, help, keys accepted, keys required, air bytes, air bytes with crc=fill, logger, own keys
    {"chan_enable", "Enable_channel: a channel switched on (enable=1) or off", key_timestamp, 0, no_bytes, no_bytes,
     Log_enable_line, {setting_channel, {"enable", true}}},
    {"chan_primary", "Set_primary_channel: a channel made primary", key_timestamp, 0, no_bytes, no_bytes,
     Log_primary_line, {setting_channel}},
    {"chan_rx", "Channel_rx_freq: a channel's receive Frequency (Hz)", key_timestamp, 0, no_bytes, no_bytes,
     Log_freq_line<P25::Log_chan_rx>, {setting_channel, {"Frequency", true}}},
    {"chan_tx", "Channel_tx_freq: a channel's transmit Frequency (Hz)", key_timestamp, 0, no_bytes, no_bytes,
     Log_freq_line<P25::Log_chan_tx>, {setting_channel, {"Frequency", true}}},
    {"mobile_state", "Mobile_state: a mobile's ID, State and one item=NAME:VALUE", key_timestamp, 0, no_bytes,
     no_bytes, Log_mobile_line, {{"ID", true}, {"State", true}, item}},
    {"control_state", "Control_state: State and up to four item=NAME:VALUE", key_timestamp, 0, no_bytes, no_bytes,
     Log_channel_state_line<P25::Control_sim_state, P25::Log_control_state>,
     {setting_channel, state_timeslot, {"State", true}, item}},
    {"traffic_state", "Traffic_state: State and up to four item=NAME:VALUE", key_timestamp, 0, no_bytes, no_bytes,
     Log_channel_state_line<P25::Traffic_sim_state, P25::Log_traffic_state>,
     {setting_channel, state_timeslot, {"State", true}, item}},
};

}  // namespace

const Kind_list state_kinds{kind_table, std::size(kind_table)};

}  // namespace tessel
