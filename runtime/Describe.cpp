// The forms of value texts, as XML Schema patterns, and the grammar of
// descriptors without a record.
#include "XML_routines.h"

#include <string>
#include <vector>

namespace XML_routines {

void Info_base::Describe(Element_description& d) const {
    d.tag = Tag();
    for (const Info_base* sub : Subs()) d.choices.push_back(sub);
}

namespace {

// A literal in a pattern.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ') {
            out += "\\s*";
            continue;
        }
        if (std::string("\\.^$|?*+()[]{}-").find(c) != std::string::npos) out += '\\';
        out += c;
    }
    return out;
}

// Digits of a conversion as the scanner reads them: at most `width` when
// zero-padded to a width that holds the type's largest value (all of them
// under a block format, " " after the conversion), else one or more.
std::string Digits(const char* digit, const Format::format_info& f, unsigned long long largest, int base,
                   int& exact) {
    exact = 0;
    const bool fixed = f.Width() > 0 && f.Flags().find('0') != std::string::npos;
    if (!fixed) return std::string(digit) + "+";
    int digits = 1;
    for (unsigned long long rest = largest / static_cast<unsigned>(base); rest; rest /= static_cast<unsigned>(base))
        ++digits;
    if (largest && f.Width() >= digits && f.Is_block()) {
        exact = f.Width();
        return std::string(digit) + "{" + std::to_string(f.Width()) + "}";
    }
    return std::string(digit) + "{1," + std::to_string(f.Width()) + "}";
}

// The digits lo..hi of a base as a character class (both cases of letters).
std::string Digit_class(int lo, int hi) {
    static const char upper[] = "0123456789ABCDEF", lower[] = "0123456789abcdef";
    if (lo == hi && lo < 10) return std::string(1, upper[lo]);
    std::string out = "[";
    for (int d = lo; d <= hi; ++d) {
        out += upper[d];
        if (d >= 10) out += lower[d];
    }
    return out + "]";
}

}  // namespace

std::string Value_description::Number_pattern(unsigned long long max, int base) {
    static const char upper[] = "0123456789ABCDEF";
    std::string digits;  // of max, most significant first
    do {
        digits.insert(digits.begin(), upper[max % static_cast<unsigned>(base)]);
        max /= static_cast<unsigned>(base);
    } while (max);
    auto value = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    // Max's own digits, letters in either case.
    auto literal = [&](std::size_t n) {
        std::string out;
        for (std::size_t i = 0; i < n; ++i) out += Digit_class(value(digits[i]), value(digits[i]));
        return out;
    };
    const std::string any = Digit_class(0, base - 1);
    const int k = static_cast<int>(digits.size());
    std::vector<std::string> alternatives;
    // Fewer digits than max.
    if (k > 1) alternatives.push_back(any);
    for (int n = 2; n < k; ++n)
        alternatives.push_back(Digit_class(1, base - 1) + any + (n > 2 ? "{" + std::to_string(n - 1) + "}" : ""));
    // As many: the first digit below max's where max's own go before it.
    for (int i = 0; i < k; ++i) {
        const int lo = i == 0 && k > 1 ? 1 : 0;
        const int below = value(digits[static_cast<std::size_t>(i)]) - 1;
        if (below < lo) continue;
        const int rest = k - i - 1;
        alternatives.push_back(literal(static_cast<std::size_t>(i)) + Digit_class(lo, below) +
                               (rest ? any + (rest > 1 ? "{" + std::to_string(rest) + "}" : "") : ""));
    }
    alternatives.push_back(literal(digits.size()));
    std::string out = "0*(";
    for (std::size_t i = 0; i < alternatives.size(); ++i) out += (i ? "|" : "") + alternatives[i];
    return out + ")";
}

Value_description Value_description::Of_format(const Format::format_info& f, bool floating, bool boolean,
                                               unsigned octets, unsigned long long largest) {
    // A decimal point is followed by digits, as the scanner wants.
    const std::string decimal = "-?[0-9]+(\\.[0-9]+)?";
    const unsigned long long hi = octets ? 0xFFu : largest;
    std::string one;
    Value_description d;
    int exact = 0;
    switch (f.Conversion()) {
    case 'x':
    case 'X':
        one = Digits("[0-9A-Fa-f]", f, hi, 16, exact);
        d.number_base = 16;
        break;
    case 'f':
    case 'g':
    case 'e':
        one = decimal;
        d.number_floating = true;
        break;
    default:
        if (floating) {
            one = decimal;
            d.number_floating = true;
        } else {
            // Unsigned types take no minus.
            one = (largest ? "\\+?" : "[+\\-]?") + Digits("[0-9]", f, hi, 10, exact);
            d.number_base = largest ? 10 : 0;
        }
        break;
    }
    // The scanner also takes the other base's prefix-free digits; 0x forms
    // are not printed and not described.
    if (boolean) {
        one = "true|false|[01]";
        d.number_base = 0;
        d.number_floating = false;
    }
    d.number_before = Escaped(f.Prefix());
    d.number_after = Escaped(f.Suffix());
    d.number_digits = exact;
    if (octets || !largest) d.number_base = 0;
    one = d.number_before + "(" + one + ")" + d.number_after;
    d.kind = matching;
    d.pattern = octets ? "(" + one + "\\s*){" + std::to_string(octets) + "}" : one;
    if (d.number_base && !exact) d.Bound(largest);
    return d;
}

void Value_description::Bound(unsigned long long largest) {
    if (kind == named) {
        if (largest < max) max = largest;
        return;
    }
    if (kind != matching || !number_base || number_digits || largest > max) return;
    max = largest;
    pattern = number_before + "(" + (number_base == 10 ? "\\+?" : "") + Number_pattern(largest, number_base) + ")" +
              number_after;
}

void Value_description::Non_negative() {
    if (kind != matching || !number_floating) return;
    pattern = number_before + "([0-9]+(\\.[0-9]+)?)" + number_after;
    number_floating = false;
}

Value_description Value_description::Of_date(unsigned mode) {
    std::string p;
    if (mode & 32) p += "[0-9]{4}";
    if (mode & 16) p += "/[0-9]{1,2}";
    if (mode & 8) p += "/[0-9]{1,2}";
    if ((mode & 56) && (mode & 7)) p += "\\s+";
    if (mode & 4) p += "[0-9]{1,2}";
    if (mode & 2) p += ":[0-9]{1,2}";
    if (mode & 1) p += ":[0-9]{1,2}";
    Value_description d;
    d.kind = matching;
    d.pattern = p;
    return d;
}

Value_description Value_description::Repeated(unsigned count) const {
    Value_description d;
    if (kind == any) return d;
    d.kind = matching;
    std::string one;
    if (kind == named) {
        // Names of one word; several-word names are read but not described.
        for (const std::string& n : name_list)
            if (n.find(' ') == std::string::npos) one += (one.empty() ? "" : "|") + Escaped(n);
        one += std::string(one.empty() ? "" : "|") + "0x" + Number_pattern(max, 16) + "|" + Number_pattern(max, 10);
    } else {
        one = pattern;
    }
    // Long counts are left open: a counted repeat is expanded when compiled.
    d.pattern = "((" + one + ")\\s*)" + (count && count <= 16 ? "{0," + std::to_string(count) + "}" : std::string("*"));
    return d;
}

}  // namespace XML_routines
