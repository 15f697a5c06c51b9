// Voice and link control end to end through the tessel program: the bundled
// script of a call logged against its golden log, its link-control words
// replayed, the lines the voice kinds refuse, and the listings that name the
// link-control words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_fixture.h"
#include "trunking/support.h"

namespace {

using namespace tool_test;

const std::string script = TESSEL_TEST_DATA "/../../examples/voice.log";
const std::string golden = TESSEL_TEST_DATA "/voice/voice.xml";

using VoiceTool = Tool_fixture;

// The top-level elements of a log with that tag.
std::vector<std::string> Top(const std::string& log, const char* tag) {
    const std::size_t from = log.find("<P25_log_data>\n") + 15, to = log.rfind("</P25_log_data>");
    return trk::Only(log.substr(from, to - from), tag);
}

}  // namespace

TEST_F(VoiceTool, ScriptGivesTheGoldenLog) {
    const Result r = Run("log " + Quote(script));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, Read_file(golden));
}

// Each word logged raw and decoded comes back, raw and decoded, from either
// element.
TEST_F(VoiceTool, ReplayReproducesEveryWord) {
    const std::string log = Read_file(golden);
    const std::vector<std::string> raw = Top(log, "Link_Control"), decoded = Top(log, "LCF");
    ASSERT_EQ(raw.size(), 5u);
    ASSERT_EQ(decoded.size(), 5u);
    const Result r = Run("replay " + Quote(golden));
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> twice_raw, twice_decoded;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        twice_raw.insert(twice_raw.end(), 2, raw[i]);
        twice_decoded.insert(twice_decoded.end(), 2, decoded[i]);
    }
    EXPECT_EQ(Top(r.out, "Link_Control"), twice_raw);
    EXPECT_EQ(Top(r.out, "LCF"), twice_decoded);
}

TEST_F(VoiceTool, BadValuesAreReportedByLine) {
    struct Case {
        const char* line;
        const char* report;
    } cases[] = {
        {"voice_header Key_ID=10000", "bad Key_ID \"10000\": a hexadecimal number from 0 to FFFF is needed"},
        {"voice_header Group_ID=0xG", "bad Group_ID \"0xG\": a hexadecimal number from 0 to FFFF is needed"},
        {"voice_header mfid=100", "bad mfid \"100\": a hexadecimal number from 0 to FF is needed"},
        {"voice_header 00 01", "voice_header takes 0 to 9 bytes in steps of 9, got 2"},
        {"ldu2 Algorithm_ID=", "bad Algorithm_ID \"\": a hexadecimal number from 0 to FFFF is needed"},
        {"ldu2 Key_ID=1 Key_ID=2", "key \"Key_ID\" given twice"},
        {"ldu1 00 00 80", "ldu1 takes 9 bytes, got 3"},
        {"term 00", "term takes no bytes, got 1"},
        {"term_lc Key_ID=1 000080000001000002", "unknown key \"Key_ID\""},
        {"f2_burst burst=G", "bad burst \"G\": one of A, B, C, D, E, F, Invalid_burst is needed"},
        {"f2_burst vc1=0011", "bad vc1 \"0011\": 9 octets as 18 hexadecimal digits are needed"},
        {"f2_burst cach=XYZXYZ", "bad cach \"XYZXYZ\": 3 octets as 6 hexadecimal digits are needed"},
        {"f2_enc_hdr kid=12345", "bad kid \"12345\": a hexadecimal number from 0 to FFFF is needed"},
        {"f2_enc_hdr NAC=293", "key \"NAC\" does not apply to f2_enc_hdr"},
        {"f2_lc_hdr NAC=293 000080000001000002", "key \"NAC\" does not apply to f2_lc_hdr"},
        {"f2_voice_sf status=IDLE 000080000001000002", "key \"status\" does not apply to f2_voice_sf"},
        {"lc", "lc takes 9 bytes, got 0"},
    };
    std::string text, expected;
    int number = 0;
    for (const Case& c : cases) {
        text += std::string(c.line) + "\n";
        expected += "-:" + std::to_string(++number) + ": " + c.report + "\n";
    }
    const Result r = Log_text(text + "lc 00 00 80 00 00 01 00 00 02\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, expected);
    // The last line is still logged.
    EXPECT_EQ(Top(r.out, "LCF").size(), 1u) << r.out;
}

TEST_F(VoiceTool, ListingsNameTheVoiceKindsAndLinkControlWords) {
    const Result kinds = Run("log --kinds");
    EXPECT_EQ(kinds.status, 0);
    for (const char* kind : {"voice_header", "ldu1", "ldu2", "term", "term_lc", "f2_voice_sf", "f2_burst", "f2_enc_hdr",
                             "f2_lc_hdr", "lc"})
        EXPECT_NE(kinds.out.find(std::string("\n") + kind + " "), std::string::npos) << kind;

    const Result registry = Run("registry");
    EXPECT_EQ(registry.status, 0);
    const std::size_t words = registry.out.find("Link-control words:\nMFID 90: Motorola\n   0:");
    ASSERT_NE(words, std::string::npos) << registry.out;
    EXPECT_NE(registry.out.find("MFID 00: APCO Standard\n   0:", words), std::string::npos);
    EXPECT_NE(registry.out.find("  26:      LC_CH_ID_UPDT_TDMA_packet\n", words), std::string::npos);

    const Result grammar = Run("grammar");
    EXPECT_EQ(grammar.status, 0);
    for (const char* element : {"/P25_log_data/Link_Control ", "/P25_log_data/LCF ", "/P25_log_data/LDU1 ",
                                "/P25_log_data/X2TMDA_Burst ", "/P25_log_data/X2TDMA_Link_Control_Hdr ",
                                "<LC_NET_STS_BCST_EXP "})
        EXPECT_NE(grammar.out.find(element), std::string::npos) << element;
}
