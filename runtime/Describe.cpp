// The forms of value texts, as XML Schema patterns, and the grammar of
// descriptors without a record.
#include "XML_routines.h"

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

// Digits of a conversion: exactly `width` of them when zero-padded to a
// width (the scanner reads at most that many), else one or more.
std::string Digits(const char* digit, const Format::format_info& f) {
    const bool fixed = f.Width() > 0 && f.Flags().find('0') != std::string::npos;
    if (fixed) return std::string(digit) + "{1," + std::to_string(f.Width()) + "}";
    return std::string(digit) + "+";
}

}  // namespace

Value_description Value_description::Of_format(const Format::format_info& f, bool floating, bool boolean,
                                               unsigned octets) {
    std::string one;
    switch (f.Conversion()) {
    case 'x':
    case 'X':
        one = Digits("[0-9A-Fa-f]", f);
        break;
    case 'f':
    case 'g':
    case 'e':
        one = "-?[0-9]+(\\.[0-9]*)?";
        break;
    default:
        one = floating ? "-?[0-9]+(\\.[0-9]*)?" : "[+\\-]?" + Digits("[0-9]", f);
        break;
    }
    // The scanner also takes the other base's prefix-free digits; 0x forms
    // are not printed and not described.
    if (boolean) one = "true|false|[01]";
    one = Escaped(f.Prefix()) + "(" + one + ")" + Escaped(f.Suffix());
    Value_description d;
    d.kind = matching;
    d.pattern = octets ? "(" + one + "\\s*){" + std::to_string(octets) + "}" : one;
    return d;
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
        one += std::string(one.empty() ? "" : "|") + "0x[0-9A-Fa-f]+|[0-9]+";
    } else {
        one = pattern;
    }
    // Long counts are left open: a counted repeat is expanded when compiled.
    d.pattern = "((" + one + ")\\s*)" + (count && count <= 16 ? "{0," + std::to_string(count) + "}" : std::string("*"));
    return d;
}

}  // namespace XML_routines
