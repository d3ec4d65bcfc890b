// Tests of the computer name against the host name the sockets library reports.
#include "computer_name.h"

#include <gtest/gtest.h>
#include <winsock2.h>

namespace orvane_native {
namespace {

// Learned without GetComputerNameExW; cut at any domain suffix.
std::string SocketHostName() {
  constexpr int kNameBytes = 256;
  char name[kNameBytes] = {};
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {};
  const bool ok = gethostname(name, kNameBytes) == 0;
  WSACleanup();
  const std::string full = ok ? name : "";
  return full.substr(0, full.find('.'));
}

TEST(ComputerNameTest, ReadComputerName_IsTheHostNameWithoutSuffixOrNul) {
  std::uint32_t error = 0;
  const std::optional<std::string> name = ReadComputerName(&error);
  ASSERT_TRUE(name.has_value()) << "error " << error;
  EXPECT_FALSE(name->empty());
  EXPECT_EQ(name->find('\0'), std::string::npos);
  EXPECT_EQ(*name, SocketHostName());
}

}  // namespace
}  // namespace orvane_native
