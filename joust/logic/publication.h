// publication.h: the timers of the publication pass (JoustPlugin's
// RunPublicationPass is the pass itself, see joust_plugin.h).
//
// Two named timers per tournament wake the plugin: the state-change timer
// ("joust_tournament_state_change_%1") at the state info's next change, and
// the roster-creation deadline timer
// ("joust_tournament_roster_creation_deadline_timer_%1") before that, when the
// deadline comes first. Both are named timers of the runtime: setting one
// again replaces its schedule.
//
// Not for: computing state (state_machine.h).
#pragma once

#include <cstdint>
#include <string>

namespace kiv::joust {

class JoustPluginState;

std::string StateChangeTimerName(int64_t tournamentId);
std::string RosterCreationDeadlineTimerName(int64_t tournamentId);
/// The third timer, "joust_tournament_record_deadline_%1": armed for the
/// tournament's next roster creation or disband deadline, whichever comes
/// first, so that its record (which says whether rosters may still be
/// created or disbanded) is published again when one passes, whatever the
/// other two timers do.
std::string RecordDeadlineTimerName(int64_t tournamentId);

/// The server clock moved against the plugin's: every state-change timer was
/// set for a delay on the old reading, so the next pass reads every cached
/// tournament's state again and arms its timers anew.
void RearmStateChangeTimers(JoustPluginState& state);

}  // namespace kiv::joust
