// response_body.h: the body of an answer the plugin gave, read where the
// plugin put it, or the host's own copy.
//
// A value tree in a ResponseRecord stays valid until the record is released,
// so the host need not copy an answer to read it: a ResponseBody may keep the
// plugin's record (at its own address, which the plugin may key its storage
// by) and release it when the body goes. The records a plugin filled must all
// be released before it shuts down; `HeldRecords` lists the kept ones, and
// `LetGoAll` turns each into a copy and releases it.
//
// Not for: bodies read on another thread while the plugin shuts down. A body
// handed to another thread should be cloned first (Clone gives a copy that
// owes the plugin nothing).
//
//   auto held = std::make_unique<HeldRecord>();
//   function.callback(function.userData, &held->record, &request);
//   ResponseBody body = keeper.Keep(std::move(held));   // no copy
//   HostValueToJson(body.root());
//   keeper.LetGoAll();                                  // before Shutdown
#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "host/owned_host_value.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

class HeldRecords;

/// A ResponseRecord kept at a stable address; released once, by whichever
/// comes first of its body's end and its keeper's LetGoAll.
struct HeldRecord {
  HeldRecord() = default;
  HeldRecord(const HeldRecord&) = delete;
  HeldRecord& operator=(const HeldRecord&) = delete;
  ~HeldRecord();

  ResponseRecord record{};

 private:
  friend class HeldRecords;
  friend class ResponseBody;
  /// Null until kept; shared so the list outlives its last record.
  std::shared_ptr<HeldRecords> keeper_;
  HeldRecord* previous_ = nullptr;
  HeldRecord* next_ = nullptr;
  /// Filled by LetGoAll before it releases the record.
  std::optional<OwnedHostValue> copy_;
};

/// The body of an answer: the host's own copy, or a kept record read where
/// the plugin put it. Move-only; a kept record is released when it goes.
class ResponseBody {
 public:
  /// The empty value (tag 0).
  ResponseBody() = default;
  explicit ResponseBody(OwnedHostValue copy) : copy_(std::move(copy)) {}
  ResponseBody(ResponseBody&&) = default;
  ResponseBody& operator=(ResponseBody&&) = default;

  /// Valid while this body lives; for a kept record, until the keeper lets
  /// go of it too (then the copy it made is read).
  const HostValue& root() const;
  /// A copy that owes the plugin nothing.
  ResponseBody Clone() const { return ResponseBody(OwnedHostValue(root())); }

 private:
  friend class HeldRecords;
  OwnedHostValue copy_;
  std::unique_ptr<HeldRecord> held_;
};

/// The plugin's records the host still reads; one list per loaded plugin,
/// made with std::make_shared (kept records share it). Safe to use from any
/// thread.
class HeldRecords : public std::enable_shared_from_this<HeldRecords> {
 public:
  /// A body reading `held->record.body` in place until the body goes, when
  /// the record is released.
  ResponseBody Keep(std::unique_ptr<HeldRecord> held);
  /// Copies the body of every record still kept and releases the records.
  void LetGoAll();

 private:
  friend struct HeldRecord;
  void Unlink(HeldRecord& held);

  std::mutex mutex_;
  HeldRecord* first_ = nullptr;
};

}  // namespace kiv::host
