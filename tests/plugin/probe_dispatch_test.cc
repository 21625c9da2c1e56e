// Serving requests end to end: the substitute host routes each request to
// the real probe library's endpoints through the boundary, and the answers
// come back as the host sees them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host/host_value_json.h"
#include "host/plugin_host.h"

namespace {

using kiv::host::HostRequest;
using kiv::host::HostResponse;
using kiv::host::HostValueToJson;
using kiv::host::PluginHost;
using ::testing::HasSubstr;

class ProbeDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    host_ = PluginHost::Open(KIV_PROBE_PATH, &error, "load_kiv_probe");
    ASSERT_NE(host_, nullptr) << error;
    host_->Load({18, 0, 0});
    ASSERT_TRUE(host_->Initialize());
  }

  HostResponse Send(uint32_t method, std::string url, std::string body = "",
                    std::string contentType = "") {
    HostRequest request = HostRequest::Make(method, std::move(url));
    request.body = std::move(body);
    request.contentType = std::move(contentType);
    return host_->Request(std::move(request));
  }

  // The compact JSON of a successful answer, or "error: <text>".
  std::string Answer(uint32_t method, std::string url, std::string body = "",
                     std::string contentType = "") {
    const HostResponse response =
        Send(method, std::move(url), std::move(body), std::move(contentType));
    if (response.error) return "error: " + *response.error;
    return HostValueToJson(response.body.root());
  }

  std::unique_ptr<PluginHost> host_;
};

TEST_F(ProbeDispatch, EchoesBodiesInEveryFormat) {
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/echo", R"({"b":[1,-2,1.5,null],"a":"x"})",
                   "application/json; charset=utf-8"),
            R"({"a":"x","b":[1,-2,1.5,null]})");
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/echo", "a: [1, 2]\n", "application/x-yaml"),
            R"({"a":[1,2]})");
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/echo",
                   "\x81\xa1"
                   "a\x05",
                   "application/x-msgpack"),
            R"({"a":5})");
}

TEST_F(ProbeDispatch, BodyFailures) {
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/echo", "{}", "text/plain"),
            "error: Unsupported body content type");
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/echo", "\x01\x02", "application/x-msgpack"),
            "error: Extra MessgePack data found in body");
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/echo", R"({"a":1} x)", "application/json"),
            "error: Error: The document root must not be followed by other values. at offset 8.");
}

TEST_F(ProbeDispatch, BindsPathQueryAndDottedPaths) {
  EXPECT_EQ(Answer(KIV_METHOD_GET, "/kiv-probe/v1/args/5?count=3&flag&ids.0=7&ids.1=8&name=x"),
            R"({"count":3,"flag":true,"id":5,"ids":[7,8],"name":"x"})");
  // A bare flag, an empty flag and an absent one; an empty vector; a
  // structured text read as JSON.
  EXPECT_THAT(Answer(KIV_METHOD_GET, "/kiv-probe/v1/args/1?count=0&flag=&name=n&ids="),
              HasSubstr(R"("flag":true)"));
  EXPECT_THAT(Answer(KIV_METHOD_GET, "/kiv-probe/v1/args/1?count=0&name=n&ids=[4,5]"),
              HasSubstr(R"("flag":false,"id":1,"ids":[4,5])"));
  // The name may come from a header as well.
  HostRequest request = HostRequest::Make(KIV_METHOD_GET, "/kiv-probe/v1/args/2?count=1&ids=");
  request.headers.emplace_back("name", "from header");
  EXPECT_THAT(HostValueToJson(host_->Request(std::move(request)).body.root()),
              HasSubstr(R"("name":"from header")"));
}

