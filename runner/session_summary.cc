// Session counts and held-input tracking from observed events.
#include "runner/session_summary.h"

#include <cstdio>

#include "runner/json_value.h"
#include "runner/output_format.h"
#include "win/inject_event.h"

namespace orvane::runner {

namespace {

constexpr std::uint32_t kExtendedPrefix = 0xE000;

// The Down kind that an Up kind releases, or the kind itself.
ObservedKind DownOf(ObservedKind kind) {
  switch (kind) {
    case ObservedKind::LeftUp:
      return ObservedKind::LeftDown;
    case ObservedKind::RightUp:
      return ObservedKind::RightDown;
    case ObservedKind::MiddleUp:
      return ObservedKind::MiddleDown;
    case ObservedKind::X1Up:
      return ObservedKind::X1Down;
    case ObservedKind::X2Up:
      return ObservedKind::X2Down;
    default:
      return kind;
  }
}

bool IsButtonDown(ObservedKind kind) {
  return kind == ObservedKind::LeftDown || kind == ObservedKind::RightDown ||
         kind == ObservedKind::MiddleDown || kind == ObservedKind::X1Down ||
         kind == ObservedKind::X2Down;
}

bool IsButtonUp(ObservedKind kind) {
  return kind == ObservedKind::LeftUp || kind == ObservedKind::RightUp ||
         kind == ObservedKind::MiddleUp || kind == ObservedKind::X1Up || kind == ObservedKind::X2Up;
}

std::string ButtonName(ObservedKind down) {
  const std::string name = EventName(down);
  return "button " + name.substr(0, name.find('-'));
}

std::string KeyName(std::uint32_t id) {
  char text[sizeof "key 0xffffffff"];
  std::snprintf(text, sizeof text, "key 0x%02x", static_cast<unsigned>(id));
  return text;
}

}  // namespace

void SessionSummary::CountReply(MethodReply::Kind kind) {
  if (kind == MethodReply::Kind::Error) ++errors_;
  if (kind == MethodReply::Kind::NotImplemented) ++notImplemented_;
}

void SessionSummary::Hear(const std::vector<std::uint8_t>& event) {
  const MethodReply decoded = DecodeMethodReply(event);
  if (decoded.kind != MethodReply::Kind::Success) return;
  const Json map = ValueToJson(decoded.value);
  if (!map.is_object() || map.value("event", "") != "inputCollapsed") return;
  const auto moves = map.find("moves");
  if (moves != map.end() && moves->is_number_unsigned()) {
    collapsedMoves_ += moves->get<std::uint64_t>();
  }
}

void SessionSummary::Observe(const ObservedEvent& event) {
  if (event.kind == ObservedKind::Key) {
    ++keys_;
  } else {
    ++mouse_;
  }
  if (event.extraInfo != win::kInjectedTag) return;
  if (event.kind == ObservedKind::Key) {
    const std::uint32_t id = event.scanCode + (event.extended ? kExtendedPrefix : 0);
    if (event.keyUp) {
      heldKeys_.erase(id);
    } else {
      heldKeys_.insert(id);
    }
  } else if (IsButtonDown(event.kind)) {
    heldButtons_.insert(event.kind);
  } else if (IsButtonUp(event.kind)) {
    heldButtons_.erase(DownOf(event.kind));
  }
}

std::vector<std::string> SessionSummary::HeldNow() const {
  std::vector<std::string> held;
  for (const std::uint32_t id : heldKeys_) held.push_back(KeyName(id));
  for (const ObservedKind button : heldButtons_) held.push_back(ButtonName(button));
  return held;
}

std::string SessionSummary::Line(const std::string& ended) const {
  Json counts = Json::object();
  counts["requests"] = requests_;
  counts["errors"] = errors_;
  counts["not_implemented"] = notImplemented_;
  counts["bad_requests"] = badRequests_;
  counts["injected_keys"] = keys_;
  counts["injected_mouse"] = mouse_;
  counts["collapsed_moves"] = collapsedMoves_;
  counts["held_at_end"] = heldAtEnd_;
  counts["held_after_teardown"] = HeldNow();
  counts["ended"] = ended;
  return ToLine(Json{{"summary", counts}});
}

}  // namespace orvane::runner
