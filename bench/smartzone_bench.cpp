// Throughput of the SmartZone outbound road: a control channel's word
// stream (background and status words, group updates, two-word grants,
// three-word adjacent-site broadcasts) through Log_cooked, each word logged
// decoded and assembled into its message, into a streamed log.  The floor is
// the same words through Log_raw: one element a word, no assembly or
// decoding.  Words per second are reported as items per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "Smartzone_processing.h"

namespace {

using Smartzone::Log_cooked;
using Smartzone::Log_raw;

P25::Smartnet_data_log Word(unsigned address, bool i_bit, unsigned cmd) {
    P25::Smartnet_data_log r{};
    r.metadata.phys_channel = 1;
    r.metadata.is_osp = 1;
    r.bits.baud = 3600;
    r.bits.ch_type = 5;
    r.bits.bits = 27;
    r.bits.count = 4;
    const std::uint32_t v = (address & 0xFFFFu) << 16 | (i_bit ? 1u : 0u) << 15 | (cmd & 0x3FFu) << 5;
    for (int i = 0; i < 4; ++i) r.bits.data[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    return r;
}

// A realistic mix of messages, 4096 of them, as the words a receiver hands over.
const std::vector<P25::Smartnet_data_log>& Stream() {
    static std::vector<P25::Smartnet_data_log> words;
    if (!words.empty()) return words;
    std::mt19937 random(7);
    for (int m = 0; m < 4096; ++m) {
        const unsigned pick = random() % 100, unit = random() & 0xFFFF, channel = 1 + random() % 700;
        if (pick < 35) {
            words.push_back(Word(random() & 0xFFFF, false, Smartzone::BACKGROUND_WORD));
        } else if (pick < 50) {
            words.push_back(Word((random() % 8) << 13 | (random() & 0x1FFF), random() & 1, Smartzone::SYSTEM_STATUS_AMSS));
        } else if (pick < 65) {  // a group update, closed by the next word
            words.push_back(Word(random() & 0xFFFF, false, channel));
            words.push_back(Word(random() & 0xFFFF, false, Smartzone::BACKGROUND_WORD));
        } else if (pick < 90) {  // a two-word grant
            words.push_back(Word(unit, true, Smartzone::FIRST_WORD1));
            words.push_back(Word(random() & 0xFFFF, random() & 1, channel));
        } else {  // an adjacent control channel
            words.push_back(Word(random() & 0xFFFF, true, Smartzone::FIRST_WORD1));
            words.push_back(Word(random() & 0xFFFF, false, Smartzone::TRIPLE_WORD));
            words.push_back(Word(24u << 10 | channel, false, Smartzone::EXTENDED_FUNCTION));
        }
    }
    return words;
}

template <void (*Entry)(const P25::Smartnet_data_log&)>
void Run(benchmark::State& state) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    XML_routines::Output_file out(sink, true);
    XML_routines::Output_file::Set_current(&out);
    const std::vector<P25::Smartnet_data_log>& words = Stream();
    for (auto _ : state)
        for (const P25::Smartnet_data_log& w : words) Entry(w);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(words.size()));
    XML_routines::Output_file::Set_current(nullptr);
}

// The floor: every word as one raw element.
void BM_OSW_raw_floor(benchmark::State& state) { Run<Log_raw>(state); }
BENCHMARK(BM_OSW_raw_floor)->Unit(benchmark::kMillisecond);

// The stream decoded and assembled.
void BM_OSW_stream(benchmark::State& state) { Run<Log_cooked>(state); }
BENCHMARK(BM_OSW_stream)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
