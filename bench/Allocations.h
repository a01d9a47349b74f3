#pragma once

#include <benchmark/benchmark.h>

#include <atomic>

// Every heap allocation of the benchmark program is counted (CycleBench.cpp replaces
// operator new and, outside sanitizer builds, malloc, calloc and realloc), so a benchmark
// can show that its warm loop allocates nothing.
namespace tavrel::bench {

extern std::atomic<long long> allocations;

// Sets the counter `name`, allocations per iteration, from the count taken before the loop.
inline void reportAllocations(benchmark::State &state, long long before, const char *name = "allocs/iter")
{
    state.counters[name] = benchmark::Counter(static_cast<double>(allocations - before),
                                              benchmark::Counter::kAvgIterations);
}

} // namespace tavrel::bench
