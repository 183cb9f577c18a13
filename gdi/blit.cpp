#include "gdi/blit.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "gdi/transfer_rows.h"

namespace zel::gdi {

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
  int64_t dx = 0, dy = 0;
  const Rect r = clipTransfer(dst, x, y, width, height, usesSource ? &src->surface() : nullptr, sx,
                              sy, &dx, &dy);
  if (r.empty()) return true;
  std::optional<RealizedBrush> brush;
  if (ropUsesPattern(index)) {
    brush.emplace(dst);
    if (brush->hollow()) return true;
  }
  Surface& d = dst.surface();
  const int32_t n = int32_t(r.width());
  const Surface* s = usesSource ? &src->surface() : nullptr;
  std::optional<SourceRows> source;
  if (usesSource) source.emplace(*src, dst, r.left - dx, dy, n);

  RowOp op(index, brush ? &*brush : nullptr, n);
  // Whole rows of contiguous 32-bit surfaces without a pattern row are one
  // long row: a full-screen copy or fill is then a single kernel call.
  const auto contiguous = [&](const Surface& surf, int64_t left) {
    return surf.bitsPerPixel() == 32 && left == 0 && r.width() == surf.width() &&
           surf.stride() == size_t(surf.width()) * 4;
  };
  if (contiguous(d, r.left) && !op.usesPattern && !op.masked &&
      (!usesSource || (source->direct() && contiguous(*s, r.left - dx)))) {
    const size_t pixels = size_t(n) * size_t(r.height());
    const uint32_t* sp = usesSource ? s->row32(int32_t(r.top - dy)) : nullptr;
    uint32_t* dp = d.row32(r.top);
    if (d.topDown() && (!usesSource || s->topDown())) {
      op.kernel(dp, sp, nullptr, brush ? brush->solidValue() : 0, pixels);
      return true;
    }
  }
  DestRows rows(d, r.left, n);
  // Walk upwards when copying down within one surface.
  const bool upward = s == &d && dy > 0;
  for (int32_t i = 0; i < int32_t(r.height()); ++i) {
    const int32_t yy = upward ? r.bottom - 1 - i : r.top + i;
    const uint32_t* sp = source ? source->load(yy) : nullptr;
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
