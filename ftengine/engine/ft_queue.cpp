#include "ftengine/engine/ft_queue.h"

#include <cstring>

namespace zel::ftengine {

void FtQueue::push(std::span<const std::uint8_t> message) {
  std::vector<std::uint8_t> copy(message.begin(), message.end());
  {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.push_back(std::move(copy));
  }
  data_.notify_all();
}

FtQueue::Take FtQueue::take(std::span<std::uint8_t> buffer, std::size_t& length) {
  std::lock_guard<std::mutex> hold(lock_);
  if (messages_.empty()) return Take::Empty;
  const std::vector<std::uint8_t>& first = messages_.front();
  length = first.size();
  if (first.size() > buffer.size()) return Take::TooLong;
  if (!first.empty()) std::memcpy(buffer.data(), first.data(), first.size());
  messages_.pop_front();
  return Take::Taken;
}

void FtQueue::flush() {
  std::deque<std::vector<std::uint8_t>> gone;
  std::lock_guard<std::mutex> hold(lock_);
  gone.swap(messages_);
}

FtQueue::Wait FtQueue::waitForData(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  return data_.wait_for(hold, timeout, [this] { return !messages_.empty(); }) ? Wait::Ready
                                                                              : Wait::TimedOut;
}

bool FtQueue::hasData() const {
  std::lock_guard<std::mutex> hold(lock_);
  return !messages_.empty();
}

std::size_t FtQueue::size() const {
  std::lock_guard<std::mutex> hold(lock_);
  return messages_.size();
}

}  // namespace zel::ftengine
