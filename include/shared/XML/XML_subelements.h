// Sub-element tables.
//
// An element's children are a static array of entries, one per child.  An
// entry is a small chain of links: the outer links select the part of the
// parent record the child describes (a member, a value read through member
// functions or a bit field, the record converted to a related type, a
// condition, a commit function), the innermost names the child's
// descriptor.  The same chain writes the child and makes the parse state
// that reads it.  The table's index maps each tag to the entries that carry
// it, so that repeated tags fill successive entries; an anonymous
// descriptor's entries are spliced into the index of the element that
// embeds it.
//
// A link is one row of data (kind, member offset, get-set thunks, condition
// value, marks, the child's descriptor), so that one engine, compiled once
// in the runtime, walks every chain on an untyped record; Subelement_base<T>
// only adds the record type for the builders and the tables.
#ifndef TESSEL_XML_SUBELEMENTS_H
#define TESSEL_XML_SUBELEMENTS_H

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

#include "XML_info.h"

namespace XML_routines {

template <class T>
class Subelement_base;

// The marks a chain may carry (see Content, Decoded and Required below).
struct Mark {
    static constexpr unsigned content = 1, required = 2, decoded = 4;
    // Set on the link a mark was given to: the chain's condition is not
    // seen through it (a marked child is matched by its tag alone).
    static constexpr unsigned given = 0x80;
};

// Where a conditional child's condition lies: the record that holds the
// field and the field; no record for a child without one.
struct Condition_site {
    const void* record = nullptr;
    const void* field = nullptr;
    bool holds = true;  // the field has the child's value now
    bool Same(const Condition_site& other) const {
        return record && record == other.record && field == other.field;
    }
};

// The thunks of the links that reach a value other than through an offset:
// one constant table per get-set object type, of the link's kind.
namespace Link_ops {
// cast: the part of the record the next link reads.
struct Cast {
    void* (*part)(void* record);
};
// copy: the value read out of the record into storage, stored back (false:
// reported through report, not stored), destroyed.
struct Copy {
    std::size_t room;  // of the get-set object kept with the link
    void (*get)(const void* access, const void* record, void* value);
    bool (*store)(const void* access, const void* value, void* record, Format::Scanner& report);
    void (*destroy)(void* value);
};
// condition: the field as a number, and set to one.
struct Condition {
    std::size_t room;
    long long (*number)(const void* access, const void* record);
    void (*set_number)(const void* access, void* record, long long value);
    bool boolean;
};
// commit: the member function called on the record.
struct Commit {
    std::size_t room;
    bool (*call)(const void* function, void* record, Input_data& input);
};
}  // namespace Link_ops

// One link of a sub-element chain.
class Subelement_sub_base : public Table_object {
public:
    enum Kind : unsigned char { entry, member, cast, copy, condition, commit };

    Subelement_sub_base(const Subelement_sub_base& other);
    Subelement_sub_base& operator=(const Subelement_sub_base&) = delete;

    // The child's parse state over the record, or null.
    Instance_base* State(Input_data& input, void* record) const;
    // The child of the record written to a sink, or as a tree (null when
    // none is written).
    void Write_to(const void* record, Sink& sink) const;
    xmlNode* Tree(const void* record) const;
    // The same on a typed record.
    template <class R>
    Instance_base* Get_instance(Input_data& input, R& record) const {
        return State(input, &record);
    }
    template <class R>
    void Write(const R& record, Sink& sink) const {
        Write_to(&record, sink);
    }
    template <class R>
    xmlNode* Write(const R& record) const {
        return Tree(&record);
    }
    // The condition the child exists under, in record.
    Condition_site Condition(const void* record) const;

    // The child's descriptor.
    const Info_base& Info() const;
    // This chain rebuilt around an entry of the anonymous descriptor it
    // names; null when it cannot be.
    Subelement_sub_base* Clone(Subelement_sub_base* inner) const;
    // The child's tag: a top-level descriptor named by its path
    // ("/Root/Tag") is a child under its last component.
    const char* Name() const { return Info().Tag(); }
    void IncrRefCount() const { ++refs_; }
    void DecrRefCount() const;
    void Dump_elements(int level) const { Info().Dump_elements(level); }

