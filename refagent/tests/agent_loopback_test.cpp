// The reference agent over real loopback sockets on 127.0.0.2, spoken to
// with the console's frame and request code.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "refagent/reference_agent.h"
#include "shared/agent_requests.h"
#include "shared/tnmp_exchange.h"

extern char** environ;

namespace zel::refagent {
namespace {

namespace s = zel::shared;
using std::chrono::milliseconds;

constexpr int kGenerousMs = 20000;
constexpr int kShortMs = 300;
constexpr milliseconds kWait{20000};

int connectTo(const std::string& address, uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sin{};
  sin.sin_family = AF_INET;
  sin.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &sin.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

struct Link {
  int fd = -1;
  explicit Link(const ReferenceAgent& agent) : fd(connectTo(agent.address(), agent.port())) {}
  ~Link() {
    if (fd >= 0) close(fd);
  }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  s::TnmpExchangeResult exchange(const std::vector<uint8_t>& request, int timeoutMs = kGenerousMs) {
    reply.fill(0);
    return s::exchangeTnmp(fd, request, reply, timeoutMs);
  }
  std::span<const uint8_t> replyBytes(const s::TnmpExchangeResult& r) const {
    return std::span<const uint8_t>(reply).first(r.replyLength);
  }
  std::array<uint8_t, 8192> reply{};
};

class AgentLoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AgentOptions options;
    options.address = "127.0.0.2";
    options.port = 0;
    options.profile.machineName = "LAB-PC";
    options.profile.userName = "ann";
    options.profile.rights = 0x71;
    options.profile.userSecurity = 1;
    agent_ = std::make_unique<ReferenceAgent>(options);
    std::string error;
    ASSERT_TRUE(agent_->start(&error)) << error;
    ASSERT_NE(agent_->port(), 0);
  }

  std::unique_ptr<ReferenceAgent> agent_;
};

TEST_F(AgentLoopbackTest, ConnectSequenceOfQueryNegotiationAndEndSession) {
  Link link(*agent_);
  ASSERT_GE(link.fd, 0);

  auto q = link.exchange(s::encodeAgentQuery());
  ASSERT_EQ(q.status, s::TnmpExchangeStatus::Ok);
  auto query = s::decodeAgentQueryReply(link.replyBytes(q));
  ASSERT_TRUE(query);
  EXPECT_FALSE(query->busy);
  EXPECT_EQ(query->version, 0x0800);
  EXPECT_EQ(query->machineName, "LAB-PC");
  EXPECT_EQ(query->userName, "ann");

  // The console offers type 2 first and is told to use type 0.
  auto n1 = link.exchange(s::encodeNegotiationRequest(2, 0, "CONSOLE"));
  ASSERT_EQ(n1.status, s::TnmpExchangeStatus::Ok);
  auto first = s::decodeNegotiationReply(link.replyBytes(n1));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->result, s::negotiation_result::kUseSecurityType);
  EXPECT_EQ(first->securityType, 0);
  EXPECT_FALSE(agent_->counters().sessionActive);

  auto n2 = link.exchange(s::encodeNegotiationRequest(0, first->sequence, "CONSOLE"));
  ASSERT_EQ(n2.status, s::TnmpExchangeStatus::Ok);
  auto second = s::decodeNegotiationReply(link.replyBytes(n2));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->result, s::negotiation_result::kAccepted);
  EXPECT_EQ(second->rights, 0x71u);
  EXPECT_EQ(second->userSecurity, 1);
  AgentCounters afterNegotiation = agent_->counters();
  EXPECT_TRUE(afterNegotiation.sessionActive);
  EXPECT_EQ(afterNegotiation.consoleName, "CONSOLE");
  EXPECT_EQ(afterNegotiation.lastOfferedType, 0);

  auto e = link.exchange(s::encodeEndSession());
  ASSERT_EQ(e.status, s::TnmpExchangeStatus::Ok);
  ASSERT_EQ(e.replyLength, 4u);
  EXPECT_EQ(link.reply[1], 0x03);
  AgentCounters end = agent_->counters();
  EXPECT_FALSE(end.sessionActive);
  EXPECT_EQ(end.queries, 1u);
  EXPECT_EQ(end.negotiations, 2u);
  EXPECT_EQ(end.endSessions, 1u);
  // An answer is counted once it is written, which may be just after the
  // console has read it.
  EXPECT_TRUE(agent_->waitFor([](const AgentCounters& c) { return c.framesSent == 4; }, kWait));
}

