#include "platform/system/tick_count.h"

#include <time.h>

#include <cstdlib>

namespace zel::system {

std::optional<std::uint32_t> parseTickOffset(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t value = 0;  // only its low 32 bits matter, so overflow is harmless
  for (char c : text) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
  }
  auto low = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - low) : low;
}

std::uint32_t tickOffset() {
  const char* text = std::getenv("ZEL_TICK_OFFSET");
  if (text == nullptr) return 0;
  return parseTickOffset(text).value_or(0);
}

std::uint32_t tickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                     static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms) + tickOffset();
}

}  // namespace zel::system
