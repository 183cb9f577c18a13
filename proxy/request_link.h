// The request link of a TCP session: the connection to the agent's request
// port and the thread that carries out the transactions of the session area.
//
// The thread waits on the transaction request event. For each request it
// empties the socket (a late reply of an earlier request is dropped there),
// sends the request frame, reads the reply frame with the reply time-out per
// wait, stores the reply and its valid mark in the area and sets the
// transaction reply event. Every failure answers the transaction with the
// not-valid mark; nothing the agent sends is written past the transaction
// buffer, and a reply that does not fit fails the exchange.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/kernel/handle.h"
#include "proxy/relay_texts.h"
#include "proxy/session_log.h"
#include "shared/client_address.h"
#include "shared/session_area.h"

namespace zel::proxy {

struct TcpConnectResult {
  int fd = -1;    // the connected socket (non-blocking, no-delay), or -1
  int error = 0;  // errno of the failure; ETIMEDOUT when the limit passed
};

// Connects to the IP address and port of `address` within `timeoutMs`.
TcpConnectResult connectTcp(const shared::ClientAddress& address, uint32_t timeoutMs);

struct RequestLinkParts {
  int socket = -1;  // taken over by the link
  shared::SessionArea* area = nullptr;
  kernel::Handle transactionRequest = kernel::kNullHandle;
  kernel::Handle transactionReply = kernel::kNullHandle;
  SessionLog* log = nullptr;
  const RelayTexts* texts = nullptr;
  uint32_t replyTimeoutMs = 0;  // 0: the standard time-outs of the request
};

class RequestLink {
 public:
  explicit RequestLink(const RequestLinkParts& parts);
  // Stops and joins the thread, then closes the socket.
  ~RequestLink();
  RequestLink(const RequestLink&) = delete;
  RequestLink& operator=(const RequestLink&) = delete;

  bool start();
  // Ends the thread: a wait on the agent ends at once, a transaction in
  // progress is answered as failed.
  void stop();

  // True while the last exchange with the agent succeeded.
  bool up() const { return up_.load(); }

 private:
  void run();
  void serveOne();
  void answer(bool valid, uint32_t length);

  RequestLinkParts parts_;
  int cancelFd_ = -1;  // an eventfd, readable once stop() began
  std::atomic<bool> stop_{false};
  std::atomic<bool> up_{false};
  bool socketBroken_ = false;  // a send failed; later requests fail at once
  std::thread thread_;
};

}  // namespace zel::proxy
