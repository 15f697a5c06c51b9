// SmartZone control channel: the word assemblers and the opcode registries.
//
// 3600-baud words are assembled per physical channel (0-3) and direction
// into messages of one to three words (OSW_log, ISW_log).  A message is
// decoded by the handler registered under the command (OSW) or type (ISW) of
// its last word and its length in words; some handlers refine the choice by
// a further field (status opcode, extended-function expander, payload).
// Every message definition is one static handler: a descriptor of the
// message's packed word layout that files itself in the tables at load
// time, and under the "Smartzone_osw" / "Smartzone_isw" element so that an
// input document can name it.  A registration that collides or falls out of
// range stops the load: only a wrong catalogue can cause one.
#ifndef TESSEL_SMARTZONE_PROCESSING_H
#define TESSEL_SMARTZONE_PROCESSING_H

#include <cstdio>
#include <initializer_list>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "shared/P25/Smartzone_messages.h"
#include "shared/XML/XML_info.h"

// A registry invariant, checked at load in every build: a violation aborts
// with the condition, the file and the function.
#define SMARTZONE_CHECK_TEXT(condition, text) \
    ((condition) ? void(0) : ::Smartzone::Registration_failed(text, __FILE__, __LINE__, __PRETTY_FUNCTION__))
#define SMARTZONE_CHECK(condition) SMARTZONE_CHECK_TEXT(condition, #condition)

namespace Smartzone {

// Reports a broken registry invariant as a failed assertion and aborts.
[[noreturn]] void Registration_failed(const char* condition, const char* file, unsigned line, const char* function);

// Handlers filed by key and word count.  Each slot is one octet naming one
// of the table's handlers, so the outbound table (1,024 commands, three word
// counts) takes 5 kB, not 24 kB of pointers: the handlers file themselves at
// load, here and there across the keys, and every page a table spans is
// touched then.
template <class H, unsigned Keys, unsigned Sizes = 1>
class Handler_table {
public:
    static constexpr unsigned keys = Keys, sizes = Sizes;

    // The slots of one key: table[key][size].
    struct Row {
        const Handler_table& table;
        unsigned key;
        H* operator[](unsigned size) const { return table.At(key, size); }
    };
    Row operator[](unsigned key) const { return {*this, key}; }
    H* At(unsigned key, unsigned size = 0) const { return handlers_[slot_[key][size]]; }

    // Files handler in a slot; null empties it.
    void File(unsigned key, unsigned size, H* handler) {
        std::uint8_t index = 0;
        if (handler) {
            while (index < count_ && handlers_[index] != handler) ++index;
            if (index == count_) {
                SMARTZONE_CHECK(count_ < capacity);
                handlers_[count_++] = handler;
            }
        }
        slot_[key][size] = index;
    }

private:
    static constexpr unsigned capacity = 256;
    std::uint8_t slot_[Keys][Sizes] = {};
    H* handlers_[capacity] = {};  // [0] is none
    unsigned count_ = 1;
};

// A run of commands a handler is filed under: first to last.
struct Command_range {
    unsigned first, last;
};

// The descriptor of a message's words: the tables of its word layout, and
// the definition (of handler type H) it belongs to, which an element found
// by its tag reaches.
template <class H>
class Word_descriptor final : public XML_routines::Table_descriptor {
public:
    template <class T, std::size_t N>
    Word_descriptor(const H& handler, const char* name, XML_routines::Subelement_table<T> (&table)[N])
        : Table_descriptor(name, static_cast<const XML_routines::Attrib::Attrib_Hash<T>*>(nullptr), table),
          handler_(handler) {}
    const H& Handler() const { return handler_; }

private:
    const H& handler_;
};

// ---- outbound -------------------------------------------------------------------------------

class Smartzone_OSW_opcode_base {
public:
    static constexpr unsigned commands = 1024;
    static constexpr unsigned sizes = 3;

    Smartzone_OSW_opcode_base() = default;
    Smartzone_OSW_opcode_base(const Smartzone_OSW_opcode_base&) = delete;
    Smartzone_OSW_opcode_base& operator=(const Smartzone_OSW_opcode_base&) = delete;

