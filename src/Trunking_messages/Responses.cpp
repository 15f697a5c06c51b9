// Responses: the system acknowledges a service to a unit (with the unit's
// system or source address when it adds them), a unit acknowledges a
// service, and the system denies a request or queues it, naming the
// service, the reason and what it refers to.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// The acknowledged service and what follows it: octet 0 is the service-type
// octet (bit 7 additional information valid, bit 6 extended addressing);
// octets 1-4 hold a WACN and system ID (extended) or a reserved octet and a
// source address.
struct ACK_RSP_FNE_info {
    using Valid = Field_bits<0, 1, 7, 7>;
    using Ex = Field_bits<0, 1, 6, 6>;

    struct Address {
        std::uint8_t reserved;
        SOURCE_ADDRESS source_address;
    };
    union Source {
        WACN_SysID wacn_id;
        Address address;
    };

    Service_type_aiv service_type;  // 0
    Source source;                  // 1-4

    bool Get_valid() const { return Valid::Get(*this); }
    void Set_valid(bool v) { Valid::Set(*this, v); }
    bool Get_ex() const { return Ex::Get(*this); }
    void Set_ex(bool v) { Ex::Set(*this, v); }
};

// Acknowledgement from the system.
struct ACK_RSP_FNE_packet {
    P25_TSBK_header header;
    ACK_RSP_FNE_info info;  // 2-6
    TARGET_ADDRESS target;  // 7-9
    BE_ushort crc;          // 10-11
};

// Acknowledgement from a unit.
struct ACK_RSP_U_packet {
    P25_TSBK_header header;
    Service_type service_type;   // 2
    std::uint8_t reserved_3[1];  // 3
    TARGET_ADDRESS target;       // 4-6
    SOURCE_ADDRESS source;       // 7-9
    BE_ushort crc;               // 10-11
};

// The same, explicit (two blocks): the target unit with its system.
struct ACK_RSP_U_explicit_packet {
    Alternate_MBT header;         // 0-7, source address in 3-5
    Service_type service_type;    // 8
    WACN_SysID_split1 system;     // 9 and 12-14, around the header CRC
    TARGET_ID target_id;          // 15-17
    std::uint8_t reserved_18[2];  // 18-19
    BE_ulong packet_crc;          // 20-23
};

// Deny and queued responses.
struct DENY_QUE_RSP_packet {
    P25_TSBK_header header;
    Service_additional_info service;  // 2-6
    TARGET_ADDRESS target;            // 7-9
    BE_ushort crc;                    // 10-11
};

#pragma pack(pop)

static_assert(sizeof(ACK_RSP_FNE_info) == 5 && offsetof(ACK_RSP_FNE_info, source) == 1 &&
                  sizeof(ACK_RSP_FNE_info::Source) == 4 && offsetof(ACK_RSP_FNE_info::Address, source_address) == 1,
              "ACK_RSP_FNE_info layout");
static_assert(sizeof(ACK_RSP_FNE_packet) == 12 && offsetof(ACK_RSP_FNE_packet, info) == 2 &&
                  offsetof(ACK_RSP_FNE_packet, target) == 7,
              "ACK_RSP_FNE_packet layout");
static_assert(sizeof(ACK_RSP_U_packet) == 12 && offsetof(ACK_RSP_U_packet, service_type) == 2 &&
                  offsetof(ACK_RSP_U_packet, reserved_3) == 3 && offsetof(ACK_RSP_U_packet, target) == 4 &&
                  offsetof(ACK_RSP_U_packet, source) == 7,
              "ACK_RSP_U_packet layout");
static_assert(sizeof(ACK_RSP_U_explicit_packet) == 24 && offsetof(ACK_RSP_U_explicit_packet, service_type) == 8 &&
                  offsetof(ACK_RSP_U_explicit_packet, system) == 9 &&
                  offsetof(ACK_RSP_U_explicit_packet, target_id) == 15 &&
                  offsetof(ACK_RSP_U_explicit_packet, reserved_18) == 18 &&
                  offsetof(ACK_RSP_U_explicit_packet, packet_crc) == 20,
              "ACK_RSP_U_explicit_packet layout");
static_assert(sizeof(DENY_QUE_RSP_packet) == 12 && offsetof(DENY_QUE_RSP_packet, service) == 2 &&
                  offsetof(DENY_QUE_RSP_packet, target) == 7,
              "DENY_QUE_RSP_packet layout");

}  // namespace P25

XML_DECLARE_INFO(P25::ACK_RSP_FNE_info);  // "Additional_info"