    bool Is_content() const { return marks_ & Mark::content; }
    bool Is_required() const { return marks_ & Mark::required; }
    bool Is_decoded() const { return marks_ & Mark::decoded; }

protected:
    explicit Subelement_sub_base(const char* type) : type_(type) {}
    ~Subelement_sub_base();

    // The next link (taken over), whose marks this link shows.
    void Chain(Subelement_sub_base& next) {
        next_ = &next;
        marks_ = static_cast<unsigned char>(next.marks_ & ~Mark::given);
    }

    // What a copy, condition or commit link keeps beyond the next link: its
    // operations, the value a condition compares with, then the get-set
    // object (of the room the operations give).
    struct Kept : Table_object {
        const void* ops;  // the table of the link's kind
        long long value;
        const void* Access() const { return ::XML_routines::Access::Kept_after(this); }
        const Link_ops::Copy& Copy() const { return *static_cast<const Link_ops::Copy*>(ops); }
        const Link_ops::Condition& Condition() const { return *static_cast<const Link_ops::Condition*>(ops); }
        const Link_ops::Commit& Commit() const { return *static_cast<const Link_ops::Commit*>(ops); }
        // A condition: whether the field has the value (equal) or not.
        bool Holds(const void* record, bool equal) const {
            return (Condition().number(Access(), record) == value) == equal;
        }
    };
    template <class O, class A>
    Kept& Keep(const O& ops, const A& access) {
        kept_ = ::XML_routines::Access::Make_kept_row(Kept{{}, &ops, 0}, access);
        return *kept_;
    }
    // The octets of the get-set object kept after the link's Kept.
    std::size_t Kept_room() const;
    bool Keeps() const { return kind_ == copy || kind_ == condition || kind_ == commit; }

    Kind kind_ = entry;
    unsigned char marks_ = 0;
    bool equal_ = true;  // condition: the child exists while field == value (If) or != (IfNot)
    // entry: the link reads a member of an enclosing record (at offset_),
    // whose type type_ names instead of the descriptor's record type.
    bool of_member_ = false;
    mutable int refs_ = 1;
    const char* type_;  // the record type's name (detail::Type_name)
    // What each kind holds: an entry its descriptor and the offset of the
    // member it reads (0: the record itself); the others the next link, and
    // a member its offset, a cast its operations, the other kinds what they
    // keep.
    union {
        const Info_base* info_ = nullptr;    // entry
        Subelement_sub_base* next_;          // every kind but entry
    };
    union {
        std::size_t offset_ = 0;             // entry, member
        const Link_ops::Cast* ops_;          // cast
        Kept* kept_;                         // copy, condition, commit
    };

    template <class T>
    friend class Subelement_base;
};
// The tables hold about a thousand links: each costs its size at load.
static_assert(sizeof(Subelement_sub_base) == 8 + 3 * sizeof(void*), "a link is its kind and marks and three words");

namespace detail {
template <class S, class T>
S& As(T& r) {
    if constexpr (std::is_same_v<S, T>) return r;
    else return static_cast<S&>(r);
}

// The offset of a data member in its record.
template <class T, class S>
std::size_t Offset_of(S T::*member) {
    alignas(T) unsigned char storage[sizeof(T)];
    const T* record = reinterpret_cast<const T*>(storage);
    return static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&(record->*member)) - storage);
}

// The name of a record type, as text of the library that names it: a link
// knows the record type it reads by it, and a table that splices mismatched
// types is reported with it (the same text from two libraries names the
// same type).
template <class T>
const char* Type_name() {
    return __PRETTY_FUNCTION__;
}

template <class T, class S>
struct Cast_ops {
    static void* Part(void* record) { return &As<S>(*static_cast<T*>(record)); }
    static constexpr Link_ops::Cast ops{&Part};
};

