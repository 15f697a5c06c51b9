// The document reader: streams an input document through libxml2's
// xmlTextReader and drives the parse states of the descriptors filed under
// the root, one element at a time, in bounded memory.
#include "XML_routines.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace XML_routines {
namespace {

const int Reader_options = XML_PARSE_NONET | XML_PARSE_BIG_LINES;
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

// The text of a report quoting input: blanks trimmed, cut when long.
std::string Quote(const char* s) {
    std::size_t begin = 0, end = std::strlen(s);
    while (begin < end && Blank(s[begin])) ++begin;
    while (end > begin && Blank(s[end - 1])) --end;
    std::string q(s + begin, end - begin);
    if (q.size() > Quote_limit) {
        q.resize(Quote_limit);
        q += "...";
    }
    return q;
}

// ---------------------------------------------------------------------------
// Sources.  The reader is fed one piece at a time, each ending just after
// the '>' of an end tag or of an empty-element tag where there is one, so
// that the parser never runs past the end of an element before that element
// has been delivered: a parse error then costs nothing that was complete
// before it.  (Start tags need no cut of their own: a piece may run on past
// them.)
class Source {
public:
    virtual ~Source() = default;
    static int Read(void* context, char* out, int len) { return static_cast<Source*>(context)->Piece(out, len); }
    // Why the source failed, or null.
    virtual const char* Failure() const { return nullptr; }
    // Whether anything but blanks was delivered.
    bool Content() const { return content_; }

protected:
    // Refills data_/size_ (pos_ reset); false at the end, error_ on failure.
    virtual bool Refill() { return false; }
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    bool error_ = false;
    bool content_ = false;

private:
    // How far back the '<' of a tag is looked for; a tag not recognised as
    // a start tag is cut after, which is always safe.
    static constexpr std::size_t Tag_window = 256;

    // Whether the '>' at data_[i] ends an end tag or an empty-element tag
    // (or may do so).
    bool Ends_element(std::size_t i) const {
        if (i > 0 && data_[i - 1] == '/') return true;
        const std::size_t low = i > Tag_window ? i - Tag_window : 0;
        for (std::size_t j = i; j-- > low;)
            if (data_[j] == '<') return j + 1 >= size_ || data_[j + 1] == '/';
        return true;
    }

    int Piece(char* out, int len) {
        if (len <= 0) return 0;
        if (pos_ >= size_ && !Refill()) return error_ ? -1 : 0;
        std::size_t n = size_ - pos_;
        if (n > static_cast<std::size_t>(len)) n = static_cast<std::size_t>(len);
        const char* const begin = data_ + pos_;
        for (const char* from = begin;;) {
            const void* gt = std::memchr(from, '>', n - static_cast<std::size_t>(from - begin));
            if (!gt) break;
            const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(gt) - data_);
            if (Ends_element(at)) {
                n = at + 1 - pos_;
                break;
            }
            from = static_cast<const char*>(gt) + 1;
        }
        if (!content_) content_ = !Is_blank(begin, n);
        std::memcpy(out, begin, n);
        pos_ += n;
        return static_cast<int>(n);
    }
};

class Memory_source : public Source {
public:
    Memory_source(const char* text, std::size_t size) {
        data_ = text;
        size_ = text ? size : 0;
    }
};

class Fd_source : public Source {
public:
    explicit Fd_source(int fd) : fd_(fd), buffer_(64 * 1024) {}

protected:
    bool Refill() override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
            if (n > 0) {
                data_ = buffer_.data();
                size_ = static_cast<std::size_t>(n);
                pos_ = 0;
                return true;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                read_errno_ = errno;
                error_ = true;
            }
            return false;
        }
    }

public:
    const char* Failure() const override { return error_ ? std::strerror(read_errno_) : nullptr; }

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
    input.Verror(format, XML_PARSER_SEVERITY_ERROR, nullptr, args);
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

// What the parser reports while a document is read.
struct Parser_errors {
    Input_data& input;
    const Source& source;
    xmlTextReaderPtr reader = nullptr;
    bool failed = false;        // an error: the document is not well-formed
    std::string generic;        // a message arriving in pieces
    // Where the element cycle stands, for clearer end-of-input reports.
    bool root_seen = false;
    std::size_t open = 0;       // elements started and not ended

    Parser_errors(Input_data& in, const Source& src) : input(in), source(src) {}

