// Sub-element tables.
//
// An element's children are a static array of entries, one per child.  An
// entry is a small chain of links: the outer links select the part of the
// parent record the child describes (a member, a value read through member
// functions or a bit field, the record converted to a related type, a
// condition, a commit function), the innermost names the child's
// descriptor.  The same chain writes the child and makes the parse state
// that reads it.  The table's hash maps each tag to the entries that carry
// it, so that repeated tags fill successive entries; an anonymous
// descriptor's entries are spliced into the hash of the element embeds it.
#ifndef TESSEL_XML_SUBELEMENTS_H
#define TESSEL_XML_SUBELEMENTS_H

#include <cstdio>
#include <cstdlib>
#include <typeinfo>
#include <vector>

#include "XML_info.h"

namespace XML_routines {

template <class T, class S, class A>
class Subelement_access;
template <class T, class S>
class Subelement_cast;
template <class T, class C, class S, class A>
class IfCondition;
template <class T, class S>
class Subelement_commit;
template <class T>
class Subelement_mark;

// The marks a chain may carry (see Subelement_base::Content and the
// builders beside it).
struct Mark {
    static constexpr unsigned content = 1, required = 2, decoded = 4;
};

namespace detail {
template <class S, class T>
S& As(T& r) {
    if constexpr (std::is_same_v<S, T>) return r;
    else return static_cast<S&>(r);
}
template <class S, class T>
const S& As(const T& r) {
    if constexpr (std::is_same_v<S, T>) return r;
    else return static_cast<const S&>(r);
}
}  // namespace detail

// Where a conditional child's condition lies: the record that holds the
// field and the field's accessor; no record for a child without one.
struct Condition_site {
    const void* record = nullptr;
    const std::type_info* field = nullptr;
    bool holds = true;  // the field has the child's value now
    bool Same(const Condition_site& other) const {
        return record && record == other.record && *field == *other.field;
    }
};

template <class T>
class Subelement_base : public Subelement_sub_base {
public:
    Subelement_base() = default;
    Subelement_base(const Subelement_base&) = delete;
    Subelement_base& operator=(const Subelement_base&) = delete;

    virtual Instance_base* Get_instance(Input_data& input, T& record) const = 0;
    virtual xmlNode* Write(const T& record) const = 0;
    // The child written to a sink; by default its tree, handed over.
    virtual void Write(const T& record, Sink& sink) const { sink.Node(Write(record)); }
    virtual const Info_base& Info() const = 0;
    // This entry rebuilt around an entry of the anonymous descriptor it
    // names; null when it cannot be.
    virtual Subelement_base<T>* Clone(Subelement_sub_base* entry) const = 0;
    // The condition the child exists under, in record.
    virtual Condition_site Condition(const T&) const { return {}; }

    // The child's tag: a top-level descriptor named by its path
    // ("/Root/Tag") is a child under its last component.
    const char* Name() const { return Info().Tag(); }
    void IncrRefCount() const { ++refs_; }
    void DecrRefCount() const {
        if (--refs_ < 1) delete this;
    }
    void Dump_elements(int level) const { Info().Dump_elements(level); }

    // Marks set by the builders Content and Required below, seen through
    // every link of the chain.
    virtual bool Is_content() const { return false; }
    virtual bool Is_required() const { return false; }
    virtual bool Is_decoded() const { return false; }

