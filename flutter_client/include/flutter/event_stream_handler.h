// How an event channel tells its owner that the Dart side starts or stops listening.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_STREAM_HANDLER_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_STREAM_HANDLER_H_

#include <memory>
#include <string>
#include <utility>

#include "flutter/encodable_value.h"
#include "flutter/event_sink.h"

namespace flutter {

// The error a stream handler reports; it reaches the Dart side as an error envelope.
template <typename T = EncodableValue>
struct StreamHandlerError {
  StreamHandlerError(const std::string& code, const std::string& message,
                     std::unique_ptr<T> details)
      : error_code(code), error_message(message), error_details(std::move(details)) {}

  const std::string error_code;
  const std::string error_message;
  const std::unique_ptr<T> error_details;  // null when absent
};

// Listen and cancel run on the platform thread; each returns null on success.
template <typename T = EncodableValue>
class StreamHandler {
 public:
  StreamHandler() = default;
  virtual ~StreamHandler() = default;
  StreamHandler(const StreamHandler&) = delete;
  StreamHandler& operator=(const StreamHandler&) = delete;

  // `arguments` may be null; the handler owns `events` from now on.
  std::unique_ptr<StreamHandlerError<T>> OnListen(const T* arguments,
                                                  std::unique_ptr<EventSink<T>>&& events) {
    return OnListenInternal(arguments, std::move(events));
  }
  // `arguments` may be null.
  std::unique_ptr<StreamHandlerError<T>> OnCancel(const T* arguments) {
    return OnCancelInternal(arguments);
  }

 protected:
  virtual std::unique_ptr<StreamHandlerError<T>> OnListenInternal(
      const T* arguments, std::unique_ptr<EventSink<T>>&& events) = 0;
  virtual std::unique_ptr<StreamHandlerError<T>> OnCancelInternal(const T* arguments) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_STREAM_HANDLER_H_
