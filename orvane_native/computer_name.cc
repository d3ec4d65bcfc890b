// The computer's physical DNS host name, read with GetComputerNameExW.
#include "computer_name.h"

#include <windows.h>

#include <string_view>

#include "utf_conversion.h"

namespace orvane_native {

std::optional<std::string> ReadComputerName(std::uint32_t* win32Error) {
  // Ask for the size first; the reported size counts the terminating NUL.
  DWORD size = 0;
  if (!GetComputerNameExW(ComputerNamePhysicalDnsHostname, nullptr, &size)) {
    const DWORD error = GetLastError();
    if (error != ERROR_MORE_DATA) {
      *win32Error = error;
      return std::nullopt;
    }
  }
  if (size == 0) {
    *win32Error = ERROR_INVALID_DATA;
    return std::nullopt;
  }
  std::wstring buffer(size, L'\0');
  if (!GetComputerNameExW(ComputerNamePhysicalDnsHostname, buffer.data(), &size)) {
    *win32Error = GetLastError();
    return std::nullopt;
  }
  // On success size holds the number of units written, without the NUL.
  const std::size_t length = size < buffer.size() ? size : buffer.size();
  return Utf8FromUtf16(std::wstring_view(buffer.data(), length));
}

}  // namespace orvane_native
