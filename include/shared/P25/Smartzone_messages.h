// SmartZone/SmartNet control-channel records: the 3600-baud outbound (OSW)
// and inbound (ISW) signalling words, the messages of one to three words the
// library assembles from them, the raw word forms of the host's overhead
// records, the views of a word's 16-bit address field, and the name tables
// of commands, call types, extended functions and inbound types.
//
// An OSW is 4 bytes: a 16-bit address (bytes 0-1), the group/individual flag
// (byte 2 bit 7) and a 10-bit command (byte 2 bits 6-0, byte 3 bits 7-5);
// the low 5 bits of byte 3 are unused.  An ISW is 3 bytes: a 16-bit ID and a
// 5-bit type (byte 2 bits 7-3).  Multi-word messages lay their words side by
// side, first word first.  Sub-octet fields are reached through the global
// bit-field classes GetSet_bf_<field><Record, Value> declared at the bottom.
#ifndef TESSEL_SMARTZONE_MESSAGES_H
#define TESSEL_SMARTZONE_MESSAGES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shared/P25/P25_shared_struct.h"
#include "shared/XML/XML_info.h"
#include "shared/endian.h"

namespace Smartzone {

// ---- outbound commands ------------------------------------------------------------------

// The 10-bit command of an OSW.  Commands not named here are channel numbers
// (the ranges below) or have no meaning of their own.
enum OSW_IDS : int {
    OSW_INVALID = -1,
    STD_CH_LO = 0,
    REBAND_BREAK1 = 440,
    REBAND_BREAK2 = 560,
    REBAND_BREAK3 = 600,
    STD_CH_BREAK = 720,
    STD_CH_HI = 759,
    BACKGROUND_WORD = 760,
    DISPATCH_BUSY = 768,
    INTERCONNECT_BUSY = 769,
    EMERGENCY_BUSY = 770,
    OTHER_BUSY = 771,
    PRIVATE_CALL = 772,
    FIRST_WORD1 = 776,
    FIRST_WORD2 = 777,
    DYNAMIC_TG_ASSIGNMENT = 778,
    EXTENDED_FUNCTION = 779,
    TG_AFFILIATE = 781,
    AUTO_AFFILIATE = 784,
    PRIVATE_CALL_RING = 791,
    PRIVATE_CALL_ACK = 792,
    CALL_ALERT = 793,
    CALL_ALERT_ACK = 794,
    TRIPLE_WORD = 800,
    DOUBLE_WORD = 801,
    SEND_TALK_GRP = 810,
    SCAN_WORD = 811,
    EMERGENCY_STATUS = 814,
    HI1_CHAN_LO = 815,
    HI1_CHAN_HI = 831,
    DYNAMIC_REGROUP_START = 832,
    DYNAMIC_REGROUP_END = 848,
    HI2_CHAN = 958,
    SYSTEM_STATUS_AMSS = 959,
    SYSTEM_STATUS_STANDALONE = 960,
    HI3_CHAN_LO = 961,
    HI3_CHAN_HI = 1022,
};
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

// Channel numbers: a word carrying one of these commands is a channel grant
// or update.
constexpr bool Is_channel(unsigned cmd) {
    return cmd <= STD_CH_HI || (cmd >= HI1_CHAN_LO && cmd <= HI1_CHAN_HI) || cmd == HI2_CHAN ||
           (cmd >= HI3_CHAN_LO && cmd <= HI3_CHAN_HI);
}

// Call type: the low 4 bits of a talk-group address.
enum CALL_TYPE_OPCODE : unsigned {
    CLEAR_MESSAGE_TRUNKED = 0,
    CLEAR_ANNOUNCEMENT = 1,
    CLEAR_EMERGENCY = 2,
    CLEAR_PATCHED = 3,
    CLEAR_UNUSED = 4,
    CLEAR_EMERGENCY_ANNOUNCE = 5,
    CLEAR_PAGING_AVL = 6,
    CLEAR_MSEL = 7,
    CODED_MESSAGE_TRUNKED = 8,
    CODED_ANNOUNCEMENT = 9,
    CODED_EMERGENCY = 10,
    CODED_PATCHED = 11,
    CODED_UNUSED = 12,
    CODED_EMERGENCY_ANNOUNCE = 13,
    CODED_PAGING_AVL = 14,
    CODED_MSEL = 15,
};
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

// Extended functions: the 6-bit expander of an extended-function word.
enum EXTENDED_FUNCTION_OPCODES : unsigned {
    INDIVIDUAL_DYNAMIC_REGROUP = 0,
    PAGING_CONTROL = 1,
    DATE_TIME_1 = 2,
    DATE_TIME_2 = 3,
    PATCH_MSEL_1 = 4,
    PATCH_MSEL_2 = 5,
    PATCH_MSEL_3 = 6,
    PATCH_MSEL_4 = 7,
    WIRELINE = 8,
    TYPE_I_II_ACKS = 9,
    TYPE_II_SYSTEM_ID = 10,
    TYPE_II_SUBSCRIBER_REJECT = 11,
    TYPE_I_PTT_ID_1 = 12,
    TYPE_I_PTT_ID_2 = 13,
    TYPE_I_PTT_ID_3 = 14,
    TYPE_I_PTT_ID_4 = 15,
    TYPE_I_MULTI_SELECT_1 = 16,
    TYPE_I_MULTI_SELECT_2 = 17,
    TYPE_I_MULTI_SELECT_3 = 18,
    TYPE_I_MULTI_SELECT_4 = 19,
    TRANSMIT_FEATURES = 20,
    REMOTE_MONITOR_FREQ = 22,
    REMOTE_MONITOR_PARM = 23,
    ADJACENT_CONTROL_CHAN = 24,
    INDIVIDUAL_DYNAMIC_REGROUP2 = 32,
    SMARTNET_INDV_DATA_CHANNEL = 33,
    SMARTNET_GRP_DATA_CHANNEL = 34,
    END_OF_DATA_CALL = 35,
    OTAR_GROUP_WILDCARD_REQ = 36,
    OTAR_GROUP_WILDCARD_END_CAL_REQ = 37,
    DYNAMIC_FAILSOFT_1 = 38,
    DYNAMIC_FAILSOFT_2 = 39,
    DYNAMIC_FAILSOFT_3 = 40,
    DYNAMIC_REGROUP_AMSS_2 = 41,
    DYNAMIC_REGROUP_AMSS_3 = 42,
    DYNAMIC_REGROUP_AMSS_4 = 43,
    DYNAMIC_REGROUP_AMSS_5 = 44,
    DYNAMIC_REGROUP_AMSS_6 = 45,
    DYNAMIC_REGROUP_AMSS_7 = 46,
    DYNAMIC_REGROUP_AMSS_8 = 47,
};
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

// Acknowledgement types: the 10-bit payload of a TYPE_I_II_ACKS word.
enum ACK_TYPES : unsigned {
    CHECK_RF_MODEM1 = 510,
    CHECK_RF_MODEM2 = 511,
    CLEAR_LOCAL_INTERCONNECT = 512,
    CODED_LOCAL_INTERCONNECT = 513,
    REMOTE_MON_PARM = 514,
    REMOTE_MON_CMD = 515,
    REMOTE_MON_NACK = 516,
    MULTIZONE_OSW1 = 532,
    MULTIZONE_OSW2 = 533,
    BUSY_OVERRIDE_NOT_CAPABLE = 534,
    BUSY_OVERRIDE = 535,
    INCORRECT_ZONE_DEAFFL = 536,
    SECURENET_CODE_KEY_FAIL = 537,
    SEND_CENTRAL_AUTO_AFFL = 538,
    SEND_AUTO_AFFL = 539,
    DEAFFILIATE = 540,
    TRANSIT_LO = 541,
    TRANSIT_HI = 560,
    EMERGENCY_ALARM = 744,
    DYNAMIC_REPROGRAM = 745,
    DATA_IND_HI_PRIORITY = 768,
    DATA_IND_LO_PRIORITY = 769,
    DATA_GRP_PAGE = 770,
    AVL_NORMAL_PAGE = 771,
    AVL_SPECIAL_PAGE = 772,
    DVP_OTRA_PAGE = 773,
    REDUCED_MODE_OVERRIDE = 785,
};
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

// Band plan of a system status word (4 bits): named only, no channel to
// frequency conversion is made.
enum BANDPLAN : unsigned {
    LEGACY_00 = 0,
    UNASSIGNED_01 = 1,
    LEGACY_02 = 2,
    UNASSIGNED_03 = 3,
    LEGACY_04 = 4,
    UNASSIGNED_05 = 5,
    UNASSIGNED_06 = 6,
    UNASSIGNED_07 = 7,
    INTERNATIONAL_SPLINTER = 8,
    INTERNATIONAL_NONSPLINTER = 9,
    DOMESTIC_SPLINTER = 10,
    DOMESTIC_NONSPLINTER = 11,
    LEGACY_12 = 12,
    REBANDING = 13,
    LEGACY_14 = 14,
    UNASSIGNED_15 = 15,
};
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

// Frequency plan of an adjacent control channel (3 bits); 6 has no name.
enum FREQ_PLAN : unsigned {
    PLAN_800_INTERNATIONAL_SPLINTER = 0,
    PLAN_800_INTERNATIONAL = 1,
    PLAN_800_DOMESTIC_SPLINTER = 2,
    PLAN_800_DOMESTIC = 3,
    PLAN_900 = 4,
    PLAN_800_REBAND = 5,
    PLAN_OTHER_BAND = 7,
};
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

// ---- inbound types ----------------------------------------------------------------------

// The 5-bit type of an ISW.
enum ISW_types : int {
    ISW_INVALID = -1,
    ISW_GROUP_REQUEST = 2,
    ISW_FIRST = 8,
    ISW_PRIVATE_CALL = 9,
    ISW_DYNAMIC_REGROUP = 10,
    ISW_EXTENDED = 11,
    ISW_GROUP_REQUEST_2 = 12,
    ISW_PRIVATE_CALL_CODED = 14,
    ISW_AFFILIATE_REQUEST = 16,
    ISW_OB_PRIVATE_CALL_CODED = 21,
    ISW_OB_PRIVATE_CALL = 23,
    ISW_RING_ACK = 24,
    ISW_RING_REQUEST = 28,
};
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

#pragma pack(push, 1)

// ---- views of a 16-bit address field ------------------------------------------------------

// The two address bytes as they stand.
struct osw_payload {
    std::uint8_t octets[2];
};
// A radio: element "Unit_id".
struct Unit_id : BE_ushort {};
// A system: element "SysID".
struct System_id : BE_ushort {};
// Bits 15-4 talk group; 3-0 call type (or, in the affiliation form, bit 3
// wide pulse and bits 2-0 connect tone).
struct Talk_group_cmd {
    std::uint8_t octets[2];
};
// Bit 15 R bit; bits 15-10 the expander (bit 15 its high bit); 9-0 payload.
struct Extended_function_word {
    std::uint8_t octets[2];
};
// Bits 15-10 site ID; 9-7 frequency plan; 6 secure; 5 voice on control
// channel; 4 wide area; 3 Astro capable; 2 interconnect; 1 data; 0 fail-soft.
struct Extended_function_word2 {
    std::uint8_t octets[2];
};

// ---- words ---------------------------------------------------------------------------------

// Bytes 2-3 of an OSW: the group/individual flag and the command.
struct OSW_tail {
    std::uint8_t octets[2];
};

// One outbound word, its address seen through every view.
struct OSW_generic {
    union {
        osw_payload payload;
        BE_ushort address;
        Unit_id unit;
        System_id system;
        Talk_group_cmd group;
        Extended_function_word ext;
        Extended_function_word2 ext2;
    };
    OSW_tail tail;

