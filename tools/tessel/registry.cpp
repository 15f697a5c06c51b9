// tessel registry: the trunking messages the library knows, by manufacturer,
// direction and opcode; with --markdown, the same as a table by message
// family (the README's table of element names is this output).
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>

#include "LC_handler.h"
#include "Smartzone_processing.h"
#include "Trunking_handler.h"
#include "commands.h"

namespace tessel {

const char registry_usage[] =
    "Usage: tessel registry [--markdown]\n"
    "\n"
    "Lists every manufacturer with its inbound (ISP) and outbound (OSP) trunking\n"
    "messages: opcode, element name, and the block counts defined for it (0 for a\n"
    "single-block TSBK, 1 to 3 for the two- to four-block forms).\n"
    "Then the SmartZone outbound (OSW) and inbound (ISW) messages: command or type,\n"
    "word count and element name, with the messages filed under a status opcode,\n"
    "an extended-function expander or a request payload below their parent.\n"
    "Last, each manufacturer's link-control words: opcode and element name.\n"
    "\n"
    "  --markdown  print a Markdown table instead: one row per message family\n"
    "              (the source file that defines it), manufacturer, direction,\n"
    "              opcode and element name, with the block counts defined\n";

namespace {

// The link-control words, by manufacturer and opcode.
void List_link_control() {
    std::printf("Link-control words:\n");
    const P25::MFID_record* shown = nullptr;
    P25::For_each_link_control([&shown](const P25::MFID_record& record, const P25::LC_handler_base& word) {
        if (&record != shown) std::printf("MFID %02X: %s\n", record.MFID(), record.Name());
        shown = &record;
        std::printf("  %2d: %30.30s\n", word.Lco(), word.Name());
    });
}

// Rows in family, manufacturer, direction (ISP first), opcode and name order;
// the block counts of one row in increasing order.
void Markdown_table() {
    using Key = std::tuple<std::string, unsigned, bool, unsigned, std::string>;
    std::map<Key, std::string> rows;
    for (const P25::Trunking_handler_base* h : P25::MFID_record::Handlers()) {
        std::string& blocks = rows[Key(h->Family(), h->MFID(), h->Outbound(), h->Opcode(), h->Name())];
        blocks += (blocks.empty() ? "" : ", ") + std::to_string(h->BlockCount());
    }
    std::printf("| family | MFID | direction | opcode | element | blocks |\n");
    std::printf("| --- | --- | --- | --- | --- | --- |\n");
    for (const auto& [key, blocks] : rows) {
        const auto& [family, mfid, outbound, opcode, name] = key;
        std::printf("| `%s` | %02X | %s | %u | `%s` | %s |\n", family.c_str(), mfid, outbound ? "OSP" : "ISP", opcode,
                    name.c_str(), blocks.c_str());
    }
}

}  // namespace

int Registry(const Arguments& args) {
    std::vector<std::string> positionals;
    bool markdown = false;
    if (!Parse_options("registry", args, {{"--markdown", nullptr, &markdown}}, positionals)) return exit_usage;
    if (!positionals.empty()) return Usage_error("registry", "unexpected argument \"" + positionals[0] + "\"");
    if (markdown) {
        Markdown_table();
        return exit_ok;
    }
    // The library lists on the error stream; here the listing is the output.
    std::fflush(stdout);
    std::fflush(stderr);
    const int saved = dup(2);
    if (saved < 0 || dup2(1, 2) < 0) return File_error("registry", "cannot redirect the listing");
    P25::MFID_record::Dump_all();
    Smartzone::Dump_all();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    List_link_control();
    return exit_ok;
}

}  // namespace tessel
