#include "platform/process/tests/probe_report.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace zel::process::testing_support {

std::filesystem::path probeProgram() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zel_process_probe";
}

TemporaryDirectory::TemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-process-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

ReportPipe::ReportPipe(const std::filesystem::path& directory) : path_(directory / "report") {
  if (mkfifo(path_.c_str(), 0600) == 0)
    fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

ReportPipe::~ReportPipe() {
  if (fd_ >= 0) close(fd_);
}

std::string ReportPipe::read(int timeoutMs) {
  std::string text;
  if (fd_ < 0) return text;
  for (;;) {
    pollfd waiting{fd_, POLLIN, 0};
    int ready = poll(&waiting, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return {};
    char buffer[4096];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      return text;  // the writer came and went
    } else if (errno != EAGAIN && errno != EINTR) {
      return {};
    }
  }
}

ProbeReport parseReport(const std::string& text) {
  ProbeReport report;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    if (key == "arg") {
      report.arguments.push_back(value);
    } else if (key == "fd") {
      size_t space = value.find(' ');
      report.descriptors[std::atoi(value.c_str())] =
          space == std::string::npos ? "" : value.substr(space + 1);
    } else {
      report.fields[key] = value;
    }
  }
  return report;
}

bool waitUntilGone(pid_t pid, int timeoutMs) {
  int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return errno == ESRCH;
  pollfd waiting{fd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&waiting, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  close(fd);
  return ready == 1;
}

bool terminateAndWait(pid_t pid, int timeoutMs) {
  if (kill(pid, SIGTERM) != 0) return errno == ESRCH;
  return waitUntilGone(pid, timeoutMs);
}

bool hasNoChildren() {
  int status = 0;
  return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

}  // namespace zel::process::testing_support
