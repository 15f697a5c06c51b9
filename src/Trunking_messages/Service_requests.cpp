// Service requests and answers: a unit asks for a group voice or data call,
// a unit-to-unit voice call or an individual data call; the system asks the
// called unit whether it takes a unit-to-unit call and the unit answers; a
// unit cancels a request, or raises an emergency alarm.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Group voice and group data service request.
struct GRP_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[2];       // 3-4
    GROUP_ADDRESS group;              // 5-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// Unit-to-unit voice service request.
struct UU_V_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[1];       // 3
    TARGET_ID target_id;              // 4-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// The same, explicit (two blocks): the target unit with its system.
struct UU_V_REQ_Explicit_packet {
    Alternate_MBT header;             // 0-7, source address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    std::uint8_t reserved_12[1];      // 12
    WACN_SysID system;                // 13-16
    TARGET_ID target_id;              // 17-19
    BE_ulong packet_crc;              // 20-23
};

// The called unit's answer to a unit-to-unit call.
struct UU_ANS_RSP_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    ANSWER_RESP answer;               // 3
    TARGET_ADDRESS target;            // 4-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// The same, explicit (two blocks).
struct UU_ANS_RSP_Explicit_packet {
    Alternate_MBT header;             // 0-7, source address in 3-5
    Service_options service_options;  // 8
    ANSWER_RESP answer;               // 9
    BE_ushort header_crc;             // 10-11
    std::uint8_t reserved_12[1];      // 12
    WACN_SysID system;                // 13-16
    TARGET_ID target_id;              // 17-19
    BE_ulong packet_crc;              // 20-23
};

// The system asks the called unit whether it takes a unit-to-unit call.
struct UU_ANS_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[1];       // 3
    TARGET_ADDRESS target;            // 4-6
    SOURCE_ID source_id;              // 7-9
    BE_ushort crc;                    // 10-11
};

// The same, explicit (two blocks): the calling unit with its system.
struct UU_ANS_REQ_Explicit_packet {
    Alternate_MBT header;             // 0-7, target address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    std::uint8_t reserved_12[1];      // 12
    WACN_SysID system;                // 13-16
    SOURCE_ID source_id;              // 17-19
    BE_ulong packet_crc;              // 20-23
};

// Individual data service request.
struct IND_DATA_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[1];       // 3
    TARGET_ADDRESS target;            // 4-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// The same, explicit (two blocks).
struct IND_DATA_REQ_explicit_packet {
    Alternate_MBT header;             // 0-7, source address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    WACN_SysID system;                // 12-15
    TARGET_ID target_id;              // 16-18
    std::uint8_t reserved_19[1];      // 19
    BE_ulong packet_crc;              // 20-23
};

// Cancel service request: the service cancelled, why, and for whom.
struct CAN_SRV_REQ_packet {
    P25_TSBK_header header;
    Service_additional_info service;  // 2-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// Emergency alarm request.
struct EMRG_ALRM_REQ_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[3];  // 2-4
    GROUP_ADDRESS group;         // 5-6
    SOURCE_ADDRESS source;       // 7-9
    BE_ushort crc;               // 10-11
};

#pragma pack(pop)

static_assert(sizeof(GRP_REQ_packet) == 12 && offsetof(GRP_REQ_packet, reserved_3) == 3 &&
                  offsetof(GRP_REQ_packet, group) == 5 && offsetof(GRP_REQ_packet, source) == 7,
              "GRP_REQ_packet layout");
static_assert(sizeof(UU_V_REQ_packet) == 12 && offsetof(UU_V_REQ_packet, reserved_3) == 3 &&
                  offsetof(UU_V_REQ_packet, target_id) == 4 && offsetof(UU_V_REQ_packet, source) == 7,
              "UU_V_REQ_packet layout");
static_assert(sizeof(UU_V_REQ_Explicit_packet) == 24 && offsetof(UU_V_REQ_Explicit_packet, service_options) == 8 &&
                  offsetof(UU_V_REQ_Explicit_packet, reserved_12) == 12 &&
                  offsetof(UU_V_REQ_Explicit_packet, system) == 13 &&
                  offsetof(UU_V_REQ_Explicit_packet, target_id) == 17 &&
                  offsetof(UU_V_REQ_Explicit_packet, packet_crc) == 20,
              "UU_V_REQ_Explicit_packet layout");
static_assert(sizeof(UU_ANS_RSP_packet) == 12 && offsetof(UU_ANS_RSP_packet, answer) == 3 &&
                  offsetof(UU_ANS_RSP_packet, target) == 4 && offsetof(UU_ANS_RSP_packet, source) == 7,
              "UU_ANS_RSP_packet layout");
