// Dynamic regrouping: a talk group is placed in a super group (two words,
// commands 832-848).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<Dynamic_regroup_assignment> dynamic_regroup_fields[] = {
    Group(&Dynamic_regroup_assignment::w0),
    Flag(&Dynamic_regroup_assignment::w0, "i_bit"),
    Subelement(GetSet_bf_regroup_opcode<Dynamic_regroup_osw, unsigned>(), "Regroup_opcode", "%d")
        .Of(&Dynamic_regroup_assignment::w1),
    Subelement(GetSet_bf_super_group<Dynamic_regroup_osw, unsigned>(), "Super_group", "%d")
        .Of(&Dynamic_regroup_assignment::w1),
    Flag(&Dynamic_regroup_assignment::w1, "i_bit2"),
    Command(&Dynamic_regroup_assignment::w1),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<Dynamic_regroup_assignment> dynamic_regroup(
    "Dynamic_regroup", dynamic_regroup_fields, {{DYNAMIC_REGROUP_START, DYNAMIC_REGROUP_END}});

}  // namespace

}  // namespace Smartzone
