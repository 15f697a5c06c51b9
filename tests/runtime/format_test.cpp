// The value printer and scanner: format parsing, printed text, round trips
// through every format in use, the width rule, rejects and the token helpers.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "XML_routines.h"

using XML_routines::Format::format_info;
using XML_routines::Format::Printer;
using XML_routines::Format::Scanner;

namespace {

// Every format that the descriptors use.
const char* const Formats_in_use[] = {
    "%02X ", "%02X", "%04X", "%03X", "%1X",  "%08X", "%04X ", "%04d", "/%02d", ":%02d",
    "%05X",  "%02d", "%01X", "%06X", "%4X",  "%1x",  "%04x",  "%0.1d", "%11.8d", "%d",
};

// The text as the log writer takes it: its length as the printer counts it.
template <class T>
std::string Print_one(T v, const char* format) {
    Printer p;
    p.Print(v, format_info(format));
    return std::string(p.Data(), p.Length());
}
std::string Print_block(const char* format) {
    const unsigned char block[] = {0xA5, 0x3C, 0x00};
    Printer p;
    p.Print(block, sizeof block, format_info(format));
    return p.c_str();
}
std::string Print_invalid(unsigned long v) {
    Printer p;
    p.Invalid(v);
    return p.c_str();
}

template <class T>
auto Num(const T& v) {
    return v;
}
unsigned Num(const BE_ushort& v) { return v.Value(); }
unsigned Num(const BE_24bit& v) { return v.Value(); }

// Prints v, scans it back and checks that the whole text was read.
template <class T>
void Expect_round_trip(T v, const char* format) {
    const std::string text = Print_one(v, format);
    Scanner s(text.c_str());
    T back{};
    EXPECT_TRUE(s.Scan(back, format_info(format))) << format << " \"" << text << "\"";
    EXPECT_EQ(Num(back), Num(v)) << format << " \"" << text << "\"";
    EXPECT_FALSE(s.More()) << format << " rest \"" << s.Rest() << "\"";
}

template <class T>
void Round_trips(std::initializer_list<T> values) {
    for (const char* format : Formats_in_use)
        for (T v : values) Expect_round_trip(v, format);
}

// A scan that reads value and leaves rest.
template <class T>
void Accept(const char* text, const char* format, long long value, const char* rest) {
    Scanner s(text);
    T v{};
    EXPECT_TRUE(s.Scan(v, format_info(format))) << format << " \"" << text << "\"";
    EXPECT_EQ(static_cast<long long>(Num(v)), value) << format << " \"" << text << "\"";
    EXPECT_STREQ(s.Rest(), rest) << format << " \"" << text << "\"";
}

// A scan that must fail, leaving the position where it was.
template <class T>
void Reject(const char* text, const char* format, std::size_t start = 0) {
    Scanner s(text);
    s.Reset(start);
    T v{};
    EXPECT_FALSE(s.Scan(v, format_info(format))) << format << " \"" << text << "\"";
    EXPECT_EQ(s.Save(), start) << format << " \"" << text << "\"";
}

using UC = unsigned char;
using US = unsigned short;
using LL = long long;

}  // namespace

TEST(FormatInfo, SplitsTheFormat) {
    // prefix|flags|width|precision|conversion|suffix|block
    const std::pair<const char*, const char*> rows[] = {
        {"%02X ", "|0|2|-1|X| |1"},        {"/%02d", "/|0|2|-1|d||0"},        {"%0.1d", "|0|-1|1|d||0"},
        {"%11.8d", "||11|8|d||0"},         {"%%%d%%", "%||-1|-1|d|%|0"},       {"%.d", "||-1|0|d||0"},
        {"a%-+5.3ldb c", "a|-+|5|3|d|b c|0"}, {"x=%#hhx;\t", "x=|#|-1|-1|x|;\t|1"}, {nullptr, "||-1|-1|d||0"},
    };
    for (const auto& r : rows) {
        const format_info f = r.first ? format_info(r.first) : format_info();
        EXPECT_EQ(f.Prefix() + "|" + f.Flags() + "|" + std::to_string(f.Width()) + "|" +
                      std::to_string(f.Precision()) + "|" + f.Conversion() + "|" + f.Suffix() + "|" +
                      std::to_string(f.Is_block()),
                  r.second)
            << (r.first ? r.first : "default");
        EXPECT_STREQ(f.Format(), r.first ? r.first : "%d");
    }
}