TEST_F(ProbeDispatch, BindingFailuresCarryTheirMessages) {
  const std::string args = "/kiv-probe/v1/args/5?count=1&name=x&";
  struct Case {
    std::string query;
    std::string error;
  } cases[] = {
      {"id=5", "Argument 'id' for 'GetKivProbeV1ArgsById' was specified in an invalid location."},
      {"bogus=1", "Unknown argument 'bogus' for 'GetKivProbeV1ArgsById'."},
      {"ids.2147483648=1", "Index 2147483648 is out of range"},
      {"ids.1x=1", "Index 1x is in an incorrect format"},
      {"ids.x1=7",
       "Couldn't assign value to 'ids' of type vector because the input not a "
       "collection."},
      {"count=", "Expected value for argument 'count'."},
      {"count=-1", "Value -1 for 'count' of type uint32 is out of range"},
      {"ids={",
       "Couldn't deserialize JSON value for parameter 'ids' of 'GetKivProbeV1ArgsById': "
       "Error: Missing a name for object member. at offset 1."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Answer(KIV_METHOD_GET, args + c.query), "error: " + c.error) << c.query;
  }
  EXPECT_EQ(Answer(KIV_METHOD_GET, "/kiv-probe/v1/args/abc?count=1&name=x"),
            "error: Value abc for 'id' of type int64 is in an incorrect format");
}

TEST_F(ProbeDispatch, RecordsRoundTripThroughTheirDescriptors) {
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/record",
                   "a: 1\nb: x\nc: Blue\nd: [1, 2]\ne: {k: 1.5}\nf: {x: -3, y: true}\nz: ignored\n",
                   "application/x-yaml"),
            R"({"a":1,"b":"x","c":"Blue","d":[1,2],"e":{"k":1.5},"f":{"x":-3,"y":true}})");
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/record", R"({"c":7})", "application/json"),
            "error: 7 is not a valid ProbeColor enumeration value for 'c'.");
}

TEST_F(ProbeDispatch, JsonTextCompactOrPretty) {
  EXPECT_EQ(
      Answer(KIV_METHOD_POST, "/kiv-probe/v1/json", R"({"b":1,"a":[true]})", "application/json"),
      R"("{\"a\":[true],\"b\":1}")");
  EXPECT_EQ(Answer(KIV_METHOD_POST, "/kiv-probe/v1/json?newline=%0D%0A", R"({"a":1})",
                   "application/json"),
            R"("{\r\n    \"a\": 1\r\n}")");
}

TEST_F(ProbeDispatch, HandlerFailuresKeepTheirCode) {
  const HostResponse response = Send(KIV_METHOD_GET, "/kiv-probe/v1/fail/403");
  ASSERT_TRUE(response.error);
  EXPECT_EQ(*response.error, "probe failure 403");
  EXPECT_EQ(response.status, 403u);
}

TEST_F(ProbeDispatch, UnknownRoutesAreInvalidFunctions) {
  const HostResponse response = Send(KIV_METHOD_GET, "/kiv-probe/v1/echo");  // POST only
  ASSERT_TRUE(response.error);
  EXPECT_EQ(*response.error, "Invalid function");
  EXPECT_EQ(response.status, 404u);
}

TEST_F(ProbeDispatch, HelpDescribesTheWholeApi) {
  const HostResponse response = host_->CallBuiltin("Help");
  ASSERT_FALSE(response.error) << *response.error;
  const std::string help = HostValueToJson(response.body.root());
  for (const char* expected :
       {R"("name":"PostKivProbeV1Echo")", R"("name":"GetKivProbeV1ArgsById")",
        R"("name":"ProbeRecord")", R"("name":"Help")", R"("nameSpace":"KivProbe")",
        R"("name":"Red")"}) {
    EXPECT_THAT(help, HasSubstr(expected));
  }
  const ApiDescription& api = *host_->record().api;
  // Help, then the serving endpoints in declaration order (the endpoints that
  // drive runtime services follow them).
  ASSERT_GE(api.functionCount, 6u);
  EXPECT_STREQ(api.functions[0].name, "Help");
  EXPECT_STREQ(api.functions[0].nameSpace, "$builtin");
  EXPECT_STREQ(api.functions[5].name, "GetKivProbeV1FailByCode");
  EXPECT_STREQ(api.functions[2].urlTemplate, "/kiv-probe/v1/args/{id}");
  EXPECT_EQ(api.functions[2].method, uint32_t{KIV_METHOD_GET});
}

}  // namespace
