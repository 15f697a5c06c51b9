// tessel encode: reads an input document through the library and writes,
// for every element that yields a record, one record-script line that
// `tessel log` reads back: the air bytes of TSBKs and PDUs with their
// headers and CRCs completed as the library completes them, link-control
// words, the status symbols and times of the log document, and the elements
// the library only logs (voice, channel settings, simulator states,
// SmartZone channel words) as the lines of their kinds.
//
// The records come through the library's receive listener, one call an
// element; each kind of record has one writer in the table at the bottom.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "commands.h"
#include "script.h"

namespace tessel {

const char encode_usage[] =
    "Usage: tessel encode [FILE] [--out FILE]\n"
    "\n"
    "Reads an input document (standard input when FILE is absent or \"-\") and\n"
    "writes one record-script line (as `tessel log` reads them) for every\n"
    "element that yields a record: tsbk and pdu lines for \"Trunking_message\",\n"
    "\"TSBK\" and \"PDU\" (headers and CRCs completed), pdu_header and pdu_cont\n"
    "lines for \"PDU_Header\" and \"PDU_Continuation\", status lines for\n"
    "\"Status_bits\", time lines for \"DateTime\", lc lines for a link-control\n"
    "word on its own, and the kinds of the voice items, channel settings,\n"
    "simulator states and SmartZone channel words.  So the log of a script\n"
    "encodes back to the script's records.\n"
    "\n"
    "  --out FILE  write the script to FILE instead of standard output\n"
    "\n"
    "The symbols of a \"Status_bits\" go into the data unit that follows it\n"
    "from the same source, and an LDU1 takes the link-control word after it.\n"
    "A \"Trunking_message\" whose blocks the data unit before it carried, an\n"
    "\"LCF\" of the word before it and a decoded SmartZone message are that data\n"
    "decoded, and give no line of their own.\n"
    "\n"
    "Errors are reported on standard error as in replay.  Exit status: 0 when\n"
    "every element was accepted, 1 when anything was refused or reported, 2\n"
    "for a document that is not well-formed, an unreadable file or a bad\n"
    "command line.\n";

namespace {

using P25::Received;
using Block = P25::P25_TSBK_DATA;

// The shared keys of a record's source, in the order Source_keys writes
// them, under their attribute names, with the value a line leaves out.
struct Source_key_name {
    const char* name;
    unsigned bit;
    const char* default_value;
};
const Source_key_name source_key_names[] = {
    {"timestamp", key_timestamp, "0.00000000"}, {"phys_channel", key_phys_channel, "0"},
    {"direction", key_direction, "rx"},         {"type", key_type, "osp"},
    {"timeslot", key_timeslot, "0"},
};

// Writes the lines, keeping what joins one element's record to the next:
// status symbols waiting for their data unit, and the blocks of the last
// data unit, which its decoded messages repeat.
class Script_writer {
public:
    explicit Script_writer(std::FILE* out) : out_(out) {}
    ~Script_writer() {
        Flush_pending();
        Flush_status();
    }

