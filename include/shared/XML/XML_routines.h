// The XML_routines runtime: the non-template half of the XML binding
// framework.  It lives in its own shared library (libXML_routines) and
// provides the base classes of descriptors and parse states, the value
// printer and scanner, the parse context with its error reporting, the log
// output (filter list, streaming log file) and the document reader.
#ifndef TESSEL_XML_ROUTINES_H
#define TESSEL_XML_ROUTINES_H

#include <libxml/tree.h>
#include <libxml/xmlreader.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "XML_describe.h"
#include "XML_hash.h"
#include "shared/endian.h"

namespace XML_routines {

// Log classes: every logged element carries one; a filter mask is a union.
enum LOGGING_CLASSES : unsigned long {
    Log_Environment = 1,
    Log_RAW = 2,
    Log_protocol_raw = 4,
    Log_protocol_cooked = 8,
    Log_Voice = 16,
    Log_Parametrics = 32,
    Log_Errors = 0x80000000ul,
};

class Input_data;
class Instance_base;
class Info_base;
class Output_file;

namespace Format {

// One printf-style format, split into the literal text before the
// conversion, the conversion itself and the literal text after it.
class format_info {
public:
    format_info(const char* format = "%d");
    const char* Format() const { return format_.c_str(); }
    // A format with a trailing blank ("%02X ") separates the octets of a
    // block; 4-octet records print as such a block under it.
    bool Is_block() const { return block_; }
    char Conversion() const { return conversion_; }
    int Width() const { return width_; }

    const std::string& Prefix() const { return prefix_; }
    const std::string& Suffix() const { return suffix_; }
    const std::string& Flags() const { return flags_; }
    int Precision() const { return precision_; }

    // How the printer writes a value, decided once when the format is read:
    // integers under d, i, u, x and X with at most the flags 0 and - are
    // written by hand; everything else goes through snprintf with the
    // conversion strings made here.
    bool Hand_integer() const { return hand_; }
    bool Left() const { return left_; }
    bool Zero_pad() const { return zero_; }
    const std::string& Printf_unsigned() const { return printf_unsigned_; }
    const std::string& Printf_signed() const { return printf_signed_; }
    const std::string& Printf_double() const { return printf_double_; }

private:
    std::string format_, prefix_, suffix_, flags_;
    int width_ = -1;
    int precision_ = -1;
    char conversion_ = 'd';
    bool block_ = false;
    bool hand_ = false, left_ = false, zero_ = false;
    std::string printf_unsigned_, printf_signed_, printf_double_;
    // The last floating value printed with this format and its text: the
    // source attributes of the elements of one record print one timestamp
    // several times.  (Writing runs on one thread at a time.)
    mutable double last_value_ = 0;
    mutable char last_text_[40] = {};
    mutable unsigned char last_length_ = 0;
    friend class Printer;
};

// The format of this text, read once for every table that prints with it:
// the formats are a few dozen ("%d", "%02X", "%06X" ...) shared by hundreds
// of fields.  Lives as long as the process.
const format_info& Shared_format(const char* format);

// Text of one value (attribute or element text) being written.
class Printer {
public:
    explicit Printer(int initial_size = 0);

    void Print(const char* literal);
    void Print(unsigned char v, const format_info& f);
    void Print(unsigned short v, const format_info& f);
    void Print(unsigned int v, const format_info& f);
    void Print(unsigned long v, const format_info& f);
    void Print(unsigned long long v, const format_info& f);
    void Print(signed char v, const format_info& f);
    void Print(short v, const format_info& f);
    void Print(int v, const format_info& f);
    void Print(long v, const format_info& f);
    void Print(long long v, const format_info& f);
    void Print(double v, const format_info& f);
    void Print(bool v, const format_info& f);
    void Print(const BE_ushort& v, const format_info& f);
    void Print(const BE_24bit& v, const format_info& f);
    // A block: every octet in memory order through the format.
    void Print(const void* block, std::size_t size, const format_info& f);
    // A value that has no name in its enumeration table.
    void Invalid(unsigned long v);

