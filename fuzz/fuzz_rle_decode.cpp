// Expands arbitrary bytes as a compressed view body and checks the limit and
// the accounting of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "shared/rle_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  zel::shared::RleResult result = zel::shared::decodeRle(std::span<const uint8_t>(data, size), out);
  if (out.size() > zel::shared::kRleMaxOutput || result.consumed > size ||
      result.complete != (result.consumed == size)) {
    std::abort();
  }
  return 0;
}
