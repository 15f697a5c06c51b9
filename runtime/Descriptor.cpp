// The descriptor engine, compiled once for every record type: name tables,
// sub-element chains and their index, attribute entries and their index,
// element writing and reading, and the parse state of one element.  Records
// are untyped here; the typed faces in the headers only pass them on.
#include "XML_subelements.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace XML_routines {

// ---- name tables -----------------------------------------------------------------

namespace {
std::size_t Name_hash(const xmlChar* name) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (; *name; ++name) h = (h ^ *name) * 16777619u;
    return h;
}
}  // namespace

Name_table::~Name_table() {
    if (deallocator_ && built_)
        for (const Filed& f : built_->order) deallocator_(f.entry, f.name);
}

void Name_table::Create_table() const {
    built_ = std::make_unique<Built>();
    const std::size_t room = std::max(size_, expected_);
    built_->order.reserve(room);
    // The index: a power of two, at least 16, more than twice the room.
    std::size_t slots = 16;
    while (slots < 2 * (room + 1)) slots *= 2;
    built_->index.assign(slots, 0);
}

std::size_t Name_table::Slot(const xmlChar* name) const {
    const std::vector<std::uint32_t>& index = built_->index;
    const std::size_t mask = index.size() - 1;
    for (std::size_t i = Name_hash(name) & mask;; i = (i + 1) & mask)
        if (!index[i] || xmlStrEqual(built_->order[index[i] - 1].name, name)) return i;
}

void Name_table::Reindex() const {
    std::vector<Filed>& order = built_->order;
    std::vector<std::uint32_t>& index = built_->index;
    std::fill(index.begin(), index.end(), 0);
    while (index.size() < 2 * (order.size() + 1)) index.resize(2 * index.size());
    for (std::size_t k = 0; k < order.size(); ++k) index[Slot(order[k].name)] = static_cast<std::uint32_t>(k + 1);
}

void* Name_table::Find(const xmlChar* name) const {
    Init_if_needed();
    if (!name) return nullptr;
    const std::uint32_t k = built_->index[Slot(name)];
    return k ? built_->order[k - 1].entry : nullptr;
}

bool Name_table::Insert(void* entry, const xmlChar* name) const {
    Init_if_needed();
    std::vector<Filed>& order = built_->order;
    std::vector<std::uint32_t>& index = built_->index;
    if (!name || !entry || index[Slot(name)]) return false;
    order.push_back({name, entry});
    if (2 * (order.size() + 1) > index.size()) return Reindex(), true;
    index[Slot(name)] = static_cast<std::uint32_t>(order.size());
    return true;
}

void Name_table::Erase(const xmlChar* name) const {
    Init_if_needed();
    if (!name) return;
    const std::uint32_t k = built_->index[Slot(name)];
    if (!k) return;
    std::vector<Filed>& order = built_->order;
    const Filed gone = order[k - 1];
    order.erase(order.begin() + (k - 1));
    Reindex();
    if (deallocator_) deallocator_(gone.entry, gone.name);
}

void Name_table::Replace(void* entry, const xmlChar* name) const {
    Init_if_needed();
    if (!name || !entry) return;
    const std::uint32_t k = built_->index[Slot(name)];
    if (!k) {
        Insert(entry, name);
        return;
    }
    void* old = built_->order[k - 1].entry;
    built_->order[k - 1].entry = entry;
    if (deallocator_ && old != entry) deallocator_(old, name);
}

// ---- sub-element chains ---------------------------------------------------------------

