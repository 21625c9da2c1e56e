// Throughput of the codecs beside their reference libraries, on the same
// payloads in the same run (MB/s through SetBytesProcessed).
#include <benchmark/benchmark.h>
#include <yaml-cpp/yaml.h>
#include <yaml.h>

#include <rapidjson/document.h>
#include <fstream>
#include <iterator>
#include <map>
#include <msgpack.hpp>
#include <nlohmann/json.hpp>
#include <string>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/codec/msgpack_reader.h"
#include "sdk/codec/yaml_reader.h"

namespace {

const std::string& Payload(const std::string& name) {
  static std::map<std::string, std::string> loaded;
  auto [entry, added] = loaded.try_emplace(name);
  if (added) {
    std::ifstream file(std::string(KIV_PAYLOAD_DIR) + "/" + name, std::ios::binary);
    entry->second.assign(std::istreambuf_iterator<char>(file), {});
    if (entry->second.empty()) std::abort();
  }
  return entry->second;
}

const char* kSizes[] = {"small", "medium", "large"};

template <typename Body>
void Run(benchmark::State& state, const char* extension, Body body) {
  const std::string& payload = Payload(std::string(kSizes[state.range(0)]) + extension);
  for (auto _ : state) body(payload);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * payload.size()));
  state.SetLabel(kSizes[state.range(0)]);
}

// ---- JSON read
void JsonRead_Kiv(benchmark::State& state) {
  Run(state, ".json", [](const std::string& text) {
    kiv::BindingProperty value = kiv::ReadJson(text);
    if (!value.IsValid()) std::abort();
    benchmark::DoNotOptimize(value);
  });
}
void JsonRead_RapidJsonDom(benchmark::State& state) {
  Run(state, ".json", [](const std::string& text) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(text.c_str());
    if (document.HasParseError()) std::abort();
    benchmark::DoNotOptimize(document);
  });
}
void JsonRead_Nlohmann(benchmark::State& state) {
  Run(state, ".json", [](const std::string& text) {
    nlohmann::json document = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(document);
  });
}

// ---- JSON write (bytes processed: the payload's JSON size)
void JsonWrite_Kiv(benchmark::State& state) {
  const kiv::BindingProperty value =
      kiv::ReadJson(Payload(std::string(kSizes[state.range(0)]) + ".json"));
  Run(state, ".json", [&](const std::string&) {
    std::string text = kiv::WriteJson(value);
    benchmark::DoNotOptimize(text);
  });
}
void JsonWrite_RapidJsonWriter(benchmark::State& state) {
  rapidjson::Document document;
  document.Parse(Payload(std::string(kSizes[state.range(0)]) + ".json").c_str());
  Run(state, ".json", [&](const std::string&) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    std::string text(buffer.GetString(), buffer.GetSize());
    benchmark::DoNotOptimize(text);
  });
}

// ---- MessagePack read
void MessagePackRead_Kiv(benchmark::State& state) {
  Run(state, ".msgpack", [](const std::string& bytes) {
    kiv::MessagePackResult read =
        kiv::ReadMessagePack(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!read.value.IsValid()) std::abort();
    benchmark::DoNotOptimize(read);
  });
}
void MessagePackRead_MsgpackC(benchmark::State& state) {
  Run(state, ".msgpack", [](const std::string& bytes) {
    msgpack::object_handle handle = msgpack::unpack(bytes.data(), bytes.size());
    benchmark::DoNotOptimize(handle);
  });
}
void MessagePackRead_Nlohmann(benchmark::State& state) {
  Run(state, ".msgpack", [](const std::string& bytes) {
    nlohmann::json document = nlohmann::json::from_msgpack(bytes);
    benchmark::DoNotOptimize(document);
  });
}

// ---- YAML read
void YamlRead_Kiv(benchmark::State& state) {
  Run(state, ".yaml", [](const std::string& text) {
    kiv::BindingProperty value = kiv::ReadYaml(text);
    if (!value.IsValid()) std::abort();
    benchmark::DoNotOptimize(value);
  });
}
void YamlRead_LibyamlEvents(benchmark::State& state) {
  Run(state, ".yaml", [](const std::string& text) {
    yaml_parser_t parser;
    yaml_parser_initialize(&parser);
    yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                                 text.size());
    for (;;) {
      yaml_event_t event;
      if (!yaml_parser_parse(&parser, &event)) std::abort();
      const bool end = event.type == YAML_STREAM_END_EVENT;
      yaml_event_delete(&event);
      if (end) break;
    }
    yaml_parser_delete(&parser);
  });
}
void YamlRead_YamlCpp(benchmark::State& state) {
  Run(state, ".yaml", [](const std::string& text) {
    YAML::Node node = YAML::Load(text);
    benchmark::DoNotOptimize(node);
  });
}

#define KIV_CODEC_BENCH(name) BENCHMARK(name)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)
KIV_CODEC_BENCH(JsonRead_Kiv);
KIV_CODEC_BENCH(JsonRead_RapidJsonDom);
KIV_CODEC_BENCH(JsonRead_Nlohmann);
KIV_CODEC_BENCH(JsonWrite_Kiv);
KIV_CODEC_BENCH(JsonWrite_RapidJsonWriter);
KIV_CODEC_BENCH(MessagePackRead_Kiv);
KIV_CODEC_BENCH(MessagePackRead_MsgpackC);
KIV_CODEC_BENCH(MessagePackRead_Nlohmann);
KIV_CODEC_BENCH(YamlRead_Kiv);
KIV_CODEC_BENCH(YamlRead_LibyamlEvents);
KIV_CODEC_BENCH(YamlRead_YamlCpp);

}  // namespace

BENCHMARK_MAIN();
