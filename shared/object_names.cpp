#include "shared/object_names.h"

#include <cstdio>

namespace zel::shared {

std::optional<std::string> numberedObjectName(std::string_view prefix, uint32_t number,
                                              size_t bufferSize) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%09u", number);
  std::string name(prefix);
  name += digits;
  // Numbers above nine digits make the name longer; it must still fit with
  // its NUL.
  if (name.size() + 1 > bufferSize) return std::nullopt;
  return name;
}

std::string connectMutexName(uint32_t sessionSectionHandle) {
  char text[32];
  std::snprintf(text, sizeof text, "ConnectMutex %x", sessionSectionHandle);
  return text;
}

}  // namespace zel::shared
