// The two sinks of element writing: libxml2 trees, and the log's text
// written straight from the descriptor walk.
#include "XML_routines.h"

#include <algorithm>
#include <cstring>

namespace XML_routines {

namespace {
// A hook node carries its sink in _private and this tag in psvi.
const char Hook_tag = 0;
}  // namespace

// ---------------------------------------------------------------------------
// Sink

Sink::~Sink() = default;

Sink* Sink::Of(const xmlNode* node) {
    if (!node || node->psvi != &Hook_tag) return nullptr;
    return static_cast<Sink*>(node->_private);
}

Sink& Sink::For(xmlNode* node, Tree_sink& spare) {
    if (Sink* sink = Of(node)) return *sink;
    return spare.Adopt(node);
}

void Sink::Mark(xmlNode* node) {
    if (!node) return;
    node->_private = this;
    node->psvi = const_cast<char*>(&Hook_tag);
}


// ---------------------------------------------------------------------------
// Tree_sink

Tree_sink::~Tree_sink() {
    // Elements left open by a writer that gave up are freed with their
    // outermost one.
    if (!open_.empty() && open_.front() != adopted_) xmlFreeNode(open_.front());
    if (done_) xmlFreeNode(done_);
}

Tree_sink& Tree_sink::Adopt(xmlNode* node) {
    adopted_ = node;
    open_.assign(1, node);
    return *this;
}

// A descriptor filed under its path ("/Root/Tag") is written by its tag
// wherever it stands in another element.
static const char* Nested_name(const char* name) {
    if (name[0] != '/') return name;
    const char* tag = std::strrchr(name, '/') + 1;
    return *tag ? tag : name;
}

bool Tree_sink::Start(const char* name) {
    if (name && !open_.empty()) name = Nested_name(name);
    xmlNode* node = xmlNewNode(nullptr, To_xml(name));
    if (!node) return false;
    open_.push_back(node);
    return true;
}

void Tree_sink::Attribute(const char* name, std::size_t, const char* value, std::size_t) {
    if (!open_.empty() && open_.back()) xmlNewProp(open_.back(), To_xml(name), To_xml(value));
}

void Tree_sink::Text(const char* text, std::size_t length) {
    if (length && !open_.empty() && open_.back())
        xmlNodeAddContentLen(open_.back(), To_xml(text), static_cast<int>(length));
}

void Tree_sink::Node(xmlNode* tree) {
    if (!tree) return;
    if (open_.empty()) {
        if (done_) xmlFreeNode(done_);
        done_ = tree;
        return;
    }
    Add_children(open_.back(), tree);
}

void Tree_sink::End() {
    if (open_.empty()) return;
    xmlNode* node = open_.back();
    open_.pop_back();
    if (node == adopted_) return;
    Node(node);
}

// Hooks write into the element itself.
xmlNode* Tree_sink::Hook_node() { return open_.empty() ? nullptr : open_.back(); }

void Tree_sink::Hook_done() {}

xmlNode* Tree_sink::Take() {
    xmlNode* node = done_;
    done_ = nullptr;
    return node;
}

// ---------------------------------------------------------------------------
// Stream_sink
//
// The layout is libxml2's formatted dump at level 1: an element's children
// each on a line of their own, indented two blanks a level (at most 30
// levels), unless the element has text, in which case nothing inside it is
// formatted; an element without text or children ends in "/>".

namespace {
const int Max_indent_levels = 30;
const char Blanks[2 * Max_indent_levels + 1] = "                                                            ";

// Characters written as they are: printable ASCII other than the markup
// characters (bit 1 in text, bit 2 also in attribute values, where the
// quote is escaped too).
struct Plain_table {
    unsigned char bits[256] = {};
    Plain_table() {
        for (int c = 0x20; c < 0x7F; ++c) bits[c] = 3;
        for (unsigned char c : {'<', '>', '&'}) bits[c] = 0;
        bits[static_cast<unsigned char>('"')] = 1;
    }
};
const Plain_table plain;

// Anything else is escaped by libxml2 itself: the value is dumped as the
// only attribute or the text of a scratch element, and cut out of it.
std::string Escaped_by_libxml2(const char* s, std::size_t n, bool attribute) {
    std::string out;
    xmlNode* node = xmlNewNode(nullptr, To_xml("x"));
    xmlBufferPtr buffer = xmlBufferCreate();
    if (node && buffer) {
        std::size_t head, tail;
        if (attribute) {
            xmlNewProp(node, To_xml("a"), To_xml(std::string(s, n).c_str()));
            head = std::strlen("<x a=\""), tail = std::strlen("\"/>");
        } else {
            xmlNodeAddContentLen(node, To_xml(s), static_cast<int>(n));
            head = std::strlen("<x>"), tail = std::strlen("</x>");
        }
        if (xmlNodeDump(buffer, nullptr, node, 0, 0) >= 0) {
            const std::size_t length = static_cast<std::size_t>(xmlBufferLength(buffer));
            if (length >= head + tail)
                out.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)) + head, length - head - tail);
        }
    }
    if (buffer) xmlBufferFree(buffer);
    if (node) xmlFreeNode(node);
    return out;
}
}  // namespace

