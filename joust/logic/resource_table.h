// resource_table.h: the row types the table of published resources
// (published_resources.h) is written with, and how the publication pass
// publishes one row.
//
// A row names a resource's path, a one-line help text, when the pass looks at
// it (a mark of the change set, or its scope: the whole feature, or each
// marked tournament, or every roster or bracket of each), and its reader: a
// function of the plugin or of its state, taking the path's keys and
// returning the value or an outcome. The GET endpoint of the path answers the
// same reader, unless the row names another answer. The pass publishes by
// difference: it reads each due key, and announces the value only when it
// differs from the one last announced there; a key whose read fails is
// announced as deleted (when it was published) or, for rows that say so, as
// the failure's JSON form. The rosters and brackets of a marked tournament
// are those the cache holds and those last published there, so one the
// cache dropped is announced as gone.
//
// Not for: the rows themselves (published_resources.h), or what the pass
// does besides publishing rows (publication.cc).
//
//   Resource(kTournamentPath, "One tournament", ForEachTournament{}, &ReadTournament)
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "joust/logic/change_set.h"
#include "joust/logic/handler_call.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/joust_plugin_state.h"
#include "sdk/runtime/mutation_point.h"
#include "sdk/value/format_message.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

/// Which part of the state a resource belongs to, and so which keys its path
/// and its GET endpoint take.
enum class ResourceScope { kFeature, kTournament, kRoster, kBracket };

// ---- When the pass looks at a row -----------------------------------------

/// Every pass (the clock).
struct EveryPass {
  static constexpr ResourceScope kScope = ResourceScope::kFeature;
};
/// When `due` holds for the pass's change set.
struct WhenDue {
  static constexpr ResourceScope kScope = ResourceScope::kFeature;
  bool (*due)(const JoustChangeSet& changes);
};
/// Never by the table: a step of the pass publishes it (the restriction).
struct ByPassStep {
  static constexpr ResourceScope kScope = ResourceScope::kFeature;
};
/// For each marked tournament.
struct ForEachTournament {
  static constexpr ResourceScope kScope = ResourceScope::kTournament;
};
/// For each roster of each marked tournament.
struct ForEachRoster {
  static constexpr ResourceScope kScope = ResourceScope::kRoster;
};
/// For each bracket of each marked tournament.
struct ForEachBracket {
  static constexpr ResourceScope kScope = ResourceScope::kBracket;
};

/// Due when the flag is set.
template <bool JoustChangeSet::*kFlag>
inline constexpr WhenDue kWhenMarked{[](const JoustChangeSet& changes) { return changes.*kFlag; }};
/// Due when any tournament is marked (the lists over every tournament).
inline constexpr WhenDue kWhenAnyTournament{
    [](const JoustChangeSet& changes) { return !changes.tournaments.Empty(); }};

/// What the pass announces for a key whose read fails.
enum class WhenReadFails { kDelete, kPublishFailure };

/// No hook, or no answer of the row's own.
struct None {};

/// One row. `Read` is the reader the pass publishes; `After`, when given, is
/// called by the pass with the keys and the read's outcome once the key is
/// published (it may mark more for the same pass); `Answer`, when given, is
/// what the GET endpoint answers instead of `Read`.
template <typename When, typename Read, typename After = None, typename Answer = None>
struct PublishedResource {
  static constexpr ResourceScope kScope = When::kScope;
  using WhenType = When;
  using AfterType = After;
  using AnswerType = Answer;

  const char* path;
  const char* help;
  When when;
  Read read;
  After after{};
  Answer answer{};
  WhenReadFails whenReadFails = WhenReadFails::kDelete;
  /// False for a path whose GET endpoint the API layer declares itself (its
  /// answer needs more than the logic: the backend's public rosters).
  bool servedByTable = true;

  template <typename Hook>
  constexpr PublishedResource<When, Read, Hook, Answer> AfterEach(Hook hook) const {
    return {path, help, when, read, hook, answer, whenReadFails, servedByTable};
  }
  template <typename Other>
  constexpr PublishedResource<When, Read, After, Other> Answering(Other other) const {
    return {path, help, when, read, after, other, whenReadFails, servedByTable};
  }
  constexpr PublishedResource PublishingFailures() const {
    PublishedResource row = *this;
    row.whenReadFails = WhenReadFails::kPublishFailure;
    return row;
  }
  constexpr PublishedResource ServedByTheApi() const {
    PublishedResource row = *this;
    row.servedByTable = false;
    return row;
  }
};

