// Unit control: the short exchanges that name only a source and a target
// unit (call alerts, status and affiliation queries, authentication and
// roaming address queries, the registration command), the extended
// functions a unit or the system asks of a unit (inhibit, check, ...), and
// radio monitoring, which keys a unit's transmitter remotely.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Inbound request naming a target unit (authentication query, call alert,
// status query, roaming address request).
struct Control_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[2];  // 2-3
    TARGET_ADDRESS target;       // 4-6
    SOURCE_ADDRESS source;       // 7-9
    BE_ushort crc;               // 10-11
};

// The same, explicit (two blocks): the target unit with its system.  The
// link ID is not shown.
struct Control_explicit_packet {
    Alternate_MBT header;        // 0-7
    WACN_SysID_split2 system;    // 8-9 and 12-13, around the header CRC
    TARGET_ID target_id;         // 14-16
    std::uint8_t reserved_17[3];  // 17-19
    BE_ulong packet_crc;         // 20-23
};

// Outbound command naming a source and a target unit (call alert,
// affiliation query, status query, registration command).
struct Source_target_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[2];  // 2-3
    TARGET_ADDRESS target;       // 4-6
    SOURCE_ADDRESS source;       // 7-9
    BE_ushort crc;               // 10-11
};

// The same, explicit (two blocks): the source unit with its system; the
// target is the link ID.
struct Source_target_extended_packet {
    Alternate_MBT header;         // 0-7, target address in 3-5
    WACN_SysID_split2 system;     // 8-9 and 12-13, around the header CRC
    SOURCE_ID source_id;          // 14-16
    std::uint8_t reserved_17[3];  // 17-19
    BE_ulong packet_crc;          // 20-23
};

// Extended function response (from the unit).
struct EXT_FNCT_RSP_packet {
    P25_TSBK_header header;
    std::uint8_t extended_function[5];  // 2-6
    SOURCE_ADDRESS source;              // 7-9
    BE_ushort crc;                      // 10-11
};

// Extended function command (to the unit).
struct EXT_FNCT_CMD_packet {
    P25_TSBK_header header;
    std::uint8_t extended_function[5];  // 2-6
    TARGET_ADDRESS target;              // 7-9
    BE_ushort crc;                      // 10-11
};

// Radio monitor command: the source asks the target to transmit.
struct RAD_MON_CMD_packet {
    P25_TSBK_header header;
    TX_mult tx_mult;        // 2-3
    SOURCE_ADDRESS source;  // 4-6
    TARGET_ADDRESS target;  // 7-9
    BE_ushort crc;          // 10-11
};

// Radio monitor request.
struct RAD_MON_REQ_packet {
    P25_TSBK_header header;
    TX_mult tx_mult;        // 2-3
    TARGET_ADDRESS target;  // 4-6
    SOURCE_ADDRESS source;  // 7-9
    BE_ushort crc;          // 10-11
};

#pragma pack(pop)

static_assert(sizeof(Control_packet) == 12 && offsetof(Control_packet, reserved_2) == 2 &&
                  offsetof(Control_packet, target) == 4 && offsetof(Control_packet, source) == 7,
              "Control_packet layout");
static_assert(sizeof(Control_explicit_packet) == 24 && offsetof(Control_explicit_packet, system) == 8 &&
                  offsetof(Control_explicit_packet, target_id) == 14 &&
                  offsetof(Control_explicit_packet, reserved_17) == 17 &&
                  offsetof(Control_explicit_packet, packet_crc) == 20,
              "Control_explicit_packet layout");
static_assert(sizeof(Source_target_packet) == 12 && offsetof(Source_target_packet, reserved_2) == 2 &&
                  offsetof(Source_target_packet, target) == 4 && offsetof(Source_target_packet, source) == 7,
              "Source_target_packet layout");
static_assert(sizeof(Source_target_extended_packet) == 24 && offsetof(Source_target_extended_packet, system) == 8 &&
                  offsetof(Source_target_extended_packet, source_id) == 14 &&
                  offsetof(Source_target_extended_packet, reserved_17) == 17 &&
                  offsetof(Source_target_extended_packet, packet_crc) == 20,
              "Source_target_extended_packet layout");
static_assert(sizeof(EXT_FNCT_RSP_packet) == 12 && offsetof(EXT_FNCT_RSP_packet, extended_function) == 2 &&
                  offsetof(EXT_FNCT_RSP_packet, source) == 7,
              "EXT_FNCT_RSP_packet layout");
static_assert(sizeof(EXT_FNCT_CMD_packet) == 12 && offsetof(EXT_FNCT_CMD_packet, extended_function) == 2 &&
                  offsetof(EXT_FNCT_CMD_packet, target) == 7,
              "EXT_FNCT_CMD_packet layout");
static_assert(sizeof(RAD_MON_CMD_packet) == 12 && offsetof(RAD_MON_CMD_packet, tx_mult) == 2 &&
                  offsetof(RAD_MON_CMD_packet, source) == 4 && offsetof(RAD_MON_CMD_packet, target) == 7,
              "RAD_MON_CMD_packet layout");
