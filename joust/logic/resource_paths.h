// resource_paths.h: the paths of the resources the plugin publishes, each
// spelled once here for the endpoint table, the publication pass and
// whatever else names one. Those that carry a tournament (and a roster or
// bracket) are in positional form: "%1" is the tournament id, "%2" the roster
// or bracket id; the publication pass formats them into the URLs of its
// events, and the endpoint table turns them into route templates.
//
//   events.PublishUpdate(kReadyPath, Ready(state));
//   FormatMessage(kTournamentRosterPath, tournamentId, rosterId)
#pragma once

namespace kiv::joust {

// Feature-wide.
inline constexpr char kTimePath[] = "/kiv-joust/v1/time";
inline constexpr char kVisiblePath[] = "/kiv-joust/v1/visible";
inline constexpr char kEnabledPath[] = "/kiv-joust/v1/enabled";
inline constexpr char kReadyPath[] = "/kiv-joust/v1/ready";
inline constexpr char kCheckinAllowedPath[] = "/kiv-joust/v1/checkin-allowed";
inline constexpr char kPlaymodeRestrictedPath[] = "/kiv-joust/v1/playmode-restricted";
inline constexpr char kPlaymodeRestrictionPath[] = "/kiv-joust/v2/playmode-restricted";
inline constexpr char kIconConfigPath[] = "/kiv-joust/v1/iconconfig";
inline constexpr char kTournamentIdsPath[] = "/kiv-joust/v1/tournamentIds";
inline constexpr char kTournamentSummaryPath[] = "/kiv-joust/v1/tournament-summary";
inline constexpr char kTournamentStateInfosPath[] = "/kiv-joust/v1/tournament-state-info";
inline constexpr char kPlayerWalletPath[] = "/kiv-joust/v1/player";
inline constexpr char kPlayerHistoryPath[] = "/kiv-joust/v1/player/history";
inline constexpr char kPlayerRosterPath[] = "/kiv-joust/v1/player/roster";
inline constexpr char kRewardsPath[] = "/kiv-joust/v1/rewards";
inline constexpr char kInvitationsPath[] = "/kiv-joust/v1/invitations";
inline constexpr char kGameEndPath[] = "/kiv-joust/v1/gameEnd";
inline constexpr char kEogPlayerUpdatePath[] = "/kiv-joust/v1/eogPlayerUpdate";
inline constexpr char kNotificationsPath[] = "/kiv-joust/v1/notifications";

// One tournament's.
inline constexpr char kTournamentPath[] = "/kiv-joust/v1/tournament/%1";
inline constexpr char kTournamentStateInfoPath[] = "/kiv-joust/v1/tournament/%1/stateInfo";
inline constexpr char kTournamentRosterPath[] = "/kiv-joust/v1/tournament/%1/roster/%2";
inline constexpr char kTournamentPlayerPath[] = "/kiv-joust/v1/tournament/%1/player";
inline constexpr char kTournamentInvitationsPath[] = "/kiv-joust/v1/tournament/%1/invitations";
inline constexpr char kTournamentBracketPath[] = "/kiv-joust/v1/tournament/%1/bracket/%2";
inline constexpr char kTournamentWinnersPath[] = "/kiv-joust/v1/tournament/%1/winners";

}  // namespace kiv::joust
