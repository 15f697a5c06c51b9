// Words a control channel sends when it has nothing else to say: the idle
// background word, and the scan word that names the system and asks
// scanning radios to affiliate.
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_generic> background_fields[] = {
    Subelement(&OSW_generic::payload, "payload", "%02X "),
    Subelement(I_bit_of<OSW_generic>(), "i_bit"),
};

Subelement_table<OSW_generic> scan_word_fields[] = {
    Subelement(&OSW_generic::system),
    Subelement(I_bit_of<OSW_generic>(), "do_affiliate"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<OSW_generic> background("Background", background_fields, BACKGROUND_WORD);
const Smartzone_OSW_opcode<OSW_generic> scan_word("Scan_word", scan_word_fields, SCAN_WORD);

}  // namespace

}  // namespace Smartzone
