// Little-endian loads and stores for the packed structures of the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::ftengine::wire {

inline std::uint16_t loadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}
inline std::uint64_t loadU64(const std::uint8_t* p) {
  return std::uint64_t{loadU32(p)} | (std::uint64_t{loadU32(p + 4)} << 32);
}
inline std::int32_t loadI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(loadU32(p));
}

inline void storeU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void storeU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void storeU64(std::uint8_t* p, std::uint64_t v) {
  storeU32(p, static_cast<std::uint32_t>(v));
  storeU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}
inline void storeI32(std::uint8_t* p, std::int32_t v) {
  storeU32(p, static_cast<std::uint32_t>(v));
}

}  // namespace zel::ftengine::wire
