// Starting kernel_test_child (found beside the test program) and following
// the lines it prints.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zel::kernel::testing {

class ChildProcess {
 public:
  // Starts the child with a script (see test_child.cpp). `namespace_name`,
  // when not empty, replaces ZEL_NAMESPACE in its environment.
  explicit ChildProcess(const std::vector<std::string>& script,
                        const std::string& namespace_name = {});
  ~ChildProcess();  // kills the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // The next line the child printed, or nothing after `timeout_ms`.
  std::optional<std::string> next_line(int timeout_ms = 30000);
  // True when the child printed nothing within `timeout_ms`.
  bool silent_for(int timeout_ms);
  void kill_now();
  // Waits for the child to end and returns its wait status.
  int join();

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string buffer_;
  bool joined_ = false;
};

// The namespace this test process runs in (ZEL_NAMESPACE or "default").
std::string own_namespace();

}  // namespace zel::kernel::testing
