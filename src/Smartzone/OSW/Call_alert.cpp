// Private calls and call alerts between two radios: the ring and its
// acknowledgement (two words, w0 the called radio, w1 the caller).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_alert> alert_fields[] = {
    Unit(&OSW_alert::w0),
    Flag(&OSW_alert::w0, "i_bit"),
    Unit(&OSW_alert::w1),
    Flag(&OSW_alert::w1, "i_bit2"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<OSW_alert> private_call_ring("Private_call_ring", alert_fields, PRIVATE_CALL_RING);
const Smartzone_OSW_opcode<OSW_alert> private_call_ack("Private_call_ack", alert_fields, PRIVATE_CALL_ACK);
const Smartzone_OSW_opcode<OSW_alert> call_ring("Call_ring", alert_fields, CALL_ALERT);
const Smartzone_OSW_opcode<OSW_alert> call_ack("Call_ack", alert_fields, CALL_ALERT_ACK);

}  // namespace

}  // namespace Smartzone
