// Channel grants: group voice and data grants, and unit-to-unit voice and
// individual data grants with their updates, each in its single-block form
// and its alternate multi-block (explicit) form.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Group voice and data channel grant (TSBK).
struct GRP_CH_GRANT_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    ChanGroup channel_group;          // 3-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// Group voice channel grant, explicit (two blocks).
struct GRP_V_CH_GRANT_explicit_packet {
    Alternate_MBT header;             // 0-7, source address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    std::uint8_t reserved_12[2];      // 12-13
    Group_update update;              // 14-19
    BE_ulong packet_crc;              // 20-23
};

// Group data channel grant, explicit (two blocks): the group update comes
// first in the data block.
struct GRP_DATA_CH_GRANT_explicit_packet {
    Alternate_MBT header;             // 0-7, source address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    Group_update update;              // 12-17
    std::uint16_t reserved_18;        // 18-19, one value in host order
    BE_ulong packet_crc;              // 20-23
};

// Unit-to-unit voice, individual data grants and updates (TSBK).
struct GRANT_packet {
    P25_TSBK_header header;
    CHANNEL channel;        // 2-3
    TARGET_ADDRESS target;  // 4-6
    SOURCE_ADDRESS source;  // 7-9
    BE_ushort crc;          // 10-11
};

// The same, explicit (three blocks).
struct CH_GRANT_explicit_packet {
    Alternate_MBT header;             // 0-7, source address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    WACN_SysID system;                // 12-15
    SOURCE_ID source_id;              // 16-18
    TARGET_ADDRESS target;            // 19-21
    CHANNEL channel_t;                // 22-23
    CHANNEL channel_r;                // 24-25
    std::uint8_t reserved_26[6];      // 26-31
    BE_ulong packet_crc;              // 32-35
};

#pragma pack(pop)

static_assert(sizeof(GRP_CH_GRANT_packet) == 12 && offsetof(GRP_CH_GRANT_packet, service_options) == 2 &&
                  offsetof(GRP_CH_GRANT_packet, channel_group) == 3 && offsetof(GRP_CH_GRANT_packet, source) == 7 &&
                  offsetof(GRP_CH_GRANT_packet, crc) == 10,
              "GRP_CH_GRANT_packet layout");
static_assert(sizeof(GRP_V_CH_GRANT_explicit_packet) == 24 &&
                  offsetof(GRP_V_CH_GRANT_explicit_packet, service_options) == 8 &&
                  offsetof(GRP_V_CH_GRANT_explicit_packet, reserved_12) == 12 &&
                  offsetof(GRP_V_CH_GRANT_explicit_packet, update) == 14 &&
                  offsetof(GRP_V_CH_GRANT_explicit_packet, packet_crc) == 20,
              "GRP_V_CH_GRANT_explicit_packet layout");
static_assert(sizeof(GRP_DATA_CH_GRANT_explicit_packet) == 24 &&
                  offsetof(GRP_DATA_CH_GRANT_explicit_packet, update) == 12 &&
                  offsetof(GRP_DATA_CH_GRANT_explicit_packet, reserved_18) == 18 &&
                  offsetof(GRP_DATA_CH_GRANT_explicit_packet, packet_crc) == 20,
              "GRP_DATA_CH_GRANT_explicit_packet layout");
static_assert(sizeof(GRANT_packet) == 12 && offsetof(GRANT_packet, channel) == 2 &&
                  offsetof(GRANT_packet, target) == 4 && offsetof(GRANT_packet, source) == 7,
              "GRANT_packet layout");
static_assert(sizeof(CH_GRANT_explicit_packet) == 36 && offsetof(CH_GRANT_explicit_packet, system) == 12 &&
                  offsetof(CH_GRANT_explicit_packet, source_id) == 16 && offsetof(CH_GRANT_explicit_packet, target) == 19 &&
                  offsetof(CH_GRANT_explicit_packet, channel_t) == 22 &&
                  offsetof(CH_GRANT_explicit_packet, channel_r) == 24 &&
                  offsetof(CH_GRANT_explicit_packet, reserved_26) == 26 &&
                  offsetof(CH_GRANT_explicit_packet, packet_crc) == 32,
              "CH_GRANT_explicit_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<GRP_CH_GRANT_packet> grp_ch_grant_fields[] = {
    Subelement(&GRP_CH_GRANT_packet::service_options),  // "Service_options"
    Subelement(&GRP_CH_GRANT_packet::channel_group),    // "Channel", "Group_address"
    Subelement(&GRP_CH_GRANT_packet::source),           // "Source_address"
};

