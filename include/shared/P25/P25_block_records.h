// Trunking blocks and headers as records: the 12-octet block every trunking
// message is made of, the single-block TSBK header and the multi-block
// headers, with their layouts checked.
//
// Every record here is a plain array of octets in air order; sub-octet
// fields are reached through the bit-field accessors of the unit that
// describes the records (TSBK.cpp), multi-octet fields are big-endian.
// Nothing here needs the XML side: the air library reads these records too.
#ifndef TESSEL_P25_BLOCK_RECORDS_H
#define TESSEL_P25_BLOCK_RECORDS_H

#include <cstddef>
#include <cstdint>

#include "shared/endian.h"

namespace P25 {

// One 12-octet trunking block, in air order.
struct P25_TSBK_DATA {
    std::uint8_t data[12];
};
static_assert(sizeof(P25_TSBK_DATA) == 12 && alignof(P25_TSBK_DATA) == 1, "a trunking block is 12 octets");

// CRC-16 closing a TSBK or a multi-block header block.
using CRC_short = BE_ushort;

#pragma pack(push, 1)

// Octets 0-1 of a TSBK.
struct P25_TSBK_header {
    std::uint8_t lb_p_opcode;  // bit 7 last block, bit 6 protected, bits 5-0 opcode
    std::uint8_t MFID;

    unsigned Get_opcode() const { return lb_p_opcode & 0x3Fu; }
    bool Get_last_block() const { return (lb_p_opcode & 0x80u) != 0; }
};

// A single-block TSBK.
struct P25_TSBK {
    P25_TSBK_header header;
    std::uint8_t args[8];
    CRC_short crc;
};

// Logical link ID of a multi-block header: the unit the packet is for (or,
// in a response, the unit that answers).
struct Local_link_ID : BE_24bit {};

// Header formats (octet 0 bits 4-0 of a multi-block header block).
enum PDU_formats : std::uint8_t {
    Response_format = 3,
    Unconfirmed_format = 21,
    Confirmed_format = 22,
    Alternate_MBT_format = 23,
};

// Service access point of trunking control messages.
constexpr std::uint8_t SAP_trunking_control = 61;

// Octets 0-6 of the header block of every multi-block PDU.
struct MultiBlock_common_header {
    std::uint8_t lb_an_io_format;  // bit 7 last block, 6 AN, 5 outbound, 4-0 format
    std::uint8_t pad_sap;          // bits 7-6 pad, 5-0 SAP
    std::uint8_t MFID;
    Local_link_ID l_link_id;
    std::uint8_t full_btf;         // bit 7 full message, 6-0 blocks to follow

    unsigned Get_format() const { return lb_an_io_format & 0x1Fu; }
    bool Get_is_osp() const { return (lb_an_io_format & 0x20u) != 0; }
    unsigned Get_blocks_to_follow() const { return full_btf & 0x7Fu; }
};

// Format 3: a response packet header, one block.
struct Response_packet {
    std::uint8_t lb_an_io_format;  // as in the common header
    std::uint8_t response;         // bits 7-6 class, 5-3 type, 2-0 status
    std::uint8_t MFID;
    Local_link_ID l_link_id;       // the unit the response is for
    std::uint8_t full_btf;         // as in the common header
    Local_link_ID source_l_link_id;
    CRC_short crc;
};

// A trunking opcode in a multi-block header.
struct Opcode {
    std::uint8_t res_opcode;  // bits 7-6 reserved, 5-0 opcode
};

// Octets 7-11 of an unconfirmed data header.
struct Unconfirmed_data_header {
    std::uint8_t pad_octet_count;
    std::uint8_t reserved;
    std::uint8_t data_header_offset;
    CRC_short crc;
};

// The same followed by the trunking opcode, the first octet of block 1.
struct Unconfirmed_data_header_opcode {
    Unconfirmed_data_header header;
    Opcode opcode;
};

// Format 21: unconfirmed multi-block trunking header; 13 octets, the last one
// in block 1.
struct Unconfirmed_data_opcode {
    MultiBlock_common_header common;
    Unconfirmed_data_header_opcode data;

