// The field records shared by P25 trunking messages and link-control words,
// as the log describes them: the names of their enumerations, the dialled
// digits' names and reading state, the bit-field accessor classes
// GetSet_bf_<field><Record, Value> and one canonical XML descriptor a
// record, defined in the unit that describes it.  The records themselves are
// in P25_field_records.h.
#ifndef TESSEL_P25_MESSAGE_PARTS_H
#define TESSEL_P25_MESSAGE_PARTS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shared/P25/P25_field_records.h"
#include "shared/P25/P25_messages.h"
#include "shared/XML/XML_info.h"

namespace P25 {

// ---- value names, one table an enumeration ----------------------------------------------

// TDMA_CHTYPE: only the half-rate channel type has a name.
inline constexpr XML_routines::Value_entry<TDMA_CHTYPE> tdma_chtype_names[] = {
    {"TDMA/12.5kHz/half_rate", TDMA_12_5_KHZ_HALF_RATE},
};
extern const XML_routines::Value_hash<TDMA_CHTYPE> tdma_chtype_map;

inline constexpr XML_routines::Value_entry<Response_codes> response_names[] = {
    {"ACCEPT", RSP_ACCEPT},
    {"FAIL", RSP_FAIL},
    {"DENY", RSP_DENY},
    {"REFUSED", RSP_REFUSED},
};
extern const XML_routines::Value_hash<Response_codes> response_map;

inline constexpr XML_routines::Value_entry<ANSWER_RESP_CODES> answer_resp_names[] = {
    {"PROCEED", PROCEED},
    {"DENY", DENY},
    {"WAIT", WAIT},
};
extern const XML_routines::Value_hash<ANSWER_RESP_CODES> answer_resp_map;

// Reason codes of deny and queued responses, by exact value.
extern const XML_routines::Value_hash<std::uint8_t> reason_map;

// ---- dialled digits: names, reading and writing --------------------------------------------------
//
// Digit names by code: the normal table, and the escape table that names the
// digit following an "escape" (code 15 of the normal table).
extern const XML_routines::Value_entry<unsigned> dtmf_table[16];
extern const XML_routines::Value_entry<unsigned> dtmf_esc_table[16];
extern const XML_routines::Value_hash<unsigned> dtmf_map;
extern const XML_routines::Value_hash<unsigned> dtmf_esc_map;

// Packs digit names into octets, inserting the escapes the names need: an
// escape before a name found only in the escape table, an escaped "null"
// when a name of the normal table follows an escape.  Unused digit positions
// read back as 15.
class DTMF_Read_state {
public:
    static constexpr unsigned escape_digit = 15;

    explicit DTMF_Read_state(unsigned capacity_octets,
                             const XML_routines::Value_hash<unsigned>& normal = dtmf_map,
                             const XML_routines::Value_hash<unsigned>& escape = dtmf_esc_map);
    ~DTMF_Read_state();
    DTMF_Read_state(const DTMF_Read_state&) = delete;
    DTMF_Read_state& operator=(const DTMF_Read_state&) = delete;

    // Stores one name with the escape it needs; false for an unknown name or
    // when the octets are full.
    bool Read(const unsigned char* token);
    // Finds a name, in the escape table first right after an escape.
    bool Lookup(const unsigned char* token);
    bool Store(unsigned digit);
    const std::uint8_t* Octets() const { return octets_.data(); }

private:
    const XML_routines::Value_hash<unsigned>& normal_;
    const XML_routines::Value_hash<unsigned>& escape_table_;
    bool escaped_ = false;          // the last stored digit is an escape not yet consumed
    bool from_escape_table_ = false;  // the last name looked up came from the escape table
    unsigned phase_ = 0;            // 0: high nibble next
    unsigned octet_ = 0;
    unsigned value_ = 0;
    std::vector<std::uint8_t> octets_;
};

// Writes digits one at a time, each name followed by one blank; the digit
// after an escape is named from the escape table.
class DTMF_Write_state {
public:
    explicit DTMF_Write_state(const XML_routines::Value_hash<unsigned>& normal = dtmf_map,
                              const XML_routines::Value_hash<unsigned>& escape = dtmf_esc_map);
    // Writes the next digit of digits.
    void Write(XML_routines::Format::Printer& p, const DTMF_byte* digits);

private:
    const XML_routines::Value_hash<unsigned>& normal_;
    const XML_routines::Value_hash<unsigned>& escape_table_;
    bool escaped_ = false;
    unsigned phase_ = 0;
    unsigned octet_ = 0;
};

}  // namespace P25