    unsigned Command() const { return (tail.octets[0] & 0x7Fu) << 3 | tail.octets[1] >> 5; }
    void Set_command(unsigned cmd) {
        tail.octets[0] = static_cast<std::uint8_t>((tail.octets[0] & 0x80u) | ((cmd >> 3) & 0x7Fu));
        tail.octets[1] = static_cast<std::uint8_t>((tail.octets[1] & 0x1Fu) | ((cmd & 7u) << 5));
    }
    bool I_bit() const { return (tail.octets[0] & 0x80u) != 0; }
};

// Two words: a first word and the word that names the message.
struct OSW_dual_group {
    OSW_generic w0, w1;
};
// A call alert or private call: w0 and w1 each a radio.
struct OSW_alert {
    OSW_generic w0, w1;
};
// Automatic affiliation: w0 the radio, w1 the talk group in its affiliation
// form; a secure site sends w0 with FIRST_WORD1.
struct OSW_affiliation {
    OSW_generic w0, w1;

    bool Get_secure_site() const { return w0.Command() == FIRST_WORD1; }
    void Set_secure_site(bool secure) { w0.Set_command(secure ? FIRST_WORD1 : FIRST_WORD2); }
};
// A two-word extended function: w1 carries the extended-function word.
struct Extended_function {
    OSW_generic w0, w1;
};
// The regroup word of a dynamic regroup: bits 15-12 regroup opcode, 11-0
// super group.
struct Dynamic_regroup_osw : OSW_generic {};
struct Dynamic_regroup_assignment {
    OSW_generic w0;
    Dynamic_regroup_osw w1;
};
// A three-word extended function: w2 carries the extended-function word.
struct Extended_function3 {
    OSW_generic w0, w1, w2;
};
// An adjacent control channel: w0 its system, w1 its site and abilities, w2
// its channel.
struct Adjacent_control_channel {
    OSW_generic w0, w1, w2;
};

// System status words: the status opcode in address bits 15-13 selects the
// layout of the other 13 bits.
struct Status_word {
    OSW_generic w0;
};
// Opcode 1: timers of the site (counts of 30).
struct Status1 : Status_word {
    unsigned Get_dispatch_timeout() const;
    void Set_dispatch_timeout(unsigned v);
    unsigned Get_timeout() const;
    void Set_timeout(unsigned v);
};
// Opcode 2: abilities and band plan; the echo delay counts 46.
struct Status2 : Status_word {
    unsigned Get_echo_delay() const;
    void Set_echo_delay(unsigned v);
};
// Opcode 3: site flags.
struct Status3 : Status_word {};

// One inbound word, its ID seen through every view.
struct ISW_first {
    union {
        BE_ushort id;
        Unit_id unit;
        Talk_group_cmd group;
        Extended_function_word ext;
    };
    std::uint8_t type_octet;  // bits 7-3 the type, 2-0 not used

