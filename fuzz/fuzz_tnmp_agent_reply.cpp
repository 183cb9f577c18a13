// Feeds one reply payload to the console's query and negotiation decoders.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "shared/agent_requests.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> reply(data, size);
  if (auto query = zel::shared::decodeAgentQueryReply(reply)) {
    if (query->machineName.size() > 255 || query->userName.size() > 255) std::abort();
  }
  if (auto negotiation = zel::shared::decodeNegotiationReply(reply)) {
    if (negotiation->authorityText.size() > 255) std::abort();
  }
  return 0;
}
