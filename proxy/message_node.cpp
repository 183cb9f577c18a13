#include "proxy/message_node.h"

#include <new>

#include "platform/kernel/semaphore.h"
#include "platform/kernel/wait.h"

namespace zel::proxy {

std::unique_ptr<MessageNode> MessageNode::message() {
  auto node = std::unique_ptr<MessageNode>(new (std::nothrow) MessageNode);
  if (!node) return nullptr;
  node->body.reset(new (std::nothrow) uint8_t[kNodeBodySize]);
  if (!node->body) return nullptr;
  return node;
}

std::unique_ptr<MessageNode> MessageNode::notification(int32_t code) {
  auto node = std::unique_ptr<MessageNode>(new (std::nothrow) MessageNode);
  if (node) node->length = code;
  return node;
}

NodePool::NodePool() {
  semaphore_ = kernel::create_semaphore(0, kSemaphoreMaximum);
  for (int32_t i = 0; i < kInitialNodes; ++i)
    giveBack(MessageNode::message());
}

NodePool::~NodePool() {
  if (semaphore_ != kernel::kNullHandle) kernel::close_handle(semaphore_);
}

std::unique_ptr<MessageNode> NodePool::take() {
  {
    std::lock_guard lock(mutex_);
    if (!free_.empty()) {
      std::unique_ptr<MessageNode> node = std::move(free_.back());
      free_.pop_back();
      // Keep the count in step; a unit may be missing when more nodes were
      // pooled than the semaphore can count.
      kernel::wait_one(semaphore_, 0);
      return node;
    }
  }
  return MessageNode::message();
}

void NodePool::giveBack(std::unique_ptr<MessageNode> node) {
  // Only nodes with a body are message nodes; notification nodes are freed.
  if (!node || !node->body) return;
  node->length = 0;
  std::lock_guard lock(mutex_);
  free_.push_back(std::move(node));
  kernel::release_semaphore(semaphore_, 1);  // fails harmlessly at the maximum
}

size_t NodePool::size() const {
  std::lock_guard lock(mutex_);
  return free_.size();
}

}  // namespace zel::proxy
