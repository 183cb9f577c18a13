#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;

class AutoEvents {
 public:
  explicit AutoEvents(int n) {
    for (int i = 0; i < n; ++i)
      handles_.push_back(create_event(EventReset::kAuto, false));
  }
  ~AutoEvents() {
    for (Handle h : handles_)
      close_handle(h);
  }
  AutoEvents(const AutoEvents&) = delete;
  AutoEvents& operator=(const AutoEvents&) = delete;
  const std::vector<Handle>& handles() const { return handles_; }
  Handle operator[](size_t i) const { return handles_[i]; }

 private:
  std::vector<Handle> handles_;
};

TEST(WaitTest, LowestSignalledIndexWinsAndOnlyItIsConsumed) {
  AutoEvents events(4);
  set_event(events[3]);
  set_event(events[1]);
  WaitResult r = wait_any(events.handles(), 0);
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_EQ(r.index, 1u);
  r = wait_any(events.handles(), 0);
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_EQ(r.index, 3u);
  EXPECT_EQ(wait_any(events.handles(), 0).status, WaitStatus::kTimeout);
}

TEST(WaitTest, MixedKindsReportTheReadyOne) {
  ScopedHandle busy_mutex(create_mutex(false));
  ScopedHandle empty_semaphore(create_semaphore(0, 1));
  ScopedHandle full_semaphore(create_semaphore(1, 1));
  ScopedHandle own_process(open_process(current_process_id()));
  ScopedHandle go(create_event(EventReset::kManual, false));
  std::thread owner([&] {
    wait_one(busy_mutex, 0);
    wait_one(go, 60000);
    release_mutex(busy_mutex);
  });
  while (event_waiter_count(go) != 1)
    std::this_thread::yield();
  Handle all[] = {busy_mutex, empty_semaphore, own_process, full_semaphore};
  WaitResult r = wait_any(all, 0);
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_EQ(r.index, 3u);
  EXPECT_EQ(wait_any(all, 0).status, WaitStatus::kTimeout);
  set_event(go);
  owner.join();
  r = wait_any(all, 60000);
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_EQ(r.index, 0u);
  release_mutex(busy_mutex);
}

TEST(WaitTest, SixtyFourObjectsAndASetFromAnotherThread) {
  AutoEvents events(64);
  std::thread setter([&] {
    while (event_waiter_count(events[63]) != 1)
      std::this_thread::yield();
    set_event(events[63]);
  });
  WaitResult r = wait_any(events.handles(), 60000);
  setter.join();
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_EQ(r.index, 63u);
}

TEST(WaitTest, TimeOutZeroOnlyLooksAndLongerTimeOutsElapse) {
  ScopedHandle event(create_event(EventReset::kManual, false));
  EXPECT_EQ(wait_one(event, 0).status, WaitStatus::kTimeout);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(wait_one(event, 120).status, WaitStatus::kTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
}

TEST(WaitTest, TheSameHandleTwice) {
  ScopedHandle event(create_event(EventReset::kAuto, true));
  Handle twice[] = {event, event};
  WaitResult r = wait_any(twice, 0);
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_EQ(r.index, 0u);
  EXPECT_EQ(wait_any(twice, 0).status, WaitStatus::kTimeout);
}

TEST(WaitTest, BadArgumentsFail) {
  AutoEvents events(65);
  EXPECT_EQ(wait_any(events.handles(), 0).status, WaitStatus::kFailed);
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
  EXPECT_EQ(wait_any(std::span<const Handle>(), 0).status, WaitStatus::kFailed);
  EXPECT_EQ(wait_one(kNullHandle, 0).status, WaitStatus::kFailed);
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
  ScopedHandle section(create_section(16));
  Handle with_section[] = {events[0], section};
  EXPECT_EQ(wait_any(with_section, 0).status, WaitStatus::kFailed);
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
}

}  // namespace
}  // namespace zel::kernel
