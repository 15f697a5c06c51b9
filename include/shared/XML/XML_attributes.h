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
#include <type_traits>

#include "XML_accessor.h"

namespace XML_routines {
namespace Attrib {

template <class T>
class Hash_entry;
template <class T>
class Register;
template <class T>
class Attrib_Hash;
template <class T, class S, class A>
class Child;
template <class T, class S, class A>
class IfCondition;

template <class T>
class Table_entry {
public:
    Table_entry() = default;
    Table_entry(const Table_entry&) = delete;
    Table_entry& operator=(const Table_entry&) = delete;
    virtual ~Table_entry() = default;
    virtual void Add(const Register<T>& reg) const = 0;
    // Writes the entry's attributes of the record to the sink's element.
    virtual void Log(Sink& sink, const T& record, Format::Printer& printer) const = 0;

    // The same attributes, of the enclosing record O converted to T (its T
    // base part, or what its conversion to T returns).
    template <class O>
    Table_entry<O>& Of() const {
        return *new Child<O, T, Access::GetSet_cast<O, T>>(Access::GetSet_cast<O, T>(), *this);
    }
    // The same attributes, of the member of type T of the enclosing record O.
    template <class O>
    Table_entry<O>& Of(T O::*member) const {
        return *new Child<O, T, Access::GetSet_member<O, T>>(Access::GetSet_member<O, T>(member), *this);
    }
    // The attributes exist only while the flag read through getter equals
    // value; reading one of them sets the flag to value.
    template <class G, class S, class R>
    Table_entry<T>& If(G (T::*get)() const, R (T::*set)(S), bool value) const {
        using A = Access::GetSet_func<T, G, S, R>;
        return *new IfCondition<T, T, A>(A(get, set), value, *this);
    }
};

// Endpoint filed under an attribute name.
template <class T>
class Hash_entry {
public:
    virtual bool Read(Format::Scanner& s, T& record) const = 0;
    virtual ~Hash_entry() = default;
    virtual const char* Name() const = 0;
    virtual void Describe(Value_description&) const {}
};

template <class T>
class Register {
public:
    virtual void Add_to_hash(const Hash_entry<T>* endpoint) const = 0;
    virtual ~Register() = default;
};

// An endpoint that wraps the endpoint of an entry inside another: it keeps
// the inner endpoint's name and owns it.
template <class T, class S>
class Wrapped_endpoint : public Hash_entry<T> {
public:
    explicit Wrapped_endpoint(const Hash_entry<S>* inner) : inner_(inner) {}
    ~Wrapped_endpoint() override { delete inner_; }
    const char* Name() const override { return inner_->Name(); }
    void Describe(Value_description& d) const override { inner_->Describe(d); }

protected:
    const Hash_entry<S>* inner_;
};

// The register an inner entry files into: each endpoint is wrapped in a W
// made for the wrapping entry and filed in the outer register.
template <class T, class S, class W, class Owner>
class Wrapping_register : public Register<S> {
public:
    Wrapping_register(const Register<T>& outer, const Owner& owner) : outer_(outer), owner_(owner) {}
    void Add_to_hash(const Hash_entry<S>* endpoint) const override { outer_.Add_to_hash(new W(owner_, endpoint)); }

private:
    const Register<T>& outer_;
    const Owner& owner_;
};

// One element of a static attribute table.
template <class T>
class Attrib_Table {
public:
    Attrib_Table(const Table_entry<T>& entry) : entry_(&entry) {}
    // An entry of a related record type, applied to this record converted.
    template <class S, class = std::enable_if_t<!std::is_same_v<S, T>>>
    Attrib_Table(const Table_entry<S>& entry) : entry_(&entry.template Of<T>()) {}
    void Add(const Register<T>& reg) const { entry_->Add(reg); }
    void Log(Sink& sink, const T& r, Format::Printer& p) const { entry_->Log(sink, r, p); }
    const Table_entry<T>* Entry() const { return entry_; }

private:
    const Table_entry<T>* entry_;
};

// One attribute.
template <class T>
class Single : public Table_entry<T> {
public:
    Single(const char* name, Access::Accessor<T>* accessor) : name_(name), accessor_(accessor) {}