    int Line() const {
        const int line = reader ? xmlTextReaderGetParserLineNumber(reader) : 0;
        return line > 0 ? line : input.line;
    }

    // Reports from the parser proper (xmlTextReaderSetErrorHandler).
    static void Reader_error(void* arg, const char* msg, xmlParserSeverities severity, xmlTextReaderLocatorPtr) {
        auto* self = static_cast<Parser_errors*>(arg);
        if (severity == XML_PARSER_SEVERITY_WARNING || severity == XML_PARSER_SEVERITY_VALIDITY_WARNING) return;
        self->failed = true;
        // One line per report.
        std::string text = msg ? msg : "parser error";
        while (!text.empty() && Blank(text.back())) text.pop_back();
        for (char& c : text)
            if (c == '\n' || c == '\r') c = ' ';
        // The push parser's word for input that ends too early.
        if (text == "Extra content at the end of the document" && (!self->root_seen || self->open > 0))
            text = self->root_seen || self->source.Content() ? "Premature end of the document" : "Document is empty";
        Report(self->input, self->Line(), nullptr, "%s", text.c_str());
    }

    // Reports libxml2 makes without a parser context (input/output,
    // encoding): they would go to stderr on their own.
    static void Generic_error(void* arg, const char* msg, ...) {
        auto* self = static_cast<Parser_errors*>(arg);
        char text[1024];
        va_list args;
        va_start(args, msg);
        const int n = std::vsnprintf(text, sizeof text, msg, args);
        va_end(args);
        if (n <= 0) return;
        self->generic.append(text, std::min(static_cast<std::size_t>(n), sizeof text - 1));
        std::size_t end;
        while ((end = self->generic.find('\n')) != std::string::npos) {
            const std::string line = self->generic.substr(0, end);
            self->generic.erase(0, end + 1);
            if (!Is_blank(line.data(), line.size())) Report(self->input, self->Line(), nullptr, "%s", line.c_str());
        }
    }
    void Flush_generic() {
        if (!Is_blank(generic.data(), generic.size())) Report(input, Line(), nullptr, "%s", generic.c_str());
        generic.clear();
    }
};

// Routes libxml2's context-less messages to the parse context while a
// document is read, restoring the previous handler afterwards.
class Generic_trap {
public:
    explicit Generic_trap(Parser_errors& errors)
        : errors_(errors), old_function_(xmlGenericError), old_context_(xmlGenericErrorContext) {
        xmlSetGenericErrorFunc(&errors, &Parser_errors::Generic_error);
    }
    ~Generic_trap() {
        xmlSetGenericErrorFunc(old_context_, old_function_);
        errors_.Flush_generic();
    }
    Generic_trap(const Generic_trap&) = delete;
    Generic_trap& operator=(const Generic_trap&) = delete;

private:
    Parser_errors& errors_;
    xmlGenericErrorFunc old_function_;
    void* old_context_;
};

// ---------------------------------------------------------------------------
// The element cycle.

struct Frame {
    std::unique_ptr<Instance_base> state;  // null for the document element
    std::string tag;
    int line = 0;
    unsigned errors_at_start = 0;
    bool failed = false;
    std::string text;
    int text_line = 0;
    bool text_overflow = false;
};

class Document_reader {
public:
    Document_reader(const Info_base& root, Input_data& input, Parser_errors& errors)
        : root_(root), input_(input), errors_(errors) {}
    // Open states are deleted innermost first, without being finalised.
    ~Document_reader() {
        while (!frames_.empty()) frames_.pop_back();
    }
    Document_reader(const Document_reader&) = delete;
    Document_reader& operator=(const Document_reader&) = delete;

