#include "sdk/registry/type_registry.h"
#include "sdk/value/conversion_status.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sdk/registry/builtin_types.h"
#include "sdk/registry/epytext.h"
#include "sdk/registry/help_builder.h"
#include "sdk/registry/register_native.h"

namespace registry_model {

enum class Visibility : int32_t { kHidden = 0, kDarkVisible = 1, kVisible = 2 };
constexpr auto DescribeEnum(const Visibility*) {
  return kiv::Enum<Visibility>("Visibility",
                               {{"Hidden", 0}, {"DarkVisible", 1}, {"Visible", 2, "Seen"}})
      .Described("Who sees it.");
}

struct Member {
  uint64_t id = 0;
};
constexpr auto DescribeRecord(const Member*) {
  return kiv::Record<Member>("Member", kiv::Field("id", &Member::id, "Player id"));
}

struct Team {
  int64_t id = -1;
  std::vector<Member> members;
  std::map<std::string, std::string> labels;
  Visibility visibility = Visibility::kHidden;
};
constexpr auto DescribeRecord(const Team*) {
  return kiv::Record<Team>("Team", kiv::Field("id", &Team::id),
                           kiv::Field("members", &Team::members),
                           kiv::Field("labels", &Team::labels, "{free} labels"),
                           kiv::Field("visibility", &Team::visibility));
}

// A second record under the bare name "Team", in another name space.
namespace backend {
struct Team {
  std::vector<registry_model::Team> rivals;
};
constexpr auto DescribeRecord(const Team*) {
  return kiv::Record<Team>("Team", kiv::Field("rivals", &Team::rivals));
}
}  // namespace backend

}  // namespace registry_model

using registry_model::Member;
using registry_model::Team;
using registry_model::Visibility;

namespace kiv {
namespace {

class RegistryWithTeam : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterNative<Visibility>(registry, {.namePrefix = "Joust"}));
    ASSERT_TRUE(RegisterNative<Member>(registry));
    ASSERT_TRUE(RegisterNative<Team>(registry));
  }
  TypeRegistry registry;
};

TEST_F(RegistryWithTeam, FindsTypesByIdentifierAndName) {
  const TypeDescription* team = registry.FindTypeById(StaticType::Id<Team>());
  ASSERT_NE(team, nullptr);
  EXPECT_EQ(registry.FindTypeByName("Team"), team);
  EXPECT_EQ(team->flag, 0u);
  EXPECT_EQ(team->size, sizeof(Team));
  ASSERT_EQ(team->fields.size(), 4u);
  EXPECT_EQ(team->fields[1].name, "members");
  EXPECT_EQ(team->fields[0].offset, 0u);
  EXPECT_EQ(team->fields[1].offset, sizeof(int64_t));
  EXPECT_EQ(team->fields[1].type.type, NativeType::kVector);

  const TypeDescription* visibility = registry.FindTypeByName("JoustVisibility");
  ASSERT_NE(visibility, nullptr);
  EXPECT_EQ(visibility->flag, 1u);
  EXPECT_EQ(visibility->size, 4u);
  EXPECT_EQ(visibility->description, "Who sees it.");
}

TEST_F(RegistryWithTeam, MapsEnumNumbersAndNames) {
  const uint32_t id = StaticType::Id<Visibility>();
  EXPECT_EQ(registry.EnumNumber(id, "DarkVisible"), 1);
  EXPECT_STREQ(registry.EnumName(id, 2), "Visible");
  EXPECT_EQ(registry.EnumName(id, 3), nullptr);
  EXPECT_EQ(registry.EnumNumber(id, "visible"), std::nullopt);
}

TEST_F(RegistryWithTeam, RefusesTakenNamesAndIdentifiers) {
  const size_t before = registry.Types().size();
  EXPECT_FALSE(RegisterNative<Team>(registry));
  TypeBuilder sameName = registry.RegisterType("Team", 8, 0, 0);
  sameName.AddField("x", "", 0, TypeReferenceOf<int32_t>(), 0).SetDescription("ignored");
  EXPECT_FALSE(sameName.Finish());
  EXPECT_FALSE(registry.RegisterType("Other", 8, StaticType::Id<Member>(), 0).Finish());
  EXPECT_EQ(registry.Types().size(), before);  // checked before the builders below
  EXPECT_EQ(registry.FindTypeByName("Team")->description, "");

  TypeBuilder original = registry.RegisterType("Moved", 1, 0, 0);
  TypeBuilder moved = std::move(original);
  EXPECT_FALSE(original.Finish());
  EXPECT_TRUE(moved.Finish());

  // A name taken between RegisterType and Finish is refused at Finish.
  TypeBuilder first = registry.RegisterType("Late", 1, 0, 0);
  EXPECT_TRUE(registry.RegisterType("Late", 1, 0, 0).Finish());
  EXPECT_FALSE(first.Finish());
}