namespace XML_routines {
namespace Access {

// An array of N dialled-digit octets as the text of an element: 2 x N digit
// names.  Counts are in digits (names): the counted form writes the first
// `count` digits and stores the number of names it read.
template <std::size_t N>
class DataArray<P25::DTMF_byte, N> {
public:
    explicit DataArray(const Value_hash<unsigned>& normal = P25::dtmf_map,
                       const Value_hash<unsigned>& escape = P25::dtmf_esc_map)
        : normal_(normal), escape_(escape) {}

    bool Read(Format::Scanner& s, P25::DTMF_byte (&a)[N]) const { return Read_some(s, a) >= 0; }
    void Write(Format::Printer& p, const P25::DTMF_byte (&a)[N], std::size_t count = 2 * N) const {
        P25::DTMF_Write_state state(normal_, escape_);
        for (std::size_t i = 0; i < count && i < 2 * N; ++i) state.Write(p, a);
    }
    // Reads names while text remains, at most 2 x N; the array changes only
    // when every name was stored.  Returns the number of names or -1.
    long Read_some(Format::Scanner& s, P25::DTMF_byte (&a)[N]) const {
        P25::DTMF_Read_state state(N, normal_, escape_);
        std::size_t names = 0;
        for (; names < 2 * N && s.More(); ++names) {
            const std::string token = s.BiteOffString();
            if (!state.Read(To_xml(token.c_str()))) return -1;
        }
        std::memcpy(a, state.Octets(), N);
        return static_cast<long>(names);
    }
    // Digit names of either table, any number of them.
    void Describe(Value_description& d, bool) const {
        d.kind = Value_description::named;
        d.name_list.clear();
        for (const Value_hash<unsigned>* table : {&normal_, &escape_})
            for (unsigned i = 0; i < table->Count(); ++i) d.name_list.push_back((*table)[i].name);
        d = d.Repeated(0);
    }

private:
    const Value_hash<unsigned>& normal_;
    const Value_hash<unsigned>& escape_;
};

}  // namespace Access
}  // namespace XML_routines

// ---- bit-field accessor classes ------------------------------------------------------------------

XML_BITFIELD_NAME(emergency);
XML_BITFIELD_NAME(protected_flag);
XML_BITFIELD_NAME(full_duplex);
XML_BITFIELD_NAME(packet_mode);
XML_BITFIELD_NAME(reserved);
XML_BITFIELD_NAME(priority_level);
XML_BITFIELD_NAME(service_type);
XML_BITFIELD_NAME(pad);
XML_BITFIELD_NAME(ex);
XML_BITFIELD_NAME(additional_info_valid);
XML_BITFIELD_NAME(registration_value);
XML_BITFIELD_NAME(group_affiliation_value);
XML_BITFIELD_NAME(last_message);
XML_BITFIELD_NAME(number);
XML_BITFIELD_NAME(mult);
XML_BITFIELD_NAME(authentication_service);
XML_BITFIELD_NAME(registeration_service);
XML_BITFIELD_NAME(voice_service);
XML_BITFIELD_NAME(data_service);
XML_BITFIELD_NAME(backup_control_chan);
XML_BITFIELD_NAME(update_control_chan);
XML_BITFIELD_NAME(composite_control_chan);
XML_BITFIELD_NAME(type);
XML_BITFIELD_NAME(extension_flag);
XML_BITFIELD_NAME(network_active);
XML_BITFIELD_NAME(reserved1);
XML_BITFIELD_NAME(group_voice);
XML_BITFIELD_NAME(individual_voice);
XML_BITFIELD_NAME(PSTN_to_unit_voice);
XML_BITFIELD_NAME(Unit_to_PSTN_voice);
XML_BITFIELD_NAME(reserved2);
XML_BITFIELD_NAME(group_data);
XML_BITFIELD_NAME(individual_data);
XML_BITFIELD_NAME(reserved3);
XML_BITFIELD_NAME(unit_registration);
XML_BITFIELD_NAME(group_affiliation);
XML_BITFIELD_NAME(group_affiliation_query);
XML_BITFIELD_NAME(authentication);
XML_BITFIELD_NAME(protection_parameters);
XML_BITFIELD_NAME(user_status);
XML_BITFIELD_NAME(user_message);
XML_BITFIELD_NAME(unit_status);
XML_BITFIELD_NAME(user_status_query);
XML_BITFIELD_NAME(unit_status_query);
XML_BITFIELD_NAME(unit_page);
XML_BITFIELD_NAME(alarm);
XML_BITFIELD_NAME(valid_date);
XML_BITFIELD_NAME(valid_time);
XML_BITFIELD_NAME(valid_local);
namespace XML_routines {
XML_BITFIELD_NAME(global_affiliate);
}