namespace P25 {

using Ack_info = ACK_RSP_FNE_info;
using Ack_flag = Access::GetSet_func<Ack_info, bool, bool, void>;

// ---- attribute tables ----------------------------------------------------------------------

static Attrib::Attrib_Table<Ack_info> ack_info_attr_table[] = {
    Get_attrib("valid", &Ack_info::Get_valid, &Ack_info::Set_valid),
    Get_attrib("ex", &Ack_info::Get_ex, &Ack_info::Set_ex),
};
static const Attrib::Attrib_Hash<Ack_info> ack_info_attr(ack_info_attr_table);

// ---- field and message fields, in wire order ---------------------------------------------------

// The children of "Additional_info" exist only while the information is
// valid, the extended one or the other two as the ex flag says; reading one
// sets both flags.
static Subelement_table<Ack_info> ack_info_fields[] = {
    Subelement(&Ack_info::Source::wacn_id).Of(&Ack_info::source)
        .If(Ack_flag(&Ack_info::Get_ex, &Ack_info::Set_ex), true)
        .If(Ack_flag(&Ack_info::Get_valid, &Ack_info::Set_valid), true),  // "WACN", "System_ID"
    Subelement(&Ack_info::Address::source_address).Of(&Ack_info::Source::address).Of(&Ack_info::source)
        .If(Ack_flag(&Ack_info::Get_ex, &Ack_info::Set_ex), false)
        .If(Ack_flag(&Ack_info::Get_valid, &Ack_info::Set_valid), true),  // "Source_address"
    Subelement_reserved(&Ack_info::Address::reserved).Of(&Ack_info::Source::address).Of(&Ack_info::source)
        .If(Ack_flag(&Ack_info::Get_ex, &Ack_info::Set_ex), false)
        .If(Ack_flag(&Ack_info::Get_valid, &Ack_info::Set_valid), true),
};

static Subelement_table<ACK_RSP_FNE_packet> ack_rsp_fne_fields[] = {
    Subelement(&Ack_info::service_type).Of(&ACK_RSP_FNE_packet::info),  // "Service_type"
    Subelement(&ACK_RSP_FNE_packet::info),                              // "Additional_info"
    Subelement(&ACK_RSP_FNE_packet::target),
};

static Subelement_table<ACK_RSP_U_packet> ack_rsp_u_fields[] = {
    Subelement(&ACK_RSP_U_packet::service_type),
    Subelement_reserved(&ACK_RSP_U_packet::reserved_3),
    Subelement(&ACK_RSP_U_packet::target),
    Subelement(&ACK_RSP_U_packet::source),
};

static Subelement_table<ACK_RSP_U_explicit_packet> ack_rsp_u_explicit_fields[] = {
    Subelement(&ACK_RSP_U_explicit_packet::service_type),
    Subelement(&ACK_RSP_U_explicit_packet::system),  // "WACN", "System_ID"
    Subelement(&ACK_RSP_U_explicit_packet::target_id),
    Subelement_reserved(&ACK_RSP_U_explicit_packet::reserved_18),
};

static Subelement_table<DENY_QUE_RSP_packet> deny_que_rsp_fields[] = {
    Subelement(&DENY_QUE_RSP_packet::service),  // "Service_type", "Reason", "Additional_info"
    Subelement(&DENY_QUE_RSP_packet::target),
};

}  // namespace P25

// ---- field descriptors ---------------------------------------------------------------------------

namespace XML_routines {
// Octets 1-4 as text whatever the flags, so that every bit is shown.
template <> const Info<P25::ACK_RSP_FNE_info> Info<P25::ACK_RSP_FNE_info>::info(
    "Additional_info", P25::ack_info_attr, Get_Access(&P25::ACK_RSP_FNE_info::source, "%02B "), P25::ack_info_fields);
}  // namespace XML_routines

namespace P25 {

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<ACK_RSP_FNE_packet> ack_rsp_fne("ACK_RSP_FNE", ACK_RSP_FNE, ack_rsp_fne_fields);
static const Trunking_handler<ACK_RSP_U_packet> ack_rsp_u("ACK_RSP_U", ACK_RSP_U, ack_rsp_u_fields);
static const Trunking_handler<ACK_RSP_U_explicit_packet, SOURCE_ADDRESS> ack_rsp_u_exp("ACK_RSP_U", ACK_RSP_U, ack_rsp_u_explicit_fields);
static const Trunking_handler<DENY_QUE_RSP_packet> deny_rsp("DENY_RSP", DENY_RSP, deny_que_rsp_fields);
static const Trunking_handler<DENY_QUE_RSP_packet> que_rsp("QUE_RSP", QUE_RSP, deny_que_rsp_fields);

}  // namespace P25
