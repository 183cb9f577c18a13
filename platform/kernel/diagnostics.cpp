#include "platform/kernel/diagnostics.h"

#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/object_names.h"
#include "platform/kernel/record_guard.h"

namespace zel::kernel {

std::string namespace_directory() {
  return detail::namespace_dir_path();
}

int sweep_stale_objects() {
  return detail::sweep_namespace();
}

int32_t event_waiter_count(Handle event) {
  detail::ObjectPtr object = detail::find_object_of_type(event, ObjectType::kEvent);
  if (!object) return -1;
  detail::RecordGuard guard(object->record());
  if (!guard.locked()) return -1;
  return object->record().state.event.waiters;
}

}  // namespace zel::kernel
