// Link control that broadcasts the system on a traffic channel, as the
// control channel does with its broadcast TSBKs: time synchronisation,
// system services, secondary control channels, adjacent sites, this site
// (RFSS), the network, and the protection parameters of a unit.
#include "LC_handler.h"

using namespace XML_routines;

namespace P25 {

namespace {

#pragma pack(push, 1)

// Synchronisation broadcast.
struct LC_SYNC_BCAST_packet {
    Link_control_header header;  // 0
    SYNC_BCAST_data sync;        // 1-8
};

// System service broadcast.
struct LC_SYS_SRV_BCST_packet {
    Link_control_header header;  // 0
    std::uint8_t reserved_1[1];  // 1
    Request_priority priority;   // 2
    System_Services available;   // 3-5
    System_Services supported;   // 6-8
};

// Secondary control channel broadcast: two channels with their classes.
struct LC_SCCB_packet {
    Link_control_header header;  // 0
    SCCB_data channels;          // 1-8
};

// Adjacent site and RFSS status broadcasts.
struct LC_ADJ_STS_BCST_packet {
    Link_control_header header;  // 0
    ADJ_STS_BCST_data status;    // 1-8
};

// Network status broadcast.
struct LC_NET_STS_BCST_packet {
    Link_control_header header;          // 0
    std::uint8_t reserved_1[1];          // 1
    WACN_SysID system;                   // 2-5
    CHANNEL channel;                     // 6-7
    System_service_class service_class;  // 8
};

// Protection parameter broadcast.
struct LC_P_PARM_BCST_packet {
    Link_control_header header;  // 0
    std::uint8_t reserved_1[2];  // 1-2
    std::uint8_t algorithm_id;   // 3
    BE_ushort key_id;            // 4-5
    TARGET_ADDRESS target;       // 6-8
};

// Secondary control channel broadcast, explicit.
struct LC_SCCB_EXP_packet {
    Link_control_header header;          // 0
    std::uint8_t rfss_id;                // 1
    std::uint8_t site_id;                // 2
    CHANNEL channel_t;                   // 3-4
    CHANNEL channel_r;                   // 5-6
    System_service_class service_class;  // 7
    std::uint8_t reserved_8[1];          // 8
};

// Adjacent site status broadcast, explicit: octet 8 holds the site's flags.
struct LC_ADJ_STS_BCST_EXP_packet {
    using Conv_channel = Field_bits<8, 1, 7, 7>;
    using Failure = Field_bits<8, 1, 6, 6>;
    using Valid = Field_bits<8, 1, 5, 5>;
    using Network_active = Field_bits<8, 1, 4, 4>;
    using Reserved = Field_bits<8, 1, 3, 0>;

    Link_control_header header;  // 0
    LRA lra;                     // 1
    CHANNEL channel_t;           // 2-3
    std::uint8_t rfss_id;        // 4
    std::uint8_t site_id;        // 5
    CHANNEL channel_r;           // 6-7
    std::uint8_t flags;          // 8

