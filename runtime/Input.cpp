// The parse context of one input document and its error reporting.
#include "XML_routines.h"

#include <cstdarg>
#include <cstdio>

namespace XML_routines {

Input_data::Input_data(Output_file* output) : output_(output) {}

FilterList& Input_data::Filters() {
    if (output_) {
        const unsigned long generation = FilterList::Generation();
        if (generation != generation_) {
            filters_ = output_->Filters();
            generation_ = generation;
        }
    }
    return filters_;
}

void Input_data::Error_handler(const char* format, int severity, void* locator, ...) {
    va_list args;
    va_start(args, locator);
    Verror(format, severity, locator, args);
    va_end(args);
}

void Input_data::Error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Verror(format, error_severity, nullptr, args);
    va_end(args);
}

void Input_data::Verror(const char* format, int severity, void* locator, va_list args) {
    const bool note = severity == note_severity;
    if (!note) ++errors_;

    std::string message;
    if (format) {
        char small[256];
        va_list copy;
        va_copy(copy, args);
        const int n = std::vsnprintf(small, sizeof small, format, copy);
        va_end(copy);
        if (n > 0 && static_cast<std::size_t>(n) < sizeof small) {
            message.assign(small, static_cast<std::size_t>(n));
        } else if (n > 0) {
            message.resize(static_cast<std::size_t>(n));
            va_copy(copy, args);
            std::vsnprintf(&message[0], message.size() + 1, format, copy);
            va_end(copy);
        }
    }
    if (!message.empty() && message.back() == '\n') message.pop_back();
    if (!note) last_error_ = message;

    int where = line;
    if (locator) where = xmlTextReaderLocatorLineNumber(static_cast<xmlTextReaderLocatorPtr>(locator));

    if (!(note ? report_notes : report_errors)) return;
    const char* kind = note ? "note" : "error";
    if (element && attribute)
        std::fprintf(stderr, "%s:%d: %s: <%s>, attribute \"%s\": %s\n", document.c_str(), where, kind, element,
                     attribute, message.c_str());
    else if (element)
        std::fprintf(stderr, "%s:%d: %s: <%s>: %s\n", document.c_str(), where, kind, element, message.c_str());
    else
        std::fprintf(stderr, "%s:%d: %s: %s\n", document.c_str(), where, kind, message.c_str());
}

}  // namespace XML_routines
