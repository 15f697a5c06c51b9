// "/P25_log_data/Trunking_message": one trunking message with its source.
//
// Logging decodes the raw blocks: the header child, then (through the
// registry) the link ID of a multi-block form and the message element, or
// an error element.  Reading builds the raw blocks back: the header child
// sets the data unit, the message element is parsed by its definition's
// handler, and the CRCs are filled when the message element ends.
#include <cstdio>
#include <cstring>
#include <string>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

using namespace XML_routines;

namespace P25 {

Header_fields_given tsbk_header_given;

Trunking_data::operator TSBK_PDU_data() const {
    TSBK_PDU_data record;
    std::memset(&record, 0, sizeof record);
    record.header.metadata = metadata;
    record.header.nid.nac = nac;
    record.header.nid.duid = duid;
    std::memcpy(record.tsbk, tsbk, sizeof tsbk);
    record.block_count = block_count;
    return record;
}

namespace {

// Multi-block header formats.
enum Header_format : unsigned {
    Response_format = 3,
    Unconfirmed_format = 21,
    Confirmed_format = 22,
    Alternate_format = 23,
};

const MultiBlock_common_header& Common_header(const Trunking_data& r) {
    return *reinterpret_cast<const MultiBlock_common_header*>(r.tsbk[0].data);
}

// The header child of a logged multi-block message; sets the opcode and
// manufacturer the header carries (no opcode: -1).
void Write_pdu_header(const Trunking_data& r, int& opcode, std::uint8_t& mfid, Sink& sink) {
    const std::uint8_t* b = r.tsbk[0].data;
    switch (b[0] & 0x1F) {
    case Unconfirmed_format:
        opcode = b[12] & 0x3F;
        mfid = b[2];
        return XML_Write<Unconfirmed_data_opcode>(r, sink);
    case Response_format:
        mfid = b[2];
        return XML_Write<Response_packet>(r, sink);
    case Confirmed_format:
        mfid = b[2];
        return XML_Write<Confirmed_data_packet>(r, sink);
    case Alternate_format:
        opcode = b[7] & 0x3F;
        mfid = b[2];
        return XML_Write<Alternate_MBT>(r, sink);
    default: {
        // The common header, with the unknown format as its child.
        const Info<MultiBlock_common_header>& info = Info<MultiBlock_common_header>::info;
        if (!sink.Start(info.Name())) return;
        if (const auto* attributes = info.Attributes()) attributes->Log(sink, Common_header(r), sink.Printer());
        Unknown_fmt(sink, b[0] & 0x1F);
        sink.End();
        return;
    }
    }
}

// The elements the log writes in place of a message it could not decode
// (a bad CRC, a header of an unknown format and its format, a block count
// the definition does not take): records of what was heard, whose blocks
// the data unit logged before them holds.
bool Is_error_element(const xmlChar* tag) {
    static const char* const tags[] = {"DATA_CRC_ERROR", "UNKNOWN_FORMAT", "INVALID_FORMAT", "Illegal_block_count",
                                       "Multiblock_header"};
    for (const char* t : tags)
        if (std::strcmp(From_xml(tag), t) == 0) return true;
    return false;
}

// What an error element holds (its attributes, any children) says what was
// heard and gives nothing to read back: taken and passed over.
class Passed_over : public Instance_base {
public:
    Passed_over(Input_data& input, const xmlChar* tag) : Instance_base(input), tag_(From_xml(tag)) {}
    Instance_base* Get_subinstance(const xmlChar* tag) const override { return new Passed_over(input_, tag); }
    bool Attribute(const xmlChar*, Format::Scanner& scanner) override { return Take(scanner); }
    bool Text(Format::Scanner& scanner) override { return Take(scanner); }
    bool Finalize() override { return true; }
    bool Commit() override { return true; }
    const char* Name() const override { return tag_.c_str(); }

private:
    static bool Take(Format::Scanner& scanner) {
        scanner.Reset(std::strlen(scanner.Text()));
        return true;
    }
    std::string tag_;
};

}  // namespace

Instance_base* Pass_over(Input_data& input, const xmlChar* tag) { return new Passed_over(input, tag); }

namespace {

// An error element in place of a message or of its fields: noted, and the
// message, which has no blocks of its own, is neither logged nor handed on
// (a log read back is read from its data units).
Instance_base* Undecoded(const xmlChar* tag, Trunking_data& r, Input_data& input) {
    input.Error_handler("records a message that was not decoded: nothing of it is read back",
                        Input_data::note_severity, nullptr);
    r.block_count = 0;
    return new Passed_over(input, tag);
}

// A message element whose definition has no form of the block count its
// header gives.  The log writes such a message with an error element in
// place of its fields ("Illegal_block_count"): that is noted as an error
// element; anything else in it is refused as the bad block count it is.
class Undecoded_message : public Instance_base {
public:
    Undecoded_message(Input_data& input, const xmlChar* tag, Trunking_data& r)
        : Instance_base(input), tag_(From_xml(tag)), record_(r), count_(r.block_count) {}
    Instance_base* Get_subinstance(const xmlChar* child) const override {
        if (Is_error_element(child)) {
            noted_ = true;
            return Undecoded(child, record_, input_);
        }
        if (!reported_) {
            const char* element = input_.element;
            input_.element = tag_.c_str();
            input_.Error("Bad block count %u", count_);
            input_.element = element;
        }
        reported_ = true;
        return nullptr;
    }
    bool Attribute(const xmlChar*, Format::Scanner&) override { return Bad_count(); }
    bool Text(Format::Scanner&) override { return Bad_count(); }
    bool Finalize() override { return noted_ || Bad_count(); }
    bool Commit() override { return true; }
    const char* Name() const override { return tag_.c_str(); }

private:
    bool Bad_count() const {
        if (!reported_) input_.Error("Bad block count %u", count_);
        reported_ = true;
        return false;
    }
    std::string tag_;
    Trunking_data& record_;
    unsigned count_;
    mutable bool reported_ = false;
    mutable bool noted_ = false;  // its fields were an error element
};

// A child of "Trunking_message" that is not a header or link ID is a
// message element, found through the registry; its parse state writes the
// record's blocks.
Instance_base* Message_instance(const xmlChar* name, Trunking_data& r, Input_data& input) {
    const std::uint8_t* b = r.tsbk[0].data;
    std::uint8_t mfid = 0;
    bool outbound = r.metadata.is_osp != 0;
    unsigned count = 1;
    if (r.duid == TSDU) {
        tsbk_header_given.message = From_xml(name);
        mfid = b[1];
    } else if (r.duid == PDU) {
        mfid = b[2];
        outbound = (b[0] & 0x20) != 0;
        count = (b[6] & 0x7F) + 1u;
    } else {
        // Which message a name stands for depends on the header.
        input.Error("no header before it: <P25_TSBK_header/> or a PDU header must come first");
        return nullptr;
    }
    MFID_record* record = MFID_record::Find(mfid);
    if (!record) {
        input.Error("Unknown MFID %02X\n", mfid);
        return nullptr;
    }
    Opcode_record* opcode = record->Find_trunking_handler(outbound, name);
    if (!opcode) opcode = MFID_record::Find_trunking_handler_in_all(!outbound, name);
    if (!opcode) opcode = MFID_record::Find_trunking_handler_in_all(outbound, name);
    if (!opcode) {
        input.Error("Unknown opcode %s\n", From_xml(name));
        return nullptr;
    }
    Trunking_handler_base* handler = nullptr;
    if (r.duid == TSDU) {
        r.block_count = 1;
        handler = opcode->Exactly(1);
    } else if (count > 1) {
        r.block_count = count;
        handler = opcode->Exactly(count);
    } else {
        for (unsigned blocks : {4u, 3u, 2u})
            if ((handler = opcode->Exactly(blocks))) {
                r.block_count = blocks;
                break;
            }
    }
    if (!handler) return new Undecoded_message(input, name, r);
    return handler->Get_instance(input, r.tsbk);
}

}  // namespace
}  // namespace P25

