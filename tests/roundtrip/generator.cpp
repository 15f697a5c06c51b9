// The generator of the round-trip property (generator.h).
#include "generator.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "LC_handler.h"
#include "P25_processing.h"
#include "Smartzone_processing.h"
#include "Trunking_handler.h"
#include "script.h"
#include "support.h"

namespace roundtrip {

namespace {

using Rng = std::mt19937;

// The timestamp of the n-th record (from 1), in 50 MHz ticks: 1/128 s apart.
constexpr std::uint32_t Ticks_of(std::size_t n) { return 390625u * static_cast<std::uint32_t>(n); }

unsigned Pick(Rng& rng, std::size_t n) { return n ? static_cast<unsigned>(rng() % n) : 0; }

void Fill(Rng& rng, std::uint8_t* octets, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) octets[i] = static_cast<std::uint8_t>(rng());
}

const char hex[] = "0123456789ABCDEF";

std::string Octets(const void* data, std::size_t count) {
    const auto* octets = static_cast<const std::uint8_t*>(data);
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s += {' ', hex[octets[i] >> 4], hex[octets[i] & 15]};
    return s;
}

std::string Random_octets(Rng& rng, std::size_t count) {
    std::vector<std::uint8_t> octets(count);
    Fill(rng, octets.data(), count);
    return Octets(octets.data(), count);
}

// A random value: one of the alternatives split by '|', where "xN" stands for
// N hex digits and "dN" for a decimal below N.
std::string Value(Rng& rng, const std::string& pattern) {
    std::vector<std::string> alternatives;
    std::istringstream in(pattern);
    for (std::string a; std::getline(in, a, '|');) alternatives.push_back(a);
    const std::string pick = alternatives[Pick(rng, alternatives.size())];
    if (pick.size() < 2 || (pick[0] != 'x' && pick[0] != 'd') || !std::isdigit(pick[1])) return pick;
    const unsigned long n = std::stoul(pick.substr(1));
    std::string out = pick[0] == 'd' ? std::to_string(Pick(rng, n)) : "";
    for (unsigned long i = 0; pick[0] == 'x' && i < n; ++i) out += hex[Pick(rng, 16)];
    return out;
}

// The values of the kinds' own keys and of the data items, by name.  A kind
// with a key not listed fails the property, so a new key is noticed.
const char* const values[][2] = {
    {"x2", "mfid Algorithm_ID algid"},
    {"x3", "System_ID"},
    {"x4", "Key_ID Group_ID Group_address kid crc address id"},
    {"x5", "WACN"},
    {"x6", "cach Target_ID Target_address Source_ID Source_address Unit_ID Unit_address"},
    {"x12", "protocol"},
    {"x18", "vc1 vc2 vc3 mi"},
    {"d2", "enable"},
    {"d8", "State"},
    {"d32", "type"},
    {"d256", "bits bit_errs"},
    {"d400", "phys_channel timeslot"},
    {"d1024", "cmd"},
    {"d65536", "ID"},
    {"d1000000000", "Frequency"},
    {"true|false", "i_bit"},
    {"A|B|C|D|E|F|Invalid_burst", "burst"},
    {"150|300|3600|d100000", "baud"},
    {"Control|Traffic|d256", "ch_type"},
    {"ACCEPT|FAIL|DENY|REFUSED", "Registration_value"},
    {"NO_RADIO_DETECTED|RADIO_TERMINATED|SYSTEM_TERMINATED", "Call_end_reason"},
    {"emergency=true,priority=0|emergency=false,priority=3|emergency=true,priority=7", "Service_options"},
};

const char* Pattern_of(const std::string& name) {
    for (const auto& row : values)
        if ((" " + std::string(row[1]) + " ").find(" " + name + " ") != std::string::npos) return row[0];
    return nullptr;
}

// ---- Definitions whose element hides bits ----------------------------------------------------

// How the rows below settle their hidden bits; in link-control words: a
// transmit offset in a zero channel spacing, a bandwidth code outside 4 and 5
// of an explicit channel identifier, the sign of a zero local offset and
// octet 0 bit 5 of an extended services map.
void No_link_id(std::uint8_t* o) { o[3] = o[4] = o[5] = 0; }
void Dial_digits(std::uint8_t* o) { o[8] = o[9] = o[12] = 0, o[13] = 34; }
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

struct Hidden {
    const char* name;  // a trunking definition, or a link-control one (blocks 0)
    unsigned blocks;   // the block count the trunking definition is defined for
    // How the hidden bits are settled before the record is logged: null where
    // they depend on other fields, so that only a read-back settles them (the
    // records go to the settled corpus).
    void (*settle)(std::uint8_t* octets);
};

const Hidden hidden_bits[] = {
    // Link type none: the logical link ID (octets 3-5) is not written.
    {"AUTH_Q", 2, No_link_id},
    {"CALL_ALRT_REQ", 2, No_link_id},
    {"STS_Q_REQ", 2, No_link_id},
    {"ROAM_ADDR_REQ", 2, No_link_id},
    {"STS_UPDT", 2, No_link_id},
    // No link element: the logical link ID (octets 3-5) is not written.
    {"AUTH_RSP", 3, No_link_id},
    {"ROAM_ADDR_UPDT", 2, No_link_id},
    {"ROAM_ADDR_UPDT", 3, No_link_id},
    {"ROAM_ADDR_UPDT", 4, No_link_id},
    // Octets 8, 9 and 12 belong to no field; the digit count (octet 13) shows
    // only as the number of digits; digits past the count are not written.
    {"TELE_INT_DIAL_REQ", 2, Dial_digits},
    // A zero transmit offset loses its sign bit; in the VHF/UHF and TDMA
    // forms, one in a zero channel spacing also its magnitude.
    {"IDEN_UP", 1, nullptr},
    {"IDEN_UP_VU", 1, nullptr},
    {"IDEN_UP_TDMA", 1, nullptr},
    // A transmit offset in a zero channel spacing loses its magnitude; the
    // explicit form names its bandwidth only for codes 4 and 5.
    {"LC_CH_ID_UPDT", 0, Channel_identifier},
    {"LC_CH_ID_UPDT_TDMA_packet", 0, Channel_identifier},
    {"LC_CH_ID_UPDT_EXP", 0, Channel_identifier_explicit},
    // A zero local time offset loses its sign bit.
    {"SYNC_BCST", 1, nullptr},
    {"TIME_DATE_ANN", 1, nullptr},
    {"LC_SYNC_BCAST", 0, Local_offset},
    // Octet 0 bit 5 of an extended services map belongs to no attribute.
    {"SYS_SRV_BCST", 1, nullptr},
    {"LC_SYS_SRV_BCST", 0, Services_map},
};

// ---- Lines -------------------------------------------------------------------------------------

class Builder {
public:
    Builder(std::uint32_t seed, Corpus& corpus) : rng(seed), corpus_(corpus) {}

