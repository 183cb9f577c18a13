// The run-length token scheme in which an agent may compress a view body.
// Each token starts with a control byte:
//   below 0x80      a literal run: the next (control + 1) bytes are copied;
//   0x80 to 0xBF    a byte fill: the next byte, (low six bits + 3) times;
//   0xC0 and above  a 16-bit fill: the next two bytes, in the order they
//                   came (so 34 12 is the little-endian value 0x1234),
//                   (low six bits + 2) times.
// One body expands to at most 32,768 bytes. A token that would pass the limit
// ends decoding, and so does a token cut short by the end of the input; the
// bytes decoded before it form the message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::shared {

inline constexpr size_t kRleMaxOutput = 32768;

struct RleResult {
  size_t consumed = 0;    // input bytes of the tokens that were decoded
  bool complete = false;  // every input byte belonged to a decoded token
};

// Replaces `out` with the expansion of `input`.
RleResult decodeRle(std::span<const uint8_t> input, std::vector<uint8_t>& out);

}  // namespace zel::shared
