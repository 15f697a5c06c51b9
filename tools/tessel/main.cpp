// tessel: the host program.  Reads input documents through the library,
// prints its grammar; `tessel --help` lists the commands.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "crc.h"
#include "version.h"

namespace tessel {

namespace {

const char help_usage[] =
    "Usage: tessel help [COMMAND]\n"
    "\n"
    "Lists the commands, or prints the usage of one.\n";

int Help(const Arguments& args);

const char air_module[] = "libtessel_air_commands.so";

// The air module lies beside libTessel, in the build tree and installed:
// it is opened by that path.  A bare name would be looked up through the
// run path of whoever calls dlopen, which is not tessel when a sanitizer's
// run time stands in for dlopen.
std::string Air_module_path() {
    Dl_info library;
    if (dladdr(reinterpret_cast<const void*>(&crc_32), &library) && library.dli_fname) {
        const char* slash = std::strrchr(library.dli_fname, '/');
        if (slash) return std::string(library.dli_fname, slash + 1) + air_module;
    }
    return air_module;
}

// receive and transmit come from the air module (see CMakeLists.txt),
// loaded the first time one of them is needed: null when it cannot be
// loaded, which is reported once.
const Command* Air_command(const char* name) {
    static const Command* commands = [] {
        void* module = dlopen(Air_module_path().c_str(), RTLD_NOW | RTLD_LOCAL);
        const void* table = module ? dlsym(module, "tessel_air_commands") : nullptr;
        if (!table) std::fprintf(stderr, "tessel: the air commands cannot be loaded: %s\n", dlerror());
        return static_cast<const Command*>(table);
    }();
    for (const Command* c = commands; c && c->name; ++c)
        if (std::strcmp(c->name, name) == 0) return c;
    return nullptr;
}

int Run_air(const char* name, const Arguments& args) {
    const Command* c = Air_command(name);
    return c ? c->run(args) : exit_usage;
}
int Run_receive(const Arguments& args) { return Run_air("receive", args); }
int Run_transmit(const Arguments& args) { return Run_air("transmit", args); }

// Prints the usage of a command (an air command's is the module's, with its
// second form); false when the module cannot be loaded.
bool Print_usage(const Command& command) {
    const Command* c = command.usage ? &command : Air_command(command.name);
    if (!c) return false;
    std::fputs(c->usage, stdout);
    if (c->more_usage) std::printf("\n%s", c->more_usage);
    return true;
}

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"replay", "read an input document through the library", replay_usage, Replay},
        {"grammar", "print the grammar of the elements the library accepts", grammar_usage, Grammar},
        {"log", "log a record script through the library's entry points", log_usage, Log},
        {"registry", "list the trunking messages by manufacturer, direction and opcode", registry_usage, Registry},
        {"encode", "write the records of an input document as a record script", encode_usage, Encode},
        {"schema", "print an XML Schema of the log and input documents", schema_usage, Schema},
        {"receive", "demodulate a recording of a P25 channel and log its frames", nullptr, Run_receive},
        {"transmit", "modulate records or an input document into a P25 channel recording", nullptr, Run_transmit},
        {"help", "list the commands or show the usage of one", help_usage, Help},
    };
    return commands;
}

namespace {

const Command* Find_command(const std::string& name) {
    for (const Command& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}

void Overview(std::FILE* out) {
    std::fprintf(out,
                 "Usage: tessel COMMAND [ARGUMENTS]\n"
                 "   or: tessel COMMAND --help\n"
                 "   or: tessel --version\n"
                 "\n"
                 "Translates P25 and SmartZone signalling between packed binary records\n"
                 "and XML through the Tessel library.\n"
                 "\n"
                 "Commands:\n");
    for (const Command& c : Commands()) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
}

int Help(const Arguments& args) {
    if (args.empty()) {
        Overview(stdout);
        return exit_ok;
    }
    if (args.size() > 1) return Usage_error("help", "too many arguments");
    const Command* c = Find_command(args[0]);
    if (!c) return Usage_error("help", "unknown command \"" + args[0] + "\"");
    if (!Print_usage(*c)) return exit_usage;
    return exit_ok;
}

bool Is_help(const std::string& arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

bool Same_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool Starts_document(const std::string& text) {
    const std::size_t at = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    return at != std::string::npos && text[at] == '<';
}

bool Has_option(const Arguments& args, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a.compare(0, length, name) == 0 && (a.size() == length || a[length] == '=')) return true;
    }
    return false;
}

bool Parse_number(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool Parse_options(const char* command, const Arguments& args, const std::vector<Option>& options,
                   std::vector<std::string>& positionals) {
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const Option* option = nullptr;
        for (const Option& o : options)
            if (name == o.name) option = &o;
        if (!option) {
            Usage_error(command, "unknown option \"" + name + "\"");
            return false;
        }
        if (option->flag) {
            if (eq != std::string::npos) {
                Usage_error(command, "option " + name + " takes no value");
                return false;
            }
            *option->flag = true;
        } else if (eq != std::string::npos) {
            *option->value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            *option->value = args[++i];
        } else {
            Usage_error(command, "option " + name + " needs an argument");
            return false;
        }
        if (option->value && option->value->empty()) {
            Usage_error(command, "option " + name + " needs a non-empty argument");
            return false;
        }
    }
    return true;
}

int Usage_error(const char* command, const std::string& message) {
    std::fprintf(stderr, "tessel %s: %s\nTry 'tessel %s --help'.\n", command, message.c_str(), command);
    return exit_usage;
}

int File_error(const char* command, const std::string& message) {
    std::fprintf(stderr, "tessel %s: %s\n", command, message.c_str());
    return exit_usage;
}

namespace {
bool stdout_reported = false;
}  // namespace

int Finish_output(const char* command, int status) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Write_error(command, "-", errno);
    return status;
}

int Write_error(const char* command, const std::string& file, int error) {
    const bool is_stdout = file == "-";
    if (!(is_stdout && stdout_reported))
        std::fprintf(stderr, "tessel %s: cannot write %s: %s\n", command,
                     is_stdout ? "standard output" : file.c_str(), std::strerror(error ? error : EIO));
    if (is_stdout) stdout_reported = true;
    return exit_usage;
}

}  // namespace tessel

int main(int argc, char** argv) {
    using namespace tessel;
    if (argc < 2) {
        Overview(stderr);
        return exit_usage;
    }
    const std::string name = argv[1];
    // What is printed must reach standard output: a full disk or a closed
    // pipe is reported, with its reason, and fails the command.
    if (Is_help(name)) {
        Overview(stdout);
        return Finish_output("--help", exit_ok);
    }
    if (name == "--version") {
        std::printf("tessel %s\n", TESSEL_VERSION);
        return Finish_output("--version", exit_ok);
    }
    const Command* command = Find_command(name);
    if (!command) {
        std::fprintf(stderr, "tessel: unknown %s \"%s\"\nTry 'tessel --help'.\n",
                     name[0] == '-' ? "option" : "command", name.c_str());
        return exit_usage;
    }
    Arguments args(argv + 2, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (Is_help(arg)) {
            if (!Print_usage(*command)) return exit_usage;
            return Finish_output(command->name, exit_ok);
        }
    }
    return Finish_output(command->name, command->run(args));
}
