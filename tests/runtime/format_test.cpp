// The value printer and scanner: format parsing, printed text, round trips
// through every format in use, rejects and the token helpers.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
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

// Integer conversions of zero-padded fields read at most the field width.
template <class T>
constexpr bool Width_limited = std::is_integral_v<T> && !std::is_same_v<T, bool>;

template <class T>
std::string Print_one(T v, const char* format) {
    Printer p;
    p.Print(v, format_info(format));
    return std::string(p);
}

// A zero-padded fixed field reads at most its width of digits: a value that
// prints wider than the field cannot scan back, so the sweeps leave it out.
bool Fits_field(const std::string& printed, const format_info& f) {
    if (f.Width() <= 0 || f.Flags().find('0') == std::string::npos) return true;
    std::string field = printed.substr(f.Prefix().size(), printed.size() - f.Prefix().size() - f.Suffix().size());
    if (!field.empty() && (field[0] == '-' || field[0] == '+')) field.erase(0, 1);
    return static_cast<int>(field.size()) <= f.Width();
}

template <class T>
std::vector<T> Candidates() {
    using L = std::numeric_limits<T>;
    std::vector<long double> wanted = {0,      1,       2,        9,          10,         15,         16,
                                       99,     100,     127,      128,        255,        256,        999,
                                       1000,   4095,    4096,     9999,       10000,      32767,      32768,
                                       65535,  65536,   1048575,  16777215,   2147483647, 4294967295.0L};
    std::vector<T> out = {L::min(), L::max(), static_cast<T>(L::max() / 2), static_cast<T>(L::min() / 2)};
    for (long double w : wanted) {
        if (w <= static_cast<long double>(L::max())) out.push_back(static_cast<T>(w));
        if (L::is_signed && -w >= static_cast<long double>(L::min())) out.push_back(static_cast<T>(-w));
    }
    return out;
}

// Prints v, scans it back and checks that the whole text was read.
template <class T>
void Expect_round_trip(T v, const char* format) {
    format_info f(format);
    Printer p;
    p.Print(v, f);
    std::string text(p);
    if constexpr (Width_limited<T>)
        if (!Fits_field(text, f)) return;
    Scanner s(text.c_str());
    T back{};
    EXPECT_TRUE(s.Scan(back, f)) << "format \"" << format << "\" text \"" << text << "\"";
    EXPECT_EQ(back, v) << "format \"" << format << "\" text \"" << text << "\"";
    EXPECT_FALSE(s.More()) << "format \"" << format << "\" rest \"" << s.Rest() << "\"";
}

// Digits of the widest value of T under the conversion of f.
template <class T>
int Widest_digits(const format_info& f) {
    const int base = (f.Conversion() == 'x' || f.Conversion() == 'X') ? 16 : f.Conversion() == 'o' ? 8 : 10;
    int digits = 1;
    for (unsigned long long rest = static_cast<unsigned long long>(std::numeric_limits<T>::max()) / base; rest;
         rest /= base)
        ++digits;
    return digits;
}

// The same values printed one after the other scan back one after the other,
// when the format delimits them: a literal around the conversion, or a
// zero-padded fixed field as wide as the type's widest value (that keeps the
// values that carry no sign: the width limit counts digits only).
template <class T>
void Expect_sequence_round_trip(const std::vector<T>& values, const char* format) {
    format_info f(format);
    bool delimited = !f.Prefix().empty() || !f.Suffix().empty();
    bool zero_padded = f.Width() > 0 && f.Flags().find('0') != std::string::npos;
    if constexpr (Width_limited<T>) zero_padded = zero_padded && f.Width() >= Widest_digits<T>(f);
    if (!delimited && !(Width_limited<T> && zero_padded)) return;
    Printer p;
    std::vector<T> kept;
    for (T v : values) {
        if constexpr (Width_limited<T>) {
            if (!Fits_field(Print_one(v, format), f)) continue;
            if (zero_padded && Print_one(v, format).find('-') != std::string::npos) continue;
        }
        p.Print(v, f);
        kept.push_back(v);
    }
    std::string text(p);
    Scanner s(text.c_str());
    for (T v : kept) {
        T back{};
        ASSERT_TRUE(s.Scan(back, f)) << "format \"" << format << "\" at \"" << s.Rest() << "\"";
        EXPECT_EQ(back, v) << "format \"" << format << "\"";
    }
    EXPECT_FALSE(s.More()) << "format \"" << format << "\" rest \"" << s.Rest() << "\"";
}

