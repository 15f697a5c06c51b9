// Name hash tables: every lookup by name (attribute, sub-element tag,
// enumeration name, filed descriptor, opcode name) goes through Hash<E>, a
// typed wrapper over one untyped table, Name_table, compiled once in the
// runtime: the names in the order they were filed with their entries, and
// an open-addressed index over them.  Names are not copied: they are the
// static names of the tables, which live as long as the table.  The table is created on the first operation that needs
// it, so that static descriptors cost nothing until used and a derived class
// can fill the table from its static array at that moment.
//
// For_all and Each visit the names in filing order: grammar dumps and
// listings come out the same on every run.
#ifndef TESSEL_XML_HASH_H
#define TESSEL_XML_HASH_H

#include <libxml/hash.h>
#include <libxml/xmlstring.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace XML_routines {

inline const xmlChar* To_xml(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
inline const char* From_xml(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

// Name to entry, untyped.  Entries are the caller's; the deallocator, when
// one is set, is handed an entry as it is removed, replaced or freed with
// the table.
class Name_table {
public:
    // size: the entries of the static array the table is filled from;
    // expected: room made at once for a table filled by registration.
    explicit Name_table(unsigned int size = 0, xmlHashDeallocator deallocator = nullptr, unsigned int expected = 0)
        : size_(size), expected_(expected), deallocator_(deallocator) {}
    Name_table(const Name_table&) = delete;
    Name_table& operator=(const Name_table&) = delete;
    virtual ~Name_table();

    // False when the name was there already (the first entry stays).
    bool Insert(void* entry, const xmlChar* name) const;
    void Erase(const xmlChar* name) const;
    void Replace(void* entry, const xmlChar* name) const;
    void* Find(const xmlChar* name) const;
    unsigned int Count() const { return size_; }

    // The filed names with their entries, in filing order.
    struct Filed {
        const xmlChar* name;  // as filed: names live as long as the table
        void* entry;
    };
    std::size_t Filed_count() const {
        Init_if_needed();
        return built_->order.size();
    }
    const Filed& Filed_at(std::size_t i) const { return built_->order[i]; }

    void Init_if_needed() const {
        if (!built_) Init();
    }

protected:
    // Creates the table; derived classes override it to fill the table from
    // their static arrays right after creating it.
    virtual void Init() const { Create_table(); }
    void Create_table() const;

private:
    // The slot of the name in the index: where it is, or the free slot
    // where it would go.
    std::size_t Slot(const xmlChar* name) const;
    void Reindex() const;

    unsigned int size_;
    unsigned int expected_;
    xmlHashDeallocator deallocator_;
    // The cache of the derived class's static data, made on first use: a
    // table that is never searched costs its pointer.
    struct Built {
        std::vector<Filed> order;
        // Positions in order plus one (0: free); a power of two, at most half full.
        std::vector<std::uint32_t> index;
    };
    mutable std::unique_ptr<Built> built_;
};
// Every descriptor's attribute and sub-element tables hold one.
static_assert(sizeof(Name_table) == 2 * sizeof(unsigned) + 3 * sizeof(void*), "a name table is its sizes and three words");

// Carries the user function of a scan.
template <class E, class A = void>
struct Hash_Iterator {
    void (*function)(const xmlChar* name, const E& entry, A& argument);
    A* argument;
    void operator()(const xmlChar* name, const E& entry) const { function(name, entry, *argument); }
};
template <class E>
struct Hash_Iterator<E, void> {
    void (*function)(const xmlChar* name, const E& entry);
    void operator()(const xmlChar* name, const E& entry) const { function(name, entry); }
};

// The typed face of a Name_table: entries of type E.
template <class E>
class Hash : public Name_table {
public:
    using Name_table::Name_table;

    void Add(const E& entry, const xmlChar* name) const { Insert(const_cast<E*>(&entry), name); }
    void Add(const E& entry) const { Add(entry, Name_of(entry)); }
    void Add(const E* entry) const { Add(*entry, Name_of(*entry)); }
    void Remove(const xmlChar* name) const { Erase(name); }
    void Change(const E& entry, const xmlChar* name) const { Replace(const_cast<E*>(&entry), name); }

    E* Lookup(const xmlChar* name) const { return static_cast<E*>(Find(name)); }
    E* Lookup(const char* name) const { return Lookup(To_xml(name)); }

    // Visits every filed name with its entry, in filing order.  The names
    // filed while the visit runs are visited too.
    template <class F>
    void Each(F&& f) const {
        for (std::size_t i = 0; i < Filed_count(); ++i) {
            const Filed& filed = Filed_at(i);
            f(filed.name, *static_cast<const E*>(filed.entry));
        }
    }
    void For_all(void (*function)(const xmlChar*, const E&)) const { Each(Hash_Iterator<E>{function}); }
    template <class A>
    void For_all(void (*function)(const xmlChar*, const E&, A&), A& argument) const {
        Each(Hash_Iterator<E, A>{function, &argument});
    }

private:
    static const xmlChar* Name_of(const E& e) {
        if constexpr (std::is_same_v<decltype(e.Name()), const xmlChar*>) return e.Name();
        else return To_xml(e.Name());
    }
};

}  // namespace XML_routines

#endif
