#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/tests/child_process.h"
#include "platform/kernel/tests/process_test_support.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/thread.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ChildProcess;
using testing::CrossProcessTest;
using testing::expect_ok_lines;
using testing::line_of;
using testing::ScopedHandle;
using testing::test_object_name;

// The child creates an unnamed object in slot 1, stores its handle value at
// offset 0 of a named section, runs `child_setup`, says "ready" and then runs
// `child_after`. The parent duplicates the value from the child and checks
// the duplicate with `check`.
struct DuplicateCase {
  const char* label;
  ObjectType type;
  std::vector<std::string> create;       // the child's command creating slot 1
  std::vector<std::string> child_after;  // what the child does once the parent has it
  std::function<void(Handle duplicate, ChildProcess& child)> check;
};

void PrintTo(const DuplicateCase& c, std::ostream* os) {
  *os << c.label;
}

class DuplicateFromAnotherProcess : public CrossProcessTest,
                                    public ::testing::WithParamInterface<DuplicateCase> {};

TEST_P(DuplicateFromAnotherProcess, WorksOnTheSameObject) {
  const DuplicateCase& c = GetParam();
  std::string area = test_object_name("area");
  ScopedHandle section(create_section(64, area));
  std::vector<std::string> script{"open-section", "0", area};
  for (const std::string& word : c.create) {
    script.push_back(word == "SELF" ? std::to_string(current_process_id()) : word);
  }
  script.insert(script.end(), {"store-handle", "0", "0", "1", "say", "ready"});
  script.insert(script.end(), c.child_after.begin(), c.child_after.end());
  ChildProcess child(script);
  expect_ok_lines(child, 3);
  ASSERT_EQ(line_of(child), "ready");
  auto* words = static_cast<uint32_t*>(map_view(section));
  ASSERT_NE(words, nullptr);
  Handle value = words[0];
  unmap_view(words);
  ASSERT_NE(value, kNullHandle);
  ScopedHandle duplicate(duplicate_handle(static_cast<uint32_t>(child.pid()), value));
  ASSERT_NE(duplicate.get(), kNullHandle) << last_error_text();
  EXPECT_EQ(object_type(duplicate), c.type);
  c.check(duplicate, child);
}

const DuplicateCase kCases[] = {
    {"section",
     ObjectType::kSection,
     {"section", "1", "4096", "-"},
     {"write", "1", "8", "48879", "hang"},
     [](Handle dup, ChildProcess& child) {
       EXPECT_EQ(line_of(child), "ok");
       auto* words = static_cast<uint32_t*>(map_view(dup));
       ASSERT_NE(words, nullptr);
       EXPECT_EQ(section_size(dup), 4096u);
       EXPECT_EQ(words[2], 48879u);
       unmap_view(words);
     }},
    {"auto_event",
     ObjectType::kEvent,
     {"event", "1", "auto", "0", "-"},
     {"wait", "1", "120000"},
     [](Handle dup, ChildProcess& child) {
       EXPECT_TRUE(testing::wait_for_waiters(dup, 1));
       EXPECT_TRUE(set_event(dup));
       EXPECT_EQ(line_of(child), "signalled 0");
       EXPECT_EQ(wait_one(dup, 0).status, WaitStatus::kTimeout);  // the child consumed it
     }},
    {"manual_event",
     ObjectType::kEvent,
     {"event", "1", "manual", "1", "-"},
     {"reset", "1", "hang"},
     [](Handle dup, ChildProcess& child) {
       EXPECT_EQ(line_of(child), "ok");
       EXPECT_EQ(wait_one(dup, 0).status, WaitStatus::kTimeout);
     }},
    {"mutex",
     ObjectType::kMutex,
     {"mutex", "1", "0", "-"},
     {"wait", "1", "120000", "hang"},
     [](Handle dup, ChildProcess& child) {
       EXPECT_EQ(line_of(child), "signalled 0");
       EXPECT_EQ(wait_one(dup, 0).status, WaitStatus::kTimeout);  // the child owns it
       child.kill_now();
       EXPECT_EQ(wait_one(dup, 120000).status, WaitStatus::kAbandoned);
       EXPECT_TRUE(release_mutex(dup));
     }},
    {"semaphore",
     ObjectType::kSemaphore,
     {"semaphore", "1", "0", "5", "-"},
     {"wait", "1", "120000"},
     [](Handle dup, ChildProcess& child) {
       int32_t previous = -1;
       EXPECT_TRUE(release_semaphore(dup, 2, &previous));
       EXPECT_EQ(previous, 0);
       EXPECT_EQ(line_of(child), "signalled 0");
       EXPECT_EQ(wait_one(dup, 0).status, WaitStatus::kSignalled);  // one unit left
       EXPECT_EQ(wait_one(dup, 0).status, WaitStatus::kTimeout);
     }},
    {"process",
     ObjectType::kProcess,
     {"process", "1", "SELF"},
     {"hang"},
     [](Handle dup, ChildProcess& child) {
       EXPECT_EQ(line_of(child), "hanging");
       EXPECT_EQ(process_id(dup), current_process_id());
       EXPECT_TRUE(process_running(dup));
       // The duplicate outlives the process that gave it.
       child.kill_now();
       child.join();
       EXPECT_TRUE(process_running(dup));
     }},
    {"thread",
     ObjectType::kThread,
     {"thread", "1"},
     {"hang"},
     [](Handle dup, ChildProcess& child) {
       EXPECT_EQ(line_of(child), "hanging");
       EXPECT_TRUE(thread_running(dup));
       EXPECT_EQ(wait_one(dup, 0).status, WaitStatus::kTimeout);
       child.kill_now();
       EXPECT_EQ(wait_one(dup, 120000).status, WaitStatus::kSignalled);
       EXPECT_FALSE(thread_running(dup));
     }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, DuplicateFromAnotherProcess, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DuplicateCase>& p) {
                           return std::string(p.param.label);
                         });

using Duplication = CrossProcessTest;

TEST_F(Duplication, FailsForAnEndedSourceOrAnUnknownValue) {
  ChildProcess child({"event", "1", "auto", "0", "-", "say", "ready", "hang"});
  ASSERT_EQ(line_of(child), "ok");
  ASSERT_EQ(line_of(child), "ready");
  auto pid = static_cast<uint32_t>(child.pid());
  ScopedHandle mine(create_event(EventReset::kAuto, false));
  Handle unknown = mine.get() + 0x10000;
  EXPECT_EQ(duplicate_handle(pid, unknown), kNullHandle);
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
  child.kill_now();
  child.join();
  EXPECT_EQ(duplicate_handle(pid, mine), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNotFound);
}

}  // namespace
}  // namespace zel::kernel
