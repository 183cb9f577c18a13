// The shared record of one kernel object: the first page of the object's file
// in the namespace directory, mapped by every process that holds the object.
// A section's data follows at kRecordSize.
//
// Every change of state happens under `guard`, then bumps `change_counter`
// (the futex word waiters sleep on) and wakes sleepers when `sleepers` says
// there are any.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <cstdint>

#include "platform/kernel/handle.h"

namespace zel::kernel::detail {

inline constexpr uint32_t kRecordMagic = 0x4a424f5a;  // "ZOBJ"
inline constexpr uint32_t kRecordVersion = 1;
inline constexpr size_t kRecordSize = 4096;
inline constexpr uint32_t kAutoWaiterSlots = 64;
inline constexpr size_t kLinkNameSize = 256;

// A thread waiting on an auto-reset event. A pulse releases the registered
// waiter with the smallest ticket and records in `released_below` the first
// ticket it did not cover, so that a release this waiter does not use can be
// handed on only to a waiter that was already present at that pulse.
struct AutoWaiterSlot {
  uint32_t ticket;          // 0: slot free
  uint32_t released_below;  // 0: not released by a pulse
  int32_t pid;
  int32_t tid;
};

struct EventState {
  uint32_t manual_reset;
  uint32_t signalled;
  uint32_t pulse_epoch;  // bumped by every pulse of a manual-reset event
  uint32_t next_ticket;
  int32_t waiters;  // threads registered as waiting, both kinds
  AutoWaiterSlot slots[kAutoWaiterSlots];
};

struct MutexState {
  int32_t owner_pid;  // 0: free
  int32_t owner_tid;
  uint64_t owner_start_time;  // of the owner's process, against pid reuse
  uint32_t recursion;
  uint32_t abandoned;  // the last owner ended without releasing
};

struct SemaphoreState {
  int32_t count;
  int32_t maximum;
};

struct SectionState {
  uint64_t size;
};

struct ProcessState {
  int32_t pid;
  uint32_t reserved;
  uint64_t start_time;
};

struct ThreadState {
  int32_t pid;
  int32_t tid;
  uint64_t start_time;  // of the thread, against tid reuse
};

struct ObjectRecord {
  uint32_t magic;
  uint32_t version;
  ObjectType type;
  Handle id;
  uint32_t change_counter;  // accessed through std::atomic_ref
  uint32_t sleepers;        // accessed through std::atomic_ref
  pthread_mutex_t guard;    // robust and process-shared
  union {
    EventState event;
    MutexState mutex;
    SemaphoreState semaphore;
    SectionState section;
    ProcessState process;
    ThreadState thread;
  } state;
  char link_name[kLinkNameSize];  // the name's file in the namespace directory, "" if unnamed
  uint32_t name_length;
  char name[kMaxNameLength];
};

static_assert(sizeof(ObjectRecord) <= kRecordSize);

}  // namespace zel::kernel::detail
