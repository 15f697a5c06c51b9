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
    MFID_record* record = MFID_record::Find(MFID());
    if (!record) return false;
    Opcode_record& opcode = record->Find_trunking_handler(Outbound(), Opcode());
    opcode.slot[BlockCount() - 1] = this;
    // Filed under the name of its lowest occupied slot, and under its own
    // name, so that every definition of the opcode is found by name whatever
    // the order the definitions were built in; a name already filed stays.
    record->Names(Outbound()).Add(opcode, XML_routines::To_xml(opcode.Name()));
    record->Names(Outbound()).Add(opcode, XML_routines::To_xml(Name()));
    return true;
}

void Trunking_handler_base::Register() {
    if (!Register_core()) pending_.Link(this);
}

std::string Trunking_handler_base::Family() const {
    std::string family = source_file_ ? source_file_ : "";
    family.erase(0, family.find_last_of('/') + 1);
    family.erase(std::min(family.find('.'), family.size()));
    return family;
}

void Trunking_handler_base::Deregister() {
    pending_.Unlink();
}

Trunking_handler_base::~Trunking_handler_base() {
    Deregister();
    Unfile();
}

void Trunking_handler_base::Unfile() {
    XML_routines::Descriptions_changed();
    if (MFID_record* record = MFID_record::Find(MFID())) {
        Opcode_record& opcode = record->Find_trunking_handler(Outbound(), Opcode());
        if (opcode.slot[BlockCount() - 1] == this) opcode.slot[BlockCount() - 1] = nullptr;
    }
}

// ---- message definitions -----------------------------------------------------------

namespace {

// Calls f with a null pointer of the header type of this kind: the header
// functions are overloaded by it.
template <class F>
auto With_header(Message_header header, F&& f) {
    switch (header) {
    case Message_header::tsbk: return f(static_cast<P25_TSBK_header*>(nullptr));
    case Message_header::alternate_mbt: return f(static_cast<Alternate_MBT*>(nullptr));
    case Message_header::unconfirmed_data: break;
    }
    return f(static_cast<Unconfirmed_data_opcode*>(nullptr));
}
template <class H>
using Header_of = std::remove_pointer_t<H>;

void Setup(Message_header header, P25_TSBK_DATA* blocks, const Trunking_handler_base& h) {
    With_header(header, [&](auto kind) {
        Setup_message(*reinterpret_cast<Header_of<decltype(kind)>*>(blocks), h.MFID(), h.Opcode(), h.BlockCount(),
                      h.Outbound());
    });
}

void Checksum(Message_header header, void* blocks, unsigned block_count) {
    With_header(header, [&](auto kind) { Set_checksum(static_cast<Header_of<decltype(kind)>*>(blocks), block_count); });
}

}  // namespace

bool Message_descriptor::Finalize_hook(void* record, XML_routines::Input_data&) const {
    Checksum(header_, record, block_count_);
    return true;
}

XML_routines::Instance_base* Trunking_handler_base::Get_instance(XML_routines::Input_data& input,
                                                                 P25_TSBK_DATA* blocks) const {
    Setup(descriptor_.Header(), blocks, *this);
    return descriptor_.State(input, blocks);
}

xmlNode* Trunking_handler_base::Write(const TSBK_PDU_data& record) const {
    XML_routines::Tree_sink sink;
    Write(record.tsbk, record.block_count, sink);
    return sink.Take();
}

void Trunking_handler_base::Write(const P25_TSBK_DATA* blocks, unsigned block_count, XML_routines::Sink& sink) const {
    const bool refused = With_header(descriptor_.Header(), [&](auto kind) {
        const auto& header = *reinterpret_cast<const Header_of<decltype(kind)>*>(blocks);
        return Check_message(header, descriptor_, BlockCount(), block_count, sink);
    });
    if (!refused) descriptor_.Write_record(blocks, sink);
}

xmlNode* Trunking_handler_base::Write_link(const Local_link_ID& link) const {
    return link_ ? link_->Write_tree(&link) : nullptr;
}

void Trunking_handler_base::Write_link(const Local_link_ID& link, XML_routines::Sink& sink) const {
    if (link_) link_->Write_record(&link, sink);
}

void Trunking_handler_base::Dump_elements(int indent) const {
    With_header(descriptor_.Header(), [&](auto kind) { Dump_header(indent, kind, Opcode(), BlockCount()); });
    descriptor_.Dump_elements(indent + 1);
    if (link_) link_->Dump_elements(indent + 1);
}

void Trunking_handler_base::Frame(P25_TSBK_DATA* blocks) const {
    Setup(descriptor_.Header(), blocks, *this);
    Checksum(descriptor_.Header(), blocks, BlockCount());
}

// The two manufacturers, in this order.
MFID_record apco("APCO Standard", 0x00);
MFID_record motorola("Motorola", 0x90);

}  // namespace P25
