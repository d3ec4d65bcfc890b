// Request lines: JSON objects with exactly one request key and only that key's companions.
#include "runner/request.h"

#include <array>
#include <optional>
#include <utility>

#include "orvane_native/orvane_native_plugin_c_api.h"
#include "runner/json_value.h"

namespace orvane::runner {

namespace {

constexpr std::array<const char*, 8> kRequestKeys = {"call",   "frame",    "raw",    "listen",
                                                     "cancel", "sleep_ms", "window", "local"};
constexpr char kInjectMethod[] = "injectInput";
constexpr char kFrameArgument[] = "json";
// Allowed beside every request key.
constexpr char kAtKey[] = "at_ms";

ParsedLine Bad(std::string reason) {
  ParsedLine parsed;
  parsed.outcome = ParseOutcome::Bad;
  parsed.reason = std::move(reason);
  return parsed;
}

ParsedLine Good(Request request) {
  ParsedLine parsed;
  parsed.outcome = ParseOutcome::Request;
  parsed.request = std::move(request);
  return parsed;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

bool IsComment(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '#';
}

std::optional<int> HexDigit(char c) {
  constexpr int kTen = 10;
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + kTen;
  if (c >= 'A' && c <= 'F') return c - 'A' + kTen;
  return std::nullopt;
}

bool ParseHex(const std::string& hex, std::vector<uint8_t>& bytes) {
  constexpr int kNibbleBits = 4;
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const auto high = HexDigit(hex[i]);
    const auto low = HexDigit(hex[i + 1]);
    if (!high || !low) return false;
    bytes.push_back(static_cast<uint8_t>((*high << kNibbleBits) | *low));
  }
  return true;
}

// The request key of the object, or the reason there is not exactly one.
std::optional<std::string> FindRequestKey(const Json& object, std::string& reason) {
  std::optional<std::string> found;
  for (const char* key : kRequestKeys) {
    if (!object.contains(key)) continue;
    if (found) {
      reason = "more than one request in one line: \"" + *found + "\" and \"" + key + "\"";
      return std::nullopt;
    }
    found = key;
  }
  if (!found) {
    reason = "no request key: expected call, frame, raw, listen, cancel, sleep_ms, window or local";
  }
  return found;
}

// Every key must be the request key or one of the companions it allows.
bool OnlyKnownKeys(const Json& object, const std::string& requestKey, std::string& reason) {
  const char* companion = requestKey == "call" ? "args" : requestKey == "raw" ? "channel" : "";
  for (const auto& [key, value] : object.items()) {
    if (key != requestKey && key != companion && key != kAtKey) {
      reason = "unknown key \"" + key + "\" in a \"" + requestKey + "\" request";
      return false;
    }
  }
  return true;
}

ParsedLine ParseCall(const Json& object) {
  const Json& name = object["call"];
  if (!name.is_string()) return Bad("call needs a method name string");
  Request request;
  request.channel = ORVANE_NATIVE_METHOD_CHANNEL;
  request.method = name.get<std::string>();
  if (object.contains("args")) {
    std::string reason;
    if (!JsonToValue(object["args"], request.arguments, reason)) return Bad("args " + reason);
  }
  return Good(std::move(request));
}

ParsedLine ParseFrame(const Json& object) {
  const Json& frame = object["frame"];
  std::string text;
  if (frame.is_string()) {
    text = frame.get<std::string>();
  } else if (frame.is_object()) {
    text = frame.dump(-1, ' ', false, Json::error_handler_t::replace);
  } else {
    return Bad("frame needs an object or a string");
  }
  Request request;
  request.channel = ORVANE_NATIVE_METHOD_CHANNEL;
  request.method = kInjectMethod;
  flutter::EncodableMap arguments;
  arguments[flutter::EncodableValue(kFrameArgument)] = flutter::EncodableValue(std::move(text));
  request.arguments = flutter::EncodableValue(std::move(arguments));
  return Good(std::move(request));
}

ParsedLine ParseRaw(const Json& object) {
  const Json& hex = object["raw"];
  Request request;
  request.kind = RequestKind::Raw;
  if (!hex.is_string() || !ParseHex(hex.get<std::string>(), request.bytes)) {
    return Bad("raw needs a string of hex byte pairs");
  }
  if (!object.contains("channel") || !object["channel"].is_string()) {
    return Bad("raw needs a channel string");
  }
  request.channel = object["channel"].get<std::string>();
  return Good(std::move(request));
}

ParsedLine ParseStream(const Json& object, const std::string& key) {
  const Json& flag = object[key];
  if (!flag.is_boolean() || !flag.get<bool>()) return Bad(key + " must be true");
  Request request;
  request.channel = ORVANE_NATIVE_EVENT_CHANNEL;
  request.method = key;
  return Good(std::move(request));
}

// A whole number of milliseconds from 0 to `max`.
std::optional<std::uint32_t> Milliseconds(const Json& ms, std::uint32_t max) {
  const bool whole = ms.is_number_unsigned() || (ms.is_number_integer() && ms.get<int64_t>() >= 0);
  if (!whole || ms.get<uint64_t>() > max) return std::nullopt;
  return static_cast<std::uint32_t>(ms.get<uint64_t>());
}

std::string WholeNumberReason(const char* key, std::uint32_t max) {
  return std::string(key) + " needs a whole number from 0 to " + std::to_string(max);
}

ParsedLine ParseSleep(const Json& object) {
  const auto ms = Milliseconds(object["sleep_ms"], kMaxSleepMs);
  if (!ms) return Bad(WholeNumberReason("sleep_ms", kMaxSleepMs));
  Request request;
  request.kind = RequestKind::Sleep;
  request.sleepMs = *ms;
  return Good(std::move(request));
}

ParsedLine ParseWindow(const Json& object) {
  const Json& message = object["window"];
  Request request;
  request.kind = RequestKind::Window;
  if (message == "close") {
    request.windowMessage = WindowMessage::Close;
  } else if (message == "endsession") {
    request.windowMessage = WindowMessage::EndSession;
  } else {
    return Bad("window must be \"close\" or \"endsession\"");
  }
  return Good(std::move(request));
}

std::optional<std::int32_t> Pixel(const Json& object, const char* key) {
  if (!object.contains(key)) return std::nullopt;
  const Json& value = object[key];
  if (!value.is_number_integer()) return std::nullopt;
  const auto pixel = value.get<int64_t>();
  if (pixel < 0 || pixel > kMaxLocalPixel) return std::nullopt;
  return static_cast<std::int32_t>(pixel);
}

ParsedLine ParseLocal(const Json& object) {
  const Json& where = object["local"];
  const auto x = where.is_object() ? Pixel(where, "x") : std::nullopt;
  const auto y = where.is_object() ? Pixel(where, "y") : std::nullopt;
  if (!x || !y || where.size() != 2) {
    return Bad("local needs {\"x\": X, \"y\": Y}, whole pixels from 0 to " +
               std::to_string(kMaxLocalPixel));
  }
  Request request;
  request.kind = RequestKind::LocalInput;
  request.localX = *x;
  request.localY = *y;
  return Good(std::move(request));
}

ParsedLine ParseRequest(const Json& object, const std::string& key) {
  if (key == "call") return ParseCall(object);
  if (key == "frame") return ParseFrame(object);
  if (key == "raw") return ParseRaw(object);
  if (key == "listen" || key == "cancel") return ParseStream(object, key);
  if (key == "sleep_ms") return ParseSleep(object);
  if (key == "local") return ParseLocal(object);
  return ParseWindow(object);
}

}  // namespace

bool IsInputFrame(const Request& request) {
  return request.kind == RequestKind::MethodCall && request.method == kInjectMethod &&
         request.channel == ORVANE_NATIVE_METHOD_CHANNEL;
}

ParsedLine ParseRequestLine(std::string_view line) {
  if (IsBlank(line) || IsComment(line)) return ParsedLine{};
  // The parser itself does not recurse, but everything after it does: refuse deep nesting here.
  bool tooDeep = false;
  const auto limitDepth = [&tooDeep](int depth, Json::parse_event_t event, Json&) {
    if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
        depth > kMaxJsonDepth) {
      tooDeep = true;
      return false;
    }
    return true;
  };
  const Json object = Json::parse(line.begin(), line.end(), limitDepth,
                                  /*allow_exceptions=*/false, /*ignore_comments=*/false);
  if (object.is_discarded()) return Bad("not valid JSON");
  if (tooDeep) return Bad("nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
  if (!object.is_object()) return Bad("not a JSON object");

  std::string reason;
  const auto key = FindRequestKey(object, reason);
  if (!key || !OnlyKnownKeys(object, *key, reason)) return Bad(reason);
  std::optional<std::uint32_t> atMs;
  if (object.contains(kAtKey)) {
    atMs = Milliseconds(object[kAtKey], kMaxAtMs);
    if (!atMs) return Bad(WholeNumberReason(kAtKey, kMaxAtMs));
  }
  ParsedLine parsed = ParseRequest(object, *key);
  parsed.request.atMs = atMs;
  return parsed;
}

}  // namespace orvane::runner
