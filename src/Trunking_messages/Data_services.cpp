// Packet data (SNDCP): a unit asks for a data channel, is paged when the
// network has data for it, asks to be kept reconnected, and is granted or
// told about the data channels; the access control value ties the request,
// the page and the grant to one data context.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// How units may use an announced data channel: bit 7 autonomous access,
// bit 6 requested access, bits 5-0 reserved.
struct Data_service_flags {
    std::uint8_t octet;
};

// Bit 7: the unit has data to send; bits 6-0 reserved.
struct SN_DATA_SEND {
    std::uint8_t octet;
};

// Data channel grant: transmit and receive channels.
struct SN_DATA_CHN_GNT_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    CHANNEL channel_t;                // 3-4
    CHANNEL channel_r;                // 5-6
    TARGET_ADDRESS target;            // 7-9
    BE_ushort crc;                    // 10-11
};

// Data channel announcement, explicit.
struct SN_DATA_CHN_ANN_EXP_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    Data_service_flags flags;         // 3
    CHANNEL channel_t;                // 4-5
    CHANNEL channel_r;                // 6-7
    BE_ushort access_control;         // 8-9
    BE_ushort crc;                    // 10-11
};

// Data channel request.
struct SN_DATA_CHN_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    BE_ushort access_control;         // 3-4
    std::uint8_t reserved_5[2];       // 5-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// Data page: the network has data for the unit.
struct SN_DATA_PAGE_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[2];       // 3-4
    BE_ushort access_control;         // 5-6
    TARGET_ADDRESS target;            // 7-9
    BE_ushort crc;                    // 10-11
};

// The unit's answer to a data page.
struct SN_DATA_PAGE_RES_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    ANSWER_RESP answer;               // 3
    BE_ushort access_control;         // 4-5
    std::uint8_t reserved_6[1];       // 6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// Reconnect request.
struct SN_REC_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    BE_ushort access_control;         // 3-4
    SN_DATA_SEND data_to_send;        // 5
    std::uint8_t reserved_6[1];       // 6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

#pragma pack(pop)

static_assert(sizeof(Data_service_flags) == 1 && sizeof(SN_DATA_SEND) == 1, "one-octet data fields");
static_assert(sizeof(SN_DATA_CHN_GNT_packet) == 12 && offsetof(SN_DATA_CHN_GNT_packet, channel_t) == 3 &&
                  offsetof(SN_DATA_CHN_GNT_packet, channel_r) == 5 && offsetof(SN_DATA_CHN_GNT_packet, target) == 7,
              "SN_DATA_CHN_GNT_packet layout");
static_assert(sizeof(SN_DATA_CHN_ANN_EXP_packet) == 12 && offsetof(SN_DATA_CHN_ANN_EXP_packet, flags) == 3 &&
                  offsetof(SN_DATA_CHN_ANN_EXP_packet, channel_t) == 4 &&
                  offsetof(SN_DATA_CHN_ANN_EXP_packet, channel_r) == 6 &&
                  offsetof(SN_DATA_CHN_ANN_EXP_packet, access_control) == 8,
              "SN_DATA_CHN_ANN_EXP_packet layout");
static_assert(sizeof(SN_DATA_CHN_REQ_packet) == 12 && offsetof(SN_DATA_CHN_REQ_packet, access_control) == 3 &&
                  offsetof(SN_DATA_CHN_REQ_packet, reserved_5) == 5 && offsetof(SN_DATA_CHN_REQ_packet, source) == 7,
              "SN_DATA_CHN_REQ_packet layout");
static_assert(sizeof(SN_DATA_PAGE_REQ_packet) == 12 && offsetof(SN_DATA_PAGE_REQ_packet, reserved_3) == 3 &&
                  offsetof(SN_DATA_PAGE_REQ_packet, access_control) == 5 &&
                  offsetof(SN_DATA_PAGE_REQ_packet, target) == 7,
              "SN_DATA_PAGE_REQ_packet layout");
static_assert(sizeof(SN_DATA_PAGE_RES_packet) == 12 && offsetof(SN_DATA_PAGE_RES_packet, answer) == 3 &&
                  offsetof(SN_DATA_PAGE_RES_packet, access_control) == 4 &&
                  offsetof(SN_DATA_PAGE_RES_packet, reserved_6) == 6 && offsetof(SN_DATA_PAGE_RES_packet, source) == 7,
              "SN_DATA_PAGE_RES_packet layout");
static_assert(sizeof(SN_REC_REQ_packet) == 12 && offsetof(SN_REC_REQ_packet, access_control) == 3 &&
                  offsetof(SN_REC_REQ_packet, data_to_send) == 5 && offsetof(SN_REC_REQ_packet, reserved_6) == 6 &&
                  offsetof(SN_REC_REQ_packet, source) == 7,
              "SN_REC_REQ_packet layout");

}  // namespace P25

namespace XML_routines {
XML_BITFIELD_NAME(autonomous_access);
XML_BITFIELD_NAME(requested_access);
XML_BITFIELD_NAME(data_to_send);
//           field              record                   octet hi lo
XML_BITFIELD(autonomous_access, P25::Data_service_flags, 0, 7, 7);
XML_BITFIELD(requested_access,  P25::Data_service_flags, 0, 6, 6);
XML_BITFIELD(data_to_send,      P25::SN_DATA_SEND,       0, 7, 7);
}  // namespace XML_routines
XML_BITFIELD(reserved, P25::Data_service_flags, 0, 5, 0);
XML_BITFIELD(reserved, P25::SN_DATA_SEND,       0, 6, 0);

XML_DECLARE_INFO(P25::Data_service_flags);  // anonymous: "Reserved", "Autonomous_access", "Requested_access"
XML_DECLARE_INFO(P25::SN_DATA_SEND);        // "Data_to_send"