    // The child of the member of type T of the enclosing record O.
    template <class O>
    Subelement_base<O>& Of(T O::*member) {
        using A = Access::GetSet_member<O, T>;
        return *new Subelement_access<O, T, A>(A(member), *this);
    }
    // The child of the enclosing record O converted to T (its T base part,
    // or what its conversion to a T reference returns).
    template <class O>
    Subelement_base<O>& Of() {
        return *new Subelement_cast<O, T>(*this);
    }
    // The child exists while the field read through access equals value;
    // reading it sets the field so.
    template <class A, class C>
    Subelement_base<T>& If(const A& access, C value) {
        return *new IfCondition<T, C, T, A>(access, value, true, *this);
    }
    // The child exists while the field differs from value.
    template <class A, class C>
    Subelement_base<T>& IfNot(const A& access, C value) {
        return *new IfCondition<T, C, T, A>(access, value, false, *this);
    }
    // Calls fn on the record, with the input context, when the child has
    // been read.
    template <class U = T>
    Subelement_base<U>& Commit(bool (U::*fn)(Input_data&) = nullptr) {
        return *new Subelement_commit<U, U>(fn, *this);
    }
    // The child is the record's content, one of the alternatives a record
    // holds only one of: a second content child in the same element is
    // refused at its line.
    Subelement_base<T>& Content() { return *new Subelement_mark<T>(*this, Mark::content); }
    // The child is the decoded form of the record's content: it may follow
    // the raw form (a log shows both), and must then describe the same
    // octets.
    Subelement_base<T>& Decoded() { return *new Subelement_mark<T>(*this, Mark::content | Mark::decoded); }
    // The child must be present: an element without it is refused at its
    // end.
    Subelement_base<T>& Required() { return *new Subelement_mark<T>(*this, Mark::required); }

protected:
    ~Subelement_base() override = default;

private:
    mutable int refs_ = 1;
};

// One element of a static sub-element table.  An entry for a base part or
// conversion S of T is wrapped in a cast.
template <class T>
struct Subelement_table {
    Subelement_base<T>* entry;
    Subelement_table(Subelement_base<T>& e) : entry(&e) {}
    template <class S, class = std::enable_if_t<!std::is_same_v<S, T>>>
    Subelement_table(Subelement_base<S>& e) : entry(new Subelement_cast<T, S>(e)) {}
};

// The innermost link: the child's descriptor, reading the record itself.
template <class T, class I>
class Subelement_entry : public Subelement_base<T> {
public:
    explicit Subelement_entry(const I& info) : info_(info) {}
    Instance_base* Get_instance(Input_data& input, T& record) const override {
        return new Instance<T, I>(input, info_, record);
    }
    xmlNode* Write(const T& record) const override {
        xmlNode* node = info_.Write(record);
        if (node && node->name && node->name[0] == '/') xmlNodeSetName(node, To_xml(info_.Tag()));
        return node;
    }
    void Write(const T& record, Sink& sink) const override { info_.Write(record, sink); }
    const Info_base& Info() const override { return info_; }
    Subelement_base<T>* Clone(Subelement_sub_base* entry) const override {
        auto* same = dynamic_cast<Subelement_base<T>*>(entry);
        if (!same) {
            std::fprintf(stderr, "Mismatch: wanted %s, got %s\n", typeid(Subelement_base<T>).name(),
                         typeid(*entry).name());
            std::abort();
        }
        same->IncrRefCount();
        return same;
    }

private:
    const I& info_;
};

// A leaf descriptor that is its own entry.
template <class T>
class Subelement_primative : public Info_primative<T>, public Subelement_entry<T, Info_primative<T>> {
public:
    template <class... F>
    explicit Subelement_primative(const char* name, F&&... format)
        : Info_primative<T>(name, std::forward<F>(format)...),
          Subelement_entry<T, Info_primative<T>>(static_cast<const Info_primative<T>&>(*this)) {}
    xmlNode* Write(const T& record) const override { return Info_primative<T>::Write(record); }
    void Write(const T& record, Sink& sink) const override { Info_primative<T>::Write(record, sink); }
};

// A link that passes a part S of the record T on to the next link.
template <class T, class S>
class Subelement_chain : public Subelement_base<T> {
public:
    explicit Subelement_chain(Subelement_base<S>& next) : next_(next) {}
    ~Subelement_chain() override { next_.DecrRefCount(); }
    const Info_base& Info() const override { return next_.Info(); }
    bool Is_content() const override { return next_.Is_content(); }
    bool Is_required() const override { return next_.Is_required(); }
    bool Is_decoded() const override { return next_.Is_decoded(); }

protected:
    Subelement_base<S>& next_;
};

// A mark on the chain; reads and writes as the next link.
template <class T>
class Subelement_mark : public Subelement_chain<T, T> {
public:
    Subelement_mark(Subelement_base<T>& next, unsigned marks) : Subelement_chain<T, T>(next), marks_(marks) {}
    Instance_base* Get_instance(Input_data& input, T& record) const override {
        return this->next_.Get_instance(input, record);
    }
    xmlNode* Write(const T& record) const override { return this->next_.Write(record); }
    void Write(const T& record, Sink& sink) const override { this->next_.Write(record, sink); }
    Subelement_base<T>* Clone(Subelement_sub_base* entry) const override {
        Subelement_base<T>* next = this->next_.Clone(entry);
        return next ? new Subelement_mark(*next, marks_) : nullptr;
    }
    bool Is_content() const override { return (marks_ & Mark::content) || this->next_.Is_content(); }
    bool Is_required() const override { return (marks_ & Mark::required) || this->next_.Is_required(); }
    bool Is_decoded() const override { return (marks_ & Mark::decoded) || this->next_.Is_decoded(); }

private:
    unsigned marks_;
};

template <class T, class S>
class Subelement_cast : public Subelement_chain<T, S> {
public:
    using Subelement_chain<T, S>::Subelement_chain;
    Instance_base* Get_instance(Input_data& input, T& record) const override {
        return this->next_.Get_instance(input, detail::As<S>(record));
    }
    xmlNode* Write(const T& record) const override { return this->next_.Write(detail::As<S>(record)); }
    void Write(const T& record, Sink& sink) const override { this->next_.Write(detail::As<S>(record), sink); }
    Subelement_base<T>* Clone(Subelement_sub_base* entry) const override {
        Subelement_base<S>* next = this->next_.Clone(entry);
        return next ? new Subelement_cast(*next) : nullptr;
    }
    Condition_site Condition(const T& record) const override { return this->next_.Condition(detail::As<S>(record)); }
};

// A part S of T reached through the get-set object A: in place for members,
// through a temporary stored back when the child is finalised for values
// read through member functions or bit fields.
template <class T, class S, class A>
class Subelement_access : public Subelement_chain<T, S> {
public:
    Subelement_access(const A& access, Subelement_base<S>& next) : Subelement_chain<T, S>(next), access_(access) {}

