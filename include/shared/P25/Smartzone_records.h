// SmartZone/SmartNet control-channel records: the 3600-baud outbound (OSW)
// and inbound (ISW) signalling words, the messages of one to three words the
// library assembles from them, the raw word forms of the host's overhead
// records, the views of a word's 16-bit address field, and the enumerations
// of commands, call types, extended functions and inbound types.
//
// An OSW is 4 bytes: a 16-bit address (bytes 0-1), the group/individual flag
// (byte 2 bit 7) and a 10-bit command (byte 2 bits 6-0, byte 3 bits 7-5);
// the low 5 bits of byte 3 are unused.  An ISW is 3 bytes: a 16-bit ID and a
// 5-bit type (byte 2 bits 7-3).  Multi-word messages lay their words side by
// side, first word first.  The names of the enumerations and the bit-field
// classes of the descriptors are in Smartzone_messages.h.
#ifndef TESSEL_SMARTZONE_RECORDS_H
#define TESSEL_SMARTZONE_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shared/P25/P25_records.h"
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

}  // namespace Smartzone

#endif
