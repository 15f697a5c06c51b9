// Descriptors, the registry that files path-named descriptors under their
// root, parse-state hooks, and indented printing.
#include "XML_routines.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace XML_routines {

// ---------------------------------------------------------------------------
// The filing registry.
//
// A descriptor named "/Root" (one path component) is a root; a descriptor
// named "/Root/Tag" is filed under "Tag" in the root named "/Root".  Either
// may be constructed first, in any module: a child whose root does not exist
// yet waits in the pending list, and a root adopts the children waiting for
// it when it is built.  Destruction undoes the filing: a child leaves its
// root, a root hands its children back to the pending list.
//
// Only one-component names are roots, so a deeper path "/A/B/C" waits for a
// root named "/A/B", which never exists; it is simply never filed.
//
// The registry is created on first use and never destroyed, so neither the
// order of static initialisation nor that of static destruction across
// shared libraries matters.
struct Info_registry {
    std::mutex mutex;
    // Roots by name; the first one of a name is the active one.  A root's
    // key is the name of its list's first root.
    std::map<std::string_view, std::vector<const Info_base*>> roots;
    // Path-named descriptors not filed, linked through the descriptors
    // themselves, most recent first (no allocation to file or unfile one).
    const Info_base* pending = nullptr;

    static Info_registry& Get() {
        static Info_registry* registry = new Info_registry;
        return *registry;
    }

    enum class Kind { none, root, child };
    // Classifies a name; for a child, parent receives the root's name.
    static Kind Classify(const char* name, std::string_view* parent = nullptr) {
        if (!name || name[0] != '/' || name[1] == '\0') return Kind::none;
        const char* last = std::strrchr(name, '/');
        if (last == name) return Kind::root;
        if (last[1] == '\0') return Kind::none;  // "/Root/": no tag
        if (parent) *parent = std::string_view(name, static_cast<std::size_t>(last - name));
        return Kind::child;
    }

    // Files child in root unless the root already has that tag.
    static bool File(const Info_base& root, const Info_base& child) {
        if (root.Find(child.Tag())) return false;
        root.Register_sub(child);
        child.filed_in_ = &root;
        return true;
    }

    void Wait(const Info_base& d) {
        d.next_pending_ = pending;
        pending = &d;
    }
    // Takes d off the pending list; false when it was not there.
    bool Unwait(const Info_base& d) {
        for (const Info_base** link = &pending; *link; link = &(*link)->next_pending_)
            if (*link == &d) {
                *link = d.next_pending_;
                d.next_pending_ = nullptr;
                return true;
            }
        return false;
    }

    // Files the pending descriptors waiting for root's name (those whose
    // tag is free), in the order they were built.  tag: only those with
    // that tag.
    void Adopt(const Info_base& root, const char* tag = nullptr) {
        std::vector<const Info_base*> waiting;
        std::string_view parent;
        for (const Info_base* d = pending; d; d = d->next_pending_)
            if (Classify(d->Name(), &parent) == Kind::child && parent == root.Name() &&
                (!tag || std::strcmp(tag, d->Tag()) == 0))
                waiting.push_back(d);
        for (auto it = waiting.rbegin(); it != waiting.rend(); ++it)
            if (File(root, **it)) Unwait(**it);
    }

    void Add(const Info_base& d) {
        std::string_view parent;
        switch (Classify(d.Name(), &parent)) {
        case Kind::none:
            return;
        case Kind::root: {
            std::vector<const Info_base*>& list = roots[d.Name()];
            list.push_back(&d);
            if (list.size() == 1) Adopt(d);
            return;
        }
        case Kind::child: {
            auto it = roots.find(parent);
            if (it != roots.end() && !it->second.empty() && File(*it->second.front(), d)) return;
            Wait(d);
            return;
        }
        }
    }

