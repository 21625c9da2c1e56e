// published_resources.h: kPublishedResources, the one table of the
// resources the plugin publishes, in the order the publication pass
// publishes them, with the pass's own steps in between. The GET endpoints of
// these paths are served from the same rows (joust/api/register_endpoints.cc).
//
// A new resource is one row: its path (resource_paths.h), its help text,
// when it is due (a mark, or the scope it is read in), and its reader. The row types are in
// resource_table.h.
//
// Not for: the marks themselves (the state's writes set them:
// tournament_cache.h, state_writes.h) or what the pass does besides (publication.cc).
#pragma once

#include <tuple>

#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/joust_plugin_state.h"
#include "joust/logic/player_notifications.h"
#include "joust/logic/publication_steps.h"
#include "joust/logic/resource_paths.h"
#include "joust/logic/resource_table.h"

namespace kiv::joust {

// clang-format off
inline constexpr std::tuple kPublishedResources{
    Resource(kTimePath, "The tournament service's clock, in milliseconds", EveryPass{},
             [](JoustPlugin& plugin) { return plugin.ServerNow(); }),
    PassStep{&RecomputeStateInfos},
    Resource(kVisiblePath, "Whether the tournament feature is shown",
             kWhenMarked<&JoustChangeSet::visibleChanged>, &Visible),
    Resource(kEnabledPath, "Whether the tournament feature can be used",
             kWhenMarked<&JoustChangeSet::enabledChanged>, &Enabled),
    Resource(kReadyPath, "Whether the player's tournament data is loaded",
             kWhenMarked<&JoustChangeSet::readyChanged>, &Ready),
    Resource(kIconConfigPath, "The icon configuration as last received",
             kWhenMarked<&JoustChangeSet::iconConfigChanged>,
             [](const JoustPluginState& state) -> const BindingProperty& { return state.feature.iconConfig; }),
    Resource(kCheckinAllowedPath, "Whether the game flow allows a tournament check-in",
             kWhenMarked<&JoustChangeSet::checkinAllowedChanged>,
             [](const JoustPluginState& state) { return state.session.checkinAllowed; }),
    // Both published by the restriction step, which also aligns the game flow.
    Resource(kPlaymodeRestrictedPath, "Whether the player may only play tournament games", ByPassStep{},
             [](JoustPlugin& plugin) { return ComputeRestriction(plugin).isRestricted; }),
    Resource(kPlaymodeRestrictionPath, "The playmode restriction with its tournament and presence", ByPassStep{},
             &ComputeRestriction),
    PassStep{&RestrictionStepIfDue},
    Resource(kTournamentPath, "One tournament",
             ForEachTournament{}, &ReadTournament),
    Resource(kTournamentIdsPath, "The identifiers of the known tournaments",
             kWhenAnyTournament, &ReadTournamentIds),
    Resource(kTournamentSummaryPath, "One summary line per known tournament", kWhenAnyTournament,
             &ReadTournamentSummaries),
    Resource(kTournamentStateInfosPath, "The state of every tournament for the player",
             kWhenAnyTournament, &ReadAllStateInfos),
    Resource(kTournamentStateInfoPath, "The state of one tournament for the player",
             ForEachTournament{}, &ReadStateInfo)
        .AfterEach(&ArmTournamentTimers),
    Resource(kTournamentPlayerPath, "The player's standing in one tournament",
             ForEachTournament{}, &ReadPlayerTournamentData)
        .Answering(&AnswerPlayerTournamentData),
    Resource(kTournamentRosterPath, "A roster of a tournament, from the cache or the service's public rosters",
             ForEachRoster{}, &ReadRoster)
        .AfterEach(&PublishPlayerRoster)
        .ServedByTheApi(),
    Resource(kTournamentInvitationsPath, "The player's roster invitations in one tournament",
             ForEachTournament{}, &ReadInvitations),
    Resource(kInvitationsPath, "The player's roster invitations in every tournament",
             kWhenAnyTournament, &ReadAllInvitations),
    Resource(kTournamentBracketPath, "A bracket of a tournament", ForEachBracket{}, &ReadBracket)
        .PublishingFailures(),
    Resource(kGameEndPath, "The bracket whose game just ended",
             kWhenMarked<&JoustChangeSet::gameEndChanged>,
             [](const JoustPluginState& state) -> const auto& { return state.player.gameEnd; }),
    Resource(kEogPlayerUpdatePath, "The player's last end-of-game update",
             kWhenMarked<&JoustChangeSet::eogPlayerUpdateChanged>,
             [](const JoustPluginState& state) -> const auto& { return state.player.eogPlayerUpdate; }),
    Resource(kPlayerWalletPath, "The player's wallet", kWhenMarked<&JoustChangeSet::playerChanged>,
             [](const JoustPluginState& state) -> const auto& { return state.player.tickets; }),
    Resource(kPlayerHistoryPath, "The player's roster history",
             kWhenMarked<&JoustChangeSet::historyChanged>,
             [](const JoustPluginState& state) -> const auto& { return state.player.history; }),
    Resource(kRewardsPath, "The player's victory points", kWhenMarked<&JoustChangeSet::rewardsChanged>,
             [](const JoustPluginState& state) -> const auto& { return state.player.rewards; }),
    Resource(kNotificationsPath, "The tournament notification waiting for the player",
             kWhenMarked<&JoustChangeSet::notificationsChanged>, &NotificationPrompt),
};
// clang-format on

}  // namespace kiv::joust
