// An input system that takes every batch and does nothing, for benchmarks of the injection thread's
// own work: one monitor, a 1920-pixel screen, no key down.
#ifndef BENCH_NULL_INPUT_SYSTEM_H_
#define BENCH_NULL_INPUT_SYSTEM_H_

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "win/input_system.h"

namespace orvane::win {

class NullInputSystem final : public InputSystem {
 public:
  std::uint32_t sendInput(const std::vector<InjectEvent>& events) override {
    benchmark::DoNotOptimize(events.data());
    return static_cast<std::uint32_t>(events.size());
  }
  std::uint32_t getLastError() override { return 0; }
  std::int16_t getAsyncKeyState(std::int32_t) override { return 0; }
  bool getPhysicalCursorPos(CursorPoint& point) override {
    point = {};
    return true;
  }
  std::int32_t getSystemMetrics(std::int32_t index) override {
    return index == kMetricMonitorCount ? 1 : kScreenPixels;
  }

 private:
  static constexpr std::int32_t kScreenPixels = 1920;
};

}  // namespace orvane::win

#endif  // BENCH_NULL_INPUT_SYSTEM_H_
