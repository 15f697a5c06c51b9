// The link-control registry and descriptors.
//
// Every link-control word definition is one static LC_handler<T> object: the
// element name, the link-control opcode (whose enumeration gives the
// manufacturer) and the sub-element table of its packed record T.  Handlers
// file themselves in their manufacturer's record by opcode and by name, so
// that a logged word finds its definition from (MFID, LCO) and an input
// element from its name; a handler built before its manufacturer's record
// waits in a pending list until the record adopts it.
//
// A word is written raw ("Link_Control": the header attributes and the nine
// octets) and decoded ("LCF": the header attributes, the manufacturer when
// the word is explicit, then the word's own element).
#ifndef TESSEL_LC_HANDLER_H
#define TESSEL_LC_HANDLER_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "Trunking_handler.h"
#include "shared/P25/P25_lco.h"
#include "shared/XML/XML_info.h"

// Bits of the header octet.
XML_BITFIELD_NAME(prot);
XML_BITFIELD_NAME(implicit_format);
XML_BITFIELD_NAME(lco);

//           field             record                          octet hi lo
XML_BITFIELD(prot,             P25::Link_control_header,       0, 7, 7);
XML_BITFIELD(implicit_format,  P25::Link_control_header,       0, 6, 6);
XML_BITFIELD(lco,              P25::Link_control_header,       0, 5, 0);
XML_BITFIELD(implicit_format,  P25::Any_link_control,          0, 6, 6);

namespace P25 {

// Where a link-control opcode files its word: its manufacturer, from the
// enumeration the opcode is of.
struct LCO_site {
    LCO_site(LCO op) : lco(op), mfid(0x00) {}
    LCO_site(LCO_90 op) : lco(op), mfid(0x90) {}
    std::uint8_t lco, mfid;
};

// A link-control word definition, as the registry sees it: the word's
// descriptor, where it is filed and the header it begins with.
class LC_handler_base {
public:
    LC_handler_base(const LC_handler_base&) = delete;
    LC_handler_base& operator=(const LC_handler_base&) = delete;

    const char* Name() const { return descriptor_.Name(); }
    const XML_routines::Record_descriptor& Descriptor() const { return descriptor_; }
    // The word's element, or its "INVALID_FORMAT" element when the word's
    // format flag does not match the definition.
    xmlNode* Write(const Any_link_control& word) const;
    // A parse state for the word's element, writing into the word; the
    // header (and the manufacturer octet of an explicit word) is set first.
    XML_routines::Instance_base* Get_instance(XML_routines::Input_data& input, Any_link_control& word) const;
    // The word's format flag fits this definition (else the log shows it
    // as "INVALID_FORMAT").
    bool Fits(const Any_link_control& word) const;

    std::uint8_t Lco() const { return site_.lco; }
    std::uint8_t MFID() const { return site_.mfid; }

    void Register();
    bool Register_core();
    void Deregister();

