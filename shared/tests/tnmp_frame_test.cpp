// Encoding and checking of request frames held in memory.
#include <gtest/gtest.h>

#include <vector>

#include "shared/tnmp_frame.h"

namespace zel::shared {
namespace {

std::vector<uint8_t> frameOf(std::vector<uint8_t> payload) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(appendTnmpFrame(payload, out));
  return out;
}

TEST(TnmpFrame, HeaderBytes) {
  auto header = encodeTnmpHeader(0x0203);
  const std::vector<uint8_t> expected = {'T', 'N', 'M', 'P', 0x03, 0x02, 0, 0, 'T', 'N', 'M', 'E'};
  EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()), expected);
}

TEST(TnmpFrame, RoundTripsPayloadsOfEverySize) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{4}, size_t{8192}, size_t{65535}}) {
    std::vector<uint8_t> payload(size);
    for (size_t i = 0; i < size; ++i)
      payload[i] = static_cast<uint8_t>(i * 7);
    auto frame = frameOf(payload);
    ASSERT_EQ(frame.size(), kTnmpHeaderSize + size);
    TnmpFrameView view = readTnmpFrame(frame);
    ASSERT_EQ(view.status, TnmpFrameStatus::Ok) << size;
    EXPECT_EQ(view.frameSize, frame.size());
    EXPECT_EQ(std::vector<uint8_t>(view.payload.begin(), view.payload.end()), payload);
  }
}

TEST(TnmpFrame, RefusesPayloadsThatTheLengthCannotCarry) {
  std::vector<uint8_t> out = {1, 2};
  std::vector<uint8_t> huge(65536);
  EXPECT_FALSE(appendTnmpFrame(huge, out));
  EXPECT_EQ(out.size(), 2u);
}

TEST(TnmpFrame, ReadsConsecutiveFrames) {
  auto stream = frameOf({0, 0, 4, 0});
  auto second = frameOf({9});
  stream.insert(stream.end(), second.begin(), second.end());
  TnmpFrameView first = readTnmpFrame(stream);
  ASSERT_EQ(first.status, TnmpFrameStatus::Ok);
  EXPECT_EQ(first.payload.size(), 4u);
  TnmpFrameView next = readTnmpFrame(std::span<const uint8_t>(stream).subspan(first.frameSize));
  ASSERT_EQ(next.status, TnmpFrameStatus::Ok);
  ASSERT_EQ(next.payload.size(), 1u);
  EXPECT_EQ(next.payload[0], 9);
}

struct MalformedCase {
  const char* name;
  size_t offset;  // byte to change in a valid 4-byte frame
  uint8_t value;
  TnmpFrameStatus expected;
};

TEST(TnmpFrame, MalformedHeaders) {
  const std::vector<MalformedCase> cases = {
      {"lead marker", 0, 'X', TnmpFrameStatus::BadMarker},
      {"lead marker end", 3, 'Q', TnmpFrameStatus::BadMarker},
      {"reserved low", 6, 1, TnmpFrameStatus::BadReserved},
      {"reserved high", 7, 1, TnmpFrameStatus::BadReserved},
      {"trail marker", 8, 't', TnmpFrameStatus::BadMarker},
      {"trail marker end", 11, 'P', TnmpFrameStatus::BadMarker},
      {"length beyond the bytes", 4, 5, TnmpFrameStatus::Incomplete},
      {"length far beyond", 5, 0xFF, TnmpFrameStatus::Incomplete},
  };
  for (const auto& c : cases) {
    auto frame = frameOf({1, 2, 3, 4});
    frame[c.offset] = c.value;
    TnmpFrameView view = readTnmpFrame(frame);
    EXPECT_EQ(view.status, c.expected) << c.name;
    EXPECT_TRUE(view.payload.empty()) << c.name;
  }
}

TEST(TnmpFrame, ShortBuffersAreIncomplete) {
  auto frame = frameOf({1, 2, 3, 4});
  for (size_t size = 0; size < frame.size(); ++size) {
    std::vector<uint8_t> exact(frame.begin(), frame.begin() + static_cast<long>(size));
    EXPECT_EQ(readTnmpFrame(exact).status, TnmpFrameStatus::Incomplete) << size;
  }
}

TEST(TnmpFrame, PayloadAboveTheLimitIsTooLongButKeepsItsLength) {
  auto frame = frameOf(std::vector<uint8_t>(8193));
  EXPECT_EQ(readTnmpFrame(frame, 8192).status, TnmpFrameStatus::TooLong);
  TnmpHeader header = decodeTnmpHeader(frame, 8192);
  EXPECT_EQ(header.status, TnmpFrameStatus::TooLong);
  EXPECT_EQ(header.payloadLength, 8193);
  EXPECT_EQ(readTnmpFrame(frame, 8193).status, TnmpFrameStatus::Ok);
}

}  // namespace
}  // namespace zel::shared
