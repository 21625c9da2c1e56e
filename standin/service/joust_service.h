// joust_service.h: the stand-in of the backend tournament service "joust":
// its fifty methods over the in-memory world (world.h), answered with the
// backend's own records, with the push notifications each change causes.
//
// A call names a method and carries a JSON object of arguments; the service
// checks each argument's presence and kind from the method table, applies
// the method's rules for the calling player, and answers a record (or
// nothing) or a failure whose message is the name of a `ClientRequestError`
// ("NOT_CAPTAIN", "INVALID_PHASE", ...). The plugin's calls come through the
// login stand-in's service proxy as the world's player; bots and scenario
// steps call Invoke with their own player id.
//
// Not for: when things happen by themselves (tournament_clock.h, bots.h).
//
//   JoustService service(world, push, clock);
//   host.login().SetService(&service);
//   auto result = service.Invoke(2001, "accept", ReadJson(R"({"invitationId":"inv-1"})"));
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "host/neighbours/backend_service.h"
#include "sdk/value/binding_property.h"
#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"
#include "standin/service/push_channel.h"
#include "standin/service/server_clock.h"
#include "standin/service/world.h"

namespace kiv::standin {

using MethodResult = MaybeType<Failure, BindingProperty>;

/// What the service tells the parts that act on their own.
struct ServiceHooks {
  std::function<void(const std::string& invitationId, uint64_t invitee)> invited;
  std::function<void(int64_t rosterId, int64_t phaseId, uint64_t substitute)> subInvited;
  std::function<void(int64_t rosterId)> registered;
  std::function<void(int64_t bracketId, int64_t forfeitedMatchId)> withdrew;
  std::function<void(uint64_t player, const std::string& ackPayload)> acknowledged;
};

enum class ArgKind { kString, kSigned, kUnsigned, kPosition, kUnsignedList, kIdList, kStringList };

struct ArgSpec {
  const char* key = nullptr;
  ArgKind kind = ArgKind::kString;
  const char* error = nullptr;  // answered when the argument is absent or of another kind
};

class JoustService;
struct CallContext;

struct MethodRow {
  const char* name;
  ArgSpec args[5];
  MethodResult (*handler)(CallContext&);
};

/// The fifty methods, in the order of the backend call layer's tables.
std::span<const MethodRow> JoustMethods();

class JoustService : public host::BackendService {
 public:
  /// All three must outlive the service.
  JoustService(World& world, PushChannel& push, ServerClock& clock);

  /// The plugin's call, as the world's player.
  host::ServiceReply Call(const host::ServiceCall& call) override;
  /// Runs `method` for `caller`. Unknown methods fail with "Unknown method".
  MethodResult Invoke(uint64_t caller, std::string_view method, const BindingProperty& args);

  ServiceHooks& hooks() { return hooks_; }
  World& world() { return world_; }
  PushChannel& push() { return push_; }
  int64_t NowMs() const { return clock_.NowMs(); }
  /// How long a service answer takes on the host clock (0 by default).
  void SetLatency(int64_t nanoseconds) { latency_ = nanoseconds; }

 private:
  World& world_;
  PushChannel& push_;
  ServerClock& clock_;
  ServiceHooks hooks_;
  int64_t latency_ = 0;
};

/// The compressed winners payload of `winners`: Base64 of gzip of its JSON.
std::string CompressWinners(const Api::TournamentWinnerHistory& winners);

}  // namespace kiv::standin
