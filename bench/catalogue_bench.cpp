// Throughput of the whole single-block catalogue beside the grants alone:
// TSBKs through the library's entry point into a streamed log, and record
// scripts through the `tessel log` program.  The catalogue mix is built from
// the registry, one TSBK for every single-block definition of every
// manufacturer and direction, so that every definition filed is measured.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

namespace {

// One TSBK's identity: manufacturer, direction and opcode.
struct Kind {
    std::uint8_t mfid, opcode;
    bool outbound;
};

// Every single-block definition in the registry.
std::vector<Kind> Catalogue() {
    std::vector<Kind> kinds;
    for (auto* node = P25::List<P25::MFID_record>::First(); node; node = node->Next())
        for (bool outbound : {false, true})
            for (unsigned opcode = 0; opcode < 64; ++opcode)
                if (node->Item()->Table(outbound)[opcode].slot[0])
                    kinds.push_back({node->Item()->MFID(), static_cast<std::uint8_t>(opcode), outbound});
    return kinds;
}

// The grant definitions alone (outbound, manufacturer 0x00).
std::vector<Kind> Grants() {
    std::vector<Kind> kinds;
    for (std::uint8_t opcode : {0, 4, 6, 16, 17}) kinds.push_back({0x00, opcode, true});
    return kinds;
}

// A TSBK of the kind with random fields and a good CRC.
void Fill(P25::P25_TSBK_DATA& block, const Kind& kind, bool last, std::mt19937& random) {
    std::uint8_t* b = block.data;
    for (int k = 2; k < 10; ++k) b[k] = static_cast<std::uint8_t>(random());
    b[0] = static_cast<std::uint8_t>(kind.opcode | (last ? 0x80 : 0x00));
    b[1] = kind.mfid;
    const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, b, 10));
    b[10] = static_cast<std::uint8_t>(crc >> 8);
    b[11] = static_cast<std::uint8_t>(crc);
}

// Host records of three TSBKs each, of one direction each, cycling through
// the kinds of that direction.
std::vector<P25::Log_Dispatch_payload> Payloads(const std::vector<Kind>& kinds) {
    std::vector<P25::Log_Dispatch_payload> payloads;
    std::mt19937 random(1);
    for (bool outbound : {false, true}) {
        std::vector<Kind> same;
        for (const Kind& k : kinds)
            if (k.outbound == outbound) same.push_back(k);
        for (std::size_t first = 0; first < same.size(); first += 3) {
            P25::Log_Dispatch_payload p;
            std::memset(&p, 0, sizeof p);
            p.tsbk.header.metadata.phys_channel = 1;
            p.tsbk.header.metadata.is_osp = outbound;
            for (unsigned i = 0; i < 3; ++i) Fill(p.tsbk.tsbk[i], same[(first + i) % same.size()], i == 2, random);
            p.tsbk.block_count = 3;
            payloads.push_back(p);
        }
    }
    return payloads;
}

// Log_TSBK with three TSBKs a call, cycling through the records, written to /dev/null.
void Log_in_process(benchmark::State& state, const std::vector<Kind>& kinds) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    XML_routines::Output_file out(sink, true);
    XML_routines::Output_file::Set_current(&out);
    const std::vector<P25::Log_Dispatch_payload> payloads = Payloads(kinds);
    std::size_t next = 0;
    for (auto _ : state) {
        P25::Log_TSBK(payloads[next]);
        if (++next == payloads.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations() * 3);
    state.counters["definitions"] = static_cast<double>(kinds.size());
    XML_routines::Output_file::Set_current(nullptr);
}

void BM_Grants_in_process(benchmark::State& state) { Log_in_process(state, Grants()); }
void BM_Catalogue_in_process(benchmark::State& state) { Log_in_process(state, Catalogue()); }
BENCHMARK(BM_Grants_in_process);
BENCHMARK(BM_Catalogue_in_process);

// `tessel log` on a generated script of single-TSBK lines cycling through the kinds.
void Tessel_log(benchmark::State& state, const std::vector<Kind>& kinds) {
    const long lines = state.range(0);
    char path[] = "/tmp/tessel_catalogue_bench_XXXXXX";
    const int fd = mkstemp(path);
    std::FILE* script = fdopen(fd, "w");
    std::mt19937 random(2);
    P25::P25_TSBK_DATA block;
    for (long i = 0; i < lines; ++i) {
        const Kind& kind = kinds[static_cast<std::size_t>(i) % kinds.size()];
        Fill(block, kind, true, random);
        const long ms = i % 80000;  // the tick count wraps after 85.9 s
        std::fprintf(script, "tsbk phys_channel=1 type=%s timestamp=%ld.%03ld", kind.outbound ? "osp" : "isp",
                     ms / 1000, ms % 1000);
        for (int k = 0; k < 12; ++k) std::fprintf(script, " %02X", block.data[k]);
        std::fprintf(script, "\n");
    }
    std::fclose(script);
    const std::string command = std::string(TESSEL_TOOL) + " log " + path + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("tessel log failed");
    state.SetItemsProcessed(state.iterations() * lines);
    std::remove(path);
}

void BM_Grants_tessel_log(benchmark::State& state) { Tessel_log(state, Grants()); }
void BM_Catalogue_tessel_log(benchmark::State& state) { Tessel_log(state, Catalogue()); }
BENCHMARK(BM_Grants_tessel_log)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Catalogue_tessel_log)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
