#include "host/run_recorder.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <chrono>
#include <utility>

#include "host/host_value_json.h"
#include "host/resource_event.h"
#include "host/route_table.h"

namespace kiv::host {
namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void Text(Writer& writer, std::string_view key, std::string_view value) {
  writer.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
  writer.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

// Compact JSON written by the host itself, inserted as it is.
void Raw(Writer& writer, std::string_view key, const std::string& json) {
  writer.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
  writer.RawValue(json.data(), json.size(), rapidjson::kObjectType);
}

void Begin(Writer& writer, std::string_view kind, int64_t t) {
  writer.StartObject();
  Text(writer, "kind", kind);
  writer.Key("t");
  writer.Int64(t);
}

std::string Finish(rapidjson::StringBuffer& buffer, Writer& writer) {
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace

std::unique_ptr<RunRecorder> RunRecorder::Open(const std::string& path, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) {
    if (error) *error = "cannot write " + path;
    return nullptr;
  }
  return std::make_unique<RunRecorder>(file);
}

RunRecorder::~RunRecorder() { std::fclose(file_); }

void RunRecorder::SetClock(std::function<int64_t()> nowMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  nowMs_ = std::move(nowMs);
}

int64_t RunRecorder::NowLocked() const {
  if (nowMs_) return nowMs_();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void RunRecorder::WriteLine(const std::string& json) {
  std::fwrite(json.data(), 1, json.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

void RunRecorder::Start(std::string_view source, std::string_view scenario, bool virtualClock) {
  std::lock_guard<std::mutex> lock(mutex_);
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  Begin(writer, "start", NowLocked());
  Text(writer, "format", "kiv-joust-recording");
  writer.Key("version");
  writer.Int(kRecordingVersion);
  Text(writer, "source", source);
  if (!scenario.empty()) Text(writer, "scenario", scenario);
  Text(writer, "clock", virtualClock ? "virtual" : "real");
  WriteLine(Finish(buffer, writer));
}

void RunRecorder::Publication(const PublishedEvent& event) {
  const std::string_view base = kResourceEventBase;
  if (event.name.size() > base.size() && event.name.starts_with(base) &&
      event.name[base.size()] == '_') {
    return;
  }
  const std::string body = HostValueToJson(event.body.root());
  std::lock_guard<std::mutex> lock(mutex_);
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  Begin(writer, "publish", NowLocked());
  Text(writer, "name", event.name);
  Raw(writer, "body", body);
  WriteLine(Finish(buffer, writer));
}

void RunRecorder::Request(const HostRequest& request, const HostResponse& response) {
  const std::string answer =
      response.error || response.streamed ? std::string() : HostValueToJson(response.body.root());
  std::lock_guard<std::mutex> lock(mutex_);
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  Begin(writer, "request", NowLocked());
  std::string method(MethodName(request.method));
  if (method.empty()) method = request.customMethod;
  Text(writer, "method", method);
  Text(writer, "url", request.url);
  if (!request.body.empty()) Text(writer, "body", request.body);
  writer.Key("status");
  writer.Uint(response.FinalStatus());
  if (response.error) {
    Text(writer, "error", *response.error);
  } else if (response.streamed) {
    Text(writer, "streamed", *response.streamed);
  } else {
    Raw(writer, "answer", answer);
  }
  WriteLine(Finish(buffer, writer));
}

void RunRecorder::ScenarioLine(std::string_view line) {
  // "+HH:MM:SS.mmm  text": the text starts after the first two spaces.
  if (line.starts_with("+")) {
    const size_t gap = line.find("  ");
    if (gap != std::string_view::npos) line.remove_prefix(gap + 2);
  }
  // The log's "event" lines summarise publications, which are recorded whole.
  if (line.starts_with("event ")) return;
  std::lock_guard<std::mutex> lock(mutex_);
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  Begin(writer, line.starts_with("step ") ? "step" : "scenario", NowLocked());
  Text(writer, "line", line);
  WriteLine(Finish(buffer, writer));
}

void RunRecorder::End(int status) {
  std::lock_guard<std::mutex> lock(mutex_);
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  Begin(writer, "end", NowLocked());
  writer.Key("status");
  writer.Int(status);
  WriteLine(Finish(buffer, writer));
}

}  // namespace kiv::host
