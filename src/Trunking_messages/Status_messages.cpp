// Status and short messages: a unit sends a 16-bit status (its state, read
// by the dispatcher) or a 16-bit short message code to another unit or to
// the console, and answers a status query with its status.  The system
// delivers both to the target unit.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Message update request (from the unit).
struct MSG_UPDT_REQ_packet {
    P25_TSBK_header header;
    BE_ushort message;      // 2-3
    TARGET_ADDRESS target;  // 4-6
    SOURCE_ADDRESS source;  // 7-9
    BE_ushort crc;          // 10-11
};

// The same, extended (two blocks): the target unit with its system.
struct MSG_UPDT_REQ_extended_packet {
    Alternate_MBT header;         // 0-7, source address in 3-5
    BE_ushort message;            // 8-9
    BE_ushort header_crc;         // 10-11
    WACN_SysID system;            // 12-15
    TARGET_ID target_id;          // 16-18
    std::uint8_t reserved_19[1];  // 19
    BE_ulong packet_crc;          // 20-23
};

// Status query response and status update request (from the unit).
struct STS_Q_RSP_packet {
    P25_TSBK_header header;
    BE_ushort status;       // 2-3
    TARGET_ADDRESS target;  // 4-6
    SOURCE_ADDRESS source;  // 7-9
    BE_ushort crc;          // 10-11
};

// Status query response, extended (two blocks).
struct STS_Q_RSP_extended_packet {
    Alternate_MBT header;         // 0-7, source address in 3-5
    BE_ushort status;             // 8-9
    BE_ushort header_crc;         // 10-11
    WACN_SysID system;            // 12-15
    TARGET_ID target_id;          // 16-18
    std::uint8_t reserved_19[1];  // 19
    BE_ulong packet_crc;          // 20-23
};

// Message update (to the unit).
struct MSG_UPDT_packet {
    P25_TSBK_header header;
    BE_ushort message;      // 2-3
    TARGET_ADDRESS target;  // 4-6
    SOURCE_ADDRESS source;  // 7-9
    BE_ushort crc;          // 10-11
};

// The same, extended (two blocks): the source unit with its system; the
// target is the link ID.
struct MSG_UPDT_extended_packet {
    Alternate_MBT header;         // 0-7, target address in 3-5
    WACN_SysID_split2 system;     // 8-9 and 12-13, around the header CRC
    SOURCE_ID source_id;          // 14-16
    BE_ushort message;            // 17-18
    std::uint8_t reserved_19[1];  // 19
    BE_ulong packet_crc;          // 20-23
};

// Status update (to the unit).
struct STS_UPDT_packet {
    P25_TSBK_header header;
    BE_ushort status;       // 2-3
    TARGET_ADDRESS target;  // 4-6
    SOURCE_ADDRESS source;  // 7-9
    BE_ushort crc;          // 10-11
};

// The same, extended (two blocks).  The link ID is not shown.
struct STS_UPDT_extended_packet {
    Alternate_MBT header;         // 0-7
    WACN_SysID_split2 system;     // 8-9 and 12-13, around the header CRC
    SOURCE_ID source_id;          // 14-16
    BE_ushort status;             // 17-18
    std::uint8_t reserved_19[1];  // 19
    BE_ulong packet_crc;          // 20-23
};

#pragma pack(pop)

static_assert(sizeof(MSG_UPDT_REQ_packet) == 12 && offsetof(MSG_UPDT_REQ_packet, message) == 2 &&
                  offsetof(MSG_UPDT_REQ_packet, target) == 4 && offsetof(MSG_UPDT_REQ_packet, source) == 7,
              "MSG_UPDT_REQ_packet layout");
static_assert(sizeof(MSG_UPDT_REQ_extended_packet) == 24 && offsetof(MSG_UPDT_REQ_extended_packet, message) == 8 &&
                  offsetof(MSG_UPDT_REQ_extended_packet, system) == 12 &&
                  offsetof(MSG_UPDT_REQ_extended_packet, target_id) == 16 &&
                  offsetof(MSG_UPDT_REQ_extended_packet, reserved_19) == 19 &&
                  offsetof(MSG_UPDT_REQ_extended_packet, packet_crc) == 20,
              "MSG_UPDT_REQ_extended_packet layout");
static_assert(sizeof(STS_Q_RSP_packet) == 12 && offsetof(STS_Q_RSP_packet, status) == 2 &&
                  offsetof(STS_Q_RSP_packet, target) == 4 && offsetof(STS_Q_RSP_packet, source) == 7,
              "STS_Q_RSP_packet layout");
static_assert(sizeof(STS_Q_RSP_extended_packet) == 24 && offsetof(STS_Q_RSP_extended_packet, status) == 8 &&
                  offsetof(STS_Q_RSP_extended_packet, system) == 12 &&
                  offsetof(STS_Q_RSP_extended_packet, target_id) == 16 &&
                  offsetof(STS_Q_RSP_extended_packet, reserved_19) == 19 &&
                  offsetof(STS_Q_RSP_extended_packet, packet_crc) == 20,
              "STS_Q_RSP_extended_packet layout");
static_assert(sizeof(MSG_UPDT_packet) == 12 && offsetof(MSG_UPDT_packet, message) == 2 &&
                  offsetof(MSG_UPDT_packet, target) == 4 && offsetof(MSG_UPDT_packet, source) == 7,
              "MSG_UPDT_packet layout");
