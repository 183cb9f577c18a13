// Walks a buffer of request frames as a reader of the request link does,
// with the transaction buffer's limit and with none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "shared/tnmp_frame.h"

namespace {

void walk(std::span<const uint8_t> bytes, size_t limit) {
  while (!bytes.empty()) {
    zel::shared::TnmpFrameView frame = zel::shared::readTnmpFrame(bytes, limit);
    if (frame.status != zel::shared::TnmpFrameStatus::Ok) return;
    if (frame.frameSize > bytes.size() || frame.payload.size() > limit ||
        frame.payload.data() + frame.payload.size() > bytes.data() + bytes.size()) {
      std::abort();
    }
    volatile uint8_t sink = 0;
    for (uint8_t b : frame.payload)
      sink = static_cast<uint8_t>(sink ^ b);
    bytes = bytes.subspan(frame.frameSize);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  walk(bytes, 8192);
  walk(bytes, zel::shared::kTnmpMaxPayload);
  zel::shared::decodeTnmpHeader(bytes, 0);
  return 0;
}
