// RC4 as published: key scheduling over the whole key, then the standard
// output generator. One object is one direction's state; the view link keys
// two of them from the same key, one for each direction.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zel::shared {

// The key field of the session area: the key text followed by zero bytes,
// all of it used.
inline constexpr size_t kRc4SessionKeySize = 256;

class Rc4 {
 public:
  // An empty key leaves the state unkeyed (identity permutation).
  explicit Rc4(std::span<const uint8_t> key);

  // Encrypts or decrypts `bytes` in place, advancing the state.
  void apply(std::span<uint8_t> bytes);

 private:
  std::array<uint8_t, 256> state_{};
  uint8_t i_ = 0;
  uint8_t j_ = 0;
};

}  // namespace zel::shared