namespace {

// Storage for a value read out of a record through a get-set object (no
// value type of the tables is larger: see Value_room).
struct Value_storage {
    alignas(std::max_align_t) unsigned char data[Value_room];
    void* Get() { return data; }
};

// Stores a value read through a copy back into the parent record when the
// child is finalised.  A value that does not fit its field is reported,
// which refuses the child, and not stored.
class Copy_back : public Finalize_hook {
public:
    Copy_back(Input_data& input, void* record, const Link_ops::Copy& ops, const void* access)
        : input_(input), record_(record), ops_(ops), access_(access) {
        ops_.get(access_, record_, value_.Get());
    }
    ~Copy_back() override { ops_.destroy(value_.Get()); }
    void* Value() { return value_.Get(); }
    void Hook() override {
        Format::Scanner report("", &input_);
        ops_.store(access_, value_.Get(), record_, report);
    }

private:
    Input_data& input_;
    void* record_;
    const Link_ops::Copy& ops_;
    const void* access_;
    Value_storage value_;
};

// Calls a member function of the record when the child has been read.
class Commit_call : public Finalize_hook {
public:
    Commit_call(Input_data& input, void* record, const Link_ops::Commit& ops, const void* function)
        : input_(input), record_(record), ops_(ops), function_(function) {}
    void Hook() override { ops_.call(function_, record_, input_); }

private:
    Input_data& input_;
    void* record_;
    const Link_ops::Commit& ops_;
    const void* function_;
};

void* At(void* record, std::size_t offset) { return static_cast<unsigned char*>(record) + offset; }
const void* At(const void* record, std::size_t offset) { return static_cast<const unsigned char*>(record) + offset; }

// A value read out of a record for writing, destroyed after.
struct Read_value {
    Read_value(const Link_ops::Copy& o, const void* access, const void* record) : ops(o) {
        ops.get(access, record, storage.Get());
    }
    ~Read_value() { ops.destroy(storage.Get()); }
    const Link_ops::Copy& ops;
    Value_storage storage;
};

}  // namespace

Subelement_sub_base::Subelement_sub_base(const Subelement_sub_base& other)
    : kind_(other.kind_),
      marks_(other.marks_),
      equal_(other.equal_),
      of_member_(other.of_member_),
      type_(other.type_) {
    // A copy is the first of a rebuilt chain, which links it to its own next
    // link; the other fields of its kind are the original's.
    if (kind_ == entry) info_ = other.info_;
    else next_ = nullptr;
    if (kind_ == member) offset_ = other.offset_;
    else if (Keeps()) {
        const std::size_t room = other.Kept_room();
        kept_ = Access::Make_row_with_room(*other.kept_, room);
        std::memcpy(const_cast<void*>(kept_->Access()), other.kept_->Access(), room);
    }
    else ops_ = other.ops_;
}

std::size_t Subelement_sub_base::Kept_room() const {
    switch (kind_) {
    case copy: return kept_->Copy().room;
    case condition: return kept_->Condition().room;
    case commit: return kept_->Commit().room;
    default: return 0;
    }
}

Subelement_sub_base::~Subelement_sub_base() {
    if (kind_ != entry && next_) next_->DecrRefCount();
    if (Keeps()) delete kept_;
}

void Subelement_sub_base::DecrRefCount() const {
    if (--refs_ < 1) delete const_cast<Subelement_sub_base*>(this);
}

const Info_base& Subelement_sub_base::Info() const {
    const Subelement_sub_base* link = this;
    while (link->kind_ != entry) link = link->next_;
    return *link->info_;
}

Instance_base* Subelement_sub_base::State(Input_data& input, void* record) const {
    switch (kind_) {
    case entry:
        return static_cast<const Record_descriptor*>(info_)->State(input, At(record, offset_));
    case member:
        return next_->State(input, At(record, offset_));
    case cast:
        return next_->State(input, ops_->part(record));
    case copy: {
        auto* hook = new Copy_back(input, record, kept_->Copy(), kept_->Access());
        Instance_base* state = next_->State(input, hook->Value());
        if (!state) {
            delete hook;
            return nullptr;
        }
        hook->Hook_to(*state);
        return state;
    }
    case condition:
        // Reading the child makes its condition true.
        if (equal_) kept_->Condition().set_number(kept_->Access(), record, kept_->value);
        else if (kept_->Condition().boolean) kept_->Condition().set_number(kept_->Access(), record, !kept_->value);
        return next_->State(input, record);
    case commit: {
        Instance_base* state = next_->State(input, record);
        if (state) (new Commit_call(input, record, kept_->Commit(), kept_->Access()))->Hook_to(*state);
        return state;
    }
    }
    return nullptr;
}

