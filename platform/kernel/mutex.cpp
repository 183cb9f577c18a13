#include "platform/kernel/mutex.h"

#include <cstdint>

#include "platform/kernel/death_watcher.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/owned_mutexes.h"
#include "platform/kernel/record_guard.h"
#include "platform/kernel/system_calls.h"
#include "platform/kernel/waitable.h"

namespace zel::kernel {
namespace detail {
namespace {

constexpr uint32_t kMaxRecursion = 0x7fffffff;

bool owned_by_caller(const MutexState& m) {
  return m.owner_pid == own_pid() && m.owner_tid == own_tid() &&
         m.owner_start_time == own_start_time();
}

void make_caller_owner(MutexState& m) {
  m.owner_pid = own_pid();
  m.owner_tid = own_tid();
  m.owner_start_time = own_start_time();
  m.recursion = 1;
  m.abandoned = 0;
}

}  // namespace

TakeOutcome try_take_mutex(const ObjectPtr& mutex, WaitSlot& slot) {
  ObjectRecord& record = mutex->record();
  bool abandoned = false;
  {
    RecordGuard guard(record);
    if (!guard.locked()) {
      set_last_error(Error::kSystem, ENOTRECOVERABLE);
      return TakeOutcome::kFailed;
    }
    MutexState& m = record.state.mutex;
    if (m.owner_pid == 0) {
      abandoned = m.abandoned != 0;
    } else if (owned_by_caller(m)) {
      if (m.recursion >= kMaxRecursion) {
        set_last_error(Error::kOutOfResources);
        return TakeOutcome::kFailed;
      }
      ++m.recursion;
      return TakeOutcome::kTaken;
    } else {
      bool owner_ended;
      if (m.owner_pid == own_pid() && m.owner_start_time == own_start_time()) {
        // Another thread of this process; its end is announced by its
        // registry of owned mutexes.
        owner_ended = !thread_exists(m.owner_pid, m.owner_tid);
      } else {
        slot.depends_on_process = true;
        ProcessWatch* watch = slot.owner_watch.get();
        if (watch == nullptr || watch->pid() != m.owner_pid ||
            watch->start_time() != m.owner_start_time) {
          slot.wanted_pid = m.owner_pid;
          slot.wanted_start_time = m.owner_start_time;
          return TakeOutcome::kNeedsWatch;
        }
        owner_ended = watch->exited() || !thread_exists(m.owner_pid, m.owner_tid);
      }
      if (!owner_ended) return TakeOutcome::kNotReady;
      abandoned = true;
    }
    make_caller_owner(m);
  }
  note_mutex_acquired(mutex);
  return abandoned ? TakeOutcome::kAbandoned : TakeOutcome::kTaken;
}

}  // namespace detail

using detail::ObjectBlueprint;
using detail::ObjectPtr;
using detail::ObjectRecord;

Handle create_mutex(bool initially_owned, std::string_view name, bool* existed) {
  ObjectBlueprint blueprint{ObjectType::kMutex, 0, [&](ObjectRecord& record) {
                              record.state.mutex = detail::MutexState{};
                              if (initially_owned) detail::make_caller_owner(record.state.mutex);
                            }};
  bool found = false;
  Handle handle = detail::create_object(blueprint, name, &found);
  if (handle == kNullHandle) return kNullHandle;
  if (existed != nullptr) *existed = found;
  if (initially_owned && !found) {
    if (ObjectPtr object = detail::find_object(handle)) detail::note_mutex_acquired(object);
  }
  return handle;
}

Handle open_mutex(std::string_view name) {
  return detail::open_named_object(ObjectType::kMutex, name);
}

bool release_mutex(Handle mutex) {
  ObjectPtr object = detail::find_object_of_type(mutex, ObjectType::kMutex);
  if (!object) return false;
  ObjectRecord& record = object->record();
  bool freed = false;
  {
    detail::RecordGuard guard(record);
    if (!guard.locked()) {
      set_last_error(Error::kSystem, ENOTRECOVERABLE);
      return false;
    }
    detail::MutexState& m = record.state.mutex;
    if (m.owner_pid == 0 || !detail::owned_by_caller(m)) {
      set_last_error(Error::kNotOwner);
      return false;
    }
    if (--m.recursion == 0) {
      m = detail::MutexState{};
      freed = true;
    }
  }
  if (freed) {
    detail::publish_change(record);
    detail::note_mutex_released(*object);
  }
  return true;
}

}  // namespace zel::kernel
