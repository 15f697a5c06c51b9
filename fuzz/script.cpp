// The record-script reader: the input is a script, each line read and, when
// it can be, logged through its kind's entry point, as `tessel log` does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "script.h"
#include "support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Listen_as_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Idle_assemblers();
    fuzz::Log_capture log;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string error;
        tessel::Log_line(text.substr(start, end - start), error);
        start = end + 1;
    }
    return 0;
}
