// File-time conversions for Unix-time peers, in a zone with and without
// daylight saving.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "ftengine/wire/byte_order.h"
#include "ftengine/wire/ft_file_time.h"

namespace zel::ftengine {
namespace {

// 2020-01-15 12:00:00 UTC and 2020-07-15 12:00:00 UTC.
constexpr std::int64_t kWinter = 1579089600;
constexpr std::int64_t kSummer = 1594814400;

class UnixPeerTime : public ::testing::Test {
 protected:
  void useZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
  }

 private:
  std::optional<std::string> saved_;
};

TEST(FileTime, EpochArithmetic) {
  EXPECT_EQ(fileTimeOf(0), FT_FILETIME_UNIX_EPOCH);
  EXPECT_EQ(unixSecondsOf(fileTimeOf(kWinter)), kWinter);
  EXPECT_EQ(unixSecondsOf(fileTimeOf(kWinter) + 9999999), kWinter);  // whole seconds
  EXPECT_FALSE(unixSecondsOf(FT_FILETIME_UNIX_EPOCH - 1));
}

TEST_F(UnixPeerTime, UtcZoneKeepsSecondsAndHighHalf) {
  useZone("UTC0");
  const std::uint64_t ft = fileTimeOf(kWinter) + 1234567;  // with a fraction
  const std::uint64_t sent = toUnixPeerTime(ft);
  EXPECT_EQ(sent & 0xFFFFFFFFu, static_cast<std::uint64_t>(kWinter));
  EXPECT_EQ(sent >> 32, ft >> 32);
  EXPECT_EQ(fromUnixPeerTime(sent), fileTimeOf(kWinter));  // milliseconds dropped
}

TEST_F(UnixPeerTime, StandardOffsetBothWays) {
  useZone("EST5EDT,M3.2.0,M11.1.0");
  // Sending reads the UTC fields as local standard time: five hours later.
  EXPECT_EQ(toUnixPeerTime(fileTimeOf(kWinter)) & 0xFFFFFFFFu,
            static_cast<std::uint64_t>(kWinter + 5 * 3600));
  EXPECT_EQ(toUnixPeerTime(fileTimeOf(kSummer)) & 0xFFFFFFFFu,
            static_cast<std::uint64_t>(kSummer + 5 * 3600));
  // Receiving turns the seconds into local fields (with daylight saving).
  EXPECT_EQ(fromUnixPeerTime(static_cast<std::uint64_t>(kWinter)), fileTimeOf(kWinter - 5 * 3600));
  EXPECT_EQ(fromUnixPeerTime(static_cast<std::uint64_t>(kSummer)), fileTimeOf(kSummer - 4 * 3600));
  // In winter the two directions undo each other.
  EXPECT_EQ(fromUnixPeerTime(toUnixPeerTime(fileTimeOf(kWinter))), fileTimeOf(kWinter));
}

TEST_F(UnixPeerTime, UnconvertibleValuesStayAsTheyCame) {
  useZone("UTC0");
  EXPECT_EQ(toUnixPeerTime(5), 5u);                                         // before 1970
  EXPECT_EQ(toUnixPeerTime(fileTimeOf(1ll << 33)), fileTimeOf(1ll << 33));  // beyond 32 bits
}

TEST_F(UnixPeerTime, EntryRecordTimesInPlace) {
  useZone("UTC0");
  std::vector<std::uint8_t> record(61, 0xAB);
  for (std::size_t off : {4u, 12u, 20u})
    wire::storeU64(record.data() + off, kWinter + off);
  convertEntryTimesFromUnixPeer(record);
  for (std::size_t off : {4u, 12u, 20u}) {
    EXPECT_EQ(wire::loadU64(record.data() + off), fileTimeOf(kWinter + static_cast<int>(off)));
  }
  EXPECT_EQ(record[0], 0xAB);
  EXPECT_EQ(record[28], 0xAB);
}

}  // namespace
}  // namespace zel::ftengine