void Subelement_sub_base::Write_to(const void* record, Sink& sink) const {
    switch (kind_) {
    case entry:
        return static_cast<const Record_descriptor*>(info_)->Write_hook(At(record, offset_), sink);
    case member:
        return next_->Write_to(At(record, offset_), sink);
    case cast:
        return next_->Write_to(ops_->part(const_cast<void*>(record)), sink);
    case copy: {
        Read_value value(kept_->Copy(), kept_->Access(), record);
        return next_->Write_to(value.storage.Get(), sink);
    }
    case condition:
        if (kept_->Holds(record, equal_)) next_->Write_to(record, sink);
        return;
    case commit:
        return next_->Write_to(record, sink);
    }
}

xmlNode* Subelement_sub_base::Tree(const void* record) const {
    Tree_sink sink;
    Write_to(record, sink);
    return sink.Take();
}

Condition_site Subelement_sub_base::Condition(const void* record) const {
    if (marks_ & Mark::given) return {};
    switch (kind_) {
    case member:
        return next_->Condition(At(record, offset_));
    case cast:
        return next_->Condition(ops_->part(const_cast<void*>(record)));
    case condition:
        return {record, kept_->ops, kept_->Holds(record, equal_)};
    case commit:
        return next_->Condition(record);
    case entry:
    case copy:  // a condition inside a copy has no place of its own
        break;
    }
    return {};
}

namespace {
// The record type of a type name ("... [with T = P25::CHANNEL]"), for the
// report.
std::string Type_text(const char* name) {
    const char* type = std::strstr(name, "T = ");
    if (!type) return name;
    std::string text(type + 4);
    if (!text.empty() && text.back() == ']') text.pop_back();
    return text;
}
}  // namespace

Subelement_sub_base* Subelement_sub_base::Clone(Subelement_sub_base* inner) const {
    Subelement_sub_base* next = inner;
    if (kind_ == entry) {
        // The anonymous descriptor's entry must read the record this one does.
        // (An entry reading a member names the enclosing record's type.)
        if (!of_member_ && inner->type_ != type_ && std::strcmp(inner->type_, type_) != 0) {
            std::fprintf(stderr, "Mismatch: wanted %s, got %s\n", Type_text(type_).c_str(),
                         Type_text(inner->type_).c_str());
            std::abort();
        }
        inner->IncrRefCount();
        if (!of_member_) return inner;
    } else if (!(next = next_->Clone(inner))) {
        return nullptr;
    }
    // This link in front of the rebuilt rest; an entry reading a member
    // becomes the member link that reads it first.
    Subelement_sub_base* clone = new Subelement_sub_base(*this);
    if (kind_ == entry) clone->kind_ = member;
    clone->next_ = next;
    clone->marks_ = static_cast<unsigned char>(marks_ | (next->marks_ & ~Mark::given));
    return clone;
}

// ---- the sub-element index ------------------------------------------------------------

Subelement_hash_list::~Subelement_hash_list() {
    for (auto* e : entries_) e->DecrRefCount();
}

namespace {
void Delete_list(void* payload, const xmlChar*) { delete static_cast<Subelement_hash_list*>(payload); }
}  // namespace

Subelement_index::Subelement_index(const Subelement_row* table, unsigned count)
    : Hash<List>(count, &Delete_list), table_(table) {}

Subelement_index::~Subelement_index() = default;

Subelement_sub_base* Subelement_index::Lookup(const xmlChar* tag, unsigned* counters) const {
    const List* list = Lookup(tag);
    if (!list) return nullptr;
    if (!counters) return (*list)[0];
    unsigned& seen = counters[list->Tag_index()];
    if (seen >= list->Count()) return nullptr;
    return (*list)[seen++];
}

