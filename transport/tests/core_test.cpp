// The parts of zellink that need no proxy: the -2 interval rule, the error
// texts and the proxy start failure text.
#include <gtest/gtest.h>

#include <cstdint>

#include "shared/transport_errors.h"
#include "transport/link_texts.h"
#include "transport/start_failure.h"
#include "transport/view_reset_notice.h"

namespace zel::transport {
namespace {

TEST(ViewResetNotice, AtMostOncePerEightSeconds) {
  struct Step {
    uint32_t now;
    int32_t expected;
  };
  // Starting near the wrap of the tick counter, so that the difference wraps too.
  const uint32_t base = 0xFFFFF000u;
  const Step steps[] = {
      {base, -2},          // the first notice passes
      {base + 5000, 0},    // 5 s later: swallowed
      {base + 7999, 0},    // still inside the interval
      {base + 8000, -2},   // 8 s after the first: passes again
      {base + 8001, 0},    // and starts a new interval
      {base + 20000, -2},  // long after
  };
  uint32_t last = 0;
  for (const Step& step : steps) {
    EXPECT_EQ(viewResetNotice(last, step.now), step.expected) << "at " << step.now - base;
  }
}

TEST(ViewResetNotice, TickZeroStillCountsAsGiven) {
  uint32_t last = 0;
  EXPECT_EQ(viewResetNotice(last, 0), -2);
  EXPECT_EQ(viewResetNotice(last, 100), 0);
}

TEST(LinkTexts, EveryCodeGetsTheTextOfItsTable) {
  const int32_t codes[] = {1,   -1,  -2,  -8,  -9, -10,   -11,   -12, -13, -14,
                           -15, -16, -17, -18, 7,  65534, 65535, -5,  -7,  12345};
  for (int32_t code : codes) {
    EXPECT_EQ(linkText(errorTextNumber(code)), shared::transportErrorText(code)) << code;
  }
  EXPECT_EQ(linkText(errorTextNumber(-8)), linkText(errorTextNumber(-9)));
  EXPECT_EQ(linkText(errorTextNumber(7)), "Unable to send a request to the client.");
}

TEST(StartFailure, NamesTheProgramAndTheReason) {
  EXPECT_EQ(proxyStartFailureText("No such file or directory\n"),
            "The communications module zelrelay could not be initialized (No such file or "
            "directory).  Remote Control will not be available.");
  EXPECT_EQ(linkText(text_number::kCaption), "Marlvane");
}

}  // namespace
}  // namespace zel::transport
