// The patterns descriptors give their values: a number is matched exactly
// when the scanner reads it and the field holds it.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "shared/XML/XML_routines.h"

using namespace XML_routines;

namespace {

bool Matches(const std::string& pattern, const std::string& text) {
    return std::regex_match(text, std::regex(pattern));
}

}  // namespace

TEST(Describe, NumberPatternsStopAtTheLargestValue) {
    const struct {
        unsigned long long max;
        int base;
        const char* in;
        const char* out;
    } cases[] = {
        {255, 10, "0 9 10 99 100 199 249 250 255 0255", "256 260 300 999 1000 -1 FF"},
        {15, 10, "0 7 9 10 15", "16 19 20 100"},
        {4095, 16, "0 F fff FFF 0FFF A0 123", "1000 FFFF G"},
        {0x3FF, 16, "0 3FF 3ff 2AB 1 FF", "400 FFF 1000"},
        {126, 10, "0 99 100 119 126", "127 130 200"},
        {0, 10, "0 00", "1 10"},
        {4294967295ull, 10, "0 4294967295 3999999999 4294967289", "4294967296 4294967301 9999999999"},
    };
    for (const auto& c : cases) {
        const std::string pattern = Value_description::Number_pattern(c.max, c.base);
        SCOPED_TRACE(pattern);
        std::istringstream in(c.in), out(c.out);
        for (std::string n; in >> n;) EXPECT_TRUE(Matches(pattern, n)) << n;
        for (std::string n; out >> n;) EXPECT_FALSE(Matches(pattern, n)) << n;
    }
}

// Octets under a block format have both digits; a timestamp is an unsigned
// decimal with digits after its point.
TEST(Describe, FormatsSayWhatTheScannerReads) {
    const struct {
        Value_description d;
        const char* in;
        const char* out;
    } cases[] = {
        {Value_description::Of_format(Format::format_info("%02X "), false, false, 0, 0xFF), "00 A5 ff", "0 A 100"},
        {Value_description::Of_format(Format::format_info("%d"), false, false, 0, 0xFF), "0 255 +7", "256 -1"},
        {Value_description::Of_format(Format::format_info("%f"), true, false, 0, 0), "1 -1.5 12500.000000", "1. .5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.d.pattern);
        std::istringstream in(c.in), out(c.out);
        for (std::string n; in >> n;) EXPECT_TRUE(Matches(c.d.pattern, n)) << n;
        for (std::string n; out >> n;) EXPECT_FALSE(Matches(c.d.pattern, n)) << n;
    }
    Value_description timestamp = Value_description::Of_format(Format::format_info("%11.8d"), true, false, 0, 0);
    timestamp.Non_negative();
    EXPECT_TRUE(Matches(timestamp.pattern, "85.89934590"));
    EXPECT_FALSE(Matches(timestamp.pattern, "-1"));
    EXPECT_FALSE(Matches(timestamp.pattern, "1."));
}