Subelement_sub_base* Subelement_index::Lookup(const xmlChar* tag, unsigned* counters, const void* record) const {
    const List* list = Lookup(tag);
    if (!list) return nullptr;
    if (!counters) return (*list)[0];
    unsigned& seen = counters[list->Tag_index()];
    while (seen < list->Count()) {
        Subelement_sub_base* entry = (*list)[seen++];
        if (!Settled_otherwise(*entry, counters, record)) return entry;
    }
    return nullptr;
}

bool Subelement_index::Is_content(const xmlChar* tag) const {
    const List* list = Lookup(tag);
    return list && list->Count() && (*list)[0]->Is_content();
}

bool Subelement_index::Is_decoded(const xmlChar* tag) const {
    const List* list = Lookup(tag);
    return list && list->Count() && (*list)[0]->Is_decoded();
}

const char* Subelement_index::Missing(const unsigned* counters) const {
    if (!counters || !any_required_) return nullptr;
    for (std::size_t k = 0; k < Filed_count(); ++k) {
        const List& list = Tag_list(k);
        if (counters[list.Tag_index()]) continue;
        for (unsigned i = 0; i < list.Count(); ++i)
            if (list[i]->Is_required()) return list.Name();
    }
    return nullptr;
}

void Subelement_index::Dump_elements(int level) const {
    for (std::size_t k = 0; k < Filed_count(); ++k) {
        const List& list = Tag_list(k);
        for (unsigned i = 0; i < list.Count(); ++i) list[i]->Dump_elements(level);
    }
}

namespace {
// Receives the entries of an anonymous descriptor, each rebuilt around the
// chain that reaches the anonymous record.
class Splice : public Subelement_register {
public:
    Splice(const Subelement_index& index, const Subelement_sub_base& anonymous) : index_(index), anonymous_(anonymous) {}
    void Register(Subelement_sub_base* inner) override {
        if (Subelement_sub_base* clone = anonymous_.Clone(inner)) {
            index_.Add_entry(clone);
            clone->DecrRefCount();
        }
    }

private:
    const Subelement_index& index_;
    const Subelement_sub_base& anonymous_;
};
}  // namespace

void Subelement_index::Add_entry(Subelement_sub_base* entry) const {
    const char* name = entry->Name();
    if (*name) {
        List* list = Lookup(To_xml(name));
        if (!list) {
            list = new List(name, static_cast<unsigned>(Filed_count()));
            Add(*list, To_xml(name));
        }
        list->Add(entry);
        if (entry->Is_required()) any_required_ = true;
        return;
    }
    Splice splice(*this, *entry);
    entry->Info().Subregister(splice);
}

void Subelement_index::Init() const {
    Create_table();
    for (unsigned i = 0; i < Count(); ++i) Add_entry(table_[i].entry);
}

// Whether a condition that does not hold was made so by an entry passed
// already in this parent (its lists' counters).
bool Subelement_index::Settled_otherwise(const Subelement_sub_base& entry, const unsigned* counters,
                                         const void* record) const {
    const Condition_site site = entry.Condition(record);
    if (!site.record || site.holds) return false;
    for (std::size_t k = 0; k < Filed_count(); ++k) {
        const List& list = Tag_list(k);
        // A list's counter never passes its length.
        for (unsigned i = 0; i < counters[list.Tag_index()]; ++i)
            if (list[i] != &entry && list[i]->Condition(record).Same(site)) return true;
    }
    return false;
}

// ---- attribute entries ----------------------------------------------------------------

