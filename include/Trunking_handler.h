// The trunking message registry.
//
// Every trunking message definition of the catalogue is one static
// Trunking_handler<T, Link> object: the element name, the opcode (whose
// enumeration gives manufacturer and direction) and the sub-element table of
// its packed record T.  Handlers file themselves in the record of their
// manufacturer by direction, opcode and block count, so that a logged message
// finds its definition from (MFID, direction, opcode, block count), and an
// input element from its name.  A handler built before its manufacturer's
// record waits in a pending list; the record adopts it when it is built.
#ifndef TESSEL_TRUNKING_HANDLER_H
#define TESSEL_TRUNKING_HANDLER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "shared/P25/P25_message_parts.h"
#include "shared/P25/P25_messages.h"
#include "shared/P25/P25_shared_struct.h"
#include "shared/XML/XML_info.h"

namespace P25 {

// Opcodes of the inbound signalling packets (manufacturer 0x00).
enum ISP_Opcodes : std::uint8_t {
    GRP_V_REQ = 0,
    UU_V_REQ = 4,
    UU_ANS_RSP = 5,
    TELE_INT_DIAL_REQ = 8,
    TELE_INT_PSTN_REQ = 9,
    TELE_INT_ANS_RSP = 10,
    IND_DATA_REQ = 16,
    GRP_DATA_REQ = 17,
    SN_DATA_CHN_REQ = 18,
    SN_DATA_PAGE_RES = 19,
    SN_REC_REQ = 20,
    STS_UPDT_REQ = 24,
    STS_Q_RSP = 25,
    STS_Q_REQ = 26,
    MSG_UPDT_REQ = 28,
    RAD_MON_REQ = 29,
    CALL_ALRT_REQ = 31,
    ACK_RSP_U = 32,
    CAN_SRV_REQ = 35,
    EXT_FNCT_RSP = 36,
    EMRG_ALRM_REQ = 39,
    GRP_AFF_REQ = 40,
    GRP_AFF_Q_RSP = 41,
    U_DE_REG_REQ = 43,
    U_REG_REQ = 44,
    LOC_REG_REQ = 45,
    AUTH_Q = 46,
    AUTH_RSP = 47,
    P_PARM_REQ = 48,
    IDEN_UP_REQ = 50,
    ROAM_ADDR_REQ = 54,
    ROAM_ADDR_RSP = 55,
};

// Opcodes of the outbound signalling packets (manufacturer 0x00).
enum OSP_Opcodes : std::uint8_t {
    GRP_V_CH_GRANT = 0,
    GRP_V_CH_GRANT_UPDT = 2,
    GRP_V_CH_GRANT_UPDT_EXP = 3,
    UU_V_CH_GRANT = 4,
    UU_ANS_REQ = 5,
    UU_V_CH_GRANT_UPDT = 6,
    TELE_INT_CH_GRANT = 8,
    TELE_INT_CH_GRANT_UPDT = 9,
    TELE_INT_ANS_REQ = 10,
    IND_DATA_CH_GRANT = 16,
    GRP_DATA_CH_GRANT = 17,
    GRP_DATA_CH_ANN = 18,
    GRP_DATA_CH_ANN_EXP = 19,
    SN_DATA_CHN_GNT = 20,
    SN_DATA_PAGE_REQ = 21,
    SN_DATA_CHN_ANN_EXP = 22,
    STS_UPDT = 24,
    STS_Q = 26,
    MSG_UPDT = 28,
    RAD_MON_CMD = 29,
    CALL_ALRT = 31,
    ACK_RSP_FNE = 32,
    QUE_RSP = 33,
    EXT_FNCT_CMD = 36,
    DENY_RSP = 39,
    GRP_AFF_RSP = 40,
    SCCB_EXP = 41,
    GRP_AFF_Q = 42,
    LOC_REG_RSP = 43,
    U_REG_RSP = 44,
    U_REG_CMD = 45,
    AUTH_CMD = 46,
    U_DE_REG_ACK = 47,
    SYNC_BCST = 48,
    IDEN_UP_VU = 52,
    TIME_DATE_ANN = 53,
    ROAM_ADDR_CMD = 54,
    ROAM_ADDR_UPDT = 55,
    SYS_SRV_BCST = 56,
    SCCB = 57,
    RFSS_STS_BCST = 58,
    NET_STS_BCST = 59,
    ADJ_STS_BCST = 60,
    IDEN_UP = 61,
    P_PARM_BCST = 62,
    P_PARM_UPDT = 63,
};

// Outbound opcodes of manufacturer 0x90.
enum OSP_Opcodes_90 : std::uint8_t {
    IDEN_UP_TDMA = 13,
};

#pragma pack(push, 1)
// One trunking message on its way between the log and the input sides.
struct Trunking_data {
    Source_info metadata;
    P25_TSBK_DATA tsbk[128];
    std::uint32_t block_count;
    std::uint32_t duid;  // TSDU for a TSBK, PDU for a multi-block packet
    std::uint32_t nac;   // low 12 bits significant