    Instance_base* Get_instance(Input_data& input, T& record) const override {
        if constexpr (std::is_base_of_v<Access::GetSet_nocopy, A>) {
            return this->next_.Get_instance(input, access_.Ref(record));
        } else {
            auto* hook = new CopyBack(input, record, access_);
            Instance_base* state = this->next_.Get_instance(input, hook->temporary);
            if (!state) {
                delete hook;
                return nullptr;
            }
            hook->Hook_to(*state);
            return state;
        }
    }
    xmlNode* Write(const T& record) const override { return this->next_.Write(access_.Get(record)); }
    void Write(const T& record, Sink& sink) const override { this->next_.Write(access_.Get(record), sink); }
    Subelement_base<T>* Clone(Subelement_sub_base* entry) const override {
        Subelement_base<S>* next = this->next_.Clone(entry);
        return next ? new Subelement_access(access_, *next) : nullptr;
    }
    // A condition inside a member is found there; one inside a value read
    // through a copy has no place of its own.
    Condition_site Condition(const T& record) const override {
        if constexpr (std::is_base_of_v<Access::GetSet_nocopy, A>)
            return this->next_.Condition(access_.Ref(const_cast<T&>(record)));
        else return {};
    }

private:
    // A value that does not fit its field is reported, which refuses the
    // child, and not stored.
    struct CopyBack : Finalize_hook {
        CopyBack(Input_data& in, T& r, const A& a) : input(in), record(r), access(a), temporary(a.Get(r)) {}
        void Hook() override {
            Format::Scanner report("", &input);
            if (Access::Keeps(access, temporary, record, report)) access.Set(temporary, record);
        }
        Input_data& input;
        T& record;
        const A& access;
        S temporary;
    };
    A access_;
};

// A child present only while a field of the record equals (If) or differs
// from (IfNot) a value; reading the child makes the condition true.
template <class T, class C, class S, class A>
class IfCondition : public Subelement_chain<T, S> {
public:
    IfCondition(const A& access, C value, bool equal, Subelement_base<S>& next)
        : Subelement_chain<T, S>(next), access_(access), value_(value), equal_(equal) {}