    Read_status Run(xmlTextReaderPtr reader) {
        const unsigned errors_before = input_.Error_count();
        int rc = xmlTextReaderRead(reader);
        while (rc == 1 && !errors_.failed) {
            bool skip = false;
            switch (xmlTextReaderNodeType(reader)) {
            case XML_READER_TYPE_ELEMENT:
                if (!Start(reader, skip)) return Read_status::reported;
                break;
            case XML_READER_TYPE_END_ELEMENT:
                End();
                break;
            case XML_READER_TYPE_TEXT:
            case XML_READER_TYPE_CDATA:
            case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
                Character_data(reader);
                break;
            case XML_READER_TYPE_ENTITY_REFERENCE:
                Entity_reference(reader);
                break;
            default:
                break;
            }
            errors_.root_seen = seen_root_;
            errors_.open = frames_.size();
            rc = skip ? xmlTextReaderNext(reader) : xmlTextReaderRead(reader);
        }
        if (rc < 0 || errors_.failed || !frames_.empty()) {
            if (!errors_.failed) Report(input_, errors_.Line(), nullptr, "Document is not well-formed");
            while (!frames_.empty()) frames_.pop_back();
            return Read_status::not_well_formed;
        }
        if (!seen_root_) {
            Report(input_, errors_.Line(), nullptr, "Document has no element");
            return Read_status::not_well_formed;
        }
        return input_.Error_count() != errors_before ? Read_status::reported : Read_status::ok;
    }

private:
    int Node_line(xmlTextReaderPtr reader) const {
        long line = 0;
        if (xmlNodePtr node = xmlTextReaderCurrentNode(reader)) line = xmlGetLineNo(node);
        if (line <= 0 || line >= 65535) line = errors_.Line();
        return static_cast<int>(line);
    }

    // An element starts; false when it is a document element of the wrong name.
    bool Start(xmlTextReaderPtr reader, bool& skip) {
        const char* tag = From_xml(xmlTextReaderConstName(reader));
        if (!tag) tag = "";
        const int line = Node_line(reader);
        const bool empty = xmlTextReaderIsEmptyElement(reader) == 1;

        if (frames_.empty()) {  // the document element
            seen_root_ = true;
            if (std::strcmp(tag, root_.Tag()) != 0) {
                Report(input_, line, nullptr, "Document element is <%s>, expected <%s>", tag, root_.Tag());
                return false;
            }
            frames_.emplace_back();
            frames_.back().tag = tag;
            frames_.back().line = line;
            if (empty) frames_.pop_back();
            return true;
        }

        Frame& parent = frames_.back();
        Flush_text(parent);
        const unsigned errors_at_start = input_.Error_count();
        input_.line = line;
        Instance_base* state = nullptr;
        {
            Naming naming(input_, tag);
            if (!parent.state) {
                if (const Info_base* info = root_.Find(tag)) state = info->Get_instance(input_);
            } else {
                state = parent.state->Get_subinstance(To_xml(tag));
            }
        }
        if (!state) {
            // A descriptor that refused the child has said why already.
            if (input_.Error_count() == errors_at_start)
                Report(input_, line, nullptr, "Unknown element <%s> in <%s>", tag, parent.tag.c_str());
            if (parent.state) parent.failed = true;
            skip = true;
            return true;
        }

        frames_.emplace_back();
        Frame& frame = frames_.back();
        frame.state.reset(state);
        frame.tag = tag;
        frame.line = line;
        frame.errors_at_start = errors_at_start;
        Attributes(reader, frame);
        if (empty) End();
        return true;
    }