    void Remove(const Info_base& d) {
        switch (Classify(d.Name())) {
        case Kind::none:
            return;
        case Kind::child:
            if (const Info_base* root = d.filed_in_) {
                root->Unregister_sub(d);
                d.filed_in_ = nullptr;
                Adopt(*root, d.Tag());  // a namesake waiting for the free tag
                return;
            }
            Unwait(d);
            return;
        case Kind::root: {
            auto it = roots.find(d.Name());
            if (it == roots.end()) return;
            std::vector<const Info_base*> list = std::move(it->second);
            roots.erase(it);  // its key may be this root's name
            const bool active = !list.empty() && list.front() == &d;
            list.erase(std::remove(list.begin(), list.end(), &d), list.end());
            if (active)
                for (const Info_base* child : d.Subs())
                    if (child->filed_in_ == &d) {
                        child->filed_in_ = nullptr;
                        Wait(*child);
                    }
            if (list.empty()) return;
            const Info_base& first = *list.front();
            roots.emplace(first.Name(), std::move(list));
            if (active) Adopt(first);
            return;
        }
        }
    }
};

// ---------------------------------------------------------------------------
// Info_base

namespace {
std::atomic<unsigned long> descriptions_generation{0};
}  // namespace

void Descriptions_changed() { descriptions_generation.fetch_add(1, std::memory_order_relaxed); }
unsigned long Descriptions_generation() { return descriptions_generation.load(std::memory_order_relaxed); }

Info_base::Info_base(const char* name) : name_(name) {
    Descriptions_changed();
    Info_registry& registry = Info_registry::Get();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.Add(*this);
}

Info_base::~Info_base() {
    Descriptions_changed();
    Info_registry& registry = Info_registry::Get();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.Remove(*this);
}

Instance_base* Info_base::Get_instance(Input_data&) const { return nullptr; }

void Info_base::Dump_elements(int level) const {
    indent_printf(level, "<%s >\n", Name());
    Dump_subs(level + 1);
}

void Info_base::Dump_subs(int level) const {
    for (const Info_base* sub : Subs()) sub->Dump_elements(level);
}

void Info_base::Subregister(Subelement_register&) const {}

const char* Info_base::Tag() const {
    if (!name_) return "";
    const char* slash = std::strrchr(name_, '/');
    return slash ? slash + 1 : name_;
}

void Info_base::Register_sub(const Info_base& sub) const {
    Descriptions_changed();
    const xmlChar* tag = To_xml(sub.Tag());
    if (!subs_) {
        subs_.reset(new Filed_subs);
        subs_->list.reserve(Filed_subs::expected);
    }
    if (subs_->by_tag.Lookup(tag)) return;  // the first filing of a tag wins
    subs_->by_tag.Add(sub, tag);
    subs_->list.push_back(&sub);
}

void Info_base::Unregister_sub(const Info_base& sub) const {
    Descriptions_changed();
    if (!subs_) return;
    const xmlChar* tag = To_xml(sub.Tag());
    if (subs_->by_tag.Lookup(tag) != &sub) return;
    subs_->by_tag.Remove(tag);
    std::vector<const Info_base*>& list = subs_->list;
    list.erase(std::remove(list.begin(), list.end(), &sub), list.end());
}

const Info_base* Info_base::Find(const xmlChar* tag) const {
    if (!subs_ || !tag) return nullptr;
    return subs_->by_tag.Lookup(tag);
}

const std::vector<const Info_base*>& Info_base::Subs() const {
    static const std::vector<const Info_base*> none;
    return subs_ ? subs_->list : none;
}

// ---------------------------------------------------------------------------
// Parse states and their hooks

Finalize_hook::~Finalize_hook() = default;

void Finalize_hook::Hook_to(Instance_base& instance) { instance.Add_hook(this); }

Subelement_register::~Subelement_register() = default;

Instance_base::~Instance_base() = default;

bool Instance_base::Refuse(const char* format, ...) const {
    const char* element = input_.element;
    const char* attribute = input_.attribute;
    input_.element = nullptr;
    input_.attribute = nullptr;
    va_list args;
    va_start(args, format);
    input_.Verror(format, Input_data::error_severity, nullptr, args);
    va_end(args);
    input_.element = element;
    input_.attribute = attribute;
    return false;
}

void Instance_base::Add_hook(Finalize_hook* hook) {
    if (hook) hooks_.emplace_back(hook);
}

