// The one-shot reply slot behind EngineMethodResult.
#include "flutter/engine_method_result.h"

#include <iostream>

namespace flutter::internal {

ReplySlot::ReplySlot(BinaryReply reply) : reply_(std::move(reply)) {}

ReplySlot::~ReplySlot() {
  if (reply_) {
    std::cerr << "Warning: Failed to respond to a message. This is a memory leak.\n";
  }
}

void ReplySlot::SendResponseData(const std::vector<uint8_t>* data) {
  if (!reply_) {
    std::cerr << "Error: Only one of Success, Error, or NotImplemented can be called,"
              << " and it can be called exactly once. Ignoring duplicate result.\n";
    return;
  }
  // Taken out before the call so that an answer given from inside the callback counts as a
  // duplicate.
  const BinaryReply reply = std::move(reply_);
  reply_ = nullptr;
  const bool empty = data == nullptr || data->empty();
  reply(empty ? nullptr : data->data(), data == nullptr ? 0 : data->size());
}

}  // namespace flutter::internal
