// codec_read_count: reads one payload a fixed number of times with one of our
// readers, for instruction counts under callgrind, which repeat exactly where
// timings do not.
//
//   valgrind --tool=callgrind codec_read_count msgpack medium.msgpack 20
//
// Kinds: json, msgpack, yaml (this project's readers), and the references
// measured beside them: rapidjson (Document::Parse, full precision),
// msgpack-c (unpack), libyaml (the bare event loop). json-write and
// rapidjson-write write the JSON payload, read once beforehand, COUNT times.
#include <yaml.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <rapidjson/document.h>
#include <msgpack.hpp>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/codec/msgpack_reader.h"
#include "sdk/codec/yaml_reader.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s json|msgpack|yaml|rapidjson|msgpack-c|libyaml FILE COUNT\n",
                 argv[0]);
    return 2;
  }
  std::ifstream file(argv[2], std::ios::binary);
  const std::string payload(std::istreambuf_iterator<char>(file), {});
  const int count = std::atoi(argv[3]);
  if (std::strcmp(argv[1], "json-write") == 0) {
    const kiv::BindingProperty value = kiv::ReadJson(payload);
    size_t written = 0;
    for (int round = 0; round < count; ++round) written += kiv::WriteJson(value).size();
    return written == 0 && count > 0;
  }
  if (std::strcmp(argv[1], "rapidjson-write") == 0) {
    rapidjson::Document document;
    document.Parse(payload.c_str());
    size_t written = 0;
    for (int round = 0; round < count; ++round) {
      rapidjson::StringBuffer buffer;
      rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
      document.Accept(writer);
      written += std::string(buffer.GetString(), buffer.GetSize()).size();
    }
    return written == 0 && count > 0;
  }
  for (int round = 0; round < count; ++round) {
    bool valid = false;
    if (std::strcmp(argv[1], "json") == 0) {
      valid = kiv::ReadJson(payload).IsValid();
    } else if (std::strcmp(argv[1], "msgpack") == 0) {
      valid = kiv::ReadMessagePack(reinterpret_cast<const uint8_t*>(payload.data()), payload.size())
                  .value.IsValid();
    } else if (std::strcmp(argv[1], "yaml") == 0) {
      valid = kiv::ReadYaml(payload).IsValid();
    } else if (std::strcmp(argv[1], "rapidjson") == 0) {
      rapidjson::Document document;
      document.Parse<rapidjson::kParseFullPrecisionFlag>(payload.c_str());
      valid = !document.HasParseError();
    } else if (std::strcmp(argv[1], "msgpack-c") == 0) {
      msgpack::object_handle handle = msgpack::unpack(payload.data(), payload.size());
      valid = handle.get().type != msgpack::type::NIL;
    } else {
      yaml_parser_t parser;
      yaml_parser_initialize(&parser);
      yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(payload.data()),
                                   payload.size());
      for (valid = true;;) {
        yaml_event_t event;
        if (!yaml_parser_parse(&parser, &event)) {
          valid = false;
          break;
        }
        const bool end = event.type == YAML_STREAM_END_EVENT;
        yaml_event_delete(&event);
        if (end) break;
      }
      yaml_parser_delete(&parser);
    }
    if (!valid) return 1;
  }
  return 0;
}
