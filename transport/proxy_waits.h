// Waits of the transport library. Every wait on something the proxy will
// signal also includes the proxy process, so a proxy that dies ends the wait
// at once; a caller's cancel or abort event may be added as well.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/kernel/event.h"
#include "platform/kernel/handle.h"
#include "platform/kernel/mutex.h"

namespace zel::transport {

enum class WaitOutcome {
  kObject,       // the awaited object was signalled (a mutex: now owned)
  kAbandoned,    // the awaited mutex is owned, abandoned by its last owner
  kProxyGone,    // the proxy process ended
  kInterrupted,  // the cancel or abort event was signalled
  kTimeout,
  kFailed,
};

// Waits for `object`, unless `proxyProcess` ends or `interrupt` (when not
// the null handle) is signalled first. A dead proxy is noticed before a
// signalled object, so that nothing is read from an area it left behind.
WaitOutcome waitOnProxy(kernel::Handle object, kernel::Handle proxyProcess,
                        kernel::Handle interrupt, uint32_t timeoutMs);

// True for the outcomes that leave the caller owning a mutex it waited for.
inline bool acquired(WaitOutcome outcome) {
  return outcome == WaitOutcome::kObject || outcome == WaitOutcome::kAbandoned;
}

// Consumes a signal left on an auto-reset event by an earlier exchange that
// was given up (a reply that came after its waiter's time-out).
void drainStaleSignal(kernel::Handle autoResetEvent);

// Waits for taking a request area and for the proxy's reply.
struct RequestTimeouts {
  uint32_t areaMs;
  uint32_t replyMs;
};

struct ProxyReply {
  bool answered = false;  // false: no area, proxy gone, aborted or timed out
  int32_t status = -1;    // the proxy's status, when answered
};

// The kernel objects of one request area (global or session), as duplicated
// into this process.
struct RequestObjects {
  kernel::Handle mutex;
  kernel::Handle requestEvent;
  kernel::Handle replyEvent;
  kernel::Handle proxyProcess;
};

// One request through a shared area: take the area's mutex (or give up when
// `abort` is signalled), write the code and arguments, signal the proxy, wait
// for its reply and read it, release the mutex. The proxy writes its status
// over the code.
template <typename Area>
ProxyReply runAreaRequest(Area* area, const RequestObjects& objects, int32_t code,
                          const std::function<void(Area&)>& write,
                          const std::function<void(const Area&)>& read, RequestTimeouts timeouts,
                          kernel::Handle abort = kernel::kNullHandle) {
  ProxyReply reply;
  if (area == nullptr) return reply;
  if (!acquired(waitOnProxy(objects.mutex, objects.proxyProcess, abort, timeouts.areaMs))) {
    return reply;
  }
  drainStaleSignal(objects.replyEvent);
  area->code = code;
  if (write) write(*area);
  kernel::set_event(objects.requestEvent);
  if (waitOnProxy(objects.replyEvent, objects.proxyProcess, kernel::kNullHandle,
                  timeouts.replyMs) == WaitOutcome::kObject) {
    reply.answered = true;
    reply.status = area->code;
    if (read) read(*area);
  }
  kernel::release_mutex(objects.mutex);
  return reply;
}

}  // namespace zel::transport
