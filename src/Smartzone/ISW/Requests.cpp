// Type-2 requests of a radio (inbound extended functions 9 and 41): the
// payload of w1 names the request; central and local affiliation and
// deaffiliation are decoded, other requests show their raw payload.
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

template <class T>
Subelement_base<T>& Id() {
    return Subelement(&ISW_first::id, "ID", "%04X ").Of(&T::w0);
}
template <class T>
Subelement_base<T>& R_bit() {
    return Subelement(GetSet_bf_r_bit<Extended_function_word, bool>(), "R_bit").Of(&ISW_first::ext).Of(&T::w1);
}

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<isw_req> type_2_request_fields[] = {
    Id<isw_req>(),
    R_bit<isw_req>(),
    Subelement(GetSet_bf_ext_payload<Extended_function_word, unsigned>(), "ext_data", "%04X")
        .Of(&ISW_first::ext)
        .Of(&isw_req::w1),
};

Subelement_table<isw_extended> affiliation_fields[] = {
    Id<isw_extended>(),
    R_bit<isw_extended>(),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_req_generic type_2_request("Type_2_request", type_2_request_fields,
                                           {TYPE_I_II_ACKS, DYNAMIC_REGROUP_AMSS_2});
const Smartzone_req<SEND_CENTRAL_AUTO_AFFL, isw_extended> afiliate_central("Afiliate_central", affiliation_fields);
const Smartzone_req<SEND_AUTO_AFFL, isw_extended> afiliate("Afiliate", affiliation_fields);
const Smartzone_req<DEAFFILIATE, isw_extended> deafiliate("Deafiliate", affiliation_fields);

}  // namespace

}  // namespace Smartzone
