// roster_requests.h: the bodies of the roster commands the user interface posts.
//
// Not for: answers; commands answer roster records (roster.h).
//
//   Api::InviteSubRequest request{.substituteSummonerId = 11, .replacedSummonerId = 9};
#pragma once

#include <cstdint>
#include <string>

#include "joust/model/describe.h"
#include "joust/model/lcds/enums.h"

namespace Api {

struct RosterDetails {
  std::string name;
  std::string shortName;
  int32_t iconId = 0;
  int32_t iconColorId = 0;
};
constexpr auto DescribeRecord(const RosterDetails*) {
  using T = RosterDetails;
  return Record<T>("RosterDetails", Field("name", &T::name), Field("shortName", &T::shortName),
                   Field("iconId", &T::iconId), Field("iconColorId", &T::iconColorId))
      .Described("Name, tag and icon of a new roster.");
}

struct ChangeNameRequest {
  std::string name;
};
constexpr auto DescribeRecord(const ChangeNameRequest*) {
  using T = ChangeNameRequest;
  return Record<T>("ChangeNameRequest", Field("name", &T::name)).Described("A roster's new name.");
}

struct ChangeIconRequest {
  int32_t iconId = 0;
  int32_t iconColorId = 0;
};
constexpr auto DescribeRecord(const ChangeIconRequest*) {
  using T = ChangeIconRequest;
  return Record<T>("ChangeIconRequest", Field("iconId", &T::iconId),
                   Field("iconColorId", &T::iconColorId))
      .Described("A roster's new icon.");
}

struct KickRequest {
  uint64_t summonerId = 0;
};
constexpr auto DescribeRecord(const KickRequest*) {
  using T = KickRequest;
  return Record<T>("KickRequest", Field("summonerId", &T::summonerId))
      .Described("The member to remove.");
}

struct SetTicketRequest {
  int32_t ticketAmount = 0;
};
constexpr auto DescribeRecord(const SetTicketRequest*) {
  using T = SetTicketRequest;
  return Record<T>("SetTicketRequest", Field("ticketAmount", &T::ticketAmount))
      .Described("The tickets to bid.");
}

struct SetPositionRequest {
  LCDS::Position position = LCDS::Position::kTop;
};
constexpr auto DescribeRecord(const SetPositionRequest*) {
  using T = SetPositionRequest;
  return Record<T>("SetPositionRequest", Field("position", &T::position))
      .Described("The position to play.");
}

struct InviteSubRequest {
  uint64_t substituteSummonerId = 0;
  uint64_t replacedSummonerId = 0;
};
constexpr auto DescribeRecord(const InviteSubRequest*) {
  using T = InviteSubRequest;
  return Record<T>("InviteSubRequest", Field("substituteSummonerId", &T::substituteSummonerId),
                   Field("replacedSummonerId", &T::replacedSummonerId))
      .Described("A substitute and the member it replaces.");
}

}  // namespace Api
