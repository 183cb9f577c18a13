// Round trips between two processes through two auto-reset events, with a
// pipe ping-pong between the same two kinds of processes as the baseline,
// and the median latency from set_event() in one process to the return of
// wait_one() in another.
//
//   kernel_pingpong [round-trips]      (default 100000)
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/event.h"
#include "platform/kernel/section.h"
#include "platform/kernel/wait.h"

extern char** environ;

namespace zk = zel::kernel;

namespace {

constexpr int kLatencySamples = 2000;
constexpr int kRuns = 3;

uint64_t now_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

[[noreturn]] void die(const char* what) {
  std::fprintf(stderr, "kernel_pingpong: %s failed\n", what);
  std::exit(1);  // NOLINT(concurrency-mt-unsafe)
}

std::string self_path() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) die("readlink");
  return std::string(path, static_cast<size_t>(n));
}

pid_t spawn_self(std::vector<std::string> args, posix_spawn_file_actions_t* actions) {
  std::string program = self_path();
  std::vector<char*> argv{program.data()};
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), actions, nullptr, argv.data(), environ) != 0) {
    die("posix_spawn");
  }
  return pid;
}

void join(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) die("child");
}

// --- the child sides -------------------------------------------------------

int child_events(const char* ping_name, const char* pong_name, long round_trips) {
  zk::Handle ping = zk::open_event(ping_name);
  zk::Handle pong = zk::open_event(pong_name);
  if (ping == zk::kNullHandle || pong == zk::kNullHandle) return 1;
  for (long i = 0; i < round_trips; ++i) {
    if (zk::wait_one(ping, zk::kInfinite).status != zk::WaitStatus::kSignalled) return 1;
    zk::set_event(pong);
  }
  return 0;
}

int child_pipe(long round_trips) {
  char byte = 0;
  for (long i = 0; i < round_trips; ++i) {
    if (read(3, &byte, 1) != 1 || write(4, &byte, 1) != 1) return 1;
  }
  return 0;
}

// Waits on "go", records how long after the parent's timestamp it woke.
int child_latency(const char* go_name, const char* ack_name, const char* area_name) {
  zk::Handle go = zk::open_event(go_name);
  zk::Handle ack = zk::open_event(ack_name);
  zk::Handle area = zk::open_section(area_name);
  auto* words = static_cast<uint64_t*>(zk::map_view(area));
  if (words == nullptr || go == zk::kNullHandle || ack == zk::kNullHandle) return 1;
  for (int i = 0; i < kLatencySamples; ++i) {
    if (zk::wait_one(go, zk::kInfinite).status != zk::WaitStatus::kSignalled) return 1;
    uint64_t woke = now_ns();
    words[1 + i] = woke - words[0];
    zk::set_event(ack);
  }
  return 0;
}

// --- the parent sides -------------------------------------------------------

double run_events(long round_trips) {
  std::string ping_name = "bench ping " + std::to_string(getpid());
  std::string pong_name = "bench pong " + std::to_string(getpid());
  zk::Handle ping = zk::create_event(zk::EventReset::kAuto, false, ping_name);
  zk::Handle pong = zk::create_event(zk::EventReset::kAuto, false, pong_name);
  if (ping == zk::kNullHandle || pong == zk::kNullHandle) die("create_event");
  pid_t child =
      spawn_self({"--child-events", ping_name, pong_name, std::to_string(round_trips)}, nullptr);
  uint64_t start = now_ns();
  for (long i = 0; i < round_trips; ++i) {
    zk::set_event(ping);
    if (zk::wait_one(pong, zk::kInfinite).status != zk::WaitStatus::kSignalled) die("wait");
  }
  uint64_t elapsed = now_ns() - start;
  join(child);
  zk::close_handle(ping);
  zk::close_handle(pong);
  return static_cast<double>(elapsed) / static_cast<double>(round_trips);
}

