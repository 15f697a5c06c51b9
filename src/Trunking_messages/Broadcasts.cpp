// Control channel broadcasts: the status of adjacent sites, of this site's
// RF subsystem and of the network (each naming a control channel and the
// services it offers), the secondary control channels, and the services the
// system makes available and supports.  The status broadcasts carry their
// site flags as element attributes, read from the upper bits of the system
// ID: in a TSBK the one of the message, in the explicit form the one in the
// header's logical link ID (whose "LRA" and "System_ID" come before the
// message element).
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Adjacent site status broadcast (TSBK).
struct ADJ_STS_BCST_packet {
    P25_TSBK_header header;
    ADJ_STS_BCST_data site;  // 2-9
    CRC_short crc;           // 10-11

    const System_ID_only& Flags() const { return site.system; }
    System_ID_only& Flags() { return site.system; }
};

// RFSS status broadcast (TSBK).
struct RFSS_STS_BCST_packet {
    P25_TSBK_header header;
    RFSS_STS_BCST_data site;  // 2-9
    CRC_short crc;            // 10-11

    const System_ID_only& Flags() const { return site.system; }
    System_ID_only& Flags() { return site.system; }
};

// The system ID of an explicit broadcast's header: the link ID is the LRA
// (octet 3) and the system ID (octets 4-5).
static inline const System_ID_only& Link_system(const Alternate_MBT& header) {
    return reinterpret_cast<const SYSID_LRA&>(header.common.l_link_id).system_id;
}
static inline System_ID_only& Link_system(Alternate_MBT& header) {
    return reinterpret_cast<SYSID_LRA&>(header.common.l_link_id).system_id;
}

// Adjacent site status broadcast, explicit (two blocks).
struct ADJ_STS_BCST_explicit_packet {
    Alternate_MBT header;                // 0-7, LRA and system ID in 3-5
    std::uint8_t rfss_id;                // 8
    std::uint8_t site_id;                // 9
    CRC_short header_crc;                // 10-11
    CHANNEL channel_t;                   // 12-13
    CHANNEL channel_r;                   // 14-15
    System_service_class service_class;  // 16
    std::uint8_t reserved_17[3];         // 17-19
    BE_ulong packet_crc;                 // 20-23

    const System_ID_only& Flags() const { return Link_system(header); }
    System_ID_only& Flags() { return Link_system(header); }
};

// RFSS status broadcast, explicit (two blocks).
struct RFSS_STS_BCST_explicit_packet {
    Alternate_MBT header;                // 0-7, LRA and system ID in 3-5
    std::uint8_t reserved_8[2];          // 8-9
    CRC_short header_crc;                // 10-11
    std::uint8_t rfss_id;                // 12
    std::uint8_t site_id;                // 13
    CHANNEL channel_t;                   // 14-15
    CHANNEL channel_r;                   // 16-17
    System_service_class service_class;  // 18
    std::uint8_t reserved_19[1];         // 19
    BE_ulong packet_crc;                 // 20-23

    const System_ID_only& Flags() const { return Link_system(header); }
    System_ID_only& Flags() { return Link_system(header); }
};

// Network status broadcast (TSBK).
struct NET_STS_BCST_packet {
    P25_TSBK_header header;
    LRA lra;                             // 2
    WACN_SysID system;                   // 3-6
    CHANNEL channel;                     // 7-8
    System_service_class service_class;  // 9
    CRC_short crc;                       // 10-11
};

// Network status broadcast, explicit (two blocks).
struct NET_STS_BCST_explicit_packet {
    Alternate_MBT header;                // 0-7, LRA and system ID in 3-5
    std::uint8_t reserved_8[2];          // 8-9
    CRC_short header_crc;                // 10-11
    WACN_only wacn;                      // 12-14
    CHANNEL channel_t;                   // 15-16
    CHANNEL channel_r;                   // 17-18
    System_service_class service_class;  // 19
    BE_ulong packet_crc;                 // 20-23

    const System_ID_only& Flags() const { return Link_system(header); }
    System_ID_only& Flags() { return Link_system(header); }
};