//           field                   record                         octet hi lo
XML_BITFIELD(emergency,              P25::Service_options,          0, 7, 7);
XML_BITFIELD(protected_flag,         P25::Service_options,          0, 6, 6);
XML_BITFIELD(full_duplex,            P25::Service_options,          0, 5, 5);
XML_BITFIELD(packet_mode,            P25::Service_options,          0, 4, 4);
XML_BITFIELD(reserved,               P25::Service_options,          0, 3, 3);
XML_BITFIELD(priority_level,         P25::Service_options,          0, 2, 0);

XML_BITFIELD(reserved,               P25::Request_priority,         0, 7, 4);
XML_BITFIELD(priority_level,         P25::Request_priority,         0, 3, 0);

XML_BITFIELD(pad,                    P25::Service_type,             0, 7, 6);
XML_BITFIELD(service_type,           P25::Service_type,             0, 5, 0);

XML_BITFIELD(additional_info_valid,  P25::Service_type_aiv,         0, 7, 7);
XML_BITFIELD(ex,                     P25::Service_type_aiv,         0, 6, 6);
XML_BITFIELD(service_type,           P25::Service_type_aiv,         0, 5, 0);
XML_BITFIELD(additional_info_valid,  P25::Service_additional_info,  0, 7, 7);

XML_BITFIELD(reserved,               P25::Registration_value,       0, 7, 2);
XML_BITFIELD(registration_value,     P25::Registration_value,       0, 1, 0);

XML_BITFIELD(reserved,               P25::Affiliate_value,          0, 7, 2);
XML_BITFIELD(group_affiliation_value, P25::Affiliate_value,         0, 1, 0);

namespace XML_routines {
XML_BITFIELD(global_affiliate,       P25::Group_Affiliate_value,    0, 7, 7);
}
XML_BITFIELD(reserved,               P25::Group_Affiliate_value,    0, 6, 2);
XML_BITFIELD(group_affiliation_value, P25::Group_Affiliate_value,   0, 1, 0);

XML_BITFIELD(last_message,           P25::Message_seq_num,          0, 7, 7);
XML_BITFIELD(reserved,               P25::Message_seq_num,          0, 6, 4);
XML_BITFIELD(number,                 P25::Message_seq_num,          0, 3, 0);

XML_BITFIELD(mult,                   P25::TX_mult,                  1, 1, 0);

XML_BITFIELD(authentication_service, P25::System_service_class,     0, 7, 7);
XML_BITFIELD(registeration_service,  P25::System_service_class,     0, 6, 6);
XML_BITFIELD(voice_service,          P25::System_service_class,     0, 5, 5);
XML_BITFIELD(data_service,           P25::System_service_class,     0, 4, 4);
XML_BITFIELD(reserved,               P25::System_service_class,     0, 3, 3);
XML_BITFIELD(backup_control_chan,    P25::System_service_class,     0, 2, 2);
XML_BITFIELD(update_control_chan,    P25::System_service_class,     0, 1, 1);
XML_BITFIELD(composite_control_chan, P25::System_service_class,     0, 0, 0);

