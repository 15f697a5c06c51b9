// Manufacturer records and the filing of trunking message handlers.
#include <algorithm>
#include <cstdio>

#include "LC_handler.h"
#include "Trunking_handler.h"

namespace P25 {

// ---- opcode records ---------------------------------------------------------------

const char* Opcode_record::Name() const {
    for (const Trunking_handler_base* h : slot)
        if (h) return h->Name();
    return nullptr;
}

Trunking_handler_base* Opcode_record::For_blocks(unsigned block_count) const {
    if (Trunking_handler_base* h = Exactly(block_count)) return h;
    for (unsigned i = slots; i-- > 0;)
        if (slot[i]) return slot[i];
    return nullptr;
}

void Opcode_record::Dump_all(unsigned opcode) const {
    const char* name = Name();
    if (!name) return;
    std::fprintf(stderr, "  %2d: %30.30s ", opcode, name);
    for (unsigned i = 0; i < slots; ++i)
        if (slot[i]) std::fprintf(stderr, " %d", i);
    std::fprintf(stderr, "\n");
}

void Opcode_record::Dump_elements(unsigned, int indent) const {
    for (const Trunking_handler_base* h : slot)
        if (h) h->Dump_elements(indent);
}

// ---- manufacturer records ------------------------------------------------------------

MFID_record::MFID_record(const char* name, std::uint8_t mfid) : mfid_(mfid), name_(name), node_(this) {
    // Adopt the handlers that were built before this record.
    for (List<Trunking_handler_base>* n = List<Trunking_handler_base>::First(); n;) {
        List<Trunking_handler_base>* next = n->Next();
        if (n->Item()->MFID() == mfid_ && n->Item()->Register_core()) n->Unlink();
        n = next;
    }
    // And the link-control word definitions.
    for (List<LC_handler_base>* n = List<LC_handler_base>::First(); n;) {
        List<LC_handler_base>* next = n->Next();
        if (n->Item()->MFID() == mfid_ && n->Item()->Register_core()) n->Unlink();
        n = next;
    }
}

MFID_record::~MFID_record() = default;

MFID_record* MFID_record::Find(std::uint8_t mfid) {
    for (List<MFID_record>* n = List<MFID_record>::First(); n; n = n->Next())
        if (n->Item()->mfid_ == mfid) return n->Item();
    return nullptr;
}

Opcode_record& MFID_record::Find_trunking_handler(bool outbound, std::uint8_t opcode) {
    return Table(outbound)[opcode & 0x3F];
}

Opcode_record* MFID_record::Find_trunking_handler(bool outbound, const xmlChar* name) const {
    return Names(outbound).Lookup(name);
}

Opcode_record* MFID_record::Find_trunking_handler_in_all(bool outbound, const xmlChar* name) {
    for (List<MFID_record>* n = List<MFID_record>::First(); n; n = n->Next())
        if (Opcode_record* r = n->Item()->Find_trunking_handler(outbound, name)) return r;
    return nullptr;
}

void MFID_record::Dump_all() {
    std::fprintf(stderr, "All known MFIDs and opcodes:\n");
    for (List<MFID_record>* n = List<MFID_record>::First(); n; n = n->Next()) {
        MFID_record& r = *n->Item();
        std::fprintf(stderr, "MFID %02X: %s\n", r.mfid_, r.name_);
        std::fprintf(stderr, " ISPs:\n");
        for (unsigned op = 0; op < 64; ++op) r.isp_[op].Dump_all(op);
        std::fprintf(stderr, " OSPs:\n");
        for (unsigned op = 0; op < 64; ++op) r.osp_[op].Dump_all(op);
    }
}

std::vector<const Trunking_handler_base*> MFID_record::Handlers() {
    std::vector<const Trunking_handler_base*> all;
    for (List<MFID_record>* n = List<MFID_record>::First(); n; n = n->Next())
        for (const Opcode_record* table : {n->Item()->isp_, n->Item()->osp_})
            for (unsigned op = 0; op < 64; ++op)
                for (const Trunking_handler_base* h : table[op].slot)
                    if (h) all.push_back(h);
    return all;
}

void MFID_record::Dump_elements(int indent) {
    for (List<MFID_record>* n = List<MFID_record>::First(); n; n = n->Next()) {
        MFID_record& r = *n->Item();
        for (unsigned op = 0; op < 64; ++op) r.isp_[op].Dump_elements(op, indent);
        for (unsigned op = 0; op < 64; ++op) r.osp_[op].Dump_elements(op, indent);
    }
}

// ---- handler filing ----------------------------------------------------------------

bool Trunking_handler_base::Register_core() {
    XML_routines::Descriptions_changed();
    MFID_record* record = MFID_record::Find(mfid_);
    if (!record) return false;
    Opcode_record& opcode = record->Find_trunking_handler(outbound_, opcode_);
    opcode.slot[BlockCount() - 1] = this;
    // Filed under the name of its lowest occupied slot, and under its own
    // name, so that every definition of the opcode is found by name whatever
    // the order the definitions were built in; a name already filed stays.
    record->Names(outbound_).Add(opcode, XML_routines::To_xml(opcode.Name()));
    record->Names(outbound_).Add(opcode, XML_routines::To_xml(Name()));
    return true;
}

void Trunking_handler_base::Register() {
    if (!Register_core()) pending_.Link(this);
}

void Trunking_handler_base::Set_family(const char* source_file) { source_file_ = source_file; }

std::string Trunking_handler_base::Family() const {
    std::string family = source_file_ ? source_file_ : "";
    family.erase(0, family.find_last_of('/') + 1);
    family.erase(std::min(family.find('.'), family.size()));
    return family;
}

void Trunking_handler_base::Deregister() {
    pending_.Unlink();
}

void Trunking_handler_base::Unfile() {
    XML_routines::Descriptions_changed();
    if (MFID_record* record = MFID_record::Find(mfid_)) {
        Opcode_record& opcode = record->Find_trunking_handler(outbound_, opcode_);
        if (opcode.slot[BlockCount() - 1] == this) opcode.slot[BlockCount() - 1] = nullptr;
    }
}

// The two manufacturers, in this order.
MFID_record apco("APCO Standard", 0x00);
MFID_record motorola("Motorola", 0x90);

}  // namespace P25
