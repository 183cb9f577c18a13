#include <gtest/gtest.h>

#include "gdi/device_context.h"
#include "gdi/png_export.h"
#include "gdi/surface.h"
#include "gdi/tests/format_cases.h"

namespace zel::gdi {
namespace {

using testing::allDibFormats;
using testing::makeDib;

const std::vector<RgbQuad> kPrimaries = {
    quadOf(rgb(0, 0, 0)),   quadOf(rgb(255, 255, 255)), quadOf(rgb(255, 0, 0)),
    quadOf(rgb(0, 255, 0)), quadOf(rgb(0, 0, 255)),     quadOf(rgb(255, 255, 0)),
};

TEST(Surface, EveryFormatHoldsItsPrimariesAtEveryPixel) {
  for (const auto& f : allDibFormats()) {
    for (bool topDown : {true, false}) {
      SCOPED_TRACE(f.name + (topDown ? " top-down" : " bottom-up"));
      auto s = makeDib(f, 13, 3, topDown, kPrimaries);
      ASSERT_NE(s, nullptr);
      const size_t colours = f.header.bitCount == 1 ? 2 : kPrimaries.size();
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 13; ++x) {
          const ColorRef c = colorOf(kPrimaries[size_t(x + y) % colours]);
          s->setRawAt(x, y, s->rawOfColor(c));
        }
      }
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 13; ++x) {
          EXPECT_EQ(s->colorAt(x, y), colorOf(kPrimaries[size_t(x + y) % colours]))
              << x << "," << y;
        }
      }
    }
  }
}

TEST(Surface, RowsArePaddedTo32BitsAndBottomUpStoresTheTopRowLast) {
  struct Case {
    uint16_t bits;
    int32_t width;
    size_t stride;
  } cases[] = {{1, 1, 4}, {1, 33, 8}, {4, 9, 8}, {8, 5, 8}, {16, 3, 8}, {24, 5, 16}, {32, 3, 12}};
  for (const auto& c : cases) {
    DibHeader h;
    h.bitCount = c.bits;
    h.width = c.width;
    h.height = 2;
    auto s = Surface::createDib(h, {});
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->stride(), c.stride) << c.bits << " bpp, width " << c.width;
    EXPECT_EQ(s->row(0), s->bits() + c.stride);  // bottom-up: top row stored second
    h.height = -2;
    auto t = Surface::createDib(h, {});
    EXPECT_EQ(t->row(0), t->bits());
  }
}

TEST(Surface, FiveBitChannelsWidenByRepeatingTheirTopBits) {
  const PixelLayout l = PixelLayout::rgb555();
  EXPECT_EQ(l.colorOf(0x7FFF), rgb(255, 255, 255));
  EXPECT_EQ(l.colorOf(0x4000), rgb(132, 0, 0));  // 10000b -> 10000100b
  EXPECT_EQ(l.colorOf(0x0001), rgb(0, 0, 8));
  EXPECT_EQ(l.rawOf(rgb(255, 7, 8)), 0x7C01u);
  const PixelLayout m = PixelLayout::rgb565();
  EXPECT_EQ(m.colorOf(0x07E0), rgb(0, 255, 0));
  EXPECT_EQ(m.colorOf(0x0020), rgb(0, 4, 0));  // 6-bit 1 -> 00000100b
}

TEST(Surface, IndexedFormatsTakeTheNearestEntryAndTheFirstOfEquals) {
  DibHeader h;
  h.bitCount = 8;
  h.width = 1;
  h.height = 1;
  auto s = Surface::createDib(h, {quadOf(rgb(10, 10, 10)), quadOf(rgb(30, 30, 30)),
                                  quadOf(rgb(30, 30, 30)), quadOf(rgb(200, 0, 0))});
  EXPECT_EQ(s->rawOfColor(rgb(20, 20, 20)), 0u);  // equal distance: first wins
  EXPECT_EQ(s->rawOfColor(rgb(29, 31, 30)), 1u);
  EXPECT_EQ(s->rawOfColor(rgb(30, 30, 30)), 1u);
  EXPECT_EQ(s->rawOfColor(rgb(255, 0, 0)), 3u);
  EXPECT_EQ(s->colorOfRaw(200), rgb(0, 0, 0));  // entries past the table are black
}