    unsigned Type() const { return type_octet >> 3; }
    void Set_type(unsigned type) { type_octet = static_cast<std::uint8_t>((type_octet & 7u) | (type & 0x1Fu) << 3); }
};
using ISW_second = ISW_first;
// Two inbound words: a request, or an extended request whose second word is
// an extended-function word.
struct isw_req {
    ISW_first w0;
    ISW_second w1;
};
struct isw_extended {
    ISW_first w0;
    ISW_second w1;
};

// ---- assembled messages ----------------------------------------------------------------------

// An outbound message of up to three words, with the source of each word.
struct OSW_log {
    static constexpr unsigned capacity = 3;
    std::uint32_t count;  // words held, 1-3
    P25::Source_info sources[capacity];
    std::uint8_t words[capacity][4];

    const P25::Source_info& First_source() const { return sources[0]; }
    void Set_first_source(const P25::Source_info& s) { sources[0] = s; }
    const OSW_generic& Word(unsigned i) const { return reinterpret_cast<const OSW_generic&>(words[i]); }
    OSW_generic& Word(unsigned i) { return reinterpret_cast<OSW_generic&>(words[i]); }
};

// An inbound message of up to three words (two when assembled).
struct ISW_log {
    static constexpr unsigned capacity = 3;
    std::uint32_t count;
    P25::Source_info sources[capacity];
    std::uint8_t words[capacity][3];
    std::uint8_t padding[3];

