// url_cases.h: one table of URL cases that both the plugin's routing
// (sdk/rest, sdk/runtime) and the substitute host's twin (host/) must answer
// the same way: template matches with their decoded captures, URL decoding,
// and the event names of resource URIs. The host may include only the
// boundary header, so it keeps its own implementation; this table keeps the
// two from drifting apart.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kiv::url_cases {

struct TemplateCase {
  const char* desc;
  const char* urlTemplate;
  const char* path;
  bool matches;
  std::vector<std::pair<std::string, std::string>> captures;  // decoded
};

inline const std::vector<TemplateCase> kTemplateCases = {
    {"literal", "/kiv-joust/v1/enabled", "/kiv-joust/v1/enabled", true, {}},
    {"literal is case-sensitive", "/kiv-joust/v1/enabled", "/kiv-joust/v1/Enabled", false, {}},
    {"plain may be empty", "/a/{x}/b", "/a//b", true, {{"x", ""}}},
    {"plain stops at slash", "/a/{x}/b", "/a/1/2/b", false, {}},
    {"full match, not a search", "/a/{x}", "/a/1/extra/", false, {}},
    {"full match only", "/a/{x}", "/a/1/", false, {}},
    {"greedy takes slashes", "/files/{+path}", "/files/a/b/c", true, {{"path", "a/b/c"}}},
    {"first greedy takes most", "/{+a}/{+b}", "/1/2/3", true, {{"a", "1/2"}, {"b", "3"}}},
    {"greedy stops at line break", "/{+a}", "/x\ny", false, {}},
    {"fragment", "/doc{#frag}", "/doc#part/2", true, {{"frag", "part/2"}}},
    {"dot is literal", "/v1.0/{x}", "/v1x0/5", false, {}},
    {"decoded slash", "/t/{id}", "/t/a%2Fb", true, {{"id", "a/b"}}},
    {"plus is space", "/t/{id}", "/t/a+b", true, {{"id", "a b"}}},
    {"marker only first", "/t/{a+b}", "/t/x", true, {{"a+b", "x"}}},
    {"two parameters", "/t/{a}/r/{b}", "/t/1/r/2", true, {{"a", "1"}, {"b", "2"}}},
    {"literal suffix", "/t/{id}/roster/kick", "/t/7/roster/kick", true, {{"id", "7"}}},
    {"wrong suffix", "/t/{id}/roster/kick", "/t/7/roster/kic", false, {}},
};

struct DecodeCase {
  const char* encoded;
  const char* decoded;
};

inline const std::vector<DecodeCase> kDecodeCases = {
    {"a%41%4a%4A+b", "aAJJ b"}, {"a%2Fb+c%2f", "a/b c/"}, {"x%4", "x4"}, {"x%", "x"},
    {"plain", "plain"},
};

struct EventNameCase {
  const char* uri;
  const char* eventName;
};

inline const std::vector<EventNameCase> kEventNameCases = {
    {"/kiv-gameflow/v1/session", "OnJsonApiEvent_kiv-gameflow_v1_session"},
    {"/kiv-gameflow/v1/session/extra", "OnJsonApiEvent_kiv-gameflow_v1_session"},
    {"kiv-gameflow/v1/session", "OnJsonApiEvent_kiv-gameflow_v1_session"},
    {"/kiv-platform-config/v1/namespaces/JoustConfig",
     "OnJsonApiEvent_kiv-platform-config_v1_namespaces_JoustConfig"},
    {"/kiv-platform-config/v1/namespaces/A/B/C",
     "OnJsonApiEvent_kiv-platform-config_v1_namespaces_A_B"},
    {"/zanth-messaging-service/v1/message/joust/v1/notifications/roster",
     "OnJsonApiEvent_zanth-messaging-service_v1_message"},
    {"/a", "OnJsonApiEvent_a"},
};

}  // namespace kiv::url_cases
