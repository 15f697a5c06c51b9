// Roaming address exchange: the system tells a unit to push, pop or clear
// entries of its roaming address stack, and the unit reports the stack (the
// WACN/system IDs it may roam to); the system updates the stack unasked.
// Responses and updates come in several sizes, one definition per size: the
// registry picks the one whose block count is the message's.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Roaming address command (TSBK).
struct ROAM_ADDR_CMD_packet {
    P25_TSBK_header header;
    std::uint8_t stack_op;  // 2
    WACN_SysID system;      // 3-6
    TARGET_ID target_id;    // 7-9
    CRC_short crc;          // 10-11
};

// Roaming address response with one WACN/system ID (TSBK).
struct ROAM_ADDR_RSP_packet {
    P25_TSBK_header header;
    Message_seq_num sequence;  // 2
    WACN_SysID system;         // 3-6
    SOURCE_ADDRESS source;     // 7-9
    CRC_short crc;             // 10-11
};

// Roaming address response with two WACN/system IDs (two blocks).
struct ROAM_ADDR_RSP_multi_packet2 {
    Alternate_MBT header;         // 0-7, target address in 3-5
    Message_seq_num sequence;     // 8
    WACN_SysID_split1 system;     // 9-14 around the header CRC
    WACN_SysID system_1;          // 15-18
    std::uint8_t reserved_19[1];  // 19
    BE_ulong packet_crc;          // 20-23
};

// Roaming address response with five WACN/system IDs (three blocks).
struct ROAM_ADDR_RSP_multi_packet3 {
    Alternate_MBT header;         // 0-7, target address in 3-5
    Message_seq_num sequence;     // 8
    WACN_SysID_split1 system;     // 9-14 around the header CRC
    WACN_SysID system_1;          // 15-18
    WACN_SysID system_2;          // 19-22
    WACN_SysID system_3;          // 23-26
    WACN_SysID system_4;          // 27-30
    std::uint8_t reserved_31[1];  // 31
    BE_ulong packet_crc;          // 32-35
};

// Roaming address response with eight WACN/system IDs (four blocks).
struct ROAM_ADDR_RSP_multi_packet4 {
    Alternate_MBT header;         // 0-7, target address in 3-5
    Message_seq_num sequence;     // 8
    WACN_SysID_split1 system;     // 9-14 around the header CRC
    WACN_SysID system_1;          // 15-18
    WACN_SysID system_2;          // 19-22
    WACN_SysID system_3;          // 23-26
    WACN_SysID system_4;          // 27-30
    WACN_SysID system_5;          // 31-34
    WACN_SysID system_6;          // 35-38
    WACN_SysID system_7;          // 39-42
    std::uint8_t reserved_43[1];  // 43
    BE_ulong packet_crc;          // 44-47
};

// Roaming address update with one WACN/system ID (two blocks, no link ID written).
struct ROAM_ADDR_UPDT_packet_1 {
    Alternate_MBT header;         // 0-7
    Message_seq_num sequence;     // 8
    WACN_SysID_split1 system;     // 9-14 around the header CRC
    SOURCE_ID source_id;          // 15-17
    std::uint8_t reserved_18[2];  // 18-19
    BE_ulong packet_crc;          // 20-23
};

// Roaming address update with four WACN/system IDs (three blocks).
struct ROAM_ADDR_UPDT_packet_2 {
    Alternate_MBT header;         // 0-7
    Message_seq_num sequence;     // 8
    WACN_SysID_split1 system;     // 9-14 around the header CRC
    WACN_SysID system_1;          // 15-18
    WACN_SysID system_2;          // 19-22
    WACN_SysID system_3;          // 23-26
    SOURCE_ID source_id;          // 27-29
    std::uint8_t reserved_30[2];  // 30-31
    BE_ulong packet_crc;          // 32-35
};

// Roaming address update with seven WACN/system IDs (four blocks).
struct ROAM_ADDR_UPDT_packet_3 {
    Alternate_MBT header;         // 0-7
    Message_seq_num sequence;     // 8
    WACN_SysID_split1 system;     // 9-14 around the header CRC
    WACN_SysID system_1;          // 15-18
    WACN_SysID system_2;          // 19-22
    WACN_SysID system_3;          // 23-26
    WACN_SysID system_4;          // 27-30
    WACN_SysID system_5;          // 31-34
    WACN_SysID system_6;          // 35-38
    SOURCE_ID source_id;          // 39-41
    std::uint8_t reserved_42[2];  // 42-43
    BE_ulong packet_crc;          // 44-47
};

#pragma pack(pop)

static_assert(sizeof(ROAM_ADDR_CMD_packet) == 12 && offsetof(ROAM_ADDR_CMD_packet, stack_op) == 2 &&
                  offsetof(ROAM_ADDR_CMD_packet, system) == 3 && offsetof(ROAM_ADDR_CMD_packet, target_id) == 7,
              "ROAM_ADDR_CMD_packet layout");
