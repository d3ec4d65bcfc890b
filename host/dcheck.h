// ORVANE_DCHECK: a precondition checked in debug builds only. A failed check writes the condition,
// file and line to the standard error stream and aborts; under NDEBUG the condition is compiled
// but never evaluated, so it costs nothing in release builds and cannot have side effects there.
#ifndef HOST_DCHECK_H_
#define HOST_DCHECK_H_

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace orvane::host {

[[noreturn]] inline void dcheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

// True when no entry of a name table was left out (a missing initializer is null).
template <std::size_t N>
constexpr bool allNamed(const std::array<const char*, N>& names) {
  for (const char* name : names) {
    if (name == nullptr) return false;
  }
  return true;
}

}  // namespace orvane::host

#ifdef NDEBUG
#define ORVANE_DCHECK(condition) static_cast<void>(sizeof(!(condition)))
#else
#define ORVANE_DCHECK(condition)      \
  ((condition) ? static_cast<void>(0) \
               : ::orvane::host::dcheckFailed(#condition, __FILE__, __LINE__))
#endif

#endif  // HOST_DCHECK_H_
