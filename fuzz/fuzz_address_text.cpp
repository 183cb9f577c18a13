// Parses address lists and each of their items with a host lookup that never
// leaves the process, then formats what parsed into buffers of every size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "shared/client_address.h"

namespace {

std::optional<zel::shared::Ipv4> lookup(const std::string& name) {
  if (name.size() > zel::shared::kHostNameLimit) std::abort();
  if (name.empty() || name[0] == 'x') return std::nullopt;
  return zel::shared::Ipv4{10, static_cast<uint8_t>(name.size()), 0, 1};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string& item : zel::shared::splitAddressList(text)) {
    zel::shared::ClientAddress address = zel::shared::parseClientAddress(item, lookup);
    char buffer[32];
    for (size_t n = 0; n <= sizeof buffer; ++n) {
      std::memset(buffer, 0x7F, sizeof buffer);
      if (n > 0 && zel::shared::formatClientAddress(address, buffer, n) &&
          std::strlen(buffer) >= n) {
        std::abort();
      }
    }
  }
  return 0;
}
