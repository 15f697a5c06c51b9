// Every definition in the registry, whoever built it, is found by its own
// name under its manufacturer and direction, in the slot of its block
// count.  (That each one logs and reads back to the same blocks is the
// round-trip property's, tests/roundtrip/.)
#include "roundtrip_support.h"

using namespace catalogue;
using P25::Trunking_handler_base;

namespace {

// The definitions the registry holds: calls, data and responses (73),
// registration, mobility and broadcasts (41).
constexpr std::size_t expected_definitions = 114;

}  // namespace

TEST(Catalogue, RegistryHoldsEveryDefinitionFoundByItsName) {
    EXPECT_EQ(Definitions().size(), expected_definitions);
    for (const Trunking_handler_base* h : Definitions()) {
        SCOPED_TRACE(Label(*h));
        P25::MFID_record* record = P25::MFID_record::Find(h->MFID());
        ASSERT_NE(record, nullptr);
        const P25::Opcode_record* by_name =
            record->Find_trunking_handler(h->Outbound(), XML_routines::To_xml(h->Name()));
        ASSERT_EQ(by_name, &record->Find_trunking_handler(h->Outbound(), h->Opcode()));
        EXPECT_EQ(by_name->slot[h->BlockCount() - 1], h);
        EXPECT_FALSE(h->Family().empty());
    }
}

