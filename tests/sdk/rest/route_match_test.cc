#include "sdk/rest/route_match.h"
#include "sdk/rest/route_index.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "kiv_plugin_abi.h"
#include "sdk/rest/url_decode.h"

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

struct MatchCase {
  const char* desc;
  const char* urlTemplate;
  const char* path;
  bool matches;
  std::vector<std::pair<std::string, std::string>> parameters;
};

class MatchOneRoute : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchOneRoute, GivesTheRegularExpressionsResult) {
  const MatchCase& c = GetParam();
  const Route routes[] = {MakeRoute(KIV_METHOD_GET, "", c.urlTemplate)};
  RouteMatch match;
  ASSERT_EQ(Match(routes, KIV_METHOD_GET, "", c.path, false, &match), c.matches);
  if (c.matches) {
    EXPECT_EQ(match.parameters, c.parameters);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Routes, MatchOneRoute,
    ::testing::Values(
        MatchCase{"empty plain", "/a/{x}/b", "/a//b", true, {{"x", ""}}},
        MatchCase{"plain stops at slash", "/a/{x}/b", "/a/1/2/b", false, {}},
        MatchCase{
            "greedy takes slashes", "/files/{+path}", "/files/a/b/c", true, {{"path", "a/b/c"}}},
        MatchCase{"dot is literal", "/v1.0/{x}", "/v1x0/5", false, {}},
        MatchCase{"decoded slash", "/a/{x}", "/a/a%2Fb", true, {{"x", "a/b"}}},
        MatchCase{"decoded plus", "/a/{x}", "/a/a+b", true, {{"x", "a b"}}},
        MatchCase{
            "first greedy takes most", "/{+a}/{+b}", "/1/2/3", true, {{"a", "1/2"}, {"b", "3"}}},
        MatchCase{"fragment", "/p{#f}", "/p#frag/x", true, {{"f", "frag/x"}}},
        MatchCase{"greedy stops at line break", "/{+a}", "/x\ny", false, {}},
        MatchCase{"literal is exact", "/kiv-joust/v1/enabled", "/kiv-joust/v1/Enabled", false, {}},
        MatchCase{"full match only", "/a/{x}", "/a/1/", false, {}}),
    [](const auto& info) {
      std::string name = info.param.desc;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

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

TEST(UrlDecode, EscapesAndPluses) {
  EXPECT_EQ(UrlDecode("a%2Fb+c%2f"), "a/b c/");
  EXPECT_EQ(UrlDecode("%zz"), std::string(1, static_cast<char>((16 * 16 + 16) & 0xFF)));
  EXPECT_EQ(UrlDecode("x%4"), "x4");
  EXPECT_EQ(UrlDecode("x%"), "x");
}

TEST(ParseQuery, LaterKeysReplaceAndBareKeysAreEmpty) {
  EXPECT_THAT(ParseQuery("a=1&a=2&flag"), ElementsAre(Pair("a", "2"), Pair("flag", "")));
  EXPECT_THAT(ParseQuery("k%20=v=w&&"), ElementsAre(Pair("", ""), Pair("k ", "v=w")));
}

}  // namespace
}  // namespace kiv
