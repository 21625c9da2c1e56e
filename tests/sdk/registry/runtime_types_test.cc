#include "sdk/runtime/runtime_types.h"
#include "sdk/value/conversion_status.h"

#include <gtest/gtest.h>

#include "sdk/registry/help_builder.h"
#include "sdk/registry/type_registry.h"
#include "sdk/runtime/app_module.h"
#include "sdk/value/native/convert.h"

namespace kiv {
namespace {

TEST(RuntimeTypes, RegisteredByTheLoadSequence) {
  AppModule module;
  PluginLoadRecord record{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  module.Load(record, "kiv-joust");
  const TypeRegistry& registry = module.typeRegistry();

  const TypeDescription* state = registry.FindTypeByName("PluginManagerState");
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(registry.EnumNumber(state->staticTypeId, "PluginsInitialized"), 1);
  const TypeDescription* resource = registry.FindTypeByName("PluginManagerResource");
  ASSERT_NE(resource, nullptr);
  ASSERT_EQ(resource->fields.size(), 1u);
  EXPECT_EQ(FullTypeName(resource->fields[0].type, registry), "PluginManagerState");

  const TypeDescription* response = registry.FindTypeByName("PluginServiceProxyResponse");
  ASSERT_NE(response, nullptr);
  EXPECT_EQ(response->fields.size(), 6u);
  EXPECT_EQ(response->fields[5].name, "error");

  std::vector<std::string> events;
  for (const EventDescription& event : registry.Events()) events.push_back(event.name);
  EXPECT_EQ(events, (std::vector<std::string>{
                        "OnCallback", "OnJsonApiEvent", "OnLcdsEvent", "OnServiceProxyUuidEvent",
                        "OnServiceProxyMethodEvent", "OnServiceProxyAsyncEvent"}));
  EXPECT_EQ(registry.Events()[1].description, "Fired when a resource is changed.");
  EXPECT_EQ(FullTypeName(registry.Events()[1].type, registry), "PluginResourceEvent");
}

TEST(RuntimeTypes, ResourceEventRoundTrip) {
  PluginResourceEvent event;
  event.uri = "/kiv-joust/v1/player";
  event.eventType = PluginResourceEventType::kUpdate;
  event.data.MutableMember("id") = 4;
  ConversionStatus status;
  const BindingProperty value = ToValue(event, status);
  ASSERT_TRUE(status.IsValid());
  BindingProperty wire = value;
  wire.MutableMember("eventType") = "Delete";
  PluginResourceEvent back;
  FromValue(wire, "<result>", back, status);
  ASSERT_TRUE(status.IsValid()) << status.Error();
  EXPECT_EQ(back.uri, event.uri);
  EXPECT_EQ(back.eventType, PluginResourceEventType::kDelete);
  EXPECT_EQ(back.data, event.data);
}

}  // namespace
}  // namespace kiv
