// The generator of the round-trip property (generator.h).
#include "generator.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>

#include "LC_handler.h"
#include "P25_processing.h"
#include "Smartzone_processing.h"
#include "Trunking_handler.h"
#include "script.h"

namespace roundtrip {

namespace {

using Rng = std::mt19937;

unsigned Pick(Rng& rng, unsigned n) { return n ? static_cast<unsigned>(rng() % n) : 0; }

std::string Hex_digits(Rng& rng, unsigned digits) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned i = 0; i < digits; ++i) s += hex[Pick(rng, 16)];
    return s;
}

std::string Octets(const std::uint8_t* octets, std::size_t count) {
    std::string s;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, " %02X", octets[i]);
        s += pair;
    }
    return s;
}

// ---- Definitions whose element hides bits ----------------------------------------------------

// How a definition's hidden bits are settled before it is logged: null where
// they depend on other fields, so that only a read-back settles them (the
// definition's records go to the settled corpus).
using Settle = void (*)(std::uint8_t* octets);

struct Hidden_row {
    Exception row;
    unsigned blocks;  // trunking: the block count it is defined for; 0 otherwise
    Settle settle;
};

void No_link_id(std::uint8_t* octets) { octets[3] = octets[4] = octets[5] = 0; }

// Link-control words: a transmit offset in a zero channel spacing, a
// bandwidth code outside 4 and 5 of an explicit channel identifier, the sign
// of a zero local offset and octet 0 bit 5 of an extended services map.
void Channel_identifier(std::uint8_t* o) {
    if ((o[3] & 0x03) == 0 && o[4] == 0) o[4] = 1;
}
void Channel_identifier_explicit(std::uint8_t* o) {
    o[1] = static_cast<std::uint8_t>((o[1] & 0xF0) | (o[1] & 1 ? 4 : 5));
    Channel_identifier(o);
}
void Local_offset(std::uint8_t* o) {
    if ((o[3] & 0x1F) == 0) o[3] &= 0xDF;
}
void Services_map(std::uint8_t* o) {
    for (int i : {3, 6})
        if (o[i] & 0x80) o[i] &= 0xDF;
}

const std::vector<Hidden_row>& Hidden_rows() {
    static const char* const no_link = "link type none: the logical link ID (octets 3-5) is not written";
    static const char* const no_link_element = "no link element: the logical link ID (octets 3-5) is not written";
    static const std::vector<Hidden_row> rows = {
        {{"trunking", "AUTH_Q", no_link}, 2, No_link_id},
        {{"trunking", "CALL_ALRT_REQ", no_link}, 2, No_link_id},
        {{"trunking", "STS_Q_REQ", no_link}, 2, No_link_id},
        {{"trunking", "ROAM_ADDR_REQ", no_link}, 2, No_link_id},
        {{"trunking", "STS_UPDT", no_link}, 2, No_link_id},
        {{"trunking", "AUTH_RSP", no_link_element}, 3, No_link_id},
        {{"trunking", "ROAM_ADDR_UPDT", no_link_element}, 2, No_link_id},
        {{"trunking", "ROAM_ADDR_UPDT", no_link_element}, 3, No_link_id},
        {{"trunking", "ROAM_ADDR_UPDT", no_link_element}, 4, No_link_id},
        {{"trunking", "TELE_INT_DIAL_REQ",
          "octets 8, 9 and 12 belong to no field; the digit count (octet 13) shows only as the number of digits; "
          "digits past the count are not written"},
         2,
         [](std::uint8_t* o) {
             o[8] = o[9] = o[12] = 0;
             o[13] = 34;
         }},
        {{"trunking", "IDEN_UP", "a zero transmit offset loses its sign bit"}, 1, nullptr},
        {{"trunking", "IDEN_UP_VU", "a zero transmit offset loses its sign, one in a zero channel spacing its magnitude"},
         1, nullptr},
        {{"trunking", "IDEN_UP_TDMA",
          "a zero transmit offset loses its sign, one in a zero channel spacing its magnitude"},
         1, nullptr},
        {{"trunking", "SYNC_BCST", "a zero local time offset loses its sign bit"}, 1, nullptr},
        {{"trunking", "TIME_DATE_ANN", "a zero local time offset loses its sign bit"}, 1, nullptr},
        {{"trunking", "SYS_SRV_BCST", "octet 0 bit 5 of an extended services map belongs to no attribute"}, 1, nullptr},
        {{"link control", "LC_CH_ID_UPDT", "a transmit offset in a zero channel spacing loses its magnitude"}, 0,
         Channel_identifier},
        {{"link control", "LC_CH_ID_UPDT_EXP",
          "the bandwidth is named only for codes 4 and 5; a transmit offset in a zero channel spacing loses its "
          "magnitude"},
         0, Channel_identifier_explicit},
        {{"link control", "LC_CH_ID_UPDT_TDMA_packet", "a transmit offset in a zero channel spacing loses its magnitude"}, 0,
         Channel_identifier},
        {{"link control", "LC_SYNC_BCAST", "a zero local time offset loses its sign bit"}, 0, Local_offset},
        {{"link control", "LC_SYS_SRV_BCST", "octet 0 bit 5 of an extended services map belongs to no attribute"}, 0,
         Services_map},
    };
    return rows;
}

