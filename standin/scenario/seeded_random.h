// seeded_random.h: the stand-in world's source of chance, reproducible from
// its seed on every platform.
//
// The engine is std::mt19937_64, whose sequence the C++ standard fixes; the
// distributions are written out here because the library's own are not
// portable across implementations.
//
// Not for: secrets (tokens use OpenSSL's generator).
//
//   SeededRandom random(7);
//   int64_t length = random.Between(1'200'000, 1'800'000);  // both ends included
//   if (random.Chance(0.25)) Dodge();
#pragma once

#include <cstdint>
#include <random>

namespace kiv::standin {

class SeededRandom {
 public:
  explicit SeededRandom(uint64_t seed) : engine_(seed) {}

  /// A number in [low, high] (low when high < low), without modulo bias.
  int64_t Between(int64_t low, int64_t high) {
    if (high <= low) return low;
    const uint64_t span = static_cast<uint64_t>(high - low) + 1;
    if (span == 0) return static_cast<int64_t>(engine_());  // the whole range
    const uint64_t limit = UINT64_MAX - UINT64_MAX % span;
    uint64_t draw;
    do {
      draw = engine_();
    } while (draw >= limit);
    return low + static_cast<int64_t>(draw % span);
  }
  /// True with probability `p` (clamped to [0, 1]), in steps of 2^-53.
  bool Chance(double p) {
    if (p <= 0) return false;
    if (p >= 1) return true;
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53 < p;
  }

 private:
  std::mt19937_64 engine_;
};

}  // namespace kiv::standin
