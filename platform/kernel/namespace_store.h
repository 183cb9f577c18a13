// The namespace directory and the files of its objects.
//
// Each object is a file "o-<id>" in the directory; a named object also has a
// hard link "n-<escaped name>" (a process object "p-<pid>-<start>"). Every
// process that holds an object keeps one descriptor on its file with a
// shared flock; the kernel drops it when the process dies. A file that can
// be locked exclusively without waiting therefore has no live holder and is
// stale. The lock file of the directory (flock exclusive, plus a mutex within
// the process) serialises creating, opening, duplicating and dropping
// objects; it also keeps the counter from which object ids are drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/kernel/handle.h"
#include "platform/kernel/local_object.h"
#include "platform/kernel/object_record.h"

namespace zel::kernel::detail {

struct ObjectBlueprint {
  ObjectType type;
  uint64_t data_size;                       // bytes after the record (sections)
  std::function<void(ObjectRecord&)> init;  // fills the state of a new object
};

// Creates an object, or with a name opens the existing one of that name
// (`*existed` set). Returns the handle with one reference added to this
// process's table; kNullHandle with the last error set on failure.
Handle create_object(const ObjectBlueprint& blueprint, std::string_view name, bool* existed);
Handle open_named_object(ObjectType type, std::string_view name);
// Opens the object with that id (for duplication); kNotFound if it is gone.
Handle open_object_by_id(Handle id);
// Opens or creates the process object of (pid, start time), or the thread
// object of (tid, its start time) in process pid.
Handle open_process_object(int pid, uint64_t start_time);
Handle open_thread_object(int pid, int tid, uint64_t start_time);

// Called by ~LocalObject: closes the descriptor and removes the object's
// files when no other process holds it.
void release_object_file(int fd, Handle id, const std::string& link_name);

// At process exit: gives up this process's hold on an object (its memory
// stays mapped for threads still running) and removes the object's files
// when nobody else holds it.
void relinquish_at_exit(int fd, Handle id, const std::string& link_name);

// Removes stale object files; -1 when the namespace cannot be opened.
int sweep_namespace();

}  // namespace zel::kernel::detail
