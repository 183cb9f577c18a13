#include "platform/system/tick_count.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace zel::system {
namespace {

std::uint32_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

void sleepMilliseconds(long ms) {
  timespec pause{0, ms * 1000000L};
  nanosleep(&pause, nullptr);
}

class TickOffsetEnvironment : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv("ZEL_TICK_OFFSET")) saved_ = value;
    unsetenv("ZEL_TICK_OFFSET");
  }
  void TearDown() override {
    if (saved_) {
      setenv("ZEL_TICK_OFFSET", saved_->c_str(), 1);
    } else {
      unsetenv("ZEL_TICK_OFFSET");
    }
  }
  std::optional<std::string> saved_;
};

TEST(ParseTickOffset, Forms) {
  struct Case {
    const char* text;
    std::optional<std::uint32_t> value;
  };
  const Case cases[] = {
      {"0", 0u},
      {"1000", 1000u},
      {"4294967295", 4294967295u},
      {"4294967296", 0u},  // modulo 2^32
      {"-1000", 4294966296u},
      {"+5", 5u},
      {"0xFFFFF000", 0xFFFFF000u},
      {"0x", std::nullopt},
      {"", std::nullopt},
      {"12ms", std::nullopt},
      {" 12", std::nullopt},
      {"0x1G", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(parseTickOffset(c.text), c.value) << c.text;
}

TEST_F(TickOffsetEnvironment, AdvancesWithTheMonotonicClock) {
  std::uint32_t first = tickCount();
  sleepMilliseconds(30);
  std::uint32_t second = tickCount();
  EXPECT_GE(static_cast<std::uint32_t>(second - first), 30u);
}

TEST_F(TickOffsetEnvironment, MalformedOffsetIsIgnored) {
  setenv("ZEL_TICK_OFFSET", "soon", 1);
  EXPECT_EQ(tickOffset(), 0u);
  std::uint32_t expected = monotonicMilliseconds();
  EXPECT_LT(static_cast<std::uint32_t>(tickCount() - expected), 10000u);
}

TEST_F(TickOffsetEnvironment, OffsetCarriesTheCounterAcrossTheWrap) {
  // Put the counter 150 ms before the wrap and watch it go over.
  std::uint32_t offset = 0xFFFFFFFFu - 150u - monotonicMilliseconds();
  setenv("ZEL_TICK_OFFSET", std::to_string(offset).c_str(), 1);
  std::uint32_t before = tickCount();
  ASSERT_GE(before, 0xFFFFFFFFu - 10000u) << "the offset did not move the counter";
  std::uint32_t after = before;
  // Generous bound: this only ends early on a wrap, never on time.
  for (int i = 0; i < 3000 && after >= before; ++i) {
    sleepMilliseconds(10);
    after = tickCount();
  }
  ASSERT_LT(after, before) << "the counter never wrapped";
  EXPECT_LT(after, 10000u);
  // Elapsed time by unsigned difference stays right across the wrap.
  std::uint32_t elapsed = after - before;
  EXPECT_GT(elapsed, 0u);
  EXPECT_LT(elapsed, 20000u);
}

}  // namespace
}  // namespace zel::system
