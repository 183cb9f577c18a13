// Brushes: what area fills and the pattern operand of raster operations use.
#pragma once

#include <cstdint>
#include <memory>

#include "gdi/color.h"
#include "gdi/dib_header.h"
#include "gdi/surface.h"

namespace zel::gdi {

enum class BrushStyle { Solid = 0, Hollow = 1, Hatched = 2, Pattern = 3, DibPattern = 5 };

enum class HatchStyle {
  Horizontal = 0,
  Vertical = 1,
  ForwardDiagonal = 2,
  BackwardDiagonal = 3,
  Cross = 4,
  DiagonalCross = 5,
};

struct Brush {
  BrushStyle style = BrushStyle::Solid;
  ColorRef color = 0;
  HatchStyle hatch = HatchStyle::Horizontal;
  // Pattern and DIB-pattern brushes: a private copy of the pattern taken at
  // creation, so later drawing on the original does not change the brush.
  std::shared_ptr<const Surface> pattern;
  // DIB-pattern brushes whose colour table holds palette indexes.
  std::vector<uint16_t> paletteIndexes;

  static std::shared_ptr<Brush> solid(ColorRef color);
  static std::shared_ptr<Brush> hollow();
  // Null for a style outside the six hatches.
  static std::shared_ptr<Brush> hatched(int style, ColorRef color);
  // A pattern from a bitmap; monochrome patterns draw in the text and
  // background colours of the device context. Null for an empty bitmap.
  static std::shared_ptr<Brush> fromPattern(const Surface& bitmap);
  // A pattern from a packed DIB description and its bits. Null when the
  // header is invalid or the bits are too short.
  static std::shared_ptr<Brush> fromDib(const BitmapInfo& info, std::span<const uint8_t> bits,
                                        ColorUse use);
};

// The 8x8 bit rows of a hatch style; bit 7 of a row byte is its left pixel
// and a set bit is a hatch-line pixel.
const uint8_t* hatchRows(HatchStyle style);

}  // namespace zel::gdi
