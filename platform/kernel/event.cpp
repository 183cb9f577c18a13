#include "platform/kernel/event.h"

#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/namespace_store.h"
#include "platform/kernel/record_guard.h"
#include "platform/kernel/system_calls.h"
#include "platform/kernel/waitable.h"

namespace zel::kernel {
namespace detail {
namespace {

void free_slot(EventState& e, int k) {
  e.slots[k] = AutoWaiterSlot{};
}

uint32_t draw_ticket(EventState& e) {
  if (e.next_ticket == 0) e.next_ticket = 1;
  return e.next_ticket++;
}

// A slot of a waiting thread that died (its process was killed) is free.
bool reclaim_if_dead(EventState& e, int k) {
  const AutoWaiterSlot& s = e.slots[k];
  if (s.ticket == 0 || thread_exists(s.pid, s.tid)) return false;
  free_slot(e, k);
  if (e.waiters > 0) --e.waiters;
  return true;
}

int allocate_slot(EventState& e) {
  for (int pass = 0; pass < 2; ++pass) {
    for (int k = 0; k < static_cast<int>(kAutoWaiterSlots); ++k) {
      if (e.slots[k].ticket == 0 || (pass == 1 && reclaim_if_dead(e, k))) {
        e.slots[k] = AutoWaiterSlot{draw_ticket(e), 0, own_pid(), own_tid()};
        return k;
      }
    }
  }
  return -1;  // this waiter cannot be released by pulses (set still works)
}

bool slot_is_mine(const EventState& e, const WaitSlot& slot) {
  return slot.auto_slot >= 0 && e.slots[slot.auto_slot].ticket == slot.ticket;
}

void unregister(EventState& e, WaitSlot& slot) {
  if (!slot.registered) return;
  if (slot_is_mine(e, slot)) free_slot(e, slot.auto_slot);
  slot.auto_slot = -1;
  slot.registered = false;
  if (e.waiters > 0) --e.waiters;
}

// The registered waiter, other than `except`, with the smallest ticket below
// `below` that no pulse has released yet; -1 if none.
int oldest_unreleased(EventState& e, uint32_t below, int except) {
  int best = -1;
  for (int k = 0; k < static_cast<int>(kAutoWaiterSlots); ++k) {
    const AutoWaiterSlot& s = e.slots[k];
    if (k == except || s.ticket == 0 || s.released_below != 0 || s.ticket >= below) continue;
    if (reclaim_if_dead(e, k)) continue;
    if (best < 0 || s.ticket < e.slots[best].ticket) best = k;
  }
  return best;
}

bool guard_failed() {
  set_last_error(Error::kSystem, ENOTRECOVERABLE);
  return false;
}

template <typename Change>
bool change_event(Handle handle, Change change) {
  ObjectPtr object = find_object_of_type(handle, ObjectType::kEvent);
  if (!object) return false;
  ObjectRecord& record = object->record();
  bool wake = false;
  {
    RecordGuard guard(record);
    if (!guard.locked()) return guard_failed();
    wake = change(record.state.event);
  }
  if (wake) publish_change(record);
  return true;
}

}  // namespace

TakeOutcome try_take_event(LocalObject& event, WaitSlot& slot) {
  ObjectRecord& record = event.record();
  RecordGuard guard(record);
  if (!guard.locked()) {
    guard_failed();
    return TakeOutcome::kFailed;
  }
  EventState& e = record.state.event;
  if (!slot.registered) {
    slot.registered = true;
    ++e.waiters;
    if (e.manual_reset != 0) {
      slot.pulse_epoch = e.pulse_epoch;
    } else {
      slot.auto_slot = allocate_slot(e);
      if (slot.auto_slot >= 0) slot.ticket = e.slots[slot.auto_slot].ticket;
    }
  }
  if (e.manual_reset != 0) {
    if (e.signalled == 0 && e.pulse_epoch == slot.pulse_epoch) return TakeOutcome::kNotReady;
    unregister(e, slot);
    return TakeOutcome::kTaken;
  }
  // A pulse that released this very waiter is used before the signalled
  // state, which another waiter may take.
  if (slot_is_mine(e, slot) && e.slots[slot.auto_slot].released_below != 0) {
    unregister(e, slot);
    return TakeOutcome::kTaken;
  }
  if (e.signalled != 0) {
    e.signalled = 0;
    unregister(e, slot);
    return TakeOutcome::kTaken;
  }
  return TakeOutcome::kNotReady;
}

void end_event_wait(LocalObject& event, WaitSlot& slot) {
  if (!slot.registered) return;
  ObjectRecord& record = event.record();
  bool handed_on = false;
  {
    RecordGuard guard(record);
    if (!guard.locked()) return;
    EventState& e = record.state.event;
    if (slot_is_mine(e, slot)) {
      uint32_t below = e.slots[slot.auto_slot].released_below;
      if (below != 0) {
        // Released by a pulse but ending for another reason: the release
        // goes to another waiter that was present at that pulse.
        int other = oldest_unreleased(e, below, slot.auto_slot);
        if (other >= 0) {
          e.slots[other].released_below = below;
          handed_on = true;
        }
      }
    }
    unregister(e, slot);
  }
  if (handed_on) publish_change(record);
}

}  // namespace detail

using detail::EventState;
using detail::ObjectBlueprint;
using detail::ObjectRecord;

Handle create_event(EventReset reset, bool initially_signalled, std::string_view name,
                    bool* existed) {
  ObjectBlueprint blueprint{ObjectType::kEvent, 0, [&](ObjectRecord& record) {
                              record.state.event.manual_reset =
                                  reset == EventReset::kManual ? 1 : 0;
                              record.state.event.signalled = initially_signalled ? 1 : 0;
                            }};
  return detail::create_object(blueprint, name, existed);
}

Handle open_event(std::string_view name) {
  return detail::open_named_object(ObjectType::kEvent, name);
}

bool set_event(Handle event) {
  return detail::change_event(event, [](EventState& e) {
    e.signalled = 1;
    return true;
  });
}

bool reset_event(Handle event) {
  // Nobody needs waking to learn that an event is not signalled.
  return detail::change_event(event, [](EventState& e) {
    e.signalled = 0;
    return false;
  });
}

bool pulse_event(Handle event) {
  return detail::change_event(event, [](EventState& e) {
    e.signalled = 0;
    if (e.manual_reset != 0) {
      ++e.pulse_epoch;
      return e.waiters > 0;
    }
    if (e.next_ticket == 0) e.next_ticket = 1;
    int oldest = detail::oldest_unreleased(e, e.next_ticket, -1);
    if (oldest < 0) return false;
    e.slots[oldest].released_below = e.next_ticket;
    return true;
  });
}

}  // namespace zel::kernel
