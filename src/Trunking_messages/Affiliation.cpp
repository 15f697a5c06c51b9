// Group affiliation: a unit asks to join a talk group (for the system it is
// on or, explicitly, another one), answers the system's affiliation query,
// and is told whether the affiliation was accepted and which announcement
// group it belongs to.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Group affiliation request (TSBK): octet 3 bits 7-4 are reserved bits of the system ID.
struct GRP_AFF_REQ_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[1];  // 2
    System_ID_only system;       // 3-4
    GROUP_ID group;              // 5-6
    SOURCE_ADDRESS source;       // 7-9
    CRC_short crc;               // 10-11
};

// Group affiliation request, explicit (two blocks).
struct GRP_AFF_REQ_explicit_packet {
    Alternate_MBT header;         // 0-7, source address in 3-5
    WACN_SysID_split2 system;     // 8-13 around the header CRC
    GROUP_ID group;               // 14-15
    std::uint8_t reserved_16[4];  // 16-19
    BE_ulong packet_crc;          // 20-23
};

// Group affiliation query response (TSBK).
struct GRP_AFF_Q_RSP_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[1];       // 2
    ANN_GROUP_ADDRESS announcement;   // 3-4
    GROUP_ADDRESS group;              // 5-6
    SOURCE_ADDRESS source;            // 7-9
    CRC_short crc;                    // 10-11
};

// Group affiliation response (TSBK).
struct GRP_AFF_RSP_packet {
    P25_TSBK_header header;
    Group_Affiliate_value value;     // 2
    ANN_GROUP_ADDRESS announcement;  // 3-4
    GROUP_ADDRESS group;             // 5-6
    TARGET_ADDRESS target;           // 7-9
    CRC_short crc;                   // 10-11
};

// Group affiliation response, explicit (three blocks).
struct GRP_AFF_RSP_explicit_packet {
    Alternate_MBT header;         // 0-7, target address in 3-5
    WACN_SysID_split2 system;     // 8-13 around the header CRC
    SOURCE_ID source_id;          // 14-16
    WACN_SysID group_system;      // 17-20, the group's home system
    GROUP_ID group;               // 21-22
    ANN_GROUP_ID announcement;    // 23-24
    Affiliate_value value;        // 25
    std::uint8_t reserved_26[6];  // 26-31
    BE_ulong packet_crc;          // 32-35
};

#pragma pack(pop)

static_assert(sizeof(GRP_AFF_REQ_packet) == 12 && offsetof(GRP_AFF_REQ_packet, system) == 3 &&
                  offsetof(GRP_AFF_REQ_packet, group) == 5 && offsetof(GRP_AFF_REQ_packet, source) == 7,
              "GRP_AFF_REQ_packet layout");
static_assert(sizeof(GRP_AFF_REQ_explicit_packet) == 24 && offsetof(GRP_AFF_REQ_explicit_packet, system) == 8 &&
                  offsetof(GRP_AFF_REQ_explicit_packet, group) == 14 &&
                  offsetof(GRP_AFF_REQ_explicit_packet, reserved_16) == 16 &&
                  offsetof(GRP_AFF_REQ_explicit_packet, packet_crc) == 20,
              "GRP_AFF_REQ_explicit_packet layout");
static_assert(sizeof(GRP_AFF_Q_RSP_packet) == 12 && offsetof(GRP_AFF_Q_RSP_packet, announcement) == 3 &&
                  offsetof(GRP_AFF_Q_RSP_packet, group) == 5 && offsetof(GRP_AFF_Q_RSP_packet, source) == 7,
              "GRP_AFF_Q_RSP_packet layout");
static_assert(sizeof(GRP_AFF_RSP_packet) == 12 && offsetof(GRP_AFF_RSP_packet, value) == 2 &&
                  offsetof(GRP_AFF_RSP_packet, announcement) == 3 && offsetof(GRP_AFF_RSP_packet, group) == 5 &&
                  offsetof(GRP_AFF_RSP_packet, target) == 7,
              "GRP_AFF_RSP_packet layout");
