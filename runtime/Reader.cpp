// The document reader: streams an input document through libxml2's push
// parser and drives the parse states of the descriptors filed under the
// root from its events, one element at a time, in bounded memory.  Each
// element is processed as soon as its end tag is parsed, so a fault later in
// the document (a log cut off, junk after the root) costs nothing before it.
#include "XML_info.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace XML_routines {
namespace {

// Character data gathered for one call of Text is capped (libxml2's own
// limit for one text node), so that no document can make it grow without
// bound.
const std::size_t Text_limit = 10000000;
// Quoted text in reports is cut to this length.
const std::size_t Quote_limit = 60;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool Is_blank(const char* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (!Blank(s[i])) return false;
    return true;
}

// The text of a report quoting input, on one line: blanks trimmed, each
// run of blanks inside (line ends too) shown as one, cut when long.
std::string Quote(const char* s) {
    std::size_t begin = 0, end = std::strlen(s);
    while (begin < end && Blank(s[begin])) ++begin;
    while (end > begin && Blank(s[end - 1])) --end;
    std::string q;
    for (std::size_t i = begin; i < end && q.size() <= Quote_limit; ++i) {
        if (!Blank(s[i])) q += s[i];
        else if (q.back() != ' ') q += ' ';
    }
    if (q.size() > Quote_limit) {
        q.resize(Quote_limit);
        q += "...";
    }
    return q;
}

// ---------------------------------------------------------------------------
// Sources: the document in pieces, handed to the parser as they come.  The
// parser reports each construct as soon as it is complete, so nothing
// before a fault is held back by the fault.
class Source {
public:
    virtual ~Source() = default;
    // The next piece: its size, 0 at the end, -1 when the source failed.
    virtual long Next(const char*& data) = 0;
    // Why the source failed, or null.
    virtual const char* Failure() const { return nullptr; }
};

const std::size_t Piece_size = 64 * 1024;

class Memory_source : public Source {
public:
    Memory_source(const char* text, std::size_t size) : text_(text), size_(text ? size : 0) {}
    long Next(const char*& data) override {
        const std::size_t n = std::min(Piece_size, size_ - pos_);
        data = text_ + pos_;
        pos_ += n;
        return static_cast<long>(n);
    }

private:
    const char* text_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class Fd_source : public Source {
public:
    explicit Fd_source(int fd) : fd_(fd), buffer_(Piece_size) {}
    long Next(const char*& data) override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
            if (n >= 0) {
                data = buffer_.data();
                return static_cast<long>(n);
            }
            if (errno == EINTR) continue;
            read_errno_ = errno;
            return -1;
        }
    }
    const char* Failure() const override { return read_errno_ ? std::strerror(read_errno_) : nullptr; }

private:
    int fd_;
    int read_errno_ = 0;
    std::vector<char> buffer_;
};

// ---------------------------------------------------------------------------
// Error reporting helpers.

// Sets the element and attribute that reports name, and clears them on exit
// (they point into the reader's own strings).
class Naming {
public:
    Naming(Input_data& input, const char* element, const char* attribute = nullptr) : input_(input) {
        input_.element = element;
        input_.attribute = attribute;
    }
    ~Naming() {
        input_.element = nullptr;
        input_.attribute = nullptr;
    }
    Naming(const Naming&) = delete;
    Naming& operator=(const Naming&) = delete;

private:
    Input_data& input_;
};

void Vreport(Input_data& input, int line, const char* element, const char* format, va_list args) {
    Naming naming(input, element);
    input.line = line;
    input.Verror(format, Input_data::error_severity, nullptr, args);
}

#if defined(__GNUC__)
__attribute__((format(printf, 4, 5)))
#endif
void Report(Input_data& input, int line, const char* element, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Vreport(input, line, element, format, args);
    va_end(args);
}

// libxml2's messages made without a parser context (input/output,
// encoding), which would go to stderr on their own, as reports.
class Generic_trap {
public:
    Generic_trap(Input_data& input, const int& line)
        : input_(input), line_(line), old_function_(xmlGenericError), old_context_(xmlGenericErrorContext) {
        xmlSetGenericErrorFunc(this, &Generic_trap::Error);
    }
    ~Generic_trap() {
        xmlSetGenericErrorFunc(old_context_, old_function_);
        if (!Is_blank(pending_.data(), pending_.size())) Report(input_, line_, nullptr, "%s", pending_.c_str());
    }
    Generic_trap(const Generic_trap&) = delete;
    Generic_trap& operator=(const Generic_trap&) = delete;

private:
    // A message may arrive in pieces: one report a line.
    static void Error(void* context, const char* msg, ...) {
        auto* self = static_cast<Generic_trap*>(context);
        char text[1024];
        va_list args;
        va_start(args, msg);
        const int n = std::vsnprintf(text, sizeof text, msg, args);
        va_end(args);
        if (n <= 0) return;
        self->pending_.append(text, std::min(static_cast<std::size_t>(n), sizeof text - 1));
        std::size_t end;
        while ((end = self->pending_.find('\n')) != std::string::npos) {
            const std::string line = self->pending_.substr(0, end);
            self->pending_.erase(0, end + 1);
            if (!Is_blank(line.data(), line.size())) Report(self->input_, self->line_, nullptr, "%s", line.c_str());
        }
    }
    Input_data& input_;
    const int& line_;
    std::string pending_;
    xmlGenericErrorFunc old_function_;
    void* old_context_;
};

// ---------------------------------------------------------------------------
// The element cycle, driven by the parser's SAX events.

struct Node_free {
    void operator()(xmlNode* node) const { xmlFreeNode(node); }
};