    // Zero-filled (the record is packed: no padding is left out); a static
    // one is constant-initialised, so an assembler bank costs nothing until
    // it is used.
    constexpr Trunking_data() : metadata{}, tsbk{}, block_count(0), duid(0), nac(0) {}

    // Views of block 0, no copies.
    operator P25_TSBK_header&() { return As<P25_TSBK_header>(0); }
    operator const P25_TSBK_header&() const { return As<P25_TSBK_header>(0); }
    operator Alternate_MBT&() { return As<Alternate_MBT>(0); }
    operator const Alternate_MBT&() const { return As<Alternate_MBT>(0); }
    operator Unconfirmed_data_opcode&() { return As<Unconfirmed_data_opcode>(0); }
    operator const Unconfirmed_data_opcode&() const { return As<Unconfirmed_data_opcode>(0); }
    operator Confirmed_data_packet&() { return As<Confirmed_data_packet>(0); }
    operator const Confirmed_data_packet&() const { return As<Confirmed_data_packet>(0); }
    operator Response_packet&() { return As<Response_packet>(0); }
    operator const Response_packet&() const { return As<Response_packet>(0); }
    // The logical link ID, octets 3-5 of the header block, as each field type.
    operator Local_link_ID&() { return As<Local_link_ID>(3); }
    operator const Local_link_ID&() const { return As<Local_link_ID>(3); }
    operator SOURCE_ADDRESS&() { return As<SOURCE_ADDRESS>(3); }
    operator const SOURCE_ADDRESS&() const { return As<SOURCE_ADDRESS>(3); }
    operator TARGET_ADDRESS&() { return As<TARGET_ADDRESS>(3); }
    operator const TARGET_ADDRESS&() const { return As<TARGET_ADDRESS>(3); }
    operator SYSID_LRA&() { return As<SYSID_LRA>(3); }
    operator const SYSID_LRA&() const { return As<SYSID_LRA>(3); }

    // The log record of the same message.
    operator TSBK_PDU_data() const;

private:
    template <class V>
    V& As(std::size_t offset) {
        return *reinterpret_cast<V*>(tsbk[0].data + offset);
    }
    template <class V>
    const V& As(std::size_t offset) const {
        return *reinterpret_cast<const V*>(tsbk[0].data + offset);
    }
};
#pragma pack(pop)
static_assert(sizeof(Trunking_data) == 1556, "Trunking_data is 1556 octets");
static_assert(offsetof(Trunking_data, tsbk) == 8 && offsetof(Trunking_data, block_count) == 1544 &&
                  offsetof(Trunking_data, duid) == 1548 && offsetof(Trunking_data, nac) == 1552,
              "Trunking_data layout");

// An intrusive list whose nodes link themselves in at the head of the one
// list of their type.  A node may be a member of its item, linked while the
// item waits (no allocation to file or unfile one).
template <class T>
class List {
public:
    List() = default;
    explicit List(T* item) { Link(item); }
    ~List() { Unlink(); }
    List(const List&) = delete;
    List& operator=(const List&) = delete;

    void Link(T* item) {
        if (prev_) return;
        item_ = item;
        next_ = head;
        if (next_) next_->prev_ = &next_;
        prev_ = &head;
        head = this;
    }
    void Unlink() {
        if (!prev_) return;
        *prev_ = next_;
        if (next_) next_->prev_ = prev_;
        next_ = nullptr;
        prev_ = nullptr;
    }