template <class T>
void Sweep() {
    std::vector<T> values = Candidates<T>();
    for (const char* format : Formats_in_use) {
        for (T v : values) Expect_round_trip(v, format);
        Expect_sequence_round_trip(values, format);
    }
}

// A scan that must fail, leaving the position where it was.
template <class T>
void Expect_reject(const char* text, const char* format, std::size_t start = 0) {
    Scanner s(text);
    s.Reset(start);
    T v{};
    EXPECT_FALSE(s.Scan(v, format_info(format))) << "format \"" << format << "\" text \"" << text << "\"";
    EXPECT_EQ(s.Save(), start) << "format \"" << format << "\" text \"" << text << "\"";
}

}  // namespace

// ---------------------------------------------------------------- format_info

TEST(FormatInfo, SplitsTheFormat) {
    struct Row {
        const char* format;
        const char* prefix;
        const char* flags;
        int width;
        int precision;
        char conversion;
        const char* suffix;
        bool block;
    };
    const Row rows[] = {
        {"%02X ", "", "0", 2, -1, 'X', " ", true},
        {"%02X", "", "0", 2, -1, 'X', "", false},
        {"%04X", "", "0", 4, -1, 'X', "", false},
        {"%03X", "", "0", 3, -1, 'X', "", false},
        {"%1X", "", "", 1, -1, 'X', "", false},
        {"%08X", "", "0", 8, -1, 'X', "", false},
        {"%04X ", "", "0", 4, -1, 'X', " ", true},
        {"%04d", "", "0", 4, -1, 'd', "", false},
        {"/%02d", "/", "0", 2, -1, 'd', "", false},
        {":%02d", ":", "0", 2, -1, 'd', "", false},
        {"%05X", "", "0", 5, -1, 'X', "", false},
        {"%02d", "", "0", 2, -1, 'd', "", false},
        {"%01X", "", "0", 1, -1, 'X', "", false},
        {"%06X", "", "0", 6, -1, 'X', "", false},
        {"%4X", "", "", 4, -1, 'X', "", false},
        {"%1x", "", "", 1, -1, 'x', "", false},
        {"%04x", "", "0", 4, -1, 'x', "", false},
        {"%0.1d", "", "0", -1, 1, 'd', "", false},
        {"%11.8d", "", "", 11, 8, 'd', "", false},
        {"%d", "", "", -1, -1, 'd', "", false},
        {"%%%d%%", "%", "", -1, -1, 'd', "%", false},
        {"a%-+5.3ldb c", "a", "-+", 5, 3, 'd', "b c", false},
        {"x=%#hhx;\t", "x=", "#", -1, -1, 'x', ";\t", true},
        {"%.d", "", "", -1, 0, 'd', "", false},
    };
    for (const Row& r : rows) {
        format_info f(r.format);
        SCOPED_TRACE(r.format);
        EXPECT_STREQ(f.Format(), r.format);
        EXPECT_EQ(f.Prefix(), r.prefix);
        EXPECT_EQ(f.Flags(), r.flags);
        EXPECT_EQ(f.Width(), r.width);
        EXPECT_EQ(f.Precision(), r.precision);
        EXPECT_EQ(f.Conversion(), r.conversion);
        EXPECT_EQ(f.Suffix(), r.suffix);
        EXPECT_EQ(f.Is_block(), r.block);
    }
    EXPECT_EQ(format_info().Conversion(), 'd');
    EXPECT_STREQ(format_info().Format(), "%d");
}

// -------------------------------------------------------------- printed text

