// Views into the kernel-object layer for tests and tools.
#pragma once

#include <cstdint>
#include <string>

#include "platform/kernel/handle.h"

namespace zel::kernel {

// The directory that holds this process's namespace (it is removed when its
// last object goes away, so it may not exist).
std::string namespace_directory();

// Removes the files of objects that no live process holds any more (their
// holders were killed). Done automatically when a process first uses the
// namespace; returns how many files were removed, or -1 on failure.
int sweep_stale_objects();

// The number of threads, in all processes, waiting on an event right now
// (-1 when the handle is not an event).
int32_t event_waiter_count(Handle event);

}  // namespace zel::kernel