struct Frame {
    std::unique_ptr<Instance_base> state;  // null for the document element
    // The element as the document wrote it, when the input asks for the
    // accepted elements: a top-level frame owns its tree, a nested one
    // points into its parent's.
    std::unique_ptr<xmlNode, Node_free> tree;
    xmlNode* node = nullptr;
    std::string tag;
    int line = 0;
    unsigned errors_at_start = 0;
    bool failed = false;
    std::string text;
    int text_line = 0;  // where the first non-blank character stands
    bool text_overflow = false;
    bool text_given = false;  // non-blank text was handed to the state
    bool has_children = false;
    unsigned long entity_references = 0;
    // Reports about the element's attributes and unknown children: the
    // first few are written, the rest counted.
    unsigned long reports = 0;
    unsigned long reports_held = 0;

    // Back to a frame of no element (its tree freed, then its state, as its
    // destruction would), keeping the room of its strings: every member as
    // a new frame has it.
    void Reset() {
        tree.reset();
        state.reset();
        node = nullptr;
        tag.clear();
        line = 0;
        errors_at_start = 0;
        failed = false;
        text.clear();
        text_line = 0;
        text_overflow = false;
        text_given = false;
        has_children = false;
        entity_references = 0;
        reports = 0;
        reports_held = 0;
    }
};

// The open elements, innermost last.  A frame popped is kept for the
// elements that follow, and a frame stays where it is while others are
// pushed, so references to it stay good.
class Frame_stack {
public:
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    Frame& back() { return frames_[size_ - 1]; }
    Frame& operator[](std::size_t i) { return frames_[i]; }
    void emplace_back() {
        if (size_ == frames_.size()) frames_.emplace_back();
        ++size_;
    }
    void pop_back() { frames_[--size_].Reset(); }

private:
    std::deque<Frame> frames_;
    std::size_t size_ = 0;
};

// Entity references (and declarations) reported one by one; the rest are
// counted.
const unsigned long Entity_reports = 3;
// Reports of one element's attributes and unknown children written before
// the rest are only counted.
const unsigned long Element_reports = 10;