    const P25::Source_info& First_source() const { return sources[0]; }
    void Set_first_source(const P25::Source_info& s) { sources[0] = s; }
    const ISW_first& Word(unsigned i) const { return reinterpret_cast<const ISW_first&>(words[i]); }
    ISW_first& Word(unsigned i) { return reinterpret_cast<ISW_first&>(words[i]); }
};

// The words of an overhead record: assigning one to a log copies the count
// and the word bytes and leaves the sources alone.
struct Smartnet_osw_raw {
    std::uint32_t count;
    std::uint8_t words[3][4];
};
struct Smartnet_isw_raw {
    std::uint32_t count;
    std::uint8_t words[3][3];
};

#pragma pack(pop)

inline OSW_log& Assign(OSW_log& log, const Smartnet_osw_raw& raw) {
    log.count = raw.count;
    std::memcpy(log.words, raw.words, sizeof log.words);
    return log;
}
inline ISW_log& Assign(ISW_log& log, const Smartnet_isw_raw& raw) {
    log.count = raw.count;
    std::memcpy(log.words, raw.words, sizeof log.words);
    return log;
}

static_assert(sizeof(Unit_id) == 2 && sizeof(System_id) == 2 && sizeof(Talk_group_cmd) == 2 &&
                  sizeof(Extended_function_word) == 2 && sizeof(Extended_function_word2) == 2,
              "address views are 2 bytes");
static_assert(sizeof(OSW_generic) == 4 && offsetof(OSW_generic, tail) == 2, "an OSW is 4 bytes");
static_assert(sizeof(OSW_dual_group) == 8 && sizeof(OSW_alert) == 8 && sizeof(OSW_affiliation) == 8 && sizeof(Extended_function) == 8 &&
                  sizeof(Dynamic_regroup_assignment) == 8 && offsetof(Dynamic_regroup_assignment, w1) == 4,
              "two-word layouts");
static_assert(sizeof(Extended_function3) == 12 && sizeof(Adjacent_control_channel) == 12 &&
                  offsetof(Adjacent_control_channel, w2) == 8,
              "three-word layouts");
static_assert(sizeof(Status1) == 4 && sizeof(Status2) == 4 && sizeof(Status3) == 4, "status words are one word");
static_assert(sizeof(ISW_first) == 3 && offsetof(ISW_first, type_octet) == 2, "an ISW is 3 bytes");
static_assert(sizeof(isw_req) == 6 && offsetof(isw_req, w1) == 3 && sizeof(isw_extended) == 6, "two inbound words");
static_assert(sizeof(OSW_log) == 40 && offsetof(OSW_log, sources) == 4 && offsetof(OSW_log, words) == 28,
              "OSW_log layout");
static_assert(sizeof(ISW_log) == 40 && offsetof(ISW_log, sources) == 4 && offsetof(ISW_log, words) == 28 &&
                  offsetof(ISW_log, padding) == 37,
              "ISW_log layout");
static_assert(sizeof(Smartnet_osw_raw) == 16 && offsetof(Smartnet_osw_raw, words) == 4, "Smartnet_osw_raw layout");
static_assert(sizeof(Smartnet_isw_raw) == 13 && offsetof(Smartnet_isw_raw, words) == 4, "Smartnet_isw_raw layout");

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
