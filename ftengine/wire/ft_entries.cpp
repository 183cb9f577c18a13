#include "ftengine/wire/ft_entries.h"

#include <algorithm>

#include "ftengine/wire/byte_order.h"
#include "ftengine/wire/fixed_text.h"

namespace zel::ftengine {

using wire::loadU16;
using wire::loadU32;
using wire::loadU64;

std::size_t decodeFileEntry(std::span<const std::uint8_t> bytes, FileEntry& entry) {
  if (bytes.size() < FT_FILE_ENTRY_FIXED) return 0;
  const std::uint8_t* p = bytes.data();
  const std::size_t n = loadU16(p + 58);
  const std::size_t size = FT_FILE_ENTRY_FIXED + n;
  if (size > bytes.size() || p[60 + n] != 0) return 0;
  std::span<const std::uint8_t> name = bytes.subspan(60, n);
  if (std::find(name.begin(), name.end(), std::uint8_t{0}) != name.end()) return 0;
  entry.attributes = loadU32(p);
  entry.creationTime = loadU64(p + 4);
  entry.lastAccessTime = loadU64(p + 12);
  entry.lastWriteTime = loadU64(p + 20);
  entry.size = (std::uint64_t{loadU32(p + 28)} << 32) | loadU32(p + 32);
  entry.executable = loadU32(p + 36);
  entry.unixMode = loadU32(p + 40);
  entry.shortName = wire::readFixedText(bytes.subspan(44, 14));
  entry.name.assign(name.begin(), name.end());
  entry.record = bytes.first(size);
  return size;
}

std::size_t decodeDriveEntry(std::span<const std::uint8_t> bytes, DriveEntry& entry) {
  if (bytes.size() < FT_DRIVE_ENTRY_FIXED) return 0;
  const std::uint8_t* p = bytes.data();
  const std::size_t n = loadU16(p + 55);
  const std::size_t size = FT_DRIVE_ENTRY_FIXED + n;
  if (size > bytes.size() || p[57 + n] != 0) return 0;
  // The text area: the file system name, then for a network drive the
  // share's path, each NUL-terminated (the last NUL lies outside the count).
  std::span<const std::uint8_t> text = bytes.subspan(57, n);
  auto firstNul = std::find(text.begin(), text.end(), std::uint8_t{0});
  if (firstNul != text.end() &&
      std::find(firstNul + 1, text.end(), std::uint8_t{0}) != text.end()) {
    return 0;
  }
  entry.letter = static_cast<char>(p[0]);
  entry.label = wire::readFixedText(bytes.subspan(1, 30));
  entry.freeBytes = loadU64(p + 31);
  entry.totalBytes = loadU64(p + 39);
  entry.driveType = loadU32(p + 47);
  entry.mediaType = loadU32(p + 51);
  entry.fileSystem.assign(text.begin(), firstNul);
  entry.uncPath.clear();
  if (firstNul != text.end()) entry.uncPath.assign(firstNul + 1, text.end());
  entry.record = bytes.first(size);
  return size;
}

}  // namespace zel::ftengine
