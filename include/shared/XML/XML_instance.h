// Parse states: one per element being read, bound to the element's
// descriptor and to the record the element fills.  A state answers the
// reader by delegating to its descriptor: attributes to the attribute hash,
// text to the text accessor, children to the sub-element hash.
#ifndef TESSEL_XML_INSTANCE_H
#define TESSEL_XML_INSTANCE_H

#include <cstdio>
#include <memory>

#include "XML_routines.h"

namespace XML_routines {

template <class T, class I>
class Instance : public Instance_base {
public:
    Instance(Input_data& input, const I& info, T& record) : Instance_base(input), info_(&info), record_(&record) {
        if (const unsigned n = info.Tag_count()) counters_.reset(new unsigned[n]());
        info.Start(record, input);
        if (input.trace) std::fprintf(stderr, "%s Start processing\n", info.Name());
    }
    ~Instance() override {
        if (input_.trace) std::fprintf(stderr, "%s End processing\n", info_->Name());
    }

    Instance_base* Get_subinstance(const xmlChar* tag) const override {
        return info_->Lookup(tag, counters_.get(), input_, *record_);
    }
    bool Attribute(const xmlChar* name, Format::Scanner& s) override { return info_->Attribute(name, s, *record_); }
    bool Text(Format::Scanner& s) override { return info_->Read(s, *record_); }
    bool Finalize() override { return info_->Finalize(*record_, input_); }
    bool Commit() override { return info_->Commit(*record_, input_); }
    const char* Name() const override { return info_->Name(); }

    T& Record() const { return *record_; }

protected:
    const I* info_;
    T* record_;
    std::unique_ptr<unsigned[]> counters_;
};

namespace detail {
// Storage of a state that parses into a record of its own: built (zero
// filled, or by the record's default constructor) before the state.
template <class T>
struct Own_record {
    T own_record{};
};
}  // namespace detail

template <class T, class I>
class Dummy_instance : private detail::Own_record<T>, public Instance<T, I> {
public:
    Dummy_instance(Input_data& input, const I& info)
        : detail::Own_record<T>(), Instance<T, I>(input, info, this->own_record) {}
};

}  // namespace XML_routines

#endif
