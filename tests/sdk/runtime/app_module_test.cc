#include "sdk/runtime/app_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

// A host that records the calls the module makes.
struct RecordingHost {
  HostApi api{};
  std::vector<std::pair<int32_t, std::string>> logLines;
  std::vector<std::string> calls;
  HostContext context{&api, this};

  static RecordingHost& From(HostApi* api) { return *reinterpret_cast<RecordingHost*>(api); }

  RecordingHost() {
    api.WriteLog = [](HostApi* self, int32_t level, const char* message) {
      From(self).logLines.emplace_back(level, message);
    };
    api.AddEventListener = [](HostApi* self, const char* name, void* handle, EventCallback, void*,
                              uint32_t flags) {
      EXPECT_EQ(handle, &From(self));
      From(self).calls.push_back("add " + std::string(name) + " " + std::to_string(flags));
    };
    api.RemoveEventListener = [](HostApi* self, const char* name, void* handle) {
      EXPECT_EQ(handle, &From(self));
      From(self).calls.push_back("remove " + std::string(name));
    };
  }
};

class StartFlagModule final : public AppModule {
 public:
  explicit StartFlagModule(bool startResult) : startResult_(startResult) {}
  bool Start() override {
    Log(kLogOkay, kGroupDbg, "started");
    Log(kLogAlways, kGroupXtr, "extra trace");
    return startResult_;
  }

 private:
  bool startResult_;
};

PluginLoadRecord Record(uint32_t major, uint32_t minor, uint32_t patch) {
  PluginLoadRecord record{};
  record.major = major;
  record.minor = minor;
  record.patch = patch;
  return record;
}

TEST(AppModule, LoadFillsNamesAndTheRecord) {
  auto module = std::make_unique<StartFlagModule>(true);
  PluginLoadRecord record = Record(18, 3, 1);
  module->Load(record, "kiv-joust");
  EXPECT_EQ(module->name().fullName, "vmk-be-kiv-joust");
  EXPECT_EQ(module->identifierName(), "KivJoust");
  EXPECT_THAT(module->endpointTags(), ElementsAre("Plugins", "Plugin kiv-joust"));
  EXPECT_EQ(module->hostVersion().ToText(), "18.3.1");
  EXPECT_EQ(record.major, 18u);
  EXPECT_EQ(record.minor, 0u);
  EXPECT_EQ(record.patch, 0u);
  EXPECT_EQ(record.module, module.get());
  EXPECT_EQ(record.entries, &module->entryTable());
  EXPECT_STREQ(record.shortName, "kiv-joust");
}

TEST(AppModule, InitializeRoutesLogsToTheHostAndListensForServiceProxyEvents) {
  RecordingHost host;
  auto module = std::make_unique<StartFlagModule>(true);
  PluginLoadRecord record = Record(18, 3, 1);
  module->Load(record, "kiv-joust");
  ASSERT_EQ(record.entries->Initialize(record.module, &host.context), 1);

  EXPECT_EQ(module->userAgent(), "ZanthClient/18.3.1 (kiv-joust)");
  EXPECT_EQ(module->logName(), "kiv-joust");
  EXPECT_THAT(host.logLines, ElementsAre(Pair(kLogOkay, "started")));
  EXPECT_THAT(host.calls,
              ElementsAre("add OnServiceProxyUuidEvent 1", "add OnServiceProxyMethodEvent 1",
                          "add OnServiceProxyAsyncEvent 1"));

  host.calls.clear();
  record.entries->Shutdown(module.release());
  EXPECT_THAT(host.calls,
              ElementsAre("remove OnServiceProxyAsyncEvent", "remove OnServiceProxyMethodEvent",
                          "remove OnServiceProxyUuidEvent"));
  // The module's log target went with it: lines no longer reach the host.
  Log(kLogAlways, kGroupDbg, "after shutdown");
  EXPECT_EQ(host.logLines.size(), 1u);
}

TEST(AppModule, InitializeAnswersTheStartHook) {
  RecordingHost host;
  auto module = std::make_unique<StartFlagModule>(false);
  PluginLoadRecord record = Record(18, 0, 0);
  module->Load(record, "kiv-joust");
  EXPECT_EQ(record.entries->Initialize(record.module, &host.context), 0);
  AppModule::Shutdown(module.release());
}

}  // namespace
}  // namespace kiv
