// Small helpers shared by the kernel-object tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "platform/kernel/diagnostics.h"
#include "platform/kernel/handle.h"

namespace zel::kernel::testing {

// A name unique to the running test, so that tests sharing a namespace never
// meet each other's objects.
inline std::string test_object_name(std::string_view what) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name() + "\\" + std::string(what);
}

// Closes a handle at the end of a scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(Handle handle = kNullHandle) : handle_(handle) {}
  ~ScopedHandle() {
    if (handle_ != kNullHandle) close_handle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  Handle get() const { return handle_; }
  operator Handle() const { return handle_; }  // NOLINT(google-explicit-constructor)
  Handle release() {
    Handle h = handle_;
    handle_ = kNullHandle;
    return h;
  }

 private:
  Handle handle_;
};

// Waits (generously) until `n` threads wait on an event.
inline bool wait_for_waiters(Handle event, int32_t n, int timeout_ms = 30000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (event_waiter_count(event) != n) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

inline bool file_exists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

}  // namespace zel::kernel::testing
