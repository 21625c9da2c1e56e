#include "joust/logic/resource_table.h"

namespace kiv::joust::resource_table_internal {

BindingProperty FailureValue(const Failure& failure) {
  BindingProperty value;
  value.MutableMember("errorCode") = failure.ErrorCode();
  value.MutableMember("message") = failure.Message();
  return value;
}

}  // namespace kiv::joust::resource_table_internal
