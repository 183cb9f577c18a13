// Holding a record's guard, and telling waiters that the record changed.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cerrno>

#include "platform/kernel/object_record.h"
#include "platform/kernel/system_calls.h"

namespace zel::kernel::detail {

// Locks the robust guard of a record. When a holder died inside the guard,
// the state it left is taken over as it is: every change under the guard is a
// few plain stores that leave the state meaningful.
class RecordGuard {
 public:
  explicit RecordGuard(ObjectRecord& record) : guard_(&record.guard) {
    int rc = pthread_mutex_lock(guard_);
    if (rc == EOWNERDEAD) {
      pthread_mutex_consistent(guard_);
      rc = 0;
    }
    locked_ = rc == 0;
  }
  ~RecordGuard() {
    if (locked_) pthread_mutex_unlock(guard_);
  }
  RecordGuard(const RecordGuard&) = delete;
  RecordGuard& operator=(const RecordGuard&) = delete;

  bool locked() const { return locked_; }

 private:
  pthread_mutex_t* guard_;
  bool locked_ = false;
};

// Bumps the change counter and wakes the threads sleeping on it, if any.
// A waiter counts itself in `sleepers` before it sleeps on the value it read
// before looking at the state; either this call sees it counted, or its sleep
// sees the new counter value.
inline void publish_change(ObjectRecord& record) {
  std::atomic_ref<uint32_t>(record.change_counter).fetch_add(1, std::memory_order_seq_cst);
  if (std::atomic_ref<uint32_t>(record.sleepers).load(std::memory_order_seq_cst) != 0) {
    futex_wake_all(&record.change_counter, false);
  }
}

}  // namespace zel::kernel::detail
