// The input path's latency through the real plugin DLL: injectInput delivered through the embedder
// stand-in on the platform thread until the event reaches the system (a low-level hook), against
// the same events sent with SendInput from a plain thread of this process; the platform thread's
// cost per call; and bursts of frames back to back (backlog_bench.h). Prints plain `key=value`
// lines.
//
//   input_latency_bench [SAMPLES [BURST]]   defaults 2000 and 10000
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/windows/backlog_bench.h"
#include "bench/windows/handoff_worker.h"
#include "bench/windows/hook_stamps.h"
#include "bench/windows/latency_stats.h"
#include "flutter/encodable_value.h"
#include "orvane_native/orvane_native_plugin_c_api.h"
#include "runner/message_loop.h"
#include "runner/method_call_client.h"
#include "runner/plugin_host.h"

namespace orvane::bench {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

constexpr std::size_t kDefaultSamples = 2000;
constexpr std::size_t kDefaultBurst = 10000;
// Plugin and floor samples alternate in blocks this long, so a change in the machine's load
// falls on both.
constexpr std::size_t kBlock = 250;
constexpr std::size_t kWarmUp = 100;
constexpr std::size_t kMetricsCalls = 1000;
constexpr std::size_t kBurstRounds = 2;
constexpr std::int64_t kEventLimitMs = 2000;
constexpr std::int64_t kBurstLimitMs = 120000;
constexpr double kMicrosPerMilli = 1000.0;
constexpr double kMicrosPerSecond = 1e6;
// Goals, as ratios to the floor measured in the same run.
constexpr double kLatencyP50Goal = 1.5;
constexpr double kLatencyP99Goal = 2.0;
constexpr double kPlatformCostGoal = 3.0;
constexpr double kHandoffP50Goal = 1.15;
constexpr double kHandoffP99Goal = 1.5;
// The plugin's tag on injected input, so the floor's events look like the plugin's.
constexpr ULONG_PTR kInjectedTag = 0x4F52564E;

// Pointer positions, as fractions of the screen and as absolute coordinates; every event goes to
// the other one, so none is a move to where the pointer already is.
constexpr double kPositions[] = {0.25, 0.75};
constexpr double kCentre = 0.5;
constexpr double kAbsoluteMax = 65535.0;

void Say(const std::string& line) { std::cout << line << '\n' << std::flush; }

[[noreturn]] void Fail(const std::string& reason) {
  std::cerr << "input_latency_bench: " << reason << '\n';
  std::exit(1);
}

std::vector<std::uint8_t> FrameCall(double x) {
  char frame[64];
  std::snprintf(frame, sizeof frame, R"({"t":"mm","x":%.2f,"y":%.2f})", x, kCentre);
  const EncodableValue arguments(EncodableMap{{EncodableValue("json"), EncodableValue(frame)}});
  return runner::EncodeMethodCall("injectInput", &arguments);
}

INPUT FloorMove(double x) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(std::lround(x * kAbsoluteMax));
  input.mi.dy = static_cast<LONG>(std::lround(kCentre * kAbsoluteMax));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input.mi.dwExtraInfo = kInjectedTag;
  return input;
}

class Bench {
 public:
  Bench(runner::PluginHost& host, HookStamps& stamps)
      : host_(host),
        stamps_(stamps),
        frames_{FrameCall(kPositions[0]), FrameCall(kPositions[1])},
        floorMoves_{FloorMove(kPositions[0]), FloorMove(kPositions[1])},
        permissions_(runner::EncodeMethodCall("getPermissions")) {}

  void Run(std::size_t samples, std::size_t burst) {
    Connect();
    for (std::size_t i = 0; i < kWarmUp; ++i) {
      PluginSample();
      PermissionsSample();
    }
    FloorBlock(kWarmUp);
    plugin_.clear();
    floor_.clear();
    platformInject_.clear();
    platformPermissions_.clear();
    while (plugin_.size() < samples) {
      const std::size_t block = std::min(kBlock, samples - plugin_.size());
      for (std::size_t i = 0; i < block; ++i) PluginSample();
      for (std::size_t i = 0; i < block; ++i) PermissionsSample();
      FloorBlock(block);
      HandoffBlock(stdWorker_, stdHandoff_, block);
      HandoffBlock(win32Worker_, win32Handoff_, block);
      runner::PumpMessages(0);
    }
    ReportLatency();
    ReportBreakdown();
    const double floorBurstMs = BestFloorBurst(burst);
    BacklogBench(host_, stamps_).Run(burst, floorBurstMs, Summarize(floor_).p50);
    SendRateWithoutHooks(burst);
  }

