// What getCapabilities answers: the plugin's version and the names of the frame types, methods
// and events it supports, so a controller can negotiate before it relies on any of them.
#ifndef ORVANE_NATIVE_CAPABILITIES_H_
#define ORVANE_NATIVE_CAPABILITIES_H_

#include <array>
#include <string_view>

#include "flutter/encodable_value.h"

namespace orvane_native {

// The "t" values injectInput decodes and the "event" values the event channel carries. A type or
// event added elsewhere is added here in the same change.
inline constexpr std::array<std::string_view, 8> kFrameTypes = {"mm", "md", "mu", "wh",
                                                                "kd", "ku", "ra", "tx"};
inline constexpr std::array<std::string_view, 10> kEventNames = {
    "injectionReach",  "heldInputReleased", "inputRefused",
    "displaysChanged", "eventsDropped",     "log",
    "inputDiscarded",  "inputDropped",      "inputCollapsed",
    "localInput"};

// {"version": String, "frameTypes": [String], "methods": [String], "events": [String]}; the
// methods come from the method table. Any thread; no state.
flutter::EncodableValue CapabilitiesValue();

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_CAPABILITIES_H_