    Instance_base* Get_instance(Input_data& input, T& record) const override {
        if (equal_) access_.Set(value_, record);
        else if constexpr (std::is_same_v<C, bool>) access_.Set(!value_, record);
        return this->next_.Get_instance(input, detail::As<S>(record));
    }
    xmlNode* Write(const T& record) const override {
        if ((static_cast<C>(access_.Get(record)) == value_) != equal_) return nullptr;
        return this->next_.Write(detail::As<S>(record));
    }
    void Write(const T& record, Sink& sink) const override {
        if ((static_cast<C>(access_.Get(record)) == value_) == equal_) this->next_.Write(detail::As<S>(record), sink);
    }
    Subelement_base<T>* Clone(Subelement_sub_base* entry) const override {
        Subelement_base<S>* next = this->next_.Clone(entry);
        return next ? new IfCondition(access_, value_, equal_, *next) : nullptr;
    }
    Condition_site Condition(const T& record) const override {
        return {&record, &typeid(A), (static_cast<C>(access_.Get(record)) == value_) == equal_};
    }

private:
    A access_;
    C value_;
    bool equal_;
};

// Calls a member function of the record when the child has been read.
template <class T, class S>
class Subelement_commit : public Subelement_chain<T, S> {
public:
    using Function = bool (T::*)(Input_data&);
    Subelement_commit(Function fn, Subelement_base<S>& next) : Subelement_chain<T, S>(next), fn_(fn) {}

    Instance_base* Get_instance(Input_data& input, T& record) const override {
        Instance_base* state = this->next_.Get_instance(input, detail::As<S>(record));
        if (state && fn_) (new Commit_hook(input, record, fn_))->Hook_to(*state);
        return state;
    }
    xmlNode* Write(const T& record) const override { return this->next_.Write(detail::As<S>(record)); }
    void Write(const T& record, Sink& sink) const override { this->next_.Write(detail::As<S>(record), sink); }
    Subelement_base<T>* Clone(Subelement_sub_base* entry) const override {
        Subelement_base<S>* next = this->next_.Clone(entry);
        return next ? new Subelement_commit(fn_, *next) : nullptr;
    }
    Condition_site Condition(const T& record) const override { return this->next_.Condition(detail::As<S>(record)); }

private:
    struct Commit_hook : Finalize_hook {
        Commit_hook(Input_data& i, T& r, Function f) : input(i), record(r), fn(f) {}
        void Hook() override { (record.*fn)(input); }
        Input_data& input;
        T& record;
        Function fn;
    };
    Function fn_;
};

// The entries filed under one tag, in filing order.
template <class T>
class Subelement_hash_list {
public:
    Subelement_hash_list(const char* name, unsigned tag_index) : name_(name), tag_index_(tag_index) {
        entries_.reserve(10);
    }
    ~Subelement_hash_list() {
        for (auto* e : entries_) e->DecrRefCount();
    }
    void Add(Subelement_base<T>* e) {
        e->IncrRefCount();
        entries_.push_back(e);
    }
    const char* Name() const { return name_; }
    unsigned Tag_index() const { return tag_index_; }
    unsigned Count() const { return static_cast<unsigned>(entries_.size()); }
    Subelement_base<T>* operator[](unsigned i) const { return entries_[i]; }

private:
    const char* name_;
    unsigned tag_index_;
    std::vector<Subelement_base<T>*> entries_;
};

template <class T>
class Subelement_hash : public Hash<Subelement_hash_list<T>> {
    using List = Subelement_hash_list<T>;

public:
    template <std::size_t N>
    explicit Subelement_hash(Subelement_table<T> (&table)[N]) : Hash<List>(N, &Delete_list), table_(table) {}

