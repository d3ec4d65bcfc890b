// The whole frame path on the injection thread (decode, admit, translate, send to an input
// system that does nothing) per frame, beside a plain JSON parse of the same frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/null_input_system.h"
#include "win/injector_core.h"
#include "win/wire_decoder.h"

namespace orvane::win {
namespace {

const std::vector<std::string>& framesFor(int kind) {
  static const std::vector<std::vector<std::string>> frames = {
      {R"({"t":"mm","x":0.5,"y":0.25})"},
      {R"({"t":"kd","hid":458756})", R"({"t":"ku","hid":458756})"},
      {R"({"t":"wh","dx":0,"dy":-120})"},
  };
  return frames[static_cast<std::size_t>(kind)];
}

const char* const kKindNames[] = {"move", "key down/up", "wheel"};

// Long enough for any benchmark run; the loop runs as one task on the injection thread.
constexpr std::int64_t kRunLimitMs = 3'600'000;

void BM_FramePath(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const std::vector<std::string>& frames = framesFor(kind);
  auto core = std::make_shared<InjectorCore>(
      [](const std::string&) {}, std::make_unique<NullInputSystem>(), kWatchdogLimitSeconds);
  // On the injection thread, as in production: the watchdog's timer calls then come from the
  // worker itself, which no post has to wake.
  core->queue().PostAndWait(
      [&state, &frames, core] {
        core->setPeerConnected(true);
        std::size_t next = 0;
        for (auto _ : state) {
          core->handleFrame(frames[next]);
          next = (next + 1) % frames.size();
        }
        // Leaves nothing held, so no watchdog check outlives the benchmark.
        core->releaseHeld("destructor");
      },
      kRunLimitMs);
  state.SetLabel(kKindNames[kind]);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FramePath)->DenseRange(0, 2)->UseRealTime();

// The decoder alone, to tell its share of the frame path from the injector's.
void BM_DecodeOnly(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const std::vector<std::string>& frames = framesFor(kind);
  std::size_t next = 0;
  for (auto _ : state) {
    WireMessage message;
    benchmark::DoNotOptimize(
        decodeWire(frames[next].data(), frames[next].size(), message, nullptr));
    benchmark::DoNotOptimize(message);
    next = (next + 1) % frames.size();
  }
  state.SetLabel(kKindNames[kind]);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeOnly)->DenseRange(0, 2);

void BM_PlainJsonParse(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const std::vector<std::string>& frames = framesFor(kind);
  std::size_t next = 0;
  for (auto _ : state) {
    nlohmann::json parsed = nlohmann::json::parse(frames[next], nullptr, false);
    benchmark::DoNotOptimize(parsed);
    next = (next + 1) % frames.size();
  }
  state.SetLabel(kKindNames[kind]);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainJsonParse)->DenseRange(0, 2);

}  // namespace
}  // namespace orvane::win

BENCHMARK_MAIN();
