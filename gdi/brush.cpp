#include "gdi/brush.h"

#include <cstring>

#include "gdi/dib_io.h"

namespace zel::gdi {
namespace {

// Hatch pictures as the platform draws them: the horizontal line on row 3,
// the vertical one on column 4, diagonals through the cell corners.
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
};

}  // namespace

const uint8_t* hatchRows(HatchStyle style) {
  return kHatches[int(style)];
}

std::shared_ptr<Brush> Brush::solid(ColorRef color) {
  auto b = std::make_shared<Brush>();
  b->style = BrushStyle::Solid;
  b->color = color;
  return b;
}

std::shared_ptr<Brush> Brush::hollow() {
  auto b = std::make_shared<Brush>();
  b->style = BrushStyle::Hollow;
  return b;
}

std::shared_ptr<Brush> Brush::hatched(int style, ColorRef color) {
  if (style < 0 || style > 5) return nullptr;
  auto b = std::make_shared<Brush>();
  b->style = BrushStyle::Hatched;
  b->hatch = HatchStyle(style);
  b->color = color;
  return b;
}

std::shared_ptr<Brush> Brush::fromPattern(const Surface& bitmap) {
  auto copy = std::make_shared<Surface>(bitmap);
  auto b = std::make_shared<Brush>();
  b->style = BrushStyle::Pattern;
  b->pattern = std::move(copy);
  return b;
}

std::shared_ptr<Brush> Brush::fromDib(const BitmapInfo& info, std::span<const uint8_t> bits,
                                      ColorUse use) {
  auto surface = surfaceFromDib(info, bits, use);
  if (!surface) return nullptr;
  auto b = std::make_shared<Brush>();
  b->style = BrushStyle::DibPattern;
  b->pattern = std::move(surface);
  if (use == ColorUse::PaletteIndexes) b->paletteIndexes = info.indexes;
  return b;
}

}  // namespace zel::gdi