    using Hash<List>::Lookup;
    // The entry for this occurrence of the tag: the k-th occurrence inside
    // one parent goes to the k-th entry filed under the tag.
    Subelement_base<T>* Lookup(const xmlChar* tag, unsigned* counters) const {
        const List* list = Lookup(tag);
        if (!list) return nullptr;
        if (!counters) return (*list)[0];
        unsigned& seen = counters[list->Tag_index()];
        if (seen >= list->Count()) return nullptr;
        return (*list)[seen++];
    }
    // The same for the record being read: the occurrences inside one
    // parent fill the entries filed under the tag in turn, passing over an
    // entry whose condition a sibling read before has settled otherwise (a
    // word shown as a unit has no talk-group entry left).
    Subelement_base<T>* Lookup(const xmlChar* tag, unsigned* counters, const T& record) const {
        const List* list = Lookup(tag);
        if (!list) return nullptr;
        if (!counters) return (*list)[0];
        unsigned& seen = counters[list->Tag_index()];
        while (seen < list->Count()) {
            Subelement_base<T>* entry = (*list)[seen++];
            if (!Settled_otherwise(*entry, counters, record)) return entry;
        }
        return nullptr;
    }
    Subelement_base<T>* operator[](unsigned i) const { return i < this->Count() ? table_[i].entry : nullptr; }
    // Whether the tag is filed here, and whether it is a content child.
    bool Has(const xmlChar* tag) const { return Lookup(tag) != nullptr; }
    bool Is_content(const xmlChar* tag) const {
        const List* list = Lookup(tag);
        return list && list->Count() && (*list)[0]->Is_content();
    }
    bool Is_decoded(const xmlChar* tag) const {
        const List* list = Lookup(tag);
        return list && list->Count() && (*list)[0]->Is_decoded();
    }
    // The first required child of which the counters saw none, or null.
    const char* Missing(const unsigned* counters) const {
        if (!counters || !any_required_) return nullptr;
        const char* missing = nullptr;
        this->Each([&](const xmlChar*, const List& list) {
            if (missing || counters[list.Tag_index()]) return;
            for (unsigned i = 0; i < list.Count(); ++i)
                if (list[i]->Is_required()) missing = list.Name();
        });
        return missing;
    }
    unsigned Tag_count() const {
        this->Init_if_needed();
        return tag_count_;
    }
    void Dump_elements(int level) const {
        this->Each([level](const xmlChar*, const List& list) {
            for (unsigned i = 0; i < list.Count(); ++i) list[i]->Dump_elements(level);
        });
    }

    // Files an entry under its tag; a nameless entry (an anonymous
    // descriptor) files each of its descriptor's entries instead, rebuilt
    // so that they reach the anonymous record from this one.
    void Add_entry(Subelement_base<T>* entry) const {
        const char* name = entry->Name();
        if (*name) {
            List* list = Lookup(To_xml(name));
            if (!list) {
                list = new List(name, tag_count_++);
                this->Add(*list, To_xml(name));
                by_index_.push_back(list);
            }
            list->Add(entry);
            if (entry->Is_required()) any_required_ = true;
            return;
        }
        Subreg reg(*this, *entry);
        entry->Info().Subregister(reg);
    }

protected:
    void Init() const override {
        this->Create_table();
        tag_count_ = 0;
        by_index_.clear();
        for (unsigned i = 0; i < this->Count(); ++i) Add_entry(table_[i].entry);
    }

private:
    class Subreg : public Subelement_register {
    public:
        Subreg(const Subelement_hash& hash, const Subelement_base<T>& anonymous) : hash_(hash), anonymous_(anonymous) {}
        void Register(Subelement_sub_base* inner) override {
            if (Subelement_base<T>* clone = anonymous_.Clone(inner)) {
                hash_.Add_entry(clone);
                clone->DecrRefCount();
            }
        }