static_assert(sizeof(GRP_AFF_RSP_explicit_packet) == 36 && offsetof(GRP_AFF_RSP_explicit_packet, system) == 8 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, source_id) == 14 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, group_system) == 17 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, group) == 21 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, announcement) == 23 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, value) == 25 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, reserved_26) == 26 &&
                  offsetof(GRP_AFF_RSP_explicit_packet, packet_crc) == 32,
              "GRP_AFF_RSP_explicit_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<GRP_AFF_REQ_packet> grp_aff_req_fields[] = {
    Subelement_reserved(&GRP_AFF_REQ_packet::reserved_2),
    Subelement(&System_ID_only::Get_res4, &System_ID_only::Set_res4, "Reserved", "%1X").Of(&GRP_AFF_REQ_packet::system),
    Subelement(&GRP_AFF_REQ_packet::system),  // "System_ID"
    Subelement(&GRP_AFF_REQ_packet::group),   // "Group_ID"
    Subelement(&GRP_AFF_REQ_packet::source),  // "Source_address"
};

static Subelement_table<GRP_AFF_REQ_explicit_packet> grp_aff_req_explicit_fields[] = {
    Subelement(&GRP_AFF_REQ_explicit_packet::system),  // "WACN", "System_ID"
    Subelement(&GRP_AFF_REQ_explicit_packet::group),   // "Group_ID"
    Subelement_reserved(&GRP_AFF_REQ_explicit_packet::reserved_16),
};

static Subelement_table<GRP_AFF_Q_RSP_packet> grp_aff_q_rsp_fields[] = {
    Subelement_reserved(&GRP_AFF_Q_RSP_packet::reserved_2),
    Subelement(&GRP_AFF_Q_RSP_packet::announcement),  // "Announcement_group"
    Subelement(&GRP_AFF_Q_RSP_packet::group),         // "Group_address"
    Subelement(&GRP_AFF_Q_RSP_packet::source),        // "Source_address"
};

static Subelement_table<GRP_AFF_RSP_packet> grp_aff_rsp_fields[] = {
    Subelement(&GRP_AFF_RSP_packet::value),         // "Global_affiliate", "Reserved", "Group_affiliation_value"
    Subelement(&GRP_AFF_RSP_packet::announcement),  // "Announcement_group"
    Subelement(&GRP_AFF_RSP_packet::group),         // "Group_address"
    Subelement(&GRP_AFF_RSP_packet::target),        // "Target_address"
};

static Subelement_table<GRP_AFF_RSP_explicit_packet> grp_aff_rsp_explicit_fields[] = {
    Subelement(&GRP_AFF_RSP_explicit_packet::system),        // "WACN", "System_ID"
    Subelement(&GRP_AFF_RSP_explicit_packet::source_id),     // "Source_ID"
    Subelement(&GRP_AFF_RSP_explicit_packet::group_system),  // "WACN", "System_ID"
    Subelement(&GRP_AFF_RSP_explicit_packet::group),         // "Group_ID"
    Subelement(&GRP_AFF_RSP_explicit_packet::announcement),  // "Announcement_group"
    Subelement(&GRP_AFF_RSP_explicit_packet::value),         // "Reserved", "Group_affiliation_value"
    Subelement_reserved(&GRP_AFF_RSP_explicit_packet::reserved_26),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<GRP_AFF_REQ_packet> grp_aff_req("GRP_AFF_REQ", GRP_AFF_REQ, grp_aff_req_fields);
static const Trunking_handler<GRP_AFF_REQ_explicit_packet, SOURCE_ADDRESS> grp_aff_req_exp("GRP_AFF_REQ_EXP", GRP_AFF_REQ, grp_aff_req_explicit_fields);
static const Trunking_handler<GRP_AFF_Q_RSP_packet> grp_aff_q_rsp("GRP_AFF_Q_RSP", GRP_AFF_Q_RSP, grp_aff_q_rsp_fields);
static const Trunking_handler<GRP_AFF_RSP_packet> grp_aff_rsp("GRP_AFF_RSP", GRP_AFF_RSP, grp_aff_rsp_fields);
static const Trunking_handler<GRP_AFF_RSP_explicit_packet, TARGET_ADDRESS> grp_aff_rsp_exp("GRP_AFF_RSP", GRP_AFF_RSP, grp_aff_rsp_explicit_fields);

}  // namespace P25
