// tessel schema: an XML Schema of the log and input documents, made from the
// descriptors: every element below "P25_log_data" with its attributes (names
// of enumeration tables, patterns of printf-style formats), its text and its
// children in table order, and the children a registry picks by name as a
// choice.
//
// Types are named by their content, so that an element met in several
// places has one type and equal contents share theirs.  Where the schema
// language cannot say what a descriptor accepts (the same tag with two
// contents in one parent, tags repeated apart in a table, text beside
// children, texts read by hand-written accessors), the element is left more
// open than the descriptor, and a comment at the top counts such cases.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "commands.h"

namespace tessel {

const char schema_usage[] =
    "Usage: tessel schema\n"
    "\n"
    "Prints an XML Schema (XSD) of the log and input documents, made from the\n"
    "library's descriptors: every element below <P25_log_data> with its\n"
    "attributes (enumeration names, number patterns), its text and children.\n"
    "Check a document with: xmllint --noout --schema SCHEMA.xsd DOCUMENT.xml\n";

namespace {

// Elements the log writes in place of a registry's message when it cannot
// decode one (a bad CRC, a header of an unknown format); no descriptor reads
// them, so they stand here, open.  The error that replaces a message's
// fields inside its element ("Illegal_block_count", "INVALID_FORMAT") is
// not described: the message's own content leaves no room for it.
const char* const error_elements[] = {"DATA_CRC_ERROR", "UNKNOWN_FORMAT", "Multiblock_header"};

// What the patterns take and the reader refuses: numbers and octets are
// bounded by their type and by the bits of a bit field, the rest by rules
// of their own.
const char* const more_permissive[] = {
    "timestamps above 85.89934590 seconds",
    "values of fields narrower than their type reached through member functions (a channel number, a "
    "frequency), bounded by their type only",
    "dates and times that do not exist (the reader checks the calendar)",
    "one content per record, required children and header attributes against the octets (the reader checks "
    "them at the element)",
};

using XML_routines::Element_description;
using XML_routines::Info_base;
using XML_routines::Value_description;

std::string Quoted(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

class Schema_writer {
public:
    // The named type of an element's content.
    std::string Element_type(const Info_base& info) {
        auto known = element_types_.find(&info);
        if (known != element_types_.end()) return known->second;
        if (!visiting_.insert(&info).second) return "open";  // a descriptor inside itself
        Element_description d;
        info.Describe(d);
        std::string body = Attributes(d);
        const std::string content = Content(d);
        if (d.has_text && content.empty()) {
            body = "<xs:simpleContent><xs:extension base=\"" + Simple_type(d.text) + "\">" + body +
                   "</xs:extension></xs:simpleContent>";
        } else {
            if (d.has_text && !content.empty()) ++inexact_["text beside children"];
            body = content + body;
        }
        const bool mixed = d.has_text && !content.empty();
        const std::string type = Intern(complex_, "<xs:complexType name=\"@\"" +
                                                      std::string(mixed ? " mixed=\"true\"" : "") + ">" + body +
                                                      "</xs:complexType>",
                                        "e");
        visiting_.erase(&info);
        element_types_[&info] = type;
        return type;
    }

    void Write(std::FILE* out, const Info_base& root) {
        const std::string root_type = Element_type(root);
        std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
        std::fprintf(out, "<!-- The log and input documents of the P25 library, from its descriptors. -->\n");
        for (const auto& [what, count] : inexact_)
            std::fprintf(out, "<!-- left open: %u element(s) with %s -->\n", count, what.c_str());
        // Values a pattern takes that the reader refuses by a rule patterns
        // do not express.
        for (const char* what : more_permissive)
            std::fprintf(out, "<!-- more permissive: %s -->\n", what);
        std::fprintf(out, "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n");
        std::fprintf(out, "  <xs:element name=\"%s\" type=\"%s\"/>\n", root.Tag(), root_type.c_str());
        std::fprintf(out,
                     "  <xs:complexType name=\"open\" mixed=\"true\"><xs:sequence>"
                     "<xs:any processContents=\"skip\" minOccurs=\"0\" maxOccurs=\"unbounded\"/></xs:sequence>"
                     "<xs:anyAttribute processContents=\"skip\"/></xs:complexType>\n");
        for (const auto& [text, name] : simple_) Put(out, text, name);
        for (const auto& [text, name] : complex_) Put(out, text, name);
        std::fprintf(out, "</xs:schema>\n");
    }

private:
    static void Put(std::FILE* out, const std::string& text, const std::string& name) {
        const std::size_t at = text.find('@');
        std::fprintf(out, "  %s%s%s\n", text.substr(0, at).c_str(), name.c_str(), text.substr(at + 1).c_str());
    }
    // One named type per distinct definition; '@' stands for its name.
    std::string Intern(std::map<std::string, std::string>& types, const std::string& text, const char* prefix) {
        auto [it, added] = types.emplace(text, "");
        if (added) it->second = prefix + std::to_string(types.size());
        return it->second;
    }

    std::string Simple_type(const Value_description& v) {
        switch (v.kind) {
        case Value_description::matching:
            return Intern(simple_,
                          "<xs:simpleType name=\"@\"><xs:restriction base=\"xs:string\"><xs:pattern value=\"\\s*(" +
                              Quoted(v.pattern) + ")\\s*\"/></xs:restriction></xs:simpleType>",
                          "v");
        case Value_description::named: {
            // A name of the table, or a value without one (0x and hexadecimal
            // digits, or decimal digits).
            std::string names;
            for (const std::string& n : v.name_list) names += "<xs:enumeration value=\"" + Quoted(n) + "\"/>";
            return Intern(simple_,
                          "<xs:simpleType name=\"@\"><xs:union><xs:simpleType><xs:restriction base=\"xs:token\">" +
                              names +
                              "</xs:restriction></xs:simpleType><xs:simpleType><xs:restriction base=\"xs:string\">"
                              "<xs:pattern value=\"\\s*(0x" + Value_description::Number_pattern(v.max, 16) + "|" +
                              Value_description::Number_pattern(v.max, 10) + ")\\s*\"/></xs:restriction>"
                              "</xs:simpleType></xs:union></xs:simpleType>",
                          "v");
        }
        case Value_description::any:
            break;
        }
        ++inexact_["text read by a hand-written accessor"];
        return "xs:string";
    }

    std::string Attributes(const Element_description& d) {
        std::string out;
        std::set<std::string> seen;
        for (const auto& [name, value] : d.attributes)
            if (seen.insert(name).second)
                out += "<xs:attribute name=\"" + Quoted(name) + "\" type=\"" + Simple_type(value) + "\"/>";
        return out;
    }

    // The children in table order, a run of one tag as one particle; the
    // registry's or filed descriptors as a choice after them.
    std::string Content(const Element_description& d) {
        if (d.children.empty() && d.choices.empty()) return "";
        std::vector<std::pair<std::string, std::vector<const Info_base*>>> runs;
        for (const Info_base* child : d.children) {
            if (runs.empty() || runs.back().first != child->Tag()) runs.push_back({child->Tag(), {}});
            runs.back().second.push_back(child);
        }
        std::map<std::string, std::string> types;  // one type a tag inside this element
        std::set<std::string> repeated_apart;
        for (const auto& [tag, infos] : runs) {
            if (types.count(tag)) repeated_apart.insert(tag);
            for (const Info_base* info : infos) Type_for(types, tag, *info);
        }
        std::set<std::string> choice_tags;
        for (const Info_base* info : d.choices) {
            Type_for(types, info->Tag(), *info);
            choice_tags.insert(info->Tag());
        }
        // Root-like: only filed elements, any number of them in any order.
        if (d.children.empty()) return "<xs:sequence>" + Choice(choice_tags, types, "unbounded") + "</xs:sequence>";
        // Children a registry picks are written beside others in the writer's
        // own order, not the table's.
        if (!repeated_apart.empty() || !choice_tags.empty()) {
            ++inexact_[repeated_apart.empty() ? "children beside a registry's choice (any order)"
                                              : "children of one tag apart in their table (any order)"];
            std::set<std::string> tags = choice_tags;
            for (const auto& run : runs) tags.insert(run.first);
            if (!choice_tags.empty())
                for (const char* error : error_elements)
                    if (types.emplace(error, "open").second) tags.insert(error);
            return "<xs:sequence>" + Choice(tags, types, "unbounded") + "</xs:sequence>";
        }
        std::string out = "<xs:sequence>";
        for (const auto& [tag, infos] : runs) {
            if (choice_tags.count(tag)) continue;  // the choice below takes it
            out += Element(tag, types[tag], infos.size());
        }
        if (!choice_tags.empty()) out += Choice(choice_tags, types, "1");
        return out + "</xs:sequence>";
    }

    void Type_for(std::map<std::string, std::string>& types, const std::string& tag, const Info_base& info) {
        const std::string type = Element_type(info);
        auto [it, added] = types.emplace(tag, type);
        if (!added && it->second != type && it->second != "open") {
            ++inexact_["one tag and two contents in one parent"];
            it->second = "open";
        }
    }

    static std::string Element(const std::string& tag, const std::string& type, std::size_t max) {
        return "<xs:element name=\"" + Quoted(tag) + "\" type=\"" + type + "\" minOccurs=\"0\"" +
               (max > 1 ? " maxOccurs=\"" + std::to_string(max) + "\"" : "") + "/>";
    }
    static std::string Choice(const std::set<std::string>& tags, std::map<std::string, std::string>& types,
                              const char* max) {
        std::string out = std::string("<xs:choice minOccurs=\"0\" maxOccurs=\"") + max + "\">";
        for (const std::string& tag : tags) out += Element(tag, types[tag], 1);
        return out + "</xs:choice>";
    }

    std::map<const Info_base*, std::string> element_types_;
    std::set<const Info_base*> visiting_;
    std::map<std::string, std::string> simple_, complex_;
    std::map<std::string, unsigned> inexact_;
};

}  // namespace

int Schema(const Arguments& args) {
    std::vector<std::string> positionals;
    if (!Parse_options("schema", args, {}, positionals)) return exit_usage;
    if (!positionals.empty()) return Usage_error("schema", "unexpected argument \"" + positionals[0] + "\"");
    Schema_writer writer;
    writer.Write(stdout, XML_routines::P25_log_data);
    return exit_ok;  // the host checks that it reached standard output
}

}  // namespace tessel