TEST_F(RegistryWithTeam, HoldsOneBareNameInSeveralNameSpaces) {
  constexpr std::string_view kBackend[] = {"LCDS"};
  ASSERT_TRUE(RegisterNative<registry_model::backend::Team>(registry, {.nameSpace = kBackend}));
  EXPECT_FALSE(registry.RegisterType("Team", 1, 0, 0).AddNameSpace("LCDS").Finish());

  const TypeDescription* rest = registry.FindTypeByName("Team");
  const TypeDescription* backend = registry.FindTypeByName("LCDS.Team");
  ASSERT_NE(backend, nullptr);
  EXPECT_EQ(rest, registry.FindTypeById(StaticType::Id<Team>()));
  EXPECT_EQ(backend, registry.FindTypeById(StaticType::Id<registry_model::backend::Team>()));
  EXPECT_EQ(registry.FindTypeByName("Other.Team"), nullptr);
  // A shared bare name is written qualified wherever help refers to the type.
  EXPECT_EQ(registry.ReferenceName(*rest), "Team");
  EXPECT_EQ(registry.ReferenceName(*backend), "LCDS.Team");
  EXPECT_EQ(FullTypeIdentifier(backend->fields[0].type, registry).elementType, "Team");
  EXPECT_EQ(registry.ReferenceName(*registry.FindTypeByName("Member")), "Member");
}

TEST_F(RegistryWithTeam, ConvertsByIdentifier) {
  BindingProperty value;
  value.MutableMember("id") = 12;
  value.MutableMember("visibility") = "Visible";
  Team team;
  ConversionStatus status;
  registry.FromValueById(StaticType::Id<Team>(), value, "<value>", &team, status);
  ASSERT_TRUE(status.IsValid()) << status.Error();
  EXPECT_EQ(team.id, 12);
  EXPECT_EQ(team.visibility, Visibility::kVisible);

  BindingProperty out;
  registry.ToValueById(StaticType::Id<Team>(), &team, out, status);
  EXPECT_EQ(out.Member("id").GetSigned(), 12);

  registry.FromValueById(12345, value, "<value>", &team, status);
  EXPECT_EQ(status.Error(),
            "Couldn't assign value to '<value>' because the input is an unregistered structure or "
            "not a structure at all.");
  status.Reset();
  registry.ToValueById(12345, &team, out, status);
  EXPECT_EQ(status.Error(),
            "Couldn't convert native value because it's an unregistered structure.");
}

TEST(TypeRegistryBuiltins, HoldHelpAndAsyncTypes) {
  const TypeRegistry registry;
  const TypeDescription* state = registry.FindTypeByName("BindingAsyncState");
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->nameSpace, (std::vector<std::string>{"$builtin", "async"}));
  ASSERT_EQ(state->values.size(), 6u);
  EXPECT_EQ(state->values[2].name, "Cancelling");
  EXPECT_EQ(state->values[2].description, "A request to cancel the operation has been made");

  const TypeDescription* function = registry.FindTypeByName("BindingFullFunctionHelp");
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function->nameSpace, (std::vector<std::string>{"$builtin", "help"}));
  EXPECT_EQ(function->description, "Describes a function.");
  std::vector<std::string> names;
  for (const FieldDescription& field : function->fields) names.push_back(field.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"name", "nameSpace", "arguments", "returns", "description",
                                      "help", "threadSafe", "async", "tags"}));

  const TypeDescription* format = registry.FindTypeByName("BindingHelpFormat");
  ASSERT_NE(format, nullptr);
  EXPECT_EQ(format->values[1].name, "Epytext");
  EXPECT_EQ(format->values[1].number, 2);
  EXPECT_EQ(registry.FindTypeByName("BindingAsyncFailureEvent")->fields[1].description,
            "Error message");
  ASSERT_EQ(registry.Events().size(), 1u);
  EXPECT_EQ(registry.Events()[0].name, "OnCallback");
  EXPECT_EQ(registry.Events()[0].description, "Fired when a callback is invoked.");
}