    // The handler that decodes this message: itself, or one filed under a
    // further field of the message.
    virtual const Smartzone_OSW_opcode_base& Find_specific(const OSW_log&) const { return *this; }
    // Adds the message's element to the "Smartzone_osw" element.
    virtual void Write_subs(const OSW_log&, xmlNode*) const {}
    virtual ~Smartzone_OSW_opcode_base();
    virtual unsigned Word_count() const { return 0; }
    // The parse state of the message element, filling the log's words.
    virtual XML_routines::Instance_base* Get_instance(XML_routines::Input_data& input, OSW_log& log) const = 0;
    virtual const char* Name() const = 0;

    // Files the handler under id for its word count.
    void Register(OSW_IDS id);
    // Files the handler's element under "Smartzone_osw".
    void Register(const XML_routines::Info_base& info);

    static const Smartzone_OSW_opcode_base& Find(const OSW_log& log);
    static bool Is_doubleword(unsigned id) { return id < commands && table.At(id, 1); }
    static bool Is_tripleword(unsigned id) { return id < commands && table.At(id, 2); }
    static bool Is_multiword(unsigned id) { return Is_doubleword(id) || Is_tripleword(id); }

    static Handler_table<Smartzone_OSW_opcode_base, commands, sizes> table;
    // Messages no handler is filed for: one "OSW" element per word.
    static const Smartzone_OSW_opcode_base& generic;

protected:
    // Takes the handler out of every slot of the table and its element out
    // of "Smartzone_osw".
    void Unfile(const XML_routines::Info_base& info);
};

// One message definition: T is its word layout, 4 bytes a word.
template <class T>
class Smartzone_OSW_opcode : public Smartzone_OSW_opcode_base {
    static_assert(sizeof(T) % 4 == 0 && sizeof(T) / 4 >= 1 && sizeof(T) / 4 <= 3, "a message is 1 to 3 words");

public:
    static constexpr unsigned words = sizeof(T) / 4;

    // Filed under one command.
    template <std::size_t N>
    Smartzone_OSW_opcode(const char* name, XML_routines::Subelement_table<T> (&table)[N], OSW_IDS id)
        : descriptor_(*this, name, table), command_(id) {
        Smartzone_OSW_opcode_base::Register(id);
        Smartzone_OSW_opcode_base::Register(descriptor_);
    }
    // Filed under runs of commands.
    template <std::size_t N>
    Smartzone_OSW_opcode(const char* name, XML_routines::Subelement_table<T> (&table)[N],
                         std::initializer_list<Command_range> ranges)
        : descriptor_(*this, name, table), command_(static_cast<int>(ranges.begin()->first)) {
        for (const Command_range& r : ranges)
            for (unsigned id = r.first; id <= r.last; ++id) Smartzone_OSW_opcode_base::Register(OSW_IDS(id));
        Smartzone_OSW_opcode_base::Register(descriptor_);
    }
    // Filed by a second-level registry.
    template <std::size_t N>
    Smartzone_OSW_opcode(const char* name, XML_routines::Subelement_table<T> (&table)[N])
        : descriptor_(*this, name, table) {
        Smartzone_OSW_opcode_base::Register(descriptor_);
    }
    ~Smartzone_OSW_opcode() override { Unfile(descriptor_); }

    const char* Name() const override { return descriptor_.Name(); }
    unsigned Word_count() const override { return words; }

    void Write_subs(const OSW_log& log, xmlNode* node) const override {
        XML_routines::Add_children(node, descriptor_.Write_tree(&log.words));
    }

