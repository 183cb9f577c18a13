// The proxy: the named objects that tell clients it runs, the global area
// through which they open, close and list sessions, the session table, the
// dispatcher and the reaper of channels whose holders have died.
//
// One thread (the caller of run()) answers every request of the global area
// and of the session areas; each session adds its own link threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/handle.h"
#include "platform/kernel/wait.h"
#include "proxy/object_namer.h"
#include "proxy/relay_settings.h"
#include "proxy/relay_texts.h"
#include "proxy/session.h"
#include "shared/global_area.h"

namespace zel::proxy {

// The dispatcher waits on the global request event and one event per
// session, so this many sessions can be served.
inline constexpr size_t kMaxSessions = kernel::kMaxWaitObjects - 1;

enum class StartResult {
  kStarted,
  kOtherProxyRunning,  // a live proxy owns the global area already
  kFailed,
};

class Relay {
 public:
  Relay(const RelaySettings& settings, const RelayTexts& texts);
  // Tears down every session, then withdraws the named objects and the
  // global area.
  ~Relay();
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  // Creates the up and ready events and the global area; sets the ready
  // event when the area can be used.
  StartResult start(std::string* error = nullptr);
  // Serves requests until the proxy has been idle (no session, no request)
  // for the idle time, or until requestStop().
  void run();
  // May be called from any thread.
  void requestStop();

  size_t sessionCount() const { return sessions_.size(); }

 private:
  void dispatchGlobal();
  void handleOpen();
  void handleClose();
  void handleEnumerate();
  void handleInformation();
  void reapDeadHolders();

  Session* findSession(const shared::ClientAddress& address);
  // Closes one channel and removes the session when it was the last.
  void closeChannel(Session* session, int channel);
  void removeSession(Session* session);
  void answerGlobal(int32_t status);

  RelaySettings settings_;
  const RelayTexts& texts_;
  ObjectNamer namer_;
  std::atomic<bool> stopRequested_{false};

  // In order of acquisition.
  kernel::Handle readyEvent_ = kernel::kNullHandle;
  kernel::Handle upEvent_ = kernel::kNullHandle;
  kernel::Handle globalSection_ = kernel::kNullHandle;
  shared::GlobalArea* global_ = nullptr;
  kernel::Handle globalRequest_ = kernel::kNullHandle;
  kernel::Handle globalReply_ = kernel::kNullHandle;
  kernel::Handle globalMutex_ = kernel::kNullHandle;

  // In creation order.
  std::vector<std::unique_ptr<Session>> sessions_;
};

}  // namespace zel::proxy
