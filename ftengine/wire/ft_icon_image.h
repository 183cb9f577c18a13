// The image area of an icon reply: optionally run-length packed, then four
// bitmap records (colour and mask of two icons) in a row.
//
// Run-length packing, a control byte and its operands:
//   below 0x80     literal run: the next (control & 0x7F) + 1 bytes;
//   0x80 to 0xBF   byte fill: the next byte, (control & 0x3F) + 3 times;
//   0xC0 and above 16-bit fill: the next two bytes (little-endian value),
//                  (control & 0x3F) + 2 times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::ftengine {

// The unpacked image area never exceeds this many bytes.
inline constexpr std::size_t FT_ICON_IMAGE_LIMIT = 32767;
// The most colour-table entries a record may have.
inline constexpr std::size_t FT_ICON_MAX_COLOURS = 2560;

struct IconImage {
  std::vector<std::uint8_t> bytes;
  // False when the packed data ended inside a run or a run would have gone
  // past FT_ICON_IMAGE_LIMIT; bytes then holds what came before.
  bool complete = true;
};

IconImage unpackIconImage(std::span<const std::uint8_t> packed);

// One FT_ICON_BITMAP record: width (4), height (4), bits per pixel (2),
// pixel-data size (2), colour count (2), colour table (4 per entry), pixels.
struct IconBitmap {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t bitsPerPixel = 0;
  std::span<const std::uint8_t> colourTable;  // 4 bytes per entry: blue, green, red, reserved
  std::span<const std::uint8_t> pixels;       // bottom-up rows
};

// Reads a record from the start of bytes. Returns the record's size, or 0
// when it does not lie wholly within bytes or has too many colours.
std::size_t decodeIconBitmap(std::span<const std::uint8_t> bytes, IconBitmap& bitmap);

}  // namespace zel::ftengine
