// Tests of the diagnostic log's line format, as written to the standard error stream.
#include "log.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane_native/testing/stderr_capture.h"

namespace orvane_native {
namespace {

TEST(LogTest, Log_WritesPrefixMessageAndOneLineFeed) {
  struct Case {
    std::string message;
    std::string line;
  };
  const Case cases[] = {
      {"", "[orvane_native] \n"},
      {"input: released 2 keys", "[orvane_native] input: released 2 keys\n"},
      {"already ends\n", "[orvane_native] already ends\n\n"},
      {"control\tbytes\r\nkept", "[orvane_native] control\tbytes\r\nkept\n"},
      {"caf\xC3\xA9 \xF0\x9F\x98\x80", "[orvane_native] caf\xC3\xA9 \xF0\x9F\x98\x80\n"},
      // Both outputs take a NUL-terminated string, so the line ends at the NUL.
      {std::string("cut\0here", 8), "[orvane_native] cut"},
  };
  for (const Case& c : cases) {
    testing::StderrCapture capture;
    Log(c.message);
    EXPECT_EQ(capture.Take(), c.line) << "message: " << c.message;
  }
}

}  // namespace
}  // namespace orvane_native
