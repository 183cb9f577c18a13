// Run-length coded DIB bits (8 and 4 bits per pixel).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gdi/dib_header.h"

namespace zel::gdi {

// A decoded run-length image: one index per pixel, rows top-down, and which
// pixels the code wrote (skipped pixels leave the destination alone).
struct RleImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> index;    // width * height
  std::vector<uint8_t> written;  // width * height, 1 where written
};

// Largest run-length image decoded: a few bytes of code can declare a huge
// picture, and its expansion must stay affordable.
inline constexpr uint64_t kMaxRlePixels = uint64_t(1) << 24;

// Decodes an image of `width` x `height` (rows coded from the bottom up).
// Runs and literal stretches that pass the right edge are cut there; a delta
// or line end past the top stops decoding; input that ends early leaves the
// rest unwritten. Fails for an unsupported compression or a size above
// kMaxRlePixels; the work
// is linear in the input and the image size.
bool decodeRle(std::span<const uint8_t> in, Compression compression, int32_t width, int32_t height,
               RleImage* out);

}  // namespace zel::gdi
