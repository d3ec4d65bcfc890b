// Building the event maps.
#include "event_values.h"

#include <utility>
#include <variant>

namespace orvane_native {

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using Kind = orvane::win::InjectorEvent::Kind;

EncodableMap Named(const char* name) { return {{EncodableValue("event"), EncodableValue(name)}}; }

EncodableValue Count(std::uint64_t count) {
  return EncodableValue(static_cast<std::int64_t>(count));
}

}  // namespace

EncodableValue InjectorEventValue(const orvane::win::InjectorEvent& event) {
  EncodableMap map;
  switch (event.kind) {
    case Kind::InjectionReach:
      map = Named("injectionReach");
      map[EncodableValue("verdict")] = EncodableValue(event.text);
      break;
    case Kind::HeldInputReleased:
      map = Named("heldInputReleased");
      map[EncodableValue("reason")] = EncodableValue(event.text);
      map[EncodableValue("keys")] = Count(event.keys);
      map[EncodableValue("buttons")] = Count(event.buttons);
      map[EncodableValue("sweep")] = Count(event.sweep);
      break;
    case Kind::InputRefused:
      map = Named("inputRefused");
      map[EncodableValue("refusal")] = EncodableValue(event.text);
      break;
    case Kind::InputDiscarded:
      map = Named("inputDiscarded");
      map[EncodableValue("frames")] = Count(event.count);
      map[EncodableValue("reason")] = EncodableValue(event.text);
      break;
    case Kind::InputDropped:
      map = Named("inputDropped");
      map[EncodableValue("count")] = Count(event.count);
      break;
    case Kind::InputCollapsed:
      map = Named("inputCollapsed");
      map[EncodableValue("moves")] = Count(event.count);
      break;
    case Kind::LocalInput:
      map = Named("localInput");
      map[EncodableValue("active")] = EncodableValue(event.active);
      break;
  }
  return EncodableValue(std::move(map));
}

EncodableValue DisplaysChangedValue() { return EncodableValue(Named("displaysChanged")); }

EncodableValue EventsDroppedValue(std::uint64_t count) {
  EncodableMap map = Named("eventsDropped");
  map[EncodableValue("count")] = Count(count);
  return EncodableValue(std::move(map));
}

EncodableValue LogEventValue(const std::string& message) {
  EncodableMap map = Named("log");
  map[EncodableValue("line")] = EncodableValue(message);
  return EncodableValue(std::move(map));
}

const std::string* ReachVerdictOf(const EncodableValue& event) {
  const auto* map = std::get_if<EncodableMap>(&event);
  if (map == nullptr) return nullptr;
  const auto text = [map](const char* key) -> const std::string* {
    const auto entry = map->find(EncodableValue(key));
    return entry == map->end() ? nullptr : std::get_if<std::string>(&entry->second);
  };
  const std::string* name = text("event");
  return name != nullptr && *name == "injectionReach" ? text("verdict") : nullptr;
}

}  // namespace orvane_native