    // Appends the printed text to a node (or to the sink the node stands
    // for while a writing hook runs).
    void Add_content(xmlNode* node);
    void Reset() { length_ = 0; }
    char* Ptr() { return Room(0); }
    const char* Data() const { return buffer_.data(); }
    std::size_t Length() const { return length_; }
    operator const char*();
    const char* c_str() { return *this; }

private:
    void Append(const char* s, std::size_t n);
    char* Room(std::size_t n);
    void Print_signed(long long v, const format_info& f);
    void Print_unsigned(unsigned long long v, const format_info& f);
    void Hand_integer(unsigned long long magnitude, bool negative, const format_info& f);
    std::vector<char> buffer_;
    std::size_t length_ = 0;
};

// Reads values back from the text of an attribute or element.  The scan
// functions return false without reporting; Error reports through the parse
// context and returns false.
class Scanner {
public:
    explicit Scanner(const char* text, Input_data* input = nullptr);

    bool Scan(unsigned char& v, const format_info& f);
    bool Scan(unsigned short& v, const format_info& f);
    bool Scan(unsigned int& v, const format_info& f);
    bool Scan(unsigned long& v, const format_info& f);
    bool Scan(unsigned long long& v, const format_info& f);
    bool Scan(signed char& v, const format_info& f);
    bool Scan(short& v, const format_info& f);
    bool Scan(int& v, const format_info& f);
    bool Scan(long& v, const format_info& f);
    bool Scan(long long& v, const format_info& f);
    bool Scan(double& v, const format_info& f);
    bool Scan(bool& v, const format_info& f);
    bool Scan(BE_ushort& v, const format_info& f);
    bool Scan(BE_24bit& v, const format_info& f);
    bool Scan(void* block, std::size_t size, const format_info& f);

    // The next blank-separated token; empty at the end of the text.
    std::string BiteOffString();
    // Reads back what Printer::Invalid wrote (or a plain decimal number);
    // ok tells whether the token had that form.
    unsigned long Invalid(bool& ok);
    bool More() const;  // non-blank text remains
    std::size_t Save() const { return pos_; }
    std::size_t Reset(std::size_t pos) {
        std::size_t old = pos_;
        pos_ = pos;
        return old;
    }
    const char* Rest() const { return text_.c_str() + pos_; }
    const char* Text() const { return text_.c_str(); }

    bool Error(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    Input_data* Input() const { return input_; }

    // A number as it was written in the document: reports of a value that
    // its field cannot hold quote it, and give the field's largest value in
    // the same base.
    struct Written {
        std::string text;  // sign, "0x" and digits, as in the document
        double value = 0;
        bool hex = false;
        bool set = false;
    };
    // Reports "Value <as written> out of range 0–<max>" and returns false;
    // value is what was read (the written text is quoted when it is the
    // text of this value).
    bool Out_of_range(double value, unsigned long long max);
    // The same for a range given as text.
    bool Out_of_range(double value, const char* range);
    // Reports "Value <as written> cannot be held ..." and returns false.
    bool Not_held(double value, const char* why);
    // After a read that failed or left text behind: when the last number
    // was too big for its type, or stopped at the width of its field while
    // digits followed, reports the whole number as out of range and
    // returns true.
    bool Report_overlong();
    // The last number read, as written.
    const Written& Last_written() const { return written_; }

private:
    void Note_written(std::size_t start, std::size_t end, double value, bool hex);
    void Note_too_big(std::size_t start, std::size_t end, unsigned long long max, bool hex);
    std::string Quote_written(double value) const;
    bool Scan_signed(long long& v, long long lo, long long hi, const format_info& f);
    bool Scan_unsigned(unsigned long long& v, unsigned long long hi, const format_info& f);
    bool Literal(const std::string& lit);
    void Skip_blanks();
    std::string text_;
    std::size_t pos_ = 0;
    Input_data* input_;
    bool exact_width_ = false;  // reading the octets of a block
    Written written_;
    // A number cut at the width of its field with digits following: the
    // whole run of digits and the largest value of the field.
    std::string overlong_;
    unsigned long long overlong_max_ = 0;
    bool overlong_hex_ = false;
};

}  // namespace Format

// Storage of the objects the descriptor tables are built from (links,
// attribute entries, accessors, formats, leaf descriptors): they are made
// once, when the library is loaded, and live as long as it, so they are
// carved out of a few large blocks instead of being allocated one by one.
// Under AddressSanitizer each is allocated on its own, so that an overrun is
// still caught.
void* Table_storage(std::size_t size);
void Table_release(void* object) noexcept;
struct Table_object {
    static void* operator new(std::size_t size) { return Table_storage(size); }
    static void operator delete(void* object) noexcept { Table_release(object); }
};

// A value read out of a record through a get-set object is kept in place,
// aligned for any type, while it is written or read: the operations of the
// tables refuse a larger value type when they are compiled.
constexpr std::size_t Value_room = 128;

// A hook run when a parse state is finalised (copy-back of a value read
// through member functions or bit fields, commit functions).  The state
// owns its hooks.
class Finalize_hook {
public:
    virtual ~Finalize_hook();
    virtual void Hook() = 0;
    void Hook_to(Instance_base& instance);
};

// One link of the sub-element chains of descriptors (XML_subelements.h).
class Subelement_sub_base;

// Receives the entries of an anonymous descriptor being spliced into the
// element that embeds it.
class Subelement_register {
public:
    virtual void Register(Subelement_sub_base* entry) = 0;
    virtual ~Subelement_register();
};

// Where a descriptor writes an element.  Writing walks the descriptors once
// and tells the sink what it meets: an element starts, an attribute, text,
// a finished libxml2 tree, the element ends.  The tree sink builds the
// libxml2 element that Write returns; the stream sink writes the element's
// text straight into the log.
//
// An element with an empty name stands for its contents: its attributes,
// text and children go to the enclosing element.  The writing hooks of a
// descriptor (Write_text, Write_subs) receive an xmlNode*: the element
// itself under the tree sink, a node standing for the stream under the
// stream sink, which Add_children, Printer::Add_content and Sink::For
// recognise (and whatever a hook attaches to it by hand is written too).
class Sink {
public:
    Sink() = default;
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;
    virtual ~Sink();

