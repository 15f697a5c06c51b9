// Every definition in the registry is found by its own name under its
// manufacturer and direction, in the slot of its block count (that each one
// logs and reads back to the same blocks is the round-trip property's,
// tests/roundtrip/).  The README's table of definitions is what
// `tessel registry --markdown` prints, so that it cannot drift from the
// registry (scripts/registry-table regenerates it).
#include "Trunking_handler.h"
#include "tool_fixture.h"

namespace {

using namespace tool_test;

class Registry_table : public Tool_fixture {};

}  // namespace

// Calls, data and responses (73); registration, mobility and broadcasts (41).
TEST(Catalogue, RegistryHoldsEveryDefinitionFoundByItsName) {
    EXPECT_EQ(P25::MFID_record::Handlers().size(), 114u);
    for (const P25::Trunking_handler_base* h : P25::MFID_record::Handlers()) {
        SCOPED_TRACE(std::string(h->Name()) + " " + std::to_string(h->BlockCount()));
        P25::MFID_record* record = P25::MFID_record::Find(h->MFID());
        ASSERT_NE(record, nullptr);
        const xmlChar* name = XML_routines::To_xml(h->Name());
        const P25::Opcode_record* by_name = record->Find_trunking_handler(h->Outbound(), name);
        ASSERT_EQ(by_name, &record->Find_trunking_handler(h->Outbound(), h->Opcode()));
        EXPECT_EQ(by_name->slot[h->BlockCount() - 1], h);
        EXPECT_EQ(record->Find_trunking_handler(!h->Outbound(), name), nullptr);
        EXPECT_FALSE(h->Family().empty());
    }
}

TEST_F(Registry_table, ReadmeHoldsTheGeneratedTable) {
    const std::string readme = Read_file(fs::path(TESSEL_TEST_DATA) / ".." / ".." / "README.md");
    const std::string begin = "<!-- begin: tessel registry --markdown -->\n",
                      end = "<!-- end: tessel registry --markdown -->\n";
    const std::size_t from = readme.find(begin), to = readme.find(end);
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos && from < to) << "README.md has no table markers";
    const Result r = Run("registry --markdown");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), r.out)
        << "regenerate the table with scripts/registry-table README.md";
    EXPECT_EQ(Run("registry --markdown extra").status, 2);
}

// The plain listing: each opcode with a definition, with the slots
// (block count - 1) it occupies.
TEST_F(Registry_table, ListingShowsTheSlotsOfEachOpcode) {
    const Result r = Run("registry");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* part : {
             "All known MFIDs and opcodes:\nMFID 90: ",
             "\n ISPs:\n OSPs:\n  13:                   IDEN_UP_TDMA  0\nMFID 00: ",
             "\n ISPs:\n   0:                      GRP_V_REQ  0\n",
             "  55:                  ROAM_ADDR_RSP  0 1 2 3\n OSPs:\n   0:                 GRP_V_CH_GRANT  0 1\n",
             "  55:                 ROAM_ADDR_UPDT  1 2 3\n",
             "  63:                    P_PARM_UPDT  0\nSmartZone OSWs",
         })
        EXPECT_NE(r.out.find(part), std::string::npos) << part << r.out;
}
