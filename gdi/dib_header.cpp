#include "gdi/dib_header.h"

#include <bit>

namespace zel::gdi {
namespace {

uint32_t readU32(std::span<const uint8_t> b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}
uint16_t readU16(std::span<const uint8_t> b, size_t at) {
  return uint16_t(b[at] | b[at + 1] << 8);
}

bool contiguous(uint32_t mask) {
  if (mask == 0) return false;
  const uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

}  // namespace

uint32_t DibHeader::colorTableEntries() const {
  if (bitCount > 8) return 0;
  const uint32_t full = 1u << bitCount;
  if (colorsUsed == 0 || colorsUsed > full) return full;
  return colorsUsed;
}

bool validHeader(const DibHeader& h) {
  if (h.width <= 0 || h.width > kMaxDimension) return false;
  if (h.height == 0 || h.height > kMaxDimension || h.height < -kMaxDimension) return false;
  if (h.planes != 1) return false;
  switch (h.compression) {
    case Compression::Rgb:
      return h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 ||
             h.bitCount == 24 || h.bitCount == 32;
    case Compression::Rle8:
      return h.bitCount == 8 && h.height > 0;
    case Compression::Rle4:
      return h.bitCount == 4 && h.height > 0;
    case Compression::BitFields: {
      if (h.bitCount != 16 && h.bitCount != 32) return false;
      const uint32_t limit = h.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
      for (uint32_t m : {h.redMask, h.greenMask, h.blueMask}) {
        if (!contiguous(m) || (m & ~limit) != 0) return false;
      }
      return (h.redMask & h.greenMask) == 0 && (h.redMask & h.blueMask) == 0 &&
             (h.greenMask & h.blueMask) == 0;
    }
  }
  return false;
}

std::optional<BitmapInfo> parseBitmapInfo(std::span<const uint8_t> bytes, ColorUse use,
                                          size_t* consumed) {
  if (bytes.size() < kDibHeaderBytes) return std::nullopt;
  if (readU32(bytes, 0) < kDibHeaderBytes) return std::nullopt;
  BitmapInfo info;
  DibHeader& h = info.header;
  h.width = int32_t(readU32(bytes, 4));
  h.height = int32_t(readU32(bytes, 8));
  h.planes = readU16(bytes, 12);
  h.bitCount = readU16(bytes, 14);
  const uint32_t compression = readU32(bytes, 16);
  if (compression > 3) return std::nullopt;
  h.compression = Compression(compression);
  h.sizeImage = readU32(bytes, 20);
  h.colorsUsed = readU32(bytes, 32);
  size_t at = kDibHeaderBytes;
  if (h.compression == Compression::BitFields) {
    if (bytes.size() < at + 12) return std::nullopt;
    h.redMask = readU32(bytes, at);
    h.greenMask = readU32(bytes, at + 4);
    h.blueMask = readU32(bytes, at + 8);
    at += 12;
  }
  if (!validHeader(h)) return std::nullopt;
  const uint32_t entries = h.colorTableEntries();
  if (use == ColorUse::Rgb) {
    if (bytes.size() - at < size_t(entries) * 4) return std::nullopt;
    info.colors.resize(entries);
    for (uint32_t i = 0; i < entries; ++i, at += 4) {
      info.colors[i] = RgbQuad{bytes[at], bytes[at + 1], bytes[at + 2], 0};
    }
  } else {
    if (bytes.size() - at < size_t(entries) * 2) return std::nullopt;
    info.indexes.resize(entries);
    for (uint32_t i = 0; i < entries; ++i, at += 2)
      info.indexes[i] = readU16(bytes, at);
  }
  if (consumed) *consumed = at;
  return info;
}

}  // namespace zel::gdi
