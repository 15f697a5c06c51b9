// SmartZone/SmartNet control-channel records as the log describes them: the
// names of their enumerations (one table an enumeration, in the order the
// enumerations are declared), the library's SmartZone entry points and the
// global bit-field classes GetSet_bf_<field><Record, Value> the descriptors
// reach sub-octet fields through.  The records themselves are in
// Smartzone_records.h.
#ifndef TESSEL_SMARTZONE_MESSAGES_H
#define TESSEL_SMARTZONE_MESSAGES_H

#include "shared/P25/P25_shared_struct.h"
#include "shared/P25/Smartzone_records.h"
#include "shared/XML/XML_info.h"

namespace Smartzone {

// ---- value names, one table an enumeration ------------------------------------------------

inline constexpr XML_routines::Value_entry<OSW_IDS> osw_command_names[] = {
    {"BACKGROUND_WORD", BACKGROUND_WORD},
    {"DISPATCH_BUSY", DISPATCH_BUSY},
    {"INTERCONNECT_BUSY", INTERCONNECT_BUSY},
    {"EMERGENCY_BUSY", EMERGENCY_BUSY},
    {"OTHER_BUSY", OTHER_BUSY},
    {"PRIVATE_CALL", PRIVATE_CALL},
    {"FIRST_WORD1", FIRST_WORD1},
    {"FIRST_WORD2", FIRST_WORD2},
    {"DYNAMIC_TG_ASSIGNMENT", DYNAMIC_TG_ASSIGNMENT},
    {"EXTENDED_FUNCTION", EXTENDED_FUNCTION},
    {"TG_AFFILIATE", TG_AFFILIATE},
    {"AUTO_AFFILIATE", AUTO_AFFILIATE},
    {"PRIVATE_CALL_RING", PRIVATE_CALL_RING},
    {"PRIVATE_CALL_ACK", PRIVATE_CALL_ACK},
    {"CALL_ALERT", CALL_ALERT},
    {"CALL_ALERT_ACK", CALL_ALERT_ACK},
    {"TRIPLE_WORD", TRIPLE_WORD},
    {"DOUBLE_WORD", DOUBLE_WORD},
    {"SCAN_WORD", SCAN_WORD},
    {"EMERGENCY_STATUS", EMERGENCY_STATUS},
    {"SYSTEM_STATUS_AMSS", SYSTEM_STATUS_AMSS},
    {"SYSTEM_STATUS_STANDALONE", SYSTEM_STATUS_STANDALONE},
    {"SEND_TALK_GRP", SEND_TALK_GRP},
    {"DYNAMIC_REGROUP00", OSW_IDS(832)},
    {"DYNAMIC_REGROUP01", OSW_IDS(833)},
    {"DYNAMIC_REGROUP02", OSW_IDS(834)},
    {"DYNAMIC_REGROUP03", OSW_IDS(835)},
    {"DYNAMIC_REGROUP04", OSW_IDS(836)},
    {"DYNAMIC_REGROUP05", OSW_IDS(837)},
    {"DYNAMIC_REGROUP06", OSW_IDS(838)},
    {"DYNAMIC_REGROUP07", OSW_IDS(839)},
    {"DYNAMIC_REGROUP08", OSW_IDS(840)},
    {"DYNAMIC_REGROUP09", OSW_IDS(841)},
    {"DYNAMIC_REGROUP10", OSW_IDS(842)},
    {"DYNAMIC_REGROUP11", OSW_IDS(843)},
    {"DYNAMIC_REGROUP12", OSW_IDS(844)},
    {"DYNAMIC_REGROUP13", OSW_IDS(845)},
    {"DYNAMIC_REGROUP14", OSW_IDS(846)},
    {"DYNAMIC_REGROUP15", OSW_IDS(847)},
};
extern const XML_routines::Value_hash<OSW_IDS> osw_command_map;

inline constexpr XML_routines::Value_entry<CALL_TYPE_OPCODE> call_type_names[] = {
    {"CLEAR_MESSAGE_TRUNKED", CLEAR_MESSAGE_TRUNKED},
    {"CLEAR_ANNOUNCEMENT", CLEAR_ANNOUNCEMENT},
    {"CLEAR_EMERGENCY", CLEAR_EMERGENCY},
    {"CLEAR_PATCHED", CLEAR_PATCHED},
    {"CLEAR_UNUSED", CLEAR_UNUSED},
    {"CLEAR_EMERGENCY_ANNOUNCE", CLEAR_EMERGENCY_ANNOUNCE},
    {"CLEAR_PAGING_AVL", CLEAR_PAGING_AVL},
    {"CLEAR_MSEL", CLEAR_MSEL},
    {"CODED_MESSAGE_TRUNKED", CODED_MESSAGE_TRUNKED},
    {"CODED_ANNOUNCEMENT", CODED_ANNOUNCEMENT},
    {"CODED_EMERGENCY", CODED_EMERGENCY},
    {"CODED_PATCHED", CODED_PATCHED},
    {"CODED_UNUSED", CODED_UNUSED},
    {"CODED_EMERGENCY_ANNOUNCE", CODED_EMERGENCY_ANNOUNCE},
    {"CODED_PAGING_AVL", CODED_PAGING_AVL},
    {"CODED_MSEL", CODED_MSEL},
};
extern const XML_routines::Value_hash<CALL_TYPE_OPCODE> call_type_map;

// ADJACENT_CONTROL_CHAN has no name of its own: it prints as a number.
inline constexpr XML_routines::Value_entry<EXTENDED_FUNCTION_OPCODES> extended_function_names[] = {
    {"INDIVIDUAL_DYNAMIC_REGROUP", INDIVIDUAL_DYNAMIC_REGROUP},
    {"PAGING_CONTROL", PAGING_CONTROL},
    {"DATE_TIME_1", DATE_TIME_1},
    {"DATE_TIME_2", DATE_TIME_2},
    {"PATCH_MSEL_1", PATCH_MSEL_1},
    {"PATCH_MSEL_2", PATCH_MSEL_2},
    {"PATCH_MSEL_3", PATCH_MSEL_3},
    {"PATCH_MSEL_4", PATCH_MSEL_4},
    {"WIRELINE", WIRELINE},
    {"TYPE_I_II_ACKS", TYPE_I_II_ACKS},
    {"TYPE_II_SYSTEM_ID", TYPE_II_SYSTEM_ID},
    {"TYPE_II_SUBSCRIBER_REJECT", TYPE_II_SUBSCRIBER_REJECT},
    {"TYPE_I_PTT_ID_1", TYPE_I_PTT_ID_1},
    {"TYPE_I_PTT_ID_2", TYPE_I_PTT_ID_2},
    {"TYPE_I_PTT_ID_3", TYPE_I_PTT_ID_3},
    {"TYPE_I_PTT_ID_4", TYPE_I_PTT_ID_4},
    {"TYPE_I_MULTI_SELECT_1", TYPE_I_MULTI_SELECT_1},
    {"TYPE_I_MULTI_SELECT_2", TYPE_I_MULTI_SELECT_2},
    {"TYPE_I_MULTI_SELECT_3", TYPE_I_MULTI_SELECT_3},
    {"TYPE_I_MULTI_SELECT_4", TYPE_I_MULTI_SELECT_4},
    {"TRANSMIT_FEATURES", TRANSMIT_FEATURES},
    {"REMOTE_MONITOR_FREQ", REMOTE_MONITOR_FREQ},
    {"REMOTE_MONITOR_PARM", REMOTE_MONITOR_PARM},
    {"INDIVIDUAL_DYNAMIC_REGROUP2", INDIVIDUAL_DYNAMIC_REGROUP2},
    {"SMARTNET_INDV_DATA_CHANNEL", SMARTNET_INDV_DATA_CHANNEL},
    {"SMARTNET_GRP_DATA_CHANNEL", SMARTNET_GRP_DATA_CHANNEL},
    {"END_OF_DATA_CALL", END_OF_DATA_CALL},
    {"OTAR_GROUP_WILDCARD_REQ", OTAR_GROUP_WILDCARD_REQ},
    {"OTAR_GROUP_WILDCARD_END_CAL_REQ", OTAR_GROUP_WILDCARD_END_CAL_REQ},
    {"DYNAMIC_FAILSOFT_1", DYNAMIC_FAILSOFT_1},
    {"DYNAMIC_FAILSOFT_2", DYNAMIC_FAILSOFT_2},
    {"DYNAMIC_FAILSOFT_3", DYNAMIC_FAILSOFT_3},
    {"DYNAMIC_REGROUP_AMSS_2", DYNAMIC_REGROUP_AMSS_2},
    {"DYNAMIC_REGROUP_AMSS_3", DYNAMIC_REGROUP_AMSS_3},
    {"DYNAMIC_REGROUP_AMSS_4", DYNAMIC_REGROUP_AMSS_4},
    {"DYNAMIC_REGROUP_AMSS_5", DYNAMIC_REGROUP_AMSS_5},
    {"DYNAMIC_REGROUP_AMSS_6", DYNAMIC_REGROUP_AMSS_6},
    {"DYNAMIC_REGROUP_AMSS_7", DYNAMIC_REGROUP_AMSS_7},
    {"DYNAMIC_REGROUP_AMSS_8", DYNAMIC_REGROUP_AMSS_8},
};
extern const XML_routines::Value_hash<EXTENDED_FUNCTION_OPCODES> extended_function_map;

inline constexpr XML_routines::Value_entry<ACK_TYPES> ack_type_names[] = {
    {"CHECK_RF_MODEM1", CHECK_RF_MODEM1},
    {"CHECK_RF_MODEM2", CHECK_RF_MODEM2},
    {"CLEAR_LOCAL_INTERCONNECT", CLEAR_LOCAL_INTERCONNECT},
    {"CODED_LOCAL_INTERCONNECT", CODED_LOCAL_INTERCONNECT},
    {"REMOTE_MON_PARM", REMOTE_MON_PARM},
    {"REMOTE_MON_CMD", REMOTE_MON_CMD},
    {"REMOTE_MON_NACK", REMOTE_MON_NACK},
    {"MULTIZONE_OSW1", MULTIZONE_OSW1},
    {"MULTIZONE_OSW2", MULTIZONE_OSW2},
    {"BUSY_OVERRIDE_NOT_CAPABLE", BUSY_OVERRIDE_NOT_CAPABLE},
    {"BUSY_OVERRIDE", BUSY_OVERRIDE},
    {"INCORRECT_ZONE_DEAFFL", INCORRECT_ZONE_DEAFFL},
    {"SECURENET_CODE_KEY_FAIL", SECURENET_CODE_KEY_FAIL},
    {"SEND_CENTRAL_AUTO_AFFL", SEND_CENTRAL_AUTO_AFFL},
    {"SEND_AUTO_AFFL", SEND_AUTO_AFFL},
    {"Deaffiliate", DEAFFILIATE},
    {"TRANSIT_LO", TRANSIT_LO},
    {"TRANSIT_HI", TRANSIT_HI},
    {"EMERGENCY_ALARM", EMERGENCY_ALARM},
    {"DYNAMIC_REPROGRAM", DYNAMIC_REPROGRAM},
    {"DATA_IND_HI_PRIORITY", DATA_IND_HI_PRIORITY},
    {"DATA_IND_LO_PRIORITY", DATA_IND_LO_PRIORITY},
    {"DATA_GRP_PAGE", DATA_GRP_PAGE},
    {"AVL_NORMAL_PAGE", AVL_NORMAL_PAGE},
    {"AVL_SPECIAL_PAGE", AVL_SPECIAL_PAGE},
    {"DVP_OTRA_PAGE", DVP_OTRA_PAGE},
    {"REDUCED_MODE_OVERRIDE", REDUCED_MODE_OVERRIDE},
};
extern const XML_routines::Value_hash<ACK_TYPES> ack_type_map;

inline constexpr XML_routines::Value_entry<BANDPLAN> bandplan_names[] = {
    {"Legacy_00", LEGACY_00},
    {"Unassigned_01", UNASSIGNED_01},
    {"Legacy_02", LEGACY_02},
    {"Unassigned_03", UNASSIGNED_03},
    {"Legacy_04", LEGACY_04},
    {"Unassigned_05", UNASSIGNED_05},
    {"Unassigned_06", UNASSIGNED_06},
    {"Unassigned_07", UNASSIGNED_07},
    {"International_splinter", INTERNATIONAL_SPLINTER},
    {"International_nonsplinter", INTERNATIONAL_NONSPLINTER},
    {"Domestic_splinter", DOMESTIC_SPLINTER},
    {"Domestic_nonsplinter", DOMESTIC_NONSPLINTER},
    {"Legacy_12", LEGACY_12},
    {"Rebanding", REBANDING},
    {"Legacy_14", LEGACY_14},
    {"Unassigned_15", UNASSIGNED_15},
};
extern const XML_routines::Value_hash<BANDPLAN> bandplan_map;

inline constexpr XML_routines::Value_entry<FREQ_PLAN> freq_plan_names[] = {
    {"800MHz_International_splinter", PLAN_800_INTERNATIONAL_SPLINTER},
    {"800MHz_International", PLAN_800_INTERNATIONAL},
    {"800MHz_domestic splinter", PLAN_800_DOMESTIC_SPLINTER},
    {"800MHz_domestic", PLAN_800_DOMESTIC},
    {"900MHz", PLAN_900},
    {"800MHz reband", PLAN_800_REBAND},
    {"Other Band", PLAN_OTHER_BAND},
};
extern const XML_routines::Value_hash<FREQ_PLAN> freq_plan_map;

inline constexpr XML_routines::Value_entry<ISW_types> isw_type_names[] = {
    {"Group_request", ISW_GROUP_REQUEST},
    {"First_ISW", ISW_FIRST},
    {"Private_call", ISW_PRIVATE_CALL},
    {"Dynamic_regroup", ISW_DYNAMIC_REGROUP},
    {"Extended", ISW_EXTENDED},
    {"Group_request_2", ISW_GROUP_REQUEST_2},
    {"Private_call_coded", ISW_PRIVATE_CALL_CODED},
    {"OB_Private_call_coded", ISW_OB_PRIVATE_CALL_CODED},
    {"Affiliate_request", ISW_AFFILIATE_REQUEST},
    {"OB_Private_call", ISW_OB_PRIVATE_CALL},
    {"Ring_ack", ISW_RING_ACK},
    {"Ring_request", ISW_RING_REQUEST},
};
extern const XML_routines::Value_hash<ISW_types> isw_type_map;

// ---- entry points ----------------------------------------------------------------------------

// "Smartzone_raw", class Log_protocol_raw; nothing else.
void Log_raw(const P25::Smartnet_data_log& record);
// "Smartzone_cooked", class Log_protocol_cooked; a 3600-baud word of
// channels 0-3 then goes to its assembler.
void Log_cooked(const P25::Smartnet_data_log& record);
// A word lost to a CRC error or a time-out: the message its assembler holds
// is written, then "Smartzone_crc_err" / "Smartzone_tout" (3600 baud,
// channels 0-3 only).
void Log_crc_err(const P25::Smartnet_data_log& record);
void Log_timeout(const P25::Smartnet_data_log& record);

}  // namespace Smartzone

