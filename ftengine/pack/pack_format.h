// The token format of a packed data stream, shared by the packer and the
// unpacker. Each token is a 16-bit little-endian code naming a dictionary
// string, followed by one character byte unless the string already has the
// maximum length. The dictionary is rebuilt identically on both sides.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::ftengine {

// The longest string one code can name, in dictionary characters.
inline constexpr std::size_t kPackStringLimit = 2048;
// Codes 1..65535 name strings; code 0 is the empty string. When the next code
// would reach kPackCodeEnd the dictionary starts again at kPackFirstCode.
inline constexpr std::uint32_t kPackCodeEnd = 65536;
inline constexpr std::uint32_t kPackFirstCode = 1;
// A token is at most a code and a character.
inline constexpr std::size_t kPackMaxTokenSize = 3;

inline constexpr std::uint8_t kCarriageReturn = 13;
inline constexpr std::uint8_t kLineFeed = 10;

// Whether the stream converts line ends: CR bytes are dropped on packing and a
// CR is put back before every LF on unpacking.
enum class LineEnds : std::uint8_t { Binary, Text };

}  // namespace zel::ftengine
