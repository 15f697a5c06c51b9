// Parse states: one per element being read, bound to the element's
// descriptor and to the record the element fills.  A state answers the
// reader by delegating to its descriptor: attributes to the attribute hash,
// text to the text accessor, children to the sub-element hash.
#ifndef TESSEL_XML_INSTANCE_H
#define TESSEL_XML_INSTANCE_H

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

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

    // A child not matched although its tag is filed here is a repetition;
    // a second content child is refused at its line, and nothing of it is
    // read.
    Instance_base* Get_subinstance(const xmlChar* tag) const override {
        const unsigned errors = input_.Error_count();
        const bool content = info_->Is_content(tag);
        // The decoded form after the raw form: the record as the raw form
        // left it is kept, to be compared at the end.
        bool decoding = false;
        if constexpr (std::is_trivially_copyable_v<T>) {
            decoding = content && !content_.empty() && raw_.empty() && info_->Is_decoded(tag) &&
                       !info_->Is_decoded(To_xml(content_.c_str()));
            if (decoding) {
                const auto* octets = reinterpret_cast<const unsigned char*>(record_);
                raw_.assign(octets, octets + sizeof(T));
            }
        }
        Instance_base* child = info_->Lookup(tag, counters_.get(), input_, *record_);
        if (!child) {
            if (input_.Error_count() == errors && info_->Has_child(tag))
                Refuse("repeated <%s> in <%s>", From_xml(tag), info_->Tag());
            return nullptr;
        }
        if (content) {
            if (decoding) {
                decoded_ = From_xml(tag);
                return child;
            }
            if (!content_.empty()) {
                delete child;
                if (content_ == From_xml(tag)) Refuse("repeated <%s> in <%s>", From_xml(tag), info_->Tag());
                else Refuse("<%s> after <%s> in <%s>", From_xml(tag), content_.c_str(), info_->Tag());
                return nullptr;
            }
            content_ = From_xml(tag);
        }
        return child;
    }
    bool Attribute(const xmlChar* name, Format::Scanner& s) override {
        if (!info_->Attribute(name, s, *record_)) return false;
        if (info_->Has_text()) attributes_read_.emplace_back(From_xml(name), s.Text());
        return true;
    }
    bool Text(Format::Scanner& s) override { return info_->Read(s, *record_) && Agrees_with_attributes(); }
    // An element without one of its required children is refused.
    bool Finalize() override {
        if (const char* missing = info_->Missing(counters_.get()))
            return Refuse("no <%s> in <%s>", missing, info_->Tag());
        if constexpr (std::is_trivially_copyable_v<T>) {
            if (!raw_.empty() && std::memcmp(raw_.data(), record_, raw_.size()) != 0) {
                // A decoded form that hides bits (a code it names no value
                // for) reads back other octets: it describes the raw form
                // when it shows what the raw form's own decoding shows, and
                // the raw octets stand.
                auto* octets = reinterpret_cast<unsigned char*>(record_);
                const std::string shown = info_->Child_text(decoded_.c_str(), *record_);
                std::memcpy(octets, raw_.data(), raw_.size());
                if (info_->Child_text(decoded_.c_str(), *record_) != shown)
                    return Refuse("<%s> does not describe the octets of <%s> in <%s>", decoded_.c_str(),
                                  content_.c_str(), info_->Tag());
            }
        }
        return info_->Finalize(*record_, input_);
    }
    bool Commit() override { return info_->Commit(*record_, input_); }
    const char* Name() const override { return info_->Name(); }
    const Info_base* Descriptor() const override {
        if constexpr (std::is_base_of_v<Info_base, I>) return info_;
        else return nullptr;
    }

    T& Record() const { return *record_; }

protected:
    const I* info_;
    T* record_;
    Tag_counters counters_;

private:
    // The text of an element describes the same octets as its header
    // attributes (the opcode of a link-control word, say): read again over
    // the record the text made, each attribute must leave it as it is.
    bool Agrees_with_attributes() {
        if constexpr (std::is_trivially_copyable_v<T> && !std::is_array_v<T>) {
            static Input_data quiet;
            quiet.report_errors = false;
            for (const auto& [name, value] : attributes_read_) {
                T again = *record_;
                Format::Scanner s(value.c_str(), &quiet);
                if (!info_->Attribute(To_xml(name.c_str()), s, again)) continue;
                if (std::memcmp(&again, record_, sizeof(T)) == 0) continue;
                const char* attribute = input_.attribute;
                input_.attribute = name.c_str();
                input_.Error_handler("Value %s contradicts the element's text", 1, nullptr, value.c_str());
                input_.attribute = attribute;
                return false;
            }
        }
        return true;
    }

    mutable std::string content_;  // the content child read so far
    // The record as the raw form of the content left it, when its decoded
    // form followed, and the decoded form's tag.
    mutable std::vector<unsigned char> raw_;
    mutable std::string decoded_;
    std::vector<std::pair<std::string, std::string>> attributes_read_;
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
