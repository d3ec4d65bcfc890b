// Replaces the global allocation functions of the input benchmark so it can count allocations.
// Kept in its own file so the compiler never sees a call site and the replacement together.
#include "bench/input_bench_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> allocations{0};
}  // namespace

std::uint64_t inputBenchAllocations() { return allocations.load(std::memory_order_relaxed); }

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  void* const p = std::malloc(size == 0 ? 1 : size);
  // A benchmark that runs out of memory has nothing useful left to measure.
  if (p == nullptr) std::abort();
  return p;
}

void operator delete(void* p) noexcept { std::free(p); }

void operator delete(void* p, std::size_t) noexcept { std::free(p); }
