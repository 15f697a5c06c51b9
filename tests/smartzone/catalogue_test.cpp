// Every message definition of the catalogue, field by field: words built
// from random values (with the bits that select the definition forced) are
// written as "Smartzone_osw" / "Smartzone_isw", and each field element must
// show the value of the bits this table gives it, in the format it gives;
// the element read back must write the same XML again.
#include <cstdio>
#include <algorithm>
#include <random>

#include "support.h"
#include "xml_text.h"

using namespace sz;
using namespace Smartzone;

namespace {

// Bits hi..lo of a word's value: an OSW is 32 bits (address 31-16, flag 15,
// command 14-5), an ISW 24 bits (ID 23-8, type 7-3).
struct Bits {
    unsigned hi, lo;
};
constexpr Bits Addr(unsigned hi, unsigned lo) { return {hi + 16, lo + 16}; }
constexpr Bits Addr(unsigned bit) { return {bit + 16, bit + 16}; }
constexpr Bits Flag{15, 15};
constexpr Bits Cmd{14, 5};
constexpr Bits Id(unsigned hi, unsigned lo) { return {hi + 8, lo + 8}; }
constexpr Bits Id(unsigned bit) { return {bit + 8, bit + 8}; }
constexpr Bits Type{7, 3};

unsigned Get(std::uint32_t word, Bits b) { return (word >> b.lo) & ((1u << (b.hi - b.lo + 1)) - 1u); }
void Put(std::uint32_t& word, Bits b, unsigned v) {
    const std::uint32_t mask = ((1u << (b.hi - b.lo + 1)) - 1u) << b.lo;
    word = (word & ~mask) | ((v << b.lo) & mask);
}

// A value's text: a printf format, true/false, a name of a table, or the
// two octets of an address.
struct Names {
    std::vector<std::pair<unsigned, const char*>> rows;
    template <class E, std::size_t N>
    Names(const XML_routines::Value_entry<E> (&table)[N]) {
        for (const auto& row : table) rows.emplace_back(static_cast<unsigned>(row.value), row.name);
    }
    std::string operator()(unsigned v) const {
        for (const auto& row : rows)
            if (row.first == v) return row.second;
        char s[16];
        std::snprintf(s, sizeof s, "0x%X", v);
        return s;
    }
};
const Names commands(osw_command_names), call_types(call_type_names), functions(extended_function_names),
    acks(ack_type_names), bands(bandplan_names), plans(freq_plan_names), types(isw_type_names);

struct Format {
    const char* printf = nullptr;  // else:
    const Names* names = nullptr;
    bool octets = false;  // "%02X " per octet
    unsigned scale = 1;
    int equals = -1;  // true when the bits equal this value
};
const Format Bool{};
Format F(const char* printf, unsigned scale = 1) { return {printf, nullptr, false, scale}; }
Format N(const Names& names) { return {nullptr, &names}; }
const Format Octets{nullptr, nullptr, true};
Format Is(unsigned value) { return {nullptr, nullptr, false, 1, static_cast<int>(value)}; }

std::string Text(unsigned v, const Format& f) {
    char s[32];
    if (f.printf) std::snprintf(s, sizeof s, f.printf, v * f.scale);
    else if (f.names) return (*f.names)(v);
    else if (f.octets) std::snprintf(s, sizeof s, "%02X %02X ", v >> 8, v & 0xFF);
    else if (f.equals >= 0) return v == static_cast<unsigned>(f.equals) ? "true" : "false";
    else return v ? "true" : "false";
    return s;
}

// A field shown only while bits of a word equal (or differ from) a value.
struct Condition {
    int word = -1;  // none
    Bits bits{0, 0};
    unsigned value = 0;
    bool equal = true;
    bool Holds(const std::vector<std::uint32_t>& w) const {
        return word < 0 || (Get(w[static_cast<unsigned>(word)], bits) == value) == equal;
    }
};
Condition When(unsigned word, Bits bits, unsigned value) { return {static_cast<int>(word), bits, value, true}; }
Condition Unless(unsigned word, Bits bits, unsigned value) { return {static_cast<int>(word), bits, value, false}; }

struct Field {
    const char* name;
    unsigned word;
    Bits bits;
    Format format;
    Condition condition = {};
};

// Bits forced to one of the values, picked at random.
struct Key {
    unsigned word;
    Bits bits;
    std::vector<unsigned> values;
};

std::vector<unsigned> Range(unsigned first, unsigned last, std::vector<unsigned> except = {}) {
    std::vector<unsigned> v;
    for (unsigned i = first; i <= last; ++i)
        if (std::find(except.begin(), except.end(), i) == except.end()) v.push_back(i);
    return v;
}
std::vector<unsigned> Channels() {
    std::vector<unsigned> v = Range(0, 759);
    for (unsigned c : Range(815, 831)) v.push_back(c);
    v.push_back(958);
    for (unsigned c : Range(961, 1022)) v.push_back(c);
    return v;
}

struct Definition {
    const char* name;
    bool outbound;
    unsigned words;
    std::vector<Key> keys;
    std::vector<Field> fields;
};

// The unit-or-talk-group fields of an outbound word, by its flag.
std::vector<Field> Unit_or_group(unsigned w) {
    return {{"Unit_id", w, Addr(15, 0), F("%04X"), When(w, Flag, 1)},
            {"Talk_group", w, Addr(15, 4), F("%03X"), When(w, Flag, 0)},
            {"Call_type", w, Addr(3, 0), N(call_types), When(w, Flag, 0)}};
}
std::vector<Field> Join(std::vector<std::vector<Field>> parts) {
    std::vector<Field> all;
    for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Key extended_2{1, Cmd, {EXTENDED_FUNCTION}};
const Key extended_3{2, Cmd, {EXTENDED_FUNCTION}};
Key Expander_key(unsigned w, std::vector<unsigned> values) { return {w, Addr(15, 10), std::move(values)}; }
Key Status_key(unsigned opcode) { return {0, Addr(15, 13), {opcode}}; }
const Key status_command{0, Cmd, {SYSTEM_STATUS_AMSS, SYSTEM_STATUS_STANDALONE}};

std::vector<Definition> Catalogue() {
    const std::vector<Field> busy2 = {{"Unit_id", 0, Addr(15, 0), F("%04X")},
                                      {"i_bit", 0, Flag, Bool},
                                      {"Talk_group", 0, Addr(15, 4), F("%03X")},
                                      {"Call_type", 0, Addr(3, 0), N(call_types)},
                                      {"i_bit2", 1, Flag, Bool}};
    const std::vector<Field> alert = {{"Unit_id", 0, Addr(15, 0), F("%04X")},
                                      {"i_bit", 0, Flag, Bool},
                                      {"Unit_id", 1, Addr(15, 0), F("%04X")},
                                      {"i_bit2", 1, Flag, Bool}};
    const Field command_name{"Command", 0, Cmd, N(commands)};
    const std::vector<Field> request = {{"Unit_id", 0, Id(15, 0), F("%04X ")},
                                        {"Talk_group", 1, Id(15, 4), F("%03X")},
                                        {"Call_type", 1, Id(3, 0), N(call_types)}};
    const Key requests{1, Id(15, 10), {9, 41}};
    const std::vector<Field> affiliation = {{"ID", 0, Id(15, 0), F("%04X ")}, {"R_bit", 1, Id(15), Bool}};
    return {
        {"Group_update", true, 1, {{0, Cmd, Channels()}},
         {{"Talk_group", 0, Addr(15, 4), F("%03X")},
          {"Call_type", 0, Addr(3, 0), N(call_types)},
          {"i_bit", 0, Flag, Bool},
          {"Channel_number", 0, Cmd, F("%d")}}},
        {"Individual_id", true, 1, {{0, Cmd, {776, 777}}},
         {{"Unit_id", 0, Addr(15, 0), F("%04X")}, {"i_bit", 0, Flag, Bool}, {"Command", 0, Cmd, N(commands)}}},
        {"Send_talk_group", true, 1, {{0, Cmd, {810}}},
         {{"Unit_id", 0, Addr(15, 0), F("%04X")}, {"i_bit", 0, Flag, Bool}}},
        {"Background", true, 1, {{0, Cmd, {760}}}, {{"payload", 0, Addr(15, 0), Octets}, {"i_bit", 0, Flag, Bool}}},
        {"Scan_word", true, 1, {{0, Cmd, {811}}},
         {{"SysID", 0, Addr(15, 0), F("%04X")}, {"do_affiliate", 0, Flag, Bool}}},
        {"Busy", true, 1, {{0, Cmd, {771}}},
         {{"Talk_group", 0, Addr(15, 4), F("%03X")}, {"Call_type", 0, Addr(3, 0), N(call_types)}}},
        {"Status_generic", true, 1, {status_command, {0, Addr(15, 13), {0, 4, 5, 6, 7}}},
         {command_name, {"Payload", 0, Addr(15, 0), Octets}}},
        {"Status1", true, 1, {status_command, Status_key(1)},
         {command_name,
          {"affiliate", 0, Addr(12), Bool},
          {"dispatch_timeout", 0, Addr(11, 9), F("%d", 30)},
          {"connect_tone", 0, Addr(8, 5), F("%d")},
          {"timeout", 0, {20, 15}, F("%d", 30)}}},  // address bits 4-0, then the flag
        {"Status2", true, 1, {status_command, Status_key(2)},
         {command_name,
          {"All_secure_down", 0, Addr(12), Bool},
          {"Upgrade_allowed", 0, Addr(11), Bool},
          {"Data_fully_operational", 0, Addr(10), Bool},
          {"Band", 0, Addr(9, 6), N(bands)},
          {"Smart_AMSS", 0, Addr(5), Bool},
          {"echo_delay", 0, Addr(4, 0), F("%d", 46)}}},
        {"Status3", true, 1, {status_command, Status_key(3)},
         {command_name,
          {"Reserved", 0, Addr(12, 9), F("%01X")},
          {"Trespass_protection", 0, Addr(8), Bool},
          {"VOC_capable", 0, Addr(7), Bool},
          {"Backup_CC", 0, Addr(6, 5), F("%d")},
          {"Secure_signaling", 0, Addr(3), Bool},
          {"Wide_pulse", 0, Addr(2), Bool},
          {"Site_trunking", 0, Addr(1), Bool},
          {"Master_toggle", 0, Addr(0), Bool},
          {"Wide_area", 0, Flag, Bool}}},
        {"Channel_assignment", true, 2, {{1, Cmd, Channels()}},
         Join({{{"Unit_id", 0, Addr(15, 0), F("%04X")}},
               Unit_or_group(1),
               {{"i_bit2", 1, Flag, Bool}, {"Channel_number", 1, Cmd, F("%d")}}})},
        {"Regroup_busy", true, 2, {{1, Cmd, {768}}}, busy2},
        {"interconnect_busy", true, 2, {{1, Cmd, {769}}}, busy2},
        {"emergency_busy", true, 2, {{1, Cmd, {770}}}, busy2},
        {"Other_busy", true, 2, {{1, Cmd, {771}}}, busy2},
        {"Auto_affiliate", true, 2, {{1, Cmd, {784}}, {0, Cmd, {776, 777, 400}}},
         {{"Unit_id", 0, Addr(15, 0), F("%04X")},
          {"Talk_group", 1, Addr(15, 4), F("%03X")},
          {"Widepulse", 1, Addr(3), Bool},
          {"connect_tone", 1, Addr(2, 0), F("%d")},
          {"Secure_site", 0, Cmd, Is(776)}}},
        {"Private_call_ring", true, 2, {{1, Cmd, {791}}}, alert},
        {"Private_call_ack", true, 2, {{1, Cmd, {792}}}, alert},
        {"Call_ring", true, 2, {{1, Cmd, {793}}}, alert},
        {"Call_ack", true, 2, {{1, Cmd, {794}}}, alert},
        {"Dynamic_regroup", true, 2, {{1, Cmd, Range(832, 848)}},
         {{"Talk_group", 0, Addr(15, 4), F("%03X")},
          {"Call_type", 0, Addr(3, 0), N(call_types)},
          {"i_bit", 0, Flag, Bool},
          {"Regroup_opcode", 1, Addr(15, 12), F("%d")},
          {"Super_group", 1, Addr(11, 0), F("%d")},
          {"i_bit2", 1, Flag, Bool},
          {"Command", 1, Cmd, N(commands)}}},
        {"Extended_OSW", true, 2, {extended_2, Expander_key(1, Range(0, 63, {9, 10}))},
         Join({{{"Expander", 1, Addr(15, 10), N(functions)}},
               Unit_or_group(0),
               {{"R_bit", 1, Addr(15), Bool}, {"ext_data", 1, Addr(9, 0), F("%04X")}, {"i_bit2", 1, Flag, Bool}}})},
        {"ACK", true, 2, {extended_2, Expander_key(1, {9})},
         Join({Unit_or_group(0), {{"Ack_type", 1, Addr(9, 0), N(acks)}, {"i_bit2", 1, Flag, Bool}}})},
        {"Extended_SysID", true, 2, {extended_2, Expander_key(1, {10})},
         {{"SysID", 0, Addr(15, 0), F("%04X")},
          {"Channel_number", 1, Addr(9, 0), F("%d")},
          {"i_bit2", 1, Flag, Bool}}},
        {"Extended_OSW3", true, 3, {extended_3, Expander_key(2, Range(0, 63, {24}))},
         Join({{{"Expander", 2, Addr(15, 10), N(functions)}},
               Unit_or_group(0),
               Unit_or_group(1),
               {{"R_bit", 2, Addr(15), Bool}, {"ext_data", 2, Addr(9, 0), F("%04X")}, {"i_bit2", 2, Flag, Bool}}})},
        {"Adjacent_control_channel", true, 3, {extended_3, Expander_key(2, {24}), {0, Cmd, {776, 777, 10, 1000}}},
         {{"SysID", 0, Addr(15, 0), F("%04x")},
          {"i_bit", 0, Flag, Bool},
          {"Channel_number_tx", 0, Cmd, F("%d"), Unless(0, Cmd, 776)},
          {"Site_ID", 1, Addr(15, 10), F("%02X")},
          {"Freq_plan", 1, Addr(9, 7), N(plans)},
          {"Secure_avail", 1, Addr(6), Bool},
          {"Voice_on_control_channel", 1, Addr(5), Bool},
          {"Wide_area", 1, Addr(4), Bool},
          {"Astro_capable", 1, Addr(3), Bool},
          {"Interconnect_available", 1, Addr(2), Bool},
          {"Data_available", 1, Addr(1), Bool},
          {"Fail_soft", 1, Addr(0), Bool},
          {"Coverage_plus", 1, Flag, Bool},
          {"Potential_CC", 2, Flag, Bool},
          {"Channel_number", 2, Addr(9, 0), F("%d")}}},
        {"Affiliate_request", false, 2, {{1, Type, {16}}}, request},
        {"Group_request", false, 2, {{1, Type, {12}}}, request},
        {"Extended_ISW", false, 2, {{1, Type, {11}}, {1, Id(15, 10), Range(0, 63, {9, 41})}},
         {{"Expander", 1, Id(15, 10), N(functions)},
          {"ID", 0, Id(15, 0), F("%04X ")},
          {"R_bit", 1, Id(15), Bool},
          {"ext_data", 1, Id(9, 0), F("%04X")}}},
        {"Type_2_request", false, 2, {{1, Type, {11}}, requests, {1, Id(9, 0), Range(0, 1023, {538, 539, 540})}},
         {{"ID", 0, Id(15, 0), F("%04X ")}, {"R_bit", 1, Id(15), Bool}, {"ext_data", 1, Id(9, 0), F("%04X")}}},
        {"Afiliate_central", false, 2, {{1, Type, {11}}, requests, {1, Id(9, 0), {538}}}, affiliation},
        {"Afiliate", false, 2, {{1, Type, {11}}, requests, {1, Id(9, 0), {539}}}, affiliation},
        {"Deafiliate", false, 2, {{1, Type, {11}}, requests, {1, Id(9, 0), {540}}}, affiliation},
    };
}

// A logged element is named by its path: the tag alone reads back.
xmlNode* Renamed(xmlNode* node, const XML_routines::Info_base& info) {
    if (node) xmlNodeSetName(node, reinterpret_cast<const xmlChar*>(info.Tag()));
    return node;
}

// The message element written for the words: its own tag, then each field.
template <class Log, class Info>
std::string Written(const Info& info, const std::vector<std::uint32_t>& words, unsigned size) {
    Log log{};
    log.count = static_cast<std::uint32_t>(words.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        for (unsigned b = 0; b < size; ++b)
            log.words[i][b] = static_cast<std::uint8_t>(words[i] >> (8 * (size - 1 - b)));
    return Text_of(Renamed(info.Write(log), info));
}

// The (tag, text) pairs of the message element inside a logged element.
std::vector<std::pair<std::string, std::string>> Message(const std::string& xml) {
    xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "message.xml", nullptr, 0);
    std::string inner;
    if (doc)
        for (xmlNode* c = xmlDocGetRootElement(doc)->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE) {
                inner = Dump(c);
                break;
            }
    xmlFreeDoc(doc);
    return Children(inner);
}

template <class Log, class Info>
std::string Round_trip(const Info& info, const std::string& xml) {
    Log log{};
    if (!Parse(info, xml, log)) return "(refused)";
    return Text_of(Renamed(info.Write(log), info));
}

}  // namespace

// Random words of a definition, its keys set.  The first rounds go through
// every combination of the outbound words' flags, which choose between
// conditional views.
std::vector<std::uint32_t> Random_words(const Definition& d, std::mt19937& random, unsigned round) {
    std::vector<std::uint32_t> words(d.words);
    for (std::uint32_t& w : words) w = random() & (d.outbound ? 0xFFFFFFE0u : 0xFFFFF8u);
    if (d.outbound && round < (1u << d.words))
        for (unsigned i = 0; i < d.words; ++i) Put(words[i], Flag, (round >> i) & 1u);
    for (const Key& k : d.keys) Put(words[k.word], k.bits, k.values[random() % k.values.size()]);
    return words;
}

// The words of a message element read back from its XML.
template <class Log>
std::vector<std::uint32_t> Read_words(const XML_routines::Info<Log>& info, const std::string& xml, unsigned size) {
    Log log{};
    if (!Parse(info, xml, log)) return {};
    std::vector<std::uint32_t> words(log.count);
    for (std::size_t i = 0; i < words.size(); ++i)
        for (unsigned b = 0; b < size; ++b) words[i] = words[i] << 8 | log.words[i][b];
    return words;
}

TEST(Catalogue, EveryFieldShowsItsBits) {
    std::mt19937 random(20240517);
    for (const Definition& d : Catalogue()) {
        SCOPED_TRACE(d.name);
        for (unsigned round = 0; round < 64; ++round) {
            const std::vector<std::uint32_t> words = Random_words(d, random, round);

            std::vector<std::pair<std::string, std::string>> expected = {{d.name, ""}};
            for (const Field& f : d.fields)
                if (f.condition.Holds(words)) expected.emplace_back(f.name, Text(Get(words[f.word], f.bits), f.format));

            const std::string xml = d.outbound ? Written<OSW_log>(Osw_info(), words, 4)
                                               : Written<ISW_log>(Isw_info(), words, 3);
            ASSERT_EQ(Message(xml), expected) << xml;
            const std::string again =
                d.outbound ? Round_trip<OSW_log>(Osw_info(), xml) : Round_trip<ISW_log>(Isw_info(), xml);
            ASSERT_EQ(again, xml);
        }
    }
}

// Every message, in every combination of its conditional views, reads back
// into the words it was written from: every bit a field shows (a field
// that only tells whether bits equal a value: that answer), every bit a
// condition looks at.  Bits no field shows (the channel of an
// Auto_affiliate's first word, say) are the definition's to set.
TEST(Catalogue, EveryMessageReadsBackToItsWords) {
    std::mt19937 random(20261206);
    for (const Definition& d : Catalogue()) {
        SCOPED_TRACE(d.name);
        for (unsigned round = 0; round < 64; ++round) {
            const std::vector<std::uint32_t> words = Random_words(d, random, round);
            const std::vector<std::uint32_t> read =
                d.outbound ? Read_words<OSW_log>(Osw_info(), Written<OSW_log>(Osw_info(), words, 4), 4)
                           : Read_words<ISW_log>(Isw_info(), Written<ISW_log>(Isw_info(), words, 3), 3);
            ASSERT_EQ(read.size(), words.size()) << "round " << round;
            std::vector<std::uint32_t> shown(d.words, 0);
            const auto show = [&shown](unsigned w, Bits b) { Put(shown[w], b, ~0u); };
            for (const Field& f : d.fields) {
                if (f.condition.word >= 0) show(static_cast<unsigned>(f.condition.word), f.condition.bits);
                if (!f.condition.Holds(words)) continue;
                if (f.format.equals < 0) show(f.word, f.bits);
                else
                    EXPECT_EQ(Get(read[f.word], f.bits) == static_cast<unsigned>(f.format.equals),
                              Get(words[f.word], f.bits) == static_cast<unsigned>(f.format.equals))
                        << f.name << " of round " << round;
            }
            for (unsigned i = 0; i < d.words; ++i)
                EXPECT_EQ(read[i] & shown[i], words[i] & shown[i]) << "word " << i << " of round " << round;
        }
    }
}

// A definition for every element the two message descriptors hold, and no
// element without a definition (the fallbacks are tested elsewhere).
TEST(Catalogue, TheTableCoversEveryDefinition) {
    std::vector<std::string> table, filed;
    for (const Definition& d : Catalogue()) table.push_back(d.name);
    for (const XML_routines::Info_base* info : static_cast<const XML_routines::Info_base&>(Osw_info()).Subs()) filed.push_back(info->Name());
    for (const XML_routines::Info_base* info : static_cast<const XML_routines::Info_base&>(Isw_info()).Subs()) filed.push_back(info->Name());
    filed.erase(std::remove(filed.begin(), filed.end(), "OSW"), filed.end());
    filed.erase(std::remove(filed.begin(), filed.end(), "ISW"), filed.end());
    std::sort(table.begin(), table.end());
    std::sort(filed.begin(), filed.end());
    EXPECT_EQ(table, filed);
}

// Messages whose reading back once went wrong, each with the child that
// tells it and the words it must read back into (words whose hidden bits
// are those a document gives them: a first word FIRST_WORD1, the middle one
// of three TRIPLE_WORD).
TEST(Catalogue, MessagesReadBackIntoTheirWords) {
    struct Row {
        const char* what;
        std::vector<std::uint32_t> words;
        const char* shows;  // a child as written
    };
    const Row rows[] = {
        {"Status1 of a standalone site", {Osw(0x3C00, true, SYSTEM_STATUS_STANDALONE)},
         "<Command>SYSTEM_STATUS_STANDALONE</Command>"},
        {"Status2 of a wide-area site", {Osw(0x5345, false, SYSTEM_STATUS_AMSS)}, "<Command>SYSTEM_STATUS_AMSS</Command>"},
        {"Status3 of a standalone site", {Osw(0x6F0F, true, SYSTEM_STATUS_STANDALONE)},
         "<Command>SYSTEM_STATUS_STANDALONE</Command>"},
        {"a status opcode without a definition", {Osw(0xA123, false, SYSTEM_STATUS_STANDALONE)},
         "<Command>SYSTEM_STATUS_STANDALONE</Command>"},
        {"Extended_OSW3, a unit then a talk group",
         {Osw(0x1234, true, FIRST_WORD1), Osw(0x5672, false, TRIPLE_WORD), Osw(0x0C05, false, EXTENDED_FUNCTION)},
         "<Talk_group>567</Talk_group>"},
        {"Extended_OSW3, a talk group then a unit",
         {Osw(0x5672, false, FIRST_WORD1), Osw(0x1234, true, TRIPLE_WORD), Osw(0x0C05, true, EXTENDED_FUNCTION)},
         "<Unit_id>1234</Unit_id>"},
        {"Extended_OSW3, two units",
         {Osw(0x1234, true, FIRST_WORD1), Osw(0x4321, true, TRIPLE_WORD), Osw(0x0C05, false, EXTENDED_FUNCTION)},
         "<Unit_id>4321</Unit_id>"},
        {"Extended_OSW3, two talk groups",
         {Osw(0x5672, false, FIRST_WORD1), Osw(0x9871, false, TRIPLE_WORD), Osw(0x0C05, false, EXTENDED_FUNCTION)},
         "<Talk_group>987</Talk_group>"},
        {"a two-word busy: the talk group of the first word",
         {Osw(0x1234, true, FIRST_WORD1), Osw(0, false, OTHER_BUSY)}, "<Talk_group>123</Talk_group>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string xml = Written<OSW_log>(Osw_info(), row.words, 4);
        EXPECT_NE(xml.find(row.shows), std::string::npos) << xml;
        EXPECT_EQ(Read_words<OSW_log>(Osw_info(), xml, 4), row.words) << xml;
    }
}
