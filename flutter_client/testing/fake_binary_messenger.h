// Test doubles: an in-memory messenger that records what is sent and delivers messages to the
// installed handlers as the Dart side would, a plugin that runs a function when destroyed, and a
// capture of what the code under test writes to standard error while it lives.
#ifndef FLUTTER_CLIENT_TESTING_FAKE_BINARY_MESSENGER_H_
#define FLUTTER_CLIENT_TESTING_FAKE_BINARY_MESSENGER_H_

#include <cstdint>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/plugin_registrar.h"

namespace flutter::testing {

class FakeBinaryMessenger : public BinaryMessenger {
 public:
  // A sent message, or a reply to a delivered one; an empty message has nullData set.
  struct Message {
    std::string channel;
    std::vector<uint8_t> bytes;
    bool nullData;
  };

  void Send(const std::string& channel, const uint8_t* message, size_t size,
            BinaryReply /*reply*/) const override {
    sent.push_back(Record(channel, message, size));
  }

  void SetMessageHandler(const std::string& channel, BinaryMessageHandler handler) override {
    handlers.erase(channel);
    if (handler) handlers.emplace(channel, std::move(handler));
  }

  // Delivers `message` on `channel`; false when no handler is installed.
  bool Deliver(const std::string& channel, const std::vector<uint8_t>& message) {
    const auto found = handlers.find(channel);
    if (found == handlers.end()) return false;
    found->second(message.data(), message.size(),
                  [this, channel](const uint8_t* reply, size_t size) {
                    replies.push_back(Record(channel, reply, size));
                  });
    return true;
  }

  mutable std::vector<Message> sent;
  std::vector<Message> replies;  // one per delivered message, in the order they arrive
  std::map<std::string, BinaryMessageHandler> handlers;

 private:
  static Message Record(const std::string& channel, const uint8_t* data, size_t size) {
    return {channel,
            data == nullptr ? std::vector<uint8_t>() : std::vector<uint8_t>(data, data + size),
            data == nullptr};
  }
};

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

class FarewellPlugin : public Plugin {
 public:
  explicit FarewellPlugin(std::function<void()> farewell) : farewell_(std::move(farewell)) {}
  ~FarewellPlugin() override { farewell_(); }

 private:
  std::function<void()> farewell_;
};

}  // namespace flutter::testing

#endif  // FLUTTER_CLIENT_TESTING_FAKE_BINARY_MESSENGER_H_
