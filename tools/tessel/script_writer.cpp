// The record-script lines of a document's records (script_writer.h): the
// air bytes of TSBKs and PDUs with their headers and CRCs completed as the
// library completes them, link-control words, the status symbols and times
// of the log document, and the elements the library only logs (voice,
// channel settings, simulator states, SmartZone channel words) as the lines
// of their kinds.
//
// The records come through the library's receive listener, one call an
// element; each kind of record has one writer in the table at the bottom.
#include "script_writer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "P25_processing.h"
#include "Smartzone_processing.h"
#include "script.h"

namespace tessel {

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

}  // namespace

// Writes the lines, keeping what joins one element's record to the next:
// status symbols waiting for their data unit, the data unit whose decoded
// messages follow it, a data unit waiting for its link-control word, the
// last word as received (its decoded element follows it), and the lines of
// the messages read last, which an overhead slot holding them takes back.
class Script_writer {
public:
    Script_writer(Line_sink sink, bool quiet) : sink_(std::move(sink)), quiet_(quiet) {}
    // Writes what waits for a record that will not come.
    void Flush() {
        Begin();
        Flush_pending();
        Flush_status();
        for (const Line& l : recent_) Write(l.text);
        recent_.clear();
    }

    void Status(const P25::DUID_Header& header) {
        Begin();
        Flush_status();
        status_ = header;
        status_source_ = Source_keys(header.metadata);
        has_status_ = true;
    }
    void Time(const P25::Time_log& record) {
        Begin();
        Flush_pending();
        Flush_status();
        std::string line = "time" + Source_keys(record.metadata);
        const P25::Calendar_time& t = record.real_time;
        char text[64];
        std::snprintf(text, sizeof text, " date=%04d/%02d/%02d time=%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                      t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
        Put(line + text);
    }
    // A data unit as the host had it, and how many decoded messages follow
    // it in a log: one a TSBK up to the last-block flag, one for a whole PDU
    // or after a continuation block, none after a PDU's header block.
    void Data_unit(const char* kind, const P25::TSBK_PDU_data& r, unsigned blocks, unsigned messages) {
        Begin();
        // The entry points take at most 127 blocks: a longer unit is no line.
        if (blocks > 127) {
            if (!quiet_)
                std::fprintf(stderr, "tessel encode: note: a %s of %u blocks gives no line: the log takes 127 at most\n",
                         kind, blocks);
            return;
        }
        Flush_pending();
        const P25::DUID_Header* status = nullptr;
        if (has_status_ && Same_source(status_.metadata, r.header.metadata)) status = &status_;
        if (!status) Flush_status();
        has_status_ = false;
        unit_channel_ = r.header.metadata.phys_channel;
        unit_messages_ = messages;
        Put(kind + Source_keys(r.header.metadata) + Nac_key(r.header.nid.nac) + (status ? Status_key(*status) : "") +
            Hex(r.tsbk, blocks));
    }
    static unsigned Tsbk_messages(const P25::TSBK_PDU_data& r) {
        unsigned n = 0;
        while (n < r.block_count && n < P25::TSBK_PDU_data::max_blocks && !(r.tsbk[n++].data[0] & 0x80)) {
        }
        return n;
    }
    // A message that follows its data unit is that unit decoded (whatever
    // bits its element hides); any other is a line of its own, held until
    // the next record, since an overhead slot holding it takes it back.
    void Message(const P25::Trunking_data& r) {
        if (unit_messages_ > 0 && r.metadata.phys_channel == unit_channel_) {
            --unit_messages_;
            return;
        }
        if (r.block_count == 0 || r.block_count > 127) return;  // what the entry points take
        // The lines held stay held: the messages of one overhead slot follow
        // each other.
        if (has_pending_ || has_status_) {
            Begin();
            Flush_pending();
            Flush_status();
        }
        unit_messages_ = 0;
        const char* kind = r.duid == P25::PDU ? "pdu" : "tsbk";
        Put(kind + Source_keys(r.metadata) + Nac_key(r.nac) + Hex(r.tsbk, r.block_count), Origin::message,
            Octets_of(r.tsbk, r.block_count));
    }
    // An overhead slot: its line replaces those of its children (its raw
    // "TSBK" or "PDU" and its "Trunking_message" are messages of the slot).
    void Overhead(const P25::Trunking_Overhead& r) {
        const std::vector<std::uint8_t> heard = Take_back_children(r);
        Begin();
        Flush_pending();
        Flush_status();
        Put(Overhead_line(r, heard));
    }
    // An element the library only logs, as the line of its kind (see
    // Element_line).  A kind that takes a link-control word its element does
    // not show waits for the word that follows it on the same source, and
    // the element repeated meanwhile is the same data unit logged again.
    void Element(const char* kind_name, const P25::Received_element& e) {
        const Kind* kind = Find_kind(kind_name);
        if (!kind || !e.element) return;
        Begin();
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
            pending_bytes_ = kind->bytes.min;
            return;
        }
        Put(line + status + Hex(bytes.data(), bytes.size()), Origin::element, bytes);
    }
    // A link-control word as received: the one a waiting data unit carries,
    // or a word on its own.
    void Link_control(const P25::p25_LCO& r) {
        Begin();
        const std::string source = Source_keys(r.header.metadata);
        const std::string word = Hex(r.lc.bytes, sizeof r.lc.bytes);
        if (has_pending_ && pending_source_ == source) {
            has_pending_ = false;
            Put(pending_base_ + pending_status_ + word);
        } else {
            Flush_pending();
            Flush_status();
            Put("lc" + source + word);
        }
        has_raw_word_ = true;
        raw_word_source_ = source;
    }
    // A word read from its decoded element: the word just received decoded
    // (no line, whatever its element shows), or a word on its own.
    void Decoded_link_control(const P25::p25_LCO& r) {
        const std::string source = Source_keys(r.header.metadata);
        if (has_raw_word_ && raw_word_source_ == source) {
            has_raw_word_ = false;
            return;
        }
        Link_control(r);
        has_raw_word_ = false;
    }

private:

