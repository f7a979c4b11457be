#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

namespace timeRatio
{

// Both sides timed in each iteration, after untimed work when `kPrepared`.
template <bool kPrepared, class Prepare, class First, class Second>
void Run(benchmark::State& state, Prepare& prepare, First& first, Second& second)
{
    double firstTime = 0.0;
    double secondTime = 0.0;
    for (auto _ : state)
    {
        if constexpr (kPrepared)
        {
            state.PauseTiming();
            prepare();
            state.ResumeTiming();
        }
        const auto t0 = std::chrono::steady_clock::now();
        first();
        const auto t1 = std::chrono::steady_clock::now();
        second();
        const auto t2 = std::chrono::steady_clock::now();
        firstTime += std::chrono::duration<double>(t1 - t0).count();
        secondTime += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = secondTime > 0.0 ? firstTime / secondTime : 0.0;
}

} // namespace timeRatio

// Runs both sides in each iteration and reports the first's total time over the second's as "ratio".
template <class First, class Second> void TimeRatio(benchmark::State& state, First first, Second second)
{
    auto nothing = [] {};
    timeRatio::Run<false>(state, nothing, first, second);
}

// The same, with untimed work before each iteration (putting back a state the sides use up).
template <class Prepare, class First, class Second>
void TimeRatio(benchmark::State& state, Prepare prepare, First first, Second second)
{
    timeRatio::Run<true>(state, prepare, first, second);
}
