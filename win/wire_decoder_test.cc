#include "win/wire_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace orvane::win {
namespace {

using R = WireReject;

WireMessage move(double x, double y) { return {WireKind::Move, x, y, 0, 0, 0, 0, false, {}}; }
WireMessage button(WireKind kind, std::int32_t b, double x, double y) {
  return {kind, x, y, b, 0, 0, 0, false, {}};
}
WireMessage wheel(double dx, double dy) { return {WireKind::Wheel, 0, 0, 0, dx, dy, 0, false, {}}; }
WireMessage key(WireKind kind, std::uint32_t hid, bool repeat = false) {
  return {kind, 0, 0, 0, 0, 0, hid, repeat, {}};
}
WireMessage text(std::string s) { return {WireKind::Text, 0, 0, 0, 0, 0, 0, false, std::move(s)}; }

// A message no decode would produce, to tell "unchanged" from "overwritten".
const WireMessage kSentinel{WireKind::Wheel, 0.125, 0.875, 7, -3.5, 9.25, 0xDEADBEEF, true, "x"};

bool same(const WireMessage& a, const WireMessage& b) {
  return a.kind == b.kind && a.x == b.x && a.y == b.y && a.button == b.button && a.dx == b.dx &&
         a.dy == b.dy && a.hid == b.hid && a.repeat == b.repeat && a.text == b.text;
}

// Accepted frames fill every field; a refusal leaves the caller's message as it was.
TEST(DecodeWire, AcceptsOrRefusesInOrderOfPrecedence) {
  struct Case {
    std::string frame;
    WireReject reject;
    WireMessage message = kSentinel;
  };
  const std::vector<Case> cases = {
      {R"({"t":"mm","x":1.5,"y":-2})", R::None, move(1.0, 0.0)},
      {R"( {"y":1E0,"x":-0.0,"t":"mm"} )", R::None, move(0.0, 1.0)},
      {R"({"t":"md","b":1.0,"x":0.5,"y":0.5})", R::None, button(WireKind::ButtonDown, 1, 0.5, 0.5)},
      {R"({"t":"mu","b":2,"x":0,"y":1})", R::None, button(WireKind::ButtonUp, 2, 0.0, 1.0)},
      {R"({"t":"md","b":-0,"x":0,"y":0})", R::None, button(WireKind::ButtonDown, 0, 0.0, 0.0)},
      {R"({"t":"wh","dx":1e300,"dy":-90.5})", R::None, wheel(1e300, -90.5)},
      {R"({"t":"kd","hid":458756,"r":null})", R::None, key(WireKind::KeyDown, 0x00070004)},
      {R"({"t":"kd","hid":458756,"r":true})", R::None, key(WireKind::KeyDown, 0x00070004, true)},
      {R"({"t":"kd","hid":4294967295})", R::None, key(WireKind::KeyDown, 0xFFFFFFFF)},
      {R"({"t":"kd","hid":0,"r":false})", R::None, key(WireKind::KeyDown, 0)},
      {R"({"t":"ku","hid":458756,"r":"yes"})", R::None, key(WireKind::KeyUp, 0x00070004)},
      {R"({"t":"ra","x":0.5,"b":"left","r":[1]})", R::None, WireMessage{}},
      {R"({"t":"md","b":4,"x":0,"y":0})", R::None, button(WireKind::ButtonDown, 4, 0.0, 0.0)},
      {R"({"t":"tx","s":"Gr\u00fc\u00dfe \ud83d\udc4b\n"})", R::None,
       text("Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x91\x8B\n")},
      {R"({"t":"tx","s":""})", R::None, text("")},
      // Any number form is a number; any other type counts as absent.
      {R"({"t":"md","b":10E-1,"x":0.1e1,"y":1.00})", R::None,
       button(WireKind::ButtonDown, 1, 1, 1)},
      {R"({"t":"mm","x":"0.5","y":0.5})", R::MoveWithoutPosition},
      {R"({"t":"md","b":true,"x":0,"y":0})", R::BadButton},
      {R"({"t":"mu","b":1,"x":0,"y":null})", R::ButtonWithoutPosition},
      {R"({"t":"wh","dx":[1],"dy":0})", R::WheelWithoutAxes},
      {R"({"t":"kd","hid":{"v":1}})", R::KeyDownWithoutUsage},
      {R"({"t":"ku","hid":"458756"})", R::KeyUpWithoutUsage},
      // Members a type does not use are ignored, whatever they hold.
      {R"({"t":"mm","x":0,"y":0,"hid":"?","b":{},"dx":[]})", R::None, move(0.0, 0.0)},
      // The first occurrence of a top-level key counts; nested keys are not compared.
      {R"({"t":"mm","x":0.25,"y":0.5,"t":"ra"})", R::None, move(0.25, 0.5)},
      {R"({"t":"mm","x":0.25,"y":0.5,"x":{"x":1,"x":2}})", R::None, move(0.25, 0.5)},
      {R"({"t":"mm","x":"a","y":0,"x":0.5})", R::MoveWithoutPosition},
      {R"({"t":5,"t":"ra"})", R::NoType},
      // Refusals, in the order the checks run.
      {"[]", R::NotAnObject},
      {R"({"t":"ra"}x)", R::NotAnObject},
      {R"({"t":"ra",})", R::NotAnObject},
      {R"({"t":"ra"/*c*/})", R::NotAnObject},
      {R"({"t":"wh","dx":1e999,"dy":0})", R::NotAnObject},
      {std::string("{\"t\":\"ra\"}\0", 11), R::NotAnObject},
      {"{}", R::NoType},
      {R"({"T":"mm"})", R::NoType},
      {R"({"t":"MM","x":0,"y":0})", R::UnknownType},
      {R"({"t":"mmm"})", R::UnknownType},
      {R"({"t":"m\u0000"})", R::UnknownType},
      {R"({"t":"mm","x":0})", R::MoveWithoutPosition},
      {R"({"t":"md","b":1.5,"x":0,"y":0})", R::BadButton},
      {R"({"t":"md","b":5,"x":0,"y":0})", R::BadButton},
      {R"({"t":"mu","b":-1,"x":0,"y":0})", R::BadButton},
      {R"({"t":"md","x":0,"y":0})", R::BadButton},
      {R"({"t":"md","b":1})", R::ButtonWithoutPosition},
      {R"({"t":"wh","dy":1})", R::WheelWithoutAxes},
      {R"({"t":"kd","hid":-1})", R::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":4294967296})", R::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":4.5,"r":1})", R::KeyDownWithoutUsage},
      {R"({"t":"kd","hid":458756,"r":1})", R::KeyDownBadRepeat},
      {R"({"t":"ku"})", R::KeyUpWithoutUsage},
      {R"({"t":"tx"})", R::TextWithoutString},
      {R"({"t":"tx","s":["a"]})", R::TextWithoutString},
      {"{\"t\":\"tx\",\"s\":\"\xC3\"}", R::NotAnObject},  // invalid UTF-8
  };
  for (const Case& c : cases) {
    WireMessage message = kSentinel;
    WireReject reject = R::UnknownType;
    EXPECT_EQ(decodeWire(c.frame.data(), c.frame.size(), message, &reject), c.reject == R::None)
        << c.frame;
    EXPECT_EQ(reject, c.reject) << c.frame << " -> " << wireRejectText(reject);
    EXPECT_TRUE(same(message, c.message)) << c.frame;
    EXPECT_FALSE(std::signbit(message.x)) << c.frame;  // the clamp turns -0 into +0
  }
}

TEST(DecodeWire, NullDataNullRejectPointerAndUnknownText) {
  WireMessage message = kSentinel;
  WireReject reject = R::None;
  EXPECT_FALSE(decodeWire(nullptr, 4, message, &reject));
  EXPECT_EQ(reject, R::NotAnObject);
  reject = R::None;
  EXPECT_FALSE(decodeWire(R"({"t":"ra"})", 0, message, &reject));
  EXPECT_EQ(reject, R::NotAnObject);
  EXPECT_FALSE(decodeWire("{}", 2, message, nullptr));
  EXPECT_TRUE(same(message, kSentinel));
  // The size bounds the frame: bytes beyond it are never read.
  EXPECT_TRUE(decodeWire(R"({"t":"ra"}garbage)", 10, message, nullptr));
  EXPECT_STREQ(wireRejectText(static_cast<WireReject>(12)), "unknown");
  EXPECT_STREQ(wireRejectText(static_cast<WireReject>(-1)), "unknown");
}

}  // namespace
}  // namespace orvane::win