TEST_F(RegistryWithTeam, NamesTypesInFullAndEpytextForms) {
  struct Case {
    const char* desc;
    TypeReference type;
    std::string full;
    std::string element;
    std::string epytext;
  };
  const Case cases[] = {
      {"int64", TypeReferenceOf<int64_t>(), "int64", "", "int64"},
      {"vector of int64", TypeReferenceOf<std::vector<int64_t>>(), "vector", "int64",
       "list[int64]"},
      {"map of strings", TypeReferenceOf<std::map<std::string, std::string>>(), "map", "string",
       "dict[string]"},
      {"record", TypeReferenceOf<Team>(), "Team", "", "L{Team}"},
      {"prefixed enum", TypeReferenceOf<Visibility>(), "JoustVisibility", "", "L{JoustVisibility}"},
      {"vector of records", TypeReferenceOf<std::vector<Member>>(), "vector", "Member",
       "list[L{Member}]"},
      {"blob", TypeReferenceOf<Blob>(), "blob", "", "bytearray"},
      {"object", TypeReferenceOf<BindingProperty>(), "object", "", "object"},
      {"unregistered record", {NativeType::kStruct, 99, nullptr}, "struct", "", "L{struct}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desc);
    const BindingFullTypeIdentifier full = FullTypeIdentifier(c.type, registry);
    EXPECT_EQ(full.type, c.full);
    EXPECT_EQ(full.elementType, c.element);
    EXPECT_EQ(EpytextType(c.type, registry), c.epytext);
  }
}

TEST(Epytext, EscapesDashAndBraces) {
  EXPECT_EQ(EscapeEpytext("-starts {word} here"), "E{-}starts E{lb}wordE{rb} here");
  EXPECT_EQ(EscapeEpytext("a-b"), "a-b");
  EXPECT_EQ(EscapeEpytext(""), "");
}

TEST_F(RegistryWithTeam, WritesEpytextBlocks) {
  FunctionDescription function{
      .name = "GetTeam",
      .nameSpace = {"Plugin"},
      .arguments = {{"id", TypeReferenceOf<int64_t>(), "Team {id}", false, 1},
                    {"full", TypeReferenceOf<bool>(), "-verbose", true, 2}},
      .result = TypeReferenceOf<Team>(),
      .description = "Reads a team.",
      .help = "GET /team",
      .threadSafe = true,
      .async = TypeReferenceOf<std::vector<Member>>(),
      .tags = {"Plugins", "Plugin x"}};
  EXPECT_EQ(EpytextFunctionHelp(function, registry),
            "Reads a team.\r\n\r\nGET /team\r\n\r\n"
            "@param id: Team E{lb}idE{rb}\r\n@type id: int64\r\n"
            "@param full: (optional) E{-}verbose\r\n@type full: bool\r\n"
            "@rtype: L{Team}\r\n@tags: Plugins,Plugin x\r\n@threadsafe: true\r\n"
            "@async: list[L{Member}]");

  EXPECT_EQ(EpytextTypeHelp(*registry.FindTypeByName("Member"), registry),
            "\r\n\r\n@ivar id: Player id\r\n@type id: uint64");
  EXPECT_EQ(EpytextTypeHelp(*registry.FindTypeByName("JoustVisibility"), registry),
            "Who sees it.\r\n\r\n@cvar Hidden: \r\n@cvar DarkVisible: \r\n@cvar Visible: Seen\r\n"
            "@size: 4");
}

TEST_F(RegistryWithTeam, BuildsTheApiHelpValue) {
  ASSERT_TRUE(
      registry.RegisterFunction({.name = "GetTeam",
                                 .nameSpace = {"Plugin", "v1"},
                                 .arguments = {{"id", TypeReferenceOf<int64_t>(), "", true, 1}},
                                 .result = TypeReferenceOf<Team>()}));
  EXPECT_FALSE(registry.RegisterFunction({.name = "GetTeam", .nameSpace = {"Plugin", "v1"}}));

  const BindingProperty help = BuildApiHelpValue(registry);
  ASSERT_TRUE(help.IsValid()) << help.Error();
  const BindingProperty& function = help.Member("functions").Element(0);
  EXPECT_EQ(function.Member("nameSpace").GetString(), "Plugin.v1");
  EXPECT_EQ(function.Member("returns").Member("type").GetString(), "Team");
  EXPECT_TRUE(function.Member("arguments").Element(0).Member("optional").GetBool());
  EXPECT_EQ(function.Member("async").GetString(), "");

  const BindingProperty* team = nullptr;
  for (const BindingProperty& type : help.Member("types").Elements()) {
    if (type.Member("name").GetString() == "Team") team = &type;
  }
  ASSERT_NE(team, nullptr);
  EXPECT_EQ(team->Member("fields").Size(), 4u);
  EXPECT_EQ(team->Member("fields").Element(2).Member("type").Member("elementType").GetString(),
            "string");
  EXPECT_EQ(help.Member("events").Element(0).Member("type").Member("type").GetString(),
            "BindingCallbackEvent");
  EXPECT_EQ(help.Member("events").Element(0).Member("nameSpace").GetString(), "$builtin");
}

}  // namespace
}  // namespace kiv
