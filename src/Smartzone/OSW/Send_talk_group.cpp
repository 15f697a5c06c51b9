// The site asks a radio to send its talk group (SEND_TALK_GRP, one word).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_generic> send_talk_group_fields[] = {
    Subelement(&OSW_generic::unit),
    Subelement(I_bit_of<OSW_generic>(), "i_bit"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<OSW_generic> send_talk_group("Send_talk_group", send_talk_group_fields, SEND_TALK_GRP);

}  // namespace

}  // namespace Smartzone
