// Helpers of the cross-process tests.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/kernel/diagnostics.h"
#include "platform/kernel/tests/child_process.h"

namespace zel::kernel::testing {

// Removes what killed children left behind, so the test's namespace ends clean.
class CrossProcessTest : public ::testing::Test {
 protected:
  void TearDown() override { sweep_stale_objects(); }
};

// The next line of a child, or "<nothing>" when it printed none in time.
inline std::string line_of(ChildProcess& child, int timeout_ms = 60000) {
  std::optional<std::string> line = child.next_line(timeout_ms);
  return line ? *line : std::string("<nothing>");
}

// Reads `n` lines that must all be "ok" (or "existed").
inline void expect_ok_lines(ChildProcess& child, int n) {
  for (int i = 0; i < n; ++i) {
    std::string line = line_of(child);
    EXPECT_TRUE(line == "ok" || line == "existed") << "line " << i << ": " << line;
  }
}

}  // namespace zel::kernel::testing