static_assert(sizeof(UU_ANS_RSP_Explicit_packet) == 24 && offsetof(UU_ANS_RSP_Explicit_packet, answer) == 9 &&
                  offsetof(UU_ANS_RSP_Explicit_packet, reserved_12) == 12 &&
                  offsetof(UU_ANS_RSP_Explicit_packet, system) == 13 &&
                  offsetof(UU_ANS_RSP_Explicit_packet, target_id) == 17 &&
                  offsetof(UU_ANS_RSP_Explicit_packet, packet_crc) == 20,
              "UU_ANS_RSP_Explicit_packet layout");
static_assert(sizeof(UU_ANS_REQ_packet) == 12 && offsetof(UU_ANS_REQ_packet, reserved_3) == 3 &&
                  offsetof(UU_ANS_REQ_packet, target) == 4 && offsetof(UU_ANS_REQ_packet, source_id) == 7,
              "UU_ANS_REQ_packet layout");
static_assert(sizeof(UU_ANS_REQ_Explicit_packet) == 24 && offsetof(UU_ANS_REQ_Explicit_packet, reserved_12) == 12 &&
                  offsetof(UU_ANS_REQ_Explicit_packet, system) == 13 &&
                  offsetof(UU_ANS_REQ_Explicit_packet, source_id) == 17 &&
                  offsetof(UU_ANS_REQ_Explicit_packet, packet_crc) == 20,
              "UU_ANS_REQ_Explicit_packet layout");
static_assert(sizeof(IND_DATA_REQ_packet) == 12 && offsetof(IND_DATA_REQ_packet, reserved_3) == 3 &&
                  offsetof(IND_DATA_REQ_packet, target) == 4 && offsetof(IND_DATA_REQ_packet, source) == 7,
              "IND_DATA_REQ_packet layout");
static_assert(sizeof(IND_DATA_REQ_explicit_packet) == 24 && offsetof(IND_DATA_REQ_explicit_packet, system) == 12 &&
                  offsetof(IND_DATA_REQ_explicit_packet, target_id) == 16 &&
                  offsetof(IND_DATA_REQ_explicit_packet, reserved_19) == 19 &&
                  offsetof(IND_DATA_REQ_explicit_packet, packet_crc) == 20,
              "IND_DATA_REQ_explicit_packet layout");
static_assert(sizeof(CAN_SRV_REQ_packet) == 12 && offsetof(CAN_SRV_REQ_packet, service) == 2 &&
                  offsetof(CAN_SRV_REQ_packet, source) == 7,
              "CAN_SRV_REQ_packet layout");
static_assert(sizeof(EMRG_ALRM_REQ_packet) == 12 && offsetof(EMRG_ALRM_REQ_packet, reserved_2) == 2 &&
                  offsetof(EMRG_ALRM_REQ_packet, group) == 5 && offsetof(EMRG_ALRM_REQ_packet, source) == 7,
              "EMRG_ALRM_REQ_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<GRP_REQ_packet> grp_req_fields[] = {
    Subelement(&GRP_REQ_packet::service_options),
    Subelement_reserved(&GRP_REQ_packet::reserved_3),
    Subelement(&GRP_REQ_packet::group),
    Subelement(&GRP_REQ_packet::source),
};

static Subelement_table<UU_V_REQ_packet> uu_v_req_fields[] = {
    Subelement(&UU_V_REQ_packet::service_options),
    Subelement_reserved(&UU_V_REQ_packet::reserved_3),
    Subelement(&UU_V_REQ_packet::target_id),  // "Target_ID"
    Subelement(&UU_V_REQ_packet::source),
};

static Subelement_table<UU_V_REQ_Explicit_packet> uu_v_req_explicit_fields[] = {
    Subelement(&UU_V_REQ_Explicit_packet::service_options),
    Subelement_reserved(&UU_V_REQ_Explicit_packet::reserved_9),
    Subelement_reserved(&UU_V_REQ_Explicit_packet::reserved_12),
    Subelement(&UU_V_REQ_Explicit_packet::system),  // "WACN", "System_ID"
    Subelement(&UU_V_REQ_Explicit_packet::target_id),
};

static Subelement_table<UU_ANS_RSP_packet> uu_ans_rsp_fields[] = {
    Subelement(&UU_ANS_RSP_packet::service_options),
    Subelement(&UU_ANS_RSP_packet::answer),  // "Answer_resp"
    Subelement(&UU_ANS_RSP_packet::target),
    Subelement(&UU_ANS_RSP_packet::source),
};

static Subelement_table<UU_ANS_RSP_Explicit_packet> uu_ans_rsp_explicit_fields[] = {
    Subelement(&UU_ANS_RSP_Explicit_packet::service_options),
    Subelement(&UU_ANS_RSP_Explicit_packet::answer),
    Subelement_reserved(&UU_ANS_RSP_Explicit_packet::reserved_12),
    Subelement(&UU_ANS_RSP_Explicit_packet::system),
    Subelement(&UU_ANS_RSP_Explicit_packet::target_id),
};

