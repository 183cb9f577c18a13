// Setting and reading DIB rows in every format, run-length images, colour
// tables of both kinds, and the checks on bad arguments.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi/blit.h"
#include "gdi/dib_io.h"
#include "gdi/rle.h"
#include "gdi/rop3.h"
#include "gdi/tests/format_cases.h"

namespace zel::gdi {
namespace {

constexpr ColorRef kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);
constexpr ColorRef kWhite = rgb(255, 255, 255), kBlack = rgb(0, 0, 0);
const std::vector<RgbQuad> kTable = {quadOf(kBlack), quadOf(kWhite), quadOf(kRed), quadOf(kGreen),
                                     quadOf(kBlue)};

ColorRef pictureColor(int32_t x, int32_t y, bool mono) {
  return colorOf(kTable[size_t(x * 3 + y) % (mono ? 2 : kTable.size())]);
}

// A DIB of the format holding the test picture: its header, table and bits.
struct Dib {
  BitmapInfo info;
  std::vector<uint8_t> bits;
};
Dib makePicture(const testing::FormatCase& f, int32_t w, int32_t h, bool topDown) {
  auto s = testing::makeDib(f, w, h, topDown, kTable);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      s->setRawAt(x, y, s->rawOfColor(pictureColor(x, y, f.header.bitCount == 1)));
    }
  }
  Dib d;
  d.info.header = f.header;
  d.info.header.width = w;
  d.info.header.height = topDown ? -h : h;
  if (f.header.bitCount <= 8) {
    d.info.colors = kTable;
    d.info.colors.resize(size_t(1) << f.header.bitCount);
  }
  d.bits.assign(s->bits(), s->bits() + s->bitsSize());
  return d;
}

struct Target {
  std::shared_ptr<Display> display = Display::trueColor();
  DeviceContext dc{display};
  std::shared_ptr<Surface> surface;
  Target(int32_t w, int32_t h, ColorRef fill = kGreen) {
    surface = Surface::createDevice(*display, w, h);
    surface->fill(surface->rawOfColor(fill));
    dc.selectBitmap(surface);
  }
};

TEST(BitmapInfo, ParsesHeaderMasksAndTablesStrictly) {
  std::vector<uint8_t> b(40 + 16, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); };
  put32(0, 40);
  put32(4, 3);
  put32(8, uint32_t(-2));
  b[12] = 1;
  b[14] = 4;
  put32(32, 4);  // four colours used
  b[40] = 1;     // blue of entry 0
  b[46] = 2;     // red of entry 1
  auto info = parseBitmapInfo(b, ColorUse::Rgb);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->header.width, 3);
  EXPECT_TRUE(info->header.topDown());
  EXPECT_EQ(info->colors.size(), 4u);
  EXPECT_EQ(info->colors[1].red, 2);
  EXPECT_FALSE(parseBitmapInfo(std::span(b).first(50), ColorUse::Rgb));  // short table
  auto indexes = parseBitmapInfo(std::span(b).first(48), ColorUse::PaletteIndexes);
  ASSERT_TRUE(indexes);
  EXPECT_EQ(indexes->indexes[0], 1);

  const auto variant = [&](size_t at, uint32_t v) {
    auto c = b;
    std::memcpy(c.data() + at, &v, 4);
    return parseBitmapInfo(c, ColorUse::Rgb).has_value();
  };
  EXPECT_FALSE(variant(0, 12));                 // header too small
  EXPECT_FALSE(variant(4, 0));                  // no width
  EXPECT_FALSE(variant(4, uint32_t(-3)));       // negative width
  EXPECT_FALSE(variant(8, 0x80000000u));        // most negative height
  EXPECT_FALSE(variant(4, kMaxDimension + 1));  // too wide
  EXPECT_FALSE(variant(16, 7));                 // unknown compression
  EXPECT_FALSE(variant(16, 1));                 // RLE8 with 4 bits
  EXPECT_FALSE(variant(12, 2));                 // two planes
  EXPECT_FALSE(variant(32, 1000));              // capped at 16 entries, which are not all there
  b.resize(40 + 64);
  EXPECT_TRUE(variant(32, 1000));
  EXPECT_EQ(parseBitmapInfo(b, ColorUse::Rgb)->colors.size(), 4u);
  EXPECT_FALSE(parseBitmapInfo({}, ColorUse::Rgb));
}

