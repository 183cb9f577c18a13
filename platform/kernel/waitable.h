// What a wait does with each kind of object. Each try_take_* takes the
// object's guard, looks at the state and, when the object is ready,
// consumes it for the calling thread.
#pragma once

#include <memory>

#include "platform/kernel/local_object.h"

namespace zel::kernel::detail {

class ProcessWatch;

enum class TakeOutcome {
  kTaken,
  kAbandoned,  // a mutex taken over from an owner that ended
  kNotReady,
  kNeedsWatch,  // a mutex owned by another process: watch it, then try again
  kFailed,
};

// What one wait remembers about one of its objects between its passes.
struct WaitSlot {
  bool registered = false;   // counted as a waiter of an event
  uint32_t pulse_epoch = 0;  // manual-reset events: the epoch when the wait began
  int auto_slot = -1;        // auto-reset events: the waiter slot and its ticket
  uint32_t ticket = 0;
  bool depends_on_process = false;  // include the death counter in the sleep
  int wanted_pid = 0;
  uint64_t wanted_start_time = 0;
  std::shared_ptr<ProcessWatch> owner_watch;
};

TakeOutcome try_take_event(LocalObject& event, WaitSlot& slot);
// Unregisters a wait that ends without having taken the event.
void end_event_wait(LocalObject& event, WaitSlot& slot);

TakeOutcome try_take_mutex(const ObjectPtr& mutex, WaitSlot& slot);
TakeOutcome try_take_semaphore(LocalObject& semaphore);
TakeOutcome try_take_process(LocalObject& process, WaitSlot& slot);
TakeOutcome try_take_thread(LocalObject& thread, WaitSlot& slot);

}  // namespace zel::kernel::detail
