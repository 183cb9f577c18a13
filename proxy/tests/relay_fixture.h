// A running zelrelay with a reference agent on 127.0.0.2 and a connected
// global client, shortened test timings, and helpers to open and bind.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "proxy/tests/relay_client.h"
#include "refagent/reference_agent.h"
#include "shared/client_address.h"
#include "shared/request_codes.h"

namespace zel::proxy::testing {

inline constexpr uint32_t kReplyTimeoutMs = 1500;

inline std::vector<std::pair<std::string, std::string>> shortTimings() {
  return {{"ZEL_RELAY_REAP_MS", "1000"},
          {"ZEL_RELAY_REPLY_TIMEOUT_MS", std::to_string(kReplyTimeoutMs)}};
}

class RelayFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    refagent::AgentOptions options;
    options.address = "127.0.0.2";
    options.port = 0;
    agent_ = std::make_unique<refagent::ReferenceAgent>(options);
    std::string error;
    ASSERT_TRUE(agent_->start(&error)) << error;
    relay_ = std::make_unique<RelayProcess>(shortTimings());
    ASSERT_GT(relay_->pid(), 0);
    ASSERT_TRUE(relay_->waitReady());
    ASSERT_TRUE(global_.connect());
  }

  shared::ClientAddress agentAddress() const {
    return shared::ClientAddress::ip({127, 0, 0, 2}, agent_->port());
  }

  static uint32_t ownPid() { return static_cast<uint32_t>(getpid()); }

  // Opens a channel for this process and binds a client to it.
  std::unique_ptr<SessionClient> openBound(int32_t channel) {
    GlobalClient::OpenResult open = global_.open(ownPid(), channel, agentAddress());
    EXPECT_EQ(open.status, shared::global_status::kOk);
    if (open.status != shared::global_status::kOk) return nullptr;
    auto client = std::make_unique<SessionClient>();
    EXPECT_TRUE(client->bind(global_, open.section, channel));
    return client;
  }

  std::unique_ptr<refagent::ReferenceAgent> agent_;
  std::unique_ptr<RelayProcess> relay_;
  GlobalClient global_;
};

}  // namespace zel::proxy::testing
