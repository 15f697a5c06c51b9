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
        {"entities", "empty", 1},  // not expanded, however nested
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
