// tessel log: reads a record script, one binary record a line, and hands
// each record to the library's log entry point for its kind, as a host's
// receivers and transmitters would.  The elements the library logs make up
// the log document.
//
// A line is "KIND [KEY=VALUE]... [HEX]..." (script.h): script.cpp reads it,
// the kinds_*.cpp files build each kind's record and call its entry point.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "progress.h"
#include "script.h"

namespace tessel {

const char log_usage[] =
    "Usage: tessel log [FILE] [--out FILE] [--quiet] [--verbose]\n"
    "       tessel log --kinds\n"
    "\n"
    "Reads a record script (standard input when FILE is absent or \"-\") and\n"
    "hands each record to the library's log entry point for its kind; the\n"
    "elements logged make up the log document.\n"
    "\n"
    "  --out FILE  write the log document to FILE instead of standard output\n"
    "              (\"-\": standard output)\n"
    "  -q, --quiet no progress line, only the reports of refused lines\n"
    "  -v, --verbose  at the end, the lines read and refused\n"
    "  --kinds     list the kinds of record a script can hold, and stop\n"
    "\n"
    "One record a line: KIND [KEY=VALUE]... [HEX]...  Blank lines and lines\n"
    "starting with # are ignored.  Keys: timestamp (seconds), phys_channel,\n"
    "direction (rx, tx, rx_sim), type (isp, osp), timeslot, NAC (hexadecimal),\n"
    "status (talk, BUSY, repeater, IDLE or 0-3, comma-separated), and, for\n"
    "time, date=YYYY/MM/DD and time=HH:MM:SS.  HEX: the record's air bytes.\n"
    "\n"
    "A line that cannot be read is reported on standard error as FILE:LINE:\n"
    "message and nothing is logged for it; the other lines are still logged.\n"
    "Exit status: 0 when every line was logged, 1 when a line was refused,\n"
    "2 for a file that cannot be read or written, or a bad command line.\n";


namespace {

// script could not be read to its end.  From a pipe or a terminal each
// line's elements are written out as soon as it is logged.
bool Log_script(std::FILE* in, const std::string& name, bool quiet, unsigned long& lines, unsigned long& refused) {
    struct stat st {};
    const bool live = fstat(fileno(in), &st) == 0 && !S_ISREG(st.st_mode);
    Progress progress(quiet ? "-" : name, "lines");
    unsigned long long bytes = 0;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    unsigned long number = 0;
    ssize_t length;
    std::string text;  // one line, its room kept from line to line
    while ((length = getline(&buffer, &capacity, in)) >= 0) {
        text.assign(buffer, static_cast<std::size_t>(length));
        ++number;
        bytes += static_cast<unsigned long long>(length);
        progress.Update(number, bytes);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (number == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        std::string error;
        if (!Log_line(text, error)) {
            std::fprintf(stderr, "%s:%lu: %s\n", name.c_str(), number, error.c_str());
            ++refused;
        }
        if (live) XML_routines::Output_file::Current()->Flush();
    }
    std::free(buffer);
    lines = number;
    return !std::ferror(in);
}

}  // namespace

int Log(const Arguments& args) {
    std::string out_path;
    bool kinds = false, quiet = false, verbose = false;
    std::vector<std::string> files;
    if (!Parse_options("log", args,
                       {{"--out", &out_path, nullptr},
                        {"--kinds", nullptr, &kinds},
                        {"--quiet", nullptr, &quiet},
                        {"-q", nullptr, &quiet},
                        {"--verbose", nullptr, &verbose},
                        {"-v", nullptr, &verbose}},
                       files))
        return exit_usage;
    if (out_path == "-") out_path.clear();
    if (kinds) {
        if (!files.empty() || !out_path.empty()) return Usage_error("log", "--kinds takes no other argument");
        List_kinds(stdout);
        return exit_ok;
    }
    if (files.size() > 1) return Usage_error("log", "more than one record script");
    const std::string input_path = files.empty() ? "-" : files[0];
    const bool from_stdin = input_path == "-";

    File script;
    if (!from_stdin) {
        errno = 0;
        script.reset(std::fopen(input_path.c_str(), "r"));
        // A directory opens but cannot be read: find out before writing anything.
        int c = EOF;
        if (script && ((c = std::getc(script.get())) != EOF || !std::ferror(script.get()))) {
            if (c != EOF) std::ungetc(c, script.get());
        } else {
            return File_error("log", "cannot read " + input_path + ": " + std::strerror(errno ? errno : EIO));
        }
        if (!out_path.empty() && Same_file(out_path, input_path))
            return Usage_error("log", "would overwrite the record script " + input_path);
    }

    std::unique_ptr<XML_routines::Output_file> log;
    if (out_path.empty()) {
        log = std::make_unique<XML_routines::Output_file>(stdout);
    } else {
        log = XML_routines::Output_file::Open(out_path.c_str());
        if (!log) return File_error("log", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    XML_routines::Output_file::Set_current(log.get());
    unsigned long lines = 0, refused = 0;
    const bool read = Log_script(from_stdin ? stdin : script.get(), input_path, quiet, lines, refused);
    if (verbose && !quiet)
        std::fprintf(stderr, "tessel log: %s: %lu lines, %lu refused\n", input_path.c_str(), lines, refused);
    XML_routines::Output_file::Set_current(nullptr);
    if (!log->Close()) return Write_error("log", out_path.empty() ? "-" : out_path, log->Error());

    if (!read) {
        std::fprintf(stderr, "tessel log: error reading %s\n", input_path.c_str());
        return exit_usage;
    }
    return refused ? exit_reported : exit_ok;
}

}  // namespace tessel
