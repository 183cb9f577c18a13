// This process's link to the proxy: finding or starting the proxy program,
// the mapped global area with this process's duplicates of its events and
// mutex, and the global requests (open, close, enumerate, information).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/kernel/handle.h"
#include "shared/global_area.h"
#include "transport/proxy_waits.h"

namespace zel::transport {

// Waits of a global request: for the global mutex, then for the reply.
using GlobalTimeouts = RequestTimeouts;
inline constexpr GlobalTimeouts kOpenTimeouts{40000, 30000};
inline constexpr GlobalTimeouts kGlobalTimeouts{10000, 10000};

using GlobalReply = ProxyReply;

class ProxyLink {
 public:
  ProxyLink() = default;
  ~ProxyLink();
  ProxyLink(const ProxyLink&) = delete;
  ProxyLink& operator=(const ProxyLink&) = delete;

  // Makes sure a live proxy is known, finding or starting it when this
  // process has none or the one it had has exited. `proxyLost` is called when
  // a proxy this process used is found dead, before a new one is started, so
  // that everything bound to it is dropped. False when no proxy is available
  // (the reason was reported to the operator).
  bool ensure(const std::function<void()>& proxyLost);

  // Makes the next ensure() look for the proxy afresh (after the last channel
  // of a session closed, the proxy may exit when idle). Requests still go to
  // the proxy known until then.
  void clearStarted() { started_ = false; }

  // Runs one global request: writes the code and, through `write`, the
  // arguments; reads the reply through `read` while the global mutex is
  // still held. `abort` (when not null) ends the wait for the area.
  GlobalReply request(int32_t code, const std::function<void(shared::GlobalArea&)>& write,
                      const std::function<void(const shared::GlobalArea&)>& read,
                      GlobalTimeouts timeouts, kernel::Handle abort = kernel::kNullHandle);

  uint32_t processId() const { return processId_; }
  kernel::Handle process() const { return process_; }

 private:
  // One pass of the find-or-start loop under the launch mutex.
  bool findOrStart(const std::function<void()>& proxyLost);
  enum class Attach {
    kBound,     // the area is mapped and its proxy's objects duplicated
    kAbsent,    // no global area exists
    kNotReady,  // an area exists but its proxy has not finished setting it up
    kExited,    // the area's proxy has exited
  };
  // Maps an existing global area and binds to its proxy.
  Attach attach();
  void release();

  bool started_ = false;
  kernel::Handle section_ = kernel::kNullHandle;
  shared::GlobalArea* area_ = nullptr;
  kernel::Handle process_ = kernel::kNullHandle;
  uint32_t processId_ = 0;
  kernel::Handle requestEvent_ = kernel::kNullHandle;
  kernel::Handle replyEvent_ = kernel::kNullHandle;
  kernel::Handle mutex_ = kernel::kNullHandle;
};

}  // namespace zel::transport
