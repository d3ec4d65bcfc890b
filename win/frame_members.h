// The top-level members of an input frame that the decoder's rules read, as two readers collect
// them: a quick one for the flat frames controllers send, and the full JSON parser for the rest.
#ifndef ORVANE_WIN_FRAME_MEMBERS_H_
#define ORVANE_WIN_FRAME_MEMBERS_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::win {

enum class Member : std::size_t { T, X, Y, B, Dx, Dy, Hid, R, S, Count };

inline constexpr std::array<std::string_view, static_cast<std::size_t>(Member::Count)> kMemberKeys =
    {"t", "x", "y", "b", "dx", "dy", "hid", "r", "s"};

// A member's value reduced to what the rules distinguish.
struct MemberValue {
  enum class Type { Absent, Number, Boolean, Null, String, Other };
  Type type = Type::Absent;
  double number = 0.0;
  bool boolean = false;
  std::string text;
};

// The first occurrence of each member. Other members are never looked at, so whether a later
// duplicate of one of them is dropped cannot change a result.
class FrameMembers {
 public:
  // The slot for a top-level member's value; null when no rule reads the key, or when an earlier
  // member had the same key (the first occurrence counts, later ones are dropped).
  MemberValue* firstOccurrence(std::string_view name) {
    for (std::size_t i = 0; i < kMemberKeys.size(); ++i) {
      // Length and first byte first: most keys are told apart without a full comparison.
      const std::string_view key = kMemberKeys[i];
      if (key.size() != name.size() || key.front() != name.front() || key != name) continue;
      if (seen_[i]) return nullptr;
      seen_[i] = true;
      return &members_[i];
    }
    return nullptr;
  }

  const MemberValue& member(Member which) const {
    return members_[static_cast<std::size_t>(which)];
  }

 private:
  std::array<bool, kMemberKeys.size()> seen_{};
  std::array<MemberValue, kMemberKeys.size()> members_{};
};

// Reads a frame whose root is an object of plain members: keys and string values of printable
// ASCII without escapes, numbers, true, false and null, with JSON's white space. Returns false,
// leaving members partly filled, for any other text; the full reader then decides, so this one
// never refuses a frame the full reader would accept, and reads what it accepts as that one does.
bool readFlatFrame(const char* data, std::size_t size, FrameMembers& members);

// Reads any frame with the full JSON parser (strict: one value, nothing after it). Returns true
// when the text is JSON and its root an object.
bool readJsonFrame(const char* data, std::size_t size, FrameMembers& members);

}  // namespace orvane::win

#endif  // ORVANE_WIN_FRAME_MEMBERS_H_
