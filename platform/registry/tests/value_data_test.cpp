#include "platform/registry/value_data.h"

#include <gtest/gtest.h>

namespace zel::registry {
namespace {

TEST(ValueDataTest, ParsesNumbersInDecimalAndHex) {
  struct Case {
    const char* text;
    std::optional<uint32_t> expected;
  };
  const Case cases[] = {
      {"0", 0u},
      {"42", 42u},
      {"0x2a", 42u},
      {"0X2A", 42u},
      {"4294967295", 0xffffffffu},
      {"0xffffffff", 0xffffffffu},
      {"4294967296", std::nullopt},
      {"0x100000000", std::nullopt},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"-1", std::nullopt},
      {"12a", std::nullopt},
      {" 1", std::nullopt},
      {"0xg", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseNumber(c.text), c.expected) << c.text;
  }
}

TEST(ValueDataTest, NumbersAreFourBytesLeastSignificantFirst) {
  EXPECT_EQ(numberData(0x11223344), (Bytes{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(numberFromData(type::kDword, numberData(0x11223344)), 0x11223344u);
}

TEST(ValueDataTest, OnlyAFourByteDwordIsANumber) {
  struct Case {
    const char* what;
    uint32_t type;
    Bytes data;
    std::optional<uint32_t> expected;
  };
  const Case cases[] = {
      {"dword of 4 bytes", type::kDword, {5, 0, 0, 0}, 5u},
      {"text \"5\"", type::kString, {'5', 0}, std::nullopt},
      {"binary of 4 bytes", type::kBinary, {5, 0, 0, 0}, std::nullopt},
      {"multi-text of 4 bytes (type bit 2 set)", type::kMultiString, {5, 0, 0, 0}, std::nullopt},
      {"type 5 (bit 2 set)", 5, {5, 0, 0, 0}, std::nullopt},
      {"dword of 3 bytes", type::kDword, {5, 0, 0}, std::nullopt},
      {"dword of 8 bytes", type::kDword, {5, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
      {"empty dword", type::kDword, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(numberFromData(c.type, c.data), c.expected) << c.what;
  }
}

TEST(ValueDataTest, TextIsReadUpToItsFirstNul) {
  EXPECT_EQ(textData("ab"), (Bytes{'a', 'b', 0}));
  EXPECT_EQ(textFromData(Bytes{'a', 'b', 0}), "ab");
  EXPECT_EQ(textFromData(Bytes{'a', 'b'}), "ab");
  EXPECT_EQ(textFromData(Bytes{'a', 0, 'b', 0}), "a");
  EXPECT_EQ(textFromData(Bytes{}), "");
  EXPECT_EQ(exactTextFromData(Bytes{'a', 0}), "a");
  EXPECT_EQ(exactTextFromData(Bytes{0}), "");
  EXPECT_EQ(exactTextFromData(Bytes{'a'}), std::nullopt);
  EXPECT_EQ(exactTextFromData(Bytes{'a', 0, 'b', 0}), std::nullopt);
  EXPECT_EQ(exactTextFromData(Bytes{}), std::nullopt);
}

TEST(ValueDataTest, MultiTextEntriesEachEndInNulWithOneMoreAtTheEnd) {
  using Entries = std::vector<std::string>;
  EXPECT_EQ(multiTextData({"a", "bc"}), (Bytes{'a', 0, 'b', 'c', 0, 0}));
  EXPECT_EQ(multiTextData({}), (Bytes{0}));
  struct Case {
    Bytes data;
    Entries entries;
    bool exact;
  };
  const Case cases[] = {
      {{'a', 0, 'b', 'c', 0, 0}, {"a", "bc"}, true},
      {{0}, {}, true},
      {{}, {}, false},
      {{0, 0}, {}, false},
      {{'a', 0}, {"a"}, false},                // without the final NUL
      {{'a'}, {"a"}, false},                   // without any NUL
      {{'a', 0, 0, 'b', 0, 0}, {"a"}, false},  // an empty entry ends the list
  };
  for (const Case& c : cases) {
    EXPECT_EQ(multiTextFromData(c.data), c.entries);
    EXPECT_EQ(exactMultiTextFromData(c.data).has_value(), c.exact);
  }
}

TEST(ValueDataTest, HexBytesInGroupsOfPairs) {
  struct Case {
    const char* text;
    std::optional<Bytes> expected;
  };
  const Case cases[] = {
      {"", Bytes{}},
      {"01 02 ff", Bytes{1, 2, 0xff}},
      {"0102FF", Bytes{1, 2, 0xff}},
      {"01,02:ff\t10", Bytes{1, 2, 0xff, 0x10}},
      {"1", std::nullopt},
      {"1 2", std::nullopt},
      {"012", std::nullopt},
      {"0g", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseHex(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(hexText(Bytes{1, 0xab}), "01 ab");
}

TEST(ValueDataTest, TypesByNameOrNumber) {
  struct Case {
    const char* text;
    std::optional<uint32_t> expected;
  };
  const Case cases[] = {
      {"sz", type::kString},
      {"REG_SZ", type::kString},
      {"reg_expand_sz", type::kExpandString},
      {"binary", type::kBinary},
      {"REG_DWORD", type::kDword},
      {"Multi_Sz", type::kMultiString},
      {"11", 11u},
      {"0x20", 32u},
      {"REG_", std::nullopt},
      {"word", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseType(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(typeName(type::kMultiString), "multi_sz");
  EXPECT_EQ(typeName(11), "");
}

}  // namespace
}  // namespace zel::registry
