// Expansion of run-length compressed view bodies.
#include <gtest/gtest.h>

#include <vector>

#include "shared/rle_decode.h"

namespace zel::shared {
namespace {

std::vector<uint8_t> expand(const std::vector<uint8_t>& input, RleResult* result = nullptr) {
  std::vector<uint8_t> out = {0xEE};  // replaced, never appended to
  RleResult r = decodeRle(input, out);
  if (result != nullptr) *result = r;
  return out;
}

TEST(RleDecode, TheThreeTokenKinds) {
  const std::vector<uint8_t> input = {0x05, 'A',  'B',  'C',  'D',  'E',
                                      'F',  0x82, 0x5A, 0xC1, 0x34, 0x12};
  const std::vector<uint8_t> expected = {'A',  'B',  'C',  'D',  'E',  'F',  0x5A, 0x5A, 0x5A,
                                         0x5A, 0x5A, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12};
  RleResult result;
  EXPECT_EQ(expand(input, &result), expected);
  EXPECT_TRUE(result.complete);
  EXPECT_EQ(result.consumed, input.size());
}

TEST(RleDecode, RunLengthsAtTheEdgesOfEachRange) {
  struct Case {
    std::vector<uint8_t> input;
    size_t size;
  };
  std::vector<uint8_t> longLiteral(129, 0x11);
  longLiteral[0] = 0x7F;
  const Case cases[] = {
      {{0x00, 0x01}, 1}, {longLiteral, 128},  {{0x80, 0x01}, 3}, {{0xBF, 0x01}, 66},
      {{0xC0, 1, 2}, 4}, {{0xFF, 1, 2}, 130}, {{}, 0},
  };
  for (const Case& c : cases) {
    RleResult result;
    EXPECT_EQ(expand(c.input, &result).size(), c.size);
    EXPECT_TRUE(result.complete);
  }
}

TEST(RleDecode, TruncatedTokensEndDecoding) {
  const std::vector<std::vector<uint8_t>> inputs = {
      {0x01, 'A', 'A', 0x03, 'x', 'y'},  // literal of four with two bytes
      {0x01, 'A', 'A', 0x80},            // byte fill without its byte
      {0x01, 'A', 'A', 0xC0, 0x34},      // 16-bit fill with one byte
  };
  for (const auto& input : inputs) {
    RleResult result;
    EXPECT_EQ(expand(input, &result), (std::vector<uint8_t>{'A', 'A'}));
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.consumed, 3u);
  }
}

TEST(RleDecode, OutputStopsAtTheLimit) {
  // 496 fills of 66 bytes make 32,736; one more 66 would pass 32,768.
  std::vector<uint8_t> input;
  for (int n = 0; n < 496; ++n) {
    input.push_back(0xBF);
    input.push_back(static_cast<uint8_t>(n));
  }
  std::vector<uint8_t> exact = input;
  exact.push_back(0x1F);  // a literal of 32 reaches the limit exactly
  exact.insert(exact.end(), 32, 'L');
  RleResult result;
  EXPECT_EQ(expand(exact, &result).size(), kRleMaxOutput);
  EXPECT_TRUE(result.complete);

  input.push_back(0xBF);
  input.push_back(0xAA);
  input.push_back(0x00);
  input.push_back('z');
  std::vector<uint8_t> out = expand(input, &result);
  EXPECT_EQ(out.size(), 496u * 66u);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.consumed, 496u * 2u);

  // A 16-bit fill that would cross the limit by one byte pair.
  std::vector<uint8_t> pairs(exact.begin(), exact.end() - 33);
  pairs.push_back(0xCF);  // 17 pairs = 34 bytes > 32 left
  pairs.push_back(1);
  pairs.push_back(2);
  EXPECT_EQ(expand(pairs, &result).size(), 496u * 66u);
  EXPECT_FALSE(result.complete);
}

}  // namespace
}  // namespace zel::shared