TEST_F(AgentLoopbackTest, ProfileChangesApplyToTheNextRequest) {
  Link link(*agent_);
  AgentProfile busy = agent_->profile();
  busy.busy = true;
  busy.osType = 16;
  busy.inUse = 100;
  agent_->setProfile(busy);
  auto r = link.exchange(s::encodeAgentQuery());
  ASSERT_EQ(r.status, s::TnmpExchangeStatus::Ok);
  auto query = s::decodeAgentQueryReply(link.replyBytes(r));
  ASSERT_TRUE(query);
  EXPECT_TRUE(query->busy);
  EXPECT_EQ(query->osType, 16);
  EXPECT_EQ(query->inUse, 100);
}

TEST_F(AgentLoopbackTest, SilentAgentTimesOutThenAnswersAgain) {
  Link link(*agent_);
  agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Silent});
  EXPECT_EQ(link.exchange(s::encodeAgentQuery(), kShortMs).status, s::TnmpExchangeStatus::TimedOut);
  agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Answer});
  auto r = link.exchange(s::encodeAgentQuery());
  ASSERT_EQ(r.status, s::TnmpExchangeStatus::Ok);
  EXPECT_TRUE(s::decodeAgentQueryReply(link.replyBytes(r)));
  EXPECT_EQ(agent_->counters().queries, 2u);
}

TEST_F(AgentLoopbackTest, LateAnswerIsDiscardedBeforeTheNextRequest) {
  Link link(*agent_);
  agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Late, milliseconds(1000)});
  EXPECT_EQ(link.exchange(s::encodeAgentQuery(), kShortMs).status, s::TnmpExchangeStatus::TimedOut);
  ASSERT_TRUE(agent_->waitFor([](const AgentCounters& c) { return c.framesSent == 1; }, kWait));

  auto r = link.exchange(s::encodeNegotiationRequest(0, 0, "C"));
  ASSERT_EQ(r.status, s::TnmpExchangeStatus::Ok);
  // The reply is the negotiation's, not the late query answer.
  ASSERT_EQ(r.replyLength, 100u);
  EXPECT_EQ(link.reply[1], 2);
  auto n = s::decodeNegotiationReply(link.replyBytes(r));
  ASSERT_TRUE(n);
  EXPECT_EQ(n->result, s::negotiation_result::kAccepted);
}

TEST_F(AgentLoopbackTest, MalformedAnswers) {
  struct Case {
    FrameFault fault;
    s::TnmpExchangeStatus expected;
    int timeoutMs;
  };
  const std::vector<Case> cases = {
      {FrameFault::BadLeadMarker, s::TnmpExchangeStatus::InvalidHeader, kGenerousMs},
      {FrameFault::ReservedNotZero, s::TnmpExchangeStatus::InvalidHeader, kGenerousMs},
      {FrameFault::BadTrailMarker, s::TnmpExchangeStatus::InvalidHeader, kGenerousMs},
      {FrameFault::ShortHeader, s::TnmpExchangeStatus::TimedOut, kShortMs},
      {FrameFault::CutPayload, s::TnmpExchangeStatus::TimedOut, kShortMs},
      {FrameFault::Oversized, s::TnmpExchangeStatus::TooLong, kGenerousMs},
      {FrameFault::EmptyPayload, s::TnmpExchangeStatus::Ok, kGenerousMs},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Malformed, {}, c.fault});
    Link link(*agent_);
    auto r = link.exchange(s::encodeAgentQuery(), c.timeoutMs);
    EXPECT_EQ(r.status, c.expected);
    EXPECT_EQ(r.replyLength, 0u);
    // The same connection keeps working for a request that is answered well.
    auto ok = link.exchange(s::encodeEndSession());
    EXPECT_EQ(ok.status, s::TnmpExchangeStatus::Ok);
    EXPECT_EQ(ok.replyLength, 4u);
  }
}

TEST_F(AgentLoopbackTest, DisconnectInsteadOfAnswering) {
  agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Disconnect});
  Link link(*agent_);
  auto r = link.exchange(s::encodeAgentQuery());
  EXPECT_EQ(r.status, s::TnmpExchangeStatus::ReceiveFailed);
  EXPECT_EQ(r.error, 0);
}

