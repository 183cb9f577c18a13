// Colour values as drawing calls name them, and colour-table entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::gdi {

// A colour reference: 0x00BBGGRR for an RGB colour; a top byte of 0x01 names
// an entry of the selected logical palette (low 16 bits); a top byte of 0x02
// asks for the nearest logical-palette entry to the RGB value.
using ColorRef = uint32_t;

constexpr ColorRef rgb(uint8_t r, uint8_t g, uint8_t b) {
  return ColorRef(r) | (ColorRef(g) << 8) | (ColorRef(b) << 16);
}
constexpr ColorRef paletteIndex(uint16_t index) {
  return 0x01000000u | index;
}
constexpr ColorRef paletteRgb(uint8_t r, uint8_t g, uint8_t b) {
  return 0x02000000u | rgb(r, g, b);
}

constexpr uint8_t redOf(ColorRef c) {
  return uint8_t(c);
}
constexpr uint8_t greenOf(ColorRef c) {
  return uint8_t(c >> 8);
}
constexpr uint8_t blueOf(ColorRef c) {
  return uint8_t(c >> 16);
}
constexpr bool isPaletteIndex(ColorRef c) {
  return (c >> 24) == 0x01;
}
constexpr bool isPaletteRelative(ColorRef c) {
  return (c >> 24) == 0x02;
}

// One colour-table entry in the byte order bitmaps store it.
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

constexpr RgbQuad quadOf(ColorRef c) {
  return RgbQuad{blueOf(c), greenOf(c), redOf(c), 0};
}
constexpr ColorRef colorOf(RgbQuad q) {
  return rgb(q.red, q.green, q.blue);
}

// Index of the entry nearest to `c` by squared RGB distance; an exact match
// ends the search and the first of equal distances wins. `table` must not be
// empty.
size_t nearestEntry(std::span<const RgbQuad> table, ColorRef c);

}  // namespace zel::gdi
