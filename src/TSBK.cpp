// Trunking blocks and headers: the elements of the TSBK header and of the
// multi-block headers, the header functions that message handlers use to
// prepare, checksum and check a message, and the error elements that stand
// in for a message that does not fit its definition.
#include <cstring>

#include "crc.h"
#include "shared/P25/P25_message_parts.h"
#include "shared/P25/P25_messages.h"

namespace XML_routines {

// ---- bit fields of the headers ------------------------------------------------

XML_BITFIELD_NAME(last_block);
XML_BITFIELD_NAME(protected_flag);
XML_BITFIELD_NAME(opcode);
XML_BITFIELD_NAME(an);
XML_BITFIELD_NAME(is_osp);
XML_BITFIELD_NAME(format);
XML_BITFIELD_NAME(sap_pad);
XML_BITFIELD_NAME(sap);
XML_BITFIELD_NAME(btf_pad);
XML_BITFIELD_NAME(blocks_to_follow);
XML_BITFIELD_NAME(class_bits);
XML_BITFIELD_NAME(type_bits);
XML_BITFIELD_NAME(status_bits);
XML_BITFIELD_NAME(syn);
XML_BITFIELD_NAME(sequence_number);
XML_BITFIELD_NAME(frag_sequence_number);
XML_BITFIELD_NAME(reserved);

XML_BITFIELD(last_block, P25::P25_TSBK_header, 0, 7, 7);
XML_BITFIELD(protected_flag, P25::P25_TSBK_header, 0, 6, 6);
XML_BITFIELD(opcode, P25::P25_TSBK_header, 0, 5, 0);

XML_BITFIELD(last_block, P25::MultiBlock_common_header, 0, 7, 7);
XML_BITFIELD(an, P25::MultiBlock_common_header, 0, 6, 6);
XML_BITFIELD(is_osp, P25::MultiBlock_common_header, 0, 5, 5);
XML_BITFIELD(format, P25::MultiBlock_common_header, 0, 4, 0);
XML_BITFIELD(sap_pad, P25::MultiBlock_common_header, 1, 7, 6);
XML_BITFIELD(sap, P25::MultiBlock_common_header, 1, 5, 0);
XML_BITFIELD(btf_pad, P25::MultiBlock_common_header, 6, 7, 7);
XML_BITFIELD(blocks_to_follow, P25::MultiBlock_common_header, 6, 6, 0);

XML_BITFIELD(last_block, P25::Response_packet, 0, 7, 7);
XML_BITFIELD(an, P25::Response_packet, 0, 6, 6);
XML_BITFIELD(is_osp, P25::Response_packet, 0, 5, 5);
XML_BITFIELD(class_bits, P25::Response_packet, 1, 7, 6);
XML_BITFIELD(type_bits, P25::Response_packet, 1, 5, 3);
XML_BITFIELD(status_bits, P25::Response_packet, 1, 2, 0);
XML_BITFIELD(btf_pad, P25::Response_packet, 6, 7, 7);
XML_BITFIELD(blocks_to_follow, P25::Response_packet, 6, 6, 0);

XML_BITFIELD(opcode, P25::Opcode, 0, 5, 0);
XML_BITFIELD(reserved, P25::Opcode, 0, 7, 6);

XML_BITFIELD(syn, P25::Confirmed_data_header, 1, 7, 7);
XML_BITFIELD(sequence_number, P25::Confirmed_data_header, 1, 6, 4);
XML_BITFIELD(frag_sequence_number, P25::Confirmed_data_header, 1, 3, 0);

namespace {

// The three octets of a logical link ID at `Offset` of a header, seen as one
// of the address field types: same octets, the address type's element.
template <class Record, class Address, std::size_t Offset>
class Link_as : public Access::GetSet_copy {
    static_assert(sizeof(Address) == sizeof(P25::Local_link_ID), "an address overlays a link ID");
    static_assert(Offset + sizeof(Address) <= sizeof(Record), "the link ID lies inside the header");

public:
    using record_type = Record;
    using value_type = Address;
    Address Get(const Record& r) const {
        Address a{};
        std::memcpy(&a, reinterpret_cast<const unsigned char*>(&r) + Offset, sizeof a);
        return a;
    }
    void Set(const Address& a, Record& r) const {
        std::memcpy(reinterpret_cast<unsigned char*>(&r) + Offset, &a, sizeof a);
    }
};

}  // namespace
}  // namespace XML_routines