TEST(SetDIBits, EveryFormatRoundTripsThroughADeviceBitmapAndBack) {
  for (const auto& f : testing::allDibFormats()) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(f.name + (topDown ? " top-down" : " bottom-up"));
      const Dib d = makePicture(f, 7, 3, topDown);
      Target t(7, 3);
      ASSERT_EQ(setDIBits(&t.dc, *t.surface, 0, 3, d.bits, d.info, ColorUse::Rgb), 3);
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
          EXPECT_EQ(t.surface->colorAt(x, y), pictureColor(x, y, f.header.bitCount == 1));
        }
      }
      BitmapInfo back;
      back.header = d.info.header;
      std::vector<uint8_t> out(d.bits.size(), 0xEE);
      ASSERT_EQ(getDIBits(t.dc, *t.surface, 0, 3, out, back, ColorUse::Rgb), 3);
      auto decoded = surfaceFromDib(back, out, ColorUse::Rgb);
      ASSERT_TRUE(decoded);
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
          EXPECT_EQ(decoded->colorAt(x, y), pictureColor(x, y, f.header.bitCount == 1));
        }
      }
    }
  }
}

TEST(SetDIBits, ScanLinesCountFromTheBottomOfABottomUpDib) {
  testing::FormatCase f{"24", {}};
  f.header.bitCount = 24;
  const Dib d = makePicture(f, 2, 3, false);
  Target t(2, 3);
  // Scan line 1 of a bottom-up DIB 3 rows high is the middle row; the bits
  // hold just that row.
  std::vector<uint8_t> row(d.bits.begin() + 8, d.bits.begin() + 16);
  ASSERT_EQ(setDIBits(&t.dc, *t.surface, 1, 1, row, d.info, ColorUse::Rgb), 1);
  EXPECT_EQ(t.surface->colorAt(0, 0), kGreen);
  EXPECT_EQ(t.surface->colorAt(1, 1), pictureColor(1, 1, false));
  EXPECT_EQ(t.surface->colorAt(0, 2), kGreen);
}

TEST(SetDIBitsToDevice, SourceYCountsFromTheBottomForBottomUpDibs) {
  testing::FormatCase f{"32", {}};
  f.header.bitCount = 32;
  for (bool topDown : {false, true}) {
    const Dib d = makePicture(f, 4, 4, topDown);
    Target t(6, 6);
    // The 2x2 source rectangle at (1, 1): rows 1..2 from the top when
    // top-down, rows 1..2 from the bottom (= rows 1..2 from the top of a
    // 4-row picture) when bottom-up.
    ASSERT_GT(setDIBitsToDevice(t.dc, 3, 2, 2, 2, 1, 0, 0, 4, d.bits, d.info, ColorUse::Rgb), 0);
    const int32_t top = topDown ? 0 : 2;  // ySrc 0: the top, or the bottom two rows
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < 2; ++x) {
        EXPECT_EQ(t.surface->colorAt(3 + x, 2 + y), pictureColor(1 + x, top + y, false))
            << topDown << " " << x << "," << y;
      }
    }
    EXPECT_EQ(t.surface->colorAt(2, 2), kGreen);
    EXPECT_EQ(t.surface->colorAt(5, 2), kGreen);
  }
}

TEST(SetDIBitsToDevice, PaletteIndexTablesUseTheContextPalette) {
  Target t(2, 1);
  t.dc.selectPalette(std::make_shared<LogicalPalette>(
      std::vector<PaletteEntry>{{0, 0, 0, 0}, {10, 20, 30, 0}, {200, 100, 50, 0}}));
  BitmapInfo info;
  info.header.width = 2;
  info.header.height = 1;
  info.header.bitCount = 8;
  info.header.colorsUsed = 2;
  info.indexes = {2, 1};
  const std::vector<uint8_t> bits = {0, 1, 0, 0};
  ASSERT_EQ(setDIBitsToDevice(t.dc, 0, 0, 2, 1, 0, 0, 0, 1, bits, info, ColorUse::PaletteIndexes),
            1);
  EXPECT_EQ(t.surface->colorAt(0, 0), rgb(200, 100, 50));
  EXPECT_EQ(t.surface->colorAt(1, 0), rgb(10, 20, 30));
  info.indexes = {2};  // table shorter than the header says
  EXPECT_EQ(setDIBitsToDevice(t.dc, 0, 0, 2, 1, 0, 0, 0, 1, bits, info, ColorUse::PaletteIndexes),
            0);
}

