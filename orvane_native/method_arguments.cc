// Reading a method call's named arguments from a map.
#include "method_arguments.h"

#include <variant>

namespace orvane_native {

namespace {

// The value under `key` when `arguments` is a map holding it; null otherwise.
const flutter::EncodableValue* FindArgument(const flutter::EncodableValue* arguments,
                                            std::string_view key) {
  if (arguments == nullptr) return nullptr;
  const auto* map = std::get_if<flutter::EncodableMap>(arguments);
  if (map == nullptr) return nullptr;
  const auto it = map->find(flutter::EncodableValue(std::string(key)));
  return it == map->end() ? nullptr : &it->second;
}

}  // namespace

const std::string* ReadStringArgument(const flutter::EncodableValue* arguments,
                                      std::string_view key) {
  const flutter::EncodableValue* value = FindArgument(arguments, key);
  return value == nullptr ? nullptr : std::get_if<std::string>(value);
}

std::optional<bool> ReadBoolArgument(const flutter::EncodableValue* arguments,
                                     std::string_view key) {
  const flutter::EncodableValue* value = FindArgument(arguments, key);
  if (value == nullptr) return std::nullopt;
  const bool* flag = std::get_if<bool>(value);
  if (flag == nullptr) return std::nullopt;
  return *flag;
}

std::optional<std::int64_t> ReadIntegerArgument(const flutter::EncodableValue* arguments,
                                                std::string_view key) {
  const flutter::EncodableValue* value = FindArgument(arguments, key);
  if (value == nullptr) return std::nullopt;
  if (const auto* narrow = std::get_if<std::int32_t>(value)) return *narrow;
  if (const auto* wide = std::get_if<std::int64_t>(value)) return *wide;
  return std::nullopt;
}

}  // namespace orvane_native
