// Pens: what lines and shape outlines are drawn with.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/brush.h"
#include "gdi/color.h"

namespace zel::gdi {

enum class PenStyle {
  Solid = 0,
  Dash = 1,
  Dot = 2,
  DashDot = 3,
  DashDotDot = 4,
  Null = 5,
  InsideFrame = 6,
  UserStyle = 7,
  Alternate = 8,
};

enum class PenEndCap { Round = 0, Square = 1, Flat = 2 };
enum class PenJoin { Round = 0, Bevel = 1, Miter = 2 };

struct Pen {
  PenStyle style = PenStyle::Solid;
  int32_t width = 1;  // geometric pens only; cosmetic pens are one pixel wide
  ColorRef color = 0;
  bool geometric = false;
  PenEndCap endCap = PenEndCap::Round;
  PenJoin join = PenJoin::Round;
  std::shared_ptr<Brush> brush;     // geometric pens
  std::vector<uint32_t> userStyle;  // dash lengths of PenStyle::UserStyle

  // A one-pixel cosmetic pen. Styles above InsideFrame draw solid.
  static std::shared_ptr<Pen> cosmetic(int style, ColorRef color);
  // A geometric pen of `width` pixels that paints with `brush`; the style word
  // holds the basic style in bits 0..3, the end cap in bits 8..11 and the join
  // in bits 12..15. Null for a missing brush or a width below 1.
  static std::shared_ptr<Pen> geometricPen(uint32_t styleWord, int32_t width,
                                           std::shared_ptr<Brush> brush,
                                           std::vector<uint32_t> userStyle = {});
};

}  // namespace zel::gdi
