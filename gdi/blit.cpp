#include "gdi/blit.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "gdi/realized_brush.h"
#include "gdi/rop3.h"
#include "gdi/row_buffer.h"
#include "gdi/row_convert.h"

namespace zel::gdi {
namespace {

// Rows of the destination as raw values: 32-bit surfaces are worked on in
// place, others through a scratch row.
class DestRows {
 public:
  DestRows(Surface& s, int32_t x, int32_t n)
      : s_(s), x_(x), n_(n), direct_(s.bitsPerPixel() == 32) {
    if (!direct_) buf_.resize(size_t(n));
  }
  uint32_t* load(int32_t y) {
    if (direct_) return s_.row32(y) + x_;
    s_.readRow(y, x_, n_, buf_.data());
    return buf_.data();
  }
  void store(int32_t y) {
    if (!direct_) s_.writeRow(y, x_, n_, buf_.data());
  }

 private:
  Surface& s_;
  int32_t x_, n_;
  bool direct_;
  RowBuffer<uint32_t> buf_;
};

// Applies one row of an operation, honouring a pattern mask when the brush
// leaves some pixels alone.
struct RowOp {
  RopRow kernel;
  const RealizedBrush* brush;
  bool usesPattern;
  bool masked;
  RowBuffer<uint32_t> pattern, result;
  RowBuffer<uint8_t> mask;

  RowOp(uint8_t index, const RealizedBrush* b, int32_t n)
      : kernel(ropKernel(index, !b || b->solid())),
        brush(b),
        usesPattern(ropUsesPattern(index) && b && !b->solid()),
        masked(ropUsesPattern(index) && b && b->masked()) {
    if (usesPattern) pattern.resize(size_t(n));
    if (masked) {
      mask.resize(size_t(n));
      result.resize(size_t(n));
    }
  }

  void apply(uint32_t* d, const uint32_t* s, int32_t y, int32_t x, int32_t n) {
    const uint32_t solid = brush ? brush->solidValue() : 0;
    if (usesPattern) brush->row(y, x, n, pattern.data(), masked ? mask.data() : nullptr);
    if (!masked) {
      kernel(d, s, pattern.data(), solid, size_t(n));
      return;
    }
    std::copy_n(d, n, result.data());
    kernel(result.data(), s, pattern.data(), solid, size_t(n));
    for (int32_t k = 0; k < n; ++k) {
      if (mask[size_t(k)]) d[k] = result[size_t(k)];
    }
  }
};

// Destination rectangle clipped; false when nothing is left.
bool clipDest(const DeviceContext& dc, int64_t x, int64_t y, int64_t w, int64_t h, Rect* out) {
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  *out = Rect::fromSize(x, y, w, h).intersect(dc.clipBox());
  return !out->empty();
}

}  // namespace

bool patBlt(DeviceContext& dc, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop) {
  const uint8_t index = ropIndex(rop);
  if (ropUsesSource(index)) return false;
  return bitBlt(dc, x, y, width, height, nullptr, 0, 0, rop);
}

bool bitBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
            const DeviceContext* src, int32_t sx, int32_t sy, uint32_t rop) {
  const uint8_t index = ropIndex(rop);
  const bool usesSource = ropUsesSource(index);
  if (usesSource && !src) return false;
  int64_t x0 = x, y0 = y, w = width, h = height, sx0 = sx, sy0 = sy;
  if (w < 0) {
    x0 += w;
    sx0 += w;
    w = -w;
  }
  if (h < 0) {
    y0 += h;
    sy0 += h;
    h = -h;
  }
  Rect r;
  if (!clipDest(dst, x0, y0, w, h, &r)) return true;
  if (usesSource) {
    // Keep only destination pixels whose source lies inside the source.
    const Rect srcInDest = src->surface().bounds();
    const int64_t dx = x0 - sx0, dy = y0 - sy0;
    const Rect mapped = Rect::fromSize(int64_t(srcInDest.left) + dx, int64_t(srcInDest.top) + dy,
                                       srcInDest.width(), srcInDest.height());
    r = r.intersect(mapped);
    if (r.empty()) return true;
  }
  std::optional<RealizedBrush> brush;
  if (ropUsesPattern(index)) {
    brush.emplace(dst);
    if (brush->hollow()) return true;
  }
  Surface& d = dst.surface();
  const int32_t n = int32_t(r.width());
  const int64_t srcX = usesSource ? r.left - (x0 - sx0) : 0;
  const int64_t srcYOffset = usesSource ? (y0 - sy0) : 0;

  std::optional<RowConverter> convert;
  const Surface* s = usesSource ? &src->surface() : nullptr;
  if (usesSource) convert.emplace(*src, dst);
  const bool sameSurface = s == &d;
  const bool directSource =
      usesSource && !sameSurface && convert->identity() && s->bitsPerPixel() == 32;
  RowBuffer<uint32_t> srcRaw, srcRow;
  if (usesSource && !directSource) {
    srcRaw.resize(size_t(n));
    srcRow.resize(size_t(n));
  }

  RowOp op(index, brush ? &*brush : nullptr, n);
  // Whole rows of contiguous 32-bit surfaces without a pattern row are one
  // long row: a full-screen copy or fill is then a single kernel call.
  const auto contiguous = [&](const Surface& surf, int64_t left) {
    return surf.bitsPerPixel() == 32 && left == 0 && r.width() == surf.width() &&
           surf.stride() == size_t(surf.width()) * 4;
  };
  if (contiguous(d, r.left) && !op.usesPattern && !op.masked &&
      (!usesSource || (directSource && contiguous(*s, srcX)))) {
    const size_t pixels = size_t(n) * size_t(r.height());
    const uint32_t* sp = usesSource ? s->row32(int32_t(r.top - srcYOffset)) : nullptr;
    uint32_t* dp = d.row32(r.top);
    if (d.topDown() && (!usesSource || s->topDown())) {
      op.kernel(dp, sp, nullptr, brush ? brush->solidValue() : 0, pixels);
      return true;
    }
  }
  DestRows rows(d, r.left, n);
  // Walk upwards when copying down within one surface.
  const bool upward = sameSurface && srcYOffset > 0;
  for (int32_t i = 0; i < int32_t(r.height()); ++i) {
    const int32_t yy = upward ? r.bottom - 1 - i : r.top + i;
    const uint32_t* sp = nullptr;
    if (usesSource) {
      const int32_t syy = int32_t(yy - srcYOffset);
      if (directSource) {
        sp = s->row32(syy) + srcX;
      } else {
        s->readRow(syy, int32_t(srcX), n, srcRaw.data());
        convert->convert(srcRaw.data(), srcRow.data(), size_t(n));
        sp = srcRow.data();
      }
    }
    uint32_t* dp = rows.load(yy);
    op.apply(dp, sp, yy, r.left, n);
    rows.store(yy);
  }
  return true;
}

