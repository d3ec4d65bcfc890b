// The event relay on a real dispatcher: a lost wake strands nothing; a closed relay drops all.
#include "event_relay.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orvane_native {
namespace {

TEST(EventRelayTest, Post_OneDrainTaskSurvivesALostWakeAndCloseDropsEverything) {
  PlatformThreadDispatcher dispatcher;
  std::string got;
  const auto relay = std::make_shared<EventRelay>(
      dispatcher,
      [&](const flutter::EncodableValue& event) { got += std::get<std::string>(event); });
  MSG message{};
  const auto post = [&](const char* event) { relay->Post(flutter::EncodableValue(event)); };
  const auto takeWake = [&] {
    return PeekMessageW(&message, dispatcher.window(), 0, 0, PM_REMOVE);
  };
  post("a");
  ASSERT_TRUE(takeWake());  // taken undispatched, as a modal loop may
  post("b");
  ASSERT_TRUE(takeWake());
  DispatchMessageW(&message);
  post("c");
  relay->Close();
  post("d");
  while (takeWake()) DispatchMessageW(&message);
  EXPECT_EQ(got, "ab");
}

}  // namespace
}  // namespace orvane_native
