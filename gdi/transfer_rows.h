// Row-level building blocks shared by the transfers: destination rows as raw
// values, one row of a raster operation with the brush, source rows converted
// to the destination format, and the pixel mapping of a stretch.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gdi/device_context.h"
#include "gdi/realized_brush.h"
#include "gdi/rop3.h"
#include "gdi/row_buffer.h"
#include "gdi/row_convert.h"

namespace zel::gdi {

// Rows of the destination as raw values: 32-bit surfaces are worked on in
// place, others through a scratch row.
class DestRows {
 public:
  DestRows(Surface& s, int32_t x, int32_t n);
  uint32_t* load(int32_t y);
  void store(int32_t y);

 private:
  Surface& s_;
  int32_t x_, n_;
  bool direct_;
  RowBuffer<uint32_t> buf_;
};

// Applies one row of an operation, honouring a pattern mask when the brush
// leaves some pixels alone.
struct RowOp {
  RopRow kernel;
  const RealizedBrush* brush;
  bool usesPattern;
  bool masked;
  RowBuffer<uint32_t> pattern, result;
  RowBuffer<uint8_t> mask;

  RowOp(uint8_t index, const RealizedBrush* b, int32_t n);
  void apply(uint32_t* d, const uint32_t* s, int32_t y, int32_t x, int32_t n);
};

// Source rows of an unstretched transfer in the destination's format: row
// `destY` of the destination reads source row destY - dy from column x.
class SourceRows {
 public:
  SourceRows(const DeviceContext& src, const DeviceContext& dst, int64_t x, int64_t dy, int32_t n);
  // Whether rows are handed out straight from a 32-bit source.
  bool direct() const { return direct_; }
  const uint32_t* load(int32_t destY);

 private:
  const Surface& s_;
  RowConverter convert_;
  int32_t x_;
  int64_t dy_;
  int32_t n_;
  bool direct_;
  RowBuffer<uint32_t> raw_, row_;
};

// The part of the rectangle (x, y, w, h) of `dst` whose source pixels, offset
// by (sx - x, sy - y), lie inside `src`; negative sizes are taken from the
// other corner for both rectangles. Empty when nothing is left.
Rect clipTransfer(const DeviceContext& dst, int64_t x, int64_t y, int64_t w, int64_t h,
                  const Surface* src, int64_t sx, int64_t sy, int64_t* dx, int64_t* dy);

// For each destination column (or row) of a stretch, the first source index
// and how many source pixels fall on it; -1 marks a source outside the
// surface.
struct Mapping {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
};

// Maps destination indexes from..to-1 of a destination of length dstLen onto
// srcLen source pixels from srcStart, mirrored when asked, limited to
// 0..srcLimit-1.
Mapping mapAxis(int64_t dstLen, int64_t srcStart, int64_t srcLen, bool mirror, int64_t from,
                int64_t to, int32_t srcLimit);

}  // namespace zel::gdi
