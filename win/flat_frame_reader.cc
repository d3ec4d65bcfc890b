// The quick reader of input frames. Controllers send flat objects of a few short members; reading
// those without the general parser's machinery keeps a steady frame's decoding well under the
// cost of parsing it. Anything it is not sure of goes to the full reader.
#include <charconv>
#include <string_view>
#include <system_error>

#include "win/frame_members.h"

namespace orvane::win {
namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

class FlatReader {
 public:
  FlatReader(const char* data, std::size_t size) : at_(data), end_(data + size) {}

  bool read(FrameMembers& members) {
    skipSpace();
    if (!take('{')) return false;
    skipSpace();
    if (take('}')) return atEnd();
    for (;;) {
      std::string_view name;
      if (!readString(name)) return false;
      skipSpace();
      if (!take(':')) return false;
      skipSpace();
      if (!readValue(members.firstOccurrence(name))) return false;
      skipSpace();
      if (take('}')) return atEnd();
      if (!take(',')) return false;
      skipSpace();
    }
  }

 private:
  bool more() const { return at_ != end_; }

  void skipSpace() {
    while (more() && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
  }

  bool take(char c) {
    if (!more() || *at_ != c) return false;
    ++at_;
    return true;
  }

  // Only white space may follow the root object.
  bool atEnd() {
    skipSpace();
    return !more();
  }

  // A string of printable ASCII without escapes; the view points into the frame.
  bool readString(std::string_view& text) {
    if (!take('"')) return false;
    const char* const start = at_;
    for (; more(); ++at_) {
      const auto c = static_cast<unsigned char>(*at_);
      if (c == '"') {
        text = std::string_view(start, static_cast<std::size_t>(at_ - start));
        ++at_;
        return true;
      }
      if (c < kFirstPrintable || c > kLastPrintable || c == '\\') return false;
    }
    return false;
  }

  bool readWord(std::string_view word) {
    if (static_cast<std::size_t>(end_ - at_) < word.size() ||
        std::string_view(at_, word.size()) != word) {
      return false;
    }
    at_ += word.size();
    return true;
  }

  bool readDigits() {
    if (!more() || !isDigit(*at_)) return false;
    while (more() && isDigit(*at_)) ++at_;
    return true;
  }

  // A number in JSON's grammar, to the nearest double as the full parser's conversion gives it.
  bool readNumber(double& number) {
    const char* const start = at_;
    take('-');
    if (!take('0') && !readDigits()) return false;
    bool whole = true;
    if (take('.')) {
      whole = false;
      if (!readDigits()) return false;
    }
    if (take('e') || take('E')) {
      whole = false;
      if (!take('+')) take('-');
      if (!readDigits()) return false;
    }
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(start, at_, value);
    if (result.ec != std::errc() || result.ptr != at_) return false;
    // The full parser reads a whole number as an integer, so minus zero arrives as zero.
    number = whole && value == 0.0 ? 0.0 : value;
    return true;
  }

  // Reads one value; a slot, when given, receives it.
  bool readValue(MemberValue* slot) {
    if (!more()) return false;
    switch (*at_) {
      case '"': {
        std::string_view text;
        if (!readString(text)) return false;
        if (slot != nullptr) {
          slot->type = MemberValue::Type::String;
          slot->text.assign(text.data(), text.size());
        }
        return true;
      }
      case 't':
      case 'f': {
        const bool flag = *at_ == 't';
        if (!readWord(flag ? "true" : "false")) return false;
        if (slot != nullptr) {
          slot->type = MemberValue::Type::Boolean;
          slot->boolean = flag;
        }
        return true;
      }
      case 'n':
        if (!readWord("null")) return false;
        if (slot != nullptr) slot->type = MemberValue::Type::Null;
        return true;
      default: {
        double number = 0.0;
        if (!readNumber(number)) return false;
        if (slot != nullptr) {
          slot->type = MemberValue::Type::Number;
          slot->number = number;
        }
        return true;
      }
    }
  }

  const char* at_;
  const char* const end_;
};

}  // namespace

bool readFlatFrame(const char* data, std::size_t size, FrameMembers& members) {
  return FlatReader(data, size).read(members);
}

}  // namespace orvane::win
