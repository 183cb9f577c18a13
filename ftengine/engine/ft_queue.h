// FT_QUEUE: the first-in first-out list of received messages that a session
// (its replies) or a transfer (its stream) waits on. The receive thread pushes
// copies of messages; the waiting thread takes them into its own buffer. The
// "data" state is set exactly while at least one message is queued.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

namespace zel::ftengine {

class FtQueue {
 public:
  enum class Wait : std::uint8_t { Ready, TimedOut };
  enum class Take : std::uint8_t {
    Taken,    // copied into the buffer and removed
    Empty,    // nothing queued
    TooLong,  // the first message is longer than the room; it stays queued
  };

  // Appends a copy of the message and wakes one waiter.
  void push(std::span<const std::uint8_t> message);

  // Copies the first message into buffer (its size is the room) and removes
  // it. length receives the message's length for Taken and TooLong.
  Take take(std::span<std::uint8_t> buffer, std::size_t& length);

  // Discards every queued message.
  void flush();

  // Waits until a message is queued or the time has passed.
  Wait waitForData(std::chrono::milliseconds timeout);

  bool hasData() const;
  std::size_t size() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable data_;
  std::deque<std::vector<std::uint8_t>> messages_;
};

}  // namespace zel::ftengine
