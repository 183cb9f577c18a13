#include "platform/kernel/thread.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "platform/kernel/death_watcher.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/system_calls.h"
#include "platform/kernel/waitable.h"

namespace zel::kernel {
namespace detail {

TakeOutcome try_take_thread(LocalObject& thread, WaitSlot& slot) {
  slot.depends_on_process = true;
  ProcessWatch* watch = thread.process_watch();
  return watch == nullptr || watch->exited() ? TakeOutcome::kTaken : TakeOutcome::kNotReady;
}

}  // namespace detail

Handle open_thread(uint32_t process_id, uint32_t thread_id) {
  if (process_id == 0 || process_id > INT_MAX || thread_id == 0 || thread_id > INT_MAX) {
    set_last_error(Error::kInvalidParameter);
    return kNullHandle;
  }
  int pid = static_cast<int>(process_id);
  int tid = static_cast<int>(thread_id);
  std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid);
  // /proc/<tid>/stat describes the thread itself, its start time included.
  auto facts = detail::read_process_facts(tid);
  if (access(task.c_str(), F_OK) != 0 || !facts) {
    set_last_error(Error::kNotFound);
    return kNullHandle;
  }
  return detail::open_thread_object(pid, tid, facts->start_time);
}

Handle open_current_thread() {
  return open_thread(static_cast<uint32_t>(detail::own_pid()),
                     static_cast<uint32_t>(detail::own_tid()));
}

bool thread_running(Handle thread) {
  detail::ObjectPtr object = detail::find_object_of_type(thread, ObjectType::kThread);
  if (!object) return false;
  detail::ProcessWatch* watch = object->process_watch();
  return watch != nullptr && !watch->exited();
}

uint32_t current_thread_id() {
  return static_cast<uint32_t>(detail::own_tid());
}

}  // namespace zel::kernel
