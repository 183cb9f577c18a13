#include "proxy/relay.h"

#include <chrono>
#include <thread>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "shared/object_names.h"
#include "shared/request_codes.h"

namespace zel::proxy {

namespace {

// True when the global area exists and names a live proxy other than this
// process.
bool otherProxyRuns() {
  kernel::Handle section = kernel::open_section(shared::kGlobalAreaName);
  if (section == kernel::kNullHandle) return false;
  bool runs = false;
  if (kernel::section_size(section) >= shared::kGlobalAreaSize) {
    if (auto* area = static_cast<shared::GlobalArea*>(kernel::map_view(section))) {
      uint32_t owner = area->proxyProcessId;
      kernel::unmap_view(area);
      if (owner != 0 && owner != kernel::current_process_id()) {
        kernel::Handle process = kernel::open_process(owner);
        if (process != kernel::kNullHandle) {
          runs = kernel::process_running(process);
          kernel::close_handle(process);
        }
      }
    }
  }
  kernel::close_handle(section);
  return runs;
}

}  // namespace

Relay::Relay(const RelaySettings& settings, const RelayTexts& texts)
    : settings_(settings), texts_(texts) {}

StartResult Relay::start(std::string* error) {
  auto fail = [&](const char* what) {
    if (error != nullptr) *error = std::string(what) + ": " + kernel::last_error_text();
    return StartResult::kFailed;
  };
  // The launch mutex keeps two proxies from starting together; one started
  // by hand while another serves leaves the running one alone.
  if (otherProxyRuns()) return StartResult::kOtherProxyRunning;

  readyEvent_ =
      kernel::create_event(kernel::EventReset::kManual, false, shared::kRelayReadyEventName);
  if (readyEvent_ == kernel::kNullHandle) return fail("ready event");
  kernel::reset_event(readyEvent_);
  upEvent_ = kernel::create_event(kernel::EventReset::kManual, true, shared::kRelayUpEventName);
  if (upEvent_ == kernel::kNullHandle) return fail("up event");
  kernel::set_event(upEvent_);

  globalSection_ = kernel::create_section(shared::kGlobalAreaSize, shared::kGlobalAreaName);
  if (globalSection_ == kernel::kNullHandle) return fail("global area");
  if (kernel::section_size(globalSection_) < shared::kGlobalAreaSize) {
    kernel::set_last_error(kernel::Error::kInvalidParameter);
    return fail("global area too small");
  }
  global_ = static_cast<shared::GlobalArea*>(kernel::map_view(globalSection_));
  if (global_ == nullptr) return fail("global area view");
  globalRequest_ = kernel::create_event(kernel::EventReset::kAuto, false);
  globalReply_ = kernel::create_event(kernel::EventReset::kAuto, false);
  globalMutex_ = kernel::create_mutex(false);
  if (globalRequest_ == kernel::kNullHandle || globalReply_ == kernel::kNullHandle ||
      globalMutex_ == kernel::kNullHandle) {
    return fail("global objects");
  }
  global_->requestEvent = globalRequest_;
  global_->replyEvent = globalReply_;
  global_->mutex = globalMutex_;
  global_->code = 0;
  global_->proxyProcessId = kernel::current_process_id();
  kernel::set_event(readyEvent_);
  return StartResult::kStarted;
}

Relay::~Relay() {
  // Sessions first: their threads end before the objects they use go.
  while (!sessions_.empty())
    sessions_.pop_back();
  if (readyEvent_ != kernel::kNullHandle) kernel::reset_event(readyEvent_);
  if (upEvent_ != kernel::kNullHandle) kernel::reset_event(upEvent_);
  for (kernel::Handle handle : {globalMutex_, globalReply_, globalRequest_}) {
    if (handle != kernel::kNullHandle) kernel::close_handle(handle);
  }
  if (global_ != nullptr) kernel::unmap_view(global_);
  for (kernel::Handle handle : {globalSection_, upEvent_, readyEvent_}) {
    if (handle != kernel::kNullHandle) kernel::close_handle(handle);
  }
}

void Relay::requestStop() {
  stopRequested_.store(true);
  if (globalRequest_ != kernel::kNullHandle) kernel::set_event(globalRequest_);
}

void Relay::run() {
  std::vector<kernel::Handle> waitArray;
  while (!stopRequested_.load()) {
    waitArray.clear();
    waitArray.push_back(globalRequest_);
    for (const auto& session : sessions_)
      waitArray.push_back(session->requestEvent());
    bool idle = sessions_.empty();
    uint32_t timeout = idle ? settings_.idleExitMs : settings_.reapIntervalMs;

    kernel::WaitResult woken = kernel::wait_any(waitArray, timeout);
    if (stopRequested_.load()) break;
    switch (woken.status) {
      case kernel::WaitStatus::kTimeout:
        if (idle) return;
        reapDeadHolders();
        break;
      case kernel::WaitStatus::kSignalled:
      case kernel::WaitStatus::kAbandoned:
        if (woken.index == 0) {
          dispatchGlobal();
        } else if (woken.index <= sessions_.size()) {
          sessions_[woken.index - 1]->handleRequest();
        }
        break;
      case kernel::WaitStatus::kFailed:
        // A wait that fails must not end the proxy; pause so that a lasting
        // failure does not spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        break;
    }
  }
}

void Relay::answerGlobal(int32_t status) {
  global_->code = status;
  kernel::set_event(globalReply_);
}

void Relay::dispatchGlobal() {
  using namespace shared::global_request;
  int32_t code = global_->code;
  if (code == kOpen) return handleOpen();
  if (code == kClose) return handleClose();
  // While no session exists only open and close are served.
  if (sessions_.empty()) return answerGlobal(shared::global_status::kUnsupported);
  if (code == kEnumerate) return handleEnumerate();
  if (code == kInformation) return handleInformation();
  answerGlobal(shared::global_status::kUnsupported);
}

Session* Relay::findSession(const shared::ClientAddress& address) {
  for (const auto& session : sessions_) {
    if (shared::sameAgent(session->address(), address)) return session.get();
  }
  return nullptr;
}

void Relay::closeChannel(Session* session, int channel) {
  session->closeChannel(channel);
  if (session->openChannelCount() == 0) removeSession(session);
}

void Relay::removeSession(Session* session) {
  for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
    if (it->get() == session) {
      sessions_.erase(it);
      return;
    }
  }
}

}  // namespace zel::proxy
