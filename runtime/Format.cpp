// The value printer and scanner of the runtime: printf-style formats split
// into literal prefix, conversion and literal suffix; Printer writes values
// through them, Scanner reads back whatever Printer wrote.
#include "XML_routines.h"

#include <algorithm>
#include <cctype>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace XML_routines {
namespace Format {

namespace {

bool Is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool Is_float_conversion(char c) {
    switch (c) {
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        return true;
    default:
        return false;
    }
}

int Digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// The flags of f that printf defines for the conversion conv.
std::string Flags_for(const format_info& f, char conv) {
    const char* allowed;
    switch (conv) {
    case 'd': case 'i': allowed = "-+ 0"; break;
    case 'u': allowed = "-0"; break;
    case 'x': case 'X': case 'o': allowed = "-#0"; break;
    default: allowed = "-+ #0"; break;
    }
    std::string out;
    for (char c : f.Flags())
        if (std::strchr(allowed, c)) out += c;
    return out;
}

// "%<flags><width>.<precision><length><conv>" for snprintf.
std::string Printf_format(const format_info& f, const char* length, char conv) {
    std::string s = "%";
    s += Flags_for(f, conv);
    if (f.Width() >= 0) s += std::to_string(f.Width());
    if (f.Precision() >= 0) {
        s += '.';
        s += std::to_string(f.Precision());
    }
    s += length;
    s += conv;
    return s;
}

// Which conversion prints a double for the conversion of the format.
char Double_conversion(char c) {
    if (Is_float_conversion(c)) return c;
    if (c == 'x') return 'a';
    if (c == 'X') return 'A';
    return 'f';  // d, i, u, o and anything else
}

// Reads digits of base at s[pos], at most max_digits of them (-1: no limit)
// and at least min_digits.  False when there are fewer or the value
// overflows.
bool Read_digits(const std::string& s, std::size_t& pos, int base, int max_digits, unsigned long long& value,
                 int min_digits = 1) {
    unsigned long long v = 0;
    int n = 0;
    std::size_t p = pos;
    while (p < s.size() && (max_digits < 0 || n < max_digits)) {
        int d = Digit_value(s[p]);
        if (d >= base) break;
        if (v > (ULLONG_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(base)) return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        ++p;
        ++n;
    }
    if (n == 0 || n < min_digits) return false;
    pos = p;
    value = v;
    return true;
}

bool Is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a floating-point number at s[pos] in the notation the printer
// uses for the conversion: an optional minus, decimal digits and an
// optional point followed by digits; an exponent only under e and g,
// hexadecimal only under a and x; never "nan" or "inf".
bool Read_double(const std::string& s, std::size_t& pos, double& value, char conversion = 'f') {
    const char* start = s.c_str() + pos;
    if (*start == '\0' || Is_blank(*start)) return false;
    const char* p = start;
    if (*p == '-') ++p;
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(conversion)));
    if (hex ? (c != 'a' && c != 'x') : !Is_digit(*p)) return false;
    if (!hex && c != 'e' && c != 'g') {
        // Digits, a point and digits, nothing else: strtod would take more.
        const char* q = p;
        while (Is_digit(*q)) ++q;
        if (*q == '.' && !Is_digit(*++q)) return false;
        while (Is_digit(*q)) ++q;
        if (*q == 'e' || *q == 'E') return false;
        // Up to 15 digits are a whole number a double holds exactly, and so
        // is a power of ten up to 10^22: their quotient, rounded once, is
        // what strtod reads.
        static const double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        unsigned long long digits = 0;
        int count = 0, decimals = 0;
        bool point = false;
        for (const char* d = p; d < q; ++d) {
            if (*d == '.') {
                point = true;
                continue;
            }
            if (count || *d != '0') ++count;
            digits = digits * 10 + static_cast<unsigned>(*d - '0');
            if (point) ++decimals;
            if (count > 15 || decimals > 22) break;
        }
        if (count <= 15 && decimals <= 22) {
            const double v = static_cast<double>(digits) / powers[decimals];
            value = *start == '-' ? -v : v;
            pos += static_cast<std::size_t>(q - start);
            return true;
        }
    }
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(start, &end);
    if (end == start) return false;
    if (errno == ERANGE && std::isinf(v)) return false;
    pos += static_cast<std::size_t>(end - start);
    value = v;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- format_info

format_info::format_info(const char* format) : format_(format ? format : "") {
    const std::string& s = format_;
    std::size_t i = 0;
    bool converted = false;
    while (i < s.size()) {
        char c = s[i];
        if (c != '%') {
            (converted ? suffix_ : prefix_) += c;
            ++i;
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '%') {
            (converted ? suffix_ : prefix_) += '%';
            i += 2;
            continue;
        }
        if (converted) {  // a second conversion: kept as literal text
            suffix_ += c;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        std::string flags;
        while (j < s.size() && s[j] != '\0' && std::strchr("-+ #0", s[j]) != nullptr) {
            if (flags.find(s[j]) == std::string::npos) flags += s[j];
            ++j;
        }
        int width = -1;
        if (j < s.size() && s[j] == '*') {
            ++j;
        } else {
            while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
                width = (width < 0 ? 0 : width) * 10 + (s[j] - '0');
                ++j;
            }
        }
        int precision = -1;
        if (j < s.size() && s[j] == '.') {
            ++j;
            precision = 0;
            if (j < s.size() && s[j] == '*') {
                ++j;
            } else {
                while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
                    precision = precision * 10 + (s[j] - '0');
                    ++j;
                }
            }
        }
        while (j < s.size() && s[j] != '\0' && std::strchr("hlLqjzt", s[j]) != nullptr) ++j;
        if (j >= s.size()) {  // an incomplete conversion: literal text
            prefix_ += s.substr(i);
            break;
        }
        flags_ = flags;
        width_ = width;
        precision_ = precision;
        conversion_ = s[j];
        converted = true;
        i = j + 1;
    }
    // "B": octets, printed and read as "X" prints them (two hexadecimal
    // digits an octet under "%02B ").
    if (conversion_ == 'B') conversion_ = 'X';
    block_ = !suffix_.empty() && Is_blank(suffix_.back());