const Hidden_row* Hidden_trunking(const P25::Trunking_handler_base& h) {
    for (const Hidden_row& r : Hidden_rows())
        if (r.blocks == h.BlockCount() && std::string(r.row.family) == "trunking" && r.row.name == std::string(h.Name()))
            return &r;
    return nullptr;
}

const Hidden_row* Hidden_link_control(const P25::LC_handler_base& h) {
    for (const Hidden_row& r : Hidden_rows())
        if (std::string(r.row.family) == "link control" && r.row.name == std::string(h.Name())) return &r;
    return nullptr;
}

// ---- Shared keys -------------------------------------------------------------------------------

class Builder {
public:
    Builder(std::uint32_t seed, Corpus& corpus) : rng_(seed), corpus_(corpus) {}

    Rng& rng() { return rng_; }

    // The next timestamp, as a line writes it.
    std::string Timestamp() {
        const std::uint64_t ticks = Ticks_of(++records_);
        char text[32];
        std::snprintf(text, sizeof text, "%u.%08u", static_cast<unsigned>(ticks / 50000000u),
                      static_cast<unsigned>(ticks % 50000000u * 2u));
        return text;
    }
    // The shared keys a kind takes, random within their ranges; fixed ones
    // (channel, direction, type) when given.
    std::string Source(const tessel::Kind& kind, int channel = -1, const char* direction = nullptr,
                       const char* type = nullptr) {
        static const char* const directions[] = {"rx", "tx", "rx_sim"};
        static const char* const symbols[] = {"talk", "BUSY", "repeater", "IDLE"};
        std::string s;
        if (kind.keys & tessel::key_timestamp) s += " timestamp=" + Timestamp();
        if (kind.keys & tessel::key_phys_channel)
            s += " phys_channel=" + std::to_string(channel >= 0 ? static_cast<unsigned>(channel) : Pick(rng_, 256));
        if (kind.keys & tessel::key_direction) s += std::string(" direction=") + (direction ? direction : directions[Pick(rng_, 3)]);
        if (kind.keys & tessel::key_type) s += std::string(" type=") + (type ? type : Pick(rng_, 2) ? "osp" : "isp");
        if (kind.keys & tessel::key_timeslot) s += " timeslot=" + std::to_string(Pick(rng_, 256));
        if (kind.keys & tessel::key_nac) s += " NAC=" + Hex_digits(rng_, 3);
        if (kind.keys & tessel::key_status) {
            const unsigned n = Pick(rng_, 25);
            for (unsigned i = 0; i < n; ++i) s += (i ? "," : " status=") + std::string(symbols[Pick(rng_, 4)]);
        }
        if (kind.keys & tessel::key_date) {
            char text[48];
            std::snprintf(text, sizeof text, " date=%04u/%02u/%02u time=%02u:%02u:%02u", Pick(rng_, 10000),
                          1 + Pick(rng_, 12), 1 + Pick(rng_, 28), Pick(rng_, 24), Pick(rng_, 60), Pick(rng_, 60));
            s += text;
        }
        return s;
    }
    // A record of a known fault is only logged (it must not crash).
    void Add(const std::string& line, const std::string& label, bool settled = false) {
        corpus_.all.resize(records_);
        corpus_.all.back() = {line, label};
        for (const Exception& fault : Known_faults())
            if (label == fault.name || label.rfind(std::string(fault.name) + " ", 0) == 0) {
                corpus_.known.push_back({line, label});
                return;
            }
        (settled ? corpus_.settled : corpus_.exact).push_back({line, label});
    }
    void Note(const std::string& note) { corpus_.notes.push_back(note); }

private:
    Rng rng_;
    Corpus& corpus_;
    unsigned records_ = 0;
};

