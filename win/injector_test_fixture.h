// The injector tests' fixture: an injector on the scripted input system, with its log lines
// collected where a worker that outlives the injector can still write them.
#ifndef ORVANE_WIN_INJECTOR_TEST_FIXTURE_H_
#define ORVANE_WIN_INJECTOR_TEST_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/fake_input_system.h"
#include "win/input_injector.h"

namespace orvane::win::test {

inline constexpr std::int64_t kFlushLimitMs = 10'000;
// Not down, but pressed since the last poll: the sweep skips it.
inline constexpr std::int16_t kKeyUntouched = 1;
inline constexpr std::int16_t kKeyDown = -32768;
inline constexpr double kShortWatchdogSeconds = 0.5;
inline constexpr std::uint16_t kScanA = 0x001E;

// Lines shared with the injector's sink, so a worker that outlives the injector writes into
// live memory.
struct LogRecord {
  std::mutex mutex;
  std::vector<std::string> lines;
};

// One line per event, for comparing whole batches.
inline std::vector<std::string> describe(const std::vector<InjectEvent>& events) {
  std::vector<std::string> described;
  for (const InjectEvent& event : events) {
    constexpr std::size_t kTextSize = 64;
    char text[kTextSize];
    if (event.kind == InjectEventKind::Keyboard) {
      std::snprintf(text, kTextSize, "key %02X%s%s", event.scan,
                    (event.flags & kKeyExtended) != 0 ? " extended" : "",
                    (event.flags & kKeyUp) != 0 ? " up" : " down");
    } else {
      std::snprintf(text, kTextSize, "mouse %04X", static_cast<unsigned>(event.flags));
    }
    described.push_back(std::string(text) + (event.extraInfo == kInjectedTag ? "" : " untagged"));
  }
  return described;
}

class InjectorTest : public ::testing::Test {
 protected:
  InjectorTest() { resetFake(); }

  // A fresh script whose modifiers all read as untouched, so releases make no sweep, and whose
  // cursor cannot be read, so the probe stays quiet.
  void resetFake() {
    input_ = std::make_shared<FakeInput>();
    input_->setCursorReadable(false);
    log_ = std::make_shared<LogRecord>();
    for (const std::int32_t vk : kSweepVirtualKeys) {
      input_->setKeyState(vk, kKeyUntouched);
    }
  }

  void start(double watchdogSeconds = kWatchdogLimitSeconds) {
    const auto sink = [log = log_](const std::string& line) {
      const std::lock_guard<std::mutex> lock(log->mutex);
      log->lines.push_back(line);
    };
    injector_ = std::make_unique<InputInjector>(sink, input_->makeSystem(), watchdogSeconds);
  }
  void startConnected(double watchdogSeconds = kWatchdogLimitSeconds) {
    start(watchdogSeconds);
    injector_->setPeerConnected(true);
  }
  void flush() { ASSERT_TRUE(injector_->flushForTesting(kFlushLimitMs)); }
  void sweepEverything() {
    for (const std::int32_t vk : kSweepVirtualKeys) {
      input_->setKeyState(vk, 0);
    }
  }
  std::vector<std::string> lines() const {
    const std::lock_guard<std::mutex> lock(log_->mutex);
    return log_->lines;
  }

  std::shared_ptr<FakeInput> input_;
  std::shared_ptr<LogRecord> log_;
  std::unique_ptr<InputInjector> injector_;
};

}  // namespace orvane::win::test

#endif  // ORVANE_WIN_INJECTOR_TEST_FIXTURE_H_
