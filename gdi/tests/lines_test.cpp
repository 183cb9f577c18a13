// Cosmetic lines, polylines, single pixels and rectangle fills.
#include <gtest/gtest.h>

#include <functional>

#include "gdi/blit.h"
#include "gdi/fill.h"
#include "gdi/lines.h"
#include "gdi/rop3.h"
#include "gdi/tests/reference_image.h"

namespace zel::gdi {
namespace {

constexpr ColorRef kRed = rgb(255, 0, 0), kBlue = rgb(0, 0, 255), kWhite = rgb(255, 255, 255);

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

struct LineCase {
  const char* reference;
  int32_t w, h;
  std::vector<Point> points;
  int style;
  BkMode mode;
};

TEST(Lines, MatchTheirReferencePictures) {
  const LineCase cases[] = {
      {"line_shallow", 6, 3, {{0, 0}, {5, 2}}, 0, BkMode::Transparent},
      {"line_tie_forward", 5, 3, {{0, 0}, {4, 2}}, 0, BkMode::Transparent},
      {"line_tie_backward", 5, 3, {{4, 2}, {0, 0}}, 0, BkMode::Transparent},
      {"line_steep", 2, 4, {{1, 0}, {0, 3}}, 0, BkMode::Opaque},
      {"polyline_dot_transparent", 5, 5, {{0, 0}, {4, 0}, {4, 4}}, 2, BkMode::Transparent},
      {"polyline_dot_opaque", 5, 5, {{0, 0}, {4, 0}, {4, 4}}, 2, BkMode::Opaque},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reference);
    Canvas canvas(c.w, c.h);
    canvas.dc.selectPen(Pen::cosmetic(c.style, kRed));
    canvas.dc.setBkMode(c.mode);
    canvas.dc.setBkColor(kBlue);
    ASSERT_TRUE(polyline(canvas.dc, c.points));
    EXPECT_TRUE(testing::matchesReference(*canvas.surface, c.reference));
  }
}

TEST(Lines, StylesRepeatTheirDashPatterns) {
  // Along a long horizontal line each style lights exactly its dash lengths.
  for (int style = 1; style <= 4; ++style) {
    SCOPED_TRACE(style);
    Canvas c(100, 1);
    c.dc.selectPen(Pen::cosmetic(style, kRed));
    c.dc.setBkMode(BkMode::Transparent);
    ASSERT_TRUE(lineTo(c.dc, {100, 0}));
    const auto dashes = cosmeticDashes(PenStyle(style));
    ASSERT_FALSE(dashes.empty());
    size_t k = 0;
    uint32_t left = dashes[0];
    for (int32_t x = 0; x < 100; ++x) {
      EXPECT_EQ(c.surface->colorAt(x, 0) == kRed, k % 2 == 0) << x;
      if (--left == 0) {
        k = (k + 1) % dashes.size();
        left = dashes[k];
      }
    }
  }
}

TEST(Lines, EveryMixModeCombinesPenAndDestination) {
  using Fn = std::function<uint32_t(uint32_t, uint32_t)>;
  const Fn named[16] = {
      [](uint32_t, uint32_t) { return 0u; },
      [](uint32_t p, uint32_t d) { return ~(p | d); },
      [](uint32_t p, uint32_t d) { return ~p & d; },
      [](uint32_t p, uint32_t) { return ~p; },
      [](uint32_t p, uint32_t d) { return p & ~d; },
      [](uint32_t, uint32_t d) { return ~d; },
      [](uint32_t p, uint32_t d) { return p ^ d; },
      [](uint32_t p, uint32_t d) { return ~(p & d); },
      [](uint32_t p, uint32_t d) { return p & d; },
      [](uint32_t p, uint32_t d) { return ~(p ^ d); },
      [](uint32_t, uint32_t d) { return d; },
      [](uint32_t p, uint32_t d) { return ~p | d; },
      [](uint32_t p, uint32_t) { return p; },
      [](uint32_t p, uint32_t d) { return p | ~d; },
      [](uint32_t p, uint32_t d) { return p | d; },
      [](uint32_t, uint32_t) { return ~0u; },
  };
  const ColorRef pen = rgb(0x3C, 0xA5, 0x0F);
  const uint32_t dest[4] = {0x00000000, 0x00FFFFFF, 0x0055AA33, 0x00C3691E};
  for (int mode = 1; mode <= 16; ++mode) {
    SCOPED_TRACE(mode);
    Canvas c(4, 1);
    for (int32_t x = 0; x < 4; ++x)
      c.surface->setRawAt(x, 0, dest[x]);
    c.dc.selectPen(Pen::cosmetic(0, pen));
    c.dc.setRop2(mode);
    ASSERT_TRUE(lineTo(c.dc, {4, 0}));
    const uint32_t p = c.surface->rawOfColor(pen);
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(c.surface->rawAt(x, 0), named[mode - 1](p, dest[x])) << x;
  }
}

TEST(Lines, ClippingKeepsExactlyThePixelsInsideTheClip) {
  uint32_t seed = 99;
  const auto next = [&](int32_t m) {
    seed = seed * 1664525u + 1013904223u;
    return int32_t((seed >> 8) % uint32_t(m)) - m / 4;
  };
  const Rect clip{5, 7, 23, 19};
  for (int trial = 0; trial < 200; ++trial) {
    const Point a{next(48), next(48)}, b{next(48), next(48)};
    Canvas whole(32, 32), clipped(32, 32);
    for (Canvas* c : {&whole, &clipped}) {
      c->dc.selectPen(Pen::cosmetic(trial % 5, kRed));
      c->dc.setBkColor(kBlue);
      const Point pts[] = {a, b, {b.x / 2, a.y}};
      ASSERT_TRUE(polyline(c->dc, pts));
    }
    clipped.dc.setClip(clip);
    clipped.surface->fill(clipped.surface->rawOfColor(kWhite));
    const Point pts[] = {a, b, {b.x / 2, a.y}};
    ASSERT_TRUE(polyline(clipped.dc, pts));
    for (int32_t y = 0; y < 32; ++y)
      for (int32_t x = 0; x < 32; ++x)
        ASSERT_EQ(clipped.surface->colorAt(x, y),
                  clip.contains(x, y) ? whole.surface->colorAt(x, y) : kWhite)
            << trial << " at " << x << "," << y;
  }
}

TEST(Lines, HugeEndPointsOnlyWalkTheVisiblePart) {
  Canvas c(8, 8);
  c.dc.selectPen(Pen::cosmetic(0, kRed));
  const Point diagonal[] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}};
  ASSERT_TRUE(polyline(c.dc, diagonal));
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x)
      EXPECT_EQ(c.surface->colorAt(x, y) == kRed, x == y) << x << "," << y;
  const Point across[] = {{INT32_MAX, 3}, {INT32_MIN, 3}, {INT32_MIN, INT32_MAX}};
  ASSERT_TRUE(polyline(c.dc, across));
  for (int32_t x = 0; x < 8; ++x)
    EXPECT_EQ(c.surface->colorAt(x, 3), kRed);
}

