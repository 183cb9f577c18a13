#include "platform/kernel/semaphore.h"

#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/record_guard.h"
#include "platform/kernel/waitable.h"

namespace zel::kernel {
namespace detail {

TakeOutcome try_take_semaphore(LocalObject& semaphore) {
  ObjectRecord& record = semaphore.record();
  RecordGuard guard(record);
  if (!guard.locked()) {
    set_last_error(Error::kSystem, ENOTRECOVERABLE);
    return TakeOutcome::kFailed;
  }
  SemaphoreState& s = record.state.semaphore;
  if (s.count <= 0) return TakeOutcome::kNotReady;
  --s.count;
  return TakeOutcome::kTaken;
}

}  // namespace detail

Handle create_semaphore(int32_t initial_count, int32_t maximum_count, std::string_view name,
                        bool* existed) {
  if (maximum_count <= 0 || initial_count < 0 || initial_count > maximum_count) {
    set_last_error(Error::kInvalidParameter);
    return kNullHandle;
  }
  detail::ObjectBlueprint blueprint{ObjectType::kSemaphore, 0, [&](detail::ObjectRecord& record) {
                                      record.state.semaphore.count = initial_count;
                                      record.state.semaphore.maximum = maximum_count;
                                    }};
  return detail::create_object(blueprint, name, existed);
}

Handle open_semaphore(std::string_view name) {
  return detail::open_named_object(ObjectType::kSemaphore, name);
}

bool release_semaphore(Handle semaphore, int32_t count, int32_t* previous_count) {
  detail::ObjectPtr object = detail::find_object_of_type(semaphore, ObjectType::kSemaphore);
  if (!object) return false;
  if (count <= 0) {
    set_last_error(Error::kInvalidParameter);
    return false;
  }
  detail::ObjectRecord& record = object->record();
  {
    detail::RecordGuard guard(record);
    if (!guard.locked()) {
      set_last_error(Error::kSystem, ENOTRECOVERABLE);
      return false;
    }
    detail::SemaphoreState& s = record.state.semaphore;
    if (count > s.maximum - s.count) {
      set_last_error(Error::kTooManyPosts);
      return false;
    }
    if (previous_count != nullptr) *previous_count = s.count;
    s.count += count;
  }
  detail::publish_change(record);
  return true;
}

}  // namespace zel::kernel
