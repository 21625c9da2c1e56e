// Requests to other plugins, against a recording host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "sdk/codec/json_reader.h"
#include "tests/sdk/runtime/fake_host.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using testing::FakeHost;

// A streamed body served in the given chunk sizes; counts reads and closes.
struct Stream {
  std::string bytes;
  std::vector<uint32_t> chunks;
  int failOnRead = -1;
  size_t offset = 0;
  int reads = 0;
  int closes = 0;
  int releases = 0;

  static uint8_t Read(void* self, uint8_t* buffer, uint32_t* count, uint8_t* more) {
    auto& s = *static_cast<Stream*>(self);
    const int index = s.reads++;
    if (index == s.failOnRead) return 0;
    uint32_t size = s.chunks.at(static_cast<size_t>(index));
    EXPECT_EQ(*count, 4096u);
    std::memcpy(buffer, s.bytes.data() + s.offset, size);
    s.offset += size;
    *count = size;
    *more = s.offset < s.bytes.size();
    return 1;
  }
  void Answer(ResponseRecord& record) {
    record.read = &Stream::Read;
    record.close = [](void* self) { ++static_cast<Stream*>(self)->closes; };
    record.stream = this;
    record.expectedSize = static_cast<uint32_t>(bytes.size());
    record.release = [](ResponseRecord* r) { ++static_cast<Stream*>(r->stream)->releases; };
  }
};

std::string JsonText(size_t size) {
  // A JSON string of exactly `size` bytes.
  return "\"" + std::string(size - 2, 'x') + "\"";
}

TEST(Requests, ParametersArePositionalEntriesAndTheHandleIsInTheRecord) {
  FakeHost host;
  auto module = host.LoadModule();
  int releases = 0;
  host.answer = [&](ResponseRecord& record, const RequestRecord& request) {
    EXPECT_EQ(request.reserved12, 0u);
    record.release = [](ResponseRecord* r) { ++*static_cast<int*>(r->stream); };
    record.stream = &releases;
  };
  auto sent = module->requests().Send<void>(KIV_METHOD_POST, "/x/v1/y", std::string("a"),
                                            int64_t{-3}, true);
  ASSERT_TRUE(sent.ok());
  ASSERT_EQ(host.requests.size(), 1u);
  EXPECT_EQ(host.requests[0].method, uint32_t{KIV_METHOD_POST});
  EXPECT_EQ(host.requests[0].url, "/x/v1/y");
  EXPECT_EQ(host.requests[0].pluginHandle, &host);
  EXPECT_THAT(host.requests[0].paramsJson, ElementsAre("\"a\"", "-3", "true"));
  EXPECT_EQ(releases, 1);
}

TEST(Requests, HostErrorBecomesTheNamedFailureWithItsStatus) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) {
    record.error = "not found";
    record.status = 404;
  };
  auto body = module->requests().Send<BindingProperty>(KIV_METHOD_GET, "/kiv-gameflow/v1/session");
  ASSERT_FALSE(body.ok());
  const Failure& failure = body.failure();
  EXPECT_EQ(failure.ErrorCode(), 404u);
  EXPECT_EQ(failure.Message(), "Error response for GET /kiv-gameflow/v1/session: not found");
  EXPECT_EQ(std::get<std::string>(*failure.FindField("method")), "GET");
  EXPECT_EQ(std::get<std::string>(*failure.FindField("url")), "/kiv-gameflow/v1/session");
  EXPECT_EQ(std::get<std::string>(*failure.FindField("error")), "not found");
}

TEST(Requests, UnknownMethodIsSentAsZeroAndPrintsEmpty) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) { record.error = "no"; };
  auto sent = module->requests().Send<void>(9, "/u");
  ASSERT_FALSE(sent.ok());
  EXPECT_EQ(host.requests[0].method, 0u);
  EXPECT_EQ(sent.failure().Message(), "Error response for  /u: no");
  EXPECT_EQ(MethodText(8), "");
  EXPECT_EQ(MethodCodeForHost(8), 8u);
}

