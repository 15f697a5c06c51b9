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
#include <memory>

#include "XML_attributes.h"

namespace XML_routines {

template <class T>
class Subelement_base;
template <class T>
struct Subelement_table;
template <class T>
class Subelement_hash;
template <class T, class I>
class Instance;
template <class T, class I>
class Dummy_instance;

template <class T>
class Info : public Info_base {
public:
    // The canonical descriptor of T, defined by the unit that describes T.
    static const Info<T> info;

    explicit Info(const char* name) : Info_base(name) {}
    template <std::size_t N>
    Info(const char* name, Subelement_table<T> (&table)[N]);
    Info(const char* name, Access::Accessor<T>* text) : Info_base(name), text_(text) {}
    template <std::size_t N>
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Subelement_table<T> (&table)[N]);
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes) : Info_base(name), attributes_(&attributes) {}
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Access::Accessor<T>* text)
        : Info_base(name), text_(text), attributes_(&attributes) {}
    template <std::size_t N>
    Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Access::Accessor<T>* text,
         Subelement_table<T> (&table)[N]);
    ~Info() override;

    Instance_base* Get_instance(Input_data& input) const override;
    void Dump_elements(int level) const override;
    void Subregister(Subelement_register& reg) const override;
    void Describe(Element_description& d) const override { Describe_tables(d); }
    // What the tables say: attributes, text, children.
    void Describe_tables(Element_description& d) const;
    // The element of the record as a libxml2 tree (the caller owns it), or null.
    virtual xmlNode* Write(const T& record) const;
    // The element of the record written to a sink: attributes, then text,
    // then children, through the writing hooks below.
    virtual void Write(const T& record, Sink& sink) const;
    virtual void Start(T&, Input_data&) const {}
    virtual bool Finalize(T& record, Input_data& input) const;
    virtual bool Commit(T& record, Input_data& input) const;

    xmlNode* Write_header(const T& record) const;
    // The writing hooks: a record type may replace either by a
    // specialisation.  The node is the element being written (under the
    // stream sink, a node standing for it: see Sink).
    void Write_text(const T& record, xmlNode* node) const;
    void Write_subs(const T& record, xmlNode* node) const;
    void Text(const T& record, xmlNode* node) const;
    void Subs(const T& record, xmlNode* node) const;
    void Text(const T& record, Sink& sink) const;
    void Subs(const T& record, Sink& sink) const;
    unsigned Tag_count() const;

    Instance_base* Lookup(const xmlChar* tag, unsigned* counters, Input_data& input, T& record) const;
    // Whether a child of this tag is the record's content (one per record),
    // whether the tag is filed among the children at all, and the first
    // required child the counters saw none of.
    bool Is_content(const xmlChar* tag) const;
    bool Is_decoded(const xmlChar* tag) const { return subs_ && subs_->Is_decoded(tag); }
    bool Has_child(const xmlChar* tag) const;
    const char* Missing(const unsigned* counters) const;
    // The child of this tag as the record writes it (its first entry), in
    // the stream sink's text; empty when none is filed.
    std::string Child_text(const char* tag, const T& record) const;
    bool Attribute(const xmlChar* name, Format::Scanner& s, T& record) const;
    bool Read(Format::Scanner& s, T& record) const { return text_.Read(s, record); }

    const Attrib::Attrib_Hash<T>* Attributes() const { return attributes_; }
    const Subelement_hash<T>* Sub_elements() const { return subs_.get(); }
    bool Has_text() const { return static_cast<bool>(text_); }

    static void dump_attr(const char* name) { std::printf("%s=\"\" ", name); }
    static void dump_sub(const Subelement_base<T>& entry, int level);

private:
    Accessor<T> text_;
    std::unique_ptr<Subelement_hash<T>> subs_;
    const Attrib::Attrib_Hash<T>* attributes_ = nullptr;
};

// A leaf element carrying one value and nothing else.
template <class T>
class Info_primative : public Info_base {
public:
    Info_primative() : Info_base("Reserved"), text_(Get_Access<T>("%02X ")) {}
    explicit Info_primative(const char* name) : Info_base(name), text_(Get_Access<T>("%d")) {}
    Info_primative(const char* name, const char* format) : Info_base(name), text_(Get_Access<T>(format)) {}
    Info_primative(const char* name, const Value_hash<T>& table) : Info_base(name), text_(Get_Access<T>(table)) {}
    Info_primative(const char* name, Format::TIME_MODE mode) : Info_base(name), text_(Get_Access<T>(mode)) {}