template <class T, class S, class A>
struct Copy_ops {
    static_assert(sizeof(S) <= Value_room && alignof(S) <= alignof(std::max_align_t), "a value fits its room");
    static void Get(const void* access, const void* record, void* value) {
        new (value) S(static_cast<const A*>(access)->Get(*static_cast<const T*>(record)));
    }
    static bool Store(const void* access, const void* value, void* record, Format::Scanner& report) {
        const A& a = *static_cast<const A*>(access);
        const S& v = *static_cast<const S*>(value);
        T& r = *static_cast<T*>(record);
        if (!Access::Keeps(a, v, r, report)) return false;
        a.Set(v, r);
        return true;
    }
    static void Destroy(void* value) { static_cast<S*>(value)->~S(); }
    static constexpr Link_ops::Copy ops{Access::Kept_room<A>(), &Get, &Store, &Destroy};
};

template <class T, class C, class A>
struct Condition_ops {
    static long long Number(const void* access, const void* record) {
        return Access::As_number(static_cast<C>(static_cast<const A*>(access)->Get(*static_cast<const T*>(record))));
    }
    static void Set_number(const void* access, void* record, long long value) {
        static_cast<const A*>(access)->Set(static_cast<C>(value), *static_cast<T*>(record));
    }
    static constexpr Link_ops::Condition ops{Access::Kept_room<A>(), &Number, &Set_number, std::is_same_v<C, bool>};
};

template <class T>
struct Commit_ops {
    using Function = bool (T::*)(Input_data&);
    static bool Call(const void* function, void* record, Input_data& input) {
        return (static_cast<T*>(record)->**static_cast<const Function*>(function))(input);
    }
    static constexpr Link_ops::Commit ops{Access::Kept_room<Function>(), &Call};
};
}  // namespace detail

// A link of a chain that reads a record of type T; the builders below and
// the methods here make every kind.
template <class T>
class Subelement_base : public Subelement_sub_base {
public:
    using Subelement_sub_base::Condition;

    // The child of the member of type T of the enclosing record O.
    template <class O>
    Subelement_base<O>& Of(T O::*member) {
        return At_offset<O>(detail::Offset_of(member));
    }
    // The child of the enclosing record O converted to T (its T base part,
    // or what its conversion to a T reference returns).
    template <class O>
    Subelement_base<O>& Of() {
        auto* link = new Subelement_base<O>();
        link->kind_ = cast;
        link->ops_ = &detail::Cast_ops<O, T>::ops;
        link->Chain(*this);
        return *link;
    }
    // The child exists while the field read through access equals value;
    // reading it sets the field so.
    template <class A, class C>
    Subelement_base<T>& If(const A& access, C value) {
        return Conditional(access, value, true);
    }
    // The child exists while the field differs from value.
    template <class A, class C>
    Subelement_base<T>& IfNot(const A& access, C value) {
        return Conditional(access, value, false);
    }
    // Calls fn on the record, with the input context, when the child has
    // been read.
    template <class U = T>
    Subelement_base<U>& Commit(bool (U::*fn)(Input_data&) = nullptr) {
        static_assert(std::is_same_v<U, T>, "a commit function is a member of the record");
        if (!fn) return *this;  // nothing to call
        auto* link = new Subelement_base<T>();
        link->kind_ = commit;
        link->Keep(detail::Commit_ops<T>::ops, fn);
        link->Chain(*this);
        return *link;
    }
    // The child is the record's content, one of the alternatives a record
    // holds only one of: a second content child in the same element is
    // refused at its line.
    Subelement_base<T>& Content() { return Marked(Mark::content); }
    // The child is the decoded form of the record's content: it may follow
    // the raw form (a log shows both), and must then describe the same
    // octets.
    Subelement_base<T>& Decoded() { return Marked(Mark::content | Mark::decoded); }
    // The child must be present: an element without it is refused at its
    // end.
    Subelement_base<T>& Required() { return Marked(Mark::required); }

    // A typed link is a link and no more: links are copied and destroyed as
    // such, and seen as the link of an enclosing record type.
    Subelement_base() : Subelement_sub_base(detail::Type_name<T>()) {
        static_assert(sizeof(Subelement_base) == sizeof(Subelement_sub_base), "a typed link is a link");
    }
    explicit Subelement_base(const Subelement_sub_base& original) : Subelement_sub_base(original) {}

