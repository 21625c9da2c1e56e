// model_type.h: ModelType, one row of the model's registration lists (the
// type's static name, "LCDS::Bracket", and the call that registers it in its
// name space), and the lists of each part of the model. Each list lives in
// its part's registration file (registered.h builds the rows);
// register_model.cc puts the lists in order.
//
// Not for: use outside the model's registration.
//
//   for (const ModelType& type : LcdsTypes().records) type.registerIn(registry);
#pragma once

#include <span>
#include <string_view>

namespace kiv {
class TypeRegistry;
}

namespace kiv::joust::model_internal {

struct ModelType {
  std::string_view staticName;
  /// False when the registry refuses the type (name or identifier taken).
  bool (*registerIn)(TypeRegistry& registry);
};

/// The lists of one part of the model, each in registration order.
struct ModelTypeLists {
  std::span<const ModelType> errors;
  std::span<const ModelType> enums;
  std::span<const ModelType> records;
};

/// LCDS (lcds/register_lcds.cc), ZMS (zms/register_zms.cc), and the Api
/// records of neighbouring plugins (api/register_neighbours.cc) and of the
/// plugin's own resources (api/register_rest.cc).
ModelTypeLists LcdsTypes();
ModelTypeLists ZmsTypes();
ModelTypeLists ApiNeighbourTypes();
ModelTypeLists ApiRestTypes();

}  // namespace kiv::joust::model_internal