TEST(Printer, PrintsTheExpectedText) {
    EXPECT_EQ(Print_one(1.0, "%11.8d"), " 1.00000000");
    EXPECT_EQ(Print_one(-1.5, "%0.1d"), "-1.5");
    EXPECT_EQ(Print_one(2.25, "%d"), "2.250000");
    EXPECT_EQ(Print_one(0.0, "%0.1d"), "0.0");

    EXPECT_EQ(Print_one(static_cast<unsigned char>(0xA5), "%02X "), "A5 ");
    EXPECT_EQ(Print_one(static_cast<unsigned char>(5), "%02X"), "05");
    EXPECT_EQ(Print_one(static_cast<unsigned short>(0xBEEF), "%04x"), "beef");
    EXPECT_EQ(Print_one(static_cast<unsigned short>(0xABC), "%4X"), " ABC");
    EXPECT_EQ(Print_one(static_cast<unsigned int>(0x12345), "%1X"), "12345");
    EXPECT_EQ(Print_one(static_cast<unsigned short>(7), "/%02d"), "/07");
    EXPECT_EQ(Print_one(static_cast<unsigned char>(59), ":%02d"), ":59");
    EXPECT_EQ(Print_one(2024, "%04d"), "2024");
    EXPECT_EQ(Print_one(-7, "%04d"), "-007");
    EXPECT_EQ(Print_one(5, "%11.8d"), "   00000005");

    // Unsigned types with d print unsigned decimal.
    EXPECT_EQ(Print_one(UINT_MAX, "%d"), "4294967295");
    EXPECT_EQ(Print_one(ULLONG_MAX, "%d"), "18446744073709551615");
    EXPECT_EQ(Print_one(static_cast<unsigned char>(255), "%d"), "255");
    // Signed types with x/X print their two's complement in their own width.
    EXPECT_EQ(Print_one(static_cast<signed char>(-1), "%02X"), "FF");
    EXPECT_EQ(Print_one(static_cast<signed char>(-128), "%02X"), "80");
    EXPECT_EQ(Print_one(static_cast<short>(-2), "%04X"), "FFFE");
    EXPECT_EQ(Print_one(-1, "%08X"), "FFFFFFFF");
    EXPECT_EQ(Print_one(-1LL, "%1x"), "ffffffffffffffff");
    EXPECT_EQ(Print_one(LLONG_MIN, "%d"), "-9223372036854775808");
    // Integers with f/e/g print as doubles.
    EXPECT_EQ(Print_one(5, "%.1f"), "5.0");
    EXPECT_EQ(Print_one(7u, "%e"), "7.000000e+00");

    // bool ignores the conversion.
    EXPECT_EQ(Print_one(true, "%d"), "true");
    EXPECT_EQ(Print_one(false, "%02X"), "false");
    EXPECT_EQ(Print_one(true, "%02X "), "true ");

    BE_ushort us{{0x12, 0x34}};
    EXPECT_EQ(Print_one(us, "%04X"), "1234");
    EXPECT_EQ(Print_one(us, "%d"), "4660");
    BE_24bit a24{{0xAB, 0xCD, 0xEF}};
    EXPECT_EQ(Print_one(a24, "%06X"), "ABCDEF");
    EXPECT_EQ(Print_one(a24, "%d"), "11259375");
}

TEST(Printer, Blocks) {
    const unsigned char two[] = {0xA5, 0x3C};
    const unsigned char three[] = {0xA5, 0x3C, 0x00};
    struct Row {
        const unsigned char* block;
        std::size_t size;
        const char* format;
        const char* text;
    };
    const Row rows[] = {
        {two, 2, "%02X ", "A5 3C "},
        {three, 3, "%02X", "A53C00"},
        {three, 3, "%02X ", "A5 3C 00 "},
        {three, 3, "%d", "165600"},
        {three, 0, "%02X ", ""},
    };
    for (const Row& r : rows) {
        Printer p;
        p.Print(r.block, r.size, format_info(r.format));
        EXPECT_STREQ(static_cast<const char*>(p), r.text) << r.format;
    }
}

TEST(Printer, Invalid) {
    struct Row {
        unsigned long v;
        const char* text;
    };
    const Row rows[] = {{0x1F, "0x1F"}, {0, "0x0"}, {0xABCDEF, "0xABCDEF"}, {ULONG_MAX, nullptr}};
    for (const Row& r : rows) {
        Printer p;
        p.Invalid(r.v);
        if (r.text) {
            EXPECT_STREQ(p.c_str(), r.text);
        }
        Scanner s(p.c_str());
        bool ok = false;
        EXPECT_EQ(s.Invalid(ok), r.v);
        EXPECT_TRUE(ok);
        EXPECT_FALSE(s.More());
    }
}

