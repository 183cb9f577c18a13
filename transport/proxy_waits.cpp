#include "transport/proxy_waits.h"

#include <array>

#include "platform/kernel/wait.h"

namespace zel::transport {

WaitOutcome waitOnProxy(kernel::Handle object, kernel::Handle proxyProcess,
                        kernel::Handle interrupt, uint32_t timeoutMs) {
  std::array<kernel::Handle, 3> handles{proxyProcess, interrupt, object};
  size_t first = 0;
  size_t count = handles.size();
  if (interrupt == kernel::kNullHandle) {
    handles[1] = object;
    count = 2;
  }
  if (proxyProcess == kernel::kNullHandle) {
    first = 1;
    --count;
  }
  const kernel::WaitResult result =
      kernel::wait_any(std::span<const kernel::Handle>(handles.data() + first, count), timeoutMs);
  const uint32_t index = result.index + static_cast<uint32_t>(first);
  switch (result.status) {
    case kernel::WaitStatus::kTimeout:
      return WaitOutcome::kTimeout;
    case kernel::WaitStatus::kFailed:
      return WaitOutcome::kFailed;
    case kernel::WaitStatus::kSignalled:
    case kernel::WaitStatus::kAbandoned:
      break;
  }
  if (index == 0) return WaitOutcome::kProxyGone;
  if (index == 1 && interrupt != kernel::kNullHandle) return WaitOutcome::kInterrupted;
  return result.status == kernel::WaitStatus::kAbandoned ? WaitOutcome::kAbandoned
                                                         : WaitOutcome::kObject;
}

void drainStaleSignal(kernel::Handle autoResetEvent) {
  kernel::wait_one(autoResetEvent, 0);
}

}  // namespace zel::transport
