// One request-link exchange over a connected TCP socket: empty the socket,
// send the request frame, read the reply frame into the caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::shared {

inline constexpr int kTnmpReplyTimeoutMs = 10000;
// NT token chunks (request bytes 0, 5) wait longer for their reply.
inline constexpr int kTnmpTokenReplyTimeoutMs = 40000;

// The reply time-out that belongs to a request.
int tnmpReplyTimeoutMs(std::span<const uint8_t> request);

enum class TnmpExchangeStatus {
  Ok,
  SendFailed,     // the frame did not go out whole; `error` holds errno
  ReceiveFailed,  // receive error (`error` holds errno) or the peer closed (error 0)
  InvalidHeader,  // the reply did not start with a valid frame header
  TimedOut,       // the header or the payload did not come in time
  TooLong,        // the reply payload is longer than the caller's buffer (it was read and dropped)
  Cancelled,      // the cancel descriptor became readable
};

struct TnmpExchangeResult {
  TnmpExchangeStatus status = TnmpExchangeStatus::ReceiveFailed;
  size_t replyLength = 0;  // bytes written into the reply buffer, when Ok
  int error = 0;
};

// Reads and drops everything the socket holds now (for example the late reply
// of an earlier request); returns the number of bytes dropped.
size_t discardPendingInput(int fd);

// Sends `request` as one frame and reads the reply frame. The header must come
// within `timeoutMs`, and then the payload within another `timeoutMs`, so a
// peer that trickles bytes cannot hold the caller longer than twice the
// time-out. Nothing is written beyond `reply`. When `cancelFd` is not -1, its
// becoming readable ends every wait with Cancelled.
TnmpExchangeResult exchangeTnmp(int fd, std::span<const uint8_t> request, std::span<uint8_t> reply,
                                int timeoutMs, int cancelFd = -1);

}  // namespace zel::shared
