// Link control of the frequency plan: the channel identifier updates a
// traffic channel repeats, so that a unit there can compute the frequency of
// any channel it is sent to, in the 800/900 MHz form, the VHF/UHF form and
// the two-slot TDMA form (the last two over one record).
#include "LC_handler.h"

using namespace XML_routines;

namespace P25 {

namespace {

#pragma pack(push, 1)

// Channel identifier update: the plan's fields, then its base frequency.
struct LC_CH_ID_UPDT_packet {
    Link_control_header header;  // 0
    LC_chan_id plan;             // 1-4
    BASE_FREQ base_freq;         // 5-8
};

// Channel identifier update, explicit: a bandwidth code or a TDMA channel
// type in the same four bits.
struct LC_CH_ID_UPDT_EXP_packet {
    Link_control_header header;  // 0
    CH_ID_UP_data plan;          // 1-8
};

#pragma pack(pop)

static_assert(sizeof(LC_CH_ID_UPDT_packet) == 9 && offsetof(LC_CH_ID_UPDT_packet, plan) == 1 &&
                  offsetof(LC_CH_ID_UPDT_packet, base_freq) == 5,
              "LC_CH_ID_UPDT_packet layout");
static_assert(sizeof(LC_CH_ID_UPDT_EXP_packet) == 9 && offsetof(LC_CH_ID_UPDT_EXP_packet, plan) == 1,
              "LC_CH_ID_UPDT_EXP_packet layout");

// ---- word fields, in wire order ------------------------------------------------------

Subelement_table<LC_CH_ID_UPDT_packet> ch_id_updt_fields[] = {
    Subelement(&LC_CH_ID_UPDT_packet::plan),       // "Identifier", "Bandwidth", "Channel_spacing", "Transmit_offset"
    Subelement(&LC_CH_ID_UPDT_packet::base_freq),  // "Base_freq"
};

Subelement_table<LC_CH_ID_UPDT_EXP_packet> ch_id_updt_exp_fields[] = {
    // "Identifier", "Bandwidth", "Channel_spacing", "Transmit_offset", "Base_freq"
    Subelement(&LC_CH_ID_UPDT_EXP_packet::plan),
};

Subelement_table<LC_CH_ID_UPDT_EXP_packet> ch_id_updt_tdma_fields[] = {
    // "Identifier", "TDMA_chan_type", "Channel_spacing", "Transmit_offset", "Base_freq"
    Subelement(&LC_CH_ID_UPDT_EXP_packet::plan, ch_id_up_tdma_info),
};

// ---- definitions: name, opcode, fields ---------------------------------------------------

const LC_handler<LC_CH_ID_UPDT_packet> lc_ch_id_updt("LC_CH_ID_UPDT", LC_CH_ID_UPDT, ch_id_updt_fields);
const LC_handler<LC_CH_ID_UPDT_EXP_packet> lc_ch_id_updt_exp("LC_CH_ID_UPDT_EXP", LC_CH_ID_UPDT_EXP, ch_id_updt_exp_fields);
const LC_handler<LC_CH_ID_UPDT_EXP_packet> lc_ch_id_updt_tdma("LC_CH_ID_UPDT_TDMA_packet", LC_CH_ID_UPDT_TDMA, ch_id_updt_tdma_fields);

}  // namespace

}  // namespace P25