    Instance_base* Get_instance(Input_data& input) const override;
    void Describe(Element_description& d) const override {
        Info_base::Describe(d);
        d.has_text = true;
        text_.Describe(d.text);
    }
    virtual xmlNode* Write(const T& value) const {
        Tree_sink sink;
        Write(value, sink);
        return sink.Take();
    }
    virtual void Write(const T& value, Sink& sink) const {
        if (!sink.Start(Name())) return;
        Format::Printer& p = sink.Printer();
        p.Reset();
        text_.Write(p, value);
        sink.Text(p.Data(), p.Length());
        sink.End();
    }
    unsigned Tag_count() const { return 0; }
    void Start(T&, Input_data&) const {}
    Instance_base* Lookup(const xmlChar*, unsigned*, Input_data&, T&) const { return nullptr; }
    bool Is_content(const xmlChar*) const { return false; }
    bool Is_decoded(const xmlChar*) const { return false; }
    bool Has_child(const xmlChar*) const { return false; }
    const char* Missing(const unsigned*) const { return nullptr; }
    std::string Child_text(const char*, const T&) const { return std::string(); }
    bool Has_text() const { return true; }
    bool Attribute(const xmlChar*, Format::Scanner& s, T&) const {
        s.Error("No attributes for %s\n", Name());
        return true;
    }
    bool Read(Format::Scanner& s, T& value) const { return text_.Read(s, value); }
    bool Finalize(T&, Input_data&) const { return true; }
    bool Commit(T&, Input_data&) const { return true; }

private:
    Accessor<T> text_;
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

// ---- Info<T> members -------------------------------------------------------------

template <class T>
template <std::size_t N>
Info<T>::Info(const char* name, Subelement_table<T> (&table)[N])
    : Info_base(name), subs_(new Subelement_hash<T>(table)) {}

template <class T>
template <std::size_t N>
Info<T>::Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Subelement_table<T> (&table)[N])
    : Info_base(name), subs_(new Subelement_hash<T>(table)), attributes_(&attributes) {}

template <class T>
template <std::size_t N>
Info<T>::Info(const char* name, const Attrib::Attrib_Hash<T>& attributes, Access::Accessor<T>* text,
              Subelement_table<T> (&table)[N])
    : Info_base(name), text_(text), subs_(new Subelement_hash<T>(table)), attributes_(&attributes) {}

template <class T>
Info<T>::~Info() = default;

template <class T>
Instance_base* Info<T>::Get_instance(Input_data& input) const {
    return new Dummy_instance<T, Info<T>>(input, *this);
}

template <class T>
Instance_base* Info_primative<T>::Get_instance(Input_data& input) const {
    return new Dummy_instance<T, Info_primative<T>>(input, *this);
}

template <class T>
xmlNode* Info<T>::Write(const T& record) const {
    Tree_sink sink;
    Write(record, sink);
    return sink.Take();
}

template <class T>
void Info<T>::Write(const T& record, Sink& sink) const {
    if (!sink.Start(Name())) return;
    if (attributes_) attributes_->Log(sink, record, sink.Printer());
    Write_text(record, sink.Hook_node());
    sink.Hook_done();
    Write_subs(record, sink.Hook_node());
    sink.Hook_done();
    sink.End();
}

template <class T>
xmlNode* Info<T>::Write_header(const T& record) const {
    xmlNode* node = xmlNewNode(nullptr, To_xml(Name()));
    if (!node) return nullptr;
    if (attributes_) {
        Tree_sink sink(node);
        attributes_->Log(sink, record, sink.Printer());
    }
    return node;
}

template <class T>
void Info<T>::Write_text(const T& record, xmlNode* node) const {
    Text(record, node);
}
template <class T>
void Info<T>::Write_subs(const T& record, xmlNode* node) const {
    Subs(record, node);
}

template <class T>
void Info<T>::Text(const T& record, xmlNode* node) const {
    if (!text_ || !node) return;
    if (Sink* sink = Sink::Of(node)) return Text(record, *sink);
    Tree_sink sink(node);
    Text(record, sink);
}

template <class T>
void Info<T>::Subs(const T& record, xmlNode* node) const {
    if (!subs_ || !node) return;
    if (Sink* sink = Sink::Of(node)) return Subs(record, *sink);
    Tree_sink sink(node);
    Subs(record, sink);
}

