// Waiting for kernel objects. Events, mutexes, semaphores, processes and
// threads can be waited on; sections cannot.
#pragma once

#include <cstdint>
#include <span>

#include "platform/kernel/handle.h"

namespace zel::kernel {

inline constexpr uint32_t kInfinite = 0xFFFFFFFF;
inline constexpr uint32_t kMaxWaitObjects = 64;

enum class WaitStatus {
  kSignalled,  // handles[index] was signalled (and consumed, for the kinds that consume)
  kAbandoned,  // handles[index] is a mutex now owned by the caller, abandoned by its last owner
  kTimeout,
  kFailed,  // see last_error()
};

struct WaitResult {
  WaitStatus status;
  uint32_t index;  // meaningful for kSignalled and kAbandoned
};

// Waits until one of 1..64 objects is signalled or `timeout_ms` passes (0
// only looks; kInfinite never times out). When several are signalled the
// lowest index wins and only that object is consumed. The same handle may
// appear more than once.
WaitResult wait_any(std::span<const Handle> handles, uint32_t timeout_ms);

// The single-object form of wait_any.
WaitResult wait_one(Handle handle, uint32_t timeout_ms);

}  // namespace zel::kernel
