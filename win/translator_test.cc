#include "win/translator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace orvane::win {
namespace {

WireMessage pointer(WireKind kind, std::int32_t button) {
  return {kind, 0.5, 0.25, button, 0, 0, 0, false, {}};
}
WireMessage wheel(double dx, double dy) { return {WireKind::Wheel, 0, 0, 0, dx, dy, 0, false, {}}; }
WireMessage key(WireKind kind, std::uint32_t id) {
  return {kind, 0, 0, 0, 0, 0, 0x00070000 | id, false, {}};
}
WireMessage text(std::string s) { return {WireKind::Text, 0, 0, 0, 0, 0, 0, false, std::move(s)}; }

struct Translator {
  HeldInput held;
  InjectBatch operator()(const WireMessage& message, const PointerGeometry& geometry = {},
                         ButtonLayout layout = ButtonLayout::Standard) {
    InjectBatch batch = translateMessage(held, message, geometry, layout);
    for (const InjectEvent& event : batch.events) EXPECT_EQ(event.extraInfo, kInjectedTag);
    return batch;
  }
};

// Each step's events (flags, with mouseData from bit 16), refusal, whether it was the first of its
// kind, and for pointer steps the geometry, whether it clamped and the host's button layout.
struct Step {
  WireMessage message;
  std::vector<std::uint32_t> events;
  InjectReject reject = InjectReject::None;
  bool firstOfKind = false;
  PointerGeometry geometry = {};
  bool clamped = false;
  ButtonLayout layout = ButtonLayout::Standard;
};

std::vector<std::uint32_t> events(const std::vector<InjectEvent>& batch) {
  std::vector<std::uint32_t> out;
  for (const InjectEvent& event : batch) out.push_back(event.flags | event.mouseData << 16);
  return out;
}

void play(Translator& translate, const std::vector<Step>& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const InjectBatch batch = translate(steps[i].message, steps[i].geometry, steps[i].layout);
    EXPECT_EQ(events(batch.events), steps[i].events) << i;
    EXPECT_EQ(batch.reject, steps[i].reject) << i;
    EXPECT_EQ(batch.firstOfKind, steps[i].firstOfKind) << i;
    EXPECT_EQ(batch.clamped, steps[i].clamped) << i;
  }
}

// One record through a session.
TEST(TranslateMessage, PointerAndKeysFollowTheHeldRecord) {
  using R = InjectReject;
  const PointerGeometry bad{false};  // a virtual desktop with nothing to map onto
  const PointerGeometry leftOfDesktop{false, -500, 0, 0, 0, 0, 0, 1920, 1920};
  Translator translate;
  play(translate,
       {
           {pointer(WireKind::Move, 0), {0x8001}},
           {pointer(WireKind::Move, 0), {}, R::BadGeometry, true, bad},
           {pointer(WireKind::Move, 0), {0xC001}, R::None, false, leftOfDesktop, true},
           {pointer(WireKind::ButtonDown, 1), {0x8001, 0x0008}},
           {pointer(WireKind::ButtonDown, 1), {0x8001}, R::ButtonAlreadyHeld, true},  // moves
           {pointer(WireKind::ButtonUp, 1), {0x0010}, R::BadGeometry, false, bad},    // released
           {pointer(WireKind::ButtonUp, 1), {}, R::ButtonNotHeld, true},        // does not move
           {pointer(WireKind::ButtonDown, 0), {}, R::BadGeometry, false, bad},  // not pressed...
           {pointer(WireKind::ButtonDown, 0), {0x8001, 0x0002}},                // ...no repeat
           {pointer(WireKind::ButtonDown, 2), {0x8001, 0x0020}},
           {pointer(WireKind::ButtonUp, 2), {0x8001, 0x0040}},
           {pointer(WireKind::ButtonUp, 0), {0x8001, 0x0004}},
           {key(WireKind::KeyDown, 0xE4), {0x9}},  // right Ctrl, extended
           {key(WireKind::KeyDown, 0xE4), {0x9}},  // automatic repeat goes out again
           {key(WireKind::KeyUp, 0xE4), {0xB}},
           {key(WireKind::KeyUp, 0xE4), {}, R::KeyNotHeld, true},
           {key(WireKind::KeyUp, 0x39), {}, R::CapsLock, true},  // the table refuses first
           {key(WireKind::KeyDown, 0x39), {}, R::CapsLock},
           {key(WireKind::KeyDown, 0x31), {0x8}},  // usages sharing a scan id are one key
           {key(WireKind::KeyUp, 0x32), {0xA}},
           {key(WireKind::KeyDown, 0xE0), {0x8}},  // left Ctrl
           {key(WireKind::KeyDown, 0xE6), {0x9}},  // right Alt
           {key(WireKind::KeyDown, 0x4C), {}, R::CtrlAltDel, true},
           {key(WireKind::KeyDown, 0x63), {}, R::CtrlAltDel},
           {key(WireKind::KeyUp, 0x4C), {}, R::KeyNotHeld},  // admitted by the table, never held
           {key(WireKind::KeyDown, 0xE3), {0x9}},            // left Windows
           {key(WireKind::KeyDown, 0x0F), {}, R::WinL, true},
       });
  EXPECT_EQ(translate.held.heldButtons, 0U);
  EXPECT_EQ(translate.held.heldKeys, (std::vector<std::uint16_t>{0x001D, 0xE038, 0xE05B}));
}

