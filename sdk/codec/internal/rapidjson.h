// rapidjson.h: the one way the codec layer includes RapidJSON.
//
// RapidJSON's internal checks go to the process's assertion report instead
// of the C library's assert, so a broken invariant is reported with an
// identifier in every build type rather than ignored under NDEBUG. Hostile
// input never reaches them: parse errors are values.
//
// Not for: anything outside sdk/codec.
//
//   #include "sdk/codec/internal/rapidjson.h"
//   rapidjson::Reader reader;
#pragma once

#include "sdk/log/assertion.h"

#ifndef RAPIDJSON_ASSERT
#define RAPIDJSON_ASSERT(condition)                                                       \
  ((condition) ? static_cast<void>(0)                                                     \
               : ::kiv::FailAssertion("ALE-6A50A55E", "RapidJSON invariant: " #condition, \
                                      __FILE__, __LINE__, __func__))
#endif

#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