static_assert(sizeof(MSG_UPDT_extended_packet) == 24 && offsetof(MSG_UPDT_extended_packet, system) == 8 &&
                  offsetof(MSG_UPDT_extended_packet, source_id) == 14 &&
                  offsetof(MSG_UPDT_extended_packet, message) == 17 &&
                  offsetof(MSG_UPDT_extended_packet, reserved_19) == 19 &&
                  offsetof(MSG_UPDT_extended_packet, packet_crc) == 20,
              "MSG_UPDT_extended_packet layout");
static_assert(sizeof(STS_UPDT_packet) == 12 && offsetof(STS_UPDT_packet, status) == 2 &&
                  offsetof(STS_UPDT_packet, target) == 4 && offsetof(STS_UPDT_packet, source) == 7,
              "STS_UPDT_packet layout");
static_assert(sizeof(STS_UPDT_extended_packet) == 24 && offsetof(STS_UPDT_extended_packet, system) == 8 &&
                  offsetof(STS_UPDT_extended_packet, source_id) == 14 &&
                  offsetof(STS_UPDT_extended_packet, status) == 17 &&
                  offsetof(STS_UPDT_extended_packet, reserved_19) == 19 &&
                  offsetof(STS_UPDT_extended_packet, packet_crc) == 20,
              "STS_UPDT_extended_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<MSG_UPDT_REQ_packet> msg_updt_req_fields[] = {
    Subelement(&MSG_UPDT_REQ_packet::message, "Message", "%04X"),
    Subelement(&MSG_UPDT_REQ_packet::target),
    Subelement(&MSG_UPDT_REQ_packet::source),
};

static Subelement_table<MSG_UPDT_REQ_extended_packet> msg_updt_req_extended_fields[] = {
    Subelement(&MSG_UPDT_REQ_extended_packet::message, "Message", "%04X"),
    Subelement(&MSG_UPDT_REQ_extended_packet::system),  // "WACN", "System_ID"
    Subelement(&MSG_UPDT_REQ_extended_packet::target_id),
    Subelement_reserved(&MSG_UPDT_REQ_extended_packet::reserved_19),
};

static Subelement_table<STS_Q_RSP_packet> sts_q_rsp_fields[] = {
    Subelement(&STS_Q_RSP_packet::status, "Status", "%04X"),
    Subelement(&STS_Q_RSP_packet::target),
    Subelement(&STS_Q_RSP_packet::source),
};

static Subelement_table<STS_Q_RSP_extended_packet> sts_q_rsp_extended_fields[] = {
    Subelement(&STS_Q_RSP_extended_packet::status, "Status", "%04X"),
    Subelement(&STS_Q_RSP_extended_packet::system),
    Subelement(&STS_Q_RSP_extended_packet::target_id),
    Subelement_reserved(&STS_Q_RSP_extended_packet::reserved_19),
};

static Subelement_table<MSG_UPDT_packet> msg_updt_fields[] = {
    Subelement(&MSG_UPDT_packet::message, "Message", "%04X"),
    Subelement(&MSG_UPDT_packet::target),
    Subelement(&MSG_UPDT_packet::source),
};

static Subelement_table<MSG_UPDT_extended_packet> msg_updt_extended_fields[] = {
    Subelement(&MSG_UPDT_extended_packet::system),
    Subelement(&MSG_UPDT_extended_packet::source_id),
    Subelement(&MSG_UPDT_extended_packet::message, "Message", "%04X"),
    Subelement_reserved(&MSG_UPDT_extended_packet::reserved_19),
};

static Subelement_table<STS_UPDT_packet> sts_updt_fields[] = {
    Subelement(&STS_UPDT_packet::status, "Status", "%04X"),
    Subelement(&STS_UPDT_packet::target),
    Subelement(&STS_UPDT_packet::source),
};

static Subelement_table<STS_UPDT_extended_packet> sts_updt_extended_fields[] = {
    Subelement(&STS_UPDT_extended_packet::system),
    Subelement(&STS_UPDT_extended_packet::source_id),
    Subelement(&STS_UPDT_extended_packet::status, "Status", "%04X"),
    Subelement_reserved(&STS_UPDT_extended_packet::reserved_19),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<MSG_UPDT_REQ_packet> msg_updt_req("MSG_UPDT_REQ", MSG_UPDT_REQ, msg_updt_req_fields);
static const Trunking_handler<MSG_UPDT_REQ_extended_packet, SOURCE_ADDRESS> msg_updt_req_ext("MSG_UPDT_REQ", MSG_UPDT_REQ, msg_updt_req_extended_fields);
static const Trunking_handler<STS_Q_RSP_packet> sts_q_rsp("STS_Q_RSP", STS_Q_RSP, sts_q_rsp_fields);
static const Trunking_handler<STS_Q_RSP_packet> sts_updt_req("STS_UPDT_REQ", STS_UPDT_REQ, sts_q_rsp_fields);
static const Trunking_handler<STS_Q_RSP_extended_packet, SOURCE_ADDRESS> sts_q_rsp_ext("STS_Q_RSP", STS_Q_RSP, sts_q_rsp_extended_fields);
static const Trunking_handler<MSG_UPDT_packet> msg_updt("MSG_UPDT", MSG_UPDT, msg_updt_fields);
static const Trunking_handler<MSG_UPDT_extended_packet, TARGET_ADDRESS> msg_updt_ext("MSG_UPDT", MSG_UPDT, msg_updt_extended_fields);
static const Trunking_handler<STS_UPDT_packet> sts_updt("STS_UPDT", STS_UPDT, sts_updt_fields);
static const Trunking_handler<STS_UPDT_extended_packet> sts_updt_ext("STS_UPDT", STS_UPDT, sts_updt_extended_fields);

}  // namespace P25
