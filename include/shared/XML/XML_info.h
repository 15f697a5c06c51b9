// Type descriptors and element writing.
//
// Every packed record carried in XML is described by an Info<T>: the
// element's tag name, its attribute table, the accessor that gives its text
// and its sub-element table.  In the log direction it writes a record as a
// libxml2 element (attributes, then text, then children, each in table
// order); in the input direction it makes parse states for its elements.
// Leaf elements that carry one value are described by Info_primative<T>.
//
// This header is the framework's umbrella: including it brings in the
// attribute and sub-element tables, accessors, formats and parse states.
#ifndef TESSEL_XML_INFO_H
#define TESSEL_XML_INFO_H

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

#include "XML_attributes.h"

namespace XML_routines {

template <class T>
class Subelement_base;
template <class T>
struct Subelement_table;
template <class T>
class Subelement_hash;
class Subelement_index;
template <class T, class I>
class Instance;
template <class T, class I>
class Dummy_instance;

// What a descriptor knows of its record type without naming it: its size,
// whether its octets are the whole of it, and how a record of its own is
// made and ended (null for the records, nearly all, whose zeros are the
// value-initialised record and which need no ending).
struct Record_ops {
    std::size_t size;
    std::size_t align;
    bool plain;       // trivially copyable: compared and copied as octets
    bool comparable;  // plain, and not an array
    void (*construct)(void* zeroed);
    void (*destroy)(void* record);
};
namespace detail {
template <class T>
void Construct_record(void* zeroed) {
    if constexpr (std::is_array_v<T>) {
        using E = std::remove_extent_t<T>;
        for (std::size_t i = 0; i < std::extent_v<T>; ++i) Construct_record<E>(static_cast<E*>(zeroed) + i);
    } else {
        new (zeroed) T{};
    }
}
template <class T>
void Destroy_record(void* record) {
    if constexpr (std::is_array_v<T>) {
        using E = std::remove_extent_t<T>;
        for (std::size_t i = std::extent_v<T>; i-- > 0;) Destroy_record<E>(static_cast<E*>(record) + i);
    } else {
        static_cast<T*>(record)->~T();
    }
}
template <class T>
struct Record_ops_of {
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "a record of its own is made with new");
    static constexpr Record_ops ops{sizeof(T),
                                    alignof(T),
                                    std::is_trivially_copyable_v<T>,
                                    std::is_trivially_copyable_v<T> && !std::is_array_v<T>,
                                    std::is_trivially_default_constructible_v<T> ? nullptr : &Construct_record<T>,
                                    std::is_trivially_destructible_v<T> ? nullptr : &Destroy_record<T>};
};
}  // namespace detail

// The engine of every descriptor, compiled once: it writes a record as an
// element and reads one back on an untyped record, through the tables it
// holds (attributes, text accessor, sub-element index).  Info<T> and
// Info_primative<T> are its typed faces; the hooks below reach the members
// a record type may replace by a specialisation.
class Record_descriptor : public Info_base, public Table_object {
public:
    ~Record_descriptor() override;

    // Writing: the element of the record to a sink (attributes, text,
    // children), or as a libxml2 tree (null when none was made).
    void Write_record(const void* record, Sink& sink) const;
    xmlNode* Write_tree(const void* record) const;
    xmlNode* Write_header(const void* record) const;
    void Text(const void* record, xmlNode* node) const;
    void Subs(const void* record, xmlNode* node) const;
    void Text(const void* record, Sink& sink) const;
    void Subs(const void* record, Sink& sink) const;

    // Reading: a parse state over a record of the type (the caller's, or,
    // from Get_instance, one of its own), the default sub-element lookup,
    // attributes and text.
    Instance_base* State(Input_data& input, void* record) const;
    Instance_base* Get_instance(Input_data& input) const override;
    Instance_base* Lookup_record(const xmlChar* tag, unsigned* counters, Input_data& input, void* record) const;
    bool Attribute_record(const xmlChar* name, Format::Scanner& s, void* record) const;
    bool Read_record(Format::Scanner& s, void* record) const;
    unsigned Tag_count() const;
    bool Is_decoded(const xmlChar* tag) const;
    bool Has_child(const xmlChar* tag) const;
    const char* Missing(const unsigned* counters) const;
    bool Has_text() const { return text_ != nullptr; }
    // The child of this tag as the record writes it (its first entry), in
    // the stream sink's text; empty when none is filed.
    std::string Child_text(const char* tag, const void* record) const;
    bool Leaf() const { return leaf_; }
    const Record_ops& Record_type() const { return *record_; }

