// conversion_status.h: ConversionStatus, the value through which every
// conversion reports its outcome.
//
// A conversion receives the status and does nothing when it is already
// invalid, so the first failure of a chain of conversions is the one kept;
// a failing conversion calls SetError(message), leaving the status invalid
// with the message as Error(). A status is a BindingProperty (its validity
// flag and "error" member), named apart so that signatures say which
// argument is the verdict and which the data.
//
// Not for: data. Pass a fresh status (or one Reset()) into a conversion.
//
//   ConversionStatus status;
//   FromValue(value, "<value>", record, status);
//   if (!status.IsValid()) return Fail(Failure(400, std::string(status.Error())));
#pragma once

#include "sdk/value/binding_property.h"

namespace kiv {

using ConversionStatus = BindingProperty;

}  // namespace kiv
