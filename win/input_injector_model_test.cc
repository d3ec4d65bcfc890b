// Model-based test of the injector: seeded random sequences of frames, link and mode changes,
// releases and watchdog firings, checked against a reference model of what must be held and
// against the keys and buttons the (fake) system believes are down.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "win/fake_input_system.h"
#include "win/held_input.h"
#include "win/input_injector.h"
#include "win/test_frames.h"

namespace orvane::win {
namespace {

using namespace test;

// 2000 sequences, on a fresh injector every 100 (threads are slow to start under Wine).
constexpr std::uint32_t kInjectors = 20;
constexpr std::uint32_t kSequencesPerInjector = 100;
constexpr int kStepsPerSequence = 30;
constexpr std::int64_t kFlushLimitMs = 10'000;

struct ModelKey {
  std::uint32_t usage;
  std::uint16_t scanId;
};

// Ordinary keys, modifiers of both sides and the two keys behind the refused chords.
constexpr std::uint32_t kUsageL = 0x0F;
constexpr std::uint32_t kUsageDelete = 0x4C;
const ModelKey kKeys[] = {
    {kUsageA, 0x001E},      {kUsageB, 0x0030},        {kUsageL, 0x0026},
    {kUsageDelete, 0xE053}, {kUsageLeftCtrl, 0x001D}, {kUsageLeftShift, 0x002A},
    {0xE2, 0x0038},         {kUsageRightAlt, 0xE038}, {0xE4, 0xE01D},
    {0xE3, 0xE05B},
};
const std::int16_t kKeyStates[] = {0, 1, -32768};

// What the injector must hold after each step, from the rules of admission and translation.
struct Model {
  bool link = false;
  InputMode mode = InputMode::Control;
  std::set<std::uint16_t> keys;
  std::uint32_t buttons = 0;

  bool full() const { return link && mode == InputMode::Control; }
  bool heldAny(std::uint16_t left, std::uint16_t right) const {
    return keys.count(left) + keys.count(right) != 0;
  }
  // Always true: the caller's step was a release that must leave nothing down.
  bool release() {
    keys.clear();
    buttons = 0;
    return true;
  }
  void keyDown(const ModelKey& key) {
    const bool ctrlAlt = heldAny(0x001D, 0xE01D) && heldAny(0x0038, 0xE038);
    if ((key.usage == kUsageDelete && ctrlAlt) ||
        (key.usage == kUsageL && heldAny(0xE05B, 0xE05C))) {
      return;
    }
    keys.insert(key.scanId);
  }
};

class ModelRun {
 public:
  ModelRun(std::uint32_t seed, FakeInput& input, InputInjector& injector)
      : random_(seed), input_(input), injector_(injector) {}

  // One sequence on an injector that may have run others: it starts from the start state.
  void run() {
    for (const std::int32_t vk : kSweepVirtualKeys) {
      input_.setKeyState(vk, kKeyStates[pick(std::size(kKeyStates))]);
    }
    injector_.setPeerConnected(false);
    injector_.setInputMode(InputMode::Control);
    ASSERT_TRUE(injector_.releaseAllAndWait("unspecified", kFlushLimitMs));
    expectNothingDown();
    for (int i = 0; i < kStepsPerSequence; ++i) {
      if (step()) {
        expectNothingDown();
      }
    }
    ASSERT_TRUE(injector_.flushForTesting(kFlushLimitMs));
    EXPECT_EQ(input_.downKeys(), model_.keys);
    EXPECT_EQ(input_.downButtons(), model_.buttons);
  }

 private:
  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }

  // One random action; true when it was a release that must leave nothing down.
  bool step() {
    const ModelKey& key = kKeys[pick(std::size(kKeys))];
    const int button = static_cast<int>(pick(3));
    switch (pick(12)) {
      case 0:
        model_.link = !model_.link;
        injector_.setPeerConnected(model_.link);
        return false;
      case 1: {
        const InputMode mode = pick(2) == 0 ? InputMode::View : InputMode::Control;
        const bool releases = model_.mode == InputMode::Control && mode == InputMode::View;
        model_.mode = mode;
        injector_.setInputMode(mode);
        return releases && model_.release();
      }
      case 2:
        injector_.releaseHeldInput("unspecified");
        return model_.release();
      case 3:
        EXPECT_TRUE(injector_.releaseAllAndWait("appTerminating", kFlushLimitMs));
        return model_.release();
      case 4:
        injector_.fireWatchdogForTesting();
        return model_.release();
      case 5:
        injector_.injectInput(releaseAll());
        return model_.release();
      case 6:
      case 7:
        if (model_.full()) {
          model_.keyDown(key);
        }
        injector_.injectInput(keyDown(key.usage));
        return false;
      case 8:
        model_.keys.erase(key.scanId);
        injector_.injectInput(keyUp(key.usage));
        return false;
      case 9:
        if (model_.full()) {
          model_.buttons |= 1u << button;
        }
        injector_.injectInput(buttonDown(button, 0.25, 0.75));
        return false;
      case 10:
        model_.buttons &= ~(1u << button);
        injector_.injectInput(buttonUp(button));
        return false;
      default:
        injector_.injectInput(pick(2) == 0 ? move(0.5, 0.5) : wheel(0, 90));
        return false;
    }
  }

  void expectNothingDown() {
    ASSERT_TRUE(injector_.flushForTesting(kFlushLimitMs));
    EXPECT_TRUE(input_.downKeys().empty());
    EXPECT_EQ(input_.downButtons(), 0u);
  }

  std::mt19937 random_;
  FakeInput& input_;
  InputInjector& injector_;
  Model model_;
};

// Only the modifier sweep may release what the system does not believe is down, and it sends
// nothing but modifier key-ups.
void expectNoStrayRelease(const FakeInput& input) {
  const auto batches = input.batches();
  for (const StrayRelease& stray : input.strays()) {
    EXPECT_TRUE(stray.key) << "button up without a button down";
    ASSERT_LT(stray.batch, batches.size());
    for (const InjectEvent& event : batches[stray.batch]) {
      EXPECT_EQ(event.kind, InjectEventKind::Keyboard);
      EXPECT_NE(event.flags & kKeyUp, 0u);
      const auto scanId =
          static_cast<std::uint16_t>(((event.flags & kKeyExtended) != 0 ? 0xE000 : 0) | event.scan);
      EXPECT_TRUE(isModifierScan(scanId)) << std::hex << scanId;
    }
  }
}

TEST(InputInjectorModel, RandomSequencesNeverLeaveInputDown) {
  for (std::uint32_t group = 0; group < kInjectors; ++group) {
    auto input = std::make_shared<FakeInput>();
    auto injector = std::make_unique<InputInjector>([](const std::string&) {}, input->makeSystem());
    for (std::uint32_t i = 1; i <= kSequencesPerInjector; ++i) {
      const std::uint32_t seed = group * kSequencesPerInjector + i;
      SCOPED_TRACE(seed);
      ModelRun(seed, *input, *injector).run();
      if (::testing::Test::HasFailure()) {
        return;
      }
    }
    // Teardown releases whatever the last sequence left held.
    injector.reset();
    EXPECT_TRUE(input->downKeys().empty());
    EXPECT_EQ(input->downButtons(), 0u);
    expectNoStrayRelease(*input);
  }
}

}  // namespace
}  // namespace orvane::win
