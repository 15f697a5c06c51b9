// Link control of calls in progress: who talks on a group or unit-to-unit
// voice channel, the group channel updates a traffic channel repeats, the
// answer requests of unit-to-unit and telephone calls, and the call
// termination.  The group voice user word exists for manufacturer 0x00 and,
// over the same record, for manufacturer 0x90.
#include "LC_handler.h"

using namespace XML_routines;

namespace P25 {

namespace {

#pragma pack(push, 1)

// Ten dialled digits, the text of "Digits".
struct Dialled_digits {
    DTMF_byte digits[5];
};

// Group voice channel user (explicit).
struct LC_GRP_V_CH_USR_packet {
    Explicit_Link_control_header header;  // 0-1
    Service_options service_options;      // 2
    std::uint8_t reserved_3[1];           // 3
    GROUP_ADDRESS group;                  // 4-5
    SOURCE_ADDRESS source;                // 6-8
};

// Group voice channel update: two channels and their groups.
struct LC_GRP_V_CH_UPDT_packet {
    Link_control_header header;  // 0
    ChanGroup first;             // 1-4
    ChanGroup second;            // 5-8
};

// Unit-to-unit voice channel user (explicit).
struct LC_UU_V_CH_USR_packet {
    Explicit_Link_control_header header;  // 0-1
    Service_options service_options;      // 2
    TARGET_ADDRESS target;                // 3-5
    SOURCE_ADDRESS source;                // 6-8
};

// Group voice channel update, explicit channels.
struct LC_GRP_CH_UPDT_EXP_packet {
    Link_control_header header;       // 0
    std::uint8_t reserved_1[1];       // 1
    Service_options service_options;  // 2
    GROUP_ADDRESS group;              // 3-4
    CHANNEL channel_t;                // 5-6
    CHANNEL channel_r;                // 7-8
};

// Unit-to-unit answer request.
struct LC_UU_ANS_REQ_packet {
    Link_control_header header;       // 0
    Service_options service_options;  // 1
    std::uint8_t reserved_2[1];       // 2
    TARGET_ADDRESS target;            // 3-5
    SOURCE_ADDRESS source;            // 6-8
};

// Telephone interconnect voice channel user.
struct LC_TELE_INT_V_CH_USR_packet {
    Link_control_header header;       // 0
    std::uint8_t reserved_1[1];       // 1
    Service_options service_options;  // 2
    std::uint8_t reserved_3[1];       // 3
    CALL_TIMER call_timer;            // 4-5
    UNIT_ADDRESS unit;                // 6-8
};

// Telephone interconnect answer request.
struct LC_TELE_INT_ANS_REQ_packet {
    Link_control_header header;  // 0
    Dialled_digits digits;       // 1-5
    TARGET_ADDRESS target;       // 6-8
};

// Call termination or cancellation.
struct LC_CALL_TRM_CAN_packet {
    Link_control_header header;  // 0
    std::uint8_t reserved_1[5];  // 1-5
    UNIT_ADDRESS unit;           // 6-8
};

#pragma pack(pop)

static_assert(sizeof(Dialled_digits) == 5, "Dialled_digits layout");
static_assert(sizeof(LC_GRP_V_CH_USR_packet) == 9 && offsetof(LC_GRP_V_CH_USR_packet, service_options) == 2 &&
                  offsetof(LC_GRP_V_CH_USR_packet, reserved_3) == 3 && offsetof(LC_GRP_V_CH_USR_packet, group) == 4 &&
                  offsetof(LC_GRP_V_CH_USR_packet, source) == 6,
              "LC_GRP_V_CH_USR_packet layout");
static_assert(sizeof(LC_GRP_V_CH_UPDT_packet) == 9 && offsetof(LC_GRP_V_CH_UPDT_packet, first) == 1 &&
                  offsetof(LC_GRP_V_CH_UPDT_packet, second) == 5,
              "LC_GRP_V_CH_UPDT_packet layout");
static_assert(sizeof(LC_UU_V_CH_USR_packet) == 9 && offsetof(LC_UU_V_CH_USR_packet, service_options) == 2 &&
                  offsetof(LC_UU_V_CH_USR_packet, target) == 3 && offsetof(LC_UU_V_CH_USR_packet, source) == 6,
              "LC_UU_V_CH_USR_packet layout");
static_assert(sizeof(LC_GRP_CH_UPDT_EXP_packet) == 9 && offsetof(LC_GRP_CH_UPDT_EXP_packet, service_options) == 2 &&
                  offsetof(LC_GRP_CH_UPDT_EXP_packet, group) == 3 &&
                  offsetof(LC_GRP_CH_UPDT_EXP_packet, channel_t) == 5 &&
                  offsetof(LC_GRP_CH_UPDT_EXP_packet, channel_r) == 7,
              "LC_GRP_CH_UPDT_EXP_packet layout");
static_assert(sizeof(LC_UU_ANS_REQ_packet) == 9 && offsetof(LC_UU_ANS_REQ_packet, service_options) == 1 &&
                  offsetof(LC_UU_ANS_REQ_packet, reserved_2) == 2 && offsetof(LC_UU_ANS_REQ_packet, target) == 3 &&
                  offsetof(LC_UU_ANS_REQ_packet, source) == 6,
              "LC_UU_ANS_REQ_packet layout");
static_assert(sizeof(LC_TELE_INT_V_CH_USR_packet) == 9 &&
                  offsetof(LC_TELE_INT_V_CH_USR_packet, service_options) == 2 &&
                  offsetof(LC_TELE_INT_V_CH_USR_packet, reserved_3) == 3 &&
                  offsetof(LC_TELE_INT_V_CH_USR_packet, call_timer) == 4 &&
                  offsetof(LC_TELE_INT_V_CH_USR_packet, unit) == 6,
              "LC_TELE_INT_V_CH_USR_packet layout");
static_assert(sizeof(LC_TELE_INT_ANS_REQ_packet) == 9 && offsetof(LC_TELE_INT_ANS_REQ_packet, digits) == 1 &&
                  offsetof(LC_TELE_INT_ANS_REQ_packet, target) == 6,
              "LC_TELE_INT_ANS_REQ_packet layout");
static_assert(sizeof(LC_CALL_TRM_CAN_packet) == 9 && offsetof(LC_CALL_TRM_CAN_packet, reserved_1) == 1 &&
                  offsetof(LC_CALL_TRM_CAN_packet, unit) == 6,
              "LC_CALL_TRM_CAN_packet layout");

// ---- word fields, in wire order ------------------------------------------------------

const Info<Dialled_digits> digits_info("Digits", Get_Access(&Dialled_digits::digits, dtmf_map));

Subelement_table<LC_GRP_V_CH_USR_packet> grp_v_ch_usr_fields[] = {
    Subelement(&LC_GRP_V_CH_USR_packet::service_options),  // "Service_options"
    Subelement_reserved(&LC_GRP_V_CH_USR_packet::reserved_3),
    Subelement(&LC_GRP_V_CH_USR_packet::group),   // "Group_address"
    Subelement(&LC_GRP_V_CH_USR_packet::source),  // "Source_address"
};

Subelement_table<LC_GRP_V_CH_UPDT_packet> grp_v_ch_updt_fields[] = {
    Subelement(&LC_GRP_V_CH_UPDT_packet::first),   // "Channel", "Group_address"
    Subelement(&LC_GRP_V_CH_UPDT_packet::second),  // "Channel", "Group_address"
};

Subelement_table<LC_UU_V_CH_USR_packet> uu_v_ch_usr_fields[] = {
    Subelement(&LC_UU_V_CH_USR_packet::service_options),
    Subelement(&LC_UU_V_CH_USR_packet::target),  // "Target_address"
    Subelement(&LC_UU_V_CH_USR_packet::source),
};

Subelement_table<LC_GRP_CH_UPDT_EXP_packet> grp_ch_updt_exp_fields[] = {
    Subelement_reserved(&LC_GRP_CH_UPDT_EXP_packet::reserved_1),
    Subelement(&LC_GRP_CH_UPDT_EXP_packet::service_options),
    Subelement(&LC_GRP_CH_UPDT_EXP_packet::group),
    Subelement(&LC_GRP_CH_UPDT_EXP_packet::channel_t),  // "Channel"
    Subelement(&LC_GRP_CH_UPDT_EXP_packet::channel_r),  // "Channel"
};

Subelement_table<LC_UU_ANS_REQ_packet> uu_ans_req_fields[] = {
    Subelement(&LC_UU_ANS_REQ_packet::service_options),
    Subelement_reserved(&LC_UU_ANS_REQ_packet::reserved_2),
    Subelement(&LC_UU_ANS_REQ_packet::target),
    Subelement(&LC_UU_ANS_REQ_packet::source),
};

Subelement_table<LC_TELE_INT_V_CH_USR_packet> tele_int_v_ch_usr_fields[] = {
    Subelement_reserved(&LC_TELE_INT_V_CH_USR_packet::reserved_1),
    Subelement(&LC_TELE_INT_V_CH_USR_packet::service_options),
    Subelement_reserved(&LC_TELE_INT_V_CH_USR_packet::reserved_3),
    Subelement(&LC_TELE_INT_V_CH_USR_packet::call_timer),  // "Call_Timer"
    Subelement(&LC_TELE_INT_V_CH_USR_packet::unit),        // "Unit_address"
};

Subelement_table<LC_TELE_INT_ANS_REQ_packet> tele_int_ans_req_fields[] = {
    Subelement(&LC_TELE_INT_ANS_REQ_packet::digits, digits_info),  // "Digits", ten
    Subelement(&LC_TELE_INT_ANS_REQ_packet::target),
};

Subelement_table<LC_CALL_TRM_CAN_packet> call_trm_can_fields[] = {
    Subelement_reserved(&LC_CALL_TRM_CAN_packet::reserved_1),
    Subelement(&LC_CALL_TRM_CAN_packet::unit),
};

// ---- definitions: name, opcode, fields ---------------------------------------------------

const LC_handler<LC_GRP_V_CH_USR_packet> lc_grp_v_ch_usr("LC_GRP_V_CH_USR", LC_GRP_V_CH_USR, grp_v_ch_usr_fields);
const LC_handler<LC_GRP_V_CH_USR_packet> moto_lc_grp_v_ch_usr("LC_GRP_V_CH_USR", MOTO_LC_GRP_V_CH_USR, grp_v_ch_usr_fields);
const LC_handler<LC_GRP_V_CH_UPDT_packet> lc_grp_v_ch_updt("LC_GRP_V_CH_UPDT", LC_GRP_V_CH_UPDT, grp_v_ch_updt_fields);
const LC_handler<LC_UU_V_CH_USR_packet> lc_uu_v_ch_usr("LC_UU_V_CH_USR", LC_UU_V_CH_USR, uu_v_ch_usr_fields);
const LC_handler<LC_GRP_CH_UPDT_EXP_packet> lc_grp_ch_updt_exp("LC_GRP_CH_UPDT_EXP", LC_GRP_CH_UPDT_EXP, grp_ch_updt_exp_fields);
const LC_handler<LC_UU_ANS_REQ_packet> lc_uu_ans_req("LC_UU_ANS_REQ", LC_UU_ANS_REQ, uu_ans_req_fields);
const LC_handler<LC_TELE_INT_V_CH_USR_packet> lc_tele_int_v_ch_usr("LC_TELE_INT_V_CH_USR", LC_TELE_INT_V_CH_USR, tele_int_v_ch_usr_fields);
const LC_handler<LC_TELE_INT_ANS_REQ_packet> lc_tele_int_ans_req("LC_TELE_INT_ANS_REQ", LC_TELE_INT_ANS_REQ, tele_int_ans_req_fields);
const LC_handler<LC_CALL_TRM_CAN_packet> lc_call_trm_can("LC_CALL_TRM_CAN", LC_CALL_TRM_CAN, call_trm_can_fields);

}  // namespace

}  // namespace P25