namespace Attrib {

Endpoint::~Endpoint() = default;
Endpoint_register::~Endpoint_register() = default;
namespace {

// The endpoint of one attribute: its accessor reads the text.
class Single_endpoint : public Endpoint {
public:
    explicit Single_endpoint(const Entry& single) : single_(single) {}
    bool Read_any(Format::Scanner& s, void* record) const override {
        if (!single_.Accessor()) return s.Error("No text allowed");
        return single_.Accessor()->Read_any(s, record);
    }
    const char* Name() const override { return single_.Name(); }
    void Describe(Value_description& d) const override {
        if (single_.Accessor()) single_.Accessor()->Describe(d);
    }

private:
    const Entry& single_;
};

// An endpoint wrapping the endpoint of an entry inside another: it keeps
// the inner endpoint's name and owns it.
class Wrapped_endpoint : public Endpoint {
public:
    Wrapped_endpoint(const Entry& outer, const Endpoint* inner) : outer_(outer), inner_(inner) {}
    ~Wrapped_endpoint() override { delete inner_; }
    const char* Name() const override { return inner_->Name(); }
    void Describe(Value_description& d) const override { inner_->Describe(d); }

protected:
    const Entry& outer_;
    const Endpoint* inner_;
};

// Copies the sub-record out, lets the inner endpoint read into the copy and
// stores it back only when that succeeded.
class Child_endpoint : public Wrapped_endpoint {
public:
    using Wrapped_endpoint::Wrapped_endpoint;
    bool Read_any(Format::Scanner& s, void* record) const override {
        const Entry_ops& ops = outer_.Ops();
        Value_storage sub;
        ops.get(outer_.Access(), record, sub.Get());
        const bool ok = inner_->Read_any(s, sub.Get());
        if (ok) ops.set(outer_.Access(), sub.Get(), record);
        ops.destroy(sub.Get());
        return ok;
    }
};

// Forces the flag, then lets the inner endpoint read.
class Condition_endpoint : public Wrapped_endpoint {
public:
    using Wrapped_endpoint::Wrapped_endpoint;
    bool Read_any(Format::Scanner& s, void* record) const override {
        outer_.Ops().set_flag(outer_.Access(), record, outer_.Value());
        return inner_->Read_any(s, record);
    }
};

// The register an inner entry files into: each endpoint is wrapped in a W
// made for the wrapping entry and filed in the outer register.
template <class W>
class Wrapping_register : public Endpoint_register {
public:
    Wrapping_register(const Endpoint_register& outer, const Entry& owner) : outer_(outer), owner_(owner) {}
    void Add_to_hash(const Endpoint* endpoint) const override { outer_.Add_to_hash(new W(owner_, endpoint)); }

private:
    const Endpoint_register& outer_;
    const Entry& owner_;
};

}  // namespace

void Entry::Add(const Endpoint_register& reg) const {
    switch (kind_) {
    case single:
        return reg.Add_to_hash(new Single_endpoint(*this));
    case child:
        return inner_->Add(Wrapping_register<Child_endpoint>(reg, *this));
    case condition:
        return inner_->Add(Wrapping_register<Condition_endpoint>(reg, *this));
    case subhash:
        for (unsigned i = 0; i < hash_->Count(); ++i) (*hash_)[i].entry->Add(reg);
        return;
    case subtable:
        for (unsigned i = 0; i < count_; ++i) rows_[i].entry->Add(reg);
        return;
    }
}

void Entry::Log_any(Sink& sink, const void* record, Format::Printer& p) const {
    switch (kind_) {
    case single:
        p.Reset();
        if (accessor_) accessor_->Write_any(p, record);
        sink.Attribute(name_, name_length_, p.c_str(), p.Length());
        return;
    case child: {
        const Entry_ops& ops = *kept_->ops;
        if (ops.view) return inner_->Log_any(sink, ops.view(Access(), record), p);
        Value_storage sub;
        ops.get(Access(), record, sub.Get());
        inner_->Log_any(sink, sub.Get(), p);
        ops.destroy(sub.Get());
        return;
    }
    case condition:
        if (kept_->ops->flag(Access(), record) == value_) inner_->Log_any(sink, record, p);
        return;
    case subhash:
        return hash_->Log_any(sink, record, p);
    case subtable:
        for (unsigned i = 0; i < count_; ++i) rows_[i].entry->Log_any(sink, record, p);
        return;
    }
}

namespace {
void Delete_endpoint(void* payload, const xmlChar*) { delete static_cast<Endpoint*>(payload); }
}  // namespace

Attrib_index::Attrib_index(const Attrib_row* table, unsigned count)
    : Hash<Endpoint>(count, &Delete_endpoint), table_(table) {}

Attrib_index::~Attrib_index() = default;

void Attrib_index::Add_to_hash(const Endpoint* endpoint) const {
    if (Lookup(To_xml(endpoint->Name()))) {
        delete endpoint;
        return;
    }
    Add(*endpoint, To_xml(endpoint->Name()));
}

void Attrib_index::Log_any(Sink& sink, const void* record, Format::Printer& p) const {
    for (unsigned i = 0; i < Count(); ++i) table_[i].entry->Log_any(sink, record, p);
}

void Attrib_index::Init() const {
    Create_table();
    for (unsigned i = 0; i < Count(); ++i) table_[i].entry->Add(*this);
}

}  // namespace Attrib

