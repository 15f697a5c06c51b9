// Unit registration and location registration: a unit asks to join the
// system (with the TDMA modes it supports) and is answered, leaves it and is
// acknowledged, asks for protection parameters, and reports a new location
// registration area.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// The TDMA and FDMA modes a registering unit supports (1 octet): bit 7
// emergency, 6 the flags below are valid, 5 two-slot TDMA, 4 four-slot TDMA,
// 3 half-rate FDMA, 2 eight-level simulcast TDMA, 1 reserved, 0 the
// manufacturer's second TDMA mode.
struct TDMA_capabilities {
    std::uint8_t octet;
};

// Unit registration request (TSBK).
struct U_REG_REQ_packet {
    P25_TSBK_header header;
    TDMA_capabilities capabilities;  // 2
    WACN_SysID system;               // 3-6
    SOURCE_ID source_id;             // 7-9
    CRC_short crc;                   // 10-11
};

// Unit registration response (TSBK).
struct U_REG_RSP_packet {
    P25_TSBK_header header;
    System_ID_registration system;  // 2-3
    SOURCE_ID source_id;            // 4-6
    SOURCE_ADDRESS source;          // 7-9
    CRC_short crc;                  // 10-11
};

// Unit registration response, extended (three blocks).
struct U_REG_RSP_extended_packet {
    Alternate_MBT header;              // 0-7, source address in 3-5
    WACN_SysID_split2 system;          // 8-13 around the header CRC
    SOURCE_ID source_id;               // 14-16
    SOURCE_ADDRESS source;             // 17-19
    Registration_value registration;   // 20
    std::uint8_t reserved_21[11];      // 21-31
    BE_ulong packet_crc;               // 32-35
};

// Protection parameter request; also de-registration request and acknowledge (TSBK).
struct P_PARM_REQ_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[1];  // 2
    WACN_SysID system;           // 3-6
    SOURCE_ID source_id;         // 7-9
    CRC_short crc;               // 10-11
};

// Location registration request (TSBK).
struct LOC_REG_REQ_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[2];  // 2-3
    LRA lra;                     // 4
    GROUP_ADDRESS group;         // 5-6
    SOURCE_ADDRESS source;       // 7-9
    CRC_short crc;               // 10-11
};

// Location registration request, explicit (two blocks).
struct LOC_REG_REQ_explicit_packet {
    Alternate_MBT header;      // 0-7, source address in 3-5
    WACN_SysID_split2 system;  // 8-13 around the header CRC
    SOURCE_ID source_id;       // 14-16
    LRA lra;                   // 17
    GROUP_ADDRESS group;       // 18-19
    BE_ulong packet_crc;       // 20-23
};

// Location registration response (TSBK).
struct LOC_REG_RSP_packet {
    P25_TSBK_header header;
    Registration_value registration;  // 2
    GROUP_ADDRESS group;              // 3-4
    std::uint8_t rfss_id;             // 5
    std::uint8_t site_id;             // 6
    TARGET_ADDRESS target;            // 7-9
    CRC_short crc;                    // 10-11
};

#pragma pack(pop)

static_assert(sizeof(TDMA_capabilities) == 1, "TDMA_capabilities layout");
static_assert(sizeof(U_REG_REQ_packet) == 12 && offsetof(U_REG_REQ_packet, capabilities) == 2 &&
                  offsetof(U_REG_REQ_packet, system) == 3 && offsetof(U_REG_REQ_packet, source_id) == 7 &&
                  offsetof(U_REG_REQ_packet, crc) == 10,
              "U_REG_REQ_packet layout");
static_assert(sizeof(U_REG_RSP_packet) == 12 && offsetof(U_REG_RSP_packet, system) == 2 &&
                  offsetof(U_REG_RSP_packet, source_id) == 4 && offsetof(U_REG_RSP_packet, source) == 7,
              "U_REG_RSP_packet layout");
static_assert(sizeof(U_REG_RSP_extended_packet) == 36 && offsetof(U_REG_RSP_extended_packet, system) == 8 &&
                  offsetof(U_REG_RSP_extended_packet, source_id) == 14 &&
                  offsetof(U_REG_RSP_extended_packet, source) == 17 &&
                  offsetof(U_REG_RSP_extended_packet, registration) == 20 &&
                  offsetof(U_REG_RSP_extended_packet, reserved_21) == 21 &&
                  offsetof(U_REG_RSP_extended_packet, packet_crc) == 32,
              "U_REG_RSP_extended_packet layout");
static_assert(sizeof(P_PARM_REQ_packet) == 12 && offsetof(P_PARM_REQ_packet, system) == 3 &&
                  offsetof(P_PARM_REQ_packet, source_id) == 7,
              "P_PARM_REQ_packet layout");