    const char c = conversion_;
    hand_ = (c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X') && precision_ < 0 &&
            flags_.find_first_not_of("0-") == std::string::npos;
    left_ = flags_.find('-') != std::string::npos;
    zero_ = !left_ && flags_.find('0') != std::string::npos;
    printf_unsigned_ = Printf_format(*this, "ll", (c == 'x' || c == 'X' || c == 'o') ? c : 'u');
    printf_signed_ = Printf_format(*this, "ll", c == 'i' ? 'i' : 'd');
    printf_double_ = Printf_format(*this, "", Double_conversion(c));
}

// -------------------------------------------------------------------- Printer

namespace {
// Appends the snprintf output of printf_format and value to buffer at length.
template <class V>
void Append_printf(std::vector<char>& buffer, std::size_t& length, const std::string& printf_format, V value) {
    if (buffer.size() < length + 32) buffer.resize(length + 64);
    for (;;) {
        std::size_t room = buffer.size() - length;
        int n = std::snprintf(&buffer[length], room, printf_format.c_str(), value);
        if (n < 0) return;
        if (static_cast<std::size_t>(n) < room) {
            length += static_cast<std::size_t>(n);
            return;
        }
        buffer.resize(length + static_cast<std::size_t>(n) + 1);
    }
}

const char Upper_hex[] = "0123456789ABCDEF";
const char Lower_hex[] = "0123456789abcdef";

bool Twos_complement(const format_info& f) {
    char c = f.Conversion();
    return c == 'x' || c == 'X' || c == 'o';
}

// A double under an f conversion with at most nine decimals (flags 0 and -
// only), printed from its value scaled to an integer: exact when the scaled
// value is far enough from a half to round the same whatever the one
// rounding of the scaling did.  The length of the text, or -1 (nothing
// printed) for any other value or format.
const int Fixed_room = 64;
int Fixed_text(double v, const format_info& f, char (&out)[Fixed_room]) {
    static const double scale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const int precision = f.Precision() < 0 ? 6 : f.Precision();
    const char c = Double_conversion(f.Conversion());
    if ((c != 'f' && c != 'F') || precision > 9 || f.Width() >= Fixed_room ||
        f.Flags().find_first_not_of("0-") != std::string::npos || !std::isfinite(v))
        return -1;
    const bool negative = std::signbit(v);
    const double scaled = std::fabs(v) * scale[precision];
    if (!(scaled < 0x1p52)) return -1;
    unsigned long long n = static_cast<unsigned long long>(scaled);
    const double fraction = scaled - static_cast<double>(n);  // exact below 2^52
    if (std::fabs(fraction - 0.5) <= scaled * 0x1p-50 + 0x1p-60) return -1;
    if (fraction > 0.5) ++n;
    char digits[32];  // backwards: decimals, point, whole digits, sign
    int count = 0;
    for (int i = 0; i < precision; ++i, n /= 10) digits[count++] = static_cast<char>('0' + n % 10);
    if (precision) digits[count++] = '.';
    do {
        digits[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n);
    const int pad = std::max(0, f.Width() - count - static_cast<int>(negative));
    char* p = out;
    if (pad && !f.Left() && !f.Zero_pad()) p = std::fill_n(p, pad, ' ');
    if (negative) *p++ = '-';
    if (pad && f.Zero_pad()) p = std::fill_n(p, pad, '0');
    while (count) *p++ = digits[--count];
    if (pad && f.Left()) p = std::fill_n(p, pad, ' ');
    return static_cast<int>(p - out);
}

// The usual format of octet blocks: two upper-case digits and a blank.
bool Octet_and_blank(const format_info& f) {
    return f.Hand_integer() && f.Conversion() == 'X' && f.Width() == 2 && f.Zero_pad() && f.Prefix().empty() &&
           f.Suffix() == " ";
}
}  // namespace

// The buffer is made on first use and kept for every value after.
Printer::Printer(int initial_size) {
    if (initial_size > 0) buffer_.reserve(static_cast<std::size_t>(initial_size) + 1);
}

// Room for n more characters (and a terminating NUL) at the end.
char* Printer::Room(std::size_t n) {
    if (buffer_.size() < length_ + n + 1) {
        std::size_t size = buffer_.size() * 2;
        if (size < 64) size = 64;
        if (size < length_ + n + 1) size = length_ + n + 1;
        buffer_.resize(size);
    }
    return &buffer_[length_];
}

void Printer::Append(const char* s, std::size_t n) {
    if (!n) return;
    std::memcpy(Room(n), s, n);
    length_ += n;
}

void Printer::Print(const char* literal) {
    if (literal) Append(literal, std::strlen(literal));
}

// An integer under d, i, u, x or X, width and the flags 0 and - as printf
// applies them.
void Printer::Hand_integer(unsigned long long magnitude, bool negative, const format_info& f) {
    char digits[24];
    int n = 0;
    const char c = f.Conversion();
    if (c == 'x' || c == 'X') {
        const char* table = c == 'X' ? Upper_hex : Lower_hex;
        do {
            digits[n++] = table[magnitude & 15];
            magnitude >>= 4;
        } while (magnitude);
    } else {
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
    }
    const int length = n + (negative ? 1 : 0);
    const int pad = f.Width() > length ? f.Width() - length : 0;
    const std::string& prefix = f.Prefix();
    const std::string& suffix = f.Suffix();
    char* out = Room(prefix.size() + static_cast<std::size_t>(length + pad) + suffix.size());
    char* p = out;
    if (!prefix.empty()) p = static_cast<char*>(std::memcpy(p, prefix.data(), prefix.size())) + prefix.size();
    if (pad && !f.Left() && !f.Zero_pad()) p = static_cast<char*>(std::memset(p, ' ', static_cast<std::size_t>(pad))) + pad;
    if (negative) *p++ = '-';
    if (pad && f.Zero_pad()) p = static_cast<char*>(std::memset(p, '0', static_cast<std::size_t>(pad))) + pad;
    while (n) *p++ = digits[--n];
    if (pad && f.Left()) p = static_cast<char*>(std::memset(p, ' ', static_cast<std::size_t>(pad))) + pad;
    if (!suffix.empty()) p = static_cast<char*>(std::memcpy(p, suffix.data(), suffix.size())) + suffix.size();
    length_ += static_cast<std::size_t>(p - out);
}

void Printer::Print_unsigned(unsigned long long v, const format_info& f) {
    if (f.Hand_integer()) return Hand_integer(v, false, f);
    if (Is_float_conversion(f.Conversion())) return Print(static_cast<double>(v), f);
    Append(f.Prefix().data(), f.Prefix().size());
    Append_printf(buffer_, length_, f.Printf_unsigned(), v);
    Append(f.Suffix().data(), f.Suffix().size());
}

void Printer::Print_signed(long long v, const format_info& f) {
    if (f.Hand_integer())
        return Hand_integer(v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v), v < 0,
                            f);
    if (Is_float_conversion(f.Conversion())) return Print(static_cast<double>(v), f);
    Append(f.Prefix().data(), f.Prefix().size());
    Append_printf(buffer_, length_, f.Printf_signed(), v);
    Append(f.Suffix().data(), f.Suffix().size());
}

void Printer::Print(unsigned char v, const format_info& f) { Print_unsigned(v, f); }
void Printer::Print(unsigned short v, const format_info& f) { Print_unsigned(v, f); }
void Printer::Print(unsigned int v, const format_info& f) { Print_unsigned(v, f); }
void Printer::Print(unsigned long v, const format_info& f) { Print_unsigned(v, f); }
void Printer::Print(unsigned long long v, const format_info& f) { Print_unsigned(v, f); }

void Printer::Print(signed char v, const format_info& f) {
    if (Twos_complement(f)) Print_unsigned(static_cast<unsigned char>(v), f);
    else Print_signed(v, f);
}
void Printer::Print(short v, const format_info& f) {
    if (Twos_complement(f)) Print_unsigned(static_cast<unsigned short>(v), f);
    else Print_signed(v, f);
}
void Printer::Print(int v, const format_info& f) {
    if (Twos_complement(f)) Print_unsigned(static_cast<unsigned int>(v), f);
    else Print_signed(v, f);
}
void Printer::Print(long v, const format_info& f) {
    if (Twos_complement(f)) Print_unsigned(static_cast<unsigned long>(v), f);
    else Print_signed(v, f);
}
void Printer::Print(long long v, const format_info& f) {
    if (Twos_complement(f)) Print_unsigned(static_cast<unsigned long long>(v), f);
    else Print_signed(v, f);
}

void Printer::Print(double v, const format_info& f) {
    Append(f.Prefix().data(), f.Prefix().size());
    if (f.last_length_ && std::memcmp(&v, &f.last_value_, sizeof v) == 0) {
        Append(f.last_text_, f.last_length_);
    } else {
        const std::size_t start = length_;
        char fixed[Fixed_room];
        const int fixed_length = Fixed_text(v, f, fixed);
        if (fixed_length >= 0) Append(fixed, static_cast<std::size_t>(fixed_length));
        else Append_printf(buffer_, length_, f.Printf_double(), v);
        const std::size_t n = length_ - start;
        f.last_length_ = 0;
        if (n < sizeof f.last_text_) {
            std::memcpy(f.last_text_, &buffer_[start], n);
            std::memcpy(&f.last_value_, &v, sizeof v);
            f.last_length_ = static_cast<unsigned char>(n);
        }
    }
    Append(f.Suffix().data(), f.Suffix().size());
}

void Printer::Print(bool v, const format_info& f) {
    Append(f.Prefix().data(), f.Prefix().size());
    if (v) Append("true", 4);
    else Append("false", 5);
    Append(f.Suffix().data(), f.Suffix().size());
}

void Printer::Print(const BE_ushort& v, const format_info& f) { Print_unsigned(v.Value(), f); }
void Printer::Print(const BE_24bit& v, const format_info& f) { Print_unsigned(v.Value(), f); }

void Printer::Print(const void* block, std::size_t size, const format_info& f) {
    const unsigned char* p = static_cast<const unsigned char*>(block);
    if (Octet_and_blank(f)) {  // one pass through the digit table
        char* out = Room(3 * size);
        for (std::size_t i = 0; i < size; ++i) {
            out[3 * i] = Upper_hex[p[i] >> 4];
            out[3 * i + 1] = Upper_hex[p[i] & 15];
            out[3 * i + 2] = ' ';
        }
        length_ += 3 * size;
        return;
    }
    for (std::size_t i = 0; i < size; ++i) Print_unsigned(p[i], f);
}

void Printer::Invalid(unsigned long v) {
    static const format_info hex("0x%lX");
    Hand_integer(v, false, hex);
}

void Printer::Add_content(xmlNode* node) {
    if (!node || length_ == 0) return;
    if (Sink* sink = Sink::Of(node)) return sink->Text(buffer_.data(), length_);
    xmlNodeAddContentLen(node, reinterpret_cast<const xmlChar*>(buffer_.data()), static_cast<int>(length_));
}

Printer::operator const char*() {
    Room(0)[0] = '\0';
    return buffer_.data();
}

// -------------------------------------------------------------------- Scanner

Scanner::Scanner(const char* text, Input_data* input) : text_(text ? text : ""), input_(input) {}

void Scanner::Skip_blanks() {
    while (pos_ < text_.size() && Is_blank(text_[pos_])) ++pos_;
}

// A blank of the literal matches any run of blanks (possibly none); any other
// character must stand at the current position.
bool Scanner::Literal(const std::string& lit) {
    for (char c : lit) {
        if (Is_blank(c)) {
            Skip_blanks();
        } else if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
        } else {
            return false;
        }
    }
    return true;
}

namespace {
// Digits read by an integer conversion: a zero-padded fixed field whose
// width holds the widest value of its type (hi) reads at most that width, so
// that such fields printed back to back ("A53C00") read back; a narrower
// field, printed wider when its value needs it, reads all its digits.
int Digit_limit(const format_info& f, unsigned long long hi, int base) {
    if (f.Width() <= 0 || f.Flags().find('0') == std::string::npos) return -1;
    int digits = 1;
    for (unsigned long long rest = hi / base; rest; rest /= base) ++digits;
    return f.Width() >= digits ? f.Width() : -1;
}

// Reads the magnitude of an unsigned integer under the conversion of f at
// text[pos]: hexadecimal (with 0x when the format has no width or has '#'),
// octal or decimal.
bool Read_magnitude(const std::string& text, std::size_t& pos, const format_info& f, unsigned long long hi,
                    unsigned long long& v, bool exact_width) {
    char c = f.Conversion();
    int base = 10;
    std::size_t p = pos;
    if (c == 'x' || c == 'X') {
        base = 16;
        bool prefix_ok = f.Width() < 0 || f.Flags().find('#') != std::string::npos;
        if (prefix_ok && p + 2 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
            Digit_value(text[p + 2]) < 16)
            p += 2;
    } else if (c == 'o') {
        base = 8;
    }
    const int limit = Digit_limit(f, hi, base);
    if (!Read_digits(text, p, base, limit, v, exact_width && limit > 0 ? limit : 1)) return false;
    pos = p;
    return true;
}
}  // namespace

bool Scanner::Scan_unsigned(unsigned long long& v, unsigned long long hi, const format_info& f) {
    std::size_t start = pos_;
    auto fail = [&] {
        pos_ = start;
        return false;
    };
    overlong_.clear();
    if (!Literal(f.Prefix())) return fail();
    Skip_blanks();
    const std::size_t number = pos_;
    unsigned long long value = 0;
    const bool hex = f.Conversion() == 'x' || f.Conversion() == 'X';
    if (Is_float_conversion(f.Conversion())) {
        double d;
        if (!Read_double(text_, pos_, d, f.Conversion())) return fail();
        if (!(d >= 0.0) || d >= 18446744073709551616.0 || d != std::floor(d)) return fail();
        value = static_cast<unsigned long long>(d);
    } else {
        if (pos_ < text_.size() && text_[pos_] == '+') ++pos_;
        // Octets under a block format ("%02X ") have all their digits, as
        // printed, like the octets of a block.
        if (!Read_magnitude(text_, pos_, f, hi, value, exact_width_ || f.Is_block())) return fail();
        // Digits beyond the width of the field: kept in case nothing else
        // reads them, so that the whole number is reported.
        std::size_t run = pos_;
        const int base = hex ? 16 : f.Conversion() == 'o' ? 8 : 10;
        while (run < text_.size() && Digit_value(text_[run]) < base) ++run;
        if (run > pos_ && !exact_width_) {
            overlong_ = text_.substr(number, run - number);
            overlong_max_ = hi;
            overlong_hex_ = hex;
        }
    }
    const std::size_t end = pos_;
    if (value > hi) {
        Note_too_big(number, end, hi, hex);
        return fail();
    }
    if (!Literal(f.Suffix())) return fail();
    Note_written(number, end, static_cast<double>(value), hex);
    v = value;
    return true;
}

bool Scanner::Scan_signed(long long& v, long long lo, long long hi, const format_info& f) {
    std::size_t start = pos_;
    auto fail = [&] {
        pos_ = start;
        return false;
    };
    char c = f.Conversion();
    if (c == 'x' || c == 'X' || c == 'o') {
        // The two's complement in the width of the type.
        unsigned long long umax = static_cast<unsigned long long>(hi) * 2u + 1u;
        unsigned long long u;
        if (!Scan_unsigned(u, umax, f)) return fail();
        if (u > static_cast<unsigned long long>(hi))
            v = -static_cast<long long>(umax - u) - 1;
        else
            v = static_cast<long long>(u);
        return true;
    }
    overlong_.clear();
    if (!Literal(f.Prefix())) return fail();
    Skip_blanks();
    const std::size_t number = pos_;
    long long value = 0;
    if (Is_float_conversion(c)) {
        double d;
        if (!Read_double(text_, pos_, d, f.Conversion())) return fail();
        if (!(d >= -9223372036854775808.0) || d >= 9223372036854775808.0 || d != std::floor(d)) return fail();
        value = static_cast<long long>(d);
    } else {
        bool negative = false;
        if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
            negative = text_[pos_] == '-';
            ++pos_;
        }
        unsigned long long m;
        if (!Read_digits(text_, pos_, 10, Digit_limit(f, static_cast<unsigned long long>(hi), 10), m)) return fail();
        const bool fits = negative ? m == 0 || m - 1 <= static_cast<unsigned long long>(-(lo + 1))
                                   : m <= static_cast<unsigned long long>(hi);
        if (!fits) {
            if (lo == 0 || !negative) Note_too_big(number, pos_, static_cast<unsigned long long>(hi), false);
            return fail();
        }
        value = negative ? (m == 0 ? 0 : -static_cast<long long>(m - 1) - 1) : static_cast<long long>(m);
    }
    if (value < lo || value > hi) return fail();
    const std::size_t end = pos_;
    if (!Literal(f.Suffix())) return fail();
    Note_written(number, end, static_cast<double>(value), false);
    v = value;
    return true;
}

