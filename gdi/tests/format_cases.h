// Every surface format the layer supports, for tests that run in each.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gdi/surface.h"

namespace zel::gdi::testing {

struct FormatCase {
  std::string name;
  DibHeader header;  // height is set per test
};

inline std::vector<FormatCase> allDibFormats() {
  auto h = [](uint16_t bits, Compression c = Compression::Rgb, uint32_t r = 0, uint32_t g = 0,
              uint32_t b = 0) {
    DibHeader d;
    d.bitCount = bits;
    d.compression = c;
    d.redMask = r;
    d.greenMask = g;
    d.blueMask = b;
    return d;
  };
  return {
      {"1bpp", h(1)},
      {"4bpp", h(4)},
      {"8bpp", h(8)},
      {"16bpp555", h(16)},
      {"16bpp565", h(16, Compression::BitFields, 0xF800, 0x07E0, 0x001F)},
      {"16bpp444", h(16, Compression::BitFields, 0x0F00, 0x00F0, 0x000F)},
      {"24bpp", h(24)},
      {"32bpp", h(32)},
      {"32bppBgrMasks", h(32, Compression::BitFields, 0x000000FF, 0x0000FF00, 0x00FF0000)},
  };
}

// A DIB section of the format holding `colors` in its colour table (indexed
// formats), top-down or bottom-up.
inline std::shared_ptr<Surface> makeDib(const FormatCase& f, int32_t w, int32_t h, bool topDown,
                                        const std::vector<RgbQuad>& colors) {
  DibHeader d = f.header;
  d.width = w;
  d.height = topDown ? -h : h;
  return Surface::createDib(d, colors);
}

}  // namespace zel::gdi::testing
