// Visibility, enablement and readiness of the feature through the real
// plugin: every combination of configuration, entitlements token and
// individual entitlement, and a configuration withdrawn mid-tournament.
#include <gmock/gmock.h>

#include <tuple>

#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using namespace samples;

enum class Token { kNone, kWithoutDarkEntitlement, kWithDarkEntitlement };
enum class Individual { kOff, kServiceSaysYes, kServiceSaysNo };

constexpr const char* kVisibilities[] = {"Hidden", "DarkVisible", "Visible"};
constexpr const char* kStates[] = {"DarkDisabled", "DarkEnabled", "Disabled", "Enabled"};

struct Expected {
  bool visible, enabled, ready;
};

// The feature's published values as the product rules state them.
Expected Derive(std::string_view visibility, std::string_view state, Token token,
                Individual individual) {
  const bool entitled =
      individual == Individual::kServiceSaysYes || (token == Token::kWithDarkEntitlement);
  const bool dark = state == "DarkEnabled";
  Expected expected{};
  if (visibility == "Hidden" || state == "DarkDisabled") {
    expected.visible = false;
  } else if (visibility == "DarkVisible" || dark) {
    expected.visible = entitled;
  } else {
    expected.visible = true;
  }
  expected.enabled = state == "Enabled" || (dark && entitled);
  expected.ready = !(dark && token == Token::kNone && individual == Individual::kOff);
  return expected;
}

class VisibilityMatrix : public JoustWorld,
                         public ::testing::WithParamInterface<
                             std::tuple<const char*, const char*, Token, Individual>> {};

TEST_P(VisibilityMatrix, PublishesWhatTheInputsDerive) {
  const auto [visibility, state, token, individual] = GetParam();
  service_.Set("joust", "getTournamentInfoMinimal", ServiceReply::Ok(MinimalInfo({})));
  service_.Set("joust", "isEnabledForMe",
               ServiceReply::Ok(individual == Individual::kServiceSaysYes ? "true" : "false"));
  Login();
  if (token != Token::kNone) {
    world_->Set(kEntitlementsUri,
                token == Token::kWithDarkEntitlement
                    ? R"({"token":"t","accessToken":"a","entitlements":["other","joust_dark"]})"
                    : R"({"token":"t","accessToken":"a","entitlements":["other"]})",
                "Create");
  }
  Configure(std::string("{\"Visibility\":\"") + visibility + "\",\"EnabledState\":\"" + state +
            "\",\"DarkModeEntitlement\":\"joust_dark\",\"UseIndividualEntitlement\":" +
            (individual == Individual::kOff ? "false" : "true") + "}");

  const Expected expected = Derive(visibility, state, token, individual);
  // Read back: a pass whose backend refresh fails publishes nothing, so the
  // resources answer what was derived.
  const auto data = [this](const char* uri) {
    return host::HostValueToJson(
        host_->Request(HostRequest::Make(KIV_METHOD_GET, uri)).body.root());
  };
  EXPECT_EQ(data("/kiv-joust/v1/visible"), expected.visible ? "true" : "false");
  EXPECT_EQ(data("/kiv-joust/v1/enabled"), expected.enabled ? "true" : "false");
  EXPECT_EQ(data("/kiv-joust/v1/ready"), expected.ready ? "true" : "false");
  size_t checks = 0;
  for (const auto& call : service_.calls()) checks += call.methodName == "isEnabledForMe";
  EXPECT_EQ(checks, individual == Individual::kOff ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryInput, VisibilityMatrix,
    ::testing::Combine(::testing::ValuesIn(kVisibilities), ::testing::ValuesIn(kStates),
                       ::testing::Values(Token::kNone, Token::kWithoutDarkEntitlement,
                                         Token::kWithDarkEntitlement),
                       ::testing::Values(Individual::kOff, Individual::kServiceSaysYes,
                                         Individual::kServiceSaysNo)));

TEST_F(JoustWorld, ConfigurationDeletedMidTournamentHidesTheFeatureAndLiftsTheRestriction) {
  service_.Set("joust", "getTournamentInfoMinimal",
               ServiceReply::Ok(
                   MinimalInfo({{Cup(), Roster(), {}, std::nullopt, {}, 0}}, kNow + 10 * kMinute)));
  Login();
  Configure();
  world_->Set("/kiv-gameflow/v1/session", R"({"phase":"CheckedIntoTournament"})");
  ASSERT_THAT(Published("/kiv-joust/v2/playmode-restricted"),
              ::testing::HasSubstr("\"isRestricted\":true"));
  world_->ClearPosted();

  world_->Delete(kConfigUri);
  host_->RunUntilIdle();
  EXPECT_THAT(Published("/kiv-joust/v1/visible"), ::testing::HasSubstr("\"data\":false"));
  EXPECT_THAT(Published("/kiv-joust/v1/enabled"), ::testing::HasSubstr("\"data\":false"));
  EXPECT_THAT(Published("/kiv-joust/v1/iconconfig"), ::testing::HasSubstr("\"data\":null"));
  EXPECT_THAT(Published("/kiv-joust/v2/playmode-restricted"),
              ::testing::HasSubstr("\"isRestricted\":false"));
  std::vector<std::string> posted;
  for (const auto& request : world_->posted()) posted.push_back(request.path);
  EXPECT_THAT(posted, ::testing::Contains("/kiv-gameflow/v1/session/tournament-ended"));
  EXPECT_THAT(posted, ::testing::Contains("/kiv-chat/v1/me"));  // presence back to NONE
}

}  // namespace
}  // namespace kiv::testing