    void Dump_elements(int level) const override;
    void Subregister(Subelement_register& reg) const override;
    void Describe(Element_description& d) const override { Describe_tables(d); }
    // What the tables say: attributes, text, children.
    void Describe_tables(Element_description& d) const;

    // The members a record type may replace, on the untyped record.
    virtual void Write_hook(const void* record, Sink& sink) const;
    virtual void Write_text_hook(const void* record, xmlNode* node) const;
    virtual void Write_subs_hook(const void* record, xmlNode* node) const;
    virtual void Start_hook(void* record, Input_data& input) const;
    virtual bool Finalize_hook(void* record, Input_data& input) const;
    virtual bool Commit_hook(void* record, Input_data& input) const;
    virtual Instance_base* Lookup_hook(const xmlChar* tag, unsigned* counters, Input_data& input, void* record) const;
    virtual bool Is_content_hook(const xmlChar* tag) const;

protected:
    Record_descriptor(const char* name, const Record_ops& record, const Access::Value_access* text,
               const Attrib::Attrib_index* attributes, const Subelement_index* subs, bool leaf = false)
        : Info_base(name), record_(&record), text_(text), attributes_(attributes), index_(subs), leaf_(leaf) {}

    const Record_ops* record_;
    const Access::Value_access* text_;        // owned; null: no text
    const Attrib::Attrib_index* attributes_;  // shared, not owned
    const Subelement_index* index_;           // the typed face owns it
    bool leaf_;
};

// The functions of a descriptor, overridden inline: the virtual table of
// every typed descriptor then points at functions of the library that
// defines it, which the loader relocates by adding that library's address,
// instead of looking up the runtime's symbol for each slot of each table.
class Local_descriptor : public Record_descriptor {
public:
    Instance_base* Get_instance(Input_data& input) const override { return Record_descriptor::Get_instance(input); }
    void Dump_elements(int level) const override { Record_descriptor::Dump_elements(level); }
    void Subregister(Subelement_register& reg) const override { Record_descriptor::Subregister(reg); }
    void Describe(Element_description& d) const override { Record_descriptor::Describe(d); }
    void Write_hook(const void* r, Sink& sink) const override { Record_descriptor::Write_hook(r, sink); }
    void Write_text_hook(const void* r, xmlNode* node) const override { Record_descriptor::Write_text_hook(r, node); }
    void Write_subs_hook(const void* r, xmlNode* node) const override { Record_descriptor::Write_subs_hook(r, node); }
    void Start_hook(void* r, Input_data& input) const override { Record_descriptor::Start_hook(r, input); }
    bool Finalize_hook(void* r, Input_data& input) const override { return Record_descriptor::Finalize_hook(r, input); }
    bool Commit_hook(void* r, Input_data& input) const override { return Record_descriptor::Commit_hook(r, input); }
    Instance_base* Lookup_hook(const xmlChar* tag, unsigned* counters, Input_data& input, void* r) const override {
        return Record_descriptor::Lookup_hook(tag, counters, input, r);
    }
    bool Is_content_hook(const xmlChar* tag) const override { return Record_descriptor::Is_content_hook(tag); }

protected:
    using Record_descriptor::Record_descriptor;
};

template <class T>
class Info : public Local_descriptor {
public:
    // The canonical descriptor of T, defined by the unit that describes T.
    static const Info<T> info;