namespace P25 {

using XML_routines::GetSet_bf_format;
using XML_routines::GetSet_bf_is_osp;
using XML_routines::GetSet_bf_last_block;
using XML_routines::GetSet_bf_opcode;
using XML_routines::Info_base;
using XML_routines::Sink;
using XML_routines::Tree_sink;
namespace Format = XML_routines::Format;

namespace {

constexpr std::size_t block_octets = sizeof(P25_TSBK_DATA);

// Octets 10-11 of the block: complement of the CRC-16 over octets 0-9.
void Set_header_crc(std::uint8_t* block) {
    const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, block, 10));
    block[10] = static_cast<std::uint8_t>(crc >> 8);
    block[11] = static_cast<std::uint8_t>(crc);
}

// Header CRC, then the packet CRC-32 over blocks 1 onward into the last four
// octets of the last block (only a message of 2 to 128 blocks has one).
void Set_message_crcs(std::uint8_t* blocks, unsigned block_count) {
    Set_header_crc(blocks);
    if (block_count < 2 || block_count > 128) return;
    const std::uint32_t crc = ~crc_32(0, blocks + block_octets, block_octets * block_count - 16);
    std::uint8_t* last = blocks + block_octets * block_count - 4;
    for (int i = 0; i < 4; ++i) last[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

// Common part of the multi-block Setup_message: last block clear, AN kept,
// direction, format, SAP 61 with both pad bits, MFID, full-message flag and
// blocks to follow.
void Setup_common(MultiBlock_common_header& h, std::uint8_t mfid, unsigned format, unsigned block_count,
                  bool outbound) {
    GetSet_bf_last_block<MultiBlock_common_header, bool>().Set(false, h);
    GetSet_bf_is_osp<MultiBlock_common_header, bool>().Set(outbound, h);
    GetSet_bf_format<MultiBlock_common_header, unsigned>().Set(format, h);
    h.pad_sap = 0xC0 | SAP_trunking_control;
    h.MFID = mfid;
    h.full_btf = static_cast<std::uint8_t>(0x80 | ((block_count - 1) & 0x7F));
}

// The multi-block Check_message: block count of the record, header format,
// then the header's own blocks to follow.
bool Check_common(const MultiBlock_common_header& h, unsigned format, const Info_base& info, unsigned expected,
                  unsigned actual, Sink& sink) {
    if (actual != expected) {
        Illegal_blockcount(sink, info, static_cast<int>(actual));
        return true;
    }
    const unsigned header_format = h.Get_format();
    if (header_format != format) {
        Illegal_fmt(sink, info, static_cast<int>(header_format));
        return true;
    }
    const unsigned announced = h.Get_blocks_to_follow() + 1;
    if (announced != expected) {
        Illegal_blockcount(sink, info, static_cast<int>(announced));
        return true;
    }
    return false;
}

const Format::format_info decimal("%d");
const Format::format_info crc_digits("%08X");

// An element whose text is a number.
void Number_element(Sink& sink, const char* name, int value) {
    if (!sink.Start(name)) return;
    Format::Printer& p = sink.Printer();
    p.Reset();
    p.Print(value, decimal);
    sink.Text(p.Data(), p.Length());
    sink.End();
}

// The error element of a tree-building caller.
template <class F>
xmlNode* As_tree(F&& write) {
    Tree_sink sink;
    write(sink);
    return sink.Take();
}

}  // namespace

// ---- header functions ------------------------------------------------------------

void Setup_message(P25_TSBK_header& header, std::uint8_t mfid, std::uint8_t opcode, unsigned, bool) {
    GetSet_bf_opcode<P25_TSBK_header, unsigned>().Set(opcode, header);
    header.MFID = mfid;
}

void Setup_message(Alternate_MBT& header, std::uint8_t mfid, std::uint8_t opcode, unsigned block_count, bool outbound) {
    Setup_common(header.common, mfid, Alternate_MBT_format, block_count, outbound);
    GetSet_bf_opcode<Opcode, unsigned>().Set(opcode, header.mbt.opcode);
}

void Setup_message(Unconfirmed_data_opcode& header, std::uint8_t mfid, std::uint8_t opcode, unsigned block_count,
                   bool outbound) {
    Setup_common(header.common, mfid, Unconfirmed_format, block_count, outbound);
    GetSet_bf_opcode<Opcode, unsigned>().Set(opcode, header.data.opcode);
}

void Set_checksum(P25_TSBK_header* header, unsigned) {
    Set_header_crc(reinterpret_cast<std::uint8_t*>(header));
}

void Set_checksum(Alternate_MBT* header, unsigned block_count) {
    Set_message_crcs(reinterpret_cast<std::uint8_t*>(header), block_count);
}

void Set_checksum(Unconfirmed_data_opcode* header, unsigned block_count) {
    Set_message_crcs(reinterpret_cast<std::uint8_t*>(header), block_count);
}

bool Check_message(const P25_TSBK_header&, const Info_base& info, unsigned expected, unsigned actual, Sink& sink) {
    if (actual == expected) return false;
    Illegal_blockcount(sink, info, static_cast<int>(actual));
    return true;
}

bool Check_message(const Alternate_MBT& header, const Info_base& info, unsigned expected, unsigned actual,
                   Sink& sink) {
    return Check_common(header.common, Alternate_MBT_format, info, expected, actual, sink);
}

bool Check_message(const Unconfirmed_data_opcode& header, const Info_base& info, unsigned expected, unsigned actual,
                   Sink& sink) {
    return Check_common(header.common, Unconfirmed_format, info, expected, actual, sink);
}

xmlNode* Check_message(const P25_TSBK_header& header, const Info_base& info, unsigned expected, unsigned actual) {
    return As_tree([&](Sink& sink) { Check_message(header, info, expected, actual, sink); });
}

xmlNode* Check_message(const Alternate_MBT& header, const Info_base& info, unsigned expected, unsigned actual) {
    return As_tree([&](Sink& sink) { Check_message(header, info, expected, actual, sink); });
}

xmlNode* Check_message(const Unconfirmed_data_opcode& header, const Info_base& info, unsigned expected,
                       unsigned actual) {
    return As_tree([&](Sink& sink) { Check_message(header, info, expected, actual, sink); });
}

void Dump_header(int indent, const P25_TSBK_header*, unsigned opcode, unsigned) {
    XML_routines::indent_printf(indent, "<%s opcode=\"%d\" >\n", "P25_TSBK_header", static_cast<int>(opcode));
}

void Dump_header(int indent, const Alternate_MBT*, unsigned opcode, unsigned block_count) {
    XML_routines::indent_printf(indent, "<%s opcode=\"%d\" blocks_to_follow=\"%d\">\n", "Alternate_MBT_header",
                  static_cast<int>(opcode), static_cast<int>(block_count) - 1);
}

void Dump_header(int indent, const Unconfirmed_data_opcode*, unsigned, unsigned block_count) {
    XML_routines::indent_printf(indent, "<%s blocks_to_follow=\"%d\">\n", "Unconfirmed_data_header",
                                static_cast<int>(block_count) - 1);
}

// ---- error elements --------------------------------------------------------------

void Bad_CRC(Sink& sink, std::uint32_t sent, std::uint32_t computed) {
    if (!sink.Start("DATA_CRC_ERROR")) return;
    Format::Printer& p = sink.Printer();
    p.Reset();
    p.Print(static_cast<unsigned>(sent), crc_digits);
    sink.Attribute("crc_sent", p.c_str());
    p.Reset();
    p.Print(static_cast<unsigned>(computed), crc_digits);
    sink.Attribute("crc_computed", p.c_str());
    sink.End();
}

void Unknown_fmt(Sink& sink, int format) { Number_element(sink, "UNKNOWN_FORMAT", format); }

void Illegal_fmt(Sink& sink, int format) { Number_element(sink, "INVALID_FORMAT", format); }

// The error element inside an element named after the definition.
void Illegal_fmt(Sink& sink, const Info_base& info, int format) {
    if (!sink.Start(info.Tag())) return;
    Illegal_fmt(sink, format);
    sink.End();
}

void Illegal_blockcount(Sink& sink, const Info_base& info, int count) {
    if (!sink.Start(info.Tag())) return;
    Number_element(sink, "Illegal_block_count", count);
    sink.End();
}

xmlNode* Bad_CRC(std::uint32_t sent, std::uint32_t computed) {
    return As_tree([&](Sink& sink) { Bad_CRC(sink, sent, computed); });
}

xmlNode* Unknown_fmt(int format) {
    return As_tree([&](Sink& sink) { Unknown_fmt(sink, format); });
}

xmlNode* Illegal_fmt(int format) {
    return As_tree([&](Sink& sink) { Illegal_fmt(sink, format); });
}

xmlNode* Illegal_fmt(const Info_base& info, int format) {
    return As_tree([&](Sink& sink) { Illegal_fmt(sink, info, format); });
}

xmlNode* Illegal_blockcount(const Info_base& info, int count) {
    return As_tree([&](Sink& sink) { Illegal_blockcount(sink, info, count); });
}

}  // namespace P25