    void Status(const P25::DUID_Header& header) {
        Flush_status();
        status_ = header;
        status_source_ = Source_keys(header.metadata);
        has_status_ = true;
    }
    void Time(const P25::Time_log& record) {
        Flush_pending();
        Flush_status();
        std::string line = "time" + Source_keys(record.metadata);
        const P25::Calendar_time& t = record.real_time;
        char text[64];
        std::snprintf(text, sizeof text, " date=%04d/%02d/%02d time=%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                      t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
        Put(line + text);
    }
    // A data unit as the host had it: its blocks are remembered, those of a
    // PDU fed block by block added up from its header block on.
    void Data_unit(const char* kind, const P25::TSBK_PDU_data& r, unsigned blocks, bool continued) {
        Flush_pending();
        const P25::DUID_Header* status = nullptr;
        if (has_status_ && Same_source(status_.metadata, r.header.metadata)) status = &status_;
        if (!status) Flush_status();
        has_status_ = false;
        if (!continued) last_blocks_.clear();
        last_channel_ = r.header.metadata.phys_channel;
        last_blocks_.insert(last_blocks_.end(), r.tsbk, r.tsbk + blocks);
        Put(kind + Source_keys(r.header.metadata) + Nac_key(r.header.nid.nac) + (status ? Status_key(*status) : "") +
            Hex(r.tsbk, blocks));
    }
    void Message(const P25::Trunking_data& r) {
        if (r.block_count == 0 || r.block_count > 127 || Decoded(r)) return;
        Flush_pending();
        Flush_status();
        const char* kind = r.duid == P25::PDU ? "pdu" : "tsbk";
        Put(kind + Source_keys(r.metadata) + Nac_key(r.nac) + Hex(r.tsbk, r.block_count));
    }
    // An element the library only logs, as the line of its kind (see
    // Element_line).  A kind that takes a link-control word its element does
    // not show waits for the word that follows it on the same source, and
    // the element repeated meanwhile is the same data unit logged again.
    void Element(const char* kind_name, const P25::Received_element& e) {
        const Kind* kind = Find_kind(kind_name);
        if (!kind || !e.element) return;
        std::string source, keys;
        std::vector<std::uint8_t> bytes;
        Element_line(*kind, e.element, source, keys, bytes);
        const std::string line = kind_name + source + keys;
        if (has_pending_ && line == pending_base_) {
            if (has_status_ && (kind->keys & key_status) && status_source_ == source && pending_status_.empty()) {
                pending_status_ = Status_key(status_);
                has_status_ = false;
            }
            return;
        }
        Flush_pending();
        std::string status;
        if (has_status_ && (kind->keys & key_status) && Source_keys(status_.metadata) == source) {
            status = Status_key(status_);
            has_status_ = false;
        }
        Flush_status();
        if (bytes.empty() && kind->bytes.min > 0) {
            has_pending_ = true;
            pending_base_ = line;
            pending_source_ = source;
            pending_status_ = status;
            return;
        }
        Put(line + status + Hex(bytes.data(), bytes.size()));
    }
    // A link-control word: the one a waiting data unit carries, the same
    // word decoded (no line), or a word on its own.
    void Link_control(const P25::p25_LCO& r) {
        const std::string source = Source_keys(r.header.metadata);
        const std::string word = Hex(r.lc.bytes, sizeof r.lc.bytes);
        if (has_pending_ && pending_source_ == source) {
            has_pending_ = false;
            Put(pending_base_ + pending_status_ + word);
            last_word_ = source + word;
            return;
        }
        if (last_word_ == source + word) {
            last_word_.clear();
            return;
        }
        Flush_pending();
        Flush_status();
        last_word_ = source + word;
        Put("lc" + source + word);
    }
    bool Failed() const { return std::ferror(out_) != 0; }

private:
    static bool Same_source(const P25::Source_info& a, const P25::Source_info& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    // Every block of the message was a block of the last data unit on its
    // channel: the message is that unit decoded.
    bool Decoded(const P25::Trunking_data& r) const {
        if (last_blocks_.empty() || r.metadata.phys_channel != last_channel_) return false;
        for (unsigned i = 0; i < r.block_count; ++i) {
            bool found = false;
            for (const Block& b : last_blocks_) found = found || std::memcmp(&b, &r.tsbk[i], sizeof b) == 0;
            if (!found) return false;
        }
        return true;
    }
    // The keys whose values differ from a script line's defaults.
    static std::string Source_keys(const P25::Source_info& s) {
        std::string keys;
        char text[32];
        if (const std::uint32_t ticks = s.timestamp.value) {
            std::snprintf(text, sizeof text, "%u.%08u", ticks / 50000000u, ticks % 50000000u * 2u);
            std::string seconds = text;
            seconds.erase(seconds.find_last_not_of('0') + 1);
            if (seconds.back() == '.') seconds.pop_back();
            keys += " timestamp=" + seconds;
        }
        if (s.phys_channel) keys += " phys_channel=" + std::to_string(s.phys_channel);
        if (s.dir_tx != 0) keys += std::string(" direction=") + Name(XML_routines::direction_names, s.dir_tx);
        if (s.is_osp != 1) keys += std::string(" type=") + Name(XML_routines::type_names, s.is_osp);
        if (s.timeslot) keys += " timeslot=" + std::to_string(s.timeslot);
        return keys;
    }
    static std::string Name(const XML_routines::Value_hash<unsigned char>& names, unsigned char value) {
        const char* name = names.Lookup(value);
        return name ? name : std::to_string(value);
    }
    static std::string Nac_key(std::uint32_t nac) {
        char text[16];
        std::snprintf(text, sizeof text, " NAC=%03X", nac & 0xFFFu);
        return nac & 0xFFFu ? text : "";
    }
    static std::string Status_key(const P25::DUID_Header& header) {
        const P25::Status_symbols& s = header.statuses;
        std::string key;
        for (std::uint32_t i = 0; i < s.count && i < P25::Status_symbols::capacity; ++i)
            key += (i ? "," : " status=") + Name(XML_routines::status_names, s.syms[i]);
        return key;
    }
    static std::string Hex(const Block* blocks, unsigned count) {
        return Hex(blocks ? blocks[0].data : nullptr, count * sizeof(Block));
    }
    static std::string Hex(const std::uint8_t* octets, std::size_t count) {
        std::string hex;
        char pair[4];
        for (std::size_t i = 0; i < count; ++i) {
            std::snprintf(pair, sizeof pair, " %02X", octets[i]);
            hex += pair;
        }
        return hex;
    }
    // The element's keys and air bytes as its kind reads them: the kind's
    // keys are the element's attributes and children of those names, as the
    // log prints them; any other child goes into "item=NAME:VALUE" when the
    // kind takes items; text of octets (the element's own, a child's or an
    // attribute's) is the air bytes.  The source keys come out in the form
    // Source_keys gives them, so that they compare.
    static void Element_line(const Kind& kind, const xmlNode* node, std::string& source, std::string& keys,
                             std::vector<std::uint8_t>& bytes) {
        std::string shared[std::size(source_key_names)];
        for (const xmlAttr* a = node->properties; a; a = a->next) {
            const std::string name = reinterpret_cast<const char*>(a->name), value = Text_of(a->children);
            bool done = name == "NAC" && (kind.keys & key_nac);
            if (done && value != "000") keys += " NAC=" + value;
            for (std::size_t i = 0; i < std::size(source_key_names) && !done; ++i)
                if (name == source_key_names[i].name && (kind.keys & source_key_names[i].bit)) {
                    if (value != source_key_names[i].default_value) shared[i] = " " + name + "=" + Seconds(name, value);
                    done = true;
                }
            if (!done) Own_key(kind, name, value, keys, bytes);
        }
        for (const std::string& key : shared) source += key;
        Octets(Text_of(node->children), kind, bytes);
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            // Its text, or "NAME=VALUE,..." for a child of attributes only.
            std::string value = Text_of(child->children);
            const xmlAttr* attributes = value.empty() ? child->properties : nullptr;
            for (const xmlAttr* a = attributes; a; a = a->next)
                value += (a == child->properties ? "" : ",") + std::string(reinterpret_cast<const char*>(a->name)) +
                         "=" + Text_of(a->children);
            Own_key(kind, reinterpret_cast<const char*>(child->name), value, keys, bytes);
        }
    }
    static void Own_key(const Kind& kind, const std::string& name, const std::string& value, std::string& keys,
                        std::vector<std::uint8_t>& bytes) {
        bool items = false;
        for (const Field_key& field : kind.fields) {
            if (name == field.name) {
                keys += " " + name + "=" + value;
                return;
            }
            items = items || std::string(field.name) == "item";
        }
        if (items && !value.empty()) keys += " item=" + name + ":" + value;
        else Octets(value, kind, bytes);
    }
    // The text of a node's text children, blanks trimmed.
    static std::string Text_of(const xmlNode* text) {
        std::string out;
        for (; text; text = text->next)
            if (text->type == XML_TEXT_NODE && text->content) out += reinterpret_cast<const char*>(text->content);
        const std::size_t first = out.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) return "";
        return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
    }
    // Pairs of hexadecimal digits (blanks between pairs allowed) as octets,
    // when the kind takes air bytes and has none yet.
    static void Octets(const std::string& text, const Kind& kind, std::vector<std::uint8_t>& bytes) {
        if (kind.bytes.max == 0 || !bytes.empty() || text.empty()) return;
        std::vector<std::uint8_t> octets;
        for (std::size_t i = 0; i < text.size();) {
            if (text[i] == ' ') {
                ++i;
                continue;
            }
            if (i + 1 >= text.size() || Digit_value(text[i]) < 0 || Digit_value(text[i + 1]) < 0) return;
            octets.push_back(static_cast<std::uint8_t>(Digit_value(text[i]) * 16 + Digit_value(text[i + 1])));
            i += 2;
        }
        bytes = octets;
    }
    // A timestamp as Source_keys writes it: no trailing zeros.
    static std::string Seconds(const std::string& name, std::string value) {
        if (name != "timestamp" || value.find('.') == std::string::npos) return value;
        value.erase(value.find_last_not_of('0') + 1);
        if (value.back() == '.') value.pop_back();
        return value;
    }
    void Flush_pending() {
        if (!has_pending_) return;
        has_pending_ = false;
        Put(pending_base_ + pending_status_);
    }
    void Flush_status() {
        if (!has_status_) return;
        has_status_ = false;
        Put("status" + Source_keys(status_.metadata) + Status_key(status_));
    }
    void Put(const std::string& line) { std::fprintf(out_, "%s\n", line.c_str()); }

