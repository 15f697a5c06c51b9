// Descriptor of the system service class octet of the network and adjacent
// status broadcasts.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;
using P25::System_service_class;

namespace {

Attrib::Attrib_Table<System_service_class> service_class_attr_table[] = {
    Get_attrib("auth_service", Get_Access(GetSet_bf_authentication_service<System_service_class, bool>())),
    Get_attrib("reg_service", Get_Access(GetSet_bf_registeration_service<System_service_class, bool>())),
    Get_attrib("voice_service", Get_Access(GetSet_bf_voice_service<System_service_class, bool>())),
    Get_attrib("data_service", Get_Access(GetSet_bf_data_service<System_service_class, bool>())),
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<System_service_class, bool>())),
    Get_attrib("backup", Get_Access(GetSet_bf_backup_control_chan<System_service_class, bool>())),
    Get_attrib("update_control_only", Get_Access(GetSet_bf_update_control_chan<System_service_class, bool>())),
    Get_attrib("composite_control", Get_Access(GetSet_bf_composite_control_chan<System_service_class, bool>())),
};
const Attrib::Attrib_Hash<System_service_class> service_class_attr(service_class_attr_table);

}  // namespace

namespace XML_routines {
template <> const Info<System_service_class> Info<System_service_class>::info("Service_class", service_class_attr);
}  // namespace XML_routines