static_assert(sizeof(ROAM_ADDR_RSP_packet) == 12 && offsetof(ROAM_ADDR_RSP_packet, sequence) == 2 &&
                  offsetof(ROAM_ADDR_RSP_packet, system) == 3 && offsetof(ROAM_ADDR_RSP_packet, source) == 7,
              "ROAM_ADDR_RSP_packet layout");
static_assert(sizeof(ROAM_ADDR_RSP_multi_packet2) == 24 && offsetof(ROAM_ADDR_RSP_multi_packet2, sequence) == 8 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet2, system) == 9 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet2, system_1) == 15 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet2, reserved_19) == 19 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet2, packet_crc) == 20,
              "ROAM_ADDR_RSP_multi_packet2 layout");
static_assert(sizeof(ROAM_ADDR_RSP_multi_packet3) == 36 && offsetof(ROAM_ADDR_RSP_multi_packet3, system) == 9 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet3, system_1) == 15 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet3, system_4) == 27 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet3, reserved_31) == 31 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet3, packet_crc) == 32,
              "ROAM_ADDR_RSP_multi_packet3 layout");
static_assert(sizeof(ROAM_ADDR_RSP_multi_packet4) == 48 && offsetof(ROAM_ADDR_RSP_multi_packet4, system) == 9 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet4, system_1) == 15 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet4, system_7) == 39 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet4, reserved_43) == 43 &&
                  offsetof(ROAM_ADDR_RSP_multi_packet4, packet_crc) == 44,
              "ROAM_ADDR_RSP_multi_packet4 layout");
static_assert(sizeof(ROAM_ADDR_UPDT_packet_1) == 24 && offsetof(ROAM_ADDR_UPDT_packet_1, system) == 9 &&
                  offsetof(ROAM_ADDR_UPDT_packet_1, source_id) == 15 &&
                  offsetof(ROAM_ADDR_UPDT_packet_1, reserved_18) == 18 &&
                  offsetof(ROAM_ADDR_UPDT_packet_1, packet_crc) == 20,
              "ROAM_ADDR_UPDT_packet_1 layout");
static_assert(sizeof(ROAM_ADDR_UPDT_packet_2) == 36 && offsetof(ROAM_ADDR_UPDT_packet_2, system_1) == 15 &&
                  offsetof(ROAM_ADDR_UPDT_packet_2, system_3) == 23 &&
                  offsetof(ROAM_ADDR_UPDT_packet_2, source_id) == 27 &&
                  offsetof(ROAM_ADDR_UPDT_packet_2, reserved_30) == 30 &&
                  offsetof(ROAM_ADDR_UPDT_packet_2, packet_crc) == 32,
              "ROAM_ADDR_UPDT_packet_2 layout");
static_assert(sizeof(ROAM_ADDR_UPDT_packet_3) == 48 && offsetof(ROAM_ADDR_UPDT_packet_3, system_1) == 15 &&
                  offsetof(ROAM_ADDR_UPDT_packet_3, system_6) == 35 &&
                  offsetof(ROAM_ADDR_UPDT_packet_3, source_id) == 39 &&
                  offsetof(ROAM_ADDR_UPDT_packet_3, reserved_42) == 42 &&
                  offsetof(ROAM_ADDR_UPDT_packet_3, packet_crc) == 44,
              "ROAM_ADDR_UPDT_packet_3 layout");

// ---- message fields, in wire order ---------------------------------------------------
//
// Each WACN/system ID writes the pair "WACN", "System_ID".

static Subelement_table<ROAM_ADDR_CMD_packet> roam_addr_cmd_fields[] = {
    Subelement(&ROAM_ADDR_CMD_packet::stack_op, "Stack_op", "%02X"),
    Subelement(&ROAM_ADDR_CMD_packet::system),
    Subelement(&ROAM_ADDR_CMD_packet::target_id),  // "Target_ID"
};

static Subelement_table<ROAM_ADDR_RSP_packet> roam_addr_rsp_fields[] = {
    Subelement(&ROAM_ADDR_RSP_packet::sequence),  // "Message_sequence"
    Subelement(&ROAM_ADDR_RSP_packet::system),
    Subelement(&ROAM_ADDR_RSP_packet::source),    // "Source_address"
};

static Subelement_table<ROAM_ADDR_RSP_multi_packet2> roam_addr_rsp_2_fields[] = {
    Subelement(&ROAM_ADDR_RSP_multi_packet2::sequence),
    Subelement(&ROAM_ADDR_RSP_multi_packet2::system),
    Subelement(&ROAM_ADDR_RSP_multi_packet2::system_1),
    Subelement_reserved(&ROAM_ADDR_RSP_multi_packet2::reserved_19),
};

