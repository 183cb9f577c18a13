#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;
using testing::test_object_name;

WaitStatus status_in_other_thread(Handle h, uint32_t timeout_ms) {
  WaitStatus status{};
  std::thread([&] {
    WaitResult r = wait_one(h, timeout_ms);
    status = r.status;
    if (r.status == WaitStatus::kSignalled || r.status == WaitStatus::kAbandoned) release_mutex(h);
  }).join();
  return status;
}

TEST(MutexTest, RecursionCountsEveryAcquisition) {
  ScopedHandle mutex(create_mutex(true));
  ASSERT_EQ(wait_one(mutex, 0).status, WaitStatus::kSignalled);
  ASSERT_EQ(wait_one(mutex, 0).status, WaitStatus::kSignalled);
  for (int level = 3; level > 0; --level) {
    EXPECT_EQ(status_in_other_thread(mutex, 0), WaitStatus::kTimeout) << "levels left " << level;
    ASSERT_TRUE(release_mutex(mutex));
  }
  EXPECT_FALSE(release_mutex(mutex));
  EXPECT_EQ(last_error(), Error::kNotOwner);
  EXPECT_EQ(status_in_other_thread(mutex, 0), WaitStatus::kSignalled);
}

TEST(MutexTest, OnlyTheOwnerReleases) {
  ScopedHandle mutex(create_mutex(true));
  bool released = true;
  Error error{};
  std::thread([&] {
    released = release_mutex(mutex);
    error = last_error();
  }).join();
  EXPECT_FALSE(released);
  EXPECT_EQ(error, Error::kNotOwner);
  EXPECT_EQ(status_in_other_thread(mutex, 0), WaitStatus::kTimeout);  // still ours
  EXPECT_TRUE(release_mutex(mutex));
}

TEST(MutexTest, InitialOwnershipOnlyForANewMutex) {
  std::string name = test_object_name("m");
  ScopedHandle first(create_mutex(false, name));
  bool existed = false;
  ScopedHandle second(create_mutex(true, name, &existed));
  EXPECT_TRUE(existed);
  EXPECT_FALSE(release_mutex(second));  // the caller did not become the owner
  EXPECT_EQ(status_in_other_thread(first, 0), WaitStatus::kSignalled);
}

TEST(MutexTest, ThreadEndingWithTheMutexAbandonsItToAWaiter) {
  ScopedHandle mutex(create_mutex(false));
  ScopedHandle acquired(create_event(EventReset::kManual, false));
  ScopedHandle go(create_event(EventReset::kManual, false));
  std::thread owner([&] {
    wait_one(mutex, 0);
    set_event(acquired);
    wait_one(go, 60000);
    // Ends without releasing.
  });
  ASSERT_EQ(wait_one(acquired, 60000).status, WaitStatus::kSignalled);
  WaitResult result{};
  std::thread waiter([&] {
    result = wait_one(mutex, 60000);
    release_mutex(mutex);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let the waiter start waiting
  set_event(go);
  owner.join();
  waiter.join();
  EXPECT_EQ(result.status, WaitStatus::kAbandoned);
  // Reported once: the next acquisition is ordinary.
  EXPECT_EQ(status_in_other_thread(mutex, 0), WaitStatus::kSignalled);
}

TEST(MutexTest, AbandonedMutexFoundLaterIsReportedOnce) {
  ScopedHandle mutex(create_mutex(false));
  std::thread([&] { wait_one(mutex, 0); }).join();
  WaitResult first = wait_one(mutex, 0);
  EXPECT_EQ(first.status, WaitStatus::kAbandoned);
  EXPECT_EQ(first.index, 0u);
  ASSERT_TRUE(release_mutex(mutex));
  EXPECT_EQ(wait_one(mutex, 0).status, WaitStatus::kSignalled);
  ASSERT_TRUE(release_mutex(mutex));
}

}  // namespace
}  // namespace zel::kernel
