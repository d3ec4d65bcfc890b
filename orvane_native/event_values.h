// The events the plugin sends on "orvane_native/events": maps with string keys, the "event" key
// naming the event, counts as 64-bit integers (docs/events.md).
#ifndef ORVANE_NATIVE_EVENT_VALUES_H_
#define ORVANE_NATIVE_EVENT_VALUES_H_

#include <cstdint>
#include <string>

#include "flutter/encodable_value.h"
#include "win/injector_event.h"

namespace orvane_native {

// injectionReach, heldInputReleased, inputRefused or localInput.
flutter::EncodableValue InjectorEventValue(const orvane::win::InjectorEvent& event);

// The runner's top-level window saw WM_DISPLAYCHANGE.
flutter::EncodableValue DisplaysChangedValue();

// `count` events were dropped because the platform thread did not take them in time.
flutter::EncodableValue EventsDroppedValue(std::uint64_t count);

// A log line's message (without the "[orvane_native] " prefix and the line feed).
flutter::EncodableValue LogEventValue(const std::string& message);

// The verdict an injectionReach event carries; null for any other value.
const std::string* ReachVerdictOf(const flutter::EncodableValue& event);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_EVENT_VALUES_H_
