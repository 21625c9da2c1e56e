// command_result.h: what every roster command handler answers: nothing on
// success, or the failure the endpoint answers (its code and message).
#pragma once

#include "sdk/value/maybe_type.h"

namespace kiv::joust {

using CommandResult = MaybeType<Failure, void>;

}  // namespace kiv::joust
