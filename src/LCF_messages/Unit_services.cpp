// Link control of services to one unit on a traffic channel: the group
// affiliation and status queries, status and message updates, call alerts
// and extended functions between two units, and the registration and
// authentication commands of the system.
#include "LC_handler.h"

using namespace XML_routines;

namespace P25 {

namespace {

#pragma pack(push, 1)

// A request from one unit to another with nothing else to say: group
// affiliation query, status query, call alert.
struct LC_GRP_AFF_Q_packet {
    Link_control_header header;  // 0
    std::uint8_t reserved_1[2];  // 1-2
    TARGET_ADDRESS target;       // 3-5
    SOURCE_ADDRESS source;       // 6-8
};

// Unit registration and authentication commands.
struct LC_U_REG_CMD_packet {
    Link_control_header header;  // 0
    WACN_SysID system;           // 1-4
    SOURCE_ID source_id;         // 5-7
    std::uint8_t reserved_8[1];  // 8
};

// Status update and message update: a 16-bit code between two units.
struct LC_STA_UPDT_packet {
    Link_control_header header;  // 0
    BE_ushort code;              // 1-2
    TARGET_ADDRESS target;       // 3-5
    SOURCE_ADDRESS source;       // 6-8
};

// Extended function command.
struct LC_EXT_FNCT_CMD_packet {
    Link_control_header header;         // 0
    std::uint8_t extended_function[5];  // 1-5
    TARGET_ADDRESS target;              // 6-8
};

#pragma pack(pop)

static_assert(sizeof(LC_GRP_AFF_Q_packet) == 9 && offsetof(LC_GRP_AFF_Q_packet, reserved_1) == 1 &&
                  offsetof(LC_GRP_AFF_Q_packet, target) == 3 && offsetof(LC_GRP_AFF_Q_packet, source) == 6,
              "LC_GRP_AFF_Q_packet layout");
static_assert(sizeof(LC_U_REG_CMD_packet) == 9 && offsetof(LC_U_REG_CMD_packet, system) == 1 &&
                  offsetof(LC_U_REG_CMD_packet, source_id) == 5 && offsetof(LC_U_REG_CMD_packet, reserved_8) == 8,
              "LC_U_REG_CMD_packet layout");
static_assert(sizeof(LC_STA_UPDT_packet) == 9 && offsetof(LC_STA_UPDT_packet, code) == 1 &&
                  offsetof(LC_STA_UPDT_packet, target) == 3 && offsetof(LC_STA_UPDT_packet, source) == 6,
              "LC_STA_UPDT_packet layout");
static_assert(sizeof(LC_EXT_FNCT_CMD_packet) == 9 && offsetof(LC_EXT_FNCT_CMD_packet, extended_function) == 1 &&
                  offsetof(LC_EXT_FNCT_CMD_packet, target) == 6,
              "LC_EXT_FNCT_CMD_packet layout");

// ---- word fields, in wire order ------------------------------------------------------

Subelement_table<LC_GRP_AFF_Q_packet> unit_to_unit_fields[] = {
    Subelement_reserved(&LC_GRP_AFF_Q_packet::reserved_1),
    Subelement(&LC_GRP_AFF_Q_packet::target),  // "Target_address"
    Subelement(&LC_GRP_AFF_Q_packet::source),  // "Source_address"
};

Subelement_table<LC_U_REG_CMD_packet> system_cmd_fields[] = {
    Subelement(&LC_U_REG_CMD_packet::system),     // "WACN", "System_ID"
    Subelement(&LC_U_REG_CMD_packet::source_id),  // "Source_ID"
    Subelement_reserved(&LC_U_REG_CMD_packet::reserved_8),
};

Subelement_table<LC_STA_UPDT_packet> sta_updt_fields[] = {
    Subelement(&LC_STA_UPDT_packet::code, "Status", "%04X"),
    Subelement(&LC_STA_UPDT_packet::target),
    Subelement(&LC_STA_UPDT_packet::source),
};

Subelement_table<LC_STA_UPDT_packet> msg_updt_fields[] = {
    Subelement(&LC_STA_UPDT_packet::code, "Message", "%04X"),
    Subelement(&LC_STA_UPDT_packet::target),
    Subelement(&LC_STA_UPDT_packet::source),
};

Subelement_table<LC_EXT_FNCT_CMD_packet> ext_fnct_cmd_fields[] = {
    Subelement(&LC_EXT_FNCT_CMD_packet::extended_function, "Extended_function", "%02X "),
    Subelement(&LC_EXT_FNCT_CMD_packet::target),
};

// ---- definitions: name, opcode, fields ---------------------------------------------------

const LC_handler<LC_GRP_AFF_Q_packet> lc_grp_aff_q("LC_GRP_AFF_Q", LC_GRP_AFF_Q, unit_to_unit_fields);
const LC_handler<LC_U_REG_CMD_packet> lc_u_reg_cmd("LC_U_REG_CMD", LC_U_REG_CMD, system_cmd_fields);
const LC_handler<LC_U_REG_CMD_packet> lc_auth_cmd("LC_AUTH_CMD", LC_AUTH_CMD, system_cmd_fields);
const LC_handler<LC_GRP_AFF_Q_packet> lc_sts_q("LC_STS_Q", LC_STS_Q, unit_to_unit_fields);
const LC_handler<LC_STA_UPDT_packet> lc_sta_updt("LC_STA_UPDT", LC_STA_UPDT, sta_updt_fields);
const LC_handler<LC_STA_UPDT_packet> lc_msg_updt("LC_MSG_UPDT", LC_MSG_UPDT, msg_updt_fields);
const LC_handler<LC_GRP_AFF_Q_packet> lc_call_alrt("LC_CALL_ALRT", LC_CALL_ALRT, unit_to_unit_fields);
const LC_handler<LC_EXT_FNCT_CMD_packet> lc_ext_fnct_cmd("LC_EXT_FNCT_CMD", LC_EXT_FNCT_CMD, ext_fnct_cmd_fields);

}  // namespace

}  // namespace P25
