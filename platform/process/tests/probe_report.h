// Helpers of the process tests: a FIFO that the probe program writes its
// report to, and waiting for a process that is not a child.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zel::process::testing_support {

// The probe program built beside the test.
std::filesystem::path probeProgram();

// A fresh temporary directory, removed by the destructor.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A FIFO for one report, opened for reading before the probe starts.
class ReportPipe {
 public:
  explicit ReportPipe(const std::filesystem::path& directory);
  ~ReportPipe();
  ReportPipe(const ReportPipe&) = delete;
  ReportPipe& operator=(const ReportPipe&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Reads until the writer closes; an empty text after the time-out.
  std::string read(int timeoutMs = 60000);

 private:
  std::filesystem::path path_;
  int fd_ = -1;
};

struct ProbeReport {
  std::map<std::string, std::string> fields;  // single-valued keys
  std::vector<std::string> arguments;
  std::map<int, std::string> descriptors;  // fd -> target
};
ProbeReport parseReport(const std::string& text);

// Sends SIGTERM to `pid` and waits (through a pidfd) until it has ended.
bool terminateAndWait(pid_t pid, int timeoutMs = 60000);
// Waits until `pid` has ended, whoever's child it is.
bool waitUntilGone(pid_t pid, int timeoutMs = 60000);

// True when this process has no child at all, ended or running.
bool hasNoChildren();

}  // namespace zel::process::testing_support
