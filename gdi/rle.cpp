#include "gdi/rle.h"

#include <algorithm>

namespace zel::gdi {

bool decodeRle(std::span<const uint8_t> in, Compression compression, int32_t width, int32_t height,
               RleImage* out) {
  if (compression != Compression::Rle8 && compression != Compression::Rle4) return false;
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return false;
  if (uint64_t(width) * uint64_t(height) > kMaxRlePixels) return false;
  const bool four = compression == Compression::Rle4;
  out->width = width;
  out->height = height;
  out->index.assign(size_t(width) * size_t(height), 0);
  out->written.assign(size_t(width) * size_t(height), 0);
  int64_t x = 0, line = 0;  // line 0 is the bottom row
  const auto put = [&](uint8_t v) {
    if (x < width && line < height) {
      const size_t at = size_t(height - 1 - line) * size_t(width) + size_t(x);
      out->index[at] = v;
      out->written[at] = 1;
    }
    ++x;
  };
  size_t i = 0;
  while (i + 1 < in.size() && line < height) {
    const uint8_t count = in[i], value = in[i + 1];
    i += 2;
    if (count > 0) {
      // Pixels past the right edge are dropped without looping over them.
      const int64_t n = std::min<int64_t>(count, std::max<int64_t>(width - x, 0));
      for (int64_t k = 0; k < n; ++k) {
        put(four ? uint8_t((k & 1) ? value & 0x0F : value >> 4) : value);
      }
      x += count - n;
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++line;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (i + 1 >= in.size()) break;
      x += in[i];
      line += in[i + 1];
      i += 2;
    } else {  // literal pixels, padded to 16 bits
      const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
      const size_t padded = (bytes + 1) & ~size_t(1);
      if (in.size() - i < bytes) break;
      for (int k = 0; k < value; ++k) {
        const uint8_t b = in[i + (four ? size_t(k) / 2 : size_t(k))];
        put(four ? uint8_t((k & 1) ? b & 0x0F : b >> 4) : b);
      }
      i += std::min(padded, in.size() - i);
    }
  }
  return true;
}

}  // namespace zel::gdi