namespace P25 {

// ---- attribute tables ----------------------------------------------------------------------

static Attrib::Attrib_Table<SN_DATA_SEND> sn_data_send_attr_table[] = {
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<SN_DATA_SEND, unsigned>(), "%02X")),
};
static const Attrib::Attrib_Hash<SN_DATA_SEND> sn_data_send_attr(sn_data_send_attr_table);

// ---- field and message fields, in wire order ---------------------------------------------------

static Subelement_table<Data_service_flags> data_service_flags_fields[] = {
    Subelement(GetSet_bf_reserved<Data_service_flags, unsigned>(), "Reserved", "%02X"),
    Subelement(GetSet_bf_autonomous_access<Data_service_flags, bool>(), "Autonomous_access"),
    Subelement(GetSet_bf_requested_access<Data_service_flags, bool>(), "Requested_access"),
};

static Subelement_table<SN_DATA_CHN_GNT_packet> sn_data_chn_gnt_fields[] = {
    Subelement(&SN_DATA_CHN_GNT_packet::service_options),
    Subelement(&SN_DATA_CHN_GNT_packet::channel_t),
    Subelement(&SN_DATA_CHN_GNT_packet::channel_r),
    Subelement(&SN_DATA_CHN_GNT_packet::target),
};

static Subelement_table<SN_DATA_CHN_ANN_EXP_packet> sn_data_chn_ann_exp_fields[] = {
    Subelement(&SN_DATA_CHN_ANN_EXP_packet::service_options),
    Subelement(&SN_DATA_CHN_ANN_EXP_packet::flags),  // "Reserved", "Autonomous_access", "Requested_access"
    Subelement(&SN_DATA_CHN_ANN_EXP_packet::channel_t),
    Subelement(&SN_DATA_CHN_ANN_EXP_packet::channel_r),
    Subelement(&SN_DATA_CHN_ANN_EXP_packet::access_control, "Access_control"),
};

static Subelement_table<SN_DATA_CHN_REQ_packet> sn_data_chn_req_fields[] = {
    Subelement(&SN_DATA_CHN_REQ_packet::service_options),
    Subelement(&SN_DATA_CHN_REQ_packet::access_control, "Access_control", "%04X"),
    Subelement_reserved(&SN_DATA_CHN_REQ_packet::reserved_5),
    Subelement(&SN_DATA_CHN_REQ_packet::source),
};

static Subelement_table<SN_DATA_PAGE_REQ_packet> sn_data_page_req_fields[] = {
    Subelement(&SN_DATA_PAGE_REQ_packet::service_options),
    Subelement_reserved(&SN_DATA_PAGE_REQ_packet::reserved_3),
    Subelement(&SN_DATA_PAGE_REQ_packet::access_control, "Access_control", "%04X"),
    Subelement(&SN_DATA_PAGE_REQ_packet::target),
};

static Subelement_table<SN_DATA_PAGE_RES_packet> sn_data_page_res_fields[] = {
    Subelement(&SN_DATA_PAGE_RES_packet::service_options),
    Subelement(&SN_DATA_PAGE_RES_packet::answer),
    Subelement(&SN_DATA_PAGE_RES_packet::access_control, "Access_control", "%04X"),
    Subelement_reserved(&SN_DATA_PAGE_RES_packet::reserved_6),
    Subelement(&SN_DATA_PAGE_RES_packet::source),
};

static Subelement_table<SN_REC_REQ_packet> sn_rec_req_fields[] = {
    Subelement(&SN_REC_REQ_packet::service_options),
    Subelement(&SN_REC_REQ_packet::access_control, "Access_control", "%04X"),
    Subelement(&SN_REC_REQ_packet::data_to_send),  // "Data_to_send"
    Subelement_reserved(&SN_REC_REQ_packet::reserved_6),
    Subelement(&SN_REC_REQ_packet::source),
};

}  // namespace P25

// ---- field descriptors ---------------------------------------------------------------------------

namespace XML_routines {
template <> const Info<P25::Data_service_flags> Info<P25::Data_service_flags>::info("", P25::data_service_flags_fields);
template <> const Info<P25::SN_DATA_SEND> Info<P25::SN_DATA_SEND>::info(
    "Data_to_send", P25::sn_data_send_attr, Get_Access(GetSet_bf_data_to_send<P25::SN_DATA_SEND, bool>()));
}  // namespace XML_routines

namespace P25 {

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<SN_DATA_CHN_GNT_packet> sn_data_chn_gnt("SN_DATA_CHN_GNT", SN_DATA_CHN_GNT, sn_data_chn_gnt_fields);
static const Trunking_handler<SN_DATA_CHN_ANN_EXP_packet> sn_data_chn_ann_exp("SN_DATA_CHN_ANN_EXP", SN_DATA_CHN_ANN_EXP, sn_data_chn_ann_exp_fields);
static const Trunking_handler<SN_DATA_CHN_REQ_packet> sn_data_chn_req("SN_DATA_CHN_REQ", SN_DATA_CHN_REQ, sn_data_chn_req_fields);
static const Trunking_handler<SN_DATA_PAGE_RES_packet> sn_data_page_res("SN_DATA_PAGE_RES", SN_DATA_PAGE_RES, sn_data_page_res_fields);
static const Trunking_handler<SN_REC_REQ_packet> sn_rec_req("SN_REC_REQ", SN_REC_REQ, sn_rec_req_fields);
static const Trunking_handler<SN_DATA_PAGE_REQ_packet> sn_data_page_req("SN_DATA_PAGE_REQ", SN_DATA_PAGE_REQ, sn_data_page_req_fields);

}  // namespace P25