    explicit Info(const char* name) : Info(name, nullptr, nullptr) {}
    template <std::size_t N>
    Info(const char* name, Subelement_table<T> (&table)[N]) : Info(name, nullptr, nullptr, Make_subs(table)) {}
    Info(const char* name, Access::Accessor<T>* text) : Info(name, nullptr, text) {}
    template <std::size_t N>
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Subelement_table<T> (&table)[N])
        : Info(name, &attributes, nullptr, Make_subs(table)) {}
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes) : Info(name, &attributes, nullptr) {}
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Access::Accessor<T>* text)
        : Info(name, &attributes, text) {}
    template <std::size_t N>
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Access::Accessor<T>* text,
         Subelement_table<T> (&table)[N])
        : Info(name, &attributes, text, Make_subs(table)) {}

    // A parse state over a record of its own, typed.  A template, so that
    // it does not replace the descriptor's virtual one (compiled once, for
    // every record type): a typed state is made only where it is named.
    template <class = void>
    Instance<T, Info<T>>* Get_instance(Input_data& input) const {
        return new Instance<T, Info<T>>(input, *this);
    }
    // The element of the record as a libxml2 tree (the caller owns it), or null.
    xmlNode* Write(const T& record) const { return Write_tree(&record); }
    // The element of the record written to a sink: attributes, then text,
    // then children, through the writing hooks below.
    void Write(const T& record, Sink& sink) const { Write_record(&record, sink); }
    // What a record type may replace by a specialisation or a derived
    // descriptor by overriding: a parse state starts on the record; the
    // element has been read; it has been finalised.
    virtual void Start(T&, Input_data&) const {}
    virtual bool Finalize(T&, Input_data&) const { return true; }
    virtual bool Commit(T&, Input_data&) const { return true; }

    xmlNode* Write_header(const T& record) const { return Record_descriptor::Write_header(&record); }
    // The writing hooks: a record type may replace either by a
    // specialisation.  The node is the element being written (under the
    // stream sink, a node standing for it: see Sink).
    void Write_text(const T& record, xmlNode* node) const { Text(record, node); }
    void Write_subs(const T& record, xmlNode* node) const { Subs(record, node); }
    void Text(const T& record, xmlNode* node) const { Record_descriptor::Text(&record, node); }
    void Subs(const T& record, xmlNode* node) const { Record_descriptor::Subs(&record, node); }
    void Text(const T& record, Sink& sink) const { Record_descriptor::Text(&record, sink); }
    void Subs(const T& record, Sink& sink) const { Record_descriptor::Subs(&record, sink); }

    Instance_base* Lookup(const xmlChar* tag, unsigned* counters, Input_data& input, T& record) const {
        return Lookup_record(tag, counters, input, &record);
    }
    // Whether a child of this tag is the record's content (one per record),
    // whether the tag is filed among the children at all, and the first
    // required child the counters saw none of.
    bool Is_content(const xmlChar* tag) const { return Record_descriptor::Is_content_hook(tag); }
    std::string Child_text(const char* tag, const T& record) const { return Record_descriptor::Child_text(tag, &record); }
    bool Attribute(const xmlChar* name, Format::Scanner& s, T& record) const {
        return Attribute_record(name, s, &record);
    }
    bool Read(Format::Scanner& s, T& record) const { return Read_record(s, &record); }

    const Attrib::Attrib_Hash<T>* Attributes() const { return typed_attributes_; }
    const Subelement_hash<T>* Sub_elements() const { return subs_.get(); }

    static void dump_attr(const char* name) { std::printf("%s=\"\" ", name); }
    // A record type may replace these by a specialisation.
    void Dump_elements(int level) const override { Record_descriptor::Dump_elements(level); }
    void Describe(Element_description& d) const override { Describe_tables(d); }

    void Write_hook(const void* r, Sink& sink) const override { Write(*static_cast<const T*>(r), sink); }
    void Write_text_hook(const void* r, xmlNode* node) const override { Write_text(*static_cast<const T*>(r), node); }
    void Write_subs_hook(const void* r, xmlNode* node) const override { Write_subs(*static_cast<const T*>(r), node); }
    void Start_hook(void* r, Input_data& input) const override { Start(*static_cast<T*>(r), input); }
    bool Finalize_hook(void* r, Input_data& input) const override { return Finalize(*static_cast<T*>(r), input); }
    bool Commit_hook(void* r, Input_data& input) const override { return Commit(*static_cast<T*>(r), input); }
    Instance_base* Lookup_hook(const xmlChar* tag, unsigned* counters, Input_data& input, void* r) const override {
        return Lookup(tag, counters, input, *static_cast<T*>(r));
    }
    bool Is_content_hook(const xmlChar* tag) const override { return Is_content(tag); }

