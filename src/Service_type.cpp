// Descriptors of the service type octet: plain, and with the flag that says
// whether additional information follows.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;
using P25::Service_type;
using P25::Service_type_aiv;

namespace {

Attrib::Attrib_Table<Service_type> service_type_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_pad<Service_type, unsigned>())),
};
const Attrib::Attrib_Hash<Service_type> service_type_attr(service_type_attr_table);

// Bit 7 (additional information valid) is shown by the "Additional_info" element.
Attrib::Attrib_Table<Service_type_aiv> service_type_aiv_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_ex<Service_type_aiv, unsigned>(), "%1X")),
};
const Attrib::Attrib_Hash<Service_type_aiv> service_type_aiv_attr(service_type_aiv_attr_table);

}  // namespace

namespace XML_routines {
template <> const Info<Service_type> Info<Service_type>::info(
    "Service_type", service_type_attr, Get_Access(GetSet_bf_service_type<Service_type, unsigned>(), "%02X"));
template <> const Info<Service_type_aiv> Info<Service_type_aiv>::info(
    "Service_type", service_type_aiv_attr, Get_Access(GetSet_bf_service_type<Service_type_aiv, unsigned>(), "%02X"));
}  // namespace XML_routines
