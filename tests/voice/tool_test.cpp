// Voice and link control end to end through the tessel program: the golden
// log of the bundled call (every voice unit, the words they carry and words
// on their own) replayed, the lines the voice kinds refuse, and the listings
// that name the link-control words.
#include "tool_fixture.h"
#include "trunking/support.h"

namespace {

using namespace tool_test;

const std::string golden = TESSEL_TEST_DATA "/voice/voice.xml";

using VoiceTool = Tool_fixture;

// The top-level elements of a log.
std::string Body(const std::string& log) {
    const std::size_t from = log.find("<P25_log_data>\n") + 15, to = log.rfind("</P25_log_data>");
    return log.substr(from, to - from);
}

}  // namespace

// Each word's raw and decoded element log it again, raw and decoded; the
// voice units are log-only and give nothing.
TEST_F(VoiceTool, ReplayLogsEachWordAgainFromEitherElement) {
    const auto logged = trk::Elements(Body(Read_file(golden)));
    std::vector<std::pair<std::string, std::string>> expected;
    for (std::size_t i = 0; i + 1 < logged.size(); ++i)
        if (logged[i].first == "Link_Control" && logged[i + 1].first == "LCF")
            for (int twice = 0; twice < 2; ++twice) expected.insert(expected.end(), {logged[i], logged[i + 1]});
    ASSERT_EQ(expected.size(), 20u);
    const Result r = Run("replay " + Quote(golden));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(trk::Elements(Body(r.out)), expected);
}

TEST_F(VoiceTool, BadValuesAreReportedByLine) {
    const struct {
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
    for (const auto& c : cases) {
        text += std::string(c.line) + "\n";
        expected += "-:" + std::to_string(++number) + ": " + c.report + "\n";
    }
    const Result r = Log_text(text + "lc 00 00 80 00 00 01 00 00 02\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, expected);
    // The last line is still logged.
    EXPECT_EQ(trk::Tags(Body(r.out)), (std::vector<std::string>{"Link_Control", "LCF"}));
}

// A burst without a name is written as its number, 0x and hexadecimal; a
// line gives it so (or in decimal), as encode writes it from a document.
TEST_F(VoiceTool, ABurstWithoutANameIsItsNumber) {
    const Result r = Log_text("f2_burst burst=0x28\nf2_burst burst=40\nf2_burst burst=E\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string body = Body(r.out);
    std::vector<std::string> bursts;
    for (std::size_t at = body.find(" burst=\""); at != std::string::npos; at = body.find(" burst=\"", at + 1))
        bursts.push_back(body.substr(at + 8, body.find('"', at + 8) - at - 8));
    EXPECT_EQ(bursts, (std::vector<std::string>{"0x28", "0x28", "E"})) << body;
}

// The words by manufacturer in the registry listing, and below "LCF" in the
// grammar.
TEST_F(VoiceTool, ListingsNameTheLinkControlWords) {
    const std::string registry = Run("registry").out, grammar = Run("grammar").out;
    const std::size_t words = registry.find("Link-control words:\nMFID 90: Motorola\n   0:");
    ASSERT_NE(words, std::string::npos) << registry;
    EXPECT_NE(registry.find("MFID 00: APCO Standard\n   0:", words), std::string::npos);
    EXPECT_NE(registry.find("  26:      LC_CH_ID_UPDT_TDMA_packet\n", words), std::string::npos);
    EXPECT_NE(grammar.find("<LC_NET_STS_BCST_EXP "), std::string::npos);
}