// ---- descriptors ----------------------------------------------------------------------

Record_descriptor::~Record_descriptor() { delete text_; }

xmlNode* Record_descriptor::Write_tree(const void* record) const {
    Tree_sink sink;
    Write_hook(record, sink);
    return sink.Take();
}

void Record_descriptor::Write_record(const void* record, Sink& sink) const {
    if (!sink.Start(Name())) return;
    if (leaf_) {
        Text(record, sink);
        sink.End();
        return;
    }
    if (attributes_) attributes_->Log_any(sink, record, sink.Printer());
    Write_text_hook(record, sink.Hook_node());
    sink.Hook_done();
    Write_subs_hook(record, sink.Hook_node());
    sink.Hook_done();
    sink.End();
}

xmlNode* Record_descriptor::Write_header(const void* record) const {
    xmlNode* node = xmlNewNode(nullptr, To_xml(Name()));
    if (!node) return nullptr;
    if (attributes_) {
        Tree_sink sink(node);
        attributes_->Log_any(sink, record, sink.Printer());
    }
    return node;
}

void Record_descriptor::Text(const void* record, xmlNode* node) const {
    if (!text_ || !node) return;
    if (Sink* sink = Sink::Of(node)) return Text(record, *sink);
    Tree_sink sink(node);
    Text(record, sink);
}

void Record_descriptor::Subs(const void* record, xmlNode* node) const {
    if (!index_ || !node) return;
    if (Sink* sink = Sink::Of(node)) return Subs(record, *sink);
    Tree_sink sink(node);
    Subs(record, sink);
}

void Record_descriptor::Text(const void* record, Sink& sink) const {
    if (!text_) return;
    Format::Printer& p = sink.Printer();
    p.Reset();
    text_->Write_any(p, record);
    sink.Text(p.Data(), p.Length());
}

void Record_descriptor::Subs(const void* record, Sink& sink) const {
    if (!index_) return;
    for (unsigned i = 0; i < index_->Count(); ++i) (*index_)[i]->Write_to(record, sink);
}

unsigned Record_descriptor::Tag_count() const { return index_ ? index_->Tag_count() : 0; }

Instance_base* Record_descriptor::State(Input_data& input, void* record) const {
    return new Record_instance(input, *this, record);
}

namespace {

// A parse state over a record of its own: value-initialised (zeros, and
// the record type's constructor on them) before the descriptor's Start
// sees it, ended with the state.
class Own_record_instance final : public Record_instance {
public:
    Own_record_instance(Input_data& input, const Record_descriptor& info)
        : Record_instance(input, info, nullptr, false),
          octets_(std::make_unique<unsigned char[]>(info.Record_type().size)) {
        record_ = octets_.get();
        if (info.Record_type().construct) info.Record_type().construct(record_);
        Begin();
    }
    ~Own_record_instance() override {
        if (info_->Record_type().destroy) info_->Record_type().destroy(record_);
    }

private:
    std::unique_ptr<unsigned char[]> octets_;  // zero-filled, aligned for any record (see Record_ops_of)
};

}  // namespace

Instance_base* Record_descriptor::Get_instance(Input_data& input) const {
    return new Own_record_instance(input, *this);
}

Instance_base* Record_descriptor::Lookup_record(const xmlChar* tag, unsigned* counters, Input_data& input,
                                         void* record) const {
    if (leaf_) return nullptr;
    if (index_)
        if (Subelement_sub_base* entry = index_->Lookup(tag, counters, record)) return entry->State(input, record);
    if (const Info_base* filed = Find(tag)) return filed->Get_instance(input);
    return nullptr;
}