static_assert(sizeof(LOC_REG_REQ_packet) == 12 && offsetof(LOC_REG_REQ_packet, lra) == 4 &&
                  offsetof(LOC_REG_REQ_packet, group) == 5 && offsetof(LOC_REG_REQ_packet, source) == 7,
              "LOC_REG_REQ_packet layout");
static_assert(sizeof(LOC_REG_REQ_explicit_packet) == 24 && offsetof(LOC_REG_REQ_explicit_packet, system) == 8 &&
                  offsetof(LOC_REG_REQ_explicit_packet, source_id) == 14 &&
                  offsetof(LOC_REG_REQ_explicit_packet, lra) == 17 &&
                  offsetof(LOC_REG_REQ_explicit_packet, group) == 18 &&
                  offsetof(LOC_REG_REQ_explicit_packet, packet_crc) == 20,
              "LOC_REG_REQ_explicit_packet layout");
static_assert(sizeof(LOC_REG_RSP_packet) == 12 && offsetof(LOC_REG_RSP_packet, registration) == 2 &&
                  offsetof(LOC_REG_RSP_packet, group) == 3 && offsetof(LOC_REG_RSP_packet, rfss_id) == 5 &&
                  offsetof(LOC_REG_RSP_packet, site_id) == 6 && offsetof(LOC_REG_RSP_packet, target) == 7,
              "LOC_REG_RSP_packet layout");

}  // namespace P25

namespace XML_routines {
XML_BITFIELD_NAME(emergency_bit);
XML_BITFIELD_NAME(capabilities_valid);
XML_BITFIELD_NAME(half_rate_2slot_tdma);
XML_BITFIELD_NAME(half_rate_4slot_tdma);
XML_BITFIELD_NAME(half_rate_fdma);
XML_BITFIELD_NAME(eight_level_simulcast);
XML_BITFIELD_NAME(res_bit);
XML_BITFIELD_NAME(moto_f2);

//           field                  record                   octet hi lo
XML_BITFIELD(emergency_bit,         P25::TDMA_capabilities,  0, 7, 7);
XML_BITFIELD(capabilities_valid,    P25::TDMA_capabilities,  0, 6, 6);
XML_BITFIELD(half_rate_2slot_tdma,  P25::TDMA_capabilities,  0, 5, 5);
XML_BITFIELD(half_rate_4slot_tdma,  P25::TDMA_capabilities,  0, 4, 4);
XML_BITFIELD(half_rate_fdma,        P25::TDMA_capabilities,  0, 3, 3);
XML_BITFIELD(eight_level_simulcast, P25::TDMA_capabilities,  0, 2, 2);
XML_BITFIELD(res_bit,               P25::TDMA_capabilities,  0, 1, 1);
XML_BITFIELD(moto_f2,               P25::TDMA_capabilities,  0, 0, 0);
}  // namespace XML_routines

namespace {

using namespace P25;

// ---- attribute tables ----------------------------------------------------------------

Attrib::Attrib_Table<TDMA_capabilities> tdma_capabilities_attr_table[] = {
    Get_attrib("emergency", Get_Access(GetSet_bf_emergency_bit<TDMA_capabilities, bool>())),
    Get_attrib("valid", Get_Access(GetSet_bf_capabilities_valid<TDMA_capabilities, bool>())),
    Get_attrib("two_slot_tdma", Get_Access(GetSet_bf_half_rate_2slot_tdma<TDMA_capabilities, bool>())),
    Get_attrib("four_slot_tdma", Get_Access(GetSet_bf_half_rate_4slot_tdma<TDMA_capabilities, bool>())),
    Get_attrib("half_rate_fdma", Get_Access(GetSet_bf_half_rate_fdma<TDMA_capabilities, bool>())),
    Get_attrib("hd8psk_tdma", Get_Access(GetSet_bf_eight_level_simulcast<TDMA_capabilities, bool>())),
    Get_attrib("reserved1", Get_Access(GetSet_bf_res_bit<TDMA_capabilities, bool>())),
    Get_attrib("x2tdma", Get_Access(GetSet_bf_moto_f2<TDMA_capabilities, bool>())),
};
const Attrib::Attrib_Hash<TDMA_capabilities> tdma_capabilities_attr(tdma_capabilities_attr_table);

}  // namespace

namespace XML_routines {
template <> const Info<P25::TDMA_capabilities> Info<P25::TDMA_capabilities>::info("TDMA_capabilities", tdma_capabilities_attr);
}  // namespace XML_routines

