// The real library's built-in "Help" and API description list every type of
// the tournament model, with its members (names and types) and values, as
// model_types.txt expects them.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <map>
#include <set>
#include <string>

#include "host/host_value_json.h"
#include "host/plugin_host.h"
#include "tests/joust/model/model_types_file.h"

namespace {

using kiv::host::HostValueToJson;
using kiv::host::PluginHost;
using kiv::joust::model_test::ExpectedType;
using kiv::joust::model_test::ReadModelTypes;

/// How help names a model type of the data file: by its bare name unless
/// another name space shares it.
std::string ReferenceName(const std::string& type, const std::set<std::string>& shared) {
  const size_t dot = type.find('.');
  if (dot == std::string::npos || shared.count(type.substr(dot + 1))) return type;
  return type.substr(dot + 1);
}

/// A member type of the data file as help's "type" and "elementType", joined by "/".
std::string HelpType(const std::string& type, const std::set<std::string>& shared) {
  for (const std::string container : {"vector", "map"}) {
    if (type.rfind(container + "<", 0) == 0) {
      const std::string element =
          type.substr(container.size() + 1, type.size() - container.size() - 2);
      return container + "/" + ReferenceName(element, shared);
    }
  }
  return ReferenceName(type, shared) + "/";
}

TEST(JoustHelp, ListsEveryModelTypeWithItsMembersAndValues) {
  std::string error;
  auto host = PluginHost::Open(KIV_PLUGIN_PATH, &error);
  ASSERT_NE(host, nullptr) << error;
  host->Load({18, 0, 0});
  ASSERT_TRUE(host->Initialize());
  const auto response = host->CallBuiltin("Help");
  ASSERT_FALSE(response.error) << *response.error;
  rapidjson::Document help;
  help.Parse(HostValueToJson(response.body.root()).c_str());
  std::map<std::string, const rapidjson::Value*> listed;
  for (const rapidjson::Value& type : help["types"].GetArray()) {
    listed[std::string(type["nameSpace"].GetString()) + "." + type["name"].GetString()] = &type;
  }

  const std::vector<ExpectedType> expected = ReadModelTypes(KIV_MODEL_TYPES_FILE);
  std::set<std::string> names, shared;
  for (const ExpectedType& type : expected) {
    if (!names.insert(type.name).second) shared.insert(type.name);
  }
  for (const ExpectedType& type : expected) {
    SCOPED_TRACE(type.line);
    const auto found = listed.find(type.nameSpace + "." + type.name);
    ASSERT_NE(found, listed.end());
    const rapidjson::Value& members = (*found->second)[type.kind == "enum" ? "values" : "fields"];
    ASSERT_EQ(members.Size(), type.items.size());
    for (rapidjson::SizeType i = 0; i < members.Size(); ++i) {
      const rapidjson::Value& member = members[i];
      std::string item = std::string(member["name"].GetString());
      if (type.kind == "enum") {
        item += "=" + std::to_string(member["value"].GetInt());
        EXPECT_EQ(item, type.items[i]);
      } else {
        const std::string& want = type.items[i];
        EXPECT_EQ(item, want.substr(0, want.find(':')));
        EXPECT_EQ(std::string(member["type"]["type"].GetString()) + "/" +
                      member["type"]["elementType"].GetString(),
                  HelpType(want.substr(want.find(':') + 1), shared));
      }
    }
  }

  // The API description handed over at load carries the same types.
  const ApiDescription& api = *host->record().api;
  std::set<std::string> described;
  for (uint32_t i = 0; i < api.typeCount; ++i) {
    rapidjson::Document type;
    type.Parse(HostValueToJson(api.types[i]).c_str());
    described.insert(std::string(type["nameSpace"].GetString()) + "." + type["name"].GetString());
  }
  for (const ExpectedType& type : expected) {
    EXPECT_TRUE(described.count(type.nameSpace + "." + type.name)) << type.name;
  }
  host->Shutdown();
}

}  // namespace