bool Record_descriptor::Is_decoded(const xmlChar* tag) const { return index_ && index_->Is_decoded(tag); }
bool Record_descriptor::Has_child(const xmlChar* tag) const { return index_ && index_->Has(tag); }
const char* Record_descriptor::Missing(const unsigned* counters) const {
    return index_ ? index_->Missing(counters) : nullptr;
}

std::string Record_descriptor::Child_text(const char* tag, const void* record) const {
    const Subelement_hash_list* list = index_ ? index_->Lookup(To_xml(tag)) : nullptr;
    if (!list || !list->Count()) return std::string();
    Stream_sink sink;
    (*list)[0]->Write_to(record, sink);
    return sink.Output();
}

bool Record_descriptor::Attribute_record(const xmlChar* name, Format::Scanner& s, void* record) const {
    if (leaf_) {
        s.Error("No attributes for %s\n", Name());
        return true;
    }
    const Attrib::Endpoint* endpoint = attributes_ ? attributes_->Lookup(name) : nullptr;
    if (!endpoint) {
        // The report names the element before it, and the attribute in it.
        Input_data* input = s.Input();
        const char* attribute = input ? input->attribute : nullptr;
        if (input) input->attribute = nullptr;
        s.Error("unknown attribute \"%s\"", From_xml(name));
        if (input) input->attribute = attribute;
        return false;
    }
    return endpoint->Read_any(s, record);
}

bool Record_descriptor::Read_record(Format::Scanner& s, void* record) const {
    if (!text_) return s.Error("No text allowed");
    return text_->Read_any(s, record);
}

void Record_descriptor::Subregister(Subelement_register& reg) const {
    if (!index_) return;
    for (unsigned i = 0; i < index_->Count(); ++i) reg.Register((*index_)[i]);
}

// Anonymous descriptors among the children give their own children.
void Record_descriptor::Describe_tables(Element_description& d) const {
    Info_base::Describe(d);
    if (attributes_)
        attributes_->Each([&d](const xmlChar* name, const Attrib::Endpoint& endpoint) {
            d.attributes.emplace_back(From_xml(name), Value_description());
            endpoint.Describe(d.attributes.back().second);
        });
    d.has_text = text_ != nullptr;
    if (text_) text_->Describe(d.text);
    if (!index_) return;
    for (unsigned i = 0; i < index_->Count(); ++i) {
        const Info_base& child = (*index_)[i]->Info();
        if (*child.Name()) {
            d.children.push_back(&child);
            continue;
        }
        Element_description spliced;
        child.Describe(spliced);
        d.children.insert(d.children.end(), spliced.children.begin(), spliced.children.end());
        d.choices.insert(d.choices.end(), spliced.choices.begin(), spliced.choices.end());
    }
}

void Record_descriptor::Dump_elements(int level) const {
    if (leaf_) return Info_base::Dump_elements(level);
    if (*Name()) {
        indent_printf(level, "<%s ", Name());
        ++level;
        if (attributes_) attributes_->Each_name([](const char* name) { std::printf("%s=\"\" ", name); });
        std::printf(">\n");
    }
    if (text_) indent_printf(level, "Text is allowed\n");
    Dump_subs(level);
    if (index_) index_->Dump_elements(level);
}

void Record_descriptor::Write_hook(const void* record, Sink& sink) const { Write_record(record, sink); }
void Record_descriptor::Write_text_hook(const void* record, xmlNode* node) const { Text(record, node); }
void Record_descriptor::Write_subs_hook(const void* record, xmlNode* node) const { Subs(record, node); }
void Record_descriptor::Start_hook(void*, Input_data&) const {}
bool Record_descriptor::Finalize_hook(void*, Input_data&) const { return true; }
bool Record_descriptor::Commit_hook(void*, Input_data&) const { return true; }
Instance_base* Record_descriptor::Lookup_hook(const xmlChar* tag, unsigned* counters, Input_data& input,
                                       void* record) const {
    return Lookup_record(tag, counters, input, record);
}
bool Record_descriptor::Is_content_hook(const xmlChar* tag) const { return index_ && index_->Is_content(tag); }

