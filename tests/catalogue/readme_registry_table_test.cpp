// The README's table of trunking message definitions is what
// `tessel registry --markdown` prints, so that it cannot drift from the
// registry (scripts/registry-table regenerates it).
#include <cstdio>

#include "Trunking_handler.h"
#include "tool_fixture.h"

namespace {

using namespace tool_test;

class Registry_table : public Tool_fixture {};

TEST_F(Registry_table, ReadmeHoldsTheGeneratedTable) {
    const std::string readme = Read_file(fs::path(TESSEL_TEST_DATA) / ".." / ".." / "README.md");
    const std::string begin = "<!-- begin: tessel registry --markdown -->\n",
                      end = "<!-- end: tessel registry --markdown -->\n";
    const std::size_t from = readme.find(begin), to = readme.find(end);
    ASSERT_NE(from, std::string::npos) << "README.md has no table markers";
    ASSERT_NE(to, std::string::npos) << "README.md has no table markers";
    ASSERT_LT(from, to);
    const Result r = Run("registry --markdown");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), r.out)
        << "regenerate the table with scripts/registry-table README.md";
}

TEST_F(Registry_table, OneRowPerNameWithItsBlockCounts) {
    const Result r = Run("registry --markdown");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("| family | MFID | direction | opcode | element | blocks |\n| --- |", 0), 0u) << r.out;
    for (const char* row : {
             "| `Grants` | 00 | OSP | 4 | `UU_V_CH_GRANT` | 1, 3 |\n",
             "| `Grants` | 00 | OSP | 0 | `GRP_V_CH_GRANT_EXP` | 2 |\n",
             "| `Telephone_interconnect` | 00 | ISP | 8 | `TELE_INT_DIAL_REQ` | 2 |\n",
             "| `Unit_control` | 00 | ISP | 46 | `AUTH_Q` | 1, 2 |\n",
         })
        EXPECT_NE(r.out.find(row), std::string::npos) << row << r.out;
    EXPECT_EQ(Run("registry --markdown extra").status, 2);
}

// The plain listing names each opcode of every definition, with the slot
// (block count - 1) of every definition of it.
TEST_F(Registry_table, ListingShowsEveryDefinition) {
    const Result r = Run("registry");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const P25::Trunking_handler_base* h : P25::MFID_record::Handlers()) {
        char mfid[16], opcode[16];
        std::snprintf(mfid, sizeof mfid, "MFID %02X:", h->MFID());
        std::snprintf(opcode, sizeof opcode, "  %2d: ", h->Opcode());
        const std::string manufacturer = r.out.substr(r.out.find(mfid));
        const std::string direction = manufacturer.substr(manufacturer.find(h->Outbound() ? " OSPs:" : " ISPs:"));
        const std::size_t at = direction.find(opcode);
        ASSERT_NE(at, std::string::npos) << h->Name();
        const std::string line = direction.substr(at, direction.find('\n', at) - at) + " ";
        EXPECT_NE(line.find(" " + std::to_string(h->BlockCount() - 1) + " ", 32), std::string::npos)
            << h->Name() << ": " << line;
    }
}

}  // namespace
