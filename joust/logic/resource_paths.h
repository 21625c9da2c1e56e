// resource_paths.h: the plugin's resource paths that carry a tournament (and a
// roster or bracket) in positional form: "%1" is the tournament id, "%2" the
// roster or bracket id. The publication pass formats them into the URLs of
// its events; the endpoint table turns them into route templates.
//
//   FormatMessage(kTournamentRosterPath, tournamentId, rosterId)
#pragma once

namespace kiv::joust {

inline constexpr char kTournamentPath[] = "/kiv-joust/v1/tournament/%1";
inline constexpr char kTournamentStateInfoPath[] = "/kiv-joust/v1/tournament/%1/stateInfo";
inline constexpr char kTournamentRosterPath[] = "/kiv-joust/v1/tournament/%1/roster/%2";
inline constexpr char kTournamentPlayerPath[] = "/kiv-joust/v1/tournament/%1/player";
inline constexpr char kTournamentInvitationsPath[] = "/kiv-joust/v1/tournament/%1/invitations";
inline constexpr char kTournamentBracketPath[] = "/kiv-joust/v1/tournament/%1/bracket/%2";
inline constexpr char kTournamentWinnersPath[] = "/kiv-joust/v1/tournament/%1/winners";

}  // namespace kiv::joust
