#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftengine/tests/wire_test_bytes.h"
#include "ftengine/wire/ft_icon_image.h"

namespace zel::ftengine {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct RleCase {
  const char* name;
  Bytes packed;
  Bytes unpacked;
  bool complete;
};

void PrintTo(const RleCase& c, std::ostream* os) {
  *os << c.name;
}

class IconRle : public ::testing::TestWithParam<RleCase> {};

TEST_P(IconRle, Unpacks) {
  IconImage image = unpackIconImage(GetParam().packed);
  EXPECT_EQ(image.bytes, GetParam().unpacked);
  EXPECT_EQ(image.complete, GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, IconRle,
    ::testing::Values(
        RleCase{"WordFill", {0xC1, 0x34, 0x12}, {0x34, 0x12, 0x34, 0x12, 0x34, 0x12}, true},
        RleCase{"ByteFill", {0x82, 0x41}, Bytes(5, 0x41), true},
        RleCase{"Literal", {0x01, 0x41, 0x42}, {0x41, 0x42}, true},
        RleCase{"Mixed", {0x00, 7, 0x80, 8, 0xC0, 1, 2}, {7, 8, 8, 8, 1, 2, 1, 2}, true},
        RleCase{"Empty", {}, {}, true},
        RleCase{"LiteralCut", {0x01, 9, 3, 0x02, 1, 2}, {9, 3}, false},
        RleCase{"FillWithoutValue", {0x00, 5, 0x85}, {5}, false},
        RleCase{"WordWithHalfValue", {0xC0, 1}, {}, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(IconRleLimit, StopsBeforeARunPassesTheLimit) {
  Bytes packed;
  for (int i = 0; i < 520; ++i)
    packed.insert(packed.end(), {0xFF, 1, 2});  // 130 bytes each
  IconImage image = unpackIconImage(packed);
  EXPECT_FALSE(image.complete);
  EXPECT_EQ(image.bytes.size(), (FT_ICON_IMAGE_LIMIT / 130) * 130);
}

TEST(IconBitmap, RecordAndItsBounds) {
  auto record = testing::HandMessage()
                    .u32(16)
                    .u32(32)
                    .u16(4)
                    .u16(3)
                    .u16(2)
                    .u32(0x00FF0000)
                    .u32(0x0000FF00)
                    .text("abc")
                    .u8(0xEE)
                    .raw();
  IconBitmap bmp;
  ASSERT_EQ(decodeIconBitmap(record, bmp), record.size() - 1);
  EXPECT_EQ(bmp.width, 16u);
  EXPECT_EQ(bmp.height, 32u);
  EXPECT_EQ(bmp.bitsPerPixel, 4);
  EXPECT_EQ(bmp.colourTable.size(), 8u);
  EXPECT_EQ(std::string(bmp.pixels.begin(), bmp.pixels.end()), "abc");
  EXPECT_EQ(decodeIconBitmap(std::span(record).first(record.size() - 2), bmp), 0u);
  auto tooManyColours = testing::HandMessage().u32(1).u32(1).u16(1).u16(0).u16(2561).raw();
  tooManyColours.resize(14 + 4 * 2561);
  EXPECT_EQ(decodeIconBitmap(tooManyColours, bmp), 0u);
}

}  // namespace
}  // namespace zel::ftengine