    static List* Find(const T* item) {
        for (List* n = head; n; n = n->next_)
            if (n->item_ == item) return n;
        return nullptr;
    }
    static List* First() { return head; }
    List* Next() const { return next_; }
    T* Item() const { return item_; }

private:
    static inline List* head = nullptr;
    List* next_ = nullptr;
    List** prev_ = nullptr;
    T* item_ = nullptr;
};

class Trunking_handler_base;
class LC_handler_base;

// The handlers of one opcode, by block count: slot n holds the handler whose
// message is n + 1 blocks long (a message is 1 to 4 blocks).
class Opcode_record {
public:
    static constexpr unsigned slots = 4;
    Trunking_handler_base* slot[slots] = {};

    // The name of the handler in the lowest occupied slot, or null.
    const char* Name() const;
    // The handler for block_count blocks, or, when that slot is empty, the
    // one of the highest occupied slot; null when there is none.
    Trunking_handler_base* For_blocks(unsigned block_count) const;
    // The handler for exactly block_count blocks, or null.
    Trunking_handler_base* Exactly(unsigned block_count) const {
        return block_count >= 1 && block_count <= slots ? slot[block_count - 1] : nullptr;
    }
    void Dump_all(unsigned opcode) const;
    void Dump_elements(unsigned opcode, int indent) const;
};

// One manufacturer: its handlers by direction and opcode, and by name.
class MFID_record {
public:
    MFID_record(const char* name, std::uint8_t mfid);
    ~MFID_record();
    MFID_record(const MFID_record&) = delete;
    MFID_record& operator=(const MFID_record&) = delete;

    static MFID_record* Find(std::uint8_t mfid);
    Opcode_record& Find_trunking_handler(bool outbound, std::uint8_t opcode);
    Opcode_record* Find_trunking_handler(bool outbound, const xmlChar* name) const;
    static Opcode_record* Find_trunking_handler_in_all(bool outbound, const xmlChar* name);
    static void Dump_all();
    static void Dump_elements(int indent);
    // Every registered definition: records in list order, in each the ISP
    // opcodes 0-63 then the OSP opcodes, in each the slots by block count.
    static std::vector<const Trunking_handler_base*> Handlers();

    std::uint8_t MFID() const { return mfid_; }
    const char* Name() const { return name_; }
    Opcode_record* Table(bool outbound) { return outbound ? osp_ : isp_; }
    const XML_routines::Hash<Opcode_record>& Names(bool outbound) const { return outbound ? osp_names_ : isp_names_; }

    // Link-control handlers by link-control opcode and by name.
    LC_handler_base* lc[64] = {};
    XML_routines::Hash<LC_handler_base> lc_names{0, nullptr, 64};

private:
    std::uint8_t mfid_;
    Opcode_record isp_[64];
    Opcode_record osp_[64];
    // A name for each opcode and each of its definitions.
    XML_routines::Hash<Opcode_record> isp_names_{0, nullptr, 128};
    XML_routines::Hash<Opcode_record> osp_names_{0, nullptr, 128};
    const char* name_;
    List<MFID_record> node_;
};

extern MFID_record apco;      // 0x00, "APCO Standard"
extern MFID_record motorola;  // 0x90

// The header a message begins with, which frames and checks its blocks.
enum class Message_header : std::uint8_t { tsbk, alternate_mbt, unconfirmed_data };

template <class H>
constexpr Message_header Header_kind() {
    static_assert(std::is_same_v<H, P25_TSBK_header> || std::is_same_v<H, Alternate_MBT> ||
                      std::is_same_v<H, Unconfirmed_data_opcode>,
                  "a message begins with a TSBK, alternate MBT or unconfirmed data header");
    if constexpr (std::is_same_v<H, P25_TSBK_header>) return Message_header::tsbk;
    else if constexpr (std::is_same_v<H, Alternate_MBT>) return Message_header::alternate_mbt;
    else return Message_header::unconfirmed_data;
}

// Where an opcode files its message: its manufacturer and direction, from
// the enumeration the opcode is of.
struct Opcode_site {
    Opcode_site(ISP_Opcodes op) : opcode(op), mfid(0x00), outbound(false) {}
    Opcode_site(OSP_Opcodes op) : opcode(op), mfid(0x00), outbound(true) {}
    Opcode_site(OSP_Opcodes_90 op) : opcode(op), mfid(0x90), outbound(true) {}
    std::uint8_t opcode, mfid;
    bool outbound;
};

// The descriptor of a message's record: its tables, and, once its element
// has been read, the header's fields completed and the CRCs filled in.
class Message_descriptor final : public XML_routines::Table_descriptor {
public:
    template <class T, std::size_t N>
    Message_descriptor(const char* name, const XML_routines::Attrib::Attrib_Hash<T>* attributes,
                       XML_routines::Subelement_table<T> (&table)[N], Message_header header, unsigned block_count)
        : Table_descriptor(name, attributes, table), header_(header), block_count_(block_count) {}

