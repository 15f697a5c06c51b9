// Descriptor of the service options octet of calls and grants.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;
using P25::Service_options;

namespace {

Attrib::Attrib_Table<Service_options> service_options_attr_table[] = {
    Get_attrib("emergency", Get_Access(GetSet_bf_emergency<Service_options, bool>())),
    Get_attrib("protected_flag", Get_Access(GetSet_bf_protected_flag<Service_options, bool>())),
    Get_attrib("full_duplex", Get_Access(GetSet_bf_full_duplex<Service_options, bool>())),
    Get_attrib("packet_mode", Get_Access(GetSet_bf_packet_mode<Service_options, bool>())),
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<Service_options, unsigned>())),
    Get_attrib("priority", Get_Access(GetSet_bf_priority_level<Service_options, unsigned>())),
};
const Attrib::Attrib_Hash<Service_options> service_options_attr(service_options_attr_table);

}  // namespace

namespace XML_routines {
template <> const Info<Service_options> Info<Service_options>::info("Service_options", service_options_attr);
}  // namespace XML_routines
