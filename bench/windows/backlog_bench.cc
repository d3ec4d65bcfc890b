// BacklogBench: bursts delivered on the platform thread as an engine does, timed at the hooks.
#include "bench/windows/backlog_bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "bench/windows/latency_stats.h"
#include "flutter/encodable_value.h"
#include "orvane_native/orvane_native_plugin_c_api.h"
#include "runner/method_call_client.h"

namespace orvane::bench {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

constexpr double kHoverGoal = 0.1;
constexpr double kDragGoal = 1.0;
constexpr double kReleaseGoal = 2.0;
constexpr std::int64_t kQuietMs = 500;
constexpr std::int64_t kSettleLimitMs = 120000;
constexpr std::int64_t kKeyUpLimitMs = 10000;
constexpr double kMicrosPerMilli = 1000.0;
constexpr std::size_t kReleaseRounds = 5;

std::vector<std::uint8_t> FrameCall(const char* frame) {
  const EncodableValue arguments(EncodableMap{{EncodableValue("json"), EncodableValue(frame)}});
  return runner::EncodeMethodCall("injectInput", &arguments);
}

void Say(const std::string& line) { std::cout << line << '\n' << std::flush; }

[[noreturn]] void Fail(const std::string& reason) {
  std::cerr << "input_latency_bench: " << reason << '\n';
  std::exit(1);
}

}  // namespace

BacklogBench::BacklogBench(runner::PluginHost& host, HookStamps& stamps)
    : host_(host),
      stamps_(stamps),
      channel_(ORVANE_NATIVE_METHOD_CHANNEL),
      moves_{FrameCall(R"({"t":"mm","x":0.25,"y":0.5})"),
             FrameCall(R"({"t":"mm","x":0.75,"y":0.5})")} {}

void BacklogBench::Run(std::size_t count, double floorBurstMs, double floorEventMicros) {
  const double hoverMs = MoveBurst("hover", count);
  Deliver(FrameCall(R"({"t":"md","b":0,"x":0.5,"y":0.5})"));
  const double dragMs = MoveBurst("drag", count);
  Deliver(FrameCall(R"({"t":"mu","b":0,"x":0.5,"y":0.5})"));
  // A single release is at the mercy of one slow SendInput: the median of a few rounds counts.
  std::vector<double> releases;
  for (std::size_t round = 0; round < kReleaseRounds; ++round)
    releases.push_back(ReleaseBehind(count));
  std::sort(releases.begin(), releases.end());
  const double releaseMicros = releases[releases.size() / 2];
  Say(RatioLine("burst_hover", hoverMs, floorBurstMs, kHoverGoal));
  Say(RatioLine("burst_drag", dragMs, floorBurstMs, kDragGoal));
  Say(RatioLine("release_behind_backlog", releaseMicros, floorEventMicros, kReleaseGoal));
}

void BacklogBench::Deliver(const std::vector<std::uint8_t>& message) {
  const std::uint64_t id = host_.engine().Deliver(channel_, message);
  if (id == 0 || !host_.engine().TakeReply(id)) Fail("no reply from the plugin");
}

double BacklogBench::MoveBurst(const char* name, std::size_t count) {
  std::int64_t last = 0;
  if (!stamps_.WaitForQuiet(kQuietMs, kSettleLimitMs, last)) Fail("the input never settled");
  stamps_.Clear();
  const std::int64_t start = Ticks();
  for (std::size_t i = 0; i < count; ++i) Deliver(moves_[i % 2]);
  const std::int64_t delivered = Ticks();
  if (!stamps_.WaitForQuiet(kQuietMs, kSettleLimitMs, last) || last == 0) {
    Fail(std::string("the ") + name + " burst's input never arrived");
  }
  const double drainedMs = TicksToMicros(last - start) / kMicrosPerMilli;
  char line[160];
  std::snprintf(
      line, sizeof line, "burst_%s frames=%zu drained_ms=%.1f delivered_ms=%.1f events_at_hook=%zu",
      name, count, drainedMs, TicksToMicros(delivered - start) / kMicrosPerMilli, stamps_.Count());
  Say(line);
  return drainedMs;
}

double BacklogBench::ReleaseBehind(std::size_t count) {
  std::int64_t last = 0;
  stamps_.WaitForQuiet(kQuietMs, kSettleLimitMs, last);
  const std::size_t beforeKey = stamps_.Count();
  Deliver(FrameCall(R"({"t":"kd","hid":458756})"));
  if (!stamps_.WaitForCount(beforeKey + 1, kKeyUpLimitMs)) Fail("A never went down");
  for (std::size_t i = 0; i < count; ++i) Deliver(moves_[i % 2]);
  const std::size_t seen = stamps_.Count();
  const EncodableValue reason(EncodableMap{{EncodableValue("reason"), EncodableValue("bench")}});
  const std::int64_t called = Ticks();
  if (host_.Call("releaseHeldInput", reason).kind != runner::MethodReply::Kind::Success) {
    Fail("releaseHeldInput failed");
  }
  std::int64_t keyUp = 0;
  if (!stamps_.WaitForKeyUp(seen, kKeyUpLimitMs, keyUp)) Fail("A never came up");
  const std::size_t atRelease = stamps_.Count();
  stamps_.WaitForQuiet(kQuietMs, kSettleLimitMs, last);
  const double micros = TicksToMicros(keyUp - called);
  char line[192];
  std::snprintf(line, sizeof line,
                "release_behind_backlog frames=%zu key_up_us=%.0f events_after_key_up=%zu", count,
                micros, stamps_.Count() - atRelease);
  Say(line);
  return micros;
}

}  // namespace orvane::bench
