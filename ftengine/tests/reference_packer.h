// A deliberately plain packer written straight from the token rules, used as
// the oracle the real packer is compared against. It keeps the whole input
// in memory and returns the tokens, so tests can also check where blocks
// were cut.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

namespace zel::ftengine::testing {

struct Token {
  std::uint16_t code;
  bool hasCharacter;
  std::uint8_t character;
};

inline std::vector<Token> referenceTokens(std::span<const std::uint8_t> input, bool text) {
  std::vector<Token> tokens;
  std::map<std::pair<std::uint32_t, std::uint8_t>, std::uint32_t> known;
  std::uint32_t next = 1;
  std::size_t pos = 0;
  while (true) {
    if (next == 65536) {
      known.clear();
      next = 1;
    }
    std::uint32_t current = 0;
    std::uint32_t count = 0;
    bool end = false;
    bool haveByte = false;
    std::uint8_t byte = 0;
    while (count < 2048) {
      while (pos < input.size() && text && input[pos] == 13)
        ++pos;
      if (pos == input.size()) {
        end = true;
        break;
      }
      byte = input[pos];
      auto it = known.find({current, byte});
      if (it == known.end()) {
        known[{current, byte}] = next++;
        haveByte = true;
        ++pos;
        break;
      }
      current = it->second;
      ++count;
      ++pos;
    }
    tokens.push_back({static_cast<std::uint16_t>(current), haveByte, byte});
    if (end) break;
  }
  return tokens;
}

inline std::vector<std::uint8_t> tokenBytes(const std::vector<Token>& tokens) {
  std::vector<std::uint8_t> out;
  for (const Token& t : tokens) {
    out.push_back(static_cast<std::uint8_t>(t.code));
    out.push_back(static_cast<std::uint8_t>(t.code >> 8));
    if (t.hasCharacter) out.push_back(t.character);
  }
  return out;
}

}  // namespace zel::ftengine::testing