    Message_header Header() const { return header_; }
    unsigned Block_count() const { return block_count_; }
    bool Finalize_hook(void* record, XML_routines::Input_data& input) const override;

private:
    Message_header header_;
    std::uint8_t block_count_;
};

// A message definition, as the registry sees it: the message's descriptor,
// where it is filed, and the descriptor of the logical link ID a multi-block
// form writes before the message element (none for the others).
class Trunking_handler_base {
public:
    Trunking_handler_base(const Trunking_handler_base&) = delete;
    Trunking_handler_base& operator=(const Trunking_handler_base&) = delete;

    const char* Name() const { return descriptor_.Name(); }
    unsigned BlockCount() const { return descriptor_.Block_count(); }
    const XML_routines::Record_descriptor& Descriptor() const { return descriptor_; }
    // A parse state for the message element, writing into the blocks.
    XML_routines::Instance_base* Get_instance(XML_routines::Input_data& input, P25_TSBK_DATA* blocks) const;
    // The message element of a logged message, or an error element.
    xmlNode* Write(const TSBK_PDU_data& record) const;
    // The same written to a sink, from the message's blocks.
    void Write(const P25_TSBK_DATA* blocks, unsigned block_count, XML_routines::Sink& sink) const;
    // The element(s) of the multi-block header's logical link ID.
    xmlNode* Write_link(const Local_link_ID& link) const;
    void Write_link(const Local_link_ID& link, XML_routines::Sink& sink) const;
    void Dump_elements(int indent) const;
    // Frames the message octets in blocks as this definition: its header
    // fields, then the CRCs (the message as it would go on the air).
    void Frame(P25_TSBK_DATA* blocks) const;

    std::uint8_t Opcode() const { return site_.opcode; }
    std::uint8_t MFID() const { return site_.mfid; }
    bool Outbound() const { return site_.outbound; }
    // The message family: the name of the source file that defines it,
    // without directory and extension ("Grants").
    std::string Family() const;

    void Register();
    bool Register_core();
    void Deregister();

protected:
    template <class T, std::size_t N>
    Trunking_handler_base(const char* name, Opcode_site site, const XML_routines::Attrib::Attrib_Hash<T>* attributes,
                          XML_routines::Subelement_table<T> (&table)[N], Message_header header, unsigned block_count,
                          const XML_routines::Record_descriptor* link, const char* source_file)
        : descriptor_(name, attributes, table, header, block_count),
          link_(link),
          site_(site),
          source_file_(source_file) {
        Register();
    }
    ~Trunking_handler_base();

private:
    // Clears this handler's slot in its manufacturer's record.
    void Unfile();

