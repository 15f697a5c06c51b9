// Descriptors of the system identifiers: the WACN/system-ID pair and its two
// forms split around a header CRC, the WACN and the system ID alone, the
// system ID with its location registration area or registration value.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;
using namespace P25;

namespace {

// ---- attribute tables ------------------------------------------------------------------------

Attrib::Attrib_Table<WACN_only> wacn_only_attr_table[] = {
    Get_attrib("Reserved", &WACN_only::Get_reserved, &WACN_only::Set_reserved, "%1X"),
};
const Attrib::Attrib_Hash<WACN_only> wacn_only_attr(wacn_only_attr_table);

Attrib::Attrib_Table<System_ID_registration> registration_value_attr_table[] = {
    Get_attrib("Reserved", &System_ID_registration::Get_reserved, &System_ID_registration::Set_reserved),
};
const Attrib::Attrib_Hash<System_ID_registration> registration_value_attr(registration_value_attr_table);

// ---- sub-element tables ----------------------------------------------------------------------

Subelement_table<WACN_SysID> wacn_sysid_subs[] = {
    Subelement(&WACN_SysID::Get_WACN, &WACN_SysID::Set_WACN, "WACN", "%05X"),
    Subelement(&WACN_SysID::Get_SysID, &WACN_SysID::Set_SysID, "System_ID", "%03X"),
};

Subelement_table<WACN_SysID_split1> wacn_sysid_split1_subs[] = {
    Subelement(&WACN_SysID_split1::Get_WACN, &WACN_SysID_split1::Set_WACN, "WACN", "%05X"),
    Subelement(&WACN_SysID_split1::Get_SysID, &WACN_SysID_split1::Set_SysID, "System_ID", "%03X"),
};

Subelement_table<WACN_SysID_split2> wacn_sysid_split2_subs[] = {
    Subelement(&WACN_SysID_split2::Get_WACN, &WACN_SysID_split2::Set_WACN, "WACN", "%05X"),
    Subelement(&WACN_SysID_split2::Get_SysID, &WACN_SysID_split2::Set_SysID, "System_ID", "%03X"),
};

Subelement_table<SYSID_LRA> sysid_lra_subs[] = {
    Subelement(&SYSID_LRA::lra),
    Subelement(&SYSID_LRA::system_id),
};

extern const Info<System_ID_registration> registration_value;

Subelement_table<System_ID_registration> system_id_registration_subs[] = {
    Subelement(registration_value),
    Subelement(&System_ID_registration::Get_SysID, &System_ID_registration::Set_SysID, "System_ID", "%03X"),
};

// ---- descriptors -----------------------------------------------------------------------------

const Info<System_ID_registration> registration_value(
    "Registration_value", registration_value_attr,
    Get_Access(&System_ID_registration::Get_registration_value, &System_ID_registration::Set_registration_value,
               response_map));

}  // namespace

namespace XML_routines {

template <> const Info<WACN_SysID> Info<WACN_SysID>::info("", wacn_sysid_subs);
template <> const Info<WACN_SysID_split1> Info<WACN_SysID_split1>::info("", wacn_sysid_split1_subs);
template <> const Info<WACN_SysID_split2> Info<WACN_SysID_split2>::info("", wacn_sysid_split2_subs);
template <> const Info<WACN_only> Info<WACN_only>::info("WACN", wacn_only_attr, Get_Access(&WACN_only::Get_WACN, &WACN_only::Set_WACN, "%05X"));
template <> const Info<System_ID_only> Info<System_ID_only>::info("System_ID", Get_Access(&System_ID_only::Get_SysID, &System_ID_only::Set_SysID, "%03X"));
template <> const Info<SYSID_LRA> Info<SYSID_LRA>::info("", sysid_lra_subs);
template <> const Info<System_ID_registration> Info<System_ID_registration>::info("", system_id_registration_subs);

}  // namespace XML_routines
