// SmartZone/SmartNet channel words: the host's word records logged raw and
// decoded, the per-stream assembly of 3600-baud words into messages of one
// to three words, and the "Smartzone_osw" / "Smartzone_isw" elements that
// carry an assembled message.  The shared views of a word's address field
// (unit, system, talk group) are described here too.
#include <cstring>

#include "Smartzone_processing.h"

using namespace XML_routines;
using P25::Smartnet_data_log;
using P25::SZ_bits;

namespace Smartzone {

namespace {

enum Channel_type : unsigned char { CH_TRAFFIC = 4, CH_CONTROL = 5 };
constexpr std::uint32_t words_baud = 3600;

unsigned Command_of(const Smartnet_data_log& r) { return reinterpret_cast<const OSW_generic&>(r.bits.data).Command(); }
unsigned Type_of(const Smartnet_data_log& r) { return reinterpret_cast<const ISW_first&>(r.bits.data).Type(); }

// The assembler of a record's stream: null for channels 4 and above.
template <class A>
A* Which(A (&bank)[4][2], const P25::Source_info& source) {
    if (source.phys_channel >= 4) return nullptr;
    return &bank[source.phys_channel][source.dir_tx ? 0 : 1];
}

// The valid data bytes of a record as the element's text.
Access::Accessor<Smartnet_data_log>* Data_bytes() {
    using G = Access::GetSet_member<Smartnet_data_log, SZ_bits>;
    return new Access::Shim<SZ_bits, Smartnet_data_log, G>(new G(&Smartnet_data_log::bits),
                                                           Get_Access(&SZ_bits::data, &SZ_bits::count, "%02X "));
}

}  // namespace

// ---- assembly ---------------------------------------------------------------------------------

void OSW_assembler::Save(unsigned k, const Smartnet_data_log& r) {
    log_.sources[k] = r.metadata;
    std::memcpy(log_.words[k], r.bits.data, sizeof log_.words[k]);
    log_.count = k + 1;
}

void OSW_assembler::Dispatch() {
    state_ = &OSW_assembler::Init;
    XML_Log(Osw_info(), log_, log_.sources[0].phys_channel, Log_protocol_cooked);
}

// A new word: written at once when it can only end a message, else it waits.
void OSW_assembler::Init(const Smartnet_data_log& r) {
    log_.count = 0;
    std::memset(log_.words, 0, sizeof log_.words);
    Save(0, r);
    const unsigned cmd = Command_of(r);
    const bool channel = cmd >= 1 && cmd <= 758;
    if (Smartzone_OSW_opcode_base::Is_multiword(cmd) && !channel) return Dispatch();
    switch (cmd) {
    case BACKGROUND_WORD:
    case OTHER_BUSY:
    case TRIPLE_WORD:
    case SEND_TALK_GRP:
    case SCAN_WORD:
    case SYSTEM_STATUS_AMSS:
    case SYSTEM_STATUS_STANDALONE:
        return Dispatch();
    default:
        state_ = &OSW_assembler::Word_0;
    }
}

// The word after a waiting first word.
void OSW_assembler::Word_0(const Smartnet_data_log& r) {
    const unsigned cmd = Command_of(r);
    if (cmd == TRIPLE_WORD) {
        Save(1, r);
        state_ = &OSW_assembler::Word_1;
    } else if (Smartzone_OSW_opcode_base::Is_doubleword(cmd)) {
        Save(1, r);
        Dispatch();
    } else {
        Dispatch();
        Init(r);
    }
}

// The word after a first word and TRIPLE_WORD.
void OSW_assembler::Word_1(const Smartnet_data_log& r) {
    if (Smartzone_OSW_opcode_base::Is_tripleword(Command_of(r))) {
        Save(2, r);
        Dispatch();
    } else {
        Dispatch();
        Init(r);
    }
}

void OSW_assembler::Close(const Smartnet_data_log& r, const Info<Smartnet_data_log>& info) {
    if (Waiting()) Dispatch();
    XML_Log(info, r, r.metadata.phys_channel, Log_protocol_raw);
}
void OSW_assembler::Err(const Smartnet_data_log& r) { Close(r, crc_err_info); }
void OSW_assembler::Tout(const Smartnet_data_log& r) { Close(r, tout_info); }

void ISW_assembler::Save(unsigned k, const Smartnet_data_log& r) {
    log_.sources[k] = r.metadata;
    std::memcpy(log_.words[k], r.bits.data, sizeof log_.words[k]);
    log_.count = k + 1;
}

void ISW_assembler::Dispatch() {
    state_ = &ISW_assembler::Init;
    XML_Log(Isw_info(), log_, log_.sources[0].phys_channel, Log_protocol_cooked);
}

void ISW_assembler::Init(const Smartnet_data_log& r) {
    Save(0, r);
    if (Type_of(r) == ISW_FIRST) state_ = &ISW_assembler::Double;
    else Dispatch();
}

void ISW_assembler::Double(const Smartnet_data_log& r) {
    Save(1, r);
    Dispatch();
}

void ISW_assembler::Close(const Smartnet_data_log& r, const Info<Smartnet_data_log>& info) {
    if (Waiting()) Dispatch();
    XML_Log(info, r, r.metadata.phys_channel, Log_protocol_raw);
}
void ISW_assembler::Err(const Smartnet_data_log& r) { Close(r, crc_err_info); }
void ISW_assembler::Tout(const Smartnet_data_log& r) { Close(r, tout_info); }

// ---- entry points -----------------------------------------------------------------------------

void Log_raw(const Smartnet_data_log& r) { XML_Log(raw_info, r, r.metadata.phys_channel, Log_protocol_raw); }

void Log_cooked(const Smartnet_data_log& r) {
    XML_Log(cooked_info, r, r.metadata.phys_channel, Log_protocol_cooked);
    if (r.bits.baud != words_baud) return;
    if (r.metadata.is_osp) {
        if (OSW_assembler* a = Which(osw_assemblers, r.metadata)) a->Feed(r);
    } else if (ISW_assembler* a = Which(isw_assemblers, r.metadata)) {
        a->Feed(r);
    }
}

void Log_crc_err(const Smartnet_data_log& r) {
    if (r.bits.baud != words_baud) return;
    if (r.metadata.is_osp) {
        if (OSW_assembler* a = Which(osw_assemblers, r.metadata)) a->Err(r);
    } else if (ISW_assembler* a = Which(isw_assemblers, r.metadata)) {
        a->Err(r);
    }
}

void Log_timeout(const Smartnet_data_log& r) {
    if (r.bits.baud != words_baud) return;
    if (r.metadata.is_osp) {
        if (OSW_assembler* a = Which(osw_assemblers, r.metadata)) a->Tout(r);
    } else if (ISW_assembler* a = Which(isw_assemblers, r.metadata)) {
        a->Tout(r);
    }
}

// ---- tables and descriptors, in the order they are built ------------------------------------

namespace {
const Value_entry<unsigned char> ch_type_table[] = {
    {"Control", CH_CONTROL},
    {"Traffic", CH_TRAFFIC},
};
const Value_hash<unsigned char> ch_type_names(ch_type_table);

const Value_entry<std::uint32_t> baud_table[] = {
    {"150", 150},
    {"300", 300},
    {"3600", 3600},
};
const Value_hash<std::uint32_t> baud_names(baud_table);
}  // namespace

const Value_hash<OSW_IDS> osw_command_map(osw_command_names);
const Value_hash<CALL_TYPE_OPCODE> call_type_map(call_type_names);

namespace {
Subelement_table<Talk_group_cmd> talk_group_subs[] = {
    Subelement(GetSet_bf_talk_group<Talk_group_cmd, unsigned>(), "Talk_group", "%03X"),
    Subelement(GetSet_bf_call_type<Talk_group_cmd, CALL_TYPE_OPCODE>(), "Call_type", call_type_map),
};
Subelement_table<Talk_group_cmd> talk_group_affiliation_subs[] = {
    Subelement(GetSet_bf_talk_group<Talk_group_cmd, unsigned>(), "Talk_group", "%03X"),
    Subelement(GetSet_bf_widepulse<Talk_group_cmd, bool>(), "Widepulse"),
    Subelement(GetSet_bf_connect_tone<Talk_group_cmd, unsigned>(), "connect_tone"),
};
}  // namespace

}  // namespace Smartzone

