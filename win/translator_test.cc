// Translation of messages into events: pointer buttons with the held record, wheel accumulation,
// keys with the table and chords, refusal bookkeeping. Release-all is the held record's own.
#include "win/translator.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace orvane::win {
namespace {

WireMessage message(WireKind kind) {
  WireMessage m;
  m.kind = kind;
  return m;
}
WireMessage pointer(WireKind kind, std::int32_t button) {
  WireMessage m = message(kind);
  m.button = button;
  m.x = 0.5;
  m.y = 0.25;
  return m;
}
WireMessage wheel(double dx, double dy) {
  WireMessage m = message(WireKind::Wheel);
  m.dx = dx;
  m.dy = dy;
  return m;
}
WireMessage key(WireKind kind, std::uint32_t id) {
  WireMessage m = message(kind);
  m.hid = 0x00070000 | id;
  return m;
}

// A virtual-desktop geometry with nothing to map onto, or (with a width) one that must clamp.
PointerGeometry badGeometry(std::int32_t screenWidth = 0) {
  PointerGeometry geometry;
  geometry.primary = false;
  geometry.captureLeft = -500;
  geometry.captureRight = -100;
  geometry.screenWidth = screenWidth;
  geometry.screenHeight = screenWidth;
  return geometry;
}

struct Translator {
  HeldInput held;
  InjectBatch operator()(const WireMessage& message, const PointerGeometry& geometry = {}) {
    InjectBatch batch = translateMessage(held, message, geometry);
    for (const InjectEvent& event : batch.events) EXPECT_EQ(event.extraInfo, kInjectedTag);
    return batch;
  }
};

std::vector<std::uint32_t> flagsOf(const InjectBatch& batch) {
  std::vector<std::uint32_t> flags;
  for (const InjectEvent& event : batch.events) flags.push_back(event.flags);
  return flags;
}

TEST(TranslateMessage, MoveAndButtonsFollowTheHeldRecord) {
  Translator translate;
  const InjectBatch move = translate(pointer(WireKind::Move, 0));
  ASSERT_EQ(flagsOf(move), std::vector<std::uint32_t>{0x8001});
  EXPECT_EQ(move.events[0].dx, 32768);
  EXPECT_EQ(move.events[0].dy, 16384);
  EXPECT_EQ(move.reject, InjectReject::None);
  EXPECT_FALSE(move.clamped);

  struct Step {
    WireKind kind;
    std::int32_t button;
    std::vector<std::uint32_t> flags;
    InjectReject reject;
  };
  const Step steps[] = {
      {WireKind::ButtonDown, 1, {0x8001, 0x0008}, InjectReject::None},
      {WireKind::ButtonDown, 1, {0x8001}, InjectReject::ButtonAlreadyHeld},
      {WireKind::ButtonUp, 1, {0x8001, 0x0010}, InjectReject::None},
      {WireKind::ButtonUp, 1, {}, InjectReject::ButtonNotHeld},
      {WireKind::ButtonDown, 0, {0x8001, 0x0002}, InjectReject::None},
      {WireKind::ButtonDown, 2, {0x8001, 0x0020}, InjectReject::None},
      {WireKind::ButtonUp, 2, {0x8001, 0x0040}, InjectReject::None},
      {WireKind::ButtonUp, 0, {0x8001, 0x0004}, InjectReject::None},
  };
  for (const Step& step : steps) {
    const InjectBatch batch = translate(pointer(step.kind, step.button));
    EXPECT_EQ(flagsOf(batch), step.flags) << step.button;
    EXPECT_EQ(batch.reject, step.reject) << step.button;
    EXPECT_EQ(batch.firstOfKind, step.reject != InjectReject::None) << step.button;
  }
  EXPECT_FALSE(translate.held.anyHeld());
}

TEST(TranslateMessage, GeometryFailureNeverLosesARelease) {
  Translator translate;
  const InjectBatch move = translate(pointer(WireKind::Move, 0), badGeometry());
  EXPECT_TRUE(move.events.empty());
  EXPECT_EQ(move.reject, InjectReject::BadGeometry);
  EXPECT_TRUE(move.firstOfKind);
  const InjectBatch down = translate(pointer(WireKind::ButtonDown, 0), badGeometry());
  EXPECT_TRUE(down.events.empty());
  EXPECT_FALSE(down.firstOfKind);
  EXPECT_FALSE(translate.held.isButtonHeld(0));

  translate(pointer(WireKind::ButtonDown, 0));
  const InjectBatch up = translate(pointer(WireKind::ButtonUp, 0), badGeometry());
  EXPECT_EQ(flagsOf(up), std::vector<std::uint32_t>{kMouseLeftUp});
  EXPECT_EQ(up.reject, InjectReject::BadGeometry);
  EXPECT_FALSE(translate.held.isButtonHeld(0));

  const InjectBatch clamped = translate(pointer(WireKind::Move, 0), badGeometry(1920));
  EXPECT_TRUE(clamped.clamped);
  EXPECT_EQ(flagsOf(clamped), std::vector<std::uint32_t>{0xC001});
}

TEST(TranslateMessage, WheelAccumulatesAcrossMessages) {
  // Each step: the wheel message, the (delta, flags) events it sends and the remainders after.
  struct Step {
    double dx, dy;
    std::vector<std::pair<std::int32_t, std::uint32_t>> events;
    double remainderX, remainderY;
  };
  struct Sequence {
    const char* name;
    std::vector<Step> steps;
  };
  const std::vector<Sequence> sequences = {
      {"two halves", {{0, 30, {}, 0, 30}, {0, 30, {{-120, 0x0800}}, 0, 0}}},
      {"carry", {{0, 150, {{-240, 0x0800}}, 0, 30}}},
      {"cap", {{0, 6000, {{-7680, 0x0800}}, 0, 0}, {0, -6000, {{7680, 0x0800}}, 0, 0}}},
      {"exactly 64", {{0, 3840 + 59, {{-7680, 0x0800}}, 0, 59}}},
      {"horizontal", {{-59, 0, {}, -59, 0}, {-1, 0, {{-120, 0x1000}}, 0, 0}}},
      {"both axes", {{60, 60, {{-120, 0x0800}, {120, 0x1000}}, 0, 0}}},
      {"reversal", {{0, 50, {}, 0, 50}, {0, -80, {}, 0, -30}, {0, -30, {{120, 0x0800}}, 0, 0}}},
      {"fractions", {{0, 59.5, {}, 0, 59.5}, {0, 0.5, {{-120, 0x0800}}, 0, 0}}},
      {"overflow", {{0, 1.7e308, {{-7680, 0x0800}}, 0, 0}}},
  };
  for (const Sequence& sequence : sequences) {
    Translator translate;
    for (const Step& step : sequence.steps) {
      const InjectBatch batch = translate(wheel(step.dx, step.dy));
      ASSERT_EQ(batch.events.size(), step.events.size()) << sequence.name;
      for (std::size_t i = 0; i < step.events.size(); ++i) {
        EXPECT_EQ(static_cast<std::int32_t>(batch.events[i].mouseData), step.events[i].first)
            << sequence.name;
        EXPECT_EQ(batch.events[i].flags, step.events[i].second) << sequence.name;
        EXPECT_EQ(batch.events[i].dx, 0);
      }
      EXPECT_EQ(translate.held.wheelRemainderX, step.remainderX) << sequence.name;
      EXPECT_EQ(translate.held.wheelRemainderY, step.remainderY) << sequence.name;
    }
  }
}

TEST(TranslateMessage, NonFiniteWheelRemainderResets) {
  Translator translate;
  translate.held.wheelRemainderY = 1.7e308;
  EXPECT_TRUE(translate(wheel(0, 1.7e308)).events.empty());
  EXPECT_EQ(translate.held.wheelRemainderY, 0.0);
}

TEST(TranslateMessage, KeysFollowTheTableAndTheHeldRecord) {
  Translator translate;
  const InjectBatch down = translate(key(WireKind::KeyDown, 0xE4));
  ASSERT_EQ(down.events.size(), 1U);
  EXPECT_EQ(down.events[0].kind, InjectEventKind::Keyboard);
  EXPECT_EQ(down.events[0].scan, 0x1D);
  EXPECT_EQ(down.events[0].vk, 0);
  EXPECT_EQ(down.events[0].flags, 0x0009U);
  // Automatic repeat: a second key-down goes out, the key is held once.
  EXPECT_EQ(flagsOf(translate(key(WireKind::KeyDown, 0xE4))), std::vector<std::uint32_t>{0x9});
  EXPECT_EQ(flagsOf(translate(key(WireKind::KeyUp, 0xE4))), std::vector<std::uint32_t>{0xB});
  const InjectBatch notHeld = translate(key(WireKind::KeyUp, 0xE4));
  EXPECT_TRUE(notHeld.events.empty());
  EXPECT_EQ(notHeld.reject, InjectReject::KeyNotHeld);
  EXPECT_EQ(translate(key(WireKind::KeyUp, 0x39)).reject, InjectReject::CapsLock);
  EXPECT_EQ(translate(key(WireKind::KeyDown, 0x39)).reject, InjectReject::CapsLock);
  EXPECT_FALSE(translate.held.anyHeld());

  // Usages sharing a scan id are one key.
  EXPECT_EQ(flagsOf(translate(key(WireKind::KeyDown, 0x31))), std::vector<std::uint32_t>{0x8});
  EXPECT_EQ(flagsOf(translate(key(WireKind::KeyUp, 0x32))), std::vector<std::uint32_t>{0xA});
  EXPECT_FALSE(translate.held.anyHeld());
}

TEST(TranslateMessage, RefusedChordsProduceNothingAndReportOnce) {
  Translator translate;
  translate(key(WireKind::KeyDown, 0xE0));  // left Ctrl
  translate(key(WireKind::KeyDown, 0xE6));  // right Alt
  const std::vector<std::uint16_t> before = translate.held.heldKeys;
  const InjectBatch first = translate(key(WireKind::KeyDown, 0x4C));
  EXPECT_TRUE(first.events.empty());
  EXPECT_EQ(first.reject, InjectReject::CtrlAltDel);
  EXPECT_TRUE(first.firstOfKind);
  const InjectBatch second = translate(key(WireKind::KeyDown, 0x63));
  EXPECT_EQ(second.reject, InjectReject::CtrlAltDel);
  EXPECT_FALSE(second.firstOfKind);
  EXPECT_EQ(translate.held.heldKeys, before);
  // A key-up of the refused key is admitted by the table but was never held.
  EXPECT_EQ(translate(key(WireKind::KeyUp, 0x4C)).reject, InjectReject::KeyNotHeld);

  translate(key(WireKind::KeyDown, 0xE3));  // left Windows
  EXPECT_EQ(translate(key(WireKind::KeyDown, 0x0F)).reject, InjectReject::WinL);
  EXPECT_EQ(translate(key(WireKind::KeyDown, 0x4C)).reject, InjectReject::CtrlAltDel);
}

TEST(InjectRejectName, OutOfRangeIsUnknown) {
  EXPECT_STREQ(injectRejectName(InjectReject::NoInjectableScanCode), "no-injectable-scan-code");
  EXPECT_STREQ(injectRejectName(static_cast<InjectReject>(13)), "unknown");
  EXPECT_STREQ(injectRejectName(static_cast<InjectReject>(-1)), "unknown");
}

}  // namespace
}  // namespace orvane::win