    std::FILE* out_;
    P25::DUID_Header status_{};
    bool has_status_ = false;
    std::vector<Block> last_blocks_;
    unsigned last_channel_ = 0;
    std::string status_source_;
    // A data unit waiting for its link-control word, and the last word.
    bool has_pending_ = false;
    std::string pending_base_, pending_source_, pending_status_;
    std::string last_word_;
};

const P25::TSBK_PDU_data& Unit(const void* record) { return *static_cast<const P25::TSBK_PDU_data*>(record); }

// The kind of each element the library only logs, one line an element.
struct Element_kind {
    const char* tag;
    const char* kind;
};

const Element_kind element_kinds[] = {
    {"Voice_Header", "voice_header"},
    {"LDU1", "ldu1"},
    {"LDU2", "ldu2"},
    {"Term", "term"},
    {"TermLC", "term_lc"},
    {"X2TMDA_Voice_SF", "f2_voice_sf"},
    {"X2TMDA_Burst", "f2_burst"},
    {"X2TDMA_Encrypt_Sync_Hdr", "f2_enc_hdr"},
    {"X2TDMA_Link_Control_Hdr", "f2_lc_hdr"},
    {"Enable_channel", "chan_enable"},
    {"Set_primary_channel", "chan_primary"},
    {"Channel_rx_freq", "chan_rx"},
    {"Channel_tx_freq", "chan_tx"},
    {"Mobile_state", "mobile_state"},
    {"Control_state", "control_state"},
    {"Traffic_state", "traffic_state"},
    {"Smartzone_raw", "sz_raw"},
    {"Smartzone_cooked", "sz_cooked"},
    {"Smartzone_crc_err", "sz_crc_err"},
    {"Smartzone_tout", "sz_timeout"},
};

void Write_element(Script_writer& w, const void* record) {
    const auto& e = *static_cast<const P25::Received_element*>(record);
    for (const Element_kind& k : element_kinds)
        if (std::strcmp(k.tag, e.tag) == 0) w.Element(k.kind, e);
}

// One writer for each kind of record the listener hands over.
struct Encoder {
    Received what;
    void (*write)(Script_writer& out, const void* record);
};

const Encoder encoders[] = {
    {Received::status, [](Script_writer& w, const void* r) { w.Status(*static_cast<const P25::DUID_Header*>(r)); }},
    {Received::time, [](Script_writer& w, const void* r) { w.Time(*static_cast<const P25::Time_log*>(r)); }},
    {Received::tsbk, [](Script_writer& w, const void* r) { w.Data_unit("tsbk", Unit(r), Unit(r).block_count, false); }},
    {Received::pdu, [](Script_writer& w, const void* r) { w.Data_unit("pdu", Unit(r), Unit(r).block_count, false); }},
    {Received::pdu_header, [](Script_writer& w, const void* r) { w.Data_unit("pdu_header", Unit(r), 1, false); }},
    {Received::pdu_cont, [](Script_writer& w, const void* r) { w.Data_unit("pdu_cont", Unit(r), 1, true); }},
    {Received::trunking_message, [](Script_writer& w, const void* r) { w.Message(*static_cast<const P25::Trunking_data*>(r)); }},
    {Received::link_control, [](Script_writer& w, const void* r) { w.Link_control(*static_cast<const P25::p25_LCO*>(r)); }},
    {Received::element, Write_element},
};


}  // namespace

int Encode(const Arguments& args) {
    std::string out_path;
    std::vector<std::string> files;
    if (!Parse_options("encode", args, {{"--out", &out_path, nullptr}}, files)) return exit_usage;
    if (files.size() > 1) return Usage_error("encode", "more than one input document");
    const std::string input_path = files.empty() ? "-" : files[0];
    const bool from_stdin = input_path == "-";
    if (!from_stdin) {
        errno = 0;
        File f(std::fopen(input_path.c_str(), "rb"));
        if (!f || (std::getc(f.get()) == EOF && std::ferror(f.get())))
            return Usage_error("encode", "cannot read " + input_path + ": " + std::strerror(errno ? errno : EIO));
        if (!out_path.empty() && Same_file(out_path, input_path))
            return Usage_error("encode", "would overwrite the input document " + input_path);
    }
    File out_file;
    if (!out_path.empty()) {
        out_file.reset(std::fopen(out_path.c_str(), "w"));
        if (!out_file) return Usage_error("encode", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    std::FILE* out = out_file ? out_file.get() : stdout;

    XML_routines::Read_status status;
    bool write_failed;
    {
        Script_writer writer(out);
        P25::Set_receive_listener([&writer](Received what, const void* record) {
            for (const Encoder& e : encoders)
                if (e.what == what) e.write(writer, record);
        });
        // Nothing is logged: the document is only read.
        XML_routines::Output_file::Set_current(nullptr);
        XML_routines::Input_data input;
        status = XML_routines::Read_document(from_stdin ? nullptr : input_path.c_str(), XML_routines::P25_log_data,
                                             input);
        P25::Set_receive_listener(nullptr);
        if (status == XML_routines::Read_status::ok && input.Error_count() > 0)
            status = XML_routines::Read_status::reported;
        write_failed = writer.Failed();
    }
    if (std::fflush(out) != 0 || write_failed || (out_file && std::fclose(out_file.release()) != 0)) {
        std::fprintf(stderr, "tessel encode: error writing %s\n", out_path.empty() ? "standard output" : out_path.c_str());
        return exit_usage;
    }
    if (status == XML_routines::Read_status::not_well_formed) return exit_usage;
    return status == XML_routines::Read_status::reported ? exit_reported : exit_ok;
}

}  // namespace tessel
