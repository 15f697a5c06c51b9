// Write errors must never pass silently.  (Values the readers refuse:
// refusals_test.cpp and schema_test.cpp.)
#include <fstream>
#include <string>

#include "tool_fixture.h"

namespace tool_test {
namespace {

using Reliability = Tool_fixture;

const std::string examples = "../examples/";

// Every write error is reported once, with the file, and gives status 2.
TEST_F(Reliability, WriteErrorsAreReportedOnce) {
    std::ofstream(Temp("term.xml")) << "<P25_log_data><Term/></P25_log_data>\n";
    const struct { std::string args, report; bool to_full; } cases[] = {
        {"log " + examples + "grants.log --out /dev/full", "tessel log: cannot write /dev/full: ", false},
        {"replay " + examples + "demo.xml --out /dev/full", "tessel replay: cannot write /dev/full: ", false},
        {"encode " + Quote(Temp("term.xml")) + " --out /dev/full", "tessel encode: cannot write /dev/full: ", false},
        {"encode " + Quote(Temp("term.xml")), "tessel encode: cannot write standard output: ", true},
        {"schema", "tessel schema: cannot write standard output: ", true},
        {"--version", "tessel --version: cannot write standard output: ", true},
        {"--help", "tessel --help: cannot write standard output: ", true},
        {"replay --help", "tessel replay: cannot write standard output: ", true},
        {"log " + examples + "grants.log", "tessel log: cannot write standard output: ", true},
        {"replay " + examples + "demo.xml", "tessel replay: cannot write standard output: ", true},
        {"grammar", "tessel grammar: cannot write standard output: ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        Result r{};
        if (c.to_full) {
            const int raw = std::system((Quote(TESSEL_TOOL) + " " + c.args + " >/dev/full 2>" + Quote(Temp("e"))).c_str());
            r = {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", Read_file(Temp("e"))};
        } else {
            r = Run(c.args);
        }
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.substr(r.err.find("tessel ")), c.report + "No space left on device\n");
    }
}

}  // namespace
}  // namespace tool_test
