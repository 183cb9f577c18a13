// In-process tests of the proxy's pieces: the node pool, channel queues,
// routing into a session, the log, the settings and the local-machine rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/kernel/event.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/wait.h"
#include "proxy/channel_queue.h"
#include "proxy/local_machine.h"
#include "proxy/message_node.h"
#include "proxy/relay_settings.h"
#include "proxy/session.h"
#include "proxy/session_log.h"

namespace zel::proxy {
namespace {

bool signalledNow(kernel::Handle handle) {
  return kernel::wait_one(handle, 0).status == kernel::WaitStatus::kSignalled;
}

TEST(NodePool, RecyclesMessageNodesAndFreesNotifications) {
  NodePool pool;
  ASSERT_TRUE(pool.valid());
  EXPECT_EQ(pool.size(), 10u);
  std::vector<std::unique_ptr<MessageNode>> taken;
  for (int i = 0; i < 12; ++i)
    taken.push_back(pool.take());  // two beyond the pool
  EXPECT_EQ(pool.size(), 0u);
  EXPECT_FALSE(signalledNow(pool.semaphore()));
  for (auto& node : taken) {
    ASSERT_TRUE(node && node->body);
    pool.giveBack(std::move(node));
  }
  EXPECT_EQ(pool.size(), 12u);
  pool.giveBack(MessageNode::notification(-1));
  EXPECT_EQ(pool.size(), 12u);
}

TEST(ChannelQueue, CountsEntriesOnItsSemaphoreAndReportsDraining) {
  ObjectNamer namer;
  auto queue = ChannelQueue::create(namer);
  ASSERT_TRUE(queue);
  queue->put(MessageNode::notification(-5));
  queue->put(MessageNode::notification(-1));
  EXPECT_FALSE(signalledNow(queue->drainedEvent()));
  EXPECT_TRUE(signalledNow(queue->receiveSemaphore()));
  EXPECT_TRUE(signalledNow(queue->receiveSemaphore()));
  EXPECT_FALSE(signalledNow(queue->receiveSemaphore()));
  EXPECT_EQ(queue->take()->length, -5);
  EXPECT_FALSE(signalledNow(queue->drainedEvent()));
  EXPECT_EQ(queue->take()->length, -1);
  EXPECT_TRUE(signalledNow(queue->drainedEvent()));
  EXPECT_EQ(queue->take(), nullptr);
}

TEST(ObjectNamer, GivesFreshNineDigitNames) {
  ObjectNamer namer;
  std::string first = namer.next("zelrelayRecvSemaphore").value();
  std::string second = namer.next("zelrelayRecvSemaphore").value();
  EXPECT_NE(first, second);
  EXPECT_GE(first.size(), std::strlen("zelrelayRecvSemaphore") + 9);
}

class SessionRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = Session::create(shared::ClientAddress::ip({127, 0, 0, 2}, 1761),
                               SessionEnvironment{&namer_, &texts_, RelaySettings{}});
    ASSERT_TRUE(session_);
  }
  ObjectNamer namer_;
  RelayTexts texts_;
  std::unique_ptr<Session> session_;
};

TEST_F(SessionRouting, MessagesGoToOpenChannelsAndCountAsPending) {
  ASSERT_TRUE(session_->openChannel(1, 4242));
  const uint8_t body[] = {0xBD, 9, 0, 1, 'x'};
  EXPECT_TRUE(session_->routeMessage(1, body));
  EXPECT_FALSE(session_->routeMessage(2, body));  // closed: dropped
  EXPECT_FALSE(session_->routeMessage(7, body));  // outside the table
  EXPECT_FALSE(session_->routeMessage(1, {}));
  std::vector<uint8_t> huge(kNodeBodySize + 1);
  EXPECT_FALSE(session_->routeMessage(1, huge));
  EXPECT_EQ(session_->area().pendingCount, 1);
  session_->notifyAll(-5);
  EXPECT_EQ(session_->area().pendingCount, 1);
  EXPECT_EQ(session_->area().channelHolder[1], 4242u);
  EXPECT_EQ(session_->openChannelMask(), 1u << 1);
}

TEST_F(SessionRouting, ClosingReturnsQueuedNodesToThePool) {
  ASSERT_TRUE(session_->openChannel(0, 1));
  const uint8_t body[] = {1, 2, 3};
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(session_->routeMessage(0, body));
  EXPECT_EQ(session_->pool().size(), 6u);
  session_->closeChannel(0);
  EXPECT_EQ(session_->pool().size(), 10u);
  EXPECT_EQ(session_->area().receiveSemaphore[0], 0u);
  EXPECT_EQ(session_->openChannelCount(), 0);
}

TEST(SessionLog, KeepsOrderAndCutsLongTexts) {
  SessionLog log;
  log.add(5, 0x10, "a");
  log.add(0x40, std::string(400, 'z'));
  auto first = log.take();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->entry.tick, 5u);
  EXPECT_EQ(first->remaining, 1u);
  auto second = log.take();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->entry.text.size(), SessionLog::kMaxTextLength);
  EXPECT_FALSE(log.take());
}

TEST(RelaySettings, TestVariablesOverrideOnlyWithSaneValues) {
  struct Case {
    const char* value;
    uint32_t expected;
  };
  for (const Case& c : {Case{"1500", 1500}, Case{"0", 30000}, Case{"-5", 30000},
                        Case{"12abc", 30000}, Case{"99999999", 30000}}) {
    setenv("ZEL_RELAY_IDLE_EXIT_MS", c.value, 1);
    EXPECT_EQ(RelaySettings::fromEnvironment().idleExitMs, c.expected) << c.value;
  }
  unsetenv("ZEL_RELAY_IDLE_EXIT_MS");
  RelaySettings defaults = RelaySettings::fromEnvironment();
  EXPECT_EQ(defaults.idleExitMs, 30000u);
  EXPECT_EQ(defaults.reapIntervalMs, 10000u);
  EXPECT_EQ(defaults.connectTimeoutMs, 10000u);
  EXPECT_EQ(defaults.replyTimeoutMs, 0u);
}

TEST(LocalMachine, OwnAddressesCountAndOther127AddressesDoNot) {
  EXPECT_TRUE(isLocalMachine(shared::ClientAddress::ip({127, 0, 0, 1}, 1761)));
  EXPECT_FALSE(isLocalMachine(shared::ClientAddress::ip({127, 0, 0, 2}, 1761)));
  EXPECT_FALSE(isLocalMachine(shared::ClientAddress::ip({192, 0, 2, 1}, 1761)));
  EXPECT_FALSE(
      isLocalMachine(shared::ClientAddress::ipx({0, 0, 0xAB, 0xCD}, {0, 0xC0, 0xF0, 1, 2, 3})));
  for (uint32_t address : hostNameAddresses()) {
    shared::Ipv4 bytes = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                          static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    EXPECT_TRUE(isLocalMachine(shared::ClientAddress::ip(bytes, 1761)));
  }
}

}  // namespace
}  // namespace zel::proxy
