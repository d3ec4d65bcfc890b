// Building the event maps.
#include "event_values.h"

#include <utility>

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

}  // namespace orvane_native
