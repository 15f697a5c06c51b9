// tessel replay: reads an input document through the library.  Every
// element the library logs while reading goes to the log document; every
// message it sends to the dispatcher can be written to a file.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "P25_processing.h"
#include "commands.h"
#include "progress.h"
#include "shared/dispatcher.h"

namespace tessel {

const char replay_usage[] =
    "Usage: tessel replay [FILE]... [--out FILE] [--dispatch FILE] [--trace] [--quiet-relog] [--quiet] [--verbose]\n"
    "\n"
    "Reads input documents (standard input when FILE is absent or \"-\"), one\n"
    "after the other, and hands each element below their root <P25_log_data>\n"
    "to the library.  The log document of them all is one.\n"
    "\n"
    "  --out FILE       write the log document to FILE instead of standard output\n"
    "                   (\"-\": standard output)\n"
    "  --dispatch FILE  write each dispatcher message to FILE, one line per message:\n"
    "                   its octets as upper-case hexadecimal pairs separated by blanks\n"
    "  --trace          report the start and end of each element on standard error\n"
    "  --quiet-relog    write the document's own elements instead of what the\n"
    "                   library logs while reading them: each accepted element\n"
    "                   once, as the document wrote it, and nothing else (so a\n"
    "                   replayed log comes back as it was, less what was refused)\n"
    "  -q, --quiet      no progress line, only the reports of what was refused\n"
    "  -v, --verbose    after each document, the records it handed on and its reports\n"
    "\n"
    "Errors are reported on standard error.  Exit status: 0 when every element\n"
    "was accepted, 1 when anything was refused or reported, 2 for a document\n"
    "that is not well-formed, a file that cannot be read or written, or a bad\n"
    "command line.\n";

namespace {

// Checks that the document can be read before anything is written, so that
// a wrong name gives a usage error rather than a half-written log.
bool Readable(const std::string& path) {
    errno = 0;
    File f(std::fopen(path.c_str(), "rb"));
    if (f && (std::getc(f.get()) != EOF || !std::ferror(f.get()))) return true;
    File_error("replay", "cannot read " + path + ": " + std::strerror(errno ? errno : EIO));
    return false;
}

// One message per line: "04 00 01 00 ...".
void Write_message(std::FILE* out, const std::uint8_t* message, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) std::fprintf(out, i ? " %02X" : "%02X", message[i]);
    std::fputc('\n', out);
}

}  // namespace

int Replay(const Arguments& args) {
    std::string out_path, dispatch_path;
    bool trace = false, quiet_relog = false, quiet = false, verbose = false;
    std::vector<std::string> files;
    if (!Parse_options("replay", args,
                       {{"--out", &out_path, nullptr},
                        {"--dispatch", &dispatch_path, nullptr},
                        {"--trace", nullptr, &trace},
                        {"--quiet-relog", nullptr, &quiet_relog},
                        {"--quiet", nullptr, &quiet},
                        {"-q", nullptr, &quiet},
                        {"--verbose", nullptr, &verbose},
                        {"-v", nullptr, &verbose}},
                       files))
        return exit_usage;
    if (out_path == "-") out_path.clear();
    if (files.empty()) files.push_back("-");
    if (std::count(files.begin(), files.end(), "-") > 1)
        return Usage_error("replay", "standard input named more than once");

    for (const std::string& input_path : files) {
        if (input_path == "-") continue;
        if (!Readable(input_path)) return exit_usage;
        for (const std::string* path : {&out_path, &dispatch_path})
            if (!path->empty() && Same_file(*path, input_path))
                return Usage_error("replay", "would overwrite the input document " + input_path);
    }
    if (!out_path.empty() && !dispatch_path.empty() && (out_path == dispatch_path || Same_file(out_path, dispatch_path)))
        return Usage_error("replay", "--out and --dispatch name the same file");

    // Reports and diagnostic lines (one a message for some elements) are
    // buffered: they still come out in order, at the latest at exit.
    static char error_buffer[1 << 16];
    std::setvbuf(stderr, error_buffer, _IOFBF, sizeof error_buffer);

    File dispatch_file;
    if (!dispatch_path.empty()) {
        dispatch_file.reset(std::fopen(dispatch_path.c_str(), "w"));
        if (!dispatch_file)
            return File_error("replay", "cannot write " + dispatch_path + ": " + std::strerror(errno));
    }
    std::unique_ptr<XML_routines::Output_file> log;
    if (out_path.empty()) {
        log = std::make_unique<XML_routines::Output_file>(stdout);
    } else {
        log = XML_routines::Output_file::Open(out_path.c_str());
        if (!log) return File_error("replay", "cannot write " + out_path + ": " + std::strerror(errno));
    }

    // With --quiet-relog the library logs into a log that writes nothing,
    // whose filters the document's "LogFilter" elements still set, and the
    // log gets the document's accepted elements themselves.
    XML_routines::Output_file muted(nullptr);
    XML_routines::Output_file* library_log = quiet_relog ? &muted : log.get();
    XML_routines::Output_file::Set_current(library_log);
    Dispatcher* dispatcher = Dispatcher::create();
    if (std::FILE* f = dispatch_file.get())
        dispatcher->Set_listener([f](const std::uint8_t* m, std::size_t n) { Write_message(f, m, n); });

    // The records the elements deliver are this host's to take: it takes
    // them (and counts them, with the share of the document read, for the
    // progress line).  The documents are read in turn into one log.
    XML_routines::Input_data input(library_log);
    input.trace = trace;
    if (quiet_relog) input.accepted = [&log](xmlNode* element) { log->Write_node(element); };
    int result = exit_ok;
    for (const std::string& input_path : files) {
        const bool from_stdin = input_path == "-";
        Progress progress(quiet ? "-" : input_path, "records");
        unsigned long received = 0;
        P25::Set_receive_listener(
            [&](P25::Received, const void*) { progress.Update(++received, input.bytes_read); });
        const unsigned errors_before = input.Error_count();
        const XML_routines::Read_status status = XML_routines::Read_document(
            from_stdin ? nullptr : input_path.c_str(), XML_routines::P25_log_data, input);
        P25::Set_receive_listener(nullptr);
        progress.Done();
        // What each document came to, on request.
        if (verbose && !quiet)
            std::fprintf(stderr, "tessel replay: %s: %lu records handed on, %u reports\n", input_path.c_str(),
                         received, input.Error_count() - errors_before);
        if (status == XML_routines::Read_status::not_well_formed) result = exit_usage;
        else if ((status == XML_routines::Read_status::reported || input.Error_count() > errors_before) &&
                 result == exit_ok)
            result = exit_reported;
    }

    // Nothing may reach the log or the message file once they are closed.
    dispatcher->Set_listener(nullptr);
    XML_routines::Output_file::Set_current(nullptr);

    if (!log->Close()) result = Write_error("replay", out_path.empty() ? "-" : out_path, log->Error());
    log.reset();
    if (dispatch_file) {
        errno = 0;
        const bool failed = std::ferror(dispatch_file.get()) != 0;
        if (std::fclose(dispatch_file.release()) != 0 || failed)
            result = Write_error("replay", dispatch_path, errno);
    }
    std::fflush(stderr);
    return result;
}

}  // namespace tessel