    // Adds a line of a kind, labelled "KIND what": its shared keys, random
    // within their ranges (channel, direction and type fixed when given),
    // then tail.
    void Emit(const char* name, const std::string& tail, const std::string& what, bool settled = false,
              int channel = -1, const char* direction = nullptr, const char* type = nullptr) {
        const tessel::Kind* kind = tessel::Find_kind(name);
        if (!kind) return Note(std::string("no kind ") + name);
        const unsigned keys = kind->keys;
        const std::uint32_t ticks = Ticks_of(corpus_.all.size() + 1);
        char text[64];
        std::string line = name;
        if (keys & tessel::key_timestamp) {
            std::snprintf(text, sizeof text, " timestamp=%u.%08u", ticks / 50000000u, ticks % 50000000u * 2u);
            line += text;
        }
        if (keys & tessel::key_phys_channel) line += " phys_channel=" + std::to_string(channel >= 0 ? channel : Pick(rng, 256));
        if (keys & tessel::key_direction) line += " direction=" + (direction ? direction : Value(rng, "rx|tx|rx_sim"));
        if (keys & tessel::key_type) line += " type=" + (type ? type : Value(rng, "osp|isp"));
        if (keys & tessel::key_timeslot) line += " timeslot=" + Value(rng, "d256");
        if (keys & tessel::key_nac) line += " NAC=" + Value(rng, "x3");
        for (unsigned i = 0, n = keys & tessel::key_status ? Pick(rng, 25) : 0; i < n; ++i)
            line += (i ? "," : " status=") + Value(rng, "talk|BUSY|repeater|IDLE");
        if (keys & tessel::key_date) {
            std::snprintf(text, sizeof text, " date=%04u/%02u/%02u time=%02u:%02u:%02u", Pick(rng, 10000),
                          1 + Pick(rng, 12), 1 + Pick(rng, 28), Pick(rng, 24), Pick(rng, 60), Pick(rng, 60));
            line += text;
        }
        const Record record{line + tail, std::string(name) + " " + what};
        corpus_.all.push_back(record);
        (settled ? corpus_.settled : corpus_.exact).push_back(record);
    }
    // The keys of an overhead slot of a data unit.
    std::string Slot(const char* duid) {
        char keys[64];
        std::snprintf(keys, sizeof keys, " duid=%s handle=%08X interval=%u", duid, static_cast<unsigned>(rng()),
                      Pick(rng, 100000));
        return keys;
    }
    // The row of a definition that hides bits, or null.
    const Hidden* Hidden_of(const std::string& name, unsigned blocks) {
        for (const Hidden& h : hidden_bits)
            if (h.name == name && h.blocks == blocks) return used_.insert(&h), &h;
        return nullptr;
    }
    void Note(const std::string& note) { corpus_.notes.push_back(note); }
    // Each row of the table names a definition that is generated, so that
    // the table does not outlive what it describes.
    void Check_table() {
        for (const Hidden& h : hidden_bits)
            if (!used_.count(&h)) Note(std::string(h.name) + " is listed as hiding bits but is not generated");
    }

