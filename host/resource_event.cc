#include "host/resource_event.h"

#include <vector>

namespace kiv::host {

std::string ResourceEventName(std::string_view uri) {
  std::vector<std::string_view> elements{kResourceEventBase};
  size_t start = 0;
  while (start <= uri.size()) {
    size_t end = uri.find('/', start);
    if (end == std::string_view::npos) end = uri.size();
    if (end > start) elements.push_back(uri.substr(start, end - start));
    start = end + 1;
  }
  const size_t keep =
      elements.size() > 1 && elements[1] == "kiv-platform-config" ? size_t{6} : size_t{4};
  std::string name;
  for (size_t i = 0; i < elements.size() && i < keep; ++i) {
    if (i) name += '_';
    name += elements[i];
  }
  return name;
}

OwnedHostValue ResourceEventBody(std::string_view uri, std::string_view eventType,
                                 const HostValue& data) {
  const std::string uriText(uri);
  const std::string typeText(eventType);
  HostMember members[3] = {};
  members[0].name = "uri";
  members[0].value.tag = KIV_VALUE_TEXT;
  members[0].value.u.text.data = uriText.c_str();
  members[0].value.u.text.size = static_cast<uint32_t>(uriText.size());
  members[1].name = "eventType";
  members[1].value.tag = KIV_VALUE_TEXT;
  members[1].value.u.text.data = typeText.c_str();
  members[1].value.u.text.size = static_cast<uint32_t>(typeText.size());
  members[2].name = "data";
  members[2].value = data;
  HostValue body{};
  body.tag = KIV_VALUE_STRUCTURE;
  body.u.structure.members = members;
  body.u.structure.count = 3;
  return OwnedHostValue(body);
}

}  // namespace kiv::host
