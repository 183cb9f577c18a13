// Points and rectangles in device pixels. Rectangles include their left and
// top edges and exclude their right and bottom edges.
#pragma once

#include <algorithm>
#include <cstdint>

namespace zel::gdi {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  // A rectangle from a corner and a size computed without overflow: the far
  // edge saturates at the int32 range.
  static Rect fromSize(int64_t x, int64_t y, int64_t w, int64_t h) {
    return Rect{clamp32(x), clamp32(y), clamp32(x + w), clamp32(y + h)};
  }
  static int32_t clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  }

  int64_t width() const { return int64_t(right) - left; }
  int64_t height() const { return int64_t(bottom) - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  // Swaps edges so that left <= right and top <= bottom.
  Rect normalized() const {
    return Rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
  }
  Rect intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    if (r.empty()) return Rect{};
    return r;
  }
  Rect offset(int32_t dx, int32_t dy) const {
    return Rect{clamp32(int64_t(left) + dx), clamp32(int64_t(top) + dy),
                clamp32(int64_t(right) + dx), clamp32(int64_t(bottom) + dy)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace zel::gdi
