#include "refagent/agent_wire.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace zel::refagent {

namespace {

constexpr char kLead[] = "TNMP";
constexpr char kTrail[] = "TNME";
constexpr size_t kOversizedPayload = 9000;

// Waits for fd to be readable; false when stopFd became readable first.
bool waitReadable(int fd, int stopFd) {
  while (true) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    int n = poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (fds[1].revents & POLLIN) return false;
    if (fds[0].revents != 0) return true;
  }
}

// Reads exactly `size` bytes.
ReadOutcome readExact(int fd, int stopFd, uint8_t* into, size_t size) {
  size_t done = 0;
  while (done < size) {
    if (!waitReadable(fd, stopFd)) return ReadOutcome::Stopped;
    ssize_t n = recv(fd, into + done, size - done, MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n == 0) {
      return ReadOutcome::Closed;
    } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return ReadOutcome::Closed;
    }
  }
  return ReadOutcome::Request;
}

std::vector<uint8_t> header(size_t length) {
  std::vector<uint8_t> bytes(kFrameHeaderBytes, 0);
  std::memcpy(bytes.data(), kLead, 4);
  put16(bytes, 4, static_cast<uint16_t>(length));
  std::memcpy(bytes.data() + 8, kTrail, 4);
  return bytes;
}

}  // namespace

void put16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<uint8_t>(value & 0xFF);
  bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  put16(bytes, offset, static_cast<uint16_t>(value & 0xFFFF));
  put16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

uint16_t get16(const std::vector<uint8_t>& bytes, size_t offset) {
  if (offset + 2 > bytes.size()) return 0;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

uint32_t get32(const std::vector<uint8_t>& bytes, size_t offset) {
  if (offset + 4 > bytes.size()) return 0;
  return get16(bytes, offset) | (static_cast<uint32_t>(get16(bytes, offset + 2)) << 16);
}

ReadOutcome readRequest(int fd, int stopFd, std::vector<uint8_t>& payload) {
  uint8_t head[kFrameHeaderBytes];
  ReadOutcome outcome = readExact(fd, stopFd, head, sizeof head);
  if (outcome != ReadOutcome::Request) return outcome;
  if (std::memcmp(head, kLead, 4) != 0 || std::memcmp(head + 8, kTrail, 4) != 0 || head[6] != 0 ||
      head[7] != 0) {
    return ReadOutcome::BadFrame;
  }
  payload.assign(static_cast<size_t>(head[4] | (head[5] << 8)), 0);
  if (payload.empty()) return ReadOutcome::Request;
  return readExact(fd, stopFd, payload.data(), payload.size());
}

std::vector<uint8_t> answerFrame(const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> bytes = header(payload.size());
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

std::vector<uint8_t> faultyFrame(const std::vector<uint8_t>& payload, FrameFault fault) {
  std::vector<uint8_t> bytes;
  switch (fault) {
    case FrameFault::BadLeadMarker:
      bytes = answerFrame(payload);
      bytes[3] = 'X';
      break;
    case FrameFault::ReservedNotZero:
      bytes = answerFrame(payload);
      bytes[6] = 1;
      break;
    case FrameFault::BadTrailMarker:
      bytes = answerFrame(payload);
      bytes[11] = 'Q';
      break;
    case FrameFault::ShortHeader:
      bytes = header(payload.size());
      bytes.resize(6);
      break;
    case FrameFault::CutPayload:
      bytes = answerFrame(payload);
      bytes.resize(kFrameHeaderBytes + payload.size() / 2);
      break;
    case FrameFault::Oversized: {
      std::vector<uint8_t> padded = payload;
      padded.resize(kOversizedPayload, 0);
      bytes = answerFrame(padded);
      break;
    }
    case FrameFault::EmptyPayload:
      bytes = header(0);
      break;
  }
  return bytes;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace zel::refagent