// The swap setting is read at each press; a button comes up as the host button it went down as.
// The extra buttons go by flag pair and mouseData and are never swapped.
TEST(TranslateMessage, ButtonsComeUpAsTheHostButtonThatWentDownAndExtrasNeverSwap) {
  constexpr auto kSwapped = ButtonLayout::Swapped;
  const auto down = [](std::int32_t button) { return pointer(WireKind::ButtonDown, button); };
  Translator translate;
  play(translate,
       {
           {down(0), {0x8001, 0x0008}, InjectReject::None, false, {}, false, kSwapped},
           {down(2), {0x8001, 0x0020}, InjectReject::None, false, {}, false, kSwapped},
           // The host's right button is down for the controller's left: not pressed twice.
           {down(1), {0x8001}, InjectReject::ButtonAlreadyHeld, true},
           {pointer(WireKind::ButtonUp, 0), {0x8001, 0x0010}},
           {down(1), {0x8001, 0x0002}, InjectReject::None, false, {}, false, kSwapped},
           {down(3), {0x8001, 0x10080}, InjectReject::None, false, {}, false, kSwapped},
           {down(4), {0x8001, 0x20080}, InjectReject::None, false, {}, false, kSwapped},
           {pointer(WireKind::ButtonUp, 3), {0x8001, 0x10100}},
       });
  EXPECT_EQ(events(translate.held.releaseAllEvents()),
            (std::vector<std::uint32_t>{0x0004, 0x0040, 0x20100}));
}

// Text becomes Unicode key presses, line breaks and tabs keys; refusals inject nothing.
TEST(TranslateMessage, TextTypesUnitsLineBreaksAndTabsOrIsRefusedWhole) {
  const auto described = [](const InjectBatch& batch) {
    std::vector<std::string> out;
    for (const InjectEvent& e : batch.events) {
      char line[32];
      std::snprintf(line, sizeof line, "%s %04X %s", (e.flags & kKeyUnicode) != 0 ? "unit" : "scan",
                    e.scan, (e.flags & kKeyUp) != 0 ? "up" : "down");
      if (e.vk != 0 || e.kind != InjectEventKind::Keyboard) out.push_back("bad");
      out.push_back(line);
    }
    return out;
  };
  using Lines = std::vector<std::string>;
  const struct {
    std::string text;
    Lines events;
    InjectReject reject;
  } cases[] = {
      {"\xC3\xA9", {"unit 00E9 down", "unit 00E9 up"}, InjectReject::None},
      {"\xF0\x9F\x91\x8B",
       {"unit D83D down", "unit D83D up", "unit DC4B down", "unit DC4B up"},
       InjectReject::None},
      {"a\r\nb\rc\n\t",
       {"unit 0061 down", "unit 0061 up", "scan 001C down", "scan 001C up", "unit 0062 down",
        "unit 0062 up", "scan 001C down", "scan 001C up", "unit 0063 down", "unit 0063 up",
        "scan 001C down", "scan 001C up", "scan 000F down", "scan 000F up"},
       InjectReject::None},
      {"", {}, InjectReject::None},
      {"a\x08", {}, InjectReject::TextControlCharacter},
      {"\x7F", {}, InjectReject::TextControlCharacter},
      {"\xC2\x9F", {}, InjectReject::TextControlCharacter},  // the last C1 control
      {std::string(kMaxTextUnits, 'a'), {}, InjectReject::None},
      {std::string(kMaxTextUnits - 1, 'a') + "\xF0\x9F\x91\x8B", {}, InjectReject::TextTooLong},
  };
  for (const auto& c : cases) {
    Translator translate;
    const InjectBatch batch = translate(text(c.text));
    EXPECT_EQ(batch.reject, c.reject) << c.text.size();
    if (c.text.size() < kMaxTextUnits) {
      EXPECT_EQ(described(batch), c.events) << c.text;
    } else if (c.reject == InjectReject::None) {
      EXPECT_EQ(batch.events.size(), 2 * kMaxTextUnits);
    }
    EXPECT_FALSE(translate.held.anyHeld());
  }
  // Ctrl, Alt or a Windows key held would turn text into shortcuts; Shift does not.
  for (const auto& [modifier, refused] : {std::pair{0xE0u, true}, std::pair{0xE2u, true},
                                          std::pair{0xE7u, true}, std::pair{0xE1u, false}}) {
    Translator translate;
    translate(key(WireKind::KeyDown, modifier));
    const InjectBatch batch = translate(text("x"));
    EXPECT_EQ(batch.reject, refused ? InjectReject::TextWithModifierHeld : InjectReject::None)
        << modifier;
    EXPECT_EQ(batch.events.empty(), refused);
  }
}

