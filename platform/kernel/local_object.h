// This process's hold on one kernel object: the open file (whose shared
// flock tells other processes the object is in use), the mapped record, and
// for a process object the watch on that process.
//
// A LocalObject lives as long as anything in the process uses the object:
// handle references, mapped views, running waits, owned mutexes. Its
// destructor lets go of the file and removes the object from the namespace
// when no other process holds it.
#pragma once

#include <memory>
#include <string>

#include "platform/kernel/handle.h"
#include "platform/kernel/object_record.h"

namespace zel::kernel::detail {

class ProcessWatch;

class LocalObject {
 public:
  LocalObject(int fd, ObjectRecord* record, std::shared_ptr<ProcessWatch> watch);
  ~LocalObject();
  LocalObject(const LocalObject&) = delete;
  LocalObject& operator=(const LocalObject&) = delete;

  Handle id() const { return id_; }
  ObjectType type() const { return type_; }
  ObjectRecord& record() const { return *record_; }
  int fd() const { return fd_; }
  const std::string& link_name() const { return link_name_; }
  // The watch on the process of a process object (null for other kinds).
  ProcessWatch* process_watch() const { return watch_.get(); }

 private:
  int fd_;
  ObjectRecord* record_;
  Handle id_;
  ObjectType type_;
  std::string link_name_;
  std::shared_ptr<ProcessWatch> watch_;
};

using ObjectPtr = std::shared_ptr<LocalObject>;

}  // namespace zel::kernel::detail
