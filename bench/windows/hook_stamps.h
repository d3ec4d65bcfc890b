// When each injected event reached the system: a QueryPerformanceCounter reading taken by the
// low-level hooks for every injected event, in arrival order.
#ifndef BENCH_WINDOWS_HOOK_STAMPS_H_
#define BENCH_WINDOWS_HOOK_STAMPS_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "runner/input_observer.h"

namespace orvane::bench {

// QueryPerformanceCounter, and its ticks in microseconds.
std::int64_t Ticks();
double TicksToMicros(std::int64_t ticks);

// Contract: the hooks run on the observer's thread of their own, so any other thread may inject
// and wait here without deadlocking with them. Every member may be called from any thread.
class HookStamps {
 public:
  // False when the hooks could not be installed.
  bool Start();

  // Removes the hooks; no stamps come after it.
  void Stop() { observer_.Stop(); }

  // Forgets the stamps so far; call only while no input is on its way.
  void Clear();

  std::size_t Count() const;

  // Waits until at least `count` stamps exist or limitMs passes; true in the first case.
  bool WaitForCount(std::size_t count, std::int64_t limitMs) const;

  // The stamp of the index-th injected event since the last Clear; index < Count().
  std::int64_t At(std::size_t index) const;

  // Waits at most limitMs for a key-up at or after stamp `from`; true with its stamp in `at`.
  bool WaitForKeyUp(std::size_t from, std::int64_t limitMs, std::int64_t& at) const;

  // Waits until no stamp has come for quietMs (at most limitMs in all); true then, with the last
  // stamp since the last Clear in `last` (0 when there is none).
  bool WaitForQuiet(std::int64_t quietMs, std::int64_t limitMs, std::int64_t& last) const;

 private:
  void Add(const runner::ObservedEvent& event);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::int64_t> stamps_;
  std::vector<bool> keyUps_;  // per stamp: a key-up
  // Last: its hook thread stops before the stamps go.
  runner::InputObserver observer_;
};

}  // namespace orvane::bench

#endif  // BENCH_WINDOWS_HOOK_STAMPS_H_
