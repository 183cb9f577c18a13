// A remote-control agent for tests and demonstrations: listens on a TCP
// address, serves the request link (agent query, negotiation with security
// type 0, end of session) and can be told to stay silent, answer late or
// answer with a broken frame.
//
// Threads: one accepts connections, one serves each connection. stop() (also
// run by the destructor) wakes and joins all of them.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "refagent/agent_profile.h"

namespace zel::refagent {

// What the agent has seen, for tests to check.
struct AgentCounters {
  uint32_t connections = 0;
  uint32_t requests = 0;   // well-formed request frames read
  uint32_t badFrames = 0;  // connections dropped for a broken request frame
  uint32_t queries = 0;
  uint32_t negotiations = 0;
  uint32_t endSessions = 0;
  uint32_t otherRequests = 0;
  uint32_t framesSent = 0;     // answer frames written, broken ones included
  bool sessionActive = false;  // between an accepted negotiation and end of session
  uint8_t lastOfferedType = 0;
  std::string consoleName;  // as the last negotiation gave it
};

class ReferenceAgent {
 public:
  explicit ReferenceAgent(AgentOptions options);
  ~ReferenceAgent();
  ReferenceAgent(const ReferenceAgent&) = delete;
  ReferenceAgent& operator=(const ReferenceAgent&) = delete;

  // Binds and listens; false with a reason in `error` when that fails.
  bool start(std::string* error = nullptr);
  // Stops listening, ends every connection and joins every thread.
  void stop();

  const std::string& address() const { return options_.address; }
  uint16_t port() const { return port_; }  // the bound port, also when 0 was asked for

  void setProfile(const AgentProfile& profile);
  AgentProfile profile() const;
  void setReplyPlan(RequestKind kind, const ReplyPlan& plan);
  void setReplyPlanForAll(const ReplyPlan& plan);

  AgentCounters counters() const;
  // Waits until `condition` holds for the counters or `timeout` passes.
  bool waitFor(const std::function<bool(const AgentCounters&)>& condition,
               std::chrono::milliseconds timeout) const;

 private:
  struct Connection {
    int fd = -1;
    std::thread thread;
    bool finished = false;  // guarded by mutex_
  };

  void acceptLoop();
  void serve(Connection* connection);
  // Answers one request; false when the connection is to be dropped.
  bool handle(int fd, const std::vector<uint8_t>& request);
  // Waits `delay` or until stop; false on stop.
  bool pause(std::chrono::milliseconds delay) const;
  void reapFinished();
  void update(const std::function<void(AgentCounters&)>& change);

  AgentOptions options_;
  uint16_t port_ = 0;
  int listenFd_ = -1;
  int stopFd_ = -1;  // an eventfd, readable once stop() began
  std::thread acceptThread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  AgentProfile profile_;
  std::array<ReplyPlan, kRequestKindCount> plans_{};
  AgentCounters counters_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace zel::refagent