TEST(Printer, PrintsTheExpectedText) {
    const std::pair<std::string, std::string> rows[] = {
        // Doubles under d conversions print as %f with the same width and precision.
        {Print_one(1.0, "%11.8d"), " 1.00000000"}, {Print_one(-1.5, "%0.1d"), "-1.5"}, {Print_one(5, "%.1f"), "5.0"},
        {Print_one(0.5, "%.10f"), "0.5000000000"},  // a precision with a zero in it
        {Print_one(2.25, "%d"), "2.250000"}, {Print_one(5, "%11.8d"), "   00000005"}, {Print_one(-7, "%04d"), "-007"},
        {Print_one(static_cast<UC>(0xA5), "%02X "), "A5 "}, {Print_one(static_cast<US>(0xBEEF), "%04x"), "beef"},
        {Print_one(static_cast<US>(0xABC), "%4X"), " ABC"}, {Print_one(static_cast<US>(7), "/%02d"), "/07"},
        {Print_one(ULLONG_MAX, "%d"), "18446744073709551615"}, {Print_one(LLONG_MIN, "%d"), "-9223372036854775808"},
        {Print_one(DBL_MAX, "%d"), std::to_string(DBL_MAX)},  // longer than the buffer at first
        // Signed types under x/X print their two's complement in their own width.
        {Print_one(static_cast<signed char>(-1), "%02X"), "FF"}, {Print_one(static_cast<short>(-2), "%04X"), "FFFE"},
        {Print_one(-1LL, "%1x"), "ffffffffffffffff"},
        // Conversions, flags and precisions the printer leaves to snprintf.
        {Print_one(0xABu, "%#x"), "0xab"}, {Print_one(static_cast<US>(0xFF), "%.4X"), "00FF"},
        // A precision of zero prints no digit for a zero, as snprintf does.
        {Print_one(0u, "%.0d"), ""}, {Print_one(static_cast<US>(0), "[%.0X]"), "[]"}, {Print_one(3u, "%.0u"), "3"},
        {Print_one(8u, "%o"), "10"}, {Print_one(static_cast<UC>(0xF0), "%#o"), "0360"},
        // bool ignores the conversion but keeps the literals.
        {Print_one(true, "%d"), "true"}, {Print_one(false, "%02X "), "false "},
        {Print_one(BE_ushort{{0x12, 0x34}}, "%d"), "4660"}, {Print_one(BE_24bit{{0xAB, 0xCD, 0xEF}}, "%06X"), "ABCDEF"},
        // Octet blocks {A5, 3C, 00}; invalid values in hexadecimal.
        {Print_block("%02X "), "A5 3C 00 "}, {Print_block("%02X"), "A53C00"}, {Print_block("%d"), "165600"},
        {Print_invalid(0x1F), "0x1F"}, {Print_invalid(0), "0x0"}, {Print_invalid(ULONG_MAX), "0xFFFFFFFFFFFFFFFF"},
        // Padding wider than the buffer at first, on either side.
        {Print_one(5, "%70d"), std::string(69, ' ') + "5"},
        {Print_one(static_cast<US>(0xAB), "[%-70X]"), "[AB" + std::string(68, ' ') + "]"},
    };
    for (const auto& r : rows) EXPECT_EQ(r.first, r.second);
}

// Doubles under fixed-point formats print as snprintf prints them: the
// timestamps of a log (every tick of the 50 MHz clock a multiple of 2e-8
// seconds), values next to a rounding half, signs, zeros and the widths and
// flags of the formats.
TEST(Printer, FixedPointAsSnprintf) {
    const char* const formats[] = {"%11.8d", "%.8f", "%011.8f", "%-11.8f|", "%.0f", "%.1f", "%5.3f",
                                   "%f",     "%.9f", "%3.2d",  "%+.2f",   "%.12f", "%09.3F"};
    std::vector<double> values = {0.0, -0.0, 1.0, -1.5, 0.5, 1.5, 2.5, 0.125, 0.375, -0.125, 1e-9, 4.9999999995,
                                  85.8993459, 123456789.123, 1e15, -2e16, 0.1, 0.7, DBL_TRUE_MIN, DBL_MAX};
    for (std::uint32_t ticks : {1u, 49999999u, 50000000u, 123456789u, 2147483647u, 4294967295u})
        values.push_back(ticks / 50000000.0);
    for (std::uint32_t ticks = 7; ticks < 4294000000u; ticks = ticks * 3 + 12345) values.push_back(ticks / 50000000.0);
    for (const char* format : formats) {
        std::string printf_format = format;
        if (printf_format.back() == '|') printf_format.pop_back();
        if (printf_format.back() == 'd') printf_format.back() = 'f';
        for (double v : values) {
            char expected[512];
            std::snprintf(expected, sizeof expected, printf_format.c_str(), v);
            EXPECT_EQ(Print_one(v, format), std::string(expected) + (format[std::strlen(format) - 1] == '|' ? "|" : ""))
                << format << " " << v;
        }
    }
}