    bool Get_network_active() const { return Network_active::Get(*this); }
    void Set_network_active(bool v) { Network_active::Set(*this, v); }
    bool Get_conv_channel() const { return Conv_channel::Get(*this); }
    void Set_conv_channel(bool v) { Conv_channel::Set(*this, v); }
    bool Get_failure() const { return Failure::Get(*this); }
    void Set_failure(bool v) { Failure::Set(*this, v); }
    bool Get_valid() const { return Valid::Get(*this); }
    void Set_valid(bool v) { Valid::Set(*this, v); }
    unsigned Get_reserved() const { return Reserved::Get(*this); }
    void Set_reserved(unsigned v) { Reserved::Set(*this, v); }
};

// RFSS status broadcast, explicit.
struct LC_RFSS_STS_BCST_EXP_packet {
    Link_control_header header;          // 0
    LRA lra;                             // 1
    CHANNEL channel_t;                   // 2-3
    std::uint8_t rfss_id;                // 4
    std::uint8_t site_id;                // 5
    CHANNEL channel_r;                   // 6-7
    System_service_class service_class;  // 8
};

// Network status broadcast, explicit.
struct LC_NET_STS_BCST_EXP_packet {
    Link_control_header header;  // 0
    WACN_SysID system;           // 1-4
    CHANNEL channel_t;           // 5-6
    CHANNEL channel_r;           // 7-8
};

#pragma pack(pop)

static_assert(sizeof(LC_SYNC_BCAST_packet) == 9 && offsetof(LC_SYNC_BCAST_packet, sync) == 1,
              "LC_SYNC_BCAST_packet layout");
static_assert(sizeof(LC_SYS_SRV_BCST_packet) == 9 && offsetof(LC_SYS_SRV_BCST_packet, priority) == 2 &&
                  offsetof(LC_SYS_SRV_BCST_packet, available) == 3 && offsetof(LC_SYS_SRV_BCST_packet, supported) == 6,
              "LC_SYS_SRV_BCST_packet layout");
static_assert(sizeof(LC_SCCB_packet) == 9 && offsetof(LC_SCCB_packet, channels) == 1, "LC_SCCB_packet layout");
static_assert(sizeof(LC_ADJ_STS_BCST_packet) == 9 && offsetof(LC_ADJ_STS_BCST_packet, status) == 1,
              "LC_ADJ_STS_BCST_packet layout");
static_assert(sizeof(LC_NET_STS_BCST_packet) == 9 && offsetof(LC_NET_STS_BCST_packet, system) == 2 &&
                  offsetof(LC_NET_STS_BCST_packet, channel) == 6 && offsetof(LC_NET_STS_BCST_packet, service_class) == 8,
              "LC_NET_STS_BCST_packet layout");
static_assert(sizeof(LC_P_PARM_BCST_packet) == 9 && offsetof(LC_P_PARM_BCST_packet, algorithm_id) == 3 &&
                  offsetof(LC_P_PARM_BCST_packet, key_id) == 4 && offsetof(LC_P_PARM_BCST_packet, target) == 6,
              "LC_P_PARM_BCST_packet layout");
static_assert(sizeof(LC_SCCB_EXP_packet) == 9 && offsetof(LC_SCCB_EXP_packet, channel_t) == 3 &&
                  offsetof(LC_SCCB_EXP_packet, channel_r) == 5 && offsetof(LC_SCCB_EXP_packet, service_class) == 7 &&
                  offsetof(LC_SCCB_EXP_packet, reserved_8) == 8,
              "LC_SCCB_EXP_packet layout");
static_assert(sizeof(LC_ADJ_STS_BCST_EXP_packet) == 9 && offsetof(LC_ADJ_STS_BCST_EXP_packet, lra) == 1 &&
                  offsetof(LC_ADJ_STS_BCST_EXP_packet, channel_t) == 2 &&
                  offsetof(LC_ADJ_STS_BCST_EXP_packet, rfss_id) == 4 &&
                  offsetof(LC_ADJ_STS_BCST_EXP_packet, site_id) == 5 &&
                  offsetof(LC_ADJ_STS_BCST_EXP_packet, channel_r) == 6 && offsetof(LC_ADJ_STS_BCST_EXP_packet, flags) == 8,
              "LC_ADJ_STS_BCST_EXP_packet layout");
static_assert(sizeof(LC_RFSS_STS_BCST_EXP_packet) == 9 && offsetof(LC_RFSS_STS_BCST_EXP_packet, channel_t) == 2 &&
                  offsetof(LC_RFSS_STS_BCST_EXP_packet, rfss_id) == 4 &&
                  offsetof(LC_RFSS_STS_BCST_EXP_packet, site_id) == 5 &&
                  offsetof(LC_RFSS_STS_BCST_EXP_packet, channel_r) == 6 &&
                  offsetof(LC_RFSS_STS_BCST_EXP_packet, service_class) == 8,
              "LC_RFSS_STS_BCST_EXP_packet layout");
static_assert(sizeof(LC_NET_STS_BCST_EXP_packet) == 9 && offsetof(LC_NET_STS_BCST_EXP_packet, system) == 1 &&
                  offsetof(LC_NET_STS_BCST_EXP_packet, channel_t) == 5 &&
                  offsetof(LC_NET_STS_BCST_EXP_packet, channel_r) == 7,
              "LC_NET_STS_BCST_EXP_packet layout");

// ---- word attributes ------------------------------------------------------------------

// The upper nibble of the status's system ID octet, upper- and lower-case hexadecimal.
Attrib::Attrib_Table<LC_ADJ_STS_BCST_packet> adj_sts_bcst_table[] = {
    Get_attrib("Reserved", &System_ID_only::Get_res4, &System_ID_only::Set_res4, "%1X")
        .Of(&ADJ_STS_BCST_data::system)
        .Of(&LC_ADJ_STS_BCST_packet::status),
};
const Attrib::Attrib_Hash<LC_ADJ_STS_BCST_packet> adj_sts_bcst_attr(adj_sts_bcst_table);

Attrib::Attrib_Table<LC_ADJ_STS_BCST_packet> rfss_sts_bcst_table[] = {
    Get_attrib("Reserved", &System_ID_only::Get_res4, &System_ID_only::Set_res4, "%1x")
        .Of(&ADJ_STS_BCST_data::system)
        .Of(&LC_ADJ_STS_BCST_packet::status),
};
const Attrib::Attrib_Hash<LC_ADJ_STS_BCST_packet> rfss_sts_bcst_attr(rfss_sts_bcst_table);

using Adj_exp = LC_ADJ_STS_BCST_EXP_packet;
Attrib::Attrib_Table<Adj_exp> adj_sts_bcst_exp_table[] = {
    Get_attrib("network_active", &Adj_exp::Get_network_active, &Adj_exp::Set_network_active),
    Get_attrib("conv_chan", &Adj_exp::Get_conv_channel, &Adj_exp::Set_conv_channel),
    Get_attrib("failure", &Adj_exp::Get_failure, &Adj_exp::Set_failure),
    Get_attrib("valid", &Adj_exp::Get_valid, &Adj_exp::Set_valid),
    Get_attrib("reserved", &Adj_exp::Get_reserved, &Adj_exp::Set_reserved, "%1X"),
};
const Attrib::Attrib_Hash<Adj_exp> adj_sts_bcst_exp_attr(adj_sts_bcst_exp_table);

// ---- word fields, in wire order ------------------------------------------------------

Subelement_table<LC_SYNC_BCAST_packet> sync_bcast_fields[] = {
    // "Reserved", "Minute_correction", "Local_offset", "Date", "Time", "Microslots"
    Subelement(&LC_SYNC_BCAST_packet::sync, sync_info),
};

Subelement_table<LC_SYS_SRV_BCST_packet> sys_srv_bcst_fields[] = {
    Subelement_reserved(&LC_SYS_SRV_BCST_packet::reserved_1),
    Subelement(&LC_SYS_SRV_BCST_packet::priority),  // "Request_priority"
    Subelement(&LC_SYS_SRV_BCST_packet::available, available_services_info),
    Subelement(&LC_SYS_SRV_BCST_packet::supported, supported_services_info),
};

Subelement_table<LC_SCCB_packet> sccb_fields[] = {
    Subelement(&LC_SCCB_packet::channels),  // "RF_subsys_ID", "Site_ID", then channel and service class twice
};

Subelement_table<LC_ADJ_STS_BCST_packet> adj_sts_bcst_fields[] = {
    // "LRA", "System_ID", "RF_subsys_ID", "Site_ID", "Channel", "Service_class"
    Subelement(&LC_ADJ_STS_BCST_packet::status),
};

Subelement_table<LC_NET_STS_BCST_packet> net_sts_bcst_fields[] = {
    Subelement_reserved(&LC_NET_STS_BCST_packet::reserved_1),
    Subelement(&LC_NET_STS_BCST_packet::system),  // "WACN", "System_ID"
    Subelement(&LC_NET_STS_BCST_packet::channel),
    Subelement(&LC_NET_STS_BCST_packet::service_class),
};

Subelement_table<LC_P_PARM_BCST_packet> p_parm_bcst_fields[] = {
    Subelement_reserved(&LC_P_PARM_BCST_packet::reserved_1),
    Subelement(&LC_P_PARM_BCST_packet::algorithm_id, "Algorithm_ID", "%02X"),
    Subelement(&LC_P_PARM_BCST_packet::key_id, "Key_ID", "%04X"),
    Subelement(&LC_P_PARM_BCST_packet::target),  // "Target_address"
};

Subelement_table<LC_SCCB_EXP_packet> sccb_exp_fields[] = {
    Subelement(&LC_SCCB_EXP_packet::rfss_id, "RF_subsys_ID", "%02X"),
    Subelement(&LC_SCCB_EXP_packet::site_id, "Site_ID", "%02X"),
    Subelement(&LC_SCCB_EXP_packet::channel_t),
    Subelement(&LC_SCCB_EXP_packet::channel_r),
    Subelement(&LC_SCCB_EXP_packet::service_class),
    Subelement_reserved(&LC_SCCB_EXP_packet::reserved_8),
};

Subelement_table<Adj_exp> adj_sts_bcst_exp_fields[] = {
    Subelement(&Adj_exp::lra),
    Subelement(&Adj_exp::channel_t),
    Subelement(&Adj_exp::rfss_id, "RF_subsys_ID", "%02X"),
    Subelement(&Adj_exp::site_id, "Site_ID", "%02X"),
    Subelement(&Adj_exp::channel_r),
};

Subelement_table<LC_RFSS_STS_BCST_EXP_packet> rfss_sts_bcst_exp_fields[] = {
    Subelement(&LC_RFSS_STS_BCST_EXP_packet::lra),
    Subelement(&LC_RFSS_STS_BCST_EXP_packet::channel_t),
    Subelement(&LC_RFSS_STS_BCST_EXP_packet::rfss_id, "RF_subsys_ID", "%02X"),
    Subelement(&LC_RFSS_STS_BCST_EXP_packet::site_id, "Site_ID", "%02X"),
    Subelement(&LC_RFSS_STS_BCST_EXP_packet::channel_r),
    Subelement(&LC_RFSS_STS_BCST_EXP_packet::service_class),
};

Subelement_table<LC_NET_STS_BCST_EXP_packet> net_sts_bcst_exp_fields[] = {
    Subelement(&LC_NET_STS_BCST_EXP_packet::system),
    Subelement(&LC_NET_STS_BCST_EXP_packet::channel_t),
    Subelement(&LC_NET_STS_BCST_EXP_packet::channel_r),
};

// ---- definitions: name, opcode, (attributes,) fields ------------------------------------------

const LC_handler<LC_SYNC_BCAST_packet> lc_sync_bcast("LC_SYNC_BCAST", LC_SYNC_BCAST, sync_bcast_fields);
const LC_handler<LC_SYS_SRV_BCST_packet> lc_sys_srv_bcst("LC_SYS_SRV_BCST", LC_SYS_SRV_BCST, sys_srv_bcst_fields);
const LC_handler<LC_SCCB_packet> lc_sccb("LC_SCCB", LC_SCCB, sccb_fields);
const LC_handler<LC_ADJ_STS_BCST_packet> lc_adj_sts_bcst("LC_ADJ_STS_BCST", LC_ADJ_STS_BCST, adj_sts_bcst_attr, adj_sts_bcst_fields);
const LC_handler<LC_ADJ_STS_BCST_packet> lc_rfss_sts_bcst("LC_RFSS_STS_BCST", LC_RFSS_STS_BCST, rfss_sts_bcst_attr, adj_sts_bcst_fields);
const LC_handler<LC_NET_STS_BCST_packet> lc_net_sts_bcst("LC_NET_STS_BCST", LC_NET_STS_BCST, net_sts_bcst_fields);
const LC_handler<LC_P_PARM_BCST_packet> lc_p_parm_bcst("LC_P_PARM_BCST", LC_P_PARM_BCST, p_parm_bcst_fields);
const LC_handler<LC_SCCB_EXP_packet> lc_sccb_exp("LC_SCCB_EXP", LC_SCCB_EXP, sccb_exp_fields);
const LC_handler<Adj_exp> lc_adj_sts_bcst_exp("LC_ADJ_STS_BCST_EXP", LC_ADJ_STS_BCST_EXP, adj_sts_bcst_exp_attr, adj_sts_bcst_exp_fields);
const LC_handler<LC_RFSS_STS_BCST_EXP_packet> lc_rfss_sts_bcst_exp("LC_RFSS_STS_BCST_EXP", LC_RFSS_STS_BCST_EXP, rfss_sts_bcst_exp_fields);
const LC_handler<LC_NET_STS_BCST_EXP_packet> lc_net_sts_bcst_exp("LC_NET_STS_BCST_EXP", LC_NET_STS_BCST_EXP, net_sts_bcst_exp_fields);

}  // namespace

}  // namespace P25