TEST(Requests, StreamOfTwoFullReadsAndATailTakesThreeReadsAndNoYield) {
  FakeHost host;
  auto module = host.LoadModule();
  Stream stream{JsonText(4096 + 4096 + 10), {4096, 4096, 10}};
  host.answer = [&](ResponseRecord& record, const RequestRecord&) { stream.Answer(record); };
  auto body = module->requests().Send<std::string>(KIV_METHOD_GET, "/big");
  ASSERT_TRUE(body.ok()) << body.failure().ToString();
  EXPECT_EQ(body->size(), 4096u + 4096u + 10u - 2u);
  EXPECT_EQ(stream.reads, 3);
  EXPECT_EQ(host.pumps, 0);
  EXPECT_EQ(stream.closes, 1);
  EXPECT_EQ(stream.releases, 1);
}

TEST(Requests, ShortReadWithMoreYieldsOnceBeforeTheNextRead) {
  FakeHost host;
  auto module = host.LoadModule();
  Stream stream{"[1,2,3]", {3, 4}};
  host.answer = [&](ResponseRecord& record, const RequestRecord&) { stream.Answer(record); };
  auto body = module->requests().Send<std::vector<int>>(KIV_METHOD_GET, "/list");
  ASSERT_TRUE(body.ok());
  EXPECT_THAT(*body, ElementsAre(1, 2, 3));
  EXPECT_THAT(host.calls, ElementsAre("begin Wait: yield", "pump", "end"));
}

TEST(Requests, FailingSecondReadClosesOnceAndNamesTheStreamError) {
  FakeHost host;
  auto module = host.LoadModule();
  Stream stream{JsonText(8000), {4096, 4096}, 1};
  host.answer = [&](ResponseRecord& record, const RequestRecord&) { stream.Answer(record); };
  auto body = module->requests().Send<BindingProperty>(KIV_METHOD_GET, "/s");
  ASSERT_FALSE(body.ok());
  EXPECT_EQ(body.failure().Message(),
            "Error reading streamed response for GET /s: Stream read error");
  EXPECT_EQ(body.failure().ErrorCode(), 0u);
  EXPECT_EQ(stream.closes, 1);
  EXPECT_EQ(stream.releases, 1);
}

TEST(Requests, StreamThatIsNotJsonFailsWithTheParseMessage) {
  FakeHost host;
  auto module = host.LoadModule();
  Stream stream{"{nope", {5}};
  host.answer = [&](ResponseRecord& record, const RequestRecord&) { stream.Answer(record); };
  auto body = module->requests().Send<BindingProperty>(KIV_METHOD_GET, "/s");
  ASSERT_FALSE(body.ok());
  EXPECT_THAT(std::string(body.failure().Message()),
              ::testing::StartsWith("Error reading streamed response for GET /s: Error: "));
  EXPECT_EQ(stream.closes, 1);
}

TEST(Requests, BodyThatDoesNotConvertFailsWithCodeZero) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) {
    record.body.tag = 5;
    record.body.u.text.data = "abc";
    record.body.u.text.size = 3;
  };
  auto number = module->requests().Send<int32_t>(KIV_METHOD_GET, "/n");
  ASSERT_FALSE(number.ok());
  EXPECT_THAT(std::string(number.failure().Message()),
              ::testing::StartsWith("Error converting response for GET /n: "));
  EXPECT_EQ(number.failure().ErrorCode(), 0u);
}

TEST(Requests, ParameterFailureIsCode400WithTheThreeFields) {
  const Failure failure = ParameterFailure(KIV_METHOD_PUT, "/chat/v1/me", "bad value");
  EXPECT_EQ(failure.ErrorCode(), 400u);
  EXPECT_EQ(failure.Message(),
            "Request not sent: Error converting parameters for PUT /chat/v1/me: bad value");
  EXPECT_EQ(std::get<std::string>(*failure.FindField("error")), "bad value");
}

}  // namespace
}  // namespace kiv
