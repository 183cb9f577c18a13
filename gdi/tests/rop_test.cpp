// Every ternary raster operation checked against its truth table, in the
// kernels alone and through whole transfers in every destination format.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "gdi/blit.h"
#include "gdi/device_context.h"
#include "gdi/rop3.h"
#include "gdi/tests/format_cases.h"

namespace zel::gdi {
namespace {

TEST(Rop3, KernelsMatchTheTruthTableOfEveryCode) {
  std::mt19937 rng(1);
  constexpr size_t n = 37;
  std::vector<uint32_t> d(n), s(n), p(n), expect(n);
  for (int code = 0; code < 256; ++code) {
    for (bool solid : {false, true}) {
      for (auto& v : d)
        v = rng();
      for (auto& v : s)
        v = rng();
      for (auto& v : p)
        v = rng();
      const uint32_t sp = rng();
      for (size_t k = 0; k < n; ++k) {
        expect[k] = ropEvaluate(uint8_t(code), solid ? sp : p[k], s[k], d[k]);
      }
      ropKernel(uint8_t(code), solid)(d.data(), s.data(), p.data(), sp, n);
      ASSERT_EQ(d, expect) << "code " << code << (solid ? " solid" : "");
    }
  }
}

TEST(Rop3, NamedCodesComputeWhatTheirNamesSay) {
  using F = std::function<uint32_t(uint32_t, uint32_t, uint32_t)>;
  const std::pair<uint32_t, F> cases[] = {
      {kSrcCopy, [](uint32_t, uint32_t s, uint32_t) { return s; }},
      {kSrcPaint, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
      {kSrcAnd, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
      {kSrcInvert, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
      {kSrcErase, [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
      {kNotSrcCopy, [](uint32_t, uint32_t s, uint32_t) { return ~s; }},
      {kNotSrcErase, [](uint32_t, uint32_t s, uint32_t d) { return ~(s | d); }},
      {kMergeCopy, [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
      {kMergePaint, [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
      {kPatCopy, [](uint32_t p, uint32_t, uint32_t) { return p; }},
      {kPatPaint, [](uint32_t p, uint32_t s, uint32_t d) { return p | ~s | d; }},
      {kPatInvert, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
      {kDstInvert, [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
      {kBlackness, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
      {kWhiteness, [](uint32_t, uint32_t, uint32_t) { return ~0u; }},
  };
  for (const auto& [rop, f] : cases) {
    EXPECT_EQ(ropEvaluate(ropIndex(rop), 0xF0F0F0F0, 0xCCCCCCCC, 0xAAAAAAAA),
              f(0xF0F0F0F0, 0xCCCCCCCC, 0xAAAAAAAA))
        << std::hex << rop;
  }
  EXPECT_TRUE(ropUsesSource(ropIndex(kSrcCopy)));
  EXPECT_FALSE(ropUsesSource(ropIndex(kPatInvert)));
  EXPECT_TRUE(ropUsesPattern(ropIndex(kMergeCopy)));
  EXPECT_FALSE(ropUsesPattern(ropIndex(kSrcAnd)));
  EXPECT_FALSE(ropUsesDest(ropIndex(kNotSrcCopy)));
  EXPECT_TRUE(ropUsesDest(ropIndex(kDstInvert)));
}

TEST(Rop2, MixModesAreTheTernaryCodesOfPatternFills) {
  // Mix mode 1..16 and the raster operation a line drawn as a pattern fill
  // uses for it.
  const uint32_t table[16] = {0x000042, 0x0500A9, 0x0A0329, 0x0F0001, 0x500325, 0x550009,
                              0x5A0049, 0x5F00E9, 0xA000C9, 0xA50065, 0xAA0029, 0xAF0229,
                              0xF00021, 0xF50225, 0xFA0089, 0xFF0062};
  for (int m = 1; m <= 16; ++m)
    EXPECT_EQ(rop2Index(m), ropIndex(table[m - 1])) << m;
  EXPECT_EQ(rop2Index(0), 0xF0);  // out of range: copy pen
  EXPECT_EQ(rop2Apply(7, 0x0F, 0x3C), 0x33u);
}

// Random destination, source and 8x8 pattern through bitBlt for all 256
// codes, compared pixel by pixel with the truth table of the raw values.
TEST(Rop3, TransfersMatchTheTruthTableInEveryFormat) {
  std::mt19937 rng(7);
  auto display = Display::trueColor();
  for (const auto& f : testing::allDibFormats()) {
    SCOPED_TRACE(f.name);
    std::vector<RgbQuad> colors(256);
    for (auto& c : colors)
      c = RgbQuad{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    constexpr int32_t w = 21, h = 5;
    auto dst = testing::makeDib(f, w, h, false, colors);
    auto src = testing::makeDib(f, w, h, true, colors);
    auto pat = testing::makeDib(f, 8, 8, true, colors);
    ASSERT_TRUE(dst && src && pat);
    const uint32_t mask = dst->layout().valueMask();
    auto randomize = [&](Surface& s) {
      for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x)
          s.setRawAt(x, y, rng() & mask);
      }
    };
    randomize(*src);
    randomize(*pat);
    DeviceContext d(display), s(display);
    d.selectBitmap(dst);
    s.selectBitmap(src);
    d.selectBrush(Brush::fromPattern(*pat));
    d.setBrushOrigin(Point{3, 5});
    for (int code = 0; code < 256; ++code) {
      randomize(*dst);
      Surface before = *dst;
      ASSERT_TRUE(bitBlt(d, 1, 1, w - 2, h - 2, &s, 0, 0, uint32_t(code) << 16));
      for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
          uint32_t want = before.rawAt(x, y);
          if (x >= 1 && x < w - 1 && y >= 1 && y < h - 1) {
            const uint32_t p = pat->rawAt((x - 3 + 8) % 8, (y - 5 + 8) % 8);
            want = ropEvaluate(uint8_t(code), p, src->rawAt(x - 1, y - 1), want) & mask;
          }
          ASSERT_EQ(dst->rawAt(x, y), want) << "code " << code << " at " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zel::gdi
