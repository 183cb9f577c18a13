#include "shared/rle_decode.h"

namespace zel::shared {

RleResult decodeRle(std::span<const uint8_t> input, std::vector<uint8_t>& out) {
  out.clear();
  RleResult result;
  size_t at = 0;
  while (at < input.size()) {
    uint8_t control = input[at];
    size_t left = input.size() - at - 1;
    const uint8_t* operand = input.data() + at + 1;
    if (control < 0x80) {
      size_t count = size_t{control} + 1;
      if (left < count || out.size() + count > kRleMaxOutput) break;
      out.insert(out.end(), operand, operand + count);
      at += 1 + count;
    } else if (control < 0xC0) {
      size_t count = size_t{static_cast<uint8_t>(control & 0x3F)} + 3;
      if (left < 1 || out.size() + count > kRleMaxOutput) break;
      out.insert(out.end(), count, operand[0]);
      at += 2;
    } else {
      size_t count = size_t{static_cast<uint8_t>(control & 0x3F)} + 2;
      if (left < 2 || out.size() + 2 * count > kRleMaxOutput) break;
      for (size_t i = 0; i < count; ++i) {
        out.push_back(operand[0]);
        out.push_back(operand[1]);
      }
      at += 3;
    }
  }
  result.consumed = at;
  result.complete = at == input.size();
  return result;
}

}  // namespace zel::shared
