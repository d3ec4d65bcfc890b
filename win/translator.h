// Translation of one decoded wire message into the events that realise it, with the key table,
// the pointer mapping and the held-input record. Injection thread only (the record is unlocked).
#ifndef ORVANE_WIN_TRANSLATOR_H_
#define ORVANE_WIN_TRANSLATOR_H_

#include <cstddef>

#include "win/held_input.h"
#include "win/inject_event.h"
#include "win/pointer_geometry.h"
#include "win/wire_decoder.h"

namespace orvane::win {

// How the host's buttons are set up at the moment of a button press. With Swapped (the host's
// left-handed setting, under which the system swaps injected buttons too) the controller's left
// and right buttons go down as the host's right and left, so that the controller's primary button
// stays the host's primary one. A button always comes up as the host button it went down as.
enum class ButtonLayout { Standard, Swapped };

// A text message types at most this many UTF-16 code units; a longer one is refused whole.
inline constexpr std::size_t kMaxTextUnits = 4096;

// Returns the events to inject (in order) and at most one refusal, updating held keys and
// buttons, the wheel remainders and the set of reported refusals. Never throws on any decoded
// message; allocates only the batch's event array. The caller injects the events whenever there
// are any, also when the batch carries a refusal (a repeated button-down keeps its move, a
// button-up keeps its release when the move could not be mapped). ReleaseAll gives an empty batch:
// the injector's release paths own it.
InjectBatch translateMessage(HeldInput& held, const WireMessage& message,
                             const PointerGeometry& geometry,
                             ButtonLayout layout = ButtonLayout::Standard);

// The same into a batch the caller reuses: its events are appended to what batch already holds
// (so a run of moves shares one array and allocates nothing once it has grown); its refusal and
// flags are this message's alone.
void translateInto(HeldInput& held, const WireMessage& message, const PointerGeometry& geometry,
                   ButtonLayout layout, InjectBatch& batch);

}  // namespace orvane::win

#endif  // ORVANE_WIN_TRANSLATOR_H_
