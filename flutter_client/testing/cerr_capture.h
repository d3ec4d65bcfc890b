// Test helper: collects what the code under test writes to standard error while it lives.
#ifndef FLUTTER_CLIENT_TESTING_CERR_CAPTURE_H_
#define FLUTTER_CLIENT_TESTING_CERR_CAPTURE_H_

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>

namespace flutter::testing {

class CerrCapture {
 public:
  CerrCapture() : previous_(std::cerr.rdbuf(buffer_.rdbuf())) {}
  ~CerrCapture() { std::cerr.rdbuf(previous_); }
  CerrCapture(const CerrCapture&) = delete;
  CerrCapture& operator=(const CerrCapture&) = delete;

  std::string Text() const { return buffer_.str(); }
  size_t Lines() const {
    const std::string text = buffer_.str();
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  }

 private:
  std::ostringstream buffer_;
  std::streambuf* previous_;
};

}  // namespace flutter::testing

#endif  // FLUTTER_CLIENT_TESTING_CERR_CAPTURE_H_
