#include "gdi/pixel_layout.h"

#include <bit>

namespace zel::gdi {

Channel Channel::of(uint32_t mask) {
  if (mask == 0) return Channel{};
  const int shift = std::countr_zero(mask);
  return Channel{mask, shift, std::popcount(mask)};
}

}  // namespace zel::gdi