XML_BITFIELD(type,                   P25::Normal_System_Sevices,    0, 7, 7);
XML_BITFIELD(extension_flag,         P25::Normal_System_Sevices,    0, 6, 6);
XML_BITFIELD(network_active,         P25::Normal_System_Sevices,    0, 5, 5);
XML_BITFIELD(reserved1,              P25::Normal_System_Sevices,    0, 4, 4);
XML_BITFIELD(group_voice,            P25::Normal_System_Sevices,    0, 3, 3);
XML_BITFIELD(individual_voice,       P25::Normal_System_Sevices,    0, 2, 2);
XML_BITFIELD(PSTN_to_unit_voice,     P25::Normal_System_Sevices,    0, 1, 1);
XML_BITFIELD(Unit_to_PSTN_voice,     P25::Normal_System_Sevices,    0, 0, 0);
XML_BITFIELD(reserved2,              P25::Normal_System_Sevices,    1, 7, 7);
XML_BITFIELD(group_data,             P25::Normal_System_Sevices,    1, 6, 6);
XML_BITFIELD(individual_data,        P25::Normal_System_Sevices,    1, 5, 5);
XML_BITFIELD(reserved3,              P25::Normal_System_Sevices,    1, 4, 4);
XML_BITFIELD(unit_registration,      P25::Normal_System_Sevices,    1, 3, 3);
XML_BITFIELD(group_affiliation,      P25::Normal_System_Sevices,    1, 2, 2);
XML_BITFIELD(group_affiliation_query, P25::Normal_System_Sevices,   1, 1, 1);
XML_BITFIELD(authentication,         P25::Normal_System_Sevices,    1, 0, 0);
XML_BITFIELD(protection_parameters,  P25::Normal_System_Sevices,    2, 7, 7);
XML_BITFIELD(user_status,            P25::Normal_System_Sevices,    2, 6, 6);
XML_BITFIELD(user_message,           P25::Normal_System_Sevices,    2, 5, 5);
XML_BITFIELD(unit_status,            P25::Normal_System_Sevices,    2, 4, 4);
XML_BITFIELD(user_status_query,      P25::Normal_System_Sevices,    2, 3, 3);
XML_BITFIELD(unit_status_query,      P25::Normal_System_Sevices,    2, 2, 2);
XML_BITFIELD(unit_page,              P25::Normal_System_Sevices,    2, 1, 1);
XML_BITFIELD(alarm,                  P25::Normal_System_Sevices,    2, 0, 0);

XML_BITFIELD(type,                   P25::Extended_System_Sevices,  0, 7, 7);
XML_BITFIELD(extension_flag,         P25::Extended_System_Sevices,  0, 6, 6);

XML_BITFIELD(valid_date,             P25::Time_flags,               0, 7, 7);
XML_BITFIELD(valid_time,             P25::Time_flags,               0, 6, 6);
XML_BITFIELD(valid_local,            P25::Time_flags,               0, 5, 5);
XML_BITFIELD(reserved1,              P25::Time_flags,               0, 4, 4);

XML_BITFIELD(reserved,               P25::Date_layout,              2, 1, 0);
XML_BITFIELD(reserved,               P25::Time_layout,              2, 6, 0);

// ---- descriptors -----------------------------------------------------------------------------------

// Leaf elements whose text is the value.
XML_DECLARE_INFO(P25::SOURCE_ADDRESS);     // "Source_address"
XML_DECLARE_INFO(P25::SOURCE_ID);          // "Source_ID"
XML_DECLARE_INFO(P25::TARGET_ADDRESS);     // "Target_address"
XML_DECLARE_INFO(P25::TARGET_ID);          // "Target_ID"
XML_DECLARE_INFO(P25::UNIT_ADDRESS);       // "Unit_address"
XML_DECLARE_INFO(P25::UNIT_ID);            // "Unit_ID"
XML_DECLARE_INFO(P25::GROUP_ADDRESS);      // "Group_address"
XML_DECLARE_INFO(P25::GROUP_ID);           // "Group_ID"
XML_DECLARE_INFO(P25::ANN_GROUP_ADDRESS);  // "Announcement_group"
XML_DECLARE_INFO(P25::ANN_GROUP_ID);       // "Announcement_group"
XML_DECLARE_INFO(P25::LRA);                // "LRA"
XML_DECLARE_INFO(P25::CALL_TIMER);         // "Call_Timer"

XML_DECLARE_INFO(P25::CHANNEL);             // "Channel"
XML_DECLARE_INFO(P25::ChanGroup);           // anonymous
XML_DECLARE_INFO(P25::Group_update);        // anonymous

XML_DECLARE_INFO(P25::WACN_SysID);              // anonymous: "WACN", "System_ID"
XML_DECLARE_INFO(P25::WACN_SysID_split1);       // anonymous: "WACN", "System_ID"
XML_DECLARE_INFO(P25::WACN_SysID_split2);       // anonymous: "WACN", "System_ID"
XML_DECLARE_INFO(P25::WACN_only);               // "WACN"
XML_DECLARE_INFO(P25::System_ID_only);          // "System_ID"
XML_DECLARE_INFO(P25::SYSID_LRA);               // anonymous: "LRA", "System_ID"
XML_DECLARE_INFO(P25::System_ID_registration);  // anonymous: "Registration_value", "System_ID"

