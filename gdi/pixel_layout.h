// How one pixel value of a surface format maps to a colour and back.
#pragma once

#include <cstdint>

#include "gdi/color.h"

namespace zel::gdi {

// One colour channel held in a bit mask of a 16- or 32-bit pixel.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static Channel of(uint32_t mask);
  // Widens a channel value to 8 bits by repeating its top bits in the low
  // ones, so 5-bit 31 becomes 255 and 5-bit 16 becomes 132.
  uint8_t expand(uint32_t raw) const {
    if (bits == 0) return 0;
    uint32_t v = (raw & mask) >> shift;
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
      out = (out << bits) | v;
      filled += bits;
    }
    return uint8_t(out >> (filled - 8));
  }
  // Narrows an 8-bit value by dropping its low bits.
  uint32_t narrow(uint8_t v) const {
    if (bits == 0) return 0;
    const uint32_t c = bits >= 8 ? uint32_t(v) << (bits - 8) : uint32_t(v) >> (8 - bits);
    return (c << shift) & mask;
  }
};

// The direct-colour part of a format: bits per pixel and the three channels.
// Indexed formats (1, 4, 8 bits) use a colour table instead.
struct PixelLayout {
  int bitsPerPixel = 32;
  Channel red, green, blue;

  static PixelLayout indexed(int bits) { return PixelLayout{bits, {}, {}, {}}; }
  static PixelLayout masks(int bits, uint32_t r, uint32_t g, uint32_t b) {
    return PixelLayout{bits, Channel::of(r), Channel::of(g), Channel::of(b)};
  }
  static PixelLayout rgb555() { return masks(16, 0x7C00, 0x03E0, 0x001F); }
  static PixelLayout rgb565() { return masks(16, 0xF800, 0x07E0, 0x001F); }
  static PixelLayout rgb24() { return masks(24, 0xFF0000, 0x00FF00, 0x0000FF); }
  static PixelLayout rgb32() { return masks(32, 0xFF0000, 0x00FF00, 0x0000FF); }

  bool isIndexed() const { return bitsPerPixel <= 8; }
  // The bits of a raw value that belong to a pixel.
  uint32_t valueMask() const { return bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << bitsPerPixel) - 1; }
  ColorRef colorOf(uint32_t raw) const {
    return rgb(red.expand(raw), green.expand(raw), blue.expand(raw));
  }
  uint32_t rawOf(ColorRef c) const {
    return red.narrow(redOf(c)) | green.narrow(greenOf(c)) | blue.narrow(blueOf(c));
  }
  friend bool operator==(const PixelLayout& a, const PixelLayout& b) {
    return a.bitsPerPixel == b.bitsPerPixel && a.red.mask == b.red.mask &&
           a.green.mask == b.green.mask && a.blue.mask == b.blue.mask;
  }
};

}  // namespace zel::gdi