TEST(Printer, BufferLengthResetAndGrowth) {
    Printer p;
    EXPECT_EQ(p.Length(), 0u);
    EXPECT_STREQ(p.c_str(), "");
    EXPECT_EQ(p.Ptr(), p.c_str());
    p.Print("abc");
    p.Print(nullptr);
    p.Print(42, format_info("=%d;"));
    EXPECT_EQ(p.Length(), 7u);
    EXPECT_STREQ(p.c_str(), "abc=42;");
    EXPECT_EQ(p.Ptr(), p.c_str() + 7);
    p.Reset();
    EXPECT_EQ(p.Length(), 0u);
    EXPECT_STREQ(p.c_str(), "");

    // Far past the initial size, both through literals and conversions.
    Printer small(1);
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        small.Print(static_cast<unsigned>(i), format_info("%08X "));
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08X ", static_cast<unsigned>(i));
        expected += buf;
    }
    small.Print(DBL_MAX, format_info("%d"));
    char big[400];
    std::snprintf(big, sizeof big, "%f", DBL_MAX);
    expected += big;
    EXPECT_EQ(std::string(small), expected);
    EXPECT_EQ(small.Length(), expected.size());
}

TEST(Printer, AddContent) {
    xmlNode* node = xmlNewNode(nullptr, BAD_CAST "x");
    Printer p;
    p.Print("a&b<");
    p.Add_content(node);
    p.Reset();
    p.Print(static_cast<unsigned char>(0x3C), format_info(" %02X"));
    p.Add_content(node);
    xmlChar* content = xmlNodeGetContent(node);
    EXPECT_STREQ(reinterpret_cast<const char*>(content), "a&b< 3C");
    xmlFree(content);
    xmlFreeNode(node);
}

// ------------------------------------------------------------- round trips

TEST(RoundTrip, UnsignedChar) { Sweep<unsigned char>(); }
TEST(RoundTrip, UnsignedShort) { Sweep<unsigned short>(); }
TEST(RoundTrip, UnsignedInt) { Sweep<unsigned int>(); }
TEST(RoundTrip, UnsignedLong) { Sweep<unsigned long>(); }
TEST(RoundTrip, UnsignedLongLong) { Sweep<unsigned long long>(); }
TEST(RoundTrip, SignedChar) { Sweep<signed char>(); }
TEST(RoundTrip, Short) { Sweep<short>(); }
TEST(RoundTrip, Int) { Sweep<int>(); }
TEST(RoundTrip, Long) { Sweep<long>(); }
TEST(RoundTrip, LongLong) { Sweep<long long>(); }

TEST(RoundTrip, ExtremesThroughUnlimitedFormats) {
    // Formats without a zero-padded width keep every value of every type.
    for (const char* format : {"%d", "%1X", "%4X", "%1x", "%11.8d", "%0.1d"}) {
        Expect_round_trip(ULLONG_MAX, format);
        Expect_round_trip(LLONG_MIN, format);
        Expect_round_trip(LLONG_MAX, format);
        Expect_round_trip(ULONG_MAX, format);
        Expect_round_trip(LONG_MIN, format);
        Expect_round_trip(INT_MIN, format);
        Expect_round_trip(static_cast<short>(SHRT_MIN), format);
        Expect_round_trip(static_cast<signed char>(SCHAR_MIN), format);
        EXPECT_TRUE(Fits_field(Print_one(LLONG_MIN, format), format_info(format)));
    }
}

TEST(RoundTrip, Doubles) {
    // Values exact in one decimal digit go through every format.
    const double decimal[] = {0.0, 1.0, -1.0, -1.5, 2.5, 1024.5, -1e6, 123456789.5, DBL_MAX, -DBL_MAX};
    for (const char* format : Formats_in_use) {
        for (double v : decimal) Expect_round_trip(v, format);
        Expect_sequence_round_trip(std::vector<double>(std::begin(decimal), std::end(decimal)), format);
    }
    // Formats of 8 decimals and of hexadecimal keep more.
    for (double v : {0.125, -0.00390625, 3.14159265}) Expect_round_trip(v, "%11.8d");
    for (const char* format : {"%02X ", "%02X", "%04X", "%1x", "%4X", "%06X"})
        for (double v : {0.1, -1.0 / 3, DBL_MIN, DBL_TRUE_MIN, DBL_EPSILON, 6.02214076e23})
            Expect_round_trip(v, format);
}

