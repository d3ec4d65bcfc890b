// The event relay on a real dispatcher: one drain task at a time, lost wakes, and closing.
#include "event_relay.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orvane_native {
namespace {

TEST(EventRelayTest, Post_OneDrainTaskSurvivesALostWakeAndCloseDropsEverything) {
  PlatformThreadDispatcher dispatcher;
  const HWND window = dispatcher.window();
  ASSERT_NE(window, nullptr) << "error " << dispatcher.creationError();
  std::string delivered;
  const auto relay = std::make_shared<EventRelay>(
      dispatcher,
      [&](const flutter::EncodableValue& event) { delivered += std::get<std::string>(event); });
  constexpr UINT kWake = PlatformThreadDispatcher::kWakeMessage;
  MSG message{};
  relay->Post(flutter::EncodableValue("a"));
  // The drain task's own wake is taken undispatched; the next post's wake must still run it.
  ASSERT_TRUE(PeekMessageW(&message, window, kWake, kWake, PM_REMOVE));
  relay->Post(flutter::EncodableValue("b"));
  ASSERT_TRUE(PeekMessageW(&message, window, kWake, kWake, PM_REMOVE));
  DispatchMessageW(&message);
  EXPECT_EQ(delivered, "ab");
  relay->Post(flutter::EncodableValue("c"));
  relay->Close();
  relay->Post(flutter::EncodableValue("d"));
  while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  relay->DeliverPending();
  EXPECT_EQ(delivered, "ab");
}

}  // namespace
}  // namespace orvane_native