static_assert(sizeof(RAD_MON_REQ_packet) == 12 && offsetof(RAD_MON_REQ_packet, tx_mult) == 2 &&
                  offsetof(RAD_MON_REQ_packet, target) == 4 && offsetof(RAD_MON_REQ_packet, source) == 7,
              "RAD_MON_REQ_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<Control_packet> control_fields[] = {
    Subelement_reserved(&Control_packet::reserved_2),
    Subelement(&Control_packet::target),
    Subelement(&Control_packet::source),
};

static Subelement_table<Control_explicit_packet> control_explicit_fields[] = {
    Subelement(&Control_explicit_packet::system),  // "WACN", "System_ID"
    Subelement(&Control_explicit_packet::target_id),
    Subelement_reserved(&Control_explicit_packet::reserved_17),
};

static Subelement_table<Source_target_packet> source_target_fields[] = {
    Subelement_reserved(&Source_target_packet::reserved_2),
    Subelement(&Source_target_packet::target),
    Subelement(&Source_target_packet::source),
};

static Subelement_table<Source_target_extended_packet> source_target_extended_fields[] = {
    Subelement(&Source_target_extended_packet::system),
    Subelement(&Source_target_extended_packet::source_id),
    Subelement_reserved(&Source_target_extended_packet::reserved_17),
};

static Subelement_table<EXT_FNCT_RSP_packet> ext_fnct_rsp_fields[] = {
    Subelement(&EXT_FNCT_RSP_packet::extended_function, "Extended_function", "%02X "),
    Subelement(&EXT_FNCT_RSP_packet::source),
};

static Subelement_table<EXT_FNCT_CMD_packet> ext_fnct_cmd_fields[] = {
    Subelement(&EXT_FNCT_CMD_packet::extended_function, "Extended_function", "%02X "),
    Subelement(&EXT_FNCT_CMD_packet::target),
};

static Subelement_table<RAD_MON_CMD_packet> rad_mon_cmd_fields[] = {
    Subelement(&RAD_MON_CMD_packet::tx_mult),  // "TX_mult"
    Subelement(&RAD_MON_CMD_packet::source),
    Subelement(&RAD_MON_CMD_packet::target),
};

static Subelement_table<RAD_MON_REQ_packet> rad_mon_req_fields[] = {
    Subelement(&RAD_MON_REQ_packet::tx_mult),
    Subelement(&RAD_MON_REQ_packet::target),
    Subelement(&RAD_MON_REQ_packet::source),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<Control_packet> auth_q("AUTH_Q", AUTH_Q, control_fields);
static const Trunking_handler<Control_packet> call_alrt_req("CALL_ALRT_REQ", CALL_ALRT_REQ, control_fields);
static const Trunking_handler<Control_packet> sts_q_req("STS_Q_REQ", STS_Q_REQ, control_fields);
static const Trunking_handler<Control_packet> roam_addr_req("ROAM_ADDR_REQ", ROAM_ADDR_REQ, control_fields);
static const Trunking_handler<Control_explicit_packet> auth_q_exp("AUTH_Q", AUTH_Q, control_explicit_fields);
static const Trunking_handler<Control_explicit_packet> call_alrt_req_exp("CALL_ALRT_REQ", CALL_ALRT_REQ, control_explicit_fields);
static const Trunking_handler<Control_explicit_packet> sts_q_req_exp("STS_Q_REQ", STS_Q_REQ, control_explicit_fields);
static const Trunking_handler<Control_explicit_packet> roam_addr_req_exp("ROAM_ADDR_REQ", ROAM_ADDR_REQ, control_explicit_fields);
static const Trunking_handler<EXT_FNCT_RSP_packet> ext_fnct_rsp("EXT_FNCT_RSP", EXT_FNCT_RSP, ext_fnct_rsp_fields);
static const Trunking_handler<EXT_FNCT_CMD_packet> ext_fnct_cmd("EXT_FNCT_CMD", EXT_FNCT_CMD, ext_fnct_cmd_fields);
static const Trunking_handler<Source_target_packet> call_alrt("CALL_ALRT", CALL_ALRT, source_target_fields);
static const Trunking_handler<Source_target_packet> grp_aff_q("GRP_AFF_Q", GRP_AFF_Q, source_target_fields);
static const Trunking_handler<Source_target_packet> sts_q("STS_Q", STS_Q, source_target_fields);
static const Trunking_handler<Source_target_packet> u_reg_cmd("U_REG_CMD", U_REG_CMD, source_target_fields);
static const Trunking_handler<Source_target_extended_packet, TARGET_ADDRESS> call_alrt_exp("CALL_ALRT", CALL_ALRT, source_target_extended_fields);
static const Trunking_handler<Source_target_extended_packet, TARGET_ADDRESS> grp_aff_q_exp("GRP_AFF_Q", GRP_AFF_Q, source_target_extended_fields);
static const Trunking_handler<Source_target_extended_packet, TARGET_ADDRESS> sts_q_exp("STS_Q", STS_Q, source_target_extended_fields);
static const Trunking_handler<RAD_MON_CMD_packet> rad_mon_cmd("RAD_MON_CMD", RAD_MON_CMD, rad_mon_cmd_fields);
static const Trunking_handler<RAD_MON_REQ_packet> rad_mon_req("RAD_MON_REQ", RAD_MON_REQ, rad_mon_req_fields);

}  // namespace P25
