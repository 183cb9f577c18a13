// Text in fixed-size, NUL-padded fields of the wire records.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace zel::ftengine::wire {

// The text up to the first NUL, or the whole field when it has none.
inline std::string readFixedText(std::span<const std::uint8_t> field) {
  auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

// Writes text and NUL-fills the rest; text is cut to leave room for one NUL
// and at its own first NUL.
inline void writeFixedText(std::span<std::uint8_t> field, std::string_view text) {
  std::fill(field.begin(), field.end(), std::uint8_t{0});
  if (field.empty()) return;
  text = text.substr(0, std::min(text.find('\0'), field.size() - 1));
  std::memcpy(field.data(), text.data(), text.size());
}

}  // namespace zel::ftengine::wire
