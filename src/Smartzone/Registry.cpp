// The SmartZone opcode registries: outbound handlers by command and word
// count, inbound handlers by type and word count, and the second-level
// tables that refine a message by its status opcode, extended-function
// expander or payload.  Every slot is filled once, at load; lookups never
// fail, they fall back to the handler that owns the table or to the generic
// handler that shows the raw words.
// The failure report is the C library's, in every build.
#undef NDEBUG
#include <assert.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Smartzone_processing.h"

namespace Smartzone {

void Registration_failed(const char* condition, const char* file, unsigned line, const char* function) {
    __assert_fail(condition, file, line, function);
}

namespace {

// The 10-bit payload and 6-bit expander of an inbound word's ID.
const Extended_function_word& Field_of(const ISW_first& w) { return w.ext; }

}  // namespace

// ---- outbound --------------------------------------------------------------------------------

Handler_table<Smartzone_OSW_opcode_base, Smartzone_OSW_opcode_base::commands, Smartzone_OSW_opcode_base::sizes>
    Smartzone_OSW_opcode_base::table;
Smartzone_OSW_opcode_base* Smartzone_status_basic::table[8];
Smartzone_OSW_opcode_base* Smartzone_extended_generic::table[64];
Smartzone_OSW_opcode_base* Smartzone_extended3_generic::table[64];
Handler_table<Smartzone_OSW_opcode_base, 1024> Smartzone_ack_generic::table;

Smartzone_OSW_opcode_base::~Smartzone_OSW_opcode_base() = default;

void Smartzone_OSW_opcode_base::Register(OSW_IDS command) {
    const unsigned id = static_cast<unsigned>(command);
    const unsigned size_index = Word_count() - 1;
    SMARTZONE_CHECK(id < 1024);
    SMARTZONE_CHECK(size_index < 3);
    SMARTZONE_CHECK_TEXT(table.At(id, size_index) == 0, "table[id][size_index]==0");
    table.File(id, size_index, this);
}

void Smartzone_OSW_opcode_base::Register(const XML_routines::Info_base& info) { Osw_info().Register_sub(info); }

void Smartzone_OSW_opcode_base::Unfile(const XML_routines::Info_base& info) {
    for (unsigned id = 0; id < commands; ++id)
        for (unsigned size = 0; size < sizes; ++size)
            if (table.At(id, size) == this) table.File(id, size, nullptr);
    Osw_info().Unregister_sub(info);
}

const Smartzone_OSW_opcode_base& Smartzone_OSW_opcode_base::Find(const OSW_log& log) {
    if (log.count < 1 || log.count > OSW_log::capacity) return generic;
    const unsigned n = log.count - 1;
    const Smartzone_OSW_opcode_base* h = table.At(log.Word(n).Command(), n);
    return h ? h->Find_specific(log) : generic;
}

void Smartzone_status_basic::Register(unsigned opcode, Smartzone_OSW_opcode_base& handler) {
    SMARTZONE_CHECK(opcode < 8);
    SMARTZONE_CHECK(table[opcode] == 0);
    table[opcode] = &handler;
}
void Smartzone_status_basic::Unregister(unsigned opcode, const Smartzone_OSW_opcode_base& handler) {
    if (opcode < 8 && table[opcode] == &handler) table[opcode] = nullptr;
}

const Smartzone_OSW_opcode_base& Smartzone_status_basic::Find_specific(const OSW_log& log) const {
    const Smartzone_OSW_opcode_base* h = table[log.words[0][0] >> 5];
    return h ? h->Find_specific(log) : *this;
}

void Register_extended(unsigned op, Smartzone_OSW_opcode_base& handler) {
    switch (handler.Word_count()) {
    case 2:
        SMARTZONE_CHECK(op < 64);
        SMARTZONE_CHECK_TEXT(Smartzone_extended_generic::table[op] == 0,
                             "Smartzone_extended_generic::info.table[op] == 0");
        Smartzone_extended_generic::table[op] = &handler;
        break;
    case 3:
        SMARTZONE_CHECK(op < 64);
        SMARTZONE_CHECK_TEXT(Smartzone_extended3_generic::table[op] == 0,
                             "Smartzone_extended3_generic::info.table[op] == 0");
        Smartzone_extended3_generic::table[op] = &handler;
        break;
    default:
        break;
    }
}

void Unregister_extended(unsigned op, const Smartzone_OSW_opcode_base& handler) {
    if (op >= 64) return;
    for (Smartzone_OSW_opcode_base** table : {Smartzone_extended_generic::table, Smartzone_extended3_generic::table})
        if (table[op] == &handler) table[op] = nullptr;
}

const Smartzone_OSW_opcode_base& Smartzone_extended_generic::Find_specific(const OSW_log& log) const {
    const Smartzone_OSW_opcode_base* h = table[Expander(log.Word(1).ext)];
    return h ? h->Find_specific(log) : *this;
}

const Smartzone_OSW_opcode_base& Smartzone_extended3_generic::Find_specific(const OSW_log& log) const {
    const Smartzone_OSW_opcode_base* h = table[Expander(log.Word(2).ext)];
    return h ? h->Find_specific(log) : *this;
}

const Smartzone_OSW_opcode_base& Smartzone_ack_generic::Find_specific(const OSW_log& log) const {
    const Smartzone_OSW_opcode_base* h = table.At(Payload(log.Word(1).ext));
    return h ? h->Find_specific(log) : *this;
}

// ---- inbound ---------------------------------------------------------------------------------

Smartzone_ISW_opcode_base* Smartzone_ISW_opcode_base::table[types][sizes];
Smartzone_ISW_opcode_base* Smartzone_extended_generic_isw::table[64];
Handler_table<Smartzone_ISW_opcode_base, 1024> Smartzone_req_generic::table;

Smartzone_ISW_opcode_base::~Smartzone_ISW_opcode_base() = default;

void Smartzone_ISW_opcode_base::Register(ISW_types type) {
    const unsigned id = static_cast<unsigned>(type);
    const unsigned size_index = Word_count() - 1;
    SMARTZONE_CHECK(id < 32);
    SMARTZONE_CHECK(size_index < 3);
    SMARTZONE_CHECK(table[id][size_index]==0);
    table[id][size_index] = this;
}

void Smartzone_ISW_opcode_base::Register(const XML_routines::Info_base& info) { Isw_info().Register_sub(info); }

void Smartzone_ISW_opcode_base::Unfile(const XML_routines::Info_base& info) {
    for (auto& slots : table)
        for (Smartzone_ISW_opcode_base*& slot : slots)
            if (slot == this) slot = nullptr;
    Isw_info().Unregister_sub(info);
}

const Smartzone_ISW_opcode_base& Smartzone_ISW_opcode_base::Find(const ISW_log& log) {
    if (log.count < 1 || log.count > ISW_log::capacity) return generic;
    const unsigned n = log.count - 1;
    const Smartzone_ISW_opcode_base* h = table[log.Word(n).Type()][n];
    return h ? h->Find_specific(log) : generic;
}

void Register_extended(unsigned op, Smartzone_ISW_opcode_base& handler) {
    SMARTZONE_CHECK(op < 64);
    SMARTZONE_CHECK(Smartzone_extended_generic_isw::table[op] == 0);
    Smartzone_extended_generic_isw::table[op] = &handler;
}

void Unregister_extended(unsigned op, const Smartzone_ISW_opcode_base& handler) {
    SMARTZONE_CHECK(op < 64);
    if (Smartzone_extended_generic_isw::table[op] == &handler) Smartzone_extended_generic_isw::table[op] = nullptr;
}

const Smartzone_ISW_opcode_base& Smartzone_extended_generic_isw::Find_specific(const ISW_log& log) const {
    const Smartzone_ISW_opcode_base* h = table[Expander(Field_of(log.Word(1)))];
    return h ? h->Find_specific(log) : *this;
}

void Smartzone_req_generic::Register(unsigned op, Smartzone_ISW_opcode_base& handler) {
    SMARTZONE_CHECK(op < 1024);
    SMARTZONE_CHECK_TEXT(table.At(op) == 0, "table[op] == 0");
    table.File(op, 0, &handler);
}
void Smartzone_req_generic::Unregister(unsigned op, const Smartzone_ISW_opcode_base& handler) {
    if (op < 1024 && table.At(op) == &handler) table.File(op, 0, nullptr);
}

Smartzone_req_generic::~Smartzone_req_generic() {
    for (unsigned op = 0; op < 64; ++op)
        if (Smartzone_extended_generic_isw::table[op] == this) Unregister_extended(op, *this);
}

const Smartzone_ISW_opcode_base& Smartzone_req_generic::Find_specific(const ISW_log& log) const {
    const unsigned op = Payload(Field_of(log.Word(1)));
    SMARTZONE_CHECK(op < 1024);
    const Smartzone_ISW_opcode_base* h = table.At(op);
    return h ? h->Find_specific(log) : *this;
}

// An element read from a document is an extended request of the first
// expander the handler is filed under.
void Smartzone_req_generic::Key(isw_req& message) const {
    message.w1.Set_type(ISW_EXTENDED);
    for (unsigned op = 0; op < 64; ++op)
        if (Smartzone_extended_generic_isw::table[op] == this) {
            GetSet_bf_expander<Extended_function_word, unsigned>().Set(op, message.w1.ext);
            return;
        }
}

// ---- listing ----------------------------------------------------------------------------------

namespace {

template <class H>
H* Slot(H* const* table, unsigned k) {
    return table[k];
}
template <class H, unsigned K>
H* Slot(const Handler_table<H, K>& table, unsigned k) {
    return table.At(k);
}

template <class T>
void Dump_sub(const char* what, const T& table, unsigned count) {
    for (unsigned k = 0; k < count; ++k)
        if (const auto* h = Slot(table, k))
            std::fprintf(stderr, "       %s %u: %u %s\n", what, k, h->Word_count(), h->Name());
}

// One handler filed under a run of keys for one word count.
template <class H>
struct Run {
    unsigned first, last, size_index;
    const H* handler;
};

// The runs of a main table of K keys and S word counts, by first key, then
// word count.
template <class H, class T>
std::vector<Run<H>> Runs(const T& table, unsigned K, unsigned S) {
    std::vector<Run<H>> runs;
    for (unsigned s = 0; s < S; ++s)
        for (unsigned id = 0; id < K; ++id) {
            if (!table[id][s]) continue;
            if (!runs.empty() && runs.back().size_index == s && runs.back().handler == table[id][s] &&
                runs.back().last + 1 == id)
                runs.back().last = id;
            else
                runs.push_back({id, id, s, table[id][s]});
        }
    std::stable_sort(runs.begin(), runs.end(), [](const Run<H>& a, const Run<H>& b) { return a.first < b.first; });
    return runs;
}

template <class H>
void Dump_run(const Run<H>& r) {
    char keys[16];
    if (r.first == r.last) std::snprintf(keys, sizeof keys, "%u", r.first);
    else std::snprintf(keys, sizeof keys, "%u-%u", r.first, r.last);
    std::fprintf(stderr, " %9s %u %s\n", keys, r.size_index + 1, r.handler->Name());
}

}  // namespace

void Dump_all() {
    using Osw = Smartzone_OSW_opcode_base;
    using Isw = Smartzone_ISW_opcode_base;
    std::fprintf(stderr, "SmartZone OSWs (command, words, element):\n");
    for (const Run<Osw>& r : Runs<Osw>(Osw::table, Osw::commands, Osw::sizes)) {
        Dump_run(r);
        if (dynamic_cast<const Smartzone_status_basic*>(r.handler))
            Dump_sub("status opcode", Smartzone_status_basic::table, 8);
        if (dynamic_cast<const Smartzone_extended_generic*>(r.handler))
            Dump_sub("expander", Smartzone_extended_generic::table, 64);
        if (dynamic_cast<const Smartzone_extended3_generic*>(r.handler))
            Dump_sub("expander", Smartzone_extended3_generic::table, 64);
    }
    std::fprintf(stderr, "SmartZone ISWs (type, words, element):\n");
    for (const Run<Isw>& r : Runs<Isw>(Isw::table, Isw::types, Isw::sizes)) {
        Dump_run(r);
        if (dynamic_cast<const Smartzone_extended_generic_isw*>(r.handler)) {
            Dump_sub("expander", Smartzone_extended_generic_isw::table, 64);
            Dump_sub("payload", Smartzone_req_generic::table, 1024);
        }
    }
}

}  // namespace Smartzone
