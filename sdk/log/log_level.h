// log_level.h: log levels and their six-character texts.
//
//   kiv::LevelText(kiv::kLogError)  // " ERROR"
#pragma once

#include <cstdint>

namespace kiv {

inline constexpr int32_t kLogOkay = 0;
inline constexpr int32_t kLogWarn = 1;
inline constexpr int32_t kLogError = 2;
inline constexpr int32_t kLogAlways = 3;

/// The six-character text of a level ("  OKAY", "  WARN", " ERROR",
/// "ALWAYS"); levels outside 0 to 3 print as six spaces.
const char* LevelText(int32_t level);

}  // namespace kiv
