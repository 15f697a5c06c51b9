// Inbound extended requests (type Extended, two words): the radio in w0,
// an extended-function word in w1 whose expander names the request.
// Requests without a definition of their own show the raw fields.
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<isw_extended> extended_isw_fields[] = {
    Subelement(GetSet_bf_expander<Extended_function_word, EXTENDED_FUNCTION_OPCODES>(), "Expander",
               extended_function_map)
        .Of(&ISW_first::ext)
        .Of(&isw_extended::w1),
    Subelement(&ISW_first::id, "ID", "%04X ").Of(&isw_extended::w0),
    Subelement(GetSet_bf_r_bit<Extended_function_word, bool>(), "R_bit").Of(&ISW_first::ext).Of(&isw_extended::w1),
    Subelement(GetSet_bf_ext_payload<Extended_function_word, unsigned>(), "ext_data", "%04X")
        .Of(&ISW_first::ext)
        .Of(&isw_extended::w1),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_extended_generic_isw extended_isw("Extended_ISW", extended_isw_fields, ISW_EXTENDED);

}  // namespace

}  // namespace Smartzone