template <class T>
void Info<T>::Text(const T& record, Sink& sink) const {
    if (!text_) return;
    Format::Printer& p = sink.Printer();
    p.Reset();
    text_.Write(p, record);
    sink.Text(p.Data(), p.Length());
}

template <class T>
void Info<T>::Subs(const T& record, Sink& sink) const {
    if (!subs_) return;
    for (unsigned i = 0; i < subs_->Count(); ++i) (*subs_)[i]->Write(record, sink);
}

template <class T>
unsigned Info<T>::Tag_count() const {
    return subs_ ? subs_->Tag_count() : 0;
}

template <class T>
bool Info<T>::Finalize(T&, Input_data&) const {
    return true;
}
template <class T>
bool Info<T>::Commit(T&, Input_data&) const {
    return true;
}

template <class T>
Instance_base* Info<T>::Lookup(const xmlChar* tag, unsigned* counters, Input_data& input, T& record) const {
    if (subs_)
        if (Subelement_base<T>* entry = subs_->Lookup(tag, counters, record)) return entry->Get_instance(input, record);
    if (const Info_base* filed = Find(tag)) return filed->Get_instance(input);
    return nullptr;
}

template <class T>
bool Info<T>::Is_content(const xmlChar* tag) const {
    return subs_ && subs_->Is_content(tag);
}
template <class T>
bool Info<T>::Has_child(const xmlChar* tag) const {
    return subs_ && subs_->Has(tag);
}
template <class T>
const char* Info<T>::Missing(const unsigned* counters) const {
    return subs_ ? subs_->Missing(counters) : nullptr;
}
template <class T>
std::string Info<T>::Child_text(const char* tag, const T& record) const {
    const auto* list = subs_ ? subs_->Lookup(To_xml(tag)) : nullptr;
    if (!list || !list->Count()) return std::string();
    Stream_sink sink;
    (*list)[0]->Write(record, sink);
    return sink.Output();
}

template <class T>
bool Info<T>::Attribute(const xmlChar* name, Format::Scanner& s, T& record) const {
    const Attrib::Hash_entry<T>* endpoint = attributes_ ? attributes_->Lookup(name) : nullptr;
    if (!endpoint) {
        // The report names the element before it, and the attribute in it.
        Input_data* input = s.Input();
        const char* attribute = input ? input->attribute : nullptr;
        if (input) input->attribute = nullptr;
        s.Error("unknown attribute \"%s\"", From_xml(name));
        if (input) input->attribute = attribute;
        return false;
    }
    return endpoint->Read(s, record);
}

template <class T>
void Info<T>::Subregister(Subelement_register& reg) const {
    if (!subs_) return;
    for (unsigned i = 0; i < subs_->Count(); ++i) reg.Register((*subs_)[i]);
}

// Anonymous descriptors among the children give their own children.
template <class T>
void Info<T>::Describe_tables(Element_description& d) const {
    Info_base::Describe(d);
    if (attributes_)
        attributes_->Each([&d](const xmlChar* name, const Attrib::Hash_entry<T>& endpoint) {
            d.attributes.emplace_back(From_xml(name), Value_description());
            endpoint.Describe(d.attributes.back().second);
        });
    d.has_text = static_cast<bool>(text_);
    text_.Describe(d.text);
    if (!subs_) return;
    for (unsigned i = 0; i < subs_->Count(); ++i) {
        const Info_base& child = (*subs_)[i]->Info();
        if (*child.Name()) {
            d.children.push_back(&child);
            continue;
        }
        Element_description spliced;
        child.Describe(spliced);
        d.children.insert(d.children.end(), spliced.children.begin(), spliced.children.end());
        d.choices.insert(d.choices.end(), spliced.choices.begin(), spliced.choices.end());
    }
}

template <class T>
void Info<T>::dump_sub(const Subelement_base<T>& entry, int level) {
    entry.Dump_elements(level);
}

template <class T>
void Info<T>::Dump_elements(int level) const {
    if (*Name()) {
        indent_printf(level, "<%s ", Name());
        ++level;
        if (attributes_) attributes_->Each_name(&dump_attr);
        std::printf(">\n");
    }
    if (text_) indent_printf(level, "Text is allowed\n");
    Dump_subs(level);
    if (subs_) subs_->Dump_elements(level);
}

}  // namespace XML_routines

// Declares, in a header, the canonical descriptor of T defined in one unit.
#define XML_DECLARE_INFO(T) \
    template <>             \
    const ::XML_routines::Info<T> XML_routines::Info<T>::info

#endif