    // A record that is not a decoded message ends what the last ones started.
    void Begin() {
        unit_messages_ = 0;
        has_raw_word_ = false;
    }
    static bool Same_source(const P25::Source_info& a, const P25::Source_info& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    // The "overhead" line of a slot: its data unit by name, its handle and
    // interval, and its content as the kind takes it: a TSDU's or a PDU's
    // blocks with the data unit's NAC, a SmartZone slot's words or data
    // bytes with their source.  Words heard: a SmartZone slot's words as
    // the lines taken back showed them.
    static std::string Overhead_line(const P25::Trunking_Overhead& r, const std::vector<std::uint8_t>& heard) {
        const auto& sz = reinterpret_cast<const Smartzone::Overhead_record&>(r);
        std::string nac, content;
        P25::Source_info source = r.metadata;
        switch (r.duid) {
        case P25::TSDU:
        case P25::PDU:
            source = r.tsbk.header.metadata;
            nac = Nac_key(r.tsbk.header.nid.nac);
            content = Hex(r.tsbk.tsbk, std::min<unsigned>(r.tsbk.block_count, P25::TSBK_PDU_data::max_blocks));
            break;
        case P25::SMARTZONE_OSW:
            source = sz.snsz_osw.source;
            content = Hex(sz.snsz_osw.words.words[0], 4 * std::min<std::uint32_t>(sz.snsz_osw.words.count, 3));
            break;
        case P25::SMARTZONE_ISW:
            source = sz.snsz_isw.source;
            content = Hex(sz.snsz_isw.words.words[0], 3 * std::min<std::uint32_t>(sz.snsz_isw.words.count, 3));
            break;
        case P25::SMARTZONE_RAW:
            source = sz.sz_bits.metadata;
            content = Hex(sz.sz_bits.bits.data, std::min<std::size_t>(sz.sz_bits.bits.count, P25::SZ_bits::capacity));
            break;
        default:
            break;
        }
        if (!heard.empty()) content = Hex(heard.data(), heard.size());
        std::string line = "overhead" + Source_keys(source) + nac;
        if (r.duid != P25::TSDU) line += " duid=" + Duid_name(r.duid);
        char text[32];
        if (r.handle) {
            std::snprintf(text, sizeof text, " handle=%08X", static_cast<unsigned>(r.handle));
            line += text;
        }
        if (r.repeat_time) line += " interval=" + std::to_string(r.repeat_time);
        return line + content;
    }
    static std::string Duid_name(std::uint32_t duid) {
        switch (duid) {
        case P25::PDU: return "PDU";
        case P25::SMARTZONE_OSW: return "SMARTZONE_OSW";
        case P25::SMARTZONE_ISW: return "SMARTZONE_ISW";
        case P25::SMARTZONE_RAW: return "SMARTZONE_RAW";
        default: return std::to_string(duid);
        }
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
        return Hex(Octets_of(blocks), count * sizeof(Block));
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
        std::vector<std::pair<std::string, std::string>> own;
        for (const xmlAttr* a = node->properties; a; a = a->next) {
            const std::string name = reinterpret_cast<const char*>(a->name), value = Text_of(a->children);
            bool done = name == "NAC" && (kind.keys & key_nac);
            if (done && value != "000") keys += " NAC=" + value;
            for (std::size_t i = 0; i < std::size(source_key_names) && !done; ++i)
                if (name == source_key_names[i].name && (kind.keys & source_key_names[i].bit)) {
                    if (value != source_key_names[i].default_value) shared[i] = " " + name + "=" + Seconds(name, value);
                    done = true;
                }
            if (!done) Own_key(kind, name, value, own, bytes);
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
            Own_key(kind, reinterpret_cast<const char*>(child->name), value, own, bytes);
        }
        for (const auto& key : own)
            if (!At_default(kind, key.first, key.second, own, node, bytes.size())) keys += " " + key.first + "=" + key.second;
    }
    static void Own_key(const Kind& kind, const std::string& name, const std::string& value,
                        std::vector<std::pair<std::string, std::string>>& own, std::vector<std::uint8_t>& bytes) {
        bool items = false;
        for (const Field_key& field : kind.fields) {
            if (name == field.name) {
                own.emplace_back(name, value);
                return;
            }
            items = items || std::string(field.name) == "item";
        }
        if (items && !value.empty()) own.emplace_back("item", name + ":" + value);
        else Octets(value, kind, bytes);
    }
    // A key the line can leave out: its value is the kind's default, or for
    // the bits of a SmartZone channel word the count its baud rate, direction
    // and bytes give.
    static bool At_default(const Kind& kind, const std::string& name, const std::string& value,
                           const std::vector<std::pair<std::string, std::string>>& own, const xmlNode* node,
                           std::size_t byte_count) {
        for (const Field_key& field : kind.fields) {
            if (name != field.name) continue;
            if (field.default_value) return value == field.default_value;
            if (name != "bits") return false;
            unsigned long baud = 3600;
            for (const auto& key : own)
                if (key.first == "baud") baud = std::strtoul(key.second.c_str(), nullptr, 0);
            bool outbound = true;
            for (const xmlAttr* a = node->properties; a; a = a->next)
                if (std::strcmp(reinterpret_cast<const char*>(a->name), "type") == 0)
                    outbound = Text_of(a->children) != "isp";
            return value == std::to_string(Default_word_bits(static_cast<std::uint32_t>(baud), outbound, byte_count));
        }
        return false;
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
    // A data unit whose word did not follow carries the word its record
    // holds: zeros.
    void Flush_pending() {
        if (!has_pending_) return;
        has_pending_ = false;
        const std::vector<std::uint8_t> zeros(pending_bytes_);
        Put(pending_base_ + pending_status_ + Hex(zeros.data(), zeros.size()));
    }
    void Flush_status() {
        if (!has_status_) return;
        has_status_ = false;
        Put("status" + Source_keys(status_.metadata) + Status_key(status_));
    }
    // The last lines wait before they are written: an overhead slot takes
    // back the lines of its children, the messages of a P25 slot and the
    // words a SmartZone slot is logged with before it.
    enum class Origin { other, message, element };
    struct Line {
        std::string text;
        Origin origin;
        std::vector<std::uint8_t> octets;
    };
    static constexpr std::size_t lines_kept = 8;
    void Put(const std::string& text, Origin origin = Origin::other, std::vector<std::uint8_t> octets = {}) {
        recent_.push_back({text, origin, std::move(octets)});
        if (recent_.size() > lines_kept) {
            Write(recent_.front().text);
            recent_.pop_front();
        }
    }
    // Blocks in a row are one run of octets (12 a block, no padding): the
    // octets of several are read through the first octet of the run, not
    // through the first block's array, which holds only its own 12.
    static const std::uint8_t* Octets_of(const Block* blocks) {
        return reinterpret_cast<const std::uint8_t*>(blocks);
    }
    static std::vector<std::uint8_t> Octets_of(const Block* blocks, unsigned count) {
        return std::vector<std::uint8_t>(Octets_of(blocks), Octets_of(blocks) + count * sizeof(Block));
    }
    // Takes back the lines of a slot's children: for a SmartZone slot, the
    // words as those lines showed them (every octet, the bits past the word
    // too, which the slot's element does not show), when they were all there.
    std::vector<std::uint8_t> Take_back_children(const P25::Trunking_Overhead& r) {
        if (r.duid == P25::TSDU || r.duid == P25::PDU) {
            const unsigned count = std::min<unsigned>(r.tsbk.block_count, P25::TSBK_PDU_data::max_blocks);
            const std::vector<std::uint8_t> slot = count ? Octets_of(r.tsbk.tsbk, count) : std::vector<std::uint8_t>{};
            while (!recent_.empty() && recent_.back().origin == Origin::message && recent_.back().octets == slot)
                recent_.pop_back();
            return {};
        }
        // The slot's words, each logged as a "Smartzone_cooked" before it.
        const auto& sz = reinterpret_cast<const Smartzone::Overhead_record&>(r);
        std::vector<std::vector<std::uint8_t>> words;
        if (r.duid == P25::SMARTZONE_OSW)
            for (std::uint32_t i = 0; i < std::min<std::uint32_t>(sz.snsz_osw.words.count, 3); ++i)
                words.emplace_back(sz.snsz_osw.words.words[i], sz.snsz_osw.words.words[i] + 4);
        if (r.duid == P25::SMARTZONE_ISW)
            for (std::uint32_t i = 0; i < std::min<std::uint32_t>(sz.snsz_isw.words.count, 3); ++i)
                words.emplace_back(sz.snsz_isw.words.words[i], sz.snsz_isw.words.words[i] + 3);
        if (words.empty() || words.size() > recent_.size()) return {};
        const auto first = recent_.end() - static_cast<std::ptrdiff_t>(words.size());
        std::vector<std::uint8_t> heard;
        for (std::size_t i = 0; i < words.size(); ++i) {
            const Line& line = first[static_cast<std::ptrdiff_t>(i)];
            if (line.origin != Origin::element || line.text.compare(0, 10, "sz_cooked ") != 0 ||
                !Same_word(line.octets, words[i], Default_word_bits(3600, r.duid == P25::SMARTZONE_OSW, words[i].size())))
                return {};
            heard.insert(heard.end(), line.octets.begin(), line.octets.end());
        }
        recent_.erase(first, recent_.end());
        return heard;
    }
    // The same word in its first bits; the octets' bits past them are not sent.
    static bool Same_word(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, unsigned bits) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const unsigned shown = bits > 8 * i ? std::min(bits - 8 * static_cast<unsigned>(i), 8u) : 0;
            const std::uint8_t mask = static_cast<std::uint8_t>(0xFF00u >> shown);
            if ((a[i] ^ b[i]) & mask) return false;
        }
        return true;
    }
    void Write(const std::string& line) { sink_(line); }

