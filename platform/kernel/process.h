// Process objects: a handle on a running process, signalled when it ends.
#pragma once

#include <cstdint>

#include "platform/kernel/handle.h"

namespace zel::kernel {

// Opens the process with that id; kNotFound when no such process exists. A
// process that has ended but not yet been reaped opens as signalled.
Handle open_process(uint32_t process_id);

// True while the process runs; false when it has ended or the handle is not a
// process handle (last_error() then says kInvalidHandle).
bool process_running(Handle process);

// The id of the process (0 when the handle is invalid).
uint32_t process_id(Handle process);

}  // namespace zel::kernel
