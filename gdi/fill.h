// Single pixels and rectangle fills.
#pragma once

#include <cstdint>

#include "gdi/device_context.h"

namespace zel::gdi {

// The colour reference calls return for a pixel outside the clip.
inline constexpr ColorRef kInvalidColor = 0xFFFFFFFFu;

// Sets pixel (x, y) to the raw value showing `color`, whatever the mix mode.
// Returns the colour the pixel shows afterwards, or kInvalidColor (and draws
// nothing) outside the clip box.
ColorRef setPixel(DeviceContext& dc, int32_t x, int32_t y, ColorRef color);

// Fills `rect` (left and top in, right and bottom out) with `brush`, aligned
// to the brush origin of `dc`, as a pattern copy; the selected brush and the
// mix mode play no part. A rectangle whose right or bottom edge is not beyond
// its left or top edge fills nothing.
bool fillRect(DeviceContext& dc, const Rect& rect, const Brush& brush);

}  // namespace zel::gdi