private:
    template <std::size_t N>
    static Subelement_hash<T>* Make_subs(Subelement_table<T> (&table)[N]) {
        return new Subelement_hash<T>(table);
    }
    Info(const char* name, const Attrib::Attrib_Hash<T>* attributes, Access::Accessor<T>* text,
         Subelement_hash<T>* subs = nullptr)
        : Local_descriptor(name, detail::Record_ops_of<T>::ops, text, attributes ? &attributes->Index() : nullptr,
                           subs ? &subs->Index() : nullptr),
          subs_(subs),
          typed_attributes_(attributes) {}

    std::unique_ptr<Subelement_hash<T>> subs_;
    const Attrib::Attrib_Hash<T>* typed_attributes_;
};

// A leaf element carrying one value and nothing else.
template <class T>
class Info_primative : public Local_descriptor {
public:
    Info_primative() : Info_primative("Reserved", Get_Access<T>("%02X ")) {}
    explicit Info_primative(const char* name) : Info_primative(name, Get_Access<T>("%d")) {}
    Info_primative(const char* name, const char* format) : Info_primative(name, Get_Access<T>(format)) {}
    Info_primative(const char* name, const Value_hash<T>& table) : Info_primative(name, Get_Access<T>(table)) {}
    Info_primative(const char* name, Format::TIME_MODE mode) : Info_primative(name, Get_Access<T>(mode)) {}

    xmlNode* Write(const T& value) const { return Write_tree(&value); }
    void Write(const T& value, Sink& sink) const { Write_record(&value, sink); }
    unsigned Tag_count() const { return 0; }
    void Start(T&, Input_data&) const {}
    Instance_base* Lookup(const xmlChar*, unsigned*, Input_data&, T&) const { return nullptr; }
    bool Is_content(const xmlChar*) const { return false; }
    std::string Child_text(const char*, const T&) const { return std::string(); }
    bool Attribute(const xmlChar* name, Format::Scanner& s, T& value) const {
        return Attribute_record(name, s, &value);
    }
    bool Read(Format::Scanner& s, T& value) const { return Read_record(s, &value); }
    bool Finalize(T&, Input_data&) const { return true; }
    bool Commit(T&, Input_data&) const { return true; }

private:
    Info_primative(const char* name, Access::Accessor<T>* text)
        : Local_descriptor(name, detail::Record_ops_of<T>::ops, text, nullptr, nullptr, true) {}
};

// The shared leaf "Reserved" of type S, octets printed "%02X ".
template <class S>
const Info_primative<S>& Reserved_info() {
    static const Info_primative<S> reserved;
    return reserved;
}

// ---- log entry templates -----------------------------------------------------------

// The element of a value as a libxml2 tree, through T's canonical descriptor.
template <class T>
xmlNode* XML_Write(const T& value) {
    return Info<T>::info.Write(value);
}
// The same element written to a sink.
template <class T>
void XML_Write(const T& value, Sink& sink) {
    Info<T>::info.Write(value, sink);
}
// Logs the element of a value: when the current log's filter keeps its
// class (on the channel), the descriptor writes it straight into the log;
// otherwise nothing is written at all.
template <class T>
void XML_Log(const Info<T>& info, const T& value, unsigned int channel, const unsigned long& log_class) {
    if (Output_file* log = Output_file::For(log_class, channel)) log->Write(value, info);
}
template <class T>
void XML_Log(const T& value, unsigned int channel, const unsigned long& log_class) {
    XML_Log(Info<T>::info, value, channel, log_class);
}
template <class T>
void XML_Log(const T& value, const unsigned long& log_class) {
    if (Output_file* log = Output_file::For(log_class)) log->Write(value, Info<T>::info);
}

}  // namespace XML_routines

#include "XML_instance.h"
#include "XML_subelements.h"

namespace XML_routines {

}  // namespace XML_routines

// Declares, in a header, the canonical descriptor of T defined in one unit.
#define XML_DECLARE_INFO(T) \
    template <>             \
    const ::XML_routines::Info<T> XML_routines::Info<T>::info

#endif
