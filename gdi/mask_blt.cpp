#include <algorithm>
#include <optional>

#include "gdi/blit.h"
#include "gdi/transfer_rows.h"

namespace zel::gdi {

bool maskBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
             const DeviceContext* src, int32_t sx, int32_t sy, const Surface* mask, int32_t mx,
             int32_t my, uint32_t rop4) {
  const uint8_t fore = ropIndex(rop4), back = uint8_t(rop4 >> 24);
  if (!mask) return bitBlt(dst, x, y, width, height, src, sx, sy, uint32_t(fore) << 16);
  if (!mask->isMonochrome() || width < 0 || height < 0) return false;
  const bool usesSource = ropUsesSource(fore) || ropUsesSource(back);
  if (usesSource && !src) return false;
  int64_t dx = 0, dy = 0;
  Rect r = clipTransfer(dst, x, y, width, height, usesSource ? &src->surface() : nullptr, sx, sy,
                        &dx, &dy);
  const int64_t mdx = int64_t(x) - mx, mdy = int64_t(y) - my;
  r = r.intersect(Rect::fromSize(mdx, mdy, mask->width(), mask->height()));
  if (r.empty()) return true;
  std::optional<RealizedBrush> brush;
  if (ropUsesPattern(fore) || ropUsesPattern(back)) {
    brush.emplace(dst);
    if (brush->hollow()) return true;
  }
  Surface& d = dst.surface();
  const int32_t n = int32_t(r.width());
  std::optional<SourceRows> source;
  if (usesSource) source.emplace(*src, dst, r.left - dx, dy, n);
  const RealizedBrush* b = brush ? &*brush : nullptr;
  RowOp foreOp(fore, b, n), backOp(back, b, n);
  DestRows rows(d, r.left, n);
  RowBuffer<uint32_t> foreRow{size_t(n)}, maskRow{size_t(n)};
  const bool upward = usesSource && &src->surface() == &d && dy > 0;
  for (int32_t i = 0; i < int32_t(r.height()); ++i) {
    const int32_t yy = upward ? r.bottom - 1 - i : r.top + i;
    const uint32_t* sp = source ? source->load(yy) : nullptr;
    mask->readRow(int32_t(yy - mdy), int32_t(r.left - mdx), n, maskRow.data());
    uint32_t* dp = rows.load(yy);
    std::copy_n(dp, n, foreRow.data());
    foreOp.apply(foreRow.data(), sp, yy, r.left, n);
    backOp.apply(dp, sp, yy, r.left, n);
    for (int32_t k = 0; k < n; ++k) {
      if (maskRow[size_t(k)]) dp[k] = foreRow[size_t(k)];
    }
    rows.store(yy);
  }
  return true;
}

}  // namespace zel::gdi
