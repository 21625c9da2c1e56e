// fake_host.h: a recording HostApi for the runtime's unit tests, and a module
// loaded and initialized against it.
//
// Every host function records what the module asked for. SendRequest answers
// through `answer` (default: an empty body); PumpOnce runs `onPump`;
// scheduled callbacks are kept until a test fires them.
//
//   FakeHost host;
//   auto module = host.LoadModule();
//   host.answer = [](ResponseRecord& r, const RequestRecord&) { r.status = 200; };
//   auto body = module->requests().Send<BindingProperty>(KIV_METHOD_GET, "/x");
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sdk/codec/json_writer.h"
#include "sdk/runtime/app_module.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/host_value.h"

namespace kiv::testing {

class TestModule final : public AppModule {};

struct FakeHost {
  struct Scheduled {
    std::string label;
    void (*callback)(void*);
    void* userData;
    double delay;
  };
  struct Request {
    uint32_t method;
    std::string url;
    std::vector<std::string> paramsJson;
    void* pluginHandle;
  };

  HostApi api{};
  HostContext context{&api, this};
  std::function<void(ResponseRecord&, const RequestRecord&)> answer;
  std::function<void()> onPump;
  std::vector<Request> requests;
  std::vector<std::pair<std::string, std::string>> events;  // name, body JSON
  std::vector<std::string> calls;                           // listener and wait calls
  std::vector<std::pair<int32_t, std::string>> logLines;
  std::vector<Scheduled> scheduled;
  std::vector<std::pair<std::string, EventCallback>> listeners;
  int pumps = 0;

  static FakeHost& From(HostApi* api) { return *reinterpret_cast<FakeHost*>(api); }

  FakeHost() {
    api.SendRequest = [](HostApi* self, ResponseRecord* response, const RequestRecord* request) {
      FakeHost& host = From(self);
      Request seen{request->method, request->url, {}, request->pluginHandle};
      for (uint32_t i = 0; i < request->paramCount; ++i) {
        EXPECT_EQ(request->params[i].name, nullptr);
        ConversionStatus status;
        seen.paramsJson.push_back(
            WriteJson(HostValueToProperty(request->params[i].value, "<p>", status)));
      }
      host.requests.push_back(std::move(seen));
      if (host.answer) host.answer(*response, *request);
    };
    api.DispatchEvent = [](HostApi* self, const EventRecord* event) {
      ConversionStatus status;
      From(self).events.emplace_back(event->name,
                                     WriteJson(HostValueToProperty(event->body, "<e>", status)));
    };
    api.AddEventListener = [](HostApi* self, const char* name, void*, EventCallback callback, void*,
                              uint32_t flags) {
      From(self).calls.push_back("add " + std::string(name) + " " + std::to_string(flags));
      From(self).listeners.emplace_back(name, callback);
    };
    api.RemoveEventListener = [](HostApi* self, const char* name, void*) {
      From(self).calls.push_back("remove " + std::string(name));
    };
    api.ScheduleCallback = [](HostApi* self, const char* label, void (*callback)(void*),
                              void* userData, double delay, uint32_t) {
      From(self).scheduled.push_back({label, callback, userData, delay});
    };
    api.PumpOnce = [](HostApi* self) {
      FakeHost& host = From(self);
      ++host.pumps;
      host.calls.push_back("pump");
      if (host.onPump) host.onPump();
    };
    api.BeginWait = [](HostApi* self, const char* label, uint32_t) {
      From(self).calls.push_back("begin " + std::string(label));
    };
    api.EndWait = [](HostApi* self) { From(self).calls.push_back("end"); };
    api.WriteLog = [](HostApi* self, int32_t level, const char* message) {
      From(self).logLines.emplace_back(level, message);
    };
  }

  /// A module loaded as "kiv-test" and initialized against this host.
  std::unique_ptr<TestModule> LoadModule() {
    auto module = std::make_unique<TestModule>();
    PluginLoadRecord record{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
    module->Load(record, "kiv-test");
    EXPECT_TRUE(module->Initialize(context));
    calls.clear();
    return module;
  }

  /// Delivers an event to the module's listener of `name` (JSON body).
  void Deliver(const std::string& name, const HostValue& body, void* module) {
    for (auto& [listened, callback] : listeners) {
      if (listened == name) callback(name.c_str(), &body, 0, module);
    }
  }

  /// Fires the scheduled callback `index` (as the host would once due).
  void Fire(size_t index) { scheduled.at(index).callback(scheduled.at(index).userData); }
};

}  // namespace kiv::testing
