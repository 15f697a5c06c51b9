// The link-control word and its elements: the header attributes, the raw
// word ("Link_Control"), the decoded word ("LCF", and its anonymous form
// that other elements embed), the top-level elements of a link-control
// record, and the filing of word definitions in the manufacturer records.
//
// Decoding finds the definition by manufacturer (0x00 for an implicit word,
// else octet 1) and opcode; reading finds it by manufacturer and element
// name, the manufacturer taken from the word as read so far, so an explicit
// word of another manufacturer needs sf="false" and its "Mfid" first.
#include <cstdio>
#include <cstring>
#include <memory>

#include "LC_handler.h"
#include "P25_processing.h"

using namespace XML_routines;

namespace P25 {

// ---- filing -----------------------------------------------------------------------

bool LC_handler_base::Register_core() {
    XML_routines::Descriptions_changed();
    MFID_record* record = MFID_record::Find(MFID());
    if (!record) return false;
    record->lc[Lco() & Any_link_control::lco_bits] = this;
    record->lc_names.Add(*this, To_xml(Name()));
    return true;
}

void LC_handler_base::Register() {
    if (!Register_core()) pending_.Link(this);
}

void LC_handler_base::Deregister() {
    XML_routines::Descriptions_changed();
    pending_.Unlink();
    MFID_record* record = MFID_record::Find(MFID());
    if (!record) return;
    LC_handler_base*& slot = record->lc[Lco() & Any_link_control::lco_bits];
    if (slot == this) slot = nullptr;
    if (record->lc_names.Lookup(Name()) == this) record->lc_names.Remove(To_xml(Name()));
}

// ---- headers ------------------------------------------------------------------------

namespace {
constexpr std::uint8_t protected_bit = 0x80;
}

bool LC_handler_base::Format_check(const Link_control_header& header) {
    return (header.p_sf_lco & Any_link_control::implicit_bit) != 0;
}

bool LC_handler_base::Format_check(const Explicit_Link_control_header& header) {
    return (header.p_sf_lco & Any_link_control::implicit_bit) == 0;
}

void LC_handler_base::Setup_header(Link_control_header& header) const {
    header.p_sf_lco = static_cast<std::uint8_t>((header.p_sf_lco & protected_bit) | Any_link_control::implicit_bit |
                                                (Lco() & Any_link_control::lco_bits));
}

void LC_handler_base::Setup_header(Explicit_Link_control_header& header) const {
    header.p_sf_lco =
        static_cast<std::uint8_t>((header.p_sf_lco & protected_bit) | (Lco() & Any_link_control::lco_bits));
    header.mfid = MFID();
}

bool LC_handler_base::Fits(const Any_link_control& word) const {
    return explicit_ ? Format_check(reinterpret_cast<const Explicit_Link_control_header&>(word))
                     : Format_check(reinterpret_cast<const Link_control_header&>(word));
}

xmlNode* LC_handler_base::Write(const Any_link_control& word) const {
    if (!Fits(word)) return Invalid();
    return descriptor_.Write_tree(&word);
}

XML_routines::Instance_base* LC_handler_base::Get_instance(XML_routines::Input_data& input,
                                                           Any_link_control& word) const {
    const std::uint8_t given = word.bytes[0];
    if (explicit_) Setup_header(reinterpret_cast<Explicit_Link_control_header&>(word));
    else Setup_header(reinterpret_cast<Link_control_header&>(word));
    return Guard_format(descriptor_.State(input, &word), word, given);
}

xmlNode* LC_handler_base::Invalid() const {
    xmlNode* node = xmlNewNode(nullptr, To_xml(Name()));
    if (node) xmlNewChild(node, nullptr, To_xml("INVALID_FORMAT"), nullptr);
    return node;
}

namespace {

// The definition of a word's manufacturer and opcode, or null.
const LC_handler_base* Definition_of(const Any_link_control& word) {
    const MFID_record* record = MFID_record::Find(word.Mfid());
    return record ? record->lc[word.Get_lco()] : nullptr;
}

// A word's parse state with its "INVALID_FORMAT" child taken as a note.
class Format_guard : public XML_routines::Instance_base {
public:
    Format_guard(XML_routines::Instance_base* state, Any_link_control& word, std::uint8_t header_given)
        : Instance_base(state->Input()), state_(state), word_(word), header_given_(header_given) {}
    XML_routines::Instance_base* Get_subinstance(const xmlChar* tag) const override {
        if (std::strcmp(XML_routines::From_xml(tag), "INVALID_FORMAT") != 0) return state_->Get_subinstance(tag);
        input_.Error_handler("records a word whose format does not fit its definition: nothing of it is read back",
                             XML_routines::Input_data::note_severity, nullptr);
        word_.bytes[0] = header_given_;
        invalid_ = true;
        return Pass_over(input_, tag);
    }
    bool Attribute(const xmlChar* name, XML_routines::Format::Scanner& s) override { return state_->Attribute(name, s); }
    bool Text(XML_routines::Format::Scanner& s) override { return state_->Text(s); }
    bool Finalize() override { return invalid_ || state_->Finalize(); }
    bool Commit() override { return invalid_ || state_->Commit(); }
    const char* Name() const override { return state_->Name(); }
    const XML_routines::Info_base* Descriptor() const override { return state_->Descriptor(); }

private:
    std::unique_ptr<XML_routines::Instance_base> state_;
    Any_link_control& word_;
    std::uint8_t header_given_;
    mutable bool invalid_ = false;
};

// Every definition's element, for grammar dumps.
void Dump_words(int level) {
    For_each_link_control([level](const MFID_record&, const LC_handler_base& handler) {
        handler.Descriptor().Dump_elements(level);
    });
}

}  // namespace

XML_routines::Instance_base* LC_handler_base::Guard_format(XML_routines::Instance_base* state, Any_link_control& word,
                                                          std::uint8_t header_given) {
    return state ? new Format_guard(state, word, header_given) : nullptr;
}

}  // namespace P25

