#include "refagent/reference_agent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "refagent/agent_answers.h"
#include "refagent/agent_wire.h"

namespace zel::refagent {

namespace {

std::string errnoText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

ReferenceAgent::ReferenceAgent(AgentOptions options)
    : options_(std::move(options)), profile_(options_.profile) {}

ReferenceAgent::~ReferenceAgent() {
  stop();
}

bool ReferenceAgent::start(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    if (listenFd_ >= 0) close(listenFd_);
    if (stopFd_ >= 0) close(stopFd_);
    listenFd_ = stopFd_ = -1;
    return false;
  };
  if (listenFd_ >= 0) return fail("already started");
  sockaddr_in sin{};
  sin.sin_family = AF_INET;
  sin.sin_port = htons(options_.port);
  if (inet_pton(AF_INET, options_.address.c_str(), &sin.sin_addr) != 1) {
    return fail("not an IPv4 address: " + options_.address);
  }
  stopFd_ = eventfd(0, EFD_CLOEXEC);
  if (stopFd_ < 0) return fail(errnoText("eventfd"));
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) return fail(errnoText("socket"));
  int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0) {
    return fail(errnoText("bind"));
  }
  if (listen(listenFd_, 16) != 0) return fail(errnoText("listen"));
  socklen_t length = sizeof sin;
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&sin), &length);
  port_ = ntohs(sin.sin_port);
  acceptThread_ = std::thread([this] { acceptLoop(); });
  return true;
}

void ReferenceAgent::stop() {
  if (stopFd_ < 0) return;
  uint64_t one = 1;
  ssize_t written = write(stopFd_, &one, sizeof one);
  (void)written;
  if (acceptThread_.joinable()) acceptThread_.join();
  // No new connection can appear now; end the served ones.
  std::vector<std::unique_ptr<Connection>> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  for (auto& c : connections) {
    if (c->thread.joinable()) c->thread.join();
    close(c->fd);
  }
  close(listenFd_);
  close(stopFd_);
  listenFd_ = stopFd_ = -1;
}

void ReferenceAgent::setProfile(const AgentProfile& profile) {
  std::lock_guard lock(mutex_);
  profile_ = profile;
}

AgentProfile ReferenceAgent::profile() const {
  std::lock_guard lock(mutex_);
  return profile_;
}

void ReferenceAgent::setReplyPlan(RequestKind kind, const ReplyPlan& plan) {
  std::lock_guard lock(mutex_);
  plans_[static_cast<size_t>(kind)] = plan;
}

void ReferenceAgent::setReplyPlanForAll(const ReplyPlan& plan) {
  std::lock_guard lock(mutex_);
  plans_.fill(plan);
}

AgentCounters ReferenceAgent::counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

bool ReferenceAgent::waitFor(const std::function<bool(const AgentCounters&)>& condition,
                             std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return condition(counters_); });
}

void ReferenceAgent::update(const std::function<void(AgentCounters&)>& change) {
  {
    std::lock_guard lock(mutex_);
    change(counters_);
  }
  changed_.notify_all();
}

void ReferenceAgent::acceptLoop() {
  while (true) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    int n = poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (fds[1].revents & POLLIN)) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;  // the peer gave up already, or a transient shortage
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    reapFinished();
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    Connection* raw = connection.get();
    {
      std::lock_guard lock(mutex_);
      connections_.push_back(std::move(connection));
    }
    update([](AgentCounters& c) { ++c.connections; });
    raw->thread = std::thread([this, raw] { serve(raw); });
  }
}

void ReferenceAgent::reapFinished() {
  std::vector<std::unique_ptr<Connection>> done;
  {
    std::lock_guard lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      if ((*it)->finished) {
        done.push_back(std::move(*it));
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& c : done) {
    c->thread.join();
    close(c->fd);
  }
}

void ReferenceAgent::serve(Connection* connection) {
  std::vector<uint8_t> request;
  while (true) {
    ReadOutcome outcome = readRequest(connection->fd, stopFd_, request);
    if (outcome == ReadOutcome::BadFrame) update([](AgentCounters& c) { ++c.badFrames; });
    if (outcome != ReadOutcome::Request) break;
    if (!handle(connection->fd, request)) break;
  }
  // The peer sees the connection end now; the descriptor is closed by
  // whoever joins this thread.
  shutdown(connection->fd, SHUT_RDWR);
  std::lock_guard lock(mutex_);
  connection->finished = true;
}

bool ReferenceAgent::pause(std::chrono::milliseconds delay) const {
  pollfd fd = {stopFd_, POLLIN, 0};
  auto until = std::chrono::steady_clock::now() + delay;
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return true;
    int n = poll(&fd, 1, static_cast<int>(left.count()));
    if (n > 0) return false;
  }
}

bool ReferenceAgent::handle(int fd, const std::vector<uint8_t>& request) {
  RequestKind kind = classifyRequest(request);
  AgentProfile profile;
  ReplyPlan plan;
  {
    std::lock_guard lock(mutex_);
    profile = profile_;
    plan = plans_[static_cast<size_t>(kind)];
  }

  std::vector<uint8_t> answer;
  NegotiationSeen seen;
  switch (kind) {
    case RequestKind::Query:
      answer = answerQuery(profile, request);
      break;
    case RequestKind::Negotiation:
      answer = answerNegotiation(profile, request, seen);
      break;
    case RequestKind::EndSession:
      answer = answerEndSession(request);
      break;
    case RequestKind::Other:
      answer = answerOther(request);
      break;
  }
  update([&](AgentCounters& c) {
    ++c.requests;
    switch (kind) {
      case RequestKind::Query:
        ++c.queries;
        break;
      case RequestKind::Negotiation:
        ++c.negotiations;
        c.lastOfferedType = seen.offeredType;
        c.consoleName = seen.consoleName;
        if (seen.accepted) c.sessionActive = true;
        break;
      case RequestKind::EndSession:
        ++c.endSessions;
        c.sessionActive = false;
        break;
      case RequestKind::Other:
        ++c.otherRequests;
        break;
    }
  });

  switch (plan.mode) {
    case ReplyMode::Silent:
      return true;
    case ReplyMode::Disconnect:
      return false;
    case ReplyMode::Late:
      if (!pause(plan.delay)) return false;
      break;
    case ReplyMode::Answer:
    case ReplyMode::Malformed:
      break;
  }
  std::vector<uint8_t> frame =
      plan.mode == ReplyMode::Malformed ? faultyFrame(answer, plan.fault) : answerFrame(answer);
  if (!writeAll(fd, frame)) return false;
  update([](AgentCounters& c) { ++c.framesSent; });
  return true;
}

}  // namespace zel::refagent
