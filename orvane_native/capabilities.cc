// The getCapabilities map.
#include "capabilities.h"

#include <string>
#include <utility>
#include <vector>

#include "method_table.h"
#include "plugin_version.h"

namespace orvane_native {

namespace {

using flutter::EncodableValue;

template <typename Names>
EncodableValue NameList(const Names& names) {
  flutter::EncodableList list;
  list.reserve(names.size());
  for (const std::string_view name : names) list.emplace_back(std::string(name));
  return EncodableValue(std::move(list));
}

}  // namespace

EncodableValue CapabilitiesValue() {
  return EncodableValue(flutter::EncodableMap{
      {EncodableValue("version"), EncodableValue(std::string(kPluginVersion))},
      {EncodableValue("frameTypes"), NameList(kFrameTypes)},
      {EncodableValue("methods"), NameList(MethodNames())},
      {EncodableValue("events"), NameList(kEventNames)},
  });
}

}  // namespace orvane_native
