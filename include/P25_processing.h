// What the host program sees of the library: the root of the log document
// and of input documents, under which every top-level element descriptor is
// filed; the shared descriptors of the log document; the log filter record
// and its descriptor.
#ifndef TESSEL_P25_PROCESSING_H
#define TESSEL_P25_PROCESSING_H

#include <cstdint>

#include "shared/P25/P25_shared_struct.h"
#include "shared/XML/XML_info.h"

namespace XML_routines {

// "/P25_log_data": no attributes, no text; the top-level elements of the log
// document are filed under it.
extern const Info<void> P25_log_data;

// The attributes of the source information: "timestamp", "phys_channel",
// "direction", "type", "timeslot".  Records that carry a Source_info include
// them whole: Get_attrib(Source_info_attr).Of(&Record::metadata).
extern const Attrib::Attrib_Hash<P25::Source_info> Source_info_attr;
// The same attributes for a Source_info_NID (the NID is not an attribute).
extern const Attrib::Attrib_Hash<P25::Source_info_NID> Source_info_nid_attr;

// Names of the direction ("rx", "tx", "rx_sim"), of the type ("isp", "osp")
// and of the status symbols ("talk", "BUSY", "repeater", "IDLE").
extern const Value_hash<unsigned char> direction_names;
extern const Value_hash<unsigned char> type_names;
extern const Value_hash<unsigned char> status_names;
// Names of the bursts of a TDMA voice item ("A" ... "F", "Invalid_burst").
extern const Value_hash<P25::F2V_BURST> burst_names;

// "/P25_log_data/Status_bits": the source attributes of a data-unit header,
// its valid status symbols as text.
extern const Info<P25::DUID_Header> status_info;

// The log filter of one physical channel: the classes it records.
struct Filter_data {
    std::uint32_t phys_chan = 0;
    std::uint32_t filters = 0;  // a union of LOGGING_CLASSES

    void Set_or_clear(bool set, unsigned long log_class) {
        const auto bits = static_cast<std::uint32_t>(log_class);
        filters = set ? (filters | bits) : (filters & ~bits);
    }
    bool Get(unsigned long log_class) const { return (filters & log_class) != 0; }

    bool Get_env() const { return Get(Log_Environment); }
    void Set_env(bool on) { Set_or_clear(on, Log_Environment); }
    bool Get_raw() const { return Get(Log_RAW); }
    void Set_raw(bool on) { Set_or_clear(on, Log_RAW); }
    bool Get_proto_raw() const { return Get(Log_protocol_raw); }
    void Set_proto_raw(bool on) { Set_or_clear(on, Log_protocol_raw); }
    bool Get_proto_cooked() const { return Get(Log_protocol_cooked); }
    void Set_proto_cooked(bool on) { Set_or_clear(on, Log_protocol_cooked); }
    bool Get_voice() const { return Get(Log_Voice); }
    void Set_voice(bool on) { Set_or_clear(on, Log_Voice); }
    bool Get_parametrics() const { return Get(Log_Parametrics); }
    void Set_parametrics(bool on) { Set_or_clear(on, Log_Parametrics); }
};

// "/P25_log_data/LogFilter": reading one sets the mask of its channel in the
// output file's filter list.
extern const Info<Filter_data> filters;
template <>
bool Info<Filter_data>::Finalize(Filter_data& record, Input_data& input) const;

// Channel settings: "/P25_log_data/Set_primary_channel",
// "/P25_log_data/Enable_channel", "/P25_log_data/Channel_rx_freq" and
// "/P25_log_data/Channel_tx_freq" (one record, two tags).
extern const Info<P25::Chan_operation> set_primary_channel_info;
extern const Info<P25::Chan_set_enable> enable_channel_info;
extern const Info<P25::Chan_freq> channel_rx_freq_info;
extern const Info<P25::Chan_freq> channel_tx_freq_info;

}  // namespace XML_routines

// "/P25_log_data/DateTime" and "/P25_log_data/Sync".
XML_DECLARE_INFO(P25::Time_log);
XML_DECLARE_INFO(P25::HW_sync_payload);
// Simulator states: "/P25_log_data/Mobile_state", "/P25_log_data/Control_state",
// "/P25_log_data/Traffic_state"; a data item is anonymous, its one child
// written inside the state element.
XML_DECLARE_INFO(P25::Mobile_sim_state);
XML_DECLARE_INFO(P25::Control_sim_state);
XML_DECLARE_INFO(P25::Traffic_sim_state);
XML_DECLARE_INFO(P25::Sim_state_data_type);
// A data item read from a document goes into the first free item.
template <>
XML_routines::Instance_base* XML_routines::Info<P25::Control_sim_state>::Lookup(const xmlChar*, unsigned*,
                                                                              Input_data&,
                                                                              P25::Control_sim_state&) const;
template <>
XML_routines::Instance_base* XML_routines::Info<P25::Traffic_sim_state>::Lookup(const xmlChar*, unsigned*,
                                                                              Input_data&,
                                                                              P25::Traffic_sim_state&) const;

// "Status_bits" and "DateTime" read from a document go to the receive
// listener (P25_receive.h).
template <>
bool XML_routines::Info<P25::DUID_Header>::Commit(P25::DUID_Header& header, Input_data& input) const;
template <>
bool XML_routines::Info<P25::Time_log>::Commit(P25::Time_log& record, Input_data& input) const;

// Elements read from a document that feed no hook of their own hand their
// record to the receive listener as a Received_element, from their commit
// (top-level elements only: the same records nested in another element go
// with it).
namespace P25 {
template <class T>
bool Tell_element(const XML_routines::Info<T>& info, const T& record) {
    if (!Has_receive_listener() || info.Name()[0] != '/') return true;
    xmlNode* element = info.Write(record);
    const Received_element received{info.Tag(), &record, element};
    Tell_receive_listener(Received::element, &received);
    xmlFreeNode(element);
    return true;
}
}  // namespace P25
#define P25_COMMIT_TELLS_ELEMENT(T) \
    template <>                     \
    bool XML_routines::Info<T>::Commit(T& record, XML_routines::Input_data&) const
P25_COMMIT_TELLS_ELEMENT(P25::p25_Voice_Hdr);
P25_COMMIT_TELLS_ELEMENT(P25::p25_Ldu1);
P25_COMMIT_TELLS_ELEMENT(P25::p25_Ldu2);
P25_COMMIT_TELLS_ELEMENT(P25::p25_Term);
P25_COMMIT_TELLS_ELEMENT(P25::p25_TermLC);
P25_COMMIT_TELLS_ELEMENT(P25::F2_Voice_SF);
P25_COMMIT_TELLS_ELEMENT(P25::F2_Burst);
P25_COMMIT_TELLS_ELEMENT(P25::F2_Encrypt_Sync_Hdr);
P25_COMMIT_TELLS_ELEMENT(P25::F2_Link_Control_Hdr);
P25_COMMIT_TELLS_ELEMENT(P25::Chan_operation);
P25_COMMIT_TELLS_ELEMENT(P25::Chan_set_enable);
P25_COMMIT_TELLS_ELEMENT(P25::Chan_freq);
P25_COMMIT_TELLS_ELEMENT(P25::Mobile_sim_state);
P25_COMMIT_TELLS_ELEMENT(P25::Control_sim_state);
P25_COMMIT_TELLS_ELEMENT(P25::Traffic_sim_state);
P25_COMMIT_TELLS_ELEMENT(P25::Smartnet_data_log);

#endif
