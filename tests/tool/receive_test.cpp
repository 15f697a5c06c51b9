// Replay takes the records the input elements deliver: no placeholder
// reports, and --quiet-relog gives a replayed log back as it was.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace tool_test {
namespace {

using Receive = Tool_fixture;

TEST_F(Receive, ReplayOfALogHasNoPlaceholderReports) {
    ASSERT_EQ(Run("log ../examples/grants.log --out " + Quote(Temp("g.xml"))).status, 0);
    const Result r = Run("replay " + Quote(Temp("g.xml")));
    EXPECT_EQ(r.err.find("UNIMPLEMENTED"), std::string::npos) << r.err;
    // Standard error is a file here: no progress line.
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << r.err;
}

// A log as its top-level elements, each with the line it starts on; the
// lines before the first and after the last are the head and the tail.
struct Log_parts {
    std::string head, tail;
    std::vector<std::pair<int, std::string>> elements;
};

Log_parts Split(const std::string& log) {
    Log_parts parts;
    std::istringstream in(log);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line += '\n';
        if (line.rfind("  <", 0) == 0 && line.rfind("  </", 0) != 0)
            parts.elements.emplace_back(number, line);
        else if (line.rfind("    ", 0) == 0 || line.rfind("  </", 0) == 0)
            parts.elements.back().second += line;
        else
            (parts.elements.empty() ? parts.head : parts.tail) += line;
    }
    return parts;
}

// The lines that "FILE:LINE: error:" reports name.
std::set<int> Error_lines(const std::string& err) {
    std::set<int> lines;
    const std::regex report(R"(:(\d+): error:)");
    for (auto it = std::sregex_iterator(err.begin(), err.end(), report); it != std::sregex_iterator(); ++it)
        lines.insert(std::stoi((*it)[1]));
    return lines;
}

// Replaying a log that tessel log wrote, --quiet-relog writes its elements
// back unchanged (NAC, status symbols, runs of blocks), each once, and
// nothing else: exactly the log, less the elements that were refused.
TEST_F(Receive, QuietRelogOfEveryBundledLogGivesTheLogBack) {
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator("../examples")) {
        if (entry.path().extension() != ".log") continue;
        ++scripts;
        SCOPED_TRACE(entry.path().string());
        const std::string log_path = Temp("log.xml");
        ASSERT_EQ(Run("log " + Quote(entry.path().string()) + " --out " + Quote(log_path)).status, 0);
        const std::string log = Read_file(log_path);
        const Result plain = Run("replay " + Quote(log_path));
        const Result quiet = Run("replay --quiet-relog " + Quote(log_path));
        EXPECT_EQ(quiet.status, plain.status) << quiet.err;
        EXPECT_EQ(quiet.err, plain.err);

        const Log_parts parts = Split(log);
        const std::set<int> errors = Error_lines(quiet.err);
        std::string expected = parts.head;
        std::size_t refused = 0;
        for (std::size_t i = 0; i < parts.elements.size(); ++i) {
            const int from = parts.elements[i].first;
            const int to = i + 1 < parts.elements.size() ? parts.elements[i + 1].first : INT_MAX;
            if (errors.lower_bound(from) != errors.lower_bound(to)) {
                ++refused;
                continue;
            }
            expected += parts.elements[i].second;
        }
        expected += parts.tail;
        EXPECT_EQ(quiet.out, expected);
        // Refusals are the exception: each one a decoded message shown as an error.
        EXPECT_LE(refused, 2u);
        EXPECT_GE(parts.elements.size(), 5u);
    }
    EXPECT_GE(scripts, 5);
}

}  // namespace
}  // namespace tool_test