using P25::Trunking_data;

template <>
void Info<Trunking_data>::Write_subs(const Trunking_data& r, xmlNode* node) const {
    using namespace P25;
    if (r.block_count == 0 || !subs_) return;
    Tree_sink spare;
    Sink& sink = Sink::For(node, spare);
    int opcode = -1;
    std::uint8_t mfid = 0;
    bool outbound = r.metadata.is_osp != 0;
    const std::uint8_t* b = r.tsbk[0].data;
    if (r.duid == TSDU) {
        XML_Write<P25_TSBK_header>(r, sink);
        opcode = b[0] & 0x3F;
        mfid = b[1];
    } else if (r.duid == PDU) {
        outbound = (b[0] & 0x20) != 0;
        Write_pdu_header(r, opcode, mfid, sink);
        const CRC_RESULTS crc = Check_CRC(r.tsbk, r.block_count);
        if (!crc) {
            // A bad header CRC leaves the packet CRC unchecked: show the
            // header's pair instead.
            if (crc.state == HEADER_CRC_BAD)
                Bad_CRC(sink, static_cast<std::uint16_t>(crc.header_crc_sent),
                        static_cast<std::uint16_t>(crc.header_crc_computed));
            else
                Bad_CRC(sink, static_cast<std::uint32_t>(crc.data_crc_sent),
                        static_cast<std::uint32_t>(crc.data_crc_computed));
            return;
        }
    } else {
        return;
    }
    MFID_record* record = MFID_record::Find(mfid);
    if (!record || opcode < 0) return;
    const Trunking_handler_base* handler =
        record->Find_trunking_handler(outbound, static_cast<std::uint8_t>(opcode)).For_blocks(r.block_count);
    if (!handler) return;
    if (r.duid == PDU) handler->Write_link(r, sink);
    handler->Write(r.tsbk, r.block_count, sink);
}