// Secondary control channel broadcast (TSBK).
struct SCCB_packet {
    P25_TSBK_header header;
    SCCB_data channels;  // 2-9
    CRC_short crc;       // 10-11
};

// Secondary control channel broadcast, explicit transmit and receive channels (TSBK).
struct SCCB_EXP_packet {
    P25_TSBK_header header;
    std::uint8_t rfss_id;                // 2
    std::uint8_t site_id;                // 3
    CHANNEL channel_t;                   // 4-5
    std::uint8_t reserved_6[1];          // 6
    CHANNEL channel_r;                   // 7-8
    System_service_class service_class;  // 9
    CRC_short crc;                       // 10-11
};

// System service broadcast (TSBK).
struct SYS_SRV_BCST_packet {
    P25_TSBK_header header;
    std::uint8_t reserved_2[1];   // 2
    System_Services available;    // 3-5
    System_Services supported;    // 6-8
    Request_priority priority;    // 9
    CRC_short crc;                // 10-11
};

#pragma pack(pop)

static_assert(sizeof(ADJ_STS_BCST_packet) == 12 && offsetof(ADJ_STS_BCST_packet, site) == 2,
              "ADJ_STS_BCST_packet layout");
static_assert(sizeof(RFSS_STS_BCST_packet) == 12 && offsetof(RFSS_STS_BCST_packet, site) == 2,
              "RFSS_STS_BCST_packet layout");
static_assert(sizeof(ADJ_STS_BCST_explicit_packet) == 24 && offsetof(ADJ_STS_BCST_explicit_packet, rfss_id) == 8 &&
                  offsetof(ADJ_STS_BCST_explicit_packet, site_id) == 9 &&
                  offsetof(ADJ_STS_BCST_explicit_packet, channel_t) == 12 &&
                  offsetof(ADJ_STS_BCST_explicit_packet, channel_r) == 14 &&
                  offsetof(ADJ_STS_BCST_explicit_packet, service_class) == 16 &&
                  offsetof(ADJ_STS_BCST_explicit_packet, reserved_17) == 17 &&
                  offsetof(ADJ_STS_BCST_explicit_packet, packet_crc) == 20,
              "ADJ_STS_BCST_explicit_packet layout");
static_assert(sizeof(RFSS_STS_BCST_explicit_packet) == 24 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, reserved_8) == 8 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, rfss_id) == 12 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, site_id) == 13 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, channel_t) == 14 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, channel_r) == 16 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, service_class) == 18 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, reserved_19) == 19 &&
                  offsetof(RFSS_STS_BCST_explicit_packet, packet_crc) == 20,
              "RFSS_STS_BCST_explicit_packet layout");
static_assert(sizeof(NET_STS_BCST_packet) == 12 && offsetof(NET_STS_BCST_packet, system) == 3 &&
                  offsetof(NET_STS_BCST_packet, channel) == 7 && offsetof(NET_STS_BCST_packet, service_class) == 9,
              "NET_STS_BCST_packet layout");
static_assert(sizeof(NET_STS_BCST_explicit_packet) == 24 && offsetof(NET_STS_BCST_explicit_packet, wacn) == 12 &&
                  offsetof(NET_STS_BCST_explicit_packet, channel_t) == 15 &&
                  offsetof(NET_STS_BCST_explicit_packet, channel_r) == 17 &&
                  offsetof(NET_STS_BCST_explicit_packet, service_class) == 19 &&
                  offsetof(NET_STS_BCST_explicit_packet, packet_crc) == 20,
              "NET_STS_BCST_explicit_packet layout");
static_assert(sizeof(SCCB_packet) == 12 && offsetof(SCCB_packet, channels) == 2, "SCCB_packet layout");
static_assert(sizeof(SCCB_EXP_packet) == 12 && offsetof(SCCB_EXP_packet, channel_t) == 4 &&
                  offsetof(SCCB_EXP_packet, reserved_6) == 6 && offsetof(SCCB_EXP_packet, channel_r) == 7 &&
                  offsetof(SCCB_EXP_packet, service_class) == 9,
              "SCCB_EXP_packet layout");
