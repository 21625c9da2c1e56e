// probe_plugin.h: a second plugin built from the same runtime, used by the
// tests, fuzzers and benchmarks to drive the serving machinery from outside
// through the real boundary. Short name "kiv-probe"; never shipped.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sdk/runtime/app_module.h"
#include "sdk/value/native/enum_descriptor.h"
#include "sdk/value/native/record_descriptor.h"

namespace kiv::probe {

enum class ProbeColor : int32_t { kRed = 0, kGreen = 1, kBlue = 2 };

struct ProbeInner {
  int64_t x = 0;
  bool y = false;
};

struct ProbeRecord {
  int32_t a = 0;
  std::string b;
  ProbeColor c = ProbeColor::kRed;
  std::vector<uint64_t> d;
  std::map<std::string, double> e;
  ProbeInner f;
};

/// The converted arguments of the "args" endpoint, answered back.
struct ProbeArgs {
  int64_t id = 0;
  uint32_t count = 0;
  bool flag = false;
  std::vector<int64_t> ids;
  std::string name;
};

class ProbePlugin final : public AppModule {
 public:
  void RegisterApi() override;
};

/// Stops the load with an assertion when a declaration was refused (a name
/// declared twice is a fault of the probe itself).
void Require(bool registered, const char* what);
void Require(const MaybeType<Failure, Endpoint*>& registered);

/// The endpoints that drive the runtime's services (requests to other
/// plugins, events, timers, backend calls) from outside; declared after the
/// serving endpoints. Defined in probe_runtime_endpoints.cc.
void RegisterRuntimeEndpoints(ProbePlugin& plugin);

}  // namespace kiv::probe

template <>
inline constexpr auto kiv::kEnum<kiv::probe::ProbeColor> =
    kiv::Enum<kiv::probe::ProbeColor>("ProbeColor", {{"Red", 0}, {"Green", 1}, {"Blue", 2}});
template <>
inline constexpr auto kiv::kRecord<kiv::probe::ProbeInner> =
    kiv::Record<kiv::probe::ProbeInner>("ProbeInner", kiv::Field("x", &kiv::probe::ProbeInner::x),
                                        kiv::Field("y", &kiv::probe::ProbeInner::y));
template <>
inline constexpr auto kiv::kRecord<kiv::probe::ProbeRecord> = kiv::Record<kiv::probe::ProbeRecord>(
    "ProbeRecord", kiv::Field("a", &kiv::probe::ProbeRecord::a),
    kiv::Field("b", &kiv::probe::ProbeRecord::b), kiv::Field("c", &kiv::probe::ProbeRecord::c),
    kiv::Field("d", &kiv::probe::ProbeRecord::d), kiv::Field("e", &kiv::probe::ProbeRecord::e),
    kiv::Field("f", &kiv::probe::ProbeRecord::f));
template <>
inline constexpr auto kiv::kRecord<kiv::probe::ProbeArgs> =
    kiv::Record<kiv::probe::ProbeArgs>("ProbeArgs", kiv::Field("id", &kiv::probe::ProbeArgs::id),
                                       kiv::Field("count", &kiv::probe::ProbeArgs::count),
                                       kiv::Field("flag", &kiv::probe::ProbeArgs::flag),
                                       kiv::Field("ids", &kiv::probe::ProbeArgs::ids),
                                       kiv::Field("name", &kiv::probe::ProbeArgs::name));
