// What a frame costs the calling (platform) thread: InputInjector::injectInput against the
// hand-off a frame used to be, one SerialQueue::Post of a task that owns the text.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/null_input_system.h"
#include "host/serial_queue.h"
#include "win/input_injector.h"

namespace orvane::win {
namespace {

const std::string kMove = R"({"t":"mm","x":0.5,"y":0.25})";
constexpr std::int64_t kFlushLimitMs = 60'000;

// The link stays down, so the worker decodes each frame and drops it: the caller's side is what
// is measured, with a worker consuming as in production.
void BM_InjectInput(benchmark::State& state) {
  InputInjector injector([](const std::string&) {}, std::make_unique<NullInputSystem>());
  for (auto _ : state) injector.injectInput(kMove);
  // Outside the timed loop: waits for the worker to consume what was queued.
  injector.releaseAllAndWait("bench", kFlushLimitMs);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InjectInput);

void BM_PostFrameTask(benchmark::State& state) {
  host::SerialQueue queue("bench");
  auto owner = std::make_shared<int>(0);
  for (auto _ : state) {
    queue.Post([owner, frame = kMove] { benchmark::DoNotOptimize(frame.data()); });
  }
  queue.PostAndWait([] {}, kFlushLimitMs);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostFrameTask);

}  // namespace
}  // namespace orvane::win

BENCHMARK_MAIN();
