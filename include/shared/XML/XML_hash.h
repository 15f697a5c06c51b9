// Name hash tables: every lookup by name (attribute, sub-element tag,
// enumeration name, filed descriptor, opcode name) goes through Hash<E>, a
// typed wrapper over a libxml2 hash table.  The table is created on the first
// operation that needs it, so that static descriptors cost nothing until used
// and a derived class can fill the table from its static array at that moment.
//
// Names are also remembered in the order they were filed, and For_all visits
// them in that order: grammar dumps and listings come out the same on every run.
#ifndef TESSEL_XML_HASH_H
#define TESSEL_XML_HASH_H

#include <libxml/hash.h>
#include <libxml/xmlstring.h>

#include <cstdint>
#include <string>
#include <vector>

namespace XML_routines {

inline const xmlChar* To_xml(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
inline const char* From_xml(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

// Carries the user function of a scan through xmlHashScan-style callbacks.
template <class E, class A = void>
struct Hash_Iterator {
    void (*function)(const xmlChar* name, const E& entry, A& argument);
    A* argument;
    static void Callback(const xmlChar* name, const E& entry, const Hash_Iterator& self) {
        self.function(name, entry, *self.argument);
    }
};
template <class E>
struct Hash_Iterator<E, void> {
    void (*function)(const xmlChar* name, const E& entry);
    static void Callback(const xmlChar* name, const E& entry, const Hash_Iterator& self) {
        self.function(name, entry);
    }
};

template <class E>
class Hash {
public:
    explicit Hash(unsigned int size = 0, xmlHashDeallocator deallocator = nullptr)
        : size_(size), deallocator_(deallocator) {}
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;

    virtual ~Hash() {
        if (table_) xmlHashFree(table_, deallocator_);
        table_ = reinterpret_cast<xmlHashTablePtr>(static_cast<std::uintptr_t>(0xDEADDEADu));
    }

    virtual void Add(const E& entry, const xmlChar* name) const {
        Init_if_needed();
        if (xmlHashAddEntry(table_, name, const_cast<E*>(&entry)) == 0)
            order_.emplace_back(From_xml(name));
    }
    void Add(const E& entry) const { Add(entry, Name_of(entry)); }
    void Add(const E* entry) const { Add(*entry, Name_of(*entry)); }

    virtual void Remove(const xmlChar* name) const {
        Init_if_needed();
        if (xmlHashRemoveEntry(table_, name, deallocator_) == 0) Forget(name);
    }

    virtual void Change(const E& entry, const xmlChar* name) const {
        Init_if_needed();
        const bool present = xmlHashLookup(table_, name) != nullptr;
        xmlHashUpdateEntry(table_, name, const_cast<E*>(&entry), deallocator_);
        if (!present) order_.emplace_back(From_xml(name));
    }

    E* Lookup(const xmlChar* name) const {
        Init_if_needed();
        return static_cast<E*>(xmlHashLookup(table_, name));
    }
    E* Lookup(const char* name) const { return Lookup(To_xml(name)); }

    unsigned int Count() const { return size_; }

    // Visits every filed name with its entry, in filing order.
    void For_all(void (*function)(const xmlChar*, const E&)) const {
        Hash_Iterator<E> it{function};
        Scan(it);
    }
    template <class A>
    void For_all(void (*function)(const xmlChar*, const E&, A&), A& argument) const {
        Hash_Iterator<E, A> it{function, &argument};
        Scan(it);
    }
    // The same with any callable: f(name, entry).
    template <class F>
    void Each(F&& f) const {
        Init_if_needed();
        for (const std::string& n : std::vector<std::string>(order_))
            if (E* e = static_cast<E*>(xmlHashLookup(table_, To_xml(n.c_str())))) f(To_xml(n.c_str()), *e);
    }

    void Init_if_needed() const {
        if (!table_) Init();
    }

protected:
    // Creates the table; derived classes override it to fill the table from
    // their static arrays right after creating it.
    virtual void Init() const { Create_table(); }
    void Create_table() const {
        table_ = xmlHashCreate(static_cast<int>(size_));
        order_.clear();
    }
    xmlHashTablePtr Table() const { return table_; }

private:
    template <class It>
    void Scan(const It& it) const {
        Each([&](const xmlChar* name, const E& e) { It::Callback(name, e, it); });
    }
    static const xmlChar* Name_of(const E& e) {
        if constexpr (std::is_same_v<decltype(e.Name()), const xmlChar*>) return e.Name();
        else return To_xml(e.Name());
    }
    void Forget(const xmlChar* name) const {
        for (auto it = order_.begin(); it != order_.end(); ++it)
            if (*it == From_xml(name)) {
                order_.erase(it);
                return;
            }
    }

    unsigned int size_;
    mutable xmlHashTablePtr table_ = nullptr;
    xmlHashDeallocator deallocator_;
    mutable std::vector<std::string> order_;
};

}  // namespace XML_routines

#endif
