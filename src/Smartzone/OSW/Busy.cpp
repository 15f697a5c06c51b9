// Busy queue words: a talk group's call waits for a channel ("Busy", one
// word), or a radio's dispatch, interconnect, emergency or other call waits
// (two words).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_generic> busy_fields[] = {
    Subelement(&OSW_generic::group),
};

Subelement_table<OSW_dual_group> busy2_fields[] = {
    Unit(&OSW_dual_group::w0),
    Flag(&OSW_dual_group::w0, "i_bit"),
    Group(&OSW_dual_group::w0),
    Flag(&OSW_dual_group::w1, "i_bit2"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<OSW_generic> busy("Busy", busy_fields, OTHER_BUSY);
const Smartzone_OSW_opcode<OSW_dual_group> regroup_busy("Regroup_busy", busy2_fields, DISPATCH_BUSY);
const Smartzone_OSW_opcode<OSW_dual_group> interconnect_busy("interconnect_busy", busy2_fields, INTERCONNECT_BUSY);
const Smartzone_OSW_opcode<OSW_dual_group> emergency_busy("emergency_busy", busy2_fields, EMERGENCY_BUSY);
const Smartzone_OSW_opcode<OSW_dual_group> other_busy("Other_busy", busy2_fields, OTHER_BUSY);

}  // namespace

}  // namespace Smartzone
