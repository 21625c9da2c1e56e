#include "joust/model/api/chat_key.h"

// The low-level digest calls work on a context on the stack; the one-shot
// SHA1() of this library version goes through its provider machinery, which
// initialises the library and allocates on first use.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <charconv>
#include <cstring>
#include <mutex>

namespace Api {

namespace {

constexpr std::string_view kPrefix = "tourney-";
constexpr size_t kDigestHexSize = 2 * SHA_DIGEST_LENGTH;

void WriteDigestHex(int64_t tournamentId, std::string_view rosterId, char* hex) {
  char number[24];
  const char* numberEnd = std::to_chars(number, number + sizeof(number), tournamentId).ptr;
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA_CTX context;
  SHA1_Init(&context);
  SHA1_Update(&context, "joustTourney", 12);
  SHA1_Update(&context, number, static_cast<size_t>(numberEnd - number));
  SHA1_Update(&context, "Roster", 6);
  SHA1_Update(&context, rosterId.data(), rosterId.size());
  SHA1_Final(digest, &context);
  constexpr char kHexDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < SHA_DIGEST_LENGTH; ++i) {
    hex[2 * i] = kHexDigits[digest[i] >> 4];
    hex[2 * i + 1] = kHexDigits[digest[i] & 0x0F];
  }
}

// The digests computed last, one slot per hash of the inputs. A roster keeps
// its key for life and lists ask for the same keys again and again (the chat
// rosters of a hundred tournaments, the presence at every change), so most
// keys are found here instead of hashed again. Fixed-size, so it never
// allocates; a roster id too long for a slot is simply not remembered.
class RecentDigests {
 public:
  void Write(int64_t tournamentId, std::string_view rosterId, char* hex) {
    const bool fits = rosterId.size() <= kMaxRosterId;
    Slot& slot = slots_[SlotOf(tournamentId, rosterId)];
    std::lock_guard<std::mutex> guard(lock_);
    if (fits && slot.used && slot.tournamentId == tournamentId &&
        std::string_view(slot.rosterId, slot.rosterIdSize) == rosterId) {
      std::memcpy(hex, slot.hex, kDigestHexSize);
      return;
    }
    WriteDigestHex(tournamentId, rosterId, hex);
    if (!fits) return;
    slot.used = true;
    slot.tournamentId = tournamentId;
    slot.rosterIdSize = static_cast<uint8_t>(rosterId.size());
    std::memcpy(slot.rosterId, rosterId.data(), rosterId.size());
    std::memcpy(slot.hex, hex, kDigestHexSize);
  }

 private:
  static constexpr size_t kSlots = 256;
  static constexpr size_t kMaxRosterId = 23;
  struct Slot {
    bool used = false;
    uint8_t rosterIdSize = 0;
    int64_t tournamentId = 0;
    char rosterId[kMaxRosterId];
    char hex[kDigestHexSize];
  };

  static size_t SlotOf(int64_t tournamentId, std::string_view rosterId) {
    uint64_t hash = static_cast<uint64_t>(tournamentId) * 0x9E3779B97F4A7C15ull;
    for (const char c : rosterId) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return static_cast<size_t>(hash >> 56) % kSlots;
  }

  std::mutex lock_;
  Slot slots_[kSlots];
};

RecentDigests gRecentDigests;

}  // namespace

std::string ChatKey(int64_t tournamentId, std::string_view rosterId, bool isRegistered) {
  std::string key(kPrefix);
  if (!isRegistered) return key.append(rosterId);
  key.resize(kPrefix.size() + kDigestHexSize);
  gRecentDigests.Write(tournamentId, rosterId, key.data() + kPrefix.size());
  return key;
}

}  // namespace Api
