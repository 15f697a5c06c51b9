// tessel registry: the trunking messages the library knows, by manufacturer,
// direction and opcode.
#include <unistd.h>

#include <cstdio>

#include "Smartzone_processing.h"
#include "Trunking_handler.h"
#include "commands.h"

namespace tessel {

const char registry_usage[] =
    "Usage: tessel registry\n"
    "\n"
    "Lists every manufacturer with its inbound (ISP) and outbound (OSP) trunking\n"
    "messages: opcode, element name, and the block counts defined for it (0 for a\n"
    "single-block TSBK, 1 to 3 for the two- to four-block forms).\n"
    "Then the SmartZone outbound (OSW) and inbound (ISW) messages: command or type,\n"
    "word count and element name, with the messages filed under a status opcode,\n"
    "an extended-function expander or a request payload below their parent.\n";

int Registry(const Arguments& args) {
    std::vector<std::string> positionals;
    if (!Parse_options("registry", args, {}, positionals)) return exit_usage;
    if (!positionals.empty()) return Usage_error("registry", "unexpected argument \"" + positionals[0] + "\"");
    // The library lists on the error stream; here the listing is the output.
    std::fflush(stdout);
    std::fflush(stderr);
    const int saved = dup(2);
    if (saved < 0 || dup2(1, 2) < 0) return Usage_error("registry", "cannot redirect the listing");
    P25::MFID_record::Dump_all();
    Smartzone::Dump_all();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    return exit_ok;
}

}  // namespace tessel