// ---- descriptors -----------------------------------------------------------------

namespace XML_routines {

// Direction of a multi-block header, octet 0 bit 5.
static const Value_entry<bool> header_direction_names[] = {
    {"isp", false},
    {"osp", true},
};
static const Value_hash<bool> direction_hash(header_direction_names);

// The opcode and manufacturer of a TSBK header, noted as given when read.
struct Given_opcode : GetSet_bf_opcode<P25::P25_TSBK_header, unsigned> {
    void Set(const unsigned& v, P25::P25_TSBK_header& h) const {
        GetSet_bf_opcode<P25::P25_TSBK_header, unsigned>::Set(v, h);
        P25::tsbk_header_given.Note(h, true, v);
    }
};
struct Given_mfid : Access::GetSet_member<P25::P25_TSBK_header, std::uint8_t> {
    Given_mfid() : GetSet_member(&P25::P25_TSBK_header::MFID) {}
    void Set(const std::uint8_t& v, P25::P25_TSBK_header& h) const {
        h.MFID = v;
        P25::tsbk_header_given.Note(h, false, v);
    }
    Given_mfid* Clone() const { return new Given_mfid(*this); }
};

// "P25_TSBK_header"
static const Attrib::Attrib_Table<P25::P25_TSBK_header> tsbk_header_table[] = {
    Get_attrib("last_block", Get_Access(GetSet_bf_last_block<P25::P25_TSBK_header, bool>())),
    Get_attrib("protected_flag", Get_Access(GetSet_bf_protected_flag<P25::P25_TSBK_header, bool>())),
    Get_attrib("opcode", Get_Access(Given_opcode())),
    Get_attrib("mfid", Get_Access(Given_mfid(), "%02X")),
};
static const Attrib::Attrib_Hash<P25::P25_TSBK_header> tsbk_header_attr(tsbk_header_table);

// The 7-bit count of blocks to follow, up to 127 as a received header may
// say: a message whose definition has no form of that many blocks is
// refused where its element is read.
template <class Header>
using GetSet_blocks_to_follow = GetSet_bf_blocks_to_follow<Header, unsigned>;

// "Multiblock_header", and the common attributes of every header kind but
// the response.
static const Attrib::Attrib_Table<P25::MultiBlock_common_header> common_table[] = {
    Get_attrib("last_block", Get_Access(GetSet_bf_last_block<P25::MultiBlock_common_header, bool>())),
    Get_attrib("an", Get_Access(GetSet_bf_an<P25::MultiBlock_common_header, bool>())),
    Get_attrib("type", Get_Access(GetSet_bf_is_osp<P25::MultiBlock_common_header, bool>(), direction_hash)),
    Get_attrib("sap", Get_Access(GetSet_bf_sap<P25::MultiBlock_common_header, unsigned>())),
    Get_attrib("sap_pad", Get_Access(GetSet_bf_sap_pad<P25::MultiBlock_common_header, unsigned>())),
    Get_attrib("mfid", &P25::MultiBlock_common_header::MFID, "%02X"),
    Get_attrib("blocks_to_follow", Get_Access(GetSet_blocks_to_follow<P25::MultiBlock_common_header>())),
    Get_attrib("blocks_to_follow_pad", Get_Access(GetSet_bf_btf_pad<P25::MultiBlock_common_header, bool>())),
};
static const Attrib::Attrib_Hash<P25::MultiBlock_common_header> common_attr(common_table);

// "Response"
static const Attrib::Attrib_Table<P25::Response_packet> response_table[] = {
    Get_attrib("last_block", Get_Access(GetSet_bf_last_block<P25::Response_packet, bool>())),
    Get_attrib("an", Get_Access(GetSet_bf_an<P25::Response_packet, bool>())),
    Get_attrib("type", Get_Access(GetSet_bf_is_osp<P25::Response_packet, bool>(), direction_hash)),
    Get_attrib("Response_class", Get_Access(GetSet_bf_class_bits<P25::Response_packet, unsigned>())),
    Get_attrib("Response_type", Get_Access(GetSet_bf_type_bits<P25::Response_packet, unsigned>())),
    Get_attrib("Response_status", Get_Access(GetSet_bf_status_bits<P25::Response_packet, unsigned>())),
    Get_attrib("mfid", &P25::Response_packet::MFID, "%02X"),
    Get_attrib("blocks_to_follow", Get_Access(GetSet_blocks_to_follow<P25::Response_packet>())),
    Get_attrib("blocks_to_follow_pad", Get_Access(GetSet_bf_btf_pad<P25::Response_packet, bool>())),
};
static const Attrib::Attrib_Hash<P25::Response_packet> response_attr(response_table);

static Subelement_table<P25::Response_packet> response_subs[] = {
    Subelement(Link_as<P25::Response_packet, P25::TARGET_ADDRESS, offsetof(P25::Response_packet, l_link_id)>(),
               Subelement<P25::TARGET_ADDRESS>()),
    Subelement(Link_as<P25::Response_packet, P25::SOURCE_ADDRESS, offsetof(P25::Response_packet, source_l_link_id)>(),
               Subelement<P25::SOURCE_ADDRESS>()),
};

// Trunking opcode of the multi-block headers.
static const Attrib::Attrib_Table<P25::Opcode> opcode_table[] = {
    Get_attrib("opcode", Get_Access(GetSet_bf_opcode<P25::Opcode, unsigned>())),
    Get_attrib("Reserved", Get_Access(GetSet_bf_reserved<P25::Opcode, unsigned>())),
};
static const Attrib::Attrib_Hash<P25::Opcode> opcode_attr(opcode_table);

// The opcode octet of an unconfirmed data header: its reserved bits go by
// "opcode_reserved", so that the element never carries "Reserved" twice (the
// data header's octet 8 is "Reserved") and the log stays well-formed.
static const Attrib::Attrib_Table<P25::Opcode> unconfirmed_opcode_table[] = {
    Get_attrib("opcode", Get_Access(GetSet_bf_opcode<P25::Opcode, unsigned>())),
    Get_attrib("opcode_reserved", Get_Access(GetSet_bf_reserved<P25::Opcode, unsigned>())),
};
static const Attrib::Attrib_Hash<P25::Opcode> unconfirmed_opcode_attr(unconfirmed_opcode_table);

static const Attrib::Attrib_Table<P25::Unconfirmed_data_header> unconfirmed_data_table[] = {
    Get_attrib("pad_count", &P25::Unconfirmed_data_header::pad_octet_count),
    Get_attrib("Reserved", &P25::Unconfirmed_data_header::reserved, "%02X"),
    Get_attrib("data_offset", &P25::Unconfirmed_data_header::data_header_offset),
};
static const Attrib::Attrib_Hash<P25::Unconfirmed_data_header> unconfirmed_data_attr(unconfirmed_data_table);

static const Attrib::Attrib_Table<P25::Unconfirmed_data_opcode> unconfirmed_table[] = {
    Get_attrib(common_attr).Of(&P25::Unconfirmed_data_opcode::common),
    Get_attrib(unconfirmed_data_attr)
        .Of(&P25::Unconfirmed_data_header_opcode::header)
        .Of(&P25::Unconfirmed_data_opcode::data),
    Get_attrib(unconfirmed_opcode_attr)
        .Of(&P25::Unconfirmed_data_header_opcode::opcode)
        .Of(&P25::Unconfirmed_data_opcode::data),
};
static const Attrib::Attrib_Hash<P25::Unconfirmed_data_opcode> unconfirmed_attr(unconfirmed_table);

// "Confirmed_header"
static const Attrib::Attrib_Table<P25::Confirmed_data_header> confirmed_data_table[] = {
    Get_attrib("pad_count", &P25::Confirmed_data_header::pad_octet_count),
    Get_attrib("Syn", Get_Access(GetSet_bf_syn<P25::Confirmed_data_header, bool>())),
    Get_attrib("Sequence_number", Get_Access(GetSet_bf_sequence_number<P25::Confirmed_data_header, unsigned>())),
    Get_attrib("Fragment_sequence_number",
               Get_Access(GetSet_bf_frag_sequence_number<P25::Confirmed_data_header, unsigned>())),
    Get_attrib("data_offset", &P25::Confirmed_data_header::data_header_offset),
};
static const Attrib::Attrib_Hash<P25::Confirmed_data_header> confirmed_data_attr(confirmed_data_table);

static const Attrib::Attrib_Table<P25::Confirmed_data_packet> confirmed_table[] = {
    Get_attrib(common_attr).Of(&P25::Confirmed_data_packet::common),
    Get_attrib(confirmed_data_attr).Of(&P25::Confirmed_data_packet::data),
};
static const Attrib::Attrib_Hash<P25::Confirmed_data_packet> confirmed_attr(confirmed_table);

static Subelement_table<P25::Confirmed_data_packet> confirmed_subs[] = {
    Subelement(Link_as<P25::Confirmed_data_packet, P25::TARGET_ADDRESS,
                       offsetof(P25::Confirmed_data_packet, common) +
                           offsetof(P25::MultiBlock_common_header, l_link_id)>(),
               Subelement<P25::TARGET_ADDRESS>()),
};

// "Alternate_MBT_header"
static const Attrib::Attrib_Table<P25::Alternate_MBT> alternate_table[] = {
    Get_attrib(common_attr).Of(&P25::Alternate_MBT::common),
    Get_attrib(opcode_attr).Of(&P25::Alternate_MBT_header::opcode).Of(&P25::Alternate_MBT::mbt),
};
static const Attrib::Attrib_Hash<P25::Alternate_MBT> alternate_attr(alternate_table);

template <>
const Info<P25::P25_TSBK_header> Info<P25::P25_TSBK_header>::info("P25_TSBK_header", tsbk_header_attr);
template <>
const Info<P25::MultiBlock_common_header> Info<P25::MultiBlock_common_header>::info("Multiblock_header", common_attr);
template <>
const Info<P25::Response_packet> Info<P25::Response_packet>::info("Response", response_attr, response_subs);
template <>
const Info<P25::Unconfirmed_data_opcode> Info<P25::Unconfirmed_data_opcode>::info("Unconfirmed_data_header",
                                                                                  unconfirmed_attr);
template <>
const Info<P25::Confirmed_data_packet> Info<P25::Confirmed_data_packet>::info("Confirmed_header", confirmed_attr,
                                                                              confirmed_subs);
template <>
const Info<P25::Alternate_MBT> Info<P25::Alternate_MBT>::info("Alternate_MBT_header", alternate_attr);

}  // namespace XML_routines
