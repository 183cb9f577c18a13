#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/event.h"
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
using testing::wait_for_waiters;

struct PulseCase {
  const char* label;
  EventReset reset;
  int woken_per_pulse;
};

class PulseAcrossProcesses : public CrossProcessTest,
                             public ::testing::WithParamInterface<PulseCase> {};

// The children that printed a wait result within `timeout_ms`, each checked
// to have been signalled.
int count_woken(std::vector<std::unique_ptr<ChildProcess>>& children, std::vector<bool>& done,
                int wanted) {
  int woken = 0;
  for (int round = 0; round < 600 && woken < wanted; ++round) {
    for (size_t i = 0; i < children.size(); ++i) {
      if (done[i] || children[i]->silent_for(round == 0 ? 0 : 10)) continue;
      EXPECT_EQ(line_of(*children[i]), "signalled 0");
      done[i] = true;
      ++woken;
    }
  }
  return woken;
}

TEST_P(PulseAcrossProcesses, WakesOnlyTheWaitersPresent) {
  constexpr int kWaiters = 3;
  std::string name = test_object_name(GetParam().label);
  ScopedHandle event(create_event(GetParam().reset, false, name));
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < kWaiters; ++i) {
    children.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"open-event", "0", name, "wait", "0", "120000"}));
    ASSERT_EQ(line_of(*children.back()), "ok");
  }
  ASSERT_TRUE(wait_for_waiters(event, kWaiters));
  std::vector<bool> done(kWaiters, false);
  int woken = 0;
  while (woken < kWaiters) {
    ASSERT_TRUE(pulse_event(event));
    int expected = GetParam().woken_per_pulse;
    EXPECT_EQ(count_woken(children, done, expected), expected);
    woken += expected;
    // Nobody else woke: the others are still registered and silent.
    ASSERT_TRUE(wait_for_waiters(event, kWaiters - woken));
    for (size_t i = 0; i < children.size(); ++i) {
      if (!done[i]) {
        EXPECT_TRUE(children[i]->silent_for(50)) << "child " << i;
      }
    }
  }
  // The event is left unsignalled, and a waiter that comes later is not woken.
  EXPECT_EQ(wait_one(event, 0).status, WaitStatus::kTimeout);
  ChildProcess late({"open-event", "0", name, "wait", "0", "300"});
  EXPECT_EQ(line_of(late), "ok");
  EXPECT_EQ(line_of(late), "timeout");
}

INSTANTIATE_TEST_SUITE_P(Kinds, PulseAcrossProcesses,
                         ::testing::Values(PulseCase{"auto", EventReset::kAuto, 1},
                                           PulseCase{"manual", EventReset::kManual, 3}),
                         [](const ::testing::TestParamInfo<PulseCase>& p) {
                           return std::string(p.param.label);
                         });

}  // namespace
}  // namespace zel::kernel