double run_pipe(long round_trips) {
  int to_child[2];
  int from_child[2];
  if (pipe(to_child) != 0 || pipe(from_child) != 0) die("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, to_child[0], 3);
  posix_spawn_file_actions_adddup2(&actions, from_child[1], 4);
  pid_t child = spawn_self({"--child-pipe", std::to_string(round_trips)}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(to_child[0]);
  close(from_child[1]);
  char byte = 'x';
  uint64_t start = now_ns();
  for (long i = 0; i < round_trips; ++i) {
    if (write(to_child[1], &byte, 1) != 1 || read(from_child[0], &byte, 1) != 1) die("pipe i/o");
  }
  uint64_t elapsed = now_ns() - start;
  close(to_child[1]);
  close(from_child[0]);
  join(child);
  return static_cast<double>(elapsed) / static_cast<double>(round_trips);
}

std::vector<uint64_t> run_latency() {
  std::string suffix = std::to_string(getpid());
  std::string go_name = "bench go " + suffix;
  std::string ack_name = "bench ack " + suffix;
  std::string area_name = "bench area " + suffix;
  zk::Handle go = zk::create_event(zk::EventReset::kAuto, false, go_name);
  zk::Handle ack = zk::create_event(zk::EventReset::kAuto, false, ack_name);
  zk::Handle area = zk::create_section(sizeof(uint64_t) * (1 + kLatencySamples), area_name);
  auto* words = static_cast<uint64_t*>(zk::map_view(area));
  if (words == nullptr) die("map_view");
  pid_t child = spawn_self({"--child-latency", go_name, ack_name, area_name}, nullptr);
  for (int i = 0; i < kLatencySamples; ++i) {
    usleep(300);  // so that the child is asleep in its wait, not still running
    words[0] = now_ns();
    zk::set_event(go);
    if (zk::wait_one(ack, zk::kInfinite).status != zk::WaitStatus::kSignalled) die("wait");
  }
  join(child);
  std::vector<uint64_t> samples(words + 1, words + 1 + kLatencySamples);
  zk::unmap_view(words);
  zk::close_handle(area);
  zk::close_handle(go);
  zk::close_handle(ack);
  std::sort(samples.begin(), samples.end());
  return samples;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::strcmp(argv[1], "--child-events") == 0) {
    return child_events(argv[2], argv[3], std::atol(argv[4]));
  }
  if (argc >= 3 && std::strcmp(argv[1], "--child-pipe") == 0) return child_pipe(std::atol(argv[2]));
  if (argc >= 5 && std::strcmp(argv[1], "--child-latency") == 0) {
    return child_latency(argv[2], argv[3], argv[4]);
  }
  long round_trips = argc >= 2 ? std::atol(argv[1]) : 100000;
  if (round_trips <= 0) round_trips = 100000;
  // A namespace of our own, inherited by the children.
  std::string ns = "kernel-bench-" + std::to_string(getpid());
  setenv("ZEL_NAMESPACE", ns.c_str(), 1);  // NOLINT(concurrency-mt-unsafe): before any thread

  run_pipe(round_trips / 20);  // warm-up
  run_events(round_trips / 20);
  std::vector<double> pipe_ns;
  std::vector<double> event_ns;
  for (int run = 0; run < kRuns; ++run) {
    pipe_ns.push_back(run_pipe(round_trips));
    event_ns.push_back(run_events(round_trips));
  }
  double pipe_rt = median(pipe_ns);
  double event_rt = median(event_ns);
  std::vector<uint64_t> latency = run_latency();

  std::printf("round trips per run: %ld, runs: %d (median shown)\n", round_trips, kRuns);
  std::printf("pipe ping-pong:  %10.0f round trips/s  %8.2f us per round trip\n", 1e9 / pipe_rt,
              pipe_rt / 1000.0);
  std::printf("event ping-pong: %10.0f round trips/s  %8.2f us per round trip\n", 1e9 / event_rt,
              event_rt / 1000.0);
  std::printf("event / pipe round-trip time: %.2f (goal: at most 2.00)\n", event_rt / pipe_rt);
  std::printf(
      "set -> wake in another process: median %.1f us, 90th percentile %.1f us (%d samples)\n",
      static_cast<double>(latency[latency.size() / 2]) / 1000.0,
      static_cast<double>(latency[latency.size() * 9 / 10]) / 1000.0, kLatencySamples);
  return 0;
}
