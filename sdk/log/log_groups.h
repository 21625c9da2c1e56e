// log_groups.h: the 64 named log groups.
//
// A log call carries a 64-bit group mask; bit i stands for group i. Slots 0 to
// 7 are preset (DBG, GEN, XTR, PRF, MEM, DSK, NET, TST); further three-letter
// names take the next free slot when registered. Thread-safe.
//
//   uint64_t bit = kiv::RegisterLogGroup("SVC");  // 1 << 8 the first time
//   kiv::RenderGroupMask(0x41);                    // "DBG;NET"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {

inline constexpr uint64_t kGroupDbg = 1;     // DBG, the runtime's own group
inline constexpr uint64_t kGroupGen = 2;     // GEN
inline constexpr uint64_t kGroupXtr = 4;     // XTR, excluded by default
inline constexpr uint64_t kGroupNet = 0x40;  // NET

/// Returns the bit of a three-character group name, registering it in the next
/// free slot when it is new. Returns 0 when all 64 slots are taken.
uint64_t RegisterLogGroup(std::string_view name);

/// The names of the groups whose bits are set, lowest first, joined by ";"
/// ("???" for a slot without a name; empty for mask 0).
std::string RenderGroupMask(uint64_t mask);

}  // namespace kiv