TEST(RoundTrip, RepresentativeValuesThroughEveryFormatInUse) {
    Round_trips<unsigned char>({0, 0x7F, UCHAR_MAX});
    Round_trips<unsigned short>({0, 0xB829, USHRT_MAX});
    Round_trips<unsigned>({1, UINT_MAX});
    Round_trips<unsigned long>({0, ULONG_MAX});
    Round_trips<unsigned long long>({0, ULLONG_MAX});
    Round_trips<signed char>({SCHAR_MIN, -1, 0, SCHAR_MAX});
    Round_trips<short>({SHRT_MIN, -2, SHRT_MAX});
    Round_trips<int>({INT_MIN, -7, 2024, INT_MAX});
    Round_trips<long>({LONG_MIN, LONG_MAX});
    Round_trips<long long>({LLONG_MIN, -1, LLONG_MAX});
    Round_trips<double>({0.0, -1.5, 1024.5, -DBL_MAX});  // exact in one decimal
    Round_trips<bool>({true, false});
    Round_trips<BE_ushort>({BE_ushort{{0, 0}}, BE_ushort{{0x12, 0x34}}, BE_ushort{{0xFF, 0xFF}}});
    Round_trips<BE_24bit>({BE_24bit{{0, 0, 0}}, BE_24bit{{0xAB, 0xCD, 0xEF}}, BE_24bit{{0xFF, 0xFF, 0xFF}}});
    // Eight decimals and hexadecimal keep more of a double.
    Expect_round_trip(3.14159265, "%11.8d");
    for (double v : {0.1, DBL_TRUE_MIN}) Expect_round_trip(v, "%02X");
    // Integers under floating conversions.
    Expect_round_trip(-123456, "%.1f");
    Expect_round_trip(static_cast<unsigned char>(255), "%e");
}

TEST(RoundTrip, BlocksOfOctets) {
    const unsigned char octets[] = {0xA5, 0x3C, 0x00, 0xFF, 0x01, 0x80};
    // The formats in use that delimit octets: by a literal or by a zero-padded
    // field wide enough for any octet ("%02X" back to back).
    for (const char* format : {"%02X ", "%02X", "%04X", "%03X", "%08X", "%04d", "%06X", "%4X", "%11.8d"}) {
        Printer p;
        p.Print(octets, sizeof octets, format_info(format));
        Scanner s(p.c_str());
        unsigned char back[sizeof octets] = {};
        EXPECT_TRUE(s.Scan(back, sizeof back, format_info(format))) << format << " \"" << p.c_str() << "\"";
        EXPECT_EQ(std::memcmp(back, octets, sizeof octets), 0) << format;
        EXPECT_FALSE(s.More()) << format;
    }
    // No octets: refused.
    const struct { const char *text, *format; std::size_t size; std::vector<unsigned char> octets; } rows[] = {
        {"A5   3C", "%02X ", 2, {0xA5, 0x3C}},
        {"A53C00", "%02X ", 3, {0xA5, 0x3C, 0x00}},  // a blank also matches none
        {"a5 3c", "%02X", 2, {0xA5, 0x3C}},
        {"A5 3C", "%02X ", 3, {}},
        {"A5 G3", "%02X ", 2, {}},
        {"255 0 256", "%d", 3, {}},
    };
    for (const auto& r : rows) {
        Scanner s(r.text);
        unsigned char back[3] = {0xEE, 0xEE, 0xEE};
        const bool ok = !r.octets.empty();  // refused: the position and the octets untouched
        EXPECT_EQ(s.Scan(back, r.size, format_info(r.format)), ok) << r.text;
        EXPECT_EQ(std::vector<unsigned char>(back, back + r.size), ok ? r.octets : std::vector<unsigned char>(r.size, 0xEE));
        EXPECT_EQ(s.Save(), ok ? std::strlen(r.text) : 0u) << r.text;
    }
}

