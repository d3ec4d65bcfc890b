// The full reader of input frames: the JSON parser's events, without building a document.
#include <nlohmann/json.hpp>
#include <string>

#include "win/frame_members.h"

namespace orvane::win {
namespace {

using Json = nlohmann::json;

// Frames arrive at input rate, and a tree per frame costs more than the whole rest of decoding.
class FrameReader : public nlohmann::json_sax<Json> {
 public:
  explicit FrameReader(FrameMembers& members) : members_(members) {}

  bool null() override {
    record(MemberValue::Type::Null);
    return true;
  }
  bool boolean(bool flag) override {
    if (MemberValue* const slot = record(MemberValue::Type::Boolean)) slot->boolean = flag;
    return true;
  }
  bool number_integer(number_integer_t number) override {
    return recordNumber(static_cast<double>(number));
  }
  bool number_unsigned(number_unsigned_t number) override {
    return recordNumber(static_cast<double>(number));
  }
  bool number_float(number_float_t number, const string_t& /*literal*/) override {
    return recordNumber(number);
  }
  bool string(string_t& text) override {
    if (MemberValue* const slot = record(MemberValue::Type::String)) slot->text = text;
    return true;
  }
  bool binary(binary_t& /*bytes*/) override {
    record(MemberValue::Type::Other);
    return true;
  }
  bool start_object(std::size_t /*elements*/) override {
    if (depth_ == 0) rootIsObject_ = true;
    record(MemberValue::Type::Other);
    ++depth_;
    return true;
  }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t /*elements*/) override {
    record(MemberValue::Type::Other);
    ++depth_;
    return true;
  }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool key(string_t& name) override {
    if (depth_ == kTopLevelMemberDepth) current_ = members_.firstOccurrence(name);
    return true;
  }
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& /*error*/) override {
    return false;
  }

  bool rootIsObject() const { return rootIsObject_; }

 private:
  static constexpr int kTopLevelMemberDepth = 1;

  // Notes the type of a value; returns its slot when it is a top-level member a rule reads.
  // Values nested inside others never have one.
  MemberValue* record(MemberValue::Type type) {
    if (depth_ != kTopLevelMemberDepth || current_ == nullptr) return nullptr;
    current_->type = type;
    return current_;
  }

  bool recordNumber(double number) {
    if (MemberValue* const slot = record(MemberValue::Type::Number)) slot->number = number;
    return true;
  }

  FrameMembers& members_;
  int depth_ = 0;
  bool rootIsObject_ = false;
  MemberValue* current_ = nullptr;
};

}  // namespace

bool readJsonFrame(const char* data, std::size_t size, FrameMembers& members) {
  FrameReader reader(members);
  const bool parsed = Json::sax_parse(data, data + size, &reader, Json::input_format_t::json,
                                      /*strict=*/true, /*ignore_comments=*/false);
  return parsed && reader.rootIsObject();
}

}  // namespace orvane::win
