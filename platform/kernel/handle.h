// Handles of kernel objects.
//
// A handle value is a 32-bit number that names one object within the user's
// kernel-object namespace. Values may be stored in shared memory: another
// process turns a value it was given into a handle of its own with
// duplicate_handle(), naming the process that holds it. Every create, open
// and duplicate adds one reference of the calling process to the object, and
// one close_handle() removes one. When the last reference of the last process
// goes (closed, or the process died) the object and its name disappear.
#pragma once

#include <cstdint>

namespace zel::kernel {

using Handle = uint32_t;
inline constexpr Handle kNullHandle = 0;

// Longest object name, in bytes. Any byte but NUL may appear in a name, and
// names are compared byte for byte (so case-sensitively).
inline constexpr uint32_t kMaxNameLength = 2000;

enum class ObjectType : uint32_t {
  kNone = 0,
  kSection = 1,
  kEvent = 2,
  kMutex = 3,
  kSemaphore = 4,
  kProcess = 5,
  kThread = 6,
};

// Drops one reference of this process to the object. False (kInvalidHandle)
// when the process holds no reference to that value.
bool close_handle(Handle handle);

// Gives this process a reference to the object that `source_process_id`
// holds as `source_handle`. The source process must be running; duplicating
// from this process's own id adds a reference to an own handle. Returns the
// handle in this process, or kNullHandle.
Handle duplicate_handle(uint32_t source_process_id, Handle source_handle);

// The kind of object a handle of this process refers to (kNone when invalid).
ObjectType object_type(Handle handle);

// The id of the calling process (as process objects and duplication use it).
uint32_t current_process_id();

}  // namespace zel::kernel
