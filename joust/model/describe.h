// describe.h: the declarative vocabulary of the tournament model. Records and
// enums of the namespaces Api, LCDS and ZMS describe themselves next to their
// definitions with Record, Field and Enum (found here by their bare names),
// through the DescribeRecord/DescribeEnum hooks that the value layer finds by
// argument-dependent lookup.
//
// Not for: conversion or registration code; the value layer derives both from
// the descriptions (sdk/value/native/convert.h, sdk/registry/register_native.h).
//
//   namespace Api {
//   struct KickRequest { uint64_t summonerId = 0; };
//   constexpr auto DescribeRecord(const KickRequest*) {
//     return Record<KickRequest>("KickRequest", Field("summonerId", &KickRequest::summonerId));
//   }
//   }  // namespace Api
#pragma once

#include "sdk/value/native/enum_descriptor.h"
#include "sdk/value/native/record_descriptor.h"

namespace Api {
using kiv::Enum;
using kiv::Field;
using kiv::Record;
}  // namespace Api

namespace LCDS {
using kiv::Enum;
using kiv::Field;
using kiv::Record;
}  // namespace LCDS

namespace ZMS {
using kiv::Enum;
using kiv::Field;
using kiv::Record;
}  // namespace ZMS
