// Attribute tables.
//
// An element's attributes are a static array of entries, one per attribute
// or group of attributes.  An entry writes its attributes of a record onto an
// element, and files one named endpoint per attribute in the table's hash,
// through which the parser reads the attribute's text back into the record.
// Entries compose: a sub-record's attributes reused in an enclosing record
// (Child, made by Of), a whole table included in another (SubHash), an
// attribute that exists only under a condition (IfCondition, made by If).
#ifndef TESSEL_XML_ATTRIBUTES_H
#define TESSEL_XML_ATTRIBUTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "XML_accessor.h"

namespace XML_routines {
namespace Attrib {

class Entry;
class Attrib_index;
template <class T>
class Table_entry;
template <class T>
class Attrib_Hash;

// Endpoint filed under an attribute name: reads the attribute's text into
// a record.
class Endpoint {
public:
    Endpoint() = default;
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;
    virtual ~Endpoint();
    virtual bool Read_any(Format::Scanner& s, void* record) const = 0;
    virtual const char* Name() const = 0;
    virtual void Describe(Value_description&) const {}
    // The same on a typed record.
    template <class R>
    bool Read(Format::Scanner& s, R& record) const {
        return Read_any(s, &record);
    }
};
// The endpoint of an attribute of a record T.
template <class T>
using Hash_entry = Endpoint;

// Where an entry files its endpoints.
class Endpoint_register {
public:
    virtual void Add_to_hash(const Endpoint* endpoint) const = 0;
    virtual ~Endpoint_register();
};

// How a wrapping entry reaches the sub-record or the flag it works on: one
// constant table of thunks per get-set object type.
struct Entry_ops {
    // child: the sub-record in place, when the get-set object reaches it
    // there (a member, a base part), for writing; else null.
    const void* (*view)(const void* access, const void* record);
    // child: the sub-record read out into storage, stored back, destroyed.
    void (*get)(const void* access, const void* record, void* sub);
    void (*set)(const void* access, const void* sub, void* record);
    void (*destroy)(void* sub);
    // condition: the flag, and setting it.
    bool (*flag)(const void* access, const void* record);
    void (*set_flag)(const void* access, void* record, bool value);
};

// One element of a static attribute table.
struct Attrib_row {
    const Entry* entry;
};

// One entry of an attribute table, untyped: one attribute (single), the
// attributes of a sub-record (child), of another table (subhash), of a
// small static array (subtable), or attributes present only while a flag
// has a value (condition).
class Entry : public Table_object {
public:
    enum Kind : unsigned char { single, child, subhash, subtable, condition };

    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    // Files the entry's endpoints.
    void Add(const Endpoint_register& reg) const;
    // Writes the entry's attributes of the record to the sink's element.
    void Log_any(Sink& sink, const void* record, Format::Printer& printer) const;

    const char* Name() const { return kind_ == single ? name_ : nullptr; }
    const Access::Value_access* Accessor() const { return kind_ == single ? accessor_ : nullptr; }
    // child and condition: the inner entry, and the thunks over the
    // get-set object kept here.
    const Entry& Inner() const { return *inner_; }
    const Entry_ops& Ops() const { return *kept_->ops; }
    const void* Access() const { return ::XML_routines::Access::Kept_after(kept_); }
    bool Value() const { return value_; }

protected:
    // Entries, and what they keep, live as long as the tables that hold them.
    Entry() = default;
    ~Entry() = default;

    // What a child or condition entry keeps: the thunks, then the get-set
    // object they work through.
    struct Kept : Table_object {
        const Entry_ops* ops;
    };
    template <class A>
    void Keep(const Entry_ops& ops, const A& access) {
        kept_ = ::XML_routines::Access::Make_kept_row(Kept{{}, &ops}, access);
    }

    Kind kind_ = single;
    bool value_ = false;                                // condition
    std::uint16_t name_length_ = 0;                     // single
    unsigned count_ = 0;                                // subtable
    // What each kind holds.
    union {
        const char* name_ = nullptr;                    // single
        const Entry* inner_;                            // child, condition
        const Attrib_index* hash_;                      // subhash
        const Attrib_row* rows_;                        // subtable
    };
    union {
        const Access::Value_access* accessor_ = nullptr;  // single
        Kept* kept_;                                      // child, condition
    };