// ---- the parse state ------------------------------------------------------------------

Record_instance::Record_instance(Input_data& input, const Record_descriptor& info, void* record, bool begin)
    : Instance_base(input), info_(&info), record_(record), counters_(info.Tag_count()) {
    if (begin) Begin();
}

void Record_instance::Begin() {
    info_->Start_hook(record_, input_);
    if (input_.trace) std::fprintf(stderr, "%s Start processing\n", info_->Name());
}

Record_instance::~Record_instance() {
    if (input_.trace) std::fprintf(stderr, "%s End processing\n", info_->Name());
}

const char* Record_instance::Name() const { return info_->Name(); }
const Info_base* Record_instance::Descriptor() const { return info_; }

Instance_base* Record_instance::Get_subinstance(const xmlChar* tag) const {
    const unsigned errors = input_.Error_count();
    const bool content = info_->Is_content_hook(tag);
    const Record_ops& type = info_->Record_type();
    // The decoded form after the raw form: the record as the raw form left
    // it is kept, to be compared at the end.
    const bool decoding = type.plain && content && !content_.empty() && raw_.empty() && info_->Is_decoded(tag) &&
                          !info_->Is_decoded(To_xml(content_.c_str()));
    if (decoding) {
        const auto* octets = static_cast<const unsigned char*>(record_);
        raw_.assign(octets, octets + type.size);
    }
    Instance_base* child = info_->Lookup_hook(tag, counters_.get(), input_, record_);
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

bool Record_instance::Attribute(const xmlChar* name, Format::Scanner& s) {
    if (!info_->Attribute_record(name, s, record_)) return false;
    // Kept to be compared with the text (a leaf has no attributes).
    if (info_->Has_text()) attributes_read_.emplace_back(From_xml(name), s.Text());
    return true;
}

bool Record_instance::Text(Format::Scanner& s) { return info_->Read_record(s, record_) && Agrees_with_attributes(); }

bool Record_instance::Finalize() {
    if (const char* missing = info_->Missing(counters_.get()))
        return Refuse("no <%s> in <%s>", missing, info_->Tag());
    if (!raw_.empty() && std::memcmp(raw_.data(), record_, raw_.size()) != 0) {
        // A decoded form that hides bits (a code it names no value for)
        // reads back other octets: it describes the raw form when it shows
        // what the raw form's own decoding shows, and the raw octets stand.
        const std::string shown = info_->Child_text(decoded_.c_str(), record_);
        std::memcpy(record_, raw_.data(), raw_.size());
        if (info_->Child_text(decoded_.c_str(), record_) != shown)
            return Refuse("<%s> does not describe the octets of <%s> in <%s>", decoded_.c_str(), content_.c_str(),
                          info_->Tag());
    }
    return info_->Finalize_hook(record_, input_);
}

bool Record_instance::Commit() { return info_->Commit_hook(record_, input_); }

bool Record_instance::Agrees_with_attributes() {
    const Record_ops& type = info_->Record_type();
    if (!type.comparable || attributes_read_.empty()) return true;
    Input_data quiet;
    quiet.report_errors = false;
    std::unique_ptr<unsigned char[]> again(new unsigned char[type.size]);
    for (const auto& [name, value] : attributes_read_) {
        std::memcpy(again.get(), record_, type.size);
        Format::Scanner s(value.c_str(), &quiet);
        if (!info_->Attribute_record(To_xml(name.c_str()), s, again.get())) continue;
        if (std::memcmp(again.get(), record_, type.size) == 0) continue;
        const char* attribute = input_.attribute;
        input_.attribute = name.c_str();
        input_.Error("Value %s contradicts the element's text", value.c_str());
        input_.attribute = attribute;
        return false;
    }
    return true;
}

}  // namespace XML_routines
