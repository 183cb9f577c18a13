#include "shared/tnmp_exchange.h"

#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <vector>

#include "shared/tnmp_frame.h"

namespace zel::shared {

namespace {

using Clock = std::chrono::steady_clock;

enum class WaitOutcome { Ready, TimedOut, Cancelled, Failed };

// Waits until fd has `events`, the deadline passes or cancelFd is readable.
WaitOutcome waitFor(int fd, short events, Clock::time_point deadline, int cancelFd, int& error) {
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return WaitOutcome::TimedOut;
    pollfd fds[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
    int count = poll(fds, cancelFd >= 0 ? 2 : 1, static_cast<int>(left.count()));
    if (count < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return WaitOutcome::Failed;
    }
    if (count == 0) continue;  // re-check the deadline
    if (cancelFd >= 0 && (fds[1].revents & POLLIN)) return WaitOutcome::Cancelled;
    if (fds[0].revents != 0) return WaitOutcome::Ready;
  }
}

TnmpExchangeStatus toStatus(WaitOutcome outcome) {
  switch (outcome) {
    case WaitOutcome::TimedOut:
      return TnmpExchangeStatus::TimedOut;
    case WaitOutcome::Cancelled:
      return TnmpExchangeStatus::Cancelled;
    default:
      return TnmpExchangeStatus::ReceiveFailed;
  }
}

// Sends all bytes; Ok or SendFailed/TimedOut/Cancelled.
TnmpExchangeStatus sendAll(int fd, std::span<const uint8_t> bytes, Clock::time_point deadline,
                           int cancelFd, int& error) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitOutcome outcome = waitFor(fd, POLLOUT, deadline, cancelFd, error);
      if (outcome == WaitOutcome::Ready) continue;
      if (outcome == WaitOutcome::Cancelled) return TnmpExchangeStatus::Cancelled;
      if (outcome == WaitOutcome::TimedOut) error = ETIMEDOUT;
      return TnmpExchangeStatus::SendFailed;
    }
    error = n < 0 ? errno : EPIPE;
    return TnmpExchangeStatus::SendFailed;
  }
  return TnmpExchangeStatus::Ok;
}

// Reads exactly `size` bytes into `into`, or drops them when `into` is null.
TnmpExchangeStatus receiveExact(int fd, uint8_t* into, size_t size, Clock::time_point deadline,
                                int cancelFd, int& error) {
  std::array<uint8_t, 4096> scratch;
  size_t done = 0;
  while (done < size) {
    uint8_t* target = into != nullptr ? into + done : scratch.data();
    size_t want = into != nullptr ? size - done : std::min(scratch.size(), size - done);
    ssize_t n = recv(fd, target, want, MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n == 0) {
      error = 0;  // the peer closed the connection
      return TnmpExchangeStatus::ReceiveFailed;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      error = errno;
      return TnmpExchangeStatus::ReceiveFailed;
    }
    WaitOutcome outcome = waitFor(fd, POLLIN, deadline, cancelFd, error);
    if (outcome != WaitOutcome::Ready) return toStatus(outcome);
  }
  return TnmpExchangeStatus::Ok;
}

}  // namespace

int tnmpReplyTimeoutMs(std::span<const uint8_t> request) {
  if (request.size() >= 2 && request[0] == 0 && request[1] == 5) return kTnmpTokenReplyTimeoutMs;
  return kTnmpReplyTimeoutMs;
}

size_t discardPendingInput(int fd) {
  std::array<uint8_t, 4096> scratch;
  size_t dropped = 0;
  while (true) {
    ssize_t n = recv(fd, scratch.data(), scratch.size(), MSG_DONTWAIT);
    if (n > 0) {
      dropped += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return dropped;
  }
}

TnmpExchangeResult exchangeTnmp(int fd, std::span<const uint8_t> request, std::span<uint8_t> reply,
                                int timeoutMs, int cancelFd) {
  TnmpExchangeResult result;
  auto timeout = std::chrono::milliseconds(timeoutMs);

  discardPendingInput(fd);

  std::vector<uint8_t> frame;
  if (!appendTnmpFrame(request, frame)) {
    result.status = TnmpExchangeStatus::SendFailed;
    result.error = EMSGSIZE;
    return result;
  }
  result.status = sendAll(fd, frame, Clock::now() + timeout, cancelFd, result.error);
  if (result.status != TnmpExchangeStatus::Ok) return result;

  std::array<uint8_t, kTnmpHeaderSize> headerBytes;
  result.status = receiveExact(fd, headerBytes.data(), headerBytes.size(), Clock::now() + timeout,
                               cancelFd, result.error);
  if (result.status != TnmpExchangeStatus::Ok) return result;

  TnmpHeader header = decodeTnmpHeader(headerBytes, reply.size());
  if (header.status == TnmpFrameStatus::BadMarker ||
      header.status == TnmpFrameStatus::BadReserved) {
    result.status = TnmpExchangeStatus::InvalidHeader;
    return result;
  }
  bool fits = header.status == TnmpFrameStatus::Ok;
  // A payload that does not fit is read and dropped, so that the stream stays
  // in step for the next exchange.
  result.status = receiveExact(fd, fits ? reply.data() : nullptr, header.payloadLength,
                               Clock::now() + timeout, cancelFd, result.error);
  if (result.status != TnmpExchangeStatus::Ok) return result;
  if (!fits) {
    result.status = TnmpExchangeStatus::TooLong;
    return result;
  }
  result.replyLength = header.payloadLength;
  return result;
}

}  // namespace zel::shared