    void Attributes(xmlTextReaderPtr reader, Frame& frame) {
        if (xmlTextReaderHasAttributes(reader) != 1) return;
        while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
            if (xmlTextReaderIsNamespaceDecl(reader) == 1) continue;
            const xmlChar* name = xmlTextReaderConstName(reader);
            const xmlChar* value = xmlTextReaderConstValue(reader);
            const std::string attribute = name ? From_xml(name) : "";
            input_.line = frame.line;
            Naming naming(input_, frame.tag.c_str(), attribute.c_str());
            Format::Scanner scanner(value ? From_xml(value) : "", &input_);
            const unsigned before = input_.Error_count();
            const bool ok = frame.state->Attribute(To_xml(attribute.c_str()), scanner);
            Check_read(frame, scanner, ok, "value", before);
        }
        xmlTextReaderMoveToElement(reader);
    }

    void Character_data(xmlTextReaderPtr reader) {
        if (frames_.empty()) return;
        Frame& frame = frames_.back();
        const char* value = From_xml(xmlTextReaderConstValue(reader));
        if (!value || frame.text_overflow) return;
        const std::size_t n = std::strlen(value);
        if (frame.text.size() + n > Text_limit) {
            Report(input_, Node_line(reader), frame.tag.c_str(), "Text longer than %zu octets", Text_limit);
            frame.text_overflow = true;
            frame.text.clear();
            if (frame.state) frame.failed = true;
            return;
        }
        if (!frame.text_line && !Is_blank(value, n)) frame.text_line = Node_line(reader);
        frame.text.append(value, n);
    }

    void Entity_reference(xmlTextReaderPtr reader) {
        if (frames_.empty()) return;
        Frame& frame = frames_.back();
        const char* name = From_xml(xmlTextReaderConstName(reader));
        Report(input_, Node_line(reader), frame.tag.c_str(), "Entity reference &%s; is not supported",
               name ? name : "");
        if (frame.state) frame.failed = true;
    }

    // Hands the gathered character data to the state when it is not blank.
    void Flush_text(Frame& frame) {
        if (frame.text.empty()) return;
        std::string text;
        text.swap(frame.text);
        const int line = frame.text_line ? frame.text_line : frame.line;
        frame.text_line = 0;
        if (Is_blank(text.data(), text.size())) return;
        if (!frame.state) {  // the document element has no text
            Report(input_, line, frame.tag.c_str(), "Unexpected text \"%s\"", Quote(text.c_str()).c_str());
            return;
        }
        input_.line = line;
        Naming naming(input_, frame.tag.c_str());
        Format::Scanner scanner(text.c_str(), &input_);
        const unsigned before = input_.Error_count();
        const bool ok = frame.state->Text(scanner);
        Check_read(frame, scanner, ok, "text", before);
    }

    // After an attribute or the text was read: a refusal that the
    // descriptor did not explain is reported with the text it refused; text
    // left over after a clean read is an error.  A read that was reported
    // but accepted (an attribute on a leaf) lets the element go on.
    void Check_read(Frame& frame, Format::Scanner& scanner, bool ok, const char* what, unsigned errors_before) {
        if (!ok) {
            if (input_.Error_count() == errors_before)
                input_.Error_handler("Bad %s \"%s\"", XML_PARSER_SEVERITY_ERROR, nullptr, what,
                                     Quote(scanner.Text()).c_str());
            frame.failed = true;
        } else if (input_.Error_count() == errors_before && scanner.More()) {
            input_.Error_handler("Unexpected text \"%s\"", XML_PARSER_SEVERITY_ERROR, nullptr,
                                 Quote(scanner.Rest()).c_str());
            frame.failed = true;
        }
    }

    // An element ends: finalise, run the hooks, commit, delete.
    void End() {
        if (frames_.empty()) return;
        Frame& frame = frames_.back();
        Flush_text(frame);
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
                frame.state->Run_hooks();
                ok = frame.state->Commit();
            }
        }
        if (!ok && input_.Error_count() == frame.errors_at_start)
            Report(input_, frame.line, nullptr, "<%s> refused", frame.tag.c_str());
        frames_.pop_back();
        // Top-level elements are independent of one another.
        if (!ok && !frames_.empty() && frames_.back().state) frames_.back().failed = true;
    }

    const Info_base& root_;
    Input_data& input_;
    Parser_errors& errors_;
    std::deque<Frame> frames_;
    bool seen_root_ = false;
};

struct Reader_free {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

Read_status Read_source(Source& source, const char* url, const Info_base& root, Input_data& input) {
    input.line = 0;
    input.element = nullptr;
    input.attribute = nullptr;
    Parser_errors errors(input, source);
    Generic_trap trap(errors);
    std::unique_ptr<xmlTextReader, Reader_free> reader(
        xmlReaderForIO(&Source::Read, nullptr, &source, url, nullptr, Reader_options));
    if (!reader) {
        Report(input, 0, nullptr, "Cannot read the document");
        return Read_status::not_well_formed;
    }
    errors.reader = reader.get();
    xmlTextReaderSetErrorHandler(reader.get(), &Parser_errors::Reader_error, &errors);
    Read_status status;
    {
        Document_reader document(root, input, errors);
        status = document.Run(reader.get());
    }
    if (const char* failure = source.Failure())
        Report(input, errors.Line(), nullptr, "Cannot read the document: %s", failure);
    if (source.Failure()) status = Read_status::not_well_formed;
    xmlTextReaderSetErrorHandler(reader.get(), nullptr, nullptr);
    return status;
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
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{path ? fd : -1};
    Fd_source source(fd);
    return Read_source(source, path, root, input);
}

Read_status Read_memory(const char* text, std::size_t size, const char* name, const Info_base& root,
                        Input_data& input) {
    input.document = name ? name : "(memory)";
    Memory_source source(text, size);
    return Read_source(source, name, root, input);
}

}  // namespace XML_routines
