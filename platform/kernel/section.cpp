#include "platform/kernel/section.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"

namespace zel::kernel {

Handle create_section(uint64_t size, std::string_view name, bool* existed) {
  if (size == 0 || size > static_cast<uint64_t>(PTRDIFF_MAX)) {
    set_last_error(Error::kInvalidParameter);
    return kNullHandle;
  }
  detail::ObjectBlueprint blueprint{
      ObjectType::kSection, size,
      [size](detail::ObjectRecord& record) { record.state.section.size = size; }};
  return detail::create_object(blueprint, name, existed);
}

Handle open_section(std::string_view name) {
  return detail::open_named_object(ObjectType::kSection, name);
}

uint64_t section_size(Handle section) {
  detail::ObjectPtr object = detail::find_object_of_type(section, ObjectType::kSection);
  return object ? object->record().state.section.size : 0;
}

void* map_view(Handle section) {
  detail::ObjectPtr object = detail::find_object_of_type(section, ObjectType::kSection);
  if (!object) return nullptr;
  uint64_t size = object->record().state.section.size;
  void* view = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED,
                    object->fd(), static_cast<off_t>(detail::kRecordSize));
  if (view == MAP_FAILED) {
    set_last_error(errno == ENOMEM ? Error::kOutOfResources : Error::kSystem, errno);
    return nullptr;
  }
  detail::remember_view(view, std::move(object));
  return view;
}

bool unmap_view(void* view) {
  detail::ObjectPtr section = detail::forget_view(view);
  if (!section) {
    set_last_error(Error::kInvalidParameter);
    return false;
  }
  munmap(view, static_cast<size_t>(section->record().state.section.size));
  return true;
}

}  // namespace zel::kernel
