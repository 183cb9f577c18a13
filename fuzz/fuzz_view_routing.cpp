// Routes arbitrary bytes as a body received on the view link and checks that
// every part of the answer lies inside the body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "proxy/view_routing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> body(data, size);
  zel::proxy::RoutedBody routed = zel::proxy::routeViewBody(body);
  if (!routed.body.empty() &&
      (routed.body.data() < data || routed.body.data() + routed.body.size() > data + size)) {
    std::abort();
  }
  if (routed.channel < 0 || routed.channel > 6) std::abort();
  size_t textBytes = routed.machineName.size() + routed.userName.size();
  for (const auto& record : routed.records)
    textBytes += record.text.size();
  if (textBytes > size) std::abort();
  return 0;
}
