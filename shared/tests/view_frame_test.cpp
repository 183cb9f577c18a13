// Encoding and checking of view frames held in memory.
#include <gtest/gtest.h>

#include <vector>

#include "shared/view_frame.h"

namespace zel::shared {
namespace {

TEST(ViewFrame, HeaderBytes) {
  auto header = encodeViewHeader(0x0203, view_flags::kEncrypted);
  const std::vector<uint8_t> expected = {'R',  'C', 'H', '0', 0x03, 0x02,
                                         0x04, 0,   'R', 'C', 'H',  'E'};
  EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()), expected);
}

TEST(ViewFrame, RoundTripsBodiesAndFlags) {
  const uint8_t flagSet[] = {0, view_flags::kEncrypted, view_flags::kCompressed,
                             view_flags::kEncrypted | view_flags::kCompressed};
  for (size_t size : {size_t{0}, size_t{1}, size_t{12}, size_t{32768}, size_t{65535}}) {
    for (uint8_t flags : flagSet) {
      std::vector<uint8_t> body(size);
      for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<uint8_t>(i * 13);
      std::vector<uint8_t> frame;
      ASSERT_TRUE(appendViewFrame(body, flags, frame));
      ASSERT_EQ(frame.size(), kViewHeaderSize + size);
      ViewFrameView view = readViewFrame(frame);
      ASSERT_EQ(view.status, ViewFrameStatus::Ok) << size;
      EXPECT_EQ(view.flags, flags);
      EXPECT_EQ(view.frameSize, frame.size());
      EXPECT_EQ(std::vector<uint8_t>(view.body.begin(), view.body.end()), body);
    }
  }
}

TEST(ViewFrame, RefusesBodiesThatTheLengthCannotCarry) {
  std::vector<uint8_t> out = {9};
  std::vector<uint8_t> huge(65536);
  EXPECT_FALSE(appendViewFrame(huge, 0, out));
  EXPECT_EQ(out, std::vector<uint8_t>{9});
}

TEST(ViewFrame, RejectsDamagedHeaders) {
  struct Case {
    const char* name;
    size_t offset;  // byte to damage
    ViewFrameStatus expected;
  };
  const Case cases[] = {
      {"lead marker", 0, ViewFrameStatus::BadMarker},
      {"lead marker end", 3, ViewFrameStatus::BadMarker},
      {"trail marker", 8, ViewFrameStatus::BadMarker},
      {"trail marker end", 11, ViewFrameStatus::BadMarker},
      {"spare byte", 7, ViewFrameStatus::Ok},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> frame;
    ASSERT_TRUE(appendViewFrame(std::vector<uint8_t>{1, 2, 3}, 0, frame));
    frame[c.offset] ^= 0x55;
    EXPECT_EQ(readViewFrame(frame).status, c.expected) << c.name;
  }
}

TEST(ViewFrame, ShortInputIsIncomplete) {
  std::vector<uint8_t> frame;
  ASSERT_TRUE(appendViewFrame(std::vector<uint8_t>(40, 7), 0, frame));
  for (size_t cut : {size_t{0}, size_t{11}, size_t{12}, frame.size() - 1}) {
    std::span<const uint8_t> part(frame.data(), cut);
    ViewFrameView view = readViewFrame(part);
    EXPECT_EQ(view.status, ViewFrameStatus::Incomplete) << cut;
    EXPECT_TRUE(view.body.empty());
  }
  ViewHeader header = decodeViewHeader(std::span<const uint8_t>(frame.data(), 12));
  EXPECT_EQ(header.status, ViewFrameStatus::Ok);
  EXPECT_EQ(header.bodyLength, 40);
}

}  // namespace
}  // namespace zel::shared
