// Descriptor of a service type with its reason code and additional
// information, and the names of the reason codes.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;
using P25::Service_additional_info;

namespace {

// ---- value tables ----------------------------------------------------------------------------

const Value_entry<std::uint8_t> reason_names[] = {
    {"Unit invalid", 0x10},
    {"Unit not authorized", 0x11},
    {"Target invalid", 0x20},
    {"Target not authorized", 0x21},
    {"Target refused", 0x2F},
    {"Target group invalid", 0x30},
    {"Target group not authorized", 0x31},
    {"Phone number invalid", 0x40},
    {"Phone number not authorized", 0x41},
    {"Phone number address not valid", 0x42},
    {"Call timeout", 0x50},
    {"Landline terminated call", 0x51},
    {"Subscriber terminated call", 0x52},
    {"Call pre-empted", 0x5F},
    {"Site access denial", 0x60},
    {"Invalid call options", 0xF0},
    {"Protection mode invalid", 0xF1},
    {"Duplex mode invalid", 0xF2},
    {"Packet mode invalid", 0xF3},
    {"Service unsupported", 0xFF},
};

}  // namespace

namespace P25 {
const Value_hash<std::uint8_t> reason_map(reason_names);
}  // namespace P25

namespace {

// ---- attribute tables ------------------------------------------------------------------------

Attrib::Attrib_Table<Service_additional_info> additional_info_attr_table[] = {
    Get_attrib("valid", Get_Access(GetSet_bf_additional_info_valid<Service_additional_info, bool>())),
};
const Attrib::Attrib_Hash<Service_additional_info> additional_info_attr(additional_info_attr_table);

// ---- sub-element tables ----------------------------------------------------------------------

extern const Info<Service_additional_info> additional_info;

Subelement_table<Service_additional_info> service_additional_info_subs[] = {
    Subelement(&Service_additional_info::service_type),
    Subelement(&Service_additional_info::reason, "Reason", P25::reason_map),
    Subelement(additional_info),
};

// ---- descriptors -----------------------------------------------------------------------------

// The flag in octet 0 as an attribute, octets 2-4 as text.
const Info<Service_additional_info> additional_info("Additional_info", additional_info_attr,
                                                    Get_Access(&Service_additional_info::additional_info, "%02X "));

}  // namespace

namespace XML_routines {
template <> const Info<Service_additional_info> Info<Service_additional_info>::info("", service_additional_info_subs);
}  // namespace XML_routines