 private:
  void Connect() {
    const EncodableValue connected(
        EncodableMap{{EncodableValue("connected"), EncodableValue(true)}});
    const EncodableValue control(EncodableMap{{EncodableValue("mode"), EncodableValue("control")}});
    if (host_.Call("setPeerConnected", connected).kind != runner::MethodReply::Kind::Success ||
        host_.Call("setInputMode", control).kind != runner::MethodReply::Kind::Success) {
      Fail("the plugin refused to take control");
    }
  }

  // Delivers one call on the methods channel as an engine does, returning the platform thread's
  // time in the handler.
  double Deliver(const std::vector<std::uint8_t>& message, std::int64_t& delivered) {
    delivered = Ticks();
    const std::uint64_t id = host_.engine().Deliver(channel_, message);
    const std::int64_t returned = Ticks();
    if (id == 0 || !host_.engine().TakeReply(id)) Fail("no reply from the plugin");
    return TicksToMicros(returned - delivered);
  }

  void PluginSample() {
    const std::size_t seen = stamps_.Count();
    std::int64_t delivered = 0;
    platformInject_.push_back(Deliver(frames_[next_++ % 2], delivered));
    if (!stamps_.WaitForCount(seen + 1, kEventLimitMs)) {
      Fail("a frame's event never reached the hook");
    }
    plugin_.push_back(TicksToMicros(stamps_.At(seen) - delivered));
  }

  void PermissionsSample() {
    std::int64_t delivered = 0;
    platformPermissions_.push_back(Deliver(permissions_, delivered));
  }

  // `count` events, one SendInput each, from a thread that is not the platform thread.
  void FloorBlock(std::size_t count) {
    bool lost = false;
    std::thread sender([this, count, &lost] {
      for (std::size_t i = 0; i < count && !lost; ++i) {
        const std::size_t seen = stamps_.Count();
        const std::int64_t sent = Ticks();
        SendInput(1, &floorMoves_[next_++ % 2], sizeof(INPUT));
        lost = !stamps_.WaitForCount(seen + 1, kEventLimitMs);
        if (!lost) floor_.push_back(TicksToMicros(stamps_.At(seen) - sent));
      }
    });
    sender.join();
    if (lost) Fail("a SendInput event never reached the hook");
  }

  // The hand-off alone (post to task start) and the floor's event sent after it.
  struct Handoff {
    std::vector<double> start;
    std::vector<double> arrival;
  };

