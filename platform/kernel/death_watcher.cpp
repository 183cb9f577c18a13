#include "platform/kernel/death_watcher.h"

#include <pthread.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "platform/kernel/system_calls.h"

namespace zel::kernel::detail {
namespace {

constexpr uint64_t kControlTag = 0;

struct KeyedWatch {
  std::weak_ptr<ProcessWatch> watch;
  uint64_t serial;
};

struct Watcher {
  std::mutex mutex;
  std::map<std::tuple<int, uint64_t, bool>, KeyedWatch> by_process;
  std::unordered_map<uint64_t, ProcessWatch*> by_serial;
  uint64_t next_serial = 1;
  int epoll_fd = -1;
  int control_fd = -1;
  pthread_t thread{};
  bool started = false;
  bool stopping = false;
  bool failed = false;
  std::atomic<bool> forked{false};
  uint32_t death_word = 0;  // accessed through std::atomic_ref
};

// Never destroyed (watches may be dropped during exit); only its thread is
// stopped and joined at exit.
Watcher& watcher() {
  static Watcher* instance = new Watcher;
  return *instance;
}

void stop_watcher() {
  Watcher& w = watcher();
  {
    std::lock_guard lock(w.mutex);
    if (!w.started || w.stopping) return;
    w.stopping = true;
    uint64_t one = 1;
    if (write(w.control_fd, &one, sizeof one) < 0) {
      // The eventfd cannot be full; nothing else can go wrong here.
    }
  }
  if (!w.forked.load()) pthread_join(w.thread, nullptr);
}

struct WatcherJoiner {
  WatcherJoiner() = default;
  ~WatcherJoiner() { stop_watcher(); }
  WatcherJoiner(const WatcherJoiner&) = delete;
  WatcherJoiner& operator=(const WatcherJoiner&) = delete;
};

void* watcher_main(void*) {
  Watcher& w = watcher();
  epoll_event events[16];
  for (;;) {
    int n = epoll_wait(w.epoll_fd, events, 16, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return nullptr;
    }
    bool someone_ended = false;
    {
      std::lock_guard lock(w.mutex);
      for (int i = 0; i < n; ++i) {
        if (events[i].data.u64 == kControlTag) {
          uint64_t value = 0;
          if (read(w.control_fd, &value, sizeof value) < 0) {
            // Spurious wake-up: nothing to read.
          }
          if (w.stopping) return nullptr;
          continue;
        }
        auto it = w.by_serial.find(events[i].data.u64);
        if (it == w.by_serial.end()) continue;
        it->second->mark_exited();
        epoll_ctl(w.epoll_fd, EPOLL_CTL_DEL, it->second->pidfd(), nullptr);
        someone_ended = true;
      }
    }
    if (someone_ended) {
      std::atomic_ref<uint32_t>(w.death_word).fetch_add(1);
      futex_wake_all(&w.death_word, true);
    }
  }
}

void note_fork_in_child() {
  watcher().forked.store(true);
}

// Starts the thread at the first watch. Called with the mutex held.
bool ensure_started(Watcher& w) {
  if (w.started) return !w.stopping;
  if (w.failed) return false;
  static WatcherJoiner joiner;  // constructed first, so it is destroyed (and joins) at exit
  static const bool fork_hook = [] {
    pthread_atfork(nullptr, nullptr, note_fork_in_child);
    return true;
  }();
  (void)fork_hook;
  w.epoll_fd = epoll_create1(EPOLL_CLOEXEC);
  w.control_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  epoll_event control{};
  control.events = EPOLLIN;
  control.data.u64 = kControlTag;
  if (w.epoll_fd < 0 || w.control_fd < 0 ||
      epoll_ctl(w.epoll_fd, EPOLL_CTL_ADD, w.control_fd, &control) != 0) {
    w.failed = true;
    return false;
  }
  // The thread takes no signals: they belong to the application's threads.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  int rc = pthread_create(&w.thread, nullptr, watcher_main, nullptr);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (rc != 0) {
    w.failed = true;
    return false;
  }
  w.started = true;
  return true;
}

}  // namespace

ProcessWatch::ProcessWatch(int pid, uint64_t start_time, bool thread, int pidfd, uint64_t serial)
    : pid_(pid),
      start_time_(start_time),
      thread_(thread),
      pidfd_(pidfd),
      serial_(serial),
      exited_(pidfd < 0) {}

ProcessWatch::~ProcessWatch() {
  Watcher& w = watcher();
  std::lock_guard lock(w.mutex);
  w.by_serial.erase(serial_);
  auto it = w.by_process.find({pid_, start_time_, thread_});
  if (it != w.by_process.end() && it->second.serial == serial_) w.by_process.erase(it);
  if (pidfd_ >= 0) {
    if (w.epoll_fd >= 0) epoll_ctl(w.epoll_fd, EPOLL_CTL_DEL, pidfd_, nullptr);
    close(pidfd_);
  }
}

bool ProcessWatch::exited() {
  if (exited_.load()) return true;
  if (pidfd_ >= 0 && pidfd_exited(pidfd_)) {
    exited_.store(true);
    return true;
  }
  return false;
}

std::shared_ptr<ProcessWatch> watch_process(int pid, uint64_t start_time, bool thread) {
  Watcher& w = watcher();
  std::lock_guard lock(w.mutex);
  auto it = w.by_process.find({pid, start_time, thread});
  if (it != w.by_process.end()) {
    if (auto existing = it->second.watch.lock()) return existing;
  }
  int pidfd = pid > 0 ? open_pidfd(pid, thread) : -1;
  if (pidfd >= 0) {
    // The pidfd now pins the process; make sure it is the one we mean and not
    // a later process that got the same pid.
    auto facts = read_process_facts(pid);
    if (!facts || facts->start_time != start_time) {
      close(pidfd);
      pidfd = -1;
    }
  }
  uint64_t serial = w.next_serial++;
  auto watch = std::make_shared<ProcessWatch>(pid, start_time, thread, pidfd, serial);
  w.by_process[{pid, start_time, thread}] = KeyedWatch{watch, serial};
  w.by_serial[serial] = watch.get();
  if (pidfd >= 0 && ensure_started(w)) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = serial;
    epoll_ctl(w.epoll_fd, EPOLL_CTL_ADD, pidfd, &event);
  }
  return watch;
}

uint32_t* death_counter() {
  return &watcher().death_word;
}

bool death_watcher_active() {
  Watcher& w = watcher();
  std::lock_guard lock(w.mutex);
  return w.started && !w.stopping && !w.failed && !w.forked.load();
}

}  // namespace zel::kernel::detail
