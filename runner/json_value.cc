// JSON <-> EncodableValue conversion and the runner's one-line JSON writer.
#include "runner/json_value.h"

#include <cstdint>
#include <limits>
#include <utility>
#include <variant>
#include <vector>

namespace orvane::runner {

namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;

bool Convert(const Json& json, int depth, EncodableValue& out, std::string& reason) {
  if (depth > kMaxJsonDepth) {
    reason = "nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
    return false;
  }
  switch (json.type()) {
    case Json::value_t::null:
    case Json::value_t::discarded:
      out = EncodableValue();
      return true;
    case Json::value_t::boolean:
      out = EncodableValue(json.get<bool>());
      return true;
    case Json::value_t::number_integer: {
      const auto number = json.get<std::int64_t>();
      if (number >= std::numeric_limits<std::int32_t>::min() &&
          number <= std::numeric_limits<std::int32_t>::max()) {
        out = EncodableValue(static_cast<std::int32_t>(number));
      } else {
        out = EncodableValue(number);
      }
      return true;
    }
    case Json::value_t::number_unsigned: {
      const auto number = json.get<std::uint64_t>();
      if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        out = EncodableValue(static_cast<std::int32_t>(number));
      } else if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        out = EncodableValue(static_cast<std::int64_t>(number));
      } else {
        out = EncodableValue(static_cast<double>(number));
      }
      return true;
    }
    case Json::value_t::number_float:
      out = EncodableValue(json.get<double>());
      return true;
    case Json::value_t::string:
      out = EncodableValue(json.get<std::string>());
      return true;
    case Json::value_t::binary:
      out = EncodableValue(std::vector<uint8_t>(json.get_binary()));
      return true;
    case Json::value_t::array: {
      EncodableList list;
      list.reserve(json.size());
      for (const auto& item : json) {
        EncodableValue converted;
        if (!Convert(item, depth + 1, converted, reason)) {
          return false;
        }
        list.push_back(std::move(converted));
      }
      out = EncodableValue(std::move(list));
      return true;
    }
    case Json::value_t::object: {
      EncodableMap map;
      for (const auto& [key, item] : json.items()) {
        EncodableValue converted;
        if (!Convert(item, depth + 1, converted, reason)) {
          return false;
        }
        map[EncodableValue(key)] = std::move(converted);
      }
      out = EncodableValue(std::move(map));
      return true;
    }
  }
  reason = "a JSON value of unknown type";
  return false;
}

template <typename T>
Json ArrayOf(const std::vector<T>& items) {
  Json array = Json::array();
  for (const T& item : items) {
    array.push_back(item);
  }
  return array;
}

// Visits the alternatives of EncodableValue in their declared order.
struct ToJsonVisitor {
  Json operator()(std::monostate) const { return nullptr; }
  Json operator()(bool value) const { return value; }
  Json operator()(std::int32_t value) const { return value; }
  Json operator()(std::int64_t value) const { return value; }
  Json operator()(double value) const { return value; }
  Json operator()(const std::string& value) const { return value; }
  Json operator()(const std::vector<uint8_t>& value) const {
    return ToHex(value.data(), value.size());
  }
  Json operator()(const std::vector<std::int32_t>& value) const { return ArrayOf(value); }
  Json operator()(const std::vector<std::int64_t>& value) const { return ArrayOf(value); }
  Json operator()(const std::vector<double>& value) const { return ArrayOf(value); }
  Json operator()(const std::vector<float>& value) const { return ArrayOf(value); }
  Json operator()(const EncodableList& value) const {
    Json array = Json::array();
    for (const EncodableValue& item : value) {
      array.push_back(ValueToJson(item));
    }
    return array;
  }
  Json operator()(const EncodableMap& value) const {
    Json object = Json::object();
    for (const auto& [key, item] : value) {
      const auto* text = std::get_if<std::string>(&key);
      object[text != nullptr ? *text : ToLine(ValueToJson(key))] = ValueToJson(item);
    }
    return object;
  }
  Json operator()(const flutter::CustomEncodableValue&) const { return nullptr; }
};

void Write(const Json& json, std::string& line) {
  if (json.is_object()) {
    line += '{';
    const char* separator = "";
    for (const auto& [key, item] : json.items()) {
      line += separator;
      line += Json(key).dump(-1, ' ', false, Json::error_handler_t::replace);
      line += ": ";
      Write(item, line);
      separator = ", ";
    }
    line += '}';
  } else if (json.is_array()) {
    line += '[';
    const char* separator = "";
    for (const auto& item : json) {
      line += separator;
      Write(item, line);
      separator = ", ";
    }
    line += ']';
  } else {
    line += json.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
}

}  // namespace

bool JsonToValue(const Json& json, EncodableValue& out, std::string& reason) {
  return Convert(json, 0, out, reason);
}

Json ValueToJson(const EncodableValue& value) {
  return std::visit(ToJsonVisitor{}, static_cast<const EncodableValue::super&>(value));
}

std::string ToLine(const Json& json) {
  std::string line;
  Write(json, line);
  return line;
}

std::string ToHex(const uint8_t* data, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  constexpr unsigned kNibbleBits = 4;
  constexpr unsigned kNibbleMask = 0x0F;
  std::string hex;
  hex.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    hex += kDigits[data[i] >> kNibbleBits];
    hex += kDigits[data[i] & kNibbleMask];
  }
  return hex;
}

}  // namespace orvane::runner