static Subelement_table<GRP_V_CH_GRANT_explicit_packet> grp_v_ch_grant_explicit_fields[] = {
    Subelement(&GRP_V_CH_GRANT_explicit_packet::service_options),
    Subelement_reserved(&GRP_V_CH_GRANT_explicit_packet::reserved_9),
    Subelement_reserved(&GRP_V_CH_GRANT_explicit_packet::reserved_12),
    Subelement(&GRP_V_CH_GRANT_explicit_packet::update),  // "Channel", "Channel", "Group_address"
};

static Subelement_table<GRP_DATA_CH_GRANT_explicit_packet> grp_data_ch_grant_explicit_fields[] = {
    Subelement(&GRP_DATA_CH_GRANT_explicit_packet::service_options),
    Subelement_reserved(&GRP_DATA_CH_GRANT_explicit_packet::reserved_9),
    Subelement(&GRP_DATA_CH_GRANT_explicit_packet::update),
    Subelement_reserved(&GRP_DATA_CH_GRANT_explicit_packet::reserved_18),
};

static Subelement_table<GRANT_packet> grant_fields[] = {
    Subelement(&GRANT_packet::channel),  // "Channel"
    Subelement(&GRANT_packet::target),   // "Target_address"
    Subelement(&GRANT_packet::source),   // "Source_address"
};

static Subelement_table<CH_GRANT_explicit_packet> ch_grant_explicit_fields[] = {
    Subelement(&CH_GRANT_explicit_packet::service_options),
    Subelement_reserved(&CH_GRANT_explicit_packet::reserved_9),
    Subelement(&CH_GRANT_explicit_packet::system),     // "WACN", "System_ID"
    Subelement(&CH_GRANT_explicit_packet::source_id),  // "Source_ID"
    Subelement(&CH_GRANT_explicit_packet::target),     // "Target_address"
    Subelement(&CH_GRANT_explicit_packet::channel_t),  // "Channel"
    Subelement(&CH_GRANT_explicit_packet::channel_r),  // "Channel"
    Subelement_reserved(&CH_GRANT_explicit_packet::reserved_26),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<GRP_CH_GRANT_packet> grp_v_ch_grant("GRP_V_CH_GRANT", GRP_V_CH_GRANT, grp_ch_grant_fields);
static const Trunking_handler<GRP_CH_GRANT_packet> grp_data_ch_grant("GRP_DATA_CH_GRANT", GRP_DATA_CH_GRANT, grp_ch_grant_fields);
static const Trunking_handler<GRP_V_CH_GRANT_explicit_packet, SOURCE_ADDRESS> grp_v_ch_grant_exp("GRP_V_CH_GRANT_EXP", GRP_V_CH_GRANT, grp_v_ch_grant_explicit_fields);
static const Trunking_handler<GRP_DATA_CH_GRANT_explicit_packet, SOURCE_ADDRESS> grp_data_ch_grant_exp("GRP_DATA_CH_GRANT_EXP", GRP_DATA_CH_GRANT, grp_data_ch_grant_explicit_fields);
static const Trunking_handler<GRANT_packet> uu_v_ch_grant("UU_V_CH_GRANT", UU_V_CH_GRANT, grant_fields);
static const Trunking_handler<GRANT_packet> ind_data_ch_grant("IND_DATA_CH_GRANT", IND_DATA_CH_GRANT, grant_fields);
static const Trunking_handler<GRANT_packet> uu_v_ch_grant_updt("UU_V_CH_GRANT_UPDT", UU_V_CH_GRANT_UPDT, grant_fields);
static const Trunking_handler<CH_GRANT_explicit_packet, SOURCE_ADDRESS> uu_v_ch_grant_exp("UU_V_CH_GRANT", UU_V_CH_GRANT, ch_grant_explicit_fields);
static const Trunking_handler<CH_GRANT_explicit_packet, SOURCE_ADDRESS> ind_data_ch_grant_exp("IND_DATA_CH_GRANT", IND_DATA_CH_GRANT, ch_grant_explicit_fields);
static const Trunking_handler<CH_GRANT_explicit_packet, SOURCE_ADDRESS> uu_v_ch_grant_updt_exp("UU_V_CH_GRANT_UPDT", UU_V_CH_GRANT_UPDT, ch_grant_explicit_fields);

}  // namespace P25
