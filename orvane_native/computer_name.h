// The computer's name as the Dart side sees it: the physical DNS host name.
#ifndef ORVANE_NATIVE_COMPUTER_NAME_H_
#define ORVANE_NATIVE_COMPUTER_NAME_H_

#include <cstdint>
#include <optional>
#include <string>

namespace orvane_native {

// The local computer's DNS host name (ComputerNamePhysicalDnsHostname: no domain suffix, no NUL)
// as UTF-8. On failure returns no value and sets *win32Error: GetComputerNameExW's last error,
// or ERROR_INVALID_DATA (13) when the system reports a size of 0. Any thread; no state.
std::optional<std::string> ReadComputerName(std::uint32_t* win32Error);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_COMPUTER_NAME_H_
