// The document reader: the input is a document, read through the call
// `tessel replay` makes, with every element handed to the library and what
// it logs written to a log in memory.
#include <cstddef>
#include <cstdint>

#include "support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Listen_as_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Idle_assemblers();
    fuzz::Log_capture log;
    XML_routines::Input_data input(log.File());
    input.report_errors = false;
    XML_routines::Read_memory(reinterpret_cast<const char*>(data), size, "fuzz", XML_routines::P25_log_data, input);
    return 0;
}
