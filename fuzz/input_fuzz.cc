// Fuzzes frame decoding and translation together. The held-input record lives across inputs so
// that held state builds up, and the invariants the injector relies on abort when broken. Every
// frame the quick reader takes is read by the full parser too, and the two must agree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "win/frame_members.h"
#include "win/held_input.h"
#include "win/hid_usage_table.h"
#include "win/translator.h"
#include "win/wire_decoder.h"

namespace {

using orvane::win::FrameMembers;
using orvane::win::HeldInput;
using orvane::win::InjectBatch;
using orvane::win::InjectEvent;
using orvane::win::InjectEventKind;
using orvane::win::InjectReject;
using orvane::win::WireKind;
using orvane::win::WireMessage;

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "input_fuzz invariant broken: %s\n", what);
  std::abort();
}

std::uint16_t scanIdOf(const InjectEvent& event) {
  const std::uint16_t prefix =
      (event.flags & orvane::win::kKeyExtended) != 0 ? orvane::win::kExtendedScanPrefix << 8 : 0;
  return static_cast<std::uint16_t>(prefix | event.scan);
}

bool heldAny(const std::vector<std::uint16_t>& held, std::uint16_t a, std::uint16_t b) {
  for (const std::uint16_t scanId : held) {
    if (scanId == a || scanId == b) return true;
  }
  return false;
}

// Decided from the held keys alone, independently of the translator's own bookkeeping.
bool isReservedChord(const WireMessage& message, const std::vector<std::uint16_t>& held) {
  constexpr std::uint32_t kDeleteForward = 0x0007004C;
  constexpr std::uint32_t kKeypadDelete = 0x00070063;
  constexpr std::uint32_t kLetterL = 0x0007000F;
  if (message.kind != WireKind::KeyDown) return false;
  const bool ctrl = heldAny(held, 0x001D, 0xE01D);
  const bool alt = heldAny(held, 0x0038, 0xE038);
  const bool win = heldAny(held, 0xE05B, 0xE05C);
  return (ctrl && alt && (message.hid == kDeleteForward || message.hid == kKeypadDelete)) ||
         (win && message.hid == kLetterL);
}

void checkReadersAgree(const char* data, std::size_t size) {
  FrameMembers quick;
  if (!orvane::win::readFlatFrame(data, size, quick)) return;
  FrameMembers full;
  require(orvane::win::readJsonFrame(data, size, full),
          "the parser takes what the quick reader takes");
  for (std::size_t i = 0; i < orvane::win::kMemberKeys.size(); ++i) {
    const auto& a = quick.member(static_cast<orvane::win::Member>(i));
    const auto& b = full.member(static_cast<orvane::win::Member>(i));
    require(a.type == b.type && a.boolean == b.boolean && a.text == b.text, "same members");
    require(a.number == b.number && std::signbit(a.number) == std::signbit(b.number),
            "same numbers");
  }
}

// Text holds nothing: each unit (or Enter, or Tab) goes down and comes up at once.
void checkTextBatch(const InjectBatch& batch) {
  require(batch.events.size() % 2 == 0, "text comes as downs and ups");
  for (std::size_t i = 0; i < batch.events.size(); i += 2) {
    const InjectEvent& down = batch.events[i];
    const InjectEvent& up = batch.events[i + 1];
    require(down.kind == InjectEventKind::Keyboard && down.vk == 0 && up.vk == 0,
            "text goes by unit or scan code");
    require(down.extraInfo == orvane::win::kInjectedTag && up.extraInfo == down.extraInfo,
            "text carries the tag");
    require((down.flags & orvane::win::kKeyUp) == 0 &&
                up.flags == (down.flags | orvane::win::kKeyUp) && up.scan == down.scan &&
                up.kind == down.kind,
            "each unit comes up right after it goes down");
  }
}

void checkBatch(const WireMessage& message, const InjectBatch& batch,
                const std::vector<std::uint16_t>& heldBefore, std::uint32_t buttonsBefore) {
  if (message.kind == WireKind::Text) {
    checkTextBatch(batch);
    return;
  }
  if (isReservedChord(message, heldBefore)) {
    require(batch.events.empty(), "a refused chord produces no key event");
  }
  for (const InjectEvent& event : batch.events) {
    require(event.extraInfo == orvane::win::kInjectedTag, "every event carries the tag");
    require(event.time == 0, "events carry no time");
    if (event.kind != InjectEventKind::Keyboard || orvane::win::isMaskEvent(event)) continue;
    require(event.vk == 0, "keys go by scan code");
    if ((event.flags & orvane::win::kKeyUp) != 0) {
      bool wasHeld = false;
      for (const std::uint16_t scanId : heldBefore) wasHeld = wasHeld || scanId == scanIdOf(event);
      require(wasHeld, "a key-up is produced only for a held key");
    }
  }
  if (message.kind == WireKind::KeyDown && !batch.events.empty()) {
    require(batch.reject == InjectReject::None, "a key-down is injected only when admitted");
  }
  if (message.kind == WireKind::ButtonUp && !batch.events.empty()) {
    require((buttonsBefore & (1U << static_cast<unsigned>(message.button))) != 0,
            "a button-up is produced only for a held button");
  }
  require(batch.events.size() <=
              heldBefore.size() + orvane::win::kButtonCount + orvane::win::kMaskPairSize,
          "a batch is no longer than a full release");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static HeldInput held;
  checkReadersAgree(reinterpret_cast<const char*>(data), size);
  WireMessage message;
  message.hid = 1;
  orvane::win::WireReject reject = orvane::win::WireReject::None;
  if (!orvane::win::decodeWire(reinterpret_cast<const char*>(data), size, message, &reject)) {
    require(reject != orvane::win::WireReject::None, "a refusal has a reason");
    require(message.kind == WireKind::ReleaseAll && message.hid == 1, "a refusal leaves out alone");
    return 0;
  }
  const std::vector<std::uint16_t> heldBefore = held.heldKeys;
  const std::uint32_t buttonsBefore = held.heldButtons;
  // A release-all frame goes to the record's release, as the injector routes it.
  InjectBatch batch;
  if (message.kind == WireKind::ReleaseAll) {
    batch.events = held.releaseAllEvents();
  } else {
    batch = orvane::win::translateMessage(held, message, {});
  }
  checkBatch(message, batch, heldBefore, buttonsBefore);
  return 0;
}