    template <class T>
    friend class Table_entry;
};

// A table holds some three hundred entries: each costs its size at load.
static_assert(sizeof(Entry) == 8 + 2 * sizeof(void*), "an entry is its kind and counts and two words");

namespace detail {
template <class T, class S, class A>
struct Child_ops {
    static void Get(const void* access, const void* record, void* sub) {
        new (sub) S(static_cast<const A*>(access)->Get(*static_cast<const T*>(record)));
    }
    static void Set(const void* access, const void* sub, void* record) {
        static_cast<const A*>(access)->Set(*static_cast<const S*>(sub), *static_cast<T*>(record));
    }
    static void Destroy(void* sub) { static_cast<S*>(sub)->~S(); }
    static constexpr bool by_reference =
        std::is_reference_v<decltype(std::declval<const A&>().Get(std::declval<const T&>()))>;
    static constexpr bool in_place = std::is_base_of_v<S, T> || by_reference;
    // Read back through a copy even when it is written in place.
    static_assert(sizeof(S) <= Value_room && alignof(S) <= alignof(std::max_align_t), "a value read out fits its room");
    static const void* View(const void* access, const void* record) {
        const T& r = *static_cast<const T*>(record);
        if constexpr (std::is_base_of_v<S, T>) return static_cast<const S*>(&r);
        else if constexpr (by_reference) return &static_cast<const A*>(access)->Get(r);
        else return nullptr;
    }
    static constexpr Entry_ops ops{in_place ? &View : nullptr, &Get, &Set, &Destroy, nullptr, nullptr};
};
template <class T, class A>
struct Flag_ops {
    static bool Flag(const void* access, const void* record) {
        return static_cast<bool>(static_cast<const A*>(access)->Get(*static_cast<const T*>(record)));
    }
    static void Set_flag(const void* access, void* record, bool value) {
        static_cast<const A*>(access)->Set(value, *static_cast<T*>(record));
    }
    static constexpr Entry_ops ops{nullptr, nullptr, nullptr, nullptr, &Flag, &Set_flag};
};
}  // namespace detail

// An entry of the attribute table of a record T; the builders below and the
// methods here make every kind.
template <class T>
class Table_entry : public Entry {
public:
    void Log(Sink& sink, const T& record, Format::Printer& printer) const { Log_any(sink, &record, printer); }

    // The same attributes, of the enclosing record O converted to T (its T
    // base part, or what its conversion to T returns).
    template <class O>
    Table_entry<O>& Of() const {
        return Table_entry<O>::Child(Access::GetSet_cast<O, T>(), *this);
    }
    // The same attributes, of the member of type T of the enclosing record O.
    template <class O>
    Table_entry<O>& Of(T O::*member) const {
        return Table_entry<O>::Child(Access::GetSet_member<O, T>(member), *this);
    }
    // The attributes exist only while the flag read through getter equals
    // value; reading one of them sets the flag to value.
    template <class G, class S, class R>
    Table_entry<T>& If(G (T::*get)() const, R (T::*set)(S), bool value) const {
        using A = Access::GetSet_func<T, G, S, R>;
        auto* e = new Table_entry<T>();
        e->kind_ = condition;
        e->inner_ = this;
        e->Keep(detail::Flag_ops<T, A>::ops, A(get, set));
        e->value_ = value;
        return *e;
    }

    // One attribute printed and read through an accessor.
    static Table_entry<T>& Single(const char* name, Access::Accessor<T>* accessor) {
        auto* e = new Table_entry<T>();
        e->name_ = name;
        e->name_length_ = static_cast<std::uint16_t>(std::strlen(name));
        e->accessor_ = accessor;
        return *e;
    }
    // The attributes of the sub-record S reached through the get-set object A.
    template <class S, class A>
    static Table_entry<T>& Child(const A& access, const Table_entry<S>& inner) {
        auto* e = new Table_entry<T>();
        e->kind_ = child;
        e->inner_ = &inner;
        e->Keep(detail::Child_ops<T, S, A>::ops, access);
        return *e;
    }
    // Every entry of another table, or of a small static array.
    static Table_entry<T>& Sub(const Attrib_index& hash) {
        auto* e = new Table_entry<T>();
        e->kind_ = subhash;
        e->hash_ = &hash;
        return *e;
    }
    static Table_entry<T>& Sub(const Attrib_row* rows, unsigned count) {
        auto* e = new Table_entry<T>();
        e->kind_ = subtable;
        e->rows_ = rows;
        e->count_ = count;
        return *e;
    }

private:
    Table_entry() = default;
    template <class>
    friend class Table_entry;
};

// One element of the static attribute table of a record T.
template <class T>
class Attrib_Table : public Attrib_row {
public:
    Attrib_Table(const Table_entry<T>& entry) : Attrib_row{&entry} {}
    // An entry of a related record type, applied to this record converted.
    template <class S, class = std::enable_if_t<!std::is_same_v<S, T>>>
    Attrib_Table(const Table_entry<S>& entry) : Attrib_row{&entry.template Of<T>()} {}
    void Add(const Endpoint_register& reg) const { entry->Add(reg); }
    void Log(Sink& sink, const T& r, Format::Printer& p) const { entry->Log_any(sink, &r, p); }
    const Table_entry<T>* Entry() const { return static_cast<const Table_entry<T>*>(entry); }
};

// The attribute table of a descriptor, untyped: the static array and, on
// first lookup, the hash of its endpoints by attribute name.  A name filed
// twice keeps its first endpoint.
class Attrib_index : public Endpoint_register, public Hash<Endpoint> {
public:
    Attrib_index(const Attrib_row* table, unsigned count);
    ~Attrib_index() override;

