// zellink against the real proxy and reference agents on 127/8 addresses
// (127.0.0.1 only where the local-machine rule is tested). The proxy runs in
// this test's own kernel-object namespace with a short idle time.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/diagnostics.h"
#include "platform/kernel/event.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/wait.h"
#include "refagent/reference_agent.h"
#include "shared/agent_requests.h"
#include "shared/global_area.h"
#include "shared/object_names.h"
#include "transport/zellink.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using zel::refagent::AgentOptions;
using zel::refagent::ReferenceAgent;

// The proxy of this namespace exits this soon after its last session.
constexpr const char* kIdleExitMs = "1500";

// A second tool process (transport_test_child) with piped input and output.
class Child {
 public:
  explicit Child(const std::vector<std::string>& arguments) {
    const std::string program =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "transport_test_child")
            .string();
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];
  }
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0) close(input_);
    if (output_ >= 0) close(output_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  std::optional<std::string> line(int timeoutMs = 60000) {
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string text = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return text;
      }
      pollfd p{output_, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
      char chunk[256];
      const ssize_t n = read(output_, chunk, sizeof(chunk));
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }
  void say(const std::string& text) {
    const std::string withEnd = text + "\n";
    (void)!write(input_, withEnd.data(), withEnd.size());
  }
  // Kills the child and waits until it is gone.
  void killNow() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string buffer_;
};

// The process id the global area names, 0 when there is none.
uint32_t proxyPid() {
  const zel::kernel::Handle section = zel::kernel::open_section(zel::shared::kGlobalAreaName);
  if (section == zel::kernel::kNullHandle) return 0;
  uint32_t pid = 0;
  if (void* view = zel::kernel::map_view(section)) {
    pid = static_cast<const zel::shared::GlobalArea*>(view)->proxyProcessId;
    zel::kernel::unmap_view(view);
  }
  zel::kernel::close_handle(section);
  return pid;
}

// Waits (generously) until the proxy process `pid` has ended.
bool proxyEnded(uint32_t pid, uint32_t timeoutMs = 60000) {
  if (pid == 0) return true;
  const zel::kernel::Handle process = zel::kernel::open_process(pid);
  if (process == zel::kernel::kNullHandle) return true;
  const bool ended =
      zel::kernel::wait_one(process, timeoutMs).status == zel::kernel::WaitStatus::kSignalled;
  zel::kernel::close_handle(process);
  return ended;
}

void killProxy() {
  const uint32_t pid = proxyPid();
  ASSERT_NE(pid, 0u);
  kill(static_cast<pid_t>(pid), SIGKILL);
  ASSERT_TRUE(proxyEnded(pid));
}

// Running zelrelay processes of this test's namespace.
int proxiesOfThisNamespace() {
  const char* ns = std::getenv("ZEL_NAMESPACE");
  const std::string mark = std::string("ZEL_NAMESPACE=") + (ns != nullptr ? ns : "");
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream comm(entry.path() / "comm");
    std::string command;
    if (!std::getline(comm, command) || command != "zelrelay") continue;
    std::ifstream environment(entry.path() / "environ");
    std::string all((std::istreambuf_iterator<char>(environment)), {});
    std::string state;
    std::ifstream status(entry.path() / "stat");
    std::getline(status, state);
    const size_t close = state.rfind(')');
    if (close != std::string::npos && state.size() > close + 2 && state[close + 2] == 'Z') continue;
    for (size_t at = 0; at < all.size();) {
      const size_t end = all.find('\0', at);
      if (all.compare(at, end - at, mark) == 0) {
        ++count;
        break;
      }
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  return count;
}

class TransportSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("ZEL_RELAY_IDLE_EXIT_MS", kIdleExitMs, 1); }

  // Starts an agent on `address`:`port`.
  ReferenceAgent& agent(const std::string& address, uint16_t port = 1761) {
    AgentOptions options;
    options.address = address;
    options.port = port;
    agents_.push_back(std::make_unique<ReferenceAgent>(options));
    std::string error;
    EXPECT_TRUE(agents_.back()->start(&error)) << address << ": " << error;
    return *agents_.back();
  }

  ClientHandle open(const std::string& address, int32_t channel, int32_t expectedCode = 0) {
    int32_t code = 99;
    ClientHandle handle = GetClientHandleEx(address.c_str(), channel, 0, &code);
    EXPECT_EQ(code, expectedCode) << address << " channel " << channel;
    EXPECT_EQ(handle != nullptr, expectedCode == 0) << address;
    return handle;
  }

  std::vector<std::unique_ptr<ReferenceAgent>> agents_;
};