TEST(RoundTrip, IntegersThroughFloatingConversions) {
    for (const char* format : {"%f", "%.1f", "%e", "%g", "%10.3f"}) {
        Expect_round_trip(5, format);
        Expect_round_trip(-123456, format);
        Expect_round_trip(static_cast<unsigned char>(255), format);
        Expect_round_trip(static_cast<unsigned short>(0), format);
        Expect_round_trip(static_cast<short>(SHRT_MIN), format);
        Expect_round_trip(INT_MAX, format == std::string("%g") || format == std::string("%e") ? "%.10e" : format);
    }
    Expect_reject<int>("5.5", "%f");
    Expect_reject<unsigned>("-1.0", "%f");
    Expect_reject<unsigned char>("256.0", "%f");
    Expect_reject<signed char>("-129", "%g");
}

TEST(RoundTrip, Bool) {
    for (const char* format : Formats_in_use) {
        Expect_round_trip(true, format);
        Expect_round_trip(false, format);
        Expect_sequence_round_trip(std::vector<bool>{true, false, false, true}, format);
    }
    struct Row {
        const char* text;
        bool ok;
        bool value;
    };
    const Row rows[] = {{"true", true, true},   {"false", true, false}, {"1", true, true},   {"0", true, false},
                        {" 1 ", true, true},    {"truex", false, false}, {"10", false, false}, {"2", false, false},
                        {"TRUE", false, false}, {"", false, false},      {"yes", false, false}};
    for (const Row& r : rows) {
        Scanner s(r.text);
        bool v = !r.value;
        EXPECT_EQ(s.Scan(v, format_info("%d")), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
        } else {
            EXPECT_EQ(s.Save(), 0u) << r.text;
        }
    }
}

TEST(RoundTrip, BigEndian) {
    for (const char* format : Formats_in_use) {
        for (unsigned v : {0u, 1u, 0x12u, 0xFFu, 0x1234u, 0xFFFFu}) {
            BE_ushort us;
            us = static_cast<unsigned short>(v);
            std::string text = Print_one(us, format);
            if (!Fits_field(text, format_info(format))) continue;
            Scanner s(text.c_str());
            BE_ushort back{{0, 0}};
            EXPECT_TRUE(s.Scan(back, format_info(format))) << format << " " << text;
            EXPECT_EQ(back.Value(), v) << format;
            EXPECT_FALSE(s.More());
        }
        for (unsigned v : {0u, 1u, 0xABu, 0xABCDu, 0xABCDEFu, 0xFFFFFFu}) {
            BE_24bit a;
            a.Set(v);
            std::string text = Print_one(a, format);
            if (!Fits_field(text, format_info(format))) continue;
            Scanner s(text.c_str());
            BE_24bit back{{0, 0, 0}};
            EXPECT_TRUE(s.Scan(back, format_info(format))) << format << " " << text;
            EXPECT_EQ(back.Value(), v) << format;
            EXPECT_FALSE(s.More());
        }
    }
    Expect_reject<BE_ushort>("65536", "%d");
    Expect_reject<BE_ushort>("10000", "%1X");
    Expect_reject<BE_24bit>("1000000", "%1X");
    Expect_reject<BE_24bit>("-1", "%d");
    Scanner s("FFFFFF");
    BE_24bit a{{0, 0, 0}};
    EXPECT_TRUE(s.Scan(a, format_info("%06X")));
    EXPECT_EQ(a.bytes[0], 0xFF);
    EXPECT_EQ(a.bytes[2], 0xFF);
}