TEST(SetDIBits, ShortBuffersAndHugeCountsClipInsteadOfReadingPastTheEnd) {
  testing::FormatCase f{"8", {}};
  f.header.bitCount = 8;
  const Dib d = makePicture(f, 4, 4, true);
  Target t(4, 4);
  // Only two rows of bits: two rows are set whatever the count says.
  std::vector<uint8_t> two(d.bits.begin(), d.bits.begin() + 8);
  EXPECT_EQ(setDIBits(&t.dc, *t.surface, 0, UINT32_MAX, two, d.info, ColorUse::Rgb), 2);
  EXPECT_EQ(t.surface->colorAt(0, 2), kGreen);
  EXPECT_EQ(setDIBits(&t.dc, *t.surface, UINT32_MAX, 1, d.bits, d.info, ColorUse::Rgb), 0);
  EXPECT_EQ(setDIBits(&t.dc, *t.surface, 0, 4, {}, d.info, ColorUse::Rgb), 0);
  EXPECT_EQ(setDIBitsToDevice(t.dc, INT32_MAX, INT32_MIN, UINT32_MAX, UINT32_MAX, INT32_MIN,
                              INT32_MAX, 0, 4, d.bits, d.info, ColorUse::Rgb),
            0);
  EXPECT_GE(setDIBitsToDevice(t.dc, -2, -2, UINT32_MAX, UINT32_MAX, 0, 0, 0, UINT32_MAX, d.bits,
                              d.info, ColorUse::Rgb),
            0);
  EXPECT_EQ(stretchDIBits(t.dc, 0, 0, INT32_MAX, INT32_MIN, 0, 0, INT32_MIN, INT32_MAX, d.bits,
                          d.info, ColorUse::Rgb, kSrcCopy) >= 0,
            true);
  BitmapInfo bad = d.info;
  bad.header.bitCount = 5;
  EXPECT_EQ(setDIBits(&t.dc, *t.surface, 0, 4, d.bits, bad, ColorUse::Rgb), 0);
  BitmapInfo q = d.info;
  std::vector<uint8_t> small(3);
  EXPECT_EQ(getDIBits(t.dc, *t.surface, 0, 4, small, q, ColorUse::Rgb), 0);
  EXPECT_EQ(
      getDIBits(t.dc, *t.surface, 5, 4, d.bits.size() ? std::span<uint8_t>() : std::span<uint8_t>(),
                q, ColorUse::Rgb),
      0);
}

TEST(StretchDIBits, StretchesWithTheRasterOperation) {
  testing::FormatCase f{"1", {}};
  f.header.bitCount = 1;
  const Dib d = makePicture(f, 2, 1, true);  // black, white
  Target t(4, 2, kBlack);
  ASSERT_GT(stretchDIBits(t.dc, 0, 0, 4, 2, 0, 0, 2, 1, d.bits, d.info, ColorUse::Rgb, kSrcCopy),
            0);
  const ColorRef want[4] = {kBlack, kBlack, kWhite, kWhite};
  for (int32_t x = 0; x < 4; ++x)
    EXPECT_EQ(t.surface->colorAt(x, 1), want[x]);
  ASSERT_GT(stretchDIBits(t.dc, 0, 0, 4, 2, 0, 0, 2, 1, d.bits, d.info, ColorUse::Rgb, kSrcInvert),
            0);
  EXPECT_EQ(t.surface->colorAt(3, 0), kBlack);
}

// The classic run-length example: runs, literal stretches, a line end, a
// delta and the end of the bitmap.
TEST(Rle, Rle8RunsLiteralsDeltasAndEnds) {
  const std::vector<uint8_t> code = {0x03, 0x04, 0x05, 0x06, 0x00, 0x03, 0x45, 0x56,
                                     0x67, 0x00, 0x02, 0x78, 0x00, 0x02, 0x05, 0x01,
                                     0x02, 0x78, 0x00, 0x00, 0x09, 0x1E, 0x00, 0x01};
  RleImage img;
  ASSERT_TRUE(decodeRle(code, Compression::Rle8, 20, 3, &img));
  auto at = [&](int x, int line) { return img.index[size_t((2 - line) * 20 + x)]; };
  auto was = [&](int x, int line) { return img.written[size_t((2 - line) * 20 + x)]; };
  const uint8_t line0[] = {4, 4, 4, 6, 6, 6, 6, 6, 0x45, 0x56, 0x67, 0x78, 0x78};
  for (int x = 0; x < 13; ++x)
    EXPECT_EQ(at(x, 0), line0[x]) << x;
  EXPECT_FALSE(was(13, 0));
  // The delta moved right 5 and up 1 from (13, 0).
  EXPECT_FALSE(was(17, 1));
  EXPECT_EQ(at(18, 1), 0x78);
  EXPECT_EQ(at(19, 1), 0x78);
  EXPECT_FALSE(was(0, 1));
  for (int x = 0; x < 9; ++x)
    EXPECT_EQ(at(x, 2), 0x1E);
  EXPECT_FALSE(was(9, 2));
}

