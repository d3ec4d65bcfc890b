// Wire frames for the injector's tests, built the way the controller sends them.
#ifndef ORVANE_WIN_TEST_FRAMES_H_
#define ORVANE_WIN_TEST_FRAMES_H_

#include <cstdint>
#include <string>

namespace orvane::win::test {

inline constexpr std::uint32_t kKeyboardPage = 7;

inline std::uint32_t keyboardUsage(std::uint32_t id) { return kKeyboardPage << 16 | id; }

inline std::string keyDown(std::uint32_t usageId) {
  return R"({"t":"kd","hid":)" + std::to_string(keyboardUsage(usageId)) + "}";
}
inline std::string keyUp(std::uint32_t usageId) {
  return R"({"t":"ku","hid":)" + std::to_string(keyboardUsage(usageId)) + "}";
}
inline std::string move(double x, double y) {
  return R"({"t":"mm","x":)" + std::to_string(x) + R"(,"y":)" + std::to_string(y) + "}";
}
inline std::string buttonDown(int button, double x = 0.5, double y = 0.5) {
  return R"({"t":"md","b":)" + std::to_string(button) + R"(,"x":)" + std::to_string(x) +
         R"(,"y":)" + std::to_string(y) + "}";
}
inline std::string buttonUp(int button, double x = 0.5, double y = 0.5) {
  return R"({"t":"mu","b":)" + std::to_string(button) + R"(,"x":)" + std::to_string(x) +
         R"(,"y":)" + std::to_string(y) + "}";
}
inline std::string wheel(double dx, double dy) {
  return R"({"t":"wh","dx":)" + std::to_string(dx) + R"(,"dy":)" + std::to_string(dy) + "}";
}
inline std::string releaseAll() { return R"({"t":"ra"})"; }

// HID usage ids (keyboard page) used across the tests.
inline constexpr std::uint32_t kUsageA = 0x04;
inline constexpr std::uint32_t kUsageB = 0x05;
inline constexpr std::uint32_t kUsageCapsLock = 0x39;
inline constexpr std::uint32_t kUsageLeftCtrl = 0xE0;
inline constexpr std::uint32_t kUsageLeftShift = 0xE1;
inline constexpr std::uint32_t kUsageRightAlt = 0xE6;

}  // namespace orvane::win::test

#endif  // ORVANE_WIN_TEST_FRAMES_H_
