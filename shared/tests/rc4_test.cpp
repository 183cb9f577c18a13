// RC4 against published known-answer vectors and the session key form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shared/rc4.h"

namespace zel::shared {
namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(Rc4, KnownAnswers) {
  struct Case {
    std::string key;
    std::string plain;
    std::vector<uint8_t> cipher;
  };
  const Case cases[] = {
      {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
      {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
      {"Secret",
       "Attack at dawn",
       {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> key = bytesOf(c.key);
    Rc4 cipher(key);
    std::vector<uint8_t> data = bytesOf(c.plain);
    cipher.apply(data);
    EXPECT_EQ(data, c.cipher) << c.key;
  }
}

TEST(Rc4, StateRunsOnAcrossCalls) {
  std::vector<uint8_t> key = bytesOf("Key");
  Rc4 whole(key);
  Rc4 pieces(key);
  std::vector<uint8_t> a = bytesOf("Plaintext");
  std::vector<uint8_t> b = a;
  whole.apply(a);
  pieces.apply(std::span<uint8_t>(b.data(), 4));
  pieces.apply(std::span<uint8_t>(b.data() + 4, b.size() - 4));
  EXPECT_EQ(a, b);
}

TEST(Rc4, TwoStatesKeyedAlikeAreIndependent) {
  // The padded key of the session area: all 256 bytes take part.
  std::vector<uint8_t> key(kRc4SessionKeySize, 0);
  const std::string text = "session-key";
  std::copy(text.begin(), text.end(), key.begin());
  Rc4 send(key);
  Rc4 receive(key);
  std::vector<uint8_t> first = bytesOf("one message");
  std::vector<uint8_t> original = first;
  send.apply(first);
  EXPECT_NE(first, original);
  receive.apply(first);  // the peer's state, started afresh, undoes it
  EXPECT_EQ(first, original);

  std::vector<uint8_t> shortKey = bytesOf(text);
  Rc4 unpadded(shortKey);
  std::vector<uint8_t> viaShort = original;
  unpadded.apply(viaShort);
  std::vector<uint8_t> viaPadded = original;
  Rc4 padded(key);
  padded.apply(viaPadded);
  EXPECT_NE(viaShort, viaPadded);
}

}  // namespace
}  // namespace zel::shared