using P25::Any_link_control;
using P25::p25_LCO;

// ---- decoding and reading a word ------------------------------------------------------

template <>
void Info<Any_link_control>::Write_subs(const Any_link_control& word, xmlNode* node) const {
    if (!subs_) return;
    Subs(word, node);
    if (const P25::LC_handler_base* handler = P25::Definition_of(word)) Add_children(node, handler->Write(word));
}

template <>
Instance_base* Info<Any_link_control>::Lookup(const xmlChar* tag, unsigned* counters, Input_data& input,
                                              Any_link_control& word) const {
    if (!subs_) return nullptr;
    if (Subelement_base<Any_link_control>* entry = subs_->Lookup(tag, counters)) return entry->Get_instance(input, word);
    P25::MFID_record* record = P25::MFID_record::Find(word.Mfid());
    const P25::LC_handler_base* handler = record ? record->lc_names.Lookup(tag) : nullptr;
    return handler ? handler->Get_instance(input, word) : nullptr;
}

template <>
bool Info<Any_link_control>::Is_content(const xmlChar* tag) const {
    return subs_ && !subs_->Has(tag);
}

template <>
void Info<Any_link_control>::Dump_elements(int level) const {
    if (*Name()) {
        indent_printf(level, "<%s ", Name());
        ++level;
        if (attributes_) attributes_->Each_name(&dump_attr);
        std::printf(">\n");
    }
    if (text_) indent_printf(level, "Text is allowed\n");
    if (!subs_) return;
    subs_->Dump_elements(level);
    P25::Dump_words(level);
}

template <>
void Info<Any_link_control>::Describe(Element_description& d) const {
    Describe_tables(d);
    if (!subs_) return;
    P25::For_each_link_control([&d](const P25::MFID_record&, const P25::LC_handler_base& handler) {
        d.choices.push_back(&handler.Descriptor());
    });
}

// ---- the top-level elements ----------------------------------------------------------------

template <>
void Info<p25_LCO>::Write_subs(const p25_LCO& record, xmlNode* node) const {
    if (subs_) lc_cooked_null.Write_subs(record.lc, node);
}

template <>
Instance_base* Info<p25_LCO>::Lookup(const xmlChar* tag, unsigned* counters, Input_data& input,
                                     p25_LCO& record) const {
    if (!subs_) return nullptr;
    if (Subelement_base<p25_LCO>* entry = subs_->Lookup(tag, counters)) return entry->Get_instance(input, record);
    return lc_cooked_null.Lookup(tag, nullptr, input, record.lc);
}

template <>
bool Info<p25_LCO>::Is_content(const xmlChar* tag) const {
    return subs_ && !subs_->Has(tag) && lc_cooked_null.Is_content(tag);
}

