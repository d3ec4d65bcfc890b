// The HID keyboard-page usage table and the lookups over it.
#include "win/hid_usage_table.h"

#include <algorithm>

namespace orvane::win {
namespace {

// Short names keep the table one row a line.
constexpr std::uint8_t kOrdinary = kDispositionOrdinary;
constexpr std::uint8_t kNoScanCode = kDispositionNoScanCode;
constexpr std::uint8_t kConsumer = kDispositionConsumer;
constexpr std::uint8_t kCapsLock = kDispositionCapsLock;
constexpr std::uint8_t kPower = kDispositionPower;
constexpr std::uint8_t kReleaseOnly = kDispositionReleaseOnly;

// Usage ids of the keys in the chords Windows reserves for itself.
constexpr std::uint16_t kUsageLetterL = 0x0F;
constexpr std::uint16_t kUsageDeleteForward = 0x4C;
constexpr std::uint16_t kUsageKeypadDelete = 0x63;

constexpr unsigned kUsagePageShift = 16;
constexpr std::uint32_t kUsageIdMask = 0xFFFF;
constexpr unsigned kScanPrefixShift = 8;
constexpr std::uint16_t kScanCodeMask = 0x00FF;

}  // namespace

// Scan ids are set-1 make codes; 0xE0 marks the extended keys (arrows, navigation block, right
// Ctrl and Alt, Windows keys). Pause has no single make code and is refused rather than faked.
constexpr std::array<HidKeyEntry, kHidUsageRowCount> HidUsageTable = {{
    {0x04, 0x001E, kOrdinary, "Keyboard A"},
    {0x05, 0x0030, kOrdinary, "Keyboard B"},
    {0x06, 0x002E, kOrdinary, "Keyboard C"},
    {0x07, 0x0020, kOrdinary, "Keyboard D"},
    {0x08, 0x0012, kOrdinary, "Keyboard E"},
    {0x09, 0x0021, kOrdinary, "Keyboard F"},
    {0x0A, 0x0022, kOrdinary, "Keyboard G"},
    {0x0B, 0x0023, kOrdinary, "Keyboard H"},
    {0x0C, 0x0017, kOrdinary, "Keyboard I"},
    {0x0D, 0x0024, kOrdinary, "Keyboard J"},
    {0x0E, 0x0025, kOrdinary, "Keyboard K"},
    {0x0F, 0x0026, kOrdinary, "Keyboard L"},
    {0x10, 0x0032, kOrdinary, "Keyboard M"},
    {0x11, 0x0031, kOrdinary, "Keyboard N"},
    {0x12, 0x0018, kOrdinary, "Keyboard O"},
    {0x13, 0x0019, kOrdinary, "Keyboard P"},
    {0x14, 0x0010, kOrdinary, "Keyboard Q"},
    {0x15, 0x0013, kOrdinary, "Keyboard R"},
    {0x16, 0x001F, kOrdinary, "Keyboard S"},
    {0x17, 0x0014, kOrdinary, "Keyboard T"},
    {0x18, 0x0016, kOrdinary, "Keyboard U"},
    {0x19, 0x002F, kOrdinary, "Keyboard V"},
    {0x1A, 0x0011, kOrdinary, "Keyboard W"},
    {0x1B, 0x002D, kOrdinary, "Keyboard X"},
    {0x1C, 0x0015, kOrdinary, "Keyboard Y"},
    {0x1D, 0x002C, kOrdinary, "Keyboard Z"},
    {0x1E, 0x0002, kOrdinary, "Keyboard 1 and Bang"},
    {0x1F, 0x0003, kOrdinary, "Keyboard 2 and At"},
    {0x20, 0x0004, kOrdinary, "Keyboard 3 And Hash"},
    {0x21, 0x0005, kOrdinary, "Keyboard 4 and Dollar"},
    {0x22, 0x0006, kOrdinary, "Keyboard 5 and Percent"},
    {0x23, 0x0007, kOrdinary, "Keyboard 6 and Caret"},
    {0x24, 0x0008, kOrdinary, "Keyboard 7 and Ampersand"},
    {0x25, 0x0009, kOrdinary, "Keyboard 8 and Star"},
    {0x26, 0x000A, kOrdinary, "Keyboard 9 and Left Bracket"},
    {0x27, 0x000B, kOrdinary, "Keyboard 0 and Right Bracket"},
    {0x28, 0x001C, kOrdinary, "Keyboard Return Enter"},
    {0x29, 0x0001, kOrdinary, "Keyboard Escape"},
    {0x2A, 0x000E, kOrdinary, "Keyboard Delete"},
    {0x2B, 0x000F, kOrdinary, "Keyboard Tab"},
    {0x2C, 0x0039, kOrdinary, "Keyboard Spacebar"},
    {0x2D, 0x000C, kOrdinary, "Keyboard Dash and Underscore"},
    {0x2E, 0x000D, kOrdinary, "Keyboard Equals and Plus"},
    {0x2F, 0x001A, kOrdinary, "Keyboard Left Brace"},
    {0x30, 0x001B, kOrdinary, "Keyboard Right Brace"},
    {0x31, 0x002B, kOrdinary, "Keyboard Backslash and Pipe"},
    {0x32, 0x002B, kOrdinary, "Keyboard Non-US Hash and Tilde"},
    {0x33, 0x0027, kOrdinary, "Keyboard SemiColon and Colon"},
    {0x34, 0x0028, kOrdinary, "Keyboard Apostrophe and Double Quotation Mark"},
    {0x35, 0x0029, kOrdinary, "Keyboard Grave Accent and Tilde"},
    {0x36, 0x0033, kOrdinary, "Keyboard Comma and LessThan"},
    {0x37, 0x0034, kOrdinary, "Keyboard Period and GreaterThan"},
    {0x38, 0x0035, kOrdinary, "Keyboard ForwardSlash and QuestionMark"},
    {0x39, 0x003A, kCapsLock, "Keyboard Caps Lock"},
    {0x3A, 0x003B, kOrdinary, "Keyboard F1"},
    {0x3B, 0x003C, kOrdinary, "Keyboard F2"},
    {0x3C, 0x003D, kOrdinary, "Keyboard F3"},
    {0x3D, 0x003E, kOrdinary, "Keyboard F4"},
    {0x3E, 0x003F, kOrdinary, "Keyboard F5"},
    {0x3F, 0x0040, kOrdinary, "Keyboard F6"},
    {0x40, 0x0041, kOrdinary, "Keyboard F7"},
    {0x41, 0x0042, kOrdinary, "Keyboard F8"},
    {0x42, 0x0043, kOrdinary, "Keyboard F9"},
    {0x43, 0x0044, kOrdinary, "Keyboard F10"},
    {0x44, 0x0057, kOrdinary, "Keyboard F11"},
    {0x45, 0x0058, kOrdinary, "Keyboard F12"},
    {0x46, 0xE037, kOrdinary, "Keyboard PrintScreen"},
    {0x47, 0x0046, kOrdinary, "Keyboard Scroll Lock"},
    {0x48, 0x0045, kNoScanCode, "Keyboard Pause"},
    {0x49, 0xE052, kOrdinary, "Keyboard Insert"},
    {0x4A, 0xE047, kOrdinary, "Keyboard Home"},
    {0x4B, 0xE049, kOrdinary, "Keyboard PageUp"},
    {0x4C, 0xE053, kOrdinary, "Keyboard Delete Forward"},
    {0x4D, 0xE04F, kOrdinary, "Keyboard End"},
    {0x4E, 0xE051, kOrdinary, "Keyboard PageDown"},
    {0x4F, 0xE04D, kOrdinary, "Keyboard RightArrow"},
    {0x50, 0xE04B, kOrdinary, "Keyboard LeftArrow"},
    {0x51, 0xE050, kOrdinary, "Keyboard DownArrow"},
    {0x52, 0xE048, kOrdinary, "Keyboard UpArrow"},
    {0x53, 0x0045, kOrdinary, "Keypad Num Lock and Clear"},
    {0x54, 0xE035, kOrdinary, "Keypad Forward Slash"},
    {0x55, 0x0037, kOrdinary, "Keypad Star"},
    {0x56, 0x004A, kOrdinary, "Keypad Dash"},
    {0x57, 0x004E, kOrdinary, "Keypad Plus"},
    {0x58, 0xE01C, kOrdinary, "Keypad ENTER"},
    {0x59, 0x004F, kOrdinary, "Keypad 1 and End"},
    {0x5A, 0x0050, kOrdinary, "Keypad 2 and Down Arrow"},
    {0x5B, 0x0051, kOrdinary, "Keypad 3 and PageDn"},
    {0x5C, 0x004B, kOrdinary, "Keypad 4 and Left Arrow"},
    {0x5D, 0x004C, kOrdinary, "Keypad 5"},
    {0x5E, 0x004D, kOrdinary, "Keypad 6 and Right Arrow"},
    {0x5F, 0x0047, kOrdinary, "Keypad 7 and Home"},
    {0x60, 0x0048, kOrdinary, "Keypad 8 and Up Arrow"},
    {0x61, 0x0049, kOrdinary, "Keypad 9 and PageUp"},
    {0x62, 0x0052, kOrdinary, "Keypad 0 and Insert"},
    {0x63, 0x0053, kOrdinary, "Keypad Period and Delete"},
    {0x64, 0x0056, kOrdinary, "Keyboard Non-US Backslash and Pipe"},
    {0x65, 0xE05D, kOrdinary, "Keyboard Application"},
    {0x66, 0xE05E, kPower, "Keyboard Power"},
    {0x67, 0x0059, kOrdinary, "Keypad Equals"},
    {0x68, 0x0064, kOrdinary, "Keyboard F13"},
    {0x69, 0x0065, kOrdinary, "Keyboard F14"},
    {0x6A, 0x0066, kOrdinary, "Keyboard F15"},
    {0x6B, 0x0067, kOrdinary, "Keyboard F16"},
    {0x6C, 0x0068, kOrdinary, "Keyboard F17"},
    {0x6D, 0x0069, kOrdinary, "Keyboard F18"},
    {0x6E, 0x006A, kOrdinary, "Keyboard F19"},
    {0x6F, 0x006B, kOrdinary, "Keyboard F20"},
    {0x70, 0x006C, kOrdinary, "Keyboard F21"},
    {0x71, 0x006D, kOrdinary, "Keyboard F22"},
    {0x72, 0x006E, kOrdinary, "Keyboard F23"},
    {0x73, 0x0076, kOrdinary, "Keyboard F24"},
    {0x7F, 0xE020, kConsumer, "Keyboard Mute (Consumer Mute)"},
    {0x80, 0xE030, kConsumer, "Keyboard Volume Up (Consumer Volume Increment)"},
    {0x81, 0xE02E, kConsumer, "Keyboard Volume Down (Consumer Volume Decrement)"},
    {0x85, 0x007E, kOrdinary, "Keypad Comma"},
    {0x87, 0x0073, kOrdinary, "Keyboard International1"},
    {0x88, 0x0070, kOrdinary, "Keyboard International2"},
    {0x89, 0x007D, kOrdinary, "Keyboard International3"},
    {0x8A, 0x0079, kOrdinary, "Keyboard International4"},
    {0x8B, 0x007B, kOrdinary, "Keyboard International5"},
    {0x8C, 0x005C, kOrdinary, "Keyboard International6"},
    {0x90, 0x0072, kReleaseOnly, "Keyboard LANG1"},
    {0x91, 0x0071, kReleaseOnly, "Keyboard LANG2"},
    {0x92, 0x0078, kOrdinary, "Keyboard LANG3"},
    {0x93, 0x0077, kOrdinary, "Keyboard LANG4"},
    {0x94, 0x0076, kOrdinary, "Keyboard LANG5"},
    {0xE0, 0x001D, kOrdinary, "Keyboard LeftControl"},
    {0xE1, 0x002A, kOrdinary, "Keyboard LeftShift"},
    {0xE2, 0x0038, kOrdinary, "Keyboard LeftAlt"},
    {0xE3, 0xE05B, kOrdinary, "Keyboard Left GUI"},
    {0xE4, 0xE01D, kOrdinary, "Keyboard RightControl"},
    {0xE5, 0x0036, kOrdinary, "Keyboard RightShift"},
    {0xE6, 0xE038, kOrdinary, "Keyboard RightAlt"},
    {0xE7, 0xE05C, kOrdinary, "Keyboard Right GUI"},
}};

namespace {

constexpr bool strictlyAscending() {
  for (std::size_t i = 1; i < HidUsageTable.size(); ++i) {
    if (HidUsageTable[i - 1].usageId >= HidUsageTable[i].usageId) return false;
  }
  return true;
}

// The binary search depends on the order; the brace list would silently zero-fill missing rows.
static_assert(strictlyAscending(), "usage ids must be strictly ascending");
static_assert(HidUsageTable.back().usageId != 0, "the table must have all its rows");

KeyLookup refused(InjectReject reject) { return KeyLookup{false, 0, reject}; }

}  // namespace

const HidKeyEntry* findHidRow(std::uint32_t usage) {
  if ((usage >> kUsagePageShift) != kKeyboardUsagePage) return nullptr;
  const auto id = static_cast<std::uint16_t>(usage & kUsageIdMask);
  const auto row = std::lower_bound(
      HidUsageTable.begin(), HidUsageTable.end(), id,
      [](const HidKeyEntry& entry, std::uint16_t wanted) { return entry.usageId < wanted; });
  if (row == HidUsageTable.end() || row->usageId != id) return nullptr;
  return &*row;
}

KeyLookup lookupUsage(std::uint32_t usage, const HidKeyEntry** row) {
  if (row != nullptr) *row = nullptr;
  if ((usage >> kUsagePageShift) != kKeyboardUsagePage) {
    return refused(InjectReject::NotKeyboardPage);
  }
  const HidKeyEntry* const entry = findHidRow(usage);
  if (entry == nullptr) return refused(InjectReject::UnmappedUsage);
  if (row != nullptr) *row = entry;
  switch (entry->disposition) {
    case kDispositionOrdinary:
    case kDispositionConsumer:
      return KeyLookup{true, entry->scanId, InjectReject::None};
    case kDispositionNoScanCode:
      return refused(InjectReject::NoInjectableScanCode);
    case kDispositionCapsLock:
      return refused(InjectReject::CapsLock);
    case kDispositionPower:
      return refused(InjectReject::PowerClass);
    case kDispositionReleaseOnly:
      return refused(InjectReject::ReleaseOnlyKey);
    default:
      return refused(InjectReject::UnmappedUsage);
  }
}

KeyLookup lookupKeyDown(std::uint32_t usage, ModifierState modifiers) {
  const KeyLookup result = lookupUsage(usage);
  if (!result.ok) return result;
  const auto id = static_cast<std::uint16_t>(usage & kUsageIdMask);
  // Windows keeps these chords for itself; injecting them is refused, not attempted.
  if (modifiers.ctrl && modifiers.alt && (id == kUsageDeleteForward || id == kUsageKeypadDelete)) {
    return refused(InjectReject::CtrlAltDel);
  }
  if (modifiers.win && id == kUsageLetterL) return refused(InjectReject::WinL);
  return result;
}

KeyLookup lookupKeyUp(std::uint32_t usage) { return lookupUsage(usage); }

ScanParts splitScanId(std::uint16_t scanId) {
  return ScanParts{static_cast<std::uint16_t>(scanId & kScanCodeMask),
                   (scanId >> kScanPrefixShift) == kExtendedScanPrefix};
}

}  // namespace orvane::win