TEST(Rle, Rle4AlternatesNibblesAndPadsLiteralsToWords) {
  const std::vector<uint8_t> code = {0x05, 0x12, 0x00, 0x03, 0xAB, 0xC0, 0x02, 0x34, 0x00, 0x01};
  RleImage img;
  ASSERT_TRUE(decodeRle(code, Compression::Rle4, 12, 1, &img));
  const uint8_t want[] = {1, 2, 1, 2, 1, 0xA, 0xB, 0xC, 3, 4};
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(img.index[size_t(x)], want[x]) << x;
  EXPECT_FALSE(img.written[10]);
}

TEST(Rle, MalformedCodeStopsCleanly) {
  RleImage img;
  const std::vector<uint8_t> runsPastEdge = {0xFF, 0x01, 0xFF, 0x02, 0x00, 0xFF, 0x01};
  ASSERT_TRUE(decodeRle(runsPastEdge, Compression::Rle8, 3, 2, &img));
  EXPECT_EQ(img.index[3], 1);  // bottom row, cut at the edge
  const std::vector<uint8_t> deltaAway = {0x00, 0x02, 0xFF, 0xFF, 0x01, 0x07};
  ASSERT_TRUE(decodeRle(deltaAway, Compression::Rle8, 3, 2, &img));
  for (uint8_t w : img.written)
    EXPECT_EQ(w, 0);
  const std::vector<uint8_t> truncatedLiteral = {0x00, 0x09, 0x01};
  ASSERT_TRUE(decodeRle(truncatedLiteral, Compression::Rle8, 16, 1, &img));
  EXPECT_FALSE(decodeRle(runsPastEdge, Compression::Rgb, 3, 2, &img));
  EXPECT_FALSE(decodeRle(runsPastEdge, Compression::Rle8, 0, 2, &img));
  EXPECT_FALSE(decodeRle(runsPastEdge, Compression::Rle8, kMaxDimension, kMaxDimension, &img));
}

TEST(SetDIBitsToDevice, RunLengthGapsLeaveTheDestination) {
  BitmapInfo info;
  info.header.width = 4;
  info.header.height = 2;
  info.header.bitCount = 8;
  info.header.compression = Compression::Rle8;
  info.colors.assign(256, quadOf(kBlack));
  info.colors[1] = quadOf(kRed);
  // Bottom line: two red pixels then end of line; top line: skip 2, one red.
  const std::vector<uint8_t> code = {0x02, 0x01, 0x00, 0x00, 0x00, 0x02,
                                     0x02, 0x00, 0x01, 0x01, 0x00, 0x01};
  Target t(4, 2);
  ASSERT_EQ(setDIBitsToDevice(t.dc, 0, 0, 4, 2, 0, 0, 0, 2, code, info, ColorUse::Rgb), 2);
  EXPECT_EQ(t.surface->colorAt(0, 1), kRed);
  EXPECT_EQ(t.surface->colorAt(1, 1), kRed);
  EXPECT_EQ(t.surface->colorAt(2, 1), kGreen);
  EXPECT_EQ(t.surface->colorAt(0, 0), kGreen);
  EXPECT_EQ(t.surface->colorAt(2, 0), kRed);
  EXPECT_EQ(t.surface->colorAt(3, 0), kGreen);
}

TEST(GetDIBits, MonochromeBitmapsReadBackInBlackAndWhiteWithDefaultTables) {
  Target t(1, 1);
  auto mono = Surface::createMonochrome(2, 1);
  mono->setRawAt(1, 0, 1);
  t.dc.setTextColor(kRed);  // text colours do not apply when reading back
  BitmapInfo info;
  info.header.width = 2;
  info.header.height = 1;
  info.header.bitCount = 4;
  std::vector<uint8_t> out(4);
  ASSERT_EQ(getDIBits(t.dc, *mono, 0, 1, out, info, ColorUse::Rgb), 1);
  ASSERT_EQ(info.colors.size(), 16u);
  EXPECT_EQ(colorOf(info.colors[9]), kRed);  // the sixteen standard colours
  EXPECT_EQ(out[0], 0x0F);                   // black = 0, white = 15
  EXPECT_EQ(info.header.sizeImage, 4u);
}

}  // namespace
}  // namespace zel::gdi