bool Scanner::Scan(unsigned char& v, const format_info& f) {
    unsigned long long u;
    if (!Scan_unsigned(u, UCHAR_MAX, f)) return false;
    v = static_cast<unsigned char>(u);
    return true;
}
bool Scanner::Scan(unsigned short& v, const format_info& f) {
    unsigned long long u;
    if (!Scan_unsigned(u, USHRT_MAX, f)) return false;
    v = static_cast<unsigned short>(u);
    return true;
}
bool Scanner::Scan(unsigned int& v, const format_info& f) {
    unsigned long long u;
    if (!Scan_unsigned(u, UINT_MAX, f)) return false;
    v = static_cast<unsigned int>(u);
    return true;
}
bool Scanner::Scan(unsigned long& v, const format_info& f) {
    unsigned long long u;
    if (!Scan_unsigned(u, ULONG_MAX, f)) return false;
    v = static_cast<unsigned long>(u);
    return true;
}
bool Scanner::Scan(unsigned long long& v, const format_info& f) { return Scan_unsigned(v, ULLONG_MAX, f); }

bool Scanner::Scan(signed char& v, const format_info& f) {
    long long s;
    if (!Scan_signed(s, SCHAR_MIN, SCHAR_MAX, f)) return false;
    v = static_cast<signed char>(s);
    return true;
}
bool Scanner::Scan(short& v, const format_info& f) {
    long long s;
    if (!Scan_signed(s, SHRT_MIN, SHRT_MAX, f)) return false;
    v = static_cast<short>(s);
    return true;
}
bool Scanner::Scan(int& v, const format_info& f) {
    long long s;
    if (!Scan_signed(s, INT_MIN, INT_MAX, f)) return false;
    v = static_cast<int>(s);
    return true;
}
bool Scanner::Scan(long& v, const format_info& f) {
    long long s;
    if (!Scan_signed(s, LONG_MIN, LONG_MAX, f)) return false;
    v = static_cast<long>(s);
    return true;
}
bool Scanner::Scan(long long& v, const format_info& f) { return Scan_signed(v, LLONG_MIN, LLONG_MAX, f); }

