// The document reader: the input is a document, read twice.
//
// - As `tessel replay` reads it: every element handed to the library, what
//   it logs written to a log in memory.
// - As `tessel encode` reads it: nothing logged, each record handed on
//   written as its record-script line; then each line read back as
//   `tessel log` reads it.  Whatever encode takes of a document, hostile or
//   not, it must write as lines log takes back: a line refused aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "script.h"
#include "script_writer.h"
#include "support.h"

namespace {

void Read(const std::uint8_t* data, std::size_t size, XML_routines::Output_file* log) {
    XML_routines::Input_data input(log);
    input.report_errors = false;
    input.report_notes = false;
    XML_routines::Read_memory(reinterpret_cast<const char*>(data), size, "fuzz", XML_routines::P25_log_data, input);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Listen_as_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Idle_assemblers();
    {
        fuzz::Log_capture log;
        Read(data, size, log.File());
    }

    fuzz::Idle_assemblers();
    static std::vector<std::string> lines;  // emptied at the end of each input, its room kept
    {
        tessel::Script_encoder encoder([](const std::string& line) { lines.push_back(line); }, true);
        Read(data, size, nullptr);
    }
    fuzz::Listen_as_host();
    fuzz::Idle_assemblers();
    fuzz::Log_capture log;
    for (const std::string& line : lines) {
        std::string error;
        if (tessel::Log_line(line, error)) continue;
        std::fprintf(stderr, "encode wrote a line log refuses: %s\n  %s\n", error.c_str(), line.c_str());
        std::abort();
    }
    // Nothing of this input outlives it: an input that leaves allocations
    // behind is run again under the leak checker.
    lines.clear();
    return 0;
}
