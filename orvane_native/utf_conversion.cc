// UTF-8 <-> UTF-16 through the system's code-page conversions.
#include "utf_conversion.h"

#include <windows.h>

#include <limits>

namespace orvane_native {

namespace {

// Flags 0: ill-formed input becomes U+FFFD instead of failing the conversion.
constexpr DWORD kConversionFlags = 0;

bool FitsWin32Length(std::size_t length) {
  return length <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

}  // namespace

std::string Utf8FromUtf16(std::wstring_view utf16) {
  if (utf16.empty() || !FitsWin32Length(utf16.size())) return {};
  const int inputLength = static_cast<int>(utf16.size());
  const int outputLength = WideCharToMultiByte(CP_UTF8, kConversionFlags, utf16.data(), inputLength,
                                               nullptr, 0, nullptr, nullptr);
  if (outputLength <= 0) return {};
  std::string utf8(static_cast<std::size_t>(outputLength), '\0');
  if (WideCharToMultiByte(CP_UTF8, kConversionFlags, utf16.data(), inputLength, utf8.data(),
                          outputLength, nullptr, nullptr) != outputLength) {
    return {};
  }
  return utf8;
}

std::wstring Utf16FromUtf8(std::string_view utf8) {
  if (utf8.empty() || !FitsWin32Length(utf8.size())) return {};
  const int inputLength = static_cast<int>(utf8.size());
  const int outputLength =
      MultiByteToWideChar(CP_UTF8, kConversionFlags, utf8.data(), inputLength, nullptr, 0);
  if (outputLength <= 0) return {};
  std::wstring utf16(static_cast<std::size_t>(outputLength), L'\0');
  if (MultiByteToWideChar(CP_UTF8, kConversionFlags, utf8.data(), inputLength, utf16.data(),
                          outputLength) != outputLength) {
    return {};
  }
  return utf16;
}

}  // namespace orvane_native
