#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/tests/child_process.h"
#include "platform/kernel/tests/process_test_support.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ChildProcess;
using testing::CrossProcessTest;
using testing::line_of;
using testing::ScopedHandle;
using testing::test_object_name;

using AbandonedMutex = CrossProcessTest;

// After an abandoned acquisition the mutex works normally: released, the
// next wait gets it without the abandoned report.
void expect_reported_once(Handle mutex) {
  ASSERT_TRUE(release_mutex(mutex));
  EXPECT_EQ(wait_one(mutex, 0).status, WaitStatus::kSignalled);
  EXPECT_TRUE(release_mutex(mutex));
}

TEST_F(AbandonedMutex, KillingTheOwnerWhileAnotherWaitsHandsItOverAbandoned) {
  std::string name = test_object_name("m");
  ChildProcess owner({"mutex", "0", "1", name, "hang"});
  ASSERT_EQ(line_of(owner), "ok");
  ASSERT_EQ(line_of(owner), "hanging");
  ScopedHandle mutex(open_mutex(name));
  ASSERT_NE(mutex.get(), kNullHandle);
  EXPECT_EQ(wait_one(mutex, 0).status, WaitStatus::kTimeout);
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    owner.kill_now();
  });
  auto start = std::chrono::steady_clock::now();
  WaitResult r = wait_one(mutex, 120000);
  auto waited = std::chrono::steady_clock::now() - start;
  killer.join();
  EXPECT_EQ(r.status, WaitStatus::kAbandoned);
  EXPECT_EQ(r.index, 0u);
  EXPECT_LT(waited, std::chrono::seconds(60)) << "the wait ran into its time-out";
  expect_reported_once(mutex);
}

TEST_F(AbandonedMutex, AnOwnerKilledBeforeTheWaitIsFoundAtOnce) {
  std::string name = test_object_name("m");
  ChildProcess owner({"mutex", "0", "1", name, "hang"});
  ASSERT_EQ(line_of(owner), "ok");
  ASSERT_EQ(line_of(owner), "hanging");
  ScopedHandle mutex(open_mutex(name));
  owner.kill_now();
  owner.join();
  ScopedHandle other(create_event(EventReset::kAuto, false));
  Handle both[] = {other, mutex};
  WaitResult r = wait_any(both, 0);
  EXPECT_EQ(r.status, WaitStatus::kAbandoned);
  EXPECT_EQ(r.index, 1u);
  expect_reported_once(mutex);
}

TEST_F(AbandonedMutex, AThreadOfAnotherProcessEndingWithItAbandonsIt) {
  std::string name = test_object_name("m");
  std::string held = test_object_name("held");
  ScopedHandle mutex(create_mutex(false, name));
  ScopedHandle held_event(create_event(EventReset::kManual, false, held));
  // The child's thread takes the mutex, says so, keeps it 200 ms and ends;
  // the child process itself lives on.
  ChildProcess child({"open-mutex", "0", name, "open-event", "1", held, "thread-abandon", "0", "1",
                      "200", "hang"});
  ASSERT_EQ(line_of(child), "ok");
  ASSERT_EQ(line_of(child), "ok");
  ASSERT_EQ(wait_one(held_event, 60000).status, WaitStatus::kSignalled);
  WaitResult r = wait_one(mutex, 120000);
  EXPECT_EQ(r.status, WaitStatus::kAbandoned);
  EXPECT_EQ(line_of(child), "signalled 0");
  EXPECT_EQ(line_of(child), "hanging");
  expect_reported_once(mutex);
}

TEST_F(AbandonedMutex, AThreadHereEndingWithItAbandonsItToAnotherProcess) {
  std::string name = test_object_name("m");
  ScopedHandle mutex(create_mutex(false, name));
  ScopedHandle go(create_event(EventReset::kManual, false));
  ScopedHandle taken(create_event(EventReset::kManual, false));
  std::thread owner([&] {
    wait_one(mutex, 0);
    set_event(taken);
    wait_one(go, 60000);
  });
  ASSERT_EQ(wait_one(taken, 60000).status, WaitStatus::kSignalled);
  ChildProcess child(
      {"open-mutex", "0", name, "wait", "0", "0", "wait", "0", "120000", "release", "0"});
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(line_of(child), "timeout");
  set_event(go);
  owner.join();
  EXPECT_EQ(line_of(child), "abandoned 0");
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(wait_one(mutex, 0).status, WaitStatus::kSignalled);  // reported once
  release_mutex(mutex);
}

}  // namespace
}  // namespace zel::kernel
