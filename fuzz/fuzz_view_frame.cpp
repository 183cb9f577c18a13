// Walks a buffer of view frames as the view link's reader does, expanding
// the bodies that say they are compressed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "shared/rle_decode.h"
#include "shared/view_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  std::vector<uint8_t> expanded;
  while (!bytes.empty()) {
    zel::shared::ViewFrameView frame = zel::shared::readViewFrame(bytes);
    if (frame.status != zel::shared::ViewFrameStatus::Ok) break;
    if (frame.frameSize > bytes.size() ||
        frame.body.data() + frame.body.size() > bytes.data() + bytes.size()) {
      std::abort();
    }
    if ((frame.flags & zel::shared::view_flags::kCompressed) != 0) {
      zel::shared::decodeRle(frame.body, expanded);
      if (expanded.size() > zel::shared::kRleMaxOutput) std::abort();
    }
    bytes = bytes.subspan(frame.frameSize);
  }
  return 0;
}