bool Scanner::Scan(double& v, const format_info& f) {
    std::size_t start = pos_;
    double d;
    if (!Literal(f.Prefix())) goto fail;
    Skip_blanks();
    {
        const std::size_t number = pos_;
        if (!Read_double(text_, pos_, d, Double_conversion(f.Conversion()))) goto fail;
        const std::size_t end = pos_;
        if (!Literal(f.Suffix())) goto fail;
        Note_written(number, end, d, false);
    }
    v = d;
    return true;
fail:
    pos_ = start;
    return false;
}

bool Scanner::Scan(bool& v, const format_info& f) {
    std::size_t start = pos_;
    if (Literal(f.Prefix())) {
        Skip_blanks();
        std::size_t end = pos_;
        while (end < text_.size()) {
            char c = text_[end];
            bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
            if (!word) break;
            ++end;
        }
        std::string token = text_.substr(pos_, end - pos_);
        bool value = false;
        bool known = true;
        if (token == "true" || token == "1") value = true;
        else if (token == "false" || token == "0") value = false;
        else known = false;
        if (known) {
            pos_ = end;
            if (Literal(f.Suffix())) {
                v = value;
                return true;
            }
        }
    }
    pos_ = start;
    return false;
}

bool Scanner::Scan(BE_ushort& v, const format_info& f) {
    unsigned long long u;
    if (!Scan_unsigned(u, 0xFFFFu, f)) return false;
    v = static_cast<unsigned short>(u);
    return true;
}

