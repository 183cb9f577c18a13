#include "ftengine/pack/block_crc.h"

#include <array>

namespace zel::ftengine {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned reg = i << 8;
    for (int bit = 0; bit < 8; ++bit)
      reg = (reg & 0x8000) ? (reg << 1) ^ 0x1021 : reg << 1;
    table[i] = static_cast<std::uint16_t>(reg);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();
static_assert(kTable[1] == 0x1021 && kTable[2] == 0x2042 && kTable[255] == 0x1EF0);

}  // namespace

std::uint16_t blockCrc16(std::span<const std::uint8_t> payload) {
  std::uint16_t reg = 1;
  for (std::uint8_t byte : payload) {
    std::uint8_t high = static_cast<std::uint8_t>(reg >> 8);
    reg = static_cast<std::uint16_t>((reg << 8) | byte) ^ kTable[high];
  }
  return reg;
}

}  // namespace zel::ftengine