TEST_F(TransportSession, OpensTheFirstItemOfAListThatParses) {
  agent("127.77.0.2");
  ClientHandle handle = open("1.2.3.256;;127.77.0.2", ZEL_CHANNEL_CHAT);
  char text[32];
  EXPECT_EQ(GetClientAddrString(handle, text, sizeof(text)), 1);
  EXPECT_STREQ(text, "127.77.0.2");
  EXPECT_EQ(GetClientProtocolType(handle), ZEL_PROTOCOL_TCP);
  ZelSessionInfoRecord info{};
  EXPECT_EQ(GetSessionInfo(handle, &info), 1);
  EXPECT_EQ(info.interfaceVersion, 1);
  CloseClientHandle(handle);
  // A handle that was closed is unknown from then on.
  EXPECT_EQ(GetClientAddrString(handle, text, sizeof(text)), 0);
}

TEST_F(TransportSession, PortsFollowTheAddressForm) {
  ReferenceAgent& dotted = agent("127.77.0.3");
  ReferenceAgent& named = agent("127.77.0.0", 1800);
  // Four parts with a non-zero last one: the port suffix is not honoured.
  ClientHandle first = open("127.77.0.3:1800", ZEL_CHANNEL_CHAT);
  EXPECT_TRUE(dotted.waitFor([](const auto& c) { return c.connections >= 1; }, 30s));
  // A last part of 0 goes the host-name way, which honours the port.
  ClientHandle second = open("127.77.0.0:1800", ZEL_CHANNEL_CHAT);
  EXPECT_TRUE(named.waitFor([](const auto& c) { return c.connections >= 1; }, 30s));
  open("127.77.0.3:80", ZEL_CHANNEL_CHAT, ZEL_ERR_BAD_ADDRESS);
  open("127.77.0.256", ZEL_CHANNEL_CHAT, ZEL_ERR_BAD_ADDRESS);
  CloseClientHandle(second);
  CloseClientHandle(first);
}

TEST_F(TransportSession, TheLocalMachineIsOnlyReachedOnChannelFive) {
  agent("127.0.0.1", 1843);
  open("127.0.0.1", ZEL_CHANNEL_REMOTE_CONTROL, ZEL_ERR_LOCAL_MACHINE);
  open("localhost:1843", ZEL_CHANNEL_SESSION_INFO, ZEL_ERR_LOCAL_MACHINE);
  ClientHandle reserved = open("localhost:1843", ZEL_CHANNEL_RESERVED);
  CloseClientHandle(reserved);
}

TEST_F(TransportSession, NoAgentAtTheAddress) {
  open("127.77.0.9", ZEL_CHANNEL_CHAT, ZEL_ERR_NO_AGENT);
}

TEST_F(TransportSession, AChannelHeldByAnotherProcessIsFreedWhenItExits) {
  agent("127.77.0.4");
  Child holder({"open", "127.77.0.4", "1"});
  ASSERT_EQ(holder.line(), "open 0");
  open("127.77.0.4", ZEL_CHANNEL_CHAT, ZEL_ERR_CHANNEL_HELD);
  ClientHandle other = open("127.77.0.4", ZEL_CHANNEL_REBOOT);
  holder.killNow();
  ClientHandle chat = open("127.77.0.4", ZEL_CHANNEL_CHAT);
  CloseClientHandle(chat);
  CloseClientHandle(other);
}

TEST_F(TransportSession, OnlyTheLastCloseOfASessionPulsesTheDisconnectEvent) {
  agent("127.77.0.5");
  ClientHandle view = open("127.77.0.5", ZEL_CHANNEL_REMOTE_CONTROL);
  ClientHandle chat = open("127.77.0.5", ZEL_CHANNEL_CHAT);
  const zel::kernel::Handle event = zel::kernel::create_event(
      zel::kernel::EventReset::kManual, false, zel::shared::kDisconnectedEventName);
  auto closeWhileWatched = [&](ClientHandle handle) {
    Child watcher({"watch", "3000"});
    EXPECT_EQ(watcher.line(), "watching");
    // The watcher is registered once the event counts a waiter.
    for (int i = 0; i < 1000 && zel::kernel::event_waiter_count(event) < 1; ++i) {
      std::this_thread::sleep_for(5ms);
    }
    CloseClientHandle(handle);
    return watcher.line().value_or("no answer");
  };
  EXPECT_EQ(closeWhileWatched(chat), "quiet");
  EXPECT_EQ(closeWhileWatched(view), "pulsed");
  zel::kernel::close_handle(event);
}

