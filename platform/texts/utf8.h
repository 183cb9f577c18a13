// Small helpers for UTF-8 text, the encoding of every text of the system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zel::texts {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view text);

// Appends the UTF-8 form of `codePoint`; a value that is not a character
// (a surrogate or above U+10FFFF) appends U+FFFD instead.
void appendCodePoint(std::string& out, char32_t codePoint);

// The number of characters in `text`, counting every byte that does not
// continue a sequence (so malformed text is still counted safely).
size_t countCharacters(std::string_view text);

// The longest start of `text` with at most `maxCharacters` characters.
std::string_view firstCharacters(std::string_view text, size_t maxCharacters);

// The longest start of `text` of at most `maxBytes` bytes that does not end in
// the middle of a character, for the fixed-size text fields of the system.
std::string_view truncateUtf8(std::string_view text, size_t maxBytes);

}  // namespace zel::texts
