// answer_record.h: fills the ResponseRecord the plugin passed to SendRequest
// with a stand-in's answer, and keeps what the record points to alive until
// the plugin calls its `release`.
//
// The record's `stream` field always carries the host's holder of the answer
// (the read and close functions are set only for a streamed body), so
// `release` finds what to free from the record alone. A release of a record
// the host does not hold (a second release, a stray pointer) frees nothing
// and is counted, so tests can tell that release came exactly once.
//
// Not for: answers the plugin gives the host (host_response.h).
//
//   AnswerLedger ledger;
//   FillAnswer(*response, NeighbourAnswer::Text("uuid-1"), ledger);
//   ...the plugin reads the record, then calls response->release(response)...
//   ledger.live();  // 0
#pragma once

#include <cstddef>

#include "host/neighbour.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

/// Counts of one host's answers. Single-threaded, like the plugin's calls.
struct AnswerLedger {
  size_t filled = 0;
  size_t released = 0;
  size_t strayReleases = 0;  // releases of records the host no longer held
  size_t streamReads = 0;
  size_t streamCloses = 0;

  size_t live() const { return filled - released; }
  AnswerLedger() = default;
  AnswerLedger(const AnswerLedger&) = delete;
  AnswerLedger& operator=(const AnswerLedger&) = delete;
  /// Frees the answers the plugin never released.
  ~AnswerLedger();
};

/// Overwrites `record` with `answer`. Everything it points to stays valid
/// until `record.release(&record)`; `ledger` must outlive that call (or be
/// destroyed first, which frees the answer and makes a later release stray).
void FillAnswer(ResponseRecord& record, NeighbourAnswer answer, AnswerLedger& ledger);

}  // namespace kiv::host
