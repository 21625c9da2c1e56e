#include "sdk/log/log_groups.h"

#include <atomic>
#include <mutex>

namespace kiv {
namespace {

constexpr int kSlots = 64;

// Names packed three characters to a word, so readers need no lock.
constexpr uint32_t Pack(const char* name) {
  return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
         uint32_t(uint8_t(name[2])) << 16;
}

struct GroupTable {
  std::atomic<uint32_t> names[kSlots];
  std::atomic<int> lastUsed{7};
  std::mutex registration;

  GroupTable() {
    static constexpr const char* kPreset[] = {"DBG", "GEN", "XTR", "PRF",
                                              "MEM", "DSK", "NET", "TST"};
    for (int i = 0; i < kSlots; ++i) names[i] = Pack(i < 8 ? kPreset[i] : "???");
  }
};

GroupTable& Table() {
  static GroupTable table;
  return table;
}

}  // namespace

uint64_t RegisterLogGroup(std::string_view name) {
  char padded[3] = {' ', ' ', ' '};
  for (size_t i = 0; i < 3 && i < name.size(); ++i) padded[i] = name[i];
  const uint32_t packed = Pack(padded);
  GroupTable& table = Table();
  std::lock_guard<std::mutex> guard(table.registration);
  const int last = table.lastUsed.load();
  for (int i = 0; i <= last && i < kSlots; ++i) {
    if (table.names[i].load() == packed) return uint64_t{1} << i;
  }
  const int slot = table.lastUsed.fetch_add(1) + 1;
  if (slot >= kSlots) {
    table.lastUsed.store(kSlots - 1);
    return 0;
  }
  table.names[slot].store(packed);
  return uint64_t{1} << slot;
}

std::string RenderGroupMask(uint64_t mask) {
  std::string text;
  GroupTable& table = Table();
  for (int i = 0; i < kSlots; ++i) {
    if (!(mask & (uint64_t{1} << i))) continue;
    if (!text.empty()) text += ';';
    const uint32_t packed = table.names[i].load();
    for (int c = 0; c < 3; ++c) text += char((packed >> (8 * c)) & 0xFF);
  }
  return text;
}

}  // namespace kiv