Stream_sink::Stream_sink() : out_(4096) {}

Stream_sink::~Stream_sink() {
    if (hook_) xmlFreeNode(hook_);
}

void Stream_sink::Grow(std::size_t n) { out_.resize(std::max(2 * out_.size(), length_ + n + 4096)); }

void Stream_sink::Clear() {
    length_ = 0;
    elements_ = 0;
    Begin();
}

void Stream_sink::Begin() {
    frames_.clear();
    mark_ = length_;
    elements_mark_ = elements_;
    irregular_ = false;
}

void Stream_sink::Rewind() {
    frames_.clear();
    length_ = mark_;
    elements_ = elements_mark_;
    irregular_ = false;
}

// The element that receives attributes, text and children: the innermost
// one with a name.
Stream_sink::Frame* Stream_sink::Target() {
    for (auto it = frames_.rbegin(); it != frames_.rend(); ++it)
        if (!it->nameless) return &*it;
    return nullptr;
}

void Stream_sink::Close_tag(Frame& f) {
    if (!f.open_tag) return;
    Put('>');
    f.open_tag = false;
}

void Stream_sink::Indent(int level) {
    Put(Blanks, 2 * static_cast<std::size_t>(std::min(level, Max_indent_levels)));
}

// Copies the value while it is plain; escapes it as a whole otherwise.
void Stream_sink::Escaped(const char* s, std::size_t n, bool attribute) {
    const unsigned char mask = attribute ? 2 : 1;
    char* out = Room(n);
    std::size_t i = 0;
    for (; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (!(plain.bits[c] & mask)) break;
        out[i] = static_cast<char>(c);
    }
    if (i == n) {
        length_ += n;
        return;
    }
    // A NUL cuts text short in the tree, and text then ends differently.
    if (!attribute && std::memchr(s + i, '\0', n - i)) {
        irregular_ = true;
        return;
    }
    const std::string escaped = Escaped_by_libxml2(s, n, attribute);
    Put(escaped.data(), escaped.size());
}

bool Stream_sink::Start(const char* name) {
    Drain_hook();
    if (!name) name = "";
    if (!*name) {
        if (!Target()) irregular_ = true;  // a nameless element at the top
        frames_.push_back(Frame{name, 0, true, false, false, false, false, 0});
        return true;
    }
    Frame* parent = Target();
    int level = 1;
    bool format = true;
    if (parent) {
        Close_tag(*parent);
        format = parent->format;
        if (format && !parent->children) Put('\n');
        parent->children = true;
        name = Nested_name(name);
        level = parent->level + 1;
        if (format) Indent(level);
    } else {
        // A top-level element: its path "/Root/Tag" is written as Tag.
        name = Nested_name(name);
        Put("  ", 2);
    }
    const std::size_t n = std::strlen(name);
    char* out = Room(n + 1);
    out[0] = '<';
    std::memcpy(out + 1, name, n);
    length_ += n + 1;
    frames_.push_back(Frame{name, n, false, true, false, false, format, level});
    return true;
}

