// What an input document may not say, and documents that are not whole.
// Each refusal is reported at its line with what is wrong, reading goes on
// with the next element, and nothing of a refused element is handed on.
#include <fstream>
#include <string>

#include "tool_fixture.h"

namespace tool_test {
namespace {

using Refusals = Tool_fixture;

// Each document of data/tool/ against its golden reports (.err) and log.
TEST_F(Refusals, EachDocumentGivesItsGoldenReportsAndLog) {
    const struct {
        const char *document, *log;
        int status;
        const char* options = "";
    } cases[] = {
        // Values their fields cannot hold, two contents in one record,
        // missing or contradicting parts: one report each.
        // The first slot of an overhead is logged as it is read, before the
        // second one refuses the overhead: it is never handed on.
        {"refusals", "refusals", 1},
        {"unknown", "unknown", 1},  // skipped with their subtrees
        {"refused", "refused", 1},
        {"not_well_formed", "empty", 2},
        {"cut", "empty", 2},  // cut inside a tag name: no element for its first letters
        // Declarations refused and kept without their text: nine levels of
        // tenfold nesting, in text and in an attribute, expand to nothing.
        {"entities", "empty", 1},
        // Frequencies checked before scaling, empty values, a header against
        // its message, data units of no whole block, values that do not
        // scan and misspelt tags: each says what the field holds or takes.
        {"edges", "empty", 1},
        {"cr_lines", "cr_lines", 1},  // a carriage return alone ends a line
        // The elements accepted, as the document gives them.
        {"refused", "refused_relog", 1, " --quiet-relog"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        const std::string data = "data/tool/";
        const Result r =
            Run("replay " + data + c.document + ".xml --dispatch " + Quote(Temp("dispatch")) + c.options);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, Read_file(data + c.document + ".err"));
        EXPECT_EQ(r.out, Read_file(data + c.log + ".log"));
        EXPECT_EQ(Read_file(Temp("dispatch")), "");
    }
}

// An element of very many unknown attributes: the first ten are reported,
// the rest counted in one line, and the element is refused.
TEST_F(Refusals, ReportsOfOneElementStopAfterTenAndCountTheRest) {
    const std::string many = Temp("many.xml");
    {
        std::ofstream out(many, std::ios::binary);
        out << "<P25_log_data>\n<Term phys_channel=\"1\"";
        for (int i = 0; i < 20000; ++i) out << " a" << i << "=\"\"";
        out << "/>\n<Term phys_channel=\"2\"/>\n</P25_log_data>\n";
    }
    const Result r = Run("replay --quiet-relog " + Quote(many));
    EXPECT_EQ(r.status, 1);
    std::string expected;
    for (int i = 0; i < 10; ++i)
        expected += many + ":2: error: <Term>: unknown attribute \"a" + std::to_string(i) + "\"\n";
    expected += many + ":2: error: <Term>: \xE2\x80\xA6 and 19,990 more\n";
    EXPECT_EQ(r.err, expected);
    EXPECT_EQ(r.out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n  <Term phys_channel=\"2\"/>\n"
                     "</P25_log_data>\n");
}

// A long comment or a long run of blanks is no reason to refuse a document.
TEST_F(Refusals, DocumentsOfAnySizeAHostMayWrite) {
    const std::string big = Temp("big.xml");
    std::ofstream(big, std::ios::binary) << "<P25_log_data>\n<!--" << std::string(10'500'000, 'c') << "-->\n"
                                         << std::string(10'500'000, ' ') << "\n"
                                         << "<DateTime><Date>2024/01/01</Date><Time>00:00:00</Time></DateTime>\n"
                                         << "</P25_log_data>\n";
    const Result r = Run("replay " + Quote(big));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace tool_test