static_assert(sizeof(SYS_SRV_BCST_packet) == 12 && offsetof(SYS_SRV_BCST_packet, available) == 3 &&
                  offsetof(SYS_SRV_BCST_packet, supported) == 6 && offsetof(SYS_SRV_BCST_packet, priority) == 9,
              "SYS_SRV_BCST_packet layout");

}  // namespace P25

namespace {

using namespace P25;

// The system ID whose upper bits a status broadcast's attributes show,
// wherever the broadcast keeps it (its Flags()).
template <class T>
struct GetSet_flags : Access::GetSet_nocopy {
    using record_type = T;
    using value_type = System_ID_only;
    const System_ID_only& Get(const T& r) const { return r.Flags(); }
    void Set(const System_ID_only& v, T& r) const { r.Flags() = v; }
};

// The attributes of table, read from the broadcast's system ID.
template <class T, std::size_t N>
Attrib::Table_entry<T>& On_flags(const Attrib::Attrib_Table<System_ID_only> (&table)[N]) {
    return Get_child(GetSet_flags<T>(), Get_attrib(table));
}

// ---- attribute tables ----------------------------------------------------------------
//
// Views of the upper nibble of a system ID's first octet.

const Attrib::Attrib_Table<System_ID_only> adjacent_flags[] = {
    Get_attrib("network_active", &System_ID_only::Get_network_active, &System_ID_only::Set_network_active),
    Get_attrib("conv_chan", &System_ID_only::Get_conv_channel, &System_ID_only::Set_conv_channel),
    Get_attrib("failure", &System_ID_only::Get_failure, &System_ID_only::Set_failure),
    Get_attrib("valid", &System_ID_only::Get_valid, &System_ID_only::Set_valid),
};

const Attrib::Attrib_Table<System_ID_only> rfss_flags[] = {
    Get_attrib("network_active", &System_ID_only::Get_network_active, &System_ID_only::Set_network_active),
    Get_attrib("roamer", &System_ID_only::Get_roamer, &System_ID_only::Set_roamer),
    Get_attrib("Reserved", &System_ID_only::Get_res2, &System_ID_only::Set_res2),
};

const Attrib::Attrib_Table<System_ID_only> network_flags[] = {
    Get_attrib("Reserved", &System_ID_only::Get_res4, &System_ID_only::Set_res4),
};

Attrib::Attrib_Table<ADJ_STS_BCST_packet> adj_sts_bcst_attr_table[] = {On_flags<ADJ_STS_BCST_packet>(adjacent_flags)};
const Attrib::Attrib_Hash<ADJ_STS_BCST_packet> adj_sts_bcst_attr(adj_sts_bcst_attr_table);

Attrib::Attrib_Table<ADJ_STS_BCST_explicit_packet> adj_sts_bcst_explicit_attr_table[] = {
    On_flags<ADJ_STS_BCST_explicit_packet>(adjacent_flags)};
const Attrib::Attrib_Hash<ADJ_STS_BCST_explicit_packet> adj_sts_bcst_explicit_attr(adj_sts_bcst_explicit_attr_table);

Attrib::Attrib_Table<RFSS_STS_BCST_packet> rfss_sts_bcst_attr_table[] = {On_flags<RFSS_STS_BCST_packet>(rfss_flags)};
const Attrib::Attrib_Hash<RFSS_STS_BCST_packet> rfss_sts_bcst_attr(rfss_sts_bcst_attr_table);

Attrib::Attrib_Table<RFSS_STS_BCST_explicit_packet> rfss_sts_bcst_explicit_attr_table[] = {
    On_flags<RFSS_STS_BCST_explicit_packet>(rfss_flags)};
const Attrib::Attrib_Hash<RFSS_STS_BCST_explicit_packet> rfss_sts_bcst_explicit_attr(rfss_sts_bcst_explicit_attr_table);

Attrib::Attrib_Table<NET_STS_BCST_explicit_packet> net_sts_bcst_explicit_attr_table[] = {
    On_flags<NET_STS_BCST_explicit_packet>(network_flags)};
const Attrib::Attrib_Hash<NET_STS_BCST_explicit_packet> net_sts_bcst_explicit_attr(net_sts_bcst_explicit_attr_table);

// ---- sub-element tables of the shared site records -----------------------------------

Subelement_table<ADJ_STS_BCST_data> site_fields[] = {
    Subelement(&ADJ_STS_BCST_data::lra),            // "LRA"
    Subelement(&ADJ_STS_BCST_data::system),         // "System_ID"
    Subelement(&ADJ_STS_BCST_data::rfss_id, "RF_subsys_ID", "%02X"),
    Subelement(&ADJ_STS_BCST_data::site_id, "Site_ID", "%02X"),
    Subelement(&ADJ_STS_BCST_data::channel),        // "Channel"
    Subelement(&ADJ_STS_BCST_data::service_class),  // "Service_class"
};

Subelement_table<SCCB_data> sccb_data_fields[] = {
    Subelement(&SCCB_data::rfss_id, "RF_subsys_ID", "%02X"),
    Subelement(&SCCB_data::site_id, "Site_ID", "%02X"),
    Subelement(&SCCB_data::channel_1),        // "Channel"
    Subelement(&SCCB_data::service_class_1),  // "Service_class"
    Subelement(&SCCB_data::channel_2),        // "Channel"
    Subelement(&SCCB_data::service_class_2),  // "Service_class"
};

}  // namespace

