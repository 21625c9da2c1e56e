#include "standin/simulation/endpoint_answer.h"

#include "host/host_value_json.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/binding_property.h"

namespace kiv::standin {
namespace {

// Members that follow the clock by themselves.
constexpr std::string_view kClockMembers[] = {"allowRosterCreation", "allowRosterDisband"};
constexpr std::string_view kFailurePrefix = R"({"errorCode":)";

bool IsTournamentRecord(std::string_view uri) {
  constexpr std::string_view kPrefix = "/kiv-joust/v1/tournament/";
  if (!uri.starts_with(kPrefix)) return false;
  const std::string_view id = uri.substr(kPrefix.size());
  return !id.empty() && id.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::string ComparableText(std::string_view uri, const std::string& json) {
  BindingProperty value = ReadJson(json);
  if (IsTournamentRecord(uri) && value.IsStructure()) {
    for (std::string_view name : kClockMembers) value.MutableMember(name) = false;
  }
  return WriteJson(value);
}

std::string EndpointAnswer(host::PluginHost& host, const std::string& uri) {
  const host::HostResponse response = host.Request(host::HostRequest::Make(KIV_METHOD_GET, uri));
  if (!response.error) return ComparableText(uri, host::HostValueToJson(response.body.root()));
  BindingProperty failure;
  failure.MutableMember("errorCode") = static_cast<int64_t>(response.FinalStatus());
  failure.MutableMember("message") = *response.error;
  return WriteJson(failure);
}

std::string DescribeDifference(std::string_view knownAs, const std::string& known,
                               const std::string& answered) {
  size_t at = 0;
  while (at < known.size() && at < answered.size() && known[at] == answered[at]) ++at;
  const size_t from = at > 40 ? at - 40 : 0;
  return std::string(knownAs) + " ..." + known.substr(from, 100) +
         "... but its endpoint answers ..." + answered.substr(from, 100) + "...";
}

int64_t WholeNumber(const BindingProperty& value) {
  if (value.Kind() == ValueKind::kUnsigned) return static_cast<int64_t>(value.GetUnsigned());
  return value.GetSigned();
}

bool IsFailureText(const std::string& text) { return text.starts_with(kFailurePrefix); }

}  // namespace kiv::standin
