// Descriptors of the system services map of the network status and adjacent
// site broadcasts, under either of its element names.  Octet 0 bit 7 chooses
// how the three octets read: 24 service flags, or an extended form whose
// attributes are the flag, the extension flag and 21 reserved bits.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;
using P25::Extended_System_Sevices;
using P25::Normal_System_Sevices;
using P25::System_Services;

namespace {

// ---- attribute tables ------------------------------------------------------------------------

Attrib::Attrib_Table<Normal_System_Sevices> normal_attr_table[] = {
    Get_attrib("type", Get_Access(GetSet_bf_type<Normal_System_Sevices, bool>())),
    Get_attrib("extension_flag", Get_Access(GetSet_bf_extension_flag<Normal_System_Sevices, bool>())),
    Get_attrib("network_active", Get_Access(GetSet_bf_network_active<Normal_System_Sevices, bool>())),
    Get_attrib("reserved1", Get_Access(GetSet_bf_reserved1<Normal_System_Sevices, bool>())),
    Get_attrib("group_voice", Get_Access(GetSet_bf_group_voice<Normal_System_Sevices, bool>())),
    Get_attrib("individual_voice", Get_Access(GetSet_bf_individual_voice<Normal_System_Sevices, bool>())),
    Get_attrib("PSTN_to_unit_voice", Get_Access(GetSet_bf_PSTN_to_unit_voice<Normal_System_Sevices, bool>())),
    Get_attrib("Unit_to_PSTN_voice", Get_Access(GetSet_bf_Unit_to_PSTN_voice<Normal_System_Sevices, bool>())),
    Get_attrib("reserved2", Get_Access(GetSet_bf_reserved2<Normal_System_Sevices, bool>())),
    Get_attrib("group_data", Get_Access(GetSet_bf_group_data<Normal_System_Sevices, bool>())),
    Get_attrib("individual_data", Get_Access(GetSet_bf_individual_data<Normal_System_Sevices, bool>())),
    Get_attrib("reserved3", Get_Access(GetSet_bf_reserved3<Normal_System_Sevices, bool>())),
    Get_attrib("unit_registration", Get_Access(GetSet_bf_unit_registration<Normal_System_Sevices, bool>())),
    Get_attrib("group_affiliation", Get_Access(GetSet_bf_group_affiliation<Normal_System_Sevices, bool>())),
    Get_attrib("group_affiliation_query", Get_Access(GetSet_bf_group_affiliation_query<Normal_System_Sevices, bool>())),
    Get_attrib("authentication", Get_Access(GetSet_bf_authentication<Normal_System_Sevices, bool>())),
    Get_attrib("protection_parameters", Get_Access(GetSet_bf_protection_parameters<Normal_System_Sevices, bool>())),
    Get_attrib("user_status", Get_Access(GetSet_bf_user_status<Normal_System_Sevices, bool>())),
    Get_attrib("user_message", Get_Access(GetSet_bf_user_message<Normal_System_Sevices, bool>())),
    Get_attrib("unit_status", Get_Access(GetSet_bf_unit_status<Normal_System_Sevices, bool>())),
    Get_attrib("user_status_query", Get_Access(GetSet_bf_user_status_query<Normal_System_Sevices, bool>())),
    Get_attrib("unit_status_query", Get_Access(GetSet_bf_unit_status_query<Normal_System_Sevices, bool>())),
    Get_attrib("unit_page", Get_Access(GetSet_bf_unit_page<Normal_System_Sevices, bool>())),
    Get_attrib("alarm", Get_Access(GetSet_bf_alarm<Normal_System_Sevices, bool>())),
};
const Attrib::Attrib_Hash<Normal_System_Sevices> normal_attr(normal_attr_table);

Attrib::Attrib_Table<Extended_System_Sevices> extended_attr_table[] = {
    Get_attrib("type", Get_Access(GetSet_bf_type<Extended_System_Sevices, bool>())),
    Get_attrib("extension_flag", Get_Access(GetSet_bf_extension_flag<Extended_System_Sevices, bool>())),
    // The 21 reserved bits as one number.
    Get_attrib("Reserved", &Extended_System_Sevices::Reserved, &Extended_System_Sevices::Set_reserved, "%02X "),
};
const Attrib::Attrib_Hash<Extended_System_Sevices> extended_attr(extended_attr_table);

// Reading an attribute of a group first sets octet 0 bit 7 to that group's value.
Attrib::Attrib_Table<System_Services> system_services_attr_table[] = {
    Get_attrib(extended_attr).Of<System_Services>().If(&System_Services::Get_extended, &System_Services::Set_extended, true),
    Get_attrib(normal_attr).Of<System_Services>().If(&System_Services::Get_extended, &System_Services::Set_extended, false),
};

}  // namespace

namespace XML_routines {
const Attrib::Attrib_Hash<System_Services> System_Services_attr(system_services_attr_table);
}  // namespace XML_routines

namespace P25 {
const XML_routines::Info<System_Services> available_services_info("Available_services", System_Services_attr);
const XML_routines::Info<System_Services> supported_services_info("Supported_services", System_Services_attr);
}  // namespace P25
