// The dynamic symbol tables of both libraries: what a host calls is there
// (entry points, receive hooks, descriptors, the runtime interface), and
// nothing else is: every strong symbol lies in an interface namespace or is
// one of the CRC functions, and template copies the compiler emits for any
// user of the headers (weak symbols) are the only others.  New entry points
// (P25::Log_*, P25::Receive_*, Smartzone::Log_*) match the patterns.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// nm's letter (T, D, B, R strong; W, V, u vague linkage) and the name of
// every symbol the library defines.
std::vector<std::pair<char, std::string>> Exported(const char* library) {
    std::vector<std::pair<char, std::string>> symbols;
    const std::string command = std::string("nm -D -C --defined-only ") + library;
    std::FILE* nm = popen(command.c_str(), "r");
    char line[8192];
    while (nm && std::fgets(line, sizeof line, nm)) {
        const std::string text(line, std::strcspn(line, "\n"));
        const std::size_t first = text.find(' ');  // "ADDRESS TYPE NAME"
        if (first != std::string::npos && first + 3 <= text.size()) symbols.emplace_back(text[first + 1], text.substr(first + 3));
    }
    EXPECT_TRUE(nm && pclose(nm) == 0) << command;
    return symbols;
}

// Strong symbols a library may export: the interface namespaces (with their
// virtual tables and type information), the dispatcher, the CRCs.
const std::regex allowed_strong(
    R"(^((vtable|typeinfo|typeinfo name|guard variable) for |non-virtual thunk to |)()"
    R"((const |void |bool |unsigned |int |_xmlNode\* |char const\* |P25::[A-Za-z_0-9<>:]+ |unsigned (int|long|char) )*)"
    R"((P25|Smartzone|XML_routines)::|Dispatcher::|Dispatcher$|ccitt_16\(|crc_32\()|)"
    // what a sanitized build adds beside each exported global
    R"(^__odr_asan(_gen_|\.))");

// Pieces of the implementation no host names: source-local helpers and
// parse states.
const std::regex internal(R"(anonymous namespace|Trunking_instance|Carried_block|tessel::)");

TEST(Symbols, BothLibrariesExportTheirInterfaceOnly) {
    // Names a host calls that must be exported whatever else is added.
    const struct { const char* library; std::vector<std::string> required; } libraries[] = {
        {TESSEL_LIBRARY,
         {"P25::Log_TSBK(P25::Log_Dispatch_payload const&)", "P25::Log_PDU(P25::Log_Dispatch_payload const&)",
          "P25::Log_PDU_header(P25::Log_Dispatch_payload const&)", "P25::Log_PDU_cont(P25::Log_Dispatch_payload const&)",
          "P25::Log_Status_syms(P25::DUID_Header const&)", "P25::Log_time(P25::Time_log const&)",
          "P25::Receive_Trunk_from_XML(P25::Trunking_data const&)", "P25::Receive_TSBK_from_XML(P25::TSBK_PDU_data const&)",
          "P25::Receive_PDU_from_XML(P25::TSBK_PDU_data const&)",
          "P25::Set_receive_listener(std::function<void (P25::Received, void const*)>)", "P25::dispatcher",
          "XML_routines::P25_log_data", "XML_routines::Info<P25::Trunking_data>::info",
          "XML_routines::Info<P25::Time_log>::info", "XML_routines::Source_info_attr"}},
        {TESSEL_RUNTIME_LIBRARY,
         {"XML_routines::Read_document(char const*, XML_routines::Info_base const&, XML_routines::Input_data&)",
          "XML_routines::Output_file::Set_current(XML_routines::Output_file*)",
          "XML_routines::Input_data::Input_data(XML_routines::Output_file*)",
          "XML_routines::Format::Printer::Print(char const*)",
          "XML_routines::Format::Scanner::Scanner(char const*, XML_routines::Input_data*)",
          "XML_routines::Info_base::Info_base(char const*)", "XML_routines::indent_printf(int, char const*, ...)",
          "Dispatcher::create()"}},
    };
    for (const auto& l : libraries) {
        const auto symbols = Exported(l.library);
        ASSERT_FALSE(symbols.empty()) << l.library;
        std::set<std::string> names;
        for (const auto& s : symbols) {
            names.insert(s.second);
            EXPECT_FALSE(std::regex_search(s.second, internal)) << l.library << " exports " << s.second;
            if (std::strchr("TDBR", s.first)) {  // strong
                EXPECT_TRUE(std::regex_search(s.second, allowed_strong)) << l.library << " exports " << s.second;
            }
        }
        for (const std::string& name : l.required) EXPECT_TRUE(names.count(name)) << l.library << " lacks " << name;
    }
}

}  // namespace