const tessel::Kind& Kind(const char* name) {
    const tessel::Kind* kind = tessel::Find_kind(name);
    if (!kind) throw std::runtime_error(std::string("no kind ") + name);
    return *kind;
}

// ---- Own keys of the kinds, by name ---------------------------------------------------------------

using Value_maker = std::function<std::string(Rng&)>;

std::string Choice(Rng& rng, std::initializer_list<const char*> choices) {
    return *(choices.begin() + Pick(rng, static_cast<unsigned>(choices.size())));
}

// A data item of a simulator state: its child's name and text.
const std::map<std::string, Value_maker>& Item_values() {
    static const std::map<std::string, Value_maker> values = {
        {"Group_ID", [](Rng& r) { return Hex_digits(r, 4); }},
        {"Group_address", [](Rng& r) { return Hex_digits(r, 4); }},
        {"Target_ID", [](Rng& r) { return Hex_digits(r, 6); }},
        {"Target_address", [](Rng& r) { return Hex_digits(r, 6); }},
        {"Source_ID", [](Rng& r) { return Hex_digits(r, 6); }},
        {"Source_address", [](Rng& r) { return Hex_digits(r, 6); }},
        {"Unit_ID", [](Rng& r) { return Hex_digits(r, 6); }},
        {"Unit_address", [](Rng& r) { return Hex_digits(r, 6); }},
        {"Frequency", [](Rng& r) { return std::to_string(r() % 1000000000u); }},
        {"Registration_value", [](Rng& r) { return Choice(r, {"ACCEPT", "FAIL", "DENY", "REFUSED"}); }},
        {"Call_end_reason",
         [](Rng& r) { return Choice(r, {"NO_RADIO_DETECTED", "RADIO_TERMINATED", "SYSTEM_TERMINATED"}); }},
        {"Service_options",
         [](Rng& r) {
             return std::string("emergency=") + (Pick(r, 2) ? "true" : "false") +
                    ",priority=" + std::to_string(Pick(r, 8));
         }},
        {"WACN", [](Rng& r) { return Hex_digits(r, 5); }},
        {"System_ID", [](Rng& r) { return Hex_digits(r, 3); }},
    };
    return values;
}

std::string Item(Rng& rng, Builder& b) {
    const auto* subs = XML_routines::Info<P25::Sim_state_data_type>::info.Sub_elements();
    if (!subs || subs->Count() == 0) return "";
    const std::string name = (*subs)[Pick(rng, subs->Count())]->Name();
    const auto found = Item_values().find(name);
    if (found == Item_values().end()) {
        b.Note("no value for the data item " + name);
        return "";
    }
    return name + ":" + found->second(rng);
}

