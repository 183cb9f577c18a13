// A device context: the selected bitmap and objects, and the attributes that
// drawing calls read. One unit is one pixel; the clip is one rectangle.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "gdi/brush.h"
#include "gdi/color.h"
#include "gdi/display.h"
#include "gdi/geometry.h"
#include "gdi/palette.h"
#include "gdi/pen.h"
#include "gdi/surface.h"

namespace zel::gdi {

class Font;

enum class BkMode { Transparent = 1, Opaque = 2 };
enum class StretchMode { BlackOnWhite = 1, WhiteOnBlack = 2, ColorOnColor = 3, Halftone = 4 };
enum class FillMode { Alternate = 1, Winding = 2 };

// Binary raster operations of pens and fills (the mix mode), 1..16.
enum class Rop2 : int {
  Black = 1,
  NotMergePen = 2,
  MaskNotPen = 3,
  NotCopyPen = 4,
  MaskPenNot = 5,
  Not = 6,
  XorPen = 7,
  NotMaskPen = 8,
  MaskPen = 9,
  NotXorPen = 10,
  Nop = 11,
  MergeNotPen = 12,
  CopyPen = 13,
  MergePenNot = 14,
  MergePen = 15,
  White = 16,
};

class DeviceContext {
 public:
  // A memory device context compatible with `display`; it holds a 1x1
  // monochrome bitmap until another is selected.
  explicit DeviceContext(std::shared_ptr<Display> display);

  const std::shared_ptr<Display>& display() const { return display_; }

  // Selecting returns what was selected before. A null bitmap is refused
  // (the current one stays and null is returned).
  std::shared_ptr<Surface> selectBitmap(std::shared_ptr<Surface> bitmap);
  std::shared_ptr<Brush> selectBrush(std::shared_ptr<Brush> brush);
  std::shared_ptr<Pen> selectPen(std::shared_ptr<Pen> pen);
  std::shared_ptr<Font> selectFont(std::shared_ptr<Font> font);
  std::shared_ptr<LogicalPalette> selectPalette(std::shared_ptr<LogicalPalette> palette);
  // Realises the selected palette on a palette device; returns the number of
  // system entries that changed.
  size_t realizePalette();

  Surface& surface() { return *surface_; }
  const Surface& surface() const { return *surface_; }
  const std::shared_ptr<Surface>& surfacePtr() const { return surface_; }
  const std::shared_ptr<Brush>& brush() const { return brush_; }
  const std::shared_ptr<Pen>& pen() const { return pen_; }
  const std::shared_ptr<Font>& font() const { return font_; }
  const std::shared_ptr<LogicalPalette>& palette() const { return palette_; }

  ColorRef setTextColor(ColorRef c) { return std::exchange(textColor_, c); }
  ColorRef setBkColor(ColorRef c) { return std::exchange(bkColor_, c); }
  BkMode setBkMode(BkMode m) { return std::exchange(bkMode_, m); }
  // Values outside 1..16 are refused and return 0.
  int setRop2(int mode);
  StretchMode setStretchMode(StretchMode m) { return std::exchange(stretchMode_, m); }
  FillMode setFillMode(FillMode m) { return std::exchange(fillMode_, m); }
  Point setBrushOrigin(Point p) { return std::exchange(brushOrigin_, p); }
  ColorRef textColor() const { return textColor_; }
  ColorRef bkColor() const { return bkColor_; }
  BkMode bkMode() const { return bkMode_; }
  Rop2 rop2() const { return rop2_; }
  StretchMode stretchMode() const { return stretchMode_; }
  FillMode fillMode() const { return fillMode_; }
  Point brushOrigin() const { return brushOrigin_; }

  // Text layout attributes of extended text output.
  void setTextJustification(int32_t breakExtra, int32_t breakCount) {
    breakExtra_ = breakExtra;
    breakCount_ = breakCount;
  }
  int32_t setTextCharacterExtra(int32_t extra) { return std::exchange(charExtra_, extra); }
  int32_t breakExtra() const { return breakExtra_; }
  int32_t breakCount() const { return breakCount_; }
  int32_t charExtra() const { return charExtra_; }

  Point currentPosition() const { return position_; }
  Point moveTo(Point p) { return std::exchange(position_, p); }

  // The clip rectangle, in device pixels; none means the whole surface.
  void setClip(std::optional<Rect> clip) { clip_ = clip; }
  const std::optional<Rect>& clip() const { return clip_; }
  // Where drawing may land: the surface bounds intersected with the clip.
  Rect clipBox() const;

  // The RGB colour that a colour reference names in this context (palette
  // forms looked up in the selected palette).
  ColorRef resolveColor(ColorRef c) const;
  // The raw pixel value of the selected surface that shows `c`. On a palette
  // device a palette index takes the system entry its logical entry was
  // realised into.
  uint32_t rawOf(ColorRef c) const;

 private:
  std::shared_ptr<Display> display_;
  std::shared_ptr<Surface> surface_;
  std::shared_ptr<Brush> brush_;
  std::shared_ptr<Pen> pen_;
  std::shared_ptr<Font> font_;
  std::shared_ptr<LogicalPalette> palette_;
  ColorRef textColor_ = rgb(0, 0, 0);
  ColorRef bkColor_ = rgb(255, 255, 255);
  BkMode bkMode_ = BkMode::Opaque;
  Rop2 rop2_ = Rop2::CopyPen;
  StretchMode stretchMode_ = StretchMode::BlackOnWhite;
  FillMode fillMode_ = FillMode::Alternate;
  Point brushOrigin_{};
  Point position_{};
  int32_t breakExtra_ = 0;
  int32_t breakCount_ = 0;
  int32_t charExtra_ = 0;
  std::optional<Rect> clip_;
};

}  // namespace zel::gdi