static Subelement_table<ROAM_ADDR_RSP_multi_packet3> roam_addr_rsp_3_fields[] = {
    Subelement(&ROAM_ADDR_RSP_multi_packet3::sequence),
    Subelement(&ROAM_ADDR_RSP_multi_packet3::system),
    Subelement(&ROAM_ADDR_RSP_multi_packet3::system_1),
    Subelement(&ROAM_ADDR_RSP_multi_packet3::system_2),
    Subelement(&ROAM_ADDR_RSP_multi_packet3::system_3),
    Subelement(&ROAM_ADDR_RSP_multi_packet3::system_4),
    Subelement_reserved(&ROAM_ADDR_RSP_multi_packet3::reserved_31),
};

static Subelement_table<ROAM_ADDR_RSP_multi_packet4> roam_addr_rsp_4_fields[] = {
    Subelement(&ROAM_ADDR_RSP_multi_packet4::sequence),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_1),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_2),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_3),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_4),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_5),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_6),
    Subelement(&ROAM_ADDR_RSP_multi_packet4::system_7),
    Subelement_reserved(&ROAM_ADDR_RSP_multi_packet4::reserved_43),
};

static Subelement_table<ROAM_ADDR_UPDT_packet_1> roam_addr_updt_1_fields[] = {
    Subelement(&ROAM_ADDR_UPDT_packet_1::sequence),
    Subelement(&ROAM_ADDR_UPDT_packet_1::system),
    Subelement(&ROAM_ADDR_UPDT_packet_1::source_id),  // "Source_ID"
    Subelement_reserved(&ROAM_ADDR_UPDT_packet_1::reserved_18),
};

static Subelement_table<ROAM_ADDR_UPDT_packet_2> roam_addr_updt_2_fields[] = {
    Subelement(&ROAM_ADDR_UPDT_packet_2::sequence),
    Subelement(&ROAM_ADDR_UPDT_packet_2::system),
    Subelement(&ROAM_ADDR_UPDT_packet_2::system_1),
    Subelement(&ROAM_ADDR_UPDT_packet_2::system_2),
    Subelement(&ROAM_ADDR_UPDT_packet_2::system_3),
    Subelement(&ROAM_ADDR_UPDT_packet_2::source_id),
    Subelement_reserved(&ROAM_ADDR_UPDT_packet_2::reserved_30),
};

static Subelement_table<ROAM_ADDR_UPDT_packet_3> roam_addr_updt_3_fields[] = {
    Subelement(&ROAM_ADDR_UPDT_packet_3::sequence),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system_1),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system_2),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system_3),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system_4),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system_5),
    Subelement(&ROAM_ADDR_UPDT_packet_3::system_6),
    Subelement(&ROAM_ADDR_UPDT_packet_3::source_id),
    Subelement_reserved(&ROAM_ADDR_UPDT_packet_3::reserved_42),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<ROAM_ADDR_CMD_packet> roam_addr_cmd("ROAM_ADDR_CMD", ROAM_ADDR_CMD, roam_addr_cmd_fields);
static const Trunking_handler<ROAM_ADDR_RSP_packet> roam_addr_rsp("ROAM_ADDR_RSP", ROAM_ADDR_RSP, roam_addr_rsp_fields);
static const Trunking_handler<ROAM_ADDR_RSP_multi_packet2, TARGET_ADDRESS> roam_addr_rsp_2("ROAM_ADDR_RSP", ROAM_ADDR_RSP, roam_addr_rsp_2_fields);
static const Trunking_handler<ROAM_ADDR_RSP_multi_packet3, TARGET_ADDRESS> roam_addr_rsp_3("ROAM_ADDR_RSP", ROAM_ADDR_RSP, roam_addr_rsp_3_fields);
static const Trunking_handler<ROAM_ADDR_RSP_multi_packet4, TARGET_ADDRESS> roam_addr_rsp_4("ROAM_ADDR_RSP", ROAM_ADDR_RSP, roam_addr_rsp_4_fields);
static const Trunking_handler<ROAM_ADDR_UPDT_packet_1> roam_addr_updt_1("ROAM_ADDR_UPDT", ROAM_ADDR_UPDT, roam_addr_updt_1_fields);
static const Trunking_handler<ROAM_ADDR_UPDT_packet_2> roam_addr_updt_2("ROAM_ADDR_UPDT", ROAM_ADDR_UPDT, roam_addr_updt_2_fields);
static const Trunking_handler<ROAM_ADDR_UPDT_packet_3> roam_addr_updt_3("ROAM_ADDR_UPDT", ROAM_ADDR_UPDT, roam_addr_updt_3_fields);

}  // namespace P25
