// Building wire messages by hand in tests, independently of the encoders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::ftengine::testing {

class HandMessage {
 public:
  HandMessage& u8(std::uint32_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  HandMessage& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
  HandMessage& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
  HandMessage& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
  HandMessage& u64(std::uint64_t v) {
    return u32(static_cast<std::uint32_t>(v)).u32(static_cast<std::uint32_t>(v >> 32));
  }
  HandMessage& text(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  HandMessage& zeros(std::size_t n) {
    bytes_.insert(bytes_.end(), n, 0);
    return *this;
  }
  // Writes the final size into the length field at offset 1.
  std::vector<std::uint8_t> done() {
    std::vector<std::uint8_t> m = bytes_;
    if (m.size() >= 3) {
      m[1] = static_cast<std::uint8_t>(m.size());
      m[2] = static_cast<std::uint8_t>(m.size() >> 8);
    }
    return m;
  }
  // Leaves the length field as written.
  std::vector<std::uint8_t> raw() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A header with a placeholder length, to be completed with done().
inline HandMessage header(std::uint8_t op, std::uint32_t session, std::int32_t status,
                          std::uint32_t ref) {
  HandMessage m;
  m.u8(op).u16(0).u32(session).i32(status).u32(ref);
  return m;
}

}  // namespace zel::ftengine::testing