// A word read from a document is logged raw and decoded, unless it is one
// the host transmits, and handed to the host; the element is always taken.
template <>
bool Info<p25_LCO>::Finalize(p25_LCO& record, Input_data& input) const {
    const P25::Source_info& source = record.header.metadata;
    const unsigned channel = source.phys_channel;
    const unsigned long log_class = this == &lc_raw_top ? Log_protocol_raw : Log_protocol_cooked;
    if (!input.Filters().Check(log_class, channel)) return true;
    // A decoded word shown as "INVALID_FORMAT" gives nothing: the raw word
    // logged before it is the word.
    if (this != &lc_raw_top) {
        const P25::LC_handler_base* handler = P25::Definition_of(record.lc);
        if (handler && !handler->Fits(record.lc)) return true;
    }
    constexpr std::uint8_t transmitted = 1;
    if (source.dir_tx != transmitted) {
        XML_Log(lc_raw_top, record, channel, Log_protocol_raw);
        XML_Log(lc_cooked_top, record, channel, Log_protocol_cooked);
    }
    P25::Tell_receive_listener(this == &lc_raw_top ? P25::Received::link_control : P25::Received::decoded_link_control,
                               &record);
    P25::Receive_LCO_from_XML(record);
    return true;
}

template <>
void Info<p25_LCO>::Dump_elements(int level) const {
    indent_printf(level, "<%s ", Name());
    if (attributes_) attributes_->Each_name(&dump_attr);
    std::printf(">\n");
    if (text_) indent_printf(level + 1, "Text is allowed\n");
    if (!subs_) return;
    subs_->Dump_elements(level + 1);
    P25::Dump_words(level + 1);
}

// ---- Tables and descriptors, in the order they are built -----------------------------

namespace XML_routines {
namespace {

using P25::Link_control_header;

Attrib::Attrib_Table<Link_control_header> header_table[] = {
    Get_attrib("p", Get_Access(GetSet_bf_prot<Link_control_header, bool>())),
    Get_attrib("sf", Get_Access(GetSet_bf_implicit_format<Link_control_header, bool>())),
    Get_attrib("opcode", Get_Access(GetSet_bf_lco<Link_control_header, unsigned>())),
};

}  // namespace

const Attrib::Attrib_Hash<Link_control_header> Link_control_header_attr(header_table);

namespace {
Attrib::Attrib_Table<Any_link_control> lc_table[] = {
    Get_attrib(Link_control_header_attr).Of(&Any_link_control::header),
};
}  // namespace

const Attrib::Attrib_Hash<Any_link_control> lc_attr(lc_table);

namespace {

// Octet 1, the manufacturer of an explicit word.
using Mfid_octet = Access::Bit_field<Any_link_control, unsigned, 1, 0, 8>;
using Implicit_flag = GetSet_bf_implicit_format<Any_link_control, bool>;

// "Mfid" exists only for an explicit word; reading it makes the word explicit.
Subelement_table<Any_link_control> lcf_subs[] = {
    Subelement(Mfid_octet(), "Mfid", "%02X").If(Implicit_flag(), false),
};

Access::Accessor<Any_link_control>* Octets() { return Get_Access(&Any_link_control::bytes, "%02X "); }

}  // namespace

const Info<Any_link_control> lc_raw("Link_Control", lc_attr, Octets());
const Info<Any_link_control> lc_cooked("LCF", lc_attr, lcf_subs);
const Info<Any_link_control> lc_cooked_null("", lc_attr, lcf_subs);

namespace {
Attrib::Attrib_Table<p25_LCO> lc_top_table[] = {
    Get_attrib(Source_info_attr).Of(&P25::DUID_Header::metadata).Of<p25_LCO>(&p25_LCO::header),
    Get_attrib(lc_attr).Of<p25_LCO>(&p25_LCO::lc),
};
}  // namespace

const Attrib::Attrib_Hash<p25_LCO> lc_top_attr(lc_top_table);

namespace {

// The nine octets of the record's word.
Access::Accessor<p25_LCO>* Word_octets() {
    using G = Access::GetSet_member<p25_LCO, Any_link_control>;
    return new Access::Shim<Any_link_control, p25_LCO, G>(new G(&p25_LCO::lc), Octets());
}

Subelement_table<p25_LCO> lcf_top_subs[] = {
    Subelement<p25_LCO, Any_link_control>(&p25_LCO::lc, lc_cooked_null),
};

}  // namespace

const Info<p25_LCO> lc_raw_top("/P25_log_data/Link_Control", lc_top_attr, Word_octets());
const Info<p25_LCO> lc_cooked_top("/P25_log_data/LCF", lc_top_attr, lcf_top_subs);

}  // namespace XML_routines
