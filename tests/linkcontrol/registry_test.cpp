// The link-control registry: every definition of the catalogue in its
// manufacturer's record by opcode and by name, the header set-up of input
// words, and definitions built before their manufacturer's record.
#include <cstdio>
#include <map>
#include <utility>

#include "support.h"

using namespace lc_test;
using P25::LC_handler_base;
using P25::MFID_record;

TEST(Registry, TheCatalogueByManufacturerAndOpcode) {
    const std::map<std::pair<unsigned, unsigned>, std::string> catalogue = {
        {{0x00, 0}, "LC_GRP_V_CH_USR"},       {{0x90, 0}, "LC_GRP_V_CH_USR"},
        {{0x00, 2}, "LC_GRP_V_CH_UPDT"},      {{0x00, 3}, "LC_UU_V_CH_USR"},
        {{0x00, 4}, "LC_GRP_CH_UPDT_EXP"},    {{0x00, 5}, "LC_UU_ANS_REQ"},
        {{0x00, 6}, "LC_TELE_INT_V_CH_USR"},  {{0x00, 7}, "LC_TELE_INT_ANS_REQ"},
        {{0x00, 15}, "LC_CALL_TRM_CAN"},      {{0x00, 16}, "LC_GRP_AFF_Q"},
        {{0x00, 17}, "LC_U_REG_CMD"},         {{0x00, 18}, "LC_AUTH_CMD"},
        {{0x00, 19}, "LC_STS_Q"},             {{0x00, 20}, "LC_STA_UPDT"},
        {{0x00, 21}, "LC_MSG_UPDT"},          {{0x00, 22}, "LC_CALL_ALRT"},
        {{0x00, 23}, "LC_EXT_FNCT_CMD"},      {{0x00, 24}, "LC_CH_ID_UPDT"},
        {{0x00, 25}, "LC_CH_ID_UPDT_EXP"},    {{0x00, 26}, "LC_CH_ID_UPDT_TDMA_packet"},
        {{0x00, 31}, "LC_SYNC_BCAST"},        {{0x00, 32}, "LC_SYS_SRV_BCST"},
        {{0x00, 33}, "LC_SCCB"},              {{0x00, 34}, "LC_ADJ_STS_BCST"},
        {{0x00, 35}, "LC_RFSS_STS_BCST"},     {{0x00, 36}, "LC_NET_STS_BCST"},
        {{0x00, 37}, "LC_P_PARM_BCST"},       {{0x00, 38}, "LC_SCCB_EXP"},
        {{0x00, 39}, "LC_ADJ_STS_BCST_EXP"},  {{0x00, 40}, "LC_RFSS_STS_BCST_EXP"},
        {{0x00, 41}, "LC_NET_STS_BCST_EXP"},
    };
    std::map<std::pair<unsigned, unsigned>, std::string> filed;
    P25::For_each_link_control([&](const MFID_record& record, const LC_handler_base& h) {
        SCOPED_TRACE(h.Name());
        EXPECT_EQ(h.MFID(), record.MFID());
        EXPECT_EQ(record.lc[h.Lco()], &h);
        EXPECT_EQ(record.lc_names.Lookup(h.Name()), &h);
        filed[{h.MFID(), h.Lco()}] = h.Name();
    });
    EXPECT_EQ(filed, catalogue);
    EXPECT_EQ(P25::List<LC_handler_base>::First(), nullptr);  // nothing left pending
}

// Reading a word's element sets its header from the definition: opcode,
// format flag and (explicit words) manufacturer; the protected flag stays.
TEST(Registry, InputWordsGetTheirDefinitionsHeader) {
    struct Case {
        const MFID_record& record;
        const char* name;
        const char* before;
        const char* after;
    } cases[] = {
        {P25::apco, "LC_GRP_V_CH_UPDT", "BF 55 11", "C2 55 11"},
        {P25::apco, "LC_GRP_V_CH_UPDT", "00 00 11", "42 00 11"},
        {P25::apco, "LC_GRP_V_CH_USR", "FF 55 11", "80 00 11"},
        {P25::motorola, "LC_GRP_V_CH_USR", "7F 00 11", "00 90 11"},
        {P25::apco, "LC_NET_STS_BCST_EXP", "40 00 11", "69 00 11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.before);
        P25::Any_link_control w = Word(c.before);
        const LC_handler_base* h = c.record.lc_names.Lookup(c.name);
        ASSERT_NE(h, nullptr);
        XML_routines::Input_data input;
        delete h->Get_instance(input, w);
        const P25::Any_link_control expected = Word(c.after);
        EXPECT_EQ(std::memcmp(w.bytes, expected.bytes, sizeof w.bytes), 0) << Raw(w);
    }
}

// ---- load order ------------------------------------------------------------------

namespace {

#pragma pack(push, 1)
struct Test_word {
    P25::Explicit_Link_control_header header;
    std::uint8_t value[7];
};
#pragma pack(pop)

XML_routines::Subelement_table<Test_word> test_fields[] = {XML_routines::Subelement_reserved(&Test_word::value)};
using Handler = P25::LC_handler<Test_word>;
using Pending = P25::List<LC_handler_base>;

// A definition of manufacturer 0x90 built while it has no record waits for
// it and is adopted; one built after it files itself at once; both decode
// and are found by name alike, and leave their slots when destroyed.  Runs
// in a child process: the library's 0x90 record is taken away there.
void Build_in_either_order() {
    P25::motorola.~MFID_record();
    std::string failures;
    static const Handler early("TEST_EARLY", P25::LCO_90(5), test_fields);
    if (!Pending::Find(&early)) failures += "not pending\n";

    static MFID_record record("Late", 0x90);
    if (Pending::First()) failures += "still pending\n";
    {
        const Handler late("TEST_LATE", P25::LCO_90(6), test_fields);
        for (const LC_handler_base* h : {static_cast<const LC_handler_base*>(&early), static_cast<const LC_handler_base*>(&late)}) {
            const std::string name = h->Name();
            if (record.lc[h->Lco()] != h) failures += name + ": not in its slot\n";
            if (record.lc_names.Lookup(name.c_str()) != h) failures += name + ": not by name\n";
            P25::Any_link_control w = Word("00 90 01 02 03 04 05 06 07");
            w.bytes[0] = h->Lco();
            const std::string decoded = Decoded(w);
            if (decoded.find("<" + name + "><Reserved>01 02 03 04 05 06 07 </Reserved></" + name + ">") ==
                std::string::npos)
                failures += name + ": decoded as " + decoded + "\n";
        }
    }
    if (record.lc[6] || record.lc_names.Lookup("TEST_LATE")) failures += "TEST_LATE still filed\n";
    std::fputs(failures.c_str(), stderr);
    std::_Exit(failures.empty() ? 0 : 1);
}

}  // namespace

TEST(RegistryDeathTest, DefinitionsBuiltBeforeTheirRecordAreFoundAlike) {
    EXPECT_EXIT(Build_in_either_order(), testing::ExitedWithCode(0), "");
}
