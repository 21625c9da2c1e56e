#include "joust/model/register_model.h"

#include <array>
#include <span>

#include "joust/model/internal/model_type.h"
#include "sdk/value/format_message.h"

namespace kiv::joust {
namespace {

using model_internal::ModelType;
using model_internal::ModelTypeLists;

/// The lists in registration order: error types, enums (backend,
/// push-notification, neighbour, own resources), backend records,
/// push-notification and neighbour records, records of the own resources.
std::array<std::span<const ModelType>, 10> RegistrationOrder() {
  const ModelTypeLists lcds = model_internal::LcdsTypes();
  const ModelTypeLists zms = model_internal::ZmsTypes();
  const ModelTypeLists neighbours = model_internal::ApiNeighbourTypes();
  const ModelTypeLists rest = model_internal::ApiRestTypes();
  return {lcds.errors, rest.errors,  lcds.enums,  zms.enums,          neighbours.enums,
          rest.enums,  lcds.records, zms.records, neighbours.records, rest.records};
}

}  // namespace

MaybeType<Failure, void> RegisterJoustModel(TypeRegistry& registry) {
  for (std::span<const ModelType> list : RegistrationOrder()) {
    for (const ModelType& type : list) {
      if (!type.registerIn(registry)) {
        return Fail(500, FormatMessage("The model type %1 could not be registered: its name or "
                                       "type identifier is already taken.",
                                       type.staticName));
      }
    }
  }
  return Ok();
}

}  // namespace kiv::joust
