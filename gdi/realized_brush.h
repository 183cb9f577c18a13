// A brush turned into raw pixel values of one destination surface, aligned to
// the brush origin: the pattern operand of raster operations and fills.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/device_context.h"

namespace zel::gdi {

class RealizedBrush {
 public:
  // Realises the brush selected in `dc` for the surface selected in `dc`.
  explicit RealizedBrush(const DeviceContext& dc) : RealizedBrush(dc, *dc.brush()) {}
  RealizedBrush(const DeviceContext& dc, const Brush& brush);

  bool hollow() const { return hollow_; }
  bool solid() const { return solid_; }
  uint32_t solidValue() const { return solidValue_; }
  // Set when some pattern pixels must leave the destination alone (the
  // background of a hatch in transparent background mode).
  bool masked() const { return masked_; }

  // Pattern values for n pixels of device row y from x; with `mask`, 1 where
  // the pattern draws.
  void row(int32_t y, int32_t x, int32_t n, uint32_t* out, uint8_t* mask) const;

 private:
  bool hollow_ = false;
  bool solid_ = false;
  bool masked_ = false;
  uint32_t solidValue_ = 0;
  int32_t width_ = 1, height_ = 1;
  Point origin_{};
  std::vector<uint32_t> pixels_;
  std::vector<uint8_t> draws_;
};

}  // namespace zel::gdi
