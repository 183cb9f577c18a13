// Block transfers with ternary raster operations.
//
// Every call clips the destination rectangle to the destination's clip box
// and, for a source, to the part whose source pixels lie inside the source
// surface; nothing outside either surface is read or written. A call with a
// source operation but no source context, or with unusable sizes, fails and
// draws nothing.
#pragma once

#include <cstdint>

#include "gdi/device_context.h"

namespace zel::gdi {

// Pattern fill of a rectangle with the selected brush. Negative sizes are
// taken from the other corner. Fails for operations that use a source.
bool patBlt(DeviceContext& dc, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop);

// Copy of a width x height rectangle from `src` at (sx, sy) to `dst` at (x, y),
// combined by `rop` with the destination and the brush of `dst`. `src` may be
// `dst`; overlapping rectangles are handled. `src` may be null when the
// operation does not use a source.
bool bitBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
            const DeviceContext* src, int32_t sx, int32_t sy, uint32_t rop);

// Copy of a source rectangle onto a destination rectangle of another size.
// Opposite signs of a width (or height) pair mirror the picture. When the
// picture shrinks, the stretch mode of `dst` decides how the source pixels
// that fall on one destination pixel combine: AND (black on white), OR (white
// on black), the first one (colour on colour) or their average (halftone).
bool stretchBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                const DeviceContext* src, int32_t sx, int32_t sy, int32_t srcWidth,
                int32_t srcHeight, uint32_t rop);

// Same as stretchBlt with the source given as a surface and the background
// colour that decides colour-to-monochrome conversion.
bool stretchSurface(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                    const Surface& src, ColorRef srcBk, int32_t sx, int32_t sy, int32_t srcWidth,
                    int32_t srcHeight, uint32_t rop);

// A transfer in which a monochrome mask picks, pixel by pixel, one of two
// operations: a four-operand code holds the foreground operation (for mask
// bits of 1) in bits 16..23 and the background operation (for mask bits of 0)
// in bits 24..31. Mask pixel (mx, my) goes with destination pixel (x, y).
// Without a mask this is bitBlt with the foreground operation. Fails for a
// mask that is not monochrome, a missing source that an operation needs, or a
// negative size; the part outside the mask is not drawn.
bool maskBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
             const DeviceContext* src, int32_t sx, int32_t sy, const Surface* mask, int32_t mx,
             int32_t my, uint32_t rop4);

// The four-operand code of a foreground and a background operation.
constexpr uint32_t makeRop4(uint32_t foreground, uint32_t background) {
  return ((background << 8) & 0xFF000000u) | (foreground & 0x00FFFFFFu);
}

}  // namespace zel::gdi
