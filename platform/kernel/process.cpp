#include "platform/kernel/process.h"

#include <climits>

#include "platform/kernel/death_watcher.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/system_calls.h"
#include "platform/kernel/waitable.h"

namespace zel::kernel {
namespace detail {

TakeOutcome try_take_process(LocalObject& process, WaitSlot& slot) {
  slot.depends_on_process = true;
  ProcessWatch* watch = process.process_watch();
  return watch == nullptr || watch->exited() ? TakeOutcome::kTaken : TakeOutcome::kNotReady;
}

}  // namespace detail

Handle open_process(uint32_t process_id) {
  if (process_id == 0 || process_id > INT_MAX) {
    set_last_error(Error::kInvalidParameter);
    return kNullHandle;
  }
  int pid = static_cast<int>(process_id);
  auto facts = detail::read_process_facts(pid);
  if (!facts) {
    set_last_error(Error::kNotFound);
    return kNullHandle;
  }
  return detail::open_process_object(pid, facts->start_time);
}

bool process_running(Handle process) {
  detail::ObjectPtr object = detail::find_object_of_type(process, ObjectType::kProcess);
  if (!object) return false;
  detail::ProcessWatch* watch = object->process_watch();
  return watch != nullptr && !watch->exited();
}

uint32_t process_id(Handle process) {
  detail::ObjectPtr object = detail::find_object_of_type(process, ObjectType::kProcess);
  return object ? static_cast<uint32_t>(object->record().state.process.pid) : 0;
}

}  // namespace zel::kernel
