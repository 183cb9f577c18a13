#include "transport/session_channel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/semaphore.h"
#include "shared/agent_requests.h"
#include "shared/object_names.h"
#include "transport/proxy_waits.h"

namespace zel::transport {

namespace {

// Time given to a receiver of this process to wake up and see the handle close.
constexpr auto kReceiverWakePause = std::chrono::milliseconds(10);
// Waits of the end-session exchange.
constexpr uint32_t kEndSessionTimeoutMs = 10000;

void closeIfOpen(kernel::Handle& handle) {
  if (handle != kernel::kNullHandle) kernel::close_handle(handle);
  handle = kernel::kNullHandle;
}

}  // namespace

SessionChannel::SessionChannel(const shared::ClientAddress& address, int32_t channel,
                               bool noPermissionPrompt)
    : address_(address),
      formatted_(shared::formatClientAddress(address)),
      channel_(channel),
      noPermissionPrompt_(noPermissionPrompt) {}

SessionChannel::~SessionChannel() {
  unbind();
}

bool SessionChannel::bind(uint32_t proxyProcessId, uint32_t proxySection) {
  if (!shared::isValidChannel(channel_)) return false;
  proxySection_ = proxySection;
  cancelEvent_ = kernel::create_event(kernel::EventReset::kManual, false);
  addressMutex_ = kernel::create_mutex(false, formatted_);
  proxyProcess_ = kernel::open_process(proxyProcessId);
  section_ = kernel::duplicate_handle(proxyProcessId, proxySection);
  if (cancelEvent_ == kernel::kNullHandle || addressMutex_ == kernel::kNullHandle ||
      proxyProcess_ == kernel::kNullHandle || section_ == kernel::kNullHandle ||
      kernel::section_size(section_) < shared::kSessionAreaSize) {
    unbind();
    return false;
  }
  area_ = static_cast<shared::SessionArea*>(kernel::map_view(section_));
  if (area_ == nullptr) {
    unbind();
    return false;
  }
  requestEvent_ = kernel::duplicate_handle(proxyProcessId, area_->requestEvent);
  replyEvent_ = kernel::duplicate_handle(proxyProcessId, area_->replyEvent);
  mutex_ = kernel::duplicate_handle(proxyProcessId, area_->mutex);
  transactionRequestEvent_ =
      kernel::duplicate_handle(proxyProcessId, area_->transactionRequestEvent);
  transactionReplyEvent_ = kernel::duplicate_handle(proxyProcessId, area_->transactionReplyEvent);
  receiveSemaphore_ = kernel::duplicate_handle(proxyProcessId, area_->receiveSemaphore[channel_]);
  connectMutex_ = kernel::create_mutex(false, shared::connectMutexName(proxySection));
  if (requestEvent_ == kernel::kNullHandle || replyEvent_ == kernel::kNullHandle ||
      mutex_ == kernel::kNullHandle || transactionRequestEvent_ == kernel::kNullHandle ||
      transactionReplyEvent_ == kernel::kNullHandle || receiveSemaphore_ == kernel::kNullHandle ||
      connectMutex_ == kernel::kNullHandle) {
    unbind();
    return false;
  }
  return true;
}

void SessionChannel::unbind() {
  if (receiveSemaphore_ != kernel::kNullHandle) {
    kernel::release_semaphore(receiveSemaphore_);
    std::this_thread::sleep_for(kReceiverWakePause);
  }
  closeIfOpen(connectMutex_);
  closeIfOpen(receiveSemaphore_);
  closeIfOpen(transactionReplyEvent_);
  closeIfOpen(transactionRequestEvent_);
  closeIfOpen(mutex_);
  closeIfOpen(replyEvent_);
  closeIfOpen(requestEvent_);
  if (area_ != nullptr) kernel::unmap_view(area_);
  area_ = nullptr;
  closeIfOpen(section_);
  closeIfOpen(proxyProcess_);
  closeIfOpen(addressMutex_);
  closeIfOpen(cancelEvent_);
}

void SessionChannel::markClosing() {
  closing_ = true;
  if (area_ != nullptr) area_->closing = 1;
}

SessionReply SessionChannel::request(int32_t code,
                                     const std::function<void(shared::SessionArea&)>& write,
                                     const std::function<void(const shared::SessionArea&)>& read,
                                     SessionTimeouts timeouts) {
  return runAreaRequest(area_, {mutex_, requestEvent_, replyEvent_, proxyProcess_}, code, write,
                        read, timeouts);
}

uint32_t SessionChannel::transact(uint8_t* buffer, uint32_t requestLength, uint32_t maxReply,
                                  uint32_t timeoutMs) {
  if (buffer == nullptr || requestLength == 0 || requestLength > shared::kTransactionBufferSize ||
      area_ == nullptr) {
    return 0;
  }
  const WaitOutcome owned = waitOnProxy(addressMutex_, proxyProcess_, cancelEvent_, timeoutMs);
  if (owned != WaitOutcome::kObject) {
    // An abandoned mutex is owned all the same, but the exchange it guarded
    // may have been left half done: give it back and fail.
    if (owned == WaitOutcome::kAbandoned) kernel::release_mutex(addressMutex_);
    return 0;
  }
  drainStaleSignal(transactionReplyEvent_);
  area_->transactionLength = requestLength;
  std::memcpy(area_->transactionBuffer, buffer, requestLength);
  kernel::set_event(transactionRequestEvent_);
  uint32_t length = 0;
  if (waitOnProxy(transactionReplyEvent_, proxyProcess_, cancelEvent_, timeoutMs) ==
          WaitOutcome::kObject &&
      area_->transactionReplyValid == 1) {
    const uint32_t replyLength = area_->transactionLength;
    if (replyLength >= 1 && replyLength <= maxReply &&
        replyLength <= shared::kTransactionBufferSize) {
      std::memcpy(buffer, area_->transactionBuffer, replyLength);
      length = replyLength;
    }
  }
  kernel::release_mutex(addressMutex_);
  return length;
}

void SessionChannel::endSession() {
  if (area_ == nullptr || area_->negotiated != 1) return;
  const std::vector<uint8_t> request = shared::encodeEndSession();
  std::vector<uint8_t> buffer(std::max<size_t>(request.size(), shared::kTransactionBufferSize));
  std::copy(request.begin(), request.end(), buffer.begin());
  transact(buffer.data(), static_cast<uint32_t>(request.size()),
           static_cast<uint32_t>(buffer.size()), kEndSessionTimeoutMs);
  area_->negotiated = 0;
}

bool SessionChannel::waitForEntry(uint32_t timeoutMs, bool& failed) {
  failed = false;
  switch (waitOnProxy(receiveSemaphore_, proxyProcess_, kernel::kNullHandle, timeoutMs)) {
    case WaitOutcome::kObject:
    case WaitOutcome::kAbandoned:
      return true;
    case WaitOutcome::kTimeout:
      return false;
    case WaitOutcome::kProxyGone:
    case WaitOutcome::kInterrupted:
    case WaitOutcome::kFailed:
      break;
  }
  failed = true;
  return false;
}

void SessionChannel::cancel() {
  if (!closing_ && cancelEvent_ != kernel::kNullHandle) kernel::pulse_event(cancelEvent_);
}

}  // namespace zel::transport