TEST(RoundTrip, Blocks) {
    const unsigned char octets[] = {0xA5, 0x3C, 0x00, 0xFF, 0x01, 0x80, 0x7F, 0x10};
    // The formats in use that delimit octets; "%1X", "%1x", "%d" and "%0.1d"
    // run them together, "%01X", "%02d", "/%02d" and ":%02d" are narrower
    // than an octet.
    for (const char* format : {"%02X ", "%02X", "%04X", "%03X", "%08X", "%04X ", "%04d", "%05X", "%06X", "%4X",
                               "%04x", "%11.8d"}) {
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, sizeof octets}) {
            Printer p;
            p.Print(octets, size, format_info(format));
            std::string text(p);
            Scanner s(text.c_str());
            unsigned char back[sizeof octets];
            std::memset(back, 0xEE, sizeof back);
            EXPECT_TRUE(s.Scan(back, size, format_info(format))) << format << " \"" << text << "\"";
            EXPECT_EQ(std::memcmp(back, octets, size), 0) << format << " \"" << text << "\"";
            EXPECT_FALSE(s.More()) << format;
        }
    }
    struct Row {
        const char* text;
        const char* format;
        std::size_t size;
        bool ok;
        std::vector<unsigned char> octets;
    };
    const Row rows[] = {
        {"A5 3C ", "%02X ", 2, true, {0xA5, 0x3C}},
        {"A5   3C", "%02X ", 2, true, {0xA5, 0x3C}},
        {"A53C00", "%02X ", 3, true, {0xA5, 0x3C, 0x00}},
        {"A53C00", "%02X", 3, true, {0xA5, 0x3C, 0x00}},
        {"a5 3c", "%02X", 2, true, {0xA5, 0x3C}},
        {"A5 3C", "%02X ", 3, false, {}},
        {"A5 G3", "%02X ", 2, false, {}},
        {"A5 3G", "%02X ", 2, true, {0xA5, 0x03}},  // a blank also matches none
        {"A5 -3", "%02X ", 2, false, {}},
        {"255 0 256", "%d", 3, false, {}},
    };
    for (const Row& r : rows) {
        Scanner s(r.text);
        unsigned char back[8];
        std::memset(back, 0xEE, sizeof back);
        EXPECT_EQ(s.Scan(back, r.size, format_info(r.format)), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(std::vector<unsigned char>(back, back + r.size), r.octets) << r.text;
        } else {
            EXPECT_EQ(s.Save(), 0u) << r.text;
            for (unsigned char c : back) EXPECT_EQ(c, 0xEE) << r.text;  // untouched
        }
    }
}

// -------------------------------------------------------------------- rejects

TEST(Scanner, Rejects) {
    // Out of range.
    Expect_reject<unsigned char>("256", "%d");
    Expect_reject<unsigned char>("100", "%1X");
    Expect_reject<unsigned short>("65536", "%d");
    Expect_reject<unsigned int>("4294967296", "%d");
    Expect_reject<unsigned int>("100000000", "%1X");
    Expect_reject<unsigned long long>("18446744073709551616", "%d");
    Expect_reject<unsigned long long>("10000000000000000", "%1x");
    Expect_reject<signed char>("128", "%d");
    Expect_reject<signed char>("-129", "%d");
    Expect_reject<signed char>("100", "%1X");
    Expect_reject<short>("32768", "%d");
    Expect_reject<short>("-32769", "%d");
    Expect_reject<int>("2147483648", "%d");
    Expect_reject<int>("-2147483649", "%d");
    Expect_reject<long long>("9223372036854775808", "%d");
    Expect_reject<long long>("-9223372036854775809", "%d");
    Expect_reject<long long>("99999999999999999999999", "%d");
    Expect_reject<double>("1e999", "%d");
    // A minus sign for unsigned types (and for two's complement fields).
    Expect_reject<unsigned char>("-1", "%d");
    Expect_reject<unsigned int>("-0", "%d");
    Expect_reject<unsigned long long>("-1", "%1X");
    Expect_reject<int>("-1", "%08X");
    // Garbage, missing digits, missing literals.
    Expect_reject<int>("abc", "%d");
    Expect_reject<int>("", "%d");
    Expect_reject<int>("   ", "%d");
    Expect_reject<int>("-", "%d");
    Expect_reject<int>("+", "%04d");
    Expect_reject<int>("- 5", "%d");
    Expect_reject<unsigned>("G1", "%02X");
    Expect_reject<unsigned>("x1", "%1X");
    Expect_reject<unsigned>("8", "%o");
    Expect_reject<double>("abc", "%0.1d");
    Expect_reject<double>("", "%11.8d");
    Expect_reject<unsigned short>("05", "/%02d");
    Expect_reject<unsigned short>(" /05", "/%02d");
    Expect_reject<unsigned short>("/05", ":%02d");
    Expect_reject<unsigned short>("/", "/%02d");
    Expect_reject<unsigned char>("12", "<%d>");
    Expect_reject<unsigned char>("<12", "<%d>");
    Expect_reject<double>("<1.5", "<%d>");
    Expect_reject<bool>("<true", "<%d>");
    // A failure later in the text leaves the position where the scan began.
    Expect_reject<int>("12 abc", "%d", 2);
    Expect_reject<unsigned>("2024/x", "/%02d", 4);
}

