// Conversion between the JSON of session files and the values exchanged with the Dart side, and
// the one-line JSON text the runner prints.
#ifndef RUNNER_JSON_VALUE_H_
#define RUNNER_JSON_VALUE_H_

#include <nlohmann/json.hpp>
#include <string>

#include "flutter/encodable_value.h"

namespace orvane::runner {

// Keeps member order as written, so an object frame reaches the plugin in the order it was typed.
using Json = nlohmann::ordered_json;

// Deeper documents are refused rather than converted, so no request can exhaust the stack.
inline constexpr int kMaxJsonDepth = 64;

// JSON to value, as the Dart side would send it: objects become maps with string keys, strings
// strings, true/false bools, integer literals 32-bit integers when they fit and 64-bit otherwise
// (an unsigned literal beyond the 64-bit range becomes a double), other numbers doubles, null null,
// arrays lists. False, with `reason` set, when the document nests deeper than kMaxJsonDepth.
bool JsonToValue(const Json& json, flutter::EncodableValue& out, std::string& reason);

// Value to JSON: byte lists as lower-case hex strings, typed lists and lists as arrays, maps as
// objects (a key that is not a string is written as its own JSON text), custom values as null.
Json ValueToJson(const flutter::EncodableValue& value);

// One line of JSON with ", " and ": " between items, as the runner prints it; text that is not
// valid UTF-8 has its bad bytes replaced rather than refused.
std::string ToLine(const Json& json);

// Lower-case hex of `size` bytes, two digits each.
std::string ToHex(const uint8_t* data, size_t size);

}  // namespace orvane::runner

#endif  // RUNNER_JSON_VALUE_H_
