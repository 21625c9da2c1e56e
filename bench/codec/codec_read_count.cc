// codec_read_count: reads one payload a fixed number of times with one of our
// readers, for instruction counts under callgrind, which repeat exactly where
// timings do not.
//
//   valgrind --tool=callgrind codec_read_count msgpack medium.msgpack 20
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/msgpack_reader.h"
#include "sdk/codec/yaml_reader.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s json|msgpack|yaml FILE COUNT\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[2], std::ios::binary);
  const std::string payload(std::istreambuf_iterator<char>(file), {});
  const int count = std::atoi(argv[3]);
  for (int round = 0; round < count; ++round) {
    bool valid = false;
    if (std::strcmp(argv[1], "json") == 0) {
      valid = kiv::ReadJson(payload).IsValid();
    } else if (std::strcmp(argv[1], "msgpack") == 0) {
      valid = kiv::ReadMessagePack(reinterpret_cast<const uint8_t*>(payload.data()), payload.size())
                  .value.IsValid();
    } else {
      valid = kiv::ReadYaml(payload).IsValid();
    }
    if (!valid) return 1;
  }
  return 0;
}
