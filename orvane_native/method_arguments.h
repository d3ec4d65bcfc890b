// Reading a method call's named arguments: only from a map, only with the exact value type.
#ifndef ORVANE_NATIVE_METHOD_ARGUMENTS_H_
#define ORVANE_NATIVE_METHOD_ARGUMENTS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "flutter/encodable_value.h"

namespace orvane_native {

// Contract: any thread; no state. An argument counts as missing unless `arguments` is a map that
// holds the key as a string value and the value under it has the asked type: null, a list, a
// non-string key, or a value of another type (the integer 1 is not a bool, null is not a string)
// are all missing.

// The string under `key`, borrowed from `arguments`; null when missing.
const std::string* ReadStringArgument(const flutter::EncodableValue* arguments,
                                      std::string_view key);

// The bool under `key`; no value when missing.
std::optional<bool> ReadBoolArgument(const flutter::EncodableValue* arguments,
                                     std::string_view key);

// The integer under `key`, 32-bit or 64-bit alike (the Dart side picks the width by magnitude);
// no value when missing.
std::optional<std::int64_t> ReadIntegerArgument(const flutter::EncodableValue* arguments,
                                                std::string_view key);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_METHOD_ARGUMENTS_H_
