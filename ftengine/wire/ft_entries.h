// The records of listings and drive descriptions: FT_FILE_ENTRY (61 + n
// bytes) and FT_DRIVE_ENTRY (58 + n bytes). Each ends in a counted string
// whose count leaves its NUL out; a record is valid only when it lies wholly
// within the bytes given and its string ends in that NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zel::ftengine {

inline constexpr std::size_t FT_FILE_ENTRY_FIXED = 61;   // without the name
inline constexpr std::size_t FT_DRIVE_ENTRY_FIXED = 58;  // without the text area
inline constexpr std::uint32_t FT_ATTRIBUTE_FOLDER = 0x10;

struct FileEntry {
  std::uint32_t attributes = 0;
  std::uint64_t creationTime = 0;  // as on the wire (see file times)
  std::uint64_t lastAccessTime = 0;
  std::uint64_t lastWriteTime = 0;
  std::uint64_t size = 0;
  std::uint32_t executable = 0;  // from Mac and Unix-like agents
  std::uint32_t unixMode = 0;    // from Unix-like agents
  std::string shortName;
  std::string name;
  std::span<const std::uint8_t> record;  // the record as received
};

struct DriveEntry {
  char letter = 0;
  std::string label;
  std::uint64_t freeBytes = 0;
  std::uint64_t totalBytes = 0;
  std::uint32_t driveType = 0;
  std::uint32_t mediaType = 0;
  std::string fileSystem;
  std::string uncPath;  // network drives only
  std::span<const std::uint8_t> record;
};

// Each reads one record from the start of bytes. Returns the record's size,
// or 0 when the bytes do not hold a valid record (too short, count beyond the
// bytes, string without its NUL, or a name with a NUL inside).
std::size_t decodeFileEntry(std::span<const std::uint8_t> bytes, FileEntry& entry);
std::size_t decodeDriveEntry(std::span<const std::uint8_t> bytes, DriveEntry& entry);

}  // namespace zel::ftengine