    // Starts an element; false when it cannot be made (then nothing of it is
    // written and End is not called).
    virtual bool Start(const char* name) = 0;
    // An attribute of the current element: name_length characters of name
    // and length characters of value, each NUL-terminated there.
    virtual void Attribute(const char* name, std::size_t name_length, const char* value, std::size_t length) = 0;
    void Attribute(const char* name, const char* value, std::size_t length) {
        Attribute(name, std::strlen(name), value, length);
    }
    void Attribute(const char* name, const char* value) { Attribute(name, value, std::strlen(value)); }
    // Text of the current element; nothing when length is 0.
    virtual void Text(const char* text, std::size_t length) = 0;
    // A finished element tree, taken over; null is ignored.
    virtual void Node(xmlNode* tree) = 0;
    virtual void End() = 0;
    // The node the writing hooks of the current element receive, and the
    // end of a hook's run (whatever it attached by hand is taken over).
    virtual xmlNode* Hook_node() = 0;
    virtual void Hook_done() = 0;

    // One printer for every value the sink receives, reused.
    Format::Printer& Printer() { return printer_; }

    // The sink a hook node stands for, or null.
    static Sink* Of(const xmlNode* node);
    // The sink a hook node stands for; for any other node, spare made to
    // add to that node.
    static Sink& For(xmlNode* node, class Tree_sink& spare);

protected:
    // Marks a node as standing for this sink.
    void Mark(xmlNode* node);

private:
    Format::Printer printer_;
};

// Builds libxml2 elements: a nameless one is taken apart into the element
// that receives it, as Add_children does.
class Tree_sink : public Sink {
public:
    Tree_sink() = default;
    // Adds to an existing element instead of making a new one.
    explicit Tree_sink(xmlNode* node) { Adopt(node); }
    ~Tree_sink() override;
    Tree_sink& Adopt(xmlNode* node);

    using Sink::Attribute;
    bool Start(const char* name) override;
    void Attribute(const char* name, std::size_t name_length, const char* value, std::size_t length) override;
    void Text(const char* text, std::size_t length) override;
    void Node(xmlNode* tree) override;
    void End() override;
    xmlNode* Hook_node() override;
    void Hook_done() override;

