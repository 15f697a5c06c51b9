// Throughput of the trunking log road: TSBKs through the library's entry
// point into a streamed log, and a generated record script through the
// `tessel log` program.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

namespace {

// A run of TSBKs of the grant family with good CRCs, the last one flagged.
void Fill_grants(P25::TSBK_PDU_data& record, unsigned count, std::mt19937& random) {
    static const std::uint8_t opcodes[] = {0, 4, 6, 16, 17};
    std::memset(&record, 0, sizeof record);
    record.header.metadata.phys_channel = 1;
    record.header.metadata.is_osp = 1;
    for (unsigned i = 0; i < count; ++i) {
        std::uint8_t* b = record.tsbk[i].data;
        for (int k = 2; k < 10; ++k) b[k] = static_cast<std::uint8_t>(random());
        b[0] = opcodes[random() % 5] | (i + 1 == count ? 0x80 : 0x00);
        b[1] = 0x00;
        const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, b, 10));
        b[10] = static_cast<std::uint8_t>(crc >> 8);
        b[11] = static_cast<std::uint8_t>(crc);
    }
    record.block_count = count;
}

// Log_TSBK with three TSBKs a call: the raw element, the status symbols and
// three decoded grants, written to /dev/null.
void BM_Log_TSBK(benchmark::State& state) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    XML_routines::Output_file out(sink, true);
    XML_routines::Output_file::Set_current(&out);
    std::mt19937 random(1);
    static P25::Log_Dispatch_payload payload;
    Fill_grants(payload.tsbk, 3, random);
    for (auto _ : state) P25::Log_TSBK(payload);
    state.SetItemsProcessed(state.iterations() * 3);
    XML_routines::Output_file::Set_current(nullptr);
}
BENCHMARK(BM_Log_TSBK);

// `tessel log` on a generated script of single-TSBK lines.
void BM_Tessel_log(benchmark::State& state) {
    const long lines = state.range(0);
    char path[] = "/tmp/tessel_bench_XXXXXX";
    const int fd = mkstemp(path);
    std::FILE* script = fdopen(fd, "w");
    std::mt19937 random(2);
    static P25::TSBK_PDU_data record;
    for (long i = 0; i < lines; ++i) {
        Fill_grants(record, 1, random);
        const long ms = i % 80000;  // the tick count wraps after 85.9 s
        std::fprintf(script, "tsbk phys_channel=1 timestamp=%ld.%03ld", ms / 1000, ms % 1000);
        for (int k = 0; k < 12; ++k) std::fprintf(script, " %02X", record.tsbk[0].data[k]);
        std::fprintf(script, "\n");
    }
    std::fclose(script);
    const std::string command = std::string(TESSEL_TOOL) + " log " + path + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("tessel log failed");
    state.SetItemsProcessed(state.iterations() * lines);
    std::remove(path);
}
BENCHMARK(BM_Tessel_log)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
