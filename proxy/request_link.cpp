#include "proxy/request_link.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/kernel/event.h"
#include "platform/kernel/wait.h"
#include "shared/codes.h"
#include "shared/tnmp_exchange.h"

namespace zel::proxy {

namespace {

using Clock = std::chrono::steady_clock;

int pendingSocketError(int fd) {
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
  return error;
}

}  // namespace

TcpConnectResult connectTcp(const shared::ClientAddress& address, uint32_t timeoutMs) {
  TcpConnectResult result;
  if (!address.isValid() || !address.isIp()) {
    result.error = EAFNOSUPPORT;
    return result;
  }
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    result.error = errno;
    return result;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(address.port());
  shared::Ipv4 ip = address.ipv4();
  std::memcpy(&target.sin_addr.s_addr, ip.data(), ip.size());

  int error = 0;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      error = ETIMEDOUT;
      auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
      while (true) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd wait{fd, POLLOUT, 0};
        int count = poll(&wait, 1, static_cast<int>(left.count()));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
          error = errno;
          break;
        }
        if (count > 0) {
          error = pendingSocketError(fd);
          break;
        }
      }
    }
  }
  if (error != 0) {
    close(fd);
    result.error = error;
    return result;
  }
  result.fd = fd;
  return result;
}

RequestLink::RequestLink(const RequestLinkParts& parts) : parts_(parts) {}

RequestLink::~RequestLink() {
  stop();
  if (cancelFd_ >= 0) close(cancelFd_);
  if (parts_.socket >= 0) close(parts_.socket);
}

bool RequestLink::start() {
  cancelFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (cancelFd_ < 0) return false;
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void RequestLink::stop() {
  if (!thread_.joinable()) return;
  stop_.store(true);
  uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(cancelFd_, &one, sizeof one);
  kernel::set_event(parts_.transactionRequest);
  thread_.join();
}

void RequestLink::run() {
  while (!stop_.load()) {
    kernel::WaitResult woken = kernel::wait_one(parts_.transactionRequest, kernel::kInfinite);
    if (stop_.load()) break;
    if (woken.status != kernel::WaitStatus::kSignalled) {
      // The event is gone: no client can reach this thread any more.
      break;
    }
    serveOne();
  }
}

void RequestLink::answer(bool valid, uint32_t length) {
  parts_.area->transactionLength = valid ? length : 0;
  parts_.area->transactionReplyValid = valid ? 1 : 0;
  up_.store(valid);
  kernel::set_event(parts_.transactionReply);
}

void RequestLink::serveOne() {
  shared::SessionArea& area = *parts_.area;
  // Copy the request out first: the area belongs to other processes too.
  uint32_t length = area.transactionLength;
  if (length == 0 || length > shared::kTransactionBufferSize || socketBroken_) {
    answer(false, 0);
    return;
  }
  std::array<uint8_t, shared::kTransactionBufferSize> request;
  std::memcpy(request.data(), area.transactionBuffer, length);
  std::span<const uint8_t> requestBytes(request.data(), length);

  int timeoutMs = parts_.replyTimeoutMs != 0 ? static_cast<int>(parts_.replyTimeoutMs)
                                             : shared::tnmpReplyTimeoutMs(requestBytes);
  std::array<uint8_t, shared::kTransactionBufferSize> reply;
  shared::TnmpExchangeResult result =
      shared::exchangeTnmp(parts_.socket, requestBytes, reply, timeoutMs, cancelFd_);

  using shared::TnmpExchangeStatus;
  uint32_t flags = shared::message_flags::kInformation;
  switch (result.status) {
    case TnmpExchangeStatus::Ok:
      std::memcpy(area.transactionBuffer, reply.data(), result.replyLength);
      answer(true, static_cast<uint32_t>(result.replyLength));
      return;
    case TnmpExchangeStatus::SendFailed:
      socketBroken_ = true;
      parts_.log->add(flags, parts_.texts->format(text_id::kTnmpSendFailed, {result.error}));
      break;
    case TnmpExchangeStatus::InvalidHeader:
      parts_.log->add(flags, parts_.texts->format(text_id::kTnmpInvalidHeader, {}));
      break;
    case TnmpExchangeStatus::ReceiveFailed:
      parts_.log->add(flags, parts_.texts->format(text_id::kTnmpReceiveFailed, {result.error}));
      break;
    case TnmpExchangeStatus::TooLong:
      // The reply was read to its end (the stream stays in step) but cannot
      // be stored in the transaction buffer.
      parts_.log->add(flags, parts_.texts->format(text_id::kTnmpReceiveFailed, {EMSGSIZE}));
      break;
    case TnmpExchangeStatus::TimedOut:
    case TnmpExchangeStatus::Cancelled:
      break;
  }
  answer(false, 0);
}

}  // namespace zel::proxy