XML_DECLARE_INFO(P25::Service_options);          // "Service_options"
XML_DECLARE_INFO(P25::Request_priority);         // "Request_priority"
XML_DECLARE_INFO(P25::Service_type);             // "Service_type"
XML_DECLARE_INFO(P25::Service_type_aiv);         // "Service_type"
XML_DECLARE_INFO(P25::Service_additional_info);  // anonymous: "Service_type", "Reason", "Additional_info"

XML_DECLARE_INFO(P25::Registration_value);     // "Registration_value"
XML_DECLARE_INFO(P25::Affiliate_value);        // anonymous: "Reserved", "Group_affiliation_value"
XML_DECLARE_INFO(P25::Group_Affiliate_value);  // anonymous: "Global_affiliate", "Reserved", "Group_affiliation_value"
XML_DECLARE_INFO(P25::ANSWER_RESP);            // "Answer_resp"
XML_DECLARE_INFO(P25::Message_seq_num);        // "Message_sequence"
XML_DECLARE_INFO(P25::TX_mult);                // "TX_mult"

XML_DECLARE_INFO(P25::System_service_class);  // "Service_class"
// Anonymous: "LRA", "System_ID", "RF_subsys_ID", "Site_ID", "Channel", "Service_class".
XML_DECLARE_INFO(P25::ADJ_STS_BCST_data);
// Anonymous: "RF_subsys_ID", "Site_ID", then "Channel" and "Service_class" twice.
XML_DECLARE_INFO(P25::SCCB_data);

XML_DECLARE_INFO(P25::CHAN_ID);       // "Identifier"
XML_DECLARE_INFO(P25::BANDWIDTH);     // "Bandwidth"
XML_DECLARE_INFO(P25::BANDWIDTH_VU);  // "Bandwidth"
XML_DECLARE_INFO(P25::CHAN_SPACING);  // "Channel_spacing"
XML_DECLARE_INFO(P25::TX_OFFSET);     // "Transmit_offset"
XML_DECLARE_INFO(P25::BASE_FREQ);     // "Base_freq"

// Anonymous: "Identifier", "Bandwidth", "Channel_spacing", "Transmit_offset", "Base_freq".
XML_DECLARE_INFO(P25::IDEN_UP_packet);
XML_DECLARE_INFO(P25::IDEN_UP_VU_packet);
// Anonymous: the same followed by "TDMA_chan_type".
XML_DECLARE_INFO(P25::IDEN_UP_TDMA_packet);
// Anonymous: "Identifier", "Bandwidth", "Channel_spacing", "Transmit_offset".
XML_DECLARE_INFO(P25::LC_chan_id);
// Anonymous, the VHF/UHF reading: "Identifier", "Bandwidth", "Channel_spacing",
// "Transmit_offset", "Base_freq"; P25::ch_id_up_tdma_info is the TDMA reading.
XML_DECLARE_INFO(P25::CH_ID_UP_data);

XML_DECLARE_INFO(P25::Time_flags);   // "Local_offset"
XML_DECLARE_INFO(P25::Date_layout);  // "Date"
XML_DECLARE_INFO(P25::Time_layout);  // "Time"

namespace XML_routines {
// The attributes of both system-service elements: the extended group while
// octet 0 bit 7 is set, the normal group while it is clear.
extern const Attrib::Attrib_Hash<P25::System_Services> System_Services_attr;
}  // namespace XML_routines

namespace P25 {
extern const XML_routines::Info<System_Services> available_services_info;  // "Available_services"
extern const XML_routines::Info<System_Services> supported_services_info;  // "Supported_services"
// Anonymous: "Identifier", "TDMA_chan_type", "Channel_spacing", "Transmit_offset", "Base_freq".
extern const XML_routines::Info<CH_ID_UP_data> ch_id_up_tdma_info;
// Anonymous: "Reserved", "Minute_correction", "Local_offset", "Date", "Time", "Microslots".
extern const XML_routines::Info<SYNC_BCAST_data> sync_info;
}  // namespace P25

#endif
