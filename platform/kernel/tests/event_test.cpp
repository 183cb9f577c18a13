#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;
using testing::wait_for_waiters;

WaitStatus poll_status(Handle h) {
  return wait_one(h, 0).status;
}

struct EventCase {
  EventReset reset;
  bool initially_signalled;
  // Results of two successive polls.
  WaitStatus first;
  WaitStatus second;
};

class EventStateTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventStateTest, PollsSeeTheInitialStateAndAutoResetConsumesIt) {
  const EventCase& c = GetParam();
  ScopedHandle event(create_event(c.reset, c.initially_signalled));
  ASSERT_NE(event.get(), kNullHandle);
  EXPECT_EQ(poll_status(event), c.first);
  EXPECT_EQ(poll_status(event), c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EventStateTest,
    ::testing::Values(
        EventCase{EventReset::kAuto, false, WaitStatus::kTimeout, WaitStatus::kTimeout},
        EventCase{EventReset::kAuto, true, WaitStatus::kSignalled, WaitStatus::kTimeout},
        EventCase{EventReset::kManual, false, WaitStatus::kTimeout, WaitStatus::kTimeout},
        EventCase{EventReset::kManual, true, WaitStatus::kSignalled, WaitStatus::kSignalled}));

TEST(EventTest, SetAndResetAManualEvent) {
  ScopedHandle event(create_event(EventReset::kManual, false));
  ASSERT_TRUE(set_event(event));
  EXPECT_EQ(poll_status(event), WaitStatus::kSignalled);
  EXPECT_EQ(poll_status(event), WaitStatus::kSignalled);
  ASSERT_TRUE(reset_event(event));
  EXPECT_EQ(poll_status(event), WaitStatus::kTimeout);
}

TEST(EventTest, SetWakesAWaitingThread) {
  ScopedHandle event(create_event(EventReset::kAuto, false));
  WaitResult result{};
  std::thread waiter([&] { result = wait_one(event, 60000); });
  ASSERT_TRUE(wait_for_waiters(event, 1));
  set_event(event);
  waiter.join();
  EXPECT_EQ(result.status, WaitStatus::kSignalled);
  EXPECT_EQ(poll_status(event), WaitStatus::kTimeout);  // consumed by the waiter
}

TEST(EventTest, PulseWithoutWaitersOnlyResets) {
  for (EventReset reset : {EventReset::kAuto, EventReset::kManual}) {
    ScopedHandle event(create_event(reset, true));
    ASSERT_TRUE(pulse_event(event));
    EXPECT_EQ(poll_status(event), WaitStatus::kTimeout);
  }
}

TEST(EventTest, OperationsOnOtherKindsFail) {
  ScopedHandle mutex(create_mutex(false));
  EXPECT_FALSE(set_event(mutex));
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
  EXPECT_FALSE(pulse_event(kNullHandle));
  EXPECT_FALSE(reset_event(0x12345678));
}

struct PulseCase {
  EventReset reset;
  int woken_per_pulse;
};

class ThreadPulseTest : public ::testing::TestWithParam<PulseCase> {};

// Pulses wake only threads already waiting: one per pulse for auto-reset, all
// for manual-reset; a thread that starts waiting afterwards sees nothing.
TEST_P(ThreadPulseTest, WakesOnlyThePresentWaiters) {
  constexpr int kWaiters = 4;
  ScopedHandle event(create_event(GetParam().reset, false));
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.emplace_back([&] {
      if (wait_one(event, 60000).status == WaitStatus::kSignalled) ++woken;
    });
  }
  ASSERT_TRUE(wait_for_waiters(event, kWaiters));
  int expected_woken = 0;
  while (expected_woken < kWaiters) {
    ASSERT_TRUE(pulse_event(event));
    expected_woken += GetParam().woken_per_pulse;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (woken.load() < expected_woken && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(woken.load(), expected_woken);
    EXPECT_EQ(event_waiter_count(event), kWaiters - expected_woken)
        << "a pulse woke the wrong number of waiters";
  }
  for (std::thread& t : waiters)
    t.join();
  EXPECT_EQ(woken.load(), kWaiters);
  EXPECT_EQ(wait_one(event, 50).status, WaitStatus::kTimeout);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ThreadPulseTest,
                         ::testing::Values(PulseCase{EventReset::kAuto, 1},
                                           PulseCase{EventReset::kManual, 4}));

TEST(EventTest, AutoPulseReleaseNotUsedPassesToAnotherPresentWaiter) {
  // A waiter released by a pulse that takes a lower-index object instead
  // hands the release on to another waiter present at the pulse.
  ScopedHandle event(create_event(EventReset::kAuto, false));
  ScopedHandle other(create_event(EventReset::kManual, false));
  WaitResult second{};
  std::thread first_waiter([&] {
    Handle both[] = {other, event};
    wait_any(both, 60000);
  });
  ASSERT_TRUE(wait_for_waiters(event, 1));
  std::thread second_waiter([&] { second = wait_one(event, 60000); });
  ASSERT_TRUE(wait_for_waiters(event, 2));
  // The pulse picks the first waiter (the older one); if it has already woken
  // for `other` it hands the release on, otherwise it was not waiting any
  // more and the pulse goes to the second directly. Either way the second
  // waiter is released.
  set_event(other);
  pulse_event(event);
  first_waiter.join();
  second_waiter.join();
  EXPECT_EQ(second.status, WaitStatus::kSignalled);
}

}  // namespace
}  // namespace zel::kernel
