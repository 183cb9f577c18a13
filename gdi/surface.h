// A pixel buffer that drawing targets: a colour device bitmap, a monochrome
// bitmap or a DIB section of 1, 4, 8, 16, 24 or 32 bits per pixel stored
// top-down or bottom-up.
//
// Drawing works on raw pixel values: the index of an indexed format, the
// packed value of a direct-colour one, widened to 32 bits. Rows are read and
// written as arrays of raw values; 32-bit surfaces also hand out their rows
// directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/color.h"
#include "gdi/dib_header.h"
#include "gdi/display.h"
#include "gdi/geometry.h"
#include "gdi/pixel_layout.h"

namespace zel::gdi {

enum class SurfaceKind { Device, Monochrome, DibSection };

// Largest pixel buffer a surface may allocate.
inline constexpr uint64_t kMaxSurfaceBytes = uint64_t(1) << 30;

class Surface {
 public:
  // A bitmap compatible with the display: 32 bits per pixel, or 8 bits per
  // pixel sharing the system palette of a palette device. Starts black.
  static std::shared_ptr<Surface> createDevice(const Display& display, int32_t width,
                                               int32_t height);
  // One bit per pixel; 0 is black and 1 is white. Starts black.
  static std::shared_ptr<Surface> createMonochrome(int32_t width, int32_t height);
  // A DIB section for an uncompressed or bit-field header; indexed formats
  // take `colors` as their colour table (missing entries are black). Returns
  // null for an invalid header or a buffer above kMaxSurfaceBytes.
  static std::shared_ptr<Surface> createDib(const DibHeader& header,
                                            const std::vector<RgbQuad>& colors);

  SurfaceKind kind() const { return kind_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  Rect bounds() const { return Rect{0, 0, width_, height_}; }
  const PixelLayout& layout() const { return layout_; }
  int bitsPerPixel() const { return layout_.bitsPerPixel; }
  bool isMonochrome() const { return layout_.bitsPerPixel == 1; }
  bool topDown() const { return topDown_; }
  size_t stride() const { return stride_; }

  // The stored bits, in storage order (bottom row first when bottom-up).
  uint8_t* bits() { return bits_.data(); }
  const uint8_t* bits() const { return bits_.data(); }
  size_t bitsSize() const { return bits_.size(); }
  // Visual row y (0 is the top row). y must lie in 0..height-1.
  uint8_t* row(int32_t y) { return bits_.data() + storageOffset(y); }
  const uint8_t* row(int32_t y) const { return bits_.data() + storageOffset(y); }
  uint32_t* row32(int32_t y) { return reinterpret_cast<uint32_t*>(row(y)); }
  const uint32_t* row32(int32_t y) const { return reinterpret_cast<const uint32_t*>(row(y)); }

  // The colour table of an indexed surface (null for direct colour).
  const std::shared_ptr<ColorTable>& colorTable() const { return table_; }
  void setColorTable(std::shared_ptr<ColorTable> table) { table_ = std::move(table); }

  // Raw values of n pixels of row y from x; the range must lie inside.
  void readRow(int32_t y, int32_t x, int32_t n, uint32_t* out) const;
  void writeRow(int32_t y, int32_t x, int32_t n, const uint32_t* in);
  uint32_t rawAt(int32_t x, int32_t y) const;
  void setRawAt(int32_t x, int32_t y, uint32_t raw);

  // The colour a raw value shows, and the raw value showing an RGB colour
  // (the nearest table entry for indexed formats).
  ColorRef colorOfRaw(uint32_t raw) const;
  uint32_t rawOfColor(ColorRef rgbColor) const;
  ColorRef colorAt(int32_t x, int32_t y) const { return colorOfRaw(rawAt(x, y)); }

  // Fills the whole surface with one raw value.
  void fill(uint32_t raw);

 private:
  Surface(SurfaceKind kind, int32_t width, int32_t height, PixelLayout layout, bool topDown);
  size_t storageOffset(int32_t y) const { return size_t(topDown_ ? y : height_ - 1 - y) * stride_; }
  static bool sizeAllowed(int32_t width, int32_t height, int bits);

  SurfaceKind kind_;
  int32_t width_;
  int32_t height_;
  PixelLayout layout_;
  bool topDown_;
  size_t stride_;
  std::vector<uint8_t> bits_;
  std::shared_ptr<ColorTable> table_;
};

}  // namespace zel::gdi