bool stretchBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                const DeviceContext* src, int32_t sx, int32_t sy, int32_t srcWidth,
                int32_t srcHeight, uint32_t rop) {
  const uint8_t index = ropIndex(rop);
  if (!ropUsesSource(index)) return patBlt(dst, x, y, width, height, rop);
  if (!src) return false;
  return stretchSurface(dst, x, y, width, height, src->surface(), src->bkColor(), sx, sy, srcWidth,
                        srcHeight, rop);
}

namespace {

// For each destination column (or row) of a stretch, the first source index
// and how many source pixels fall on it; -1 marks a source outside the
// surface.
struct Mapping {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
};

Mapping mapAxis(int64_t dstLen, int64_t srcStart, int64_t srcLen, bool mirror, int64_t from,
                int64_t to, int32_t srcLimit) {
  Mapping m;
  m.first.resize(size_t(to - from));
  m.count.resize(size_t(to - from));
  for (int64_t i = from; i < to; ++i) {
    int64_t a = i * srcLen / dstLen;
    int64_t b = (i + 1) * srcLen / dstLen;
    if (b <= a) b = a + 1;
    if (mirror) {
      const int64_t na = srcLen - b, nb = srcLen - a;
      a = na;
      b = nb;
    }
    a += srcStart;
    b += srcStart;
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, srcLimit);
    const size_t k = size_t(i - from);
    if (b <= a) {
      m.first[k] = -1;
      m.count[k] = 0;
    } else {
      m.first[k] = int32_t(a);
      m.count[k] = int32_t(b - a);
    }
  }
  return m;
}

}  // namespace

