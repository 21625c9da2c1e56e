#include "host/response_body.h"

namespace kiv::host {

HeldRecord::~HeldRecord() {
  if (keeper_) {
    std::lock_guard<std::mutex> guard(keeper_->mutex_);
    if (copy_) return;  // the keeper already released the record
    keeper_->Unlink(*this);
  }
  if (record.release) record.release(&record);
}

const HostValue& ResponseBody::root() const {
  if (!held_) return copy_.root();
  return held_->copy_ ? held_->copy_->root() : held_->record.body;
}

ResponseBody HeldRecords::Keep(std::unique_ptr<HeldRecord> held) {
  ResponseBody body;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    held->keeper_ = shared_from_this();
    held->next_ = first_;
    if (first_) first_->previous_ = held.get();
    first_ = held.get();
  }
  body.held_ = std::move(held);
  return body;
}

void HeldRecords::Unlink(HeldRecord& held) {
  if (held.previous_) held.previous_->next_ = held.next_;
  if (held.next_) held.next_->previous_ = held.previous_;
  if (first_ == &held) first_ = held.next_;
  held.previous_ = held.next_ = nullptr;
}

void HeldRecords::LetGoAll() {
  std::lock_guard<std::mutex> guard(mutex_);
  while (first_) {
    HeldRecord& held = *first_;
    Unlink(held);
    held.copy_.emplace(held.record.body);
    if (held.record.release) held.record.release(&held.record);
  }
}

}  // namespace kiv::host