    private:
        const Subelement_hash& hash_;
        const Subelement_base<T>& anonymous_;
    };
    // Whether a condition that does not hold was made so by an entry passed
    // already in this parent (its lists' counters).
    bool Settled_otherwise(const Subelement_base<T>& entry, const unsigned* counters, const T& record) const {
        const Condition_site site = entry.Condition(record);
        if (!site.record || site.holds) return false;
        for (const List* list : by_index_)
            for (unsigned i = 0; i < counters[list->Tag_index()] && i < list->Count(); ++i)
                if ((*list)[i] != &entry && (*list)[i]->Condition(record).Same(site)) return true;
        return false;
    }
    static void Delete_list(void* payload, const xmlChar*) { delete static_cast<List*>(payload); }
    const Subelement_table<T>* table_;
    mutable unsigned tag_count_ = 0;
    mutable bool any_required_ = false;
    mutable std::vector<const List*> by_index_;  // the lists by tag index
};

// ---- sub-element builders -------------------------------------------------------------

namespace detail {
template <class T, class S, class Next>
Subelement_base<T>& Member_link(S T::*member, Next& next) {
    if constexpr (std::is_array_v<S>) {
        using A = Access::GetSet_member_arr<T, std::remove_extent_t<S>, std::extent_v<S>>;
        return *new Subelement_access<T, S, A>(A(member), next);
    } else {
        using A = Access::GetSet_member<T, S>;
        return *new Subelement_access<T, S, A>(A(member), next);
    }
}
template <class G>
using Record_of = typename G::record_type;
}  // namespace detail

// The canonical descriptor of T for the record itself.
template <class T>
Subelement_base<T>& Subelement() {
    return *new Subelement_entry<T, Info<T>>(Info<T>::info);
}
// A given descriptor for the record itself.
template <class T>
Subelement_base<T>& Subelement(const Info<T>& info) {
    return *new Subelement_entry<T, Info<T>>(info);
}
template <class T>
Subelement_base<T>& Subelement(const Info_primative<T>& info) {
    return *new Subelement_entry<T, Info_primative<T>>(info);
}
// A member, through its type's canonical descriptor.
template <class T, class S>
Subelement_base<T>& Subelement(S T::*member) {
    return detail::Member_link(member, *new Subelement_entry<S, Info<S>>(Info<S>::info));
}
// A member, through a given descriptor.
template <class T, class S>
Subelement_base<T>& Subelement(S T::*member, const Info<S>& info) {
    return detail::Member_link(member, *new Subelement_entry<S, Info<S>>(info));
}
template <class T, class S>
Subelement_base<T>& Subelement(S T::*member, const Info_primative<S>& info) {
    return detail::Member_link(member, *new Subelement_entry<S, Info_primative<S>>(info));
}
// A member as a new leaf with its own tag and format ("%d" when none), value
// table or time mode.
template <class T, class S, class... F>
Subelement_base<T>& Subelement(S T::*member, const char* name, F&&... format) {
    return detail::Member_link(member, *new Subelement_primative<S>(name, std::forward<F>(format)...));
}
// A value read through a getter and a setter, through its type's canonical
// descriptor.
template <class T, class G, class S, class R>
Subelement_base<T>& Subelement(G (T::*get)() const, R (T::*set)(S)) {
    using A = Access::GetSet_func<T, G, S, R>;
    using V = typename A::value_type;
    return *new Subelement_access<T, V, A>(A(get, set), *new Subelement_entry<V, Info<V>>(Info<V>::info));
}
// The same as a new leaf.
template <class T, class G, class S, class R, class... F>
Subelement_base<T>& Subelement(G (T::*get)() const, R (T::*set)(S), const char* name, F&&... format) {
    using A = Access::GetSet_func<T, G, S, R>;
    using V = typename A::value_type;
    return *new Subelement_access<T, V, A>(A(get, set), *new Subelement_primative<V>(name, std::forward<F>(format)...));
}
// A value reached through a get-set object (a bit field, usually), chained
// to an existing entry or to a new leaf.
template <class A, class S, class T = detail::Record_of<A>>
Subelement_base<T>& Subelement(const A& access, Subelement_base<S>& next) {
    return *new Subelement_access<T, S, A>(access, next);
}
template <class A, class... F, class T = detail::Record_of<A>>
Subelement_base<T>& Subelement(const A& access, const char* name, F&&... format) {
    using V = typename A::value_type;
    return *new Subelement_access<T, V, A>(access, *new Subelement_primative<V>(name, std::forward<F>(format)...));
}
// Reserved octets: the shared leaf "Reserved", "%02X ".
template <class T, class S>
Subelement_base<T>& Subelement_reserved(S T::*member) {
    return detail::Member_link(member, *new Subelement_entry<S, Info_primative<S>>(Reserved_info<S>()));
}

}  // namespace XML_routines

#endif
