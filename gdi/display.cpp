#include "gdi/display.h"

namespace zel::gdi {

const std::array<RgbQuad, 20> kStaticColors = {{
    {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {240, 202, 166, 0}, {240, 251, 255, 0}, {164, 160, 160, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0},
}};

std::shared_ptr<Display> Display::trueColor() {
  return std::make_shared<Display>();
}

std::shared_ptr<Display> Display::paletteDevice() {
  auto d = std::make_shared<Display>();
  d->palette_ = std::make_shared<ColorTable>();
  d->palette_->entries.assign(256, RgbQuad{});
  for (int i = 0; i < 10; ++i) {
    d->palette_->entries[i] = kStaticColors[i];
    d->palette_->entries[246 + i] = kStaticColors[10 + i];
  }
  return d;
}

}  // namespace zel::gdi