    // The finished element (null when none was made); the caller owns it.
    xmlNode* Take();

private:
    std::vector<xmlNode*> open_;
    xmlNode* adopted_ = nullptr;
    xmlNode* done_ = nullptr;
};

// Writes elements as the log's text, exactly as libxml2 dumps the same tree
// at level 1 with formatting (two blanks a level, "/>" for an empty
// element, no formatting inside an element that has text, attribute values
// and text escaped).  What it cannot write without seeing the whole tree
// first (an attribute or text that reaches an element after its children,
// a nameless element at the top) marks the element for the tree path.
class Stream_sink : public Sink {
public:
    Stream_sink();
    ~Stream_sink() override;

    using Sink::Attribute;
    bool Start(const char* name) override;
    void Attribute(const char* name, std::size_t name_length, const char* value, std::size_t length) override;
    void Text(const char* text, std::size_t length) override;
    void Node(xmlNode* tree) override;
    void End() override;
    xmlNode* Hook_node() override;
    void Hook_done() override;

    // Drops what was written; the next element starts at the top level.
    void Clear();
    // Starts the next top-level element after what was written, and drops
    // that element again.
    void Begin();
    void Rewind();
    // The text of the top-level elements written since Clear, each
    // indented as a child of the root and ended by a newline.
    const char* Data() const { return out_.data(); }
    std::size_t Size() const { return length_; }
    std::string Output() const { return std::string(out_.data(), length_); }
    std::size_t Capacity() const { return out_.size(); }
    unsigned long Elements() const { return elements_; }
    // The element begun last, as written so far.
    std::string_view Last() const { return {out_.data() + mark_, length_ - mark_}; }
    // Whether an element needs the tree path.
    bool Irregular() const { return irregular_; }

private:
    struct Frame {
        const char* name;
        std::size_t name_length;
        bool nameless;
        bool open_tag;       // "<name ..." written, ">" not yet
        bool children;       // an element child was written
        bool text;           // text was written
        bool format;         // formatting inside the element
        int level;
    };
    Frame* Target();
    void Close_tag(Frame& f);
    void Indent(int level);
    void Escaped(const char* s, std::size_t n, bool attribute);
    void Walk(xmlNode* tree);
    void Drain_hook() {
        if (hook_ && (hook_->properties || hook_->children)) Drain_hook_slow();
    }
    void Drain_hook_slow();
    char* Room(std::size_t n) {
        if (length_ + n > out_.size()) Grow(n);
        return out_.data() + length_;
    }
    void Grow(std::size_t n);
    void Put(const char* s, std::size_t n) {
        std::memcpy(Room(n), s, n);
        length_ += n;
    }
    void Put(char c) {
        *Room(1) = c;
        ++length_;
    }

    std::vector<Frame> frames_;
    std::vector<char> out_;
    std::size_t length_ = 0;
    std::size_t mark_ = 0;
    unsigned long elements_mark_ = 0;
    unsigned long elements_ = 0;
    bool irregular_ = false;
    xmlNode* hook_ = nullptr;
};

// What a descriptor describes (Describe: its attributes, text, children and
// choices) changes only when descriptors are made, filed, unfiled or
// destroyed, or when a registry a description lists changes: each such change
// counts here, so that descriptions kept by a reader are made again after one.
void Descriptions_changed();
unsigned long Descriptions_generation();

// Base of every descriptor: the tag name and the descriptors filed under it.
// A descriptor named by a path "/Root/Tag" files itself, under "Tag", in the
// root descriptor named "/Root", whichever of the two is built first.
class Info_base {
public:
    explicit Info_base(const char* name);
    Info_base(const Info_base&) = delete;
    Info_base& operator=(const Info_base&) = delete;
    virtual ~Info_base();
    virtual Instance_base* Get_instance(Input_data& input) const;
    virtual void Dump_elements(int level) const;
    virtual void Subregister(Subelement_register& reg) const;
    // The element's grammar (tag and filed descriptors here).
    virtual void Describe(Element_description& d) const;