    // The word's format flag fits the definition: set for implicit words,
    // clear for explicit ones.
    static bool Format_check(const Link_control_header& header);
    static bool Format_check(const Explicit_Link_control_header& header);
    // Writes this definition's opcode and format flag (the protected flag is
    // kept) and, for an explicit word, its manufacturer.
    void Setup_header(Link_control_header& header) const;
    void Setup_header(Explicit_Link_control_header& header) const;
    // <NAME><INVALID_FORMAT/></NAME>
    xmlNode* Invalid() const;
    // The word's parse state, which takes an "INVALID_FORMAT" child as the
    // log wrote it: a note, and the word's first octet back as the element's
    // attributes gave it (header_given), so that the word does not fit.
    static XML_routines::Instance_base* Guard_format(XML_routines::Instance_base* state, Any_link_control& word,
                                                     std::uint8_t header_given);

protected:
    template <class T, std::size_t N>
    LC_handler_base(const char* name, LCO_site site, const XML_routines::Attrib::Attrib_Hash<T>* attributes,
                    XML_routines::Subelement_table<T> (&table)[N], bool explicit_header)
        : descriptor_(name, attributes, table), site_(site), explicit_(explicit_header) {
        Register();
    }
    ~LC_handler_base() { Deregister(); }

private:
    XML_routines::Table_descriptor descriptor_;
    LCO_site site_;
    bool explicit_;  // the word begins with an explicit header (manufacturer octet)
    List<LC_handler_base> pending_;  // linked while no record takes it
};

// One word definition: T is its packed 9-octet record, beginning with its
// header view as the member `header`.
template <class T>
class LC_handler : public LC_handler_base {
    static_assert(sizeof(T) == sizeof(Any_link_control), "a link-control word is 9 octets");
    static_assert(offsetof(T, header) == 0, "a word begins with its header");
    using Header = std::remove_cv_t<decltype(T::header)>;
    static_assert(std::is_same_v<Header, Link_control_header> || std::is_same_v<Header, Explicit_Link_control_header>,
                  "a word begins with an implicit or an explicit header");

public:
    template <std::size_t N>
    LC_handler(const char* name, LCO_site lco, XML_routines::Subelement_table<T> (&table)[N])
        : LC_handler_base(name, lco, static_cast<const XML_routines::Attrib::Attrib_Hash<T>*>(nullptr), table,
                          std::is_same_v<Header, Explicit_Link_control_header>) {}
    // A word whose element carries attributes, written before its children.
    template <std::size_t N>
    LC_handler(const char* name, LCO_site lco, const XML_routines::Attrib::Attrib_Hash<T>& attributes,
               XML_routines::Subelement_table<T> (&table)[N])
        : LC_handler_base(name, lco, &attributes, table, std::is_same_v<Header, Explicit_Link_control_header>) {}
};

// Every manufacturer's definitions, for listings: f(record, handler) in
// record list order, by opcode.
template <class F>
void For_each_link_control(F&& f) {
    for (List<MFID_record>* n = List<MFID_record>::First(); n; n = n->Next())
        for (const LC_handler_base* h : n->Item()->lc)
            if (h) f(*n->Item(), *h);
}

}  // namespace P25

namespace XML_routines {

// "p", "sf", "opcode" of the header octet.
extern const Attrib::Attrib_Hash<P25::Link_control_header> Link_control_header_attr;
// The same on octet 0 of a word.
extern const Attrib::Attrib_Hash<P25::Any_link_control> lc_attr;
// The word raw: "Link_Control", header attributes, the nine octets as text.
extern const Info<P25::Any_link_control> lc_raw;
// The word decoded: "LCF", header attributes, "Mfid" for an explicit word,
// then the word's element.
extern const Info<P25::Any_link_control> lc_cooked;
// The same without a name: its children go straight into the element that
// embeds it.
extern const Info<P25::Any_link_control> lc_cooked_null;
// The source attributes, then the header attributes of the word at byte 44.
extern const Attrib::Attrib_Hash<P25::p25_LCO> lc_top_attr;
// "/P25_log_data/Link_Control" and "/P25_log_data/LCF": the word of a
// link-control record, raw and decoded, with the record's source.
extern const Info<P25::p25_LCO> lc_raw_top;
extern const Info<P25::p25_LCO> lc_cooked_top;

// Decoding and reading a word's element through the registry.
template <>
void Info<P25::Any_link_control>::Write_subs(const P25::Any_link_control&, xmlNode*) const;
template <>
Instance_base* Info<P25::Any_link_control>::Lookup(const xmlChar*, unsigned*, Input_data&,
                                                   P25::Any_link_control&) const;
// The definition's element is the word's content: one per word.
template <>
bool Info<P25::Any_link_control>::Is_content(const xmlChar*) const;
template <>
void Info<P25::Any_link_control>::Dump_elements(int) const;
// The "Mfid" child, and every definition's element as a choice.
template <>
void Info<P25::Any_link_control>::Describe(Element_description&) const;

// The top-level elements: the decoded word at byte 44, and the input hook
// that logs a word read from a document and hands it to the host.
template <>
void Info<P25::p25_LCO>::Write_subs(const P25::p25_LCO&, xmlNode*) const;
template <>
Instance_base* Info<P25::p25_LCO>::Lookup(const xmlChar*, unsigned*, Input_data&, P25::p25_LCO&) const;
template <>
bool Info<P25::p25_LCO>::Is_content(const xmlChar*) const;
template <>
bool Info<P25::p25_LCO>::Finalize(P25::p25_LCO&, Input_data&) const;
template <>
void Info<P25::p25_LCO>::Dump_elements(int) const;

}  // namespace XML_routines

#endif
