// tessel encode: reads an input document through the library and writes,
// for every element that yields a record, one record-script line that
// `tessel log` reads back (script_writer.cpp writes the lines).  Here: the
// command line, the output file, and the reports of the error elements a
// log holds, which are notes rather than errors.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "commands.h"
#include "script_writer.h"

namespace tessel {

const char encode_usage[] =
    "Usage: tessel encode [FILE] [--out FILE]\n"
    "\n"
    "Reads an input document (standard input when FILE is absent or \"-\") and\n"
    "writes one record-script line (as `tessel log` reads them) for every\n"
    "element that yields a record: tsbk and pdu lines for \"Trunking_message\",\n"
    "\"TSBK\" and \"PDU\" (headers and CRCs completed), pdu_header and pdu_cont\n"
    "lines for \"PDU_Header\" and \"PDU_Continuation\", status lines for\n"
    "\"Status_bits\", time lines for \"DateTime\", lc lines for a link-control\n"
    "word on its own, and the kinds of the voice items, channel settings,\n"
    "simulator states and SmartZone channel words.  So the log of a script\n"
    "encodes back to the script's records.\n"
    "\n"
    "  --out FILE  write the script to FILE instead of standard output (\"-\": it)\n"
    "  -q, --quiet no notes, only errors\n"
    "\n"
    "The symbols of a \"Status_bits\" go into the data unit that follows it\n"
    "from the same source, and an LDU1 takes the link-control word after it.\n"
    "A \"Trunking_message\" whose blocks the data unit before it carried, an\n"
    "\"LCF\" of the word before it and a decoded SmartZone message are that data\n"
    "decoded, and give no line of their own.  A transmitted \"P25_Overhead\" or\n"
    "\"Smartzone_overhead\" slot is one overhead line (handle, interval and NAC\n"
    "kept).  An error element of a log (\"DATA_CRC_ERROR\", ...) records blocks\n"
    "the data unit before it holds: it gives a note, not an error.\n"
    "\n"
    "Errors are reported on standard error as in replay.  Exit status: 0 when\n"
    "every element was accepted, 1 when anything was refused or reported, 2\n"
    "for a document that is not well-formed, an unreadable file or a bad\n"
    "command line.\n";

namespace {

// The error elements a log writes in place of a message or of its fields:
// records of what was heard, whose blocks the data unit before them holds.
const char* const error_elements[] = {"DATA_CRC_ERROR", "UNKNOWN_FORMAT", "INVALID_FORMAT", "Illegal_block_count",
                                      "Multiblock_header"};

// The reader refuses an error element as it refuses any element it cannot
// read back.  Encode takes the reports while the document is read and
// turns each about an error element into one note: its blocks were encoded
// with the data unit before it.  The others are passed on as they are.
class Error_element_notes {
public:
    // Quiet: the notes are counted, not written.
    explicit Error_element_notes(bool quiet) : quiet_(quiet) {
        std::fflush(stderr);
        reports_ = std::tmpfile();
        saved_ = reports_ ? dup(2) : -1;
        if (saved_ >= 0 && dup2(fileno(reports_), 2) < 0) {
            close(saved_);
            saved_ = -1;
        }
    }
    // Restores standard error and writes the reports; the number of
    // reports that stay errors (all, when they could not be taken).
    unsigned Finish() {
        if (saved_ < 0) return ~0u;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
        std::rewind(reports_);
        unsigned errors = 0;
        char buffer[4096];
        std::string line;
        while (std::fgets(buffer, sizeof buffer, reports_)) {
            line += buffer;
            if (line.back() != '\n' && !std::feof(reports_)) continue;
            std::string note;
            const bool noted = Note(line, note);
            if (noted) line = note;
            else if (line.find(": error: ") != std::string::npos) ++errors;
            if (!(noted && quiet_)) std::fputs(line.c_str(), stderr);
            line.clear();
        }
        std::fclose(reports_);
        reports_ = nullptr;
        return errors;
    }
    ~Error_element_notes() {
        Finish();
        if (reports_) std::fclose(reports_);
    }

private:
    // "FILE:LINE: error: <TAG>: ..." about an error element, as a note.
    static bool Note(const std::string& report, std::string& note) {
        const std::size_t at = report.find(": error: <");
        if (at == std::string::npos) return false;
        for (const char* tag : error_elements) {
            const std::string element = std::string("<") + tag + ">";
            if (report.compare(at + 9, element.size() + 1, element + ":") != 0) continue;
            note = report.substr(0, at) + ": note: " + element +
                   " records a message that was not received whole: its blocks are encoded with the data unit "
                   "before it\n";
            return true;
        }
        return false;
    }

    bool quiet_;
    std::FILE* reports_ = nullptr;
    int saved_ = -1;
};

}  // namespace

int Encode(const Arguments& args) {
    std::string out_path;
    bool quiet = false;
    std::vector<std::string> files;
    if (!Parse_options("encode", args,
                       {{"--out", &out_path, nullptr}, {"--quiet", nullptr, &quiet}, {"-q", nullptr, &quiet}}, files))
        return exit_usage;
    if (files.size() > 1) return Usage_error("encode", "more than one input document");
    const std::string input_path = files.empty() ? "-" : files[0];
    const bool from_stdin = input_path == "-";
    if (Is_stdout(out_path)) out_path.clear();
    if (!from_stdin) {
        errno = 0;
        File f(std::fopen(input_path.c_str(), "rb"));
        if (!f || (std::getc(f.get()) == EOF && std::ferror(f.get())))
            return File_error("encode", "cannot read " + input_path + ": " + std::strerror(errno ? errno : EIO));
        if (!out_path.empty() && Same_file(out_path, input_path))
            return Usage_error("encode", "would overwrite the input document " + input_path);
    }
    File out_file;
    if (!out_path.empty()) {
        out_file.reset(std::fopen(out_path.c_str(), "w"));
        if (!out_file) return File_error("encode", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    std::FILE* out = out_file ? out_file.get() : stdout;

    XML_routines::Read_status status;
    // The first write that fails keeps its reason.
    int write_error = 0;
    unsigned errors;
    {
        Error_element_notes reports(quiet);
        Script_encoder encoder(
            [out, &write_error](const std::string& line) {
                errno = 0;
                if (std::fprintf(out, "%s\n", line.c_str()) < 0 && !write_error) write_error = errno ? errno : EIO;
            },
            quiet);
        // Nothing is logged: the document is only read.
        XML_routines::Output_file::Set_current(nullptr);
        XML_routines::Input_data input;
        status = XML_routines::Read_document(from_stdin ? nullptr : input_path.c_str(), XML_routines::P25_log_data,
                                             input);
        // A refusal counts its element and the elements around it, and
        // explains itself once: the reports that stay errors decide.
        errors = reports.Finish();
        if (status != XML_routines::Read_status::not_well_formed &&
            (status == XML_routines::Read_status::reported || input.Error_count() > 0))
            status = errors > 0 ? XML_routines::Read_status::reported : XML_routines::Read_status::ok;
        encoder.Finish();
    }
    errno = 0;
    bool failed = std::fflush(out) != 0 || std::ferror(out) != 0;
    int error = write_error ? write_error : errno;
    if (out_file && std::fclose(out_file.release()) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (failed) return Write_error("encode", out_path.empty() ? "-" : out_path, error);
    if (status == XML_routines::Read_status::not_well_formed) return exit_usage;
    return status == XML_routines::Read_status::reported ? exit_reported : exit_ok;
}

}  // namespace tessel
