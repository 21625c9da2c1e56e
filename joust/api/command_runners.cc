#include "joust/api/command_runners.h"

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv::joust {

MaybeType<Failure, void> AnswerFailure(Failure failure) {
  const std::string_view message = failure.Message();
  Log(kLogError, kGroupDbg, "Error %i: %.*s", static_cast<int>(failure.ErrorCode()),
      static_cast<int>(message.size()), message.data());
  return Fail(std::move(failure));
}

MaybeType<Failure, void> AnswerError(uint32_t code, const char* name) {
  return AnswerFailure(Failure::WithStaticMessage(code, name));
}

const LCDS::PendingRosterDTO* PendingRosterOf(const JoustPluginState& state, int64_t tournamentId) {
  const auto found = state.pendingRosterByTournament.find(tournamentId);
  return found == state.pendingRosterByTournament.end() ? nullptr : &found->second;
}

}  // namespace kiv::joust
