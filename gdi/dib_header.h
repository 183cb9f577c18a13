// Our record of a device-independent bitmap's description: the fields of a
// 40-byte bitmap information header, the bit-field masks and the colour
// table, with a strict parser of the byte form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "gdi/color.h"

namespace zel::gdi {

enum class Compression : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// How the colour table of a DIB is to be read: RGB entries, or 16-bit indexes
// into the logical palette selected in the device context.
enum class ColorUse { Rgb, PaletteIndexes };

struct DibHeader {
  int32_t width = 0;
  int32_t height = 0;  // negative: rows are stored top-down
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  Compression compression = Compression::Rgb;
  uint32_t sizeImage = 0;
  uint32_t colorsUsed = 0;
  uint32_t redMask = 0, greenMask = 0, blueMask = 0;  // BitFields only

  bool topDown() const { return height < 0; }
  int64_t absHeight() const { return height < 0 ? -int64_t(height) : int64_t(height); }
  // Bytes per stored row: rows are padded to 32 bits.
  uint64_t stride() const {
    return ((uint64_t(bitCount) * uint64_t(width < 0 ? 0 : width) + 31) / 32) * 4;
  }
  // Entries of the colour table that the header implies (0 when none).
  uint32_t colorTableEntries() const;
};

struct BitmapInfo {
  DibHeader header;
  std::vector<RgbQuad> colors;    // ColorUse::Rgb
  std::vector<uint16_t> indexes;  // ColorUse::PaletteIndexes
};

inline constexpr size_t kDibHeaderBytes = 40;
// Largest width or height any surface may have.
inline constexpr int32_t kMaxDimension = 1 << 16;

// Checks that the header describes something this layer can hold: positive
// width, non-zero height within kMaxDimension, planes 1, a supported bit count
// and compression pairing, contiguous non-overlapping masks for BitFields.
bool validHeader(const DibHeader& h);

// Parses a header and the colour table after it. `bytes` starts at the header;
// the masks of BitFields follow the 40 bytes. Fails on short input or an
// unsupported description.
std::optional<BitmapInfo> parseBitmapInfo(std::span<const uint8_t> bytes, ColorUse use,
                                          size_t* consumed = nullptr);

}  // namespace zel::gdi
