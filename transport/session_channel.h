// One channel of one session as this process holds it: duplicates of the
// session's kernel objects, the mapped session area, and the session
// requests and transactions that go through that area.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/kernel/handle.h"
#include "shared/client_address.h"
#include "shared/session_area.h"
#include "transport/proxy_waits.h"

namespace zel::transport {

using SessionTimeouts = RequestTimeouts;
inline constexpr SessionTimeouts kSessionTimeouts{10000, 10000};
inline constexpr SessionTimeouts kSendTimeouts{30000, 30000};

using SessionReply = ProxyReply;

class SessionChannel {
 public:
  SessionChannel(const shared::ClientAddress& address, int32_t channel, bool noPermissionPrompt);
  ~SessionChannel();  // releases whatever is still bound, in reverse order
  SessionChannel(const SessionChannel&) = delete;
  SessionChannel& operator=(const SessionChannel&) = delete;

  // Maps the session section that the proxy `proxyProcessId` returned for an
  // open and duplicates the session's objects into this process. False when
  // any of them cannot be had (everything taken so far is released).
  bool bind(uint32_t proxyProcessId, uint32_t proxySection);
  // Wakes a receiver of this process (one semaphore unit and 10 ms), then
  // releases every object and the view.
  void unbind();

  // One session request through the area: `write` fills the arguments and
  // `read` takes the reply while the session mutex is still held.
  SessionReply request(int32_t code, const std::function<void(shared::SessionArea&)>& write,
                       const std::function<void(const shared::SessionArea&)>& read,
                       SessionTimeouts timeouts = kSessionTimeouts);

  // A request/reply exchange with the agent. `buffer` holds `requestLength`
  // (1..8,192) bytes; the reply overwrites it when its length is 1..`maxReply`.
  // Returns the reply length, or 0 for a failed, refused or cancelled
  // exchange (nothing is then written to the buffer).
  uint32_t transact(uint8_t* buffer, uint32_t requestLength, uint32_t maxReply, uint32_t timeoutMs);

  // Tells the agent that the session ends, when its negotiation had
  // completed, and clears the negotiated mark.
  void endSession();

  // Waits for the next entry of this channel's queue: true when one is
  // announced, false on time-out; `failed` set when the wait itself failed or
  // the proxy is gone.
  bool waitForEntry(uint32_t timeoutMs, bool& failed);

  void cancel();

  shared::SessionArea* area() const { return area_; }
  bool usable() const { return area_ != nullptr && !closing_; }
  void markClosing();
  bool closing() const { return closing_; }
  void markTerminated() { terminated_ = true; }
  bool terminated() const { return terminated_; }

  const shared::ClientAddress& address() const { return address_; }
  const std::string& formattedAddress() const { return formatted_; }
  int32_t channel() const { return channel_; }
  bool noPermissionPrompt() const { return noPermissionPrompt_; }
  uint32_t proxySection() const { return proxySection_; }

 private:
  shared::ClientAddress address_;
  std::string formatted_;
  int32_t channel_;
  bool noPermissionPrompt_;
  bool closing_ = false;
  bool terminated_ = false;
  uint32_t proxySection_ = 0;

  // In order of acquisition.
  kernel::Handle cancelEvent_ = kernel::kNullHandle;
  kernel::Handle addressMutex_ = kernel::kNullHandle;
  kernel::Handle proxyProcess_ = kernel::kNullHandle;
  kernel::Handle section_ = kernel::kNullHandle;
  shared::SessionArea* area_ = nullptr;
  kernel::Handle requestEvent_ = kernel::kNullHandle;
  kernel::Handle replyEvent_ = kernel::kNullHandle;
  kernel::Handle mutex_ = kernel::kNullHandle;
  kernel::Handle transactionRequestEvent_ = kernel::kNullHandle;
  kernel::Handle transactionReplyEvent_ = kernel::kNullHandle;
  kernel::Handle receiveSemaphore_ = kernel::kNullHandle;
  kernel::Handle connectMutex_ = kernel::kNullHandle;
};

}  // namespace zel::transport
