// Enumeration tables: names of values, for attribute and element text.
//
// A table is a static array of Value_entry rows; Value_hash files the rows by
// name on first use.  Several names may map to one value: all are read, the
// first row's name is written.
#ifndef TESSEL_XML_VALUE_ENTRY_H
#define TESSEL_XML_VALUE_ENTRY_H

#include <cstddef>

#include "XML_hash.h"

namespace XML_routines {

template <class T>
struct Value_entry {
    const char* name;
    T value;
    const char* Name() const { return name; }
};

// A hash over a static array of entries, filed by name in array order.
template <class E>
class Hash_table : public Hash<E> {
public:
    template <std::size_t N>
    explicit Hash_table(const E (&entries)[N]) : Hash<E>(N), entries_(entries) {}
    Hash_table(const E* entries, unsigned count) : Hash<E>(count), entries_(entries) {}
    const E& operator[](unsigned i) const { return entries_[i]; }

protected:
    void Init() const override {
        this->Create_table();
        for (unsigned i = 0; i < this->Count(); ++i) this->Add(entries_[i]);
    }
    const E* entries_;
};

template <class T>
class Value_hash : public Hash_table<Value_entry<T>> {
public:
    using Hash_table<Value_entry<T>>::Hash_table;
    using Hash_table<Value_entry<T>>::Lookup;

    // By name: true and the value when the name is in the table.
    bool Lookup(const char* name, T& out) const {
        const Value_entry<T>* e = this->Lookup(To_xml(name));
        if (!e) return false;
        out = e->value;
        return true;
    }
    // By value: the first row's name, or null.
    const char* Lookup(const T& value) const {
        for (unsigned i = 0; i < this->Count(); ++i)
            if (this->entries_[i].value == value) return this->entries_[i].name;
        return nullptr;
    }
};

}  // namespace XML_routines

#endif