    // The words of an element read from a document start as the assembler
    // would have them: a first word FIRST_WORD1, the second word of three
    // TRIPLE_WORD, the last word the handler's command; fields then
    // overwrite what they show.
    XML_routines::Instance_base* Get_instance(XML_routines::Input_data& input, OSW_log& log) const override {
        log.count = words;
        if (words >= 2) log.Word(0).Set_command(FIRST_WORD1);
        if (words == 3) log.Word(1).Set_command(TRIPLE_WORD);
        if (command_ >= 0) log.Word(words - 1).Set_command(static_cast<unsigned>(command_));
        T& message = reinterpret_cast<T&>(log.words);
        Key(message);
        return descriptor_.State(input, &message);
    }

protected:
    const XML_routines::Record_descriptor& Descriptor() const { return descriptor_; }
    // Sets the fields a second-level registry files the handler under.
    virtual void Key(T&) const {}

private:
    Word_descriptor<Smartzone_OSW_opcode_base> descriptor_;

protected:
    int command_ = OSW_INVALID;
};

// System status words (959, 960): refined by the status opcode.
class Smartzone_status_basic : public Smartzone_OSW_opcode<Status_word> {
public:
    template <std::size_t N>
    Smartzone_status_basic(const char* name, XML_routines::Subelement_table<Status_word> (&fields)[N],
                           std::initializer_list<Command_range> ranges)
        : Smartzone_OSW_opcode<Status_word>(name, fields, ranges) {}
    const Smartzone_OSW_opcode_base& Find_specific(const OSW_log& log) const override;

    static void Register(unsigned opcode, Smartzone_OSW_opcode_base& handler);
    static void Unregister(unsigned opcode, const Smartzone_OSW_opcode_base& handler);
    static Smartzone_OSW_opcode_base* table[8];
};

// A status word of one status opcode.
template <class T>
class Smartzone_status : public Smartzone_OSW_opcode<T> {
public:
    template <std::size_t N>
    Smartzone_status(const char* name, XML_routines::Subelement_table<T> (&fields)[N], unsigned opcode)
        : Smartzone_OSW_opcode<T>(name, fields), opcode_(opcode) {
        Smartzone_status_basic::Register(opcode, *this);
    }
    ~Smartzone_status() override { Smartzone_status_basic::Unregister(opcode_, *this); }

protected:
    void Key(T& message) const override {
        message.w0.Set_command(SYSTEM_STATUS_AMSS);
        GetSet_bf_status_opcode<T, unsigned>().Set(opcode_, message);
    }

private:
    unsigned opcode_;
};

// Extended functions (779): two-word ones refined by the expander of w1,
// three-word ones by the expander of w2.
class Smartzone_extended_generic : public Smartzone_OSW_opcode<Extended_function> {
public:
    using Smartzone_OSW_opcode<Extended_function>::Smartzone_OSW_opcode;
    const Smartzone_OSW_opcode_base& Find_specific(const OSW_log& log) const override;
    static Smartzone_OSW_opcode_base* table[64];
};
class Smartzone_extended3_generic : public Smartzone_OSW_opcode<Extended_function3> {
public:
    using Smartzone_OSW_opcode<Extended_function3>::Smartzone_OSW_opcode;
    const Smartzone_OSW_opcode_base& Find_specific(const OSW_log& log) const override;
    static Smartzone_OSW_opcode_base* table[64];
};

// Files an outbound extended function by its word count (2 or 3); other
// counts are not filed.
void Register_extended(unsigned op, Smartzone_OSW_opcode_base& handler);
void Unregister_extended(unsigned op, const Smartzone_OSW_opcode_base& handler);

// The expander of an extended-function word.
inline unsigned Expander(const Extended_function_word& w) { return GetSet_bf_expander<Extended_function_word, unsigned>().Get(w); }
inline unsigned Payload(const Extended_function_word& w) { return GetSet_bf_ext_payload<Extended_function_word, unsigned>().Get(w); }

// One extended function: T's last word carries EXTENDED_FUNCTION and the
// expander op.
template <class T>
class Smartzone_extended : public Smartzone_OSW_opcode<T> {
public:
    template <std::size_t N>
    Smartzone_extended(const char* name, XML_routines::Subelement_table<T> (&fields)[N], EXTENDED_FUNCTION_OPCODES op)
        : Smartzone_OSW_opcode<T>(name, fields), op_(op) {
        Register_extended(op, *this);
    }
    ~Smartzone_extended() override { Unregister_extended(op_, *this); }

protected:
    void Key(T& message) const override {
        OSW_generic& last = reinterpret_cast<OSW_generic*>(&message)[Smartzone_OSW_opcode<T>::words - 1];
        last.Set_command(EXTENDED_FUNCTION);
        GetSet_bf_expander<Extended_function_word, unsigned>().Set(op_, last.ext);
    }

private:
    unsigned op_;
};

// Acknowledgements (extended function 9): refined by the payload of w1.
class Smartzone_ack_generic : public Smartzone_extended<Extended_function> {
public:
    using Smartzone_extended<Extended_function>::Smartzone_extended;
    const Smartzone_OSW_opcode_base& Find_specific(const OSW_log& log) const override;
    static Handler_table<Smartzone_OSW_opcode_base, 1024> table;
};

// ---- inbound --------------------------------------------------------------------------------

class Smartzone_ISW_opcode_base {
public:
    static constexpr unsigned types = 32;
    static constexpr unsigned sizes = 3;

