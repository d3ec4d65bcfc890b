// Where a stream handler sends events to the Dart side: values, errors and the end of the stream.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_SINK_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_SINK_H_

#include <string>

#include "flutter/encodable_value.h"

namespace flutter {

// May be used any number of times while it exists, on the platform thread only. A sink does not
// know whether its stream is still listened to: stopping after a cancel is its owner's business.
template <typename T = EncodableValue>
class EventSink {
 public:
  EventSink() = default;
  virtual ~EventSink() = default;
  EventSink(const EventSink&) = delete;
  EventSink& operator=(const EventSink&) = delete;

  void Success(const T& event) { SuccessInternal(&event); }
  void Success() { SuccessInternal(nullptr); }
  void Error(const std::string& error_code, const std::string& error_message,
             const T& error_details) {
    ErrorInternal(error_code, error_message, &error_details);
  }
  void Error(const std::string& error_code, const std::string& error_message = "") {
    ErrorInternal(error_code, error_message, nullptr);
  }
  void EndOfStream() { EndOfStreamInternal(); }

 protected:
  // `event` and `error_details` are null when absent.
  virtual void SuccessInternal(const T* event) = 0;
  virtual void ErrorInternal(const std::string& error_code, const std::string& error_message,
                             const T* error_details) = 0;
  virtual void EndOfStreamInternal() = 0;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_SINK_H_
