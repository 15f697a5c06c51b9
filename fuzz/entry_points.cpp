// The logging entry points: the input is a run of payloads, each handed to
// one entry point as a host's receivers would.  A payload is
//
//   entry (1 octet, an index into the table below)
//   flags (1 octet): 1 fills each block's CRC-16, 2 fills the header CRC-16
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

#include "support.h"

namespace {

using Payload = P25::Log_Dispatch_payload;

struct Entry {
    const char* name;  // the record-script kind feeding the same entry point
    void (*log)(const Payload& payload);
};

// Every entry point, one a line; the seeds name them by kind.
const Entry entries[] = {
    {"status", [](const Payload& p) { P25::Log_Status_syms(p.header); }},
    {"time", [](const Payload& p) { P25::Log_time(p.time); }},
    {"nid", P25::Log_NID},
    {"tsbk", P25::Log_TSBK},
    {"pdu", P25::Log_PDU},
    {"pdu_header", P25::Log_PDU_header},
    {"pdu_cont", P25::Log_PDU_cont},
};

}  // namespace

// The seed writer finds the entries by name.
extern "C" int Fuzz_entry_index(const char* name) {
    for (std::size_t i = 0; i < std::size(entries); ++i)
        if (std::strcmp(entries[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
        const unsigned blocks = count < 128 ? count : 128;
        if (flags & 1)
            for (unsigned i = 0; i < blocks; ++i) fuzz::Fill_block_crc(payload.tsbk.tsbk[i]);
        if (flags & 2) fuzz::Fill_packet_crc(payload.tsbk.tsbk, count);
        entry.log(payload);
    }
    return 0;
}