TEST_F(TransportSession, EnumerationListsOnlyNegotiatedSessions) {
  agent("127.77.0.6");
  EXPECT_EQ(EnumConnectedClients(nullptr, 0), 0);
  ClientHandle handle = open("127.77.0.6", ZEL_CHANNEL_CHAT);
  ZelClientListRecord records[2];
  std::memset(records, 0x5A, sizeof(records));
  EXPECT_EQ(EnumConnectedClients(nullptr, 0), 0);
  EXPECT_EQ(EnumConnectedClients(records, 0), 0);
  EXPECT_EQ(records[0].address[0], 0x5A) << "nothing written";
  uint8_t info[sizeof(ZelClientInfoRecord)] = {};
  const uint16_t wanted = sizeof(info);
  std::memcpy(info, &wanted, sizeof(wanted));
  EXPECT_EQ(GetClientInformation("127.77.0.6", info), 0);
  CloseClientHandle(handle);
}

TEST_F(TransportSession, TransactionsKeepToTheCallersLimits) {
  ReferenceAgent& peer = agent("127.77.0.7");
  ClientHandle handle = open("127.77.0.7", ZEL_CHANNEL_CHAT);
  const std::vector<uint8_t> query = zel::shared::encodeAgentQuery();
  std::vector<uint8_t> buffer(8192, 0xEE);
  std::copy(query.begin(), query.end(), buffer.begin());
  const int32_t length =
      MakeRequestToUser(handle, buffer.data(), static_cast<int32_t>(query.size()),
                        static_cast<int32_t>(buffer.size()), 30000);
  ASSERT_GT(length, 0);
  const auto reply = zel::shared::decodeAgentQueryReply(
      std::span<const uint8_t>(buffer.data(), static_cast<size_t>(length)));
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->version, peer.profile().version);

  // A reply above the limit is refused and nothing of it is written.
  std::vector<uint8_t> small(query.size() + 16, 0xEE);
  std::copy(query.begin(), query.end(), small.begin());
  const std::vector<uint8_t> before = small;
  EXPECT_EQ(MakeRequestToUser(handle, small.data(), static_cast<int32_t>(query.size()), 4, 30000),
            0);
  EXPECT_EQ(small, before);
  // Request lengths outside 1..8,192 never reach the area.
  std::vector<uint8_t> big(8193, 0);
  EXPECT_EQ(MakeRequestToUser(handle, big.data(), 8193, 8193, 1000), 0);
  EXPECT_EQ(MakeRequestToUser(handle, big.data(), 0, 8193, 1000), 0);
  EXPECT_EQ(MakeRequestToUser(handle, nullptr, 10, 10, 1000), 0);
  CloseClientHandle(handle);
}

TEST_F(TransportSession, CancelEndsAWaitingTransaction) {
  ReferenceAgent& peer = agent("127.77.0.8");
  zel::refagent::ReplyPlan silent;
  silent.mode = zel::refagent::ReplyMode::Silent;
  peer.setReplyPlan(zel::refagent::RequestKind::Query, silent);
  ClientHandle handle = open("127.77.0.8", ZEL_CHANNEL_CHAT);
  auto waiting = std::async(std::launch::async, [handle] {
    const std::vector<uint8_t> query = zel::shared::encodeAgentQuery();
    std::vector<uint8_t> buffer(512);
    std::copy(query.begin(), query.end(), buffer.begin());
    return MakeRequestToUser(handle, buffer.data(), static_cast<int32_t>(query.size()),
                             static_cast<int32_t>(buffer.size()), 120000);
  });
  ASSERT_TRUE(peer.waitFor([](const auto& c) { return c.queries >= 1; }, 30s));
  std::this_thread::sleep_for(100ms);  // the caller is in its reply wait by now
  EXPECT_EQ(CancelTNMPRequestEx("127.77.0.8"), 1);
  ASSERT_EQ(waiting.wait_for(60s), std::future_status::ready);
  EXPECT_EQ(waiting.get(), 0);
  CloseClientHandle(handle);
}

