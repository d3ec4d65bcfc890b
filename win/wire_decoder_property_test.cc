// Property: on random bytes and on mutated valid frames, decodeWire either accepts a message in
// range or refuses and leaves the caller's message exactly as it was. Seeded, so reproducible.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "win/wire_decoder.h"

namespace orvane::win {
namespace {

constexpr unsigned kSeed = 20261206;
constexpr int kCasesPerKind = 3000;

const std::array<std::string, 9> kValidFrames = {
    R"({"t":"mm","x":0.25,"y":0.75})",
    R"({"t":"md","b":0,"x":0.5,"y":0.5})",
    R"({"t":"mu","b":2,"x":1,"y":0})",
    R"({"t":"wh","dx":-30,"dy":120.5})",
    R"({"t":"kd","hid":458756,"r":false})",
    R"({"t":"kd","hid":458979})",
    R"({"t":"ku","hid":458756})",
    R"({"t":"ra"})",
    R"({"t":"mm","x":0.1,"y":0.2,"x":0.3,"t":"ra"})",
};

// Bytes that steer mutations towards the grammar's corners, the zero byte included.
constexpr char kInterestingBytes[] = "{}[]\",:0123456789.eE+-tnfrux \\/*\x00\xff";
constexpr std::string_view kInteresting(kInterestingBytes, sizeof(kInterestingBytes) - 1);

// Decodes one frame into a marked message: accepted fields must be in range, a refusal must leave
// the marks. Counts both outcomes.
struct Checker {
  int accepted = 0;
  int refused = 0;

  void check(const std::string& frame) {
    constexpr std::uint32_t kMarkerHid = 0x12345678;
    WireMessage message;
    message.kind = WireKind::KeyUp;
    message.hid = kMarkerHid;
    WireReject reject = WireReject::UnknownType;
    if (decodeWire(frame.data(), frame.size(), message, &reject)) {
      ++accepted;
      ASSERT_EQ(reject, WireReject::None);
      ASSERT_LE(static_cast<std::uint32_t>(message.kind),
                static_cast<std::uint32_t>(WireKind::ReleaseAll));
      ASSERT_TRUE(message.x >= 0.0 && message.x <= 1.0);
      ASSERT_TRUE(message.y >= 0.0 && message.y <= 1.0);
      ASSERT_TRUE(message.button >= 0 && message.button <= 2);
      ASSERT_TRUE(std::isfinite(message.dx) && std::isfinite(message.dy));
    } else {
      ++refused;
      ASSERT_NE(reject, WireReject::None) << frame;
      ASSERT_EQ(message.kind, WireKind::KeyUp) << frame;
      ASSERT_EQ(message.hid, kMarkerHid) << frame;
      ASSERT_EQ(message.x, 0.0);
      ASSERT_FALSE(message.repeat);
    }
  }
};

TEST(DecodeWireProperty, RandomBytesNeverThrowAndRefuseCleanly) {
  std::mt19937 rng(kSeed);
  std::uniform_int_distribution<int> length(0, 64);
  std::uniform_int_distribution<int> byte(0, 255);
  Checker checker;
  for (int i = 0; i < kCasesPerKind; ++i) {
    std::string frame(static_cast<std::size_t>(length(rng)), '\0');
    for (char& c : frame) c = static_cast<char>(byte(rng));
    checker.check(frame);
  }
  EXPECT_GT(checker.refused, 0);
}

TEST(DecodeWireProperty, MutatedValidFramesNeverThrowAndRefuseCleanly) {
  std::mt19937 rng(kSeed);
  std::uniform_int_distribution<int> operation(0, 3);
  std::uniform_int_distribution<int> mutations(1, 3);
  std::uniform_int_distribution<std::size_t> frameIndex(0, kValidFrames.size() - 1);
  std::uniform_int_distribution<std::size_t> interesting(0, kInteresting.size() - 1);
  Checker checker;
  for (int i = 0; i < kCasesPerKind; ++i) {
    std::string frame = kValidFrames[frameIndex(rng)];
    for (int m = mutations(rng); m > 0; --m) {
      const std::size_t at = std::uniform_int_distribution<std::size_t>(0, frame.size())(rng);
      const char c = kInteresting[interesting(rng)];
      switch (operation(rng)) {
        case 0:
          frame.insert(at, 1, c);
          break;
        case 1:
          if (at < frame.size()) frame.erase(at, 1);
          break;
        case 2:
          if (at < frame.size()) frame[at] = c;
          break;
        default:
          frame.insert(at, frame.substr(at / 2, 6));
          break;
      }
    }
    checker.check(frame);
  }
  // Both outcomes must actually be exercised for the property to mean anything.
  EXPECT_GT(checker.accepted, 0);
  EXPECT_GT(checker.refused, 0);
}

}  // namespace
}  // namespace orvane::win
