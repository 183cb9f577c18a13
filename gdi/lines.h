// Lines drawn with the cosmetic pen of a device context.
//
// A line from a to b lights one pixel per step along its longer axis, from a
// up to but not including b; the other coordinate is the exact value rounded
// to nearest, with halves rounded towards a. Styled pens repeat their dash
// pattern one unit per lit pixel, and the pattern continues from one segment
// of a polyline into the next. Gaps draw in the background colour in opaque
// background mode and are skipped in transparent mode. Every pixel combines
// with the destination by the mix mode. Only pixels inside the clip box are
// touched, however far outside the end points lie.
#pragma once

#include <cstdint>
#include <span>

#include "gdi/device_context.h"

namespace zel::gdi {

// The dash pattern of a cosmetic style, in pixels, dashes and gaps
// alternating from a dash; empty for solid styles.
std::span<const uint32_t> cosmeticDashes(PenStyle style);

// Draws from the current position to `to` and moves the current position
// there. The dash pattern starts afresh.
bool lineTo(DeviceContext& dc, Point to);

// Draws the connected segments through `points`, leaving the current position
// alone. Fails for fewer than two points.
bool polyline(DeviceContext& dc, std::span<const Point> points);

}  // namespace zel::gdi
