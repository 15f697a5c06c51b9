// The logging entry points: the input is a run of payloads, each handed to
// one entry point as a host's receivers would.  A payload is
//
//   entry (1 octet, an index into the table below)
//   flags (1 octet): 1 fills the CRC-16 of each block it carries, 2 fills the header CRC-16
//                    and the packet CRC-32, 4 adds 128 to the block count
//   block count (1 octet)
//   length (2 octets, little-endian) and that many octets of the record,
//   from its first octet (the data-unit header), the rest zero.
//
// The CRCs let most payloads reach decoding instead of stopping at the
// checks; block counts above the 128 blocks a record holds test the limits.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "shared/P25/Smartzone_messages.h"
#include "support.h"

namespace {

using Payload = P25::Log_Dispatch_payload;

struct Entry {
    const char* name;  // the record-script kind feeding the same entry point
    void (*log)(const Payload& payload);
};

// A record of another shape, taken from the payload's first octets (the
// rest zero), as a host would pass it.
template <class Record, void (*log)(const Record&)>
void As(const Payload& payload) {
    static Record record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(&record, &payload, sizeof record < sizeof payload ? sizeof record : sizeof payload);
    log(record);
}

// Every entry point, one a line; the seeds name them by kind.
const Entry entries[] = {
    {"status", [](const Payload& p) { P25::Log_Status_syms(p.header); }},
    {"time", [](const Payload& p) { P25::Log_time(p.time); }},
    {"nid", P25::Log_NID},
    {"tsbk", P25::Log_TSBK},
    {"pdu", P25::Log_PDU},
    {"pdu_header", P25::Log_PDU_header},
    {"pdu_cont", P25::Log_PDU_cont},
    {"voice_header", P25::Log_Voice_header},
    {"ldu1", P25::Log_voice_LDU1},
    {"ldu2", P25::Log_voice_LDU2},
    {"term", P25::Log_voice_term},
    {"term_lc", P25::Log_voice_term_LC},
    {"f2_voice_sf", P25::Log_F2_voice_sf},
    {"f2_burst", P25::Log_F2_burst},
    {"f2_enc_hdr", P25::Log_F2_enc_hdr},
    {"f2_lc_hdr", P25::Log_F2_lc_hdr},
    {"sz_raw", As<P25::Smartnet_data_log, Smartzone::Log_raw>},
    {"sz_cooked", As<P25::Smartnet_data_log, Smartzone::Log_cooked>},
    {"sz_crc_err", As<P25::Smartnet_data_log, Smartzone::Log_crc_err>},
    {"sz_timeout", As<P25::Smartnet_data_log, Smartzone::Log_timeout>},
    {"overhead", As<P25::Trunking_Overhead, P25::Log_Overhead>},
    {"chan_enable", As<P25::Chan_set_enable, P25::Log_chan_enable>},
    {"chan_primary", As<P25::Chan_operation, P25::Log_chan_primary>},
    {"chan_rx", As<P25::Chan_freq, P25::Log_chan_rx>},
    {"chan_tx", As<P25::Chan_freq, P25::Log_chan_tx>},
    {"mobile_state", As<P25::Mobile_sim_state, P25::Log_mobile_state>},
    {"control_state", As<P25::Control_sim_state, P25::Log_control_state>},
    {"traffic_state", As<P25::Traffic_sim_state, P25::Log_traffic_state>},
};

}  // namespace

// The seed writer finds the entries by name.
extern "C" int Fuzz_entry_index(const char* name) {
    for (std::size_t i = 0; i < std::size(entries); ++i)
        if (std::strcmp(entries[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Listen_as_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Idle_assemblers();
    fuzz::Log_capture log;
    static Payload payload;
    std::size_t pos = 0;
    while (size - pos >= 5) {
        const Entry& entry = entries[data[pos] % std::size(entries)];
        const std::uint8_t flags = data[pos + 1];
        const std::uint32_t count = data[pos + 2] + ((flags & 4) ? 128u : 0u);
        std::size_t length = data[pos + 3] | static_cast<std::size_t>(data[pos + 4]) << 8;
        pos += 5;
        if (length > size - pos) length = size - pos;
        if (length > sizeof payload) length = sizeof payload;
        std::memset(&payload, 0, sizeof payload);
        std::memcpy(&payload, data + pos, length);
        pos += length;
        payload.tsbk.block_count = count;
        // Only the blocks the payload reaches get a CRC: the zero blocks
        // after them fail the check, so that a large block count costs a
        // check a block, not a decoded message a block.
        const unsigned blocks = count < 128 ? count : 128;
        const auto* base = reinterpret_cast<const std::uint8_t*>(&payload);
        if (flags & 1)
            for (unsigned i = 0; i < blocks; ++i) {
                if (static_cast<std::size_t>(payload.tsbk.tsbk[i].data - base) >= length) break;
                fuzz::Fill_block_crc(payload.tsbk.tsbk[i]);
            }
        if (flags & 2) fuzz::Fill_packet_crc(payload.tsbk.tsbk, count);
        entry.log(payload);
    }
    return 0;
}
