// Thread objects: a handle on one thread (of this or another process),
// signalled when the thread ends. A process hands its thread to another by
// storing the handle value where the other can read it; the other duplicates
// it and can ask whether the thread still runs.
#pragma once

#include <cstdint>

#include "platform/kernel/handle.h"

namespace zel::kernel {

// A handle on the calling thread.
Handle open_current_thread();
// A handle on thread `thread_id` of process `process_id`; kNotFound when the
// process has no such thread.
Handle open_thread(uint32_t process_id, uint32_t thread_id);

// True while the thread runs; false when it has ended or the handle is not a
// thread handle (last_error() then says kInvalidHandle).
bool thread_running(Handle thread);

// The id of the calling thread (as open_thread takes it).
uint32_t current_thread_id();

}  // namespace zel::kernel