    Line_sink sink_;
    bool quiet_;
    P25::DUID_Header status_{};
    bool has_status_ = false;
    std::string status_source_;
    // The channel of the last data unit, and its decoded messages to come.
    unsigned unit_channel_ = 0;
    unsigned unit_messages_ = 0;
    std::deque<Line> recent_;
    // A data unit waiting for its link-control word, and how many octets of
    // zero it takes when none follows.
    bool has_pending_ = false;
    std::string pending_base_, pending_source_, pending_status_;
    std::size_t pending_bytes_ = 0;
    // The source of the word just received, whose decoded element follows.
    bool has_raw_word_ = false;
    std::string raw_word_source_;
};

namespace {

const P25::TSBK_PDU_data& Unit(const void* record) { return *static_cast<const P25::TSBK_PDU_data*>(record); }
unsigned Blocks(const P25::TSBK_PDU_data& r) {
    return std::min<unsigned>(r.block_count, P25::TSBK_PDU_data::max_blocks);
}

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
    {Received::tsbk, [](Script_writer& w, const void* r) {
         w.Data_unit("tsbk", Unit(r), Blocks(Unit(r)), Script_writer::Tsbk_messages(Unit(r)));
     }},
    {Received::pdu, [](Script_writer& w, const void* r) { w.Data_unit("pdu", Unit(r), Blocks(Unit(r)), 1); }},
    {Received::pdu_header, [](Script_writer& w, const void* r) { w.Data_unit("pdu_header", Unit(r), 1, 0); }},
    {Received::pdu_cont, [](Script_writer& w, const void* r) { w.Data_unit("pdu_cont", Unit(r), 1, 1); }},
    {Received::trunking_message, [](Script_writer& w, const void* r) { w.Message(*static_cast<const P25::Trunking_data*>(r)); }},
    {Received::overhead, [](Script_writer& w, const void* r) { w.Overhead(*static_cast<const P25::Trunking_Overhead*>(r)); }},
    {Received::link_control, [](Script_writer& w, const void* r) { w.Link_control(*static_cast<const P25::p25_LCO*>(r)); }},
    {Received::decoded_link_control,
     [](Script_writer& w, const void* r) { w.Decoded_link_control(*static_cast<const P25::p25_LCO*>(r)); }},
    {Received::element, Write_element},
};

}  // namespace

Script_encoder::Script_encoder(Line_sink sink, bool quiet)
    : writer_(std::make_unique<Script_writer>(std::move(sink), quiet)) {
    P25::Set_receive_listener([writer = writer_.get()](Received what, const void* record) {
        for (const Encoder& e : encoders)
            if (e.what == what) e.write(*writer, record);
    });
}

Script_encoder::~Script_encoder() { Finish(); }

void Script_encoder::Finish() {
    P25::Set_receive_listener(nullptr);
    writer_->Flush();
}

}  // namespace tessel
