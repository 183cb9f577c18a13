#include "platform/kernel/owned_mutexes.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/kernel/record_guard.h"
#include "platform/kernel/system_calls.h"

namespace zel::kernel::detail {
namespace {

void abandon(LocalObject& mutex, int pid, int tid) {
  ObjectRecord& record = mutex.record();
  bool abandoned = false;
  {
    RecordGuard guard(record);
    if (!guard.locked()) return;
    MutexState& m = record.state.mutex;
    if (m.owner_pid == pid && m.owner_tid == tid) {
      m = MutexState{};
      m.abandoned = 1;
      abandoned = true;
    }
  }
  if (abandoned) publish_change(record);
}

class OwnedMutexes {
 public:
  OwnedMutexes() : pid_(own_pid()), tid_(own_tid()) {}
  ~OwnedMutexes() {
    for (ObjectPtr& mutex : held_)
      abandon(*mutex, pid_, tid_);
  }
  OwnedMutexes(const OwnedMutexes&) = delete;
  OwnedMutexes& operator=(const OwnedMutexes&) = delete;

  void add(ObjectPtr mutex) { held_.push_back(std::move(mutex)); }
  void remove(const LocalObject& mutex) {
    auto it = std::find_if(held_.begin(), held_.end(),
                           [&](const ObjectPtr& held) { return held.get() == &mutex; });
    if (it != held_.end()) held_.erase(it);
  }

 private:
  int pid_;
  int tid_;
  std::vector<ObjectPtr> held_;
};

thread_local OwnedMutexes t_owned;

}  // namespace

void note_mutex_acquired(ObjectPtr mutex) {
  t_owned.add(std::move(mutex));
}

void note_mutex_released(const LocalObject& mutex) {
  t_owned.remove(mutex);
}

}  // namespace zel::kernel::detail
