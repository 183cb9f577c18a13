#include "gdi/row_convert.h"

namespace zel::gdi {
namespace {

bool sameTables(const Surface& a, const Surface& b) {
  if (a.colorTable() == b.colorTable()) return true;
  if (!a.colorTable() || !b.colorTable()) return false;
  return a.colorTable()->entries == b.colorTable()->entries;
}

}  // namespace

RowConverter::RowConverter(const Surface& src, ColorRef srcBk, const DeviceContext& dst)
    : src_(&src), dst_(&dst.surface()) {
  const Surface& d = dst.surface();
  if (src.layout() == d.layout() && (!src.layout().isIndexed() || sameTables(src, d))) {
    mode_ = Mode::Identity;
  } else if (src.isMonochrome() && d.isMonochrome()) {
    mode_ = Mode::Identity;
  } else if (d.isMonochrome()) {
    mode_ = Mode::ToMono;
    srcBkRaw_ = src.rawOfColor(srcBk & 0xFFFFFF) & src.layout().valueMask();
    if (src.layout().isIndexed()) {
      // Compare colours, not indexes, so equal entries all match.
      mode_ = Mode::Table;
      const ColorRef bk = src.colorOfRaw(srcBkRaw_);
      tableMask_ = (1u << src.bitsPerPixel()) - 1;
      for (size_t i = 0; i <= tableMask_; ++i) {
        table_[i] = src.colorOfRaw(uint32_t(i)) == bk ? 1u : 0u;
      }
    }
  } else if (src.isMonochrome() && src.kind() == SurfaceKind::Monochrome) {
    mode_ = Mode::Table;
    tableMask_ = 1;
    table_[0] = dst.rawOf(dst.textColor());
    table_[1] = dst.rawOf(dst.bkColor());
  } else if (src.layout().isIndexed()) {
    mode_ = Mode::Table;
    tableMask_ = (1u << src.bitsPerPixel()) - 1;
    for (size_t i = 0; i <= tableMask_; ++i) {
      table_[i] = d.rawOfColor(src.colorOfRaw(uint32_t(i)));
    }
  } else {
    mode_ = d.layout().isIndexed() ? Mode::ToIndexed : Mode::Direct;
  }
}

void RowConverter::convert(const uint32_t* in, uint32_t* out, size_t n) const {
  switch (mode_) {
    case Mode::Identity:
      for (size_t k = 0; k < n; ++k)
        out[k] = in[k];
      break;
    case Mode::Table: {
      for (size_t k = 0; k < n; ++k)
        out[k] = table_[in[k] & tableMask_];
      break;
    }
    case Mode::Direct: {
      const PixelLayout& s = src_->layout();
      const PixelLayout& d = dst_->layout();
      for (size_t k = 0; k < n; ++k)
        out[k] = d.rawOf(s.colorOf(in[k]));
      break;
    }
    case Mode::ToIndexed: {
      uint32_t lastIn = 0, lastOut = dst_->rawOfColor(src_->colorOfRaw(0));
      for (size_t k = 0; k < n; ++k) {
        if (in[k] != lastIn) {
          lastIn = in[k];
          lastOut = dst_->rawOfColor(src_->colorOfRaw(in[k]));
        }
        out[k] = lastOut;
      }
      break;
    }
    case Mode::ToMono: {
      const uint32_t mask = src_->layout().valueMask();
      for (size_t k = 0; k < n; ++k)
        out[k] = (in[k] & mask) == srcBkRaw_ ? 1u : 0u;
      break;
    }
  }
}

}  // namespace zel::gdi
