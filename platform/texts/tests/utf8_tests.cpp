#include "platform/texts/utf8.h"

#include <gtest/gtest.h>

namespace zel::texts {
namespace {

TEST(Utf8, Validity) {
  struct Case {
    std::string_view text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain", true},
      {"Gr\xC3\xBC\xC3\x9F"
       "e",
       true},                       // Grüße
      {"\xE2\x82\xAC", true},       // euro sign
      {"\xF0\x9F\x98\x80", true},   // an emoji
      {"\xC3", false},              // cut short
      {"\xC0\xAF", false},          // overlong "/"
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\x80", false},              // stray continuation
      {"\xFF", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(isValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(Utf8, TruncationNeverSplitsACharacter) {
  std::string_view text =
      "ab\xE2\x82\xAC"
      "c";  // a b € c
  EXPECT_EQ(truncateUtf8(text, 100), text);
  EXPECT_EQ(truncateUtf8(text, 6), text);
  EXPECT_EQ(truncateUtf8(text, 5), "ab\xE2\x82\xAC");
  EXPECT_EQ(truncateUtf8(text, 4), "ab");
  EXPECT_EQ(truncateUtf8(text, 3), "ab");
  EXPECT_EQ(truncateUtf8(text, 2), "ab");
  EXPECT_EQ(truncateUtf8(text, 0), "");
}

TEST(Utf8, CharactersAndCodePoints) {
  EXPECT_EQ(countCharacters("a\xE2\x82\xAC"
                            "b"),
            3u);
  EXPECT_EQ(firstCharacters("a\xE2\x82\xAC"
                            "b",
                            2),
            "a\xE2\x82\xAC");
  EXPECT_EQ(firstCharacters("ab", 5), "ab");
  std::string out;
  appendCodePoint(out, U'\u00FC');
  appendCodePoint(out, 0xD800);  // not a character
  EXPECT_EQ(out, "\xC3\xBC\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zel::texts