    void Add_to_hash(const Endpoint* endpoint) const override;
    const Attrib_row& operator[](unsigned i) const { return table_[i]; }
    void Log_any(Sink& sink, const void* record, Format::Printer& p) const;
    // Attribute names in table order, for grammar dumps.
    template <class F>
    void Each_name(F&& f) const {
        Each([&](const xmlChar* name, const Endpoint&) { f(From_xml(name)); });
    }

protected:
    void Init() const override;

private:
    const Attrib_row* table_;
};

// The attribute table of a descriptor of T.
template <class T>
class Attrib_Hash {
    static_assert(sizeof(Attrib_Table<T>) == sizeof(Attrib_row), "a table row is its entry");

public:
    template <std::size_t N>
    explicit Attrib_Hash(const Attrib_Table<T> (&table)[N]) : index_(table, N) {}

    const Attrib_index& Index() const { return index_; }
    const Endpoint* Lookup(const xmlChar* name) const { return index_.Lookup(name); }
    const Endpoint* Lookup(const char* name) const { return index_.Lookup(name); }
    unsigned Count() const { return index_.Count(); }
    const Attrib_Table<T>& operator[](unsigned i) const { return static_cast<const Attrib_Table<T>&>(index_[i]); }
    void Log(Sink& sink, const T& record, Format::Printer& p) const { index_.Log_any(sink, &record, p); }
    // The attributes added to an existing element.
    void Log(xmlNode* node, const T& record, Format::Printer& p) const {
        Tree_sink sink(node);
        Log(sink, record, p);
    }
    template <class F>
    void Each(F&& f) const {
        index_.Each(std::forward<F>(f));
    }
    template <class F>
    void Each_name(F&& f) const {
        index_.Each_name(std::forward<F>(f));
    }

private:
    Attrib_index index_;
};

}  // namespace Attrib

// ---- attribute builders --------------------------------------------------------

// An attribute printed through an accessor (usually a bit field with a format).
template <class T>
Attrib::Table_entry<T>& Get_attrib(const char* name, Access::Accessor<T>* accessor) {
    return Attrib::Table_entry<T>::Single(name, accessor);
}
// An attribute over a data member, with a format ("%d" when none), a value
// table or a time mode; over an array member, every element through the format.
template <class T, class S, class... F>
Attrib::Table_entry<T>& Get_attrib(const char* name, S T::*member, F&&... format) {
    return Attrib::Table_entry<T>::Single(name, Get_Access(member, std::forward<F>(format)...));
}
// An attribute read through a getter and written through a setter.
template <class T, class G, class S, class R, class... F>
Attrib::Table_entry<T>& Get_attrib(const char* name, G (T::*get)() const, R (T::*set)(S), F&&... format) {
    return Attrib::Table_entry<T>::Single(name, Get_Access(get, set, std::forward<F>(format)...));
}
// Every attribute of another table.
template <class T>
Attrib::Table_entry<T>& Get_attrib(const Attrib::Attrib_Hash<T>& hash) {
    return Attrib::Table_entry<T>::Sub(hash.Index());
}
// Every entry of a small static array.
template <class T, std::size_t N>
Attrib::Table_entry<T>& Get_attrib(const Attrib::Attrib_Table<T> (&table)[N]) {
    return Attrib::Table_entry<T>::Sub(table, N);
}
// The attributes of a sub-record reached through an accessor.
template <class A, class S>
Attrib::Table_entry<typename A::record_type>& Get_child(const A& access, const Attrib::Table_entry<S>& inner) {
    return Attrib::Table_entry<typename A::record_type>::Child(access, inner);
}
// Attributes present only while the flag read through getter equals value.
template <class T, class G, class S, class R>
Attrib::Table_entry<T>& Get_if(G (T::*get)() const, R (T::*set)(S), bool value, const Attrib::Table_entry<T>& inner) {
    return inner.If(get, set, value);
}

}  // namespace XML_routines

#endif
