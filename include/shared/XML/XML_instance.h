// Parse states: one per element being read, bound to the element's
// descriptor and to the record the element fills.  A state answers the
// reader by delegating to its descriptor: attributes to the attribute hash,
// text to the text accessor, children to the sub-element hash.
#ifndef TESSEL_XML_INSTANCE_H
#define TESSEL_XML_INSTANCE_H

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "XML_routines.h"

namespace XML_routines {

class Record_descriptor;

// The occurrence counters of a parse state, one per distinct sub-element
// tag, all 0 at start (null when there are none); a few live in place.
class Tag_counters {
public:
    explicit Tag_counters(unsigned count) : count_(count) {
        if (count > in_place) heap_.reset(new unsigned[count]());
    }
    unsigned* get() const { return count_ == 0 ? nullptr : heap_ ? heap_.get() : local_; }

private:
    static constexpr unsigned in_place = 8;
    unsigned count_;
    mutable unsigned local_[in_place] = {};
    std::unique_ptr<unsigned[]> heap_;
};

// The parse state of one element over a record of the element's
// descriptor, compiled once: the record is untyped here.
class Record_instance : public Instance_base {
public:
    // begin: the descriptor's Start runs now (else the constructor of a
    // derived state calls Begin once the record is there).
    Record_instance(Input_data& input, const Record_descriptor& info, void* record, bool begin = true);
    ~Record_instance() override;

    // A child not matched although its tag is filed here is a repetition;
    // a second content child is refused at its line, and nothing of it is
    // read.
    Instance_base* Get_subinstance(const xmlChar* tag) const override;
    bool Attribute(const xmlChar* name, Format::Scanner& s) override;
    bool Text(Format::Scanner& s) override;
    // An element without one of its required children is refused.
    bool Finalize() override;
    bool Commit() override;
    const char* Name() const override;
    const Info_base* Descriptor() const override;

protected:
    void Begin();
    const Record_descriptor* info_;
    void* record_;
    Tag_counters counters_;

private:
    // The text of an element describes the same octets as its header
    // attributes (the opcode of a link-control word, say): read again over
    // the record the text made, each attribute must leave it as it is.
    bool Agrees_with_attributes();

    mutable std::string content_;  // the content child read so far
    // The record as the raw form of the content left it, when its decoded
    // form followed, and the decoded form's tag.
    mutable std::vector<unsigned char> raw_;
    mutable std::string decoded_;
    std::vector<std::pair<std::string, std::string>> attributes_read_;
};

// The functions of a parse state, overridden inline: the virtual table of
// every typed state then points at functions of the library that defines
// the state, which the loader relocates by adding that library's address,
// instead of looking up the runtime's symbol for each slot of each table.
class Local_instance : public Record_instance {
public:
    Instance_base* Get_subinstance(const xmlChar* tag) const override { return Record_instance::Get_subinstance(tag); }
    bool Attribute(const xmlChar* name, Format::Scanner& s) override { return Record_instance::Attribute(name, s); }
    bool Text(Format::Scanner& s) override { return Record_instance::Text(s); }
    bool Finalize() override { return Record_instance::Finalize(); }
    bool Commit() override { return Record_instance::Commit(); }
    bool Read_attribs(xmlNode* node) override { return Record_instance::Read_attribs(node); }
    const char* Name() const override { return Record_instance::Name(); }
    const Info_base* Descriptor() const override { return Record_instance::Descriptor(); }

protected:
    using Record_instance::Record_instance;
};

// A parse state over a record of type T, for descriptor I: a record of
// the parent's, or one of its own (zero filled, or made by the record's
// default constructor, before the descriptor's Start sees it).
template <class T, class I>
class Instance : public Local_instance {
public:
    Instance(Input_data& input, const I& info, T& record) : Local_instance(input, info, &record) {}
    Instance(Input_data& input, const I& info) : Local_instance(input, info, nullptr, false), own_(std::in_place) {
        record_ = &own_->value;
        Begin();
    }
    T& Record() const { return *static_cast<T*>(record_); }

private:
    struct Own {
        T value{};
    };
    std::optional<Own> own_;
};

// A parse state that parses into a record of its own.
template <class T, class I>
class Dummy_instance : public Instance<T, I> {
public:
    Dummy_instance(Input_data& input, const I& info) : Instance<T, I>(input, info) {}
};

}  // namespace XML_routines

#endif
