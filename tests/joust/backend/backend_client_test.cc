// Every method of the tournament service through the backend client, against
// a recording host: the feature check before the call, the argument keys and
// kinds sent to "joust", and each kind of answer. One list drives it: each
// method is called with a generated value per argument kind, and what it sent
// is compared with its row.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>

#include "joust/backend/backend_client.h"
#include "joust/backend/backend_methods.h"
#include "joust/model/register_model.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/native/convert.h"
#include "tests/sdk/runtime/fake_host.h"

namespace kiv::joust {
namespace {

using Api::JoustState;

constexpr char kToken[] = "entitlement-7f3a";
constexpr char kAccessToken[] = "access-91c2";

// A value of each kind whose JSON shows its kind: a signed one is negative,
// an unsigned one beyond the signed range.
constexpr uint64_t kBigUnsigned = std::numeric_limits<uint64_t>::max();

template <ArgumentKind kKind>
auto Generated() {
  if constexpr (kKind == kText) return std::string("text");
  if constexpr (kKind == kSigned) return int64_t{-7};
  if constexpr (kKind == kUnsigned) return kBigUnsigned;
  if constexpr (kKind == kPosition) return LCDS::Position::kJungle;
  if constexpr (kKind == kUnsignedList) return std::vector<uint64_t>{kBigUnsigned};
  if constexpr (kKind == kTextList) return std::vector<std::string>{"text"};
  if constexpr (kKind == kSignedList) return std::vector<int64_t>{-7};
}

// The JSON of each generated value, by kind.
constexpr const char* kGeneratedJson[] = {
    "\"text\"",   "-7",  "18446744073709551615", "\"JUNGLE\"", "[18446744073709551615]",
    "[\"text\"]", "[-7]"};

template <typename T>
std::string JsonOf(const T& value) {
  BindingProperty property;
  ConversionStatus status;
  ToValue(value, property, status);
  return WriteJson(property);
}

// An answer of each result type that converts, and whether the type refuses
// an empty or malformed answer (a record, a list or a bool does).
template <typename R>
std::string ConvertibleAnswer() {
  if constexpr (std::is_same_v<R, NoResult>) {
    return "null";
  } else if constexpr (std::is_same_v<R, BindingProperty>) {
    return "\"pong\"";
  } else if constexpr (requires { typename R::value_type; }) {
    return "[" + JsonOf(typename R::value_type{}) + "]";
  } else {
    return JsonOf(R{});  // a record, or false
  }
}
template <typename R>
constexpr bool kRefusesBadAnswers =
    !std::is_same_v<R, NoResult> && !std::is_same_v<R, BindingProperty>;

constexpr char kMalformed[] = "\"malformed\"";

// The conversion message of `json` read as R.
template <typename R>
std::string ConversionMessage(const char* json) {
  if constexpr (kRefusesBadAnswers<R>) {
    R record{};
    ConversionStatus status;
    FromValue(ReadJson(json), "<value>", record, status);
    return std::string(status.Error());
  }
  return "";
}

// How the service (or the proxy in front of it) answers.
enum class Answer { kConvertible, kEmpty, kMalformed, kServiceError, kPostFails };

struct Scenario {
  const char* desc;
  bool ready;
  JoustState state;
  bool entitled;
  Answer answer;
  const char* refusal;  // the feature check's message, when it refuses
};

// clang-format off
const Scenario kScenarios[] = {
    {"not ready",                 false, JoustState::kEnabled,      false, Answer::kConvertible,  "JOUST_NOT_INITIALIZED"},
    {"disabled",                  true,  JoustState::kDisabled,     true,  Answer::kConvertible,  "JOUST_DISABLED"},
    {"dark, disabled",            true,  JoustState::kDarkDisabled, true,  Answer::kConvertible,  "JOUST_DISABLED"},
    {"dark, not entitled",        true,  JoustState::kDarkEnabled,  false, Answer::kConvertible,  "JOUST_DISABLED"},
    {"enabled",                   true,  JoustState::kEnabled,      false, Answer::kConvertible,  nullptr},
    {"dark, entitled",            true,  JoustState::kDarkEnabled,  true,  Answer::kConvertible,  nullptr},
    {"empty answer",              true,  JoustState::kEnabled,      false, Answer::kEmpty,        nullptr},
    {"malformed answer",          true,  JoustState::kEnabled,      false, Answer::kMalformed,    nullptr},
    {"service failure",           true,  JoustState::kEnabled,      false, Answer::kServiceError, nullptr},
    {"proxy request fails",       true,  JoustState::kEnabled,      false, Answer::kPostFails,    nullptr},
};
// clang-format on

// What a call came to, whatever its result type.
struct Outcome {
  bool ok = false;
  uint32_t code = 0;
  std::string message;
  std::string resultJson;  // of a successful call with a result
};

template <const auto& kMethod>
Outcome CallGenerated(BackendClient& client) {
  using Result = typename std::remove_cvref_t<decltype(kMethod)>::ResultType;
  auto result = [&]<size_t... I>(std::index_sequence<I...>) {
    return client.Call<kMethod>(Generated<kMethod.arguments[I].kind>()...);
  }
  (std::make_index_sequence<kMethod.arguments.size()>{});
  if (!result.ok()) {
    return {false, result.failure().ErrorCode(), std::string(result.failure().Message()), ""};
  }
  if constexpr (std::is_same_v<Result, NoResult>) {
    return {true, 0, "", ""};
  } else if constexpr (std::is_same_v<Result, BindingProperty>) {
    return {true, 0, "", WriteJson(*result)};
  } else {
    return {true, 0, "", JsonOf(*result)};
  }
}

// The service's side: answers the uuid request after delivering `answer`
// as the service-proxy event, as a proxy that is quick to answer would.
void Script(testing::FakeHost& host, void* module, Answer answer, const std::string& convertible) {
  host.answer = [&host, module, answer, convertible](ResponseRecord& record, const RequestRecord&) {
    if (answer == Answer::kPostFails) {
      record.error = "down";
      record.status = 503;
      return;
    }
    BindingProperty event;
    event.SetEmptyStructure();
    event.MutableMember("uuid") = std::string("u-1");
    event.MutableMember("payload") = std::string(answer == Answer::kEmpty       ? "null"
                                                 : answer == Answer::kMalformed ? kMalformed
                                                                                : convertible);
    event.MutableMember("error") =
        std::string(answer == Answer::kServiceError ? "NOT_CAPTAIN" : "");
    const HostValueTree tree(std::move(event));
    host.Deliver("OnServiceProxyUuidEvent", tree.Root(), module);
    record.body.tag = 5;
    record.body.u.text.data = "u-1";
    record.body.u.text.size = 3;
  };
}

// The structure a method should send: its row's keys with the generated
// values, and the two tokens during a dark launch.
BindingProperty ExpectedArguments(const BackendMethodRow& row, bool dark) {
  std::string json = "{";
  for (const ArgumentSpec& argument : row.arguments) {
    json += "\"" + std::string(argument.key) + "\":" + kGeneratedJson[size_t(argument.kind)] + ",";
  }
  if (dark) {
    json += "\"entitlementToken\":\"" + std::string(kToken) + "\",\"accessToken\":\"" +
            kAccessToken + "\",";
  }
  if (json.back() == ',') json.pop_back();
  return ReadJson(json + "}");
}

TEST(BackendClient, EveryMethodChecksTheFeatureSendsItsArgumentsAndConvertsItsAnswer) {
  testing::FakeHost host;
  auto module = host.LoadModule();
  ASSERT_TRUE(RegisterJoustModel(module->typeRegistry()).ok());
  BackendClient client(*module);
  std::set<std::string_view> names;
  // What the proxy itself answers when its request fails: the client must
  // pass it on unchanged, only given the code the proxy leaves out.
  Script(host, module.get(), Answer::kPostFails, "");
  auto proxyAnswer = module->timers().Await(
      module->serviceProxy().Call<BindingProperty>(kJoustService, "ping", BindingProperty()));
  ASSERT_FALSE(proxyAnswer.ok());
  const Failure proxyFailure = std::move(proxyAnswer).takeFailure();
  ASSERT_EQ(proxyFailure.ErrorCode(), 0u);

  AllBackendMethodList::ForEach([&]<const auto & kMethod>() {
    using Result = typename std::remove_cvref_t<decltype(kMethod)>::ResultType;
    const BackendMethodRow row = RowOf(kMethod);
    names.insert(row.name);
    const std::string convertible = ConvertibleAnswer<Result>();
    for (const Scenario& scenario : kScenarios) {
      SCOPED_TRACE(std::string(row.name) + ", " + scenario.desc);
      client.SetAccess(FeatureAccess{.dataReady = scenario.ready,
                                     .enabledState = scenario.state,
                                     .entitled = scenario.entitled,
                                     .entitlementToken = kToken,
                                     .accessToken = kAccessToken});
      Script(host, module.get(), scenario.answer, convertible);
      host.requests.clear();
      const Outcome outcome = CallGenerated<kMethod>(client);

      if (scenario.refusal) {
        EXPECT_TRUE(host.requests.empty()) << "a refused call reaches no service";
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.code, 400u);
        EXPECT_EQ(outcome.message, scenario.refusal);
        continue;
      }
      ASSERT_EQ(host.requests.size(), 1u);
      const auto& sent = host.requests[0];
      EXPECT_EQ(sent.url, "/kiv-login/v1/service-proxy-uuid-requests");
      ASSERT_EQ(sent.paramsJson.size(), 4u);
      EXPECT_EQ(sent.paramsJson[0], "\"joust\"");
      EXPECT_EQ(sent.paramsJson[1], "\"" + std::string(row.name) + "\"");
      const BindingProperty arguments =
          ReadJson(std::string(ReadJson(sent.paramsJson[3]).GetString()));
      const bool dark = scenario.state == JoustState::kDarkEnabled;
      EXPECT_EQ(WriteJson(arguments), WriteJson(ExpectedArguments(row, dark)));
      EXPECT_TRUE(arguments == ExpectedArguments(row, dark)) << "kinds differ";

      switch (scenario.answer) {
        case Answer::kConvertible:
          ASSERT_TRUE(outcome.ok) << outcome.code << " " << outcome.message;
          if (!std::is_same_v<Result, NoResult>) {
            EXPECT_EQ(outcome.resultJson, WriteJson(ReadJson(convertible)));
          }
          break;
        case Answer::kEmpty:
        case Answer::kMalformed:
          if (!kRefusesBadAnswers<Result>) {
            EXPECT_TRUE(outcome.ok) << outcome.message;
          } else if (scenario.answer == Answer::kEmpty) {
            EXPECT_EQ(outcome.code, 500u);
            EXPECT_EQ(outcome.message, "DESERIALIZATION_FAILED");
          } else {
            EXPECT_EQ(outcome.code, 400u);
            EXPECT_EQ(outcome.message, ConversionMessage<Result>(kMalformed));
            EXPECT_FALSE(outcome.message.empty());
          }
          break;
        case Answer::kServiceError:
          // A failure without a code: the service failed, not the caller.
          EXPECT_EQ(outcome.code, 502u);
          EXPECT_EQ(outcome.message, "NOT_CAPTAIN");
          break;
        case Answer::kPostFails:
          EXPECT_EQ(outcome.code, 502u);
          EXPECT_EQ(outcome.message, proxyFailure.Message());
          EXPECT_THAT(outcome.message, ::testing::HasSubstr("down"));
          break;
      }
    }
  });
  EXPECT_EQ(names.size(), kBackendMethodCount);
  EXPECT_EQ(AllBackendMethods().size(), kBackendMethodCount);
}

}  // namespace
}  // namespace kiv::joust
