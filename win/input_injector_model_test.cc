// Seeded random frames, link and mode changes, releases, watchdog firings and flips of the host's
// swapped-buttons setting, checked against a model of what must be held. ORVANE_MODEL_STEPS sets
// the steps (default 9000; 1000000 soaks).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "win/held_input.h"
#include "win/input_injector.h"
#include "win/testing/injector_testing.h"
#include "win/testing/test_frames.h"

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
    for (const std::int32_t vk : kSweepVirtualKeys) input_->setKeyState(vk, kKeyStates[pick(3)]);
    bool link = false;
    InputMode mode = InputMode::Control;
    std::set<std::uint16_t> keys;
    std::map<int, int> hostButtons;  // controller button -> host button it went down as
    bool swapped = false;
    input_->setMetric(kMetricSwapButton, 0);
    injector_->setPeerConnected(false);
    injector_->setInputMode(mode);
    ASSERT_TRUE(injector_->releaseAllAndWait("unspecified", kLimitMs));
    for (std::uint64_t i = 0; i < kStepsPerSequence; ++i) {
      const auto [usage, scanId] = kKeys[pick(std::size(kKeys))];
      const int button = static_cast<int>(pick(3));
      const bool full = link && mode == InputMode::Control;
      const std::size_t action = pick(13);
      bool released = action >= 2 && action <= 5;  // nothing may be down afterwards
      switch (action) {
        case 0:
          injector_->setPeerConnected(link = !link);
          break;
        case 1: {
          const InputMode next = pick(2) == 0 ? InputMode::View : InputMode::Control;
          released = mode == InputMode::Control && next == InputMode::View;
          injector_->setInputMode(mode = next);
          break;
        }
        case 2:
          injector_->releaseHeldInput("unspecified");
          break;
        case 3:
          EXPECT_TRUE(injector_->releaseAllAndWait("appTerminating", kLimitMs));
          break;
        case 4:
          run([](InjectorCore& core) { core.applyWatchdog({Fire, 0.0}); });
          break;
        case 5:
          injector_->injectInput(releaseAll());
          break;
        case 6:
        case 7:
          if (full) keys.insert(static_cast<std::uint16_t>(scanId));
          injector_->injectInput(keyDown(usage));
          break;
        case 8:
          keys.erase(static_cast<std::uint16_t>(scanId));
          injector_->injectInput(keyUp(usage));
          break;
        case 9: {
          const int host = swapped && button < 2 ? 1 - button : button;
          bool free = hostButtons.count(button) == 0;
          for (const auto& held : hostButtons) free = free && held.second != host;
          if (full && free) hostButtons[button] = host;
          injector_->injectInput(buttonDown(button, 0.25, 0.75));
          break;
        }
        case 10:
          hostButtons.erase(button);
          injector_->injectInput(buttonUp(button));
          break;
        case 11:
          // The host's user flips the left-handed setting; the press reads it on the worker.
          flush();
          input_->setMetric(kMetricSwapButton, (swapped = !swapped) ? 1 : 0);
          break;
        default:
          injector_->injectInput(pick(2) == 0 ? move(0.5, 0.5) : wheel(0, 90));
      }
      if (released) keys.clear(), hostButtons.clear();
      if (released || i + 1 == kStepsPerSequence) {
        flush();
        std::uint32_t buttons = 0;
        for (const auto& held : hostButtons) buttons |= 1u << held.second;
        ASSERT_EQ(input_->downKeys(), keys);
        ASSERT_EQ(input_->downButtons(), buttons);
      }
    }
  }
  finish();
}

}  // namespace
}  // namespace orvane::win