bool Scanner::Scan(BE_24bit& v, const format_info& f) {
    unsigned long long u;
    if (!Scan_unsigned(u, 0xFFFFFFu, f)) return false;
    v.Set(static_cast<unsigned>(u));
    return true;
}

// Each octet of a block under a fixed-width format ("%02X ") has all its
// digits, as printed: "A" is not an octet.
bool Scanner::Scan(void* block, std::size_t size, const format_info& f) {
    std::size_t start = pos_;
    // Read aside: the block is left as it was when its text is refused.
    unsigned char small[256];
    std::vector<unsigned char> large(size > sizeof small ? size : 0);
    unsigned char* octets = size > sizeof small ? large.data() : small;
    if (Octet_and_blank(f)) {
        // The usual "%02X " in one pass: what reading octet by octet leaves
        // (the position, the last octet as written), or, at the first octet
        // that does not read, that reading again for its reports.
        std::size_t p = pos_, number = 0, end = 0, i = 0;
        auto skip_blanks = [&] {
            while (p < text_.size() && Is_blank(text_[p])) ++p;
        };
        for (; i < size; ++i) {
            skip_blanks();
            number = p;
            if (p < text_.size() && text_[p] == '+') ++p;
            // The string's terminator at its end is no digit.
            const int high = Digit_value(text_[p]);
            if (high >= 16) break;
            const int low = Digit_value(text_[p + 1]);
            if (low >= 16) break;
            octets[i] = static_cast<unsigned char>(high * 16 + low);
            p += 2;
            end = p;
            skip_blanks();
        }
        if (i == size) {
            if (size) {
                overlong_.clear();
                Note_written(number, end, octets[size - 1], true);
                std::memcpy(block, octets, size);
            }
            pos_ = p;
            return true;
        }
    }
    exact_width_ = true;
    for (std::size_t i = 0; i < size; ++i) {
        if (!Scan(octets[i], f)) {
            exact_width_ = false;
            pos_ = start;
            return false;
        }
    }
    exact_width_ = false;
    if (size) std::memcpy(block, octets, size);
    return true;
}