  // The floor's events again, each sent by a worker thread after a hand-off from this one: the
  // hand-off's share of the plugin's latency.
  template <typename Worker>
  void HandoffBlock(Worker& worker, Handoff& handoff, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t seen = stamps_.Count();
      std::int64_t started = 0;
      INPUT* move = &floorMoves_[next_++ % 2];
      const std::int64_t posted = Ticks();
      worker.Post([&started, move] {
        started = Ticks();
        SendInput(1, move, sizeof(INPUT));
      });
      if (!stamps_.WaitForCount(seen + 1, kEventLimitMs)) Fail("a hand-off's event never arrived");
      handoff.start.push_back(TicksToMicros(started - posted));
      handoff.arrival.push_back(TicksToMicros(stamps_.At(seen) - posted));
    }
  }

  // What the injection thread does for a pointer frame besides SendInput: one GetSystemMetrics.
  void ReportBreakdown() {
    std::vector<double> metrics;
    for (std::size_t i = 0; i < kMetricsCalls; ++i) {
      const std::int64_t before = Ticks();
      GetSystemMetrics(SM_CMONITORS);
      metrics.push_back(TicksToMicros(Ticks() - before));
    }
    Say(SummaryLine("breakdown_handoff_std", Summarize(stdHandoff_.start)));
    Say(SummaryLine("breakdown_floor_after_handoff_std", Summarize(stdHandoff_.arrival)));
    Say(SummaryLine("breakdown_handoff_win32", Summarize(win32Handoff_.start)));
    Say(SummaryLine("breakdown_floor_after_handoff_win32", Summarize(win32Handoff_.arrival)));
    Say(SummaryLine("breakdown_GetSystemMetrics", Summarize(metrics)));
    // The design's floor: a thread hand-off, then SendInput. What the plugin adds is its own work.
    const Summary plugin = Summarize(plugin_);
    const Summary handoffFloor = Summarize(stdHandoff_.arrival);
    Say(RatioLine("latency_vs_handoff_p50", plugin.p50, handoffFloor.p50, kHandoffP50Goal));
    Say(RatioLine("latency_vs_handoff_p99", plugin.p99, handoffFloor.p99, kHandoffP99Goal));
  }

  void ReportLatency() {
    const Summary plugin = Summarize(plugin_);
    const Summary floor = Summarize(floor_);
    const Summary inject = Summarize(platformInject_);
    const Summary permissions = Summarize(platformPermissions_);
    Say(SummaryLine("latency_plugin", plugin));
    Say(SummaryLine("latency_floor", floor));
    Say(SummaryLine("platform_thread_injectInput", inject));
    Say(SummaryLine("platform_thread_getPermissions", permissions));
    Say(RatioLine("latency_p50", plugin.p50, floor.p50, kLatencyP50Goal));
    Say(RatioLine("latency_p99", plugin.p99, floor.p99, kLatencyP99Goal));
    Say(RatioLine("platform_thread_p50", inject.p50, permissions.p50, kPlatformCostGoal));
    Say(RatioLine("platform_thread_p99", inject.p99, permissions.p99, kPlatformCostGoal));
  }

  // The floor: as many events, one SendInput each, back to back from a plain thread.
  double FloorBurst(std::size_t count, std::size_t round) {
    stamps_.Clear();
    std::int64_t start = 0;
    std::thread sender([this, count, &start] {
      start = Ticks();
      for (std::size_t i = 0; i < count; ++i) {
        SendInput(1, &floorMoves_[next_++ % 2], sizeof(INPUT));
      }
    });
    sender.join();
    if (!stamps_.WaitForCount(count, kBurstLimitMs)) Fail("the floor's events never all arrived");
    const double drainedMs = TicksToMicros(stamps_.At(count - 1) - start) / kMicrosPerMilli;
    char line[96];
    std::snprintf(line, sizeof line, "burst_floor round=%zu events=%zu drained_ms=%.1f", round,
                  count, drainedMs);
    Say(line);
    return drainedMs;
  }

  // The best of a few rounds, the one least disturbed by the rest of the machine, in ms.
  double BestFloorBurst(std::size_t count) {
    double best = 0.0;
    for (std::size_t round = 1; round <= kBurstRounds; ++round) {
      const double floorMs = FloorBurst(count, round);
      best = round == 1 ? floorMs : std::min(best, floorMs);
    }
    return best;
  }

  // What SendInput alone sustains back to back once the hooks are gone: with the floor's burst,
  // what bounds any session of injected input on this machine, hooks or not.
  void SendRateWithoutHooks(std::size_t count) {
    stamps_.Stop();
    const std::int64_t start = Ticks();
    for (std::size_t i = 0; i < count; ++i) SendInput(1, &floorMoves_[next_++ % 2], sizeof(INPUT));
    const double seconds = TicksToMicros(Ticks() - start) / kMicrosPerSecond;
    char line[96];
    std::snprintf(line, sizeof line, "sendinput_without_hooks events=%zu seconds=%.3f per_s=%.0f",
                  count, seconds, static_cast<double>(count) / seconds);
    Say(line);
  }

  runner::PluginHost& host_;
  HookStamps& stamps_;
  const std::string channel_ = ORVANE_NATIVE_METHOD_CHANNEL;
  const std::vector<std::uint8_t> frames_[2];
  INPUT floorMoves_[2];
  const std::vector<std::uint8_t> permissions_;
  // Which position comes next, for the plugin's frames and the floor's events alike.
  std::size_t next_ = 0;
  std::vector<double> plugin_;
  std::vector<double> floor_;
  std::vector<double> platformInject_;
  std::vector<double> platformPermissions_;
  Handoff stdHandoff_;
  Handoff win32Handoff_;
  HandoffWorker<StdSync> stdWorker_;
  HandoffWorker<Win32Sync> win32Worker_;
};

std::size_t Argument(int argc, char** argv, int index, std::size_t fallback) {
  if (argc <= index) return fallback;
  const long long value = std::atoll(argv[index]);
  if (value <= 0) Fail(std::string("not a positive count: ") + argv[index]);
  return static_cast<std::size_t>(value);
}

}  // namespace
}  // namespace orvane::bench

int main(int argc, char** argv) {
  namespace bench = orvane::bench;
  namespace runner = orvane::runner;
  const std::size_t samples = bench::Argument(argc, argv, 1, bench::kDefaultSamples);
  const std::size_t burst = bench::Argument(argc, argv, 2, bench::kDefaultBurst);
  // Started first: the hooks must be in place before the plugin injects anything.
  bench::HookStamps stamps;
  if (!stamps.Start()) bench::Fail("the low-level hooks could not be installed");
  std::string error;
  const auto host = runner::PluginHost::Create(runner::ViewMode::WithView, &error);
  if (!host || !host->LoadPlugin(&error)) bench::Fail(error);
  bench::Bench(*host, stamps).Run(samples, burst);
  return 0;
}
