// The trunking message registry: handlers by direction, opcode and block
// count, by name in one manufacturer and in all, and handlers built before
// their manufacturer's record.
#include <cstdio>
#include <cstdlib>

#include "support.h"

using namespace trk;
using P25::MFID_record;
using P25::Opcode_record;
using P25::Trunking_handler_base;

namespace {

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

}  // namespace

TEST(Registry, HandlerByOpcodeAndBlockCount) {
    struct Case {
        unsigned opcode, blocks;
        const char* handler;  // name and block count; empty: none
    } cases[] = {
        {0, 3, "GRP_V_CH_GRANT_EXP 2"},  // empty slot: the highest occupied one
        {0, 128, "GRP_V_CH_GRANT_EXP 2"},
        {4, 1, "UU_V_CH_GRANT 1"},
        {4, 2, "UU_V_CH_GRANT 3"},
        {16, 4, "IND_DATA_CH_GRANT 3"},
        {6, 3, "UU_V_CH_GRANT_UPDT 3"},
        {1, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.opcode) + "/" + std::to_string(c.blocks));
        const Opcode_record& record = P25::apco.Find_trunking_handler(true, static_cast<std::uint8_t>(c.opcode));
        const Trunking_handler_base* h = record.For_blocks(c.blocks);
        EXPECT_EQ(h ? std::string(h->Name()) + " " + std::to_string(h->BlockCount()) : "", c.handler);
        EXPECT_EQ(record.Name() != nullptr, *c.handler != 0);
    }
}

// (Each definition found by name under its own manufacturer and direction
// is the catalogue's test.)
TEST(Registry, ByNameInOneManufacturerAndInAll) {
    Opcode_record* uu = &P25::apco.Find_trunking_handler(true, P25::UU_V_CH_GRANT);
    struct Case {
        const MFID_record* record;  // null: all records
        bool outbound;
        const char* name;
        Opcode_record* found;
    } cases[] = {
        {&P25::motorola, true, "UU_V_CH_GRANT", nullptr},
        {nullptr, true, "UU_V_CH_GRANT", uu},
        {nullptr, true, "IND_DATA_CH_GRANT", &P25::apco.Find_trunking_handler(true, P25::IND_DATA_CH_GRANT)},
        {nullptr, false, "IND_DATA_CH_GRANT", nullptr},
        {nullptr, true, "NO_SUCH_MESSAGE", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.outbound ? " osp" : " isp"));
        EXPECT_EQ(c.record ? c.record->Find_trunking_handler(c.outbound, X(c.name))
                           : MFID_record::Find_trunking_handler_in_all(c.outbound, X(c.name)),
                  c.found);
    }
}

// ---- load order ------------------------------------------------------------------

namespace {

#pragma pack(push, 1)
struct Test_packet {
    P25::P25_TSBK_header header;
    std::uint8_t value[8];
    P25::CRC_short crc;
};
struct Test_explicit_packet {
    P25::Alternate_MBT header;
    std::uint8_t value[12];
    BE_ulong crc;
};
#pragma pack(pop)

XML_routines::Subelement_table<Test_packet> test_fields[] = {XML_routines::Subelement_reserved(&Test_packet::value)};
XML_routines::Subelement_table<Test_explicit_packet> test_explicit_fields[] = {
    XML_routines::Subelement_reserved(&Test_explicit_packet::value)};
using Single = P25::Trunking_handler<Test_packet>;
using Explicit = P25::Trunking_handler<Test_explicit_packet, P25::SOURCE_ADDRESS>;
using Pending = P25::List<Trunking_handler_base>;

// Handlers of manufacturer 0x90 built while it has no record wait for it and
// are adopted by it; handlers built after it file themselves at once; all
// are found alike.  Runs in a child process: the library's 0x90 record is
// taken away there.
void Build_in_either_order() {
    P25::motorola.~MFID_record();
    static const Single early("TEST_EARLY", P25::OSP_Opcodes_90(50), test_fields);
    static const Explicit early_exp("TEST_EARLY_EXP", P25::OSP_Opcodes_90(50), test_explicit_fields);
    std::string failures;
    if (!Pending::Find(&early) || !Pending::Find(&early_exp)) failures += "not pending\n";
    if (MFID_record::Find_trunking_handler_in_all(true, X("TEST_EARLY"))) failures += "found without a record\n";
    static MFID_record record("Late", 0x90);
    if (Pending::First()) failures += "still pending\n";
    static const Single late("TEST_LATE", P25::OSP_Opcodes_90(51), test_fields);
    static const Explicit late_exp("TEST_LATE_EXP", P25::OSP_Opcodes_90(51), test_explicit_fields);
    // A name of manufacturer 0x00 too: the record built last is searched first.
    static const Single twin("UU_V_CH_GRANT", P25::OSP_Opcodes_90(52), test_fields);
    const Trunking_handler_base* const built[] = {&early, &early_exp, &late, &late_exp, &twin};
    for (const Trunking_handler_base* h : built) {
        const std::string name = h->Name();
        Opcode_record& opcode = record.Find_trunking_handler(true, h->Opcode());
        if (opcode.slot[h->BlockCount() - 1] != h) failures += name + ": not in its slot\n";
        if (record.Find_trunking_handler(true, X(name.c_str())) != &opcode) failures += name + ": not by name\n";
        if (MFID_record::Find_trunking_handler_in_all(true, X(name.c_str())) != &opcode)
            failures += name + ": not by name in all\n";
    }
    std::fputs(failures.c_str(), stderr);
    std::_Exit(failures.empty() ? 0 : 1);
}

}  // namespace

// A handler leaves its slot when it is destroyed.
TEST(Registry, AHandlerLeavesItsSlotWhenDestroyed) {
    const Opcode_record& opcode = P25::motorola.Find_trunking_handler(true, 53);
    ASSERT_EQ(opcode.slot[0], nullptr);
    {
        const Single handler("TEST_SCOPED", P25::OSP_Opcodes_90(53), test_fields);
        EXPECT_EQ(opcode.slot[0], &handler);
    }
    EXPECT_EQ(opcode.slot[0], nullptr);
}

TEST(RegistryDeathTest, HandlersBuiltBeforeTheirRecordAreFoundAlike) {
    EXPECT_EXIT(Build_in_either_order(), testing::ExitedWithCode(0), "");
}