std::string Scanner::BiteOffString() {
    Skip_blanks();
    std::size_t start = pos_;
    while (pos_ < text_.size() && !Is_blank(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
}

unsigned long Scanner::Invalid(bool& ok) {
    ok = false;
    std::string token = BiteOffString();
    if (token.empty()) return 0;
    std::size_t p = 0;
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        base = 16;
        p = 2;
    }
    unsigned long long v;
    if (!Read_digits(token, p, base, -1, v) || p != token.size() || v > ULONG_MAX) return 0;
    ok = true;
    written_ = Written{token, static_cast<double>(v), base == 16, true};
    if (input_) input_->written = written_;
    return static_cast<unsigned long>(v);
}

void Scanner::Note_written(std::size_t start, std::size_t end, double value, bool hex) {
    written_.text.assign(text_, start, end - start);
    written_.value = value;
    written_.hex = hex;
    written_.set = true;
    if (input_) input_->written = written_;
}

void Scanner::Note_too_big(std::size_t start, std::size_t end, unsigned long long max, bool hex) {
    overlong_ = text_.substr(start, end - start);
    overlong_max_ = max;
    overlong_hex_ = hex;
}

namespace {
// The largest value of a field in the base a number was written in.
std::string Max_text(unsigned long long max, const std::string& written, bool hex) {
    char text[32];
    const bool prefixed = written.size() > 2 && written[0] == '0' && (written[1] == 'x' || written[1] == 'X');
    if (prefixed) std::snprintf(text, sizeof text, "0x%llX", max);
    else if (hex) std::snprintf(text, sizeof text, "%llX", max);
    else std::snprintf(text, sizeof text, "%llu", max);
    return text;
}
}  // namespace

// The value as the document wrote it, when the last number read (here or,
// for a value stored back when its element ends, by the element's own
// reader) is this value; otherwise the value itself.
std::string Scanner::Quote_written(double value) const {
    const Written& w = written_.set ? written_ : input_ ? input_->written : written_;
    if (w.set && w.value == value) return w.text;
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

bool Scanner::Out_of_range(double value, unsigned long long max) {
    const std::string text = Quote_written(value);
    const Written& w = written_.set ? written_ : input_ ? input_->written : written_;
    const bool hex = w.set && w.value == value && w.hex;
    return Error("Value %s out of range 0\xE2\x80\x93%s", text.c_str(), Max_text(max, text, hex).c_str());
}

bool Scanner::Out_of_range(double value, const char* range) {
    return Error("Value %s out of range %s", Quote_written(value).c_str(), range);
}

bool Scanner::Not_held(double value, const char* why) {
    return Error("Value %s %s", Quote_written(value).c_str(), why);
}

bool Scanner::Report_overlong() {
    if (overlong_.empty()) return false;
    const std::string run = overlong_;
    const unsigned long long max = overlong_max_;
    const bool hex = overlong_hex_;
    overlong_.clear();
    errno = 0;
    // Under base 16 strtoull takes the 0x prefix itself; only hexadecimal
    // fields read one.
    const unsigned long long value = std::strtoull(run.c_str(), nullptr, hex ? 16 : 10);
    if (errno != ERANGE && value <= max)  // leading zeros beyond the field's width
        Error("Value %s has more digits than its field", run.c_str());
    else
        Error("Value %s out of range 0\xE2\x80\x93%s", run.c_str(), Max_text(max, run, hex).c_str());
    return true;
}

bool Scanner::More() const {
    for (std::size_t p = pos_; p < text_.size(); ++p)
        if (!Is_blank(text_[p])) return true;
    return false;
}

bool Scanner::Error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (input_) {
        input_->Verror(format, Input_data::error_severity, nullptr, args);
    } else {
        std::string f = format ? format : "";
        if (!f.empty() && f.back() == '\n') f.pop_back();
        std::vfprintf(stderr, f.c_str(), args);
        std::fputc('\n', stderr);
    }
    va_end(args);
    return false;
}

}  // namespace Format
}  // namespace XML_routines
