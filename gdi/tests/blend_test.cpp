// Masked, colour-keyed and alpha-blended transfers.
#include <gtest/gtest.h>

#include "gdi/blend.h"
#include "gdi/blit.h"
#include "gdi/rop3.h"
#include "gdi/tests/format_cases.h"

namespace zel::gdi {
namespace {

constexpr ColorRef kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);
constexpr ColorRef kWhite = rgb(255, 255, 255), kBlack = rgb(0, 0, 0);

struct Canvas {
  std::shared_ptr<Display> display = Display::trueColor();
  DeviceContext dc{display};
  std::shared_ptr<Surface> surface;
  Canvas(int32_t w, int32_t h, ColorRef fill = kWhite) {
    surface = Surface::createDevice(*display, w, h);
    surface->fill(surface->rawOfColor(fill));
    dc.selectBitmap(surface);
  }
};

// A monochrome mask from a row of '1' and '0' characters per line.
std::shared_ptr<Surface> maskOf(const std::vector<std::string>& rows) {
  auto m = Surface::createMonochrome(int32_t(rows[0].size()), int32_t(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      m->setRawAt(int32_t(x), int32_t(y), rows[y][x] == '1');
  return m;
}

TEST(MaskBlt, MaskBitsPickTheForegroundOrBackgroundOperationForEveryPair) {
  // Random pixels, every foreground/background pair of a few operations,
  // checked against the truth tables of both codes.
  const uint8_t ops[] = {0x00, 0xAA, 0xCC, 0xF0, 0x66, 0x5A, 0xB8, 0xE2, 0xFF, 0x33};
  uint32_t seed = 12345;
  const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  for (uint8_t fore : ops) {
    for (uint8_t back : ops) {
      Canvas dst(8, 2), src(8, 2);
      const auto mask = maskOf({"10110010", "01001101"});
      uint32_t before[16], sv[16];
      for (int i = 0; i < 16; ++i) {
        before[i] = next() & 0xFFFFFF;
        sv[i] = next() & 0xFFFFFF;
        dst.surface->setRawAt(i % 8, i / 8, before[i]);
        src.surface->setRawAt(i % 8, i / 8, sv[i]);
      }
      const ColorRef brush = rgb(0x12, 0x9C, 0xE5);
      dst.dc.selectBrush(Brush::solid(brush));
      const uint32_t rop4 = makeRop4(uint32_t(fore) << 16, uint32_t(back) << 16);
      ASSERT_TRUE(maskBlt(dst.dc, 0, 0, 8, 2, &src.dc, 0, 0, mask.get(), 0, 0, rop4));
      for (int i = 0; i < 16; ++i) {
        const uint8_t op = mask->rawAt(i % 8, i / 8) ? fore : back;
        const uint32_t want =
            ropEvaluate(op, dst.surface->rawOfColor(brush), sv[i], before[i]) & 0xFFFFFF;
        ASSERT_EQ(dst.surface->rawAt(i % 8, i / 8) & 0xFFFFFF, want)
            << int(fore) << "/" << int(back) << " pixel " << i;
      }
    }
  }
}

TEST(MaskBlt, MaskOffsetAndClipToTheMask) {
  Canvas dst(6, 1, kWhite), src(6, 1, kRed);
  // Mask pixel (mx + k) goes with destination pixel (x + k); pixels past the
  // mask's right edge are left alone.
  const auto mask = maskOf({"0101"});
  ASSERT_TRUE(
      maskBlt(dst.dc, 1, 0, 5, 1, &src.dc, 0, 0, mask.get(), 1, 0, makeRop4(kSrcCopy, 0x00AA0029)));
  const ColorRef want[] = {kWhite, kRed, kWhite, kRed, kWhite, kWhite};
  for (int x = 0; x < 6; ++x)
    EXPECT_EQ(dst.surface->colorAt(x, 0), want[x]) << x;
}

TEST(MaskBlt, WithoutAMaskIsBitBltWithTheForegroundOperation) {
  Canvas dst(2, 1, kWhite), src(2, 1, kBlue);
  ASSERT_TRUE(
      maskBlt(dst.dc, 0, 0, 2, 1, &src.dc, 0, 0, nullptr, 0, 0, makeRop4(kSrcCopy, kBlackness)));
  EXPECT_EQ(dst.surface->colorAt(1, 0), kBlue);
}

TEST(MaskBlt, RefusesColourMasksMissingSourcesAndNegativeSizes) {
  Canvas dst(2, 2), src(2, 2);
  const auto mask = maskOf({"11", "11"});
  EXPECT_FALSE(maskBlt(dst.dc, 0, 0, 2, 2, &src.dc, 0, 0, src.surface.get(), 0, 0, kSrcCopy));
  EXPECT_FALSE(
      maskBlt(dst.dc, 0, 0, 2, 2, nullptr, 0, 0, mask.get(), 0, 0, makeRop4(kSrcCopy, kSrcCopy)));
  EXPECT_FALSE(maskBlt(dst.dc, 0, 0, -2, 2, &src.dc, 0, 0, mask.get(), 0, 0, kSrcCopy));
  // Huge offsets clip to nothing instead of reading outside the mask.
  EXPECT_TRUE(maskBlt(dst.dc, 0, 0, INT32_MAX, INT32_MAX, &src.dc, 0, 0, mask.get(), INT32_MIN,
                      INT32_MAX, makeRop4(kSrcCopy, kBlackness)));
  EXPECT_EQ(dst.surface->colorAt(0, 0), kWhite);
}

TEST(TransparentBlt, KeyColourPixelsLeaveTheDestinationInEveryFormat) {
  const std::vector<RgbQuad> table = {quadOf(kBlack), quadOf(kRed), quadOf(kGreen), quadOf(kBlue)};
  for (const auto& f : testing::allDibFormats()) {
    if (f.header.bitCount == 1) continue;
    SCOPED_TRACE(f.name);
    Canvas dst(4, 1, kWhite);
    auto s = testing::makeDib(f, 4, 1, false, table);
    DeviceContext src(dst.display);
    src.selectBitmap(s);
    const ColorRef pixels[] = {kRed, kGreen, kRed, kBlue};
    for (int x = 0; x < 4; ++x)
      s->setRawAt(x, 0, s->rawOfColor(pixels[x]));
    ASSERT_TRUE(transparentBlt(dst.dc, 0, 0, 4, 1, &src, 0, 0, 4, 1, kRed));
    const ColorRef want[] = {kWhite, kGreen, kWhite, kBlue};
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dst.surface->colorAt(x, 0), want[x]) << x;
  }
}

TEST(TransparentBlt, StretchesByTakingTheFirstSourcePixel) {
  Canvas dst(4, 2, kWhite), src(2, 1, kGreen);
  src.surface->setRawAt(1, 0, src.surface->rawOfColor(kBlue));
  ASSERT_TRUE(transparentBlt(dst.dc, 0, 0, 4, 2, &src.dc, 0, 0, 2, 1, kBlue));
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(dst.surface->colorAt(1, y), kGreen);
    EXPECT_EQ(dst.surface->colorAt(2, y), kWhite);
  }
  EXPECT_FALSE(transparentBlt(dst.dc, 0, 0, -4, 2, &src.dc, 0, 0, 2, 1, kBlue));
  EXPECT_FALSE(transparentBlt(dst.dc, 0, 0, 4, 2, nullptr, 0, 0, 2, 1, kBlue));
  // A source rectangle beyond the source draws only what exists.
  EXPECT_TRUE(transparentBlt(dst.dc, 0, 0, 4, 2, &src.dc, 1, 0, INT32_MAX, 1, kWhite));
}

struct BlendCase {
  const char* name;
  uint32_t src, dst;  // 0xAARRGGBB raw 32-bit values
  BlendFunction blend;
  uint32_t want;
};

TEST(AlphaBlend, ChannelsFollowTheBlendFormula) {
  // Results rounded to nearest after dividing by 255. The platform does not
  // document its rounding; the end points (0 and 255) are exact either way.
  const BlendCase cases[] = {
      {"opaque constant", 0x00102030, 0xFFFFFFFF, {0, 0, 255, 0}, 0x00102030},
      {"zero constant", 0x00102030, 0x00405060, {0, 0, 0, 0}, 0x00405060},
      {"half constant", 0x00FF0000, 0x000000FF, {0, 0, 128, 0}, 0x0080007F},
      {"premultiplied opaque", 0xFF00FF00, 0x00FF0000, {0, 0, 255, 1}, 0xFF00FF00},
      {"premultiplied clear", 0x00000000, 0x80123456, {0, 0, 255, 1}, 0x80123456},
      {"premultiplied half", 0x80800000, 0x000000FF, {0, 0, 255, 1}, 0x8080007F},
      {"premultiplied and constant", 0xFFFF0000, 0x000000FF, {0, 0, 128, 1}, 0x8080007F},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas dst(1, 1), src(1, 1);
    dst.surface->setRawAt(0, 0, c.dst);
    src.surface->setRawAt(0, 0, c.src);
    ASSERT_TRUE(alphaBlend(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 1, 1, c.blend));
    EXPECT_EQ(dst.surface->rawAt(0, 0), c.want) << std::hex << dst.surface->rawAt(0, 0);
  }
}

TEST(AlphaBlend, RecordReadsAsFourLittleEndianBytes) {
  const BlendFunction b = BlendFunction::fromWord(0x01800000);
  EXPECT_EQ(b.op, 0);
  EXPECT_EQ(b.flags, 0);
  EXPECT_EQ(b.constantAlpha, 0x80);
  EXPECT_EQ(b.alphaFormat, 1);
}

TEST(AlphaBlend, RefusesWhatTheRecordOrTheRectanglesDoNotAllow) {
  Canvas dst(4, 4), src(4, 4);
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, {1, 0, 255, 0}));
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, {0, 1, 255, 0}));
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, {0, 0, 255, 2}));
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, -2, 2, src.dc, 0, 0, 2, 2, {}));
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 3, 0, 2, 2, {}));
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, INT32_MAX, 2, {}));
  EXPECT_FALSE(alphaBlend(dst.dc, 1, 1, 2, 2, dst.dc, 0, 0, 2, 2, {}));
  EXPECT_TRUE(alphaBlend(dst.dc, 2, 2, 2, 2, dst.dc, 0, 0, 2, 2, {}));
  DeviceContext mono(dst.display);
  mono.selectBitmap(Surface::createMonochrome(2, 2));
  EXPECT_FALSE(alphaBlend(dst.dc, 0, 0, 2, 2, mono, 0, 0, 2, 2, {0, 0, 255, 1}));
  EXPECT_TRUE(alphaBlend(dst.dc, 0, 0, 2, 2, mono, 0, 0, 2, 2, {0, 0, 255, 0}));
}

TEST(AlphaBlend, StretchesAndBlendsIntoIndexedSurfaces) {
  const std::vector<RgbQuad> table = {quadOf(kBlack), quadOf(kWhite), quadOf(rgb(128, 128, 128))};
  auto d = testing::makeDib(testing::allDibFormats()[2], 4, 1, true, table);
  auto display = Display::trueColor();
  DeviceContext dst(display);
  dst.selectBitmap(d);
  Canvas src(2, 1, kBlack);
  ASSERT_TRUE(alphaBlend(dst, 0, 0, 4, 1, src.dc, 0, 0, 2, 1, {0, 0, 128, 0}));
  // Black half over black stays black (index 0).
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(d->rawAt(x, 0), 0u);
  d->fill(1);
  ASSERT_TRUE(alphaBlend(dst, 0, 0, 4, 1, src.dc, 0, 0, 2, 1, {0, 0, 128, 0}));
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(d->rawAt(x, 0), 2u);  // 127 grey: nearest is 128 grey
}

}  // namespace
}  // namespace zel::gdi