namespace XML_routines {
template <> const Info<P25::ADJ_STS_BCST_data> Info<P25::ADJ_STS_BCST_data>::info("", site_fields);
template <> const Info<P25::SCCB_data> Info<P25::SCCB_data>::info("", sccb_data_fields);
}  // namespace XML_routines

namespace P25 {

// ---- message fields, in wire order ---------------------------------------------------

static Subelement_table<ADJ_STS_BCST_packet> adj_sts_bcst_fields[] = {
    Subelement(&ADJ_STS_BCST_packet::site),  // "LRA", "System_ID", "RF_subsys_ID", "Site_ID", "Channel", "Service_class"
};

static Subelement_table<RFSS_STS_BCST_packet> rfss_sts_bcst_fields[] = {
    Subelement(&RFSS_STS_BCST_packet::site),  // as the adjacent site's
};

static Subelement_table<ADJ_STS_BCST_explicit_packet> adj_sts_bcst_explicit_fields[] = {
    Subelement(&ADJ_STS_BCST_explicit_packet::rfss_id, "RF_subsys_ID"),
    Subelement(&ADJ_STS_BCST_explicit_packet::site_id, "Site_ID"),
    Subelement(&ADJ_STS_BCST_explicit_packet::channel_t),      // "Channel"
    Subelement(&ADJ_STS_BCST_explicit_packet::channel_r),      // "Channel"
    Subelement(&ADJ_STS_BCST_explicit_packet::service_class),  // "Service_class"
    Subelement_reserved(&ADJ_STS_BCST_explicit_packet::reserved_17),
};

static Subelement_table<RFSS_STS_BCST_explicit_packet> rfss_sts_bcst_explicit_fields[] = {
    Subelement_reserved(&RFSS_STS_BCST_explicit_packet::reserved_8),
    Subelement(&RFSS_STS_BCST_explicit_packet::rfss_id, "RF_subsys_ID"),
    Subelement(&RFSS_STS_BCST_explicit_packet::site_id, "Site_ID"),
    Subelement(&RFSS_STS_BCST_explicit_packet::channel_t),
    Subelement(&RFSS_STS_BCST_explicit_packet::channel_r),
    Subelement(&RFSS_STS_BCST_explicit_packet::service_class),
    Subelement_reserved(&RFSS_STS_BCST_explicit_packet::reserved_19),
};

static Subelement_table<NET_STS_BCST_packet> net_sts_bcst_fields[] = {
    Subelement(&NET_STS_BCST_packet::lra),            // "LRA"
    Subelement(&NET_STS_BCST_packet::system),         // "WACN", "System_ID"
    Subelement(&NET_STS_BCST_packet::channel),        // "Channel"
    Subelement(&NET_STS_BCST_packet::service_class),  // "Service_class"
};

static Subelement_table<NET_STS_BCST_explicit_packet> net_sts_bcst_explicit_fields[] = {
    Subelement_reserved(&NET_STS_BCST_explicit_packet::reserved_8),
    Subelement(&NET_STS_BCST_explicit_packet::wacn),  // "WACN"
    Subelement(&NET_STS_BCST_explicit_packet::channel_t),
    Subelement(&NET_STS_BCST_explicit_packet::channel_r),
    Subelement(&NET_STS_BCST_explicit_packet::service_class),
};

static Subelement_table<SCCB_packet> sccb_fields[] = {
    Subelement(&SCCB_packet::channels),  // "RF_subsys_ID", "Site_ID", then channel and service class twice
};

static Subelement_table<SCCB_EXP_packet> sccb_exp_fields[] = {
    Subelement(&SCCB_EXP_packet::rfss_id, "RF_subsys_ID"),
    Subelement(&SCCB_EXP_packet::site_id, "Site_ID"),
    Subelement(&SCCB_EXP_packet::channel_t),  // "Channel"
    Subelement_reserved(&SCCB_EXP_packet::reserved_6),
    Subelement(&SCCB_EXP_packet::channel_r),  // "Channel"
    Subelement(&SCCB_EXP_packet::service_class),
};

static Subelement_table<SYS_SRV_BCST_packet> sys_srv_bcst_fields[] = {
    Subelement_reserved(&SYS_SRV_BCST_packet::reserved_2),
    Subelement(&SYS_SRV_BCST_packet::available, available_services_info),  // "Available_services"
    Subelement(&SYS_SRV_BCST_packet::supported, supported_services_info),  // "Supported_services"
    Subelement(&SYS_SRV_BCST_packet::priority),                            // "Request_priority"
};

// ---- definitions: name, opcode, [attributes,] fields ---------------------------------------

static const Trunking_handler<ADJ_STS_BCST_packet> adj_sts_bcst("ADJ_STS_BCST", ADJ_STS_BCST, adj_sts_bcst_attr, adj_sts_bcst_fields);
static const Trunking_handler<ADJ_STS_BCST_explicit_packet, SYSID_LRA> adj_sts_bcst_exp("ADJ_STS_BCST", ADJ_STS_BCST, adj_sts_bcst_explicit_attr, adj_sts_bcst_explicit_fields);
static const Trunking_handler<RFSS_STS_BCST_packet> rfss_sts_bcst("RFSS_STS_BCST", RFSS_STS_BCST, rfss_sts_bcst_attr, rfss_sts_bcst_fields);
static const Trunking_handler<RFSS_STS_BCST_explicit_packet, SYSID_LRA> rfss_sts_bcst_exp("RFSS_STS_BCST", RFSS_STS_BCST, rfss_sts_bcst_explicit_attr, rfss_sts_bcst_explicit_fields);
static const Trunking_handler<NET_STS_BCST_packet> net_sts_bcst("NET_STS_BCST", NET_STS_BCST, net_sts_bcst_fields);
static const Trunking_handler<NET_STS_BCST_explicit_packet, SYSID_LRA> net_sts_bcst_exp("NET_STS_BCST", NET_STS_BCST, net_sts_bcst_explicit_attr, net_sts_bcst_explicit_fields);
static const Trunking_handler<SCCB_packet> sccb("SCCB", SCCB, sccb_fields);
static const Trunking_handler<SCCB_EXP_packet> sccb_exp("SCCB_EXP", SCCB_EXP, sccb_exp_fields);
static const Trunking_handler<SYS_SRV_BCST_packet> sys_srv_bcst("SYS_SRV_BCST", SYS_SRV_BCST, sys_srv_bcst_fields);

}  // namespace P25
