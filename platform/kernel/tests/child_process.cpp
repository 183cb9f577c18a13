#include "platform/kernel/tests/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace zel::kernel::testing {
namespace {

std::string child_program() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) throw std::runtime_error("cannot read /proc/self/exe");
  std::string self(path, static_cast<size_t>(n));
  return self.substr(0, self.rfind('/') + 1) + "kernel_test_child";
}

}  // namespace

std::string own_namespace() {
  const char* ns = std::getenv("ZEL_NAMESPACE");  // NOLINT(concurrency-mt-unsafe)
  return ns != nullptr && ns[0] != '\0' ? ns : "default";
}

ChildProcess::ChildProcess(const std::vector<std::string>& script,
                           const std::string& namespace_name) {
  std::string program = child_program();
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!namespace_name.empty() && std::strncmp(*e, "ZEL_NAMESPACE=", 14) == 0) continue;
    env_strings.emplace_back(*e);
  }
  if (!namespace_name.empty()) env_strings.push_back("ZEL_NAMESPACE=" + namespace_name);
  std::vector<char*> envp;
  for (std::string& s : env_strings)
    envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args_strings{program};
  args_strings.insert(args_strings.end(), script.begin(), script.end());
  std::vector<char*> argv;
  for (std::string& s : args_strings)
    argv.push_back(s.data());
  argv.push_back(nullptr);

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  out_fd_ = fds[0];
  if (rc != 0) {
    close(out_fd_);
    throw std::runtime_error("posix_spawn failed: " + std::string(std::strerror(rc)));
  }
}

ChildProcess::~ChildProcess() {
  if (!joined_) {
    kill_now();
    join();
  }
  if (out_fd_ >= 0) close(out_fd_);
}

std::optional<std::string> ChildProcess::next_line(int timeout_ms) {
  for (;;) {
    size_t newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      return line;
    }
    pollfd p{out_fd_, POLLIN, 0};
    int rc = poll(&p, 1, timeout_ms);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) return std::nullopt;
    char chunk[512];
    ssize_t n = read(out_fd_, chunk, sizeof chunk);
    if (n <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<size_t>(n));
  }
}

bool ChildProcess::silent_for(int timeout_ms) {
  if (!buffer_.empty()) return false;
  pollfd p{out_fd_, POLLIN, 0};
  int rc = poll(&p, 1, timeout_ms);
  if (rc <= 0) return true;
  // Readable: either output or end of file (the child died) - only output counts.
  char c;
  ssize_t n = read(out_fd_, &c, 1);
  if (n == 1) buffer_.push_back(c);
  return n <= 0;
}

void ChildProcess::kill_now() {
  if (!joined_ && pid_ > 0) ::kill(pid_, SIGKILL);
}

int ChildProcess::join() {
  if (joined_) return 0;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  joined_ = true;
  return status;
}

}  // namespace zel::kernel::testing