bool stretchSurface(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                    const Surface& s, ColorRef srcBk, int32_t sx, int32_t sy, int32_t srcWidth,
                    int32_t srcHeight, uint32_t rop) {
  const uint8_t index = ropIndex(rop);
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return false;
  if (width == srcWidth && height == srcHeight && width > 0 && height > 0) {
    // Same size: a plain transfer.
    DeviceContext tmp(dst.display());
    // A non-owning handle: the context lives only for this call.
    tmp.selectBitmap(
        std::shared_ptr<Surface>(std::shared_ptr<Surface>{}, const_cast<Surface*>(&s)));
    tmp.setBkColor(srcBk);
    tmp.selectPalette(dst.palette());
    return bitBlt(dst, x, y, width, height, &tmp, sx, sy, rop);
  }
  const int64_t dx0 = std::min<int64_t>(x, int64_t(x) + width);
  const int64_t dy0 = std::min<int64_t>(y, int64_t(y) + height);
  const int64_t dw = std::abs(int64_t(width)), dh = std::abs(int64_t(height));
  const int64_t sx0 = std::min<int64_t>(sx, int64_t(sx) + srcWidth);
  const int64_t sy0 = std::min<int64_t>(sy, int64_t(sy) + srcHeight);
  const int64_t sw = std::abs(int64_t(srcWidth)), sh = std::abs(int64_t(srcHeight));
  const bool mirrorX = (width < 0) != (srcWidth < 0);
  const bool mirrorY = (height < 0) != (srcHeight < 0);
  Rect r = Rect::fromSize(dx0, dy0, dw, dh).intersect(dst.clipBox());
  if (r.empty()) return true;
  Mapping cols = mapAxis(dw, sx0, sw, mirrorX, r.left - dx0, r.right - dx0, s.width());
  Mapping rowsMap = mapAxis(dh, sy0, sh, mirrorY, r.top - dy0, r.bottom - dy0, s.height());
  // The valid columns form one run because the mapping is monotonic.
  int32_t c0 = 0, c1 = int32_t(cols.first.size());
  while (c0 < c1 && cols.first[size_t(c0)] < 0)
    ++c0;
  while (c1 > c0 && cols.first[size_t(c1 - 1)] < 0)
    --c1;
  if (c0 >= c1) return true;
  const int32_t n = c1 - c0;
  const int32_t left = r.left + c0;

  std::optional<RealizedBrush> brush;
  if (ropUsesPattern(index)) {
    brush.emplace(dst);
    if (brush->hollow()) return true;
  }
  const RowConverter convert(s, srcBk, dst);
  Surface& d = dst.surface();
  const StretchMode mode = dst.stretchMode();
  std::vector<uint32_t> srcRaw(size_t(s.width())), srcConv(size_t(s.width()));
  std::vector<uint32_t> acc(static_cast<size_t>(n));
  std::vector<uint32_t> sumR, sumG, sumB, sumN;
  // Stretching within one surface reads from a copy of it.
  std::optional<Surface> snapshot;
  if (&s == &d) snapshot.emplace(s);
  const Surface& from = snapshot ? *snapshot : s;
  DestRows rows(d, left, n);
  RowOp op(index, brush ? &*brush : nullptr, n);

  for (int32_t ri = 0; ri < int32_t(rowsMap.first.size()); ++ri) {
    const int32_t firstRow = rowsMap.first[size_t(ri)];
    if (firstRow < 0) continue;
    const int32_t rowCount = mode == StretchMode::ColorOnColor ? 1 : rowsMap.count[size_t(ri)];
    const bool average = mode == StretchMode::Halftone;
    if (average) {
      sumR.assign(size_t(n), 0);
      sumG.assign(size_t(n), 0);
      sumB.assign(size_t(n), 0);
      sumN.assign(size_t(n), 0);
    }
    for (int32_t k = 0; k < rowCount; ++k) {
      const int32_t syy = mirrorY ? firstRow + rowsMap.count[size_t(ri)] - 1 - k : firstRow + k;
      from.readRow(syy, 0, s.width(), srcRaw.data());
      convert.convert(srcRaw.data(), srcConv.data(), srcRaw.size());
      for (int32_t c = 0; c < n; ++c) {
        const size_t ci = size_t(c0 + c);
        const int32_t f = cols.first[ci];
        const int32_t cnt = mode == StretchMode::ColorOnColor ? 1 : cols.count[ci];
        for (int32_t j = 0; j < cnt; ++j) {
          const int32_t scol = mirrorX ? f + cols.count[ci] - 1 - j : f + j;
          const uint32_t v = srcConv[size_t(scol)];
          if (average) {
            const ColorRef col = d.colorOfRaw(v);
            sumR[size_t(c)] += redOf(col);
            sumG[size_t(c)] += greenOf(col);
            sumB[size_t(c)] += blueOf(col);
            sumN[size_t(c)] += 1;
          } else if (k == 0 && j == 0) {
            acc[size_t(c)] = v;
          } else if (mode == StretchMode::WhiteOnBlack) {
            acc[size_t(c)] |= v;
          } else {
            acc[size_t(c)] &= v;
          }
        }
      }
    }
    if (average) {
      for (int32_t c = 0; c < n; ++c) {
        const uint32_t cnt = std::max<uint32_t>(sumN[size_t(c)], 1);
        acc[size_t(c)] =
            d.rawOfColor(rgb(uint8_t(sumR[size_t(c)] / cnt), uint8_t(sumG[size_t(c)] / cnt),
                             uint8_t(sumB[size_t(c)] / cnt)));
      }
    }
    const int32_t yy = r.top + ri;
    uint32_t* dp = rows.load(yy);
    op.apply(dp, acc.data(), yy, left, n);
    rows.store(yy);
  }
  return true;
}

}  // namespace zel::gdi
