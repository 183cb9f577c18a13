#include "platform/kernel/handle_table.h"

#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/kernel/errors.h"
#include "platform/kernel/namespace_store.h"

namespace zel::kernel::detail {
namespace {

struct Entry {
  ObjectPtr object;
  uint32_t references;
};

struct Table {
  std::mutex mutex;
  std::unordered_map<Handle, Entry> entries;
  std::unordered_map<void*, ObjectPtr> views;
};

Table& table();

// At exit the process lets go of every object it still holds, so that
// objects nobody else holds vanish now rather than at the next sweep. The
// memory stays mapped: threads may still be running.
void relinquish_all() {
  Table& t = table();
  std::vector<ObjectPtr> held;
  {
    std::lock_guard lock(t.mutex);
    for (auto& [id, entry] : t.entries)
      held.push_back(entry.object);
    for (auto& [view, object] : t.views)
      held.push_back(object);
  }
  for (const ObjectPtr& object : held) {
    relinquish_at_exit(object->fd(), object->id(), object->link_name());
  }
}

struct ExitRelease {
  ExitRelease() = default;
  ~ExitRelease() { relinquish_all(); }
  ExitRelease(const ExitRelease&) = delete;
  ExitRelease& operator=(const ExitRelease&) = delete;
};

// Never destroyed: handles may be used and closed from static destructors
// and from threads that end after main.
Table& table() {
  static Table* instance = new Table;
  static ExitRelease at_exit;
  return *instance;
}

}  // namespace

ObjectPtr find_object(Handle handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  return it == t.entries.end() ? nullptr : it->second.object;
}

ObjectPtr find_object_of_type(Handle handle, ObjectType type) {
  ObjectPtr object = find_object(handle);
  if (!object || object->type() != type) {
    set_last_error(Error::kInvalidHandle);
    return nullptr;
  }
  return object;
}

bool add_reference(Handle handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  if (it == t.entries.end()) return false;
  ++it->second.references;
  return true;
}

void insert_object(ObjectPtr object) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Handle id = object->id();
  t.entries[id] = Entry{std::move(object), 1};
}

bool drop_reference(Handle handle) {
  ObjectPtr released;  // destroyed after the table's mutex is let go
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.entries.find(handle);
    if (it == t.entries.end()) return false;
    if (--it->second.references == 0) {
      released = std::move(it->second.object);
      t.entries.erase(it);
    }
  }
  return true;
}

void remember_view(void* view, ObjectPtr section) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  t.views[view] = std::move(section);
}

ObjectPtr forget_view(void* view) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.views.find(view);
  if (it == t.views.end()) return nullptr;
  ObjectPtr section = std::move(it->second);
  t.views.erase(it);
  return section;
}

}  // namespace zel::kernel::detail