TEST(Scanner, Accepts) {
    using Check = void (*)(const char*, const char*, long long, const char*);
    const struct { Check accept; const char *text, *format; long long value; const char* rest; } rows[] = {
        // A zero-padded field limits its digits only when its width holds the
        // type's widest value: "%06X" fields printed back to back read back.
        {Accept<UC>, "123", "%02X", 0x12, "3"}, {Accept<US>, "B829 ", "%02X ", 0xB829, ""},
        {Accept<US>, "123", "%2X", 0x123, ""}, {Accept<BE_24bit>, "ABCDEF123456", "%06X", 0xABCDEF, "123456"},
        {Accept<int>, "1234567890", "%09d", 1234567890, ""},
        // Blanks, signs, literals, prefixes.
        {Accept<LL>, " \t\n\r\v\f42", "%d", 42, ""}, {Accept<LL>, "+42", "%d", 42, ""},
        {Accept<LL>, "-42x", "%d", -42, "x"}, {Accept<LL>, "/ 7", "/%02d", 7, ""},
        {Accept<LL>, "A5   3C", "%02X ", 0xA5, "3C"}, {Accept<LL>, "0X1f", "%x", 0x1F, ""},
        {Accept<LL>, "0x1F", "%02X", 0, "x1F"}, {Accept<LL>, "0x", "%X", 0, "x"},
        {Accept<LL>, "17", "%o", 15, ""}, {Accept<LL>, "<12    >", "< %d >", 12, ""},
        {Accept<LL>, "100%", "%d%%", 100, ""}, {Accept<LL>, "-007", "%04d", -7, ""},
        {Accept<bool>, " 1 ", "%d", 1, " "},
    };
    for (const auto& r : rows) r.accept(r.text, r.format, r.value, r.rest);
}

// Decimals read back as strtod reads them, to the last bit: the log's
// timestamps, signs, leading zeros, the most digits and decimals a double
// holds exactly and more.
TEST(Scanner, DecimalsAsStrtod) {
    std::vector<std::string> texts = {"0",          "-0.0",     "007.50",           "123456789012345", "1234567890123456",
                                      "0.1",        "0.3",      "-2.000000000000000000001", "9007199254740993",
                                      "0.0000000000000000000001", "0.00000000000000000000001", "85.89934590",
                                      "1.7976931348623157", "4.9406564584124654",
                                      // 16 digits: their whole number, rounded to a double first, and the
                                      // quotient rounded again would miss strtod's value by a bit.
                                      "949.9935341904599", "980440521.2153625"};
    for (std::uint32_t ticks = 7; ticks < 4294000000u; ticks = ticks * 3 + 12345) {
        char text[32];
        std::snprintf(text, sizeof text, "%11.8f", ticks / 50000000.0);
        texts.push_back(text + std::strspn(text, " "));
    }
    for (const std::string& text : texts) {
        Scanner s(text.c_str());
        double v = 1;
        ASSERT_TRUE(s.Scan(v, format_info("%11.8d"))) << text;
        const double expected = std::strtod(text.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << text << " read " << v;
        EXPECT_FALSE(s.More()) << text;
    }
}

// A block under "%02X " reads as its octets read one by one: the same
// octets, position and last number as written, or the same refusal.
TEST(Scanner, BlockAsItsOctets) {
    const char* const texts[] = {"80 00 a5 3C ff", " 8000A53CFF ", "80\t00\n\tA5 3C FF  x", "+80 +00 A5 3C FF",
                                 "80 00 A5 3C F",  "80 00 A5 3C FFF",  "80 00 + A5 3C FF",      "80 0x 00 A5 3C",
                                 "80 00 A5 3C",    ""};
    const format_info f("%02X ");
    for (const char* text : texts)
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{5}}) {
            Scanner whole(text), one_by_one(text);
            unsigned char block[5] = {}, octets[5] = {};
            const bool ok = whole.Scan(block, size, f);
            bool each = true;
            for (std::size_t i = 0; i < size && each; ++i) each = one_by_one.Scan(octets[i], f);
            if (!each) one_by_one.Reset(0);
            EXPECT_EQ(ok, each) << text << " " << size;
            if (!ok || !each) continue;
            EXPECT_EQ(std::memcmp(block, octets, size), 0) << text;
            EXPECT_EQ(whole.Save(), one_by_one.Save()) << text;
            EXPECT_EQ(whole.Last_written().text, one_by_one.Last_written().text) << text;
        }
}

