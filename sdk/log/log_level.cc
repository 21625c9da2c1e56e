#include "sdk/log/log_level.h"

namespace kiv {

const char* LevelText(int32_t level) {
  switch (level) {
    case kLogOkay:
      return "  OKAY";
    case kLogWarn:
      return "  WARN";
    case kLogError:
      return " ERROR";
    case kLogAlways:
      return "ALWAYS";
    default:
      return "      ";
  }
}

}  // namespace kiv