    // The innermost link: a descriptor of T reading the record itself.
    static Subelement_base<T>& Entry(const Info_base& info) {
        auto* link = new Subelement_base<T>();
        link->info_ = &info;
        return *link;
    }
    // A link to a part S of T reached through the get-set object A: in
    // place for members, through a copy stored back when the child is
    // finalised for values read through member functions or bit fields.
    template <class S, class A>
    static Subelement_base<T>& Access_link(const A& access, Subelement_base<S>& next) {
        if constexpr (std::is_base_of_v<Access::GetSet_nocopy, A>) {
            alignas(T) unsigned char storage[sizeof(T)];
            T* probe = reinterpret_cast<T*>(storage);
            return next.template At_offset<T>(
                static_cast<std::size_t>(reinterpret_cast<unsigned char*>(&access.Ref(*probe)) - storage));
        } else {
            using R = Access::Row_access<A>;
            auto* link = new Subelement_base<T>();
            link->kind_ = copy;
            link->Keep(detail::Copy_ops<T, S, R>::ops, Access::Row_access_of<A>::Of(access));
            link->Chain(next);
            return *link;
        }
    }

private:
    static constexpr Kind member_link = Subelement_sub_base::member;
    template <class>
    friend class Subelement_base;

    // The part at offset within the enclosing record O.  An entry no mark
    // was given to reads it itself (one link where a member and an entry
    // would be two); anything else is wrapped in a member link.
    template <class O>
    Subelement_base<O>& At_offset(std::size_t offset) {
        if (kind_ == entry && marks_ == 0) {
            offset_ += offset;
            of_member_ = true;
            type_ = detail::Type_name<O>();
            return reinterpret_cast<Subelement_base<O>&>(*this);
        }
        auto* link = new Subelement_base<O>();
        link->kind_ = member_link;
        link->offset_ = offset;
        link->Chain(*this);
        return *link;
    }
    template <class A, class C>
    Subelement_base<T>& Conditional(const A& access, C value, bool equal) {
        auto* link = new Subelement_base<T>();
        link->kind_ = condition;
        using R = Access::Row_access<A>;
        link->Keep(detail::Condition_ops<T, C, R>::ops, Access::Row_access_of<A>::Of(access)).value =
            Access::As_number(value);
        link->equal_ = equal;
        link->Chain(*this);
        return *link;
    }
    Subelement_base<T>& Marked(unsigned marks) {
        marks_ = static_cast<unsigned char>(marks_ | marks | Mark::given);
        return *this;
    }
};

// One element of a static sub-element table: the chain's first link.
struct Subelement_row {
    Subelement_sub_base* entry;
};

// One element of the table of a record T.  An entry for a base part or
// conversion S of T is wrapped in a cast.
template <class T>
struct Subelement_table : Subelement_row {
    Subelement_table(Subelement_base<T>& e) : Subelement_row{&e} {}
    template <class S, class = std::enable_if_t<!std::is_same_v<S, T>>>
    Subelement_table(Subelement_base<S>& e) : Subelement_row{&e.template Of<T>()} {}
};

// The entries filed under one tag, in filing order.
class Subelement_hash_list {
public:
    Subelement_hash_list(const char* name, unsigned tag_index) : name_(name), tag_index_(tag_index) {}
    ~Subelement_hash_list();
    Subelement_hash_list(const Subelement_hash_list&) = delete;
    Subelement_hash_list& operator=(const Subelement_hash_list&) = delete;
    void Add(Subelement_sub_base* e) {
        e->IncrRefCount();
        entries_.push_back(e);
    }
    const char* Name() const { return name_; }
    unsigned Tag_index() const { return tag_index_; }
    unsigned Count() const { return static_cast<unsigned>(entries_.size()); }
    Subelement_sub_base* operator[](unsigned i) const { return entries_[i]; }

private:
    const char* name_;
    unsigned tag_index_;
    std::vector<Subelement_sub_base*> entries_;
};

