#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/handle.h"
#include "platform/kernel/process.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/thread.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;

TEST(ThreadTest, AThreadObjectIsSignalledWhenTheThreadEnds) {
  ScopedHandle go(create_event(EventReset::kManual, false));
  std::atomic<uint32_t> tid{0};
  std::thread worker([&] {
    tid = current_thread_id();
    wait_one(go, 60000);
  });
  while (tid.load() == 0)
    std::this_thread::yield();
  ScopedHandle thread(open_thread(current_process_id(), tid.load()));
  ASSERT_NE(thread.get(), kNullHandle) << last_error_text();
  EXPECT_EQ(object_type(thread), ObjectType::kThread);
  EXPECT_TRUE(thread_running(thread));
  EXPECT_EQ(wait_one(thread, 0).status, WaitStatus::kTimeout);
  set_event(go);
  EXPECT_EQ(wait_one(thread, 60000).status, WaitStatus::kSignalled);
  worker.join();
  EXPECT_FALSE(thread_running(thread));
}

TEST(ThreadTest, TheCurrentThreadRuns) {
  ScopedHandle self(open_current_thread());
  ASSERT_NE(self.get(), kNullHandle);
  EXPECT_TRUE(thread_running(self));
  EXPECT_EQ(wait_one(self, 0).status, WaitStatus::kTimeout);
  ScopedHandle again(open_thread(current_process_id(), current_thread_id()));
  EXPECT_EQ(again.get(), self.get());
}

TEST(ThreadTest, UnknownThreadsAndOtherHandlesFail) {
  EXPECT_EQ(open_thread(current_process_id(), 0x7ffffff0), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNotFound);
  EXPECT_EQ(open_thread(0, current_thread_id()), kNullHandle);
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
  ScopedHandle process(open_process(current_process_id()));
  EXPECT_FALSE(thread_running(process));
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
}

}  // namespace
}  // namespace zel::kernel
