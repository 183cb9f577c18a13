#include "shared/rc4.h"

#include <utility>

namespace zel::shared {

Rc4::Rc4(std::span<const uint8_t> key) {
  for (size_t n = 0; n < state_.size(); ++n)
    state_[n] = static_cast<uint8_t>(n);
  if (key.empty()) return;
  uint8_t j = 0;
  for (size_t n = 0; n < state_.size(); ++n) {
    j = static_cast<uint8_t>(j + state_[n] + key[n % key.size()]);
    std::swap(state_[n], state_[j]);
  }
}

void Rc4::apply(std::span<uint8_t> bytes) {
  for (uint8_t& b : bytes) {
    i_ = static_cast<uint8_t>(i_ + 1);
    j_ = static_cast<uint8_t>(j_ + state_[i_]);
    std::swap(state_[i_], state_[j_]);
    b ^= state_[static_cast<uint8_t>(state_[i_] + state_[j_])];
  }
}

}  // namespace zel::shared