    Message_descriptor descriptor_;
    const XML_routines::Record_descriptor* link_;
    Opcode_site site_;
    const char* source_file_;  // the literal __FILE__ of the definition
    List<Trunking_handler_base> pending_;  // linked while no record takes it
    friend class MFID_record;
};

// The block count of a message record: its size in blocks, or, for a
// record whose fields run on past its blocks, the count it declares as
// `static constexpr unsigned blocks`.
template <class T, class = void>
struct Message_blocks {
    static_assert(sizeof(T) % sizeof(P25_TSBK_DATA) == 0, "a message record is a whole number of blocks");
    static constexpr unsigned value = sizeof(T) / sizeof(P25_TSBK_DATA);
};
template <class T>
struct Message_blocks<T, std::void_t<decltype(T::blocks)>> {
    static_assert(sizeof(T) > T::blocks * sizeof(P25_TSBK_DATA), "a record declares its block count only to run past it");
    static constexpr unsigned value = T::blocks;
};

// The descriptor of the logical link ID written before a multi-block
// message element: none, or the link ID as one field type.
template <class Link>
const XML_routines::Record_descriptor* Link_descriptor() {
    if constexpr (std::is_void_v<Link>) return nullptr;
    else return &XML_routines::Info<Link>::info;
}

// One message definition: T is its packed record (a whole number of
// blocks, or longer when it declares its block count) beginning with its
// header as the member `header`; its element has the children of the
// sub-element table and, for the messages that have them, the attributes of
// an attribute table.  The family of the definition is the source file that
// builds it.
template <class T, class Link = void>
class Trunking_handler : public Trunking_handler_base {
    static constexpr unsigned block_count = Message_blocks<T>::value;
    static_assert(block_count >= 1 && block_count <= Opcode_record::slots, "a message is 1 to 4 blocks");
    static_assert(offsetof(T, header) == 0, "a message begins with its header");
    static constexpr Message_header header_kind = Header_kind<std::remove_cv_t<decltype(T::header)>>();

public:
    template <std::size_t N>
    Trunking_handler(const char* name, Opcode_site opcode, XML_routines::Subelement_table<T> (&table)[N],
                     const char* source_file = __builtin_FILE())
        : Trunking_handler_base(name, opcode, static_cast<const XML_routines::Attrib::Attrib_Hash<T>*>(nullptr), table,
                                header_kind, block_count, Link_descriptor<Link>(), source_file) {}
    // A message whose element carries attributes, written before its children.
    template <std::size_t N>
    Trunking_handler(const char* name, Opcode_site opcode, const XML_routines::Attrib::Attrib_Hash<T>& attributes,
                     XML_routines::Subelement_table<T> (&table)[N], const char* source_file = __builtin_FILE())
        : Trunking_handler_base(name, opcode, &attributes, table, header_kind, block_count, Link_descriptor<Link>(),
                                source_file) {}
};

// ---- multi-block assembly ---------------------------------------------------------

// Collects one channel's PDU block by block: a header, then the
// continuation blocks it announces; emits it when the last one arrives (or
// when a new header, 128 blocks or an explicit flush comes first).
class TDMA_PDU_assembler {
public:
    TDMA_PDU_assembler() = default;
    TDMA_PDU_assembler(const TDMA_PDU_assembler&) = delete;
    TDMA_PDU_assembler& operator=(const TDMA_PDU_assembler&) = delete;

    void Parse_Multiblock_Header(const P25_TSBK_DATA& block, const Source_info& source);
    void Parse_Multiblock_Continuation(const P25_TSBK_DATA& block);
    void Flush();

    int Needed() const { return needed_; }
    unsigned Collected() const { return log_.block_count; }

private:
    void Store(const P25_TSBK_DATA& block);
    int needed_ = 0;
    Trunking_data log_;
};

// Assemblers by physical channel 0-3: blocks logged by the host (rf) and
// blocks read from input documents (xml), received and transmitted.
extern TDMA_PDU_assembler xml_rx_parsers[4];
extern TDMA_PDU_assembler xml_tx_parsers[4];
extern TDMA_PDU_assembler rf_rx_parsers[4];
extern TDMA_PDU_assembler rf_tx_parsers[4];

// The assembler of a bank for a source: null for channels 4 and above.
TDMA_PDU_assembler* Select(TDMA_PDU_assembler (&rx)[4], TDMA_PDU_assembler (&tx)[4], const Source_info& source);

// Blocks read from input documents, through the xml banks.
void Parse_Multiblock_Header(const P25_TSBK_DATA& block, const Source_info& source);
void Parse_Multiblock_Continuation(const P25_TSBK_DATA& block, const Source_info& source);
void Flush(const Source_info& source);

// Logs each TSBK with a good CRC as a "Trunking_message", up to the one
// with the last-block flag.
void Log_TSBKs(Source_info source, const P25_TSBK_DATA blocks[128], unsigned count);
// Logs a multi-block PDU of 2 to 127 blocks whose header CRC is good.
void Log_PDUs(Source_info source, const P25_TSBK_DATA blocks[128], unsigned count);

}  // namespace P25

