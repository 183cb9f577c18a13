// Session requests and transactions with the reference agent, through the
// real proxy.
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "proxy/tests/relay_fixture.h"
#include "shared/agent_requests.h"
#include "shared/codes.h"
#include "shared/object_names.h"

namespace zel::proxy::testing {
namespace {

using namespace std::chrono_literals;
namespace request = shared::session_request;
namespace sstatus = shared::session_status;

struct LogLine {
  int32_t status = -100;
  uint32_t tick = 0;
  uint32_t flags = 0;
  std::string text;
  uint32_t remaining = 0;
};

LogLine readLog(SessionClient& client) {
  LogLine line;
  GlobalResult result = client.request(request::kReadLog, {}, [&](const shared::SessionArea& a) {
    line.tick = a.data.readLog.tick;
    line.flags = a.data.readLog.flags;
    line.text.assign(a.data.readLog.text, strnlen(a.data.readLog.text, 256));
    line.remaining = a.data.readLog.remaining;
  });
  line.status = result.answered ? result.status : -100;
  return line;
}

int32_t addLog(SessionClient& client, uint32_t tick, uint32_t flags, const std::string& text) {
  return client
      .request(request::kLog,
               [&](shared::SessionArea& a) {
                 a.data.log.tick = tick;
                 a.data.log.flags = flags;
                 std::memcpy(a.data.log.text, text.c_str(), text.size() + 1);
               })
      .status;
}

std::vector<std::string> drainLog(SessionClient& client) {
  std::vector<std::string> texts;
  for (LogLine line = readLog(client); line.status == sstatus::kOk; line = readLog(client)) {
    texts.push_back(line.text);
  }
  return texts;
}

uint32_t connectedFlag(SessionClient& client) {
  uint32_t connected = 99;
  client.request(request::kStatistics, {},
                 [&](const shared::SessionArea& a) { connected = a.data.statistics.connected; });
  return connected;
}

class RelaySession : public RelayFixture {
 protected:
  void SetUp() override {
    RelayFixture::SetUp();
    if (HasFatalFailure()) return;
    client_ = openBound(4);
    ASSERT_TRUE(client_);
  }
  void TearDown() override {
    client_.reset();
    if (relay_) global_.close(4, agentAddress());
  }
  std::unique_ptr<SessionClient> client_;
};

TEST_F(RelaySession, TheLogKeepsTheProxysEntriesAndToolEntriesInOrder) {
  LogLine first = readLog(*client_);
  ASSERT_EQ(first.status, sstatus::kOk);
  EXPECT_EQ(first.text, "Trying to connect to 127.0.0.2 using TCP");
  EXPECT_EQ(first.flags, shared::message_flags::kInformation);
  EXPECT_EQ(first.remaining, 1u);
  EXPECT_EQ(readLog(*client_).text, "The agent on 127.0.0.2 was contacted using TCP.");

  ASSERT_EQ(addLog(*client_, 1234, 0x10, "one"), sstatus::kOk);
  ASSERT_EQ(addLog(*client_, shared::kProxyStampsTick, 0x30, "two"), sstatus::kOk);
  ASSERT_EQ(addLog(*client_, 99, 0x40, std::string(300, 'x')), sstatus::kOk);

  LogLine one = readLog(*client_);
  EXPECT_EQ(one.text, "one");
  EXPECT_EQ(one.tick, 1234u);
  EXPECT_EQ(one.flags, 0x10u);
  EXPECT_EQ(one.remaining, 2u);
  LogLine two = readLog(*client_);
  EXPECT_NE(two.tick, shared::kProxyStampsTick);
  EXPECT_EQ(two.remaining, 1u);
  LogLine cut = readLog(*client_);
  EXPECT_EQ(cut.text, std::string(255, 'x'));
  EXPECT_EQ(cut.remaining, 0u);
  EXPECT_EQ(readLog(*client_).status, sstatus::kEmpty);
}

TEST_F(RelaySession, RequestsWithoutAViewLinkAndUnknownCodesFailCleanly) {
  struct Case {
    const char* what;
    int32_t code;
    int32_t expected;
  };
  const Case cases[] = {
      {"send", request::kSend, sstatus::kFailed},
      {"reset security", request::kResetSecurity, sstatus::kUnsupported},
      {"open view connection", request::kOpenViewConnection, sstatus::kFailed},
      {"NT authentication", request::kNtAuthentication, -2},
      {"unknown", 42, sstatus::kUnsupported},
  };
  for (const Case& c : cases) {
    GlobalResult result = client_->request(c.code, [](shared::SessionArea& a) {
      a.data.send.length = 5;
      std::memcpy(a.data.send.message, "hello", 5);
    });
    EXPECT_TRUE(result.answered) << c.what;
    EXPECT_EQ(result.status, c.expected) << c.what;
  }
  shared::SessionInfoRecord info{};
  client_->request(request::kStatistics, {},
                   [&](const shared::SessionArea& a) { info = a.data.statistics.info; });
  EXPECT_EQ(info.interfaceVersion, 1);
  EXPECT_EQ(info.sendRequests, 1u);
  EXPECT_EQ(info.bytesSent, 0u);
}

TEST_F(RelaySession, ReceiveAnswersEmptyAndClosedChannels) {
  struct Case {
    int32_t channel;
    int32_t expected;
  };
  for (const Case& c : {Case{4, sstatus::kEmpty}, Case{1, sstatus::kNotOpen},
                        Case{7, sstatus::kNotOpen}, Case{-3, sstatus::kNotOpen}}) {
    int32_t length = 99;
    GlobalResult result = client_->request(
        request::kReceive, [&](shared::SessionArea& a) { a.data.receive.channel = c.channel; },
        [&](const shared::SessionArea& a) { length = a.data.receiveReply.length; });
    EXPECT_EQ(result.status, c.expected) << c.channel;
    EXPECT_EQ(length, 0) << c.channel;
  }
}

TEST_F(RelaySession, NamesPreferTheAgentsMachineNameAndAreLowerCased) {
  auto getName = [&](int32_t code) {
    std::string name;
    client_->request(code, {}, [&](const shared::SessionArea& a) {
      name.assign(a.data.name.name, strnlen(a.data.name.name, 81));
    });
    return name;
  };
  ASSERT_EQ(client_
                ->request(request::kSetDescriptiveName,
                          [](shared::SessionArea& a) {
                            std::memset(a.data.name.name, 'Q', 200);  // no NUL within the field
                          })
                .status,
            sstatus::kOk);
  EXPECT_EQ(getName(request::kGetDescriptiveName), std::string(80, 'q'));
  std::strcpy(client_->area().machineName, "DESK-7");
  std::strcpy(client_->area().userName, "Bob");
  EXPECT_EQ(getName(request::kGetDescriptiveName), "desk-7");
  EXPECT_EQ(getName(request::kGetUserName), "Bob");
}

TEST_F(RelaySession, ATransactionCarriesTheAgentsReply) {
  TransactionResult result = client_->transaction(shared::encodeAgentQuery(), 20000);
  ASSERT_TRUE(result.answered);
  ASSERT_TRUE(result.valid);
  auto reply = shared::decodeAgentQueryReply(result.reply);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->version, 0x800);
  EXPECT_EQ(connectedFlag(*client_), 1u);
}

TEST_F(RelaySession, ASilentAgentFailsTheTransactionAfterTheTimeOut) {
  agent_->setReplyPlan(refagent::RequestKind::Query, {refagent::ReplyMode::Silent, {}, {}});
  TransactionResult result = client_->transaction(shared::encodeAgentQuery(), 30000);
  ASSERT_TRUE(result.answered);
  EXPECT_FALSE(result.valid);
  EXPECT_EQ(client_->area().transactionLength, 0u);
  EXPECT_EQ(connectedFlag(*client_), 0u);
}

TEST_F(RelaySession, ALateReplyIsDiscardedBeforeTheNextRequest) {
  agent_->setReplyPlan(
      refagent::RequestKind::Query,
      {refagent::ReplyMode::Late, std::chrono::milliseconds(kReplyTimeoutMs + 1000), {}});
  EXPECT_FALSE(client_->transaction(shared::encodeAgentQuery(), 30000).valid);
  ASSERT_TRUE(agent_->waitFor([](const auto& c) { return c.framesSent >= 1; }, 20s));
  std::this_thread::sleep_for(200ms);  // let the late frame arrive

  TransactionResult next = client_->transaction(shared::encodeEndSession(), 30000);
  ASSERT_TRUE(next.valid);
  // The end-of-session answer, not the late query answer.
  ASSERT_GE(next.reply.size(), 2u);
  EXPECT_EQ(next.reply[0] & 0x7F, 0);
  EXPECT_EQ(next.reply[1], 3);
  EXPECT_EQ(connectedFlag(*client_), 1u);
}

TEST_F(RelaySession, MalformedRepliesFailTheExchangeAndAreLogged) {
  struct Case {
    refagent::FrameFault fault;
    const char* logged;  // null: nothing logged
  };
  const Case cases[] = {
      {refagent::FrameFault::BadLeadMarker, "TNMP received an invalid header"},
      {refagent::FrameFault::ReservedNotZero, "TNMP received an invalid header"},
      {refagent::FrameFault::BadTrailMarker, "TNMP received an invalid header"},
      {refagent::FrameFault::Oversized, "TNMP receive failed: 90."},
  };
  drainLog(*client_);
  for (const Case& c : cases) {
    agent_->setReplyPlan(refagent::RequestKind::Query,
                         {refagent::ReplyMode::Malformed, {}, c.fault});
    TransactionResult result = client_->transaction(shared::encodeAgentQuery(), 30000);
    EXPECT_TRUE(result.answered);
    EXPECT_FALSE(result.valid);
    std::vector<std::string> logged = drainLog(*client_);
    ASSERT_EQ(logged.size(), 1u) << static_cast<int>(c.fault);
    EXPECT_EQ(logged[0], c.logged);
  }
  // The proxy is still serving requests.
  EXPECT_EQ(readLog(*client_).status, sstatus::kEmpty);
}

TEST_F(RelaySession, CutRepliesAndBadLengthsFailWithoutStoppingTheProxy) {
  for (auto fault : {refagent::FrameFault::ShortHeader, refagent::FrameFault::CutPayload}) {
    agent_->setReplyPlan(refagent::RequestKind::Query, {refagent::ReplyMode::Malformed, {}, fault});
    TransactionResult result = client_->transaction(shared::encodeAgentQuery(), 30000);
    EXPECT_TRUE(result.answered);
    EXPECT_FALSE(result.valid);
  }
  for (uint32_t length : {0u, 8193u, 0xFFFFFFFFu}) {
    TransactionResult result = client_->rawTransaction(length, 30000);
    EXPECT_TRUE(result.answered) << length;
    EXPECT_FALSE(result.valid) << length;
  }
  agent_->setReplyPlan(refagent::RequestKind::Query,
                       {refagent::ReplyMode::Malformed, {}, refagent::FrameFault::EmptyPayload});
  TransactionResult empty = client_->transaction(shared::encodeAgentQuery(), 30000);
  EXPECT_TRUE(empty.answered);
  EXPECT_TRUE(empty.reply.empty());
  EXPECT_TRUE(client_->request(request::kStatistics).answered);
}

TEST_F(RelaySession, AnAgentThatDropsTheConnectionFailsLaterExchangesAtOnce) {
  agent_->setReplyPlan(refagent::RequestKind::Query, {refagent::ReplyMode::Disconnect, {}, {}});
  for (int i = 0; i < 3; ++i) {
    TransactionResult result = client_->transaction(shared::encodeAgentQuery(), 30000);
    EXPECT_TRUE(result.answered);
    EXPECT_FALSE(result.valid);
  }
  EXPECT_EQ(connectedFlag(*client_), 0u);
}

TEST_F(RelaySession, ClosingTheSessionEndsATransactionWaitingOnASilentAgent) {
  agent_->setReplyPlan(refagent::RequestKind::Query, {refagent::ReplyMode::Silent, {}, {}});
  // A time-out far beyond the proxy's, so only the teardown can end it soon.
  TransactionResult result;
  std::thread waiter([&] { result = client_->transaction(shared::encodeAgentQuery(), 60000); });
  ASSERT_TRUE(agent_->waitFor([](const auto& c) { return c.queries >= 1; }, 20s));
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(global_.close(4, agentAddress()), shared::global_status::kOk);
  waiter.join();
  EXPECT_TRUE(result.answered);
  EXPECT_FALSE(result.valid);
  // The session's threads were ended, not waited out.
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
  EXPECT_EQ(global_.request(shared::global_request::kEnumerate, {}).status,
            shared::global_status::kUnsupported);
}

TEST_F(RelaySession, ASecondProxyLeavesTheRunningOneAlone) {
  pid_t second = spawnProgram(shared::kRelayProgramName, {});
  ASSERT_GT(second, 0);
  int exit = waitForExit(second, 30000);
  ASSERT_NE(exit, -1);
  EXPECT_TRUE(WIFEXITED(exit));
  EXPECT_EQ(WEXITSTATUS(exit), 0);
  EXPECT_EQ(connectedFlag(*client_), 0u);  // still answered by the first
  EXPECT_TRUE(client_->transaction(shared::encodeAgentQuery(), 20000).valid);
}

}  // namespace
}  // namespace zel::proxy::testing
