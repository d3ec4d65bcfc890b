// Frame decoding: accepted forms, refusals in their order of precedence, duplicate keys.
#include "win/wire_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::win {
namespace {

constexpr std::uint32_t kUsageA = 0x00070004;

WireMessage message(WireKind kind, double x = 0, double y = 0, std::int32_t button = 0) {
  WireMessage m;
  m.kind = kind;
  m.x = x;
  m.y = y;
  m.button = button;
  return m;
}
WireMessage key(WireKind kind, std::uint32_t hid, bool repeat = false) {
  WireMessage m = message(kind);
  m.hid = hid;
  m.repeat = repeat;
  return m;
}
WireMessage wheel(double dx, double dy) {
  WireMessage m = message(WireKind::Wheel);
  m.dx = dx;
  m.dy = dy;
  return m;
}

// A message no decode would produce, to tell "unchanged" from "overwritten".
const WireMessage kSentinel = [] {
  WireMessage m = wheel(-3.5, 9.25);
  m.x = 0.125;
  m.y = 0.875;
  m.button = 7;
  m.hid = 0xDEADBEEF;
  m.repeat = true;
  return m;
}();

bool same(const WireMessage& a, const WireMessage& b) {
  return a.kind == b.kind && a.x == b.x && a.y == b.y && a.button == b.button && a.dx == b.dx &&
         a.dy == b.dy && a.hid == b.hid && a.repeat == b.repeat;
}

struct Decoded {
  bool ok;
  WireReject reject;
  WireMessage message;
};

Decoded decode(std::string_view frame) {
  Decoded result{false, WireReject::UnknownType, kSentinel};
  result.ok = decodeWire(frame.data(), frame.size(), result.message, &result.reject);
  return result;
}

TEST(DecodeWire, AcceptedFramesFillEveryField) {
  const std::vector<std::pair<std::string, WireMessage>> cases = {
      {R"({"t":"mm","x":1.5,"y":-2})", message(WireKind::Move, 1.0, 0.0)},
      {R"( {"y":1E0,"x":-0.0,"t":"mm"} )", message(WireKind::Move, 0.0, 1.0)},
      {R"({"t":"md","b":1.0,"x":0.5,"y":0.5})", message(WireKind::ButtonDown, 0.5, 0.5, 1)},
      {R"({"t":"mu","b":2,"x":0,"y":1})", message(WireKind::ButtonUp, 0.0, 1.0, 2)},
      {R"({"t":"md","b":-0,"x":0,"y":0})", message(WireKind::ButtonDown, 0.0, 0.0, 0)},
      {R"({"t":"wh","dx":0,"dy":-90.5})", wheel(0.0, -90.5)},
      {R"({"t":"wh","dx":1e300,"dy":-7})", wheel(1e300, -7.0)},
      {R"({"t":"kd","hid":458756})", key(WireKind::KeyDown, kUsageA)},
      {R"({"t":"kd","hid":458756,"r":null})", key(WireKind::KeyDown, kUsageA)},
      {R"({"t":"kd","hid":458756,"r":true})", key(WireKind::KeyDown, kUsageA, true)},
      {R"({"t":"kd","hid":4294967295})", key(WireKind::KeyDown, 0xFFFFFFFF)},
      {R"({"t":"kd","hid":0})", key(WireKind::KeyDown, 0)},
      {R"({"t":"ku","hid":458756,"r":"yes"})", key(WireKind::KeyUp, kUsageA)},
      {R"({"t":"ra","x":0.5,"b":"left","r":[1]})", message(WireKind::ReleaseAll)},
      // Members a type does not use are ignored, whatever they hold.
      {R"({"t":"mm","x":0,"y":0,"hid":"?","b":{},"dx":[]})", message(WireKind::Move, 0.0, 0.0)},
      // The first occurrence of a top-level key counts.
      {R"({"t":"mm","x":0.25,"y":0.5,"t":"ra"})", message(WireKind::Move, 0.25, 0.5)},
      {R"({"t":"mm","x":0.25,"y":0.5,"x":0.75})", message(WireKind::Move, 0.25, 0.5)},
      {R"({"t":"mm","x":0.25,"x":"bad","y":0.5})", message(WireKind::Move, 0.25, 0.5)},
      {R"({"t":"mm","x":0.25,"y":0.5,"x":{"x":1,"x":2}})", message(WireKind::Move, 0.25, 0.5)},
      // Many members: duplicates are still found past the first few keys.
      {R"({"a":1,"b2":2,"c":3,"d":4,"e":5,"f":6,"g":7,"h":8,"i":9,"t":"mm","x":0.25,"y":0.5,)"
       R"("t":"ra","x":0.75,"a":"z"})",
       message(WireKind::Move, 0.25, 0.5)},
      // Nested keys are not compared.
      {R"({"t":"ra","n":{"a":1,"a":2}})", message(WireKind::ReleaseAll)},
  };
  for (const auto& [frame, expected] : cases) {
    const Decoded d = decode(frame);
    EXPECT_TRUE(d.ok) << frame;
    EXPECT_EQ(d.reject, WireReject::None) << frame;
    EXPECT_TRUE(same(d.message, expected)) << frame;
  }
}

TEST(DecodeWire, ClampTurnsNegativeZeroIntoPositiveZero) {
  const Decoded d = decode(R"({"t":"mm","x":-0.0,"y":-1})");
  ASSERT_TRUE(d.ok);
  EXPECT_FALSE(std::signbit(d.message.x));
  EXPECT_FALSE(std::signbit(d.message.y));
}

TEST(DecodeWire, RefusalsInOrderOfPrecedenceLeaveTheMessageUnchanged) {
  const std::vector<std::pair<std::string, WireReject>> cases = {
      {"", WireReject::NotAnObject},
      {"[]", WireReject::NotAnObject},
      {R"("mm")", WireReject::NotAnObject},
      {R"({"t":"ra"}x)", WireReject::NotAnObject},
      {R"({"t":"ra"}{})", WireReject::NotAnObject},
      {R"({"t":"ra",})", WireReject::NotAnObject},
      {R"({"t":"ra"/*c*/})", WireReject::NotAnObject},
      {"{\"t\":\"ra\"} // c", WireReject::NotAnObject},
      {R"({"t":"wh","dx":1e999,"dy":0})", WireReject::NotAnObject},
      {R"({"t":"ra")", WireReject::NotAnObject},
      {std::string("{\"t\":\"ra\"}\0", 11), WireReject::NotAnObject},
      {std::string("{\"t\":\"r\0\"}", 10), WireReject::NotAnObject},
      {"{}", WireReject::NoType},
      {R"({"t":1})", WireReject::NoType},
      {R"({"t":null,"x":0})", WireReject::NoType},
      {R"({"T":"mm"})", WireReject::NoType},
      {R"({"t":"MM","x":0,"y":0})", WireReject::UnknownType},
      {R"({"t":""})", WireReject::UnknownType},
      {R"({"t":"m"})", WireReject::UnknownType},
      {R"({"t":"m\u0000"})", WireReject::UnknownType},
      {R"({"t":"mm","x":0})", WireReject::MoveWithoutPosition},
      {R"({"t":"mm","x":"0.5","y":0.5})", WireReject::MoveWithoutPosition},
      {R"({"t":"md","b":1.5,"x":0,"y":0})", WireReject::BadButton},
      {R"({"t":"md","b":3,"x":0,"y":0})", WireReject::BadButton},
      {R"({"t":"mu","b":"1","x":0,"y":0})", WireReject::BadButton},
      {R"({"t":"md","x":0,"y":0})", WireReject::BadButton},
      {R"({"t":"md"})", WireReject::BadButton},
      {R"({"t":"md","b":1})", WireReject::ButtonWithoutPosition},
      {R"({"t":"mu","b":0,"x":0})", WireReject::ButtonWithoutPosition},
      {R"({"t":"wh","dy":1})", WireReject::WheelWithoutAxes},
      {R"({"t":"wh","dx":1,"dy":"1"})", WireReject::WheelWithoutAxes},
      {R"({"t":"kd","hid":-1})", WireReject::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":4294967296})", WireReject::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":4.5})", WireReject::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":1e20,"r":1})", WireReject::KeyDownWithoutUsage},
      {R"({"t":"kd","r":true})", WireReject::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":458756,"r":1})", WireReject::KeyDownBadRepeat},
      {R"({"t":"kd","hid":458756,"r":"true"})", WireReject::KeyDownBadRepeat},
      {R"({"t":"ku"})", WireReject::KeyUpWithoutUsage},
      {R"({"t":"ku","hid":0.5})", WireReject::KeyUpWithoutUsage},
      // A dropped duplicate cannot supply what the first occurrence lacks.
      {R"({"t":"mm","x":"a","y":0,"x":0.5})", WireReject::MoveWithoutPosition},
      {R"({"t":5,"t":"ra"})", WireReject::NoType},
  };
  for (const auto& [frame, reject] : cases) {
    const Decoded d = decode(frame);
    EXPECT_FALSE(d.ok) << frame;
    EXPECT_EQ(d.reject, reject) << frame << " -> " << wireRejectText(d.reject);
    EXPECT_TRUE(same(d.message, kSentinel)) << frame;
  }
}

// Every numeric member takes any JSON number form and treats every other type as absent.
TEST(DecodeWire, NumericMembersAcceptNumberFormsOnly) {
  struct Member {
    const char* prefix;  // frame up to the member's value
    const char* suffix;
    WireReject whenAbsent;
  };
  const std::vector<Member> members = {
      {R"({"t":"mm","y":0,"x":)", "}", WireReject::MoveWithoutPosition},
      {R"({"t":"mm","x":0,"y":)", "}", WireReject::MoveWithoutPosition},
      {R"({"t":"md","x":0,"y":0,"b":)", "}", WireReject::BadButton},
      {R"({"t":"mu","b":1,"y":0,"x":)", "}", WireReject::ButtonWithoutPosition},
      {R"({"t":"md","b":1,"x":0,"y":)", "}", WireReject::ButtonWithoutPosition},
      {R"({"t":"wh","dy":0,"dx":)", "}", WireReject::WheelWithoutAxes},
      {R"({"t":"wh","dx":0,"dy":)", "}", WireReject::WheelWithoutAxes},
      {R"({"t":"kd","hid":)", "}", WireReject::KeyDownWithoutUsage},
      {R"({"t":"ku","hid":)", "}", WireReject::KeyUpWithoutUsage},
  };
  const std::vector<const char*> numbers = {"1", "1.0", "1e0", "10E-1", "0.1e1", "1.00000"};
  const std::vector<const char*> others = {R"("1")", "true", "false", "null", "[1]", R"({"v":1})"};
  for (const Member& m : members) {
    for (const char* value : numbers) {
      const std::string frame = std::string(m.prefix) + value + m.suffix;
      EXPECT_TRUE(decode(frame).ok) << frame;
    }
    for (const char* value : others) {
      const std::string frame = std::string(m.prefix) + value + m.suffix;
      EXPECT_EQ(decode(frame).reject, m.whenAbsent) << frame;
    }
  }
}

TEST(DecodeWire, NullDataOrNullRejectPointer) {
  WireMessage message = kSentinel;
  WireReject reject = WireReject::None;
  EXPECT_FALSE(decodeWire(nullptr, 4, message, &reject));
  EXPECT_EQ(reject, WireReject::NotAnObject);
  EXPECT_FALSE(decodeWire("{}", 2, message, nullptr));
  EXPECT_TRUE(same(message, kSentinel));
  // The size bounds the frame: bytes beyond it are never read.
  EXPECT_TRUE(decodeWire(R"({"t":"ra"}garbage)", 10, message, nullptr));
}

TEST(DecodeWire, RejectTexts) {
  EXPECT_STREQ(wireRejectText(WireReject::BadButton),
               "a button message without a button the host can post");
  EXPECT_STREQ(wireRejectText(static_cast<WireReject>(11)), "unknown");
  EXPECT_STREQ(wireRejectText(static_cast<WireReject>(-1)), "unknown");
}

}  // namespace
}  // namespace orvane::win
