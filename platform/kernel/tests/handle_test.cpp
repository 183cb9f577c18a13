#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

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

using testing::file_exists;
using testing::test_object_name;

TEST(HandleTest, EveryOpenAddsAReferenceThatOneCloseRemoves) {
  std::string name = test_object_name("e");
  Handle created = create_event(EventReset::kManual, true, name);
  Handle opened = open_event(name);
  Handle duplicate = duplicate_handle(current_process_id(), created);
  ASSERT_EQ(opened, created);
  ASSERT_EQ(duplicate, created);
  EXPECT_TRUE(close_handle(created));
  EXPECT_TRUE(close_handle(created));
  EXPECT_EQ(wait_one(created, 0).status, WaitStatus::kSignalled);  // one reference left
  EXPECT_TRUE(close_handle(created));
  EXPECT_FALSE(close_handle(created));
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
  EXPECT_EQ(open_event(name), kNullHandle);
}

TEST(HandleTest, ObjectTypes) {
  Handle section = create_section(8);
  Handle event = create_event(EventReset::kAuto, false);
  Handle mutex = create_mutex(false);
  Handle semaphore = create_semaphore(0, 1);
  Handle process = open_process(current_process_id());
  EXPECT_EQ(object_type(section), ObjectType::kSection);
  EXPECT_EQ(object_type(event), ObjectType::kEvent);
  EXPECT_EQ(object_type(mutex), ObjectType::kMutex);
  EXPECT_EQ(object_type(semaphore), ObjectType::kSemaphore);
  EXPECT_EQ(object_type(process), ObjectType::kProcess);
  EXPECT_EQ(object_type(kNullHandle), ObjectType::kNone);
  std::set<Handle> distinct{section, event, mutex, semaphore, process};
  EXPECT_EQ(distinct.size(), 5u);
  EXPECT_EQ(distinct.count(kNullHandle), 0u);
  for (Handle h : distinct)
    close_handle(h);
}

TEST(HandleTest, DuplicatingAValueNobodyHoldsFails) {
  Handle event = create_event(EventReset::kAuto, false);
  close_handle(event);
  EXPECT_EQ(duplicate_handle(current_process_id(), event), kNullHandle);
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
  EXPECT_EQ(duplicate_handle(current_process_id(), kNullHandle), kNullHandle);
}

TEST(HandleTest, FilesGoWithTheLastHandle) {
  Handle named = create_semaphore(0, 1, test_object_name("s"));
  Handle unnamed = create_event(EventReset::kAuto, false);
  char id_file[32];
  std::snprintf(id_file, sizeof id_file, "/o-%08x", named);
  std::string dir = namespace_directory();
  EXPECT_TRUE(file_exists(dir + id_file));
  close_handle(named);
  EXPECT_FALSE(file_exists(dir + id_file));
  close_handle(unnamed);
  // Nothing else of this test program is open now: the namespace went too.
  EXPECT_FALSE(file_exists(dir)) << dir;
}

TEST(ErrorTest, EveryErrorHasItsOwnText) {
  std::set<std::string> texts;
  for (uint32_t e = 0; e <= static_cast<uint32_t>(Error::kSystem); ++e) {
    std::string text = error_text(static_cast<Error>(e));
    EXPECT_FALSE(text.empty());
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), static_cast<size_t>(Error::kSystem) + 1);
}

TEST(ErrorTest, SystemErrorsCarryTheSystemsExplanation) {
  set_last_error(Error::kSystem, ENOSPC);
  EXPECT_EQ(last_system_error(), ENOSPC);
  EXPECT_NE(last_error_text().find(error_text(Error::kSystem)), std::string::npos);
  EXPECT_GT(last_error_text().size(), std::string(error_text(Error::kSystem)).size() + 2);
  set_last_error(Error::kNotOwner);
  EXPECT_EQ(last_system_error(), 0);
  EXPECT_EQ(last_error_text(), error_text(Error::kNotOwner));
}

}  // namespace
}  // namespace zel::kernel
