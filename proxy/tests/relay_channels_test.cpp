// Open, close, enumerate and information requests against the real proxy,
// with live, replaced and dead channel holders.
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/kernel/event.h"
#include "platform/kernel/wait.h"
#include "proxy/tests/relay_fixture.h"
#include "shared/codes.h"
#include "shared/object_names.h"

namespace zel::proxy::testing {
namespace {

using namespace std::chrono_literals;
namespace status = shared::global_status;

// A port of 127.0.0.2 where nothing listens.
uint16_t closedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(0x7F000002);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

using RelayChannels = RelayFixture;

TEST_F(RelayChannels, OpenIsRefusedForBadChannelsLocalAddressesAndMissingAgents) {
  struct Case {
    const char* what;
    int32_t channel;
    shared::ClientAddress address;
    int32_t expected;
  };
  const Case cases[] = {
      {"channel above 6", 7, agentAddress(), status::kBadChannel},
      {"negative channel", -1, agentAddress(), status::kBadChannel},
      {"this machine on channel 0", 0, shared::ClientAddress::ip({127, 0, 0, 1}, 1761),
       status::kLocalMachine},
      {"this machine on channel 6", 6, shared::ClientAddress::ip({127, 0, 0, 1}, 1761),
       status::kLocalMachine},
      {"no agent listening", 1, shared::ClientAddress::ip({127, 0, 0, 2}, closedPort()),
       status::kNotFound},
      {"invalid address", 1, shared::ClientAddress{}, status::kNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(global_.open(ownPid(), c.channel, c.address).status, c.expected) << c.what;
  }
  // None of them left a session behind.
  EXPECT_EQ(global_.request(shared::global_request::kEnumerate, {}).status, status::kUnsupported);
}

TEST_F(RelayChannels, ChannelFiveMayAddressThisMachine) {
  refagent::AgentOptions options;
  options.address = "127.0.0.1";
  options.port = 0;
  refagent::ReferenceAgent localAgent(options);
  ASSERT_TRUE(localAgent.start());
  auto local = shared::ClientAddress::ip({127, 0, 0, 1}, localAgent.port());
  EXPECT_EQ(global_.open(ownPid(), 5, local).status, status::kOk);
  EXPECT_EQ(global_.open(ownPid(), 0, local).status, status::kLocalMachine);
  EXPECT_EQ(global_.close(5, local), status::kOk);
}

TEST_F(RelayChannels, OpenFillsTheSessionAreaAndCloseRemovesTheSession) {
  auto client = openBound(1);
  ASSERT_TRUE(client);
  shared::SessionArea& area = client->area();
  EXPECT_EQ(area.proxyProcessId, global_.proxyProcessId());
  EXPECT_EQ(area.channelHolder[1], ownPid());
  EXPECT_NE(area.receiveSemaphore[1], 0u);
  EXPECT_EQ(area.receiveSemaphore[0], 0u);
  EXPECT_EQ(area.protocolType, shared::protocol_type::kTcp);
  EXPECT_TRUE(agent_->waitFor([](const auto& c) { return c.connections == 1; }, 10s));

  // A second channel joins the same session.
  GlobalClient::OpenResult second = global_.open(ownPid(), 4, agentAddress());
  EXPECT_EQ(second.status, status::kOk);
  EXPECT_EQ(second.section, area.section);
  EXPECT_EQ(area.channelHolder[4], ownPid());

  EXPECT_EQ(global_.close(1, agentAddress()), status::kOk);
  EXPECT_EQ(area.receiveSemaphore[1], 0u);
  EXPECT_EQ(area.channelHolder[1], 0u);
  EXPECT_EQ(global_.close(4, agentAddress()), status::kOk);
  // With no session left only open and close are served.
  EXPECT_EQ(global_.request(shared::global_request::kEnumerate, {}).status, status::kUnsupported);
  // Closing what is not open is answered too.
  EXPECT_EQ(global_.close(4, agentAddress()), status::kOk);
  EXPECT_EQ(global_.close(9, agentAddress()), status::kOk);
}

TEST_F(RelayChannels, ALiveHolderKeepsItsChannelAndADeadOneIsReplaced) {
  pid_t holder = spawnProgram("relay_test_holder", {});
  ASSERT_GT(holder, 0);
  auto holderPid = static_cast<uint32_t>(holder);
  EXPECT_EQ(global_.open(holderPid, 1, agentAddress()).status, status::kOk);
  EXPECT_EQ(global_.open(ownPid(), 1, agentAddress()).status, status::kChannelHeld);
  // Another channel of the same session is free.
  EXPECT_EQ(global_.open(ownPid(), 2, agentAddress()).status, status::kOk);

  killAndReap(holder);
  GlobalClient::OpenResult replaced = global_.open(ownPid(), 1, agentAddress());
  ASSERT_EQ(replaced.status, status::kOk);
  SessionClient client;
  ASSERT_TRUE(client.bind(global_, replaced.section, 1));
  EXPECT_EQ(client.area().channelHolder[1], ownPid());
  EXPECT_EQ(global_.close(1, agentAddress()), status::kOk);
  EXPECT_EQ(global_.close(2, agentAddress()), status::kOk);
}

TEST_F(RelayChannels, TheReaperClosesTheChannelsOfAKilledHolder) {
  pid_t holder = spawnProgram("relay_test_holder", {});
  ASSERT_GT(holder, 0);
  GlobalClient::OpenResult open = global_.open(static_cast<uint32_t>(holder), 3, agentAddress());
  ASSERT_EQ(open.status, status::kOk);
  SessionClient client;
  ASSERT_TRUE(client.bind(global_, open.section, 3));
  killAndReap(holder);

  // Watch the area without sending requests: the reaper runs only after a
  // quiet interval.
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (client.area().receiveSemaphore[3] != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(client.area().receiveSemaphore[3], 0u);
  EXPECT_EQ(client.area().channelHolder[3], 0u);
  EXPECT_EQ(global_.request(shared::global_request::kEnumerate, {}).status, status::kUnsupported);
}

TEST_F(RelayChannels, EnumerateAndInformationListOnlyNegotiatedSessions) {
  EXPECT_EQ(global_.request(shared::global_request::kInformation, {}).status, status::kUnsupported);
  auto client = openBound(4);
  ASSERT_TRUE(client);
  EXPECT_EQ(global_.request(shared::global_request::kEnumerate, {}).status, status::kNotFound);

  // What the transport library stores after negotiation.
  shared::SessionArea& area = client->area();
  std::strcpy(area.machineName, "AgentBox");
  std::strcpy(area.userName, "Alice");
  std::strcpy(area.securityString, "none");
  area.osType = 2;
  area.viewerRights = 0xF1;
  area.agentVersion = 0x800;
  area.negotiated = 1;

  shared::GlobalEnumerateReply listed{};
  GlobalResult enumerated = global_.request(
      shared::global_request::kEnumerate, {},
      [&](const shared::GlobalArea& g) { std::memcpy(&listed, &g.data.enumerate, sizeof listed); });
  ASSERT_EQ(enumerated.status, status::kOk);
  ASSERT_EQ(listed.count, 1u);
  EXPECT_STREQ(listed.records[0].address, "127.0.0.2");
  EXPECT_STREQ(listed.records[0].machineName, "agentbox");
  EXPECT_STREQ(listed.records[0].userName, "Alice");
  EXPECT_EQ(listed.records[0].openChannels, 1u << 4);

  struct Lookup {
    const char* text;
    int32_t expected;
  };
  for (const Lookup& lookup :
       {Lookup{"127.0.0.2", status::kOk}, Lookup{"127.0.0.3", status::kNotFound}}) {
    shared::ClientInfoRecord info{};
    GlobalResult answer = global_.request(
        shared::global_request::kInformation,
        [&](shared::GlobalArea& g) {
          std::memset(g.data.raw, 0, 400);
          std::strcpy(g.data.information.address, lookup.text);
        },
        [&](const shared::GlobalArea& g) { info = g.data.informationReply; });
    ASSERT_EQ(answer.status, lookup.expected) << lookup.text;
    if (lookup.expected != status::kOk) continue;
    EXPECT_EQ(std::string(info.requestHead, 8), std::string("127.0.0.", 8));
    EXPECT_EQ(info.protocolType, shared::protocol_type::kTcp);
    EXPECT_EQ(info.osType, 2u);
    EXPECT_EQ(info.viewerRights, 0xF1u);
    EXPECT_EQ(info.agentVersion, 0x800);
    EXPECT_STREQ(info.securityString, "none");
    EXPECT_STREQ(info.address, "127.0.0.2");
  }
  EXPECT_EQ(global_.request(77, {}).status, status::kUnsupported);
  EXPECT_EQ(global_.close(4, agentAddress()), status::kOk);
}

TEST_F(RelayChannels, ClosingAllButFileTransferTellsFileTransfer) {
  auto fileTransfer = openBound(3);
  ASSERT_TRUE(fileTransfer);
  ASSERT_EQ(global_.open(ownPid(), 1, agentAddress()).status, status::kOk);
  ASSERT_EQ(global_.close(1, agentAddress()), status::kOk);

  EXPECT_EQ(kernel::wait_one(fileTransfer->receiveSemaphore(), 10000).status,
            kernel::WaitStatus::kSignalled);
  int32_t length = 0;
  GlobalResult received = fileTransfer->request(
      shared::session_request::kReceive, [](shared::SessionArea& a) { a.data.receive.channel = 3; },
      [&](const shared::SessionArea& a) { length = a.data.receiveReply.length; });
  EXPECT_EQ(received.status, shared::session_status::kOk);
  EXPECT_EQ(length, shared::notification::kOnlyFileTransferLeft);
  // Notifications do not count as pending messages.
  EXPECT_EQ(fileTransfer->area().pendingCount, -1);
  EXPECT_EQ(global_.close(3, agentAddress()), status::kOk);
}

TEST(RelayLimits, SixtyThreeSessionsAreServedAndTheNextOpenIsRefused) {
  // Plain listening sockets complete the TCP handshake without an agent.
  std::vector<int> listeners;
  std::vector<shared::ClientAddress> addresses;
  for (int i = 0; i < 64; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(0x7F000002);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    listeners.push_back(fd);
    addresses.push_back(shared::ClientAddress::ip({127, 0, 0, 2}, ntohs(address.sin_port)));
  }
  RelayProcess relay(shortTimings());
  ASSERT_TRUE(relay.waitReady());
  GlobalClient global;
  ASSERT_TRUE(global.connect());
  auto self = static_cast<uint32_t>(getpid());
  for (int i = 0; i < 63; ++i) {
    ASSERT_EQ(global.open(self, 4, addresses[i]).status, status::kOk) << i;
  }
  EXPECT_EQ(global.open(self, 4, addresses[63]).status, status::kAreaFailed);
  // Existing sessions still take further channels.
  EXPECT_EQ(global.open(self, 1, addresses[0]).status, status::kOk);
  for (int i = 0; i < 63; ++i)
    EXPECT_EQ(global.close(4, addresses[i]), status::kOk);
  EXPECT_EQ(global.close(1, addresses[0]), status::kOk);
  EXPECT_EQ(global.open(self, 4, addresses[63]).status, status::kOk);
  EXPECT_EQ(global.close(4, addresses[63]), status::kOk);
  for (int fd : listeners)
    close(fd);
}

TEST(RelayLifetime, TheProxyExitsWhenIdleAndWithdrawsItsEvents) {
  auto environment = shortTimings();
  environment.emplace_back("ZEL_RELAY_IDLE_EXIT_MS", "1500");
  RelayProcess relay(environment);
  ASSERT_TRUE(relay.waitReady());
  {
    GlobalClient global;
    ASSERT_TRUE(global.connect());
    // A request keeps it alive for another idle period.
    EXPECT_EQ(global.request(shared::global_request::kEnumerate, {}).status, status::kUnsupported);
  }
  int exit = relay.waitExit(60000);
  ASSERT_NE(exit, -1);
  EXPECT_TRUE(WIFEXITED(exit));
  EXPECT_EQ(WEXITSTATUS(exit), 0);
  kernel::Handle ready = kernel::open_event(shared::kRelayReadyEventName);
  if (ready != kernel::kNullHandle) {
    EXPECT_EQ(kernel::wait_one(ready, 0).status, kernel::WaitStatus::kTimeout);
    kernel::close_handle(ready);
  }
}

}  // namespace
}  // namespace zel::proxy::testing
