#include "ftengine/pack/block_crc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel::ftengine {
namespace {

std::uint16_t crcOf(const std::string& s) {
  std::vector<std::uint8_t> bytes(s.begin(), s.end());
  return blockCrc16(bytes);
}

TEST(BlockCrc, KnownValues) {
  EXPECT_EQ(crcOf(""), 1);
  EXPECT_EQ(crcOf("abc"), 0x2DD5);
  // One byte: the register 1 becomes 0x0100 | byte, the table of 0 adds nothing.
  EXPECT_EQ(crcOf("a"), 0x0161);
  // Two bytes: now the top byte 1 brings in the table entry 0x1021.
  EXPECT_EQ(crcOf("ab"), static_cast<std::uint16_t>(0x6162 ^ 0x1021));
}

TEST(BlockCrc, EveryChangedByteChangesTheCrc) {
  std::vector<std::uint8_t> payload(32661);
  for (std::size_t i = 0; i < payload.size(); ++i)
    payload[i] = static_cast<std::uint8_t>(i * 7);
  const std::uint16_t good = blockCrc16(payload);
  for (std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{16000}, payload.size() - 1}) {
    auto bad = payload;
    bad[at] ^= 0x01;
    EXPECT_NE(blockCrc16(bad), good) << at;
  }
}

}  // namespace
}  // namespace zel::ftengine