    Rng rng;

private:
    Corpus& corpus_;
    std::set<const Hidden*> used_;
};

// A random line of each kind from its description alone; the overhead
// kind's bytes depend on its own keys, so its lines come from the families.
void Kind_lines(Builder& b, unsigned rounds) {
    const auto* items = XML_routines::Info<P25::Sim_state_data_type>::info.Sub_elements();
    for (const tessel::Kind* kind : tessel::All_kinds()) {
        if (std::string(kind->name) == "overhead") continue;
        for (unsigned round = 0; round < rounds; ++round) {
            std::string keys;
            bool given = false;
            for (const tessel::Field_key& field : kind->fields) {
                if (!field.required && Pick(b.rng, 4) == 0) continue;
                given = true;
                // A data item of a simulator state: NAME:VALUE of its child.
                const bool item = std::string(field.name) == "item";
                const std::string name = item ? (*items)[Pick(b.rng, items->Count())]->Name() : field.name;
                const char* pattern = Pattern_of(name);
                if (!pattern) return b.Note("no value for " + name + " of " + kind->name);
                keys += " " + std::string(field.name) + "=" + (item ? name + ":" : "") + Value(b.rng, pattern);
            }
            // A kind that takes one word, or none, takes it as its own keys
            // or as bytes (osw, isw).
            const tessel::Byte_count& bytes = kind->bytes;
            if (bytes.max > 0 && !(bytes.min == 0 && bytes.step == bytes.max && given))
                keys += Random_octets(b.rng, std::min(bytes.min + bytes.step * Pick(b.rng, 4), bytes.max));
            b.Emit(kind->name, keys, "random");
        }
    }
}

void Trunking_lines(Builder& b, unsigned rounds) {
    for (const P25::Trunking_handler_base* h : P25::MFID_record::Handlers()) {
        const unsigned blocks = h->BlockCount();
        const Hidden* hidden = b.Hidden_of(h->Name(), blocks);
        const bool settled = hidden && !hidden->settle;
        const char* type = h->Outbound() ? "osp" : "isp";
        const std::string label = std::string(h->Name()) + " " + type + " " + std::to_string(blocks);
        for (unsigned round = 0; round < rounds; ++round) {
            // Room for fields that run on past the message's blocks.
            std::vector<P25::P25_TSBK_DATA> m(blocks + 1);
            Fill(b.rng, reinterpret_cast<std::uint8_t*>(m.data()), blocks * sizeof m[0]);
            if (hidden && hidden->settle) hidden->settle(m[0].data);
            h->Frame(m.data());
            const std::string octets = Octets(m.data(), blocks * sizeof m[0]);
            b.Emit(blocks == 1 ? "tsbk" : "pdu", octets, label, settled, -1, nullptr, type);
            // Block by block, on one channel and direction.
            const int channel = static_cast<int>(Pick(b.rng, 256));
            const char* direction = Pick(b.rng, 2) ? "rx" : "tx";
            for (unsigned i = 0; blocks > 1 && i < blocks; ++i)
                b.Emit(i ? "pdu_cont" : "pdu_header", Octets(&m[i], sizeof m[i]), label, settled, channel, direction, type);
            // An overhead slot of a control channel.
            b.Emit("overhead", b.Slot(blocks == 1 ? "TSDU" : "PDU") + octets, label, settled, -1, "tx", type);
        }
    }
}

// Packets of every first header octet (format, direction, the an bit, the
// last-block flag), every service access point over the rounds, and random
// other octets and data blocks, their CRCs good: whatever a header says,
// the log of its packet reads back, whole and block by block.
void Header_lines(Builder& b, unsigned rounds) {
    for (unsigned first = 0; first < 256; ++first)
        for (unsigned round = 0; round < rounds; ++round) {
            const unsigned blocks = 2 + Pick(b.rng, 3);
            std::vector<P25::P25_TSBK_DATA> m(blocks);
            Fill(b.rng, m[0].data, blocks * sizeof m[0]);
            m[0].data[0] = static_cast<std::uint8_t>(first);
            m[0].data[1] = static_cast<std::uint8_t>((m[0].data[1] & 0xC0) | ((first + 37 * round) & 0x3F));
            fuzz::Fill_packet_crc(m.data(), blocks);
            char label[32];
            std::snprintf(label, sizeof label, "header %02X", first);
            b.Emit("pdu", Octets(m.data(), blocks * sizeof m[0]), label, true);
            const int channel = static_cast<int>(Pick(b.rng, 4));
            for (unsigned i = 0; i < blocks; ++i)
                b.Emit(i ? "pdu_cont" : "pdu_header", Octets(&m[i], sizeof m[i]), label, true, channel, "rx");
        }
}

void Link_control_lines(Builder& b, unsigned rounds) {
    P25::For_each_link_control([&](const P25::MFID_record&, const P25::LC_handler_base& h) {
        const Hidden* hidden = b.Hidden_of(h.Name(), 0);
        for (unsigned round = 0; round < rounds; ++round)
            for (const char* carrier : {"lc", "ldu1", "term_lc", "f2_lc_hdr"}) {
                P25::Any_link_control w;
                Fill(b.rng, w.bytes, sizeof w.bytes);
                XML_routines::Input_data setup;
                delete h.Get_instance(setup, w);  // the definition's header
                if (hidden && hidden->settle) hidden->settle(w.bytes);
                b.Emit(carrier, Octets(w.bytes, sizeof w.bytes), h.Name(), hidden && !hidden->settle);
            }
    });
}

// ---- SmartZone messages ------------------------------------------------------------------------

// The definitions of one direction's table by name and word count, each
// with the codes it is filed under.
template <class Table>
std::map<std::pair<std::string, unsigned>, std::vector<unsigned>> Filed_in(const Table& table, unsigned N, unsigned S) {
    std::map<std::pair<std::string, unsigned>, std::vector<unsigned>> filed;
    for (unsigned code = 0; code < N; ++code)
        for (unsigned size = 0; size < S; ++size)
            if (table[code][size]) filed[{table[code][size]->Name(), size + 1}].push_back(code);
    return filed;
}

// The bytes of a word of the code given, with a random address or ID and,
// outbound, a random I bit.
std::string Word(Rng& rng, bool outbound, unsigned code) {
    Smartzone::OSW_generic osw{};
    Smartzone::ISW_first isw{};
    Fill(rng, outbound ? reinterpret_cast<std::uint8_t*>(&osw) : reinterpret_cast<std::uint8_t*>(&isw), 2);
    osw.tail.octets[0] = rng() & 0x80;
    osw.Set_command(code);
    isw.Set_type(code);
    return outbound ? Octets(&osw, sizeof osw) : Octets(&isw, sizeof isw);
}

void Smartzone_lines(Builder& b, unsigned rounds) {
    for (const bool outbound : {true, false}) {
        // The commands of the words before a message's last: the first word
        // of two or three and the middle one of three; inbound, the first of two.
        const unsigned before[] = {outbound ? 776u : 8u, outbound ? 800u : 8u};
        const char* kind = outbound ? "osw" : "isw";
        using Osw = Smartzone::Smartzone_OSW_opcode_base;
        using Isw = Smartzone::Smartzone_ISW_opcode_base;
        for (const auto& filed : outbound ? Filed_in(Osw::table, Osw::commands, Osw::sizes)
                                          : Filed_in(Isw::table, Isw::types, Isw::sizes))
            for (unsigned round = 0; round < rounds; ++round) {
                const std::string& name = filed.first.first;
                std::vector<unsigned> codes(before, before + filed.first.second - 1);
                codes.push_back(filed.second[Pick(b.rng, filed.second.size())]);
                const int channel = static_cast<int>(Pick(b.rng, 4));
                std::string words;
                for (unsigned code : codes) {
                    const std::string word = Word(b.rng, outbound, code);
                    b.Emit(kind, word, name, false, channel, "rx");
                    words += word;
                }
                // The slot reads back through its message's element, which may
                // not show every bit of the words.
                b.Emit("overhead", b.Slot(outbound ? "SMARTZONE_OSW" : "SMARTZONE_ISW") + words,
                       kind + (" " + name), true, channel, "tx", outbound ? "osp" : "isp");
            }
    }
    // A raw slot: any data bytes.
    for (unsigned round = 0; round < rounds; ++round)
        b.Emit("overhead", " duid=SMARTZONE_RAW" + Random_octets(b.rng, Pick(b.rng, P25::SZ_bits::capacity + 1)),
               "SMARTZONE_RAW", false, -1, "tx");
}

}  // namespace

const Record* Corpus::At(std::uint32_t ticks) const {
    const std::size_t n = ticks / Ticks_of(1);
    return n >= 1 && n <= all.size() ? &all[n - 1] : nullptr;
}

Corpus Generate(std::uint32_t seed, unsigned rounds) {
    Corpus corpus;
    Builder b(seed, corpus);
    Kind_lines(b, rounds);
    Trunking_lines(b, rounds);
    Header_lines(b, rounds);
    Link_control_lines(b, rounds);
    Smartzone_lines(b, rounds);
    b.Check_table();
    return corpus;
}

}  // namespace roundtrip
