// Grant updates and announcements: the control channel repeats the group
// calls and group data channels in progress, so that units that missed the
// grant (or join late) find the traffic channel of their group.  All are
// single-block; the "_EXP" forms give a transmit and a receive channel.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Two channel and group pairs (group voice grant update, group data
// channel announcement).
struct CH_UPDT_packet {
    P25_TSBK_header header;
    ChanGroup first;   // 2-5
    ChanGroup second;  // 6-9
    BE_ushort crc;     // 10-11
};

// Group voice grant update, explicit: transmit and receive channels.
struct GRP_GRANT_UPDT_EXP_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[1];       // 3
    Group_update update;              // 4-9
    BE_ushort crc;                    // 10-11
};

// Group data channel announcement, explicit: laid out as the voice update.
using GRP_DATA_CH_ANN_EXP_packet = GRP_GRANT_UPDT_EXP_packet;

#pragma pack(pop)

static_assert(sizeof(CH_UPDT_packet) == 12 && offsetof(CH_UPDT_packet, first) == 2 &&
                  offsetof(CH_UPDT_packet, second) == 6 && offsetof(CH_UPDT_packet, crc) == 10,
              "CH_UPDT_packet layout");
static_assert(sizeof(GRP_GRANT_UPDT_EXP_packet) == 12 && offsetof(GRP_GRANT_UPDT_EXP_packet, service_options) == 2 &&
                  offsetof(GRP_GRANT_UPDT_EXP_packet, reserved_3) == 3 &&
                  offsetof(GRP_GRANT_UPDT_EXP_packet, update) == 4 && offsetof(GRP_GRANT_UPDT_EXP_packet, crc) == 10,
              "GRP_GRANT_UPDT_EXP_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<CH_UPDT_packet> ch_updt_fields[] = {
    Subelement(&CH_UPDT_packet::first),   // "Channel", "Group_address"
    Subelement(&CH_UPDT_packet::second),  // "Channel", "Group_address"
};

static Subelement_table<GRP_GRANT_UPDT_EXP_packet> grp_grant_updt_exp_fields[] = {
    Subelement(&GRP_GRANT_UPDT_EXP_packet::service_options),
    Subelement_reserved(&GRP_GRANT_UPDT_EXP_packet::reserved_3),
    Subelement(&GRP_GRANT_UPDT_EXP_packet::update),  // "Channel", "Channel", "Group_address"
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<CH_UPDT_packet> grp_v_ch_grant_updt("GRP_V_CH_GRANT_UPDT", GRP_V_CH_GRANT_UPDT, ch_updt_fields);
static const Trunking_handler<CH_UPDT_packet> grp_data_ch_ann("GRP_DATA_CH_ANN", GRP_DATA_CH_ANN, ch_updt_fields);
static const Trunking_handler<GRP_GRANT_UPDT_EXP_packet> grp_v_ch_grant_updt_exp("GRP_V_CH_GRANT_UPDT_EXP", GRP_V_CH_GRANT_UPDT_EXP, grp_grant_updt_exp_fields);
static const Trunking_handler<GRP_DATA_CH_ANN_EXP_packet> grp_data_ch_ann_exp("GRP_DATA_CH_ANN_EXP", GRP_DATA_CH_ANN_EXP, grp_grant_updt_exp_fields);

}  // namespace P25
