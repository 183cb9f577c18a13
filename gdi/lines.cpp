#include "gdi/lines.h"

#include <algorithm>

namespace zel::gdi {
namespace {

__extension__ typedef __int128 Wide;

// Dash lengths of the cosmetic styles. The platform's own lengths are not
// written down anywhere we can reach; these give the usual look (a long
// dash, a short dot, and their mixtures) and are fixed by the tests.
constexpr uint32_t kDash[] = {18, 6};
constexpr uint32_t kDot[] = {3, 3};
constexpr uint32_t kDashDot[] = {9, 6, 3, 6};
constexpr uint32_t kDashDotDot[] = {9, 3, 3, 3, 3, 3};

// The binary operation of mix mode m on raw words: the truth table m - 1
// gives the result for each (pen << 1 | dest) bit pair.
uint32_t mix(int mode, uint32_t pen, uint32_t dest) {
  const unsigned t = unsigned(mode - 1);
  const auto all = [t](unsigned bit) { return ((t >> bit) & 1u) ? ~0u : 0u; };
  return (~pen & ~dest & all(0)) | (~pen & dest & all(1)) | (pen & ~dest & all(2)) |
         (pen & dest & all(3));
}

// What a lit pixel of a line does: pen or background value by the dash
// pattern, combined by the mix mode.
class Painter {
 public:
  explicit Painter(DeviceContext& dc)
      : s_(dc.surface()),
        clip_(dc.clipBox()),
        pen_(dc.rawOf(dc.pen()->color)),
        back_(dc.rawOf(dc.bkColor())),
        opaque_(dc.bkMode() == BkMode::Opaque),
        mode_(int(dc.rop2())),
        dashes_(cosmeticDashes(dc.pen()->style)) {
    for (uint32_t d : dashes_)
      period_ += d;
  }

  const Rect& clip() const { return clip_; }

  void paint(int64_t x, int64_t y, uint64_t stylePos) {
    const bool on = dashOn(stylePos);
    if (!on && !opaque_) return;
    const int32_t px = int32_t(x), py = int32_t(y);
    s_.setRawAt(px, py, mix(mode_, on ? pen_ : back_, s_.rawAt(px, py)));
  }

 private:
  bool dashOn(uint64_t pos) const {
    if (period_ == 0) return true;
    uint64_t at = pos % period_;
    for (size_t k = 0; k < dashes_.size(); ++k) {
      if (at < dashes_[k]) return k % 2 == 0;
      at -= dashes_[k];
    }
    return true;
  }

  Surface& s_;
  Rect clip_;
  uint32_t pen_, back_;
  bool opaque_;
  int mode_;
  std::span<const uint32_t> dashes_;
  uint64_t period_ = 0;
};

// Draws a to b (b excluded) and advances the dash position by the number of
// pixels the whole segment has, visible or not.
void drawSegment(Painter& painter, Point a, Point b, uint64_t* stylePos) {
  const int64_t dx = int64_t(b.x) - a.x, dy = int64_t(b.y) - a.y;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const int64_t dMaj = xMajor ? std::abs(dx) : std::abs(dy);
  const int64_t dMin = xMajor ? std::abs(dy) : std::abs(dx);
  if (dMaj == 0) return;
  const int64_t maj0 = xMajor ? a.x : a.y, min0 = xMajor ? a.y : a.x;
  const int64_t sMaj = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t sMin = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const Rect& c = painter.clip();
  const int64_t majLo = xMajor ? c.left : c.top, majHi = xMajor ? c.right : c.bottom;
  const int64_t minLo = xMajor ? c.top : c.left, minHi = xMajor ? c.bottom : c.right;
  // The minor offset of step i: i * dMin / dMaj rounded, halves down.
  const auto offset = [&](int64_t i) {
    return int64_t((Wide(2) * i * dMin + dMaj - 1) / (Wide(2) * dMaj));
  };
  // Steps whose major coordinate lies inside the clip.
  int64_t i0 = sMaj > 0 ? majLo - maj0 : maj0 - majHi + 1;
  int64_t i1 = sMaj > 0 ? majHi - maj0 : maj0 - majLo + 1;
  i0 = std::max<int64_t>(i0, 0);
  i1 = std::min<int64_t>(i1, dMaj);
  // Offsets whose minor coordinate lies inside; offsets grow with i.
  const int64_t offLo = sMin > 0 ? minLo - min0 : min0 - minHi + 1;
  const int64_t offHi = sMin > 0 ? minHi - min0 : min0 - minLo + 1;
  const auto firstReaching = [&](int64_t lo, int64_t hi, int64_t off) {
    while (lo < hi) {
      const int64_t mid = lo + (hi - lo) / 2;
      if (offset(mid) >= off) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  };
  if (i0 < i1) {
    const int64_t from = firstReaching(i0, i1, offLo);
    const int64_t to = firstReaching(from, i1, offHi);
    for (int64_t i = from; i < to; ++i) {
      const int64_t mj = maj0 + sMaj * i, mn = min0 + sMin * offset(i);
      painter.paint(xMajor ? mj : mn, xMajor ? mn : mj, *stylePos + uint64_t(i));
    }
  }
  *stylePos += uint64_t(dMaj);
}

bool drawable(const DeviceContext& dc) {
  return dc.pen() && dc.pen()->style != PenStyle::Null;
}

}  // namespace

std::span<const uint32_t> cosmeticDashes(PenStyle style) {
  switch (style) {
    case PenStyle::Dash:
      return kDash;
    case PenStyle::Dot:
      return kDot;
    case PenStyle::DashDot:
      return kDashDot;
    case PenStyle::DashDotDot:
      return kDashDotDot;
    default:
      return {};
  }
}

bool lineTo(DeviceContext& dc, Point to) {
  const Point from = dc.moveTo(to);
  if (!drawable(dc)) return true;
  Painter painter(dc);
  uint64_t pos = 0;
  drawSegment(painter, from, to, &pos);
  return true;
}

bool polyline(DeviceContext& dc, std::span<const Point> points) {
  if (points.size() < 2) return false;
  if (!drawable(dc)) return true;
  Painter painter(dc);
  uint64_t pos = 0;
  for (size_t k = 1; k < points.size(); ++k)
    drawSegment(painter, points[k - 1], points[k], &pos);
  return true;
}

}  // namespace zel::gdi