template <typename When, typename Read>
constexpr PublishedResource<When, Read> Resource(const char* path, const char* help, When when,
                                                 Read read) {
  return {path, help, when, read};
}

/// A step of the pass between rows, in the table so that the table reads as
/// the pass's order.
struct PassStep {
  void (*run)(JoustPlugin& plugin);
};

namespace resource_table_internal {

/// The JSON form of a failure: its code and its message.
BindingProperty FailureValue(const Failure& failure);

// Publishes one key of a row; true when its read succeeded (the resource
// exists).
template <typename Row, typename... Keys>
bool PublishKey(JoustPlugin& plugin, const Row& row, const std::string& uri, const Keys&... keys) {
  ResourceEvents& events = plugin.events();
  const auto& value = CallWithPluginOrState(plugin, row.read, keys...);
  bool exists = true;
  if constexpr (IsOutcome<std::decay_t<decltype(value)>>::value) {
    exists = value.ok();
    if (value.ok()) {
      events.PublishIfChanged(uri, *value);
    } else if (row.whenReadFails == WhenReadFails::kPublishFailure) {
      events.PublishIfChanged(uri, FailureValue(value.failure()));
    } else {
      events.PublishDeleteIfPublished(uri);
    }
  } else {
    events.PublishIfChanged(uri, value);
  }
  if constexpr (!std::is_same_v<typename Row::AfterType, None>) row.after(plugin, keys..., value);
  return exists;
}

// Publishes every roster or bracket `Key` of a tournament: each the cache
// holds (`forEachCached` visits them), then each published last time and
// not visited yet, whose read now fails and announces its removal. Records
// in `published` the keys that exist now.
template <typename Row, typename Key, typename ForEachCached>
void PublishKeysOfTournament(JoustPlugin& plugin, const Row& row, int64_t tournamentId,
                             StateMap<int64_t, std::vector<Key>>& published,
                             ForEachCached forEachCached, bool revisitPublished) {
  std::vector<Key> visited;
  std::vector<Key> present;
  auto publish = [&](const Key& key) {
    if (std::find(visited.begin(), visited.end(), key) != visited.end()) return;
    visited.push_back(key);
    if (PublishKey(plugin, row, FormatMessage(row.path, tournamentId, key), tournamentId, key)) {
      present.push_back(key);
    }
  };
  forEachCached(publish);
  if (const auto before = published.find(tournamentId);
      revisitPublished && before != published.end()) {
    for (const Key& key : before->second) publish(key);
  }
  if (present.empty()) {
    published.erase(tournamentId);
  } else {
    published[tournamentId] = std::move(present);
  }
}

}  // namespace resource_table_internal

/// Publishes what is due of one row in this pass.
template <typename Row>
void PublishRow(JoustPlugin& plugin, const Row& row) {
  using namespace resource_table_internal;
  JoustPluginState& state = plugin.state();
  const JoustChangeSet& changes = *state.changes;
  using When = typename Row::WhenType;
  if constexpr (std::is_same_v<When, EveryPass>) {
    PublishKey(plugin, row, row.path);
  } else if constexpr (std::is_same_v<When, WhenDue>) {
    if (row.when.due(changes)) PublishKey(plugin, row, row.path);
  } else if constexpr (std::is_same_v<When, ForEachTournament>) {
    for (const int64_t id : changes.tournaments) {
      PublishKey(plugin, row, FormatMessage(row.path, id), id);
    }
  } else if constexpr (std::is_same_v<When, ForEachRoster>) {
    for (const int64_t id : changes.tournaments) {
      PublishKeysOfTournament(
          plugin, row, id, state.pass.publishedRosterIds,
          [&](auto visit) { state.cache.ForEachRosterId(id, visit); }, true);
    }
  } else if constexpr (std::is_same_v<When, ForEachBracket>) {
    for (const int64_t id : changes.tournaments) {
      PublishKeysOfTournament(
          plugin, row, id, state.pass.publishedBracketIds,
          [&](auto visit) { state.cache.ForEachBracketId(id, visit); },
          !MutationActive("dropped-bracket-unpublished"));
    }
  }
}

/// Runs a step of the pass.
inline void PublishRow(JoustPlugin& plugin, const PassStep& step) { step.run(plugin); }

}  // namespace kiv::joust