    unsigned Get_opcode() const { return data.opcode.res_opcode & 0x3Fu; }
};

// Octets 7-11 of a confirmed data header.
struct Confirmed_data_header {
    std::uint8_t pad_octet_count;
    std::uint8_t syn_ns_fsn;  // bit 7 Syn, 6-4 sequence number, 3-0 fragment sequence number
    std::uint8_t data_header_offset;
    CRC_short crc;
};

// Format 22: confirmed data header block.
struct Confirmed_data_packet {
    MultiBlock_common_header common;
    Confirmed_data_header data;
};

// Octet 7 of an alternate multi-block trunking header; octets 8-9 belong to
// the message.
struct Alternate_MBT_header {
    Opcode opcode;
};

// Format 23: alternate multi-block trunking header.
struct Alternate_MBT {
    MultiBlock_common_header common;
    Alternate_MBT_header mbt;

    unsigned Get_opcode() const { return mbt.opcode.res_opcode & 0x3Fu; }
};

#pragma pack(pop)

static_assert(sizeof(P25_TSBK_header) == 2, "TSBK header");
static_assert(offsetof(P25_TSBK_header, lb_p_opcode) == 0 && offsetof(P25_TSBK_header, MFID) == 1, "TSBK header");
static_assert(sizeof(P25_TSBK) == 12, "TSBK");
static_assert(offsetof(P25_TSBK, header) == 0 && offsetof(P25_TSBK, args) == 2 && offsetof(P25_TSBK, crc) == 10,
              "TSBK");
static_assert(sizeof(Local_link_ID) == 3, "logical link ID");
static_assert(sizeof(MultiBlock_common_header) == 7, "multi-block header");
static_assert(offsetof(MultiBlock_common_header, lb_an_io_format) == 0 &&
                  offsetof(MultiBlock_common_header, pad_sap) == 1 && offsetof(MultiBlock_common_header, MFID) == 2 &&
                  offsetof(MultiBlock_common_header, l_link_id) == 3 &&
                  offsetof(MultiBlock_common_header, full_btf) == 6,
              "multi-block header");
static_assert(sizeof(Response_packet) == 12, "response header");
static_assert(offsetof(Response_packet, lb_an_io_format) == 0 && offsetof(Response_packet, response) == 1 &&
                  offsetof(Response_packet, MFID) == 2 && offsetof(Response_packet, l_link_id) == 3 &&
                  offsetof(Response_packet, full_btf) == 6 && offsetof(Response_packet, source_l_link_id) == 7 &&
                  offsetof(Response_packet, crc) == 10,
              "response header");
static_assert(sizeof(Opcode) == 1, "opcode");
static_assert(sizeof(Unconfirmed_data_header) == 5, "unconfirmed data header");
static_assert(offsetof(Unconfirmed_data_header, pad_octet_count) == 0 &&
                  offsetof(Unconfirmed_data_header, reserved) == 1 &&
                  offsetof(Unconfirmed_data_header, data_header_offset) == 2 &&
                  offsetof(Unconfirmed_data_header, crc) == 3,
              "unconfirmed data header");
static_assert(sizeof(Unconfirmed_data_header_opcode) == 6 && offsetof(Unconfirmed_data_header_opcode, header) == 0 &&
                  offsetof(Unconfirmed_data_header_opcode, opcode) == 5,
              "unconfirmed data header with opcode");
static_assert(sizeof(Unconfirmed_data_opcode) == 13 && offsetof(Unconfirmed_data_opcode, common) == 0 &&
                  offsetof(Unconfirmed_data_opcode, data) == 7,
              "unconfirmed trunking header");
static_assert(sizeof(Confirmed_data_header) == 5, "confirmed data header");
static_assert(offsetof(Confirmed_data_header, pad_octet_count) == 0 &&
                  offsetof(Confirmed_data_header, syn_ns_fsn) == 1 &&
                  offsetof(Confirmed_data_header, data_header_offset) == 2 &&
                  offsetof(Confirmed_data_header, crc) == 3,
              "confirmed data header");
static_assert(sizeof(Confirmed_data_packet) == 12 && offsetof(Confirmed_data_packet, common) == 0 &&
                  offsetof(Confirmed_data_packet, data) == 7,
              "confirmed header");
static_assert(sizeof(Alternate_MBT_header) == 1 && offsetof(Alternate_MBT_header, opcode) == 0, "alternate MBT");
static_assert(sizeof(Alternate_MBT) == 8 && offsetof(Alternate_MBT, common) == 0 && offsetof(Alternate_MBT, mbt) == 7,
              "alternate MBT header");

}  // namespace P25

#endif
