// Tests of the computer name against what the system reports through other roads.
#include "computer_name.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "utf_conversion.h"

namespace orvane_native {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The host name as the sockets library reports it, up to any domain suffix.
std::string SocketHostName() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {};
  char name[256] = {};
  const int result = gethostname(name, sizeof(name));
  WSACleanup();
  if (result != 0) return {};
  const std::string full(name);
  return full.substr(0, full.find('.'));
}

// The NetBIOS name: the host name upper-cased and cut to MAX_COMPUTERNAME_LENGTH.
std::string NetBiosName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return Utf8FromUtf16(std::wstring_view(name, size));
}

TEST(ComputerNameTest, ReadComputerName_IsTheHostNameWithoutSuffixOrNul) {
  std::uint32_t error = 0;
  const std::optional<std::string> name = ReadComputerName(&error);
  ASSERT_TRUE(name.has_value()) << "error " << error;
  ASSERT_FALSE(name->empty());
  EXPECT_EQ(name->find('\0'), std::string::npos);
  EXPECT_EQ(name->find('.'), std::string::npos);

  const std::string socketName = SocketHostName();
  ASSERT_FALSE(socketName.empty());
  EXPECT_EQ(Upper(*name), Upper(socketName));
  EXPECT_EQ(Upper(name->substr(0, MAX_COMPUTERNAME_LENGTH)), NetBiosName());
}

}  // namespace
}  // namespace orvane_native
