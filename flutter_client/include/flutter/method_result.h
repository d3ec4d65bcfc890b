// The handler's means of answering one method call: success, error or not implemented.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_RESULT_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_RESULT_H_

#include <string>

#include "flutter/encodable_value.h"

namespace flutter {

// Exactly one of Success, Error or NotImplemented may be called, once. A result may be answered
// on any thread, also after the handler has returned, but not from two threads at once.
template <typename T = EncodableValue>
class MethodResult {
 public:
  MethodResult() = default;
  virtual ~MethodResult() = default;
  MethodResult(const MethodResult&) = delete;
  MethodResult& operator=(const MethodResult&) = delete;

  void Success(const T& result) { SuccessInternal(&result); }
  void Success() { SuccessInternal(nullptr); }
  void Error(const std::string& error_code, const std::string& error_message,
             const T& error_details) {
    ErrorInternal(error_code, error_message, &error_details);
  }
  void Error(const std::string& error_code, const std::string& error_message = "") {
    ErrorInternal(error_code, error_message, nullptr);
  }
  void NotImplemented() { NotImplementedInternal(); }

 protected:
  // `result` and `error_details` are null when absent.
  virtual void SuccessInternal(const T* result) = 0;
  virtual void ErrorInternal(const std::string& error_code, const std::string& error_message,
                             const T* error_details) = 0;
  virtual void NotImplementedInternal() = 0;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_RESULT_H_
