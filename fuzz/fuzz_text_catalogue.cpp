// Feeds arbitrary bytes to the catalogue parser, then uses every text it
// accepts as a pattern of both formatters, as the modules do with translated
// texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/texts/catalogue.h"
#include "platform/texts/message_format.h"
#include "platform/texts/printf_format.h"
#include "platform/texts/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zel::texts::Catalogue catalogue = zel::texts::parseCatalogue(bytes);
  for (const auto& [number, text] : catalogue.texts) {
    // What the parser accepts is a valid text of bounded size without NULs.
    if (number > 65535 || text.size() > zel::texts::kMaxCatalogueTextBytes ||
        text.find('\0') != std::string_view::npos || !zel::texts::isValidUtf8(text)) {
      std::abort();
    }
    std::string message =
        zel::texts::formatMessage(text, {"insert", -42, 'c', 0xFFFFFFFFu, std::int64_t{7}});
    std::string printed = zel::texts::formatPrintf(text, {"arg", -1, 'x', 255u});
    std::string none = zel::texts::formatMessage(text, {});
    // A cut to a field size never splits a character of a valid text.
    if (!zel::texts::isValidUtf8(zel::texts::truncateUtf8(message, 255))) {
      if (zel::texts::isValidUtf8(message)) std::abort();
    }
    (void)printed;
    (void)none;
  }
  return 0;
}
