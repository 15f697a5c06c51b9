// Automatic affiliation: the site confirms a radio's talk group (two words;
// the talk group in its affiliation form, with wide pulse and connect tone).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_affiliation> auto_affiliate_fields[] = {
    Unit(&OSW_affiliation::w0),
    Affiliation(&OSW_affiliation::w1),
    Subelement(&OSW_affiliation::Get_secure_site, &OSW_affiliation::Set_secure_site, "Secure_site"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_OSW_opcode<OSW_affiliation> auto_affiliate("Auto_affiliate", auto_affiliate_fields, AUTO_AFFILIATE);

}  // namespace

}  // namespace Smartzone