    void Log(Sink& sink, const T& record, Format::Printer& p) const override {
        p.Reset();
        accessor_.Write(p, record);
        sink.Attribute(name_, p.c_str(), p.Length());
    }
    void Add(const Register<T>& reg) const override { reg.Add_to_hash(new Hash_endpoint(*this)); }

    const char* Name() const { return name_; }
    bool Read(Format::Scanner& s, T& record) const { return accessor_.Read(s, record); }

private:
    class Hash_endpoint : public Hash_entry<T> {
    public:
        explicit Hash_endpoint(const Single& single) : single_(single) {}
        bool Read(Format::Scanner& s, T& record) const override { return single_.Read(s, record); }
        const char* Name() const override { return single_.Name(); }
        void Describe(Value_description& d) const override { single_.accessor_.Describe(d); }

    private:
        const Single& single_;
    };
    const char* name_;
    Accessor<T> accessor_;
};

// The attributes of a sub-record S of T, reached through A.
template <class T, class S, class A>
class Child : public Table_entry<T> {
public:
    Child(const A& access, const Table_entry<S>& inner) : access_(access), inner_(inner) {}

    void Log(Sink& sink, const T& record, Format::Printer& p) const override {
        const S& sub = access_.Get(record);
        inner_.Log(sink, sub, p);
    }
    void Add(const Register<T>& reg) const override {
        inner_.Add(Wrapping_register<T, S, Chain, Child>(reg, *this));
    }

private:
    // Copies the sub-record out, lets the inner endpoint read into the copy
    // and stores it back only when that succeeded.
    class Chain : public Wrapped_endpoint<T, S> {
    public:
        Chain(const Child& child, const Hash_entry<S>* inner) : Wrapped_endpoint<T, S>(inner), child_(child) {}
        bool Read(Format::Scanner& s, T& record) const override {
            S copy = child_.access_.Get(record);
            if (!this->inner_->Read(s, copy)) return false;
            child_.access_.Set(copy, record);
            return true;
        }

    private:
        const Child& child_;
    };
    A access_;
    const Table_entry<S>& inner_;
};

// Every entry of another attribute table of the same record type.
template <class T>
class SubHash : public Table_entry<T> {
public:
    explicit SubHash(const Attrib_Hash<T>& hash) : hash_(hash) {}
    void Log(Sink& sink, const T& record, Format::Printer& p) const override { hash_.Log(sink, record, p); }
    void Add(const Register<T>& reg) const override {
        for (unsigned i = 0; i < hash_.Count(); ++i) hash_[i].Add(reg);
    }

private:
    const Attrib_Hash<T>& hash_;
};

// N entries of a static array.
template <class T, std::size_t N>
class Subtable : public Table_entry<T> {
public:
    explicit Subtable(const Attrib_Table<T> (&table)[N]) : table_(table) {}
    void Log(Sink& sink, const T& record, Format::Printer& p) const override {
        for (const auto& e : table_) e.Log(sink, record, p);
    }
    void Add(const Register<T>& reg) const override {
        for (const auto& e : table_) e.Add(reg);
    }

private:
    const Attrib_Table<T> (&table_)[N];
};

// Attributes present only while a flag of the record equals V.
template <class T, class S, class A>
class IfCondition : public Table_entry<T> {
public:
    IfCondition(const A& access, bool value, const Table_entry<T>& inner)
        : access_(access), value_(value), inner_(inner) {}

    void Log(Sink& sink, const T& record, Format::Printer& p) const override {
        if (static_cast<bool>(access_.Get(record)) == value_) inner_.Log(sink, record, p);
    }
    void Add(const Register<T>& reg) const override {
        inner_.Add(Wrapping_register<T, T, Chain, IfCondition>(reg, *this));
    }

private:
    // Forces the flag, then lets the inner endpoint read.
    class Chain : public Wrapped_endpoint<T, T> {
    public:
        Chain(const IfCondition& cond, const Hash_entry<T>* inner) : Wrapped_endpoint<T, T>(inner), cond_(cond) {}
        bool Read(Format::Scanner& s, T& record) const override {
            cond_.access_.Set(cond_.value_, record);
            return this->inner_->Read(s, record);
        }