static Subelement_table<UU_ANS_REQ_packet> uu_ans_req_fields[] = {
    Subelement(&UU_ANS_REQ_packet::service_options),
    Subelement_reserved(&UU_ANS_REQ_packet::reserved_3),
    Subelement(&UU_ANS_REQ_packet::target),
    Subelement(&UU_ANS_REQ_packet::source_id),  // "Source_ID"
};

static Subelement_table<UU_ANS_REQ_Explicit_packet> uu_ans_req_explicit_fields[] = {
    Subelement(&UU_ANS_REQ_Explicit_packet::service_options),
    Subelement_reserved(&UU_ANS_REQ_Explicit_packet::reserved_9),
    Subelement_reserved(&UU_ANS_REQ_Explicit_packet::reserved_12),
    Subelement(&UU_ANS_REQ_Explicit_packet::system),
    Subelement(&UU_ANS_REQ_Explicit_packet::source_id),
};

static Subelement_table<IND_DATA_REQ_packet> ind_data_req_fields[] = {
    Subelement(&IND_DATA_REQ_packet::service_options),
    Subelement_reserved(&IND_DATA_REQ_packet::reserved_3),
    Subelement(&IND_DATA_REQ_packet::target),
    Subelement(&IND_DATA_REQ_packet::source),
};

static Subelement_table<IND_DATA_REQ_explicit_packet> ind_data_req_explicit_fields[] = {
    Subelement(&IND_DATA_REQ_explicit_packet::service_options),
    Subelement_reserved(&IND_DATA_REQ_explicit_packet::reserved_9),
    Subelement(&IND_DATA_REQ_explicit_packet::system),
    Subelement(&IND_DATA_REQ_explicit_packet::target_id),
    Subelement_reserved(&IND_DATA_REQ_explicit_packet::reserved_19),
};

static Subelement_table<CAN_SRV_REQ_packet> can_srv_req_fields[] = {
    Subelement(&CAN_SRV_REQ_packet::service),  // "Service_type", "Reason", "Additional_info"
    Subelement(&CAN_SRV_REQ_packet::source),
};

static Subelement_table<EMRG_ALRM_REQ_packet> emrg_alrm_req_fields[] = {
    Subelement_reserved(&EMRG_ALRM_REQ_packet::reserved_2),
    Subelement(&EMRG_ALRM_REQ_packet::group),
    Subelement(&EMRG_ALRM_REQ_packet::source),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<GRP_REQ_packet> grp_v_req("GRP_V_REQ", GRP_V_REQ, grp_req_fields);
static const Trunking_handler<GRP_REQ_packet> grp_data_req("GRP_DATA_REQ", GRP_DATA_REQ, grp_req_fields);
static const Trunking_handler<UU_V_REQ_packet> uu_v_req("UU_V_REQ", UU_V_REQ, uu_v_req_fields);
static const Trunking_handler<UU_V_REQ_Explicit_packet, SOURCE_ADDRESS> uu_v_req_exp("UU_V_REQ_EXP", UU_V_REQ, uu_v_req_explicit_fields);
static const Trunking_handler<UU_ANS_RSP_packet> uu_ans_rsp("UU_ANS_RSP", UU_ANS_RSP, uu_ans_rsp_fields);
static const Trunking_handler<UU_ANS_RSP_Explicit_packet, SOURCE_ADDRESS> uu_ans_rsp_exp("UU_ANS_RSP", UU_ANS_RSP, uu_ans_rsp_explicit_fields);
static const Trunking_handler<UU_ANS_REQ_packet> uu_ans_req("UU_ANS_REQ", UU_ANS_REQ, uu_ans_req_fields);
static const Trunking_handler<UU_ANS_REQ_Explicit_packet, TARGET_ADDRESS> uu_ans_req_exp("UU_ANS_REQ_EXP", UU_ANS_REQ, uu_ans_req_explicit_fields);
static const Trunking_handler<IND_DATA_REQ_packet> ind_data_req("IND_DATA_REQ", IND_DATA_REQ, ind_data_req_fields);
static const Trunking_handler<IND_DATA_REQ_explicit_packet, SOURCE_ADDRESS> ind_data_req_exp("IND_DATA_REQ", IND_DATA_REQ, ind_data_req_explicit_fields);
static const Trunking_handler<CAN_SRV_REQ_packet> can_srv_req("CAN_SRV_REQ", CAN_SRV_REQ, can_srv_req_fields);
static const Trunking_handler<EMRG_ALRM_REQ_packet> emrg_alrm_req("EMRG_ALRM_REQ", EMRG_ALRM_REQ, emrg_alrm_req_fields);

}  // namespace P25