// ---- bit-field accessor classes ------------------------------------------------------------

XML_BITFIELD_NAME(i_bit);
XML_BITFIELD_NAME(command);
XML_BITFIELD_NAME(talk_group);
XML_BITFIELD_NAME(call_type);
XML_BITFIELD_NAME(widepulse);
XML_BITFIELD_NAME(connect_tone);
XML_BITFIELD_NAME(r_bit);
XML_BITFIELD_NAME(expander);
XML_BITFIELD_NAME(ext_payload);
XML_BITFIELD_NAME(site_id);
XML_BITFIELD_NAME(freq_plan);
XML_BITFIELD_NAME(secure_avail);
XML_BITFIELD_NAME(voice_on_cc);
XML_BITFIELD_NAME(wide_area);
XML_BITFIELD_NAME(astro_capable);
XML_BITFIELD_NAME(interconnect);
XML_BITFIELD_NAME(data_avail);
XML_BITFIELD_NAME(fail_soft);
XML_BITFIELD_NAME(regroup_opcode);
XML_BITFIELD_NAME(super_group);
XML_BITFIELD_NAME(status_opcode);
XML_BITFIELD_NAME(affiliate);
XML_BITFIELD_NAME(all_secure_down);
XML_BITFIELD_NAME(upgrade_allowed);
XML_BITFIELD_NAME(data_operational);
XML_BITFIELD_NAME(band);
XML_BITFIELD_NAME(smart_amss);
XML_BITFIELD_NAME(status_reserved);
XML_BITFIELD_NAME(trespass);
XML_BITFIELD_NAME(voc_capable);
XML_BITFIELD_NAME(backup_cc);
XML_BITFIELD_NAME(secure_signaling);
XML_BITFIELD_NAME(wide_pulse);
XML_BITFIELD_NAME(site_trunking);
XML_BITFIELD_NAME(master_toggle);
XML_BITFIELD_NAME(isw_type);

