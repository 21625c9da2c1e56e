#include "sdk/value/failure.h"

#include <gtest/gtest.h>

#include <limits>
#include <variant>

namespace kiv {
namespace {

TEST(Failure, NonzeroCodeAddsSignExtendedField) {
  const Failure failure(403, "Forbidden");
  ASSERT_NE(failure.FindField("errorCode_int"), nullptr);
  EXPECT_EQ(std::get<int64_t>(*failure.FindField("errorCode_int")), 403);
  EXPECT_EQ(failure.ToString(), R"({"message":"Forbidden","errorCode_int":403})");
  const Failure high(0xFFFFFFFFu, "x");
  EXPECT_EQ(std::get<int64_t>(*high.FindField("errorCode_int")), -1);
  EXPECT_EQ(Failure(0, "x").FindField("errorCode_int"), nullptr);
}

TEST(Failure, PlainMessageWithoutFields) {
  EXPECT_EQ(Failure(0, "x").ToString(), "x");
  EXPECT_EQ(Failure(403, "").ToString(), "");
  EXPECT_EQ(Failure().ToString(), "");
  Failure coded;
  coded.SetMessage("Not found");
  coded.AddField("errorFields_int", 1);
  EXPECT_EQ(coded.ToString(), "Not found");
}

TEST(Failure, CodeInParenthesesWhenNoFieldIsLeft) {
  Failure failure(404, "Not found");
  EXPECT_TRUE(failure.RemoveField("errorCode_int"));
  EXPECT_EQ(failure.ToString(), "Not found (404)");
  failure.AddField("errorFields_int", 1);
  EXPECT_EQ(failure.ToString(), "Not found (404)");
  failure.AddField("other", 1);
  EXPECT_EQ(failure.ToString().front(), '{');
}

TEST(Failure, JsonFormWritesEveryFieldType) {
  Failure failure(0, "Bad \"quote\"");
  failure.AddField("flag", true)
      .AddField("signed", int64_t{-9})
      .AddField("unsigned", std::numeric_limits<uint64_t>::max())
      .AddField("ratio", 0.1)
      .AddField("name", "LOCK_IN");
  const std::string json = failure.ToString();
  EXPECT_EQ(json.rfind(R"({"message":"Bad \"quote\"",)", 0), 0u) << json;
  EXPECT_NE(json.find(R"("flag":true)"), std::string::npos);
  EXPECT_NE(json.find(R"("signed":-9)"), std::string::npos);
  EXPECT_NE(json.find(R"("unsigned":18446744073709551615)"), std::string::npos);
  EXPECT_NE(json.find(R"("ratio":0.1)"), std::string::npos);
  EXPECT_NE(json.find(R"("name":"LOCK_IN")"), std::string::npos);
}

TEST(Failure, StaticMessageIsNotCopied) {
  static const char kText[] = "Finalizing";
  const Failure failure = Failure::WithStaticMessage(500, kText);
  EXPECT_EQ(failure.Message().data(), kText);
  EXPECT_EQ(failure.ErrorCode(), 500u);
  Failure copy = failure;
  copy.SetMessage("owned");
  EXPECT_EQ(copy.Message(), "owned");
  EXPECT_EQ(failure.Message(), "Finalizing");
}

TEST(Failure, AddFieldReplacesAndNarrowIntegersWiden) {
  Failure failure;
  failure.AddField("n", uint8_t{7});
  EXPECT_EQ(std::get<uint64_t>(*failure.FindField("n")), 7u);
  failure.AddField("n", "text");
  EXPECT_EQ(std::get<std::string>(*failure.FindField("n")), "text");
  EXPECT_EQ(failure.GetFields().size(), 1u);
}

}  // namespace
}  // namespace kiv