TEST_F(TransportSession, ADyingProxyEndsReceiveAndTransactionWaits) {
  ReferenceAgent& peer = agent("127.77.0.10");
  zel::refagent::ReplyPlan silent;
  silent.mode = zel::refagent::ReplyMode::Silent;
  peer.setReplyPlan(zel::refagent::RequestKind::Query, silent);
  ClientHandle view = open("127.77.0.10", ZEL_CHANNEL_REMOTE_CONTROL);
  ClientHandle chat = open("127.77.0.10", ZEL_CHANNEL_CHAT);
  auto receiving = std::async(std::launch::async, [view] {
    char buffer[256];
    return RecvBuffer(view, buffer, sizeof(buffer), 120000);
  });
  auto transacting = std::async(std::launch::async, [chat] {
    const std::vector<uint8_t> query = zel::shared::encodeAgentQuery();
    std::vector<uint8_t> buffer(512);
    std::copy(query.begin(), query.end(), buffer.begin());
    return MakeRequestToUser(chat, buffer.data(), static_cast<int32_t>(query.size()),
                             static_cast<int32_t>(buffer.size()), 120000);
  });
  ASSERT_TRUE(peer.waitFor([](const auto& c) { return c.queries >= 1; }, 30s));
  const uint32_t before = proxyPid();
  killProxy();
  ASSERT_EQ(receiving.wait_for(60s), std::future_status::ready);
  EXPECT_EQ(receiving.get(), -1);
  ASSERT_EQ(transacting.wait_for(60s), std::future_status::ready);
  EXPECT_EQ(transacting.get(), 0);
  // The next open notices the dead proxy, drops the old handles and starts a new one.
  ClientHandle again = open("127.77.0.10", ZEL_CHANNEL_CHAT);
  EXPECT_NE(proxyPid(), before);
  EXPECT_EQ(GetClientAddrString(view, nullptr, 0), 0) << "old handles are gone";
  CloseClientHandle(again);
}

TEST_F(TransportSession, TheIdleProxyExitsAndIsStartedAgain) {
  agent("127.77.0.11");
  CloseClientHandle(open("127.77.0.11", ZEL_CHANNEL_CHAT));
  const uint32_t first = proxyPid();
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(proxyEnded(first));
  ClientHandle handle = open("127.77.0.11", ZEL_CHANNEL_CHAT);
  EXPECT_NE(proxyPid(), first);
  CloseClientHandle(handle);
}

TEST_F(TransportSession, TwoProcessesNeedingTheProxyStartExactlyOne) {
  agent("127.77.0.12");
  ASSERT_TRUE(proxyEnded(proxyPid()));
  ASSERT_EQ(proxiesOfThisNamespace(), 0);
  Child first({"open", "127.77.0.12", "0"});
  Child second({"open", "127.77.0.12", "1"});
  EXPECT_EQ(first.line(), "open 0");
  EXPECT_EQ(second.line(), "open 0");
  EXPECT_EQ(proxiesOfThisNamespace(), 1);
  first.say("close");
  second.say("close");
  EXPECT_EQ(first.line(), "closed");
  EXPECT_EQ(second.line(), "closed");
}

TEST_F(TransportSession, LogEntriesComeBackInOrder) {
  agent("127.77.0.13");
  ClientHandle handle = open("127.77.0.13", ZEL_CHANNEL_SESSION_INFO);
  EXPECT_EQ(LogClientMessage(handle, ZEL_MESSAGE_WARNING, "first %d", 1), 1);
  EXPECT_EQ(LogClientMessage(handle, ZEL_MESSAGE_ERROR, "%s", std::string(300, 'x').c_str()), 1);
  std::vector<std::string> texts;
  char text[64];
  uint32_t tick = 0;
  uint32_t flags = 0;
  int32_t remaining = 0;
  while ((remaining = ReadLogMessage(handle, &tick, &flags, text, sizeof(text))) >= 0) {
    texts.push_back(text);
    ASSERT_LT(texts.size(), 100u);
  }
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], "first 1");
  EXPECT_EQ(texts.back(), std::string(63, 'x')) << "cut to the buffer, terminated";
  CloseClientHandle(handle);
}

}  // namespace