TEST(Surface, RefusesSizesAndHeadersItCannotHold) {
  auto display = Display::trueColor();
  EXPECT_EQ(Surface::createDevice(*display, 0, 5), nullptr);
  EXPECT_EQ(Surface::createDevice(*display, -3, 5), nullptr);
  EXPECT_EQ(Surface::createDevice(*display, kMaxDimension + 1, 1), nullptr);
  EXPECT_EQ(Surface::createDevice(*display, kMaxDimension, kMaxDimension), nullptr);  // 16 GiB
  EXPECT_EQ(Surface::createMonochrome(1, INT32_MAX), nullptr);
  DibHeader h;
  h.width = 4;
  h.height = 4;
  for (uint16_t bits : {0, 2, 3, 7, 15, 48}) {
    h.bitCount = bits;
    EXPECT_EQ(Surface::createDib(h, {}), nullptr) << bits;
  }
  h.bitCount = 16;
  h.compression = Compression::BitFields;
  h.redMask = 0xF800;
  h.greenMask = 0x0FE0;  // overlaps red
  h.blueMask = 0x1F;
  EXPECT_EQ(Surface::createDib(h, {}), nullptr);
  h.greenMask = 0x0520;  // not contiguous
  EXPECT_EQ(Surface::createDib(h, {}), nullptr);
  h.greenMask = 0x10000;  // outside 16 bits
  EXPECT_EQ(Surface::createDib(h, {}), nullptr);
}

TEST(Surface, DeviceBitmapsFollowTheDisplay) {
  auto trueColor = Display::trueColor();
  auto palette = Display::paletteDevice();
  auto a = Surface::createDevice(*trueColor, 4, 4);
  auto b = Surface::createDevice(*palette, 4, 4);
  EXPECT_EQ(a->bitsPerPixel(), 32);
  EXPECT_EQ(b->bitsPerPixel(), 8);
  EXPECT_EQ(b->colorTable(), palette->systemPalette());
  EXPECT_EQ(b->colorAt(0, 0), rgb(0, 0, 0));
  EXPECT_EQ(b->colorOfRaw(255), rgb(255, 255, 255));
  EXPECT_EQ(b->colorOfRaw(9), rgb(166, 202, 240));
  EXPECT_EQ(b->colorOfRaw(246), rgb(255, 251, 240));
}

TEST(DeviceContext, StartsWithThePlatformDefaults) {
  DeviceContext dc(Display::trueColor());
  EXPECT_EQ(dc.surface().width(), 1);
  EXPECT_TRUE(dc.surface().isMonochrome());
  EXPECT_EQ(dc.textColor(), rgb(0, 0, 0));
  EXPECT_EQ(dc.bkColor(), rgb(255, 255, 255));
  EXPECT_EQ(dc.bkMode(), BkMode::Opaque);
  EXPECT_EQ(dc.rop2(), Rop2::CopyPen);
  EXPECT_EQ(dc.brush()->style, BrushStyle::Solid);
  EXPECT_EQ(dc.brush()->color, rgb(255, 255, 255));
  EXPECT_EQ(dc.pen()->color, rgb(0, 0, 0));
  EXPECT_EQ(dc.palette()->size(), 20u);
  EXPECT_EQ(dc.setRop2(0), 0);
  EXPECT_EQ(dc.setRop2(17), 0);
  EXPECT_EQ(dc.setRop2(7), 13);
}

TEST(DeviceContext, ClipBoxIsTheClipInsideTheSurface) {
  DeviceContext dc(Display::trueColor());
  dc.selectBitmap(Surface::createDevice(*dc.display(), 20, 10));
  EXPECT_EQ(dc.clipBox(), (Rect{0, 0, 20, 10}));
  dc.setClip(Rect{-5, 2, 8, 40});
  EXPECT_EQ(dc.clipBox(), (Rect{0, 2, 8, 10}));
  dc.setClip(Rect{30, 0, 40, 5});
  EXPECT_TRUE(dc.clipBox().empty());
  EXPECT_EQ(dc.selectBitmap(nullptr), nullptr);
  EXPECT_EQ(dc.surface().width(), 20);
}

TEST(DeviceContext, PaletteColoursResolveThroughTheSelectedPalette) {
  DeviceContext dc(Display::trueColor());
  dc.selectBitmap(Surface::createDevice(*dc.display(), 1, 1));
  auto pal =
      std::make_shared<LogicalPalette>(std::vector<PaletteEntry>{{1, 2, 3, 0}, {200, 100, 50, 0}});
  dc.selectPalette(pal);
  EXPECT_EQ(dc.resolveColor(paletteIndex(1)), rgb(200, 100, 50));
  EXPECT_EQ(dc.resolveColor(paletteIndex(7)), rgb(1, 2, 3));  // past the end: entry 0
  EXPECT_EQ(dc.resolveColor(paletteRgb(9, 8, 7)), rgb(9, 8, 7));
  EXPECT_EQ(dc.rawOf(paletteIndex(1)), 0xC86432u);
}

TEST(PngExport, WritesAnRgbImageOfTheSurfaceSize) {
  auto s = Surface::createMonochrome(9, 3);
  const auto png = encodePng(*s);
  ASSERT_GT(png.size(), 33u);
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
  // IHDR: width and height big-endian at 16 and 20, depth 8, colour type 2.
  EXPECT_EQ(png[19], 9);
  EXPECT_EQ(png[23], 3);
  EXPECT_EQ(png[24], 8);
  EXPECT_EQ(png[25], 2);
  EXPECT_FALSE(writePng(*s, "/nonexistent-dir/x.png"));
}

}  // namespace
}  // namespace zel::gdi