// 99990 as "99,990".
std::string Grouped(unsigned long n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string Lower(const std::string& s) {
    std::string lower = s;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The edit distance of two names (given in lower case, so that letters
// compare without case), or any value of at least limit when it is that
// far: a misspelt name is a few edits from the one meant.
std::size_t Distance(const std::string& a, const std::string& b, std::size_t limit) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        std::size_t least = row[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = row[j];
            row[j] = next;
            least = std::min(least, next);
        }
        if (least >= limit) return limit;  // no row after it is nearer
    }
    return row[b.size()];
}

// The name among candidates that a misspelt name most likely meant: the
// nearest within two edits and a third of its length (case alone counts as
// one edit), so that another real name is not taken for a misspelling.
std::string Nearest_name(const std::string& name, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t best_distance = std::min<std::size_t>(2, name.size() / 3) + 1;
    const std::string lower = Lower(name);
    for (const std::string& c : candidates) {
        if (c == name) continue;  // known, but not here
        // Every edit changes the length by one at most.
        if ((c.size() > name.size() ? c.size() - name.size() : name.size() - c.size()) >= best_distance) continue;
        std::size_t d = Distance(lower, Lower(c), best_distance);
        if (d == 0 && c != name) d = 1;
        if (d < best_distance) {
            best_distance = d;
            best = c;
        }
    }
    return best;
}

// What a value's text must look like, from its description: the names of
// its table, its digits and base, its octets; empty when it says nothing.
std::string Expected(const Value_description& v) {
    auto digits_of = [](unsigned long long max, int base) {
        int n = 1;
        for (; max >= static_cast<unsigned long long>(base); max /= static_cast<unsigned long long>(base)) ++n;
        return n;
    };
    if (v.kind == Value_description::named) {
        std::string names;
        const std::size_t shown = std::min<std::size_t>(v.name_list.size(), 8);
        for (std::size_t i = 0; i < shown; ++i)
            names += (i == 0 ? "" : i + 1 == shown && shown == v.name_list.size() ? " or " : ", ") + v.name_list[i];
        if (shown < v.name_list.size()) names += ", ... (" + std::to_string(v.name_list.size()) + " names)";
        return names;
    }
    if (v.kind != Value_description::matching) return "";
    // Octets of a block: the count closes the pattern as "{N}".
    const std::size_t brace = v.pattern.rfind('{');
    if (v.pattern.find("[0-9A-Fa-f]{2}") != std::string::npos && brace != std::string::npos &&
        v.pattern.back() == '}' && v.pattern.find(',', brace) == std::string::npos)
        return v.pattern.substr(brace + 1, v.pattern.size() - brace - 2) + " octets, each 2 hexadecimal digits";
    if (v.pattern.find("true|false") != std::string::npos) return "true or false";
    if (v.number_base == 16) {
        const int n = v.number_digits ? v.number_digits : digits_of(v.max, 16);
        return (v.number_digits ? "" : "up to ") + std::to_string(n) + " hexadecimal digit" + (n > 1 ? "s" : "");
    }
    if (v.number_base == 10) return "a decimal number from 0 to " + std::to_string(v.max);
    if (v.number_floating) return "a decimal number";
    if (v.pattern.find("[0-9]") != std::string::npos && v.pattern.find('.') != std::string::npos &&
        v.pattern.find('-') == std::string::npos)
        return "a decimal number without a sign";
    return "";
}

struct Parser_free {
    void operator()(xmlParserCtxtPtr ctxt) const {
        if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
        ctxt->myDoc = nullptr;
        xmlFreeParserCtxt(ctxt);
    }
};

// A parser context costs more to make than a short document costs to read
// (its dictionary of names, its buffers, the base directory of the
// document's address), so the last one a thread used is kept for its next
// document.  A document read while another is being read (from a listener)
// makes its own.  A context whose dictionary has grown past the names of a
// few vocabularies is not kept: names read once are not held for good.
const int Kept_dictionary_names = 4096;

struct Kept_parser {
    xmlParserCtxtPtr ctxt = nullptr;
    ~Kept_parser() {
        if (ctxt) Parser_free()(ctxt);
    }
};
thread_local Kept_parser kept_parser;

// The grammars reports were made from, kept from document to document.
struct Kept_grammars {
    unsigned long generation = 0;
    std::unordered_map<const Info_base*, std::unique_ptr<Element_description>> descriptions;
};
thread_local Kept_grammars kept_grammars;

// A context for a document that starts with the given octets.
xmlParserCtxtPtr New_parser(xmlSAXHandler& handler, const char* data, int size, const char* url) {
    xmlParserCtxtPtr kept = std::exchange(kept_parser.ctxt, nullptr);
    if (kept && xmlCtxtResetPush(kept, data, size, url, nullptr) == 0) return kept;
    if (kept) Parser_free()(kept);
    return xmlCreatePushParserCtxt(&handler, nullptr, data, size, url);
}

struct Parser_release {
    void operator()(xmlParserCtxtPtr ctxt) const {
        ctxt->_private = nullptr;
        if (!kept_parser.ctxt && ctxt->dict && xmlDictSize(ctxt->dict) <= Kept_dictionary_names) {
            kept_parser.ctxt = ctxt;
        } else {
            Parser_free()(ctxt);
        }
    }
};

// The document on its way to the parser, in one pass over its octets:
//
// - a carriage return alone ends a line as a line feed does (XML reads it
//   so), so that the parser counts the line (a pair stays as it is);
// - a start tag keeps its first Kept_attributes attributes and loses the
//   rest (line ends kept, so lines still count): the parser compares every
//   attribute of a tag with every other, which a tag of a hundred thousand
//   attributes would turn into minutes.  No element takes nearly as many,
//   so such a tag is refused anyway; the attributes it lost are counted,
//   by the ordinal of the tag, for the reader's report.
//
// Documents in UTF-16 are passed on untouched.
class Markup_pass {
public:
    static constexpr unsigned long Kept_attributes = 256;

    // The piece to hand the parser in place of data: data itself when
    // nothing in it changes (the common case), else a copy with the
    // changes made.  Runs of characters that change no state (text, quoted
    // values and names of a tag that keeps its attributes) are passed over
    // in a tight loop; the rest go through the markup's states one by one.
    const char* Pass(const char* data, long& n) {
        const auto* octets = reinterpret_cast<const unsigned char*>(data);
        if (!pieces_++) wide_ = n >= 2 && (octets[0] == 0xFE || octets[0] == 0xFF || octets[0] == 0 || octets[1] == 0);
        if (wide_) return data;
        edited_ = false;
        const char* const end = data + n;
        const char* done = data;  // the octets before it are in out_ once edited_
        auto edit = [&](const char* at) {
            if (edited_) out_.append(done, at);
            else out_.assign(data, at);
            edited_ = true;
        };
        for (const char* p = data; p < end; ++p) {
            if (!after_cr_) p = Pass_over(p, end);
            if (p == end) break;
            char c = *p;
            if (after_cr_ && c == '\n') {
                after_cr_ = false;
                edit(p);  // the line feed of a pair already written
                done = p + 1;
                continue;
            }
            after_cr_ = c == '\r';
            if (after_cr_) c = '\n';
            switch (Keep(c)) {
            case Kept::same:
                if (c == *p) break;
                edit(p);
                out_ += c;
                done = p + 1;
                break;
            case Kept::lost:
                edit(p);
                done = p + 1;
                break;
            case Kept::after_slash:
                edit(p);
                out_ += '/';
                done = p;
                break;
            }
        }
        if (!edited_) return data;
        out_.append(done, end);
        n = static_cast<long>(out_.size());
        return out_.data();
    }

    // Attributes a start tag lost: the tag's ordinal (1 for the first start
    // tag of the document) and how many.
    bool Lost(unsigned long tag, unsigned long& count) {
        while (!lost_.empty() && lost_.front().first < tag) lost_.pop_front();
        if (lost_.empty() || lost_.front().first != tag) return false;
        count = lost_.front().second;
        lost_.pop_front();
        return true;
    }

private:
    enum class State { text, open, bang, comment, cdata, instruction, declaration, start_tag, end_tag };
    // What becomes of a character: kept, lost from a start tag, or kept
    // after the '/' of an empty tag whose last attributes were lost.
    enum class Kept { same, lost, after_slash };

    // The characters that end a run passed over, one bit for each kind of
    // run: a carriage return ends every run.
    enum Run : unsigned char { in_text = 1, in_end_tag = 2, in_double = 4, in_single = 8, in_tag = 16 };
    static constexpr std::array<unsigned char, 256> Run_ends = [] {
        std::array<unsigned char, 256> ends{};
        ends['\r'] = in_text | in_end_tag | in_double | in_single | in_tag;
        ends['<'] = in_text;
        ends['>'] = in_end_tag | in_tag;
        ends['"'] = in_double | in_tag;
        ends['\''] = in_single | in_tag;
        ends['='] = in_tag;
        return ends;
    }();

    // The first character at or after p that may change the state or be
    // changed: a markup character, a carriage return, or any character of
    // the states followed one by one.  In a start tag that keeps its
    // attributes, quotes and the '=' of each attribute are followed here.
    const char* Pass_over(const char* p, const char* end) {
        switch (state_) {
        case State::text: return Run(p, end, in_text);
        case State::end_tag: return Run(p, end, in_end_tag);
        case State::start_tag:
            while (!losing_) {
                p = Run(p, end, quote_ == '"' ? in_double : quote_ ? in_single : in_tag);
                if (p == end) return p;
                const char c = *p;
                if (quote_) {
                    // The value that ends the last attribute kept is left
                    // to Tag_character.
                    if (c != quote_ || attributes_ == Kept_attributes) return p;
                    quote_ = 0;
                } else if (c == '"' || c == '\'') {
                    quote_ = c;
                } else if (c == '=') {
                    ++attributes_;
                } else {
                    return p;
                }
                ++p;
            }
            return p;
        default: return p;
        }
    }
    static const char* Run(const char* p, const char* end, unsigned char run) {
        while (p < end && !(Run_ends[static_cast<unsigned char>(*p)] & run)) ++p;
        return p;
    }

    // Follows the markup.
    Kept Keep(char c) {
        switch (state_) {
        case State::text:
            if (c == '<') state_ = State::open;
            return Kept::same;
        case State::open:
            if (c == '!') {
                state_ = State::bang;
                bang_.clear();
            } else if (c == '?') {
                state_ = State::instruction;
            } else if (c == '/') {
                state_ = State::end_tag;
            } else if (c == '<') {
                state_ = State::open;
            } else {
                Start_tag();
            }
            last_ = c;
            return Kept::same;
        case State::bang:
            bang_ += c;
            if (bang_ == "--") Enter(State::comment);
            else if (bang_ == "[CDATA[") Enter(State::cdata);
            else if (std::string("--").compare(0, bang_.size(), bang_) != 0 &&
                     std::string("[CDATA[").compare(0, bang_.size(), bang_) != 0)
                Enter(State::declaration);
            return Kept::same;
        case State::comment:
        case State::cdata:
            if (c == '>' && tail_[0] == tail_[1] && tail_[0] == (state_ == State::comment ? '-' : ']'))
                state_ = State::text;
            tail_[0] = tail_[1];
            tail_[1] = c;
            return Kept::same;
        case State::instruction:
            if (c == '>' && last_ == '?') state_ = State::text;
            last_ = c;
            return Kept::same;
        case State::declaration:
            // A document type: its internal subset in brackets, quoted
            // literals.
            if (quote_) {
                if (c == quote_) quote_ = 0;
            } else if (c == '"' || c == '\'') {
                quote_ = c;
            } else if (c == '[') {
                ++depth_;
            } else if (c == ']') {
                if (depth_) --depth_;
            } else if (c == '>' && !depth_) {
                state_ = State::text;
            }
            return Kept::same;
        case State::end_tag:
            if (c == '>') state_ = State::text;
            return Kept::same;
        case State::start_tag:
            return Tag_character(c);
        }
        return Kept::same;
    }

    void Enter(State state) {
        state_ = state;
        tail_[0] = tail_[1] = 0;
        quote_ = 0;
        depth_ = 0;
    }

    void Start_tag() {
        state_ = State::start_tag;
        ++tags_;
        attributes_ = 0;
        lost_count_ = 0;
        quote_ = 0;
        losing_ = false;
        slash_ = false;
    }

    Kept Tag_character(char c) {
        const Kept lose = losing_ && c != '\n' ? Kept::lost : Kept::same;
        if (quote_) {
            if (c == quote_) {
                quote_ = 0;
                if (attributes_ == Kept_attributes && !losing_) {
                    losing_ = true;
                    slash_ = false;
                    return Kept::same;  // the last value kept ends here
                }
            }
            return lose;
        }
        if (c == '"' || c == '\'') {
            quote_ = c;
        } else if (c == '=') {
            if (losing_) ++lost_count_;
            else ++attributes_;
        } else if (c == '>') {
            state_ = State::text;
            if (!losing_) return Kept::same;
            if (lost_count_) lost_.emplace_back(tags_, lost_count_);
            return slash_ ? Kept::after_slash : Kept::same;
        }
        if (c != ' ' && c != '\t' && c != '\n') slash_ = c == '/';
        return lose;
    }

    std::string out_;
    bool edited_ = false;  // the piece passed on is out_, not the piece read
    unsigned long pieces_ = 0;
    bool wide_ = false;
    bool after_cr_ = false;  // the last character was a carriage return
    State state_ = State::text;
    std::string bang_;       // what follows "<!" so far
    char tail_[2] = {};      // the last two characters of a comment or a CDATA section
    char last_ = 0;
    char quote_ = 0;
    unsigned depth_ = 0;
    unsigned long tags_ = 0;
    unsigned long attributes_ = 0, lost_count_ = 0;
    bool losing_ = false;
    bool slash_ = false;  // the last character of the tag but blanks was '/'
    std::deque<std::pair<unsigned long, unsigned long>> lost_;
};

class Document_reader {
public:
    Document_reader(const Info_base& root, Input_data& input) : root_(root), input_(input) {}
    // Open states are deleted innermost first, without being finalised.
    ~Document_reader() { Drop_open(); }
    Document_reader(const Document_reader&) = delete;
    Document_reader& operator=(const Document_reader&) = delete;

    Read_status Run(Source& source, const char* url) {
        const unsigned errors_before = input_.Error_count();
        Generic_trap trap(input_, line_);
        const char* data = nullptr;
        long n = Next(source, data);
        if (n > 0) Note_content(data, static_cast<std::size_t>(n));
        // The first octets tell the encoding.
        const int head = n > 4 ? 4 : (n > 0 ? static_cast<int>(n) : 0);
        ctxt_.reset(New_parser(Handler(), data, head, url));
        if (!ctxt_) {
            Report(input_, 0, nullptr, "Cannot read the document");
            return Read_status::not_well_formed;
        }
        ctxt_->_private = this;
        // No size limit of the parser's own refuses a document a host may
        // write (a long comment, a long run of blanks); entity references
        // are never expanded here, and libxml2 keeps its limits on
        // entity expansion.
        xmlCtxtUseOptions(ctxt_.get(), XML_PARSE_NONET | XML_PARSE_HUGE);
        if (n > head) Parse(data + head, static_cast<int>(n - head), false);
        while (n > 0 && !stopped_) {
            n = Next(source, data);
            if (n > 0) {
                Note_content(data, static_cast<std::size_t>(n));
                Parse(data, static_cast<int>(n), false);
            }
        }
        if (n < 0) {
            Report(input_, Line(), nullptr, "Cannot read the document: %s", source.Failure());
            failed_ = true;
        } else if (!stopped_) {
            ending_ = true;
            Parse(nullptr, 0, true);
        }
        if (failed_ || (!wrong_root_ && !frames_.empty())) {
            if (!failed_) Report(input_, Line(), nullptr, "Document is not well-formed");
            Drop_open();
            return Read_status::not_well_formed;
        }
        if (!seen_root_) {
            Report(input_, Line(), nullptr, "Document has no element");
            return Read_status::not_well_formed;
        }
        Count_entity_declarations();
        Drop_open();
        return input_.Error_count() != errors_before ? Read_status::reported : Read_status::ok;
    }

private:
    // The next piece of the document, through the markup pass (a piece the
    // pass leaves empty is not the end).
    long Next(Source& source, const char*& data) {
        for (;;) {
            long n = source.Next(data);
            if (n <= 0) return n;
            data = pass_.Pass(data, n);
            if (n > 0) return n;
        }
    }

    // ---- The parser and its events ----

    static xmlSAXHandler& Handler() {
        static xmlSAXHandler sax = [] {
            xmlSAXHandler h;
            std::memset(&h, 0, sizeof h);
            h.initialized = XML_SAX2_MAGIC;
            // Entity declarations are kept (in a document of no nodes) only
            // so that a reference to one is recognised and refused.
            h.startDocument = xmlSAX2StartDocument;
            h.internalSubset = xmlSAX2InternalSubset;
            h.entityDecl = &Document_reader::On_entity_declaration;
            h.externalSubset = &Document_reader::On_end_of_declarations;
            h.getEntity = xmlSAX2GetEntity;
            h.getParameterEntity = xmlSAX2GetParameterEntity;
            h.startElementNs = &Document_reader::On_start;
            h.endElementNs = &Document_reader::On_end;
            h.characters = &Document_reader::On_characters;
            h.ignorableWhitespace = &Document_reader::On_characters;
            h.cdataBlock = &Document_reader::On_characters;
            h.reference = &Document_reader::On_reference;
            h.comment = &Document_reader::On_comment;
            h.processingInstruction = &Document_reader::On_instruction;
            h.serror = &Document_reader::On_error;
            return h;
        }();
        return sax;
    }

    // The reader of an event, or null for the events of an entity's content,
    // which libxml2 parses with a context of its own.
    static Document_reader* Self(void* context) {
        auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
        auto* self = ctxt ? static_cast<Document_reader*>(ctxt->_private) : nullptr;
        return self && self->ctxt_.get() == ctxt ? self : nullptr;
    }

    void Parse(const char* data, int size, bool terminate) {
        xmlParseChunk(ctxt_.get(), data, size, terminate ? 1 : 0);
        if (ctxt_->disableSAX || ctxt_->instate == XML_PARSER_EOF) stopped_ = true;
    }

    void Stop() {
        stopped_ = true;
        xmlStopParser(ctxt_.get());
    }

    int Line() const {
        const int line = ctxt_ && ctxt_->input ? ctxt_->input->line : 0;
        return line > 0 ? line : line_;
    }

    // Also notes whether the input, as far as it goes, ends inside a tag
    // (its last '<' stands after its last '>').
    void Note_content(const char* data, std::size_t size) {
        input_.bytes_read += size;
        if (!content_) content_ = !Is_blank(data, size);
        for (std::size_t i = size; i-- > 0;) {
            if (data[i] == '>') {
                in_tag_ = false;
                break;
            }
            if (data[i] == '<') {
                in_tag_ = true;
                break;
            }
        }
    }

    static void On_start(void* context, const xmlChar* localname, const xmlChar* prefix, const xmlChar*, int,
                         const xmlChar**, int nb_attributes, int, const xmlChar** attributes) {
        Document_reader* self = Self(context);
        if (!self || self->stopped_) return;
        ++self->start_tags_;
        // A start tag cut by the end of the input is no element.
        if (self->ending_ && self->in_tag_) return;
        std::string& tag = self->tag_;
        tag.assign(From_xml(localname));
        if (prefix) tag.insert(0, From_xml(prefix) + std::string(":"));
        self->Start(tag, nb_attributes, attributes);
        self->line_ = self->Line();
    }

    static void On_end(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        Document_reader* self = Self(context);
        if (!self || self->stopped_) return;
        self->End();
        self->line_ = self->Line();
    }

    static void On_characters(void* context, const xmlChar* text, int size) {
        Document_reader* self = Self(context);
        if (!self || self->stopped_) return;
        self->Character_data(From_xml(text), static_cast<std::size_t>(size));
        self->line_ = self->Line();
    }

    static void On_reference(void* context, const xmlChar* name) {
        Document_reader* self = Self(context);
        if (!self || self->stopped_) return;
        self->Entity_reference(name ? From_xml(name) : "");
        self->line_ = self->Line();
    }

    // An entity declaration is refused, and kept without its replacement
    // text: a reference to it is recognised (and refused) without anything
    // being expanded, however deeply the declarations nest.
    static void On_entity_declaration(void* context, const xmlChar* name, int type, const xmlChar*, const xmlChar*,
                                      xmlChar*) {
        static xmlChar nothing[] = "";
        const bool parameter = type == XML_INTERNAL_PARAMETER_ENTITY || type == XML_EXTERNAL_PARAMETER_ENTITY;
        xmlSAX2EntityDecl(context, name, parameter ? XML_INTERNAL_PARAMETER_ENTITY : XML_INTERNAL_GENERAL_ENTITY,
                          nullptr, nullptr, nothing);
        Document_reader* self = Self(context);
        if (!self || self->stopped_) return;
        if (++self->entity_declarations_ <= Entity_reports)
            Report(self->input_, self->Line(), nullptr, "Entity declaration %s%s is not supported",
                   parameter ? "%" : "", name ? From_xml(name) : "");
        self->line_ = self->Line();
    }

    // The document type's declarations are over (nothing external is
    // loaded): the declarations not reported one by one are counted here.
    static void On_end_of_declarations(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        Document_reader* self = Self(context);
        if (self) self->Count_entity_declarations();
    }
    void Count_entity_declarations() {
        if (entity_declarations_ > Entity_reports)
            Report(input_, Line(), nullptr, "%lu more entity declarations are not supported",
                   entity_declarations_ - Entity_reports);
        entity_declarations_ = 0;
    }

    static void On_comment(void* context, const xmlChar*) {
        if (Document_reader* self = Self(context)) self->line_ = self->Line();
    }

    static void On_instruction(void* context, const xmlChar*, const xmlChar*) {
        if (Document_reader* self = Self(context)) self->line_ = self->Line();
    }

    // The parser's reports: the first error ends the document.
    static void On_error(void* context, xmlErrorPtr error) {
        Document_reader* self = Self(context);
        if (!self || !error || self->failed_ || self->wrong_root_) return;
        if (error->level != XML_ERR_ERROR && error->level != XML_ERR_FATAL) return;
        self->Parser_error(*error);
    }

    void Parser_error(const xmlError& error) {
        failed_ = true;
        Stop();
        int line = error.line > 0 ? error.line : Line();
        std::string text = error.message ? error.message : "parser error";
        while (!text.empty() && Blank(text.back())) text.pop_back();
        for (char& c : text)
            if (c == '\n' || c == '\r') c = ' ';
        if (!seen_root_ && (error.code == XML_ERR_DOCUMENT_EMPTY || error.code == XML_ERR_DOCUMENT_END ||
                            error.code == XML_ERR_DOCUMENT_START)) {
            text = content_ ? "Not an XML document: it holds no element, only text" : "Document is empty";
            line = 1;
        } else if (ending_ && !frames_.empty()) {
            // The input ended inside an element: a log cut off while it was
            // being written, say.
            const Frame& open = frames_.back();
            line = Line();
            Report(input_, line, nullptr, "Premature end of the document: <%s> of line %d is not closed",
                   open.tag.c_str(), open.line);
            return;
        }
        Report(input_, line, nullptr, "%s", text.c_str());
    }

    // ---- The element cycle ----

    void Start(const std::string& tag, int nb_attributes, const xmlChar** attributes) {
        if (skip_depth_) {
            ++skip_depth_;
            return;
        }
        if (frames_.empty()) {  // the document element
            const int line = Line();
            seen_root_ = true;
            if (tag != root_.Tag()) {
                Report(input_, line, nullptr, "Document element is <%s>, expected <%s>", tag.c_str(), root_.Tag());
                wrong_root_ = true;
                Stop();
                return;
            }
            frames_.emplace_back();
            frames_.back().tag = tag;
            frames_.back().line = line;
            return;
        }

        const int line = line_;
        Frame& parent = frames_.back();
        Flush_text(parent);
        parent.has_children = true;
        const unsigned errors_at_start = input_.Error_count();
        input_.line = line;
        Instance_base* state = nullptr;
        {
            Naming naming(input_, tag.c_str());
            if (!parent.state) {
                if (const Info_base* info = root_.Find(tag.c_str())) state = info->Get_instance(input_);
            } else {
                state = parent.state->Get_subinstance(To_xml(tag.c_str()));
            }
        }
        if (!state) {
            // A descriptor that refused the child has said why already.
            if (input_.Error_count() == errors_at_start)
                Hold_reports(parent, [&] {
                    const std::string meant = Nearest_name(tag, Child_tags(parent));
                    if (meant.empty())
                        Report(input_, line, nullptr, "Unknown element <%s> in <%s>", tag.c_str(), parent.tag.c_str());
                    else
                        Report(input_, line, nullptr, "Unknown element <%s> in <%s> (did you mean <%s>?)", tag.c_str(),
                               parent.tag.c_str(), meant.c_str());
                });
            if (parent.state) parent.failed = true;
            skip_depth_ = 1;
            return;
        }

        xmlNode* parent_node = parent.node;
        frames_.emplace_back();
        Frame& frame = frames_.back();
        frame.state.reset(state);
        frame.tag = tag;
        frame.line = line;
        frame.errors_at_start = errors_at_start;
        if (input_.accepted && (parent_node || !frames_[frames_.size() - 2].state)) {
            frame.node = xmlNewNode(nullptr, To_xml(tag.c_str()));
            if (parent_node) xmlAddChild(parent_node, frame.node);
            else frame.tree.reset(frame.node);
        }
        xmlAttr* last_property = nullptr;
        for (int i = 0; i < nb_attributes; ++i) {
            const xmlChar* const* a = attributes + 5 * i;  // localname, prefix, URI, value, end
            std::string& name = name_;
            name.assign(From_xml(a[0]));
            if (a[1]) name.insert(0, From_xml(a[1]) + std::string(":"));
            std::string& value = value_;
            value.assign(From_xml(a[3]), static_cast<std::size_t>(a[4] - a[3]));
            if (value.find('&') != std::string::npos) {
                if (Has_entity_reference(frame, name, value)) continue;
                // Without entity substitution the parser keeps an escaped
                // '&' as a character reference.
                for (std::size_t at; (at = value.find("&#38;")) != std::string::npos;) value.replace(at, 5, "&");
            }
            if (frame.node) last_property = Append_property(frame.node, last_property, name, value);
            Attribute(frame, name, value);
        }
        unsigned long lost = 0;
        if (pass_.Lost(start_tags_, lost)) {
            frame.reports_held += lost;
            frame.failed = true;
        }
        End_of_reports(frame);
    }

    // Appends an attribute to the element as the document wrote it, after
    // the last one appended (libxml2 would walk the list for each).
    static xmlAttr* Append_property(xmlNode* node, xmlAttr* last, const std::string& name, const std::string& value) {
        xmlAttr* property = xmlNewProp(nullptr, To_xml(name.c_str()), To_xml(value.c_str()));
        if (!property) return last;
        property->parent = node;
        property->doc = node->doc;
        if (last) {
            last->next = property;
            property->prev = last;
        } else {
            node->properties = property;
        }
        return property;
    }

    // An attribute value that refers to an entity (the parser keeps the
    // reference as written): refused, and not read.
    bool Has_entity_reference(Frame& frame, const std::string& name, const std::string& value) {
        for (std::size_t at = value.find('&'); at != std::string::npos; at = value.find('&', at + 1)) {
            if (value.compare(at, 2, "&#") == 0) continue;
            const std::size_t end = value.find(';', at);
            Hold_reports(frame, [&] {
                input_.line = frame.line;
                Naming naming(input_, frame.tag.c_str(), name.c_str());
                input_.Error("Entity reference %s is not supported",
                             value.substr(at, end == std::string::npos ? 1 : end - at + 1).c_str());
            });
            frame.failed = true;
            return true;
        }
        return false;
    }

    // Runs what reports about the element's attributes or children: past
    // the first few reports of one element they are counted, not written.
    template <class F>
    void Hold_reports(Frame& frame, F&& reporting) {
        const unsigned before = input_.Error_count();
        const bool report = input_.report_errors;
        if (frame.reports >= Element_reports) input_.report_errors = false;
        reporting();
        input_.report_errors = report;
        const unsigned made = input_.Error_count() - before;
        if (frame.reports >= Element_reports) frame.reports_held += made;
        else frame.reports += made;
    }

    // Says once how many reports of the element were held back.
    void End_of_reports(Frame& frame) {
        if (!frame.reports_held) return;
        Report(input_, frame.line, frame.tag.c_str(), "\xE2\x80\xA6 and %s more",
               Grouped(frame.reports_held).c_str());
        frame.reports_held = 0;
    }

    // The tags an element takes as children: its own, its registry's, and
    // the elements filed under it (the root's).
    std::vector<std::string> Child_tags(const Frame& frame) {
        std::vector<std::string> tags;
        const Info_base* info = frame.state ? frame.state->Descriptor() : &root_;
        if (!info) return tags;
        const Element_description& d = Grammar(*info);
        for (const auto* list : {&d.children, &d.choices})
            for (const Info_base* child : *list) tags.emplace_back(child->Tag());
        return tags;
    }

    // The grammar of an element, made for the first report that needs it
    // (the patterns of every value of the element) and kept for the
    // documents that follow until a descriptor or a registry changes.
    const Element_description& Grammar(const Info_base& info) {
        if (kept_grammars.generation != Descriptions_generation()) {
            kept_grammars.descriptions.clear();
            kept_grammars.generation = Descriptions_generation();
        }
        std::unique_ptr<Element_description>& d = kept_grammars.descriptions[&info];
        if (!d) {
            d = std::make_unique<Element_description>();
            info.Describe(*d);
        }
        return *d;
    }

    // What the element's text or one of its attributes must look like, as
    // ": expected ..." for a report; empty when its descriptor says nothing.
    std::string Expectation(const Frame& frame, const char* attribute) {
        const Info_base* info = frame.state ? frame.state->Descriptor() : nullptr;
        if (!info) return "";
        const Element_description& d = Grammar(*info);
        std::string expected;
        if (!attribute) {
            expected = d.has_text ? Expected(d.text) : "";
        } else {
            for (const auto& [name, value] : d.attributes)
                if (name == attribute) expected = Expected(value);
        }
        return expected.empty() ? "" : ": expected " + expected;
    }

    void Attribute(Frame& frame, const std::string& name, const std::string& value) {
        input_.line = frame.line;
        Naming naming(input_, frame.tag.c_str(), name.c_str());
        Format::Scanner scanner(value.c_str(), &input_);
        Hold_reports(frame, [&] {
            const unsigned before = input_.Error_count();
            const bool ok = frame.state->Attribute(To_xml(name.c_str()), scanner);
            Check_read(frame, scanner, ok, "value", before, name.c_str());
        });
    }

    void Character_data(const char* value, std::size_t n) {
        if (skip_depth_ || frames_.empty()) return;
        Frame& frame = frames_.back();
        if (frame.text_overflow) return;
        // Blanks before any other text are never read: not kept, so that no
        // run of them is too long.
        if (!frame.text_line && Is_blank(value, n)) return;
        if (frame.text.size() + n > Text_limit) {
            Report(input_, frame.line, frame.tag.c_str(), "Text longer than %zu octets", Text_limit);
            frame.text_overflow = true;
            frame.text.clear();
            if (frame.state) frame.failed = true;
            return;
        }
        if (!frame.text_line) {
            std::size_t i = 0;
            int line = line_;
            for (; i < n && Blank(value[i]); ++i)
                if (value[i] == '\n') ++line;
            if (i < n) frame.text_line = line;
        }
        frame.text.append(value, n);
    }

    void Entity_reference(const char* name) {
        if (skip_depth_ || frames_.empty()) return;
        Frame& frame = frames_.back();
        if (++frame.entity_references <= Entity_reports)
            Report(input_, line_, frame.tag.c_str(), "Entity reference &%s; is not supported", name);
        if (frame.state) frame.failed = true;
    }

    // Hands the gathered character data to the state when it is not blank.
    // Reports name the element's first line and quote the text on one line.
    void Flush_text(Frame& frame) {
        if (frame.text.empty()) return;
        std::string& text = flushed_;  // the frame's text, taken out
        text.clear();
        text.swap(frame.text);
        const int text_line = frame.text_line;
        frame.text_line = 0;
        if (Is_blank(text.data(), text.size())) return;
        if (frame.node) xmlNodeAddContentLen(frame.node, To_xml(text.c_str()), static_cast<int>(text.size()));
        if (!frame.state) {  // the document element has no text
            Report(input_, text_line, frame.tag.c_str(), "Unexpected text \"%s\"", Quote(text.c_str()).c_str());
            return;
        }
        input_.line = frame.line;
        Naming naming(input_, frame.tag.c_str());
        Format::Scanner scanner(text.c_str(), &input_);
        const unsigned before = input_.Error_count();
        frame.text_given = true;
        const bool ok = frame.state->Text(scanner);
        Check_read(frame, scanner, ok, "text", before);
    }

    // An element whose value is its text, left empty, is refused as empty
    // attributes are: its text is read as the empty text it is (a value of
    // octets may hold none; a number, a name or a date may not).  Text
    // beside children may be left out: the children say what it would.
    void Check_empty_text(Frame& frame) {
        if (frame.text_given || frame.failed || !frame.state || frame.has_children) return;
        const Info_base* info = frame.state->Descriptor();
        if (!info) return;
        // Whether the element takes text is asked of the descriptor before
        // its grammar is built (the patterns of every value), which only a
        // report needs.
        const auto* record = dynamic_cast<const Record_descriptor*>(info);
        if (record ? !record->Has_text() : !Grammar(*info).has_text) return;
        input_.line = frame.line;
        Naming naming(input_, frame.tag.c_str());
        Format::Scanner scanner("", &input_);
        const unsigned before = input_.Error_count();
        if (frame.state->Text(scanner)) return;
        if (input_.Error_count() == before) {
            const std::string expected = Expected(Grammar(*info).text);
            input_.Error("Empty text%s%s", expected.empty() ? "" : ": expected ", expected.c_str());
        }
        frame.failed = true;
    }

    // After an attribute or the text was read: a refusal that the
    // descriptor did not explain is reported with the text it refused; text
    // left over after a clean read is an error.  A read that was reported
    // but accepted (an attribute on a leaf) lets the element go on.
    void Check_read(Frame& frame, Format::Scanner& scanner, bool ok, const char* what, unsigned errors_before,
                    const char* attribute = nullptr) {
        if (!ok) {
            if (input_.Error_count() == errors_before && !scanner.Report_overlong()) {
                const std::string quoted = Quote(scanner.Text()), expected = Expectation(frame, attribute);
                if (quoted.empty())
                    input_.Error("Empty %s%s", what, expected.c_str());
                else
                    input_.Error("Bad %s \"%s\"%s", what, quoted.c_str(), expected.c_str());
            }
            frame.failed = true;
        } else if (input_.Error_count() == errors_before && scanner.More()) {
            if (!scanner.Report_overlong())
                input_.Error("Unexpected text \"%s\"", Quote(scanner.Rest()).c_str());
            frame.failed = true;
        }
    }

    // An element ends: finalise, run the hooks, commit, delete.
    void End() {
        if (skip_depth_) {
            --skip_depth_;
            return;
        }
        if (frames_.empty()) return;
        Frame& frame = frames_.back();
        Flush_text(frame);
        Check_empty_text(frame);
        End_of_reports(frame);
        if (frame.entity_references > Entity_reports)
            Report(input_, frame.line, frame.tag.c_str(), "%lu more entity references are not supported",
                   frame.entity_references - Entity_reports);
        if (!frame.state) {  // the document element
            frames_.pop_back();
            return;
        }
        bool ok = !frame.failed;
        if (ok) {
            input_.line = frame.line;
            Naming naming(input_, frame.tag.c_str());
            ok = frame.state->Finalize();
            if (ok) {
                // A hook that reports (a value that does not fit its field)
                // refuses the element.
                const unsigned before_hooks = input_.Error_count();
                frame.state->Run_hooks();
                ok = input_.Error_count() == before_hooks && frame.state->Commit();
            }
        }
        if (!ok && input_.Error_count() == frame.errors_at_start)
            Report(input_, frame.line, nullptr, "<%s> refused", frame.tag.c_str());
        if (ok && frame.tree) input_.accepted(frame.tree.release());
        frames_.pop_back();
        // Top-level elements are independent of one another.
        if (!ok && !frames_.empty() && frames_.back().state) frames_.back().failed = true;
    }

    void Drop_open() {
        while (!frames_.empty()) frames_.pop_back();
    }

    const Info_base& root_;
    Input_data& input_;
    std::unique_ptr<xmlParserCtxt, Parser_release> ctxt_;
    Frame_stack frames_;
    int line_ = 1;              // where the last event ended: where the next one starts
    unsigned long skip_depth_ = 0;  // inside an element skipped with its subtree
    bool seen_root_ = false;
    bool wrong_root_ = false;
    bool content_ = false;  // anything but blanks in the input
    bool failed_ = false;   // not well-formed, or unreadable
    bool stopped_ = false;
    bool ending_ = false;   // the input has ended
    bool in_tag_ = false;   // the input so far ends inside a tag
    unsigned long entity_declarations_ = 0;
    Markup_pass pass_;
    unsigned long start_tags_ = 0;  // start tags met so far
    // The tag, and the name and value of an attribute, being read: their
    // room kept from element to element.
    std::string tag_, name_, value_, flushed_;
};

Read_status Read_source(Source& source, const char* url, const Info_base& root, Input_data& input) {
    input.line = 0;
    input.bytes_read = 0;
    input.element = nullptr;
    input.attribute = nullptr;
    Document_reader document(root, input);
    return document.Run(source, url);
}

}  // namespace

Read_status Read_document(const char* path, const Info_base& root, Input_data& input) {
    input.document = path ? path : "-";
    int fd = 0;
    if (path) {
        do {
            fd = ::open(path, O_RDONLY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            const int error = errno;
            input.line = 0;
            Report(input, 0, nullptr, "Cannot open the document: %s", std::strerror(error));
            return Read_status::not_well_formed;
        }
    }
    // Standard input stays open; a document opened here is closed.
    struct Closer {
        int fd;
        bool opened;
        ~Closer() {
            if (opened) ::close(fd);
        }
    } closer{fd, path != nullptr};
    Fd_source source(fd);
    return Read_source(source, path, root, input);
}

Read_status Read_memory(const char* text, std::size_t size, const char* name, const Info_base& root,
                        Input_data& input) {
    input.document = name ? name : "(memory)";
    Memory_source source(text, size);
    // A document in memory has no address: its name is for the reports.
    return Read_source(source, nullptr, root, input);
}

}  // namespace XML_routines