TEST(Lines, CurrentPositionNullPenAndDegenerateInput) {
  Canvas c(4, 4);
  c.dc.moveTo({0, 0});
  ASSERT_TRUE(lineTo(c.dc, {3, 0}));
  EXPECT_EQ(c.dc.currentPosition(), (Point{3, 0}));
  ASSERT_TRUE(lineTo(c.dc, {3, 3}));
  EXPECT_EQ(c.surface->colorAt(3, 0), rgb(0, 0, 0));  // start of the second line
  EXPECT_EQ(c.surface->colorAt(3, 3), kWhite);        // its end is left out
  c.dc.selectPen(Pen::cosmetic(5, kRed));
  ASSERT_TRUE(lineTo(c.dc, {0, 3}));
  EXPECT_EQ(c.surface->colorAt(1, 3), kWhite);
  const Point one[] = {{1, 1}};
  EXPECT_FALSE(polyline(c.dc, one));
  EXPECT_FALSE(polyline(c.dc, {}));
}

TEST(SetPixel, SetsTheNearestColourInsideTheClipOnly) {
  const std::vector<RgbQuad> table = {quadOf(rgb(0, 0, 0)), quadOf(rgb(200, 0, 0))};
  DibHeader h;
  h.width = 3;
  h.height = -1;
  h.bitCount = 8;
  auto s = Surface::createDib(h, table);
  DeviceContext dc(Display::trueColor());
  dc.selectBitmap(s);
  dc.setRop2(int(Rop2::XorPen));  // the mix mode plays no part
  EXPECT_EQ(setPixel(dc, 1, 0, kRed), rgb(200, 0, 0));
  EXPECT_EQ(s->rawAt(1, 0), 1u);
  EXPECT_EQ(setPixel(dc, 3, 0, kRed), kInvalidColor);
  EXPECT_EQ(setPixel(dc, -1, 0, kRed), kInvalidColor);
  dc.setClip(Rect{0, 0, 1, 1});
  EXPECT_EQ(setPixel(dc, 2, 0, kRed), kInvalidColor);
  EXPECT_EQ(s->rawAt(2, 0), 0u);
}

TEST(FillRect, PaintsTheBrushAtTheBrushOriginLikeAPatternCopy) {
  const auto hatch = Brush::hatched(int(HatchStyle::DiagonalCross), kRed);
  Canvas filled(12, 12), copied(12, 12);
  for (Canvas* c : {&filled, &copied}) {
    c->dc.setBrushOrigin({3, 5});
    c->dc.setBkColor(kBlue);
  }
  filled.dc.setRop2(int(Rop2::XorPen));  // ignored by fills
  ASSERT_TRUE(fillRect(filled.dc, Rect{1, 2, 11, 9}, *hatch));
  copied.dc.selectBrush(hatch);
  ASSERT_TRUE(patBlt(copied.dc, 1, 2, 10, 7, kPatCopy));
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 12; ++x)
      ASSERT_EQ(filled.surface->colorAt(x, y), copied.surface->colorAt(x, y)) << x << "," << y;
  // Right and bottom edges are out; an inverted rectangle fills nothing.
  EXPECT_EQ(filled.surface->colorAt(11, 4), kWhite);
  EXPECT_EQ(filled.surface->colorAt(4, 9), kWhite);
  Canvas c(4, 4);
  ASSERT_TRUE(fillRect(c.dc, Rect{3, 3, 1, 1}, *Brush::solid(kRed)));
  ASSERT_TRUE(fillRect(c.dc, Rect{INT32_MIN, 2, INT32_MAX, 3}, *Brush::solid(kRed)));
  EXPECT_EQ(c.surface->colorAt(2, 2), kRed);
  EXPECT_EQ(c.surface->colorAt(2, 1), kWhite);
}

}  // namespace
}  // namespace zel::gdi