// The index of a sub-element table: tag to the entries that carry it,
// filled from the table on first use.
class Subelement_index : public Hash<Subelement_hash_list> {
    using List = Subelement_hash_list;

public:
    Subelement_index(const Subelement_row* table, unsigned count);
    ~Subelement_index() override;

    using Hash<List>::Lookup;
    // The entry for this occurrence of the tag: the k-th occurrence inside
    // one parent goes to the k-th entry filed under the tag.
    Subelement_sub_base* Lookup(const xmlChar* tag, unsigned* counters) const;
    // The same for the record being read: the occurrences inside one
    // parent fill the entries filed under the tag in turn, passing over an
    // entry whose condition a sibling read before has settled otherwise (a
    // word shown as a unit has no talk-group entry left).
    Subelement_sub_base* Lookup(const xmlChar* tag, unsigned* counters, const void* record) const;
    Subelement_sub_base* operator[](unsigned i) const { return i < Count() ? table_[i].entry : nullptr; }
    // Whether the tag is filed here, and whether it is a content child.
    bool Has(const xmlChar* tag) const { return Lookup(tag) != nullptr; }
    bool Is_content(const xmlChar* tag) const;
    bool Is_decoded(const xmlChar* tag) const;
    // The first required child of which the counters saw none, or null.
    const char* Missing(const unsigned* counters) const;
    unsigned Tag_count() const { return static_cast<unsigned>(Filed_count()); }
    void Dump_elements(int level) const;

    // Files an entry under its tag; a nameless entry (an anonymous
    // descriptor) files each of its descriptor's entries instead, rebuilt
    // so that they reach the anonymous record from this one.
    void Add_entry(Subelement_sub_base* entry) const;

protected:
    void Init() const override;

private:
    bool Settled_otherwise(const Subelement_sub_base& entry, const unsigned* counters, const void* record) const;
    // The list of the tag with this index (lists are filed in tag order).
    const List& Tag_list(std::size_t k) const { return *static_cast<const List*>(Filed_at(k).entry); }
    const Subelement_row* table_;
    mutable bool any_required_ = false;
};

// The sub-element index of a descriptor of T, typed; made once with its
// descriptor and kept with the other table objects.
template <class T>
class Subelement_hash : public Table_object {
    static_assert(sizeof(Subelement_table<T>) == sizeof(Subelement_row), "a table row is its first link");

public:
    template <std::size_t N>
    explicit Subelement_hash(Subelement_table<T> (&table)[N]) : index_(table, N) {}

    const Subelement_index& Index() const { return index_; }
    const Subelement_hash_list* Lookup(const xmlChar* tag) const { return index_.Lookup(tag); }
    Subelement_base<T>* Lookup(const xmlChar* tag, unsigned* counters) const {
        return static_cast<Subelement_base<T>*>(index_.Lookup(tag, counters));
    }
    Subelement_base<T>* Lookup(const xmlChar* tag, unsigned* counters, const T& record) const {
        return static_cast<Subelement_base<T>*>(index_.Lookup(tag, counters, &record));
    }
    Subelement_base<T>* operator[](unsigned i) const { return static_cast<Subelement_base<T>*>(index_[i]); }
    unsigned Count() const { return index_.Count(); }
    unsigned Tag_count() const { return index_.Tag_count(); }
    bool Has(const xmlChar* tag) const { return index_.Has(tag); }
    bool Is_content(const xmlChar* tag) const { return index_.Is_content(tag); }
    bool Is_decoded(const xmlChar* tag) const { return index_.Is_decoded(tag); }
    const char* Missing(const unsigned* counters) const { return index_.Missing(counters); }
    void Dump_elements(int level) const { index_.Dump_elements(level); }

private:
    Subelement_index index_;
};

// A descriptor made of tables alone, with no typed face: the element of a
// record of type T (its size and making taken from T) with the children of
// the table and, when given, the attributes.  The registries' definitions
// are of this kind, so that a definition costs its tables and not a class
// (with its virtual table and type information) of its own.
class Table_descriptor : public Local_descriptor {
public:
    template <class T, std::size_t N>
    Table_descriptor(const char* name, const Attrib::Attrib_Hash<T>* attributes, Subelement_table<T> (&table)[N])
        : Local_descriptor(name, detail::Record_ops_of<T>::ops, nullptr, attributes ? &attributes->Index() : nullptr,
                           &subs_),
          subs_(table, N) {}

private:
    Subelement_index subs_;  // the base holds its address; filled on first use
};

