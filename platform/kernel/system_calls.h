// Thin wrappers of the Linux calls the kernel-object layer is built on and
// that glibc does not wrap: futexes (one word, or a vector of words), pidfds,
// and facts about processes and threads read from /proc.
#pragma once

#include <time.h>

#include <cstdint>
#include <optional>
#include <span>

namespace zel::kernel::detail {

// One word of a futex_waitv vector.
struct FutexWord {
  uint32_t* address;
  uint32_t expected;
  bool process_private;
};

inline constexpr size_t kMaxFutexWords = 128;

// Sleeps until one word changes from its expected value, a wake, or the
// absolute CLOCK_MONOTONIC deadline (nullptr: none). Returns 0 when woken or
// when a value had already changed, ETIMEDOUT, EINTR, or another errno.
int futex_wait_any(std::span<const FutexWord> words, const timespec* deadline);
void futex_wake_all(uint32_t* address, bool process_private);

// A pidfd for the process, or with `thread` for the single thread `pid`
// (-1 with errno set on failure).
int open_pidfd(int pid, bool thread);
// True when the pidfd's process has ended.
bool pidfd_exited(int pidfd);

// The start time of a process (field 22 of /proc/<pid>/stat) and whether it
// is a zombie or dead. Nothing when no such process exists. Given a thread
// id, the same for that thread.
struct ProcessFacts {
  uint64_t start_time;
  bool ended;
};
std::optional<ProcessFacts> read_process_facts(int pid);

// Whether the process `pid` with that start time still runs (a zombie or a
// reused pid does not).
bool process_alive(int pid, uint64_t start_time);
// Whether the thread `tid` of process `pid` still exists (pid reuse aside).
bool thread_exists(int pid, int tid);

// The ids of the calling process and thread, and the start time of the
// calling process; cached, and renewed in the child after fork.
int own_pid();
int own_tid();
uint64_t own_start_time();

// Absolute CLOCK_MONOTONIC deadline `ms` milliseconds from now.
timespec deadline_after_ms(uint32_t ms);
bool deadline_passed(const timespec& deadline);

}  // namespace zel::kernel::detail
