// The input frame decoder: JSON text to WireMessage, form checks only.
#include "win/wire_decoder.h"

#include <array>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/dcheck.h"
#include "win/pointer_geometry.h"

namespace orvane::win {
namespace {

using Json = nlohmann::json;

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

// The top-level members any rule reads. Other members are never looked at, so whether a later
// duplicate of one of them is dropped cannot change a result.
enum class Member : std::size_t { T, X, Y, B, Dx, Dy, Hid, R, S, Count };

constexpr std::array<std::string_view, static_cast<std::size_t>(Member::Count)> kMemberKeys = {
    "t", "x", "y", "b", "dx", "dy", "hid", "r", "s"};

// A member's value reduced to what the rules distinguish.
struct MemberValue {
  enum class Type { Absent, Number, Boolean, Null, String, Other };
  Type type = Type::Absent;
  double number = 0.0;
  bool boolean = false;
  std::string text;
};

// The first occurrence of each member a rule reads, collected from the parser's events without
// building a document: frames arrive at input rate, and a tree per frame costs more than the
// whole rest of the decoding.
class FrameReader : public nlohmann::json_sax<Json> {
 public:
  bool null() override {
    record(MemberValue::Type::Null);
    return true;
  }
  bool boolean(bool flag) override {
    if (MemberValue* const slot = record(MemberValue::Type::Boolean)) slot->boolean = flag;
    return true;
  }
  bool number_integer(number_integer_t number) override {
    return recordNumber(static_cast<double>(number));
  }
  bool number_unsigned(number_unsigned_t number) override {
    return recordNumber(static_cast<double>(number));
  }
  bool number_float(number_float_t number, const string_t& /*literal*/) override {
    return recordNumber(number);
  }
  bool string(string_t& text) override {
    if (MemberValue* const slot = record(MemberValue::Type::String)) slot->text = text;
    return true;
  }
  bool binary(binary_t& /*bytes*/) override {
    record(MemberValue::Type::Other);
    return true;
  }
  bool start_object(std::size_t /*elements*/) override {
    if (depth_ == 0) rootIsObject_ = true;
    record(MemberValue::Type::Other);
    ++depth_;
    return true;
  }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t /*elements*/) override {
    record(MemberValue::Type::Other);
    ++depth_;
    return true;
  }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool key(string_t& name) override {
    if (depth_ == kTopLevelMemberDepth) current_ = firstOccurrence(name);
    return true;
  }
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& /*error*/) override {
    return false;
  }

  bool rootIsObject() const { return rootIsObject_; }
  const MemberValue& member(Member which) const {
    return members_[static_cast<std::size_t>(which)];
  }

 private:
  static constexpr int kTopLevelMemberDepth = 1;

  // The slot for a top-level member's value; null when no rule reads the key, or when an earlier
  // member had the same key (the first occurrence counts, later ones are dropped).
  MemberValue* firstOccurrence(const string_t& name) {
    for (std::size_t i = 0; i < kMemberKeys.size(); ++i) {
      // Length and first byte first: most keys are told apart without a full comparison.
      const std::string_view key = kMemberKeys[i];
      if (key.size() != name.size() || key.front() != name.front() || key != name) continue;
      if (seen_[i]) return nullptr;
      seen_[i] = true;
      return &members_[i];
    }
    return nullptr;
  }

  // Notes the type of a value; returns its slot when it is a top-level member a rule reads.
  // Values nested inside others never have one.
  MemberValue* record(MemberValue::Type type) {
    if (depth_ != kTopLevelMemberDepth || current_ == nullptr) return nullptr;
    current_->type = type;
    return current_;
  }

  bool recordNumber(double number) {
    if (MemberValue* const slot = record(MemberValue::Type::Number)) slot->number = number;
    return true;
  }

  int depth_ = 0;
  bool rootIsObject_ = false;
  MemberValue* current_ = nullptr;
  std::array<bool, kMemberKeys.size()> seen_{};
  std::array<MemberValue, kMemberKeys.size()> members_{};
};

// A finite JSON number as a 64-bit float; any other type counts as absent.
std::optional<double> numberMember(const FrameReader& frame, Member which) {
  const MemberValue& member = frame.member(which);
  if (member.type != MemberValue::Type::Number || !std::isfinite(member.number)) {
    return std::nullopt;
  }
  return member.number;
}

bool isWhole(double value) { return value == std::trunc(value); }

bool readPosition(const FrameReader& frame, WireMessage& message) {
  const std::optional<double> x = numberMember(frame, Member::X);
  if (!x) return false;
  const std::optional<double> y = numberMember(frame, Member::Y);
  if (!y) return false;
  message.x = clampFraction(*x);
  message.y = clampFraction(*y);
  return true;
}

WireReject readButton(const FrameReader& frame, WireMessage& message) {
  const std::optional<double> button = numberMember(frame, Member::B);
  if (!button || !isWhole(*button) || *button < 0.0 || *button > kMaxButton) {
    return WireReject::BadButton;
  }
  message.button = static_cast<std::int32_t>(*button);
  if (!readPosition(frame, message)) return WireReject::ButtonWithoutPosition;
  return WireReject::None;
}

bool readUsage(const FrameReader& frame, WireMessage& message) {
  const std::optional<double> hid = numberMember(frame, Member::Hid);
  if (!hid || !isWhole(*hid) || *hid < 0.0 || *hid > kMaxUsage) return false;
  message.hid = static_cast<std::uint32_t>(*hid);
  return true;
}

WireReject readKeyDown(const FrameReader& frame, WireMessage& message) {
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
WireReject readMessage(std::string_view tag, const FrameReader& frame, WireMessage& message) {
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

  FrameReader frame;
  const bool parsed = Json::sax_parse(data, data + size, &frame, Json::input_format_t::json,
                                      /*strict=*/true, /*ignore_comments=*/false);
  if (!parsed || !frame.rootIsObject()) return WireReject::NotAnObject;

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