// The children of a "Trunking_message", wherever it stands: the header and
// link-ID children, then the message element through the registry.  The
// raw "TSBK" and "PDU" children of an overhead slot, which share the
// record type, have no children.
template <>
Instance_base* Info<Trunking_data>::Lookup(const xmlChar* tag, unsigned* counters, Input_data& input,
                                           Trunking_data& r) const {
    if (input.trace) std::fprintf(stderr, "Instance<Trunking_data>: Look for sub-instance %s\n", From_xml(tag));
    if (!subs_) return nullptr;
    if (Subelement_base<Trunking_data>* entry = subs_->Lookup(tag, counters)) {
        if (std::strcmp(From_xml(tag), "P25_TSBK_header") == 0) {
            P25::tsbk_header_given = P25::Header_fields_given();
            P25::tsbk_header_given.line = input.line;
        }
        return entry->Get_instance(input, r);
    }
    if (const Info_base* filed = Find(tag)) return filed->Get_instance(input);
    if (subs_->Has(tag)) return nullptr;  // a header met again: repeated
    if (P25::Is_error_element(tag)) return P25::Undecoded(tag, r, input);
    if (input.trace) std::fprintf(stderr, "Look for trunking message %s\n", From_xml(tag));
    return P25::Message_instance(tag, r, input);
}

template <>
bool Info<Trunking_data>::Is_content(const xmlChar* tag) const {
    // Error elements are passed over, however many a message holds.
    return subs_ && !subs_->Has(tag) && !Find(tag) && !P25::Is_error_element(tag);
}

namespace P25 {
namespace {

// A TSBK header whose written opcode or manufacturer is not the message's:
// refused at the header's line, naming the attribute.
bool Header_agrees(const Trunking_data& r, Input_data& input) {
    const Header_fields_given& given = tsbk_header_given;
    if (r.duid != TSDU || given.header != reinterpret_cast<const P25_TSBK_header*>(r.tsbk[0].data)) return true;
    const unsigned opcode = r.tsbk[0].data[0] & 0x3Fu, mfid = r.tsbk[0].data[1];
    const bool opcode_differs = given.opcode && given.opcode_value != opcode;
    if (!opcode_differs && !(given.mfid && given.mfid_value != mfid)) return true;
    const int line = input.line;
    input.line = given.line;
    input.element = "P25_TSBK_header";
    input.attribute = opcode_differs ? "opcode" : "mfid";
    if (opcode_differs)
        input.Error("Value %u contradicts <%s>, whose opcode is %u", given.opcode_value, given.message.c_str(),
                    opcode);
    else
        input.Error("Value %02X contradicts <%s>, whose manufacturer is %02X", given.mfid_value,
                    given.message.c_str(), mfid);
    input.line = line;
    input.element = nullptr;
    input.attribute = nullptr;
    return false;
}

}  // namespace
}  // namespace P25