TEST(Scanner, Rejects) {
    // A failure later in the text (start) leaves the position there.
    using Check = void (*)(const char*, const char*, std::size_t);
    const struct { Check reject; const char *text, *format; std::size_t start = 0; } rows[] = {
        // Out of range.
        {Reject<UC>, "256", "%d"}, {Reject<UC>, "100", "%1X"}, {Reject<unsigned>, "4294967296", "%d"},
        {Reject<unsigned long long>, "18446744073709551616", "%d"}, {Reject<signed char>, "-129", "%d"},
        {Reject<signed char>, "128", "%d"}, {Reject<short>, "-32769", "%d"},
        {Reject<LL>, "9223372036854775808", "%d"}, {Reject<LL>, "-9223372036854775809", "%d"},
        {Reject<double>, "1e999", "%d"}, {Reject<BE_ushort>, "65536", "%d"},
        {Reject<BE_24bit>, "1000000", "%1X"},
        // Integers under floating conversions: whole and in range only.
        {Reject<int>, "5.5", "%f"}, {Reject<unsigned>, "-1.0", "%f"}, {Reject<UC>, "256.0", "%f"},
        // A minus sign for unsigned types and two's complement fields.
        {Reject<UC>, "-1", "%d"}, {Reject<unsigned>, "-0", "%d"}, {Reject<int>, "-1", "%08X"},
        // Garbage and missing digits.
        {Reject<int>, "abc", "%d"}, {Reject<int>, "", "%d"}, {Reject<int>, "- 5", "%d"},
        {Reject<unsigned>, "G1", "%02X"}, {Reject<unsigned>, "8", "%o"},
        {Reject<double>, "abc", "%0.1d"}, {Reject<double>, "1.", "%0.1d"}, {Reject<bool>, "truex", "%d"},
        {Reject<bool>, "TRUE", "%d"},
        // An exponent is read only under e and g.
        {Reject<double>, "1e5", "%d"}, {Reject<double>, "2.5E3", "%0.1d"},
        // Missing literals.
        {Reject<US>, "05", "/%02d"}, {Reject<US>, "/05", ":%02d"}, {Reject<UC>, "<12", "<%d>"},
        {Reject<double>, "<1.5", "<%d>"}, {Reject<bool>, "<true", "<%d>"},
        {Reject<int>, "12 abc", "%d", 2}, {Reject<unsigned>, "2024/x", "/%02d", 4},
    };
    for (const auto& r : rows) r.reject(r.text, r.format, r.start);
}

TEST(Scanner, Invalid) {
    const struct { const char* text; bool ok; unsigned long value; const char* rest; } rows[] = {
        {"0X1f rest", true, 0x1F, " rest"}, {"  42", true, 42, ""}, {"0xFFFFFFFFFFFFFFFF", true, ULONG_MAX, ""},
        {"0x10000000000000000", false, 0, ""}, {"0x", false, 0, ""}, {"0xZZ next", false, 0, " next"},
        {"12ab", false, 0, ""},              {"-1", false, 0, ""},   {"", false, 0, ""},
    };
    for (const auto& r : rows) {
        Scanner s(r.text);
        bool ok = !r.ok;
        const unsigned long v = s.Invalid(ok);
        EXPECT_EQ(ok, r.ok) << r.text;
        EXPECT_EQ(v, r.value) << r.text;  // 0 when refused
        EXPECT_STREQ(s.Rest(), r.rest) << r.text;
    }
}

// What a refused or overlong number is reported as: the number as written,
// and the field's range in the base it was written in.
TEST(Scanner, ReportsTheNumberAsWritten) {
    const struct { const char *text, *format, *report; } rows[] = {
        {"0x100", "%X", "Value 0x100 out of range 0\xE2\x80\x93" "0xFF\n"},
        {" 300 ", "%d", "Value 300 out of range 0\xE2\x80\x93" "255\n"},
        {"0FF", "%02X", "Value 0FF has more digits than its field\n"},
        {"100", "%02X", "Value 100 out of range 0\xE2\x80\x93" "FF\n"},
    };
    for (const auto& r : rows) {
        Scanner s(r.text);
        unsigned char v;
        s.Scan(v, format_info(r.format));
        testing::internal::CaptureStderr();
        EXPECT_TRUE(s.Report_overlong()) << r.text;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), r.report) << r.text;
    }
}

// A number refused after it was read (stored back through a setter, or
// narrower than the value) is quoted as the text wrote it, without the
// blanks around it or what follows.
TEST(Scanner, QuotesARefusedNumberAsWritten) {
    const struct { const char *text, *format; unsigned max; const char* report; } rows[] = {
        {" 9 ", "%d", 7, "Value 9 out of range 0\xE2\x80\x93" "7\n"},
        {"\t1F  22", "%X", 15, "Value 1F out of range 0\xE2\x80\x93" "F\n"},
    };
    for (const auto& r : rows) {
        Scanner s(r.text);
        unsigned v = 0;
        ASSERT_TRUE(s.Scan(v, format_info(r.format))) << r.text;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(s.Out_of_range(v, r.max)) << r.text;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), r.report) << r.text;
    }
}

TEST(Scanner, ErrorWithoutInputGoesToStderr) {
    Scanner s("x");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(s.Error("bad value %d in \"%s\"\n", 5, s.Text()));
    EXPECT_FALSE(s.Error("no newline"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "bad value 5 in \"x\"\nno newline\n");
}