//           field               record                             octet hi lo
XML_BITFIELD(i_bit,              Smartzone::OSW_generic,            2, 7, 7);
XML_BITFIELD_WIDE(command,       Smartzone::OSW_generic,            2, 2, 14, 5);
XML_BITFIELD_WIDE(talk_group,    Smartzone::Talk_group_cmd,         0, 2, 15, 4);
XML_BITFIELD(call_type,          Smartzone::Talk_group_cmd,         1, 3, 0);
XML_BITFIELD(widepulse,          Smartzone::Talk_group_cmd,         1, 3, 3);
XML_BITFIELD(connect_tone,       Smartzone::Talk_group_cmd,         1, 2, 0);
XML_BITFIELD(r_bit,              Smartzone::Extended_function_word, 0, 7, 7);
XML_BITFIELD(expander,           Smartzone::Extended_function_word, 0, 7, 2);
XML_BITFIELD_WIDE(ext_payload,   Smartzone::Extended_function_word, 0, 2, 9, 0);
XML_BITFIELD(site_id,            Smartzone::Extended_function_word2, 0, 7, 2);
XML_BITFIELD_WIDE(freq_plan,     Smartzone::Extended_function_word2, 0, 2, 9, 7);
XML_BITFIELD(secure_avail,       Smartzone::Extended_function_word2, 1, 6, 6);
XML_BITFIELD(voice_on_cc,        Smartzone::Extended_function_word2, 1, 5, 5);
XML_BITFIELD(wide_area,          Smartzone::Extended_function_word2, 1, 4, 4);
XML_BITFIELD(astro_capable,      Smartzone::Extended_function_word2, 1, 3, 3);
XML_BITFIELD(interconnect,       Smartzone::Extended_function_word2, 1, 2, 2);
XML_BITFIELD(data_avail,         Smartzone::Extended_function_word2, 1, 1, 1);
XML_BITFIELD(fail_soft,          Smartzone::Extended_function_word2, 1, 0, 0);
XML_BITFIELD(i_bit,              Smartzone::Dynamic_regroup_osw,    2, 7, 7);
XML_BITFIELD_WIDE(command,       Smartzone::Dynamic_regroup_osw,    2, 2, 14, 5);
XML_BITFIELD(regroup_opcode,     Smartzone::Dynamic_regroup_osw,    0, 7, 4);
XML_BITFIELD_WIDE(super_group,   Smartzone::Dynamic_regroup_osw,    0, 2, 11, 0);
XML_BITFIELD(isw_type,           Smartzone::ISW_first,              2, 7, 3);

