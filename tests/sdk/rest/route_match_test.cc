#include "sdk/rest/route_match.h"
#include "sdk/rest/route_index.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "kiv_plugin_abi.h"
#include "sdk/rest/url_decode.h"
#include "sdk/runtime/event_names.h"
#include "tests/shared/url_cases.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(CompileTemplate, PatternTextAndParameters) {
  const RouteTemplate kick = CompileTemplate("/kiv-joust/v1/tournament/{tournamentId}/roster/kick");
  EXPECT_EQ(kick.pattern, "/kiv-joust/v1/tournament/([^/]*)/roster/kick");
  EXPECT_THAT(kick.parameters, ElementsAre(RouteParameter{"tournamentId", ParameterForm::kPlain}));
  EXPECT_FALSE(kick.isLiteral);

  EXPECT_TRUE(CompileTemplate("/kiv-joust/v1/enabled").isLiteral);
  EXPECT_EQ(CompileTemplate("/v1.0/{+p}/{#f}/{a+b}").pattern, "/v1\\.0/(.*)/#(.*)/([^/]*)");
  EXPECT_THAT(CompileTemplate("/{+p}/{#f}/{a+b}").parameters,
              ElementsAre(RouteParameter{"p", ParameterForm::kGreedy},
                          RouteParameter{"f", ParameterForm::kFragment},
                          RouteParameter{"a+b", ParameterForm::kPlain}));
}

TEST(NormalizeTemplate, DropsOneTrailingSlash) {
  EXPECT_EQ(NormalizeTemplate("/kiv-joust/v1/player/"), "/kiv-joust/v1/player");
  EXPECT_EQ(NormalizeTemplate("/"), "/");
}

// The plugin's routing answers the cases the host's twin answers too.
TEST(Match, AnswersTheSharedCases) {
  for (const url_cases::TemplateCase& c : url_cases::kTemplateCases) {
    SCOPED_TRACE(c.desc);
    const Route routes[] = {MakeRoute(KIV_METHOD_GET, "", c.urlTemplate)};
    RouteMatch match;
    ASSERT_EQ(Match(routes, KIV_METHOD_GET, "", c.path, false, &match), c.matches);
    if (c.matches) {
      EXPECT_EQ(match.parameters, c.captures);
    }
  }
  for (const url_cases::DecodeCase& c : url_cases::kDecodeCases) {
    EXPECT_EQ(UrlDecode(c.encoded), c.decoded) << c.encoded;
  }
  for (const url_cases::EventNameCase& c : url_cases::kEventNameCases) {
    EXPECT_EQ(EventNameOfUri(c.uri), c.eventName) << c.uri;
  }
}

TEST(Match, MostSpecificRouteWins) {
  const Route routes[] = {MakeRoute(KIV_METHOD_GET, "", "/r/{+rest}"),
                          MakeRoute(KIV_METHOD_GET, "", "/r/{id}/x")};
  RouteMatch match;
  ASSERT_TRUE(Match(routes, KIV_METHOD_GET, "", "/r/5/x", false, &match));
  EXPECT_EQ(match.route, &routes[1]);
  EXPECT_THAT(match.parameters, ElementsAre(Pair("id", "5")));
}

TEST(Match, TieKeepsTheEarlierAndLiteralHitStops) {
  const Route routes[] = {
      MakeRoute(KIV_METHOD_GET, "", "/t/{a}"), MakeRoute(KIV_METHOD_GET, "", "/t/{b}"),
      MakeRoute(KIV_METHOD_GET, "", "/t/lit"), MakeRoute(KIV_METHOD_GET, "", "/t/{c}")};
  RouteMatch match;
  ASSERT_TRUE(Match(routes, KIV_METHOD_GET, "", "/t/zz", false, &match));
  EXPECT_EQ(match.route, &routes[0]);
  ASSERT_TRUE(Match(routes, KIV_METHOD_GET, "", "/t/lit", false, &match));
  EXPECT_EQ(match.route, &routes[2]);
  EXPECT_TRUE(match.parameters.empty());
}

TEST(Match, Methods) {
  const Route routes[] = {MakeRoute(KIV_METHOD_POST, "", "/p"),
                          MakeRoute(KIV_METHOD_CUSTOM, "PURGE", "/c"), MakeRoute(0, "", "/any")};
  RouteMatch match;
  EXPECT_FALSE(Match(routes, KIV_METHOD_GET, "", "/p", false, &match));
  EXPECT_TRUE(Match(routes, KIV_METHOD_GET, "", "/p", true, &match));
  EXPECT_FALSE(Match(routes, KIV_METHOD_CUSTOM, "purge", "/c", false, &match));
  ASSERT_TRUE(Match(routes, KIV_METHOD_CUSTOM, "PURGE", "/c", false, &match));
  EXPECT_EQ(match.customMethod, "PURGE");
  EXPECT_TRUE(Match(routes, KIV_METHOD_DELETE, "", "/any", false, &match));
}

TEST(RouteIndex, ChoosesWhatMatchChooses) {
  const char* templates[] = {
      "/t/{id}/kick", "/t/{id}/roster/kick", "/t/{+rest}", "/t/x/kick",     "/t/{a}/{b}",
      "/t/{id}.json", "/t/{#frag}",          "/t",         "/t/{id}/kick/", "/{any}",
      "/t/a%2Fb/kick"};
  std::vector<Route> routes;
  for (const char* text : templates) routes.push_back(MakeRoute(KIV_METHOD_GET, "", text));
  routes.push_back(MakeRoute(KIV_METHOD_POST, "", "/t/{id}/kick"));
  const RouteIndex index(routes);
  const char* paths[] = {
      "/t/5/kick", "/t/5/roster/kick", "/t/x/kick", "/t/a/b",   "/t/7.json",     "/t/#f", "/t",
      "/t/",       "/t/5/kick/",       "/x",        "/t/a/b/c", "/t/a%2Fb/kick", "",      "/t/kick",
      "kick"};
  for (const uint32_t method : {KIV_METHOD_GET, KIV_METHOD_POST}) {
    for (const char* path : paths) {
      RouteMatch linear;
      RouteMatch indexed;
      const bool found = Match(routes, method, "", path, false, &linear);
      ASSERT_EQ(index.Find(method, "", path, &indexed), found) << path;
      if (!found) continue;
      EXPECT_EQ(indexed.route, linear.route) << path;
      EXPECT_EQ(indexed.parameters, linear.parameters) << path;
    }
  }
}

TEST(UrlDecode, BadHexDigitsStillCount) {
  EXPECT_EQ(UrlDecode("%zz"), std::string(1, static_cast<char>((16 * 16 + 16) & 0xFF)));
}

TEST(ParseQuery, LaterKeysReplaceAndBareKeysAreEmpty) {
  EXPECT_THAT(ParseQuery("a=1&a=2&flag"), ElementsAre(Pair("a", "2"), Pair("flag", "")));
  EXPECT_THAT(ParseQuery("k%20=v=w&&"), ElementsAre(Pair("", ""), Pair("k ", "v=w")));
}

}  // namespace
}  // namespace kiv
