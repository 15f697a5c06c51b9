// Log text on one line, for comparing whole elements.
#ifndef TESSEL_TESTS_STATE_SUPPORT_H
#define TESSEL_TESTS_STATE_SUPPORT_H

#include <string>

// The text with the log's line breaks and indentation removed.
inline std::string Compact(const std::string& text) {
    std::string out;
    bool line_start = true;
    for (char c : text) {
        if (c == '\n') line_start = true;
        else if (!(line_start && c == ' ')) out += c, line_start = false;
    }
    return out;
}

#endif
