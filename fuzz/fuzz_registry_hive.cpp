// Feeds arbitrary bytes to the hive-file parser, then checks that writing the
// result and parsing it again gives the same keys and values, cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/hive_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zel::registry::ParsedHive first = zel::registry::parseHiveText(text);
  const std::string written = zel::registry::formatHiveText(first.root, "fuzz");
  const zel::registry::ParsedHive second = zel::registry::parseHiveText(written);
  if (!second.clean() || !(second.root == first.root)) std::abort();
  return 0;
}
