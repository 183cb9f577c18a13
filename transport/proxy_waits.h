// Waits of the transport library. Every wait on something the proxy will
// signal also includes the proxy process, so a proxy that dies ends the wait
// at once; a caller's cancel or abort event may be added as well.
#pragma once

#include <cstdint>

#include "platform/kernel/handle.h"

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

}  // namespace zel::transport
