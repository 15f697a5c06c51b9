// Channel identifiers: the control channel broadcasts the frequency plan, one
// identifier (0-15) at a time, each giving the base frequency, channel
// spacing, bandwidth and transmit offset that turn a channel number of that
// identifier into frequencies; a unit may ask for an identifier it lacks.
// The plan comes in three forms: the wide-band form, the VHF/UHF form, and
// the TDMA form of manufacturer 0x90.  Their records, with the frequency
// conversions, are the shared field records of the frequency plan.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Identifier update request (TSBK): octet 2 bit 7 asks for all identifiers,
// bits 6-4 are reserved, bits 3-0 name the one identifier asked for.
struct IDEN_UP_REQ_packet {
    P25_TSBK_header header;
    std::uint8_t request;        // 2
    std::uint8_t reserved_3[4];  // 3-6
    SOURCE_ADDRESS source;       // 7-9
    CRC_short crc;               // 10-11
};

#pragma pack(pop)

static_assert(sizeof(IDEN_UP_REQ_packet) == 12 && offsetof(IDEN_UP_REQ_packet, request) == 2 &&
                  offsetof(IDEN_UP_REQ_packet, reserved_3) == 3 && offsetof(IDEN_UP_REQ_packet, source) == 7,
              "IDEN_UP_REQ_packet layout");

}  // namespace P25

namespace XML_routines {
XML_BITFIELD_NAME(all);
XML_BITFIELD_NAME(ident);

//           field     record                    octet hi lo
XML_BITFIELD(all,      P25::IDEN_UP_REQ_packet,  2, 7, 7);
XML_BITFIELD(ident,    P25::IDEN_UP_REQ_packet,  2, 3, 0);
}  // namespace XML_routines
XML_BITFIELD(reserved, P25::IDEN_UP_REQ_packet,  2, 6, 4);

namespace P25 {

// ---- attribute tables ----------------------------------------------------------------

static Attrib::Attrib_Table<IDEN_UP_REQ_packet> iden_up_req_attr_table[] = {
    Get_attrib("all", Get_Access(GetSet_bf_all<IDEN_UP_REQ_packet, bool>())),
    Get_attrib("reserved", Get_Access(GetSet_bf_reserved<IDEN_UP_REQ_packet, unsigned>())),
    Get_attrib("ident", Get_Access(GetSet_bf_ident<IDEN_UP_REQ_packet, unsigned>())),
};
static const Attrib::Attrib_Hash<IDEN_UP_REQ_packet> iden_up_req_attr(iden_up_req_attr_table);

// ---- message fields, in wire order ---------------------------------------------------

// "Identifier", "Bandwidth", "Channel_spacing", "Transmit_offset", "Base_freq".
static Subelement_table<IDEN_UP_packet> iden_up_fields[] = {
    Subelement<IDEN_UP_packet>(),
};

// The same, the bandwidth as a VHF/UHF code.
static Subelement_table<IDEN_UP_VU_packet> iden_up_vu_fields[] = {
    Subelement<IDEN_UP_VU_packet>(),
};

// The same with a fixed 12.5 kHz bandwidth, then "TDMA_chan_type".
static Subelement_table<IDEN_UP_TDMA_packet> iden_up_tdma_fields[] = {
    Subelement<IDEN_UP_TDMA_packet>(),
};

static Subelement_table<IDEN_UP_REQ_packet> iden_up_req_fields[] = {
    Subelement_reserved(&IDEN_UP_REQ_packet::reserved_3),
    Subelement(&IDEN_UP_REQ_packet::source),  // "Source_address"
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<IDEN_UP_packet> iden_up("IDEN_UP", IDEN_UP, iden_up_fields);
static const Trunking_handler<IDEN_UP_VU_packet> iden_up_vu("IDEN_UP_VU", IDEN_UP_VU, iden_up_vu_fields);
static const Trunking_handler<IDEN_UP_TDMA_packet> iden_up_tdma("IDEN_UP_TDMA", IDEN_UP_TDMA, iden_up_tdma_fields);
static const Trunking_handler<IDEN_UP_REQ_packet> iden_up_req("IDEN_UP_REQ", IDEN_UP_REQ, iden_up_req_attr, iden_up_req_fields);

}  // namespace P25
