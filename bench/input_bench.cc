// Cost of decoding and translating input frames, against a plain JSON parse of the same frames,
// and the allocations translation makes. Prints greppable ratio lines at the end of the run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>

#include "bench/input_bench_allocations.h"
#include "win/hid_usage_table.h"
#include "win/translator.h"
#include "win/wire_decoder.h"

namespace {

using orvane::win::HeldInput;
using orvane::win::InjectBatch;
using orvane::win::PointerGeometry;
using orvane::win::WireKind;
using orvane::win::WireMessage;

constexpr std::string_view kMoveFrame = R"({"t":"mm","x":0.4375,"y":0.61328125})";
constexpr std::string_view kKeyFrame = R"({"t":"kd","hid":458756,"r":false})";
// 64 characters, accents and an escaped emoji among them, as a soft keyboard would send a line.
constexpr std::string_view kTextFrame =
    R"({"t":"tx","s":"Gr\u00fc\u00dfe aus K\u00f6ln \ud83d\udc4b, )"
    R"(bis morgen um halb neun am Caf\u00e9, sonst Montag."})";
constexpr std::uint32_t kUsageA = 0x00070004;

WireMessage decoded(std::string_view frame) {
  WireMessage message;
  orvane::win::decodeWire(frame.data(), frame.size(), message, nullptr);
  return message;
}

void BM_PlainParse(benchmark::State& state, std::string_view frame) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(nlohmann::json::parse(frame.begin(), frame.end()));
  }
}

void BM_DecodeWire(benchmark::State& state, std::string_view frame) {
  WireMessage message;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::win::decodeWire(frame.data(), frame.size(), message, nullptr));
    benchmark::DoNotOptimize(message);
  }
}

// Translation of a message pair that leaves the record as it found it, so every iteration does
// the same work; counters give allocations per message.
void BM_Translate(benchmark::State& state, WireMessage first, WireMessage second) {
  HeldInput held;
  const PointerGeometry geometry;
  const std::uint64_t before = inputBenchAllocations();
  for (auto _ : state) {
    InjectBatch a = orvane::win::translateMessage(held, first, geometry);
    InjectBatch b = orvane::win::translateMessage(held, second, geometry);
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
  }
  state.counters["allocs_per_msg"] =
      benchmark::Counter(static_cast<double>(inputBenchAllocations() - before) /
                         (2.0 * static_cast<double>(state.iterations())));
}

WireMessage withKind(WireMessage message, WireKind kind) {
  message.kind = kind;
  return message;
}

// A key pressed and the record's release of it, as a release-all frame makes it.
void BM_PressAndReleaseAll(benchmark::State& state) {
  HeldInput held;
  const PointerGeometry geometry;
  const WireMessage keyDown = decoded(kKeyFrame);
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::win::translateMessage(held, keyDown, geometry));
    benchmark::DoNotOptimize(held.releaseAllEvents());
  }
}

void BM_LookupKeyDown(benchmark::State& state) {
  const orvane::win::ModifierState modifiers{true, true, false};
  std::uint32_t id = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::win::lookupKeyDown(kUsageA + (id++ & 0xFF), modifiers));
  }
}

BENCHMARK_CAPTURE(BM_PlainParse, move, kMoveFrame);
BENCHMARK_CAPTURE(BM_DecodeWire, move, kMoveFrame);
BENCHMARK_CAPTURE(BM_PlainParse, key, kKeyFrame);
BENCHMARK_CAPTURE(BM_DecodeWire, key, kKeyFrame);
BENCHMARK_CAPTURE(BM_PlainParse, text, kTextFrame);
BENCHMARK_CAPTURE(BM_DecodeWire, text, kTextFrame);
BENCHMARK_CAPTURE(BM_Translate, move_twice, decoded(kMoveFrame), decoded(kMoveFrame));
BENCHMARK_CAPTURE(BM_Translate, button_down_up,
                  withKind(decoded(R"({"t":"md","b":0,"x":0.5,"y":0.5})"), WireKind::ButtonDown),
                  decoded(R"({"t":"mu","b":0,"x":0.5,"y":0.5})"));
BENCHMARK_CAPTURE(BM_Translate, wheel_twice, decoded(R"({"t":"wh","dx":90,"dy":-150})"),
                  decoded(R"({"t":"wh","dx":90,"dy":-150})"));
BENCHMARK_CAPTURE(BM_Translate, key_down_up, decoded(kKeyFrame),
                  decoded(R"({"t":"ku","hid":458756})"));
BENCHMARK(BM_PressAndReleaseAll);
BENCHMARK(BM_LookupKeyDown);

// Same-run ratios: the frames are interleaved in one loop so both sides see the same machine
// state. Goal: decoding plus translation at most twice a plain parse.
void printRatios(std::string_view name, std::string_view frame) {
  constexpr int kRounds = 200000;
  using Clock = std::chrono::steady_clock;
  HeldInput held;
  const PointerGeometry geometry;
  Clock::duration parse{};
  Clock::duration decode{};
  Clock::duration decodeTranslate{};
  for (int i = 0; i < kRounds; ++i) {
    auto start = Clock::now();
    benchmark::DoNotOptimize(nlohmann::json::parse(frame.begin(), frame.end()));
    parse += Clock::now() - start;

    WireMessage message;
    start = Clock::now();
    benchmark::DoNotOptimize(orvane::win::decodeWire(frame.data(), frame.size(), message, nullptr));
    decode += Clock::now() - start;

    start = Clock::now();
    orvane::win::decodeWire(frame.data(), frame.size(), message, nullptr);
    InjectBatch batch = orvane::win::translateMessage(held, message, geometry);
    benchmark::DoNotOptimize(batch);
    decodeTranslate += Clock::now() - start;
    held.heldKeys.clear();
  }
  std::printf("input_bench ratio %.*s: decodeWire/parse %.2f, (decodeWire+translate)/parse %.2f\n",
              static_cast<int>(name.size()), name.data(),
              static_cast<double>(decode.count()) / static_cast<double>(parse.count()),
              static_cast<double>(decodeTranslate.count()) / static_cast<double>(parse.count()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printRatios("move", kMoveFrame);
  printRatios("key", kKeyFrame);
  printRatios("text", kTextFrame);
  return 0;
}