    Smartzone_ISW_opcode_base() = default;
    Smartzone_ISW_opcode_base(const Smartzone_ISW_opcode_base&) = delete;
    Smartzone_ISW_opcode_base& operator=(const Smartzone_ISW_opcode_base&) = delete;

    virtual const Smartzone_ISW_opcode_base& Find_specific(const ISW_log&) const { return *this; }
    virtual void Write_subs(const ISW_log&, xmlNode*) const {}
    virtual ~Smartzone_ISW_opcode_base();
    virtual unsigned Word_count() const { return 0; }
    virtual XML_routines::Instance_base* Get_instance(XML_routines::Input_data& input, ISW_log& log) const = 0;
    virtual const char* Name() const = 0;

    void Register(ISW_types id);
    void Register(const XML_routines::Info_base& info);

    static const Smartzone_ISW_opcode_base& Find(const ISW_log& log);

    static Smartzone_ISW_opcode_base* table[types][sizes];
    // Messages no handler is filed for: one "ISW" element per word.
    static const Smartzone_ISW_opcode_base& generic;

protected:
    void Unfile(const XML_routines::Info_base& info);
};

// One inbound message definition: T is its word layout, 3 bytes a word.
template <class T>
class Smartzone_ISW_opcode : public Smartzone_ISW_opcode_base {
    static_assert(sizeof(T) % 3 == 0 && sizeof(T) / 3 >= 1 && sizeof(T) / 3 <= 3, "a message is 1 to 3 words");

public:
    static constexpr unsigned words = sizeof(T) / 3;

    template <std::size_t N>
    Smartzone_ISW_opcode(const char* name, XML_routines::Subelement_table<T> (&table)[N], ISW_types id)
        : descriptor_(*this, name, table), type_(id) {
        Smartzone_ISW_opcode_base::Register(id);
        Smartzone_ISW_opcode_base::Register(descriptor_);
    }
    template <std::size_t N>
    Smartzone_ISW_opcode(const char* name, XML_routines::Subelement_table<T> (&table)[N])
        : descriptor_(*this, name, table) {
        Smartzone_ISW_opcode_base::Register(descriptor_);
    }
    ~Smartzone_ISW_opcode() override { Unfile(descriptor_); }

    const char* Name() const override { return descriptor_.Name(); }
    unsigned Word_count() const override { return words; }

    void Write_subs(const ISW_log& log, xmlNode* node) const override {
        XML_routines::Add_children(node, descriptor_.Write_tree(&log.words));
    }

