// Acknowledgements of type I and II requests: extended function 9, two
// words, the acknowledged radio or talk group in w0 and the kind of
// acknowledgement in the payload of w1.
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

const Value_hash<ACK_TYPES> ack_type_map(ack_type_names);

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<Extended_function> ack_fields[] = {
    Unit_if_individual(&Extended_function::w0),
    Group_if_not_individual(&Extended_function::w0),
    Subelement(GetSet_bf_ext_payload<Extended_function_word, ACK_TYPES>(), "Ack_type", ack_type_map)
        .Of(&OSW_generic::ext)
        .Of(&Extended_function::w1),
    Flag(&Extended_function::w1, "i_bit2"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_ack_generic ack("ACK", ack_fields, TYPE_I_II_ACKS);

}  // namespace

}  // namespace Smartzone
