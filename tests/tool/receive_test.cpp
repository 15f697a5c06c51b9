// Replay takes the records the input elements deliver: no placeholder
// reports, and --quiet-relog writes each element once.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace tool_test {
namespace {

using Receive = Tool_fixture;

std::map<std::string, int> Element_counts(const std::string& log) {
    std::map<std::string, int> counts;
    for (std::size_t at = log.find("\n  <"); at != std::string::npos; at = log.find("\n  <", at + 1))
        ++counts[log.substr(at + 4, log.find_first_of(" >/", at + 4) - at - 4)];
    return counts;
}

// The top-level elements of a log, whole.
std::vector<std::string> Elements(const std::string& log) {
    std::vector<std::string> elements;
    std::size_t start = std::string::npos;
    for (std::size_t at = log.find("\n  <"); at != std::string::npos; at = log.find("\n  <", at + 1)) {
        if (log[at + 4] == '/') continue;
        if (start != std::string::npos) elements.push_back(log.substr(start, at - start));
        start = at;
    }
    return elements;
}

TEST_F(Receive, ReplayOfALogHasNoPlaceholderReports) {
    ASSERT_EQ(Run("log ../examples/grants.log --out " + Quote(Temp("g.xml"))).status, 0);
    const Result r = Run("replay " + Quote(Temp("g.xml")));
    EXPECT_EQ(r.err.find("UNIMPLEMENTED"), std::string::npos) << r.err;
    // Standard error is a file here: no progress line.
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << r.err;
}

TEST_F(Receive, QuietRelogWritesEachElementOnce) {
    ASSERT_EQ(Run("log ../examples/grants.log --out " + Quote(Temp("g.xml"))).status, 0);
    const Result plain = Run("replay " + Quote(Temp("g.xml")));
    const Result quiet = Run("replay --quiet-relog " + Quote(Temp("g.xml")));
    EXPECT_EQ(quiet.status, plain.status);
    // Every element of the quiet log is there once.
    std::map<std::string, int> elements;
    for (const std::string& e : Elements(quiet.out)) EXPECT_EQ(++elements[e], 1) << e;
    // The plain replay repeats the decoded messages; the quiet one does not.
    const auto original = Element_counts(Read_file(Temp("g.xml")));
    EXPECT_GT(Element_counts(plain.out)["Trunking_message"], original.at("Trunking_message"));
    EXPECT_EQ(Element_counts(quiet.out)["Trunking_message"], original.at("Trunking_message"));
}

}  // namespace
}  // namespace tool_test
