// The value exchanged with the Dart side: a variant over null, bool, integers, double, string,
// typed lists, list, map and an opaque custom holder, with a total order used by maps.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_ENCODABLE_VALUE_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_ENCODABLE_VALUE_H_

#include <algorithm>
#include <any>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <typeinfo>
#include <utility>
#include <variant>
#include <vector>

namespace flutter {

// Holds an object of any copyable type that no codec here can encode. Two holders are ordered
// and compared by their own address, so a holder equals only itself (a copy is a new identity).
class CustomEncodableValue {
 public:
  explicit CustomEncodableValue(const std::any& value) : value_(value) {}
  ~CustomEncodableValue() = default;
  CustomEncodableValue(const CustomEncodableValue&) = default;
  CustomEncodableValue& operator=(const CustomEncodableValue&) = default;
  CustomEncodableValue(CustomEncodableValue&&) = default;
  CustomEncodableValue& operator=(CustomEncodableValue&&) = default;

  operator const std::any&() const { return value_; }  // NOLINT(google-explicit-constructor)
  const std::type_info& type() const noexcept { return value_.type(); }

  friend bool operator<(const CustomEncodableValue& lhs, const CustomEncodableValue& rhs) {
    return std::less<const CustomEncodableValue*>()(&lhs, &rhs);
  }
  friend bool operator==(const CustomEncodableValue& lhs, const CustomEncodableValue& rhs) {
    return &lhs == &rhs;
  }
  friend bool operator!=(const CustomEncodableValue& lhs, const CustomEncodableValue& rhs) {
    return !(lhs == rhs);
  }

 private:
  std::any value_;
};

class EncodableValue;

using EncodableList = std::vector<EncodableValue>;
using EncodableMap = std::map<EncodableValue, EncodableValue>;

namespace internal {

// Numeric order, with every NaN equivalent to every other and after all numbers: map keys need a
// strict weak order, and a NaN key from the wire must not break the map.
template <typename Float>
bool FloatLess(Float lhs, Float rhs) {
  if (std::isnan(lhs)) {
    return false;
  }
  return std::isnan(rhs) || lhs < rhs;
}

template <typename Float>
bool FloatListLess(const std::vector<Float>& lhs, const std::vector<Float>& rhs) {
  return std::lexicographical_compare(lhs.begin(), lhs.end(), rhs.begin(), rhs.end(),
                                      FloatLess<Float>);
}

// The alternatives in their fixed order; the order is the first criterion of comparison and the
// index the codec switches on.
using EncodableValueVariant =
    std::variant<std::monostate, bool, int32_t, int64_t, double, std::string, std::vector<uint8_t>,
                 std::vector<int32_t>, std::vector<int64_t>, std::vector<double>, EncodableList,
                 EncodableMap, CustomEncodableValue, std::vector<float>>;
}  // namespace internal

// Value semantics: copies are deep. No internal locking: one thread owns a value at a time.
// Read an alternative with std::get (bad-variant-access when it differs) or std::get_if (null
// when it differs); test for null with IsNull().
class EncodableValue : public internal::EncodableValueVariant {
 public:
  using super = internal::EncodableValueVariant;
  using super::super;
  using super::operator=;

  EncodableValue() = default;

  // Without this a string literal would choose the bool alternative.
  explicit EncodableValue(const char* string) : super(std::string(string)) {}
  EncodableValue& operator=(const char* string) {
    super::operator=(std::string(string));
    return *this;
  }

  bool IsNull() const { return std::holds_alternative<std::monostate>(*this); }

  // Alternative number first, then the held values: signed integers and floating values
  // numerically (NaN last), strings byte-wise unsigned, lists and maps lexicographically, custom
  // values by address. Equality is exact, so a NaN equals nothing, not even itself.
  friend bool operator<(const EncodableValue& lhs, const EncodableValue& rhs) {
    if (lhs.index() != rhs.index()) {
      return lhs.index() < rhs.index();
    }
    // Same alternative, so the rhs accesses below cannot fail.
    if (const auto* number = std::get_if<double>(&lhs)) {
      return internal::FloatLess(*number, *std::get_if<double>(&rhs));
    }
    if (const auto* doubles = std::get_if<std::vector<double>>(&lhs)) {
      return internal::FloatListLess(*doubles, *std::get_if<std::vector<double>>(&rhs));
    }
    if (const auto* floats = std::get_if<std::vector<float>>(&lhs)) {
      return internal::FloatListLess(*floats, *std::get_if<std::vector<float>>(&rhs));
    }
    return static_cast<const super&>(lhs) < static_cast<const super&>(rhs);
  }
  friend bool operator==(const EncodableValue& lhs, const EncodableValue& rhs) {
    return static_cast<const super&>(lhs) == static_cast<const super&>(rhs);
  }
  friend bool operator!=(const EncodableValue& lhs, const EncodableValue& rhs) {
    return !(lhs == rhs);
  }
  friend bool operator>(const EncodableValue& lhs, const EncodableValue& rhs) { return rhs < lhs; }
  friend bool operator<=(const EncodableValue& lhs, const EncodableValue& rhs) {
    return !(rhs < lhs);
  }
  friend bool operator>=(const EncodableValue& lhs, const EncodableValue& rhs) {
    return !(lhs < rhs);
  }
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_ENCODABLE_VALUE_H_
