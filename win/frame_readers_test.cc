#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "win/frame_members.h"

namespace orvane::win {
namespace {

bool sameMembers(const FrameMembers& a, const FrameMembers& b) {
  for (std::size_t i = 0; i < kMemberKeys.size(); ++i) {
    const MemberValue& x = a.member(static_cast<Member>(i));
    const MemberValue& y = b.member(static_cast<Member>(i));
    if (x.type != y.type || x.boolean != y.boolean || x.text != y.text) return false;
    if (x.number != y.number || std::signbit(x.number) != std::signbit(y.number)) return false;
  }
  return true;
}

// The quick reader must take the frames controllers send, and whatever it takes it must read as
// the full parser does; what it declines, the full parser decides.
TEST(FrameReaders, TheQuickReaderReadsWhatItTakesAsTheParserDoes) {
  struct Case {
    std::string frame;
    bool quick;
  };
  const std::vector<Case> cases = {
      {R"({"t":"mm","x":0.5,"y":0.25})", true},
      {R"({"t":"md","b":3,"x":1,"y":0})", true},
      {R"({"t":"wh","dx":-120,"dy":1.5e2})", true},
      {R"({"t":"kd","hid":458756,"r":true})", true},
      {R"({"t":"ku","hid":458756,"r":false,"x":null})", true},
      {R"({"t":"tx","s":"Hello, world!"})", true},
      {" {\t\"t\" :\r\n\"ra\" } \n", true},
      {"{}", true},
      {R"({"t":"mm","x":-0,"y":-0.0,"t":"ra","x":1})", true},
      {R"({"b":18446744073709551616,"hid":9223372036854775807,"dx":1E-5,"dy":-1e+2})", true},
      {R"({"x":1e-400,"y":1e400})", false},
      {R"({"t":"tx","s":"\u00fc"})", false},
      {"{\"t\":\"tx\",\"s\":\"\xC3\xBC\"}", false},
      {R"({"t":"mm","x":[0],"y":{}})", false},
      {"\xEF\xBB\xBF{\"t\":\"ra\"}", false},
      {R"({"x":01})", false},
      {R"({"x":.5})", false},
      {R"({"x":1.})", false},
      {R"({"x":+1})", false},
      {R"({"x":1e})", false},
      {R"({"x":-})", false},
      {R"({"x":tru})", false},
      {R"({"x":0,})", false},
      {R"({"x":0}})", false},
      {R"({"x" 0})", false},
      {R"({"t":"ra"} [])", false},
      {"[1]", false},
      {"{", false},
  };
  for (const Case& c : cases) {
    FrameMembers quick;
    const bool taken = readFlatFrame(c.frame.data(), c.frame.size(), quick);
    EXPECT_EQ(taken, c.quick) << c.frame;
    if (!taken) continue;
    FrameMembers full;
    EXPECT_TRUE(readJsonFrame(c.frame.data(), c.frame.size(), full)) << c.frame;
    EXPECT_TRUE(sameMembers(quick, full)) << c.frame;
  }
}

}  // namespace
}  // namespace orvane::win
