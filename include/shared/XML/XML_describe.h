// What descriptors say about the documents they read, for schemas: the form
// of a value's text, and the grammar of one element (attributes, text,
// children).  Descriptors fill these through their Describe members; the
// grammar dump and `tessel schema` read them.
#ifndef TESSEL_XML_DESCRIBE_H
#define TESSEL_XML_DESCRIBE_H

#include <string>
#include <utility>
#include <vector>

namespace XML_routines {

class Info_base;
namespace Format {
class format_info;
}

// The text of one value: any text, text matching a pattern (the regular
// expressions of XML Schema), or a name of an enumeration table (names may
// hold blanks), which also takes a value without a name in the form
// `pattern` gives.
struct Value_description {
    enum Kind { any, matching, named } kind = any;
    std::string pattern;
    std::vector<std::string> name_list;
    // A value without a name (named), or one integer or floating value
    // (matching): its largest value, so that patterns say what the field
    // holds.
    unsigned long long max = ~0ull;

    // A printf-style value: what it prints; `floating` for double values,
    // `octets` for a block printed octet by octet (0: one number), `largest`
    // the largest value of an unsigned integer type (0: a signed or
    // non-integer type).
    static Value_description Of_format(const Format::format_info& f, bool floating, bool boolean, unsigned octets,
                                       unsigned long long largest = 0);
    // Bounds one unsigned integer to 0..largest; a floating value to
    // numbers without a sign.  Other descriptions stay as they are.
    void Bound(unsigned long long largest);
    void Non_negative();
    // The numbers 0 to max in base 10 or 16, leading zeros allowed.
    static std::string Number_pattern(unsigned long long max, int base);
    // Calendar fields of a time mode.
    static Value_description Of_date(unsigned mode);
    // Values through one format, up to `count` of them (0: any number).
    Value_description Repeated(unsigned count) const;

    // How one number is matched, kept so that Bound can narrow it: the
    // patterns before and after its digits, its base (0: not one number),
    // the digits a fixed width reads (0: any), and a floating value's.
    std::string number_before, number_after;
    int number_base = 0;
    int number_digits = 0;
    bool number_floating = false;
};

// One element: its tag, its attributes in table order, its text, its
// children in table order (anonymous descriptors spliced in) and the
// children a registry or the filed descriptors pick by name.
struct Element_description {
    std::string tag;
    std::vector<std::pair<std::string, Value_description>> attributes;
    bool has_text = false;
    Value_description text;
    std::vector<const Info_base*> children;
    std::vector<const Info_base*> choices;
};

}  // namespace XML_routines

#endif
