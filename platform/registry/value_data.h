// Value type codes and the byte layouts of typed values.
//
// The codes are the registry's numeric type codes, which some readers test
// bit by bit; any other code is kept as opaque bytes. Texts are stored as
// their bytes followed by a NUL; a multi-text as each entry followed by a NUL,
// then one more NUL; a number as 4 bytes, least significant first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::registry {

namespace type {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kString = 1;
inline constexpr uint32_t kExpandString = 2;
inline constexpr uint32_t kBinary = 3;
inline constexpr uint32_t kDword = 4;
inline constexpr uint32_t kMultiString = 7;
}  // namespace type

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

// "sz", "expand_sz", "binary", "dword", "multi_sz"; empty for other codes.
std::string_view typeName(uint32_t type);
// The type written as its name (any case, with or without a "REG_" prefix)
// or as a decimal or 0x-hex number.
std::optional<uint32_t> parseType(std::string_view text);

// A decimal or 0x-hex number that fits 32 bits.
std::optional<uint32_t> parseNumber(std::string_view text);

Bytes numberData(uint32_t number);
// The number of a REG_DWORD value of exactly 4 bytes; nullopt for anything
// else, so that the caller uses its default.
std::optional<uint32_t> numberFromData(uint32_t type, ByteView data);

// Texts stored as values must not contain NUL.
bool isValidText(std::string_view text);
Bytes textData(std::string_view text);
// The text up to the first NUL (or all bytes when there is none).
std::string textFromData(ByteView data);
// The text when data is exactly textData(text), else nullopt.
std::optional<std::string> exactTextFromData(ByteView data);

// Entries must be non-empty and free of NUL (an empty entry would end the list).
bool isValidMultiTextEntry(std::string_view entry);
bool areValidMultiTextEntries(const std::vector<std::string>& entries);
Bytes multiTextData(const std::vector<std::string>& entries);
// The entries up to the first empty one; a last entry without its NUL counts.
std::vector<std::string> multiTextFromData(ByteView data);
// The entries when data is exactly multiTextData(entries), else nullopt.
std::optional<std::vector<std::string>> exactMultiTextFromData(ByteView data);

// Bytes as lowercase hex pairs, separated by single spaces.
std::string hexText(ByteView data);
// Hex digits in groups separated by spaces, tabs, commas or colons; each
// group has an even number of digits. nullopt when malformed.
std::optional<Bytes> parseHex(std::string_view text);

}  // namespace zel::registry
