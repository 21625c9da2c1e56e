// The OpenAPI document the gateway serves, checked against the probe's own
// API description; the document is also written out for the independent
// validator (the ctest "gateway_openapi_lint").
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/pointer.h>

#include <fstream>
#include <string>

#include "host/host_value_reader.h"
#include "host/route_table.h"
#include "tests/host/gateway/gateway_fixture.h"

namespace kiv::host::gateway {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

const rapidjson::Value* At(const rapidjson::Value& root, const std::string& pointer) {
  return rapidjson::Pointer(pointer.c_str()).Get(root);
}

std::string Escaped(std::string text) {  // a JSON pointer token
  for (size_t i = 0; (i = text.find('/', i)) != std::string::npos; i += 2) text.replace(i, 1, "~1");
  return text;
}

std::vector<std::string> Strings(const rapidjson::Value* list) {
  std::vector<std::string> out;
  if (list && list->IsArray()) {
    for (const auto& item : list->GetArray()) out.emplace_back(item.GetString());
  }
  return out;
}

using GatewayOpenApi = GatewayFixture;

TEST_F(GatewayOpenApi, DescribesEveryEndpointAndType) {
  const auto answer = Client()->Get("/openapi.json");
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->status, 200);
#ifdef KIV_OPENAPI_OUT
  std::ofstream(KIV_OPENAPI_OUT) << answer->body;
#endif
  rapidjson::Document document;
  document.Parse(answer->body.c_str());
  ASSERT_TRUE(document.IsObject());
  EXPECT_STREQ(document["openapi"].GetString(), "3.1.0");

  // Every endpoint, by its description: an operation named after the
  // function whose parameters and body cover the function's arguments.
  const ApiDescription& api = *host_->record().api;
  int operations = 0;
  for (uint32_t i = 0; i < api.functionCount; ++i) {
    const ApiFunction& function = api.functions[i];
    if (!*function.urlTemplate) continue;
    SCOPED_TRACE(function.name);
    std::string method(MethodName(function.method));
    for (char& c : method) c = static_cast<char>(std::tolower(c));
    const auto* operation = At(document, "/paths/" + Escaped(function.urlTemplate) + "/" + method);
    ASSERT_NE(operation, nullptr);
    ++operations;
    EXPECT_STREQ((*operation)["operationId"].GetString(), function.name);
    std::vector<std::string> covered;
    if (operation->HasMember("parameters")) {
      for (const auto& parameter : (*operation)["parameters"].GetArray()) {
        covered.emplace_back(parameter["name"].GetString());
      }
    }
    std::vector<std::string> arguments;
    for (const HostValue& argument : ItemsOf(FindMember(function.help, "arguments"))) {
      arguments.push_back(TextOf(FindMember(argument, "name")));
    }
    if (operation->HasMember("requestBody")) covered.push_back(arguments.empty() ? "" : "(body)");
    EXPECT_EQ(covered.size(), arguments.size());
  }
  EXPECT_EQ(operations, 12);

  // Where the arguments go, for endpoints of each kind.
  const std::string args = "/paths/~1kiv-probe~1v1~1args~1{id}/get/parameters";
  EXPECT_STREQ(At(document, args + "/0/in")->GetString(), "path");
  EXPECT_STREQ(At(document, args + "/0/schema/format")->GetString(), "int64");
  EXPECT_STREQ(At(document, args + "/1/in")->GetString(), "query");
  EXPECT_EQ(At(document, args + "/1/schema/maximum")->GetUint64(), 4294967295u);
  EXPECT_STREQ(At(document, args + "/3/name")->GetString(), "ids");
  EXPECT_STREQ(At(document, args + "/3/content/application~1json/schema/items/format")->GetString(),
               "int64");
  const std::string publish = "/paths/~1kiv-probe~1v1~1runtime~1publish/post";
  EXPECT_STREQ(At(document, publish + "/parameters/0/name")->GetString(), "uri");
  EXPECT_NE(At(document, publish + "/requestBody/content/application~1x-yaml"), nullptr);
  const std::string record = "/paths/~1kiv-probe~1v1~1record/post";
  EXPECT_STREQ(
      At(document, record + "/requestBody/content/application~1json/schema/$ref")->GetString(),
      "#/components/schemas/ProbeRecord");
  EXPECT_STREQ(
      At(document, record + "/responses/200/content/application~1json/schema/$ref")->GetString(),
      "#/components/schemas/ProbeRecord");

  // Every registered type is a component; records are objects, enums string enums.
  for (uint32_t i = 0; i < api.typeCount; ++i) {
    const std::string name = TextOf(FindMember(api.types[i], "name"));
    EXPECT_NE(At(document, "/components/schemas/" + name), nullptr) << name;
  }
  const std::string probeRecord = "/components/schemas/ProbeRecord";
  EXPECT_THAT(Strings(At(document, probeRecord + "/required")),
              UnorderedElementsAreArray({"a", "b", "c", "d", "e", "f"}));
  EXPECT_STREQ(At(document, probeRecord + "/properties/c/$ref")->GetString(),
               "#/components/schemas/ProbeColor");
  EXPECT_STREQ(At(document, probeRecord + "/properties/d/items/type")->GetString(), "integer");
  EXPECT_STREQ(At(document, probeRecord + "/properties/e/additionalProperties/format")->GetString(),
               "double");
  EXPECT_THAT(Strings(At(document, "/components/schemas/ProbeColor/enum")),
              ElementsAre("Red", "Green", "Blue"));
}

}  // namespace
}  // namespace kiv::host::gateway
