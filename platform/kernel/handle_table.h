// This process's handles: the reference count of each object it holds, and
// its mapped section views.
#pragma once

#include <cstdint>

#include "platform/kernel/handle.h"
#include "platform/kernel/local_object.h"

namespace zel::kernel::detail {

// The object behind a handle (null when the process holds no such handle).
ObjectPtr find_object(Handle handle);
// The object, when it is of `type`; otherwise null and kInvalidHandle set.
ObjectPtr find_object_of_type(Handle handle, ObjectType type);

// Adds one reference to a handle the process already holds; false if none.
bool add_reference(Handle handle);
// Enters a newly opened object with one reference.
void insert_object(ObjectPtr object);
// Drops one reference; false if the process holds no such handle.
bool drop_reference(Handle handle);

// Views of sections.
void remember_view(void* view, ObjectPtr section);
// The section of a view, forgotten by this call (null if it is no view).
ObjectPtr forget_view(void* view);

}  // namespace zel::kernel::detail
