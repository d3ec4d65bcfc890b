// Formatting of reply, refusal and trace lines.
#include "runner/output_format.h"

#include <cstdio>
#include <string>

#include "runner/json_value.h"
#include "win/inject_event.h"

namespace orvane::runner {

namespace {

Json NoReply() { return Json{{"reply", "no-reply"}}; }

std::string Hex(const std::vector<uint8_t>& bytes) { return ToHex(bytes.data(), bytes.size()); }

// VK_PACKET: the virtual key of a key event that types a UTF-16 unit.
constexpr std::uint32_t kPacketVirtualKey = 0xE7;

// The character of one UTF-16 unit as UTF-8; empty for half of a surrogate pair, which is no
// character on its own (the unit beside it tells which).
std::string UnitText(std::uint32_t unit) {
  unit &= 0xFFFF;
  if (unit >= 0xD800 && unit <= 0xDFFF) return "";
  std::string text;
  if (unit < 0x80) {
    text += static_cast<char>(unit);
  } else if (unit < 0x800) {
    text += static_cast<char>(0xC0 | unit >> 6);
    text += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | unit >> 12);
    text += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (unit & 0x3F));
  }
  return text;
}

}  // namespace

std::string ReplyLine(const MethodReply& reply) {
  using Kind = MethodReply::Kind;
  switch (reply.kind) {
    case Kind::Success:
      return ToLine(Json{{"reply", "success"}, {"value", ValueToJson(reply.value)}});
    case Kind::Error:
      return ToLine(Json{{"reply", "error"},
                         {"code", reply.errorCode},
                         {"message", reply.errorMessage},
                         {"details", ValueToJson(reply.errorDetails)}});
    case Kind::NotImplemented:
      return ToLine(Json{{"reply", "notImplemented"}});
    case Kind::Malformed:
      return ToLine(Json{{"reply", "malformed"}, {"hex", Hex(reply.bytes)}});
    case Kind::NoReply:
      break;
  }
  return ToLine(NoReply());
}

std::string RawReplyLine(const MethodReply& reply) {
  if (reply.kind == MethodReply::Kind::NoReply) return ToLine(NoReply());
  return ToLine(Json{{"reply_hex", Hex(reply.bytes)}});
}

std::string EventLine(const std::vector<uint8_t>& bytes) {
  const MethodReply decoded = DecodeMethodReply(bytes);
  if (decoded.kind == MethodReply::Kind::Success) {
    return ToLine(Json{{"event", ValueToJson(decoded.value)}});
  }
  return ToLine(Json{{"event_hex", Hex(bytes)}});
}

std::string BadRequestLine(std::string_view reason) {
  return ToLine(Json{{"reply", "bad-request"}, {"reason", std::string(reason)}});
}

std::string DoneLine() { return ToLine(Json{{"reply", "done"}}); }

std::string TeardownLine() { return ToLine(Json{{"session", "teardown"}}); }

const char* EventName(ObservedKind kind) {
  switch (kind) {
    case ObservedKind::Key:
      return "key";
    case ObservedKind::Move:
      return "move";
    case ObservedKind::LeftDown:
      return "left-down";
    case ObservedKind::LeftUp:
      return "left-up";
    case ObservedKind::RightDown:
      return "right-down";
    case ObservedKind::RightUp:
      return "right-up";
    case ObservedKind::MiddleDown:
      return "middle-down";
    case ObservedKind::MiddleUp:
      return "middle-up";
    case ObservedKind::Wheel:
      return "wheel";
    case ObservedKind::HWheel:
      return "hwheel";
    case ObservedKind::X1Down:
      return "x1-down";
    case ObservedKind::X1Up:
      return "x1-up";
    case ObservedKind::X2Down:
      return "x2-down";
    case ObservedKind::X2Up:
      return "x2-up";
    case ObservedKind::OtherMouse:
      break;
  }
  return "other";
}

std::string TraceLine(const ObservedEvent& event) {
  const bool tagged = event.extraInfo == win::kInjectedTag;
  if (event.kind == ObservedKind::Key && event.virtualKey == kPacketVirtualKey) {
    // A Unicode key: the scan code is the UTF-16 unit typed.
    char unit[sizeof "FFFF"];
    std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(event.scanCode & 0xFFFF));
    return ToLine(Json{{"injected", "unicode"},
                       {"unit", unit},
                       {"char", UnitText(event.scanCode)},
                       {"up", event.keyUp},
                       {"tag", tagged}});
  }
  if (event.kind == ObservedKind::Key) {
    Json line{{"injected", "key"},
              {"scan", event.scanCode},
              {"extended", event.extended},
              {"up", event.keyUp},
              {"tag", tagged}};
    // Keys sent by scan code reach the hook without a virtual key under Wine; the mask key is
    // known by its virtual key alone.
    if (event.virtualKey != 0) line["vk"] = event.virtualKey;
    return ToLine(line);
  }
  return ToLine(Json{{"injected", "mouse"},
                     {"event", EventName(event.kind)},
                     {"x", event.x},
                     {"y", event.y},
                     {"delta", event.wheelDelta},
                     {"tag", tagged}});
}

}  // namespace orvane::runner
