#include "transport/proxy_link.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/wait.h"
#include "platform/process/detached_start.h"
#include "shared/object_names.h"
#include "transport/proxy_waits.h"
#include "transport/start_failure.h"

namespace zel::transport {

namespace {

constexpr uint32_t kLaunchMutexWaitMs = 30000;
constexpr uint32_t kReadyWaitMs = 2000;
constexpr uint32_t kUpWaitMs = 600;
constexpr auto kNoUpEventPause = std::chrono::milliseconds(200);
// Attempts 0..11: twelve looks at the global area in all.
constexpr int kLastAttempt = 11;

// Anchors the module lookup: the proxy is started from this library's directory.
const int kModuleAnchor = 0;

void closeIfOpen(kernel::Handle& handle) {
  if (handle != kernel::kNullHandle) kernel::close_handle(handle);
  handle = kernel::kNullHandle;
}

}  // namespace

ProxyLink::~ProxyLink() {
  release();
}

void ProxyLink::release() {
  closeIfOpen(mutex_);
  closeIfOpen(replyEvent_);
  closeIfOpen(requestEvent_);
  closeIfOpen(process_);
  processId_ = 0;
  if (area_ != nullptr) kernel::unmap_view(area_);
  area_ = nullptr;
  closeIfOpen(section_);
  started_ = false;
}

bool ProxyLink::ensure(const std::function<void()>& proxyLost) {
  if (started_) {
    if (kernel::process_running(process_)) return true;
    release();
    proxyLost();
  } else {
    release();
  }
  if (findOrStart(proxyLost)) return true;
  reportProxyStartFailure(kernel::last_error_text());
  return false;
}

ProxyLink::Attach ProxyLink::attach() {
  section_ = kernel::open_section(shared::kGlobalAreaName);
  if (section_ == kernel::kNullHandle) return Attach::kAbsent;
  const kernel::Handle ready = kernel::open_event(shared::kRelayReadyEventName);
  if (ready != kernel::kNullHandle) {
    kernel::wait_one(ready, kReadyWaitMs);
    kernel::close_handle(ready);
  }
  if (kernel::section_size(section_) >= shared::kGlobalAreaSize) {
    area_ = static_cast<shared::GlobalArea*>(kernel::map_view(section_));
  }
  const uint32_t pid = area_ != nullptr ? area_->proxyProcessId : 0;
  if (pid == 0) {
    release();
    return Attach::kNotReady;
  }
  process_ = kernel::open_process(pid);
  if (process_ == kernel::kNullHandle || !kernel::process_running(process_)) {
    release();
    return Attach::kExited;
  }
  processId_ = pid;
  requestEvent_ = kernel::duplicate_handle(pid, area_->requestEvent);
  replyEvent_ = kernel::duplicate_handle(pid, area_->replyEvent);
  mutex_ = kernel::duplicate_handle(pid, area_->mutex);
  if (requestEvent_ == kernel::kNullHandle || replyEvent_ == kernel::kNullHandle ||
      mutex_ == kernel::kNullHandle) {
    release();
    return Attach::kNotReady;
  }
  started_ = true;
  return Attach::kBound;
}

bool ProxyLink::findOrStart(const std::function<void()>& proxyLost) {
  const kernel::Handle launch = kernel::create_mutex(false, shared::kRelayLaunchMutexName);
  if (launch == kernel::kNullHandle) return false;
  const kernel::WaitResult owned = kernel::wait_one(launch, kLaunchMutexWaitMs);
  if (owned.status != kernel::WaitStatus::kSignalled &&
      owned.status != kernel::WaitStatus::kAbandoned) {
    kernel::close_handle(launch);
    return false;
  }

  bool found = false;
  bool startAttempted = false;
  for (int attempt = 0;; ++attempt) {
    const Attach attached = attach();
    if (attached == Attach::kBound) {
      found = true;
      break;
    }
    if (attached == Attach::kExited) proxyLost();
    if (attempt >= kLastAttempt) break;
    // One start per search, and none while a proxy that exists is coming up.
    if (!startAttempted && attached != Attach::kNotReady) {
      startAttempted = true;
      const process::StartResult started =
          process::startBeside(&kModuleAnchor, shared::kRelayProgramName);
      if (!started) kernel::set_last_error(kernel::Error::kSystem, started.error);
    }
    const kernel::Handle up = kernel::open_event(shared::kRelayUpEventName);
    if (up != kernel::kNullHandle) {
      kernel::wait_one(up, kUpWaitMs);
      kernel::close_handle(up);
    } else {
      std::this_thread::sleep_for(kNoUpEventPause);
    }
  }
  kernel::release_mutex(launch);
  kernel::close_handle(launch);
  if (!found && kernel::last_error() == kernel::Error::kNone) {
    kernel::set_last_error(kernel::Error::kNotFound);
  }
  return found;
}

GlobalReply ProxyLink::request(int32_t code, const std::function<void(shared::GlobalArea&)>& write,
                               const std::function<void(const shared::GlobalArea&)>& read,
                               GlobalTimeouts timeouts, kernel::Handle abort) {
  return runAreaRequest(area_, {mutex_, requestEvent_, replyEvent_, process_}, code, write, read,
                        timeouts, abort);
}

}  // namespace zel::transport