// Status words: bits of the address field (octets 0-1).
XML_BITFIELD(status_opcode,      Smartzone::Status_word,            0, 7, 5);
XML_BITFIELD(status_opcode,      Smartzone::Status1,                0, 7, 5);
XML_BITFIELD(status_opcode,      Smartzone::Status2,                0, 7, 5);
XML_BITFIELD(status_opcode,      Smartzone::Status3,                0, 7, 5);
XML_BITFIELD(affiliate,          Smartzone::Status1,                0, 4, 4);
XML_BITFIELD_WIDE(connect_tone,  Smartzone::Status1,                0, 2, 8, 5);
XML_BITFIELD(all_secure_down,    Smartzone::Status2,                0, 4, 4);
XML_BITFIELD(upgrade_allowed,    Smartzone::Status2,                0, 3, 3);
XML_BITFIELD(data_operational,   Smartzone::Status2,                0, 2, 2);
XML_BITFIELD_WIDE(band,          Smartzone::Status2,                0, 2, 9, 6);
XML_BITFIELD(smart_amss,         Smartzone::Status2,                1, 5, 5);
XML_BITFIELD_WIDE(status_reserved, Smartzone::Status3,              0, 2, 12, 9);
XML_BITFIELD(trespass,           Smartzone::Status3,                0, 0, 0);
XML_BITFIELD(voc_capable,        Smartzone::Status3,                1, 7, 7);
XML_BITFIELD(backup_cc,          Smartzone::Status3,                1, 6, 5);
XML_BITFIELD(secure_signaling,   Smartzone::Status3,                1, 3, 3);
XML_BITFIELD(wide_pulse,         Smartzone::Status3,                1, 2, 2);
XML_BITFIELD(site_trunking,      Smartzone::Status3,                1, 1, 1);
XML_BITFIELD(master_toggle,      Smartzone::Status3,                1, 0, 0);
XML_BITFIELD(wide_area,          Smartzone::Status3,                2, 7, 7);

#endif