    const char* Name() const { return name_; }
    // The element tag: the last component of a path name.
    const char* Tag() const;
    void Register_sub(const Info_base& sub) const;
    void Unregister_sub(const Info_base& sub) const;
    const Info_base* Find(const xmlChar* tag) const;
    const Info_base* Find(const char* tag) const { return Find(To_xml(tag)); }
    bool Has_subs() const { return subs_ && !subs_->list.empty(); }
    // Filed descriptors in filing order.
    const std::vector<const Info_base*>& Subs() const;

protected:
    void Dump_subs(int level) const;

private:
    const char* name_;
    // The descriptors filed here, in filing order and by tag: made when the
    // first is filed (a root has a few dozen; most descriptors none).
    struct Filed_subs {
        static constexpr unsigned expected = 64;  // room made at once
        std::vector<const Info_base*> list;
        Hash<Info_base> by_tag{0, nullptr, expected};
    };
    mutable std::unique_ptr<Filed_subs> subs_;
    mutable const Info_base* filed_in_ = nullptr;
    // The next descriptor waiting for its root, while this one waits.
    mutable const Info_base* next_pending_ = nullptr;
    friend struct Info_registry;
};

// Base of every parse state: one per element being read.
class Instance_base {
public:
    explicit Instance_base(Input_data& input) : input_(input) {}
    Instance_base(const Instance_base&) = delete;
    Instance_base& operator=(const Instance_base&) = delete;
    virtual ~Instance_base();
    virtual Instance_base* Get_subinstance(const xmlChar* tag) const = 0;
    virtual bool Attribute(const xmlChar* name, Format::Scanner& scanner) = 0;
    virtual bool Text(Format::Scanner& scanner) = 0;
    virtual bool Finalize() = 0;
    virtual bool Commit() = 0;
    // Reads every attribute of a tree node through Attribute; false when
    // any of them was refused.
    virtual bool Read_attribs(xmlNode* node);
    virtual const char* Name() const = 0;
    // The element's descriptor, for reports that say what the element takes
    // (its text, its attributes, its children); null when there is none.
    virtual const Info_base* Descriptor() const { return nullptr; }

    Input_data& Input() const { return input_; }
    // Reports a refusal of the element's structure (a child repeated,
    // missing or out of place) on its own, without naming an element or
    // attribute before it, and returns false.
    bool Refuse(const char* format, ...) const
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void Add_hook(Finalize_hook* hook);
    // Runs the attached hooks, in the order they were attached.
    void Run_hooks();

protected:
    Input_data& input_;

private:
    std::vector<std::unique_ptr<Finalize_hook>> hooks_;
};

// The log filter: a class mask per physical channel 0..256, every class
// enabled at start.
class FilterList {
public:
    static constexpr unsigned Channels = 257;
    FilterList();
    bool Check(unsigned long log_class, unsigned channel) const;
    // Channel-less elements are kept when any channel enables their class.
    bool Check_any(unsigned long log_class) const;
    std::uint32_t& operator[](unsigned channel);
    std::uint32_t operator[](unsigned channel) const;
    // Announces that a list was written; lists that follow the output file's
    // list (the input data's) pick the change up on their next use.
    static void Changed();
    static unsigned long Generation();

private:
    std::uint32_t masks_[Channels];
};

// The log document, streamed: the XML declaration and the root element are
// written when the file is opened, each element as it is logged, and the
// root is closed by Close (or the destructor).
class Output_file {
public:
    explicit Output_file(std::FILE* stream, bool owns_stream = false);
    static std::unique_ptr<Output_file> Open(const char* path);
    ~Output_file();

    // Writes the element of the record straight into the log through the
    // descriptor's Write to a sink; an element the stream cannot write
    // exactly is built as a tree and appended instead.
    template <class T, class D>
    void Write(const T& record, const D& descriptor) {
        if (!Writable()) return;
        descriptor.Write(record, Stream());
        if (Stream_done()) return;
        if (xmlNode* node = descriptor.Write(record)) Write_node(node);
    }
    // The log that XML_Log hands an element of this class (and channel)
    // to: the current log when its filter keeps the element, else null.
    static Output_file* For(unsigned long log_class, unsigned channel);
    static Output_file* For(unsigned long log_class);
    // Appends an element and frees it.  A tag that is a path "/Root/X" is
    // written as X; a nameless node contributes its children.
    void Write_node(xmlNode* node);
    void Flush();
    // Writes the end of the root and closes the stream (when owned); false
    // when any write, flush or close of the log failed.
    bool Close();
    // The first write error of the log (an errno value), or 0.
    int Error() const { return error_; }
    unsigned long Elements_written() const { return written_ + (sink_ ? sink_->Elements() : 0); }

