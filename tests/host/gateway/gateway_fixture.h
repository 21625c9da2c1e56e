// gateway_fixture.h: the probe library loaded in the substitute host, its
// dispatch thread running, and a gateway serving it on a free loopback port;
// tests talk to it with a real HTTP client.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <rapidjson/document.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>

#include "host/gateway/gateway.h"
#include "host/host_value_json.h"
#include "host/plugin_host.h"

namespace kiv::host::gateway {

class GatewayFixture : public ::testing::Test {
 protected:
  static GatewayOptions TestOptions() {
    GatewayOptions options;
    options.threads = 8;
    options.eventKeepAlive = std::chrono::milliseconds(20);  // finds hung-up clients quickly
    return options;
  }

  /// The options SetUp starts the gateway with.
  virtual GatewayOptions Options() const { return TestOptions(); }
  /// The library served and its entry point (the probe by default).
  virtual std::string LibraryPath() const { return KIV_PROBE_PATH; }
  virtual const char* EntrySymbol() const { return "load_kiv_probe"; }

  void SetUp() override {
    std::string error;
    host_ = PluginHost::Open(LibraryPath(), &error, EntrySymbol());
    ASSERT_NE(host_, nullptr) << error;
    host_->Load({});
    ASSERT_TRUE(host_->Initialize());
    host_->RunUntilIdle();
    host_->SetKeepHistory(false);
    host_->SetEventObserver([this](const PublishedEvent& event) {
      if (gateway_) gateway_->Publish(event);
    });
    gateway_ = Gateway::Start(*host_, Options(), &error);
    ASSERT_NE(gateway_, nullptr) << error;
    dispatch_ = std::thread([this] { host_->RunUntilStopped(stop_); });
  }

  void TearDown() override {
    if (!host_) return;
    if (dispatch_.joinable()) {
      gateway_->Stop();  // while the dispatch thread still answers
      stop_ = true;
      host_->PostFromAnyThread("stop", [] {});
      dispatch_.join();
    }
    gateway_.reset();
    host_->Shutdown();
  }

  /// Runs `work` on the dispatch thread and returns what it returns.
  template <typename Work>
  auto OnDispatch(Work work) {
    using Result = std::invoke_result_t<Work>;
    std::packaged_task<Result()> task(std::move(work));
    auto result = task.get_future();
    host_->PostFromAnyThread("test work", [&task] { task(); });
    return result.get();
  }

  /// A client of the gateway; with the token unless told otherwise. Targets
  /// are sent exactly as written.
  std::unique_ptr<httplib::Client> Client(bool withToken = true) const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", gateway_->port());
    client->set_url_encode(false);
    if (withToken) client->set_bearer_token_auth(gateway_->token().c_str());
    return client;
  }

  /// Expects an HTTP answer to carry what the same request answered in
  /// process: its body as compact JSON, or, for a failure, an error body with
  /// its status and message.
  static void ExpectSameContent(const httplib::Response& answer, const HostResponse& expected) {
    if (!expected.error) {
      EXPECT_EQ(answer.body, HostValueToJson(expected.body.root()));
      return;
    }
    rapidjson::Document error;
    error.Parse(answer.body.c_str());
    ASSERT_TRUE(error.IsObject()) << answer.body;
    EXPECT_EQ(error["httpStatus"].GetUint(), expected.FinalStatus());
    EXPECT_EQ(error["message"].GetString(), *expected.error);
  }

  std::unique_ptr<PluginHost> host_;
  std::unique_ptr<Gateway> gateway_;
  std::thread dispatch_;
  std::atomic<bool> stop_{false};
};

}  // namespace kiv::host::gateway