// Every own key of a kind has a maker here; a kind with a key it does not
// know fails the property, so a new key is noticed.
const std::map<std::string, Value_maker>& Field_values() {
    static const std::map<std::string, Value_maker> values = {
        {"Key_ID", [](Rng& r) { return Hex_digits(r, 4); }},
        {"Group_ID", [](Rng& r) { return Hex_digits(r, 4); }},
        {"mfid", [](Rng& r) { return Hex_digits(r, 2); }},
        {"Algorithm_ID", [](Rng& r) { return Hex_digits(r, 2); }},
        {"kid", [](Rng& r) { return Hex_digits(r, 4); }},
        {"algid", [](Rng& r) { return Hex_digits(r, 2); }},
        {"burst", [](Rng& r) { return Choice(r, {"A", "B", "C", "D", "E", "F", "Invalid_burst"}); }},
        {"cach", [](Rng& r) { return Hex_digits(r, 6); }},
        {"protocol", [](Rng& r) { return Hex_digits(r, 12); }},
        {"vc1", [](Rng& r) { return Hex_digits(r, 18); }},
        {"vc2", [](Rng& r) { return Hex_digits(r, 18); }},
        {"vc3", [](Rng& r) { return Hex_digits(r, 18); }},
        {"mi", [](Rng& r) { return Hex_digits(r, 18); }},
        {"enable", [](Rng& r) { return std::to_string(Pick(r, 2)); }},
        {"phys_channel", [](Rng& r) { return std::to_string(Pick(r, 400)); }},
        {"Frequency", [](Rng& r) { return std::to_string(r() % 1000000000u); }},
        {"ID", [](Rng& r) { return std::to_string(Pick(r, 65536)); }},
        {"State", [](Rng& r) { return std::to_string(Pick(r, 8)); }},
        {"baud", [](Rng& r) { return Pick(r, 4) ? Choice(r, {"150", "300", "3600"}) : std::to_string(Pick(r, 100000)); }},
        {"ch_type", [](Rng& r) { return Pick(r, 4) ? Choice(r, {"Control", "Traffic"}) : std::to_string(Pick(r, 256)); }},
        {"bits", [](Rng& r) { return std::to_string(Pick(r, 256)); }},
        {"bit_errs", [](Rng& r) { return std::to_string(Pick(r, 256)); }},
        {"crc", [](Rng& r) { return Hex_digits(r, 4); }},
        {"address", [](Rng& r) { return Hex_digits(r, 4); }},
        {"i_bit", [](Rng& r) { return std::string(Pick(r, 2) ? "true" : "false"); }},
        {"cmd", [](Rng& r) { return std::to_string(Pick(r, 1024)); }},
        {"id", [](Rng& r) { return Hex_digits(r, 4); }},
        {"type", [](Rng& r) { return std::to_string(Pick(r, 32)); }},
    };
    return values;
}

// Kinds whose bytes depend on their own keys: their records come from the
// families below.
bool Generated_by_family(const tessel::Kind& kind) { return std::string(kind.name) == "overhead"; }

// A random line of a kind, from its description alone.
void Kind_lines(Builder& b, unsigned rounds) {
    for (const tessel::Kind* kind : tessel::All_kinds()) {
        if (Generated_by_family(*kind)) continue;
        for (unsigned round = 0; round < rounds; ++round) {
            Rng& rng = b.rng();
            std::string line = kind->name + b.Source(*kind);
            bool complete = true, given = false;
            for (const tessel::Field_key& field : kind->fields) {
                if (!field.required && Pick(rng, 4) == 0) continue;
                given = true;
                if (std::string(field.name) == "item") {
                    const std::string item = Item(rng, b);
                    if (!item.empty()) line += " item=" + item;
                    continue;
                }
                const auto maker = Field_values().find(field.name);
                if (maker == Field_values().end()) {
                    b.Note(std::string("no value for the key ") + field.name + " of " + kind->name);
                    complete = false;
                    break;
                }
                line += " " + std::string(field.name) + "=" + maker->second(rng);
            }
            if (!complete) break;
            // A kind that takes one word, or none, takes it as its own keys
            // or as bytes (osw, isw).
            const tessel::Byte_count& bytes = kind->bytes;
            const bool word_as_keys = bytes.min == 0 && bytes.step == bytes.max && given;
            if (bytes.max > 0 && !word_as_keys) {
                std::size_t n = bytes.min + bytes.step * Pick(rng, 4);
                if (n > bytes.max) n = bytes.max;
                std::vector<std::uint8_t> octets(n);
                for (std::uint8_t& o : octets) o = static_cast<std::uint8_t>(rng());
                line += Octets(octets.data(), octets.size());
            }
            b.Add(line, std::string("kind ") + kind->name);
        }
    }
}

