// Overhead slots of a simulated control channel: the messages the host
// repeats at an interval under a handle.  A slot is logged as
// "/P25_log_data/P25_Overhead" (its raw blocks and the decoded message); a
// "P25_Overhead" read from an input document is checked, converted to the
// host's record and sent to the host as a dispatcher message.  SmartZone
// slots carry control-channel words and go to the SmartZone overhead.
#include <cstdio>
#include <cstring>

#include "P25_processing.h"
#include "Smartzone_processing.h"
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

namespace {

constexpr bool Is_smartzone(std::uint32_t duid) {
    return duid == SMARTZONE_OSW || duid == SMARTZONE_ISW || duid == SMARTZONE_RAW;
}

// The one place where a SmartZone slot leaves this module, for
// Smartzone::Log_Smartzone_overhead.
void Log_smartzone_slot(const Trunking_Overhead& record) { Smartzone::Log_Smartzone_overhead(record); }

}  // namespace

// Everything but the blocks and their count is taken from the record; the
// NID the conversion below leaves in the data unit gives the NAC back.
void Log_Overhead(const Trunking_Overhead& record) {
    if (Is_smartzone(record.duid)) return Log_smartzone_slot(record);
    if (record.duid != TSDU && record.duid != PDU) return;
    const std::uint32_t count = record.duid == TSDU ? 1 : record.tsbk.block_count;
    if (count > TSBK_PDU_data::max_blocks) {
        std::fprintf(stderr, "%s %s block_count=%u\n", "Overhead", "Log_Overhead", static_cast<unsigned>(count));
        return;
    }
    Overhead_setup setup;
    Trunking_data& slot = setup.trunking;
    slot.metadata = record.metadata;
    slot.duid = record.duid;
    slot.nac = record.tsbk.header.nid.nac;
    slot.block_count = count;
    std::memcpy(slot.tsbk, record.tsbk.tsbk, count * sizeof(P25_TSBK_DATA));
    setup.handle = record.handle;
    setup.repeat_time = record.repeat_time;
    XML_Log(setup, record.metadata.phys_channel, Log_protocol_cooked);
}

// The payload is zero where the slot says nothing; a data unit also gets
// the slot's source and NID in its own header.
Overhead_setup::operator Trunking_Overhead() const {
    Trunking_Overhead record;
    std::memset(&record, 0, sizeof record);
    record.metadata = trunking.metadata;
    record.duid = trunking.duid;
    record.handle = handle;
    record.repeat_time = repeat_time;
    if (trunking.duid == TSDU || trunking.duid == PDU) {
        TSBK_PDU_data& unit = record.tsbk;
        unit.header.metadata = trunking.metadata;
        unit.header.nid.nac = trunking.nac;
        unit.header.nid.duid = trunking.duid;
        std::memcpy(unit.tsbk, trunking.tsbk, sizeof unit.tsbk);
        unit.block_count = trunking.duid == TSDU ? 1 : trunking.block_count;
    }
    return record;
}

void Receive_Overhead_from_XML(const Trunking_Overhead& record) {
    Tell_receive_listener(Received::overhead, &record);
    Overhead_MBMessage message;
    message.header.length = sizeof message / 4;
    message.header.dst = Overhead_MBMessage::destination;
    message.header.cmd.Set(Overhead_MBMessage::system, Overhead_MBMessage::command);
    message.payload = record;
    dispatcher->Send(&message, 0);
}

}  // namespace P25

using P25::Overhead_setup;

template <>
void Info<Overhead_setup>::Write_subs(const Overhead_setup& r, xmlNode* node) const {
    if (r.trunking.block_count != 0) Subs(r, node);
}

// Only a transmitted slot can be loaded, a TSDU of one block or a PDU of more.
template <>
bool Info<Overhead_setup>::Finalize(Overhead_setup& r, Input_data& input) const {
    const P25::Trunking_data& slot = r.trunking;
    if (slot.metadata.dir_tx != 1) {
        input.Error("Overhead only valid for TX\n");
        return false;
    }
    if (slot.block_count == 1 && slot.duid == P25::PDU) {
        input.Error("Invalid length for PDU\n");
        return false;
    }
    if (slot.block_count > 1 && slot.duid == P25::TSDU) {
        input.Error("Only 1 TSBK allowed\n");
        return false;
    }
    return true;
}

template <>
bool Info<Overhead_setup>::Commit(Overhead_setup& r, Input_data& input) const {
    if (input.Filters().Check(Log_protocol_cooked, r.trunking.metadata.phys_channel)) P25::Receive_Overhead_from_XML(r);
    return true;
}

// ---- Tables and descriptors, in the order they are built --------------------------------

namespace {

using P25::Trunking_data;

Attrib::Attrib_Table<Trunking_data> slot_blocks_table[] = {
    Get_attrib(Source_info_attr).Of(&Trunking_data::metadata),
    Get_attrib("NAC", Get_Access(Access::Low_bits<12>(&Trunking_data::nac), "%03X")),
};
const Attrib::Attrib_Hash<Trunking_data> slot_blocks_attr(slot_blocks_table);

}  // namespace

const Info<Trunking_data> XML_routines::tsbk_subinfo(
    "TSBK", slot_blocks_attr, Get_Access(&Trunking_data::tsbk, &Trunking_data::block_count, "%02X "));
const Info<Trunking_data> XML_routines::pdu_subinfo(
    "PDU", slot_blocks_attr, Get_Access(&Trunking_data::tsbk, &Trunking_data::block_count, "%02X "));

namespace {

Attrib::Attrib_Table<Overhead_setup> overhead_table[] = {
    Get_attrib("interval", &Overhead_setup::repeat_time, "%d"),
    Get_attrib("handle", &Overhead_setup::handle, "%08X"),
};
const Attrib::Attrib_Hash<Overhead_setup> overhead_attr(overhead_table);

// The raw blocks of the slot's data unit (reading one sets it), then the
// decoded message.
using Duid = Access::GetSet_member<Trunking_data, std::uint32_t>;
const Duid duid(&Trunking_data::duid);
constexpr std::uint32_t tsdu = P25::TSDU;
constexpr std::uint32_t pdu = P25::PDU;

Subelement_table<Overhead_setup> overhead_subs[] = {
    Subelement(tsbk_subinfo).If(duid, tsdu).Of(&Overhead_setup::trunking).Commit().Content(),
    Subelement(pdu_subinfo).If(duid, pdu).Of(&Overhead_setup::trunking).Commit().Content(),
    Subelement<Trunking_data>().Of(&Overhead_setup::trunking).Commit(),
};

}  // namespace

template <>
const Info<Overhead_setup> Info<Overhead_setup>::info("/P25_log_data/P25_Overhead", overhead_attr, overhead_subs);
