// How a host service reports a failure that the method surface answers with an error reply.
#ifndef ORVANE_NATIVE_SERVICE_ERROR_H_
#define ORVANE_NATIVE_SERVICE_ERROR_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane_native {

// An error reply ready to send: code and message are fixed texts with static storage; win32Error,
// when present, goes into the reply's details as a 64-bit integer (never negative), and when
// absent the reply carries no details.
struct ServiceError {
  std::string_view code;
  std::string_view message;
  std::optional<std::uint32_t> win32Error;
};

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_SERVICE_ERROR_H_