TEST_F(AgentLoopbackTest, BrokenRequestFrameDropsTheConnection) {
  Link link(*agent_);
  const uint8_t garbage[12] = {'T', 'N', 'M', 'P', 4, 0, 1, 0, 'T', 'N', 'M', 'E'};
  ASSERT_EQ(write(link.fd, garbage, sizeof garbage), 12);
  uint8_t byte = 0;
  EXPECT_EQ(read(link.fd, &byte, 1), 0);  // closed by the agent
  EXPECT_EQ(agent_->counters().badFrames, 1u);
  EXPECT_EQ(agent_->counters().requests, 0u);
}

TEST_F(AgentLoopbackTest, ServesSeveralConnectionsAtOnce) {
  agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Silent});
  Link silent(*agent_);
  EXPECT_EQ(silent.exchange(s::encodeAgentQuery(), kShortMs).status,
            s::TnmpExchangeStatus::TimedOut);
  // A connection whose request is left unanswered does not hold up another.
  Link other(*agent_);
  EXPECT_EQ(other.exchange(s::encodeEndSession()).status, s::TnmpExchangeStatus::Ok);
  EXPECT_EQ(agent_->counters().connections, 2u);
}

TEST_F(AgentLoopbackTest, StopEndsPendingLateAnswersAndOpenConnections) {
  agent_->setReplyPlan(RequestKind::Query, {ReplyMode::Late, milliseconds(600000)});
  Link waiting(*agent_);
  Link idle(*agent_);
  s::TnmpExchangeResult result;
  std::thread client([&] { result = waiting.exchange(s::encodeAgentQuery(), 600000); });
  ASSERT_TRUE(agent_->waitFor([](const AgentCounters& c) { return c.queries == 1; }, kWait));
  agent_->stop();  // returns once every thread of the agent has ended
  client.join();
  EXPECT_EQ(result.status, s::TnmpExchangeStatus::ReceiveFailed);
  uint8_t byte = 0;
  EXPECT_EQ(read(idle.fd, &byte, 1), 0);
  agent_->stop();  // a second stop does nothing
}

TEST(AgentStartup, RefusesABadOrTakenAddressAndRestartsOnTheSamePort) {
  AgentOptions bad;
  bad.address = "not-an-address";
  ReferenceAgent broken(bad);
  std::string error;
  EXPECT_FALSE(broken.start(&error));
  EXPECT_FALSE(error.empty());

  AgentOptions options;
  options.address = "127.0.0.2";
  options.port = 0;
  auto first = std::make_unique<ReferenceAgent>(options);
  ASSERT_TRUE(first->start());
  options.port = first->port();
  ReferenceAgent clash(options);
  EXPECT_FALSE(clash.start(&error));

  first.reset();
  ReferenceAgent again(options);
  ASSERT_TRUE(again.start(&error)) << error;
  Link link(again);
  EXPECT_EQ(link.exchange(s::encodeAgentQuery()).status, s::TnmpExchangeStatus::Ok);
}

// The zelagent program: it prints where it listens, answers, and stops
// cleanly on SIGTERM.
TEST(AgentProgram, ServesUntilTerminated) {
  auto program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zelagent";
  ASSERT_TRUE(std::filesystem::exists(program)) << program;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string path = program.string();
  std::vector<std::string> args = {path,        "--address", "127.0.0.3", "--port", "0",
                                   "--machine", "DEMO",      "--version", "0x0801"};
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);

  std::string line;
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n')
    line.push_back(c);
  const std::string prefix = "zelagent: listening on 127.0.0.3:";
  ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
  uint16_t port = static_cast<uint16_t>(std::stoul(line.substr(prefix.size())));

  int fd = connectTo("127.0.0.3", port);
  ASSERT_GE(fd, 0);
  std::array<uint8_t, 8192> reply{};
  auto r = s::exchangeTnmp(fd, s::encodeAgentQuery(), reply, kGenerousMs);
  ASSERT_EQ(r.status, s::TnmpExchangeStatus::Ok);
  auto query = s::decodeAgentQueryReply(std::span<const uint8_t>(reply).first(r.replyLength));
  ASSERT_TRUE(query);
  EXPECT_EQ(query->machineName, "DEMO");
  EXPECT_EQ(query->version, 0x0801);

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  close(fd);
  close(out[0]);
}

}  // namespace
}  // namespace zel::refagent
