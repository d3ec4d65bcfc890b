// Encoding and decoding throughput of the standard codec: the "injectInput" call that carries
// every input frame, and a 64 KiB byte list.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flutter/byte_buffer_streams.h"
#include "flutter/method_call.h"
#include "flutter/standard_codec_serializer.h"
#include "flutter/standard_method_codec.h"

namespace {

// A typical pointer-move frame, 60 bytes long like the controller's frames.
constexpr char kFrame[] = R"({"t":"mm","x":0.5123,"y":0.3778,"seq":1234567,"ts":999999999})";
constexpr size_t kByteListSize = 64 * 1024;

flutter::MethodCall<> InjectInputCall() {
  return flutter::MethodCall<>(
      "injectInput", std::make_unique<flutter::EncodableValue>(flutter::EncodableMap{
                         {flutter::EncodableValue("json"), flutter::EncodableValue(kFrame)}}));
}

void BM_EncodeInjectInputCall(benchmark::State& state) {
  const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();
  const flutter::MethodCall<> call = InjectInputCall();
  size_t bytes = 0;
  for (auto _ : state) {
    const auto encoded = codec.EncodeMethodCall(call);
    bytes = encoded->size();
    benchmark::DoNotOptimize(encoded->data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_EncodeInjectInputCall);

void BM_DecodeInjectInputCall(benchmark::State& state) {
  const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();
  const auto encoded = codec.EncodeMethodCall(InjectInputCall());
  for (auto _ : state) {
    const auto call = codec.DecodeMethodCall(*encoded);
    benchmark::DoNotOptimize(call->arguments());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * encoded->size()));
}
BENCHMARK(BM_DecodeInjectInputCall);

void BM_EncodeByteList64K(benchmark::State& state) {
  const flutter::StandardCodecSerializer& serializer =
      flutter::StandardCodecSerializer::GetInstance();
  const flutter::EncodableValue value(std::vector<uint8_t>(kByteListSize, 0x5A));
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    bytes.clear();
    flutter::ByteBufferStreamWriter writer(&bytes);
    serializer.WriteValue(value, &writer);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_EncodeByteList64K);

void BM_DecodeByteList64K(benchmark::State& state) {
  const flutter::StandardCodecSerializer& serializer =
      flutter::StandardCodecSerializer::GetInstance();
  std::vector<uint8_t> bytes;
  flutter::ByteBufferStreamWriter writer(&bytes);
  serializer.WriteValue(flutter::EncodableValue(std::vector<uint8_t>(kByteListSize, 0x5A)),
                        &writer);
  for (auto _ : state) {
    flutter::ByteBufferStreamReader reader(bytes.data(), bytes.size());
    const flutter::EncodableValue value = serializer.ReadValue(&reader);
    benchmark::DoNotOptimize(&value);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeByteList64K);

}  // namespace

BENCHMARK_MAIN();
