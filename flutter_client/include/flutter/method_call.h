// One call from the Dart side: a method name and its optional arguments.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_CALL_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_CALL_H_

#include <memory>
#include <string>
#include <utility>

#include "flutter/encodable_value.h"

namespace flutter {

// A call decoded from the wire always has arguments, holding null when the caller sent none.
template <typename T = EncodableValue>
class MethodCall {
 public:
  MethodCall(const std::string& method_name, std::unique_ptr<T> arguments)
      : method_name_(method_name), arguments_(std::move(arguments)) {}
  virtual ~MethodCall() = default;
  MethodCall(const MethodCall&) = delete;
  MethodCall& operator=(const MethodCall&) = delete;

  const std::string& method_name() const { return method_name_; }
  // Null when the call carries no arguments.
  const T* arguments() const { return arguments_.get(); }

 private:
  std::string method_name_;
  std::unique_ptr<T> arguments_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_CALL_H_
