// What the air benches share: the 1 % point of a loss curve, and a main
// whose --frames N sets how many TSDUs a measured point sends before the
// timed benchmarks run.
#ifndef TESSEL_BENCH_AIR_BENCH_MAIN_H
#define TESSEL_BENCH_AIR_BENCH_MAIN_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

// Where a column of losses last falls through 1 %, interpolated on log(loss)
// (a point with none lost counts as half a TSBK lost).
inline double One_percent(const std::vector<double>& ebn0, const std::vector<double>& loss, std::size_t sent) {
    const auto log_loss = [&](std::size_t i) { return std::log(std::max(loss[i], 0.5 / double(sent))); };
    for (std::size_t i = loss.size() - 1; i > 0; --i) {
        if (loss[i - 1] < 0.01 || loss[i] >= 0.01) continue;
        const double a = log_loss(i - 1), b = log_loss(i);
        return ebn0[i - 1] + (ebn0[i] - ebn0[i - 1]) * (a - std::log(0.01)) / (a - b);
    }
    return NAN;
}

// Runs measure(tsdus) (the tables printed before the timings), then the
// benchmarks with the arguments other than --frames.
template <class Measure>
int Air_bench_main(int argc, char** argv, std::size_t tsdus, Measure&& measure) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            tsdus = std::size_t(std::max(1L, std::atol(argv[++i])));
        else
            rest.push_back(argv[i]);
    }
    measure(tsdus);
    int count = int(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif
