// Message nodes of the channel queues and the pool that recycles them.
//
// A node carries one message from the agent (length 1..65,539) or a
// notification (length 0 or less, no body). Nodes are large, so a session
// keeps the ones it has made in a pool instead of freeing them; an unnamed
// semaphore counts the nodes in the pool so that a receiver short of nodes
// can wait for one to come back.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/kernel/handle.h"

namespace zel::proxy {

inline constexpr size_t kNodeBodySize = 65539;

struct MessageNode {
  int32_t length = 0;
  // Present for message nodes only; notification nodes carry no body.
  std::unique_ptr<uint8_t[]> body;

  bool isNotification() const { return length <= 0; }
  static std::unique_ptr<MessageNode> message();
  static std::unique_ptr<MessageNode> notification(int32_t code);
};

class NodePool {
 public:
  static constexpr int32_t kInitialNodes = 10;
  static constexpr int32_t kSemaphoreMaximum = 255;

  NodePool();
  ~NodePool();
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  bool valid() const { return semaphore_ != kernel::kNullHandle; }
  // The semaphore that counts pooled nodes (for waits on a free node).
  kernel::Handle semaphore() const { return semaphore_; }

  // A pooled node, or a newly made one when the pool is empty; null only
  // when no memory is left.
  std::unique_ptr<MessageNode> take();
  // Message nodes go back to the pool, notification nodes are freed.
  void giveBack(std::unique_ptr<MessageNode> node);
  size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<MessageNode>> free_;
  kernel::Handle semaphore_ = kernel::kNullHandle;
};

}  // namespace zel::proxy