    // A first word of two is ISW_FIRST; the last word carries the handler's type.
    XML_routines::Instance_base* Get_instance(XML_routines::Input_data& input, ISW_log& log) const override {
        log.count = words;
        if (words >= 2) log.Word(0).Set_type(ISW_FIRST);
        if (type_ >= 0) log.Word(words - 1).Set_type(static_cast<unsigned>(type_));
        T& message = reinterpret_cast<T&>(log.words);
        Key(message);
        return descriptor_.State(input, &message);
    }

protected:
    const XML_routines::Record_descriptor& Descriptor() const { return descriptor_; }
    virtual void Key(T&) const {}

private:
    Word_descriptor<Smartzone_ISW_opcode_base> descriptor_;

protected:
    int type_ = ISW_INVALID;
};

// Inbound extended requests (type 11): refined by the expander of w1.
class Smartzone_extended_generic_isw : public Smartzone_ISW_opcode<isw_extended> {
public:
    using Smartzone_ISW_opcode<isw_extended>::Smartzone_ISW_opcode;
    const Smartzone_ISW_opcode_base& Find_specific(const ISW_log& log) const override;
    static Smartzone_ISW_opcode_base* table[64];
};

void Register_extended(unsigned op, Smartzone_ISW_opcode_base& handler);
void Unregister_extended(unsigned op, const Smartzone_ISW_opcode_base& handler);

// Type-2 requests (inbound extended functions 9 and 41): refined by the
// payload of w1.
class Smartzone_req_generic : public Smartzone_ISW_opcode<isw_req> {
public:
    template <std::size_t N>
    Smartzone_req_generic(const char* name, XML_routines::Subelement_table<isw_req> (&fields)[N],
                          std::initializer_list<unsigned> expanders)
        : Smartzone_ISW_opcode<isw_req>(name, fields) {
        for (unsigned op : expanders) Register_extended(op, *this);
    }
    ~Smartzone_req_generic() override;
    const Smartzone_ISW_opcode_base& Find_specific(const ISW_log& log) const override;

    static void Register(unsigned payload, Smartzone_ISW_opcode_base& handler);
    static void Unregister(unsigned payload, const Smartzone_ISW_opcode_base& handler);
    static Handler_table<Smartzone_ISW_opcode_base, 1024> table;

protected:
    void Key(isw_req& message) const override;
};

// One type-2 request: extended type, expander 9, payload N.
template <unsigned N, class T>
class Smartzone_req : public Smartzone_ISW_opcode<T> {
public:
    template <std::size_t M>
    Smartzone_req(const char* name, XML_routines::Subelement_table<T> (&fields)[M]) : Smartzone_ISW_opcode<T>(name, fields) {
        Smartzone_req_generic::Register(N, *this);
    }
    ~Smartzone_req() override { Smartzone_req_generic::Unregister(N, *this); }

protected:
    void Key(T& message) const override {
        message.w1.Set_type(ISW_EXTENDED);
        GetSet_bf_expander<Extended_function_word, unsigned>().Set(TYPE_I_II_ACKS, message.w1.ext);
        GetSet_bf_ext_payload<Extended_function_word, unsigned>().Set(N, message.w1.ext);
    }
};

// ---- assembly ---------------------------------------------------------------------------------

// Collects one stream's outbound words into messages.  Words wait while a
// longer message may follow: a first word (FIRST_WORD1/2, a channel number,
// an unknown command) for its second word, a first word and TRIPLE_WORD for
// the third.
class OSW_assembler {
public:
    void Feed(const P25::Smartnet_data_log& record) { (this->*state_)(record); }
    void Err(const P25::Smartnet_data_log& record);
    void Tout(const P25::Smartnet_data_log& record);
    bool Waiting() const { return state_ != &OSW_assembler::Init; }
    const OSW_log& Held() const { return log_; }

private:
    using State = void (OSW_assembler::*)(const P25::Smartnet_data_log&);
    void Init(const P25::Smartnet_data_log& record);
    void Word_0(const P25::Smartnet_data_log& record);
    void Word_1(const P25::Smartnet_data_log& record);
    void Save(unsigned k, const P25::Smartnet_data_log& record);
    void Dispatch();
    void Close(const P25::Smartnet_data_log& record, const XML_routines::Info<P25::Smartnet_data_log>& info);

