#include "gdi/device_context.h"

#include <utility>

namespace zel::gdi {

DeviceContext::DeviceContext(std::shared_ptr<Display> display)
    : display_(std::move(display)),
      surface_(Surface::createMonochrome(1, 1)),
      brush_(Brush::solid(rgb(255, 255, 255))),
      pen_(Pen::cosmetic(0, rgb(0, 0, 0))),
      palette_(LogicalPalette::defaultPalette()) {}

std::shared_ptr<Surface> DeviceContext::selectBitmap(std::shared_ptr<Surface> bitmap) {
  if (!bitmap) return nullptr;
  return std::exchange(surface_, std::move(bitmap));
}

std::shared_ptr<Brush> DeviceContext::selectBrush(std::shared_ptr<Brush> brush) {
  if (!brush) return nullptr;
  return std::exchange(brush_, std::move(brush));
}

std::shared_ptr<Pen> DeviceContext::selectPen(std::shared_ptr<Pen> pen) {
  if (!pen) return nullptr;
  return std::exchange(pen_, std::move(pen));
}

std::shared_ptr<Font> DeviceContext::selectFont(std::shared_ptr<Font> font) {
  return std::exchange(font_, std::move(font));
}

std::shared_ptr<LogicalPalette> DeviceContext::selectPalette(
    std::shared_ptr<LogicalPalette> palette) {
  if (!palette) return nullptr;
  return std::exchange(palette_, std::move(palette));
}

size_t DeviceContext::realizePalette() {
  return zel::gdi::realizePalette(*display_, *palette_);
}

int DeviceContext::setRop2(int mode) {
  if (mode < 1 || mode > 16) return 0;
  return int(std::exchange(rop2_, Rop2(mode)));
}

Rect DeviceContext::clipBox() const {
  const Rect bounds = surface_->bounds();
  return clip_ ? bounds.intersect(*clip_) : bounds;
}

ColorRef DeviceContext::resolveColor(ColorRef c) const {
  if (isPaletteIndex(c)) return palette_->colorOf(c & 0xFFFF);
  return c & 0xFFFFFF;
}

uint32_t DeviceContext::rawOf(ColorRef c) const {
  const Surface& s = *surface_;
  // Palette forms on a surface sharing the system palette name system
  // entries through the realised logical palette.
  const bool onSystemPalette =
      display_->isPaletteDevice() && s.colorTable() == display_->systemPalette();
  if (onSystemPalette && isPaletteIndex(c)) {
    const size_t i = (c & 0xFFFF) < palette_->size() ? (c & 0xFFFF) : 0;
    return palette_->systemIndexes()[i];
  }
  if (onSystemPalette && isPaletteRelative(c)) {
    return palette_->systemIndexes()[palette_->nearest(c)];
  }
  return s.rawOfColor(resolveColor(c));
}

}  // namespace zel::gdi
