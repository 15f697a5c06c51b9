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

template <class T, class I>
class Instance : public Instance_base {
public:
    Instance(Input_data& input, const I& info, T& record)
        : Instance_base(input), info_(&info), record_(&record), counters_(info.Tag_count()) {
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
    Tag_counters counters_;
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
