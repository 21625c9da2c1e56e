// standard_neighbours.h: the one place that lists the stand-in neighbours
// every substitute host starts with.
//
// Today: the login plugin (session and service proxy). Further stand-ins
// (game flow, configuration, ...) are added here.
//
// Not for: per-test resources; add those to the host's Neighbourhood.
//
//   Neighbourhood neighbours;
//   LoginNeighbour& login = InstallStandardNeighbours(neighbours, context);
#pragma once

#include "host/login_neighbour.h"
#include "host/neighbour.h"

namespace kiv::host {

/// Adds the standard stand-ins to `neighbours`; returns the login stand-in.
/// `context` must outlive `neighbours`.
LoginNeighbour& InstallStandardNeighbours(Neighbourhood& neighbours, NeighbourContext& context);

}  // namespace kiv::host
