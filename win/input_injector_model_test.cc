// Model-based test of the injector: seeded random sequences of frames, link and mode changes,
// releases and watchdog firings, checked against a reference model of what must be held and
// against what the scripted system believes is down.
//
// ORVANE_MODEL_STEPS sets how many random steps to run in all (default 9000: 300 sequences of
// 30 steps, quick enough for every test run); set it to 1000000 for a long soak.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "win/held_input.h"
#include "win/input_injector.h"
#include "win/testing/fake_input_system.h"
#include "win/testing/test_frames.h"

namespace orvane::win {
namespace {

using namespace test;

constexpr std::uint64_t kDefaultSteps = 9000;
constexpr int kStepsPerSequence = 30;
constexpr std::uint64_t kSequencesPerInjector = 100;  // threads are slow to start under Wine
constexpr std::int64_t kFlushLimitMs = 10'000;

std::uint64_t totalSteps() {
  const char* text = std::getenv("ORVANE_MODEL_STEPS");
  const std::uint64_t steps = text != nullptr ? std::strtoull(text, nullptr, 10) : 0;
  return steps > 0 ? steps : kDefaultSteps;
}

struct ModelKey {
  std::uint32_t usage;
  std::uint16_t scanId;
};
// Ordinary keys, modifiers of both sides and the two keys behind the refused chords.
constexpr std::uint32_t kUsageL = 0x0F;
constexpr std::uint32_t kUsageDelete = 0x4C;
const ModelKey kKeys[] = {{kUsageA, 0x001E},        {kUsageB, 0x0030},
                          {kUsageL, 0x0026},        {kUsageDelete, 0xE053},
                          {kUsageLeftCtrl, 0x001D}, {kUsageLeftShift, 0x002A},
                          {0xE2, 0x0038},           {kUsageRightAlt, 0xE038},
                          {0xE4, 0xE01D},           {0xE3, 0xE05B}};
const std::int16_t kKeyStates[] = {0, 1, -32768};

class ModelRun {
 public:
  ModelRun(std::uint32_t seed, FakeInput& input, InputInjector& injector)
      : random_(seed), input_(input), injector_(injector) {}

  // One sequence from the start state; the injector may have run others before.
  void run() {
    for (const std::int32_t vk : kSweepVirtualKeys) {
      input_.setKeyState(vk, kKeyStates[pick(std::size(kKeyStates))]);
    }
    injector_.setPeerConnected(false);
    injector_.setInputMode(InputMode::Control);
    ASSERT_TRUE(injector_.releaseAllAndWait("unspecified", kFlushLimitMs));
    for (int i = 0; i < kStepsPerSequence; ++i) {
      if (step()) expectDown({}, 0);
    }
    expectDown(keys_, buttons_);
  }

 private:
  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  bool full() const { return link_ && mode_ == InputMode::Control; }
  bool held(std::uint16_t left, std::uint16_t right) const {
    return keys_.count(left) + keys_.count(right) != 0;
  }
  bool release() {
    keys_.clear();
    buttons_ = 0;
    return true;
  }

  // One random action; true when it was a release that must leave nothing down.
  bool step() {
    const ModelKey& key = kKeys[pick(std::size(kKeys))];
    const int button = static_cast<int>(pick(3));
    switch (pick(12)) {
      case 0:
        link_ = !link_;
        injector_.setPeerConnected(link_);
        return false;
      case 1: {
        const InputMode mode = pick(2) == 0 ? InputMode::View : InputMode::Control;
        const bool releases = mode_ == InputMode::Control && mode == InputMode::View;
        mode_ = mode;
        injector_.setInputMode(mode);
        return releases && release();
      }
      case 2:
        injector_.releaseHeldInput("unspecified");
        return release();
      case 3:
        EXPECT_TRUE(injector_.releaseAllAndWait("appTerminating", kFlushLimitMs));
        return release();
      case 4:
        injector_.runForTesting(
            [](InjectorCore& core) {
              core.applyWatchdog({WatchdogVerdict::Kind::Fire, 0.0});
            },
            kFlushLimitMs);
        return release();
      case 5:
        injector_.injectInput(releaseAll());
        return release();
      case 6:
      case 7: {
        const bool ctrlAlt = held(0x001D, 0xE01D) && held(0x0038, 0xE038);
        const bool refused = (key.usage == kUsageDelete && ctrlAlt) ||
                             (key.usage == kUsageL && held(0xE05B, 0xE05C));
        if (full() && !refused) keys_.insert(key.scanId);
        injector_.injectInput(keyDown(key.usage));
        return false;
      }
      case 8:
        keys_.erase(key.scanId);
        injector_.injectInput(keyUp(key.usage));
        return false;
      case 9:
        if (full()) buttons_ |= 1u << button;
        injector_.injectInput(buttonDown(button, 0.25, 0.75));
        return false;
      case 10:
        buttons_ &= ~(1u << button);
        injector_.injectInput(buttonUp(button));
        return false;
      default:
        injector_.injectInput(pick(2) == 0 ? move(0.5, 0.5) : wheel(0, 90));
        return false;
    }
  }

  void expectDown(const std::set<std::uint16_t>& keys, std::uint32_t buttons) {
    ASSERT_TRUE(injector_.flushForTesting(kFlushLimitMs));
    EXPECT_EQ(input_.downKeys(), keys);
    EXPECT_EQ(input_.downButtons(), buttons);
  }

  std::mt19937 random_;
  FakeInput& input_;
  InputInjector& injector_;
  bool link_ = false;
  InputMode mode_ = InputMode::Control;
  std::set<std::uint16_t> keys_;
  std::uint32_t buttons_ = 0;
};

TEST(InputInjectorModel, RandomSequencesNeverLeaveInputDown) {
  const std::uint64_t sequences = (totalSteps() + kStepsPerSequence - 1) / kStepsPerSequence;
  std::printf("model: %llu steps\n",
              static_cast<unsigned long long>(sequences * kStepsPerSequence));
  for (std::uint64_t first = 0; first < sequences; first += kSequencesPerInjector) {
    auto input = std::make_shared<FakeInput>();
    auto injector = std::make_unique<InputInjector>([](const std::string&) {}, input->makeSystem());
    for (std::uint64_t seed = first + 1; seed <= sequences && seed <= first + kSequencesPerInjector;
         ++seed) {
      SCOPED_TRACE(seed);
      ModelRun(static_cast<std::uint32_t>(seed), *input, *injector).run();
      if (::testing::Test::HasFailure()) return;
    }
    injector.reset();  // teardown releases whatever the last sequence left held
    EXPECT_TRUE(input->downKeys().empty());
    EXPECT_EQ(input->downButtons(), 0u);
    // Only the modifier sweep may release what the system does not believe is down.
    for (const std::uint32_t stray : input->strays()) {
      EXPECT_TRUE(stray <= 0xFFFF && isModifierScan(static_cast<std::uint16_t>(stray))) << stray;
    }
  }
}

}  // namespace
}  // namespace orvane::win