TEST(Scanner, LiteralsAndBlanks) {
    struct Row {
        const char* text;
        const char* format;
        long long value;
        const char* rest;
    };
    const Row rows[] = {
        {"  42", "%d", 42, ""},
        {"42 ", "%d", 42, " "},
        {"+42", "%d", 42, ""},
        {"-42x", "%d", -42, "x"},
        {"/ 7", "/%02d", 7, ""},
        {"A5   3C", "%02X ", 0xA5, "3C"},
        {"A5", "%02X ", 0xA5, ""},
        {"A53C", "%02X ", 0xA53C, ""},  // a field narrower than its type reads every digit
        {"0x1F", "%X", 0x1F, ""},
        {"0X1f", "%x", 0x1F, ""},
        {"0x1F", "%1X", 0, "x1F"},    // a width: no 0x prefix
        {"0x1F", "%02X", 0, "x1F"},
        {"0x", "%X", 0, "x"},
        {"17", "%o", 15, ""},
        {"<12>", "<%d>", 12, ""},
        {"< 12>", "< %d >", 12, ""},
        {"<12    >", "< %d >", 12, ""},
        {"100%", "%d%%", 100, ""},
        {"   00000005", "%11.8d", 5, ""},
        {"-007", "%04d", -7, ""},
    };
    for (const Row& r : rows) {
        Scanner s(r.text);
        long long v = -999;
        EXPECT_TRUE(s.Scan(v, format_info(r.format))) << r.format << " \"" << r.text << "\"";
        EXPECT_EQ(v, r.value) << r.format << " \"" << r.text << "\"";
        EXPECT_STREQ(s.Rest(), r.rest) << r.format << " \"" << r.text << "\"";
    }
}

TEST(Scanner, ZeroPaddedWidthLimit) {
    {
        // An octet's field holds its widest value: at most two digits.
        Scanner s("123");
        unsigned char v = 0;
        EXPECT_TRUE(s.Scan(v, format_info("%02X")));
        EXPECT_EQ(v, 0x12u);
        EXPECT_STREQ(s.Rest(), "3");
        EXPECT_TRUE(s.More());
    }
    {
        // A 16-bit value under "%02X" is printed wider when it needs it.
        Scanner s("B829 ");
        unsigned short v = 0;
        EXPECT_TRUE(s.Scan(v, format_info("%02X ")));
        EXPECT_EQ(v, 0xB829u);
        EXPECT_FALSE(s.More());
    }
    {
        // Without the zero flag every digit is read.
        Scanner s("123");
        unsigned v = 0;
        EXPECT_TRUE(s.Scan(v, format_info("%2X")));
        EXPECT_EQ(v, 0x123u);
        EXPECT_FALSE(s.More());
    }
    {
        unsigned short year = 0;
        unsigned char month = 0, day = 0, h = 0, m = 0, sec = 0;
        Scanner t("2024/05/06 07:08:09");
        EXPECT_TRUE(t.Scan(year, format_info("%04d")));
        EXPECT_TRUE(t.Scan(month, format_info("/%02d")));
        EXPECT_TRUE(t.Scan(day, format_info("/%02d")));
        EXPECT_TRUE(t.Scan(h, format_info("%02d")));
        EXPECT_TRUE(t.Scan(m, format_info(":%02d")));
        EXPECT_TRUE(t.Scan(sec, format_info(":%02d")));
        EXPECT_EQ(day, 6);
        EXPECT_EQ(h, 7);
        EXPECT_EQ(m, 8);
        EXPECT_EQ(sec, 9);
        EXPECT_FALSE(t.More());
    }
    {
        // 24-bit addresses back to back.
        Scanner s("ABCDEF123456");
        BE_24bit first{}, second{};
        EXPECT_TRUE(s.Scan(first, format_info("%06X")));
        EXPECT_TRUE(s.Scan(second, format_info("%06X")));
        EXPECT_EQ(first.Value(), 0xABCDEFu);
        EXPECT_EQ(second.Value(), 0x123456u);
        EXPECT_FALSE(s.More());
    }
}

// ------------------------------------------------------------- token helpers

