// The tessel command line: one entry per command, and the helpers the
// commands share (option parsing, usage errors).
#ifndef TESSEL_TOOL_COMMANDS_H
#define TESSEL_TOOL_COMMANDS_H

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tessel_air {
enum class Sample_format;
}

namespace tessel {

// Exit statuses of every command.
enum Exit_status {
    exit_ok = 0,        // every element accepted
    exit_reported = 1,  // something was refused or reported
    exit_usage = 2,     // bad command line, unreadable file, document not well-formed
};

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* summary;  // the line in `tessel --help`
    const char* usage;    // the text of `tessel NAME --help` (null: the air module has it)
    int (*run)(const Arguments& args);
    const char* more_usage = nullptr;  // a second form of the command, printed after usage
};

// The commands, in the order `tessel --help` lists them.
const std::vector<Command>& Commands();

// Each command lives in its own file: its entry point and its usage text.
int Replay(const Arguments& args);
extern const char replay_usage[];
int Grammar(const Arguments& args);
extern const char grammar_usage[];
int Log(const Arguments& args);
extern const char log_usage[];
int Registry(const Arguments& args);
extern const char registry_usage[];
int Encode(const Arguments& args);
extern const char encode_usage[];
int Schema(const Arguments& args);
extern const char schema_usage[];
int Receive(const Arguments& args);
extern const char receive_usage[];
int Transmit(const Arguments& args);
extern const char transmit_usage[];

// One option a command accepts.  An option with a value is given as
// "--name VALUE" or "--name=VALUE"; a flag as "--name".
struct Option {
    const char* name;
    std::string* value;  // set for options that take a value
    bool* flag;          // set for flags
};

// Walks args: options go to their Option, everything else to positionals
// ("--" ends the options).  Reports an unknown option or a missing value on
// stderr and returns false.
bool Parse_options(const char* command, const Arguments& args, const std::vector<Option>& options,
                   std::vector<std::string>& positionals);
// Whether args give the option `name` (alone or as name=value) before "--".
bool Has_option(const Arguments& args, const char* name);
// A number written alone in text (a rate, a frequency, seconds): false for
// empty text, anything after the number, or a value that is not finite.
bool Parse_number(const std::string& text, double& value);

// A file closed when it goes out of scope.
struct File_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, File_closer>;

// True when both paths name one existing file: writing a log over the input
// being read would destroy it.
bool Same_file(const std::string& a, const std::string& b);

// Whether text (the first octets of an input) begins a document: '<' after
// blanks and a byte-order mark.  Otherwise it is a record script.
bool Starts_document(const std::string& text);

// The sample format of receive and transmit: the one --format names, else
// the one of the file's extension.  Neither: the usage error, exit_usage.
int Choose_sample_format(const char* command, const std::string& format_name, const std::string& path,
                         tessel_air::Sample_format& format);

// Prints "tessel COMMAND: message" and the hint to --help on stderr;
// returns exit_usage.
int Usage_error(const char* command, const std::string& message);

// Prints "tessel COMMAND: message" on stderr, without the hint to --help:
// for a file that cannot be opened, where the command line was right;
// returns exit_usage.
int File_error(const char* command, const std::string& message);

// Prints "tessel COMMAND: cannot write FILE: reason" on stderr, once per
// file ("-" is standard output); returns exit_usage.
int Write_error(const char* command, const std::string& file, int error);

// Flushes standard output: status when everything printed reached it, else
// the report of Write_error (once) and exit_usage.
int Finish_output(const char* command, int status);

// "-" as the name of an output file: standard output.
inline bool Is_stdout(const std::string& path) { return path.empty() || path == "-"; }

}  // namespace tessel

#endif
