// tessel grammar: the elements the library accepts, as its descriptors
// describe them.
#include <cstdio>

#include "P25_processing.h"
#include "commands.h"

namespace tessel {

const char grammar_usage[] =
    "Usage: tessel grammar\n"
    "\n"
    "Prints the grammar of every element the library accepts below the root\n"
    "<P25_log_data>: each element with its attributes, text and children,\n"
    "indented by nesting level, in the order the descriptors were filed.\n";

int Grammar(const Arguments& args) {
    std::vector<std::string> positionals;
    if (!Parse_options("grammar", args, {}, positionals)) return exit_usage;
    if (!positionals.empty()) return Usage_error("grammar", "unexpected argument \"" + positionals[0] + "\"");
    XML_routines::P25_log_data.Dump_elements(0);
    return exit_ok;
}

}  // namespace tessel
