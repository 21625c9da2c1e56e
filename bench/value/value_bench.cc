// Builds and deep-copies a list of 10,000 records with the same ten members,
// once as BindingProperty and once as a general-purpose JSON DOM, and reports
// the bytes each tree keeps (allocation counters: allocated minus freed).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "sdk/memory/memory_stats.h"
#include "sdk/value/binding_property.h"

namespace kiv {
namespace {

constexpr int kRecords = 10000;

// Realistic member values: unique names, a few repeated enumerations.
struct Record {
  int64_t id;
  std::string name;
  std::string tag;
  double score;
  bool active;
  const char* region;
  const char* rank;
  int64_t createdAt;
  uint64_t level;
  std::string bio;
};

const std::vector<Record>& Records() {
  static const std::vector<Record> records = [] {
    const char* regions[] = {"EUW", "NA", "KR", "BR", "OCE"};
    const char* ranks[] = {"IRON", "BRONZE", "SILVER", "GOLD", "PLATINUM", "DIAMOND"};
    std::vector<Record> list;
    list.reserve(kRecords);
    for (int index = 0; index < kRecords; ++index) {
      list.push_back({1000000 + index, "Summoner" + std::to_string(index * 7919 % 100000),
                      "T" + std::to_string(index % 97), index * 0.37, index % 3 != 0,
                      regions[index % 5], ranks[index % 6], 1700000000000 + index * 60000,
                      static_cast<uint64_t>(30 + index % 400),
                      "Plays the jungle role since season " + std::to_string(index % 12)});
    }
    return list;
  }();
  return records;
}

// Members in the order a reader meets them, not in key order.
BindingProperty BuildBindingTree(bool reserveMembers) {
  BindingProperty root;
  root.SetEmptyCollection();
  root.Reserve(kRecords);
  for (const Record& record : Records()) {
    BindingProperty& item = root.AppendElement();
    if (reserveMembers) {
      item.SetEmptyStructure();
      item.ReserveMembers(10);
    }
    item.MutableMember("id") = record.id;
    item.MutableMember("name") = record.name;
    item.MutableMember("tag") = record.tag;
    item.MutableMember("score") = record.score;
    item.MutableMember("active") = record.active;
    item.MutableMember("region") = record.region;
    item.MutableMember("rank") = record.rank;
    item.MutableMember("createdAt") = record.createdAt;
    item.MutableMember("level") = record.level;
    item.MutableMember("bio") = record.bio;
  }
  return root;
}

nlohmann::json BuildJsonTree() {
  nlohmann::json root = nlohmann::json::array();
  root.get_ref<nlohmann::json::array_t&>().reserve(kRecords);
  for (const Record& record : Records()) {
    nlohmann::json item = nlohmann::json::object();
    item["id"] = record.id;
    item["name"] = record.name;
    item["tag"] = record.tag;
    item["score"] = record.score;
    item["active"] = record.active;
    item["region"] = record.region;
    item["rank"] = record.rank;
    item["createdAt"] = record.createdAt;
    item["level"] = record.level;
    item["bio"] = record.bio;
    root.push_back(std::move(item));
  }
  return root;
}

int64_t BytesInUse() {
  const MemoryStats stats = ReadMemoryStats();
  return static_cast<int64_t>(stats.totalBytesAllocated - stats.totalBytesFreed);
}

template <typename Build>
int64_t BytesKeptBy(Build build) {
  const int64_t before = BytesInUse();
  auto tree = build();
  const int64_t kept = BytesInUse() - before;
  benchmark::DoNotOptimize(tree);
  return kept;
}

void BM_BuildBindingProperty(benchmark::State& state) {
  Records();
  for (auto _ : state) benchmark::DoNotOptimize(BuildBindingTree(false));
  state.counters["bytes"] =
      static_cast<double>(BytesKeptBy([] { return BuildBindingTree(false); }));
}
BENCHMARK(BM_BuildBindingProperty)->Unit(benchmark::kMillisecond);

void BM_BuildBindingPropertyReserved(benchmark::State& state) {
  Records();
  for (auto _ : state) benchmark::DoNotOptimize(BuildBindingTree(true));
  state.counters["bytes"] = static_cast<double>(BytesKeptBy([] { return BuildBindingTree(true); }));
}
BENCHMARK(BM_BuildBindingPropertyReserved)->Unit(benchmark::kMillisecond);

void BM_BuildNlohmann(benchmark::State& state) {
  Records();
  for (auto _ : state) benchmark::DoNotOptimize(BuildJsonTree());
  state.counters["bytes"] = static_cast<double>(BytesKeptBy(BuildJsonTree));
}
BENCHMARK(BM_BuildNlohmann)->Unit(benchmark::kMillisecond);

void BM_CopyBindingProperty(benchmark::State& state) {
  const BindingProperty tree = BuildBindingTree(false);
  for (auto _ : state) {
    BindingProperty copy(tree);
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyBindingProperty)->Unit(benchmark::kMillisecond);

void BM_CopyNlohmann(benchmark::State& state) {
  const nlohmann::json tree = BuildJsonTree();
  for (auto _ : state) {
    nlohmann::json copy(tree);
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyNlohmann)->Unit(benchmark::kMillisecond);

// The memory comparison in one place: bytes of each tree and their ratio.
void BM_MemoryRatio(benchmark::State& state) {
  Records();
  int64_t binding = 0;
  int64_t json = 0;
  for (auto _ : state) {
    binding = BytesKeptBy([] { return BuildBindingTree(false); });
    json = BytesKeptBy(BuildJsonTree);
  }
  state.counters["bindingBytes"] = static_cast<double>(binding);
  state.counters["nlohmannBytes"] = static_cast<double>(json);
  state.counters["ratio"] = static_cast<double>(binding) / static_cast<double>(json);
}
BENCHMARK(BM_MemoryRatio)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kiv