template <>
const Info<Smartzone::Talk_group_cmd> Info<Smartzone::Talk_group_cmd>::info("", Smartzone::talk_group_subs);

namespace Smartzone {

const Info<Talk_group_cmd> talk_group_affiliation("", talk_group_affiliation_subs);

namespace {
Attrib::Attrib_Table<Smartnet_data_log> raw_attr_table[] = {
    Get_attrib(Source_info_attr).Of(&Smartnet_data_log::metadata),
    Get_attrib("ch_type", &SZ_bits::ch_type, ch_type_names).Of(&Smartnet_data_log::bits),
    Get_attrib("baud", &SZ_bits::baud, baud_names).Of(&Smartnet_data_log::bits),
    Get_attrib("bits", &SZ_bits::bits, "%d").Of(&Smartnet_data_log::bits),
};
const Attrib::Attrib_Hash<Smartnet_data_log> raw_attr(raw_attr_table);

Attrib::Attrib_Table<Smartnet_data_log> cooked_attr_table[] = {
    Get_attrib(raw_attr),
    Get_attrib("bit_errs", &SZ_bits::bit_errs, "%d").Of(&Smartnet_data_log::bits),
    Get_attrib("crc", &SZ_bits::crc, "%4X").Of(&Smartnet_data_log::bits),
};
const Attrib::Attrib_Hash<Smartnet_data_log> cooked_attr(cooked_attr_table);
}  // namespace

}  // namespace Smartzone

template <>
const Info<Smartzone::Unit_id> Info<Smartzone::Unit_id>::info(
    "Unit_id", Get_Access(Access::GetSet_cast<Smartzone::Unit_id, BE_ushort>(), "%04X"));
