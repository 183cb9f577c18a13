#include "gdi/pen.h"

namespace zel::gdi {

std::shared_ptr<Pen> Pen::cosmetic(int style, ColorRef color) {
  auto p = std::make_shared<Pen>();
  p->style = (style >= 0 && style <= 6) ? PenStyle(style) : PenStyle::Solid;
  p->color = color;
  return p;
}

std::shared_ptr<Pen> Pen::geometricPen(uint32_t styleWord, int32_t width,
                                       std::shared_ptr<Brush> brush,
                                       std::vector<uint32_t> userStyle) {
  if (!brush || width < 1) return nullptr;
  auto p = std::make_shared<Pen>();
  const uint32_t basic = styleWord & 0x0F;
  p->style = basic <= 8 ? PenStyle(basic) : PenStyle::Solid;
  const uint32_t cap = (styleWord >> 8) & 0x0F;
  const uint32_t join = (styleWord >> 12) & 0x0F;
  p->endCap = cap <= 2 ? PenEndCap(cap) : PenEndCap::Round;
  p->join = join <= 2 ? PenJoin(join) : PenJoin::Round;
  p->geometric = true;
  p->width = width;
  p->color = brush->color;
  p->brush = std::move(brush);
  p->userStyle = std::move(userStyle);
  return p;
}

}  // namespace zel::gdi
