// The binary messenger over the embedder's messenger handle: sends to the Dart side and routes
// incoming messages to one handler per channel, answering each exactly once.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_BINARY_MESSENGER_IMPL_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_BINARY_MESSENGER_IMPL_H_

#include <map>
#include <string>

#include "flutter/binary_messenger.h"
#include "flutter/flutter_desktop_embedder.h"

namespace flutter {

// Contract:
// - Send, SetMessageHandler and destruction happen on the platform thread; the handler map has no
//   lock.
// - Each incoming message's reply may be invoked on any thread and at any later time: it keeps the
//   messenger handle alive by reference count, checks availability under the messenger lock and
//   sends at most one response (a second one prints a diagnostic and sends nothing).
// - Destruction frees the stored handlers without removing the embedder's callbacks: the embedder
//   is expected to stop calling them when it destroys the registrar.
class BinaryMessengerImpl : public BinaryMessenger {
 public:
  // `core_messenger` is not owned and must outlive this object.
  explicit BinaryMessengerImpl(FlutterDesktopMessengerRef core_messenger);
  ~BinaryMessengerImpl() override;

  BinaryMessengerImpl(const BinaryMessengerImpl&) = delete;
  BinaryMessengerImpl& operator=(const BinaryMessengerImpl&) = delete;

  void Send(const std::string& channel, const uint8_t* message, size_t message_size,
            BinaryReply reply = nullptr) const override;

  void SetMessageHandler(const std::string& channel, BinaryMessageHandler handler) override;

 private:
  FlutterDesktopMessengerRef messenger_;
  // The address of a stored handler is the embedder callback's user data, so it must stay put
  // while its entry exists: std::map never moves its nodes.
  std::map<std::string, BinaryMessageHandler> handlers_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_BINARY_MESSENGER_IMPL_H_
