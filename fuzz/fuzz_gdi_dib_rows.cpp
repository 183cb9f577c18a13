// The DIB row setters on arbitrary descriptions and bits. Byte 0 chooses the
// call, the colour use and the target format; bytes 1..10 are signed
// coordinates and counts; then a bitmap information header with its masks
// and colour table, then the bits. Every call must stay inside its buffers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "gdi/blit.h"
#include "gdi/dib_io.h"
#include "gdi/rop3.h"

using namespace zel::gdi;

namespace {

std::shared_ptr<Surface> target(uint8_t kind, const Display& trueColor, const Display& palette) {
  DibHeader h;
  h.width = 19;
  h.height = (kind & 8) ? -13 : 13;
  switch (kind & 7) {
    case 0:
      return Surface::createDevice(trueColor, 19, 13);
    case 1:
      return Surface::createDevice(palette, 19, 13);
    case 2:
      return Surface::createMonochrome(19, 13);
    case 3:
      h.bitCount = 4;
      break;
    case 4:
      h.bitCount = 16;
      break;
    case 5:
      h.bitCount = 24;
      break;
    case 6:
      h.bitCount = 8;
      break;
    default:
      h.bitCount = 1;
      break;
  }
  return Surface::createDib(h, {RgbQuad{1, 2, 3, 0}, RgbQuad{200, 100, 50, 0}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 11) return 0;
  const uint8_t mode = data[0];
  const int8_t* v = reinterpret_cast<const int8_t*>(data + 1);
  const ColorUse use = (mode & 0x10) ? ColorUse::PaletteIndexes : ColorUse::Rgb;
  std::span<const uint8_t> rest(data + 11, size - 11);
  size_t consumed = 0;
  auto info = parseBitmapInfo(rest, use, &consumed);
  if (!info) return 0;
  const std::span<const uint8_t> bits = rest.subspan(consumed);

  auto trueColor = Display::trueColor();
  auto palette = Display::paletteDevice();
  auto surface = target(mode & 0x0F, *trueColor, *palette);
  DeviceContext dc((mode & 0x0F) == 1 ? palette : trueColor);
  dc.selectBitmap(surface);
  // Scale the small signed values up so that far-off and huge arguments are
  // reached too.
  const auto big = [](int8_t x) { return int32_t(x) * ((x & 1) ? 1 : 0x1000000); };
  switch (mode >> 5) {
    case 0:
      setDIBits(&dc, *surface, uint8_t(v[0]), uint8_t(v[1]), bits, *info, use);
      break;
    case 1:
      setDIBitsToDevice(dc, big(v[0]), big(v[1]), uint32_t(big(v[2])), uint32_t(big(v[3])),
                        big(v[4]), big(v[5]), uint8_t(v[6]), uint32_t(big(v[7])), bits, *info, use);
      break;
    case 2:
      stretchDIBits(dc, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], bits, *info, use,
                    uint32_t(uint8_t(v[8])) << 16);
      break;
    case 3:
      stretchDIBits(dc, big(v[0]), big(v[1]), big(v[2]), big(v[3]), big(v[4]), big(v[5]), big(v[6]),
                    big(v[7]), bits, *info, use, kSrcCopy);
      break;
    default: {
      BitmapInfo query = *info;
      std::vector<uint8_t> out(bits.size() % 4096);
      getDIBits(dc, *surface, uint8_t(v[0]), uint8_t(v[1]), out, query, use);
      break;
    }
  }
  return 0;
}
