#include "gdi/surface.h"

#include <algorithm>
#include <cstring>

namespace zel::gdi {

Surface::Surface(SurfaceKind kind, int32_t width, int32_t height, PixelLayout layout, bool topDown)
    : kind_(kind),
      width_(width),
      height_(height),
      layout_(layout),
      topDown_(topDown),
      stride_(size_t((uint64_t(layout.bitsPerPixel) * uint64_t(width) + 31) / 32 * 4)),
      bits_(stride_ * size_t(height)) {}

bool Surface::sizeAllowed(int32_t width, int32_t height, int bits) {
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return false;
  const uint64_t stride = (uint64_t(bits) * uint64_t(width) + 31) / 32 * 4;
  return stride * uint64_t(height) <= kMaxSurfaceBytes;
}

std::shared_ptr<Surface> Surface::createDevice(const Display& display, int32_t width,
                                               int32_t height) {
  const int bits = display.bitsPerPixel();
  if (!sizeAllowed(width, height, bits)) return nullptr;
  if (display.isPaletteDevice()) {
    std::shared_ptr<Surface> s(
        new Surface(SurfaceKind::Device, width, height, PixelLayout::indexed(8), true));
    s->table_ = display.systemPalette();
    return s;
  }
  return std::shared_ptr<Surface>(
      new Surface(SurfaceKind::Device, width, height, PixelLayout::rgb32(), true));
}

std::shared_ptr<Surface> Surface::createMonochrome(int32_t width, int32_t height) {
  if (!sizeAllowed(width, height, 1)) return nullptr;
  std::shared_ptr<Surface> s(
      new Surface(SurfaceKind::Monochrome, width, height, PixelLayout::indexed(1), true));
  s->table_ = std::make_shared<ColorTable>();
  s->table_->entries = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
  return s;
}

std::shared_ptr<Surface> Surface::createDib(const DibHeader& header,
                                            const std::vector<RgbQuad>& colors) {
  if (!validHeader(header)) return nullptr;
  if (header.compression == Compression::Rle4 || header.compression == Compression::Rle8) {
    return nullptr;
  }
  const int32_t height = int32_t(header.absHeight());
  if (!sizeAllowed(header.width, height, header.bitCount)) return nullptr;
  PixelLayout layout;
  if (header.bitCount <= 8) {
    layout = PixelLayout::indexed(header.bitCount);
  } else if (header.compression == Compression::BitFields) {
    layout = PixelLayout::masks(header.bitCount, header.redMask, header.greenMask, header.blueMask);
  } else if (header.bitCount == 16) {
    layout = PixelLayout::rgb555();
  } else if (header.bitCount == 24) {
    layout = PixelLayout::rgb24();
  } else {
    layout = PixelLayout::rgb32();
  }
  std::shared_ptr<Surface> s(
      new Surface(SurfaceKind::DibSection, header.width, height, layout, header.topDown()));
  if (layout.isIndexed()) {
    s->table_ = std::make_shared<ColorTable>();
    s->table_->entries.assign(size_t(1) << header.bitCount, RgbQuad{});
    const size_t n = std::min(colors.size(), s->table_->entries.size());
    std::copy_n(colors.begin(), n, s->table_->entries.begin());
  }
  return s;
}

void Surface::readRow(int32_t y, int32_t x, int32_t n, uint32_t* out) const {
  const uint8_t* r = row(y);
  switch (layout_.bitsPerPixel) {
    case 1:
      for (int32_t i = 0; i < n; ++i) {
        const int32_t px = x + i;
        out[i] = (r[px >> 3] >> (7 - (px & 7))) & 1u;
      }
      break;
    case 4:
      for (int32_t i = 0; i < n; ++i) {
        const int32_t px = x + i;
        out[i] = (px & 1) ? (r[px >> 1] & 0x0Fu) : (r[px >> 1] >> 4);
      }
      break;
    case 8:
      for (int32_t i = 0; i < n; ++i)
        out[i] = r[x + i];
      break;
    case 16:
      for (int32_t i = 0; i < n; ++i) {
        const uint8_t* p = r + size_t(x + i) * 2;
        out[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8;
      }
      break;
    case 24:
      for (int32_t i = 0; i < n; ++i) {
        const uint8_t* p = r + size_t(x + i) * 3;
        out[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
      }
      break;
    default:
      std::memcpy(out, r + size_t(x) * 4, size_t(n) * 4);
      break;
  }
}

void Surface::writeRow(int32_t y, int32_t x, int32_t n, const uint32_t* in) {
  uint8_t* r = row(y);
  switch (layout_.bitsPerPixel) {
    case 1:
      for (int32_t i = 0; i < n; ++i) {
        const int32_t px = x + i;
        const uint8_t bit = uint8_t(0x80u >> (px & 7));
        r[px >> 3] = (in[i] & 1u) ? (r[px >> 3] | bit) : (r[px >> 3] & ~bit);
      }
      break;
    case 4:
      for (int32_t i = 0; i < n; ++i) {
        const int32_t px = x + i;
        uint8_t& b = r[px >> 1];
        b = (px & 1) ? uint8_t((b & 0xF0) | (in[i] & 0x0F)) : uint8_t((b & 0x0F) | (in[i] << 4));
      }
      break;
    case 8:
      for (int32_t i = 0; i < n; ++i)
        r[x + i] = uint8_t(in[i]);
      break;
    case 16:
      for (int32_t i = 0; i < n; ++i) {
        uint8_t* p = r + size_t(x + i) * 2;
        p[0] = uint8_t(in[i]);
        p[1] = uint8_t(in[i] >> 8);
      }
      break;
    case 24:
      for (int32_t i = 0; i < n; ++i) {
        uint8_t* p = r + size_t(x + i) * 3;
        p[0] = uint8_t(in[i]);
        p[1] = uint8_t(in[i] >> 8);
        p[2] = uint8_t(in[i] >> 16);
      }
      break;
    default:
      std::memcpy(r + size_t(x) * 4, in, size_t(n) * 4);
      break;
  }
}

uint32_t Surface::rawAt(int32_t x, int32_t y) const {
  uint32_t v = 0;
  readRow(y, x, 1, &v);
  return v;
}

void Surface::setRawAt(int32_t x, int32_t y, uint32_t raw) {
  writeRow(y, x, 1, &raw);
}

ColorRef Surface::colorOfRaw(uint32_t raw) const {
  if (!layout_.isIndexed()) return layout_.colorOf(raw);
  const uint32_t index = raw & layout_.valueMask();
  if (!table_ || index >= table_->entries.size()) return 0;
  return colorOf(table_->entries[index]);
}

uint32_t Surface::rawOfColor(ColorRef rgbColor) const {
  if (!layout_.isIndexed()) return layout_.rawOf(rgbColor);
  if (!table_ || table_->entries.empty()) return 0;
  return uint32_t(nearestEntry(table_->entries, rgbColor & 0xFFFFFF));
}

void Surface::fill(uint32_t raw) {
  std::vector<uint32_t> line(size_t(width_), raw);
  for (int32_t y = 0; y < height_; ++y)
    writeRow(y, 0, width_, line.data());
}

}  // namespace zel::gdi
