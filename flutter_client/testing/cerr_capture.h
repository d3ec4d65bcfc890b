// Test helper: collects what the code under test writes to standard error while it lives.
#ifndef FLUTTER_CLIENT_TESTING_CERR_CAPTURE_H_
#define FLUTTER_CLIENT_TESTING_CERR_CAPTURE_H_

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

 private:
  std::ostringstream buffer_;
  std::streambuf* previous_;
};

}  // namespace flutter::testing

#endif  // FLUTTER_CLIENT_TESTING_CERR_CAPTURE_H_
