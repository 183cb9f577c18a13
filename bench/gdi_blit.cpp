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

// Op and baseline measured in turns, so a machine busy with other work slows
// both alike; medians of each.
std::pair<double, double> paired(const std::function<void()>& op, const std::function<void()>& base,
                                 double budget) {
  std::vector<double> a, b;
  for (int i = 0; i < 5; ++i) {
    a.push_back(secondsPerRun(op, budget / 5));
    b.push_back(secondsPerRun(base, budget / 5));
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return {a[2], b[2]};
}

void print(const std::string& size, const std::vector<Row>& rows) {
  std::printf("\n%-34s %12s %12s %7s %6s\n", ("[" + size + "]").c_str(), "op us", "base us",
              "ratio", "goal");
  for (const auto& r : rows) {
    const double ratio = r.baseline / r.seconds;
    if (r.seconds == 0) {  // a ratio only
      std::printf("%-34s %12s %12s %7.2f %6.2f %s\n", r.name.c_str(), "-", "-", r.baseline, r.goal,
                  r.baseline >= r.goal ? "" : "BELOW GOAL");
      continue;
    }
    std::printf("%-34s %12.2f %12.2f %7.2f %6.2f %s\n", r.name.c_str(), r.seconds * 1e6,
                r.baseline * 1e6, ratio, r.goal, ratio >= r.goal ? "" : "BELOW GOAL");
  }
}

// Operations on a w x h rectangle of full HD surfaces; the baselines copy or
// set the same bytes: one call for the whole surface, one call per row for a
// tile (its rows are not contiguous).
void runSize(int32_t w, int32_t h, double budget, bool sweep) {
  Setup s(1920, 1080);
  const size_t rowBytes = size_t(w) * 4, pitch = 1920 * 4;
  const bool whole = w == 1920;
  auto baseline = [&](bool copy) {
    return [&s, copy, whole, h, pitch, rowBytes] {
      if (whole) {
        copy ? (void)std::memcpy(s.a.data(), s.b.data(), s.a.size())
             : (void)std::memset(s.a.data(), 0x5A, s.a.size());
        return;
      }
      for (int32_t y = 0; y < h; ++y) {
        uint8_t* d = s.a.data() + size_t(y + 64) * pitch + 256;
        copy ? (void)std::memcpy(d, s.b.data() + size_t(y + 64) * pitch + 256, rowBytes)
             : (void)std::memset(d, 0x5A, rowBytes);
      }
    };
  };
  const int32_t x0 = whole ? 0 : 64, y0 = whole ? 0 : 64;
  std::vector<Row> rows;
  auto measure = [&](const std::string& name, const std::function<void()>& op, bool copy,
                     double goal) {
    const auto [t, base] = paired(op, baseline(copy), budget);
    rows.push_back({name, t, base, goal});
  };
  auto blitOp = [&](uint32_t rop) {
    return [&s, x0, y0, w, h, rop] { bitBlt(s.dst, x0, y0, w, h, &s.src, x0, y0, rop); };
  };
  measure("SRCCOPY vs memcpy", blitOp(kSrcCopy), true, 0.8);
  measure(
      "PATCOPY (solid) vs memset", [&] { patBlt(s.dst, x0, y0, w, h, kPatCopy); }, false, 0.8);
  const std::pair<const char*, uint32_t> named[] = {
      {"SRCPAINT", kSrcPaint},   {"SRCAND", kSrcAnd},         {"SRCINVERT", kSrcInvert},
      {"SRCERASE", kSrcErase},   {"NOTSRCCOPY", kNotSrcCopy}, {"NOTSRCERASE", kNotSrcErase},
      {"MERGECOPY", kMergeCopy}, {"MERGEPAINT", kMergePaint}, {"PATPAINT", kPatPaint},
      {"PATINVERT", kPatInvert}, {"DSTINVERT", kDstInvert},   {"BLACKNESS", kBlackness},
      {"WHITENESS", kWhiteness},
  };
  for (const auto& [name, rop] : named)
    measure(std::string(name) + " vs memcpy", blitOp(rop), true, 0.5);
  if (sweep) {
    double worstRatio = 1e9, sum = 0;
    int worstCode = 0;
    for (int code = 0; code < 256; ++code) {
      const auto [t, base] = paired(blitOp(uint32_t(code) << 16), baseline(true), budget / 4);
      sum += base / t;
      if (base / t < worstRatio) {
        worstRatio = base / t;
        worstCode = code;
      }
    }
    rows.push_back({"all 256 codes, mean ratio", 0, sum / 256, 0.25});
    char label[64];
    std::snprintf(label, sizeof label, "slowest code 0x%02X", worstCode);
    rows.push_back({label, 0, worstRatio, 0.25});
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