    OSW_log log_{};
    State state_ = &OSW_assembler::Init;
};

// Collects one stream's inbound words: ISW_FIRST waits for the next word.
class ISW_assembler {
public:
    void Feed(const P25::Smartnet_data_log& record) { (this->*state_)(record); }
    void Err(const P25::Smartnet_data_log& record);
    void Tout(const P25::Smartnet_data_log& record);
    bool Waiting() const { return state_ != &ISW_assembler::Init; }
    const ISW_log& Held() const { return log_; }

private:
    using State = void (ISW_assembler::*)(const P25::Smartnet_data_log&);
    void Init(const P25::Smartnet_data_log& record);
    void Double(const P25::Smartnet_data_log& record);
    void Save(unsigned k, const P25::Smartnet_data_log& record);
    void Dispatch();
    void Close(const P25::Smartnet_data_log& record, const XML_routines::Info<P25::Smartnet_data_log>& info);

    ISW_log log_{};
    State state_ = &ISW_assembler::Init;
};

// The banks: [physical channel][0 transmitted, 1 received].
extern OSW_assembler osw_assemblers[4][2];
extern ISW_assembler isw_assemblers[4][2];

// ---- descriptors ------------------------------------------------------------------------------

// "/P25_log_data/Smartzone_osw" and "/P25_log_data/Smartzone_isw": the
// source attributes of the first word, then the message element.  Built on
// first use, so that handlers of any module can file their elements in them.
const XML_routines::Info<OSW_log>& Osw_info();
const XML_routines::Info<ISW_log>& Isw_info();

// The data record: "/P25_log_data/Smartzone_raw", ".../Smartzone_crc_err",
// ".../Smartzone_tout", ".../Smartzone_cooked".
extern const XML_routines::Info<P25::Smartnet_data_log> raw_info;
extern const XML_routines::Info<P25::Smartnet_data_log> crc_err_info;
extern const XML_routines::Info<P25::Smartnet_data_log> tout_info;
extern const XML_routines::Info<P25::Smartnet_data_log> cooked_info;

// The affiliation form of the talk-group view: "Talk_group", "Widepulse",
// "connect_tone".
extern const XML_routines::Info<Talk_group_cmd> talk_group_affiliation;

// The same data-record and message elements nested in another element,
// named by their tag alone.
extern const XML_routines::Info<P25::Smartnet_data_log> raw_nested;
extern const XML_routines::Info<P25::Smartnet_data_log> cooked_nested;
extern const XML_routines::Info<OSW_log> osw_nested;
extern const XML_routines::Info<ISW_log> isw_nested;

// ---- overhead ---------------------------------------------------------------------------------

#pragma pack(push, 1)
// The words of an overhead slot: their source, then their count and bytes.
struct Overhead_osw {
    P25::Source_info source;
    Smartnet_osw_raw words;
};
struct Overhead_isw {
    P25::Source_info source;
    Smartnet_isw_raw words;
};

// The host's overhead record (P25::Trunking_Overhead, 1604 bytes) as a
// SmartZone slot fills it: the data-unit ID selects the content.
struct Overhead_record {
    P25::Source_info metadata;
    std::uint32_t duid;  // P25::SMARTZONE_OSW ... SMARTZONE_COOKED
    std::uint32_t handle;
    std::uint32_t repeat_time;
    union {
        P25::Smartnet_data_log sz_bits;  // SMARTZONE_RAW
        Overhead_osw snsz_osw;           // SMARTZONE_OSW; SMARTZONE_COOKED converted
        Overhead_isw snsz_isw;           // SMARTZONE_ISW
        std::uint8_t content[1584];
    };
};

// One overhead slot of a SmartZone control channel: "Smartzone_overhead".
struct Smartzone_overhead {
    std::uint32_t handle;
    std::uint32_t interval;
    std::uint32_t duid;
    OSW_log osw;                  // SMARTZONE_OSW
    ISW_log isw;                  // SMARTZONE_ISW
    P25::Smartnet_data_log data;  // SMARTZONE_RAW, SMARTZONE_COOKED