namespace XML_routines {
// "/P25_log_data/Trunking_message".
extern const Info<P25::Trunking_data>& Trunking_info;
// The raw blocks: "/P25_log_data/TSBK", "/P25_log_data/PDU" (the counted
// blocks), "/P25_log_data/PDU_Header", "/P25_log_data/PDU_Continuation" (all
// 128 blocks).
extern const Info<P25::TSBK_PDU_data> tsbk_info;
extern const Info<P25::TSBK_PDU_data> pdu_info;
extern const Info<P25::TSBK_PDU_data> pdu_header_info;
extern const Info<P25::TSBK_PDU_data> pdu_cont_info;
}  // namespace XML_routines

XML_DECLARE_INFO(P25::Trunking_data);
template <>
void XML_routines::Info<P25::Trunking_data>::Write_subs(const P25::Trunking_data&, xmlNode*) const;
template <>
bool XML_routines::Info<P25::Trunking_data>::Finalize(P25::Trunking_data&, XML_routines::Input_data&) const;
template <>
bool XML_routines::Info<P25::Trunking_data>::Commit(P25::Trunking_data&, XML_routines::Input_data&) const;
template <>
void XML_routines::Info<P25::Trunking_data>::Dump_elements(int) const;
// Its children, and every registered message definition as a choice.
template <>
void XML_routines::Info<P25::Trunking_data>::Describe(Element_description& d) const;
template <>
XML_routines::Instance_base* XML_routines::Info<P25::Trunking_data>::Lookup(const xmlChar*, unsigned*,
                                                                           XML_routines::Input_data&,
                                                                           P25::Trunking_data&) const;
// The message element is the record's content: one per record.
template <>
bool XML_routines::Info<P25::Trunking_data>::Is_content(const xmlChar*) const;

// The raw elements' input hooks (one pair for the four descriptors).
template <>
bool XML_routines::Info<P25::TSBK_PDU_data>::Finalize(P25::TSBK_PDU_data&, XML_routines::Input_data&) const;
template <>
bool XML_routines::Info<P25::TSBK_PDU_data>::Commit(P25::TSBK_PDU_data&, XML_routines::Input_data&) const;

// ---- overhead slots ---------------------------------------------------------------

namespace P25 {

#pragma pack(push, 1)
// An overhead slot as "P25_Overhead" shows it: the trunking message it
// repeats, the interval and the host's handle.
struct Overhead_setup {
    Trunking_data trunking;  // zero-filled by its constructor
    std::uint32_t handle = 0;
    std::uint32_t repeat_time = 0;

    // The host's record of the slot: the blocks of a TSDU (one) or PDU slot,
    // no blocks for any other data unit.
    operator Trunking_Overhead() const;
};
#pragma pack(pop)
static_assert(sizeof(Overhead_setup) == 1564 && offsetof(Overhead_setup, handle) == 1556 &&
                  offsetof(Overhead_setup, repeat_time) == 1560,
              "Overhead_setup layout");

}  // namespace P25

namespace XML_routines {
// The raw blocks of an overhead slot: "TSBK" and "PDU", with the source
// attributes and the NAC.
extern const Info<P25::Trunking_data> tsbk_subinfo;
extern const Info<P25::Trunking_data> pdu_subinfo;
}  // namespace XML_routines

// "/P25_log_data/P25_Overhead": its children only for a slot that holds
// blocks; reading one checks it (Finalize) and hands it to the host (Commit).
XML_DECLARE_INFO(P25::Overhead_setup);
template <>
void XML_routines::Info<P25::Overhead_setup>::Write_subs(const P25::Overhead_setup&, xmlNode*) const;
template <>
bool XML_routines::Info<P25::Overhead_setup>::Finalize(P25::Overhead_setup&, XML_routines::Input_data&) const;
template <>
bool XML_routines::Info<P25::Overhead_setup>::Commit(P25::Overhead_setup&, XML_routines::Input_data&) const;

#endif
