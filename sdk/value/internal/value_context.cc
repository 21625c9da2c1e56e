#include "sdk/value/internal/value_context.h"

#include <cstdlib>

namespace kiv::value_internal {

ValueContext::ValueContext()
    : blobs_(sizeof(BlobRecord)),
      enums_(sizeof(EnumRecord)),
      collections_(sizeof(CollectionRecord)),
      structures_(sizeof(StructureRecord)) {}

ValueContext* ValueContext::Create() {
  void* block = std::malloc(sizeof(ValueContext));
  if (!block) std::abort();  // Out of memory: there is no failure path to report into.
  return ::new (block) ValueContext();
}

void ValueContext::Destroy(ValueContext* context) {
  context->~ValueContext();
  std::free(context);
}

}  // namespace kiv::value_internal
