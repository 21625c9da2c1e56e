#include "joust/api/command_runners.h"

namespace kiv::joust {

MaybeType<Failure, void> AnswerError(uint32_t code, const char* name) {
  return Fail(Failure::WithStaticMessage(code, name));
}

}  // namespace kiv::joust
