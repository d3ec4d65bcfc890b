// The clipboard bridge: change counter, private-aware text read, text write.
#include "clipboard.h"

#include <cstring>

#include "utf_conversion.h"

namespace orvane_native {

namespace {

// Presence alone marks the content as not to be monitored; its data is never read.
constexpr wchar_t kExcludeFromMonitorFormat[] = L"ExcludeClipboardContentFromMonitorProcessing";
// A 32-bit value; 0 marks the content as not to be kept in the clipboard history.
constexpr wchar_t kHistoryFormat[] = L"CanIncludeInClipboardHistory";
constexpr std::uint32_t kHistoryForbidden = 0;

// Holds the clipboard open for one call.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;

  bool isOpen() const { return open_; }

 private:
  const bool open_;
};

// Keeps a global memory block locked while in scope.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~GlobalLockScope() {
    if (data_ != nullptr) GlobalUnlock(block_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;

  void* data() const { return data_; }

 private:
  const HGLOBAL block_;
  void* const data_;
};

// Owns a global memory block until the clipboard takes it over.
class OwnedGlobalBlock {
 public:
  explicit OwnedGlobalBlock(HGLOBAL block) : block_(block) {}
  ~OwnedGlobalBlock() {
    if (block_ != nullptr) GlobalFree(block_);
  }
  OwnedGlobalBlock(const OwnedGlobalBlock&) = delete;
  OwnedGlobalBlock& operator=(const OwnedGlobalBlock&) = delete;

  HGLOBAL get() const { return block_; }
  void release() { block_ = nullptr; }

 private:
  HGLOBAL block_;
};

ServiceError BusyError() { return ServiceError{kClipboardBusyCode, kClipboardBusyMessage, {}}; }

// True when the content's owner asked that it be neither monitored nor kept in the history.
// The clipboard must be open.
// A format id of 0 (failed registration) matches no data.
bool IsMarkedPrivate(UINT excludeFormat, UINT historyFormat) {
  if (IsClipboardFormatAvailable(excludeFormat)) return true;
  if (!IsClipboardFormatAvailable(historyFormat)) return false;
  const HANDLE marker = GetClipboardData(historyFormat);
  if (marker == nullptr || GlobalSize(marker) < sizeof(std::uint32_t)) return false;
  const GlobalLockScope lock(marker);
  if (lock.data() == nullptr) return false;
  std::uint32_t value = 0;
  std::memcpy(&value, lock.data(), sizeof(value));
  return value == kHistoryForbidden;
}

// The CF_UNICODETEXT content up to its first NUL, or no value. The clipboard must be open.
std::optional<std::string> ReadUnicodeText() {
  const HANDLE block = GetClipboardData(CF_UNICODETEXT);
  if (block == nullptr) return std::nullopt;
  const GlobalLockScope lock(block);
  if (lock.data() == nullptr) return std::nullopt;
  // Bounded by the block's size so text without its NUL cannot run past the block.
  const std::wstring_view units(static_cast<const wchar_t*>(lock.data()),
                                GlobalSize(block) / sizeof(wchar_t));
  return Utf8FromUtf16(units.substr(0, units.find(L'\0')));
}

// Puts the text and a NUL unit on the opened, emptied clipboard. The Win32 error of the step that
// failed, or no value on success.
std::optional<DWORD> PutUnicodeText(std::wstring_view utf16) {
  const std::size_t bytes = (utf16.size() + 1) * sizeof(wchar_t);
  OwnedGlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (block.get() == nullptr) return GetLastError();
  {
    const GlobalLockScope lock(block.get());
    if (lock.data() == nullptr) return GetLastError();
    auto* units = static_cast<wchar_t*>(lock.data());
    std::memcpy(units, utf16.data(), utf16.size() * sizeof(wchar_t));
    units[utf16.size()] = L'\0';
  }
  if (SetClipboardData(CF_UNICODETEXT, block.get()) == nullptr) return GetLastError();
  // The system owns the block from here on.
  block.release();
  return std::nullopt;
}

}  // namespace

std::int64_t ClipboardChangeCount() {
  return static_cast<std::int64_t>(GetClipboardSequenceNumber());
}

ClipboardReadResult ClipboardRead(HWND ownerWindow) {
  const UINT excludeFormat = RegisterClipboardFormatW(kExcludeFromMonitorFormat);
  const UINT historyFormat = RegisterClipboardFormatW(kHistoryFormat);
  const ClipboardScope clipboard(ownerWindow);
  if (!clipboard.isOpen()) return ClipboardReadResult{BusyError(), std::nullopt, false};
  if (IsMarkedPrivate(excludeFormat, historyFormat)) {
    return ClipboardReadResult{std::nullopt, std::nullopt, true};
  }
  return ClipboardReadResult{std::nullopt, ReadUnicodeText(), false};
}

std::optional<ServiceError> ClipboardWrite(HWND ownerWindow, std::string_view text) {
  const std::wstring utf16 = Utf16FromUtf8(text);
  const ClipboardScope clipboard(ownerWindow);
  if (!clipboard.isOpen()) return BusyError();
  // From here on the previous content is gone, whatever happens next.
  EmptyClipboard();
  const std::optional<DWORD> failure = PutUnicodeText(utf16);
  if (!failure) return std::nullopt;
  return ServiceError{kClipboardWriteFailedCode, kClipboardWriteFailedMessage, *failure};
}

}  // namespace orvane_native