void Instance_base::Run_hooks() {
    // By index: a hook may attach further hooks, which then run too.
    for (std::size_t i = 0; i < hooks_.size(); ++i) hooks_[i]->Hook();
}

bool Instance_base::Read_attribs(xmlNode* node) {
    if (!node || node->type != XML_ELEMENT_NODE) return true;
    // Error reports name the element and attribute; restored on any exit.
    struct Context {
        Input_data& input;
        const char* element;
        const char* attribute;
        ~Context() {
            input.element = element;
            input.attribute = attribute;
        }
    } saved{input_, input_.element, input_.attribute};
    struct Free {
        void operator()(xmlChar* p) const { xmlFree(p); }
    };
    bool ok = true;
    for (xmlAttr* attr = node->properties; attr; attr = attr->next) {
        std::unique_ptr<xmlChar, Free> value(xmlNodeListGetString(node->doc, attr->children, 1));
        Format::Scanner scanner(value ? From_xml(value.get()) : "", &input_);
        input_.element = From_xml(node->name);
        input_.attribute = From_xml(attr->name);
        if (!Attribute(attr->name, scanner)) ok = false;
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Table storage

#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_TABLES_ONE_BY_ONE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_TABLES_ONE_BY_ONE 1
#endif
#endif

#if defined(TESSEL_TABLES_ONE_BY_ONE)
void* Table_storage(std::size_t size) { return ::operator new(size); }
void Table_release(void* object) noexcept { ::operator delete(object); }
#else
namespace {
// Blocks in a chain from the newest; never freed (the tables live as long
// as the process), so every object in them stays reachable.
struct Table_block {
    Table_block* previous;
    std::size_t used, size;
    alignas(std::max_align_t) unsigned char data[1];
};
Table_block* newest_block = nullptr;
}  // namespace

void* Table_storage(std::size_t size) {
    // Aligned as the widest member any table object has (a long long; none
    // holds a long double): attribute entries are 24 octets, 32 when
    // aligned for anything.
    constexpr std::size_t align = alignof(long long), block_size = 512 * 1024;
    size = (size + align - 1) / align * align;
    if (!newest_block || newest_block->size - newest_block->used < size) {
        const std::size_t room = size > block_size ? size : block_size;
        void* raw = std::malloc(offsetof(Table_block, data) + room);
        if (!raw) throw std::bad_alloc();
        newest_block = new (raw) Table_block{newest_block, 0, room, {}};
    }
    void* object = newest_block->data + newest_block->used;
    newest_block->used += size;
    return object;
}

// An object of the tables goes with them.
void Table_release(void*) noexcept {}
#endif

// ---------------------------------------------------------------------------
// Shared formats

namespace {
std::mutex shared_formats_mutex;
}  // namespace

const Format::format_info& Format::Shared_format(const char* format) {
    if (!format) format = "";
    // Open addressing by the text; beyond the table's room (never, with the
    // formats of the tables) the formats go on a list.
    constexpr std::size_t room = 512;
    static const format_info* slots[room];
    struct Spilled {
        format_info format;
        const Spilled* next;
    };
    static const Spilled* spilled = nullptr;
    std::lock_guard<std::mutex> lock(shared_formats_mutex);
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (const char* c = format; *c; ++c) h = (h ^ static_cast<unsigned char>(*c)) * 16777619u;
    for (std::size_t probe = 0; probe < room; ++probe) {
        const format_info*& slot = slots[(h + probe) % room];
        if (!slot) return *(slot = new (Table_storage(sizeof(format_info))) format_info(format));
        if (std::strcmp(slot->Format(), format) == 0) return *slot;
    }
    for (const Spilled* s = spilled; s; s = s->next)
        if (std::strcmp(s->format.Format(), format) == 0) return s->format;
    spilled = new (Table_storage(sizeof(Spilled))) Spilled{format_info(format), spilled};
    return spilled->format;
}

// ---------------------------------------------------------------------------

void indent_printf(int level, const char* format, ...) {
    for (int i = 0; i < level; ++i) std::fputs("  ", stdout);
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
}

}  // namespace XML_routines
