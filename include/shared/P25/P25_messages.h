// Trunking blocks and headers as the log describes them: the parse state of
// a TSBK header read from a document, the header functions every trunking
// message begins with, and the error elements that stand for a message the
// blocks do not hold.  The records themselves are in P25_block_records.h.
#ifndef TESSEL_P25_MESSAGES_H
#define TESSEL_P25_MESSAGES_H

#include <string>

#include "shared/P25/P25_block_records.h"
#include "shared/XML/XML_info.h"

namespace P25 {

// The opcode and manufacturer an input document wrote in a TSBK header, as
// the header is read (a message completes what the header leaves out): a
// message whose definition contradicts them is refused, not written over
// them.  One header is read at a time.
struct Header_fields_given {
    const P25_TSBK_header* header = nullptr;
    int line = 0;
    bool opcode = false, mfid = false;
    unsigned opcode_value = 0, mfid_value = 0;
    std::string message;  // the tag of the message element that followed
    // A value written into header h: notes it for h alone.
    void Note(const P25_TSBK_header& h, bool is_opcode, unsigned value) {
        if (header != &h) {
            const int at = line;
            *this = Header_fields_given();
            line = at;
            header = &h;
        }
        (is_opcode ? opcode : mfid) = true;
        (is_opcode ? opcode_value : mfid_value) = value;
    }
};
extern Header_fields_given tsbk_header_given;

// ---- header functions ------------------------------------------------------------
//
// One overload per header a trunking message begins with.  The header is the
// start of the message's blocks: Set_checksum writes beyond it, into octets
// 10-11 of block 0 and (multi-block) the last four octets of the last block.

// Prepares block 0 before the message fields are read into it: opcode and
// MFID; for multi-block headers also format, direction, SAP 61 and blocks to
// follow.
void Setup_message(P25_TSBK_header& header, std::uint8_t mfid, std::uint8_t opcode, unsigned block_count,
                   bool outbound);
void Setup_message(Alternate_MBT& header, std::uint8_t mfid, std::uint8_t opcode, unsigned block_count, bool outbound);
void Setup_message(Unconfirmed_data_opcode& header, std::uint8_t mfid, std::uint8_t opcode, unsigned block_count,
                   bool outbound);

// Fills the header CRC-16 and, for 2 to 128 blocks, the packet CRC-32.
void Set_checksum(P25_TSBK_header* header, unsigned block_count);
void Set_checksum(Alternate_MBT* header, unsigned block_count);
void Set_checksum(Unconfirmed_data_opcode* header, unsigned block_count);

// Null when a logged message fits its definition (expected block count),
// else the error element that replaces it.
xmlNode* Check_message(const P25_TSBK_header& header, const XML_routines::Info_base& info, unsigned expected,
                       unsigned actual);
xmlNode* Check_message(const Alternate_MBT& header, const XML_routines::Info_base& info, unsigned expected,
                       unsigned actual);
xmlNode* Check_message(const Unconfirmed_data_opcode& header, const XML_routines::Info_base& info, unsigned expected,
                       unsigned actual);

// The same check writing the error element to a sink: true when it did.
bool Check_message(const P25_TSBK_header& header, const XML_routines::Info_base& info, unsigned expected,
                   unsigned actual, XML_routines::Sink& sink);
bool Check_message(const Alternate_MBT& header, const XML_routines::Info_base& info, unsigned expected,
                   unsigned actual, XML_routines::Sink& sink);
bool Check_message(const Unconfirmed_data_opcode& header, const XML_routines::Info_base& info, unsigned expected,
                   unsigned actual, XML_routines::Sink& sink);

// One grammar-dump line naming the header; the header itself may be null.
void Dump_header(int indent, const P25_TSBK_header* header, unsigned opcode, unsigned block_count);
void Dump_header(int indent, const Alternate_MBT* header, unsigned opcode, unsigned block_count);
void Dump_header(int indent, const Unconfirmed_data_opcode* header, unsigned opcode, unsigned block_count);

// ---- error elements (null when libxml2 cannot make the node) --------------------

// <DATA_CRC_ERROR crc_sent="%08X" crc_computed="%08X"/>
xmlNode* Bad_CRC(std::uint32_t sent, std::uint32_t computed);
// <UNKNOWN_FORMAT>format</UNKNOWN_FORMAT>
xmlNode* Unknown_fmt(int format);
// <INVALID_FORMAT>format</INVALID_FORMAT>
xmlNode* Illegal_fmt(int format);
// <Message><INVALID_FORMAT>format</INVALID_FORMAT></Message>
xmlNode* Illegal_fmt(const XML_routines::Info_base& info, int format);
// <Message><Illegal_block_count>count</Illegal_block_count></Message>
xmlNode* Illegal_blockcount(const XML_routines::Info_base& info, int count);

// The parse state of an error element read back: its attributes, text and
// children taken and passed over (it records what was heard).
XML_routines::Instance_base* Pass_over(XML_routines::Input_data& input, const xmlChar* tag);

// The same error elements written to a sink.
void Bad_CRC(XML_routines::Sink& sink, std::uint32_t sent, std::uint32_t computed);
void Unknown_fmt(XML_routines::Sink& sink, int format);
void Illegal_fmt(XML_routines::Sink& sink, int format);
void Illegal_fmt(XML_routines::Sink& sink, const XML_routines::Info_base& info, int format);
void Illegal_blockcount(XML_routines::Sink& sink, const XML_routines::Info_base& info, int count);

}  // namespace P25

// Canonical descriptors: "P25_TSBK_header", "Multiblock_header", "Response",
// "Unconfirmed_data_header", "Confirmed_header", "Alternate_MBT_header".
XML_DECLARE_INFO(P25::P25_TSBK_header);
XML_DECLARE_INFO(P25::MultiBlock_common_header);
XML_DECLARE_INFO(P25::Response_packet);
XML_DECLARE_INFO(P25::Unconfirmed_data_opcode);
XML_DECLARE_INFO(P25::Confirmed_data_packet);
XML_DECLARE_INFO(P25::Alternate_MBT);

#endif
