// class_names.h: the class names under which the backend tournament service
// knows the records and enums of namespace LCDS, looked up by the type's name
// or by its static type identifier.
//
// Not for: the type registry; class names are not registry entries, since
// two pairs of types share a class name (TournamentDTO and TournamentInfoDTO,
// RosterMemberDTO and ClientBracketMatchStatus).
//
//   LCDS::ClassNameOfType("Bracket");  // "com.zanthgames.joust.contract.dto.BracketDTO"
//   LCDS::ClassNameOfTypeId(kiv::StaticType::Id<LCDS::Bracket>());  // the same
#pragma once

#include <cstdint>
#include <string_view>

namespace LCDS {

/// The class name of the LCDS type registered as `typeName` (its bare name,
/// "TournamentInfoDTO"); empty for any other name.
std::string_view ClassNameOfType(std::string_view typeName);

/// The class name of the LCDS type whose static type identifier is `typeId`
/// (kiv::StaticType::Id<T>()); empty for any other identifier.
std::string_view ClassNameOfTypeId(uint32_t typeId);

}  // namespace LCDS