// ---- Trunking definitions ------------------------------------------------------------------------

void Trunking_lines(Builder& b, unsigned rounds) {
    const tessel::Kind& tsbk = Kind("tsbk");
    const tessel::Kind& pdu = Kind("pdu");
    const tessel::Kind& header = Kind("pdu_header");
    const tessel::Kind& cont = Kind("pdu_cont");
    const tessel::Kind& overhead = Kind("overhead");
    for (const P25::Trunking_handler_base* h : P25::MFID_record::Handlers()) {
        const Hidden_row* hidden = Hidden_trunking(*h);
        const bool settled = hidden && !hidden->settle;
        const unsigned blocks = h->BlockCount();
        const char* type = h->Outbound() ? "osp" : "isp";
        const std::string label = std::string(h->Name()) + " " + type + " " + std::to_string(blocks);
        for (unsigned round = 0; round < rounds; ++round) {
            Rng& rng = b.rng();
            // Room for fields that run on past the message's blocks.
            std::vector<P25::P25_TSBK_DATA> m(blocks + 1);
            for (P25::P25_TSBK_DATA& block : m)
                for (std::uint8_t& o : block.data) o = static_cast<std::uint8_t>(rng());
            m.back() = P25::P25_TSBK_DATA{};
            if (hidden && hidden->settle) hidden->settle(m[0].data);
            h->Frame(m.data());
            m.pop_back();
            const std::string octets = Octets(m[0].data, blocks * sizeof m[0]);
            const unsigned channel = Pick(rng, 256);
            if (blocks == 1) {
                b.Add("tsbk" + b.Source(tsbk, -1, nullptr, type) + octets, "tsbk " + label, settled);
            } else {
                b.Add("pdu" + b.Source(pdu, -1, nullptr, type) + octets, "pdu " + label, settled);
                // Block by block, on one channel and direction.
                const char* direction = Pick(rng, 2) ? "rx" : "tx";
                b.Add("pdu_header" + b.Source(header, static_cast<int>(channel), direction, type) +
                          Octets(m[0].data, sizeof m[0]),
                      "pdu_header " + label, settled);
                for (unsigned i = 1; i < blocks; ++i)
                    b.Add("pdu_cont" + b.Source(cont, static_cast<int>(channel), direction, type) +
                              Octets(m[i].data, sizeof m[i]),
                          "pdu_cont " + label, settled);
            }
            // An overhead slot of a control channel.
            char slot[64];
            std::snprintf(slot, sizeof slot, " duid=%s handle=%08X interval=%u", blocks == 1 ? "TSDU" : "PDU",
                          static_cast<unsigned>(rng()), static_cast<unsigned>(rng() % 100000));
            b.Add("overhead" + b.Source(overhead, -1, "tx", type) + slot + octets, "overhead " + label, settled);
        }
    }
}

// ---- Link-control definitions ---------------------------------------------------------------------

