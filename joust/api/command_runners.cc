#include "joust/api/command_runners.h"

namespace kiv::joust {

MaybeType<Failure, void> AnswerError(uint32_t code, const char* name) {
  return Fail(Failure::WithStaticMessage(code, name));
}

const LCDS::PendingRosterDTO* PendingRosterOf(const JoustPluginState& state, int64_t tournamentId) {
  const auto found = state.pendingRosterByTournament.find(tournamentId);
  return found == state.pendingRosterByTournament.end() ? nullptr : &found->second;
}

}  // namespace kiv::joust
