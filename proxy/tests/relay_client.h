// A small client of the proxy for tests, written from the shared-area
// interface alone: it starts the real zelrelay program, sends global requests
// through the global area, and session requests and transactions through a
// session area whose objects it duplicates from the proxy.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/handle.h"
#include "shared/client_address.h"
#include "shared/global_area.h"
#include "shared/session_area.h"

namespace zel::proxy::testing {

// The directory of the running test program (zelrelay and the helpers are
// built beside it).
std::string programDirectory();

// Starts a program of the build directory with extra environment variables.
pid_t spawnProgram(const std::string& name, const std::vector<std::string>& arguments,
                   const std::vector<std::pair<std::string, std::string>>& environment = {});
// Waits for the process to end, up to `timeoutMs`; its wait status, or -1.
int waitForExit(pid_t pid, int timeoutMs);
void killAndReap(pid_t pid);

// A running zelrelay, stopped (SIGTERM, then SIGKILL) when destroyed.
class RelayProcess {
 public:
  explicit RelayProcess(const std::vector<std::pair<std::string, std::string>>& environment = {});
  ~RelayProcess();
  RelayProcess(const RelayProcess&) = delete;
  RelayProcess& operator=(const RelayProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Waits until the proxy has set its ready event.
  bool waitReady(int timeoutMs = 30000);
  // Waits for the process to exit by itself; its wait status or -1.
  int waitExit(int timeoutMs);

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

struct GlobalResult {
  bool answered = false;
  int32_t status = -100;
};

// The global area of the running proxy, mapped and with its objects
// duplicated into this process.
class GlobalClient {
 public:
  GlobalClient() = default;
  ~GlobalClient();
  GlobalClient(const GlobalClient&) = delete;
  GlobalClient& operator=(const GlobalClient&) = delete;

  bool connect();
  uint32_t proxyProcessId() const { return proxyPid_; }
  kernel::Handle proxyProcess() const { return process_; }

  // One request: `fill` writes the arguments, `read` takes the reply while
  // the global mutex is still held.
  GlobalResult request(int32_t code, const std::function<void(shared::GlobalArea&)>& fill,
                       const std::function<void(const shared::GlobalArea&)>& read = {});

  struct OpenResult {
    int32_t status = -100;
    uint32_t section = 0;  // the proxy's handle of the session section
  };
  OpenResult open(uint32_t holderPid, int32_t channel, const shared::ClientAddress& address);
  int32_t close(int32_t channel, const shared::ClientAddress& address);

 private:
  uint32_t proxyPid_ = 0;
  kernel::Handle process_ = kernel::kNullHandle;
  kernel::Handle section_ = kernel::kNullHandle;
  shared::GlobalArea* area_ = nullptr;
  kernel::Handle request_ = kernel::kNullHandle;
  kernel::Handle reply_ = kernel::kNullHandle;
  kernel::Handle mutex_ = kernel::kNullHandle;
};

struct TransactionResult {
  bool answered = false;  // the reply event came
  bool valid = false;
  std::vector<uint8_t> reply;
};

// One channel of a session, bound through the section handle that open
// returned.
class SessionClient {
 public:
  SessionClient() = default;
  ~SessionClient();
  SessionClient(const SessionClient&) = delete;
  SessionClient& operator=(const SessionClient&) = delete;

  bool bind(const GlobalClient& global, uint32_t section, int32_t channel);
  shared::SessionArea& area() { return *area_; }
  kernel::Handle receiveSemaphore() const { return semaphore_; }

  // One session request; the status at 76, or nothing when not answered.
  GlobalResult request(int32_t code, const std::function<void(shared::SessionArea&)>& fill = {},
                       const std::function<void(const shared::SessionArea&)>& read = {});
  TransactionResult transaction(const std::vector<uint8_t>& request, uint32_t timeoutMs);
  // Sets the transaction length as given, without a request body.
  TransactionResult rawTransaction(uint32_t length, uint32_t timeoutMs);

 private:
  kernel::Handle process_ = kernel::kNullHandle;
  kernel::Handle section_ = kernel::kNullHandle;
  shared::SessionArea* area_ = nullptr;
  kernel::Handle request_ = kernel::kNullHandle;
  kernel::Handle reply_ = kernel::kNullHandle;
  kernel::Handle mutex_ = kernel::kNullHandle;
  kernel::Handle transactionRequest_ = kernel::kNullHandle;
  kernel::Handle transactionReply_ = kernel::kNullHandle;
  kernel::Handle semaphore_ = kernel::kNullHandle;
};

}  // namespace zel::proxy::testing
