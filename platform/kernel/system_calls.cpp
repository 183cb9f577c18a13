#include "platform/kernel/system_calls.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace zel::kernel::detail {
namespace {

// Constants of the futex2 interface, which the installed kernel headers may
// predate.
constexpr uint32_t kFutex2SizeU32 = 0x02;
constexpr uint32_t kFutex2Private = 128;
constexpr long kSysFutexWaitv = 449;
constexpr long kSysPidfdOpen = 434;

struct FutexWaitv {
  uint64_t val;
  uint64_t uaddr;
  uint32_t flags;
  uint32_t reserved;
};

constexpr uint64_t kUnknownStartTime = UINT64_MAX;

std::atomic<int> g_pid{0};
std::atomic<uint64_t> g_start_time{kUnknownStartTime};
thread_local int t_tid = 0;

void forget_ids_after_fork() {
  g_pid.store(0);
  g_start_time.store(kUnknownStartTime);
  t_tid = 0;
}

[[maybe_unused]] const bool g_fork_hook_installed = [] {
  pthread_atfork(nullptr, nullptr, forget_ids_after_fork);
  return true;
}();

}  // namespace

int futex_wait_any(std::span<const FutexWord> words, const timespec* deadline) {
  if (words.empty() || words.size() > kMaxFutexWords) return EINVAL;
  FutexWaitv vector[kMaxFutexWords];
  for (size_t i = 0; i < words.size(); ++i) {
    vector[i].val = words[i].expected;
    vector[i].uaddr = reinterpret_cast<uintptr_t>(words[i].address);
    vector[i].flags = kFutex2SizeU32 | (words[i].process_private ? kFutex2Private : 0);
    vector[i].reserved = 0;
  }
  long rc = syscall(kSysFutexWaitv, vector, static_cast<unsigned>(words.size()), 0u, deadline,
                    CLOCK_MONOTONIC);
  if (rc >= 0) return 0;
  if (errno == EAGAIN) return 0;
  return errno;
}

void futex_wake_all(uint32_t* address, bool process_private) {
  int op = FUTEX_WAKE | (process_private ? FUTEX_PRIVATE_FLAG : 0);
  syscall(SYS_futex, address, op, INT_MAX, nullptr, nullptr, 0);
}

int open_pidfd(int pid, bool thread) {
  // PIDFD_THREAD shares its value with O_EXCL.
  long fd = syscall(kSysPidfdOpen, pid, thread ? static_cast<unsigned>(O_EXCL) : 0u);
  if (fd < 0) return -1;
  // pidfds are close-on-exec from the start.
  return static_cast<int>(fd);
}

bool pidfd_exited(int pidfd) {
  pollfd p{pidfd, POLLIN, 0};
  int rc = poll(&p, 1, 0);
  return rc > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::optional<ProcessFacts> read_process_facts(int pid) {
  if (pid <= 0) return std::nullopt;
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[1024];
  ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (n <= 0) return std::nullopt;
  buffer[n] = '\0';
  // The command name in parentheses may hold spaces and parentheses; the
  // fields after the last ')' are plain.
  std::string_view text(buffer, static_cast<size_t>(n));
  size_t close_paren = text.rfind(')');
  if (close_paren == std::string_view::npos || close_paren + 2 >= text.size()) return std::nullopt;
  std::string_view rest = text.substr(close_paren + 2);
  char state = rest[0];
  // rest begins with field 3 (state); the start time is field 22.
  int field = 3;
  size_t pos = 0;
  while (field < 22 && pos < rest.size()) {
    pos = rest.find(' ', pos);
    if (pos == std::string_view::npos) return std::nullopt;
    ++pos;
    ++field;
  }
  if (pos >= rest.size()) return std::nullopt;
  uint64_t start = 0;
  for (; pos < rest.size() && rest[pos] >= '0' && rest[pos] <= '9'; ++pos) {
    start = start * 10 + static_cast<uint64_t>(rest[pos] - '0');
  }
  return ProcessFacts{start, state == 'Z' || state == 'X' || state == 'x'};
}

bool process_alive(int pid, uint64_t start_time) {
  auto facts = read_process_facts(pid);
  return facts && !facts->ended && facts->start_time == start_time;
}

bool thread_exists(int pid, int tid) {
  if (syscall(SYS_tgkill, pid, tid, 0) == 0) return true;
  return errno != ESRCH;
}

int own_pid() {
  int pid = g_pid.load(std::memory_order_relaxed);
  if (pid == 0) {
    pid = static_cast<int>(getpid());
    g_pid.store(pid, std::memory_order_relaxed);
  }
  return pid;
}

int own_tid() {
  if (t_tid == 0) t_tid = static_cast<int>(gettid());
  return t_tid;
}

uint64_t own_start_time() {
  uint64_t start = g_start_time.load(std::memory_order_relaxed);
  if (start == kUnknownStartTime) {
    auto facts = read_process_facts(own_pid());
    start = facts ? facts->start_time : 0;
    g_start_time.store(start, std::memory_order_relaxed);
  }
  return start;
}

timespec deadline_after_ms(uint32_t ms) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  now.tv_sec += static_cast<time_t>(ms / 1000);
  now.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (now.tv_nsec >= 1000000000L) {
    now.tv_nsec -= 1000000000L;
    now.tv_sec += 1;
  }
  return now;
}

bool deadline_passed(const timespec& deadline) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec > deadline.tv_sec ||
         (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
}

}  // namespace zel::kernel::detail