void Link_control_lines(Builder& b, unsigned rounds) {
    static const char* const carriers[] = {"lc", "ldu1", "term_lc", "f2_lc_hdr"};
    P25::For_each_link_control([&](const P25::MFID_record&, const P25::LC_handler_base& h) {
        const Hidden_row* hidden = Hidden_link_control(h);
        for (unsigned round = 0; round < rounds; ++round) {
            for (const char* carrier : carriers) {
                Rng& rng = b.rng();
                P25::Any_link_control w;
                for (std::uint8_t& o : w.bytes) o = static_cast<std::uint8_t>(rng());
                XML_routines::Input_data setup;
                delete h.Get_instance(setup, w);  // the definition's header
                if (hidden && hidden->settle) hidden->settle(w.bytes);
                b.Add(carrier + b.Source(Kind(carrier)) + Octets(w.bytes, sizeof w.bytes),
                      std::string(carrier) + " " + h.Name(), hidden && !hidden->settle);
            }
        }
    });
}

// ---- SmartZone messages ------------------------------------------------------------------------------

constexpr unsigned first_word1 = 776, triple_word = 800, isw_first = 8;

std::string Osw(Builder& b, unsigned channel, unsigned cmd) {
    char keys[64];
    std::snprintf(keys, sizeof keys, " address=%04X i_bit=%s cmd=%u", static_cast<unsigned>(b.rng()() & 0xFFFF),
                  Pick(b.rng(), 2) ? "true" : "false", cmd);
    return "osw" + b.Source(Kind("osw"), static_cast<int>(channel), "rx") + keys;
}

std::string Isw(Builder& b, unsigned channel, unsigned type) {
    char keys[48];
    std::snprintf(keys, sizeof keys, " id=%04X type=%u", static_cast<unsigned>(b.rng()() & 0xFFFF), type);
    return "isw" + b.Source(Kind("isw"), static_cast<int>(channel), "rx") + keys;
}

// One outbound word's four bytes and one inbound word's three.
std::string Osw_bytes(Rng& rng, unsigned cmd) {
    Smartzone::OSW_generic word{};
    word.address = static_cast<unsigned short>(rng());
    if (Pick(rng, 2)) word.tail.octets[0] = 0x80;
    word.Set_command(cmd);
    return Octets(reinterpret_cast<const std::uint8_t*>(&word), sizeof word);
}
std::string Isw_bytes(Rng& rng, unsigned type) {
    Smartzone::ISW_first word{};
    word.id = static_cast<unsigned short>(rng());
    word.Set_type(type);
    return Octets(reinterpret_cast<const std::uint8_t*>(&word), sizeof word);
}

