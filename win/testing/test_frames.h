// Wire frames built the way the controller sends them, and events described for comparison.
#ifndef ORVANE_WIN_TESTING_TEST_FRAMES_H_
#define ORVANE_WIN_TESTING_TEST_FRAMES_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "win/inject_event.h"

namespace orvane::win::test {

// HID usage ids on the keyboard page (7).
inline constexpr std::uint32_t kUsageA = 0x04;
inline constexpr std::uint32_t kUsageB = 0x05;
inline constexpr std::uint32_t kUsageCapsLock = 0x39;
inline constexpr std::uint32_t kUsageLeftCtrl = 0xE0;
inline constexpr std::uint32_t kUsageLeftShift = 0xE1;
inline constexpr std::uint32_t kUsageRightAlt = 0xE6;

inline std::string key(const char* type, std::uint32_t usageId) {
  return std::string(R"({"t":")") + type + R"(","hid":)" + std::to_string(7u << 16 | usageId) + "}";
}
inline std::string keyDown(std::uint32_t usageId) { return key("kd", usageId); }
inline std::string keyUp(std::uint32_t usageId) { return key("ku", usageId); }
inline std::string pointer(const char* type, const std::string& extra, double x, double y) {
  return std::string(R"({"t":")") + type + R"(",)" + extra + R"("x":)" + std::to_string(x) +
         R"(,"y":)" + std::to_string(y) + "}";
}
inline std::string move(double x, double y) { return pointer("mm", "", x, y); }
inline std::string buttonDown(int button, double x = 0.5, double y = 0.5) {
  return pointer("md", R"("b":)" + std::to_string(button) + ",", x, y);
}
inline std::string buttonUp(int button, double x = 0.5, double y = 0.5) {
  return pointer("mu", R"("b":)" + std::to_string(button) + ",", x, y);
}
inline std::string wheel(double dx, double dy) {
  return R"({"t":"wh","dx":)" + std::to_string(dx) + R"(,"dy":)" + std::to_string(dy) + "}";
}
inline std::string releaseAll() { return R"({"t":"ra"})"; }

// One line per event; a key sent by scan code with any position, wheel data, virtual key, time or
// mouse scan code is flagged "with fields", and so is a key sent by virtual key ("vk E8 down")
// with a scan code or any other field.
inline std::vector<std::string> describe(const std::vector<InjectEvent>& events) {
  std::vector<std::string> described;
  for (const InjectEvent& e : events) {
    char text[64];
    const bool key = e.kind == InjectEventKind::Keyboard;
    if (key && (e.flags & kKeyScanCode) == 0) {
      std::snprintf(text, sizeof text, "vk %02X%s", e.vk,
                    (e.flags & kKeyUp) != 0 ? " up" : " down");
      const bool plain = (e.flags & ~kKeyUp) == 0 && (e.scan | e.dx | e.dy | e.time) == 0;
      described.push_back(std::string(text) + (e.extraInfo == kInjectedTag ? "" : " untagged") +
                          (plain ? "" : " with fields"));
      continue;
    }
    if (key) {
      std::snprintf(text, sizeof text, "key %02X%s%s", e.scan,
                    (e.flags & kKeyExtended) != 0 ? " extended" : "",
                    (e.flags & kKeyUp) != 0 ? " up" : " down");
    } else {
      std::snprintf(text, sizeof text, "mouse %04X", static_cast<unsigned>(e.flags));
    }
    const bool plain = (key ? (e.flags & ~(kKeyExtended | kKeyUp)) == kKeyScanCode : e.scan == 0) &&
                       (e.dx | e.dy | e.vk | e.time | e.mouseData) == 0;
    described.push_back(std::string(text) + (e.extraInfo == kInjectedTag ? "" : " untagged") +
                        (plain ? "" : " with fields"));
  }
  return described;
}

}  // namespace orvane::win::test

#endif  // ORVANE_WIN_TESTING_TEST_FRAMES_H_
