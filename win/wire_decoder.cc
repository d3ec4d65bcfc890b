// The input frame decoder: JSON text to WireMessage, form checks only.
#include "win/wire_decoder.h"

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/dcheck.h"
#include "win/frame_members.h"
#include "win/pointer_geometry.h"

namespace orvane::win {
namespace {

constexpr double kMaxButton = 4.0;
constexpr std::size_t kWireRejectCount = 12;
constexpr double kMaxUsage = 4294967295.0;

constexpr std::string_view kTagMove = "mm";
constexpr std::string_view kTagButtonDown = "md";
constexpr std::string_view kTagButtonUp = "mu";
constexpr std::string_view kTagWheel = "wh";
constexpr std::string_view kTagKeyDown = "kd";
constexpr std::string_view kTagKeyUp = "ku";
constexpr std::string_view kTagReleaseAll = "ra";
constexpr std::string_view kTagText = "tx";

// A finite JSON number as a 64-bit float; any other type counts as absent.
std::optional<double> numberMember(const FrameMembers& frame, Member which) {
  const MemberValue& member = frame.member(which);
  if (member.type != MemberValue::Type::Number || !std::isfinite(member.number)) {
    return std::nullopt;
  }
  return member.number;
}

bool isWhole(double value) { return value == std::trunc(value); }

bool readPosition(const FrameMembers& frame, WireMessage& message) {
  const std::optional<double> x = numberMember(frame, Member::X);
  if (!x) return false;
  const std::optional<double> y = numberMember(frame, Member::Y);
  if (!y) return false;
  message.x = clampFraction(*x);
  message.y = clampFraction(*y);
  return true;
}

WireReject readButton(const FrameMembers& frame, WireMessage& message) {
  const std::optional<double> button = numberMember(frame, Member::B);
  if (!button || !isWhole(*button) || *button < 0.0 || *button > kMaxButton) {
    return WireReject::BadButton;
  }
  message.button = static_cast<std::int32_t>(*button);
  if (!readPosition(frame, message)) return WireReject::ButtonWithoutPosition;
  return WireReject::None;
}

bool readUsage(const FrameMembers& frame, WireMessage& message) {
  const std::optional<double> hid = numberMember(frame, Member::Hid);
  if (!hid || !isWhole(*hid) || *hid < 0.0 || *hid > kMaxUsage) return false;
  message.hid = static_cast<std::uint32_t>(*hid);
  return true;
}

WireReject readKeyDown(const FrameMembers& frame, WireMessage& message) {
  if (!readUsage(frame, message)) return WireReject::KeyDownWithoutUsage;
  const MemberValue& repeat = frame.member(Member::R);
  if (repeat.type == MemberValue::Type::Absent || repeat.type == MemberValue::Type::Null) {
    return WireReject::None;
  }
  if (repeat.type != MemberValue::Type::Boolean) return WireReject::KeyDownBadRepeat;
  message.repeat = repeat.boolean;
  return WireReject::None;
}

// Reads the members of the type named by tag into message (which starts zeroed).
WireReject readMessage(std::string_view tag, const FrameMembers& frame, WireMessage& message) {
  if (tag == kTagMove) {
    message.kind = WireKind::Move;
    return readPosition(frame, message) ? WireReject::None : WireReject::MoveWithoutPosition;
  }
  if (tag == kTagButtonDown || tag == kTagButtonUp) {
    message.kind = tag == kTagButtonDown ? WireKind::ButtonDown : WireKind::ButtonUp;
    return readButton(frame, message);
  }
  if (tag == kTagWheel) {
    message.kind = WireKind::Wheel;
    const std::optional<double> dx = numberMember(frame, Member::Dx);
    const std::optional<double> dy = numberMember(frame, Member::Dy);
    if (!dx || !dy) return WireReject::WheelWithoutAxes;
    message.dx = *dx;
    message.dy = *dy;
    return WireReject::None;
  }
  if (tag == kTagKeyDown) {
    message.kind = WireKind::KeyDown;
    return readKeyDown(frame, message);
  }
  if (tag == kTagKeyUp) {
    message.kind = WireKind::KeyUp;
    return readUsage(frame, message) ? WireReject::None : WireReject::KeyUpWithoutUsage;
  }
  if (tag == kTagReleaseAll) {
    message.kind = WireKind::ReleaseAll;
    return WireReject::None;
  }
  if (tag == kTagText) {
    message.kind = WireKind::Text;
    const MemberValue& text = frame.member(Member::S);
    if (text.type != MemberValue::Type::String) return WireReject::TextWithoutString;
    message.text = text.text;
    return WireReject::None;
  }
  return WireReject::UnknownType;
}

WireReject decode(const char* data, std::size_t size, WireMessage& message) {
  if (data == nullptr || size == 0) return WireReject::NotAnObject;
  if (std::memchr(data, 0, size) != nullptr) return WireReject::NotAnObject;

  FrameMembers frame;
  if (!readFlatFrame(data, size, frame)) {
    frame = FrameMembers{};
    if (!readJsonFrame(data, size, frame)) return WireReject::NotAnObject;
  }

  const MemberValue& type = frame.member(Member::T);
  if (type.type != MemberValue::Type::String) return WireReject::NoType;
  return readMessage(type.text, frame, message);
}

}  // namespace

bool decodeWire(const char* data, std::size_t size, WireMessage& out, WireReject* reject) {
  if (reject != nullptr) *reject = WireReject::None;
  WireMessage message;
  const WireReject result = decode(data, size, message);
  if (reject != nullptr) *reject = result;
  if (result != WireReject::None) return false;
  out = std::move(message);
  return true;
}

const char* wireRejectText(WireReject reject) {
  static constexpr std::array<const char*, kWireRejectCount> kTexts = {
      "none",
      "not a JSON object",
      "no string t",
      "mm without a position",
      "a button message without a button the host can post",
      "a button message without a position",
      "wh without both axes",
      "kd without a HID usage the wire admits",
      "kd with a non-boolean r",
      "ku without a HID usage the wire admits",
      "an unknown message type",
      "tx without a string s",
  };
  static_assert(host::allNamed(kTexts), "every value has its text");
  const auto index = static_cast<int>(reject);
  if (index < 0 || static_cast<std::size_t>(index) >= kTexts.size()) return "unknown";
  return kTexts[static_cast<std::size_t>(index)];
}

}  // namespace orvane::win
