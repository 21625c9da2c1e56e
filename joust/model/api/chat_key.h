// chat_key.h: the chat key of a roster, the name under which chat and presence
// know the roster: "tourney-" followed by the roster's id for a pending
// roster, or by the lower-case hexadecimal SHA-1 digest of
// "joustTourney<tournament id>Roster<roster id>" for a registered one.
//
// Not for: other digests; only the roster's chat key is computed here.
//
//   Api::ChatKey(7, "42", true);     // "tourney-aad9f91702f0ef04a543867ff0661ec095dbb2e2"
//   Api::ChatKey(7, "a1b2", false);  // "tourney-a1b2"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Api {

/// The chat key of the roster `rosterId` of tournament `tournamentId`;
/// registered rosters are keyed by digest, pending ones by their id. The
/// digest is computed without heap use, and recent ones are remembered.
/// Safe from any thread.
std::string ChatKey(int64_t tournamentId, std::string_view rosterId, bool isRegistered);

}  // namespace Api
