// A controller faster than the host, through the real plugin DLL: bursts of hover moves (which
// collapse), of drag moves (which share SendInput calls), and a release behind a backlog (which
// discards it), each against bare SendInput measured in the same run.
#ifndef BENCH_WINDOWS_BACKLOG_BENCH_H_
#define BENCH_WINDOWS_BACKLOG_BENCH_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/windows/hook_stamps.h"
#include "runner/plugin_host.h"

namespace orvane::bench {

class BacklogBench {
 public:
  // The link must be up and the mode control.
  BacklogBench(runner::PluginHost& host, HookStamps& stamps);

  // `count` frames a burst; floorBurstMs is `count` bare SendInput calls back to back until the
  // last event reached the hook, floorEventMicros one bare SendInput's event at the hook (p50).
  // Prints a line per burst and one ratio line per goal.
  void Run(std::size_t count, double floorBurstMs, double floorEventMicros);

 private:
  // Delivers `count` pointer moves back to back, then waits for the input to settle; the time in
  // ms from the first delivery to the last event at the hook.
  double MoveBurst(const char* name, std::size_t count);
  // Microseconds from the releaseHeldInput call behind `count` moves to A's key-up at the hook.
  double ReleaseBehind(std::size_t count);
  void Deliver(const std::vector<std::uint8_t>& message);

  runner::PluginHost& host_;
  HookStamps& stamps_;
  const std::string channel_;
  const std::vector<std::uint8_t> moves_[2];
};

}  // namespace orvane::bench

#endif  // BENCH_WINDOWS_BACKLOG_BENCH_H_
