// The screen that device bitmaps are compatible with: either a true-colour
// screen (32 bits per pixel) or a palette device (8 bits per pixel indexing a
// 256-entry system palette that logical palettes are realised into).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/color.h"

namespace zel::gdi {

// A colour table that several surfaces may share: the system palette of a
// palette device is shared by every device bitmap made for it, so realising
// or animating a palette changes what all of them show.
struct ColorTable {
  std::vector<RgbQuad> entries;
};

// The twenty static colours of a palette device: entries 0..9 and 246..255.
extern const std::array<RgbQuad, 20> kStaticColors;

class Display {
 public:
  static std::shared_ptr<Display> trueColor();
  static std::shared_ptr<Display> paletteDevice();

  bool isPaletteDevice() const { return palette_ != nullptr; }
  int bitsPerPixel() const { return palette_ ? 8 : 32; }
  // The system palette of a palette device, or null.
  const std::shared_ptr<ColorTable>& systemPalette() const { return palette_; }

  // Which system-palette entries a realised logical palette owns; entries
  // 0..9 and 246..255 are the static colours and never change owner.
  std::array<bool, 256>& reserved() { return reserved_; }

 private:
  std::shared_ptr<ColorTable> palette_;
  std::array<bool, 256> reserved_{};
};

}  // namespace zel::gdi
