// event_frames.h: the Server-Sent Events frames a test read, split up.
#pragma once

#include <string>
#include <vector>

namespace kiv::host::gateway {

struct Frame {
  std::string id;
  std::string event;
  std::string data;
};

/// The complete frames of an event stream (comments skipped). Chunked
/// transfer lines between frames are ignored.
inline std::vector<Frame> Frames(const std::string& stream) {
  std::vector<Frame> frames;
  size_t start = 0;
  for (size_t end; (end = stream.find("\n\n", start)) != std::string::npos; start = end + 2) {
    Frame frame;
    const std::string block = stream.substr(start, end - start);
    size_t lineStart = 0;
    while (lineStart <= block.size()) {
      const size_t lineEnd = std::min(block.find('\n', lineStart), block.size());
      const std::string line = block.substr(lineStart, lineEnd - lineStart);
      if (line.rfind("id: ", 0) == 0) frame.id = line.substr(4);
      if (line.rfind("event: ", 0) == 0) frame.event = line.substr(7);
      if (line.rfind("data: ", 0) == 0) frame.data = line.substr(6);
      lineStart = lineEnd + 1;
    }
    if (!frame.event.empty()) frames.push_back(std::move(frame));
  }
  return frames;
}

}  // namespace kiv::host::gateway
