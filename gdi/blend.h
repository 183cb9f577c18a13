// Transfers that keep or mix destination pixels by colour: the transparent
// copy (a colour key) and the alpha blend.
//
// Both stretch the source rectangle onto the destination rectangle taking,
// for each destination pixel, the first source pixel that falls on it.
#pragma once

#include <cstdint>

#include "gdi/device_context.h"

namespace zel::gdi {

// Copies the source rectangle onto the destination rectangle, leaving the
// destination alone wherever the source pixel has the colour `transparent`
// (compared as a raw source value: the colour bits of direct-colour formats,
// the index of indexed ones). Fails for a missing source or a size below 1.
bool transparentBlt(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                    const DeviceContext* src, int32_t sx, int32_t sy, int32_t srcWidth,
                    int32_t srcHeight, ColorRef transparent);

// The blend-function record, as the four bytes of a little-endian word:
// operation (0, source over), flags (0), constant alpha, alpha format (0, or
// 1 when the source carries per-pixel alpha premultiplied into its colours).
struct BlendFunction {
  uint8_t op = 0;
  uint8_t flags = 0;
  uint8_t constantAlpha = 255;
  uint8_t alphaFormat = 0;

  static constexpr uint8_t kSourceOver = 0;
  static constexpr uint8_t kSourceAlpha = 1;

  static constexpr BlendFunction fromWord(uint32_t w) {
    return BlendFunction{uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)};
  }
};

// Blends the source rectangle over the destination rectangle. Each channel c
// (red, green, blue and, on 32-bit surfaces, the alpha byte) becomes
//   without per-pixel alpha:  src * A + dst * (255 - A)        (A constant)
//   with per-pixel alpha:     src' + dst * (255 - alpha')      src' = src * A
// all divided by 255 with rounding to nearest. Fails for an unknown operation,
// flags or format, a size below 1, a source rectangle that leaves the source
// surface, overlapping rectangles on one surface, and per-pixel alpha from a
// source that is not 32 bits per pixel.
bool alphaBlend(DeviceContext& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                const DeviceContext& src, int32_t sx, int32_t sy, int32_t srcWidth,
                int32_t srcHeight, BlendFunction blend);

}  // namespace zel::gdi
