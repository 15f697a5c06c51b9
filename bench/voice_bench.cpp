// Throughput of the voice log road: LDU1s through the library's entry point
// into a streamed log, four elements a call (status symbols, the LDU1, its
// link-control word raw and decoded).  The floor, measured in the same run,
// is the status-symbols element alone: the cost of one small element through
// the same log, against which an LDU1 is read as a ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "P25_processing.h"

namespace {

// An LDU1 of a group call on channel 1: emergency, group 0BAD, source 123456.
const P25::Log_Dispatch_payload& Ldu1() {
    static P25::Log_Dispatch_payload payload;
    std::memset(&payload, 0, sizeof payload);
    payload.header.metadata.phys_channel = 1;
    payload.header.metadata.is_osp = 1;
    payload.header.nid.nac = 0x293;
    payload.header.statuses.count = 2;
    const std::uint8_t word[9] = {0x00, 0x00, 0x80, 0x00, 0x0B, 0xAD, 0x12, 0x34, 0x56};
    std::memcpy(payload.ldu1.lc.bytes, word, sizeof word);
    return payload;
}

// Runs the entry point into a log written to /dev/null.
template <void (*Log)(const P25::Log_Dispatch_payload&)>
void Into_null_log(benchmark::State& state) {
    XML_routines::Output_file out(std::fopen("/dev/null", "w"), true);
    XML_routines::Output_file::Set_current(&out);
    const P25::Log_Dispatch_payload& payload = Ldu1();
    for (auto _ : state) Log(payload);
    state.SetItemsProcessed(state.iterations());
    XML_routines::Output_file::Set_current(nullptr);
}

void Status_only(const P25::Log_Dispatch_payload& payload) { P25::Log_Status_syms(payload.header); }

// The floor: one "Status_bits" element a call.
void BM_Floor_status_bits(benchmark::State& state) { Into_null_log<Status_only>(state); }
BENCHMARK(BM_Floor_status_bits);

// LDU1s per second.
void BM_Log_voice_LDU1(benchmark::State& state) { Into_null_log<P25::Log_voice_LDU1>(state); }
BENCHMARK(BM_Log_voice_LDU1);

}  // namespace

BENCHMARK_MAIN();