template <>
const Info<Smartzone::System_id> Info<Smartzone::System_id>::info(
    "SysID", Get_Access(Access::GetSet_cast<Smartzone::System_id, BE_ushort>(), "%04X"));

namespace Smartzone {

const Info<Smartnet_data_log> raw_info("/P25_log_data/Smartzone_raw", raw_attr, Data_bytes());
const Info<Smartnet_data_log> crc_err_info("/P25_log_data/Smartzone_crc_err", cooked_attr, Data_bytes());
const Info<Smartnet_data_log> tout_info("/P25_log_data/Smartzone_tout", raw_attr, Data_bytes());
const Info<Smartnet_data_log> cooked_info("/P25_log_data/Smartzone_cooked", cooked_attr, Data_bytes());

namespace {
using First_osw_source = Access::GetSet_func<OSW_log, const P25::Source_info&, const P25::Source_info&, void>;
Attrib::Attrib_Table<OSW_log> osw_attr_table[] = {
    Get_child(First_osw_source(&OSW_log::First_source, &OSW_log::Set_first_source), Get_attrib(Source_info_attr)),
};
const Attrib::Attrib_Hash<OSW_log> osw_attr(osw_attr_table);

using First_isw_source = Access::GetSet_func<ISW_log, const P25::Source_info&, const P25::Source_info&, void>;
Attrib::Attrib_Table<ISW_log> isw_attr_table[] = {
    Get_child(First_isw_source(&ISW_log::First_source, &ISW_log::Set_first_source), Get_attrib(Source_info_attr)),
};
const Attrib::Attrib_Hash<ISW_log> isw_attr(isw_attr_table);
}  // namespace

const Info<OSW_log>& Osw_info() {
    static const Info<OSW_log> info("/P25_log_data/Smartzone_osw", osw_attr);
    return info;
}
const Info<ISW_log>& Isw_info() {
    static const Info<ISW_log> info("/P25_log_data/Smartzone_isw", isw_attr);
    return info;
}
namespace {
// Built here at the latest, after the data-record descriptors.
const Info<OSW_log>& osw_info = Osw_info();
const Info<ISW_log>& isw_info = Isw_info();
}  // namespace

const Info<Smartnet_data_log> raw_nested("Smartzone_raw", raw_attr, Data_bytes());
const Info<Smartnet_data_log> cooked_nested("Smartzone_cooked", cooked_attr, Data_bytes());
const Info<OSW_log> osw_nested("Smartzone_osw", osw_attr);
const Info<ISW_log> isw_nested("Smartzone_isw", isw_attr);

OSW_assembler osw_assemblers[4][2];
ISW_assembler isw_assemblers[4][2];

}  // namespace Smartzone

// ---- the message element of "Smartzone_osw" and "Smartzone_isw" --------------------------------

template <>
void Info<Smartzone::OSW_log>::Write_subs(const Smartzone::OSW_log& log, xmlNode* node) const {
    Smartzone::Smartzone_OSW_opcode_base::Find(log).Write_subs(log, node);
}

// A child is a message element, parsed by the handler filed under its tag
// in "Smartzone_osw" (also when the element is nested in another).
template <>
Instance_base* Info<Smartzone::OSW_log>::Lookup(const xmlChar* tag, unsigned*, Input_data& input,
                                                Smartzone::OSW_log& log) const {
    using Definition = Smartzone::Word_descriptor<Smartzone::Smartzone_OSW_opcode_base>;
    const auto* message = dynamic_cast<const Definition*>(Smartzone::Osw_info().Find(tag));
    return message ? message->Handler().Get_instance(input, log) : nullptr;
}

template <>
void Info<Smartzone::OSW_log>::Describe(Element_description& d) const {
    Describe_tables(d);
    if (this != &Smartzone::Osw_info())
        for (const Info_base* message : Smartzone::Osw_info().Info_base::Subs()) d.choices.push_back(message);
}

template <>
void Info<Smartzone::ISW_log>::Write_subs(const Smartzone::ISW_log& log, xmlNode* node) const {
    Smartzone::Smartzone_ISW_opcode_base::Find(log).Write_subs(log, node);
}

template <>
Instance_base* Info<Smartzone::ISW_log>::Lookup(const xmlChar* tag, unsigned*, Input_data& input,
                                                Smartzone::ISW_log& log) const {
    using Definition = Smartzone::Word_descriptor<Smartzone::Smartzone_ISW_opcode_base>;
    const auto* message = dynamic_cast<const Definition*>(Smartzone::Isw_info().Find(tag));
    return message ? message->Handler().Get_instance(input, log) : nullptr;
}

template <>
void Info<Smartzone::ISW_log>::Describe(Element_description& d) const {
    Describe_tables(d);
    if (this != &Smartzone::Isw_info())
        for (const Info_base* message : Smartzone::Isw_info().Info_base::Subs()) d.choices.push_back(message);
}
