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

    // A printf-style value: what it prints; `floating` for double values,
    // `octets` for a block printed octet by octet (0: one number).
    static Value_description Of_format(const Format::format_info& f, bool floating, bool boolean, unsigned octets);
    // Calendar fields of a time mode.
    static Value_description Of_date(unsigned mode);
    // Values through one format, up to `count` of them (0: any number).
    Value_description Repeated(unsigned count) const;
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
