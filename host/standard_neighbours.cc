#include "host/standard_neighbours.h"

#include <memory>

namespace kiv::host {

LoginNeighbour& InstallStandardNeighbours(Neighbourhood& neighbours, NeighbourContext& context) {
  auto& login =
      static_cast<LoginNeighbour&>(neighbours.Add(std::make_unique<LoginNeighbour>(context)));
  return login;
}

}  // namespace kiv::host
