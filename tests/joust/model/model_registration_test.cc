// The whole model in a type registry: every type, member and value against
// model_types.txt, shared names, backend class names and the Epytext help.
#include "joust/model/register_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "joust/model/api/bracket.h"
#include "joust/model/api/history.h"
#include "joust/model/lcds/class_names.h"
#include "joust/model/lcds/tournament.h"
#include "sdk/registry/epytext.h"
#include "sdk/registry/name_space.h"
#include "tests/joust/model/model_types_file.h"
#include "tests/sdk/value/maybe_matchers.h"

namespace kiv::joust {
namespace {

using kiv::testing::FailsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string QualifiedName(const TypeDescription& type) {
  return JoinNameSpace(type.nameSpace) + "." + type.name;
}

std::string TypeText(const TypeReference& type, const TypeRegistry& registry) {
  switch (type.type) {
    case NativeType::kVector:
      return "vector<" + TypeText(*type.element, registry) + ">";
    case NativeType::kMap:
      return "map<" + TypeText(*type.element, registry) + ">";
    case NativeType::kEnum:
    case NativeType::kStruct: {
      const TypeDescription* registered = registry.FindTypeById(type.typeId);
      return registered ? QualifiedName(*registered) : "unregistered";
    }
    default:
      return NativeTypeName(type.type);
  }
}

/// The registry's listing of a type in the data file's form.
std::string Listing(const TypeDescription& type, const TypeRegistry& registry) {
  std::string line = (type.IsEnum() ? "enum " : "struct ") + QualifiedName(type);
  for (const FieldDescription& field : type.fields) {
    line += " " + field.name + ":" + TypeText(field.type, registry);
  }
  for (const EnumValueDescription& value : type.values) {
    line += " " + value.name + "=" + std::to_string(value.number);
  }
  return line;
}

/// The registry's types that are not built in, in registration order.
std::vector<const TypeDescription*> ModelTypes(const TypeRegistry& registry) {
  std::vector<const TypeDescription*> types;
  for (const TypeDescription& type : registry.Types()) {
    if (type.nameSpace.empty() || type.nameSpace[0] != "$builtin") types.push_back(&type);
  }
  return types;
}

class JoustModel : public ::testing::Test {
 protected:
  void SetUp() override {
    auto registered = RegisterJoustModel(registry_);
    ASSERT_TRUE(registered.ok()) << registered.failure().Message();
  }
  TypeRegistry registry_;
};

TEST_F(JoustModel, ListsEveryTypeInOrderWithItsMembersAndValues) {
  const auto expected = model_test::ReadModelTypes(KIV_MODEL_TYPES_FILE);
  const auto listed = ModelTypes(registry_);
  ASSERT_EQ(listed.size(), expected.size());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(Listing(*listed[i], registry_), expected[i].line) << "type " << i;
  }
}

TEST_F(JoustModel, RegisteringTwiceFailsNamingTheFirstTypeTaken) {
  EXPECT_THAT(RegisterJoustModel(registry_),
              FailsWith(500,
                        "The model type LCDS::ClientRequestError could not be registered: "
                        "its name or type identifier is already taken."));
}

TEST_F(JoustModel, SharedNamesAreFoundBareAndQualifiedAndShownQualified) {
  EXPECT_EQ(registry_.FindTypeByName("Bracket")->staticTypeId, StaticType::Id<LCDS::Bracket>());
  EXPECT_EQ(registry_.FindTypeByName("Api.Bracket")->staticTypeId, StaticType::Id<Api::Bracket>());
  EXPECT_EQ(registry_.FindTypeByName("LCDS.ThemeVp")->staticTypeId,
            StaticType::Id<LCDS::ThemeVp>());
  EXPECT_EQ(registry_.ReferenceName(*registry_.FindTypeByName("Api.ThemeVp")), "Api.ThemeVp");
  EXPECT_EQ(registry_.ReferenceName(*registry_.FindTypeByName("Roster")), "Roster");
}

TEST_F(JoustModel, BackendClassNamesAreFoundByNameAndByIdentifier) {
  for (const TypeDescription* type : ModelTypes(registry_)) {
    if (type->nameSpace[0] != "LCDS") {
      EXPECT_EQ(LCDS::ClassNameOfTypeId(type->staticTypeId), "") << type->name;
      continue;
    }
    EXPECT_THAT(std::string(LCDS::ClassNameOfType(type->name)),
                StartsWith("com.zanthgames.joust.contract."));
    EXPECT_EQ(LCDS::ClassNameOfType(type->name), LCDS::ClassNameOfTypeId(type->staticTypeId));
  }
  EXPECT_EQ(LCDS::ClassNameOfType("Bracket"), "com.zanthgames.joust.contract.dto.BracketDTO");
  EXPECT_EQ(LCDS::ClassNameOfTypeId(StaticType::Id<LCDS::TournamentInfoDTO>()),
            "com.zanthgames.joust.contract.dto.TournamentDTO");
  EXPECT_EQ(LCDS::ClassNameOfType("ClientBracketMatchStatus"),
            LCDS::ClassNameOfType("RosterMemberDTO"));
  EXPECT_EQ(LCDS::ClassNameOfType("ClientRequestError"),
            "com.zanthgames.joust.contract.error.ClientRequestError");
  EXPECT_EQ(LCDS::ClassNameOfType("Roster"), "");
}

TEST_F(JoustModel, EpytextHelpOfEveryTypeNamesItsMembersAndValues) {
  for (const TypeDescription* type : ModelTypes(registry_)) {
    const std::string help = EpytextTypeHelp(*type, registry_);
    EXPECT_THAT(help, StartsWith(EscapeEpytext(type->description) + "\r\n\r\n")) << type->name;
    for (const FieldDescription& field : type->fields) {
      EXPECT_THAT(help, HasSubstr("\r\n@type " + field.name + ": ")) << type->name;
    }
    for (const EnumValueDescription& value : type->values) {
      EXPECT_THAT(help, HasSubstr("@cvar " + value.name + ": ")) << type->name;
    }
  }
  EXPECT_EQ(EpytextTypeHelp(*registry_.FindTypeByName("PlayerRewards"), registry_),
            "The player's victory points.\r\n\r\n"
            "@ivar seasonVp: \r\n@type seasonVp: int32\r\n"
            "@ivar themeVp: \r\n@type themeVp: list[L{Api.ThemeVp}]");
  EXPECT_THAT(EpytextTypeHelp(*registry_.FindTypeByName("TournamentInfoDTO"), registry_),
              HasSubstr("@type roster: L{RosterDTO}\r\n"));
}

}  // namespace
}  // namespace kiv::joust
