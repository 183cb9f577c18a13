// Setting and reading device-independent bitmap rows.
//
// Scan lines are numbered as the DIB stores them: from the bottom row for a
// bottom-up DIB (positive height), from the top row for a top-down one.
// Every call checks the header, counts and buffer sizes first; rows the
// buffer does not hold are never read, and nothing outside a surface is
// written. Calls return the number of scan lines handled, 0 on failure.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "gdi/device_context.h"
#include "gdi/dib_header.h"
#include "gdi/surface.h"

namespace zel::gdi {

// A DIB section holding the picture that `info` and `bits` describe; run-
// length images are expanded. Palette-index colour tables are looked up in
// `dc`'s logical palette (the default palette without a context).
std::shared_ptr<Surface> surfaceFromDib(const BitmapInfo& info, std::span<const uint8_t> bits,
                                        ColorUse use, const DeviceContext* dc = nullptr);

// Bytes the bits of `scans` rows of a DIB need (uncompressed formats).
uint64_t dibBitsSize(const DibHeader& header, uint32_t scans);

// Sets scan lines [startScan, startScan + numScans) of `target` from `bits`,
// the DIB being placed at the top-left corner of the bitmap. `dc` supplies the
// palette for palette-index colour tables and may be null.
int setDIBits(const DeviceContext* dc, Surface& target, uint32_t startScan, uint32_t numScans,
              std::span<const uint8_t> bits, const BitmapInfo& info, ColorUse use);

// Draws the DIB rectangle (xSrc, ySrc, width, height) at (xDest, yDest) of the
// context, clipped. ySrc counts from the bottom edge of a bottom-up DIB and
// from the top edge of a top-down one; only scan lines [startScan, startScan
// + numScans) are in `bits`. Pixels a run-length image skips stay unchanged.
int setDIBitsToDevice(DeviceContext& dc, int32_t xDest, int32_t yDest, uint32_t width,
                      uint32_t height, int32_t xSrc, int32_t ySrc, uint32_t startScan,
                      uint32_t numScans, std::span<const uint8_t> bits, const BitmapInfo& info,
                      ColorUse use);

// Stretches the DIB rectangle (xSrc, ySrc, srcWidth, srcHeight) (ySrc as for
// setDIBitsToDevice) onto the destination rectangle with `rop`.
int stretchDIBits(DeviceContext& dc, int32_t xDest, int32_t yDest, int32_t destWidth,
                  int32_t destHeight, int32_t xSrc, int32_t ySrc, int32_t srcWidth,
                  int32_t srcHeight, std::span<const uint8_t> bits, const BitmapInfo& info,
                  ColorUse use, uint32_t rop);

// Reads scan lines [startScan, startScan + numScans) of `source` in the format
// that `info.header` asks for (uncompressed or bit fields; its width must be
// the bitmap's) into `out`, and fills `info`'s colour table: the bitmap's own
// table when the bit counts match, otherwise black and white (1 bit), the
// sixteen standard colours (4 bits) or the twenty static colours and a colour
// cube (8 bits). With palette indexes the table gets, for each pixel value,
// the logical-palette entry of `dc` that shows it.
int getDIBits(const DeviceContext& dc, const Surface& source, uint32_t startScan, uint32_t numScans,
              std::span<uint8_t> out, BitmapInfo& info, ColorUse use);

// The sixteen standard colours of 4-bit bitmaps.
extern const RgbQuad kSixteenColors[16];

}  // namespace zel::gdi
