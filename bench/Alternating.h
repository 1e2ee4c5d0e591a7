// Two loops measured in alternating rounds, each round timed whole: the
// alternation spreads any drift of pcscd or the card over both. Median
// seconds per loop come back after the run.
#ifndef BENCH_ALTERNATING_H
#define BENCH_ALTERNATING_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace alternating {

using Loop = void (*)(benchmark::State&);

struct Result {
    double first = 0, second = 0; ///< median seconds of a round; 0 when none ran
    std::size_t rounds = 0;
};

namespace detail {
inline Loop g_loops[2];
inline std::vector<double> g_seconds[2];
inline const char* g_counter = nullptr;
inline double g_per = 1;

inline void Run(benchmark::State& state) {
    const auto which = static_cast<std::size_t>(state.range(0));
    const auto start = std::chrono::steady_clock::now();
    g_loops[which](state);
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    g_seconds[which].push_back(s);
    state.counters[g_counter] = g_per / s;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
} // namespace detail

/// Runs `first` and `second` in `rounds` alternating rounds; each round
/// reports `counter` = per / seconds (e.g. signatures per second).
inline Result Run(int argc, char** argv, const char* firstName, Loop first, const char* secondName,
                  Loop second, const char* counter, double per, int rounds = 5) {
    detail::g_loops[0] = first;
    detail::g_loops[1] = second;
    detail::g_counter = counter;
    detail::g_per = per;
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            benchmark::RegisterBenchmark(which == 0 ? firstName : secondName, detail::Run)
                ->Arg(which)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return {detail::Median(detail::g_seconds[0]), detail::Median(detail::g_seconds[1]),
            detail::g_seconds[0].size()};
}

} // namespace alternating

#endif
