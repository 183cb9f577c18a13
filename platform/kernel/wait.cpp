#include "platform/kernel/wait.h"

#include <array>
#include <atomic>
#include <cerrno>

#include "platform/kernel/death_watcher.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/system_calls.h"
#include "platform/kernel/waitable.h"

namespace zel::kernel {
namespace {

using detail::FutexWord;
using detail::ObjectPtr;
using detail::TakeOutcome;
using detail::WaitSlot;

// How often a wait that depends on a process looks again when no watcher
// thread can wake it (only while the process is exiting, or after fork).
constexpr uint32_t kUnwatchedRecheckMs = 20;

WaitResult failed(Error error, int system_errno = 0) {
  set_last_error(error, system_errno);
  return WaitResult{WaitStatus::kFailed, 0};
}

TakeOutcome try_take(const ObjectPtr& object, WaitSlot& slot) {
  switch (object->type()) {
    case ObjectType::kEvent:
      return detail::try_take_event(*object, slot);
    case ObjectType::kMutex:
      return detail::try_take_mutex(object, slot);
    case ObjectType::kSemaphore:
      return detail::try_take_semaphore(*object);
    case ObjectType::kProcess:
      return detail::try_take_process(*object, slot);
    case ObjectType::kThread:
      return detail::try_take_thread(*object, slot);
    case ObjectType::kSection:
    case ObjectType::kNone:
      break;
  }
  set_last_error(Error::kInvalidHandle);
  return TakeOutcome::kFailed;
}

class Waiter {
 public:
  Waiter(std::span<const ObjectPtr> objects, std::span<WaitSlot> slots)
      : objects_(objects), slots_(slots) {}
  ~Waiter() {
    for (size_t i = 0; i < objects_.size(); ++i) {
      if (objects_[i]->type() == ObjectType::kEvent)
        detail::end_event_wait(*objects_[i], slots_[i]);
    }
  }
  Waiter(const Waiter&) = delete;
  Waiter& operator=(const Waiter&) = delete;

  WaitResult run(uint32_t timeout_ms) {
    const bool infinite = timeout_ms == kInfinite;
    const timespec deadline = detail::deadline_after_ms(infinite ? 0 : timeout_ms);
    std::array<uint32_t, kMaxWaitObjects> seen{};
    uint32_t* death = detail::death_counter();
    for (;;) {
      // Counters are read before the states are looked at, so that any change
      // after the look makes the sleep below return at once.
      uint32_t death_seen = std::atomic_ref<uint32_t>(*death).load();
      for (size_t i = 0; i < objects_.size(); ++i) {
        seen[i] = std::atomic_ref<uint32_t>(objects_[i]->record().change_counter).load();
      }
      bool look_again = false;
      for (size_t i = 0; i < objects_.size(); ++i) {
        switch (try_take(objects_[i], slots_[i])) {
          case TakeOutcome::kTaken:
            return WaitResult{WaitStatus::kSignalled, static_cast<uint32_t>(i)};
          case TakeOutcome::kAbandoned:
            return WaitResult{WaitStatus::kAbandoned, static_cast<uint32_t>(i)};
          case TakeOutcome::kFailed:
            return WaitResult{WaitStatus::kFailed, 0};
          case TakeOutcome::kNeedsWatch:
            slots_[i].owner_watch =
                detail::watch_process(slots_[i].wanted_pid, slots_[i].wanted_start_time);
            look_again = true;
            break;
          case TakeOutcome::kNotReady:
            break;
        }
        if (look_again) break;
      }
      if (look_again) continue;
      if (timeout_ms == 0 || (!infinite && detail::deadline_passed(deadline))) {
        return WaitResult{WaitStatus::kTimeout, 0};
      }
      int rc = sleep(seen, death_seen, infinite ? nullptr : &deadline);
      if (rc != 0 && rc != ETIMEDOUT && rc != EINTR) return failed(Error::kSystem, rc);
    }
  }

 private:
  int sleep(const std::array<uint32_t, kMaxWaitObjects>& seen, uint32_t death_seen,
            const timespec* deadline) {
    std::array<FutexWord, kMaxWaitObjects + 1> words{};
    size_t n = 0;
    bool on_processes = false;
    for (size_t i = 0; i < objects_.size(); ++i) {
      words[n++] = FutexWord{&objects_[i]->record().change_counter, seen[i], false};
      on_processes = on_processes || slots_[i].depends_on_process;
    }
    timespec capped{};
    if (on_processes) {
      words[n++] = FutexWord{detail::death_counter(), death_seen, true};
      if (!detail::death_watcher_active()) {
        capped = detail::deadline_after_ms(kUnwatchedRecheckMs);
        if (deadline == nullptr || capped.tv_sec < deadline->tv_sec ||
            (capped.tv_sec == deadline->tv_sec && capped.tv_nsec < deadline->tv_nsec)) {
          deadline = &capped;
        }
      }
    }
    for (const ObjectPtr& object : objects_) {
      std::atomic_ref<uint32_t>(object->record().sleepers).fetch_add(1);
    }
    int rc = detail::futex_wait_any(std::span(words.data(), n), deadline);
    for (const ObjectPtr& object : objects_) {
      std::atomic_ref<uint32_t>(object->record().sleepers).fetch_sub(1);
    }
    return rc;
  }

  std::span<const ObjectPtr> objects_;
  std::span<WaitSlot> slots_;
};

}  // namespace

WaitResult wait_any(std::span<const Handle> handles, uint32_t timeout_ms) {
  if (handles.empty() || handles.size() > kMaxWaitObjects) return failed(Error::kInvalidParameter);
  std::array<ObjectPtr, kMaxWaitObjects> objects;
  for (size_t i = 0; i < handles.size(); ++i) {
    objects[i] = detail::find_object(handles[i]);
    if (!objects[i] || objects[i]->type() == ObjectType::kSection) {
      return failed(Error::kInvalidHandle);
    }
  }
  std::array<WaitSlot, kMaxWaitObjects> slots;
  Waiter waiter(std::span(objects.data(), handles.size()), std::span(slots.data(), handles.size()));
  return waiter.run(timeout_ms);
}

WaitResult wait_one(Handle handle, uint32_t timeout_ms) {
  return wait_any(std::span(&handle, 1), timeout_ms);
}

}  // namespace zel::kernel