void Stream_sink::Attribute(const char* name, std::size_t n, const char* value, std::size_t length) {
    Drain_hook();
    Frame* target = Target();
    // Hoisted from a nameless element, or after the start tag was closed:
    // libxml2 would place (or replace) it where only the tree knows.
    if (!target || frames_.back().nameless || !target->open_tag) {
        irregular_ = true;
        return;
    }
    char* out = Room(n + 3);
    out[0] = ' ';
    std::memcpy(out + 1, name, n);
    out[n + 1] = '=';
    out[n + 2] = '"';
    length_ += n + 3;
    if (value) Escaped(value, length, true);
    Put('"');
}

void Stream_sink::Text(const char* text, std::size_t length) {
    Drain_hook();
    if (!length) return;
    Frame* target = Target();
    // Text after children changes the layout of children already written.
    if (!target || target->children) {
        irregular_ = true;
        return;
    }
    Close_tag(*target);
    target->text = true;
    target->format = false;
    Escaped(text, length, false);
}

void Stream_sink::End() {
    Drain_hook();
    if (frames_.empty()) return;
    const Frame f = frames_.back();
    frames_.pop_back();
    if (f.nameless) return;
    if (f.open_tag) {
        Put("/>", 2);
    } else {
        if (f.children && f.format) Indent(f.level);
        const std::size_t n = f.name_length;
        char* out = Room(n + 3);
        out[0] = '<';
        out[1] = '/';
        std::memcpy(out + 2, f.name, n);
        out[n + 2] = '>';
        length_ += n + 3;
    }
    if (Frame* parent = Target()) {
        if (parent->format) Put('\n');
    } else {
        Put('\n');
        ++elements_;
    }
}


void Stream_sink::Walk(xmlNode* node) {
    if (node->type == XML_TEXT_NODE) {
        if (node->content) Text(From_xml(node->content), std::strlen(From_xml(node->content)));
        return;
    }
    if (node->type != XML_ELEMENT_NODE) {
        irregular_ = true;
        return;
    }
    Start(node->name ? From_xml(node->name) : "");
    for (xmlAttr* attr = node->properties; attr; attr = attr->next) {
        const xmlNode* value = attr->children;
        if (value && (value->type != XML_TEXT_NODE || value->next)) irregular_ = true;
        Attribute(From_xml(attr->name), value && value->content ? From_xml(value->content) : "");
    }
    for (xmlNode* child = node->children; child; child = child->next) Walk(child);
    End();
}

void Stream_sink::Node(xmlNode* tree) {
    Drain_hook();
    if (!tree) return;
    xmlUnlinkNode(tree);
    Walk(tree);
    xmlFreeNode(tree);
}

xmlNode* Stream_sink::Hook_node() {
    if (!hook_) {
        hook_ = xmlNewNode(nullptr, To_xml("hook"));
        Mark(hook_);
    }
    return hook_;
}

void Stream_sink::Hook_done() { Drain_hook(); }

// What a hook attached to the hook node by hand belongs to the element the
// hook was writing: it is written before anything that follows.
void Stream_sink::Drain_hook_slow() {
    xmlAttr* attrs = hook_->properties;
    xmlNode* children = hook_->children;
    hook_->properties = nullptr;
    hook_->children = hook_->last = nullptr;
    for (xmlAttr* attr = attrs; attr;) {
        xmlAttr* next = attr->next;
        attr->parent = nullptr;
        attr->next = attr->prev = nullptr;
        const xmlNode* value = attr->children;
        if (value && (value->type != XML_TEXT_NODE || value->next)) irregular_ = true;
        Attribute(From_xml(attr->name), value && value->content ? From_xml(value->content) : "");
        xmlFreeProp(attr);
        attr = next;
    }
    for (xmlNode* child = children; child;) {
        xmlNode* next = child->next;
        child->parent = nullptr;
        child->next = child->prev = nullptr;
        Node(child);
        child = next;
    }
}

}  // namespace XML_routines
