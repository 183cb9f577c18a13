#include <dirent.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
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

// The object files in the namespace directory (none when it does not exist).
std::vector<std::string> object_files() {
  std::vector<std::string> files;
  DIR* dir = opendir(namespace_directory().c_str());
  if (dir == nullptr) return files;
  while (dirent* entry = readdir(dir)) {  // NOLINT(concurrency-mt-unsafe): own DIR stream
    std::string name = entry->d_name;
    if (name != "." && name != ".." && name != "lock") files.push_back(name);
  }
  closedir(dir);
  return files;
}

using NoLeftovers = CrossProcessTest;

TEST_F(NoLeftovers, ObjectsOfAKilledProcessVanish) {
  std::string event_name = test_object_name("event");
  ChildProcess child({"event",
                      "0",
                      "manual",
                      "1",
                      event_name,  //
                      "mutex",
                      "1",
                      "1",
                      test_object_name("mutex"),  //
                      "semaphore",
                      "2",
                      "1",
                      "1",
                      test_object_name("semaphore"),
                      "section",
                      "3",
                      "1048576",
                      test_object_name("section"),
                      "event",
                      "4",
                      "auto",
                      "0",
                      "-",  //
                      "hang"});
  expect_ok_lines(child, 5);
  ASSERT_EQ(line_of(child), "hanging");
  EXPECT_GE(object_files().size(), 9u);  // five id files and four names
  child.kill_now();
  child.join();

  // The name is free again: creating it makes a fresh object.
  bool existed = true;
  ScopedHandle event(create_event(EventReset::kAuto, false, event_name, &existed));
  ASSERT_NE(event.get(), kNullHandle);
  EXPECT_FALSE(existed);
  EXPECT_EQ(wait_one(event, 0).status, WaitStatus::kTimeout);
  EXPECT_EQ(open_mutex(test_object_name("mutex")), kNullHandle);

  EXPECT_GE(sweep_stale_objects(), 1);
  EXPECT_EQ(object_files().size(), 2u);  // only our event: its id file and its name
}

TEST_F(NoLeftovers, ObjectsOfAProcessThatExitsVanishWithIt) {
  ChildProcess child({"event", "0", "manual", "1", test_object_name("event"),  //
                      "section", "1", "4096", "-", "exit", "0"});
  expect_ok_lines(child, 2);
  child.join();
  EXPECT_TRUE(object_files().empty());
  EXPECT_FALSE(testing::file_exists(namespace_directory()));
}

TEST_F(NoLeftovers, AnObjectStaysWhileAnyProcessHoldsIt) {
  std::string name = test_object_name("event");
  ChildProcess child({"event", "0", "manual", "1", name, "say", "ready", "hang"});
  expect_ok_lines(child, 1);
  ASSERT_EQ(line_of(child), "ready");
  {
    ScopedHandle mine(open_event(name));
    ASSERT_NE(mine.get(), kNullHandle);
    child.kill_now();
    child.join();
    EXPECT_EQ(sweep_stale_objects(), 0);
    ScopedHandle again(open_event(name));
    EXPECT_EQ(again.get(), mine.get());
    EXPECT_EQ(wait_one(again, 0).status, WaitStatus::kSignalled);
  }
  EXPECT_EQ(open_event(name), kNullHandle);
  EXPECT_TRUE(object_files().empty());
}

}  // namespace
}  // namespace zel::kernel
