// Link-control words decoded through the registry, and the registry itself:
// every definition in its manufacturer's record by opcode and by name, and
// definitions built before their manufacturer's record.
#include <map>

#include "LC_handler.h"
#include "trunking/support.h"

using namespace XML_routines;
using P25::LC_handler_base;
using P25::MFID_record;

namespace {

// A word on channel 3 logged raw and decoded; given a definition, with the
// header set up first as reading the definition's element sets it.
void Log_word(const char* hex, const LC_handler_base* definition = nullptr) {
    P25::p25_LCO r;
    std::memset(&r, 0, sizeof r);
    r.header.metadata = trk::Source(3);
    trk::Octets_from_hex(hex, r.lc.bytes, sizeof r.lc.bytes);
    Input_data input;
    if (definition) delete definition->Get_instance(input, r.lc);
    XML_Log(lc_raw_top, r, 3, Log_protocol_raw);
    XML_Log(lc_cooked_top, r, 3, Log_protocol_cooked);
}

}  // namespace

// The decoded element follows format flag, manufacturer and opcode (words
// of both manufacturers and of both formats: the tool's golden log).  The
// golden log (tests/data/voice/link_control_words.xml) holds these words,
// then every definition's word in two patterns whose octets are each
// other's complement, so that each field's position and width is pinned.
// The header of those shows what reading the definition's element sets:
// opcode, format flag and (explicit words) manufacturer, the protected flag
// kept.
TEST(Decoding, WordsLoggedRawAndDecoded) {
    trk::Log_capture log;
    for (const char* w : {
             "40 00 80 00 00 01 00 00 02",  // implicit flag on an explicit word: INVALID_FORMAT
             "02 00 01 23 0B AD 30 01 0B",  // explicit flag on an implicit word: INVALID_FORMAT
             "48 11 22 33 44 55 66 77 88",  // opcode 8 has no definition
             "03 55 80 00 00 01 00 00 02",  // manufacturer 0x55 has no record
             "03 90 80 00 00 01 00 00 02",  // manufacturer 0x90 defines only opcode 0
             "62 01 C1 23 0A 0B 10 05 F0",  // reserved nibble upper case for adjacent sites (lower: the tool's golden)
         })
        Log_word(w);
    P25::For_each_link_control([](const MFID_record&, const LC_handler_base& h) {
        Log_word("FF A5 3C 96 0F F0 5A C3 81", &h);
        Log_word("00 5A C3 69 F0 0F A5 3C 7E", &h);
    });
    Expect_golden_file("voice", "link_control_words.xml", log.Body());
}

// The opcodes of every definition, by manufacturer.
TEST(Registry, TheCatalogueByManufacturerAndOpcode) {
    const std::map<std::pair<unsigned, unsigned>, std::string> catalogue = {
        {{0x90, 0}, "LC_GRP_V_CH_USR"},
        {{0x00, 0}, "LC_GRP_V_CH_USR"},       {{0x00, 2}, "LC_GRP_V_CH_UPDT"},     {{0x00, 3}, "LC_UU_V_CH_USR"},
        {{0x00, 4}, "LC_GRP_CH_UPDT_EXP"},    {{0x00, 5}, "LC_UU_ANS_REQ"},        {{0x00, 6}, "LC_TELE_INT_V_CH_USR"},
        {{0x00, 7}, "LC_TELE_INT_ANS_REQ"},   {{0x00, 15}, "LC_CALL_TRM_CAN"},     {{0x00, 16}, "LC_GRP_AFF_Q"},
        {{0x00, 17}, "LC_U_REG_CMD"},         {{0x00, 18}, "LC_AUTH_CMD"},         {{0x00, 19}, "LC_STS_Q"},
        {{0x00, 20}, "LC_STA_UPDT"},          {{0x00, 21}, "LC_MSG_UPDT"},         {{0x00, 22}, "LC_CALL_ALRT"},
        {{0x00, 23}, "LC_EXT_FNCT_CMD"},      {{0x00, 24}, "LC_CH_ID_UPDT"},       {{0x00, 25}, "LC_CH_ID_UPDT_EXP"},
        {{0x00, 26}, "LC_CH_ID_UPDT_TDMA_packet"},                                 {{0x00, 31}, "LC_SYNC_BCAST"},
        {{0x00, 32}, "LC_SYS_SRV_BCST"},      {{0x00, 33}, "LC_SCCB"},             {{0x00, 34}, "LC_ADJ_STS_BCST"},
        {{0x00, 35}, "LC_RFSS_STS_BCST"},     {{0x00, 36}, "LC_NET_STS_BCST"},     {{0x00, 37}, "LC_P_PARM_BCST"},
        {{0x00, 38}, "LC_SCCB_EXP"},          {{0x00, 39}, "LC_ADJ_STS_BCST_EXP"}, {{0x00, 40}, "LC_RFSS_STS_BCST_EXP"},
        {{0x00, 41}, "LC_NET_STS_BCST_EXP"},
    };
    std::map<std::pair<unsigned, unsigned>, std::string> filed;
    P25::For_each_link_control([&](const MFID_record& record, const LC_handler_base& h) {
        EXPECT_EQ(h.MFID(), record.MFID()) << h.Name();
        EXPECT_EQ(record.lc[h.Lco()], &h) << h.Name();
        EXPECT_EQ(record.lc_names.Lookup(h.Name()), &h) << h.Name();
        filed[{h.MFID(), h.Lco()}] = h.Name();
    });
    EXPECT_EQ(filed, catalogue);
    EXPECT_EQ(P25::List<LC_handler_base>::First(), nullptr);  // nothing left pending
}

namespace {

#pragma pack(push, 1)
struct Test_word {
    P25::Explicit_Link_control_header header;
    std::uint8_t value[7];
};
#pragma pack(pop)

Subelement_table<Test_word> test_fields[] = {Subelement_reserved(&Test_word::value)};
using Handler = P25::LC_handler<Test_word>;
using Pending = P25::List<LC_handler_base>;

// A definition of manufacturer 0x90 built while it has no record waits for
// it and is adopted; one built after it files itself at once, by opcode and
// by name alike, and leaves both when destroyed.  Runs in a child process:
// the library's 0x90 record is taken away there.
void Build_in_either_order() {
    P25::motorola.~MFID_record();
    static const Handler early("TEST_EARLY", P25::LCO_90(5), test_fields);
    const bool pending = Pending::Find(&early) != nullptr;
    static MFID_record record("Late", 0x90);
    bool ok = pending && !Pending::First() && record.lc[5] == &early && record.lc_names.Lookup("TEST_EARLY") == &early;
    {
        const Handler late("TEST_LATE", P25::LCO_90(6), test_fields);
        ok = ok && record.lc[6] == &late && record.lc_names.Lookup("TEST_LATE") == &late;
    }
    ok = ok && !record.lc[6] && !record.lc_names.Lookup("TEST_LATE");
    std::_Exit(ok ? 0 : 1);
}

}  // namespace

TEST(RegistryDeathTest, DefinitionsBuiltBeforeTheirRecordAreFoundAlike) {
    EXPECT_EXIT(Build_in_either_order(), testing::ExitedWithCode(0), "");
}
