// The byte-level road between the plugin and the Dart side: send messages on a named channel and
// route incoming ones to one handler per channel.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_BINARY_MESSENGER_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_BINARY_MESSENGER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace flutter {

// Answers one incoming message, or receives the answer to an outgoing one. A null pointer with
// length 0 is an empty reply. May be called on any thread.
using BinaryReply = std::function<void(const uint8_t* reply, size_t reply_size)>;

// Handles one incoming message on a channel; it is given the reply by value and may keep or copy
// it to answer later.
using BinaryMessageHandler =
    std::function<void(const uint8_t* message, size_t message_size, BinaryReply reply)>;

class BinaryMessenger {
 public:
  virtual ~BinaryMessenger() = default;

  // Sends a message on `channel`; `reply`, when given, is called once with the answer.
  virtual void Send(const std::string& channel, const uint8_t* message, size_t message_size,
                    BinaryReply reply = nullptr) const = 0;

  // Installs `handler` for `channel`, replacing any earlier one; an empty handler removes it.
  // Platform thread only.
  virtual void SetMessageHandler(const std::string& channel, BinaryMessageHandler handler) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_BINARY_MESSENGER_H_
