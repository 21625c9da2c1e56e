#include "joust/model/api/chat_key.h"

// The low-level digest calls work on a context on the stack; the one-shot
// SHA1() of this library version goes through its provider machinery, which
// initialises the library and allocates on first use.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <charconv>

namespace Api {

std::string ChatKey(int64_t tournamentId, std::string_view rosterId, bool isRegistered) {
  constexpr std::string_view kPrefix = "tourney-";
  if (!isRegistered) return std::string(kPrefix) + std::string(rosterId);

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
  std::string key(kPrefix.size() + 2 * SHA_DIGEST_LENGTH, '\0');
  key.replace(0, kPrefix.size(), kPrefix);
  for (size_t i = 0; i < SHA_DIGEST_LENGTH; ++i) {
    key[kPrefix.size() + 2 * i] = kHexDigits[digest[i] >> 4];
    key[kPrefix.size() + 2 * i + 1] = kHexDigits[digest[i] & 0x0F];
  }
  return key;
}

std::string RosterChatKey(const Roster& roster) {
  return ChatKey(roster.tournamentId, roster.id, roster.isRegistered);
}

}  // namespace Api
