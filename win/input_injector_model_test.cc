// Seeded random frames, link and mode changes, releases, watchdog firings and button-swap flips,
// queued behind a held injection thread, against a model of what must be held.
// ORVANE_MODEL_STEPS sets the steps (default 9000; 1000000 soaks).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "win/held_input.h"
#include "win/testing/injector_testing.h"

namespace orvane::win {
namespace {

using namespace test;
constexpr auto Fire = WatchdogVerdict::Kind::Fire;

constexpr std::uint64_t kDefaultSteps = 9000;
constexpr std::uint64_t kStepsPerSequence = 30;
constexpr std::uint64_t kSequencesPerInjector = 100;  // threads are slow to start under Wine
// Usage and scanId: ordinary keys, an extended one, and modifiers of both sides.
constexpr std::uint32_t kKeys[][2] = {
    {kUsageA, 0x001E},         {kUsageB, 0x0030},        {0x4F, 0xE04D}, {kUsageLeftCtrl, 0x001D},
    {kUsageLeftShift, 0x002A}, {kUsageRightAlt, 0xE038}, {0xE3, 0xE05B}};
constexpr std::int16_t kKeyStates[] = {0, 1, -32768};

using InputInjectorModel = InjectorTest;

// Holds the injection thread in a task of its own until open(), so that everything posted
// meanwhile is still waiting when a call discards stale frames.
class Gate {
 public:
  void close(InputInjector& injector, std::int64_t limitMs) {
    opened_ = std::make_shared<std::promise<void>>();
    const std::shared_future<void> open = opened_->get_future().share();
    ASSERT_TRUE(InjectorTestAccess::run(
        injector, [open](InjectorCore& core) { core.queue().Post([open] { open.wait(); }); },
        limitMs));
  }
  void open() {
    if (opened_) opened_->set_value();
    opened_.reset();
  }

 private:
  std::shared_ptr<std::promise<void>> opened_;
};

// What the model expects held, from the calls and frames in the order the injector runs them.
struct Model {
  enum class Op { Link, Mode, Release, ReleaseAll, KeyDown, KeyUp, ButtonDown, ButtonUp };
  struct Step {
    Op op;
    std::uint16_t scanId = 0;
    int button = 0;
    bool link = false;
    InputMode mode = InputMode::Control;
  };

  // A call that ends control drops what still waits; a disconnect keeps the possible releases.
  void discardWaiting(bool keepReleases) {
    std::vector<Step> kept;
    for (const Step& step : waiting) {
      const bool frame = step.op >= Op::ReleaseAll;
      const bool release =
          step.op == Op::ReleaseAll || step.op == Op::KeyUp || step.op == Op::ButtonUp;
      if (!frame || (keepReleases && release)) kept.push_back(step);
    }
    waiting.swap(kept);
  }
  void run(bool swapped) {
    for (const Step& step : waiting) apply(step, swapped);
    waiting.clear();
  }
  void apply(const Step& step, bool swapped) {
    const bool full = link && mode == InputMode::Control;
    switch (step.op) {
      case Op::Link:
        link = step.link;
        break;
      case Op::Mode:
        if (mode == InputMode::Control && step.mode == InputMode::View) clear();
        mode = step.mode;
        break;
      case Op::Release:
      case Op::ReleaseAll:
        clear();
        break;
      case Op::KeyDown:
        if (full) keys.insert(step.scanId);
        break;
      case Op::KeyUp:
        keys.erase(step.scanId);
        break;
      case Op::ButtonDown: {
        const int host = swapped && step.button < 2 ? 1 - step.button : step.button;
        bool free = hostButtons.count(step.button) == 0;
        for (const auto& held : hostButtons) free = free && held.second != host;
        if (full && free) hostButtons[step.button] = host;
        break;
      }
      case Op::ButtonUp:
        hostButtons.erase(step.button);
        break;
    }
  }
  void clear() { keys.clear(), hostButtons.clear(); }
  std::uint32_t buttons() const {
    std::uint32_t bits = 0;
    for (const auto& held : hostButtons) bits |= 1u << held.second;
    return bits;
  }

