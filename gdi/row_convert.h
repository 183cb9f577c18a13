// Conversion of raw pixel rows from one surface's format to another's, with
// the rules of transfers between unlike formats: a monochrome bitmap drawn on
// a colour surface shows its 0 bits in the destination's text colour and its
// 1 bits in the destination's background colour; a colour source drawn on a
// monochrome surface gives 1 where a pixel equals the source's background
// colour and 0 elsewhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "gdi/device_context.h"
#include "gdi/surface.h"

namespace zel::gdi {

class RowConverter {
 public:
  // Source rows of `src` as drawn into `dst`; `srcBk` is the background
  // colour of the source's device context.
  RowConverter(const Surface& src, ColorRef srcBk, const DeviceContext& dst);
  RowConverter(const DeviceContext& src, const DeviceContext& dst)
      : RowConverter(src.surface(), src.bkColor(), dst) {}

  bool identity() const { return mode_ == Mode::Identity; }
  void convert(const uint32_t* in, uint32_t* out, size_t n) const;

 private:
  enum class Mode { Identity, Table, Direct, ToIndexed, ToMono };
  Mode mode_ = Mode::Identity;
  const Surface* src_;
  const Surface* dst_;
  uint32_t srcBkRaw_ = 0;
  // Raw destination value of each source index (indexed sources).
  std::array<uint32_t, 256> table_;
  uint32_t tableMask_ = 0;
};

}  // namespace zel::gdi