// ---- sub-element builders -------------------------------------------------------------

namespace detail {
template <class T, class S>
Subelement_base<T>& Member_link(S T::*member, Subelement_base<S>& next) {
    return next.Of(member);
}
template <class G>
using Record_of = typename G::record_type;

// A new leaf descriptor, owned by the entry that names it (static tables
// live as long as the library).
template <class S, class... F>
Subelement_base<S>& Leaf(const char* name, F&&... format) {
    return Subelement_base<S>::Entry(*new Info_primative<S>(name, std::forward<F>(format)...));
}
}  // namespace detail

// The canonical descriptor of T for the record itself.
template <class T>
Subelement_base<T>& Subelement() {
    return Subelement_base<T>::Entry(Info<T>::info);
}
// A given descriptor for the record itself.
template <class T>
Subelement_base<T>& Subelement(const Info<T>& info) {
    return Subelement_base<T>::Entry(info);
}
template <class T>
Subelement_base<T>& Subelement(const Info_primative<T>& info) {
    return Subelement_base<T>::Entry(info);
}
// A member, through its type's canonical descriptor.
template <class T, class S>
Subelement_base<T>& Subelement(S T::*member) {
    return detail::Member_link(member, Subelement_base<S>::Entry(Info<S>::info));
}
// A member, through a given descriptor.
template <class T, class S>
Subelement_base<T>& Subelement(S T::*member, const Info<S>& info) {
    return detail::Member_link(member, Subelement_base<S>::Entry(info));
}
template <class T, class S>
Subelement_base<T>& Subelement(S T::*member, const Info_primative<S>& info) {
    return detail::Member_link(member, Subelement_base<S>::Entry(info));
}
// A member as a new leaf with its own tag and format ("%d" when none), value
// table or time mode.
template <class T, class S, class... F>
Subelement_base<T>& Subelement(S T::*member, const char* name, F&&... format) {
    return detail::Member_link(member, detail::Leaf<S>(name, std::forward<F>(format)...));
}
// A value read through a getter and a setter, through its type's canonical
// descriptor.
template <class T, class G, class S, class R>
Subelement_base<T>& Subelement(G (T::*get)() const, R (T::*set)(S)) {
    using A = Access::GetSet_func<T, G, S, R>;
    using V = typename A::value_type;
    return Subelement_base<T>::Access_link(A(get, set), Subelement_base<V>::Entry(Info<V>::info));
}
// The same as a new leaf.
template <class T, class G, class S, class R, class... F>
Subelement_base<T>& Subelement(G (T::*get)() const, R (T::*set)(S), const char* name, F&&... format) {
    using A = Access::GetSet_func<T, G, S, R>;
    using V = typename A::value_type;
    return Subelement_base<T>::Access_link(A(get, set), detail::Leaf<V>(name, std::forward<F>(format)...));
}
// A value reached through a get-set object (a bit field, usually), chained
// to an existing entry or to a new leaf.
template <class A, class S, class T = detail::Record_of<A>>
Subelement_base<T>& Subelement(const A& access, Subelement_base<S>& next) {
    return Subelement_base<T>::Access_link(access, next);
}
template <class A, class... F, class T = detail::Record_of<A>>
Subelement_base<T>& Subelement(const A& access, const char* name, F&&... format) {
    using V = typename A::value_type;
    return Subelement_base<T>::Access_link(access, detail::Leaf<V>(name, std::forward<F>(format)...));
}
// Reserved octets: the shared leaf "Reserved", "%02X ".
template <class T, class S>
Subelement_base<T>& Subelement_reserved(S T::*member) {
    return detail::Member_link(member, Subelement_base<S>::Entry(Reserved_info<S>()));
}

}  // namespace XML_routines

#endif