    private:
        const IfCondition& cond_;
    };
    A access_;
    bool value_;
    const Table_entry<T>& inner_;
};

// The attribute table of a descriptor: the static array and, on first
// lookup, the hash of its endpoints by attribute name.  A name filed twice
// keeps its first endpoint.
template <class T>
class Attrib_Hash : public Register<T>, public Hash<Hash_entry<T>> {
public:
    template <std::size_t N>
    explicit Attrib_Hash(const Attrib_Table<T> (&table)[N])
        : Hash<Hash_entry<T>>(N, &Delete_endpoint), table_(table) {}

    void Add_to_hash(const Hash_entry<T>* endpoint) const override {
        if (this->Lookup(To_xml(endpoint->Name()))) {
            delete endpoint;
            return;
        }
        this->Add(*endpoint, To_xml(endpoint->Name()));
    }
    const Attrib_Table<T>& operator[](unsigned i) const { return table_[i]; }
    void Log(Sink& sink, const T& record, Format::Printer& p) const {
        for (unsigned i = 0; i < this->Count(); ++i) table_[i].Log(sink, record, p);
    }
    // The attributes added to an existing element.
    void Log(xmlNode* node, const T& record, Format::Printer& p) const {
        Tree_sink sink(node);
        Log(sink, record, p);
    }
    // Attribute names in table order, for grammar dumps.
    template <class F>
    void Each_name(F&& f) const {
        this->Each([&](const xmlChar* name, const Hash_entry<T>&) { f(From_xml(name)); });
    }

protected:
    void Init() const override {
        this->Create_table();
        for (unsigned i = 0; i < this->Count(); ++i) table_[i].Add(*this);
    }

private:
    static void Delete_endpoint(void* payload, const xmlChar*) { delete static_cast<Hash_entry<T>*>(payload); }
    const Attrib_Table<T>* table_;
};

}  // namespace Attrib

// ---- attribute builders --------------------------------------------------------

// An attribute printed through an accessor (usually a bit field with a format).
template <class T>
Attrib::Table_entry<T>& Get_attrib(const char* name, Access::Accessor<T>* accessor) {
    return *new Attrib::Single<T>(name, accessor);
}
// An attribute over a data member, with a format ("%d" when none), a value
// table or a time mode; over an array member, every element through the format.
template <class T, class S, class... F>
Attrib::Table_entry<T>& Get_attrib(const char* name, S T::*member, F&&... format) {
    return *new Attrib::Single<T>(name, Get_Access(member, std::forward<F>(format)...));
}
// An attribute read through a getter and written through a setter.
template <class T, class G, class S, class R, class... F>
Attrib::Table_entry<T>& Get_attrib(const char* name, G (T::*get)() const, R (T::*set)(S), F&&... format) {
    return *new Attrib::Single<T>(name, Get_Access(get, set, std::forward<F>(format)...));
}
// Every attribute of another table.
template <class T>
Attrib::Table_entry<T>& Get_attrib(const Attrib::Attrib_Hash<T>& hash) {
    return *new Attrib::SubHash<T>(hash);
}
// Every entry of a small static array.
template <class T, std::size_t N>
Attrib::Table_entry<T>& Get_attrib(const Attrib::Attrib_Table<T> (&table)[N]) {
    return *new Attrib::Subtable<T, N>(table);
}
// The attributes of a sub-record reached through an accessor.
template <class A, class S>
Attrib::Table_entry<typename A::record_type>& Get_child(const A& access, const Attrib::Table_entry<S>& inner) {
    return *new Attrib::Child<typename A::record_type, S, A>(access, inner);
}
// Attributes present only while the flag read through getter equals value.
template <class T, class G, class S, class R>
Attrib::Table_entry<T>& Get_if(G (T::*get)() const, R (T::*set)(S), bool value, const Attrib::Table_entry<T>& inner) {
    return inner.If(get, set, value);
}

}  // namespace XML_routines

#endif