    // Empty: no words, every source zero.
    Smartzone_overhead();
    // The class and channel the slot is filtered by.
    unsigned long Log_level() const;
    unsigned Phys_chan() const;
    // The host's overhead record of the slot.
    void To_overhead(Overhead_record& out) const;
};
#pragma pack(pop)

static_assert(sizeof(Overhead_osw) == 24 && sizeof(Overhead_isw) == 21, "overhead words");
static_assert(sizeof(Overhead_record) == 1604 && offsetof(Overhead_record, duid) == 8 &&
                  offsetof(Overhead_record, handle) == 12 && offsetof(Overhead_record, repeat_time) == 16 &&
                  offsetof(Overhead_record, sz_bits) == 20 && offsetof(Overhead_record, snsz_osw) == 20,
              "Overhead_record is the host's overhead record");
static_assert(sizeof(Overhead_record) == sizeof(P25::Trunking_Overhead) &&
                  offsetof(Overhead_record, sz_bits) == offsetof(P25::Trunking_Overhead, sz_bits) &&
                  offsetof(Overhead_record, snsz_osw) == offsetof(P25::Trunking_Overhead, snsz_osw) &&
                  offsetof(Overhead_record, snsz_isw) == offsetof(P25::Trunking_Overhead, snsz_isw),
              "Overhead_record views the host's overhead record");
static_assert(offsetof(Overhead_record, snsz_osw) + offsetof(Overhead_osw, words) == 28,
              "the word count of a slot lies at offset 28");
static_assert(sizeof(Smartzone_overhead) == 212 && offsetof(Smartzone_overhead, interval) == 4 &&
                  offsetof(Smartzone_overhead, duid) == 8 && offsetof(Smartzone_overhead, osw) == 12 &&
                  offsetof(Smartzone_overhead, isw) == 52 && offsetof(Smartzone_overhead, data) == 92,
              "Smartzone_overhead layout");

// A SmartZone slot of the host's overhead record: each word of an OSW or
// ISW slot as "Smartzone_cooked", then "Smartzone_overhead" (class
// Log_protocol_cooked); a raw slot as "Smartzone_overhead" alone; other
// slots log nothing.
void Log_Smartzone_overhead(const P25::Trunking_Overhead& overhead);

// "/P25_log_data/Smartzone_overhead": attributes "interval", "handle"; the
// slot's content as its one child.
extern const XML_routines::Info<Smartzone_overhead> overhead_info;

// Lists the registries on the error stream: command or type, word count,
// element name; second-level entries under their parent.
void Dump_all();

}  // namespace Smartzone

XML_DECLARE_INFO(Smartzone::Unit_id);
XML_DECLARE_INFO(Smartzone::System_id);
XML_DECLARE_INFO(Smartzone::Talk_group_cmd);

template <>
void XML_routines::Info<Smartzone::OSW_log>::Write_subs(const Smartzone::OSW_log&, xmlNode*) const;
template <>
XML_routines::Instance_base* XML_routines::Info<Smartzone::OSW_log>::Lookup(const xmlChar*, unsigned*,
                                                                          XML_routines::Input_data&,
                                                                          Smartzone::OSW_log&) const;
template <>
void XML_routines::Info<Smartzone::ISW_log>::Write_subs(const Smartzone::ISW_log&, xmlNode*) const;
template <>
XML_routines::Instance_base* XML_routines::Info<Smartzone::ISW_log>::Lookup(const xmlChar*, unsigned*,
                                                                          XML_routines::Input_data&,
                                                                          Smartzone::ISW_log&) const;

// Every message element filed under "Smartzone_osw" ("Smartzone_isw") as a
// choice, also for the element nested in an overhead slot.
template <>
void XML_routines::Info<Smartzone::OSW_log>::Describe(XML_routines::Element_description&) const;
template <>
void XML_routines::Info<Smartzone::ISW_log>::Describe(XML_routines::Element_description&) const;

template <>
bool XML_routines::Info<Smartzone::Smartzone_overhead>::Commit(Smartzone::Smartzone_overhead&,
                                                              XML_routines::Input_data&) const;

#endif