template <>
bool Info<Trunking_data>::Finalize(Trunking_data& r, Input_data& input) const {
    if (!P25::Header_agrees(r, input)) return false;
    const unsigned channel = r.metadata.phys_channel;
    // A header alone (a message the log could not name) carries no blocks:
    // nothing to log or hand on.
    if (!input.Filters().Check(Log_protocol_cooked, channel) || r.block_count == 0) return true;
    if (r.duid == P25::TSDU || r.duid == P25::PDU) {
        const P25::TSBK_PDU_data raw = r;
        XML_Log(r.duid == P25::TSDU ? tsbk_info : pdu_info, raw, channel, Log_protocol_raw);
    }
    XML_Log(Trunking_info, r, channel, Log_protocol_cooked);
    P25::Receive_Trunk_from_XML(r);
    return true;
}

template <>
bool Info<Trunking_data>::Commit(Trunking_data& r, Input_data& input) const {
    if (!input.Filters().Check(Log_protocol_cooked, r.metadata.phys_channel) || r.block_count == 0) return true;
    P25::Tell_receive_listener(P25::Received::trunking_message, &r);
    P25::Receive_Trunk_from_XML(r);
    return true;
}

// The element, its children, and every registered message definition.
template <>
void Info<Trunking_data>::Dump_elements(int level) const {
    indent_printf(level, "<%s ", Name());
    if (attributes_) attributes_->Each_name(&dump_attr);
    std::printf(">\n");
    if (text_) indent_printf(level + 1, "Text is allowed\n");
    if (!subs_) return;
    subs_->Dump_elements(level + 1);
    P25::MFID_record::Dump_elements(level + 1);
}

template <>
void Info<Trunking_data>::Describe(Element_description& d) const {
    Describe_tables(d);
    for (const P25::Trunking_handler_base* handler : P25::MFID_record::Handlers())
        d.choices.push_back(&handler->Descriptor());
}

namespace XML_routines {
namespace {

using Duid = Access::GetSet_member<Trunking_data, std::uint32_t>;
const Duid duid_field(&Trunking_data::duid);
constexpr std::uint32_t tsdu = P25::TSDU;
constexpr std::uint32_t pdu = P25::PDU;

Attrib::Attrib_Table<Trunking_data> trunking_attr_table[] = {
    Get_attrib(Source_info_attr).Of(&Trunking_data::metadata),
};
const Attrib::Attrib_Hash<Trunking_data> trunking_attr(trunking_attr_table);

// Each child sets the data unit when read, and is written only for its own.
Subelement_table<Trunking_data> trunking_subs[] = {
    Subelement<P25::P25_TSBK_header>().Of<Trunking_data>().If(duid_field, tsdu),
    Subelement<P25::SYSID_LRA>().Of<Trunking_data>().If(duid_field, pdu),
    Subelement<P25::SOURCE_ADDRESS>().Of<Trunking_data>().If(duid_field, pdu),
    Subelement<P25::TARGET_ADDRESS>().Of<Trunking_data>().If(duid_field, pdu),
    Subelement<P25::Unconfirmed_data_opcode>().Of<Trunking_data>().If(duid_field, pdu),
    Subelement<P25::Alternate_MBT>().Of<Trunking_data>().If(duid_field, pdu),
    Subelement<P25::Response_packet>().Of<Trunking_data>().If(duid_field, pdu),
    Subelement<P25::Confirmed_data_packet>().Of<Trunking_data>().If(duid_field, pdu),
};

}  // namespace

const Info<Trunking_data>& Trunking_info = Info<Trunking_data>::info;

}  // namespace XML_routines

template <>
const Info<Trunking_data> Info<Trunking_data>::info("/P25_log_data/Trunking_message", trunking_attr,
                                                    trunking_subs);
