// Authentication and protection parameters: the system challenges a unit
// and the unit answers with its authentication value; the system broadcasts
// or updates the encryption algorithm and key a unit is to use.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Authentication command (TSBK).
struct AUTH_CMD_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[1];  // 2
    WACN_SysID system;           // 3-6
    TARGET_ID target_id;         // 7-9
    CRC_short crc;               // 10-11
};

// Authentication response (three blocks, no link ID written).
struct AUTH_RSP_packet {
    Alternate_MBT header;            // 0-7
    WACN_SysID_split2 system;        // 8-13 around the header CRC
    SOURCE_ID source_id;             // 14-16
    std::uint8_t authentication[8];  // 17-24
    std::uint8_t reserved_25[7];     // 25-31
    BE_ulong packet_crc;             // 32-35
};

// Protection parameter broadcast (three blocks).
struct P_PARM_BCST_packet {
    Alternate_MBT header;       // 0-7, target address in 3-5
    std::uint8_t type;          // 8
    std::uint8_t algorithm_id;  // 9
    CRC_short header_crc;       // 10-11
    BE_ushort key_id;           // 12-13
    std::uint8_t inbound[9];    // 14-22
    std::uint8_t outbound[9];   // 23-31
    BE_ulong packet_crc;        // 32-35
};

// Protection parameter update (TSBK).
struct P_PARM_UPDT_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[2];  // 2-3
    std::uint8_t algorithm_id;   // 4
    BE_ushort key_id;            // 5-6
    TARGET_ADDRESS target;       // 7-9
    CRC_short crc;               // 10-11
};

#pragma pack(pop)

static_assert(sizeof(AUTH_CMD_packet) == 12 && offsetof(AUTH_CMD_packet, system) == 3 &&
                  offsetof(AUTH_CMD_packet, target_id) == 7,
              "AUTH_CMD_packet layout");
static_assert(sizeof(AUTH_RSP_packet) == 36 && offsetof(AUTH_RSP_packet, system) == 8 &&
                  offsetof(AUTH_RSP_packet, source_id) == 14 && offsetof(AUTH_RSP_packet, authentication) == 17 &&
                  offsetof(AUTH_RSP_packet, reserved_25) == 25 && offsetof(AUTH_RSP_packet, packet_crc) == 32,
              "AUTH_RSP_packet layout");
static_assert(sizeof(P_PARM_BCST_packet) == 36 && offsetof(P_PARM_BCST_packet, type) == 8 &&
                  offsetof(P_PARM_BCST_packet, algorithm_id) == 9 && offsetof(P_PARM_BCST_packet, key_id) == 12 &&
                  offsetof(P_PARM_BCST_packet, inbound) == 14 && offsetof(P_PARM_BCST_packet, outbound) == 23 &&
                  offsetof(P_PARM_BCST_packet, packet_crc) == 32,
              "P_PARM_BCST_packet layout");
static_assert(sizeof(P_PARM_UPDT_packet) == 12 && offsetof(P_PARM_UPDT_packet, algorithm_id) == 4 &&
                  offsetof(P_PARM_UPDT_packet, key_id) == 5 && offsetof(P_PARM_UPDT_packet, target) == 7,
              "P_PARM_UPDT_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<AUTH_CMD_packet> auth_cmd_fields[] = {
    Subelement_reserved(&AUTH_CMD_packet::reserved_2),
    Subelement(&AUTH_CMD_packet::system),     // "WACN", "System_ID"
    Subelement(&AUTH_CMD_packet::target_id),  // "Target_ID"
};

static Subelement_table<AUTH_RSP_packet> auth_rsp_fields[] = {
    Subelement(&AUTH_RSP_packet::system),     // "WACN", "System_ID"
    Subelement(&AUTH_RSP_packet::source_id),  // "Source_ID"
    Subelement(&AUTH_RSP_packet::authentication, "Authentication_value", "%02X "),
    Subelement_reserved(&AUTH_RSP_packet::reserved_25),
};

static Subelement_table<P_PARM_BCST_packet> p_parm_bcst_fields[] = {
    Subelement(&P_PARM_BCST_packet::type, "Type", "%02X"),
    Subelement(&P_PARM_BCST_packet::algorithm_id, "Algorithm_ID", "%02X"),
    Subelement(&P_PARM_BCST_packet::key_id, "Key_ID", "%04X"),
    Subelement(&P_PARM_BCST_packet::inbound, "Inbound_msg", "%02X "),
    Subelement(&P_PARM_BCST_packet::outbound, "Outbound_msg", "%02X "),
};

static Subelement_table<P_PARM_UPDT_packet> p_parm_updt_fields[] = {
    Subelement_reserved(&P_PARM_UPDT_packet::reserved_2),
    Subelement(&P_PARM_UPDT_packet::algorithm_id, "Algorithm_ID", "%02X"),
    Subelement(&P_PARM_UPDT_packet::key_id, "Key_ID", "%04X"),
    Subelement(&P_PARM_UPDT_packet::target),  // "Target_address"
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<AUTH_CMD_packet> auth_cmd("AUTH_CMD", AUTH_CMD, auth_cmd_fields);
static const Trunking_handler<AUTH_RSP_packet> auth_rsp("AUTH_RSP", AUTH_RSP, auth_rsp_fields);
static const Trunking_handler<P_PARM_BCST_packet, TARGET_ADDRESS> p_parm_bcst("P_PARM_BCST", P_PARM_BCST, p_parm_bcst_fields);
static const Trunking_handler<P_PARM_UPDT_packet> p_parm_updt("P_PARM_UPDT", P_PARM_UPDT, p_parm_updt_fields);

}  // namespace P25
