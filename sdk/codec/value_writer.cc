#include "sdk/codec/value_writer.h"

#include "sdk/codec/value_walk.h"

namespace kiv {

void WriteValue(const BindingProperty& value, ValueWriter& writer) { WalkValue(value, writer); }

}  // namespace kiv
