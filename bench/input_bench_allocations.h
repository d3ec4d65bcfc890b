// Allocation counting for the input benchmark: every operator new of the process is counted.
#ifndef ORVANE_BENCH_INPUT_BENCH_ALLOCATIONS_H_
#define ORVANE_BENCH_INPUT_BENCH_ALLOCATIONS_H_

#include <cstdint>

// Allocations made so far by the whole process.
std::uint64_t inputBenchAllocations();

#endif  // ORVANE_BENCH_INPUT_BENCH_ALLOCATIONS_H_
