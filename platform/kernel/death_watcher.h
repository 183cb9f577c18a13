// Knowing promptly when another process ends, without polling.
//
// One watcher thread per process (started at the first watch, joined at
// exit) sleeps in epoll on a pidfd per watched process. When one ends it
// marks the watch and bumps a process-private futex word, which every wait
// that depends on a process includes in its futex vector.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace zel::kernel::detail {

class ProcessWatch {
 public:
  ProcessWatch(int pid, uint64_t start_time, bool thread, int pidfd, uint64_t serial);
  ~ProcessWatch();
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

  int pid() const { return pid_; }
  uint64_t start_time() const { return start_time_; }
  // True once the process has ended (checked against its pidfd, so it is
  // exact even before the watcher thread has seen the end).
  bool exited();
  void mark_exited() { exited_.store(true); }
  int pidfd() const { return pidfd_; }
  uint64_t serial() const { return serial_; }

 private:
  int pid_;
  uint64_t start_time_;
  bool thread_;
  int pidfd_;  // -1 when the process had already ended when watched
  uint64_t serial_;
  std::atomic<bool> exited_;
};

// The watch on process `pid` whose start time is `start_time`; shared by all
// users in this process. Never null: a process that is already gone (or whose
// pid now belongs to another process) gives a watch that reports exited.
// With `thread`, `pid` is a thread id and the watch is on that one thread.
std::shared_ptr<ProcessWatch> watch_process(int pid, uint64_t start_time, bool thread = false);

// The word bumped (and woken) whenever a watched process ends.
uint32_t* death_counter();

// False when no watcher thread can wake waiters (it could not be started, the
// process is exiting, or this is a forked child): waits that depend on a
// process then re-check at short intervals instead.
bool death_watcher_active();

}  // namespace zel::kernel::detail
