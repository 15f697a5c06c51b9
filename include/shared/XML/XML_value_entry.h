// Enumeration tables: names of values, for attribute and element text.
//
// A table is a static array of Value_entry rows beside its enumeration;
// Value_hash is a constant view of it, complete when it is made: it is
// constant-initialised (nothing runs at load, nothing is allocated), and a
// lookup changes nothing.  Several names may map to one value: all are read,
// the first row's name is written; a name given twice reads as its first row.
#ifndef TESSEL_XML_VALUE_ENTRY_H
#define TESSEL_XML_VALUE_ENTRY_H

#include <cstddef>
#include <cstring>

#include "XML_hash.h"

namespace XML_routines {

template <class T>
struct Value_entry {
    const char* name;
    T value;
    const char* Name() const { return name; }
};

template <class T>
class Value_hash {
public:
    template <std::size_t N>
    constexpr explicit Value_hash(const Value_entry<T> (&entries)[N])
        : entries_(entries), count_(static_cast<unsigned>(N)) {}
    constexpr Value_hash(const Value_entry<T>* entries, unsigned count) : entries_(entries), count_(count) {}

    unsigned Count() const { return count_; }
    const Value_entry<T>& operator[](unsigned i) const { return entries_[i]; }

    // The first row of the name, or null.  The tables are a few dozen rows
    // at most: a scan is as quick as hashing the name.
    const Value_entry<T>* Lookup(const char* name) const {
        if (!name) return nullptr;
        for (unsigned i = 0; i < count_; ++i)
            if (entries_[i].name && std::strcmp(entries_[i].name, name) == 0) return &entries_[i];
        return nullptr;
    }
    const Value_entry<T>* Lookup(const xmlChar* name) const { return Lookup(From_xml(name)); }
    // By name: true and the value when the name is in the table.
    bool Lookup(const char* name, T& out) const {
        const Value_entry<T>* e = Lookup(name);
        if (!e) return false;
        out = e->value;
        return true;
    }
    // By value: the first row's name, or null.
    const char* Lookup(const T& value) const {
        for (unsigned i = 0; i < count_; ++i)
            if (entries_[i].value == value) return entries_[i].name;
        return nullptr;
    }

private:
    const Value_entry<T>* entries_;
    unsigned count_;
};

}  // namespace XML_routines

#endif