void Smartzone_lines(Builder& b, unsigned rounds) {
    using Smartzone::Smartzone_ISW_opcode_base;
    using Smartzone::Smartzone_OSW_opcode_base;
    const tessel::Kind& overhead = Kind("overhead");
    // Each definition under the commands it is filed for, by word count.
    std::map<std::pair<const void*, unsigned>, std::vector<unsigned>> osw, isw;
    for (unsigned cmd = 0; cmd < Smartzone_OSW_opcode_base::commands; ++cmd)
        for (unsigned size = 0; size < Smartzone_OSW_opcode_base::sizes; ++size)
            if (const auto* h = Smartzone_OSW_opcode_base::table[cmd][size]) osw[{h, size + 1}].push_back(cmd);
    for (unsigned type = 0; type < Smartzone_ISW_opcode_base::types; ++type)
        for (unsigned size = 0; size < Smartzone_ISW_opcode_base::sizes; ++size)
            if (const auto* h = Smartzone_ISW_opcode_base::table[type][size]) isw[{h, size + 1}].push_back(type);
    for (const auto& entry : osw) {
        const unsigned words = entry.first.second;
        const std::string label =
            std::string("osw ") + static_cast<const Smartzone_OSW_opcode_base*>(entry.first.first)->Name();
        for (unsigned round = 0; round < rounds; ++round) {
            Rng& rng = b.rng();
            const unsigned cmd = entry.second[Pick(rng, static_cast<unsigned>(entry.second.size()))];
            const unsigned channel = Pick(rng, 4);
            std::vector<unsigned> cmds;
            if (words >= 2) cmds.push_back(first_word1);
            if (words == 3) cmds.push_back(triple_word);
            cmds.push_back(cmd);
            std::string slot_words;
            for (unsigned c : cmds) {
                b.Add(Osw(b, channel, c), label);
                slot_words += Osw_bytes(rng, c);
            }
            char slot[64];
            std::snprintf(slot, sizeof slot, " duid=SMARTZONE_OSW handle=%08X interval=%u",
                          static_cast<unsigned>(rng()), static_cast<unsigned>(rng() % 100000));
            // The slot reads back through its message's element, which may
            // not show every bit of the words (see Known_faults).
            b.Add("overhead" + b.Source(overhead, static_cast<int>(channel), "tx", "osp") + slot + slot_words,
                  "overhead " + label, true);
        }
    }
    for (const auto& entry : isw) {
        const unsigned words = entry.first.second;
        const std::string label =
            std::string("isw ") + static_cast<const Smartzone_ISW_opcode_base*>(entry.first.first)->Name();
        for (unsigned round = 0; round < rounds; ++round) {
            Rng& rng = b.rng();
            const unsigned type = entry.second[Pick(rng, static_cast<unsigned>(entry.second.size()))];
            const unsigned channel = Pick(rng, 4);
            std::string slot_words;
            if (words == 2) {
                b.Add(Isw(b, channel, isw_first), label);
                slot_words += Isw_bytes(rng, isw_first);
            }
            b.Add(Isw(b, channel, type), label);
            slot_words += Isw_bytes(rng, type);
            char slot[64];
            std::snprintf(slot, sizeof slot, " duid=SMARTZONE_ISW handle=%08X interval=%u",
                          static_cast<unsigned>(rng()), static_cast<unsigned>(rng() % 100000));
            b.Add("overhead" + b.Source(overhead, static_cast<int>(channel), "tx", "isp") + slot + slot_words,
                  "overhead " + label, true);
        }
    }
    // A raw slot: any data bytes.
    for (unsigned round = 0; round < rounds; ++round) {
        Rng& rng = b.rng();
        std::vector<std::uint8_t> data(Pick(rng, P25::SZ_bits::capacity + 1));
        for (std::uint8_t& o : data) o = static_cast<std::uint8_t>(rng());
        b.Add("overhead" + b.Source(overhead, -1, "tx") + " duid=SMARTZONE_RAW" + Octets(data.data(), data.size()),
              "overhead SMARTZONE_RAW");
    }
}

}  // namespace

const Record* Corpus::At(std::uint32_t ticks) const {
    const std::uint32_t n = ticks / Ticks_of(1);
    return n >= 1 && n <= all.size() && !all[n - 1].line.empty() ? &all[n - 1] : nullptr;
}

Corpus Generate(std::uint32_t seed, unsigned rounds) {
    Corpus corpus;
    Builder b(seed, corpus);
    Kind_lines(b, rounds);
    Trunking_lines(b, rounds);
    Link_control_lines(b, rounds);
    Smartzone_lines(b, rounds);
    return corpus;
}

// Faults of the reader and the SmartZone definitions the property finds,
// each matched against a record's label ("pdu NAME isp 2", "kind sz_raw",
// "osw NAME"): their records are logged but not compared.
const std::vector<Exception>& Known_faults() {
    static const std::vector<Exception> rows = {
        {"smartzone", "overhead osw Extended_OSW3",
         "a unit and a talk group in one message read back paired with the first entry of their tag (conditional "
         "children matched by position)"},
    };
    return rows;
}

const std::vector<Exception>& Hidden_bits() {
    static const std::vector<Exception> rows = [] {
        std::vector<Exception> r;
        for (const Hidden_row& h : Hidden_rows()) r.push_back(h.row);
        return r;
    }();
    return rows;
}

}  // namespace roundtrip
