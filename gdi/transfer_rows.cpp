#include "gdi/transfer_rows.h"

#include <algorithm>

namespace zel::gdi {

DestRows::DestRows(Surface& s, int32_t x, int32_t n)
    : s_(s), x_(x), n_(n), direct_(s.bitsPerPixel() == 32) {
  if (!direct_) buf_.resize(size_t(n));
}

uint32_t* DestRows::load(int32_t y) {
  if (direct_) return s_.row32(y) + x_;
  s_.readRow(y, x_, n_, buf_.data());
  return buf_.data();
}

void DestRows::store(int32_t y) {
  if (!direct_) s_.writeRow(y, x_, n_, buf_.data());
}

RowOp::RowOp(uint8_t index, const RealizedBrush* b, int32_t n)
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

void RowOp::apply(uint32_t* d, const uint32_t* s, int32_t y, int32_t x, int32_t n) {
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

SourceRows::SourceRows(const DeviceContext& src, const DeviceContext& dst, int64_t x, int64_t dy,
                       int32_t n)
    : s_(src.surface()),
      convert_(src, dst),
      x_(int32_t(x)),
      dy_(dy),
      n_(n),
      direct_(&src.surface() != &dst.surface() && convert_.identity() &&
              src.surface().bitsPerPixel() == 32) {
  if (!direct_) {
    raw_.resize(size_t(n));
    row_.resize(size_t(n));
  }
}

const uint32_t* SourceRows::load(int32_t destY) {
  const int32_t y = int32_t(destY - dy_);
  if (direct_) return s_.row32(y) + x_;
  s_.readRow(y, x_, n_, raw_.data());
  convert_.convert(raw_.data(), row_.data(), size_t(n_));
  return row_.data();
}

Rect clipTransfer(const DeviceContext& dst, int64_t x, int64_t y, int64_t w, int64_t h,
                  const Surface* src, int64_t sx, int64_t sy, int64_t* dx, int64_t* dy) {
  if (w < 0) {
    x += w;
    sx += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    sy += h;
    h = -h;
  }
  *dx = x - sx;
  *dy = y - sy;
  Rect r = Rect::fromSize(x, y, w, h).intersect(dst.clipBox());
  if (src && !r.empty()) {
    const Rect b = src->bounds();
    r = r.intersect(
        Rect::fromSize(int64_t(b.left) + *dx, int64_t(b.top) + *dy, b.width(), b.height()));
  }
  return r;
}

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

}  // namespace zel::gdi
