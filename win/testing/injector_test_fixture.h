// The injector tests' fixture: an injector on the scripted input system, a watchdog clock the test
// moves by hand, and log lines kept where a worker that outlives the injector can still write.
#ifndef ORVANE_WIN_TESTING_INJECTOR_TEST_FIXTURE_H_
#define ORVANE_WIN_TESTING_INJECTOR_TEST_FIXTURE_H_

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/input_injector.h"
#include "win/testing/fake_input_system.h"

namespace orvane::win::test {

inline constexpr std::int64_t kFlushLimitMs = 10'000;

struct LogRecord {
  std::mutex mutex;
  std::vector<std::string> lines;
};

// One line per event, for comparing whole batches.
inline std::vector<std::string> describe(const std::vector<InjectEvent>& events) {
  std::vector<std::string> described;
  for (const InjectEvent& event : events) {
    char text[64];
    if (event.kind == InjectEventKind::Keyboard) {
      std::snprintf(text, sizeof text, "key %02X%s%s", event.scan,
                    (event.flags & kKeyExtended) != 0 ? " extended" : "",
                    (event.flags & kKeyUp) != 0 ? " up" : " down");
    } else {
      std::snprintf(text, sizeof text, "mouse %04X", static_cast<unsigned>(event.flags));
    }
    described.push_back(std::string(text) + (event.extraInfo == kInjectedTag ? "" : " untagged"));
  }
  return described;
}

class InjectorTest : public ::testing::Test {
 protected:
  // A fresh script, log and injector (link up unless told otherwise) at watchdog time 0.
  void start(bool connected = true) {
    injector_.reset();
    input_ = std::make_shared<FakeInput>();
    log_ = std::make_shared<LogRecord>();
    now_->store(0.0);
    auto sink = [log = log_](const std::string& line) {
      const std::lock_guard<std::mutex> lock(log->mutex);
      log->lines.push_back(line);
    };
    injector_ = std::make_unique<InputInjector>(sink, input_->makeSystem(), kWatchdogLimitSeconds,
                                                [now = now_] { return now->load(); });
    injector_->setPeerConnected(connected);
  }
  void run(std::function<void(InjectorCore&)> task) {
    ASSERT_TRUE(injector_->runForTesting(std::move(task), kFlushLimitMs));
  }
  void flush() {
    run([](InjectorCore&) {});
  }
  // A watchdog check, due at once, at watchdog time `at`: the real tick path through the queue.
  void checkWatchdogAt(double at) {
    now_->store(at);
    run([](InjectorCore& core) {
      core.applyWatchdog({});
      core.applyWatchdog({WatchdogVerdict::Kind::Wait, 0.0});
    });
    flush();  // The tick joined the queue behind this flush; the next one runs after it.
    flush();
  }
  bool watchdogPending() {
    bool pending = false;
    run([&pending](InjectorCore& core) { pending = core.watchdogPending(); });
    return pending;
  }
  void sweepEverything() {
    for (const std::int32_t vk : kSweepVirtualKeys) input_->setKeyState(vk, 0);
  }
  std::vector<std::string> lines() const {
    const std::lock_guard<std::mutex> lock(log_->mutex);
    return log_->lines;
  }

  std::shared_ptr<std::atomic<double>> now_ = std::make_shared<std::atomic<double>>(0.0);
  std::shared_ptr<FakeInput> input_;
  std::shared_ptr<LogRecord> log_;
  std::unique_ptr<InputInjector> injector_;
};

}  // namespace orvane::win::test

#endif  // ORVANE_WIN_TESTING_INJECTOR_TEST_FIXTURE_H_
