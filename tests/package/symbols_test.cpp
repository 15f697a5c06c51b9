// The dynamic symbol tables of both libraries: what a host calls is there
// (entry points, receive hooks, descriptors, the runtime interface), and
// nothing else is: every strong symbol lies in an interface namespace or is
// one of the CRC functions, and template copies the compiler emits for any
// user of the headers (weak symbols) are the only others.  New entry points
// (P25::Log_*, P25::Receive_*, Smartzone::Log_*) match the patterns.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>

namespace {

struct Symbol {
    char type;  // nm's letter: T, D, B, R strong; W, V, u vague linkage
    std::string name;
};

std::vector<Symbol> Exported(const char* library) {
    std::vector<Symbol> symbols;
    const std::string command = std::string("nm -D -C --defined-only ") + library;
    std::FILE* nm = popen(command.c_str(), "r");
    if (!nm) return symbols;
    char line[8192];
    while (std::fgets(line, sizeof line, nm)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        // "ADDRESS TYPE NAME"
        const std::size_t first = text.find(' ');
        if (first == std::string::npos || first + 3 > text.size()) continue;
        symbols.push_back({text[first + 1], text.substr(first + 3)});
    }
    EXPECT_EQ(pclose(nm), 0) << command;
    return symbols;
}

bool Strong(char type) { return type == 'T' || type == 'D' || type == 'B' || type == 'R'; }

// Strong symbols a library may export: the interface namespaces (with their
// virtual tables and type information), the dispatcher, the CRCs.
const std::regex allowed_strong(
    R"(^((vtable|typeinfo|typeinfo name|guard variable) for |non-virtual thunk to |)()"
    R"((const |void |bool |unsigned |int |_xmlNode\* |char const\* |P25::[A-Za-z_0-9<>:]+ |unsigned (int|long|char) )*)"
    R"((P25|Smartzone|XML_routines)::|Dispatcher::|Dispatcher$|ccitt_16\(|crc_32\()|)"
    // what a sanitized build adds beside each exported global
    R"(^__odr_asan(_gen_|\.))");

// Names a host calls that must be exported whatever else is added.
const char* const required_tessel[] = {
    "P25::Log_TSBK(P25::Log_Dispatch_payload const&)",
    "P25::Log_PDU(P25::Log_Dispatch_payload const&)",
    "P25::Log_PDU_header(P25::Log_Dispatch_payload const&)",
    "P25::Log_PDU_cont(P25::Log_Dispatch_payload const&)",
    "P25::Log_Status_syms(P25::DUID_Header const&)",
    "P25::Log_time(P25::Time_log const&)",
    "P25::Receive_Trunk_from_XML(P25::Trunking_data const&)",
    "P25::Receive_TSBK_from_XML(P25::TSBK_PDU_data const&)",
    "P25::Receive_PDU_from_XML(P25::TSBK_PDU_data const&)",
    "P25::Set_receive_listener(std::function<void (P25::Received, void const*)>)",
    "P25::dispatcher",
    "XML_routines::P25_log_data",
    "XML_routines::Info<P25::Trunking_data>::info",
    "XML_routines::Info<P25::Time_log>::info",
    "XML_routines::Source_info_attr",
};
const char* const required_runtime[] = {
    "XML_routines::Read_document(char const*, XML_routines::Info_base const&, XML_routines::Input_data&)",
    "XML_routines::Output_file::Set_current(XML_routines::Output_file*)",
    "XML_routines::Input_data::Input_data(XML_routines::Output_file*)",
    "XML_routines::Format::Printer::Print(char const*)",
    "XML_routines::Format::Scanner::Scanner(char const*, XML_routines::Input_data*)",
    "XML_routines::Info_base::Info_base(char const*)",
    "XML_routines::indent_printf(int, char const*, ...)",
    "Dispatcher::create()",
};

// Pieces of the implementation no host names: source-local helpers and
// parse states.
const std::regex internal(R"(anonymous namespace|Trunking_instance|Carried_block|tessel::)");

void Check(const char* library, const char* const* required, std::size_t count) {
    const std::vector<Symbol> symbols = Exported(library);
    ASSERT_FALSE(symbols.empty()) << library;
    std::set<std::string> names;
    for (const Symbol& s : symbols) {
        names.insert(s.name);
        EXPECT_FALSE(std::regex_search(s.name, internal)) << library << " exports " << s.name;
        if (Strong(s.type)) {
            EXPECT_TRUE(std::regex_search(s.name, allowed_strong)) << library << " exports " << s.name;
        }
    }
    for (std::size_t i = 0; i < count; ++i) EXPECT_TRUE(names.count(required[i])) << library << " lacks " << required[i];
}

TEST(Symbols, TesselExportsItsInterfaceOnly) { Check(TESSEL_LIBRARY, required_tessel, std::size(required_tessel)); }

TEST(Symbols, RuntimeExportsItsInterfaceOnly) {
    Check(TESSEL_RUNTIME_LIBRARY, required_runtime, std::size(required_runtime));
}

// A record-script entry point added later matches without a change here.
TEST(Symbols, NewEntryPointsMatchThePatterns) {
    for (const char* name : {"P25::Log_voice_LDU1(P25::Log_Dispatch_payload const&)",
                             "Smartzone::Log_cooked(P25::Smartnet_data_log const&)",
                             "P25::Receive_LCO_from_XML(P25::p25_LCO const&)"})
        EXPECT_TRUE(std::regex_search(name, allowed_strong)) << name;
    for (const char* name : {"tessel::Replay(std::vector<std::string> const&)", "Log_whole(int)", "main"})
        EXPECT_FALSE(std::regex_search(name, allowed_strong)) << name;
}

}  // namespace
