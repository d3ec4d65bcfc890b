// Values printed back as JSON: byte lists as hex, maps as objects in the value order.
#include "runner/json_value.h"

#include <gtest/gtest.h>

namespace orvane::runner {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

TEST(ValueToJson, BytesAsHexAndMapsAsObjects) {
  const EncodableValue value(EncodableMap{
      {EncodableValue("b"), EncodableValue(std::vector<uint8_t>{0x0A, 0xFF})},
      {EncodableValue(int32_t{1}), EncodableValue(std::vector<int32_t>{1, -2})},
      {EncodableValue("n"), EncodableValue()},
  });
  EXPECT_EQ(ToLine(ValueToJson(value)), R"({"1": [1, -2], "b": "0aff", "n": null})");
}

}  // namespace
}  // namespace orvane::runner
