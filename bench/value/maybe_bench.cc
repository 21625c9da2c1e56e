// What a successful MaybeType<Failure, int> costs, beside std::optional<int>:
// a function that may fail returns a value, and the caller tests it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>

#include "sdk/value/maybe_type.h"

namespace kiv {
namespace {

[[gnu::noinline]] MaybeType<Failure, int> ParseDigitMaybe(int input) {
  if (input < 0) return Fail(Failure(400, "negative"));
  return input % 10;
}

[[gnu::noinline]] std::optional<int> ParseDigitOptional(int input) {
  if (input < 0) return std::nullopt;
  return input % 10;
}

void BM_MaybeTypeSuccess(benchmark::State& state) {
  int input = 12345;
  int64_t sum = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(input);
    const MaybeType<Failure, int> result = ParseDigitMaybe(input);
    if (result.ok()) sum += *result;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_MaybeTypeSuccess);

void BM_OptionalSuccess(benchmark::State& state) {
  int input = 12345;
  int64_t sum = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(input);
    const std::optional<int> result = ParseDigitOptional(input);
    if (result) sum += *result;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_OptionalSuccess);

void BM_MaybeTypeSize(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(sizeof(MaybeType<Failure, int>));
  state.counters["bytes"] = sizeof(MaybeType<Failure, int>);
  state.counters["optionalBytes"] = sizeof(std::optional<int>);
}
BENCHMARK(BM_MaybeTypeSize);

}  // namespace
}  // namespace kiv

BENCHMARK_MAIN();
