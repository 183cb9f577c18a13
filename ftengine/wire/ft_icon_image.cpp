#include "ftengine/wire/ft_icon_image.h"

#include "ftengine/wire/byte_order.h"

namespace zel::ftengine {

IconImage unpackIconImage(std::span<const std::uint8_t> packed) {
  IconImage image;
  std::size_t at = 0;
  while (at < packed.size()) {
    const std::uint8_t control = packed[at++];
    std::size_t operands;
    std::size_t produced;
    if (control < 0x80) {
      operands = (control & 0x7F) + 1u;
      produced = operands;
    } else if (control < 0xC0) {
      operands = 1;
      produced = (control & 0x3F) + 3u;
    } else {
      operands = 2;
      produced = 2u * ((control & 0x3F) + 2u);
    }
    if (packed.size() - at < operands || image.bytes.size() + produced > FT_ICON_IMAGE_LIMIT) {
      image.complete = false;
      break;
    }
    const std::uint8_t* p = packed.data() + at;
    if (control < 0x80) {
      image.bytes.insert(image.bytes.end(), p, p + operands);
    } else if (control < 0xC0) {
      image.bytes.insert(image.bytes.end(), produced, p[0]);
    } else {
      for (std::size_t i = 0; i < produced; i += 2) {
        image.bytes.push_back(p[0]);
        image.bytes.push_back(p[1]);
      }
    }
    at += operands;
  }
  return image;
}

std::size_t decodeIconBitmap(std::span<const std::uint8_t> bytes, IconBitmap& bitmap) {
  constexpr std::size_t kFixed = 14;
  if (bytes.size() < kFixed) return 0;
  const std::uint8_t* p = bytes.data();
  const std::size_t pixelSize = wire::loadU16(p + 10);
  const std::size_t colours = wire::loadU16(p + 12);
  if (colours > FT_ICON_MAX_COLOURS) return 0;
  const std::size_t size = kFixed + 4 * colours + pixelSize;
  if (size > bytes.size()) return 0;
  bitmap.width = wire::loadU32(p);
  bitmap.height = wire::loadU32(p + 4);
  bitmap.bitsPerPixel = wire::loadU16(p + 8);
  bitmap.colourTable = bytes.subspan(kFixed, 4 * colours);
  bitmap.pixels = bytes.subspan(kFixed + 4 * colours, pixelSize);
  return size;
}

}  // namespace zel::ftengine
