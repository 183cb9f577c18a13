#include "platform/process/detached_start.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "platform/modules/module_directory.h"

extern char** environ;

namespace zel::process {
namespace {

// What the starter and the started program tell the caller through the pipe.
enum class Report : std::int32_t { Started = 1, Failed = 2 };
enum class Step : std::int32_t { Fork = 1, Directory = 2, StandardFiles = 3, Exec = 4 };

struct ReportRecord {
  Report kind;
  std::int32_t value;  // the pid for Started, the Step for Failed
  std::int32_t error;  // errno for Failed
};

// Everything the children need, prepared before fork so that they only make
// async-signal-safe calls.
struct ChildPlan {
  const char* program;
  char* const* argv;
  char* const* envp;
  const char* workingDirectory;  // null to keep the caller's
  int nullFd;
  int reportFd;
  int maxFd;
};

void report(int fd, Report kind, std::int32_t value, std::int32_t error) {
  ReportRecord record{kind, value, error};
  // At most PIPE_BUF bytes, so the write is whole; signals are blocked here.
  ssize_t ignored = ::write(fd, &record, sizeof record);
  (void)ignored;
}

[[noreturn]] void failChild(const ChildPlan& plan, Step step) {
  report(plan.reportFd, Report::Failed, static_cast<std::int32_t>(step), errno);
  _exit(127);
}

// The grandchild: becomes the program.
[[noreturn]] void runProgram(const ChildPlan& plan) {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::dup2(plan.nullFd, fd) < 0) failChild(plan, Step::StandardFiles);
  }
  if (plan.workingDirectory != nullptr && ::chdir(plan.workingDirectory) != 0) {
    failChild(plan, Step::Directory);
  }
  // No descriptor of the caller reaches the program; the report pipe goes at
  // exec like the rest.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd < plan.maxFd; ++fd) {
      if (fd != plan.reportFd) ::close(fd);
    }
  }
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig)
    ::sigaction(sig, &defaultAction, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(plan.program, plan.argv, plan.envp);
  failChild(plan, Step::Exec);
}

// The intermediate child: starts the program in a session of its own, reports
// its pid and leaves, so that the system adopts the program.
[[noreturn]] void runStarter(const ChildPlan& plan) {
  ::setsid();
  pid_t pid = ::_Fork();
  if (pid == 0) runProgram(plan);
  if (pid < 0) {
    report(plan.reportFd, Report::Failed, static_cast<std::int32_t>(Step::Fork), errno);
    _exit(1);
  }
  report(plan.reportFd, Report::Started, pid, 0);
  _exit(0);
}

const char* stepName(Step step) {
  switch (step) {
    case Step::Fork:
      return "fork";
    case Step::Directory:
      return "change to the working directory";
    case Step::StandardFiles:
      return "set up standard input and output";
    case Step::Exec:
      return "run the program";
  }
  return "start";
}

StartResult failure(int error, std::string what) {
  StartResult result;
  result.error = error;
  result.reason =
      std::move(what) + ": " + std::error_code(error, std::generic_category()).message();
  return result;
}

// A descriptor at 3 or above, so that setting up 0..2 in the child cannot
// overwrite it; closes `fd` when it had to be moved.
int aboveStandardFiles(int fd) {
  if (fd < 0 || fd > 2) return fd;
  int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  ::close(fd);
  return moved;
}

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

void waitForStarter(pid_t starter) {
  int status = 0;
  while (::waitpid(starter, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

StartResult startDetached(const std::filesystem::path& program, const StartOptions& options) {
  if (program.empty()) return failure(EINVAL, "no program to start");
  std::string programPath = program.string();
  std::string directory = options.workingDirectory.string();
  std::vector<std::string> words;
  words.reserve(options.arguments.size() + 1);
  words.push_back(programPath);
  words.insert(words.end(), options.arguments.begin(), options.arguments.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  Descriptor nullFd(aboveStandardFiles(::open("/dev/null", O_RDWR | O_CLOEXEC)));
  if (nullFd.get() < 0) return failure(errno, "open /dev/null");
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failure(errno, "create the report pipe");
  Descriptor readEnd(aboveStandardFiles(pipeFds[0]));
  Descriptor writeEnd(aboveStandardFiles(pipeFds[1]));
  if (readEnd.get() < 0 || writeEnd.get() < 0) return failure(errno, "create the report pipe");

  long openMax = ::sysconf(_SC_OPEN_MAX);
  ChildPlan plan{programPath.c_str(),
                 argv.data(),
                 environ,
                 directory.empty() ? nullptr : directory.c_str(),
                 nullFd.get(),
                 writeEnd.get(),
                 openMax > 0 && openMax < 65536 ? static_cast<int>(openMax) : 65536};

  // With every signal blocked, no handler of the caller runs in the children
  // before they reset the dispositions.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  pid_t starter = ::fork();
  if (starter == 0) runStarter(plan);
  int forkError = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  writeEnd.reset();
  nullFd.reset();
  if (starter < 0) return failure(forkError, "fork");
  waitForStarter(starter);

  // The pipe reaches end of file once the program has been exec'd (the write
  // end is close-on-exec) or has failed and exited.
  StartResult result;
  ReportRecord record{};
  size_t have = 0;
  bool failed = false;
  for (;;) {
    ssize_t n =
        ::read(readEnd.get(), reinterpret_cast<char*>(&record) + have, sizeof record - have);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    have += static_cast<size_t>(n);
    if (have < sizeof record) continue;
    have = 0;
    if (record.kind == Report::Started && !failed) {
      result.pid = record.value;
    } else if (record.kind == Report::Failed) {
      failed = true;
      result =
          failure(record.error, std::string("cannot ") + stepName(static_cast<Step>(record.value)) +
                                    " " + programPath);
    }
  }
  if (!failed && result.pid <= 0)
    return failure(ECHILD, "the starter ended before starting " + programPath);
  return result;
}

std::string programFileName(std::string_view name) {
  constexpr std::string_view kExe = ".exe";
  if (name.size() <= kExe.size()) return std::string(name);
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (std::string_view(lower).substr(lower.size() - kExe.size()) != kExe) return std::string(name);
  lower.resize(lower.size() - kExe.size());
  return lower;
}

StartResult startBeside(const void* addressInCaller, std::string_view name,
                        const StartOptions& options) {
  if (name.empty() || name.find_first_of("/\\") != std::string_view::npos || name == "." ||
      name == "..") {
    return failure(EINVAL, "not a plain program name: \"" + std::string(name) + "\"");
  }
  std::filesystem::path directory = modules::moduleDirectory(addressInCaller);
  if (directory.empty()) return failure(ENOENT, "cannot find the caller's directory");
  return startDetached(directory / programFileName(name), options);
}

}  // namespace zel::process