    FilterList& Filters() { return filters_; }
    const FilterList& Filters() const { return filters_; }

    // The log that XML_Log hands elements to; null drops them.
    static Output_file* Current();
    static void Set_current(Output_file* file);

private:
    bool Writable() const { return !closed_ && stream_; }
    // The stream sink, ready for the next element; the elements it wrote
    // are kept until enough of them are there, or until the tree path, a
    // flush or the end of the log.
    Stream_sink& Stream();
    // False (and the element dropped) when the element needs the tree path.
    bool Stream_done();
    void Drain();
    void Write_one(xmlNode* node);
    std::unique_ptr<Stream_sink> sink_;
    void Check_stream(int result);
    std::FILE* stream_;
    bool owns_;
    bool closed_ = false;
    int error_ = 0;
    unsigned long written_ = 0;
    FilterList filters_;
    xmlBufferPtr buffer_;
};

// Parse context of one input document.
class Input_data {
public:
    explicit Input_data(Output_file* output = nullptr);

    bool trace = false;          // "Start processing" / "End processing" lines
    bool report_errors = true;   // print reports on stderr
    bool report_notes = true;    // print notes (reports of severity note_severity) on stderr
    // When set, the reader hands over each element below the root that was
    // accepted (finalized and committed), after its commit, as the document
    // wrote it: its attributes, its text and its children, blank text
    // between children left out.  The callee owns the node.
    std::function<void(xmlNode* element)> accepted;

    Output_file* Output() const { return output_; }
    void Set_output(Output_file* output) { output_ = output; }
    // The input filter list: follows the output file's list when there is one.
    FilterList& Filters();

    // A report of this severity is a note: something read that gives
    // nothing, said as such and not counted as an error.
    static constexpr int note_severity = 0;
    // Any other severity is an error, counted and kept as the last one; the
    // tables report theirs with this one, as the parser reports its own.
    static constexpr int error_severity = XML_PARSER_SEVERITY_ERROR;
    void Error_handler(const char* format, int severity, void* locator, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 5)))
#endif
        ;
    void Verror(const char* format, int severity, void* locator, va_list args);
    // An error of the tables: Error_handler at the error severity, no locator.
    void Error(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    unsigned Error_count() const { return errors_; }
    const std::string& Last_error() const { return last_error_; }

    // The last number read from the document, as written (see
    // Format::Scanner::Written): a value stored back when its element ends
    // is quoted as written.
    Format::Scanner::Written written;

    // Where the reader stands; error reports name them.
    unsigned long long bytes_read = 0;  // octets of the document read so far
    std::string document = "-";
    int line = 0;
    const char* element = nullptr;
    const char* attribute = nullptr;

private:
    Output_file* output_;
    FilterList filters_;
    unsigned long generation_ = ~0ul;
    unsigned errors_ = 0;
    std::string last_error_;
};

// Hands a finished log element to the current log, which keeps it when its
// filter enables the class on the channel.  Takes the node over, null too.
void XML_Log(xmlNode*& node, unsigned int channel, const unsigned long& log_class);
void XML_Log(xmlNode*& node, const unsigned long& log_class);

// Appends child to parent; null is ignored; a nameless child gives its own
// children instead.
void Add_children(xmlNode* parent, xmlNode* child);

// printf to standard output, indented by level.
void indent_printf(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Outcome of reading one input document.
enum class Read_status { ok = 0, reported = 1, not_well_formed = 2 };

// Reads an input document (null path: standard input) and drives the
// descriptors filed under root for each element below the document root.
Read_status Read_document(const char* path, const Info_base& root, Input_data& input);
Read_status Read_memory(const char* text, std::size_t size, const char* name, const Info_base& root,
                        Input_data& input);

}  // namespace XML_routines

// Info<void>: a descriptor without a record, a root under which others are
// filed.
namespace XML_routines {
template <class T>
class Info;
template <>
class Info<void> : public Info_base {
public:
    explicit Info(const char* name) : Info_base(name) {}
};
}  // namespace XML_routines

#endif
