// Run-length DIB decoding of arbitrary code: bytes 0..3 give the width and
// height (1..512 each), byte 4 bit 0 picks 4-bit or 8-bit code, the rest is
// the code. Decoding must stay inside the image and end.
#include <cstddef>
#include <cstdint>
#include <span>

#include "gdi/rle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const int32_t width = 1 + data[0] + 256 * (data[1] & 1),
                height = 1 + data[2] + 256 * (data[3] & 1);
  const auto compression =
      (data[4] & 1) ? zel::gdi::Compression::Rle4 : zel::gdi::Compression::Rle8;
  zel::gdi::RleImage image;
  zel::gdi::decodeRle(std::span(data + 5, size - 5), compression, width, height, &image);
  return 0;
}
