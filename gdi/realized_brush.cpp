#include "gdi/realized_brush.h"

#include "gdi/row_convert.h"

namespace zel::gdi {
namespace {

int32_t wrap(int64_t v, int32_t m) {
  const int64_t r = v % m;
  return int32_t(r < 0 ? r + m : r);
}

}  // namespace

RealizedBrush::RealizedBrush(const DeviceContext& dc, const Brush& brush)
    : origin_(dc.brushOrigin()) {
  switch (brush.style) {
    case BrushStyle::Hollow:
      hollow_ = true;
      return;
    case BrushStyle::Solid:
      solid_ = true;
      solidValue_ = dc.rawOf(brush.color);
      return;
    case BrushStyle::Hatched: {
      width_ = height_ = 8;
      pixels_.resize(64);
      draws_.assign(64, 1);
      const uint32_t line = dc.rawOf(brush.color);
      const uint32_t back = dc.rawOf(dc.bkColor());
      masked_ = dc.bkMode() == BkMode::Transparent;
      const uint8_t* rows = hatchRows(brush.hatch);
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          const bool on = (rows[y] >> (7 - x)) & 1;
          pixels_[size_t(y * 8 + x)] = on ? line : back;
          if (masked_ && !on) draws_[size_t(y * 8 + x)] = 0;
        }
      }
      return;
    }
    case BrushStyle::Pattern:
    case BrushStyle::DibPattern: {
      const Surface& p = *brush.pattern;
      width_ = p.width();
      height_ = p.height();
      pixels_.resize(size_t(width_) * size_t(height_));
      std::vector<uint32_t> line(static_cast<size_t>(width_));
      if (!brush.paletteIndexes.empty()) {
        // Colour table entries name logical-palette entries of the context.
        std::vector<uint32_t> table(size_t(1) << p.bitsPerPixel(), 0);
        for (size_t i = 0; i < table.size() && i < brush.paletteIndexes.size(); ++i) {
          table[i] = dc.rawOf(paletteIndex(brush.paletteIndexes[i]));
        }
        for (int32_t y = 0; y < height_; ++y) {
          p.readRow(y, 0, width_, line.data());
          for (int32_t x = 0; x < width_; ++x) {
            pixels_[size_t(y) * size_t(width_) + size_t(x)] = table[line[size_t(x)] % table.size()];
          }
        }
        return;
      }
      const RowConverter convert(p, dc.bkColor(), dc);
      for (int32_t y = 0; y < height_; ++y) {
        p.readRow(y, 0, width_, line.data());
        convert.convert(line.data(), pixels_.data() + size_t(y) * size_t(width_), size_t(width_));
      }
      return;
    }
  }
}

void RealizedBrush::row(int32_t y, int32_t x, int32_t n, uint32_t* out, uint8_t* mask) const {
  if (solid_ || hollow_) {
    for (int32_t k = 0; k < n; ++k)
      out[k] = solidValue_;
    if (mask) {
      for (int32_t k = 0; k < n; ++k)
        mask[k] = 1;
    }
    return;
  }
  const int32_t py = wrap(int64_t(y) - origin_.y, height_);
  const uint32_t* src = pixels_.data() + size_t(py) * size_t(width_);
  int32_t px = wrap(int64_t(x) - origin_.x, width_);
  for (int32_t k = 0; k < n; ++k) {
    out[k] = src[px];
    if (mask) mask[k] = draws_.empty() ? 1 : draws_[size_t(py) * size_t(width_) + size_t(px)];
    if (++px == width_) px = 0;
  }
}

}  // namespace zel::gdi
