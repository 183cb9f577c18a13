#include "proxy/channel_queue.h"

#include "platform/kernel/event.h"
#include "platform/kernel/semaphore.h"
#include "shared/object_names.h"

namespace zel::proxy {

std::unique_ptr<ChannelQueue> ChannelQueue::create(ObjectNamer& namer) {
  std::string name = namer.next(shared::kReceiveSemaphorePrefix).value_or("");
  kernel::Handle semaphore = kernel::create_semaphore(0, shared::kReceiveSemaphoreMaximum, name);
  if (semaphore == kernel::kNullHandle) return nullptr;
  kernel::Handle drained = kernel::create_event(kernel::EventReset::kAuto, false);
  if (drained == kernel::kNullHandle) {
    kernel::close_handle(semaphore);
    return nullptr;
  }
  return std::unique_ptr<ChannelQueue>(new ChannelQueue(semaphore, drained));
}

ChannelQueue::~ChannelQueue() {
  kernel::close_handle(drained_);
  kernel::close_handle(semaphore_);
}

void ChannelQueue::put(std::unique_ptr<MessageNode> node) {
  if (!node) return;
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(node));
  // At the maximum the release fails; the holder still finds the entry
  // through the pending counter.
  kernel::release_semaphore(semaphore_, 1);
  kernel::reset_event(drained_);
}

std::unique_ptr<MessageNode> ChannelQueue::take() {
  std::lock_guard lock(mutex_);
  if (entries_.empty()) return nullptr;
  std::unique_ptr<MessageNode> node = std::move(entries_.front());
  entries_.pop_front();
  if (entries_.empty()) kernel::set_event(drained_);
  return node;
}

size_t ChannelQueue::count() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::deque<std::unique_ptr<MessageNode>> ChannelQueue::takeAll() {
  std::lock_guard lock(mutex_);
  std::deque<std::unique_ptr<MessageNode>> all;
  all.swap(entries_);
  kernel::set_event(drained_);
  return all;
}

}  // namespace zel::proxy
