// registered.h: Registered<T, kNameSpace>(), the row of a model type in its
// part's registration list: T registered from its description under its bare
// name in the name space kNameSpace.
//
// Not for: headers; include it only in the registration files, since it
// instantiates the conversions of every type it names.
//
//   constexpr std::string_view kLcdsSpace[] = {"LCDS"};
//   constexpr ModelType kEnums[] = {Registered<LCDS::Position, kLcdsSpace>()};
#pragma once

#include "joust/model/internal/model_type.h"
#include "sdk/registry/register_native.h"
#include "sdk/value/static_type.h"

namespace kiv::joust::model_internal {

template <typename T, const auto& kNameSpace>
bool RegisterInNameSpace(TypeRegistry& registry) {
  return RegisterNative<T>(registry, {.nameSpace = kNameSpace});
}

template <typename T, const auto& kNameSpace>
constexpr ModelType Registered() {
  return {StaticType::Name<T>(), &RegisterInNameSpace<T, kNameSpace>};
}

}  // namespace kiv::joust::model_internal
