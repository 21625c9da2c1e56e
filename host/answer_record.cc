#include "host/answer_record.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kiv::host {
namespace {

struct AnswerHolder {
  AnswerLedger* ledger = nullptr;
  NeighbourAnswer answer;
  size_t offset = 0;  // into a streamed body
  size_t reads = 0;
};

// Holders by address, across hosts: `release` gets only the record, and a
// stray pointer must be recognised before anything is freed.
std::mutex gHoldersLock;
std::unordered_map<void*, std::unique_ptr<AnswerHolder>>& Holders() {
  static std::unordered_map<void*, std::unique_ptr<AnswerHolder>> holders;
  return holders;
}
// Holder addresses already released, with their ledger, until a new answer
// reuses the address: a second release of one of them is counted as stray.
std::unordered_map<void*, AnswerLedger*>& Released() {
  static std::unordered_map<void*, AnswerLedger*> released;
  return released;
}

AnswerHolder* Lookup(void* stream) {
  std::lock_guard lock(gHoldersLock);
  const auto found = Holders().find(stream);
  return found == Holders().end() ? nullptr : found->second.get();
}

uint8_t ReadStream(void* stream, uint8_t* buffer, uint32_t* inOutCount, uint8_t* more) {
  AnswerHolder* holder = Lookup(stream);
  if (!holder || !holder->answer.stream || !inOutCount || !more) return 0;
  const StreamPlan& plan = *holder->answer.stream;
  ++holder->ledger->streamReads;
  const size_t index = holder->reads++;
  if (plan.failOnRead >= 0 && index == static_cast<size_t>(plan.failOnRead)) return 0;
  size_t count = *inOutCount;
  if (!plan.chunks.empty())
    count = std::min<size_t>(count, plan.chunks[std::min(index, plan.chunks.size() - 1)]);
  count = std::min(count, plan.bytes.size() - holder->offset);
  if (count) std::memcpy(buffer, plan.bytes.data() + holder->offset, count);
  holder->offset += count;
  *inOutCount = static_cast<uint32_t>(count);
  *more = holder->offset < plan.bytes.size() ? 1 : 0;
  return 1;
}

void CloseStream(void* stream) {
  if (AnswerHolder* holder = Lookup(stream)) ++holder->ledger->streamCloses;
}

void Release(ResponseRecord* record) {
  if (!record) return;
  std::unique_ptr<AnswerHolder> holder;
  void* const stream = record->stream;  // a packed field: copied, never bound by reference
  std::lock_guard lock(gHoldersLock);
  const auto found = Holders().find(stream);
  if (found == Holders().end()) {
    const auto released = Released().find(stream);
    if (released != Released().end()) ++released->second->strayReleases;
    return;
  }
  holder = std::move(found->second);
  Holders().erase(found);
  ++holder->ledger->released;
  Released()[holder.get()] = holder->ledger;
}

}  // namespace

AnswerLedger::~AnswerLedger() {
  std::lock_guard lock(gHoldersLock);
  std::erase_if(Holders(), [this](const auto& entry) { return entry.second->ledger == this; });
  std::erase_if(Released(), [this](const auto& entry) { return entry.second == this; });
}

void FillAnswer(ResponseRecord& record, NeighbourAnswer answer, AnswerLedger& ledger) {
  auto holder = std::make_unique<AnswerHolder>();
  holder->ledger = &ledger;
  holder->answer = std::move(answer);
  const NeighbourAnswer& kept = holder->answer;
  std::memset(&record, 0, sizeof record);
  record.status = kept.status;
  if (kept.error) {
    record.error = kept.error->c_str();
  } else if (kept.stream) {
    record.read = &ReadStream;
    record.close = &CloseStream;
    record.expectedSize = static_cast<uint32_t>(kept.stream->bytes.size());
  } else {
    record.body = kept.body.root();
  }
  record.stream = holder.get();
  record.release = &Release;
  ++ledger.filled;
  std::lock_guard lock(gHoldersLock);
  Released().erase(holder.get());
  Holders().emplace(holder.get(), std::move(holder));
}

}  // namespace kiv::host