TEST(TranslateMessage, WheelAccumulatesAcrossMessages) {
  // Each step: the wheel message, the (delta, flags) events it sends and the remainders after.
  struct WheelStep {
    double dx, dy;
    std::vector<std::pair<std::int32_t, std::uint32_t>> events;
    double remainderX, remainderY;
  };
  const double nan = std::nan("");
  const std::vector<std::pair<const char*, std::vector<WheelStep>>> sequences = {
      {"two halves", {{0, 30, {}, 0, 30}, {0, 30, {{-120, 0x0800}}, 0, 0}}},
      {"carry", {{0, 150, {{-240, 0x0800}}, 0, 30}}},
      {"cap", {{0, 6000, {{-7680, 0x0800}}, 0, 0}, {0, -6000, {{7680, 0x0800}}, 0, 0}}},
      {"exactly 64", {{0, 3840 + 59, {{-7680, 0x0800}}, 0, 59}}},
      {"horizontal", {{-59, 0, {}, -59, 0}, {-1, 0, {{-120, 0x1000}}, 0, 0}}},
      {"both axes", {{60, 60, {{-120, 0x0800}, {120, 0x1000}}, 0, 0}}},
      {"reversal", {{0, 50, {}, 0, 50}, {0, -80, {}, 0, -30}, {0, -30, {{120, 0x0800}}, 0, 0}}},
      {"fractions", {{0, 59.5, {}, 0, 59.5}, {0, 0.5, {{-120, 0x0800}}, 0, 0}}},
      {"overflow", {{0, 1.7e308, {{-7680, 0x0800}}, 0, 0}}},
      {"not a number", {{30, 30, {}, 30, 30}, {nan, nan, {}, 30, 30}}},
  };
  for (const auto& [name, steps] : sequences) {
    Translator translate;
    for (const WheelStep& step : steps) {
      const InjectBatch batch = translate(wheel(step.dx, step.dy));
      std::vector<std::pair<std::int32_t, std::uint32_t>> events;
      for (const InjectEvent& e : batch.events) {
        events.emplace_back(static_cast<std::int32_t>(e.mouseData), e.flags);
        EXPECT_EQ(e.dx | e.dy, 0) << name;
      }
      EXPECT_EQ(events, step.events) << name;
      EXPECT_EQ(translate.held.wheelRemainderX, step.remainderX) << name;
      EXPECT_EQ(translate.held.wheelRemainderY, step.remainderY) << name;
    }
  }
  // A remainder that overflows is dropped, not scrolled.
  Translator translate;
  translate.held.wheelRemainderY = 1.7e308;
  EXPECT_TRUE(translate(wheel(0, 1.7e308)).events.empty());
  EXPECT_EQ(translate.held.wheelRemainderY, 0.0);
}

TEST(InjectRejectName, OutOfRangeIsUnknown) {
  EXPECT_STREQ(injectRejectName(static_cast<InjectReject>(16)), "unknown");
  EXPECT_STREQ(injectRejectName(static_cast<InjectReject>(-1)), "unknown");
}

}  // namespace
}  // namespace orvane::win
