#include "sdk/rest/identifier.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(Identifier, FunctionNamesFromMethodAndTemplate) {
  EXPECT_EQ(MakeFunctionName("POST", "/kiv-joust/v1/tournament/{tournamentId}/roster/kick"),
            "PostKivJoustV1TournamentByTournamentIdRosterKick");
  EXPECT_EQ(MakeFunctionName("GET", "/kiv-joust/v1/enabled"), "GetKivJoustV1Enabled");
  EXPECT_EQ(MakeFunctionName("", "/a.b_c!d+e"), "ABCDE");
  EXPECT_EQ(MakeFunctionName("DELETE", "/x/{+rest}"), "DeleteXByRest");
}

TEST(Identifier, BareNames) {
  EXPECT_EQ(MakeIdentifier("kiv-joust"), "KivJoust");
  EXPECT_EQ(MakeIdentifier(""), "");
}

}  // namespace
}  // namespace kiv
