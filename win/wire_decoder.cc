// The input frame decoder: JSON text to WireMessage, form checks only.
#include "win/wire_decoder.h"

#include <array>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace orvane::win {
namespace {

using Json = nlohmann::json;

// Top-level members are reported to the parser callback at this depth.
constexpr int kTopLevelMemberDepth = 1;
constexpr double kMaxButton = 2.0;
constexpr std::size_t kWireRejectCount = 11;
constexpr double kMaxUsage = 4294967295.0;

constexpr std::string_view kTagMove = "mm";
constexpr std::string_view kTagButtonDown = "md";
constexpr std::string_view kTagButtonUp = "mu";
constexpr std::string_view kTagWheel = "wh";
constexpr std::string_view kTagKeyDown = "kd";
constexpr std::string_view kTagKeyUp = "ku";
constexpr std::string_view kTagReleaseAll = "ra";

// A finite JSON number as a 64-bit float; any other type counts as absent.
std::optional<double> numberMember(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number()) return std::nullopt;
  const double value = it->get<double>();
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// The top-level keys seen so far. Frames carry a handful of members, so the first few keys live
// inline and searching them is cheaper than a tree; a frame with many keys spills into one.
class KeySet {
 public:
  // Adds the key; false when it was already there.
  bool insert(const std::string& key) {
    for (std::size_t i = 0; i < inlineCount_; ++i) {
      if (inline_[i] == key) return false;
    }
    if (inlineCount_ < inline_.size()) {
      inline_[inlineCount_++] = key;
      return true;
    }
    return spilled_.insert(key).second;
  }

 private:
  static constexpr std::size_t kInlineKeys = 8;
  std::array<std::string, kInlineKeys> inline_;
  std::size_t inlineCount_ = 0;
  std::set<std::string, std::less<>> spilled_;
};

bool isWhole(double value) { return value == std::trunc(value); }

// Clamped into 0..1, negative zero made positive.
double clampFraction(double value) {
  if (value < 0.0) value = 0.0;
  if (value > 1.0) value = 1.0;
  return value + 0.0;
}

bool readPosition(const Json& object, WireMessage& message) {
  const std::optional<double> x = numberMember(object, "x");
  if (!x) return false;
  const std::optional<double> y = numberMember(object, "y");
  if (!y) return false;
  message.x = clampFraction(*x);
  message.y = clampFraction(*y);
  return true;
}

WireReject readButton(const Json& object, WireMessage& message) {
  const std::optional<double> button = numberMember(object, "b");
  if (!button || !isWhole(*button) || *button < 0.0 || *button > kMaxButton) {
    return WireReject::BadButton;
  }
  message.button = static_cast<std::int32_t>(*button);
  if (!readPosition(object, message)) return WireReject::ButtonWithoutPosition;
  return WireReject::None;
}

bool readUsage(const Json& object, WireMessage& message) {
  const std::optional<double> hid = numberMember(object, "hid");
  if (!hid || !isWhole(*hid) || *hid < 0.0 || *hid > kMaxUsage) return false;
  message.hid = static_cast<std::uint32_t>(*hid);
  return true;
}

WireReject readKeyDown(const Json& object, WireMessage& message) {
  if (!readUsage(object, message)) return WireReject::KeyDownWithoutUsage;
  const auto repeat = object.find("r");
  if (repeat == object.end() || repeat->is_null()) return WireReject::None;
  if (!repeat->is_boolean()) return WireReject::KeyDownBadRepeat;
  message.repeat = repeat->get<bool>();
  return WireReject::None;
}

// Reads the members of the type named by tag into message (which starts zeroed).
WireReject readMessage(std::string_view tag, const Json& object, WireMessage& message) {
  if (tag == kTagMove) {
    message.kind = WireKind::Move;
    return readPosition(object, message) ? WireReject::None : WireReject::MoveWithoutPosition;
  }
  if (tag == kTagButtonDown || tag == kTagButtonUp) {
    message.kind = tag == kTagButtonDown ? WireKind::ButtonDown : WireKind::ButtonUp;
    return readButton(object, message);
  }
  if (tag == kTagWheel) {
    message.kind = WireKind::Wheel;
    const std::optional<double> dx = numberMember(object, "dx");
    const std::optional<double> dy = numberMember(object, "dy");
    if (!dx || !dy) return WireReject::WheelWithoutAxes;
    message.dx = *dx;
    message.dy = *dy;
    return WireReject::None;
  }
  if (tag == kTagKeyDown) {
    message.kind = WireKind::KeyDown;
    return readKeyDown(object, message);
  }
  if (tag == kTagKeyUp) {
    message.kind = WireKind::KeyUp;
    return readUsage(object, message) ? WireReject::None : WireReject::KeyUpWithoutUsage;
  }
  if (tag == kTagReleaseAll) {
    message.kind = WireKind::ReleaseAll;
    return WireReject::None;
  }
  return WireReject::UnknownType;
}

WireReject decode(const char* data, std::size_t size, WireMessage& message) {
  if (data == nullptr || size == 0) return WireReject::NotAnObject;
  if (std::memchr(data, 0, size) != nullptr) return WireReject::NotAnObject;

  // The first occurrence of a top-level key counts: later ones are dropped with their values
  // before any rule looks at the object (the parser alone would let the last one win).
  KeySet seenKeys;
  const Json::parser_callback_t keepFirstKey = [&seenKeys](int depth, Json::parse_event_t event,
                                                           Json& parsed) {
    if (event != Json::parse_event_t::key || depth != kTopLevelMemberDepth) return true;
    const auto* const key = parsed.get_ptr<const Json::string_t*>();
    return key == nullptr || seenKeys.insert(*key);
  };
  const Json document = Json::parse(data, data + size, keepFirstKey, /*allow_exceptions=*/false,
                                    /*ignore_comments=*/false);
  if (!document.is_object()) return WireReject::NotAnObject;

  const auto type = document.find("t");
  if (type == document.end() || !type->is_string()) return WireReject::NoType;
  return readMessage(type->get_ref<const Json::string_t&>(), document, message);
}

}  // namespace

bool decodeWire(const char* data, std::size_t size, WireMessage& out, WireReject* reject) {
  if (reject != nullptr) *reject = WireReject::None;
  WireMessage message;
  const WireReject result = decode(data, size, message);
  if (reject != nullptr) *reject = result;
  if (result != WireReject::None) return false;
  out = message;
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
  };
  const auto index = static_cast<int>(reject);
  if (index < 0 || static_cast<std::size_t>(index) >= kTexts.size()) return "unknown";
  return kTexts[static_cast<std::size_t>(index)];
}

}  // namespace orvane::win