  bool link = false;
  InputMode mode = InputMode::Control;
  std::set<std::uint16_t> keys;
  std::map<int, int> hostButtons;  // controller button -> host button it went down as
  std::vector<Step> waiting;       // posted behind the gate, not yet run
};

TEST_F(InputInjectorModel, RandomSequencesNeverLeaveInputDown) {
  const char* text = std::getenv("ORVANE_MODEL_STEPS");
  const std::uint64_t steps =
      text != nullptr && std::atoll(text) > 0 ? std::atoll(text) : kDefaultSteps;
  const std::uint64_t sequences = (steps + kStepsPerSequence - 1) / kStepsPerSequence;
  std::printf("model: %llu steps\n",
              static_cast<unsigned long long>(sequences * kStepsPerSequence));
  const auto finish = [&] {
    injector_.reset();  // teardown releases whatever the last sequence left held
    EXPECT_TRUE(input_->downKeys().empty() && input_->downButtons() == 0);
    // Only the modifier sweep may release what the system does not believe is down.
    for (const std::uint32_t stray : input_->strays()) {
      EXPECT_TRUE(stray <= 0xFFFF && isModifierScan(static_cast<std::uint16_t>(stray))) << stray;
    }
  };
  using Op = Model::Op;
  Gate gate;
  for (std::uint32_t seed = 0; seed < sequences; ++seed) {
    SCOPED_TRACE(seed);
    if (seed % kSequencesPerInjector == 0) {
      finish();
      start(false);
    }
    std::mt19937 random(seed);
    const auto pick = [&random](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (const ModifierKey& key : kModifierKeys)
      input_->setKeyState(key.virtualKey, kKeyStates[pick(3)]);
    Model model;
    InputMode requested = InputMode::Control;
    bool linkRequested = false;
    bool swapped = false;
    input_->setMetric(kMetricSwapButton, 0);
    injector_->setPeerConnected(false);
    injector_->setInputMode(requested);
    ASSERT_TRUE(injector_->releaseAllAndWait("unspecified", kLimitMs));
    gate.close(*injector_, kLimitMs);
    // Lets everything behind the gate run, then compares what the system holds with the model.
    const auto settle = [&] {
      gate.open();
      model.run(swapped);
      flush();
      ASSERT_EQ(input_->downKeys(), model.keys);
      ASSERT_EQ(input_->downButtons(), model.buttons());
    };
    for (std::uint64_t i = 0; i < kStepsPerSequence; ++i) {
      const auto [usage, scanId] = kKeys[pick(std::size(kKeys))];
      const auto scan = static_cast<std::uint16_t>(scanId);
      const int button = static_cast<int>(pick(3));
      const std::size_t action = pick(13);
      switch (action) {
        case 0:
          if (!(linkRequested = !linkRequested)) model.discardWaiting(true);
          model.waiting.push_back({Op::Link, 0, 0, linkRequested});
          injector_->setPeerConnected(linkRequested);
          break;
        case 1: {
          const InputMode next = pick(2) == 0 ? InputMode::View : InputMode::Control;
          if (requested == InputMode::Control && next == InputMode::View) {
            model.discardWaiting(false);
          }
          model.waiting.push_back({Op::Mode, 0, 0, false, requested = next});
          injector_->setInputMode(next);
          break;
        }
        case 2:
          model.discardWaiting(false);
          model.waiting.push_back({Op::Release});
          injector_->releaseHeldInput("unspecified");
          break;
        case 3:
        case 4:
          settle();
          if (action == 3) {
            EXPECT_TRUE(injector_->releaseAllAndWait("appTerminating", kLimitMs));
          } else {
            run([](InjectorCore& core) { core.applyWatchdog({Fire, 0.0}); });
          }
          model.clear();
          settle();
          gate.close(*injector_, kLimitMs);
          break;
        case 5:
          model.waiting.push_back({Op::ReleaseAll});
          injector_->injectInput(releaseAll());
          break;
        case 6:
        case 7:
          model.waiting.push_back({Op::KeyDown, scan});
          injector_->injectInput(keyDown(usage));
          break;
        case 8:
          model.waiting.push_back({Op::KeyUp, scan});
          injector_->injectInput(keyUp(usage));
          break;
        case 9:
          model.waiting.push_back({Op::ButtonDown, 0, button});
          injector_->injectInput(buttonDown(button, 0.25, 0.75));
          break;
        case 10:
          model.waiting.push_back({Op::ButtonUp, 0, button});
          injector_->injectInput(buttonUp(button));
          break;
        case 11:
          // The host's user flips the left-handed setting; the press reads it on the worker.
          settle();
          input_->setMetric(kMetricSwapButton, (swapped = !swapped) ? 1 : 0);
          gate.close(*injector_, kLimitMs);
          break;
        default:
          injector_->injectInput(pick(2) == 0 ? move(0.5, 0.5) : wheel(0, 90));
      }
    }
    settle();
  }
  finish();
}

}  // namespace
}  // namespace orvane::win
