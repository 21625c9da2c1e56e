#include "tests/probe_plugin/probe_plugin.h"

#include <memory>

#include "sdk/codec/json_writer.h"
#include "sdk/log/assertion.h"
#include "sdk/registry/register_native.h"
#include "sdk/value/format_message.h"

namespace kiv::probe {

void ProbePlugin::RegisterApi() {
  Require(RegisterNative<ProbeColor>(typeRegistry()), "ProbeColor");
  Require(RegisterNative<ProbeInner>(typeRegistry()), "ProbeInner");
  Require(RegisterNative<ProbeRecord>(typeRegistry()), "ProbeRecord");
  Require(RegisterNative<ProbeArgs>(typeRegistry()), "ProbeArgs");

  Router& api = router();
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/echo",
      [](BindingProperty& value) -> MaybeType<Failure, BindingProperty> {
        return std::move(value);
      },
      Param<BindingProperty>("value", kBodyLocation)));
  Require(api.Register(
      KIV_METHOD_GET, "/kiv-probe/v1/args/{id}",
      [](int64_t id, uint32_t count, bool flag, std::vector<int64_t>& ids,
         std::string& name) -> MaybeType<Failure, ProbeArgs> {
        return ProbeArgs{id, count, flag, std::move(ids), std::move(name)};
      },
      Param<int64_t>("id", kPathLocation), Param<uint32_t>("count", kQueryLocation),
      Param<bool>("flag", kQueryLocation), Param<std::vector<int64_t>>("ids", kQueryLocation),
      Param<std::string>("name")));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/record",
      [](ProbeRecord& record) -> MaybeType<Failure, ProbeRecord> { return std::move(record); },
      Param<ProbeRecord>("record", kBodyLocation)));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/json",
      [](BindingProperty& value, std::string& newline) -> MaybeType<Failure, std::string> {
        return WriteJson(value, {.lineBreak = newline});
      },
      Param<BindingProperty>("value", kBodyLocation),
      Param<std::string>("newline", kQueryLocation).Optional()));
  Require(api.Register(
      KIV_METHOD_GET, "/kiv-probe/v1/fail/{code}",
      [](uint32_t code) -> MaybeType<Failure, void> {
        return Fail(code, FormatMessage("probe failure %1", code));
      },
      Param<uint32_t>("code", kPathLocation)));
  RegisterRuntimeEndpoints(*this);
}

void Require(bool registered, const char* what) {
  if (!registered) FailAssertion("ALE-9B0E4D21", what, __FILE__, __LINE__, __func__);
}

void Require(const MaybeType<Failure, Endpoint*>& registered) {
  if (!registered.ok()) {
    FailAssertion("ALE-9B0E4D21", registered.failure().Message(), __FILE__, __LINE__, __func__);
  }
}

}  // namespace kiv::probe

extern "C" __attribute__((visibility("default"))) void load_kiv_probe(PluginLoadRecord* record) {
  if (!record) return;
  auto plugin = std::make_unique<kiv::probe::ProbePlugin>();
  plugin->Load(*record, "kiv-probe");
  plugin.release();  // owned by the host's module handle until Shutdown
}
