#include "platform/kernel/handle.h"

#include <climits>

#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/system_calls.h"

namespace zel::kernel {

bool close_handle(Handle handle) {
  if (!detail::drop_reference(handle)) {
    set_last_error(Error::kInvalidHandle);
    return false;
  }
  return true;
}

Handle duplicate_handle(uint32_t source_process_id, Handle source_handle) {
  if (source_handle == kNullHandle || source_process_id == 0 || source_process_id > INT_MAX) {
    set_last_error(source_handle == kNullHandle ? Error::kInvalidHandle : Error::kInvalidParameter);
    return kNullHandle;
  }
  int pid = static_cast<int>(source_process_id);
  if (pid == detail::own_pid()) {
    if (!detail::add_reference(source_handle)) {
      set_last_error(Error::kInvalidHandle);
      return kNullHandle;
    }
    return source_handle;
  }
  auto facts = detail::read_process_facts(pid);
  if (!facts || facts->ended) {
    set_last_error(Error::kNotFound);
    return kNullHandle;
  }
  Handle handle = detail::open_object_by_id(source_handle);
  if (handle == kNullHandle && last_error() == Error::kNotFound) {
    set_last_error(Error::kInvalidHandle);
  }
  return handle;
}

ObjectType object_type(Handle handle) {
  detail::ObjectPtr object = detail::find_object(handle);
  return object ? object->type() : ObjectType::kNone;
}

uint32_t current_process_id() {
  return static_cast<uint32_t>(detail::own_pid());
}

}  // namespace zel::kernel
