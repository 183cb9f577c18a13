#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/tests/child_process.h"
#include "platform/kernel/tests/process_test_support.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ChildProcess;
using testing::CrossProcessTest;
using testing::expect_ok_lines;
using testing::line_of;
using testing::ScopedHandle;
using testing::test_object_name;
using testing::wait_for_waiters;

using EventAcrossProcesses = CrossProcessTest;

TEST_F(EventAcrossProcesses, SetWakesAWaiterInAnotherProcessAndBack) {
  std::string ping = test_object_name("ping");
  std::string pong = test_object_name("pong");
  ScopedHandle ping_event(create_event(EventReset::kAuto, false, ping));
  ScopedHandle pong_event(create_event(EventReset::kAuto, false, pong));
  ChildProcess child(
      {"open-event", "0", ping, "open-event", "1", pong, "wait", "0", "60000", "set", "1"});
  expect_ok_lines(child, 2);
  ASSERT_TRUE(wait_for_waiters(ping_event, 1));
  ASSERT_TRUE(set_event(ping_event));
  EXPECT_EQ(line_of(child), "signalled 0");
  EXPECT_EQ(wait_one(pong_event, 60000).status, WaitStatus::kSignalled);
  EXPECT_EQ(line_of(child), "ok");
}

using SectionAcrossProcesses = CrossProcessTest;

TEST_F(SectionAcrossProcesses, BothSeeTheSameBytes) {
  std::string name = test_object_name("area");
  ScopedHandle section(create_section(65536, name));
  auto* words = static_cast<uint32_t*>(map_view(section));
  ASSERT_NE(words, nullptr);
  words[1000] = 1234567;
  ChildProcess child(
      {"open-section", "0", name, "read", "0", "4000", "write", "0", "65532", "7654321"});
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(line_of(child), "value 1234567");
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(words[65532 / 4], 7654321u);
  unmap_view(words);
}

using SemaphoreAcrossProcesses = CrossProcessTest;

TEST_F(SemaphoreAcrossProcesses, ReleasePastTheMaximumFailsAndChangesNothing) {
  std::string name = test_object_name("sem");
  ScopedHandle semaphore(create_semaphore(1, 2, name));
  ChildProcess child(
      {"open-semaphore", "0", name, "release-semaphore", "0", "2", "release-semaphore", "0", "1"});
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(line_of(child), std::string("error ") + error_text(Error::kTooManyPosts));
  EXPECT_EQ(line_of(child), "previous 1");
  EXPECT_EQ(wait_one(semaphore, 0).status, WaitStatus::kSignalled);
  EXPECT_EQ(wait_one(semaphore, 0).status, WaitStatus::kSignalled);
  EXPECT_EQ(wait_one(semaphore, 0).status, WaitStatus::kTimeout);
}

using MutexAcrossProcesses = CrossProcessTest;

TEST_F(MutexAcrossProcesses, AnotherProcessCannotReleaseOrTakeIt) {
  std::string name = test_object_name("m");
  ScopedHandle mutex(create_mutex(true, name));
  ChildProcess child({"open-mutex", "0", name, "release", "0", "wait", "0", "0"});
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(line_of(child), std::string("error ") + error_text(Error::kNotOwner));
  EXPECT_EQ(line_of(child), "timeout");
  EXPECT_TRUE(release_mutex(mutex));
}

TEST_F(MutexAcrossProcesses, ReleaseWakesAWaiterInAnotherProcess) {
  std::string name = test_object_name("m");
  ScopedHandle mutex(create_mutex(true, name));
  ChildProcess child({"open-mutex", "0", name, "wait", "0", "60000", "release", "0"});
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_TRUE(child.silent_for(100));
  EXPECT_TRUE(release_mutex(mutex));
  EXPECT_EQ(line_of(child), "signalled 0");
  EXPECT_EQ(line_of(child), "ok");
}

using Namespaces = CrossProcessTest;

TEST_F(Namespaces, TwoNamespacesDoNotSeeEachOther) {
  std::string name = test_object_name("shared");
  std::string other = testing::own_namespace() + "-other";
  ChildProcess owner({"event", "0", "manual", "1", name, "say", "ready", "hang"}, other);
  EXPECT_EQ(line_of(owner), "ok");
  EXPECT_EQ(line_of(owner), "ready");
  EXPECT_EQ(open_event(name), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNotFound);
  bool existed = true;
  ScopedHandle mine(create_event(EventReset::kManual, false, name, &existed));
  EXPECT_FALSE(existed);
  // A second process in the other namespace sees the owner's signalled event.
  ChildProcess visitor({"open-event", "0", name, "wait", "0", "0"}, other);
  EXPECT_EQ(line_of(visitor), "ok");
  EXPECT_EQ(line_of(visitor), "signalled 0");
  EXPECT_EQ(wait_one(mine, 0).status, WaitStatus::kTimeout);
  // The other namespace is cleaned up by the next process that uses it.
  owner.kill_now();
  owner.join();
  ChildProcess cleaner({"open-event", "0", name}, other);
  EXPECT_EQ(line_of(cleaner), std::string("error ") + error_text(Error::kNotFound));
  cleaner.join();
  std::string other_dir = namespace_directory();
  other_dir = other_dir.substr(0, other_dir.rfind('-') + 1) + other;
  EXPECT_FALSE(testing::file_exists(other_dir)) << other_dir;
}

using ProcessObjects = CrossProcessTest;

TEST_F(ProcessObjects, KillingAWatchedProcessEndsTheWaitEarly) {
  ChildProcess child({"say", "ready", "hang"});
  ASSERT_EQ(line_of(child), "ready");
  ScopedHandle process(open_process(static_cast<uint32_t>(child.pid())));
  ASSERT_NE(process.get(), kNullHandle) << last_error_text();
  EXPECT_TRUE(process_running(process));
  EXPECT_EQ(process_id(process), static_cast<uint32_t>(child.pid()));
  EXPECT_EQ(wait_one(process, 0).status, WaitStatus::kTimeout);
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    child.kill_now();
  });
  auto start = std::chrono::steady_clock::now();
  WaitResult r = wait_one(process, 120000);
  auto waited = std::chrono::steady_clock::now() - start;
  killer.join();
  EXPECT_EQ(r.status, WaitStatus::kSignalled);
  EXPECT_LT(waited, std::chrono::seconds(60)) << "the wait ran into its time-out";
  EXPECT_FALSE(process_running(process));
  EXPECT_EQ(wait_one(process, 0).status, WaitStatus::kSignalled);  // stays signalled
  child.join();
  EXPECT_FALSE(process_running(process));
}

TEST_F(ProcessObjects, AChildWaitsOnItsParentWithoutSeeingItEnd) {
  ChildProcess child({"process", "0", std::to_string(current_process_id()), "wait", "0", "0"});
  EXPECT_EQ(line_of(child), "ok");
  EXPECT_EQ(line_of(child), "timeout");
}

TEST_F(ProcessObjects, AnEndedProcessCannotBeOpened) {
  pid_t pid;
  {
    ChildProcess child({"exit", "0"});
    pid = child.pid();
    child.join();
  }
  EXPECT_EQ(open_process(static_cast<uint32_t>(pid)), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNotFound);
  EXPECT_EQ(open_process(0), kNullHandle);
}

}  // namespace
}  // namespace zel::kernel
