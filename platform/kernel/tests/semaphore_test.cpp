#include <gtest/gtest.h>

#include "platform/kernel/errors.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/tests/test_support.h"
#include "platform/kernel/wait.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;

int units_available(Handle semaphore) {
  // Takes every unit, counting, then gives them back.
  int n = 0;
  while (wait_one(semaphore, 0).status == WaitStatus::kSignalled)
    ++n;
  if (n > 0) release_semaphore(semaphore, n);
  return n;
}

struct CreateCase {
  int32_t initial;
  int32_t maximum;
  bool valid;
};

class SemaphoreCreateTest : public ::testing::TestWithParam<CreateCase> {};

TEST_P(SemaphoreCreateTest, ChecksCounts) {
  const CreateCase& c = GetParam();
  ScopedHandle semaphore(create_semaphore(c.initial, c.maximum));
  if (!c.valid) {
    EXPECT_EQ(semaphore.get(), kNullHandle);
    EXPECT_EQ(last_error(), Error::kInvalidParameter);
    return;
  }
  ASSERT_NE(semaphore.get(), kNullHandle);
  EXPECT_EQ(units_available(semaphore), c.initial);
}

INSTANTIATE_TEST_SUITE_P(Counts, SemaphoreCreateTest,
                         ::testing::Values(CreateCase{0, 1, true}, CreateCase{3, 3, true},
                                           CreateCase{0, 255, true}, CreateCase{2, 1, false},
                                           CreateCase{-1, 5, false}, CreateCase{0, 0, false}));

TEST(SemaphoreTest, ReleaseReportsThePreviousCount) {
  ScopedHandle semaphore(create_semaphore(1, 10));
  int32_t previous = -1;
  ASSERT_TRUE(release_semaphore(semaphore, 3, &previous));
  EXPECT_EQ(previous, 1);
  ASSERT_TRUE(release_semaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 4);
  EXPECT_EQ(units_available(semaphore), 5);
}

TEST(SemaphoreTest, ReleasePastTheMaximumFailsAndChangesNothing) {
  ScopedHandle semaphore(create_semaphore(2, 3));
  int32_t previous = -1;
  EXPECT_FALSE(release_semaphore(semaphore, 2, &previous));
  EXPECT_EQ(last_error(), Error::kTooManyPosts);
  EXPECT_EQ(previous, -1);
  EXPECT_EQ(units_available(semaphore), 2);
  EXPECT_FALSE(release_semaphore(semaphore, 0x7fffffff));  // no overflow either
  EXPECT_EQ(units_available(semaphore), 2);
  EXPECT_TRUE(release_semaphore(semaphore, 1));
  EXPECT_EQ(units_available(semaphore), 3);
}

TEST(SemaphoreTest, ReleaseOfNothingIsInvalid) {
  ScopedHandle semaphore(create_semaphore(0, 3));
  EXPECT_FALSE(release_semaphore(semaphore, 0));
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
  EXPECT_FALSE(release_semaphore(semaphore, -2));
}

}  // namespace
}  // namespace zel::kernel
