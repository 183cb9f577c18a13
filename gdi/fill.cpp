#include "gdi/fill.h"

#include "gdi/transfer_rows.h"

namespace zel::gdi {

ColorRef setPixel(DeviceContext& dc, int32_t x, int32_t y, ColorRef color) {
  if (!dc.clipBox().contains(x, y)) return kInvalidColor;
  Surface& s = dc.surface();
  s.setRawAt(x, y, dc.rawOf(color));
  return s.colorAt(x, y);
}

bool fillRect(DeviceContext& dc, const Rect& rect, const Brush& brush) {
  const Rect r = rect.intersect(dc.clipBox());
  if (r.empty()) return true;
  const RealizedBrush b(dc, brush);
  if (b.hollow()) return true;
  const int32_t n = int32_t(r.width());
  RowOp op(ropIndex(kPatCopy), &b, n);
  DestRows rows(dc.surface(), r.left, n);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    op.apply(rows.load(y), nullptr, y, r.left, n);
    rows.store(y);
  }
  return true;
}

}  // namespace zel::gdi
