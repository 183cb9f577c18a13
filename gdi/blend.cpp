#include "gdi/blend.h"

#include <algorithm>
#include <optional>

#include "gdi/transfer_rows.h"

namespace zel::gdi {
namespace {

// The clipped destination of a stretched colour-on-colour transfer and, for
// each of its columns and rows, the source pixel taken.
struct StretchPlan {
  Rect r;
  Mapping cols, rows;

  StretchPlan(const DeviceContext& dst, int32_t x, int32_t y, int32_t w, int32_t h,
              const Surface& s, int32_t sx, int32_t sy, int32_t sw, int32_t sh)
      : r(Rect::fromSize(x, y, w, h).intersect(dst.clipBox())) {
    if (r.empty()) return;
    cols = mapAxis(w, sx, sw, false, int64_t(r.left) - x, int64_t(r.right) - x, s.width());
    rows = mapAxis(h, sy, sh, false, int64_t(r.top) - y, int64_t(r.bottom) - y, s.height());
  }
  int32_t width() const { return int32_t(r.width()); }
};

// Source rows read from a copy when the source is the destination itself, so
// that pixels already drawn are not read again.
class StretchSource {
 public:
  StretchSource(const Surface& s, const Surface& d) : s_(s), line_(size_t(s.width())) {
    if (&s == &d) snapshot_.emplace(s);
  }
  // The source pixels of one destination row (valid where valid[k]).
  void gather(const StretchPlan& plan, int32_t srcY, uint32_t* out, uint8_t* valid) {
    const Surface& from = snapshot_ ? *snapshot_ : s_;
    from.readRow(srcY, 0, from.width(), line_.data());
    for (size_t k = 0; k < plan.cols.first.size(); ++k) {
      const int32_t c = plan.cols.first[k];
      valid[k] = c >= 0;
      out[k] = c >= 0 ? line_[size_t(c)] : 0;
    }
  }

 private:
  const Surface& s_;
  std::optional<Surface> snapshot_;
  std::vector<uint32_t> line_;
};

constexpr uint32_t div255(uint32_t v) {
  return (v + 127) / 255;
}

struct Rgba {
  uint32_t c[4];  // red, green, blue, alpha
};

Rgba rgbaOf(const Surface& s, uint32_t raw) {
  const ColorRef col = s.colorOfRaw(raw);
  return Rgba{{redOf(col), greenOf(col), blueOf(col), s.bitsPerPixel() == 32 ? raw >> 24 : 255u}};
}

}  // namespace

bool transparentBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                    const DeviceContext* src, int32_t sx, int32_t sy, int32_t srcWidth,
                    int32_t srcHeight, ColorRef transparent) {
  if (!src || width < 1 || height < 1 || srcWidth < 1 || srcHeight < 1) return false;
  const Surface& s = src->surface();
  Surface& d = dst.surface();
  const StretchPlan plan(dst, x, y, width, height, s, sx, sy, srcWidth, srcHeight);
  if (plan.r.empty()) return true;
  const PixelLayout& l = s.layout();
  const uint32_t colourBits =
      l.isIndexed() ? l.valueMask() : l.red.mask | l.green.mask | l.blue.mask;
  const uint32_t key = src->rawOf(transparent) & colourBits;
  const RowConverter convert(*src, dst);
  StretchSource source(s, d);
  const int32_t n = plan.width();
  RowBuffer<uint32_t> raw{size_t(n)}, converted{size_t(n)};
  RowBuffer<uint8_t> valid{size_t(n)};
  DestRows rows(d, plan.r.left, n);
  for (int32_t i = 0; i < int32_t(plan.rows.first.size()); ++i) {
    const int32_t srcY = plan.rows.first[size_t(i)];
    if (srcY < 0) continue;
    source.gather(plan, srcY, raw.data(), valid.data());
    convert.convert(raw.data(), converted.data(), size_t(n));
    const int32_t yy = plan.r.top + i;
    uint32_t* dp = rows.load(yy);
    for (int32_t k = 0; k < n; ++k) {
      if (valid[size_t(k)] && (raw[size_t(k)] & colourBits) != key) dp[k] = converted[size_t(k)];
    }
    rows.store(yy);
  }
  return true;
}

bool alphaBlend(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                const DeviceContext& src, int32_t sx, int32_t sy, int32_t srcWidth,
                int32_t srcHeight, BlendFunction blend) {
  if (blend.op != BlendFunction::kSourceOver || blend.flags != 0 ||
      (blend.alphaFormat & ~BlendFunction::kSourceAlpha) != 0) {
    return false;
  }
  if (width < 1 || height < 1 || srcWidth < 1 || srcHeight < 1) return false;
  const Surface& s = src.surface();
  Surface& d = dst.surface();
  const Rect srcRect = Rect::fromSize(sx, sy, srcWidth, srcHeight);
  if (sx < 0 || sy < 0 || int64_t(sx) + srcWidth > s.width() ||
      int64_t(sy) + srcHeight > s.height()) {
    return false;
  }
  if (&s == &d && !Rect::fromSize(x, y, width, height).intersect(srcRect).empty()) return false;
  const bool perPixel = blend.alphaFormat == BlendFunction::kSourceAlpha;
  if (perPixel && s.bitsPerPixel() != 32) return false;
  const StretchPlan plan(dst, x, y, width, height, s, sx, sy, srcWidth, srcHeight);
  if (plan.r.empty()) return true;
  const uint32_t a = blend.constantAlpha;
  const int32_t n = plan.width();
  RowBuffer<uint32_t> raw{size_t(n)};
  RowBuffer<uint8_t> valid{size_t(n)};
  StretchSource source(s, d);
  DestRows rows(d, plan.r.left, n);
  const bool destAlpha = d.bitsPerPixel() == 32;
  for (int32_t i = 0; i < int32_t(plan.rows.first.size()); ++i) {
    const int32_t srcY = plan.rows.first[size_t(i)];
    if (srcY < 0) continue;
    source.gather(plan, srcY, raw.data(), valid.data());
    const int32_t yy = plan.r.top + i;
    uint32_t* dp = rows.load(yy);
    for (int32_t k = 0; k < n; ++k) {
      if (!valid[size_t(k)]) continue;
      const Rgba sc = rgbaOf(s, raw[size_t(k)]);
      const Rgba dc = rgbaOf(d, dp[k]);
      uint32_t out[4];
      if (perPixel) {
        const uint32_t keep = 255 - div255(sc.c[3] * a);
        for (int c = 0; c < 4; ++c)
          out[c] = std::min<uint32_t>(255, div255(sc.c[c] * a) + div255(dc.c[c] * keep));
      } else {
        for (int c = 0; c < 4; ++c)
          out[c] = std::min<uint32_t>(255, div255(sc.c[c] * a) + div255(dc.c[c] * (255 - a)));
      }
      const uint32_t v = d.rawOfColor(rgb(uint8_t(out[0]), uint8_t(out[1]), uint8_t(out[2])));
      dp[k] = destAlpha ? (v & 0x00FFFFFFu) | (out[3] << 24) : v;
    }
    rows.store(yy);
  }
  return true;
}

}  // namespace zel::gdi
