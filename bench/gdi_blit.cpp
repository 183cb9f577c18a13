// Benchmark of the gdi layer's transfers, each printed beside its baseline
// (memcpy or memset of the same bytes) measured in the same run.
//
//   gdi_blit_bench [--quick]
//
// Ratio = baseline time / operation time: 1.0 means as fast as the baseline.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gdi/blit.h"
#include "gdi/device_context.h"
#include "gdi/rop3.h"

namespace {

using namespace zel::gdi;
using Clock = std::chrono::steady_clock;

double secondsPerRun(const std::function<void()>& f, double budget) {
  f();  // warm-up
  std::vector<double> samples;
  for (int s = 0; s < 5; ++s) {
    size_t runs = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
      f();
      ++runs;
      elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < budget / 5);
    samples.push_back(elapsed / double(runs));
  }
  std::sort(samples.begin(), samples.end());
  return samples[2];
}

struct Setup {
  std::shared_ptr<Display> display = Display::trueColor();
  DeviceContext dst{display}, src{display};
  int32_t w, h;
  std::vector<uint8_t> a, b;
  Setup(int32_t width, int32_t height) : w(width), h(height) {
    auto d = Surface::createDevice(*display, w, h);
    auto s = Surface::createDevice(*display, w, h);
    std::mt19937 rng(3);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x)
        s->setRawAt(x, y, rng());
    }
    dst.selectBitmap(d);
    src.selectBitmap(s);
    dst.selectBrush(Brush::solid(rgb(10, 200, 30)));
    a.resize(size_t(w) * size_t(h) * 4);
    b.resize(a.size(), 7);
  }
};

struct Row {
  std::string name;
  double seconds, baseline;
  double goal;
};

void print(const std::string& size, const std::vector<Row>& rows) {
  std::printf("\n%-34s %12s %12s %7s %6s\n", ("[" + size + "]").c_str(), "op us", "base us",
              "ratio", "goal");
  for (const auto& r : rows) {
    const double ratio = r.baseline / r.seconds;
    std::printf("%-34s %12.2f %12.2f %7.2f %6.2f %s\n", r.name.c_str(), r.seconds * 1e6,
                r.baseline * 1e6, ratio, r.goal, ratio >= r.goal ? "" : "BELOW GOAL");
  }
}

void runSize(int32_t w, int32_t h, double budget, bool sweep) {
  Setup s(w, h);
  const size_t bytes = s.a.size();
  const double copy = secondsPerRun([&] { std::memcpy(s.a.data(), s.b.data(), bytes); }, budget);
  const double set = secondsPerRun([&] { std::memset(s.a.data(), 0x5A, bytes); }, budget);
  std::vector<Row> rows;
  auto blit = [&](uint32_t rop) {
    return secondsPerRun([&] { bitBlt(s.dst, 0, 0, w, h, &s.src, 0, 0, rop); }, budget);
  };
  rows.push_back({"SRCCOPY vs memcpy", blit(kSrcCopy), copy, 0.8});
  rows.push_back({"PATCOPY (solid) vs memset",
                  secondsPerRun([&] { patBlt(s.dst, 0, 0, w, h, kPatCopy); }, budget), set, 0.8});
  rows.push_back({"solid fill (fill) vs memset",
                  secondsPerRun([&] { s.dst.surface().fill(0x123456); }, budget), set, 0.8});
  const std::pair<const char*, uint32_t> named[] = {
      {"SRCPAINT", kSrcPaint},   {"SRCAND", kSrcAnd},         {"SRCINVERT", kSrcInvert},
      {"SRCERASE", kSrcErase},   {"NOTSRCCOPY", kNotSrcCopy}, {"NOTSRCERASE", kNotSrcErase},
      {"MERGECOPY", kMergeCopy}, {"MERGEPAINT", kMergePaint}, {"PATPAINT", kPatPaint},
      {"PATINVERT", kPatInvert}, {"DSTINVERT", kDstInvert},   {"BLACKNESS", kBlackness},
      {"WHITENESS", kWhiteness},
  };
  for (const auto& [name, rop] : named) {
    rows.push_back({std::string(name) + " vs memcpy", blit(rop), copy, 0.5});
  }
  if (sweep) {
    double worst = 0, total = 0;
    int worstCode = 0;
    for (int code = 0; code < 256; ++code) {
      const double t = blit(uint32_t(code) << 16);
      total += t;
      if (t > worst) {
        worst = t;
        worstCode = code;
      }
    }
    rows.push_back({"all 256 codes, mean vs memcpy", total / 256, copy, 0.25});
    char label[64];
    std::snprintf(label, sizeof label, "slowest code 0x%02X vs memcpy", worstCode);
    rows.push_back({label, worst, copy, 0.25});
  }
  print(std::to_string(w) + "x" + std::to_string(h), rows);
}

void runGlyphs(double budget) {
  // 8x16 monochrome glyphs put on a 32-bit surface in the transparent-text
  // operation: where the glyph bit is set the brush (text colour) lands.
  auto display = Display::trueColor();
  DeviceContext dst(display), glyph(display);
  dst.selectBitmap(Surface::createDevice(*display, 1024, 64));
  auto g = Surface::createMonochrome(8, 16);
  for (int32_t y = 0; y < 16; ++y)
    g->setRawAt(y % 8, y, 1);
  glyph.selectBitmap(g);
  dst.selectBrush(Brush::solid(rgb(0, 0, 0)));
  dst.setTextColor(rgb(0, 0, 0));
  dst.setBkColor(rgb(255, 255, 255));
  constexpr int kGlyphs = 1000;
  const double t = secondsPerRun(
      [&] {
        for (int i = 0; i < kGlyphs; ++i) {
          bitBlt(dst, (i * 8) % 1016, (i / 127) % 48, 8, 16, &glyph, 0, 0, 0x00E20746);
        }
      },
      budget);
  std::printf("\n[glyphs] 8x16 cached glyph composition: %.2f million glyphs/s (goal 2)\n",
              kGlyphs / t / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const double budget = quick ? 0.05 : 0.3;
  runSize(1920, 1080, budget, true);
  runSize(64, 64, budget, true);
  runGlyphs(budget);
  return 0;
}