namespace P25 {

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<U_REG_REQ_packet> u_reg_req_fields[] = {
    Subelement(&U_REG_REQ_packet::capabilities),  // "TDMA_capabilities"
    Subelement(&U_REG_REQ_packet::system),        // "WACN", "System_ID"
    Subelement(&U_REG_REQ_packet::source_id),     // "Source_ID"
};

static Subelement_table<U_REG_RSP_packet> u_reg_rsp_fields[] = {
    Subelement(&U_REG_RSP_packet::system),     // "Registration_value", "System_ID"
    Subelement(&U_REG_RSP_packet::source_id),  // "Source_ID"
    Subelement(&U_REG_RSP_packet::source),     // "Source_address"
};

static Subelement_table<U_REG_RSP_extended_packet> u_reg_rsp_extended_fields[] = {
    Subelement(&U_REG_RSP_extended_packet::system),        // "WACN", "System_ID"
    Subelement(&U_REG_RSP_extended_packet::source_id),     // "Source_ID"
    Subelement(&U_REG_RSP_extended_packet::source),        // "Source_address"
    Subelement(&U_REG_RSP_extended_packet::registration),  // "Registration_value"
    Subelement_reserved(&U_REG_RSP_extended_packet::reserved_21),
};

static Subelement_table<P_PARM_REQ_packet> p_parm_req_fields[] = {
    Subelement_reserved(&P_PARM_REQ_packet::reserved_2),
    Subelement(&P_PARM_REQ_packet::system),     // "WACN", "System_ID"
    Subelement(&P_PARM_REQ_packet::source_id),  // "Source_ID"
};

static Subelement_table<LOC_REG_REQ_packet> loc_reg_req_fields[] = {
    Subelement_reserved(&LOC_REG_REQ_packet::reserved_2),
    Subelement(&LOC_REG_REQ_packet::lra),     // "LRA"
    Subelement(&LOC_REG_REQ_packet::group),   // "Group_address"
    Subelement(&LOC_REG_REQ_packet::source),  // "Source_address"
};

static Subelement_table<LOC_REG_REQ_explicit_packet> loc_reg_req_explicit_fields[] = {
    Subelement(&LOC_REG_REQ_explicit_packet::system),     // "WACN", "System_ID"
    Subelement(&LOC_REG_REQ_explicit_packet::source_id),  // "Source_ID"
    Subelement(&LOC_REG_REQ_explicit_packet::lra),        // "LRA"
    Subelement(&LOC_REG_REQ_explicit_packet::group),      // "Group_address"
};

static Subelement_table<LOC_REG_RSP_packet> loc_reg_rsp_fields[] = {
    Subelement(&LOC_REG_RSP_packet::registration),  // "Registration_value"
    Subelement(&LOC_REG_RSP_packet::group),         // "Group_address"
    Subelement(&LOC_REG_RSP_packet::rfss_id, "RF_subsys_ID", "%02X"),
    Subelement(&LOC_REG_RSP_packet::site_id, "Site_ID", "%02X"),
    Subelement(&LOC_REG_RSP_packet::target),        // "Target_address"
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<U_REG_REQ_packet> u_reg_req("U_REG_REQ", U_REG_REQ, u_reg_req_fields);
static const Trunking_handler<U_REG_RSP_packet> u_reg_rsp("U_REG_RSP", U_REG_RSP, u_reg_rsp_fields);
static const Trunking_handler<U_REG_RSP_extended_packet, SOURCE_ADDRESS> u_reg_rsp_ext("U_REG_RSP", U_REG_RSP, u_reg_rsp_extended_fields);
static const Trunking_handler<P_PARM_REQ_packet> p_parm_req("P_PARM_REQ", P_PARM_REQ, p_parm_req_fields);
static const Trunking_handler<P_PARM_REQ_packet> u_de_reg_req("U_DE_REG_REQ", U_DE_REG_REQ, p_parm_req_fields);
static const Trunking_handler<P_PARM_REQ_packet> u_de_reg_ack("U_DE_REG_ACK", U_DE_REG_ACK, p_parm_req_fields);
static const Trunking_handler<LOC_REG_REQ_packet> loc_reg_req("LOC_REG_REQ", LOC_REG_REQ, loc_reg_req_fields);
static const Trunking_handler<LOC_REG_REQ_explicit_packet, SOURCE_ADDRESS> loc_reg_req_exp("LOC_REG_REQ", LOC_REG_REQ, loc_reg_req_explicit_fields);
static const Trunking_handler<LOC_REG_RSP_packet> loc_reg_rsp("LOC_REG_RSP", LOC_REG_RSP, loc_reg_rsp_fields);

}  // namespace P25
