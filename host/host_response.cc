#include "host/host_response.h"

#include <array>

namespace kiv::host {
namespace {

constexpr uint32_t kChunk = 4096;
// Reads that return nothing but promise more; beyond this the stream is
// taken as stalled rather than spinning forever.
constexpr int kMaxEmptyReads = 1000;

void ReadStream(const ResponseRecord& record, HostResponse& response) {
  std::string bytes;
  if (record.expectedSize) bytes.reserve(record.expectedSize);
  std::array<uint8_t, kChunk> buffer{};
  int emptyReads = 0;
  for (;;) {
    uint32_t count = kChunk;
    uint8_t more = 1;
    if (!record.read(record.stream, buffer.data(), &count, &more)) {
      response.streamError = "Stream read error";
      break;
    }
    if (count > kChunk) {
      response.streamError = "Stream read returned more bytes than asked";
      break;
    }
    bytes.append(reinterpret_cast<const char*>(buffer.data()), count);
    if (!more) break;
    emptyReads = count ? 0 : emptyReads + 1;
    if (emptyReads > kMaxEmptyReads) {
      response.streamError = "Stream stalled";
      break;
    }
  }
  if (record.close) record.close(record.stream);
  response.streamed = std::move(bytes);
}

// Everything but the body.
HostResponse CopyFields(const ResponseRecord& record) {
  HostResponse response;
  if (record.error) response.error = record.error;
  response.status = record.status;
  if (record.statusText) response.statusText = record.statusText;
  response.bodyKindFlag = record.bodyKindFlag;
  response.bodyKind = record.bodyKind;
  if (record.headers) {
    for (uint32_t i = 0; i < record.headerCount; ++i) {
      const HostHeader& header = record.headers[i];
      response.headers.emplace_back(header.name ? header.name : "",
                                    header.value ? header.value : "");
    }
  }
  return response;
}

}  // namespace

uint32_t HostResponse::FinalStatus() const {
  if (status != 0) return status;
  return error ? 400 : 200;
}

HostResponse TakeResponse(ResponseRecord& record) {
  HostResponse response = CopyFields(record);
  if (record.read) {
    ReadStream(record, response);
  } else {
    response.body = ResponseBody(OwnedHostValue(record.body));
  }
  if (record.release) record.release(&record);
  return response;
}

HostResponse TakeResponse(std::unique_ptr<HeldRecord> held, HeldRecords& keeper) {
  HostResponse response = CopyFields(held->record);
  const ResponseRecord& record = held->record;
  if (record.read) {
    ReadStream(record, response);
  } else if (!record.error && record.body.tag != 0) {
    response.body = keeper.Keep(std::move(held));
  }
  return response;  // anything not kept is released as `held` goes
}

}  // namespace kiv::host
