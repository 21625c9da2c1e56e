// host_response.h: the host's copy of an answer the plugin gave to one of its
// endpoints, and the one function that takes it out of a ResponseRecord.
//
// Taking a response copies the error, status, status text and headers, reads
// a streamed body to its end in chunks (then closes the stream), and calls
// the record's `release` exactly once. The body is copied too, unless the
// record is kept (response_body.h): then it is read where the plugin put it
// and the record is released when the response goes.
//
// Not for: answers the host gives the plugin (answer_record.h).
//
//   ResponseRecord record{};
//   function.callback(function.userData, &record, &request);
//   HostResponse response = TakeResponse(record);
//   if (response.error) { ... } else { HostValueToJson(response.body.root()); }
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/owned_host_value.h"
#include "host/response_body.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

struct HostResponse {
  /// The error text; nullopt on success.
  std::optional<std::string> error;
  ResponseBody body;
  uint32_t status = 0;  // as the plugin set it; 0 when it set nothing
  std::string statusText;
  std::vector<std::pair<std::string, std::string>> headers;
  uint8_t bodyKindFlag = 0;
  uint32_t bodyKind = 0;
  /// A streamed body: its bytes; `body` stays empty then.
  std::optional<std::string> streamed;
  /// Set when reading the stream failed or stalled; the bytes read so far stay.
  std::optional<std::string> streamError;

  /// The status to report: the plugin's, or 400 for an error and 200 for a
  /// success when the plugin left it 0.
  uint32_t FinalStatus() const;
};

/// Copies `record` (reading a stream to its end), then calls its `release`
/// once when it has one. The record is left as it was.
HostResponse TakeResponse(ResponseRecord& record);
/// Like the above, but a body that is not streamed stays in the record,
/// which `keeper` keeps until the response goes (or it lets go of all).
HostResponse TakeResponse(std::unique_ptr<HeldRecord> held, HeldRecords& keeper);

}  // namespace kiv::host
