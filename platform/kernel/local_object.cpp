#include "platform/kernel/local_object.h"

#include <sys/mman.h>

#include <cstring>
#include <utility>

#include "platform/kernel/death_watcher.h"
#include "platform/kernel/namespace_store.h"

namespace zel::kernel::detail {

LocalObject::LocalObject(int fd, ObjectRecord* record, std::shared_ptr<ProcessWatch> watch)
    : fd_(fd),
      record_(record),
      id_(record->id),
      type_(record->type),
      link_name_(record->link_name, strnlen(record->link_name, kLinkNameSize)),
      watch_(std::move(watch)) {}

LocalObject::~LocalObject() {
  munmap(record_, kRecordSize);
  release_object_file(fd_, id_, link_name_);
}

}  // namespace zel::kernel::detail
