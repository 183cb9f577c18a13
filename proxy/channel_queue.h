// The first-in first-out queue of one open channel. Its receive semaphore is
// named so that the holder can duplicate it; it is released once for every
// entry put in. The drained event is set when the last entry is taken out, so
// that a sender slowed down by flow control learns the holder has caught up.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/kernel/handle.h"
#include "proxy/message_node.h"
#include "proxy/object_namer.h"

namespace zel::proxy {

class ChannelQueue {
 public:
  // Creates the semaphore (initial 0, maximum 255) and the drained event;
  // null when either cannot be created.
  static std::unique_ptr<ChannelQueue> create(ObjectNamer& namer);
  ~ChannelQueue();
  ChannelQueue(const ChannelQueue&) = delete;
  ChannelQueue& operator=(const ChannelQueue&) = delete;

  kernel::Handle receiveSemaphore() const { return semaphore_; }
  kernel::Handle drainedEvent() const { return drained_; }

  void put(std::unique_ptr<MessageNode> node);
  // The oldest entry, or null when the queue is empty.
  std::unique_ptr<MessageNode> take();
  size_t count() const;
  // Every entry, oldest first, leaving the queue empty.
  std::deque<std::unique_ptr<MessageNode>> takeAll();

 private:
  ChannelQueue(kernel::Handle semaphore, kernel::Handle drained)
      : semaphore_(semaphore), drained_(drained) {}

  mutable std::mutex mutex_;
  std::deque<std::unique_ptr<MessageNode>> entries_;
  kernel::Handle semaphore_;
  kernel::Handle drained_;
};

}  // namespace zel::proxy