TEST(Scanner, SaveReset) {
    Scanner s("12 34 56");
    int v = 0;
    EXPECT_EQ(s.Save(), 0u);
    EXPECT_TRUE(s.Scan(v, format_info("%d")));
    std::size_t mark = s.Save();
    EXPECT_EQ(mark, 2u);
    EXPECT_TRUE(s.Scan(v, format_info("%d")));
    EXPECT_EQ(v, 34);
    EXPECT_EQ(s.Reset(mark), 5u);
    EXPECT_TRUE(s.Scan(v, format_info("%d")));
    EXPECT_EQ(v, 34);
    EXPECT_EQ(s.Reset(0), 5u);
    EXPECT_EQ(s.BiteOffString(), "12");
    EXPECT_STREQ(s.Text(), "12 34 56");
    // The scanner keeps its own copy of the text.
    char buffer[] = "77";
    Scanner c(buffer);
    buffer[0] = '9';
    EXPECT_TRUE(c.Scan(v, format_info("%d")));
    EXPECT_EQ(v, 77);
    Scanner n(nullptr);
    EXPECT_FALSE(n.More());
    EXPECT_EQ(n.BiteOffString(), "");
}

TEST(Scanner, BiteOffStringAndMore) {
    Scanner s("  abc\tdef\n  g  ");
    EXPECT_TRUE(s.More());
    EXPECT_EQ(s.BiteOffString(), "abc");
    EXPECT_EQ(s.BiteOffString(), "def");
    EXPECT_TRUE(s.More());
    EXPECT_EQ(s.BiteOffString(), "g");
    EXPECT_FALSE(s.More());
    EXPECT_EQ(s.BiteOffString(), "");
    EXPECT_EQ(s.BiteOffString(), "");

    Scanner e("");
    EXPECT_FALSE(e.More());
    Scanner b(" \t\r\n");
    EXPECT_FALSE(b.More());
}

TEST(Scanner, Invalid) {
    struct Row {
        const char* text;
        bool ok;
        unsigned long value;
        const char* rest;
    };
    const Row rows[] = {
        {"0x1F", true, 0x1F, ""},
        {"0X1f rest", true, 0x1F, " rest"},
        {"  0x0", true, 0, ""},
        {"42", true, 42, ""},
        {"0", true, 0, ""},
        {"0xFFFFFFFFFFFFFFFF", true, ULONG_MAX, ""},
        {"0x10000000000000000", false, 0, ""},
        {"0x", false, 0, ""},
        {"0xZZ next", false, 0, " next"},
        {"12ab", false, 0, ""},
        {"-1", false, 0, ""},
        {"Name", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Row& r : rows) {
        Scanner s(r.text);
        bool ok = !r.ok;
        unsigned long v = s.Invalid(ok);
        EXPECT_EQ(ok, r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
        }
        EXPECT_STREQ(s.Rest(), r.rest) << r.text;
    }
    // Printer::Invalid written among other values reads back in place.
    Printer p;
    p.Print(static_cast<unsigned char>(1), format_info("%d "));
    p.Invalid(0x3A);
    p.Print(" ");
    p.Print(static_cast<unsigned char>(2), format_info("%d"));
    Scanner s(p.c_str());
    unsigned char a = 0, b = 0;
    bool ok = false;
    EXPECT_TRUE(s.Scan(a, format_info("%d ")));
    EXPECT_EQ(s.Invalid(ok), 0x3Au);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(s.Scan(b, format_info("%d")));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
}

TEST(Scanner, ErrorWithoutInputGoesToStderr) {
    Scanner s("x");
    testing::internal::CaptureStderr();
    bool r = s.Error("bad value %d in \"%s\"\n", 5, s.Text());
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(r);
    EXPECT_EQ(out, "bad value 5 in \"x\"\n");
    testing::internal::CaptureStderr();
    r = s.Error("no newline");
    out = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(r);
    EXPECT_EQ(out, "no newline\n");
    EXPECT_EQ(s.Input(), nullptr);
}

TEST(Scanner, ErrorWithInputReportsThroughIt) {
    XML_routines::Input_data input;
    input.report_errors = false;
    Scanner s("x", &input);
    EXPECT_EQ(s.Input(), &input);
    EXPECT_FALSE(s.Error("bad value %d", 7));
    EXPECT_EQ(input.Error_count(), 1u);
    EXPECT_NE(input.Last_error().find("bad value 7"), std::string::npos) << input.Last_error();
}
