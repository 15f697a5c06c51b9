// Channel grants and updates: a word whose command is a channel number.
// Alone it updates a talk group's call on that channel ("Group_update");
// after a first word naming the calling radio it assigns the channel to a
// radio or talk group ("Channel_assignment").
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// The channel-number commands.
constexpr std::initializer_list<Command_range> channels = {
    {STD_CH_LO, STD_CH_HI},
    {HI1_CHAN_LO, HI1_CHAN_HI},
    {HI2_CHAN, HI2_CHAN},
    {HI3_CHAN_LO, HI3_CHAN_HI},
};

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_generic> group_update_fields[] = {
    Subelement(&OSW_generic::group),
    Subelement(I_bit_of<OSW_generic>(), "i_bit"),
    Subelement(GetSet_bf_command<OSW_generic, unsigned>(), "Channel_number", "%d"),
};

Subelement_table<OSW_dual_group> channel_assignment_fields[] = {
    Unit(&OSW_dual_group::w0),
    Unit_if_individual(&OSW_dual_group::w1),
    Group_if_not_individual(&OSW_dual_group::w1),
    Flag(&OSW_dual_group::w1, "i_bit2"),
    Channel(&OSW_dual_group::w1),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<OSW_generic> group_update("Group_update", group_update_fields, channels);
const Smartzone_OSW_opcode<OSW_dual_group> channel_assignment("Channel_assignment", channel_assignment_fields, channels);

}  // namespace

}  // namespace Smartzone
